#include "ConfirmDialog.h"

#include "CursorHelper.h"
#include "DialogSeam.h"
#include "LanguageContext.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const int MinimumButtonWidth = 32;
const int ButtonGap = 10;
const int Stretch = 100;

QString optionText(const QVariantMap& options, const QString& key, const char* fallback)
{
    return options.contains(key) ? options.value(key).toString() : generic(fallback);
}
} // namespace

ConfirmDialog::ConfirmDialog(QWidget* parent, const QString& okText, const QString& cancelText,
                             const QString& thirdText)
    : QDialog(parent)
    , contentLayout(new QVBoxLayout())
    , buttonRow(new QHBoxLayout())
    , ok(addButton(okText.isEmpty() ? generic(QT_TRANSLATE_NOOP("Generic", "OK")) : okText, &ConfirmDialog::acceptStep))
    , cancel(addButton(cancelText.isEmpty() ? generic(QT_TRANSLATE_NOOP("Generic", "Cancel")) : cancelText,
                       &ConfirmDialog::cancelStep))
{
    ok->setObjectName(QStringLiteral("positive"));
    if (!thirdText.isEmpty())
        third = addButton(thirdText, &ConfirmDialog::declineStep);
    equaliseButtonWidths();
    layOutButtons();
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(4);
    auto* dialogLayout = new QVBoxLayout(this);
    dialogLayout->setContentsMargins(8, 8, 8, 8);
    dialogLayout->setSpacing(4);
    dialogLayout->addLayout(contentLayout);
    dialogLayout->addLayout(buttonRow);
    ok->setEnabled(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

QPushButton* ConfirmDialog::addButton(const QString& text, void (ConfirmDialog::*step)())
{
    auto* button = new QPushButton(text, this);
    CursorHelper::setCursor(button, Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this, step);
    return button;
}

void ConfirmDialog::equaliseButtonWidths()
{
    const QList<QPushButton*> buttons =
        third ? QList<QPushButton*>{ok, third, cancel} : QList<QPushButton*>{ok, cancel};
    int width = MinimumButtonWidth;
    for (const QPushButton* button : buttons)
        width = std::max(width, button->sizeHint().width());
    for (QPushButton* button : buttons)
        button->setMinimumWidth(width);
}

void ConfirmDialog::layOutButtons()
{
    buttonRow->setContentsMargins(0, 0, 0, 0);
    if (third) {
        buttonRow->addStretch(Stretch);
        buttonRow->addWidget(ok);
        buttonRow->addSpacing(ButtonGap);
        buttonRow->addWidget(third);
    } else {
        buttonRow->addWidget(ok);
        buttonRow->addStretch(Stretch);
    }
    buttonRow->addSpacing(ButtonGap);
    buttonRow->addWidget(cancel);
}

void ConfirmDialog::addText(const QString& text)
{
    auto* label = new QLabel(text + QStringLiteral("\r\n"), this);
    label->setWordWrap(true);
    contentLayout->addWidget(label);
}

QPushButton* ConfirmDialog::okButton() const
{
    return ok;
}

QPushButton* ConfirmDialog::cancelButton() const
{
    return cancel;
}

QPushButton* ConfirmDialog::thirdButton() const
{
    return third;
}

void ConfirmDialog::acceptStep()
{
    bool accept = true;
    emit accepted(accept);
    if (!accept)
        return;
    close();
    done(QDialog::Accepted);
}

void ConfirmDialog::cancelStep()
{
    emit canceled();
    close();
    done(QDialog::Rejected);
}

void ConfirmDialog::declineStep()
{
    emit declined();
    close();
}

void ConfirmDialog::closeEvent(QCloseEvent*)
{
    emit closed();
}

bool ConfirmDialog::Ask(const QString& text, const QVariantMap& options)
{
    const QString yes = optionText(options, QStringLiteral("yes"), QT_TRANSLATE_NOOP("Generic", "Yes"));
    const QString cancel = optionText(options, QStringLiteral("cancel"), QT_TRANSLATE_NOOP("Generic", "Cancel"));
    if (DialogSeam::hasHandler()) {
        DialogSeam::Request request;
        request.kind = DialogSeam::Kind::Message;
        request.title = options.value(QStringLiteral("caption")).toString();
        request.text = text;
        request.stayOnTop = true;
        request.buttons = {{yes, QMessageBox::AcceptRole}, {cancel, QMessageBox::RejectRole}};
        return DialogSeam::ask(request).button == 0;
    }
    ConfirmDialog dialog(nullptr, yes, cancel);
    if (options.contains(QStringLiteral("caption")))
        dialog.setWindowTitle(options.value(QStringLiteral("caption")).toString());
    dialog.addText(text);
    dialog.okButton()->setObjectName(options.value(QStringLiteral("yesClass"), QStringLiteral("positive")).toString());
    dialog.okButton()->setEnabled(true);
    dialog.setWindowFlags(dialog.windowFlags() | Qt::Tool | Qt::WindowStaysOnTopHint);
    dialog.raise();
    if (options.contains(QStringLiteral("minWidth")))
        dialog.setMinimumWidth(options.value(QStringLiteral("minWidth")).toInt());
    if (options.contains(QStringLiteral("maxWidth")))
        dialog.setFixedWidth(options.value(QStringLiteral("maxWidth")).toInt());
    return dialog.exec() != 0;
}
