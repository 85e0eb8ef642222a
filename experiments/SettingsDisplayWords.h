#pragma once

#include <QStringList>
#include <QtGlobal>

// The words the settings editors show for the settings of the experiment engine, marked for
// translation: the editors translate a property's name, category and unit in the context
// "Generic" and an enumeration's values in the context named after the enumeration. The
// settings declare their properties through macros, which the translation tools cannot read.
namespace SettingsDisplayWords {

inline const QStringList Generic = {
    // The paradigms.
    QT_TRANSLATE_NOOP("Generic", "Circuit"),
    QT_TRANSLATE_NOOP("Generic", "CyclesCount"),
    QT_TRANSLATE_NOOP("Generic", "LightBoxSide"),
    QT_TRANSLATE_NOOP("Generic", "UseDoor"),
    QT_TRANSLATE_NOOP("Generic", "DoorlessElectrocutionBehavior"),
    QT_TRANSLATE_NOOP("Generic", "ElectrocutionWithDoorDuration"),
    QT_TRANSLATE_NOOP("Generic", "SafeTimeWithDoorDuration"),
    QT_TRANSLATE_NOOP("Generic", "MaxCycles"),
    QT_TRANSLATE_NOOP("Generic", "SoundTone"),
    QT_TRANSLATE_NOOP("Generic", "SafeDelay"),
    QT_TRANSLATE_NOOP("Generic", "ElectrocutionBehavior"),
    QT_TRANSLATE_NOOP("Generic", "SoundToneForElectro"),
    QT_TRANSLATE_NOOP("Generic", "SafeIntervalMs"),
    QT_TRANSLATE_NOOP("Generic", "Platform"),
    QT_TRANSLATE_NOOP("Generic", "RectPlatformSide"),
    QT_TRANSLATE_NOOP("Generic", "Sensitivity"),
    QT_TRANSLATE_NOOP("Generic", "DispenserSide"),
    QT_TRANSLATE_NOOP("Generic", "DispenserArea"),
    QT_TRANSLATE_NOOP("Generic", "LightBrightnessLeft"),
    QT_TRANSLATE_NOOP("Generic", "LightBrightnessRight"),
    // The manual stimulation.
    QT_TRANSLATE_NOOP("Generic", "Electro"),
    QT_TRANSLATE_NOOP("Generic", "Light"),
    QT_TRANSLATE_NOOP("Generic", "Sound"),
    QT_TRANSLATE_NOOP("Generic", "CircuitDuration"),
    QT_TRANSLATE_NOOP("Generic", "LightSide"),
    QT_TRANSLATE_NOOP("Generic", "LightDuration"),
    QT_TRANSLATE_NOOP("Generic", "SoundSide"),
    QT_TRANSLATE_NOOP("Generic", "SoundDuration"),
    // The recognition and the detection.
    QT_TRANSLATE_NOOP("Generic", "Threshold"),
    QT_TRANSLATE_NOOP("Generic", "px"),
};

inline const QStringList ElectrocutionBehavior = {
    QT_TRANSLATE_NOOP("ElectrocutionBehavior", "Peep"),
    QT_TRANSLATE_NOOP("ElectrocutionBehavior", "AllIn"),
};

inline const QStringList PlatformType = {
    QT_TRANSLATE_NOOP("PlatformType", "Platform_Round"),
    QT_TRANSLATE_NOOP("PlatformType", "Platform_SmallRect"),
    QT_TRANSLATE_NOOP("PlatformType", "Platform_BigRect"),
};

} // namespace SettingsDisplayWords
