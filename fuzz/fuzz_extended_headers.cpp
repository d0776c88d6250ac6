// Any bytes as the extended headers file: indexed from memory and streamed
// from a file (both must agree), every section looked up, its values
// decoded in the sets a message may name and written back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/extended_headers.h"
#include "fuzz_support.h"
#include "platform/charset.h"

using namespace korrin;

namespace {
std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(0, 1);
  return s;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TExtendedHeaders memory;
  memory.OpenText(text);
  static const std::string path = fuzz::WorkFolder("headers") + "headers.dat";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  TExtendedHeaders streamed;
  if (!streamed.Open(path) || streamed.Count() != memory.Count()) std::abort();
  // Offsets a packet uses: the first messages and a few the input may name.
  for (int64_t offset : {int64_t{0x80}, int64_t{0x100}, int64_t{0x180}, int64_t{0x1000}, int64_t{-1}}) {
    auto a = memory.Find(offset);
    auto b = streamed.Find(offset);
    if (a.has_value() != b.has_value()) std::abort();
    if (!a) continue;
    if (a->Subject != b->Subject || a->To != b->To || a->From != b->From) std::abort();
    for (const char* set : {"UTF-8", "CP437", "ISO-8859-1", "CP866"}) {
      std::string shown = DecodeToUtf8(a->Subject, set);
      EncodeFromUtf8(shown, set);
    }
    // A section written back reads back with the same values (line breaks
    // inside a value become blanks).
    const std::string section = FormatHeaderSection(offset, *a);
    if (section.size() >= TExtendedHeaders::kMaxSection) continue;
    TExtendedHeaders again;
    again.OpenText(section);
    auto c = again.Find(offset);
    std::string subject = a->Subject;
    for (char& ch : subject)
      if (ch == '\r') ch = ' ';
    if (!c || c->Subject != Trimmed(subject) || c->Utf8 != a->Utf8) std::abort();
  }
  return 0;
}
