#pragma once

// The results file: the station's running record of the session. Every entry is appended
// (open, write, flush, close), and an entry that cannot be written is never lost: the operator is
// told which file, why, and what the entry was; the station keeps it and writes it first at the
// next successful write.

#include <QString>
#include <QStringList>

namespace fw {

class Dialogs;

class ResultsFile {
public:
    explicit ResultsFile(Dialogs& dialogs) : m_dialogs(dialogs) {}
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

    // Lines not yet written, oldest first; shown to the operator when the station closes.
    const QStringList& pending() const { return m_pending; }
    bool hasPending() const { return !m_pending.isEmpty(); }

    // The text shown when the station closes with lines still waiting (empty when none).
    QString pendingReport() const;

private:
    Dialogs& m_dialogs;
    QStringList m_pending;
};

} // namespace fw
