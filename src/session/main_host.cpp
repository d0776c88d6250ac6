#include "session/main_host.h"

#include "engine/mail_tree.h"
#include "session/reader_session.h"

namespace korrin {

void TMainHost::SelectFolder(int node, bool fillList) {
  TMailTree& tree = Session().Tree();
  auto nodes = tree.Nodes();
  if (node < 0 || node >= static_cast<int>(nodes.size())) return;
  // The tree's selection change refills the list of a plain host.
  (void)fillList;
  tree.Select(nodes[static_cast<size_t>(node)]);
}

}  // namespace korrin
