#pragma once

#include <QString>

#include <optional>

// The playing time of a media file in seconds, as its container and streams tell it; none when
// the file cannot be read or says nothing about its length. Waits at most a few seconds.
std::optional<double> mediaDurationSeconds(const QString &path);
