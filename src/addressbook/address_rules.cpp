#include "addressbook/address_rules.h"

#include <algorithm>

#include "platform/prompts.h"
#include "platform/shell.h"

namespace korrin {

void TEmailList::Assign(std::vector<std::string> lines, std::string defaultAddress) {
  lines_ = std::move(lines);
  default_ = std::move(defaultAddress);
}

void TEmailList::Add(const std::string& address) {
  if (lines_.empty()) default_ = address;
  lines_.push_back(address);
}

void TEmailList::Edit(size_t i, const std::string& address) {
  if (i >= lines_.size()) return;
  if (lines_[i] == default_) default_ = address;
  lines_[i] = address;
}

void TEmailList::Remove(size_t i) {
  if (i >= lines_.size()) return;
  if (lines_[i] == default_) default_.clear();
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
}

void TEmailList::SetDefault(size_t i) {
  if (i < lines_.size()) default_ = lines_[i];
}

std::string TEmailList::Caption(size_t i) const {
  if (i >= lines_.size()) return {};
  return IsDefault(i) ? lines_[i] + kDefaultSuffix : lines_[i];
}

bool ContactComplete(const ContactRecord& c) { return !c.FirstName.empty() && !c.DefaultEmail.empty(); }

std::optional<std::string> OpenWebPage(const std::string& text) {
  if (text.empty() || text == "http://") return std::nullopt;
  std::string url = text;
  for (char c : {'.', ',', '"', '/'})
    if (!url.empty() && url.back() == c) url.pop_back();
  if (GetShell().OpenDocument(url) <= 32) GetPrompts().Error("Could not execute associated program with " + url);
  return url;
}

namespace {
std::vector<int> Descending(std::vector<int> rows, size_t count) {
  std::sort(rows.begin(), rows.end(), std::greater<>());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::erase_if(rows, [count](int r) { return r < 0 || static_cast<size_t>(r) >= count; });
  return rows;
}
}  // namespace

void MoveRows(std::vector<EntryRow>& from, std::vector<EntryRow>& to, const std::vector<int>& selected) {
  for (int r : Descending(selected, from.size())) {
    to.push_back(std::move(from[static_cast<size_t>(r)]));
    from.erase(from.begin() + r);
  }
}

void TransferRows(TAddressBookStore& store, std::vector<EntryRow>& rows, const std::vector<int>& selected,
                  bool addresses, std::vector<std::string>& target) {
  for (int r : Descending(selected, rows.size())) {
    const EntryRow& row = rows[static_cast<size_t>(r)];
    if (row.Image == 1) {
      for (std::string& m : store.ExpandGroup(row.Key, addresses)) target.push_back(std::move(m));
    } else {
      target.push_back(addresses ? row.EMail : row.Text);
    }
    rows.erase(rows.begin() + r);
  }
}

// The record's rule: pieces up to and including a comma are collected while
// the line is shorter than sixty characters.
size_t CarbonCopyLineCount(const std::string& carbonCopies) {
  if (carbonCopies.size() < 2) return 0;
  std::string rest = "CC: " + carbonCopies;
  size_t lines = 0;
  while (!rest.empty()) {
    std::string line;
    while (!rest.empty() && line.size() < kCarbonCopyLineWidth && line.size() != rest.size()) {
      size_t comma = rest.find(',');
      size_t take = comma == std::string::npos ? rest.size() : comma + 1;
      line.append(rest, 0, take);
      rest.erase(0, take);
    }
    if (line.empty()) rest.clear();
    ++lines;
  }
  return lines;
}

TChosenRecipients JoinRecipients(const std::vector<std::string>& to, const std::vector<std::string>& cc) {
  TChosenRecipients r;
  if (!to.empty()) r.To = to.front();
  for (size_t i = 0; i < cc.size(); ++i) r.CC += (i ? "," : "") + cc[i];
  return r;
}

std::optional<std::string> RecipientLimitError(const std::vector<std::string>& to,
                                               const std::vector<std::string>& cc) {
  if (to.size() > kMaxToRecipients)
    return "A message carries 1 recipient in \"To:\"; " + std::to_string(to.size()) +
           " were chosen. Send the others a copy with \"CC:\".";
  if (CarbonCopyLineCount(JoinRecipients(to, cc).CC) > kMaxCarbonCopyLines)
    return "The \"CC:\" recipients do not fit the " + std::to_string(kMaxCarbonCopyLines) +
           " lines of " + std::to_string(kCarbonCopyLineWidth) +
           " characters that a message carries. Choose fewer recipients.";
  return std::nullopt;
}

}  // namespace korrin
