#pragma once

#include <QString>

namespace fw {

// The versions of the FFmpeg libraries the station runs with, for "--version" and bug reports:
// "libavformat 59.27.100, libavcodec 59.37.100, ...".
QString mediaLibraryVersions();

// Keeps FFmpeg's own diagnostics off the standard error stream: the station reports failures
// in its own words, with FFmpeg's error text as the reason.
void quietMediaLibraries();

} // namespace fw
