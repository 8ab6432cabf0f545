#include "review/CapturedVideo.h"

#include "log/SessionLog.h"
#include "review/FrameSelection.h"
#include "support/FileChecks.h"
#include "support/clock.h"
#include "support/dialogs.h"

#include <QFile>

namespace fw {

namespace {

const QString kRenameTitle = QStringLiteral("Fix the skier's name");

// A name from the operator, asked once more when none was given; none when still none.
std::optional<QString> askName(const QString& prompt, const QString& skier, Dialogs& dialogs)
{
    const QString name = dialogs.input(prompt, kRenameTitle, skier).value_or(QString());
    if (!name.isEmpty())
        return name;
    const QString again =
        dialogs
            .input(QStringLiteral("You must input a name. ") + QStringLiteral("Please try again "),
                   kRenameTitle, skier)
            .value_or(QString());
    if (again.isEmpty())
        return std::nullopt;
    return again;
}

bool deleteVideo(const QString& path, Dialogs& dialogs)
{
    QFile file(path);
    // A read-only video is deleted too: its attributes are cleared first.
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    if (file.remove())
        return true;
    dialogs.message(QStringLiteral("Could not delete %1: %2").arg(path, file.errorString()),
                    QString(), DialogIcon::Critical);
    return false;
}

} // namespace

std::optional<RenamedVideo> renameCapturedVideo(const QString& captured, const QString& folder,
                                                const QString& skier, const QString& pass,
                                                Dialogs& dialogs)
{
    std::optional<QString> name = askName(
        QStringLiteral("The skier's name was changed to prevent overwriting ") +
            QStringLiteral("an existing file. You can change the skier's name here if you want. ") +
            QStringLiteral("Just modify it in the input box to what it should be. "),
        skier, dialogs);
    if (!name)
        return std::nullopt;
    QString target = captureFilePath(folder, *name, QStringLiteral("1"));
    while (!samePath(target, captured) && FilePresent(target)) {
        name = askName(QStringLiteral("I am sorry, there is ") +
                           QStringLiteral("an existing file using that name and jump.  ") +
                           QStringLiteral("Please try again "),
                       skier, dialogs);
        if (!name)
            return std::nullopt;
        target = captureFilePath(folder, *name, pass);
    }
    if (!samePath(target, captured)) {
        QFile file(captured);
        if (!file.rename(target)) {
            dialogs.message(QStringLiteral("Could not move %1 to %2: %3")
                                .arg(captured, target, file.errorString()),
                            QString(), DialogIcon::Critical);
            return std::nullopt;
        }
    }
    return RenamedVideo{target, *name};
}

void noteMarkedFrame(const QString& video, int frame, const MarkedFrameRecord& record,
                     Dialogs& dialogs)
{
    const std::optional<CaptureName> name = splitCaptureName(video);
    if (!name) {
        dialogs.message(
            QStringLiteral("Warning, this is not a  standard RSF file so it will not be saved in "
                           "the Log for future reference"),
            QString(), DialogIcon::Exclamation);
        return;
    }
    record.log.append(record.videoFolder,
                      frameSelectionLogItems(record.clock.now(), *name, frame, video), dialogs);
    const Outcome written = writeInfoFile(video, frame);
    if (!written)
        dialogs.message(written.message(), QString(), DialogIcon::Critical);
}

void applyVideoSavePolicy(const QString& policy, const QString& video, int frame,
                          const MarkedFrameRecord& record, Dialogs& dialogs)
{
    if (policy == QLatin1String("NoSave")) {
        deleteVideo(video, dialogs);
    } else if (policy == QLatin1String("Ask")) {
        if (dialogs.message(QStringLiteral("Do you want to save this video capture?"), QString(),
                            DialogIcon::None, DialogButtons::YesNo) == DialogAnswer::Yes)
            noteMarkedFrame(video, frame, record, dialogs);
        else
            deleteVideo(video, dialogs);
    } else if (policy == QLatin1String("Save")) {
        noteMarkedFrame(video, frame, record, dialogs);
    }
}

} // namespace fw
