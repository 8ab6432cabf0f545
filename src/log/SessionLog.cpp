#include "log/SessionLog.h"

#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"

namespace fw {

QString SessionLog::fileNameFor(const QDate& day)
{
    return QStringLiteral("JumpMeasurementLog") + monthDayYear(day) + QStringLiteral(".txt");
}

QString SessionLog::path(const QString& videoFolder) const
{
    return joinPath(videoFolder, m_fileName);
}

bool SessionLog::append(const QString& videoFolder, const QStringList& items, Dialogs& dialogs)
{
    const Outcome written = appendLines(path(videoFolder), {printZones(items)});
    if (!written && !m_failureTold) {
        m_failureTold = true;
        dialogs.message(written.message() +
                            QStringLiteral("\r\nThe session log line was skipped; later lines "
                                           "are skipped too while the file cannot be written."),
                        QString(), DialogIcon::Exclamation);
    }
    return written.ok();
}

QStringList SessionLog::startLineItems(const QDateTime& when)
{
    return {dateText(when), timeText(when), QStringLiteral("Farwater Measurement Session started  ")};
}

QStringList SessionLog::videoLines(const QString& logText)
{
    QStringList out;
    const QStringList lines = logText.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.endsWith(QLatin1String("avi")))
            out << line;
    }
    return out;
}

QString SessionLog::pathOnLine(const QString& line)
{
    const qsizetype at = line.indexOf(QLatin1String("File:"));
    if (at < 0)
        return QString();
    return line.mid(at + 6);
}

} // namespace fw
