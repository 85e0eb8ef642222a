#include "KestrumDetectorThread.h"
#include "KestrumSettings.h"
#include "RecognitionSettings.h"
#include "StimulationSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

std::unique_ptr<ZTSettings> settingsOfClass(const QString& className, const QString& path)
{
    if (className == u"StimulationSettings")
        return std::make_unique<StimulationSettings>(path);
    if (className == u"RecognitionSettings")
        return std::make_unique<RecognitionSettings>(path);
    if (className == u"KestrumFolderSettings")
        return std::make_unique<KestrumFolderSettings>(path);
    return std::make_unique<KestrumSettings>(path);
}

QByteArray fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestKestrumSettings : public QObject
{
    Q_OBJECT

private slots:
    void missingFileKeepsTheDefaults();
    void valuesAreClampedSavedAndReloaded_data();
    void valuesAreClampedSavedAndReloaded();
    void sensitivityAndDetectionSettingsReachTheDetectors_data();
    void sensitivityAndDetectionSettingsReachTheDetectors();
};

void TestKestrumSettings::missingFileKeepsTheDefaults()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ExperimentSettings.xml"));
    KestrumSettings settings(path);
    QVERIFY(settings.reload());
    QCOMPARE(settings.getLanguage(), KestrumSettings::ru_RU);
    QCOMPARE(settings.getDetectorSensitivity(), 20);
    QCOMPARE(settings.getOverlayOptions(), VideoOverlayOptions::NoOverlay);
    QVERIFY(!QFile::exists(path));
}

void TestKestrumSettings::valuesAreClampedSavedAndReloaded_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QByteArray>("element");

    QTest::newRow("area below") << "KestrumSettings"
                                << "DiffMinArea" << QVariant(50) << QVariant(100)
                                << QByteArray("<DiffMinArea>100</DiffMinArea>");
    QTest::newRow("area above") << "KestrumSettings"
                                << "DiffMinArea" << QVariant(1005) << QVariant(1000)
                                << QByteArray("<DiffMinArea>1000</DiffMinArea>");
    QTest::newRow("circuit above") << "StimulationSettings"
                                   << "Circuit" << QVariant(15.7) << QVariant(15.0)
                                   << QByteArray("<Circuit>15</Circuit>");
    QTest::newRow("circuit fraction") << "StimulationSettings"
                                      << "Circuit" << QVariant(0.5) << QVariant(0.5)
                                      << QByteArray("<Circuit>0.5</Circuit>");
    QTest::newRow("threshold below") << "RecognitionSettings"
                                     << "Threshold" << QVariant(0) << QVariant(1)
                                     << QByteArray("<Threshold>1</Threshold>");
    QTest::newRow("base folder") << "KestrumFolderSettings"
                                 << "BaseFolder" << QVariant("/data/Kestrum/") << QVariant("/data/Kestrum/")
                                 << QByteArray("<BaseFolder>/data/Kestrum/</BaseFolder>");
    // Choices are stored by their names, whichever class declares the enumeration.
    const auto choice = [](const char* property, const char* key) {
        QTest::addRow("%s", key) << "KestrumSettings" << property << QVariant(key) << QVariant(key)
                                 << QByteArray("<") + property + ">" + key + "</" + property + ">";
    };
    choice("Language", "en_US");
    choice("ColorTheme", "Dark");
    choice("ExportBehavior", "OnExport_DoNothing");
    choice("OverlayOptions", "Shadow");
    choice("SortOrderFileTable", "AscendingOrder");
    choice("VideoRecordingQuality", "HighQuality");
    choice("DiffMode", "DiffMode_IfDarker");
    QTest::newRow("side") << "StimulationSettings"
                          << "LightSide" << QVariant("Left") << QVariant("Left")
                          << QByteArray("<LightSide>Left</LightSide>");
}

void TestKestrumSettings::valuesAreClampedSavedAndReloaded()
{
    QFETCH(QString, className);
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    QFETCH(QVariant, stored);
    QFETCH(QByteArray, element);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("settings.xml"));
    const auto settings = settingsOfClass(className, path);
    QVERIFY(settings->setValue(property, value));
    QCOMPARE(settings->getTextValue(property), stored.toString());
    QVERIFY2(fileText(path).contains(element), fileText(path).constData());

    const auto reloaded = settingsOfClass(className, path);
    QVERIFY(reloaded->reload());
    QCOMPARE(reloaded->getTextValue(property), stored.toString());
}

void TestKestrumSettings::sensitivityAndDetectionSettingsReachTheDetectors_data()
{
    QTest::addColumn<int>("sensitivity");
    QTest::addColumn<int>("threshold");
    QTest::newRow("none") << 0 << 51;
    QTest::newRow("default") << 20 << 41;
    QTest::newRow("37 %") << 37 << 32;
    QTest::newRow("full") << 100 << 1;
}

void TestKestrumSettings::sensitivityAndDetectionSettingsReachTheDetectors()
{
    QFETCH(int, sensitivity);
    QFETCH(int, threshold);
    QTemporaryDir folder;
    KestrumSettings settings(folder.filePath(QStringLiteral("ExperimentSettings.xml")));
    settings.setDetectorSensitivity(sensitivity);
    settings.setDiffMode(KestrumDetectorThread::DiffMode_Abs);
    settings.setDiffErode(5);
    settings.setDiffDilate(12);
    settings.setDiffMinArea(300);
    settings.setMaxBrightness(255);
    KestrumDetectorThread::applyDetectionSettings(settings);
    QCOMPARE(int(KestrumDetectorThread::detectionThreshold), threshold);
    QCOMPARE(KestrumDetectorThread::detectionDiffMode.load(), int(KestrumDetectorThread::DiffMode_Abs));
    QCOMPARE(KestrumDetectorThread::detectionErode.load(), 5);
    QCOMPARE(KestrumDetectorThread::detectionDilate.load(), 12);
    QCOMPARE(KestrumDetectorThread::detectionMinArea.load(), 300);
    QCOMPARE(int(KestrumDetectorThread::detectionMaxBrightness), 255);
}

QTEST_GUILESS_MAIN(TestKestrumSettings)
#include "tst_kestrumsettings.moc"
