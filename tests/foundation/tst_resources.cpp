#include <QFile>
#include <QTest>

// Resources compiled into a static library must reach every executable that links it; the
// theme, icon, font and translation files of the program depend on that.
class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void libraryResourceReachesTheExecutable()
    {
        QFile onDisk(QFINDTESTDATA("../support/resources/testsupport/linked.txt"));
        QVERIFY(onDisk.open(QIODevice::ReadOnly));
        QFile compiled(QStringLiteral(":/testsupport/linked.txt"));
        QVERIFY2(compiled.open(QIODevice::ReadOnly), "the library's resource is missing from the executable");
        QCOMPARE(compiled.readAll(), onDisk.readAll());
    }
};

QTEST_GUILESS_MAIN(TestResources)
#include "tst_resources.moc"
