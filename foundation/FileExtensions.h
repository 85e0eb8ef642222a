#pragma once

#include <QStringList>

// The file kinds the program recognises by extension (without the dot), defined once for every
// picker, filter and player.
namespace FileExtensions {

inline const QStringList Audio = {"mp3", "aac", "wav", "flac", "ogg", "opus", "wma", "m4a"};
inline const QStringList Image = {"jpg", "png", "jpeg", "bmp"};
inline const QStringList Video = {"avi", "mpg", "mpeg", "mp4", "mov", "mkv", "webm"};

} // namespace FileExtensions
