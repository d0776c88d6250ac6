#include "explorer/options.h"

#include <algorithm>

#include "platform/paths.h"

namespace korrin {

const char* ColumnName(int32_t kind) {
  static const char* const names[] = {"Date", "From", "To", "Subject"};
  return kind >= 0 && kind < 4 ? names[kind] : "";
}

TColumnList::TColumnList(const int32_t order[4]) {
  bool seen[4] = {false, false, false, false};
  auto add = [&](int32_t kind) {
    if (kind < 0 || kind > 3 || seen[kind]) return;
    seen[kind] = true;
    entries_.push_back(std::to_string(kind) + ColumnName(kind));
  };
  for (int i = 0; i < 4; ++i) add(order[i]);
  for (int k = 0; k < 4; ++k) add(k);
}

int TColumnList::MoveUp(int index) {
  if (index <= 0 || index >= static_cast<int>(entries_.size())) return index;
  std::swap(entries_[index], entries_[index - 1]);
  return index - 1;
}

int TColumnList::MoveDown(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size()) - 1) return index;
  std::swap(entries_[index], entries_[index + 1]);
  return index + 1;
}

std::vector<std::string> TColumnList::HeaderSections() const {
  std::vector<std::string> out;
  for (size_t i = 0; i < entries_.size(); ++i) out.push_back(Display(i) + std::string(16, ' '));
  return out;
}

void TColumnList::Order(int32_t order[4]) const {
  for (size_t i = 0; i < 4; ++i) order[i] = entries_[i][0] - '0';
}

std::string CorrectFolderEdit(const std::string& text, const std::string& programFolder) {
  return DirectoryUsable(text) ? text : ExcludeTrailingBackslash(programFolder);
}

std::string BrowsedFolderText(const std::string& chosen) { return ExcludeTrailingBackslash(chosen); }

}  // namespace korrin
