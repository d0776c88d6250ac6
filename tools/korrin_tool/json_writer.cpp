#include "korrin_tool/json_writer.h"

#include "platform/codepage.h"

namespace korrin::tool {

void TJsonWriter::AppendQuoted(std::string& out, std::string_view s) {
  static const char hex[] = "0123456789abcdef";
  out.push_back('"');
  size_t i = 0;
  while (i < s.size()) {
    // A run of characters that stand as they are goes in at once.
    size_t run = i;
    while (run < s.size()) {
      unsigned char r = static_cast<unsigned char>(s[run]);
      if (r < 0x20 || r >= 0x7F || r == '"' || r == '\\') break;
      ++run;
    }
    if (run > i) {
      out.append(s.substr(i, run - i));
      i = run;
      continue;
    }
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      // Valid sequences pass through unchanged; anything else is replaced.
      size_t start = i;
      char32_t ch = DecodeUtf8(s, i);
      if (ch == 0xFFFD && !(i - start == 3 && s.substr(start, 3) == "\xEF\xBF\xBD")) AppendUtf8(out, 0xFFFD);
      else out.append(s.substr(start, i - start));
      continue;
    }
    ++i;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\u00";
          out.push_back(hex[c >> 4]);
          out.push_back(hex[c & 15]);
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  out.push_back('"');
}

std::string TJsonWriter::Quote(std::string_view utf8) {
  std::string out;
  AppendQuoted(out, utf8);
  return out;
}

TJsonWriter::~TJsonWriter() { Flush(); }

void TJsonWriter::Flush() {
  if (pending_.empty()) return;
  out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
  pending_.clear();
}

void TJsonWriter::Wrote() {
  if (pending_.size() >= kFlushSize) Flush();
}

void TJsonWriter::NewLine() {
  if (!pretty_) return;
  pending_.push_back('\n');
  pending_.append(2 * levels_.size(), ' ');
}

void TJsonWriter::BeforeValue() {
  if (keyPending_) {
    keyPending_ = false;
    return;
  }
  if (levels_.empty()) return;
  TLevel& level = levels_.back();
  if (level.count++ > 0) pending_.push_back(',');
  NewLine();
}

void TJsonWriter::Key(std::string_view key) {
  BeforeValue();
  AppendQuoted(pending_, key);
  pending_ += pretty_ ? ": " : ":";
  keyPending_ = true;
}

void TJsonWriter::BeginObject() {
  BeforeValue();
  pending_.push_back('{');
  levels_.push_back({true});
}

void TJsonWriter::BeginArray() {
  BeforeValue();
  pending_.push_back('[');
  levels_.push_back({false});
}

void TJsonWriter::End(bool object) {
  if (levels_.empty() || levels_.back().object != object) return;
  bool any = levels_.back().count > 0;
  levels_.pop_back();
  if (any) NewLine();
  pending_.push_back(object ? '}' : ']');
  Wrote();
}

void TJsonWriter::EndObject() { End(true); }
void TJsonWriter::EndArray() { End(false); }

void TJsonWriter::String(std::string_view utf8) {
  BeforeValue();
  AppendQuoted(pending_, utf8);
  Wrote();
}

void TJsonWriter::Int(int64_t value) {
  BeforeValue();
  pending_ += std::to_string(value);
}

void TJsonWriter::Bool(bool value) {
  BeforeValue();
  pending_ += value ? "true" : "false";
}

void TJsonWriter::Null() {
  BeforeValue();
  pending_ += "null";
}

void TJsonWriter::StringArray(std::string_view key, const std::vector<std::string>& values) {
  Key(key);
  BeginArray();
  for (const auto& v : values) String(v);
  EndArray();
}

bool TJsonWriter::Finish() {
  pending_.push_back('\n');
  Flush();
  out_.flush();
  return levels_.empty() && !keyPending_;
}

}  // namespace korrin::tool
