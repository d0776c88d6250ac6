#include "platform/ini_file.h"

#include "platform/paths.h"
#include "platform/text.h"

namespace korrin {

namespace {
constexpr size_t kMaxValue = 1023;

std::string Unquote(std::string v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return v.substr(1, v.size() - 2);
  return v;
}
}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) { Reload(); }

void TIniFile::Reload() {
  lines_.clear();
  auto data = ReadWholeFile(fileName_);
  if (!data) return;
  crlf_ = data->find("\r\n") != std::string::npos || data->find('\n') == std::string::npos;
  std::string section;
  size_t start = 0;
  while (start < data->size()) {
    size_t end = data->find('\n', start);
    std::string text = data->substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    start = end == std::string::npos ? data->size() : end + 1;
    Line line{text, section, {}, false};
    std::string t = Trim(text);
    if (!t.empty() && t.front() == '[') {
      auto close = t.find(']');
      section = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      line.section = section;
      line.header = true;
    } else if (!t.empty() && t.front() != ';') {
      auto eq = t.find('=');
      if (eq != std::string::npos) line.key = Trim(t.substr(0, eq));
    }
    lines_.push_back(std::move(line));
  }
}

int TIniFile::FindKey(const std::string& section, const std::string& key) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (!lines_[i].header && !lines_[i].key.empty() && SameText(lines_[i].section, section) &&
        SameText(lines_[i].key, key))
      return static_cast<int>(i);
  return -1;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& fallback) const {
  int i = FindKey(section, key);
  if (i < 0) return fallback;
  const std::string& text = lines_[i].text;
  std::string value = Unquote(Trim(text.substr(text.find('=') + 1)));
  if (value.size() > kMaxValue) value.resize(kMaxValue);
  return value;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
  std::string v = ReadString(section, key, "");
  int64_t n;
  if (v.size() > 2 && (v[0] == '0') && (v[1] == 'x' || v[1] == 'X')) {
    try {
      return static_cast<int>(std::stoll(v.substr(2), nullptr, 16));
    } catch (...) {
      return fallback;
    }
  }
  n = StrToIntDef(v, fallback);
  return static_cast<int>(n);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  int i = FindKey(section, key);
  if (i >= 0) {
    lines_[i].text = lines_[i].key + "=" + value;
    return Save();
  }
  // Append after the last line of the section, or start a new section.
  int last = -1;
  for (size_t j = 0; j < lines_.size(); ++j)
    if (SameText(lines_[j].section, section) && (lines_[j].header || !Trim(lines_[j].text).empty()))
      last = static_cast<int>(j);
  bool hasHeader = false;
  for (const auto& l : lines_)
    if (l.header && SameText(l.section, section)) hasHeader = true;
  Line line{key + "=" + value, section, key, false};
  if (hasHeader && last >= 0) {
    line.section = lines_[last].section;
    lines_.insert(lines_.begin() + last + 1, line);
  } else {
    lines_.push_back(Line{"[" + section + "]", section, {}, true});
    lines_.push_back(line);
  }
  return Save();
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(const std::string& section) const {
  for (const auto& l : lines_)
    if (l.header && SameText(l.section, section)) return true;
  return false;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const { return FindKey(section, key) >= 0; }

std::vector<std::string> TIniFile::ReadSections() const {
  std::vector<std::string> out;
  for (const auto& l : lines_)
    if (l.header) {
      bool seen = false;
      for (const auto& s : out) seen = seen || SameText(s, l.section);
      if (!seen) out.push_back(l.section);
    }
  return out;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> out;
  for (const auto& l : lines_)
    if (!l.header && !l.key.empty() && SameText(l.section, section)) out.push_back(l.key);
  return out;
}

std::vector<std::string> TIniFile::ReadSectionLines(const std::string& section) const {
  std::vector<std::string> out;
  for (const auto& l : lines_) {
    std::string t = Trim(l.text);
    if (!l.header && !t.empty() && t.front() != ';' && SameText(l.section, section)) out.push_back(l.text);
  }
  return out;
}

bool TIniFile::EraseSection(const std::string& section) {
  size_t before = lines_.size();
  std::erase_if(lines_, [&](const Line& l) { return SameText(l.section, section); });
  return before == lines_.size() || Save();
}

bool TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  int i = FindKey(section, key);
  if (i < 0) return true;
  lines_.erase(lines_.begin() + i);
  return Save();
}

bool TIniFile::EndUpdate(bool durable) {
  if (updateDepth_ > 0 && --updateDepth_ == 0 && pending_) return Save(durable);
  return true;
}

bool TIniFile::Save(bool durable) const {
  if (updateDepth_ > 0) {
    pending_ = true;
    return true;
  }
  pending_ = false;
  std::string out;
  const char* eol = crlf_ ? "\r\n" : "\n";
  for (const auto& l : lines_) {
    out += l.text;
    out += eol;
  }
  ForceDirectories(ExtractFilePath(fileName_));
  return WriteFileAtomic(fileName_, out, durable);
}

}  // namespace korrin
