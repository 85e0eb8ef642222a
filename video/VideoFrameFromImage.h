#pragma once

#include <QImage>
#include <QVideoFrame>

// A video frame holding a copy of the picture, in the 32-bit RGB layout every sink can map and
// turn back into an image; an invalid frame for a null picture. Qt 6.4 cannot wrap an image in
// a frame, and sources of our own (the virtual cameras, the screen grabber) hand their pictures
// to the same sinks as a camera does.
QVideoFrame videoFrameFromImage(const QImage& image);
