#pragma once
// Long loops in core code call this to let pending window events run. The
// windows pass one that pumps the event loop on a time budget; core tests
// pass nothing.

#include <functional>

namespace korrin {

using TProcessMessages = std::function<void()>;

inline void CallProcessMessages(const TProcessMessages& pm) {
  if (pm) pm();
}

}  // namespace korrin
