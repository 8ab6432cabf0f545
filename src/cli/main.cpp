// farwater-cli: the station's command-line companion, so that a technical controller can check
// figures away from the station.

#include "media/MediaLibraries.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

const char* const kUsage =
    "Usage: farwater-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Options:\n"
    "  --help       show this text\n"
    "  --version    show the program's version and the FFmpeg libraries it uses\n"
    "\n"
    "Exit status: 0 done, 2 bad arguments or an unreadable file.\n";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    QTextStream out(stdout);
    QTextStream err(stderr);

    if (args.isEmpty()) {
        err << kUsage;
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << kUsage;
        return 0;
    }
    if (command == QLatin1String("--version")) {
        out << "farwater-cli " << FARWATER_VERSION << "\n" << fw::mediaLibraryVersions() << "\n";
        return 0;
    }
    err << "farwater-cli: unknown command " << command << " (see farwater-cli --help)\n";
    return 2;
}
