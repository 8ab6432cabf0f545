#include "settings/EmergencyReset.h"

#include "settings/SettingsStore.h"
#include "support/dialogs.h"

namespace fw {

void EmergencyReset(SettingsStore& store, Dialogs& dialogs)
{
    const QString title = QStringLiteral("Emergency Parameter Reset");
    auto ask = [&](const QString& text) {
        return dialogs.message(text, title, DialogIcon::Question, DialogButtons::YesNo,
                               DialogAnswer::No) == DialogAnswer::Yes;
    };

    if (!ask(QStringLiteral("Do you want to reset all parameters to install values?")))
        return;
    if (!ask(QStringLiteral("Are you certain? This means you are crashing and can't operate")))
        return;

    struct Row {
        const char* key;
        const char* label;
        const char* resetValue;
    };
    static constexpr Row rows[] = {
        {"logpath", "Logpath = ", ""},         {"barefoot", "barefoot = ", "0"},
        {"compression", "compression = ", "0"}, {"device", "device = ", "0"},
        {"framerate", "framerate = ", "0"},     {"grid1File", "Grid 1 File = ", ""},
        {"grid2File", "Grid 2 File = ", ""},    {"grid3File", "Grid 3 File = ", ""},
    };
    for (const Row& row : rows) {
        const QString key = QLatin1String(row.key);
        const QString value = store.read(key, QStringLiteral("0"));
        if (!ask(QLatin1String(row.label) + value + QStringLiteral(" Clear it?")))
            continue;
        store.write(key, QLatin1String(row.resetValue));
        if (key == QLatin1String("logpath"))
            store.write(QStringLiteral("logfile"), QString());
    }
}

} // namespace fw
