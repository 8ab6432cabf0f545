// A frame grabbed from any file into a bitmap: the frame or a failure with the station's
// message, never a crash. The first byte picks the frame.

#include "ScratchFiles.h"
#include "media/FrameGrab.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QString video = fw::fuzz::writeScratch(QStringLiteral("grab.avi"), data, size);
    (void)fw::grabFrame(video, data[0] % 4, fw::fuzz::scratchPath(QStringLiteral("grab.bmp")));
    return 0;
}
