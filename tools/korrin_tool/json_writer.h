#pragma once
// A small streaming JSON writer: values go straight to the output stream,
// so a list of 100,000 rows never sits in memory. Strings are taken as
// UTF-8; control characters are escaped and malformed bytes become U+FFFD,
// so the document is always valid JSON whatever the input bytes.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace korrin::tool {

class TJsonWriter {
public:
  // pretty: one value per line, indented by two blanks per level.
  explicit TJsonWriter(std::ostream& out, bool pretty = true) : out_(out), pretty_(pretty) {}
  // Writes what is still held back.
  ~TJsonWriter();
  TJsonWriter(const TJsonWriter&) = delete;
  TJsonWriter& operator=(const TJsonWriter&) = delete;

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The key of the next value (inside an object only).
  void Key(std::string_view key);

  void String(std::string_view utf8);
  void Int(int64_t value);
  void Bool(bool value);
  void Null();

  // Key and value together.
  void Field(std::string_view key, std::string_view value) { Key(key), String(value); }
  void Field(std::string_view key, const char* value) { Key(key), String(value); }
  void Field(std::string_view key, const std::string& value) { Key(key), String(value); }
  void Field(std::string_view key, int64_t value) { Key(key), Int(value); }
  void Field(std::string_view key, int value) { Key(key), Int(value); }
  void Field(std::string_view key, bool value) { Key(key), Bool(value); }
  void StringArray(std::string_view key, const std::vector<std::string>& values);

  // Ends the document with a line break; true when every value was closed.
  bool Finish();

  // The JSON text of a string, quotes included.
  static std::string Quote(std::string_view utf8);
  static void AppendQuoted(std::string& out, std::string_view utf8);

private:
  void BeforeValue();
  void NewLine();
  void End(bool object);
  // The text is collected and handed to the stream in large pieces.
  static constexpr size_t kFlushSize = 1 << 16;
  void Flush();
  void Wrote();

  struct TLevel {
    bool object;
    int count = 0;
  };
  std::ostream& out_;
  bool pretty_;
  bool keyPending_ = false;
  std::vector<TLevel> levels_;
  std::string pending_;
};

}  // namespace korrin::tool
