#pragma once
// The screens' available areas for window placement, the primary first.

#include <vector>

#include "explorer/window_placement.h"

namespace korrin {

std::vector<TScreenArea> ScreenAreas();
}  // namespace korrin
