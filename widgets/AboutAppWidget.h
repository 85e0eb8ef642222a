#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

class QGridLayout;
class QHBoxLayout;
class QLayout;
class QPushButton;

// The about page: buttons for the manual, the programming interface, the change log and a newer
// version, then the program version with its build date, the operating system, the computer's
// IP addresses, the maker's contacts and links, and the developers (a balloon beside anyone whose
// birthday is today). Everything is built in the constructor. User-interface thread only.
class AboutAppWidget : public QWidget
{
    Q_OBJECT

public:
    // A port above 1 makes each IP address a link to "http://<address>:<port>".
    AboutAppWidget(const QString& contactName, const QStringList& links, const QString& manualLink,
                   const QString& apiLink, const QMap<QString, QDateTime>& birthdays, bool showIpAddresses, int port,
                   QWidget* parent = nullptr);

    // The manual among the PDF files of the folder: the first whose name has the language's code
    // ("ru" of "ru_RU") as a word, else the first one; without PDF files there, the first in a
    // subfolder (one level down only) whose path holds "Manual", "Guide" or "Руководство".
    static QString findManual(const QString& folder, const QString& language);
    // The system's own name, its word width and, in grey, the kernel version.
    static QString systemText();
    // The sorted names, each on its own line, today's birthdays with a balloon before them.
    static QString developersText(const QMap<QString, QDateTime>& birthdays, const QDate& today);

private:
    void addButtons(const QString& manualLink, const QString& apiLink);
    QPushButton* addButton(QHBoxLayout* row, const QString& text, const QString& toolTip, const QString& styleSheet);
    void addRow(const QString& caption, QWidget* value);
    void addRow(const QString& caption, QLayout* value);
    QWidget* ipAddressesValue(int port);
    QPushButton* ipAddressButton(const QString& address);
    QLayout* feedbackValue(const QString& contactName, const QStringList& links);
    void showChangeLog();

    QGridLayout* outerGrid;
    QGridLayout* rows;
    int nextRow = 1;
};
