#include "explorer/window_placement.h"

#include <algorithm>

namespace korrin {

namespace {
int64_t Overlap(const TWindowPlacement& w, const TScreenArea& s) {
  const int64_t x = std::max<int64_t>(0, std::min<int64_t>(w.Left + w.Width, s.Left + s.Width) - std::max(w.Left, s.Left));
  const int64_t y = std::max<int64_t>(0, std::min<int64_t>(w.Top + w.Height, s.Top + s.Height) - std::max(w.Top, s.Top));
  return x * y;
}
}  // namespace

TWindowPlacement PlaceOnScreens(const TWindowPlacement* stored, const std::vector<TScreenArea>& screens,
                                int32_t designWidth, int32_t designHeight, double share) {
  if (screens.empty()) {
    return stored ? *stored : TWindowPlacement{0, 0, designWidth, designHeight, TWindowState::wsNormal};
  }
  TWindowPlacement p;
  const TScreenArea* screen = &screens.front();
  if (!stored) {
    p.Width = std::min(screen->Width, std::max(designWidth, static_cast<int32_t>(screen->Width * share)));
    p.Height = std::min(screen->Height, std::max(designHeight, static_cast<int32_t>(screen->Height * share)));
    p.Left = screen->Left + (screen->Width - p.Width) / 2;
    p.Top = screen->Top + (screen->Height - p.Height) / 2;
    return p;
  }
  p = *stored;
  int64_t best = 0;
  for (const TScreenArea& s : screens)
    if (int64_t o = Overlap(p, s); o > best) {
      best = o;
      screen = &s;
    }
  p.Width = std::clamp(p.Width, 1, screen->Width);
  p.Height = std::clamp(p.Height, 1, screen->Height);
  p.Left = std::clamp(p.Left, screen->Left, screen->Left + screen->Width - p.Width);
  p.Top = std::clamp(p.Top, screen->Top, screen->Top + screen->Height - p.Height);
  return p;
}

}  // namespace korrin
