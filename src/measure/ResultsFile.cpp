#include "measure/ResultsFile.h"

#include "measure/SkierNames.h"
#include "support/dialogs.h"
#include "support/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fw {

ResultsFile::ResultsFile(Dialogs& dialogs, QString pendingPath)
    : m_dialogs(dialogs), m_pendingPath(std::move(pendingPath))
{
    if (m_pendingPath.isEmpty() || !QFileInfo::exists(m_pendingPath))
        return;
    const Result<QString> text = readTextFile(m_pendingPath);
    if (text) {
        m_pending = textLines(*text);
        m_pendingInFile = int(m_pending.size());
    } else {
        // Lines the station could not read are never removed or added to by it: the next
        // successful write would otherwise delete them unwritten.
        m_pendingFileUnread = true;
        m_pendingOnDisk = false;
        if (!QFileInfo(m_pendingPath).isFile())
            return;
        // The lines are still in the file: say so now rather than lose track of them.
        m_dialogs.message(text.message() +
                              QStringLiteral("\n\nResults lines that could not be written earlier "
                                             "wait in that file. Copy them into the results file "
                                             "by hand."),
                          QString(), DialogIcon::Critical);
    }
}

bool ResultsFile::writeAll(const QString& path, const QStringList& lines, QString* failure)
{
    // One append for the waiting lines and the new entry together: the append is all or
    // nothing, so a line is either in the results file once or still waiting.
    const Outcome written = appendLines(path, lines);
    if (!written) {
        if (failure)
            *failure = written.message();
        return false;
    }
    forgetKept();
    return true;
}

bool ResultsFile::writePending(const QString& path)
{
    if (m_pending.isEmpty())
        return true;
    if (path.isEmpty())
        return false;
    return writeAll(path, m_pending, nullptr);
}

bool ResultsFile::keep(const QStringList& lines)
{
    m_pending += lines;
    if (m_pendingPath.isEmpty() || m_pendingFileUnread || !m_pendingOnDisk) {
        m_pendingOnDisk = false;
        return false;
    }
    // One line at a time, each flushed, so that a crash keeps every line refused before it.
    for (const QString& line : lines) {
        if (!appendLines(m_pendingPath, {line})) {
            m_pendingOnDisk = false;
            return false;
        }
        ++m_pendingInFile;
    }
    return true;
}

void ResultsFile::forgetKept()
{
    m_pending.clear();
    m_pendingInFile = 0;
    if (m_pendingFileUnread)
        return;
    if (m_pendingPath.isEmpty() || !QFileInfo::exists(m_pendingPath)) {
        m_pendingOnDisk = true;
        return;
    }
    // Written lines must not come back at the next start; when the file cannot be removed it is
    // at least emptied.
    if (!QFile::remove(m_pendingPath)) {
        QFile file(m_pendingPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            m_dialogs.message(
                QStringLiteral("The results lines that were waiting in %1 are now written to the "
                               "results file, but %1 could not be removed: %2. Delete it before "
                               "the station starts again, or the lines are written twice.")
                    .arg(QDir::toNativeSeparators(m_pendingPath), file.errorString()),
                QString(), DialogIcon::Exclamation);
    }
    m_pendingOnDisk = true;
}

bool ResultsFile::append(const QString& path, const QStringList& lines)
{
    QString failure;
    if (writeAll(path, m_pending + lines, &failure))
        return true;
    const int earlier = int(m_pending.size());
    const bool kept = keep(lines);
    QString text = failure;
    const QString these =
        lines.size() == 1 ? QStringLiteral("this line") : QStringLiteral("these lines");
    if (kept)
        text += QStringLiteral("\n\nThe station keeps %1 in %2 and writes it to the results file "
                               "first at the next successful write, also after a restart:")
                    .arg(these, QDir::toNativeSeparators(m_pendingPath));
    else
        text += QStringLiteral("\n\nThe station keeps %1 in memory only and writes it to the "
                               "results file first at the next successful write; copy it by hand "
                               "if the station must close before then:")
                    .arg(these);
    for (const QString& line : lines)
        text += QLatin1Char('\n') + line;
    if (earlier > 0)
        text += QStringLiteral("\n\n%1 earlier line(s) are waiting as well.").arg(earlier);
    m_dialogs.message(text, QString(), DialogIcon::Critical);
    return false;
}

QString ResultsFile::pendingReport() const
{
    if (m_pending.isEmpty())
        return QString();
    if (m_pendingOnDisk && !m_pendingPath.isEmpty())
        return QStringLiteral("%1 line(s) could not be written to the results file. They are kept "
                              "in %2 and are written to the results file first when the station "
                              "starts again. You can also copy them into the results file by "
                              "hand (then delete %2):\n")
                   .arg(m_pending.size())
                   .arg(QDir::toNativeSeparators(m_pendingPath)) +
               m_pending.join(QLatin1Char('\n'));
    if (m_pendingInFile > 0 && !m_pendingFileUnread) {
        // The first lines are in the waiting file and come back at the next start by themselves:
        // copied by hand as well, they would be in the results file twice.
        const QStringList inMemory = m_pending.mid(m_pendingInFile);
        return QStringLiteral("%1 line(s) could not be written to the results file. The first %2 "
                              "are kept in %3 and are written to the results file first when the "
                              "station starts again. Copy only these %4 into the results file by "
                              "hand:\n")
                   .arg(m_pending.size())
                   .arg(m_pendingInFile)
                   .arg(QDir::toNativeSeparators(m_pendingPath))
                   .arg(inMemory.size()) +
               inMemory.join(QLatin1Char('\n'));
    }
    return QStringLiteral("These lines could not be written to the results file. Copy them into "
                          "the results file by hand:\n") +
           m_pending.join(QLatin1Char('\n'));
}

} // namespace fw
