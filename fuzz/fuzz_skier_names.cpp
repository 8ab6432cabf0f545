// The station's skier list and the scoring program's name file, read from any file, and the
// import that makes a chosen file the station's list.

#include "ScratchFiles.h"
#include "measure/SkierNames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString names = fw::fuzz::writeScratch(QStringLiteral("SkierNames.txt"), data, size);
    (void)fw::readSkierList(names);
    (void)fw::defaultSkierName(names);
    const QString wstims = fw::fuzz::writeScratch(QStringLiteral("qxskier.nam"), data, size);
    (void)fw::readWstimsSkierName(wstims);
    (void)fw::importSkierNames(names, fw::fuzz::scratchPath(QStringLiteral("imported.txt")));
    return 0;
}
