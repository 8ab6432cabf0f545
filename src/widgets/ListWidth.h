#pragma once

class QListWidget;

namespace fw {

// Widens a list's horizontal scroll range to its widest entry (each entry measured followed by
// one blank in the list's font), so that long paths can be scrolled into view. Returns the
// extent in pixels.
int applyListWidth(QListWidget& list);

} // namespace fw
