#pragma once

// The results file: the station's running record of the session. Every entry is appended
// (open, write, flush, close), and an entry that cannot be written is never lost: the operator is
// told which file and why, and the lines wait in a file of their own in the station folder
// (appended and flushed one by one the moment they are refused), so that neither quitting nor a
// crash nor a power cut loses them. Waiting lines are written first, in order, at the next write,
// also by the next run of the station, and leave the waiting file only once written.

#include <QString>
#include <QStringList>

namespace fw {

class Dialogs;

class ResultsFile {
public:
    // pendingPath: the file where refused lines wait; lines left there by an earlier run are
    // taken up at once. Without one the lines wait in memory only.
    explicit ResultsFile(Dialogs& dialogs, QString pendingPath = QString());
    ResultsFile(const ResultsFile&) = delete;
    ResultsFile& operator=(const ResultsFile&) = delete;

    // Appends one entry (usually one line) to the results file at path, after any lines still
    // waiting from earlier failures. On failure the operator is told and the lines wait.
    // Returns whether everything was written.
    bool append(const QString& path, const QStringList& lines);
    bool append(const QString& path, const QString& line)
    {
        return append(path, QStringList{line});
    }

    // Tries once more to write the waiting lines to path, without telling the operator anything.
    // Returns whether no line is waiting afterwards.
    bool writePending(const QString& path);

    // Lines not yet written, oldest first.
    const QStringList& pending() const { return m_pending; }
    bool hasPending() const { return !m_pending.isEmpty(); }
    const QString& pendingPath() const { return m_pendingPath; }

    // The text shown when the station closes with lines still waiting (empty when none): how
    // many, and where they are kept.
    QString pendingReport() const;

private:
    bool writeAll(const QString& path, const QStringList& lines, QString* failure);
    bool keep(const QStringList& lines);
    void forgetKept();

    Dialogs& m_dialogs;
    QString m_pendingPath;
    QStringList m_pending;
    // Whether every waiting line is also in the waiting file.
    bool m_pendingOnDisk = true;
    // Whether the waiting file held lines this run could not read (or is not a file at all).
    bool m_pendingFileUnread = false;
    // How many of the waiting lines, from the first, are in the waiting file.
    int m_pendingInFile = 0;
};

} // namespace fw
