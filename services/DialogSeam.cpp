#include "DialogSeam.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QPushButton>

namespace {
// The message box orders its buttons by role; this property keeps the order of the request.
const char* const ButtonIndexProperty = "dialogSeamButtonIndex";

DialogSeam::Handler& currentHandler()
{
    static DialogSeam::Handler handler;
    return handler;
}

QStringList nonEmpty(const QString& path)
{
    return path.isEmpty() ? QStringList() : QStringList{path};
}
} // namespace

void DialogSeam::setHandler(Handler handler)
{
    currentHandler() = std::move(handler);
}

bool DialogSeam::hasHandler()
{
    return bool(currentHandler());
}

DialogSeam::Answer DialogSeam::ask(const Request& request)
{
    if (currentHandler())
        return currentHandler()(request);
    return request.kind == Kind::Message ? showMessageBox(request) : showFilePicker(request);
}

QMessageBox* DialogSeam::buildMessageBox(const Request& request)
{
    auto* box = new QMessageBox(request.icon, request.title, request.text, QMessageBox::NoButton, request.parent);
    for (qsizetype i = 0; i < request.buttons.size(); ++i) {
        QPushButton* button = box->addButton(request.buttons[i].text, request.buttons[i].role);
        button->setProperty(ButtonIndexProperty, int(i));
        if (i == 0)
            box->setDefaultButton(button);
    }
    if (request.stayOnTop)
        box->setWindowFlags(box->windowFlags() | Qt::WindowStaysOnTopHint);
    if (!request.checkBoxText.isEmpty()) {
        auto* checkBox = new QCheckBox(request.checkBoxText, box);
        checkBox->setChecked(request.checkBoxChecked);
        if (!request.checkBoxStyleSheet.isEmpty())
            checkBox->setStyleSheet(request.checkBoxStyleSheet);
        box->setCheckBox(checkBox);
    }
    return box;
}

DialogSeam::Answer DialogSeam::showMessageBox(const Request& request)
{
    QMessageBox* box = buildMessageBox(request);
    box->exec();
    Answer answer;
    if (box->clickedButton())
        answer.button = box->clickedButton()->property(ButtonIndexProperty).toInt();
    answer.checkBoxChecked = box->checkBox() ? box->checkBox()->isChecked() : request.checkBoxChecked;
    delete box;
    return answer;
}

DialogSeam::Answer DialogSeam::showFilePicker(const Request& request)
{
    Answer answer;
    switch (request.kind) {
    case Kind::OpenFile:
        answer.paths =
            nonEmpty(QFileDialog::getOpenFileName(request.parent, request.title, request.folder, request.filter));
        break;
    case Kind::OpenFiles:
        answer.paths = QFileDialog::getOpenFileNames(request.parent, request.title, request.folder, request.filter);
        break;
    case Kind::SaveFile:
        answer.paths = nonEmpty(QFileDialog::getSaveFileName(request.parent, request.title, request.folder,
                                                             request.filter, &answer.selectedFilter));
        break;
    case Kind::Folder:
        answer.paths = nonEmpty(QFileDialog::getExistingDirectory(request.parent, request.title, request.folder));
        break;
    case Kind::Message:
        break;
    }
    return answer;
}
