#include "media/MediaLibraries.h"

#include <QStringList>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswscale/swscale.h>
}

namespace fw {

namespace {
QString versionText(const char* name, unsigned version)
{
    return QStringLiteral("%1 %2.%3.%4")
        .arg(QLatin1String(name))
        .arg(version >> 16)
        .arg((version >> 8) & 0xFF)
        .arg(version & 0xFF);
}
} // namespace

QString mediaLibraryVersions()
{
    QStringList versions;
    versions << versionText("libavformat", avformat_version())
             << versionText("libavcodec", avcodec_version())
             << versionText("libavdevice", avdevice_version())
             << versionText("libavutil", avutil_version())
             << versionText("libswscale", swscale_version());
    return versions.join(QStringLiteral(", "));
}

void quietMediaLibraries()
{
    av_log_set_level(AV_LOG_QUIET);
}

} // namespace fw
