#pragma once

#include "ConnectionHelper.h"

#include <QString>
#include <QWidget>

class NewVersionChecker;
class QPushButton;

// A coloured push button that stays hidden until the update check knows a newer version, then
// names it and opens its download link when clicked.
class NewVersionButton : public QWidget
{
    Q_OBJECT

public:
    static const QString DefaultStyleSheet;

    // An empty style sheet keeps the default one.
    explicit NewVersionButton(const QString& preliminaryText = QString(), const QString& styleSheet = QString(),
                              QWidget* parent = nullptr);

    QPushButton* button() const { return pushButton; }
    bool hasNewVersion() const { return newVersionKnown; }
    void setButtonStyle(const QString& styleSheet);
    void setPreliminaryText(const QString& text);

signals:
    void onHasNewVersionChanged(bool hasNewVersion);

private:
    void showOffer(bool visible);

    bool newVersionKnown = false;
    ConnectionHelper connections;
    NewVersionChecker* checker;
    QPushButton* pushButton;
    QString buttonStyle = DefaultStyleSheet;
};
