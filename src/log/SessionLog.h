#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace fw {

class Dialogs;

// The daily session log in the video folder: one start line per run, one line per marked jump
// video and per saved contact picture, each carrying the file's path last ("File: ..."), so the
// operator can come back to a jump later. The file name is taken from the start day and kept
// for the whole run; every writer opens, appends one line and closes.
class SessionLog {
public:
    // JumpMeasurementLog + MMDDYY + .txt
    static QString fileNameFor(const QDate& day);

    void setFileName(const QString& name) { m_fileName = name; }
    const QString& fileName() const { return m_fileName; }

    // The log's path in the given video folder.
    QString path(const QString& videoFolder) const;

    // Appends one line of items in print zones. A line that cannot be written is skipped; the
    // operator is told once per run (file and reason), not once per line.
    bool append(const QString& videoFolder, const QStringList& items, Dialogs& dialogs);

    // The items of the start line.
    static QStringList startLineItems(const QDateTime& when);

    // The lines of a log that name a video (ending in "avi"), in file order.
    static QStringList videoLines(const QString& logText);

    // The path after the first "File:" of a line ("File: " is six characters), or empty when
    // the line holds none.
    static QString pathOnLine(const QString& line);

private:
    QString m_fileName;
    bool m_failureTold = false;
};

} // namespace fw
