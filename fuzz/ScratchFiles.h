#pragma once

// The readers take paths, so each input is written to a file of a scratch folder first (in
// memory where the system offers it). The folder lives as long as the program.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace fw::fuzz {

inline const QTemporaryDir& scratchFolder()
{
    static const QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                          ? QStringLiteral("/dev/shm/farwater-fuzz-XXXXXX")
                                          : QDir::tempPath() +
                                                QStringLiteral("/farwater-fuzz-XXXXXX"));
    return folder;
}

inline QString scratchPath(const QString& name)
{
    return scratchFolder().filePath(name);
}

// Writes the bytes to the named scratch file and gives its path.
inline QString writeScratch(const QString& name, const char* data, qsizetype size)
{
    const QString path = scratchPath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data, size);
    return path;
}

inline QString writeScratch(const QString& name, const std::uint8_t* data, std::size_t size)
{
    return writeScratch(name, reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace fw::fuzz
