#include "measure/WstimsExchange.h"

#include "measure/JumpResult.h"
#include "support/textfile.h"

#include <QDir>
#include <QFile>

namespace fw {

namespace {
QString inFolder(const QString& folder, const QString& name)
{
    return QDir::toNativeSeparators(QDir(folder).filePath(name));
}
} // namespace

Outcome writeWstimsResult(const QString& exchangeFolder, const JumpResult& jump)
{
    const QString prefix = QStringLiteral("Error while writing WSTIMS result: ");
    // A missing exchange folder means the link is not set up; say so rather than create a folder
    // the scoring program may not be looking at.
    if (exchangeFolder.isEmpty() || !QDir(exchangeFolder).exists())
        return Outcome::failure(prefix + QStringLiteral("the exchange folder %1 does not exist")
                                             .arg(QDir::toNativeSeparators(exchangeFolder)));
    const Outcome result = replaceFileLines(
        inFolder(exchangeFolder, QStringLiteral("qxresult.dst")), {wstimsStatusLine(jump)});
    if (!result)
        return Outcome::failure(prefix + result.message());
    const Outcome raw =
        appendLines(inFolder(exchangeFolder, QStringLiteral("qxraw.dst")), {wstimsRawLine(jump)});
    if (!raw)
        return Outcome::failure(prefix + raw.message());
    return Outcome::success();
}

int deleteExchangePictures(const QString& exchangeFolder)
{
    if (exchangeFolder.isEmpty())
        return 0;
    QDir folder(exchangeFolder);
    if (!folder.exists())
        return 0;
    folder.setNameFilters({QStringLiteral("*.bmp")});
    folder.setFilter(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    int deleted = 0;
    const QStringList names = folder.entryList();
    for (const QString& name : names) {
        // *.bmp matches regardless of case, as on the scoring program's system.
        if (!name.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive))
            continue;
        if (QFile::remove(folder.filePath(name)))
            ++deleted;
    }
    return deleted;
}

} // namespace fw
