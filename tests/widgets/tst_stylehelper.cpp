#include "StyleHelper.h"
#include "TestFiles.h"
#include "ZTSettings.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class ThemeSettings : public ZTSettings
{
    Q_OBJECT
    ZT_PROPERTY(StyleHelper::ColorThemeEnum, ColorTheme, StyleHelper::Light)
public:
    using ZTSettings::ZTSettings;
};

static QColor centreColour(QWidget& widget)
{
    const QImage image = widget.grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// The colour of the icon's fully covered pixels: the colour it is drawn in.
static QColor drawnColour(const QIcon& icon)
{
    const QImage image = icon.pixmap(24, 24).toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).alpha() == 255)
                return image.pixelColor(x, y);
        }
    }
    return QColor();
}

static void addShippedStyle()
{
    StyleHelper* style = StyleHelper::Instance();
    QVERIFY(style->addStyleFile(QStringLiteral(":/themes/zt.theme.css")));
    QVERIFY(style->addStyleFile(QStringLiteral(":/KestrumStyle.css")));
    QVERIFY(style->addThemeFile(QStringLiteral(":/themes/light.css"), QStringLiteral("light")));
    QVERIFY(style->addThemeFile(QStringLiteral(":/themes/dark.css"), QStringLiteral("dark")));
}

class TestStyleHelper : public QObject
{
    Q_OBJECT

private slots:
    void themeFilesAndVariableSubstitution()
    {
        StyleHelper* style = StyleHelper::Instance();
        // The application font is given in points here: its pixel size is what it is drawn at.
        QCOMPARE(StyleHelper::ThemeValue(QStringLiteral("--z-font-size"), QString()),
                 QString::number(QFontInfo(QApplication::font()).pixelSize()) + QStringLiteral("px"));
        QCOMPARE(StyleHelper::ThemeValue(QStringLiteral("--z-min-height"), QString()), QStringLiteral("20.8px"));

        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("test.css"));
        QVERIFY(writeFileBytes(path, ":root {\n"
                                     "   --z-bg: #FFF;  \r\n"
                                     "--z-odd: a: b;\n"
                                     "--z-grid-time: #111;\n"
                                     "--z-grid-time-text: #222;\n"
                                     "--z-self: x --z-self y;\n"
                                     "--z-shadowed: #333;\n"
                                     "--z-path: \":/icons/check.svg\";\n"
                                     "}\n"));
        QVERIFY(style->addThemeFile(path, QStringLiteral("Test Dark")));
        QVERIFY(!style->addThemeFile(folder.filePath(QStringLiteral("missing.css")), QStringLiteral("missing")));
        QVERIFY(!style->themes().contains(QStringLiteral("missing")));
        style->setCustomValue(QStringLiteral("--z-shadowed"), QStringLiteral("#444"));

        QSignalSpy changed(style, &StyleHelper::changed);
        style->selectTheme(QStringLiteral("Test Dark"));
        QCOMPARE(changed.count(), 1);
        QVERIFY(style->isDark());
        QCOMPARE(style->mainColor(), QColor(Qt::white));
        QCOMPARE(style->getThemeValue(QStringLiteral("--z-bg"), QString()), QStringLiteral("#FFF"));
        QCOMPARE(style->getThemeValue(QStringLiteral("--z-odd"), QStringLiteral("none")), QStringLiteral("none"));
        QCOMPARE(style->getThemeColor(QStringLiteral("--z-shadowed"), Qt::red), QColor(0x44, 0x44, 0x44));
        QCOMPARE(style->getThemeColor(QStringLiteral("--z-path"), Qt::red), QColor(Qt::red));
        QCOMPARE(style->getThemeColor(QStringLiteral("--z-unknown"), Qt::blue), QColor(Qt::blue));

        QCOMPARE(
            style->replaceThemeColors(QStringLiteral("a{color: --z-grid-time-text; border: --z-grid-time;}"
                                                     " --z-self --z-shadowed --z-unknown url(--z-path)")),
            QStringLiteral("a{color: #222; border: #111;} x --z-self y #444 --z-unknown url(\":/icons/check.svg\")"));

        // A name no theme has changes nothing, yet is announced.
        style->selectTheme(QStringLiteral("no such theme"));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(style->currentTheme(), QStringLiteral("Test Dark"));
        QVERIFY(!style->addStyleFile(folder.filePath(QStringLiteral("missing.css"))));
    }

    void shippedThemesStyleWidgets_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QColor>("panel");
        QTest::addColumn<QColor>("button");
        QTest::newRow("light") << "light" << QColor(0xCC, 0xCC, 0xCC) << QColor(0xE6, 0xE6, 0xE6);
        QTest::newRow("dark") << "dark" << QColor(0x29, 0x29, 0x29) << QColor(0x36, 0x36, 0x36);
    }

    void shippedThemesStyleWidgets()
    {
        QFETCH(QString, theme);
        QFETCH(QColor, panel);
        QFETCH(QColor, button);
        addShippedStyle();
        StyleHelper* style = StyleHelper::Instance();
        style->selectTheme(theme);
        QCOMPARE(style->isDark(), theme == QStringLiteral("dark"));

        // Every variable of the sheet has a value, and every file it names exists.
        const QString sheet = qApp->styleSheet();
        QVERIFY2(!sheet.contains(QStringLiteral("--z-")), qPrintable(sheet.mid(sheet.indexOf("--z-") - 40, 80)));
        static const QRegularExpression url(QStringLiteral("url\\(\"?([^\")]+)\"?\\)"));
        for (const QRegularExpressionMatch& match : url.globalMatch(sheet))
            QVERIFY2(QFile::exists(match.captured(1)), qPrintable(match.captured(1)));

        QWidget window;
        QFrame panelFrame(&window);
        panelFrame.setObjectName(QStringLiteral("panel"));
        panelFrame.setGeometry(0, 0, 60, 30);
        QPushButton positive(&window);
        positive.setObjectName(QStringLiteral("positive"));
        positive.setGeometry(0, 40, 60, 30);
        QPushButton plain(&window);
        plain.setGeometry(0, 80, 60, 30);
        QCOMPARE(centreColour(panelFrame), panel);
        QCOMPARE(centreColour(positive), QColor(0x33, 0xBB, 0x00));
        QCOMPARE(centreColour(plain), button);
        positive.setEnabled(false);
        QCOMPARE(centreColour(positive), style->getThemeColor(QStringLiteral("--z-btn-disabled-bg"), Qt::red));
    }

    void linkedCallbacksFollowTheme()
    {
        addShippedStyle();
        StyleHelper* style = StyleHelper::Instance();
        style->selectTheme(QStringLiteral("light"));
        int calls = 0;
        auto* gone = new QWidget;
        StyleHelper::Link(gone, [&calls] { ++calls; });
        QCOMPARE(calls, 1);
        QWidget kept;
        int keptCalls = 0;
        StyleHelper::Link(
            &kept, [&keptCalls] { ++keptCalls; }, false);
        StyleHelper::Link(nullptr, [&calls] { ++calls; });
        QCOMPARE(keptCalls, 0);
        delete gone;

        QPushButton button;
        StyleHelper::SetButtonIcon(&button, QStringLiteral("qrc:/icons/check.svg"), QStringLiteral("#FFF"));
        QWidget background;
        background.resize(20, 20);
        style->setStyledBackground(&background, QStringLiteral("--z-idle-bg"), Qt::red);
        QCOMPARE(drawnColour(button.icon()), QColor(0x30, 0x30, 0x30));
        QCOMPARE(centreColour(background), QColor(0xDD, 0xDD, 0xDD));

        style->selectTheme(QStringLiteral("dark"));
        QCOMPARE(calls, 1);
        QCOMPARE(keptCalls, 1);
        QCOMPARE(drawnColour(button.icon()), QColor(Qt::white));
        QCOMPARE(centreColour(background), QColor(0x33, 0x33, 0x33));
        QCOMPARE(drawnColour(StyleHelper::ColoredIcon(":/icons/close.svg", "#00FF00", "#0000FF")), QColor(Qt::green));

        StyleHelper::Clean();
        style->selectTheme(QStringLiteral("light"));
        QCOMPARE(keptCalls, 1);
        QCOMPARE(drawnColour(button.icon()), QColor(Qt::white));
    }

    void themeFollowsSettingAndSystemPalette()
    {
        addShippedStyle();
        StyleHelper* style = StyleHelper::Instance();
        const QPalette systemPalette = QApplication::palette();
        QPalette darkPalette = systemPalette;
        darkPalette.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        ThemeSettings settings;
        StyleHelper::InterlinkTheme(&settings, QStringLiteral("ColorTheme"));
        QCOMPARE(style->currentTheme(), QStringLiteral("light"));

        settings.setColorTheme(StyleHelper::Dark);
        QCOMPARE(style->currentTheme(), QStringLiteral("dark"));
        // With a fixed choice the system's scheme does not matter.
        QApplication::setPalette(darkPalette);
        settings.setColorTheme(StyleHelper::Light);
        QCOMPARE(style->currentTheme(), QStringLiteral("light"));

        settings.setColorTheme(StyleHelper::System);
        QCOMPARE(style->currentTheme(), QStringLiteral("dark"));
        QSignalSpy changed(style, &StyleHelper::changed);
        QApplication::setPalette(systemPalette);
        QCOMPARE(style->currentTheme(), QStringLiteral("light"));
        QCOMPARE(changed.count(), 1);
        settings.setColorTheme(StyleHelper::Light);
        QApplication::setPalette(darkPalette);
        QCOMPARE(style->currentTheme(), QStringLiteral("light"));
        QApplication::setPalette(systemPalette);
    }

    void fontFacesLoadUnderTheirFamily()
    {
        const QString family = QStringLiteral("Open Sans SemiCondensed");
        for (const QString& face : {"Regular", "SemiBold", "Bold", "Italic", "BoldItalic"}) {
            const int id =
                QFontDatabase::addApplicationFont(":/fonts/OpenSans/OpenSans_SemiCondensed-" + face + ".ttf");
            QVERIFY2(id >= 0, qPrintable(face));
            // A face outside regular, bold and italic also keeps a family name of its own.
            QCOMPARE(QFontDatabase::applicationFontFamilies(id).value(0), family);
        }
        const QStringList styles = QFontDatabase::styles(family);
        for (const QString& style : {"Regular", "SemiBold", "Bold", "Italic", "Bold Italic"})
            QVERIFY2(styles.contains(style), qPrintable(styles.join(", ")));
        QFont font(family);
        font.setPixelSize(15);
        QCOMPARE(QFontInfo(font).family(), family);
    }
};

QTEST_MAIN(TestStyleHelper)
#include "tst_stylehelper.moc"
