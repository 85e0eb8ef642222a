#include "KestrumExperimentTypeSelector.h"

#include "ChoiceBox.h"
#include "KestrumModel.h"
#include "RunEndQuestion.h"
#include "StyleHelper.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace {

// The paradigms' type keys, which the combo shows translated.
[[maybe_unused]] const char* const typeNames[] = {
    QT_TRANSLATE_NOOP("Generic", "LightBox"),        QT_TRANSLATE_NOOP("Generic", "StepDown"),
    QT_TRANSLATE_NOOP("Generic", "ActiveAvoidance"), QT_TRANSLATE_NOOP("Generic", "PlacePreference"),
    QT_TRANSLATE_NOOP("Generic", "ConflictTest"),    QT_TRANSLATE_NOOP("Generic", "StartleReflex"),
};

// Drawn in the theme's text colour, so that the dark theme does not hide them.
QIcon paradigmIcon(const QString& path)
{
    return StyleHelper::ColoredIcon(path, QStringLiteral("#FFF"), QStringLiteral("#303030"));
}

} // namespace

KestrumExperimentTypeSelector::KestrumExperimentTypeSelector(QWidget* parent)
    : QWidget(parent)
    , m_combo(new ChoiceBox)
{
    m_combo->setIconSize(QSize(24, 24));
    KestrumModel* model = KestrumModel::instance();
    if (model) {
        const QStringList keys = model->experimentTypeKeys();
        const QStringList icons = model->experimentIconPaths();
        for (const QString& key : keys)
            m_combo->addItem(QCoreApplication::translate("Generic", key.toUtf8().constData()), key);
        StyleHelper::Link(this, [this, icons] {
            for (int i = 0; i < m_combo->count(); ++i)
                m_combo->setItemIcon(i, paradigmIcon(icons.value(i)));
        });
        m_connections << connect(model, &KestrumModel::changedCurrentScriptType, this,
                                 &KestrumExperimentTypeSelector::showType);
    }
    m_connections << connect(m_combo, &QComboBox::currentIndexChanged, this, &KestrumExperimentTypeSelector::choose);
    if (model)
        showType(model->currentScriptType());

    auto* label = new QLabel(tr("Тип эксперимента"));
    label->setMinimumHeight(32);
    label->setObjectName(QStringLiteral("propertyHeaderLabel"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_combo);
}

void KestrumExperimentTypeSelector::choose(int index)
{
    KestrumModel* model = KestrumModel::instance();
    const QString typeKey = m_combo->itemData(index).toString();
    if (index < 0 || !model || typeKey == model->currentScriptType())
        return;
    // Another paradigm ends the runs going on; declined, the choice shows the one in use again.
    if (!RunEndQuestion::agreed(tr("Идёт эксперимент. Остановить его и выбрать другой тип эксперимента?"),
                                tr("Остановить и выбрать"))) {
        const QSignalBlocker unchosen(m_combo);
        showType(model->currentScriptType());
        return;
    }
    model->selectExperimentType(typeKey);
    emit experimentTypeSelected(typeKey);
    emit experimentTypeIndexSelected(index);
}

// A type the model does not know leaves the choice as it is.
void KestrumExperimentTypeSelector::showType(const QString& typeKey)
{
    const KestrumModel* model = KestrumModel::instance();
    const int index = model ? int(model->experimentTypeKeys().indexOf(typeKey)) : -1;
    if (index >= 0)
        m_combo->setCurrentIndex(index);
}
