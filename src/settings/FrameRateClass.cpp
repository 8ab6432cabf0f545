#include "settings/FrameRateClass.h"

namespace fw {

QString frameRateClassCaption(double rate)
{
    if (rate >= 25)
        return QStringLiteral("Currently Configured for R");
    if (rate >= 15)
        return QStringLiteral("Currently Configured for L");
    if (rate >= 5)
        return QStringLiteral("Currently Configured for Normal/C");
    return QString();
}

} // namespace fw
