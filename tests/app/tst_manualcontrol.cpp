#include "KestrumController.h"
#include "ManualControlDialog.h"
#include "MetaKestrumInfo.h"
#include "RecordingDevice.h"
#include "StimulationSettings.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestManualControl : public QObject
{
    Q_OBJECT

private slots:
    void buttonsSendWhatTheSettingsSay_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QVariantMap>("settings");
        QTest::addColumn<QString>("sent");
        const QVariantMap defaults;
        QTest::newRow("light for 0 s") << "btnLight_on" << QVariantMap{{"LightDuration", 0}} << "light 100,100 0";
        QTest::newRow("light left") << "btnLight_on"
                                    << QVariantMap{{"LightSide", int(KestrumBaseDevice::Left)}, {"LightBrightness", 40}}
                                    << "light 40,0 5000";
        QTest::newRow("light burst") << "btnLight_onOnce" << QVariantMap{{"LightDuration", 0}} << "light 100,100 400";
        QTest::newRow("light off") << "btnLight_off" << defaults << "light 0,0 -1";
        QTest::newRow("sound for 3 s") << "btnSound_on" << QVariantMap{{"SoundDuration", 3}} << "sound Both 1000 3000";
        QTest::newRow("sound burst") << "btnSound_onOnce"
                                     << QVariantMap{{"SoundDuration", 3}, {"SoundSide", int(KestrumBaseDevice::Right)}}
                                     << "sound Right 1000 400";
        QTest::newRow("sound off") << "btnSound_off" << defaults << "sound Both 0 -1";
        QTest::newRow("half a milliampere") << "btnElectro_on" << QVariantMap{{"Circuit", 0.5}} << "grid 0.5 5000";
        QTest::newRow("current burst") << "btnElectro_onOnce" << QVariantMap{{"Circuit", 0.5}} << "grid 0.5 400";
        QTest::newRow("current off") << "btnElectro_off" << QVariantMap{{"Circuit", 7.0}} << "grid 0.0 -1";
        QTest::newRow("door open") << "btnDoor_open" << defaults << "door open";
        QTest::newRow("door closed") << "btnDoor_close" << defaults << "door closed";
    }

    void buttonsSendWhatTheSettingsSay()
    {
        QTemporaryDir folder;
        StimulationSettings stimulation(folder.filePath("ManualStimulation.xml"));
        QFETCH(QVariantMap, settings);
        for (auto value = settings.cbegin(); value != settings.cend(); ++value)
            QVERIFY(stimulation.setProperty(value.key().toLatin1(), value.value()));
        RecordingDevice device;
        KestrumController panel(&device, nullptr, &stimulation);
        QFETCH(QString, button);
        auto* pushButton = panel.findChild<QPushButton*>(button);
        QVERIFY(pushButton);
        pushButton->click();
        QTEST(device.texts().join('|'), "sent");
        QCOMPARE(panel.findChildren<QPushButton*>(QRegularExpression("^btn")).size(), 11);

        KestrumController withoutDevice(nullptr, nullptr, &stimulation);
        QVERIFY(!withoutDevice.isEnabled());
        withoutDevice.findChild<QPushButton*>(button)->click();
        QCOMPARE(device.texts().size(), 1);
    }

    // What was set by hand ends with the window, whichever way it ends: a light and a tone of
    // 0 s (until changed) as well as the current, each with one off and the grid's last, nothing
    // sent after them (the apparatus may be going away meanwhile); an apparatus gone meanwhile is
    // not touched. A window shown again switches off again at its end.
    void closingSwitchesOffWhatItSwitchedOn_data()
    {
        QTest::addColumn<QString>("ending");
        for (const char* ending :
             {"close button", "window closed", "accepted", "escape", "destroyed", "apparatus lost", "shown again"})
            QTest::newRow(ending) << QString(ending);
    }

    void closingSwitchesOffWhatItSwitchedOn()
    {
        QTemporaryDir folder;
        MetaKestrumInfo info(folder.filePath("SN-REC.xml"));
        StimulationSettings stimulation(folder.filePath("ManualStimulation.xml"));
        stimulation.setLightDuration(0);
        stimulation.setSoundDuration(0);
        auto device = std::make_unique<RecordingDevice>();
        auto dialog = std::make_unique<ManualControlDialog>(device.get(), &info, "SN-REC", &stimulation);
        const auto switchOn = [&] {
            for (const char* button : {"btnLight_on", "btnSound_on", "btnElectro_on"})
                dialog->findChild<QPushButton*>(button)->click();
            QVERIFY(device->gridLive());
            QCOMPARE(device->takeTexts(), (QStringList{"light 100,100 0", "sound Both 1000 0", "grid 2.0 5000"}));
        };
        dialog->show();
        switchOn();
        QFETCH(QString, ending);
        if (ending == "close button" || ending == "shown again")
            dialog->reject();
        else if (ending == "window closed")
            dialog->close();
        else if (ending == "accepted")
            dialog->accept();
        else if (ending == "escape")
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else if (ending == "apparatus lost")
            device.reset();
        const QStringList offs{"light 0,0 -1", "sound Both 0 -1", "grid 0.0 -1"};
        if (ending == "shown again") {
            QCOMPARE(device->takeTexts(), offs);
            dialog->show();
            switchOn();
        }
        dialog.reset();
        if (!device)
            return;
        QVERIFY(!device->gridLive());
        QCOMPARE(device->takeTexts(), offs);
    }
};

QTEST_MAIN(TestManualControl)
#include "tst_manualcontrol.moc"
