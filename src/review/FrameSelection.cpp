#include "review/FrameSelection.h"

#include "settings/StationSettings.h"
#include "support/textfile.h"
#include "support/textforms.h"

#include <QDir>

#include <cmath>
#include <limits>

namespace fw {

namespace {

// Whole frames from a frame-valued double, kept within 32 bits.
int frames(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double r = std::nearbyint(value);
    return int(std::clamp(r, double(std::numeric_limits<int>::min()),
                          double(std::numeric_limits<int>::max())));
}

int milliseconds(double value)
{
    return frames(std::floor(value));
}

} // namespace

int runFrames(double fps, bool barefootTiming)
{
    if (!(fps > 0))
        return 0;
    if (barefootTiming)
        return frames(15 * fps);
    if (fps == 30)
        return 599;
    return frames(20 * fps);
}

PlayStretch playBeforeStart(int startFrame, double seconds, double fps)
{
    PlayStretch p;
    p.interval_ms = milliseconds(seconds * 1000 + 300);
    const double from = startFrame - seconds * fps;
    if (from <= 1) {
        p.from = 0;
        // Only the time back to the file's start is left to play.
        if (fps > 0)
            p.interval_ms = milliseconds(startFrame / fps * 1000 + 300);
    } else {
        p.from = frames(from);
    }
    p.to = startFrame == 0 ? 1 : startFrame;
    return p;
}

PlayStretch playBeforeEnd(int end, double seconds, double fps)
{
    PlayStretch p;
    p.from = std::max(0, frames(end - seconds * fps));
    p.to = end;
    p.interval_ms = milliseconds(seconds * 1000 + 1500);
    return p;
}

PlayStretch playAfterEnd(int end, double fps)
{
    return {end, frames(end + 2 * fps), 2100};
}

QString tooShortMessage(int frameCount, int end, bool barefootTiming)
{
    return QStringLiteral("I am sorry, but the file is only ") + leadingSpace(frameCount) +
           QStringLiteral(" frames long and the ") +
           QStringLiteral("start position you have selected means that the end should be at "
                          "frame ") +
           leadingSpace(end) + QStringLiteral(" which is not possible with this file.") +
           QStringLiteral(" You may have to recapture from the video recorder if you did not "
                          "capture a ") +
           (barefootTiming ? QStringLiteral("full 15 seconds from the start of the run.")
                           : QStringLiteral("full 20 seconds from the start of the run."));
}

VideoFigures capturedVideoFigures(const VideoFigures& capture, const VideoFigures& header)
{
    return {capture.fps > 0 ? capture.fps : header.fps,
            capture.frameCount > 0 ? capture.frameCount : header.frameCount};
}

RunEnd runEnd(int start, int runFrames, int frameCount)
{
    const qint64 end = qint64(start) + runFrames;
    return {int(std::clamp<qint64>(end, std::numeric_limits<int>::min(),
                                   std::numeric_limits<int>::max())),
            end <= frameCount};
}

int playTime_ms(double seconds)
{
    return milliseconds(seconds * 1000 + 300);
}

int playCount(QStringView text)
{
    const double count = entryNumber(text);
    if (!std::isfinite(count))
        return 0;
    return int(std::clamp(std::trunc(count), double(std::numeric_limits<int>::min()),
                          double(std::numeric_limits<int>::max())));
}

std::optional<QString> secondsWithinRange(QStringView text, int most)
{
    const double seconds = entryNumber(text);
    if (seconds < 1)
        return QStringLiteral("1");
    if (seconds > most)
        return QString::number(most);
    return std::nullopt;
}

bool samePath(const QString& a, const QString& b)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return QDir::cleanPath(QDir::fromNativeSeparators(a))
               .compare(QDir::cleanPath(QDir::fromNativeSeparators(b)), cs) == 0;
}

QString captureFilePath(const QString& videoFolder, const QString& skier, const QString& pass)
{
    return QDir::toNativeSeparators(withoutTrailingSeparator(videoFolder) + QLatin1Char('/') +
                                    fileNamePart(skier) + QStringLiteral("jump") + pass.trimmed() +
                                    QStringLiteral(".avi"));
}

std::optional<CaptureName> splitCaptureName(const QString& path)
{
    const qsizetype avi = path.lastIndexOf(QLatin1String(".avi"));
    if (avi < 0)
        return std::nullopt;
    const qsizetype jump = path.indexOf(QLatin1String("jump"), std::max<qsizetype>(0, avi - 7));
    const qsizetype sep =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    // The word must be in the file's own name, before ".avi".
    if (jump < 0 || jump + 4 > avi || jump <= sep)
        return std::nullopt;
    return CaptureName{path.mid(sep + 1, jump - sep - 1), path.mid(jump + 4, avi - jump - 4)};
}

QStringList frameSelectionLogItems(const QDateTime& when, const CaptureName& name, int frame,
                                   const QString& path)
{
    return {dateText(when),
            timeText(when),
            QStringLiteral("Skier: ") + name.skier,
            QStringLiteral("Jump: ") + name.jump,
            QStringLiteral("Contact Frame: ") + leadingSpace(frame),
            QStringLiteral("File: ") + path};
}

QString infoFilePath(const QString& video)
{
    return video + QStringLiteral(".info");
}

QString infoLine(const QString& video, int frame)
{
    return video + QLatin1Char(',') + leadingSpace(frame);
}

Outcome writeInfoFile(const QString& video, int frame)
{
    return replaceFileLines(infoFilePath(video), {infoLine(video, frame)});
}

Result<int> readInfoFile(const QString& video)
{
    const QString path = infoFilePath(video);
    const Result<QString> text = readTextFile(path);
    if (!text)
        return Result<int>::failure(text.message());
    QString line = text->section(QLatin1Char('\n'), 0, 0);
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    const qsizetype comma = line.lastIndexOf(QLatin1Char(','));
    const std::optional<double> frame =
        comma < 0 ? std::nullopt : parseNumber(QStringView(line).mid(comma + 1));
    if (!frame || *frame != std::floor(*frame) || std::abs(*frame) > 2147483647.0)
        return Result<int>::failure(
            QStringLiteral("could not read %1: no frame number after the video's path").arg(path));
    return int(*frame);
}

} // namespace fw
