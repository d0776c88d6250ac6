#include "reading/taglines.h"

#include <algorithm>
#include <filesystem>

#include "platform/paths.h"
#include "platform/random.h"
#include "platform/text.h"

namespace korrin {

namespace {
bool Blank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// The full path of a file, lexically normal, for comparing two names of the same file.
std::string FullPath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) p = path;
  return p.lexically_normal().string();
}
}  // namespace

std::string TaglineFilePath() { return PathNoCase(ProgramFolder(), kTaglineFileName); }

std::vector<std::string> LoadTaglineFile(const std::string& path) {
  std::vector<std::string> taglines;
  auto data = ReadWholeFile(path);
  if (!data) return taglines;
  for (auto& line : SplitLines(*data))
    if (!Blank(line)) taglines.push_back(std::move(line));
  return taglines;
}

bool SaveTaglineFile(const std::string& path, const std::vector<std::string>& taglines) {
  std::string data;
  for (const auto& t : taglines) {
    data += t;
    data += "\r\n";
  }
  return WriteFileAtomic(path, data);
}

bool SameTagline(std::string_view a, std::string_view b) { return AnsiUpperCase(a) == AnsiUpperCase(b); }

bool TaglineLess(std::string_view a, std::string_view b) {
  std::string ua = AnsiUpperCase(a), ub = AnsiUpperCase(b);
  if (ua != ub) return ua < ub;
  return a < b;
}

std::optional<std::string> PickRandomTagline(const std::vector<std::string>& taglines, const std::string& current) {
  if (taglines.empty()) return std::nullopt;
  if (taglines.size() == 1) return taglines.front();
  std::vector<size_t> others;
  for (size_t i = 0; i < taglines.size(); ++i)
    if (taglines[i] != current) others.push_back(i);
  if (others.empty()) return taglines.front();  // every entry is the current one
  return taglines[others[static_cast<size_t>(Random(static_cast<int>(others.size())))]];
}

// ------------------------------------------------------------------ TTagList

void TTagList::Assign(const std::vector<std::string>& taglines) {
  entries_.clear();
  entries_.reserve(taglines.size());
  for (const auto& t : taglines) entries_.push_back({t, false});
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const Entry& a, const Entry& b) { return TaglineLess(a.Text, b.Text); });
}

void TTagList::SelectOnly(size_t i) {
  ClearSelection();
  if (i < entries_.size()) entries_[i].Selected = true;
}

void TTagList::ClearSelection() {
  for (auto& e : entries_) e.Selected = false;
}

size_t TTagList::SelectedCount() const {
  return static_cast<size_t>(std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.Selected; }));
}

std::optional<size_t> TTagList::FirstSelected() const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].Selected) return i;
  return std::nullopt;
}

std::vector<std::string> TTagList::Texts() const {
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const auto& e : entries_) out.push_back(e.Text);
  return out;
}

std::optional<size_t> TTagList::Find(std::string_view text) const {
  std::string upper = AnsiUpperCase(text);
  for (size_t i = 0; i < entries_.size(); ++i)
    if (AnsiUpperCase(entries_[i].Text) == upper) return i;
  return std::nullopt;
}

std::optional<size_t> TTagList::FindExact(std::string_view text) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].Text == text) return i;
  return std::nullopt;
}

size_t TTagList::Add(const std::string& text) {
  auto at = std::upper_bound(entries_.begin(), entries_.end(), text,
                             [](const std::string& t, const Entry& e) { return TaglineLess(t, e.Text); });
  return static_cast<size_t>(entries_.insert(at, Entry{text, false}) - entries_.begin());
}

size_t TTagList::AddUnique(const std::string& text) {
  if (auto i = Find(text)) return *i;
  return Add(text);
}

void TTagList::DeleteSelected() {
  std::erase_if(entries_, [](const Entry& e) { return e.Selected; });
}

// ----------------------------------------------------------- TTagLineManager

void TTagLineManager::Load() {
  src_.Clear();
  dst_.Assign(LoadTaglineFile(TaglineFilePath()));
}

void TTagLineManager::MoveSelected(TTagList& from, TTagList& to) {
  auto first = from.FirstSelected();
  if (!first) return;
  std::vector<std::string> moved;
  for (size_t i = from.Count(); i-- > 0;) {
    if (!from.Selected(i)) continue;
    moved.push_back(from.Text(i));
    to.AddUnique(from.Text(i));
    from.Delete(i);
  }
  if (!from.Empty()) from.SelectOnly(std::min(*first, from.Count() - 1));
  // The moved taglines (or the equal entries already there) are selected.
  for (const auto& text : moved)
    if (auto i = to.Find(text)) to.SetSelected(*i, true);
}

void TTagLineManager::MoveAll(TTagList& from, TTagList& to) {
  for (const auto& e : from.Entries()) to.AddUnique(e.Text);
  from.Clear();
}

std::optional<size_t> TTagLineManager::AddNew(const std::string& text) {
  if (Blank(text)) return std::nullopt;
  size_t i = dst_.AddUnique(text);
  dst_.SelectOnly(i);
  return i;
}

std::optional<size_t> TTagLineManager::EditEntry(TTagList& list, size_t i, const std::string& text) {
  if (i >= list.Count()) return std::nullopt;
  if (Blank(text)) return i;
  list.Delete(i);
  size_t at = list.AddUnique(text);
  list.SelectOnly(at);
  return at;
}

bool TTagLineManager::IsOwnTaglineFile(const std::string& path) {
  return AnsiUpperCase(FullPath(path)) == AnsiUpperCase(FullPath(ProgramFolder() + kTaglineFileName));
}

bool TTagLineManager::OpenSource(const std::string& path) {
  std::error_code ec;
  if (IsOwnTaglineFile(path) || !std::filesystem::is_regular_file(path, ec)) return false;
  src_.Assign(LoadTaglineFile(path));
  return true;
}

bool TTagLineManager::SaveSource(const std::string& path) {
  if (!CanSaveSource() || IsOwnTaglineFile(path)) return false;
  if (!SaveTaglineFile(path, src_.Texts())) return false;
  src_.Clear();
  return true;
}

bool TTagLineManager::SaveAvailable() const { return SaveTaglineFile(TaglineFilePath(), dst_.Texts()); }

std::string TTagLineManager::SelectedText(const TTagList& list) {
  return std::to_string(list.SelectedCount()) + " Selected";
}

// --------------------------------------------------------------- TTagChooser

void TTagChooser::Load(const std::string& labelText) { Assign(LoadTaglineFile(TaglineFilePath()), labelText); }

void TTagChooser::Assign(const std::vector<std::string>& taglines, const std::string& labelText) {
  items_ = taglines;
  edit_.clear();
  selection_.reset();
  useEnabled_ = true;
  if (labelText != kNoTaglineLabel) SetEditText(labelText);
}

void TTagChooser::Click(size_t i) {
  if (i >= items_.size()) return;
  SetEditText(items_[i]);
}

void TTagChooser::SetEditText(const std::string& text) {
  edit_ = text;
  selection_.reset();
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == text) {
      selection_ = i;
      break;
    }
  useEnabled_ = !text.empty();
}

std::string TTagChooser::ResultLabel() const { return edit_.empty() ? std::string(kNoTaglineLabel) : edit_; }

std::string TTagChooser::ResultTagline() const { return edit_; }

}  // namespace korrin
