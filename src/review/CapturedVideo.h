#pragma once

// What becomes of a video just captured: its renaming when the capture had to change the skier's
// name so as not to overwrite a video, and, once its contact frame is marked, the video save
// policy (kept and noted in the session log and its ".info" file, or deleted).

#include <QString>

#include <optional>

namespace fw {

class Clock;
class Dialogs;
class SessionLog;

// A renamed video: where it is now and the skier's name it carries.
struct RenamedVideo {
    QString path;
    QString skier;
};

// Asks the operator for the skier's name (offering `skier`) and moves the video to
// <skier>jump<pass>.avi in `folder`; a name whose video exists is asked for again. None when the
// operator gave no name or the move failed (told, with the reason): the video then stays where
// it is. The first name asked for is always jump 1's.
std::optional<RenamedVideo> renameCapturedVideo(const QString& captured, const QString& folder,
                                                const QString& skier, const QString& pass,
                                                Dialogs& dialogs);

// Where the session log and the ".info" file of a marked frame go.
struct MarkedFrameRecord {
    SessionLog& log;
    QString videoFolder;
    const Clock& clock;
};

// Notes a marked frame in the session log and the video's ".info" file. A video whose name is
// not <skier>jump<pass>.avi is not noted (the operator is told).
void noteMarkedFrame(const QString& video, int frame, const MarkedFrameRecord& record,
                     Dialogs& dialogs);

// Applies the video save policy to a captured video whose contact frame was marked: "Save" keeps
// and notes it, "NoSave" deletes it, "Ask" asks which; any other policy leaves it alone.
void applyVideoSavePolicy(const QString& policy, const QString& video, int frame,
                          const MarkedFrameRecord& record, Dialogs& dialogs);

} // namespace fw
