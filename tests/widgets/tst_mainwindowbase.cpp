#include "GlobalConsole.h"
#include "GlobalKeyboard.h"
#include "MediaHelper.h"
#include "StyleHelper.h"
#include "WindowStateControlWidget.h"
#include "ZTMainWindow.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QString MaximizeIcon = QStringLiteral(":/icons/maximize.svg");
const QString MaximizedIcon = QStringLiteral(":/icons/maximized.svg");

qint64 iconKey(const QString& path, bool dark)
{
    return MediaHelper::iconColored(path, dark ? QStringLiteral("#FFF") : QStringLiteral("#303030"),
                                    QStringLiteral("#303030"))
        .cacheKey();
}

} // namespace

class TestMainWindowBase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        StyleHelper* style = StyleHelper::Instance();
        QVERIFY(style->addThemeFile(QStringLiteral(":/themes/light.css"), QStringLiteral("light")));
        QVERIFY(style->addThemeFile(QStringLiteral(":/themes/dark.css"), QStringLiteral("dark")));
        style->selectTheme(QStringLiteral("light"));
    }

    void closingMayBeRefused()
    {
        auto window = std::make_unique<ZTMainWindow>();
        QWidget other;
        bool keepOpen = true;
        connect(window.get(), &ZTMainWindow::closing, [&keepOpen](bool& closeForGood) { closeForGood = !keepOpen; });
        QSignalSpy resized(window.get(), &ZTMainWindow::resized);
        QSignalSpy states(window.get(), &ZTMainWindow::windowStateChanged);
        window->show();
        other.show();
        window->resize(300, 200);
        QTRY_VERIFY(!resized.isEmpty());

        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        keepOpen = false;
        QVERIFY(window->close());
        QVERIFY(!other.isVisible());

        window->setWindowState(Qt::WindowMaximized);
        QCOMPARE(states.count(), 1);
        QCOMPARE(states.first().first().value<Qt::WindowStates>(), Qt::WindowStates(Qt::WindowNoState));

        // Going, it takes the theme engine's re-styling callbacks with it.
        QObject styled;
        int restyled = 0;
        StyleHelper::Link(&styled, [&restyled] { ++restyled; });
        window.reset();
        StyleHelper::Instance()->selectTheme(QStringLiteral("dark"));
        StyleHelper::Instance()->selectTheme(QStringLiteral("light"));
        QCOMPARE(restyled, 1);
    }

    void stateButtonsDriveTheWindow()
    {
        ZTMainWindow window;
        WindowStateControlWidget controls(&window);
        const QList<QPushButton*> buttons = controls.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 3);
        QPushButton* maximize = buttons[1];
        window.show();
        QCOMPARE(maximize->icon().cacheKey(), iconKey(MaximizeIcon, false));

        maximize->click();
        QCOMPARE(window.windowState(), Qt::WindowStates(Qt::WindowMaximized));
        QCOMPARE(maximize->icon().cacheKey(), iconKey(MaximizedIcon, false));
        // The picture follows the theme and still shows the state.
        StyleHelper::Instance()->selectTheme(QStringLiteral("dark"));
        QCOMPARE(maximize->icon().cacheKey(), iconKey(MaximizedIcon, true));
        StyleHelper::Instance()->selectTheme(QStringLiteral("light"));
        maximize->click();
        QCOMPARE(window.windowState(), Qt::WindowStates(Qt::WindowNoState));
        QCOMPARE(maximize->icon().cacheKey(), iconKey(MaximizeIcon, false));

        // Full screen as well is not exactly maximised: the button maximises.
        window.setWindowState(Qt::WindowMaximized | Qt::WindowFullScreen);
        maximize->click();
        QCOMPARE(window.windowState(), Qt::WindowStates(Qt::WindowMaximized));
        buttons[0]->click();
        QCOMPARE(window.windowState(), Qt::WindowStates(Qt::WindowMinimized));
        buttons[2]->click();
        QVERIFY(!window.isVisible());

        WindowStateControlWidget unattached(nullptr);
        for (QPushButton* button : unattached.findChildren<QPushButton*>())
            button->click();
    }

    void keyboardTableAndMissingHook_data()
    {
        QTest::addColumn<quint32>("virtualKey");
        QTest::addColumn<Qt::Key>("key");
        QTest::newRow("right Control") << 163u << Qt::Key_Control;
        QTest::newRow("Return") << 13u << Qt::Key_Enter;
        QTest::newRow("left Shift") << 160u << Qt::Key_Shift;
        QTest::newRow("plain Shift") << 16u << Qt::Key_unknown;
        QTest::newRow("F12") << 123u << Qt::Key_F12;
        QTest::newRow("digit") << 55u << Qt::Key_7;
        QTest::newRow("letter") << 90u << Qt::Key_Z;
        QTest::newRow("main plus") << 187u << Qt::Key_Plus;
        QTest::newRow("keypad plus") << 107u << Qt::Key_unknown;
    }

    void keyboardTableAndMissingHook()
    {
        QFETCH(quint32, virtualKey);
        QFETCH(Qt::Key, key);
        QCOMPARE(GlobalKeyboard::getQKey(virtualKey), key);
        QCOMPARE(GlobalKeyboard::getQKeyIndex(virtualKey), key == Qt::Key_unknown ? 0 : int(key));

        GlobalConsole::ClearText();
        GlobalKeyboard* keyboard = GlobalKeyboard::Instance();
        QVERIFY(!keyboard->setInstalled(true));
        QVERIFY(!keyboard->setInstalled(true));
        QVERIFY(!keyboard->isInstalled());
        QVERIFY(GlobalConsole::currentText().contains(QStringLiteral("not available")));
    }
};

QTEST_MAIN(TestMainWindowBase)
#include "tst_mainwindowbase.moc"
