// The AVI header reader on any file: a summary or a failure, never a crash, a hang or an
// allocation larger than the file.

#include "ScratchFiles.h"
#include "review/AviHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fw::fuzz::writeScratch(QStringLiteral("video.avi"), data, size);
    const fw::Result<fw::AviHeader> header = fw::readAviHeader(path);
    if (header) {
        fw::aviInformationLines(path, header->summary);
        fw::aviFrameRate(header->summary);
        fw::aviFileType(header->summary);
    }
    return 0;
}
