#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Every message box and file picker of the program passes through here. A handler set by a test
// or a headless run answers them without a modal loop; with no handler they are real dialogs.
class DialogSeam
{
public:
    enum class Kind { Message, OpenFile, OpenFiles, SaveFile, Folder };

    struct Button
    {
        QString text;
        QMessageBox::ButtonRole role = QMessageBox::AcceptRole;
    };

    struct Request
    {
        Kind kind = Kind::Message;
        QWidget* parent = nullptr;
        QString title;
        // Message boxes: the message, its icon, buttons (the first is the default), check box.
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QList<Button> buttons;
        bool stayOnTop = false;
        QString checkBoxText;
        QString checkBoxStyleSheet;
        bool checkBoxChecked = false;
        // File pickers: the folder or file to start from and the name filters.
        QString folder;
        QString filter;
    };

    struct Answer
    {
        // The index of the chosen button; -1 when the box was closed otherwise.
        int button = -1;
        bool checkBoxChecked = false;
        // The chosen files or folder; empty when the picker was cancelled.
        QStringList paths;
        // The name filter the picker was left on.
        QString selectedFilter;
    };

    using Handler = std::function<Answer(const Request&)>;

    // An empty handler brings the real dialogs back.
    static void setHandler(Handler handler);
    // Whether a handler answers instead of real dialogs, for callers with a dialog of their own.
    static bool hasHandler();
    static Answer ask(const Request& request);
    // The message box the request shows when no handler is set; the caller owns it.
    static QMessageBox* buildMessageBox(const Request& request);

private:
    static Answer showMessageBox(const Request& request);
    static Answer showFilePicker(const Request& request);
};
