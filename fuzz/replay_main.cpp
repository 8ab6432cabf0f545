// Runs saved inputs through a fuzz target without the fuzzer: every file named, and every file
// in every folder named, once each. A crash fails the run; so does a folder that holds nothing,
// which would mean the replay tested nothing.

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString named = QString::fromLocal8Bit(argv[i]);
        QStringList files;
        if (QFileInfo(named).isDir()) {
            const QDir dir(named);
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
                if (!name.startsWith(QLatin1Char('.')) && name != QLatin1String("README.md"))
                    files << dir.filePath(name);
            }
        } else {
            files << named;
        }
        for (const QString& path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            std::fprintf(stderr, "%s\n", qPrintable(path));
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   std::size_t(bytes.size()));
            ++replayed;
        }
    }
    std::fprintf(stderr, "%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
