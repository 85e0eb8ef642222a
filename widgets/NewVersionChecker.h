#pragma once

#include "ConnectionHelper.h"

#include <QObject>
#include <QString>

// Turns the update check's last result into the text, tool tip and visibility of a new-version
// offer, and opens the offered download. Only http and https links are opened: the link comes
// from a server, and any other scheme would start a local handler.
class NewVersionChecker : public QObject
{
    Q_OBJECT

public:
    explicit NewVersionChecker(const QString& preliminaryText = QString(), QObject* parent = nullptr);

    void setPreliminaryText(const QString& text);
    // Follows every later result; applies a known valid result at once, else starts the
    // periodic check.
    void start();
    // Opens the download link; a link that is not a web address is refused with a console message.
    void action();

    static bool isWebLink(const QString& link);

signals:
    void newVersion();
    void onSetVisible(bool vis);
    void onSetText(QString text);
    void onSetTooltip(QString tooltip);

private:
    void applyLastResult();

    ConnectionHelper connections;
    QString preliminaryText;
    QString link;
};
