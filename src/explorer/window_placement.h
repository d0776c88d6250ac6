#pragma once
// Where a window opens on today's screens: without a stored placement at a
// size that suits the screen, with one where it was, moved onto a screen
// that exists now.

#include <vector>

#include "explorer/settings.h"

namespace korrin {

// The available area of a screen (without panels and docks).
struct TScreenArea {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

// `stored` is the placement read back, or nothing when none was written.
// Without one, the window takes `share` of the first screen's area in each
// direction, never less than its design size, never more than the area, and
// is centred there. A stored placement keeps its size (cut to the area) and
// is moved onto the screen it overlaps most (the first when it overlaps
// none) so that it lies wholly inside. The window state is kept.
TWindowPlacement PlaceOnScreens(const TWindowPlacement* stored, const std::vector<TScreenArea>& screens,
                                int32_t designWidth, int32_t designHeight, double share);

}  // namespace korrin
