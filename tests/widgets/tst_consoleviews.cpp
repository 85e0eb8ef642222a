#include "DialogSeam.h"
#include "GlobalConsole.h"
#include "GlobalConsoleStatusWidget.h"
#include "GlobalConsoleTotalWidget.h"
#include "GlobalConsoleWidget.h"
#include "TestFiles.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <sys/stat.h>

#include <mutex>
#include <thread>
#include <vector>

namespace {
// Ten thousand console items would otherwise each reach the terminal.
void dropDebugOutput(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

// The lines the view shows, newest first, without their time stamps.
QStringList shownLines(GlobalConsoleWidget& view)
{
    static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d "));
    QStringList lines = view.plainText().split("\r\n");
    lines.removeLast();
    for (QString& line : lines)
        line.remove(time);
    return lines;
}

void trigger(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action->trigger();
    QFAIL(qPrintable("No menu entry " + text));
}

// Name and value of every row of a status grid, top to bottom.
QStringList shownRows(GlobalConsoleStatusWidget& grid)
{
    auto* layout = qobject_cast<QGridLayout*>(grid.layout());
    QStringList rows;
    for (int row = 0; row < layout->rowCount(); ++row) {
        QLayoutItem* name = layout->itemAtPosition(row, 0);
        QLayoutItem* value = layout->itemAtPosition(row, 1);
        if (name && value)
            rows << qobject_cast<QLabel*>(name->widget())->text() + "="
                        + qobject_cast<QLabel*>(value->widget())->text();
    }
    return rows;
}
} // namespace

class TestConsoleViews : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

private slots:
    void initTestCase()
    {
        qInstallMessageHandler(dropDebugOutput);
        // The documents folder of quick saves lies in the temporary home.
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    }

    void init() { GlobalConsole::ClearText(); }

    void itemsShowNewestFirstAsTheyWereWritten()
    {
        GlobalConsole::writeItem("a\r\n\r\nb\r\nc");
        GlobalConsoleWidget view;
        QCOMPARE(shownLines(view), QStringList({"a", "b", "c"}));
        // Items are HTML: a coloured line shows in its colour, and plain text written into an
        // item escaped shows as it is, on screen and in the text that is copied and saved.
        GlobalConsole::writeItem("x");
        GlobalConsole::writeItem("<span style=\"color:#C30\">red</span> " + QString("<unknown> & co").toHtmlEscaped(),
                                 "Error");
        QTRY_COMPARE(view.toPlainText().count('\n'), 4);
        QCOMPARE(shownLines(view), QStringList({"Error red <unknown> & co", "x", "a", "b", "c"}));
        QCOMPARE(view.document()->find("red").charFormat().foreground().color(), QColor("#C30"));
        QCOMPARE(view.document()->find("x").charFormat().foreground().color(), QColor(Qt::black));
        QVERIFY(view.toPlainText().startsWith(QTime::currentTime().toString("hh:")));

        std::unique_ptr<QMenu> menu(view.createContextMenu());
        QCOMPARE(menu->actions().size(), 9);
        trigger(menu.get(), "Clear");
        QCOMPARE(view.plainText(), QString());
        QCOMPARE(GlobalConsole::Instance()->entryCount(), 0);
        GlobalConsole::writeItem("z");
        QTRY_COMPARE(shownLines(view), QStringList({"z"}));
    }

    // A console opened after many items shows its newest lines whole, time stamps first.
    void opensShowingItsLinesWhole()
    {
        for (int item = 0; item < 60; ++item)
            GlobalConsole::writeItem(QStringLiteral("Port %1 answers nothing").arg(item), "Error");
        GlobalConsoleWidget view;
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.horizontalScrollBar()->value(), 0);
        QCOMPARE(view.verticalScrollBar()->value(), 0);
        QVERIFY2(view.document()->idealWidth() <= view.viewport()->width(),
                 qPrintable(QStringLiteral("%1 px of text in %2 px")
                                .arg(view.document()->idealWidth())
                                .arg(view.viewport()->width())));
        QVERIFY(view.viewport()->height() > 20 * view.fontMetrics().lineSpacing());
    }

    void savesAppendOrReplaceAndReportFailure()
    {
        GlobalConsole::writeItem("first");
        GlobalConsoleWidget view;
        QTemporaryDir folder;
        const QString path = folder.filePath("console.txt");
        QVERIFY(view.saveToFile(path));
        QVERIFY(view.saveToFile(path));
        const QByteArray once = view.plainText().toUtf8();
        QCOMPARE(readFileBytes(path), once + once);

        // The save dialog has asked before replacing a file, so the file is replaced.
        DialogSeam::setHandler([&](const DialogSeam::Request& request) {
            DialogSeam::Answer answer;
            if (request.kind == DialogSeam::Kind::SaveFile)
                answer.paths << path;
            return answer;
        });
        std::unique_ptr<QMenu> menu(view.createContextMenu());
        trigger(menu.get(), "Save to file");
        DialogSeam::setHandler({});
        QCOMPARE(readFileBytes(path), once);

        trigger(menu.get(), "Quick save to file (Documents)");
        const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        QVERIFY(documents.path().startsWith(home.path()));
        const QStringList saved = documents.entryList({"*.txt"});
        QCOMPARE(saved.size(), 1);
        QVERIFY2(
            QRegularExpression("^Kestrum_Console_\\d{4}\\.\\d\\d\\.\\d\\d-\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d{3}\\.txt$")
                .match(saved.constFirst())
                .hasMatch(),
            qPrintable(saved.constFirst()));
        QVERIFY(readFileBytes(documents.filePath(saved.constFirst())).startsWith(once));

        // A fifo would block the window until someone reads it.
        const QString fifo = folder.filePath("fifo");
        QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        for (const QString& refused : {folder.filePath("missing/console.txt"), fifo, folder.filePath("R<&>D/a.txt")}) {
            GlobalConsole::ClearText();
            QVERIFY(!view.saveToFile(refused));
            QVERIFY2(GlobalConsole::currentText().contains("Error Cannot save to: " + refused.toHtmlEscaped()),
                     qPrintable(GlobalConsole::currentText()));
            QTRY_VERIFY2(view.plainText().contains("Error Cannot save to: " + refused + "\r\n"),
                         qPrintable(view.plainText()));
        }
    }

    void tenThousandItemsFromSeveralThreadsKeepTheWindowResponsive()
    {
        GlobalConsoleTotalWidget total;
        auto* view = total.findChild<GlobalConsoleWidget*>();
        const QList<GlobalConsoleStatusWidget*> grids = total.findChildren<GlobalConsoleStatusWidget*>();
        QVERIFY(view);
        QCOMPARE(grids.size(), 2);
        total.show();

        constexpr int Writers = 4;
        constexpr int Items = 3000;
        // Qt posts queued signals under its own locks, which ThreadSanitizer cannot see in
        // Debian's build: the writers take turns under a lock of ours, and the window takes
        // their items once they are done.
        std::mutex turns;
        std::vector<std::thread> writers;
        for (int writer = 0; writer < Writers; ++writer)
            writers.emplace_back([writer, &turns] {
                for (int item = 0; item < Items; ++item) {
                    const std::lock_guard<std::mutex> turn(turns);
                    GlobalConsole::writeItem(QStringLiteral("w%1 #%2").arg(writer).arg(item));
                    GlobalConsole::setStatus(QStringLiteral("writer %1").arg(writer), QString::number(item));
                    GlobalConsole::countAverage(QStringLiteral("load"), writer, 1);
                }
            });
        for (std::thread& writer : writers)
            writer.join();

        // The longest time the event loop went without running a 10 ms timer while the items
        // reached the views.
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
        sinceTick.start();
        tick.start(10);
        QStringList lastStatuses;
        for (int writer = 0; writer < Writers; ++writer)
            lastStatuses << QStringLiteral("writer %1=%2").arg(writer).arg(Items - 1);
        QTRY_VERIFY_WITH_TIMEOUT(shownRows(*grids[0]).mid(0, Writers) == lastStatuses
                                     || shownRows(*grids[1]).mid(0, Writers) == lastStatuses,
                                 60000);
        QTRY_COMPARE(view->document()->blockCount(), GlobalConsoleWidget::MaxLines);
        // Rendering the whole text again for every item, the view took minutes.
        QVERIFY2(longestGap < 5000, qPrintable(QString::number(longestGap)));

        GlobalConsole::writeItem("newest");
        QTRY_VERIFY(view->toPlainText().section('\n', 0, 0).endsWith(" newest"));
        QCOMPARE(view->document()->blockCount(), GlobalConsoleWidget::MaxLines);
    }

    void statusGridsFollowTheConsoleInNameOrder()
    {
        GlobalConsole::clearStatus(QString());
        GlobalConsole::setStatus("b", "1");
        GlobalConsoleStatusWidget statuses;
        QCOMPARE(shownRows(statuses), QStringList({"b=1"}));
        GlobalConsole::setStatus("<i>a</i>", "<b>2</b>");
        QTRY_COMPARE(shownRows(statuses), QStringList({"<i>a</i>=<b>2</b>", "b=1"}));
        for (QLabel* label : statuses.findChildren<QLabel*>())
            QCOMPARE(label->textFormat(), Qt::PlainText);
        statuses.update("c", QStringLiteral("ignored"));
        QCOMPARE(shownRows(statuses).size(), 2);
        GlobalConsole::clearStatus("b");
        QTRY_COMPARE(shownRows(statuses), QStringList({"<i>a</i>=<b>2</b>"}));

        GlobalConsole::countAverage("pi", 3.14159, 1);
        GlobalConsoleStatusWidget averages(GlobalConsoleStatusWidget::Averages);
        const QString point = QLocale().decimalPoint();
        QVERIFY(shownRows(averages).contains("pi=3" + point + "14"));
        averages.setPrecision(4);
        QVERIFY(shownRows(averages).contains("pi=3" + point + "14"));
        averages.updateAll();
        QVERIFY(shownRows(averages).contains("pi=3" + point + "1416"));
    }
};

QTEST_MAIN(TestConsoleViews)
#include "tst_consoleviews.moc"
