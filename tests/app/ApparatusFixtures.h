#pragma once

// What the application's tests set before an apparatus panel: a chamber stand-in as the
// apparatus thread holds it, and camera frames with the animal where the test wants it.

#include "ApparatusThread.h"
#include "RecordingDevice.h"

#include <QImage>
#include <QPainter>

#include <optional>

inline RecordingDevice* adoptedChamber(const QString& serialNumber)
{
    auto* device = new RecordingDevice(nullptr, serialNumber);
    device->setStatusConnect(BaseDevice::Connected);
    ApparatusThread::adopt(device);
    return device;
}

// A dark floor; the animal, when there, a bright ellipse on its middle line.
inline QImage arenaFrame(std::optional<int> animalX)
{
    QImage frame(640, 480, QImage::Format_RGB32);
    frame.fill(QColor(40, 40, 40));
    if (animalX) {
        QPainter painter(&frame);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(200, 200, 200));
        painter.drawEllipse(QPoint(*animalX, 240), 22, 14);
    }
    return frame;
}
