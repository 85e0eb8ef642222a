#include "StringListPropertyView.h"

#include "AbstractMetaDescription.h"
#include "SettingsValueHelper.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

StringListPropertyView::StringListPropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    container = new QWidget(this);
    editor = container;
    grid = new QGridLayout(container);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(1);
    insertStretchingEditor(container);
    metaValueChanged(description->getValue());
}

void StringListPropertyView::nullifyEditor()
{
}

void StringListPropertyView::metaValueChanged(const QVariant&)
{
    rebuild();
}

void StringListPropertyView::rebuild()
{
    clearRows();
    const QStringList list = description->getValue().toStringList();
    for (int i = 0; i < list.size(); ++i)
        addRow(i, list.at(i), int(list.size()));
    rowConnections << connect(addButton(QStringLiteral("+"), int(list.size()), 0), &QPushButton::clicked, this,
                              [this] { change([](QStringList& items) { items.append(QString()); }); });
    grid->setColumnStretch(0, 100);
    // The declared default compared in the form the settings files write.
    setDefaultButtonChecked(SettingsValueHelper::toText(list, SettingsValueHelper::typeOf(description))
                            == description->defaultText);
}

void StringListPropertyView::clearRows()
{
    rowConnections.clear();
    QList<QWidget*> old(lineEdits.cbegin(), lineEdits.cend());
    old.append(QList<QWidget*>(buttons.cbegin(), buttons.cend()));
    for (QWidget* widget : old) {
        widget->hide();
        widget->setParent(nullptr);
        widget->deleteLater();
    }
    lineEdits.clear();
    buttons.clear();
}

void StringListPropertyView::addRow(int index, const QString& text, int count)
{
    auto* edit = new QLineEdit(text, container);
    grid->addWidget(edit, index, 0);
    lineEdits.append(edit);
    rowConnections << connect(edit, &QLineEdit::editingFinished, this, [this, index, edit] {
        change([index, text = edit->text()](QStringList& items) {
            if (index < items.size())
                items[index] = text;
        });
    });
    QPushButton* remove = addButton(QStringLiteral("\u0425"), index, 1);
    remove->setStyleSheet(QStringLiteral("QPushButton { color: #C30 } "));
    rowConnections << connect(remove, &QPushButton::clicked, this, [this, index] {
        change([index](QStringList& items) {
            if (index < items.size())
                items.removeAt(index);
        });
    });
    QPushButton* up = addButton(QStringLiteral("\u2191"), index, 2);
    up->setEnabled(index > 0);
    rowConnections << connect(up, &QPushButton::clicked, this, [this, index] {
        change([index](QStringList& items) {
            if (index >= 1 && index < items.size())
                items.swapItemsAt(index, index - 1);
        });
    });
    QPushButton* down = addButton(QStringLiteral("\u2193"), index, 3);
    down->setEnabled(index < count - 1);
    rowConnections << connect(down, &QPushButton::clicked, this, [this, index] {
        change([index](QStringList& items) {
            if (index + 1 < items.size())
                items.swapItemsAt(index, index + 1);
        });
    });
}

QPushButton* StringListPropertyView::addButton(const QString& text, int row, int column)
{
    auto* button = new QPushButton(text, container);
    button->setFlat(true);
    grid->addWidget(button, row, column);
    buttons.append(button);
    return button;
}

void StringListPropertyView::change(const std::function<void(QStringList&)>& edit)
{
    QStringList items = description->getValue().toStringList();
    edit(items);
    description->setValue(items);
}
