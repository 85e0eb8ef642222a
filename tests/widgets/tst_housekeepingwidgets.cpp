#include "AboutAppWidget.h"
#include "ChoiceBox.h"
#include "Clock.h"
#include "ComboMenu.h"
#include "GlobalConsole.h"
#include "LoopbackUpdateServer.h"
#include "MenuButton.h"
#include "NewVersionButton.h"
#include "NewVersionChecker.h"
#include "NewVersionMenuAction.h"
#include "TestFiles.h"
#include "TranslationCoverage.h"
#include "VersionChecker.h"
#include "WidgetPixels.h"
#include "ZRectangle.h"
#include "ZScrollViewer.h"

#include <QAbstractItemView>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {
// Receives the addresses the desktop services are asked to open.
class OpenedLinks : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> links;

public slots:
    void open(const QUrl& url) { links << url; }
};

QPushButton* buttonNamed(QWidget& parent, const QString& text)
{
    for (QPushButton* button : parent.findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// Caption and value text of every information row of the about page, top to bottom.
QList<QPair<QString, QWidget*>> aboutRows(AboutAppWidget& about)
{
    QList<QPair<QString, QWidget*>> rows;
    for (QLabel* caption : about.findChildren<QLabel*>())
        if (caption->objectName() == QStringLiteral("graytext")) {
            auto* grid = qobject_cast<QGridLayout*>(caption->parentWidget()->layout());
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(grid->indexOf(caption), &row, &column, &rowSpan, &columnSpan);
            rows << qMakePair(caption->text(), grid->itemAtPosition(row, 1)->widget());
        }
    return rows;
}

QString labelText(QWidget* widget)
{
    auto* label = qobject_cast<QLabel*>(widget);
    return label ? label->text() : QString();
}
} // namespace

class TestHousekeepingWidgets : public QObject
{
    Q_OBJECT

    LoopbackUpdateServer server;
    ManualClock clock;
    OpenedLinks opened;

    void answerAndCheck(const QByteArray& body)
    {
        server.answer("200 OK", body);
        clock.advance(VersionChecker::MinimumSpacingMs);
        QSignalSpy found(VersionChecker::Instance(), &VersionChecker::versionFound);
        VersionChecker::FindNewVersionAsync();
        QVERIFY(found.wait(5000));
    }

private slots:
    void initTestCase()
    {
        VersionChecker::baseUrl = server.baseUrl();
        VersionChecker::setClock(&clock);
        for (const char* scheme : {"http", "https", "file", "mailto"})
            QDesktopServices::setUrlHandler(scheme, &opened, "open");
        QVERIFY(addShippedThemes());
        StyleHelper::Instance()->selectTheme("light");
    }

    void cleanupTestCase()
    {
        for (const char* scheme : {"http", "https", "file", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    void newVersionIsOfferedWhileTheCheckKnowsOne()
    {
        server.answer("200 OK", R"({"valid":true,"version":"3.11","link":"https:\/\/k.example\/get"})");
        NewVersionButton first;
        QSignalSpy offered(&first, &NewVersionButton::onHasNewVersionChanged);
        QVERIFY(offered.wait(5000));
        QCOMPARE(offered.at(0).at(0).toBool(), true);
        QVERIFY(first.hasNewVersion() && first.button()->isVisibleTo(&first));
        QCOMPARE(first.button()->text(), QStringLiteral("Kestrum 3.11"));
        QCOMPARE(first.button()->toolTip(), QStringLiteral("Click to download new version 3.11"));
        QCOMPARE(first.button()->cursor().shape(), Qt::PointingHandCursor);
        first.button()->click();
        QCOMPARE(opened.links, QList<QUrl>({QUrl("https://k.example/get")}));

        // A later offer shows the known result at once, without asking again.
        const qsizetype requests = server.targets.size();
        NewVersionButton second("New version ");
        NewVersionMenuAction action;
        QVERIFY(second.button()->isVisibleTo(&second));
        QCOMPARE(second.button()->text(), QStringLiteral("New version 3.11"));
        QVERIFY(action.isVisible());
        QCOMPARE(action.text(), QStringLiteral("Kestrum 3.11"));
        QCOMPARE(server.targets.size(), requests);

        // A link that is not a web address is offered but never opened.
        opened.links.clear();
        answerAndCheck(R"({"valid":true,"version":"3.12","link":"file:\/\/\/etc\/passwd"})");
        QTRY_COMPARE(first.button()->text(), QStringLiteral("Kestrum 3.12"));
        GlobalConsole::ClearText();
        first.button()->click();
        action.trigger();
        QVERIFY(opened.links.isEmpty());
        QVERIFY(GlobalConsole::currentText().contains("Not a web address, not opened: file:///etc/passwd"));
        QVERIFY(!NewVersionChecker::isWebLink("javascript:alert(1)"));
        QVERIFY(!NewVersionChecker::isWebLink("http:relative"));
        QVERIFY(NewVersionChecker::isWebLink("HTTP://k.example"));

        // An answer that offers nothing hides every offer again.
        answerAndCheck(R"({"valid":true,"version":"3.10.0"})");
        QTRY_VERIFY(!first.button()->isVisibleTo(&first));
        QVERIFY(!first.hasNewVersion() && !second.button()->isVisibleTo(&second) && !action.isVisible());
        QCOMPARE(offered.last().at(0).toBool(), false);
    }

    void menuOnAPersistentPanelOverTheWindow()
    {
        QWidget window;
        window.resize(640, 480);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QMenu menu;
        QSignalSpy chosen(menu.addAction("One"), &QAction::triggered);
        menu.addSeparator();
        menu.addMenu("More")->addAction("Sub");
        QPointer<MenuButton> temporary = MenuButton::fromMenu(&menu, "font-size: 20px");
        QSignalSpy hidden(temporary.data(), &MenuButton::menuHidden);
        QDialog* panel = temporary->persistentPanel();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->size(), window.size());
        QVERIFY(!panel->findChild<QScrollArea*>()->isVisible());
        QWidget* entries = panel->findChild<QWidget*>("menulike");
        QVERIFY(entries && entries->isVisible());
        QVERIFY(qAbs(entries->geometry().center().y() - panel->height() / 2) <= 2);
        auto* separator = entries->findChild<ZRectangle*>();
        QVERIFY(separator);
        QCOMPARE(separator->height(), 2);
        QCOMPARE(separator->background(), QColor("#777777"));
        QCOMPARE(pixelAt(*separator, separator->width() / 2, 1), QColor("#777777"));
        QPushButton* one = buttonNamed(*entries, "One");
        QPushButton* sub = buttonNamed(*entries, "Sub");
        QVERIFY(one && sub && buttonNamed(*entries, "More"));
        QCOMPARE(sub->mapTo(entries, QPoint()).x() - one->mapTo(entries, QPoint()).x(), 24);

        window.resize(500, 400);
        QTRY_COMPARE_WITH_TIMEOUT(panel->size(), QSize(500, 400), 3000);

        one->click();
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(hidden.size(), 1);
        QVERIFY(!panel->isVisible());
        QTRY_VERIFY(temporary.isNull());

        // Entries that do not fit scroll; the corner button closes the panel.
        QMenu longMenu;
        for (int entry = 0; entry < 40; ++entry)
            longMenu.addAction(QStringLiteral("Entry %1").arg(entry));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        temporary = MenuButton::fromMenu(&longMenu, "font-size: 20px");
        panel = temporary->persistentPanel();
        QVERIFY(panel->findChild<QScrollArea*>()->isVisible());
        QPushButton* close = buttonNamed(*panel, QString());
        QVERIFY(close && close->icon().cacheKey() != 0);
        QCOMPARE(close->size(), QSize(32, 32));
        QCOMPARE(close->toolTip(), QStringLiteral("Close"));
        QCOMPARE(drawnColour(MenuButton::CloseIcon()), QColor("#303030"));
        close->click();
        QVERIFY(!panel->isVisible());
        QTRY_VERIFY(temporary.isNull());
    }

    // Shown in place, the entries live in a viewer that the host widget owns: the host may go
    // first, and the button and its entries carry on without it.
    void menuInPlaceOutlivesItsHost()
    {
        MenuButton button(QIcon(), "Menu");
        QPointer<QPushButton> entry = new QPushButton("Entry");
        button.addWidgetToMenu(entry);
        auto host = std::make_unique<QWidget>();
        button.setParentLayout(new QVBoxLayout(host.get()));
        QSignalSpy hidden(&button, &MenuButton::menuHidden);
        button.click();
        auto* viewer = host->findChild<ZScrollViewer*>();
        QVERIFY(button.isChecked() && viewer && viewer->isVisibleTo(host.get()));
        QCOMPARE(entry->window(), host.get());

        host.reset();
        QVERIFY(entry);
        QVERIFY(!entry->parentWidget()->isVisible());
        button.click();
        QVERIFY(!button.isChecked());
        QCOMPARE(hidden.size(), 1);
        QCOMPARE(button.menuLayout()->indexOf(entry), 0);
    }

    void comboMenuStartsWithoutChoices()
    {
        ComboMenu combo;
        QVERIFY(combo.text().isEmpty() && combo.icon().isNull());
        QCOMPARE(combo.styleSheet(), QStringLiteral("text-align: left"));
        QVERIFY(combo.choiceTexts().isEmpty() && combo.choiceButtons().isEmpty());
        QVERIFY(QSignalSpy(&combo, &ComboMenu::currentIndexChanged).isValid());
    }

    // A narrow choice list opens wide enough to draw its longest choice whole, in the program's
    // font and either theme.
    void choiceListShowsItsLongestChoiceWhole_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::newRow("light") << "light";
        QTest::newRow("dark") << "dark";
    }

    void choiceListShowsItsLongestChoiceWhole()
    {
        QFETCH(QString, theme);
        QVERIFY(QFontDatabase::addApplicationFont(":/fonts/OpenSans/OpenSans_SemiCondensed-Regular.ttf") >= 0);
        StyleHelper* style = StyleHelper::Instance();
        const QString family = style->getThemeValue("--z-font-family", QString());
        const QString size = style->getThemeValue("--z-font-size", QString());
        style->setCustomValue("--z-font-family", "'Open Sans SemiCondensed'");
        style->setCustomValue("--z-font-size", "15px");
        style->selectTheme(theme);
        const auto restore = qScopeGuard([&] {
            style->setCustomValue("--z-font-family", family);
            style->setCustomValue("--z-font-size", size);
            style->selectTheme("light");
        });
        const QString longest = QStringLiteral("Большая прямоугольная платформа");
        QWidget window;
        ChoiceBox box(&window);
        // Items with icons, as the program's lists have; a clear one leaves only the text inked.
        QPixmap clear(16, 16);
        clear.fill(Qt::transparent);
        for (const QString& choice : {QStringLiteral("Круглая"), longest})
            box.addItem(QIcon(clear), choice);
        box.setFixedWidth(80);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box.showPopup();
        QAbstractItemView* list = box.view();
        QTRY_VERIFY(list->isVisible());
        const QFontMetrics metrics = box.fontMetrics();
        QVERIFY(list->window()->width() >= metrics.horizontalAdvance(longest) + 2 * list->frameWidth());

        // The row of the longest choice, which is not the current one and so carries no mark, is
        // inked across the whole text, not across a shortened "Большая пр…а платформа".
        const QImage row = list->viewport()->grab(list->visualRect(list->model()->index(1, 0))).toImage();
        const double background = luminance(dominantColour(row));
        int left = row.width();
        int right = -1;
        for (int y = 0; y < row.height(); ++y) {
            for (int x = 0; x < row.width(); ++x) {
                if (std::abs(luminance(row.pixelColor(x, y)) - background) > 0.1) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        const int wholeText = metrics.tightBoundingRect(longest).width();
        QVERIFY2(right - left + 1 >= wholeText - 2,
                 qPrintable(QStringLiteral("%1 of %2 pixels inked").arg(right - left + 1).arg(wholeText)));
        box.hidePopup();
    }

    void manualIsFoundWithoutWalkingTheProgramTree_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("found");
        QTest::newRow("the language's file")
            << "program" << QStringList{"guide_en.pdf", "guide_ru.pdf"} << "guide_ru.pdf";
        // Every install folder of the program holds "ru" (in "Kestrum"), as do many words.
        QTest::newRow("the code within words")
            << "Kestrum-ru" << QStringList{"Instruction_en.pdf", "guide_ru.pdf"} << "guide_ru.pdf";
        QTest::newRow("no file in the language") << "program" << QStringList{"a_en.pdf"} << "a_en.pdf";
        QTest::newRow("one level down") << "program" << QStringList{"docs/Kestrum Manual.pdf", "docs/other.pdf"}
                                        << "docs/Kestrum Manual.pdf";
        QTest::newRow("Russian name") << "program" << QStringList{"docs/Руководство.pdf"} << "docs/Руководство.pdf";
        QTest::newRow("deeper is not searched") << "program" << QStringList{"a/b/Manual.pdf"} << "";
        QTest::newRow("none") << "program" << QStringList{"readme.txt"} << "";
    }

    void manualIsFoundWithoutWalkingTheProgramTree()
    {
        QFETCH(QString, folderName);
        QFETCH(QStringList, files);
        QFETCH(QString, found);
        QTemporaryDir root;
        const QString folder = root.filePath(folderName);
        for (const QString& file : files) {
            QVERIFY(QDir().mkpath(QFileInfo(folder + "/" + file).absolutePath()));
            QVERIFY(writeFileBytes(folder + "/" + file, "%PDF"));
        }
        QCOMPARE(AboutAppWidget::findManual(folder, "ru_RU"), found.isEmpty() ? found : folder + "/" + found);
    }

    void aboutPageRows()
    {
        const QDate today = QDate::currentDate();
        const QMap<QString, QDateTime> birthdays{{"Zed", QDateTime(today.addYears(-30), QTime(8, 0))},
                                                 {"ann <b>", QDateTime(today.addDays(-1).addYears(-20), QTime())},
                                                 {"Bob", QDateTime(today.addDays(1).addYears(-25), QTime())}};
        AboutAppWidget about("Acme <Lab>", {"https://a.example", "https://b.example/x"}, QString(),
                             "https://api.example", birthdays, true, 0);
        const QList<QPair<QString, QWidget*>> rows = aboutRows(about);
        QStringList captions;
        for (const auto& row : rows)
            captions << row.first;
        QCOMPARE(captions, QStringList({"Version", "OS", "IP address", "Feedback\n", "Developers"}));

        const QString built = QFileInfo(QCoreApplication::applicationFilePath()).lastModified().toString("yyyy-MM-dd");
        QCOMPARE(labelText(rows[0].second),
                 QStringLiteral("3.10.0 <span style=\"color: #789\">(built on %1)</span>").arg(built));
        const QString system = labelText(rows[1].second);
        QVERIFY2(system.startsWith(QSysInfo::prettyProductName() + " 64-bit"), qPrintable(system));
        QVERIFY(system.contains(QSysInfo::kernelVersion()));
        QVERIFY(!system.contains("Windows"));
        QVERIFY(!labelText(rows[2].second).contains("127.0.0.1"));
        QVERIFY(labelText(rows[3].second->findChild<QLabel*>()).startsWith("<p>Acme &lt;Lab&gt;</p>"));
        QVERIFY(buttonNamed(*rows[3].second, "a.example") && buttonNamed(*rows[3].second, "b.example/x"));
        buttonNamed(*rows[3].second, "info@kestrum.example")->click();
        QCOMPARE(opened.links.last(), QUrl("mailto:info@kestrum.example"));
        QCOMPARE(AboutAppWidget::developersText(birthdays, today),
                 QString::fromUtf8("Bob<br/>\xF0\x9F\x8E\x88 Zed<br/>ann &lt;b&gt;<br/>"));

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        // No manual beside the test and no link: no manual button.
        QVERIFY(!buttonNamed(about, "Manual"));
        QVERIFY(buttonNamed(about, "API") && about.findChild<NewVersionButton*>());
        QCOMPARE(buttonNamed(about, "API")->toolTip(), QStringLiteral("Open API in browser\nhttps://api.example"));
        buttonNamed(about, "ChangeLog")->click();
        QLabel* changeLog = nullptr;
        for (QLabel* label : about.findChildren<QLabel*>())
            if (label->text().startsWith("<style>"))
                changeLog = label;
        QVERIFY(changeLog && changeLog->isVisibleTo(&about));
        QVERIFY(changeLog->text().contains("<b>3.10.0 <span"));
        QWidget* overlay = changeLog;
        while (overlay->parentWidget() != &about)
            overlay = overlay->parentWidget();
        QTRY_COMPARE(overlay->geometry(), about.rect());
        QPointer<QWidget> guard = changeLog;
        for (QPushButton* close : overlay->findChildren<QPushButton*>())
            if (close->toolTip() == QStringLiteral("Close"))
                close->click();
        QTRY_VERIFY(guard.isNull());

        AboutAppWidget withPort("Acme", {}, "https://manual.example", QString(), {}, true, 8080);
        {
            TranslationCoverage coverage;
            AboutAppWidget translated("Acme", {"https://a.example"}, "https://manual.example", "https://api.example",
                                      {{"Ann", QDateTime()}}, true, 0);
            const QStringList problems =
                coverage.problems(&translated, {"Acme", "https://a.example", "a.example", "mailto:info@kestrum.example",
                                                "info@kestrum.example", "API", "https://api.example", "Ann",
                                                QSysInfo::prettyProductName(), QSysInfo::kernelVersion()});
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        }
        QVERIFY(buttonNamed(withPort, "Manual") && !buttonNamed(withPort, "API"));
        for (QPushButton* address : withPort.findChildren<QPushButton*>())
            if (address->text().endsWith(":8080")) {
                QCOMPARE(address->objectName(), QStringLiteral("linkButton"));
                address->click();
                QCOMPARE(opened.links.last(), QUrl("http://" + address->text()));
            }
    }
};

QTEST_MAIN(TestHousekeepingWidgets)
#include "tst_housekeepingwidgets.moc"
