#pragma once
// The MIME codec. QWK message bodies are plain text; attachments travel in
// them as base64 MIME parts or as uuencoded blocks. The codec works on text
// files line by line: it analyses a body (which lines to show, which
// attachments it carries), writes one attachment of a body into a file, and
// encodes a file into numbered part files of limited size.
//
// Files are streamed: memory use is one line plus the name and boundary
// lists (and the displayed lines that ScanFile collects).

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace korrin {

class TMimeLineReader;
class TMimeFileWriter;

// Output form of EncodeFile, and what ScanFile found last.
enum class TEncodingType : uint8_t { etMime, etUU, etNone };

// Text subtypes.
enum class TMimeTextType : uint8_t { mttPlain, mttRichtext, mttHTML };

class TMimeTextTypeSet {
public:
  constexpr TMimeTextTypeSet() = default;
  constexpr TMimeTextTypeSet(std::initializer_list<TMimeTextType> types) {
    for (auto t : types) Include(t);
  }
  constexpr bool Contains(TMimeTextType t) const { return (bits_ & Bit(t)) != 0; }
  constexpr void Include(TMimeTextType t) { bits_ = static_cast<uint8_t>(bits_ | Bit(t)); }
  constexpr void Exclude(TMimeTextType t) { bits_ = static_cast<uint8_t>(bits_ & ~Bit(t)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr bool operator==(const TMimeTextTypeSet&) const = default;

private:
  static constexpr uint8_t Bit(TMimeTextType t) { return static_cast<uint8_t>(1u << static_cast<unsigned>(t)); }
  uint8_t bits_ = 0;
};

// Content type.
enum class TMimeType : uint8_t {
  mtApplication, mtAudio, mtImage, mtMessage, mtMultipart, mtText, mtVideo, mtXToken
};
// Transfer encoding.
enum class TMimeEncodingType : uint8_t {
  meBase64, meQuotedPrintable, me8Bit, me7Bit, meBinary, meXToken
};
enum class TImageSubtype : uint8_t { imJpeg, imGif, imBmp, imPcx };
enum class TMessageSubtype : uint8_t { msgRfc822, msgPartial, msgExternalBody };
enum class TMultipartSubtype : uint8_t { mpMixed, mpAlternative, mpDigest, mpParallel };

// Where the line classification stands: in a header block, passing over an
// encoded body, or collecting displayable lines.
enum class TBodyState : uint8_t { bsHeader, bsSkip, bsCollect };

class TTesselMimeBaseClass;

// Called when a new attachment name is found in a MIME header.
using tOnMimeChange = std::function<void(TTesselMimeBaseClass* Sender, TMimeType NewType,
                                         TMimeEncodingType NewEncoding, const std::string& NewFilename)>;

// The name used for an attachment whose name is empty, "." or ".." once its
// path is removed.
inline constexpr const char* kUnnamedAttachment = "attachment.dat";

// An attachment name made safe to use as a file name in a folder: only the
// part after the last ":", "\" or "/" is kept, control characters and the
// surrounding blanks are removed, and a name that is then empty, "." or ".."
// becomes kUnnamedAttachment. A name longer than kMaxAttachmentName bytes is
// shortened keeping its extension, so that it stays a valid file name even
// once each byte has become a three-byte UTF-8 character. The result never
// leaves the folder it is put in.
inline constexpr size_t kMaxAttachmentName = 72;
std::string SafeAttachmentName(std::string_view name);

// A quick look at a raw body before the codec scans it: true when the bytes
// hold "MIME-VERSION", "CONTENT-" or "BEGIN 6" in any letter case, a
// superset of the lines the codec acts on. When false, the codec changes
// nothing of what the record shows.
bool BodyMayHoldMime(std::string_view body);

// "---- =_NextPart_000_" + five digits + "DF" + a digit + "." + five digits +
// "KR" + five digits; each digit 0-8 from the program's generator. 41 characters.
std::string NewBoundary();

class TTesselMimeBaseClass {
public:
  // Full base64 and uuencoded lines carry 45 bytes.
  static constexpr int kBytesPerLine = 45;
  static constexpr int kMimeLineLength = 60;
  static constexpr int kUULineLength = 61;

  TTesselMimeBaseClass();
  virtual ~TTesselMimeBaseClass();
  TTesselMimeBaseClass(const TTesselMimeBaseClass&) = delete;
  TTesselMimeBaseClass& operator=(const TTesselMimeBaseClass&) = delete;

  // Resets the parse state (types, lists, names, boundary, AttachmentFound).
  void Clear();

  // Analyses a message body file: collects the displayable lines into
  // TextLines and the attachment names into FileNames. True when a MIME
  // header line was seen; false (and the state of Clear) when the file
  // cannot be opened.
  bool ScanFile(const std::string& SourceFile);

  // Writes the part or uuencoded block named AttachmentName (blanks and case
  // ignored) into TargetFile: base64 parts decoded, uuencoded blocks decoded,
  // other parts copied as text. True when found. When the source cannot be
  // opened: false and no target. When the name is not found: false and an
  // empty target. A target that cannot be created or written, or a read
  // error, raises EInOutError.
  bool ExtractFile(const std::string& SourceFile, const std::string& TargetFile, const std::string& AttachmentName);
  // An attachment name and the file it is written into.
  struct TWantedAttachment {
    std::string Name, TargetFile;
  };
  // Writes the first part or uuencoded block of each name into its file in
  // one pass over the source; files of names not found are not created.
  // Per name, whether it was found (all false when the source cannot be
  // opened). Raises as ExtractFile does.
  std::vector<bool> ExtractFiles(const std::string& SourceFile, const std::vector<TWantedAttachment>& Wanted);

  // Encodes SourceFile in the form EncodingType chooses (etUU: uuencode,
  // otherwise base64 MIME) into PartBase + ".01", ".02", ... A part ends when
  // the characters of its body lines reach the limit (FirstPartLimit for the
  // first part, PartLimit for the others). Raises EInOutError when the
  // source cannot be read or a part cannot be written.
  void EncodeFile(const std::string& SourceFile, const std::string& PartBase, const std::string& Boundary,
                  int64_t FirstPartLimit, int64_t PartLimit);

  // The name of part file `part` (1-based): PartBase + ".0" + number.
  static std::string PartFileName(const std::string& PartBase, int part);

  // --- published properties
  TMimeTextTypeSet DisplayableText() const { return displayableText_; }
  void SetDisplayableText(TMimeTextTypeSet value) { displayableText_ = value; }

  // The last entry of Boundaries (the list first gets one empty entry when empty).
  std::string CurrentBoundary() const;
  // Resets, extends or keeps the boundary list by the key (see the .cpp).
  void SetCurrentBoundary(const std::string& key);

  const std::string& FileName() const { return fileName_; }
  // Stores SafeAttachmentName(value); an empty value stores an empty name.
  void SetFileName(const std::string& value);

  // The folder given last, or the program's own folder when that does not
  // exist or none was given. Nothing in the codec reads it.
  std::string Directory() const;
  // Keeps the folder part of the value (up to and including the last separator).
  void SetDirectory(const std::string& value);

  TEncodingType EncodingType() const { return encodingType_; }
  void SetEncodingType(TEncodingType value) { encodingType_ = value; }

  const std::string& MimeVersion() const { return mimeVersion_; }
  // An empty value stores "1.0".
  void SetMimeVersion(const std::string& value);

  const tOnMimeChange& OnChange() const { return onChange_; }
  void SetOnChange(tOnMimeChange handler) { onChange_ = std::move(handler); }

  // --- parse state of the last ScanFile or ExtractFile
  const std::vector<std::string>& TextLines() const { return textLines_; }
  const std::vector<std::string>& FileNames() const { return fileNames_; }
  const std::vector<std::string>& Boundaries() const { return boundaries_; }
  const std::string& FirstBoundary() const { return firstBoundary_; }
  bool AttachmentFound() const { return attachmentFound_; }
  TMimeType ContentType() const { return contentType_; }
  TMimeEncodingType TransferEncoding() const { return transferEncoding_; }
  TMimeTextType TextSubtype() const { return textSubtype_; }
  TImageSubtype ImageSubtype() const { return imageSubtype_; }
  TMessageSubtype MessageSubtype() const { return messageSubtype_; }
  TMultipartSubtype MultipartSubtype() const { return multipartSubtype_; }
  TBodyState BodyState() const { return bodyState_; }

protected:
  // Copies the lines after a text part's header up to its delimiter.
  void CopyTextPart(TMimeLineReader& in, TMimeFileWriter& out);
  // Decodes the base64 lines after a part's header.
  void DecodeBase64(TMimeLineReader& in, TMimeFileWriter& out);
  // Decodes the lines after a "begin" line up to "end".
  void DecodeUU(TMimeLineReader& in, TMimeFileWriter& out);

private:
  enum class TLineKind { lkOther, lkBegin };

  void StartScan();
  void BeforeLine();
  TLineKind ClassifyLine(const std::string& line);
  void TakeAttachmentName(const std::string& line, size_t keywordPos);
  void ResetBoundaries(const std::string& key);
  void AddBoundary(const std::string& key);
  // True when the key of a line beginning with "--" (the text after the
  // dashes) is a known boundary, or a known boundary followed by "--".
  bool IsBoundaryKey(std::string_view key, bool* closing = nullptr) const;

  tOnMimeChange onChange_;
  TMimeTextTypeSet displayableText_{TMimeTextType::mttPlain};
  std::string firstBoundary_;
  TMimeTextType textSubtype_ = TMimeTextType::mttPlain;
  TImageSubtype imageSubtype_ = TImageSubtype::imJpeg;
  TMessageSubtype messageSubtype_ = TMessageSubtype::msgRfc822;
  TMimeType contentType_ = TMimeType::mtText;
  TMimeEncodingType transferEncoding_ = TMimeEncodingType::meQuotedPrintable;
  TEncodingType encodingType_ = TEncodingType::etNone;
  TMultipartSubtype multipartSubtype_ = TMultipartSubtype::mpMixed;
  std::string mimeVersion_ = "1.0";
  std::string fileName_;
  std::string directory_;
  std::vector<std::string> textLines_;
  mutable std::vector<std::string> boundaries_;
  mutable std::unordered_set<std::string> boundarySet_;
  std::unordered_set<std::string> declaredBoundaries_;  // from boundary= parameters
  std::vector<std::string> fileNames_;
  std::unordered_set<std::string> fileNameSet_;  // upper-cased: names are listed once whatever their case
  TBodyState bodyState_ = TBodyState::bsCollect;
  bool attachmentFound_ = false;

  // scan state
  bool mimeHeaderSeen_ = false;
  bool partSaysBase64_ = false;  // the current part's own header names base64
  bool prevEmpty_ = true;
  // ScanFile: inside a uuencoded block, from its "begin" line to its "end" line.
  bool inUUBlock_ = false;
  std::string upper_;
};

// The component the windows own; it publishes the base class's properties.
class TTesselMime : public TTesselMimeBaseClass {
public:
  using TTesselMimeBaseClass::TTesselMimeBaseClass;
};

}  // namespace korrin
