#include "session/file_drop.h"

#include <filesystem>

#include "engine/mail_tree.h"
#include "engine/packet_lifecycle.h"
#include "engine/qwk_post_office.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"
#include "session/reader_session.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {
bool IsFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

std::string Normal(const std::string& path) { return fs::path(path).lexically_normal().string(); }
}  // namespace

std::string DroppedPath(const std::vector<std::string>& names) {
  if (names.empty()) return {};
  if (IsFile(names.front())) return names.front();
  std::string joined;
  for (const auto& n : names) joined += (joined.empty() ? "" : " ") + n;
  return IsFile(joined) ? joined : std::string();
}

std::string ReplyPacketBBSID(const std::string& path) {
  std::string name = ExtractFileName(path);
  return name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
}

TDropOutcome OpenDroppedFile(TReaderSession& session, const std::string& path, const TDropHooks& hooks) {
  if (!IsFile(path)) return TDropOutcome::doIgnored;
  TPacketLifecycle& life = session.Lifecycle();
  TQWKPostOffice& po = session.PostOffice();
  TMailTree& tree = session.Tree();
  const bool reply = TReaderSession::IsReplyPacketName(path);
  const bool own = reply && po.Itemindex() >= 0 && SameText(Normal(path), Normal(life.ReplyPacketPath()));
  auto readReply = [&] {
    return life.OpenReplyPacket(path) ? TDropOutcome::doReplyPacket : TDropOutcome::doReplyFailed;
  };
  if (tree.PacketLoaded()) {
    if (own) return readReply();
    if (!life.ClosePacket()) return TDropOutcome::doKeptPacket;
  }
  if (!reply) {
    // A packet that fails to open says so in its own box.
    if (hooks.OpenPacket) hooks.OpenPacket(path);
    else life.OpenPacket(path);
    return TDropOutcome::doPacket;
  }
  if (own) return readReply();
  const std::string bbsid = ReplyPacketBBSID(path);
  int match = -1;
  for (int i = 0; i < po.Count() && match < 0; ++i)
    if (!bbsid.empty() && SameText(po.Node(i).BBSID, bbsid)) match = i;
  if (match < 0) {
    // The current post office stays: the tree shows its boxes, and what is
    // written next goes to its Out Box.
    GetPrompts().Warning(kNoPostOfficeForReply);
    return TDropOutcome::doNoPostOffice;
  }
  po.SetItemindex(match);
  if (!SameText(tree.BBSID(), po.BBSID())) {
    tree.SetDirectory("");
    if (hooks.PostOfficeChanged) hooks.PostOfficeChanged();
  }
  return readReply();
}

}  // namespace korrin
