// The ".info" file beside a video or a picture, and the lines of the session log that the log
// viewers read back (videos and contact pictures), from any file.

#include "ScratchFiles.h"
#include "log/SessionLog.h"
#include "measure/PictureLog.h"
#include "review/FrameSelection.h"
#include "support/textfile.h"

#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString video = fw::fuzz::scratchPath(QStringLiteral("Smithjump1.avi"));
    fw::fuzz::writeScratch(QFileInfo(fw::infoFilePath(video)).fileName(), data, size);
    (void)fw::readInfoFile(video);

    const QString log =
        fw::fuzz::writeScratch(QStringLiteral("JumpMeasurementLog120526.txt"), data, size);
    if (const fw::Result<QStringList> pictures = fw::readPictureLogLines(log)) {
        for (const QString& line : *pictures)
            (void)fw::pathInLogLine(line);
    }
    if (const fw::Result<QString> text = fw::readTextFile(log)) {
        for (const QString& line : fw::SessionLog::videoLines(*text)) {
            const QString path = fw::SessionLog::pathOnLine(line);
            (void)fw::splitCaptureName(path);
        }
    }
    return 0;
}
