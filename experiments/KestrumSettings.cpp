#include "KestrumSettings.h"

#include <QCoreApplication>

namespace {

// The value names the settings editors show, in the context of their enumeration.
[[maybe_unused]] const char* const translatedValueNames[] = {
    QT_TRANSLATE_NOOP("Quality", "VeryLowQuality"),
    QT_TRANSLATE_NOOP("Quality", "LowQuality"),
    QT_TRANSLATE_NOOP("Quality", "NormalQuality"),
    QT_TRANSLATE_NOOP("Quality", "HighQuality"),
    QT_TRANSLATE_NOOP("Quality", "VeryHighQuality"),
    QT_TRANSLATE_NOOP("ExportBehaviorOption", "OnExport_OpenFile"),
    QT_TRANSLATE_NOOP("ExportBehaviorOption", "OnExport_OpenFolder"),
    QT_TRANSLATE_NOOP("ExportBehaviorOption", "OnExport_DoNothing"),
    QT_TRANSLATE_NOOP("DiffMode_Type", "DiffMode_Abs"),
    QT_TRANSLATE_NOOP("DiffMode_Type", "DiffMode_IfBrighter"),
    QT_TRANSLATE_NOOP("DiffMode_Type", "DiffMode_IfDarker"),
};

} // namespace

KestrumSettings::KestrumSettings(const QString& filePath, QObject* parent)
    : KestrumFolderSettings(filePath, parent)
{
    qRegisterMetaType<KestrumLanguage>();
    qRegisterMetaType<ExportBehaviorOption>();
    qRegisterMetaType<QMediaRecorder::Quality>();
    qRegisterMetaType<KestrumDetectorThread::DiffMode_Type>();
}
