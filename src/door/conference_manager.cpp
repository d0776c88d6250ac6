#include "door/conference_manager.h"

#include <algorithm>
#include <unordered_set>

#include "engine/control_file.h"
#include "engine/packet_lifecycle.h"
#include "engine/text_line_reader.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"

namespace korrin {

namespace {
bool Holds(const std::vector<std::string>& list, const std::string& text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}
}  // namespace

void TConferenceManager::Load(const std::string& treeDirectory, const std::string& postOfficeDirectory) {
  toAdd_.clear();
  toDrop_.clear();
  src_.Clear();
  dst_.Clear();
  // Captions already listed, upper-cased: a large BBS lists thousands.
  std::unordered_set<std::string> inDst, inSrc;
  if (!postOfficeDirectory.empty()) {
    if (auto path = FindFileNoCase(postOfficeDirectory, kCurConfFileName)) {
      std::vector<std::string> remembered;
      if (auto lines = ReadTextLines(*path))
        for (auto& line : *lines)
          if (!line.empty() && remembered.size() < kMaxListItems) {
            inDst.insert(AnsiUpperCase(line));
            remembered.push_back(std::move(line));
          }
      dst_.Assign(remembered);
    }
  }
  auto list = ReadConferenceList(treeDirectory, TCountRule::crFirstWord);
  if (!list) return;
  for (const auto& entry : list->Entries) {
    const std::string& caption = entry.Caption;
    const std::string key = AnsiUpperCase(caption);
    if (inDst.count(key) || inSrc.count(key)) continue;
    if (IndexFileName(treeDirectory, Trim(entry.Number)).Exists) {
      if (dst_.Count() < kMaxListItems) {
        dst_.Add(caption);
        inDst.insert(key);
      }
    } else if (src_.Count() >= kMaxListItems) {
      GetPrompts().Error(kErrConferenceListTooLong + Cp437ToUtf8(caption));
    } else {
      src_.Add(caption);
      inSrc.insert(key);
    }
  }
}

void TConferenceManager::SetItem(TCaptionList& list, long index) {
  list.ClearSelection();
  if (list.Empty()) return;
  const long last = static_cast<long>(list.Count()) - 1;
  list.SetSelected(static_cast<size_t>(std::clamp(index, 0L, last)), true);
}

std::string TConferenceManager::SelectedText(const TCaptionList& list) { return TTagLineManager::SelectedText(list); }

void TConferenceManager::Move(TCaptionList& from, TCaptionList& to, std::vector<std::string>& noted,
                              std::vector<std::string>& other) {
  auto first = from.FirstSelected();
  if (!first) return;
  const std::string firstMoved = from.Text(*first);
  for (size_t i = 0; i < from.Count(); ++i) {
    if (!from.Selected(i)) continue;
    const std::string& caption = from.Text(i);
    if (Holds(noted, caption)) continue;
    other.erase(std::remove(other.begin(), other.end(), caption), other.end());
    noted.push_back(caption);
  }
  for (size_t i = from.Count(); i-- > 0;) {
    if (!from.Selected(i)) continue;
    to.Add(from.Text(i));
    from.Delete(i);
  }
  SetItem(from, static_cast<long>(*first));
  auto at = to.FindExact(firstMoved);
  SetItem(to, at ? static_cast<long>(*at) : 0L);
}

bool TConferenceManager::SaveCurrent(const std::string& postOfficeDirectory) const {
  if (dst_.Empty()) return true;
  std::string text;
  for (const auto& e : dst_.Entries()) text += e.Text + "\r\n";
  const std::string path = PathNoCase(IncludeTrailingBackslash(postOfficeDirectory), kCurConfFileName);
  if (postOfficeDirectory.empty() || !WriteFileAtomic(path, text)) {
    GetPrompts().Error("Could not write file - " + path);
    return false;
  }
  return true;
}

bool TConferenceManager::ConferenceNumber(const std::string& caption, int& number) {
  const std::string text = TrimLeft(caption);
  auto value = ParseInt(Trim(text.substr(0, text.find(' '))));
  if (!value || *value < 0 || *value > 65535) return false;
  number = static_cast<int>(*value);
  return true;
}

void TConferenceManager::ComposeControlMessages(TPacketLifecycle& lifecycle) const {
  int number = 0;
  for (const auto& caption : toAdd_)
    if (ConferenceNumber(caption, number)) lifecycle.ComposeControlMessage(number, 0);
  for (const auto& caption : toDrop_)
    if (ConferenceNumber(caption, number)) lifecycle.ComposeControlMessage(number, 1);
}

}  // namespace korrin
