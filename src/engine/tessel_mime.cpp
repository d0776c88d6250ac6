#include "engine/tessel_mime.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "platform/text.h"
#include "engine/mime_line_reader.h"

namespace korrin {

namespace {

constexpr char kBase64Table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Decoding table indexed by the character code minus 43 ("+") up to "z":
// letter values 0-63, "=" 64, anything else 127.
struct TDecodeTable {
  uint8_t value[256];
  constexpr TDecodeTable() : value() {
    for (int i = 0; i < 256; ++i) value[i] = 127;
    for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(kBase64Table[i])] = static_cast<uint8_t>(i);
    value[static_cast<unsigned char>('=')] = 64;
  }
};
constexpr TDecodeTable kDecode;

inline int Base64Value(char ch) { return kDecode.value[static_cast<unsigned char>(ch)]; }
inline bool IsBase64Letter(char ch) { return Base64Value(ch) < 64; }

inline char UUChar(int value) { return value == 0 ? '`' : static_cast<char>(32 + value); }
inline int UUValue(char ch) { return (static_cast<unsigned char>(ch) - 32) & 63; }

inline char AsciiUpper(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 32) : ch; }

std::string UpperName(std::string_view text) {
  std::string out(text);
  for (char& ch : out) ch = AsciiUpper(ch);
  return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

// The key of a delimiter line: the text after "--" without leading blanks.
std::string_view DelimiterKey(std::string_view line) {
  std::string_view key = line.substr(2);
  while (!key.empty() && static_cast<unsigned char>(key.front()) <= ' ') key.remove_prefix(1);
  return key;
}

// The value of a parameter whose name ends at `pos` ("name=", "boundary="):
// blanks around the "=" are allowed; a quoted value runs to the quote that is
// followed by a ";" or the line end (or to the line end when there is none),
// an unquoted one to the next ";", blank or the line end. Nothing when no "="
// follows the name.
std::optional<std::string> ParameterValue(std::string_view line, size_t pos) {
  size_t i = pos;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i >= line.size() || line[i] != '=') return std::nullopt;
  ++i;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i < line.size() && line[i] == '"') {
    size_t start = i + 1;
    for (size_t q = line.find('"', start); q != std::string_view::npos; q = line.find('"', q + 1)) {
      size_t j = q + 1;
      while (j < line.size() && IsBlank(line[j])) ++j;
      if (j == line.size() || line[j] == ';') return std::string(line.substr(start, q - start));
    }
    return std::string(line.substr(start));
  }
  size_t end = i;
  while (end < line.size() && line[end] != ';' && !IsBlank(line[end])) ++end;
  return std::string(line.substr(i, end - i));
}

// The file name part of a path for the encoded headers.
std::string NameAfter(const std::string& path, const char* separators) {
  size_t p = path.find_last_of(separators);
  return p == std::string::npos ? path : path.substr(p + 1);
}

struct TContentTypeRow {
  const char* ext;
  const char* text;
};
constexpr TContentTypeRow kContentTypes[] = {
    {".EXE", "Content-Type: application/octet-stream; name="},
    {".GIF", "Content-Type: image/gif; name="},
    {".BMP", "Content-Type: image/bmp; name="},
    {".PCX", "Content-Type: image/pcx; name="},
    {".JPG", "Content-Type: image/jpeg; name="},
    {".WAV", "Content-Type: audio/wave; name="},
    {".MID", "Content-Type: audio/midi; name="},
};

const char* ContentTypeFor(const std::string& name) {
  std::string ext = UpperName(ExtractFileExt(name));
  for (const auto& row : kContentTypes)
    if (ext == row.ext) return row.text;
  return kContentTypes[0].text;
}

// Encodes up to 45 bytes as one line: base64 with "=" padding, or uuencode
// with the byte count in front.
void EncodeLine(const unsigned char* data, size_t count, bool uu, std::string& line) {
  line.clear();
  auto put = [&](int v) { line.push_back(uu ? UUChar(v) : kBase64Table[v]); };
  if (uu) put(static_cast<int>(count));
  size_t i = 0;
  for (; i + 3 <= count; i += 3) {
    put(data[i] >> 2);
    put(((data[i] & 3) << 4) | (data[i + 1] >> 4));
    put(((data[i + 1] & 15) << 2) | (data[i + 2] >> 6));
    put(data[i + 2] & 63);
  }
  if (count - i == 1) {
    put(data[i] >> 2);
    put((data[i] & 3) << 4);
    if (!uu) line += "==";
  } else if (count - i == 2) {
    put(data[i] >> 2);
    put(((data[i] & 3) << 4) | (data[i + 1] >> 4));
    put((data[i + 1] & 15) << 2);
    if (!uu) line += "=";
  }
}

// A line that can continue a base64 body after a part split: base64
// characters only, whole quads, not longer than the line before the split.
bool IsBase64Continuation(std::string_view line, size_t previousLength) {
  if (line.size() < 4 || line.size() % 4 != 0 || line.size() > previousLength || line[0] == '=') return false;
  for (char ch : line)
    if (Base64Value(ch) > 64) return false;
  return true;
}

// Case-insensitive comparison of ASCII text with an upper-case word.
bool HasWordAt(std::string_view s, size_t pos, std::string_view upperWord) {
  if (pos + upperWord.size() > s.size()) return false;
  for (size_t i = 0; i < upperWord.size(); ++i)
    if (AsciiUpper(s[pos + i]) != upperWord[i]) return false;
  return true;
}
}  // namespace

bool BodyMayHoldMime(std::string_view body) {
  // Every keyword has a character that is rare in text at a fixed place:
  // the "-" of "MIME-" and "CONTENT-", the "6" of "BEGIN 6".
  if (body.empty()) return false;  // memchr must not get a null pointer
  const char* data = body.data();
  const size_t n = body.size();
  for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '-', n - (p - data)))) != nullptr; ++p) {
    size_t i = static_cast<size_t>(p - data);
    if (i >= 4 && HasWordAt(body, i - 4, "MIME-VERSION")) return true;
    if (i >= 7 && HasWordAt(body, i - 7, "CONTENT-")) return true;
    if (i + 1 >= n) break;
  }
  for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '6', n - (p - data)))) != nullptr; ++p) {
    size_t i = static_cast<size_t>(p - data);
    if (i >= 6 && HasWordAt(body, i - 6, "BEGIN 6")) return true;
    if (i + 1 >= n) break;
  }
  return false;
}

std::string SafeAttachmentName(std::string_view name) {
  size_t p = name.find_last_of(":\\/");
  if (p != std::string_view::npos) name.remove_prefix(p + 1);
  std::string out;
  out.reserve(name.size());
  for (char ch : name)
    if (static_cast<unsigned char>(ch) >= 32 && ch != 127) out.push_back(ch);
  size_t b = 0, e = out.size();
  while (b < e && out[b] == ' ') ++b;
  while (e > b && out[e - 1] == ' ') --e;
  out = out.substr(b, e - b);
  if (out.empty() || out == "." || out == "..") return kUnnamedAttachment;
  if (out.size() > kMaxAttachmentName) {
    // Shortened in the middle: the extension (when it is one) stays.
    size_t dot = out.find_last_of('.');
    size_t ext = dot != std::string::npos && dot > 0 && out.size() - dot <= 16 ? out.size() - dot : 0;
    out = TrimRight(out.substr(0, kMaxAttachmentName - ext)) + out.substr(out.size() - ext);
  }
  return out;
}

std::string NewBoundary() {
  auto digits = [](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s.push_back(static_cast<char>('0' + Random(9)));
    return s;
  };
  std::string b = "---- =_NextPart_000_";
  b += digits(5);
  b += "DF";
  b += digits(1);
  b += ".";
  b += digits(5);
  b += "KR";
  b += digits(5);
  return b;
}

// ---------------------------------------------------------------- properties

TTesselMimeBaseClass::TTesselMimeBaseClass() { Clear(); }

TTesselMimeBaseClass::~TTesselMimeBaseClass() = default;

void TTesselMimeBaseClass::Clear() {
  encodingType_ = TEncodingType::etNone;
  contentType_ = TMimeType::mtText;
  transferEncoding_ = TMimeEncodingType::meQuotedPrintable;
  multipartSubtype_ = TMultipartSubtype::mpMixed;
  messageSubtype_ = TMessageSubtype::msgRfc822;
  imageSubtype_ = TImageSubtype::imJpeg;
  textSubtype_ = TMimeTextType::mttPlain;
  fileName_.clear();
  directory_.clear();
  textLines_.clear();
  fileNames_.clear();
  fileNameSet_.clear();
  boundaries_.clear();
  boundarySet_.clear();
  declaredBoundaries_.clear();
  SetMimeVersion("");
  SetCurrentBoundary("");
  attachmentFound_ = false;
}

void TTesselMimeBaseClass::SetMimeVersion(const std::string& value) { mimeVersion_ = value.empty() ? "1.0" : value; }

void TTesselMimeBaseClass::SetFileName(const std::string& value) {
  fileName_ = value.empty() ? std::string() : SafeAttachmentName(value);
}

void TTesselMimeBaseClass::SetDirectory(const std::string& value) {
  std::string path = ExtractFilePath(value);
  std::error_code ec;
  directory_ = !path.empty() && std::filesystem::is_directory(path, ec) ? path : std::string();
}

std::string TTesselMimeBaseClass::Directory() const { return directory_.empty() ? ProgramFolder() : directory_; }

std::string TTesselMimeBaseClass::CurrentBoundary() const {
  if (boundaries_.empty()) {
    boundaries_.assign(1, std::string());
    boundarySet_ = {std::string()};
  }
  return boundaries_.back();
}

void TTesselMimeBaseClass::ResetBoundaries(const std::string& key) {
  if (firstBoundary_ != key) {
    boundaries_.assign(1, key);
    boundarySet_ = {key};
    firstBoundary_ = key;
  }
  if (boundaries_.empty()) {
    boundaries_.assign(1, std::string());
    boundarySet_ = {std::string()};
    firstBoundary_.clear();
  }
}

void TTesselMimeBaseClass::AddBoundary(const std::string& key) {
  if (boundarySet_.insert(key).second) boundaries_.push_back(key);
}

// A delimiter's key resets the list when no boundary is known yet (or the key
// is empty); short keys and closing delimiters ("key--") add to it; any other
// key leaves the current boundary as it is.
void TTesselMimeBaseClass::SetCurrentBoundary(const std::string& key) {
  if (boundaries_.empty() || boundaries_.front().empty() || key.empty()) {
    ResetBoundaries(key);
  } else if (key.size() <= 2) {
    AddBoundary(key);
  } else if (key.size() >= 2 && key.compare(key.size() - 2, 2, "--") == 0) {
    AddBoundary(key.substr(0, key.size() - 2));
  }
}

bool TTesselMimeBaseClass::IsBoundaryKey(std::string_view key, bool* closing) const {
  while (!key.empty() && static_cast<unsigned char>(key.back()) <= ' ') key.remove_suffix(1);
  if (closing) *closing = false;
  if (key.empty()) return false;
  auto known = [&](std::string_view k) {
    std::string s(k);
    return !s.empty() && (boundarySet_.count(s) != 0 || declaredBoundaries_.count(s) != 0);
  };
  if (known(key)) return true;
  if (key.size() > 2 && key.substr(key.size() - 2) == "--" && known(key.substr(0, key.size() - 2))) {
    if (closing) *closing = true;
    return true;
  }
  return false;
}

// ---------------------------------------------------------------- classification

void TTesselMimeBaseClass::StartScan() {
  Clear();
  bodyState_ = TBodyState::bsCollect;
  mimeHeaderSeen_ = false;
  partSaysBase64_ = false;
  prevEmpty_ = true;
}

// After an empty line a header block ends: text and quoted-printable parts
// are shown, base64 parts and uuencoded blocks passed over; a passed-over
// body ends at the next empty line.
void TTesselMimeBaseClass::BeforeLine() {
  if (!prevEmpty_) return;
  if (bodyState_ == TBodyState::bsSkip) {
    bodyState_ = TBodyState::bsCollect;
  } else if (bodyState_ == TBodyState::bsHeader) {
    if (contentType_ == TMimeType::mtText || transferEncoding_ == TMimeEncodingType::meQuotedPrintable)
      bodyState_ = TBodyState::bsCollect;
    if (transferEncoding_ == TMimeEncodingType::meBase64) bodyState_ = TBodyState::bsSkip;
    if (encodingType_ == TEncodingType::etUU) bodyState_ = TBodyState::bsSkip;
  }
}

void TTesselMimeBaseClass::TakeAttachmentName(const std::string& line, size_t keywordPos) {
  auto raw = ParameterValue(line, keywordPos + 4);
  if (!raw) return;
  std::string name = SafeAttachmentName(*raw);
  if (!fileNameSet_.insert(UpperName(name)).second) return;  // listed already
  fileName_ = name;
  fileNames_.push_back(fileName_);
  if (onChange_) onChange_(this, contentType_, transferEncoding_, fileName_);
}

TTesselMimeBaseClass::TLineKind TTesselMimeBaseClass::ClassifyLine(const std::string& line) {
  upper_.resize(line.size());
  for (size_t i = 0; i < line.size(); ++i) upper_[i] = AsciiUpper(line[i]);
  std::string_view up(upper_);
  constexpr auto npos = std::string_view::npos;
  TLineKind kind = TLineKind::lkOther;

  if (StartsWith(line, "--")) {
    SetCurrentBoundary(std::string(DelimiterKey(line)));
    bodyState_ = TBodyState::bsHeader;
    partSaysBase64_ = false;
  }
  if (size_t p = up.find("MIME-VERSION"); p != npos) {
    encodingType_ = TEncodingType::etMime;
    SetMimeVersion(p + 14 < line.size() ? TrimLeft(std::string_view(line).substr(p + 14)) : std::string());
    bodyState_ = TBodyState::bsHeader;
    mimeHeaderSeen_ = true;
  }
  if (up.find("CONTENT-DESCRIPTION") != npos) {
    encodingType_ = TEncodingType::etMime;
    bodyState_ = TBodyState::bsHeader;
    mimeHeaderSeen_ = true;
  }
  if (up.find("CONTENT-TRANSFER-ENCODING") != npos) {
    bodyState_ = TBodyState::bsHeader;
    encodingType_ = TEncodingType::etMime;
    partSaysBase64_ = false;
    if (up.find("BASE64") != npos) {
      transferEncoding_ = TMimeEncodingType::meBase64;
      attachmentFound_ = true;
      partSaysBase64_ = true;
    }
    if (up.find("QUOTED-PRINTABLE") != npos) transferEncoding_ = TMimeEncodingType::meQuotedPrintable;
    if (up.find("8BIT") != npos) transferEncoding_ = TMimeEncodingType::me8Bit;
    if (up.find("7BIT") != npos) transferEncoding_ = TMimeEncodingType::me7Bit;
    if (up.find("BINARY") != npos) transferEncoding_ = TMimeEncodingType::meBinary;
    if (up.find("X-TOKEN") != npos) transferEncoding_ = TMimeEncodingType::meXToken;
    mimeHeaderSeen_ = true;
  }
  if (size_t p = up.find("CONTENT-TYPE"); p != npos) {
    bodyState_ = TBodyState::bsHeader;
    encodingType_ = TEncodingType::etMime;
    // The type is read from the media type only, so that a parameter (a
    // name such as "context.zip", a boundary) never changes it.
    size_t semi = up.find(';', p);
    std::string_view media = up.substr(p, semi == npos ? npos : semi - p);
    auto has = [&](std::string_view word) { return media.find(word) != npos; };
    if (has("APPLICATION")) contentType_ = TMimeType::mtApplication;
    if (has("AUDIO")) contentType_ = TMimeType::mtAudio;
    if (has("IMAGE")) {
      contentType_ = TMimeType::mtImage;
      if (has("JPEG")) imageSubtype_ = TImageSubtype::imJpeg;
      if (has("GIF")) imageSubtype_ = TImageSubtype::imGif;
      if (has("BMP")) imageSubtype_ = TImageSubtype::imBmp;
      if (has("PCX")) imageSubtype_ = TImageSubtype::imPcx;
    }
    if (has("MESSAGE")) {
      contentType_ = TMimeType::mtMessage;
      if (has("RFC822")) messageSubtype_ = TMessageSubtype::msgRfc822;
      if (has("PARTIAL")) messageSubtype_ = TMessageSubtype::msgPartial;
      if (has("EXTERNAL-BODY")) messageSubtype_ = TMessageSubtype::msgExternalBody;
    }
    if (has("MULTIPART")) {
      contentType_ = TMimeType::mtMultipart;
      if (has("MIXED")) multipartSubtype_ = TMultipartSubtype::mpMixed;
      if (has("ALTERNATIVE")) multipartSubtype_ = TMultipartSubtype::mpAlternative;
      if (has("DIGEST")) multipartSubtype_ = TMultipartSubtype::mpDigest;
      if (has("PARALLEL")) multipartSubtype_ = TMultipartSubtype::mpParallel;
    }
    if (has("TEXT")) {
      contentType_ = TMimeType::mtText;
      if (has("PLAIN")) textSubtype_ = TMimeTextType::mttPlain;
      if (has("RICHTEXT")) textSubtype_ = TMimeTextType::mttRichtext;
      if (has("HTML")) textSubtype_ = TMimeTextType::mttHTML;
    }
    if (has("VIDEO")) contentType_ = TMimeType::mtVideo;
    if (has("X-TOKEN")) contentType_ = TMimeType::mtXToken;
    if (size_t n = up.find("NAME"); n != npos) TakeAttachmentName(line, n);
    mimeHeaderSeen_ = true;
  }
  if (mimeHeaderSeen_) {
    // A name parameter on a continuation line, or a filename parameter.
    if (size_t n = up.find("NAME="); n != npos) {
      bodyState_ = TBodyState::bsHeader;
      TakeAttachmentName(line, n);
    }
    // Boundaries declared by multipart headers: their delimiters end text parts.
    if (size_t b = up.find("BOUNDARY"); b != npos) {
      auto value = ParameterValue(line, b + 8);
      if (value && !value->empty()) declaredBoundaries_.insert(*value);
    }
  }
  if (StartsWith(up, "BEGIN 6")) {
    fileName_ = SafeAttachmentName(line.size() > 10 ? std::string_view(line).substr(10) : std::string_view());
    encodingType_ = TEncodingType::etUU;
    fileNames_.push_back(fileName_);
    fileNameSet_.insert(UpperName(fileName_));
    attachmentFound_ = true;
    bodyState_ = TBodyState::bsHeader;
    kind = TLineKind::lkBegin;
  }
  return kind;
}

// ---------------------------------------------------------------- scanning

bool TTesselMimeBaseClass::ScanFile(const std::string& SourceFile) {
  StartScan();
  TMimeLineReader in;
  if (!in.Open(SourceFile)) return false;
  std::string line;
  inUUBlock_ = false;
  while (in.ReadLine(line)) {
    // A uuencoded block is hidden from its "begin" line through its "end"
    // line, and no more: the text after it is shown. Its data lines are no
    // headers or delimiters, whatever they start with. A line that cannot be
    // uuencoded data (a character outside the code's alphabet) ends a block
    // that never got its "end".
    if (inUUBlock_) {
      if (StartsWith(line, "end")) {
        inUUBlock_ = false;
        bodyState_ = TBodyState::bsCollect;
        prevEmpty_ = false;
        continue;
      }
      if (std::all_of(line.begin(), line.end(), [](char c) { return c >= ' ' && c <= '`'; })) {
        prevEmpty_ = line.empty();
        continue;
      }
      inUUBlock_ = false;
      bodyState_ = TBodyState::bsCollect;
      prevEmpty_ = false;
    }
    BeforeLine();
    inUUBlock_ = ClassifyLine(line) == TLineKind::lkBegin;
    if (bodyState_ == TBodyState::bsCollect && displayableText_.Contains(textSubtype_)) textLines_.push_back(line);
    prevEmpty_ = line.empty();
  }
  return mimeHeaderSeen_;
}

bool TTesselMimeBaseClass::ExtractFile(const std::string& SourceFile, const std::string& TargetFile,
                                       const std::string& AttachmentName) {
  {
    TMimeLineReader in;
    if (!in.Open(SourceFile)) return false;
    // Emptying the target must never destroy the message being read.
    if (in.IsSameFile(TargetFile)) throw EInOutError("Could not create file - " + TargetFile, EEXIST);
    TMimeFileWriter out;
    out.Create(TargetFile);
    out.Close();
  }
  return ExtractFiles(SourceFile, {{AttachmentName, TargetFile}}).front();
}

std::vector<bool> TTesselMimeBaseClass::ExtractFiles(const std::string& SourceFile,
                                                     const std::vector<TWantedAttachment>& Wanted) {
  StartScan();
  std::vector<bool> found(Wanted.size(), false);
  TMimeLineReader in;
  if (!in.Open(SourceFile)) return found;
  for (const auto& w : Wanted)
    if (in.IsSameFile(w.TargetFile)) throw EInOutError("Could not create file - " + w.TargetFile, EEXIST);

  // The first part of each name (blanks and case ignored) is written.
  std::unordered_map<std::string, size_t> pending;
  for (size_t i = 0; i < Wanted.size(); ++i) pending.emplace(AnsiLowerCase(RemoveBlanks(Wanted[i].Name)), i);
  auto take = [&]() -> std::optional<size_t> {
    if (fileName_.empty()) return std::nullopt;
    auto it = pending.find(AnsiLowerCase(RemoveBlanks(fileName_)));
    if (it == pending.end()) return std::nullopt;
    size_t i = it->second;
    pending.erase(it);
    found[i] = true;
    return i;
  };
  std::string line;
  while (!pending.empty() && in.ReadLine(line)) {
    BeforeLine();
    std::optional<size_t> part;
    if (RemoveBlanks(line).empty() && (part = take())) {
      // The empty line that ends the named part's header block. Base64 is
      // decoded; a text part only when its own header says base64 (the
      // transfer encoding of an earlier part carries over otherwise).
      bool base64 = transferEncoding_ == TMimeEncodingType::meBase64 &&
                    (contentType_ != TMimeType::mtText || partSaysBase64_);
      TMimeFileWriter out;
      out.Create(Wanted[*part].TargetFile);
      if (base64)
        DecodeBase64(in, out);
      else
        CopyTextPart(in, out);
      out.Close();
      // The scan goes on at the line that ended the part.
      prevEmpty_ = true;
      BeforeLine();
      prevEmpty_ = false;
      continue;
    }
    if (ClassifyLine(line) == TLineKind::lkBegin && (part = take())) {
      TMimeFileWriter out;
      out.Create(Wanted[*part].TargetFile);
      DecodeUU(in, out);
      out.Close();
    }
    prevEmpty_ = line.empty();
  }
  return found;
}

// ---------------------------------------------------------------- decoding

// Copies the part's lines, each with CR LF, up to the delimiter of a known
// boundary (not written). Other lines that begin with "--", such as a
// signature separator, belong to the text.
void TTesselMimeBaseClass::CopyTextPart(TMimeLineReader& in, TMimeFileWriter& out) {
  std::string line;
  while (in.ReadLine(line)) {
    if (StartsWith(line, "--") && IsBoundaryKey(DelimiterKey(line))) return in.PutBack(std::move(line));
    out.WriteLine(line);
  }
}

// Decodes quads of base64 letters line by line. Decoding ends after a line
// with "=" padding, at a line whose leading non-letters hold "=", at a line
// that begins with "--" (base64 has no "-": it is a delimiter), or at the
// end of the source. A closing delimiter that follows a full line and is
// followed by more base64 lines is where a long attachment was split into
// several messages: decoding goes on with those lines.
void TTesselMimeBaseClass::DecodeBase64(TMimeLineReader& in, TMimeFileWriter& out) {
  std::string line;
  size_t lastDataLength = 0;
  bool have = in.ReadLine(line);
  while (have) {
    const size_t n = line.size();
    if (n <= 2 || StartsWith(line, "====")) {
      have = in.ReadLine(line);
      continue;
    }
    if (StartsWith(line, "--")) {
      bool closing = false;
      if (!IsBoundaryKey(DelimiterKey(line), &closing) || !closing ||
          lastDataLength != static_cast<size_t>(kMimeLineLength))
        return in.PutBack(std::move(line));
      do have = in.ReadLine(line);
      while (have && line.size() <= 2);
      if (!have) return;
      if (!IsBase64Continuation(line, lastDataLength)) return in.PutBack(std::move(line));
      continue;
    }

    size_t i = 0;
    while (i < n && !IsBase64Letter(line[i])) {
      if (line[i] == '=') return;
      ++i;
    }
    if (i + 1 >= n) {
      have = in.ReadLine(line);
      continue;
    }
    bool endAfterLine = false;
    const char* s = line.data();
    while (i + 1 < n) {
      int a = Base64Value(s[i]);
      if (a >= 64) {
        ++i;
        continue;
      }
      // Characters missing at the end of the line count as padding.
      int b = Base64Value(s[i + 1]);
      char cc = i + 2 < n ? s[i + 2] : '=';
      char dc = i + 3 < n ? s[i + 3] : '=';
      out.Put(static_cast<char>((a * 4 + b / 16) & 255));
      if (cc == '=') {
        endAfterLine = true;
        i += 3;
        continue;
      }
      int c = Base64Value(cc);
      out.Put(static_cast<char>((b * 16 + c / 4) & 255));
      if (dc == '=') {
        endAfterLine = true;
        i += 3;
        continue;
      }
      int d = Base64Value(dc);
      out.Put(static_cast<char>((c * 64 + d) & 255));
      i += 4;
    }
    if (endAfterLine) return;
    size_t trimmed = n;
    while (trimmed > 0 && static_cast<unsigned char>(line[trimmed - 1]) <= ' ') --trimmed;
    lastDataLength = trimmed;
    have = in.ReadLine(line);
  }
}

// Decodes uuencoded lines up to the "end" line. Characters missing at the
// end of a line (trailing blanks lost in transport) count as zero.
void TTesselMimeBaseClass::DecodeUU(TMimeLineReader& in, TMimeFileWriter& out) {
  std::string line;
  while (in.ReadLine(line)) {
    if (StartsWith(line, "end")) return;
    const size_t n = line.size();
    if (n <= 2) continue;
    int count = UUValue(line[0]);
    auto value = [&](size_t at) { return at < n ? UUValue(line[at]) : 0; };
    for (size_t p = 1; count > 0; p += 4, count -= 3) {
      int c0 = value(p), c1 = value(p + 1), c2 = value(p + 2), c3 = value(p + 3);
      out.Put(static_cast<char>(((c0 << 2) | (c1 >> 4)) & 255));
      if (count >= 2) out.Put(static_cast<char>(((c1 << 4) | (c2 >> 2)) & 255));
      if (count >= 3) out.Put(static_cast<char>(((c2 << 6) | c3) & 255));
    }
  }
}

// ---------------------------------------------------------------- encoding

std::string TTesselMimeBaseClass::PartFileName(const std::string& PartBase, int part) {
  return PartBase + ".0" + std::to_string(part);
}

void TTesselMimeBaseClass::EncodeFile(const std::string& SourceFile, const std::string& PartBase,
                                      const std::string& Boundary, int64_t FirstPartLimit, int64_t PartLimit) {
  boundaries_.assign(1, Boundary);
  boundarySet_ = {Boundary};
  firstBoundary_ = Boundary;

  TMimeLineReader in;
  if (!in.Open(SourceFile)) throw EInOutError("Could not read file - " + SourceFile, ENOENT);
  const bool uu = encodingType_ == TEncodingType::etUU;
  const std::string closing = "--" + Boundary + "--";

  int part = 1;
  TMimeFileWriter out;
  out.Create(PartFileName(PartBase, part));
  if (uu) {
    out.WriteLine("begin 644 " + NameAfter(SourceFile, "/\\"));
  } else {
    std::string name = NameAfter(SourceFile, ":/\\");
    out.WriteLine("");
    out.WriteLine("--" + Boundary);
    out.WriteLine(std::string(ContentTypeFor(name)) + "\"" + name + "\"");
    out.WriteLine("Content-Transfer-Encoding: base64");
    out.WriteLine("");
  }

  unsigned char data[kBytesPerLine];
  std::string line;
  int64_t count = 0;
  for (;;) {
    size_t got = in.ReadBytes(reinterpret_cast<char*>(data), sizeof data);
    if (got == 0) break;
    EncodeLine(data, got, uu, line);
    out.WriteLine(line);
    count += static_cast<int64_t>(line.size());
    if (count >= (part == 1 ? FirstPartLimit : PartLimit)) {
      out.WriteLine("");
      if (part > 1 && !uu) out.WriteLine(closing);
      out.Close();
      out.Create(PartFileName(PartBase, ++part));
      count = 0;
    }
  }
  if (uu) {
    out.WriteLine("`");
    out.WriteLine("end");
  } else {
    out.WriteLine("");
    out.WriteLine(closing);
  }
  out.Close();
}

}  // namespace korrin
