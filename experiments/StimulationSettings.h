#pragma once

#include "KestrumBaseDevice.h"
#include "ZTSettings.h"

// The values of the manual stimulation panel (ManualStimulation.xml).
class StimulationSettings : public ZTSettings
{
    Q_OBJECT
    ZT_BOUNDED_PROPERTY(double, Circuit, 2.0, 0.0, 15.0, 0.1)
    Q_CLASSINFO("CircuitCategory", "Electro")
    Q_CLASSINFO("CircuitSuffix", " mA")
    Q_CLASSINFO("CircuitSpecialType", "Slider")
    Q_CLASSINFO("CircuitPrecision", "1")
    ZT_BOUNDED_PROPERTY(int, CircuitDuration, 5, 0, 60, 1)
    Q_CLASSINFO("CircuitDurationCategory", "Electro")
    Q_CLASSINFO("CircuitDurationSuffix", " s")

    ZT_BOUNDED_PROPERTY(int, LightBrightness, 100, 0, 100, 10)
    Q_CLASSINFO("LightBrightnessCategory", "Light")
    Q_CLASSINFO("LightBrightnessSuffix", "%")
    Q_CLASSINFO("LightBrightnessSpecialType", "Slider")
    ZT_PROPERTY(KestrumBaseDevice::KestrumSide, LightSide, KestrumBaseDevice::Both)
    Q_CLASSINFO("LightSideCategory", "Light")
    Q_CLASSINFO("LightSideIconBoth", ":/Images/side-both.svg")
    Q_CLASSINFO("LightSideIconLeft", ":/Images/side-left.svg")
    Q_CLASSINFO("LightSideIconRight", ":/Images/side-right.svg")
    ZT_BOUNDED_PROPERTY(int, LightDuration, 5, 0, 60, 1)
    Q_CLASSINFO("LightDurationCategory", "Light")
    Q_CLASSINFO("LightDurationSuffix", " s")

    ZT_BOUNDED_PROPERTY(int, SoundTone, 1000, 100, 10000, 10)
    Q_CLASSINFO("SoundToneCategory", "Sound")
    Q_CLASSINFO("SoundToneSuffix", " Hz")
    Q_CLASSINFO("SoundToneSpecialType", "Slider")
    ZT_PROPERTY(KestrumBaseDevice::KestrumSide, SoundSide, KestrumBaseDevice::Both)
    Q_CLASSINFO("SoundSideCategory", "Sound")
    Q_CLASSINFO("SoundSideIconBoth", ":/Images/side-both.svg")
    Q_CLASSINFO("SoundSideIconLeft", ":/Images/side-left.svg")
    Q_CLASSINFO("SoundSideIconRight", ":/Images/side-right.svg")
    ZT_BOUNDED_PROPERTY(int, SoundDuration, 5, 0, 60, 1)
    Q_CLASSINFO("SoundDurationCategory", "Sound")
    Q_CLASSINFO("SoundDurationSuffix", " s")

public:
    explicit StimulationSettings(const QString& filePath, QObject* parent = nullptr);
};
