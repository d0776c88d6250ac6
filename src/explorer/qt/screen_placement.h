#pragma once
// The screens' available areas for window placement (the primary first),
// and a window's placement taken and given back.

#include <vector>

#include "explorer/window_placement.h"

class QWidget;

namespace korrin {

std::vector<TScreenArea> ScreenAreas();
// Where the window stands: its normal (restored) rectangle and its state.
TWindowPlacement PlacementOf(const QWidget* window);
// Puts the window at the placement, never below the minimum size, in its state.
void RestorePlacement(QWidget* window, const TWindowPlacement& placement, int minWidth, int minHeight);
}  // namespace korrin
