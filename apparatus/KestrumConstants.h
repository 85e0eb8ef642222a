#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Words and request bytes the apparatus classes share. Header-only, so every source that uses
// them holds its own copy.
namespace KestrumConstants {

inline const QByteArray CurlyIdentificationRequest = QByteArrayLiteral("{whois}\r\n");
inline const QString CurlyKestrumTypeName = QStringLiteral("KestrumV4");
inline const QByteArray CurlyKestrumAnswer = QByteArrayLiteral("iamkestrum");
inline const QString ClassicKestrumTypeName = QStringLiteral("ClassicKestrum");
inline const QString DoorTypeName = QStringLiteral("KestrumDoor");
inline const QByteArray DoorAnswer = QByteArrayLiteral("{iamdoor}");
inline const QString StartleTypeName = QStringLiteral("Startle");
inline const QByteArray StartleIdentificationRequest = QByteArrayLiteral("{startle}\r\n");
inline const QByteArray StartleAnswer = QByteArrayLiteral("{iamstartle}");
// The highest grid current any chamber delivers; anything asked beyond it is not delivered.
inline constexpr double MaxGridMilliamperes = 15.0;

inline const QString LineEnd = QStringLiteral("\r\n");
inline const QString FieldSeparator = QStringLiteral(";");
inline const QString KeySeparator = QStringLiteral("=");

// Keys of the stimulus records of the startle analysis.
inline const QString StimulusTypeKey = QStringLiteral("type");
inline const QString StimulusLightKey = QStringLiteral("Light");
inline const QString StimulusSoundKey = QStringLiteral("Sound");
inline const QString StimulusCircuitKey = QStringLiteral("Circuit");
inline const QString StimulusStartMsKey = QStringLiteral("startMs");
inline const QString StimulusEndMsKey = QStringLiteral("endMs");
inline const QString StimulusDurationMsKey = QStringLiteral("durationMs");
inline const QString StimulusRecordStartMsKey = QStringLiteral("stimulusStartMs");
inline const QString StimulusRecordEndMsKey = QStringLiteral("stimulusEndMs");
inline const QString StimulusAmplitudeKey = QStringLiteral("amplitude");

// Display words, marked for translation; the settings classes of the experiment engine
// translate them in these contexts ("Generic", "OverlayOptions", "KestrumLanguage").
inline const QStringList GenericDisplayWords = {
    QT_TRANSLATE_NOOP("Generic", "Hz"),
    QT_TRANSLATE_NOOP("Generic", "mA"),
    QT_TRANSLATE_NOOP("Generic", "s"),
    QT_TRANSLATE_NOOP("Generic", "ms"),
    QT_TRANSLATE_NOOP("Generic", "MaxDuration"),
    QT_TRANSLATE_NOOP("Generic", "MainSettings"),
    QT_TRANSLATE_NOOP("Generic", "XtraSettings"),
    QT_TRANSLATE_NOOP("Generic", "AdvancedSettings"),
    QT_TRANSLATE_NOOP("Generic", "BaseFolder"),
    QT_TRANSLATE_NOOP("Generic", "1.Main"),
    QT_TRANSLATE_NOOP("Generic", "2.Detection"),
    QT_TRANSLATE_NOOP("Generic", "ColorTheme"),
    QT_TRANSLATE_NOOP("Generic", "DetectorSensitivity"),
    QT_TRANSLATE_NOOP("Generic", "DiffDilate"),
    QT_TRANSLATE_NOOP("Generic", "DiffErode"),
    QT_TRANSLATE_NOOP("Generic", "DiffMinArea"),
    QT_TRANSLATE_NOOP("Generic", "DiffMode"),
    QT_TRANSLATE_NOOP("Generic", "ExportBehavior"),
    QT_TRANSLATE_NOOP("Generic", "HighDefinitionMode"),
    QT_TRANSLATE_NOOP("Generic", "Language"),
    QT_TRANSLATE_NOOP("Generic", "MaxBrightness"),
    QT_TRANSLATE_NOOP("Generic", "OverlayOptions"),
    QT_TRANSLATE_NOOP("Generic", "ReactionCircuit"),
    QT_TRANSLATE_NOOP("Generic", "ReactionLight"),
    QT_TRANSLATE_NOOP("Generic", "ReactionSound"),
    QT_TRANSLATE_NOOP("Generic", "ShowCycles"),
    QT_TRANSLATE_NOOP("Generic", "ShowCyclesVerbose"),
    QT_TRANSLATE_NOOP("Generic", "ShowDetectionSettings"),
    QT_TRANSLATE_NOOP("Generic", "VideoRecordingQuality"),
    QT_TRANSLATE_NOOP("Generic", "Convenient device name"),
    QT_TRANSLATE_NOOP("Generic", "PreambulePhase"),
    QT_TRANSLATE_NOOP("Generic", "PreambulePhaseDescription"),
    QT_TRANSLATE_NOOP("Generic", "PostambulePhase"),
    QT_TRANSLATE_NOOP("Generic", "PostambulePhaseDescription"),
    QT_TRANSLATE_NOOP("Generic", "Title"),
};
inline const QStringList OverlayOptionsDisplayWords = {
    QT_TRANSLATE_NOOP("OverlayOptions", "NoOverlay"),
    QT_TRANSLATE_NOOP("OverlayOptions", "Shadow"),
    QT_TRANSLATE_NOOP("OverlayOptions", "Track"),
    QT_TRANSLATE_NOOP("OverlayOptions", "Blob"),
};
inline const QStringList LanguageDisplayWords = {
    QT_TRANSLATE_NOOP("KestrumLanguage", "en_US"),
    QT_TRANSLATE_NOOP("KestrumLanguage", "ru_RU"),
};
// The keys of the chamber's side enumerations, as the settings editors show them.
inline const QStringList SideDisplayWords = {
    QT_TRANSLATE_NOOP("KestrumSide", "Left"),          QT_TRANSLATE_NOOP("KestrumSide", "Right"),
    QT_TRANSLATE_NOOP("KestrumSide", "Both"),          QT_TRANSLATE_NOOP("KestrumSideness", "LeftSide"),
    QT_TRANSLATE_NOOP("KestrumSideness", "RightSide"),
};

} // namespace KestrumConstants
