#pragma once

#include <QDialog>
#include <QVariantMap>

class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

// A small modal question box: a content area over a row of an OK, an optional third and a
// cancel button of equal widths. OK starts disabled; whoever builds the box enables it.
class ConfirmDialog : public QDialog
{
    Q_OBJECT
public:
    // Empty texts give "OK" and "Cancel"; an empty third text gives no third button.
    explicit ConfirmDialog(QWidget* parent = nullptr, const QString& okText = QString(),
                           const QString& cancelText = QString(), const QString& thirdText = QString());

    // A word-wrapped paragraph of the content.
    void addText(const QString& text);
    QPushButton* okButton() const;
    QPushButton* cancelButton() const;
    // Null without a third text.
    QPushButton* thirdButton() const;

    // The application's confirmation question, answered through the dialog seam of the
    // application helper (a real modal box when no handler is set). Options: "yes" and "cancel"
    // (button texts), "caption" (title). True only when the experimenter confirmed.
    static bool Ask(const QString& text, const QVariantMap& options = QVariantMap());

signals:
    // Before OK ends the dialog; a listener that sets accept to false keeps it open.
    void accepted(bool& accept);
    void canceled();
    // The third button ended the dialog.
    void declined();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

    QVBoxLayout* contentLayout;

private:
    QPushButton* addButton(const QString& text, void (ConfirmDialog::*step)());
    void equaliseButtonWidths();
    void layOutButtons();
    void acceptStep();
    void cancelStep();
    void declineStep();

    QHBoxLayout* buttonRow;
    QPushButton* ok;
    QPushButton* third = nullptr;
    QPushButton* cancel;
};
