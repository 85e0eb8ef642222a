#include "MetaDescription.h"
#include "MetaDescriptor.h"
#include "SampleSettings.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <limits>

// Declared lower-case first, so that declaration order and name order differ.
class CaseTwins : public ZTSettings
{
    Q_OBJECT
    ZT_PROPERTY(int, level, 0)
    ZT_PROPERTY(int, Level, 0)
public:
    using ZTSettings::ZTSettings;
};

// The settings object base: the setter protocol, saving after changes, reloading, defaults,
// values by name and the multi-object Component document.
class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir temp;

private slots:
    void initTestCase() { QVERIFY(temp.isValid()); }

    void setterAnnouncesThenSaves()
    {
        const QString path = temp.filePath("order/Sample.xml");
        SampleSettings settings(path, true);
        QVERIFY(QFileInfo(temp.filePath("order")).isDir());
        QStringList events;
        connect(&settings, &SampleSettings::changedThreshold, this,
                [&](int value) { events << QStringLiteral("changed %1").arg(value); });
        connect(settings.metaDescriptor()->propertyByName("Threshold"), &AbstractMetaDescription::valueChanged, this,
                [&](const QVariant& value) { events << "description " + value.toString(); });
        connect(&settings, &ZTSettings::propertyChanged, this, [&](const QString& name) {
            events << "property " + name + (QFile::exists(path) ? " after file" : " before file");
        });
        connect(&settings, &ZTSettings::saved, this, [&] {
            events << (readFileBytes(path).contains("<Threshold>42</Threshold>") ? "saved 42" : "saved stale");
        });

        settings.setThreshold(42);
        QCOMPARE(events, QStringList({"changed 42", "description 42", "property Threshold before file", "saved 42"}));

        events.clear();
        settings.setThreshold(42);
        QVERIFY(events.isEmpty());
    }

    void boundedSettersClampAndRefuseNaN()
    {
        SampleSettings settings;
        QSignalSpy changed(&settings, &SampleSettings::changedRatio);
        settings.setThreshold(0);
        QCOMPARE(settings.getThreshold(), 1);
        settings.setThreshold(1000);
        QCOMPARE(settings.getThreshold(), 200);
        settings.setRatio(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(settings.getRatio(), 0.4);
        QCOMPARE(changed.count(), 0);
        settings.setRatio(2.5);
        QCOMPARE(settings.getRatio(), 1.0);
        settings.setRatio(-std::numeric_limits<double>::infinity());
        QCOMPARE(settings.getRatio(), 0.0);
        QCOMPARE(changed.count(), 2);
    }

    void unboundedNaNIsStoredOnce()
    {
        SampleSettings settings;
        QSignalSpy changed(&settings, &SampleSettings::changedOffset);
        settings.setOffset(std::numeric_limits<double>::quiet_NaN());
        settings.setOffset(std::numeric_limits<double>::quiet_NaN());
        QVERIFY(std::isnan(settings.getOffset()));
        QCOMPARE(changed.count(), 1);
    }

    void resetGoesBackToTheDeclaredDefault()
    {
        SampleSettings settings;
        settings.setLabel("other");
        settings.setPace(SampleSettings::Slow);
        QSignalSpy changed(&settings, &SampleSettings::changedLabel);
        settings.resetLabel();
        settings.resetPace();
        settings.resetLabel();
        QCOMPARE(settings.getLabel(), QStringLiteral("xlsx"));
        QCOMPARE(settings.getPace(), SampleSettings::Fast);
        QCOMPARE(changed.count(), 1);
    }

    void autoSaveOffWritesNothing()
    {
        const QString path = temp.filePath("off.xml");
        SampleSettings settings(path, true);
        settings.setAutoSave(false);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        QSignalSpy changed(&settings, &ZTSettings::propertyChanged);
        settings.setThreshold(3);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(saved.count(), 0);
        QVERIFY(!QFile::exists(path));
    }

    void emptyPathWritesNothing()
    {
        SampleSettings settings(QString(), true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        QVERIFY(!settings.reload());
        QVERIFY(!settings.save());
        QVERIFY(!settings.saveAs(QString()));
        settings.setThreshold(5);
        QCOMPARE(saved.count(), 0);
        QCOMPARE(QDir(temp.path()).entryList(QDir::Files).filter("Sample").size(), 0);
    }

    void failedWriteIsReportedAndNotAnnounced()
    {
        // A path below a plain file cannot be written, whoever runs the test.
        const QString blocker = temp.filePath("blocker");
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        SampleSettings settings(blocker + "/Sample.xml", true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        settings.setThreshold(8);
        QVERIFY(!settings.save());
        QCOMPARE(saved.count(), 0);
    }

    void saveLeavesNoTemporaryFiles()
    {
        QTemporaryDir folder;
        SampleSettings settings(folder.filePath("Clean.xml"), true);
        for (int i = 1; i <= 5; ++i)
            settings.setThreshold(i);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Clean.xml"});
    }

    void reloadAppliesWithoutSaving()
    {
        const QString path = temp.filePath("reload.xml");
        {
            SampleSettings writer(path);
            writer.setThreshold(77);
            writer.setLabel("loaded");
            QVERIFY(writer.save());
        }
        const QByteArray before = readFileBytes(path);
        SampleSettings settings(path, true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        QSignalSpy changed(&settings, &ZTSettings::propertyChanged);
        QSignalSpy reloaded(&settings, &ZTSettings::reloaded);
        QVERIFY(settings.reload());
        QCOMPARE(settings.getThreshold(), 77);
        QCOMPARE(settings.getLabel(), QStringLiteral("loaded"));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(saved.count(), 0);
        QCOMPARE(reloaded.count(), 1);
        QCOMPARE(readFileBytes(path), before);
    }

    void missingFileKeepsTheDefaults()
    {
        SampleSettings settings(temp.filePath("missing.xml"), true);
        QSignalSpy reloaded(&settings, &ZTSettings::reloaded);
        QVERIFY(settings.reload());
        QCOMPARE(reloaded.count(), 1);
        QCOMPARE(settings.getThreshold(), 20);
        QVERIFY(!QFile::exists(temp.filePath("missing.xml")));
    }

    void unsavedPropertiesStayOutOfTheFile()
    {
        SampleSettings settings;
        settings.setScratch(99);
        QVERIFY(!settings.saveToString().contains("Scratch"));
        QVERIFY(!settings.saveToJson().contains("Scratch"));
        QVERIFY(settings.loadFromXMLString("<SampleSettings><Scratch>1</Scratch></SampleSettings>"));
        QCOMPARE(settings.getScratch(), 99);
    }

    void loadDefaultsSavesEveryChange()
    {
        const QString path = temp.filePath("defaults.xml");
        SampleSettings settings(path);
        settings.setThreshold(50);
        settings.setLabel("changed");
        settings.setAutoSave(true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        QSignalSpy reloaded(&settings, &ZTSettings::reloaded);
        settings.loadDefaults();
        QCOMPARE(settings.getThreshold(), 20);
        QCOMPARE(settings.getLabel(), QStringLiteral("xlsx"));
        QCOMPARE(saved.count(), 2);
        QCOMPARE(reloaded.count(), 1);
    }

    void valuesByName()
    {
        SampleSettings settings;
        QCOMPARE(settings.getValue("threshold", 5).toInt(), 20);
        QCOMPARE(settings.getValue("NoSuchThing", 5).toInt(), 5);
        QCOMPARE(settings.getTextValue("NoSuchThing"), QString());
        QCOMPARE(settings.getTextValue("ORIGIN"), QStringLiteral("10;20"));
        QCOMPARE(settings.getTextValue("Pace"), QStringLiteral("Fast"));
        QVERIFY(settings.containsProperty("tint"));
        QVERIFY(!settings.containsProperty("objectName"));
        QVERIFY(settings.setValue("pace", "Slow"));
        QCOMPARE(settings.getPace(), SampleSettings::Slow);
        QVERIFY(settings.setTextValue("FrameSize", "QSize(800, 600)"));
        QCOMPARE(settings.getFrameSize(), QSize(800, 600));
        QVERIFY(!settings.setTextValue("FrameSize", "800"));
        // Point texts as the declarations write them, float suffixes included.
        QVERIFY(settings.setTextValue("Centre", "QPointF(0.5f, 0.25f)"));
        QCOMPARE(settings.getCentre(), QPointF(0.5, 0.25));
        QVERIFY(settings.setTextValue("Origin", "QPoint(3.7f, -4.2f)"));
        QCOMPARE(settings.getOrigin(), QPoint(3, -4));
        QVERIFY(!settings.setValue("Nothing", 1));
        QCOMPARE(settings.getPropertiesNames().first(), QStringLiteral("Threshold"));
        QVERIFY(settings.getPropertiesNames().contains("Scratch"));
        QCOMPARE(settings.getPropertyByName("BLOB")->name, QStringLiteral("Blob"));
        QVERIFY(!settings.getPropertyByName("none"));
        QCOMPARE(settings.getQVariantMap().size(), 15);
        QCOMPARE(settings.getClassName(), QStringLiteral("SampleSettings"));
    }

    void propertyByNameFollowsDeclarationOrder()
    {
        // Two names differing only in case: the first declared wins, as for setValue.
        CaseTwins settings;
        QCOMPARE(settings.getPropertyByName("level")->name, QStringLiteral("level"));
        QVERIFY(settings.setValue("LEVEL", 5));
        QCOMPARE(settings.getlevel(), 5);
        QCOMPARE(settings.getLevel(), 0);
    }

    void variantMapRoundTrip()
    {
        SampleSettings source;
        source.setThreshold(11);
        source.setNames({"x"});
        SampleSettings target;
        QVERIFY(target.loadFromQVariantMap(source.getQVariantMap()));
        QCOMPARE(target.getThreshold(), 11);
        QCOMPARE(target.getNames(), QStringList{"x"});
    }

    void jsonTexts()
    {
        SampleSettings settings;
        QVERIFY(settings.saveToJsonByteArray().startsWith("{\"Blob\":\"cmF3\""));
        QVERIFY(settings.saveToJsonString(QJsonDocument::Indented).contains("\n    \"Threshold\": 20"));
        QVERIFY(settings.loadFromJson(QStringLiteral("{\"Threshold\": 12, \"threshold\": 99}")));
        QCOMPARE(settings.getThreshold(), 12);
        QVERIFY(!settings.loadFromJson(QString()));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^JSON is not an object\\."));
        QVERIFY(!settings.loadFromJson(QByteArray("[1]")));
    }

    void toggleItemInStringList()
    {
        QStringList list{"a", "b", "a"};
        QVERIFY(ZTSettings::toogleItemInStringList(list, "  c ", true));
        QVERIFY(!ZTSettings::toogleItemInStringList(list, "c", true));
        QVERIFY(!ZTSettings::toogleItemInStringList(list, "   ", true));
        QVERIFY(ZTSettings::toogleItemInStringList(list, "a", false));
        QVERIFY(!ZTSettings::toogleItemInStringList(list, "z", false));
        QCOMPARE(list, QStringList({"b", "a", "c"}));
    }

    void componentDocument()
    {
        QCOMPARE(ZTSettings::writeComponentsToString({}), QStringLiteral("<?xml version=\"1.0\"?>\n<Component/>\n"));
        SampleSettings first;
        SampleSettings second;
        second.setThreshold(5);
        const QString path = temp.filePath("components.xml");
        QVERIFY(ZTSettings::saveListFromString({&first, &second}, path));
        const QString text = QString::fromUtf8(readFileBytes(path));
        QVERIFY(text.startsWith("<?xml version=\"1.0\"?>\n<Component>\n    <SampleSettings>\n        <Threshold>20<"));
        QCOMPARE(text.count("<SampleSettings>"), 2);
        QVERIFY(text.contains("<Threshold>5</Threshold>"));
        QVERIFY(text.endsWith("</Component>\n"));
        QBuffer buffer;
        ZTSettings::writeComponentsToFile(&buffer, {&first});
        QCOMPARE(QString::fromUtf8(buffer.data()), ZTSettings::writeComponentsToString({&first}));
        QVERIFY(!ZTSettings::saveListFromString({&first}, temp.filePath("components.xml/inside")));
    }

    void componentContentReadsBack()
    {
        SampleSettings source;
        source.setThreshold(66);
        source.setLabel("component");
        QXmlStreamReader reader(ZTSettings::writeComponentsToString({&source}));
        SampleSettings target;
        target.metaDescriptor()->loadXmlContent("SampleSettings", reader);
        QCOMPARE(target.getThreshold(), 66);
        QCOMPARE(target.getLabel(), QStringLiteral("component"));
    }

    void descriptorIsBuiltOnceAndCanBeRebuilt()
    {
        SampleSettings settings;
        AbstractMetaDescriptor* descriptor = settings.metaDescriptor();
        QCOMPARE(settings.metaDescriptor(), descriptor);
        const int count = descriptor->count();
        settings.updateMetaDescriptor();
        QCOMPARE(settings.metaDescriptor(), descriptor);
        QCOMPARE(descriptor->count(), count);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
