#include "MediaHelper.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestMediaHelper : public QObject
{
    Q_OBJECT

private slots:
    void recolouring_data()
    {
        QTest::addColumn<QByteArray>("svg");
        QTest::addColumn<MediaHelper::ColorMap>("colors");
        QTest::addColumn<QString>("expected");
        QTest::newRow("root fill none") << QByteArray("  <svg fill=\"none\" a=\"1\"><path fill=\"#303030\"/></svg>\n")
                                        << MediaHelper::ColorMap{{"#303030", "#FFF"}}
                                        << "<svg fill=\"#FFF\" a=\"1\"><path fill=\"#FFF\"/></svg>";
        QTest::newRow("inner fill kept, root filled")
            << QByteArray("<svg a=\"1\"><path fill=\"#123456\"/></svg>") << MediaHelper::ColorMap{{"", "#0F0"}}
            << "<svg a=\"1\" fill=\"#0F0\"><path fill=\"#123456\"/></svg>";
        QTest::newRow("two colours, first one fills the root")
            << QByteArray("<svg><a fill=\"#303030\"/><b fill=\"#AAAAAA\"/></svg>")
            << MediaHelper::ColorMap{{"#AAAAAA", "#111"}, {"#303030", "#222"}}
            << "<svg fill=\"#222\"><a fill=\"#222\"/><b fill=\"#111\"/></svg>";
        // A replacement that names another entry's colour is not replaced again.
        QTest::newRow("swap") << QByteArray("<svg><a fill=\"#303030\"/><b fill=\"#FFFFFF\"/></svg>")
                              << MediaHelper::ColorMap{{"#303030", "#FFFFFF"}, {"#FFFFFF", "#303030"}}
                              << "<svg fill=\"#FFFFFF\"><a fill=\"#FFFFFF\"/><b fill=\"#303030\"/></svg>";
    }

    void recolouring()
    {
        QFETCH(QByteArray, svg);
        QFETCH(MediaHelper::ColorMap, colors);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("icon.svg"));
        QVERIFY(writeFileBytes(path, svg));
        QCOMPARE(MediaHelper::recolorSVG(path, colors), expected);
        QCOMPARE(MediaHelper::recolorSVG(folder.filePath(QStringLiteral("missing.svg")), colors), QString());
        QVERIFY(MediaHelper::iconColored(folder.filePath(QStringLiteral("missing.svg")), colors).isNull());
    }

    void iconsAreRecolouredAndCached()
    {
        const QImage red = MediaHelper::svgColored(QStringLiteral(":/icons/check.svg"), QStringLiteral("#FF0000"));
        QCOMPARE(red.size(), QSize(24, 24));
        QCOMPARE(red.pixelColor(9, 17), QColor(Qt::red));
        QCOMPARE(red.pixelColor(1, 1).alpha(), 0);

        const QString resource = QStringLiteral(":/icons/close.svg");
        QCOMPARE(MediaHelper::icon(QStringLiteral("qrc") + resource).cacheKey(),
                 MediaHelper::icon(resource).cacheKey());
        QCOMPARE(MediaHelper::iconColored(QStringLiteral("qrc") + resource, "#FFF").cacheKey(),
                 MediaHelper::iconColored(resource, "#FFF").cacheKey());
        QVERIFY(MediaHelper::iconColored(resource, "#FFF").cacheKey() != MediaHelper::icon(resource).cacheKey());

        // A raster image has no colours to replace.
        QTemporaryDir folder;
        const QString png = folder.filePath(QStringLiteral("blue.png"));
        QImage blue(4, 4, QImage::Format_ARGB32);
        blue.fill(Qt::blue);
        QVERIFY(blue.save(png));
        QCOMPARE(MediaHelper::iconColored(png, "#FF0000", "#0000FF").pixmap(4, 4).toImage().pixelColor(2, 2),
                 QColor(Qt::blue));

        // The same text at another size is another picture.
        const QIcon small = MediaHelper::iconColoredWithText(resource, "#0000FF", "8", 30, true, Qt::AlignCenter, 0, 0);
        const QIcon large = MediaHelper::iconColoredWithText(resource, "#0000FF", "8", 90, true, Qt::AlignCenter, 0, 0);
        QVERIFY(small.pixmap(24, 24).toImage() != large.pixmap(24, 24).toImage());
    }
};

QTEST_MAIN(TestMediaHelper)
#include "tst_mediahelper.moc"
