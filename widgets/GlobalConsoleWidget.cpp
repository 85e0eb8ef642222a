#include "GlobalConsoleWidget.h"

#include "AppHelper.h"
#include "FileUtilities.h"
#include "SettingsFileHelper.h"
#include "TextHelper.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>

#include <cmath>
#include <utility>

namespace {
// The lines a console window opens to show.
constexpr int linesInView = 30;

void reportCannotSave(const QString& path)
{
    GlobalConsole::writeItem(QCoreApplication::translate("Generic", "Cannot save to") + QStringLiteral(": ")
                                 + path.toHtmlEscaped(),
                             QStringLiteral("Error"));
}

// Appending to a fifo or a device would block or go nowhere; only regular files (or links to
// them) and new files are written.
bool isWritableTarget(const QString& path)
{
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}

// Console text breaks lines at "\n", "\r\n" and "\r\n\r\n" alike.
QStringList linesOf(QString text)
{
    text.replace(QStringLiteral("\r\n\r\n"), QStringLiteral("\n"))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.split(QLatin1Char('\n'));
}

// Parsing HTML costs a document each time; a line without markup or entities reads the same as text.
bool isMarkup(const QString& line)
{
    return line.contains(QLatin1Char('<')) || line.contains(QLatin1Char('&'));
}
} // namespace

GlobalConsoleWidget::GlobalConsoleWidget(QWidget* parent)
    : QTextEdit(parent)
{
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QTextEdit::NoWrap);
    setStyleSheet(QStringLiteral("font-family: Consolas, 'Courier New', monospace"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    pendingTimer.setSingleShot(true);
    pendingTimer.setInterval(0);
    connect(&pendingTimer, &QTimer::timeout, this, &GlobalConsoleWidget::showPending);
    connections << connect(GlobalConsole::Instance(), &GlobalConsole::newEntry, this, &GlobalConsoleWidget::newEntry,
                           Qt::QueuedConnection);

    QStringList lines = linesOf(GlobalConsole::currentText());
    if (lines.constLast().isEmpty())
        lines.removeLast();
    insertLinesAtTop(lines);
    dropLinesBeyondMax();

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        QMenu* menu = createContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(mapToGlobal(position));
    });
}

void GlobalConsoleWidget::newEntry(const QString& text)
{
    if (text.isEmpty())
        return;
    pending.append(text);
    // Only the newest lines would be kept anyway.
    if (pending.size() > MaxLines)
        pending.removeFirst();
    if (!pendingTimer.isActive())
        pendingTimer.start();
}

void GlobalConsoleWidget::showPending()
{
    pendingTimer.stop();
    if (pending.isEmpty())
        return;
    QStringList lines;
    for (auto entry = pending.crbegin(); entry != pending.crend(); ++entry)
        lines += linesOf(*entry);
    pending.clear();
    insertLinesAtTop(lines);
    dropLinesBeyondMax();
}

void GlobalConsoleWidget::insertLinesAtTop(const QStringList& lines)
{
    const bool linesBelow = !document()->isEmpty();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::Start);
    cursor.beginEditBlock();
    for (qsizetype first = 0; first < lines.size();) {
        qsizetype end = first;
        while (end < lines.size() && !isMarkup(lines.at(end)))
            ++end;
        // A run of lines without markup goes in at once (its line feeds become blocks), so a
        // burst of plain items costs one insertion.
        if (end > first) {
            cursor.insertText(lines.mid(first, end - first).join(QLatin1Char('\n')), QTextCharFormat());
        } else {
            cursor.insertHtml(lines.at(first));
            ++end;
        }
        // A fresh format, so that the colour of a span does not run on into the next line.
        if (end < lines.size() || linesBelow)
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        first = end;
    }
    cursor.endEditBlock();
}

void GlobalConsoleWidget::dropLinesBeyondMax()
{
    if (document()->blockCount() <= MaxLines)
        return;
    QTextCursor cursor(document());
    cursor.setPosition(document()->findBlockByNumber(MaxLines).position() - 1);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

QString GlobalConsoleWidget::plainText()
{
    showPending();
    QString text = toPlainText();
    if (text.isEmpty())
        return text;
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString GlobalConsoleWidget::standardSaveFilePath()
{
    const QString folder =
        FileUtilities::FolderSlash(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    FileUtilities::createIfNotExists(folder);
    return folder + QCoreApplication::applicationName() + QLatin1Char('_')
           + QCoreApplication::translate("Generic", "Console") + QLatin1Char('_')
           + TextHelper::DateTimeFileString(QDateTime::currentDateTime(), true) + QStringLiteral(".txt");
}

bool GlobalConsoleWidget::saveToFile(const QString& path)
{
    const QByteArray bytes = plainText().toUtf8();
    QFile file(path);
    const bool saved = isWritableTarget(path) && file.open(QIODevice::WriteOnly | QIODevice::Append)
                       && file.write(bytes) == bytes.size() && file.flush();
    if (!saved)
        reportCannotSave(path);
    return saved;
}

QMenu* GlobalConsoleWidget::createContextMenu()
{
    auto* menu = new QMenu(this);
    menu->addAction(QCoreApplication::translate("Generic", "Copy all to clipboard"), this,
                    [this] { QGuiApplication::clipboard()->setText(plainText()); });
    menu->addSeparator();
    menu->addAction(QCoreApplication::translate("Generic", "Select all"), this, &QTextEdit::selectAll);
    menu->addAction(QCoreApplication::translate("Generic", "Copy selected"), this, &QTextEdit::copy);
    menu->addSeparator();
    menu->addAction(QCoreApplication::translate("Generic", "Clear"), this, &GlobalConsoleWidget::clearAll);
    menu->addSeparator();
    menu->addAction(QCoreApplication::translate("Generic", "Save to file"), this, &GlobalConsoleWidget::saveWithDialog);
    menu->addAction(QCoreApplication::translate("Generic", "Quick save to file (Documents)"), this,
                    [this] { saveToFile(standardSaveFilePath()); });
    return menu;
}

void GlobalConsoleWidget::clearAll()
{
    pending.clear();
    clear();
    GlobalConsole::ClearText();
}

// The dialog has asked whether to replace an existing file, so the file is replaced, not
// appended to.
void GlobalConsoleWidget::saveWithDialog()
{
    const QString path = AppHelper::getSaveFileName(this, QCoreApplication::translate("Generic", "Save to file"),
                                                    standardSaveFilePath(), QStringLiteral("*.txt"));
    if (!path.isEmpty() && !SettingsFileHelper::commit(path, plainText().toUtf8()))
        reportCannotSave(path);
}

void GlobalConsoleWidget::closeEvent(QCloseEvent* event)
{
    emit closing();
    QTextEdit::closeEvent(event);
}

QSize GlobalConsoleWidget::sizeHint() const
{
    const int around = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QSize wanted(int(std::ceil(document()->idealWidth())) + around,
                       fontMetrics().lineSpacing() * linesInView + around);
    const QSize screenSize = screen() ? screen()->availableGeometry().size() : wanted;
    return wanted.boundedTo(screenSize).expandedTo(QTextEdit::sizeHint());
}

// The lines go in above the view's own cursor, which they push down to the end of one of them:
// shown there, the view would open scrolled sideways, its time stamps out of sight.
void GlobalConsoleWidget::showEvent(QShowEvent* event)
{
    if (!std::exchange(shownBefore, true))
        moveCursor(QTextCursor::Start);
    QTextEdit::showEvent(event);
}
