// A settings file written by hand (or damaged) read into the station's settings: every value
// that does not parse falls back to its default.

#include "ScratchFiles.h"
#include "settings/SettingsStore.h"
#include "settings/StationSettings.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A new name each time: Qt keeps settings files it has read, keyed by name.
    static int serial = 0;
    const QString name = QStringLiteral("QX05-%1.ini").arg(++serial);
    const QString path = fw::fuzz::writeScratch(name, data, size);
    {
        const fw::SettingsStore store(path);
        fw::StationSettings settings;
        settings.loadFrom(store);
        for (const fw::MeasureLabel label :
             {fw::MeasureLabel::MandatoryReride, fw::MeasureLabel::Outcome,
              fw::MeasureLabel::OverPicture})
            fw::measureLabelColor(settings.LabelColor, label);
    }
    QFile::remove(path);
    return 0;
}
