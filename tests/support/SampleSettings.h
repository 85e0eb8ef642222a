#pragma once

#include "ZTSettings.h"

#include <QByteArray>
#include <QColor>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QStringList>

// A settings class with one described property of every type the settings files carry, for
// the tests of the settings model and of anything that shows or stores settings objects.
class SampleSettings : public ZTSettings
{
    Q_OBJECT
public:
    enum Speed { Slow, Fast, Adaptive };
    Q_ENUM(Speed)

    ZT_BOUNDED_PROPERTY(int, Threshold, 20, 1, 200, 1)
    Q_CLASSINFO("ThresholdCategory", "1.Main")
    Q_CLASSINFO("ThresholdSuffix", "!- px")
    ZT_BOUNDED_PROPERTY(double, Ratio, 0.4, 0.0, 1.0, 0.05)
    ZT_PROPERTY(double, Offset, 420.0)
    ZT_PROPERTY(float, Gain, 0.5f)
    ZT_PROPERTY(qlonglong, Counter, 0)
    ZT_PROPERTY(uint, Mask, 0xFFu)
    ZT_PROPERTY(bool, Enabled, true)
    ZT_PROPERTY(QString, Label, "xlsx")
    ZT_PROPERTY(QStringList, Names, QStringList({"alpha", "beta"}))
    ZT_PROPERTY(QPoint, Origin, QPoint(10, 20))
    ZT_PROPERTY(QPointF, Centre, QPointF(1.5, 2.25))
    ZT_PROPERTY(QSize, FrameSize, QSize(640, 480))
    ZT_PROPERTY(QColor, Tint, QColor(Qt::red))
    ZT_PROPERTY(Speed, Pace, SampleSettings::Fast)
    ZT_PROPERTY(QByteArray, Blob, QByteArray("raw"))
    ZT_UNSAVED_PROPERTY(int, Scratch, 7)

public:
    explicit SampleSettings(const QString& filepath = QString(), bool autoSave = false, QObject* parent = nullptr,
                            ZTSettingsFormat format = XML);
};
