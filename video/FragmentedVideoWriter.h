#pragma once

#include <QString>
#include <opencv2/core.hpp>

#include <memory>

// Writes BGR frames as MPEG-4 Part 2 video into a file whose container follows its suffix, so
// that the file stays playable while it grows: a process that dies mid-recording leaves a video
// that plays up to its last half second or so. An MP4 is written in fragments, each complete on
// disk once the next key frame is written (a plain MP4 has its index only at the end, so a killed
// recording would be unreadable); other containers need no closing index anyway. A released MP4
// is rewritten into the plain layout, with one index, that players and analysis programs have
// always been given.
class FragmentedVideoWriter
{
public:
    FragmentedVideoWriter();
    ~FragmentedVideoWriter();
    FragmentedVideoWriter(const FragmentedVideoWriter&) = delete;
    FragmentedVideoWriter& operator=(const FragmentedVideoWriter&) = delete;

    // `codec` is the four-character tag the stream is marked with ("mp4v", "XVID").
    bool open(const QString& path, double frameRate, cv::Size size, const QString& codec);
    bool isOpened() const;
    // Takes an 8-bit BGR frame of the size opened; false when it could not be written.
    bool write(const cv::Mat& frame);
    // Ends the file; false, with a console message, when it could not be completed. A fragmented
    // file that could not be rewritten into the plain layout is kept as it is, complete.
    bool release();

private:
    struct State;
    std::unique_ptr<State> state;
};
