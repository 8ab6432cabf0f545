#pragma once

#include <QString>

namespace fw {

// The versions of the FFmpeg libraries the station runs with, for "--version" and bug reports:
// "libavformat 59.27.100, libavcodec 59.37.100, ...".
QString mediaLibraryVersions();

} // namespace fw
