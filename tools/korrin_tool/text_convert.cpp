#include "korrin_tool/text_convert.h"

#include <cstdint>
#include <cstring>

#include "platform/charset.h"
#include "platform/codepage.h"

namespace korrin::tool {

namespace {
struct TUtf8Table {
  char bytes[256][4];
  unsigned char length[256];
  TUtf8Table(bool pictures) {
    // The pictures the code page shows for the control characters 1 to 31.
    static const char16_t kControls[32] = {
        0,      0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
        0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
        0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
    };
    for (int b = 0; b < 256; ++b) {
      char32_t ch = Cp437ToUnicode(static_cast<unsigned char>(b));
      if (pictures && b > 0 && b < 0x20 && b != '\t') ch = kControls[b];
      if (pictures && b == 0x7F) ch = 0x2302;
      std::string s;
      AppendUtf8(s, ch);
      length[b] = static_cast<unsigned char>(s.size());
      std::memcpy(bytes[b], s.data(), s.size());
    }
  }
};

const TUtf8Table& Plain() {
  static const TUtf8Table t(false);
  return t;
}
const TUtf8Table& Pictures() {
  static const TUtf8Table t(true);
  return t;
}

void Append(std::string& out, std::string_view in, const TUtf8Table& table, bool dropNul, bool controlsToo) {
  out.reserve(out.size() + in.size() + in.size() / 8);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(in.data());
  const unsigned char* end = p + in.size();
  while (p < end) {
    // A run of bytes that stay as they are.
    const unsigned char* run = p;
    if (!controlsToo) {
      // Eight bytes at a time while none is NUL or 0x80 and above.
      while (end - p >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        if (((w | ((w - 0x0101010101010101ull) & ~w)) & 0x8080808080808080ull) != 0) break;
        p += 8;
      }
    }
    while (p < end && *p < 0x80 && ((*p >= 0x20 && (*p != 0x7F || !controlsToo)) || (*p != 0 && !controlsToo) || *p == '\t'))
      ++p;
    out.append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
    if (p == end) break;
    unsigned char b = *p++;
    if (b == 0 && dropNul) continue;
    out.append(table.bytes[b], table.length[b]);
  }
}
}  // namespace

void AppendCp437(std::string& out, std::string_view cp437, bool dropNul) { Append(out, cp437, Plain(), dropNul, false); }

std::string Cp437Text(std::string_view cp437) {
  std::string out;
  Append(out, cp437, Plain(), false, false);
  return out;
}

std::string MailText(std::string_view cp437) {
  std::string out;
  Append(out, cp437, Plain(), true, false);
  return out;
}

std::string TerminalText(std::string_view cp437) {
  std::string out;
  Append(out, cp437, Pictures(), true, true);
  return out;
}

namespace {
// Decoded text with NULs left out (dropNul) and the ASCII control bytes
// shown as pictures (pictures).
std::string Decoded(std::string_view bytes, const std::string& charset, bool dropNul, bool pictures) {
  std::string utf8 = DecodeToUtf8(bytes, charset);
  if (!dropNul && !pictures) return utf8;
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b == 0 && dropNul) continue;
    if (pictures && ((b < 0x20 && b != '\t') || b == 0x7F)) out.append(Pictures().bytes[b], Pictures().length[b]);
    else out.push_back(c);
  }
  return out;
}
}  // namespace

std::string CharsetText(std::string_view bytes, const std::string& charset) {
  return IsCp437(charset) ? Cp437Text(bytes) : Decoded(bytes, charset, false, false);
}

std::string MailText(std::string_view bytes, const std::string& charset) {
  return IsCp437(charset) ? MailText(bytes) : Decoded(bytes, charset, true, false);
}

std::string TerminalText(std::string_view bytes, const std::string& charset) {
  return IsCp437(charset) ? TerminalText(bytes) : Decoded(bytes, charset, true, true);
}

}  // namespace korrin::tool
