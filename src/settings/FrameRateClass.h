#pragma once

#include <QString>

namespace fw {

// The class of jumps a capture frame rate is good for, as the main screen states it: at least
// 5 frames a second "Currently Configured for Normal/C", at least 15 "... L", at least 25
// "... R". Below 5 (or no number at all) there is no class: the result is empty and the screen
// keeps the line it shows.
QString frameRateClassCaption(double rate);

} // namespace fw
