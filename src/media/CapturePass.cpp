#include "media/CapturePass.h"

#include "settings/StationSettings.h"
#include "support/FileChecks.h"
#include "support/textforms.h"

#include <QDir>

#include <algorithm>
#include <climits>
#include <cmath>

namespace fw {

QString nextPass(const QString& pass)
{
    return leadingSpace(entryNumber(pass) + 1);
}

QString firstFreePass(const QString& videoFolder, const QString& skier, const QString& pass)
{
    QString free = pass;
    QString path = captureFilePath(videoFolder, skier, free);
    while (FilePresent(path)) {
        const QString next = nextPass(free);
        const QString nextPath = captureFilePath(videoFolder, skier, next);
        if (nextPath == path)
            break; // a number too large to grow by one
        free = next;
        path = nextPath;
    }
    return free;
}

RecordingName uniqueRecordingName(const QString& videoFolder, const QString& skier,
                                  const QString& pass)
{
    RecordingName name{skier, captureFilePath(videoFolder, skier, pass), false};
    while (FilePresent(name.path)) {
        name.renamed = true;
        name.skier += QLatin1Char('X');
        name.path = captureFilePath(videoFolder, name.skier, pass);
    }
    return name;
}

int middleFrame(double rate, double seconds)
{
    const double middle = rate * seconds / 2;
    if (!std::isfinite(middle) || std::abs(middle) > INT_MAX)
        return 0;
    return int(std::lround(middle));
}

int wholeSeconds(double seconds)
{
    // A hand-edited store may hold any number; the count stays one an int can hold.
    return int(std::clamp(std::ceil(seconds), 0.0, double(INT_MAX)));
}

void CaptureCountdown::start(double seconds)
{
    m_secondsLeft = wholeSeconds(seconds);
}

bool CaptureCountdown::tick()
{
    --m_secondsLeft;
    return m_secondsLeft >= 0;
}

QString countdownText(double seconds)
{
    return leadingSpace(seconds);
}

} // namespace fw
