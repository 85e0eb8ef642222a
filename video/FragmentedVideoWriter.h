#pragma once

#include "StorageSpace.h"

#include <QString>
#include <opencv2/core.hpp>

#include <memory>

// Writes BGR frames as MPEG-4 Part 2 video into a file whose container follows its suffix, so
// that the file stays playable while it grows: a process that dies mid-recording leaves a video
// that plays up to its last half second or so. An MP4 is written in fragments, each complete on
// disk once the next key frame is written (a plain MP4 has its index only at the end, so a killed
// recording would be unreadable); other containers need no closing index anyway. A released MP4
// is rewritten into the plain layout, with one index, that players and analysis programs have
// always been given, when its disk has room for the copy.
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
    // Whether the open file is written in fragments.
    bool isFragmented() const;
    // Ends the file; false, with a console message, when it could not be completed. The header
    // of a file that could not be completed claims only the frames it holds.
    bool release();
    // Rewrites a released fragmented file into the plain layout, in its place. The copy needs
    // the file's size again: it is made only while it leaves the file system a reserve for the
    // recordings that share it (other chambers'), and otherwise, or when it fails, the file is
    // kept in fragments, complete, with a console message. Slow for a long video.
    static void makePlain(const QString& path, const StorageSpace::Reader& space);

private:
    struct State;
    std::unique_ptr<State> state;
};
