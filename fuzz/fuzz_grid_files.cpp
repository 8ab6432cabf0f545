// A grid file and its check buoy file, both from the input (the first byte says where the grid
// file ends), read and shown as a load shows them.

#include "ScratchFiles.h"
#include "grid/GridFiles.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t rest = size - 1;
    const std::size_t cut = rest * data[0] / 255;
    const QString grid = fw::fuzz::writeScratch(QStringLiteral("grid.ipt"), data + 1, cut);
    const QString checkBuoy = fw::checkBuoyFilePath(grid);
    if (data[0] % 2 == 0)
        fw::fuzz::writeScratch(QStringLiteral("grid.ipt.cb"), data + 1 + cut, rest - cut);
    else
        QFile::remove(checkBuoy);
    const fw::Result<fw::GridFileContents> loaded = fw::readGridFiles(grid);
    if (loaded)
        fw::loadedEntries(*loaded, QStringLiteral("Grid 1"));
    return 0;
}
