#pragma once

#include "KestrumDetectorThread.h"
#include "KestrumFolderSettings.h"
#include "VideoOverlayOptions.h"
// The one upward use of the widget layer's theme engine: the settings hold the theme choice.
#include "StyleHelper.h"

#include <QMediaRecorder>

// The application settings (ExperimentSettings.xml in the base folder): language, look, export,
// the result tables' sort orders, recording quality and the detection parameters, which the
// model hands to the detectors (KestrumDetectorThread::applyDetectionSettings).
class KestrumSettings : public KestrumFolderSettings
{
    Q_OBJECT

public:
    enum KestrumLanguage { ru_RU = 0, en_US = 1 };
    Q_ENUM(KestrumLanguage)
    enum ExportBehaviorOption { OnExport_OpenFile = 0, OnExport_OpenFolder = 1, OnExport_DoNothing = 2 };
    Q_ENUM(ExportBehaviorOption)

    ZT_PROPERTY(KestrumSettings::KestrumLanguage, Language, KestrumSettings::ru_RU)
    Q_CLASSINFO("LanguageIcon", ":/icons/translate.svg")
    Q_CLASSINFO("LanguageCategory", "1.Main")
    ZT_PROPERTY(StyleHelper::ColorThemeEnum, ColorTheme, StyleHelper::System)
    Q_CLASSINFO("ColorThemeIcon", ":/icons/brightness.svg")
    Q_CLASSINFO("ColorThemeCategory", "1.Main")
    ZT_PROPERTY(KestrumSettings::ExportBehaviorOption, ExportBehavior, KestrumSettings::OnExport_OpenFile)
    Q_CLASSINFO("ExportBehaviorIcon", ":/icons/file-export.svg")
    Q_CLASSINFO("ExportBehaviorCategory", "1.Main")
    ZT_PROPERTY(bool, HighDefinitionMode, false)
    Q_CLASSINFO("HighDefinitionModeNotVisible", "true")
    ZT_PROPERTY(VideoOverlayOptions::OverlayOptions, OverlayOptions, VideoOverlayOptions::NoOverlay)
    Q_CLASSINFO("OverlayOptionsIcon", ":/Images/icons/overlay-none.svg")
    Q_CLASSINFO("OverlayOptionsCategory", "1.Main")
    Q_CLASSINFO("OverlayOptionsIconNoOverlay", ":/Images/icons/overlay-none.svg")
    Q_CLASSINFO("OverlayOptionsIconTrack", ":/Images/icons/overlay-path.svg")
    Q_CLASSINFO("OverlayOptionsIconShadow", ":/Images/icons/overlay-heatmap.svg")
    Q_CLASSINFO("OverlayOptionsIconBlob", ":/Images/icons/overlay-blob.svg")
    // The type key of the paradigm last selected.
    ZT_PROPERTY(QString, LastScriptType, "")
    Q_CLASSINFO("LastScriptTypeNotVisible", "true")
    ZT_PROPERTY(int, SortIndexFileTable, -1)
    Q_CLASSINFO("SortIndexFileTableNotVisible", "true")
    ZT_PROPERTY(Qt::SortOrder, SortOrderFileTable, Qt::DescendingOrder)
    Q_CLASSINFO("SortOrderFileTableNotVisible", "true")
    ZT_PROPERTY(int, SortIndexResultTable, -1)
    Q_CLASSINFO("SortIndexResultTableNotVisible", "true")
    ZT_PROPERTY(Qt::SortOrder, SortOrderResultTable, Qt::DescendingOrder)
    Q_CLASSINFO("SortOrderResultTableNotVisible", "true")
    ZT_PROPERTY(QMediaRecorder::Quality, VideoRecordingQuality, QMediaRecorder::LowQuality)
    Q_CLASSINFO("VideoRecordingQualityIcon", ":/icons/video-frame.svg")
    Q_CLASSINFO("VideoRecordingQualityCategory", "1.Main")
    ZT_PROPERTY(bool, AdvancedSettings, false)
    Q_CLASSINFO("AdvancedSettingsIcon", ":/icons/settings-advanced.svg")
    Q_CLASSINFO("AdvancedSettingsCategory", "1.Main")

    ZT_BOUNDED_PROPERTY(int, DetectorSensitivity, 20, 0, 100, 1)
    Q_CLASSINFO("DetectorSensitivityCategory", "2.Detection")
    Q_CLASSINFO("DetectorSensitivitySuffix", "%")
    Q_CLASSINFO("DetectorSensitivityVisibleBound", "AdvancedSettings:true")
    ZT_PROPERTY(KestrumDetectorThread::DiffMode_Type, DiffMode, KestrumDetectorThread::DiffMode_IfBrighter)
    Q_CLASSINFO("DiffModeCategory", "2.Detection")
    Q_CLASSINFO("DiffModeVisibleBound", "AdvancedSettings:true")
    ZT_BOUNDED_PROPERTY(int, DiffErode, 3, 1, 30, 1)
    Q_CLASSINFO("DiffErodeCategory", "2.Detection")
    Q_CLASSINFO("DiffErodeSuffix", " px")
    Q_CLASSINFO("DiffErodeVisibleBound", "AdvancedSettings:true")
    ZT_BOUNDED_PROPERTY(int, DiffDilate, 10, 1, 30, 1)
    Q_CLASSINFO("DiffDilateCategory", "2.Detection")
    Q_CLASSINFO("DiffDilateSuffix", " px")
    Q_CLASSINFO("DiffDilateVisibleBound", "AdvancedSettings:true")
    ZT_BOUNDED_PROPERTY(int, DiffMinArea, 420, 100, 1000, 10)
    Q_CLASSINFO("DiffMinAreaCategory", "2.Detection")
    Q_CLASSINFO("DiffMinAreaSuffix", " px")
    Q_CLASSINFO("DiffMinAreaVisibleBound", "AdvancedSettings:true")
    ZT_BOUNDED_PROPERTY(int, MaxBrightness, 200, 100, 255, 1)
    Q_CLASSINFO("MaxBrightnessCategory", "2.Detection")
    Q_CLASSINFO("MaxBrightnessVisibleBound", "AdvancedSettings:true")
    ZT_PROPERTY(bool, ShowDetectionSettings, false)
    Q_CLASSINFO("ShowDetectionSettingsCategory", "2.Detection")
    Q_CLASSINFO("ShowDetectionSettingsVisibleBound", "AdvancedSettings:true")

    ZT_PROPERTY(QString, LastFileSaveFilter, "")
    Q_CLASSINFO("LastFileSaveFilterNotVisible", "true")
    ZT_PROPERTY(QString, SpreadsheetExportFormat, "xlsx")
    Q_CLASSINFO("SpreadsheetExportFormatNotVisible", "true")
    ZT_PROPERTY(bool, ShowCycles, true)
    Q_CLASSINFO("ShowCyclesNotVisible", "true")
    Q_CLASSINFO("ShowCyclesNoDefault", "true")
    ZT_PROPERTY(bool, ShowCyclesVerbose, false)
    Q_CLASSINFO("ShowCyclesVerboseNotVisible", "true")
    Q_CLASSINFO("ShowCyclesVerboseNoDefault", "true")
    Q_CLASSINFO("ShowCyclesVerboseVisibleBound", "ShowCycles:true")
    // True makes the model create the virtual apparatus.
    ZT_PROPERTY(bool, DebugKestrumDevice, false)
    Q_CLASSINFO("DebugKestrumDeviceNotVisible", "true")

public:
    explicit KestrumSettings(const QString& filePath, QObject* parent = nullptr);
};
