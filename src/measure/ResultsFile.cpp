#include "measure/ResultsFile.h"

#include "support/dialogs.h"
#include "support/textfile.h"

namespace fw {

bool ResultsFile::append(const QString& path, const QStringList& lines)
{
    const QStringList all = m_pending + lines;
    const Outcome written = appendLines(path, all);
    if (written) {
        m_pending.clear();
        return true;
    }
    m_pending = all;
    QString text = written.message();
    text +=
        QStringLiteral("\n\nThe station keeps %1 and writes %2 to the results file at the next "
                       "successful write:")
            .arg(lines.size() == 1 ? QStringLiteral("this line") : QStringLiteral("these lines"),
                 lines.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
    for (const QString& line : lines)
        text += QLatin1Char('\n') + line;
    if (all.size() > lines.size())
        text += QStringLiteral("\n\n%1 earlier line(s) are waiting as well.")
                    .arg(all.size() - lines.size());
    m_dialogs.message(text, QString(), DialogIcon::Critical);
    return false;
}

QString ResultsFile::pendingReport() const
{
    if (m_pending.isEmpty())
        return QString();
    return QStringLiteral("These lines could not be written to the results file. Copy them into "
                          "the results file by hand:\n") +
           m_pending.join(QLatin1Char('\n'));
}

} // namespace fw
