#pragma once

// The files shared with the scoring program in the exchange folder: qxresult.dst holds the last
// jump's status line and is replaced whole, so the scoring program never reads half a line;
// qxraw.dst gains one line per jump.

#include "support/result.h"

#include <QString>

namespace fw {

struct JumpResult;

// Writes qxresult.dst and appends to qxraw.dst in the exchange folder. Failure:
// "Error while writing WSTIMS result: " and the reason.
Outcome writeWstimsResult(const QString& exchangeFolder, const JumpResult& jump);

// Deletes every picture (*.bmp) left in the exchange folder by a picture-grabbing program;
// errors are ignored. Returns how many were deleted.
int deleteExchangePictures(const QString& exchangeFolder);

} // namespace fw
