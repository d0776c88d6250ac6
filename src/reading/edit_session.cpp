#include "reading/edit_session.h"

#include <algorithm>
#include <filesystem>

#include "engine/board_settings.h"
#include "engine/control_file.h"
#include "engine/packet_lifecycle.h"
#include "engine/header_texts.h"
#include "platform/charset.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/random.h"
#include "platform/text.h"
#include "reading/mime_compose.h"
#include "reading/reply_quoting.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {
// Texts of the area flags, in the order they are shown.
struct TFlagText {
  uint32_t Flag;
  const char* Text;
};
constexpr TFlagText kFlagTexts[] = {
    {afL, "Local "},      {afN, "NetMail "},    {afE, "EchoMail "},     {afI, "Internet "},
    {afU, "Newsgroup "},  {afB, "No replies "}, {afP, "Private "},      {afO, "Public "},
    {afX, "General "},    {afR, "Read only "},  {afZ, "No replies "},   {afH, "Handles only "},
    {afA, "Alias allowed "}, {afAmp, "Allows attached files "},
};

// The byte that ends a line in a packet body: a typed character that maps
// onto it would break the line when the message is read.
constexpr char kBodyLineEnd = '\xE3';

bool ValidUtf8(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t start = pos;
    char32_t ch = DecodeUtf8(text, pos);
    if (ch == 0xFFFD && text.substr(start, pos - start) != "\xEF\xBF\xBD") return false;
  }
  return true;
}

std::string EncodeText(const std::string& utf8, std::string* replaced) {
  std::string clean;
  clean.reserve(utf8.size());
  for (char c : utf8)
    if (c != '\r' && c != '\n') clean.push_back(c);
  // Written in the board's character set. A character whose bytes hold the
  // body's line-end byte cannot travel either.
  const std::string& set = CurrentBoardCharset();
  std::string out;
  out.reserve(clean.size());
  size_t pos = 0;
  while (pos < clean.size()) {
    const size_t start = pos;
    DecodeUtf8(clean, pos);
    const std::string_view piece = std::string_view(clean).substr(start, pos - start);
    if (static_cast<unsigned char>(piece[0]) < 0x80) {
      out.push_back(piece[0]);
      continue;
    }
    std::string encoded = EncodeFromUtf8(piece, set, '?', replaced);
    if (encoded.find(kBodyLineEnd) != std::string::npos) {
      encoded = "?";
      if (replaced && replaced->find(piece) == std::string::npos) replaced->append(piece);
    }
    out += encoded;
  }
  return out;
}

bool IsBoxFile(const fs::directory_entry& e) {
  std::error_code ec;
  return e.is_regular_file(ec) && SameText(e.path().extension().string(), ".qms");
}
}  // namespace

TEditSession::TEditSession() {
  QWKMsg2_.SetMimeCTRL(&TesselMime1_);
  QWKMsg2_.SetQWKExtCTRL(&ToReader1_);
  Now = [] { return std::time(nullptr); };
}

// ---------------------------------------------------------------- creation

void TEditSession::Create(const std::string& packetDirectory, const std::string& programFolder) {
  QWKMsg2_.SetPacketDirectory(packetDirectory);
  packetFolder_ = packetDirectory;
  LoadConferences(packetDirectory);
  if (!conferences_.empty()) ConfBoxChange(0);
  std::time_t now = Now();
  QWKMsg2_.SetPostDate(QWKDateText(now));
  QWKMsg2_.SetPostTime(QWKTimeText(now));
  QWKMsg2_.SetNumber("0");
  QWKMsg2_.SetReferNum("0");
  QWKMsg2_.SetMsgFROM(userName_);
  LoadTagLines(IncludeTrailingBackslash(programFolder) + kTaglineFileName);
  ApplyForcedStatus();
  if (options_.AddTags) PickRandomTagline(std::string());
}

bool TEditSession::LoadConferences(const std::string& packetDirectory) {
  conferences_.clear();
  confIndex_ = -1;
  auto list = ReadConferenceList(packetDirectory, TCountRule::crBlanksRemoved);
  if (!list) return false;
  userName_ = NormalizeNameCase(Trim(list->UserName));
  for (const auto& e : list->Entries) conferences_.push_back(Trim(e.Number) + " " + e.Name);
  return true;
}

uint16_t TEditSession::ConferenceNumberOf(const std::string& entry) {
  std::string first = entry.substr(0, entry.find(' '));
  auto n = ParseInt(first);
  if (!n || *n < 0 || *n > 0xFFFF) return 0;
  return static_cast<uint16_t>(*n);
}

int TEditSession::FindConference(unsigned conference) const {
  if (conferences_.empty()) return -1;
  for (size_t i = 0; i < conferences_.size(); ++i) {
    const std::string& e = conferences_[i];
    if (ParseInt(e.substr(0, e.find(' '))) && ConferenceNumberOf(e) == conference) return static_cast<int>(i);
  }
  return 0;
}

void TEditSession::ConfBoxChange(int index) {
  if (index < 0 || index >= static_cast<int>(conferences_.size())) return;
  confIndex_ = index;
  QWKMsg2_.SetConference(ConferenceNumberOf(conferences_[static_cast<size_t>(index)]));
  ApplyForcedStatus();
}

void TEditSession::HeaderRefresh() {
  if (confIndex_ >= 0 && confIndex_ < static_cast<int>(conferences_.size()))
    QWKMsg2_.SetConference(ConferenceNumberOf(conferences_[static_cast<size_t>(confIndex_)]));
}

// ---------------------------------------------------------------- status

void TEditSession::ApplyForcedStatus() {
  statusForced_ = false;
  publicEnabled_ = privateEnabled_ = true;
  uint32_t flags = QWKMsg2_.AreaFlags();
  if (flags & afP) {
    QWKMsg2_.SetStatus(tStatus::sPrivate);
    publicEnabled_ = false;
    statusForced_ = true;
  }
  if (flags & afO) {
    QWKMsg2_.SetStatus(tStatus::sPublic);
    privateEnabled_ = false;
    statusForced_ = true;
  }
}

void TEditSession::ToggleStatus() {
  if (statusForced_) return;
  QWKMsg2_.SetStatus(QWKMsg2_.Status() == tStatus::sPrivate ? tStatus::sPublic : tStatus::sPrivate);
}

void TEditSession::ChooseStatus(tStatus status) {
  if (!statusForced_) QWKMsg2_.SetStatus(status);
}

std::string TEditSession::StatusText() const {
  switch (QWKMsg2_.Status()) {
    case tStatus::sPublic: return kStatusPublicText;
    case tStatus::sPrivate: return kStatusPrivateText;
    default: return {};
  }
}

std::string TEditSession::FlagText(uint32_t areaFlags) {
  std::string text;
  for (const auto& f : kFlagTexts)
    if (areaFlags & f.Flag) text += f.Text;
  return text;
}

// ---------------------------------------------------------------- fields

void TEditSession::ToFieldChanged(const std::string& to) {
  if (!to.empty()) QWKMsg2_.SetMsgTo(EncodeText(to, nullptr));
}

void TEditSession::SubjectFieldChanged(const std::string& subject) {
  if (!subject.empty()) QWKMsg2_.SetSubject(EncodeText(subject, nullptr));
}

void TEditSession::UpdateSenderLine(const std::string& to) {
  if (to.find('@') == std::string::npos) {
    QWKMsg2_.SetMsgFROM(userName_);
  } else if (!options_.EMail.empty()) {
    std::string from = userName_ + " <" + EncodeText(options_.EMail, nullptr) + ">";
    QWKMsg2_.SetMsgFROM(from);
    QWKMsg2_.QWKEHdr().LongFrom = from;
  }
}

// ---------------------------------------------------------------- taglines

bool TEditSession::LoadTagLines(const std::string& path) {
  tagLines_ = LoadTaglineFile(FindFileNoCase(ExtractFilePath(path), ExtractFileName(path)).value_or(path));
  return !tagLines_.empty();
}

std::optional<std::string> TEditSession::PickRandomTagline(const std::string& shown) {
  auto pick = korrin::PickRandomTagline(tagLines_, shown);
  if (pick) QWKMsg2_.SetTagline(*pick);
  return pick;
}

void TEditSession::TakeTaglineFromText() {
  auto& text = QWKMsg2_.Text();
  size_t end = text.size();
  while (end > 0 && Trim(text[end - 1]).empty()) --end;
  if (end == 0) return;
  const std::string& last = text[end - 1];
  if (last.size() < 2 || last[0] != ' ' || last[1] != kTaglineMark) return;
  std::string tagline = last.substr(2);
  text.erase(text.begin() + static_cast<std::ptrdiff_t>(end - 1), text.end());
  if (!text.empty() && text.back().empty()) text.pop_back();  // the empty line written before it
  QWKMsg2_.SetTagline(tagline);
}

// ---------------------------------------------------------------- text

std::vector<std::string> TEditSession::SignatureLines() const {
  std::vector<std::string> lines{"", ""};
  for (const auto& l : options_.Signature) lines.push_back(Cp437ToUtf8(l));
  lines.emplace_back();
  return lines;
}

std::optional<std::vector<std::string>> TEditSession::ImportTextFile(const std::string& path) {
  std::error_code ec;
  auto size = fs::file_size(path, ec);
  if (!ec && size >= static_cast<uintmax_t>(kImportLimitBytes)) {
    GetPrompts().Information(path + kErrImportLimit);
    return std::nullopt;
  }
  auto data = ReadWholeFile(path);
  if (!data || fs::is_directory(path, ec)) {
    GetPrompts().Error("Could not read file - " + path);
    return std::nullopt;
  }
  if (data->size() >= static_cast<size_t>(kImportLimitBytes) || data->find('\0') != std::string::npos) {
    GetPrompts().Error(kErrImportText);
    return std::nullopt;
  }
  std::string text = *data;
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  if (!ValidUtf8(text)) text = Cp437ToUtf8(text);
  return SplitLines(text);
}

std::optional<std::string> TEditSession::DroppedFileName(const std::vector<std::string>& names,
                                                         const std::string& firstArgument) {
  if (names.empty()) return std::nullopt;
  if (!firstArgument.empty() && names.front() == firstArgument) return std::nullopt;
  std::error_code ec;
  std::string name = names.front();
  if (!fs::is_regular_file(name, ec)) {
    name.clear();
    for (size_t i = 0; i < names.size(); ++i) name += (i ? " " : "") + names[i];
  }
  if (!fs::is_regular_file(name, ec)) return std::nullopt;
  return name;
}

// ---------------------------------------------------------------- posting

TComposedMessage TEditSession::Encode(const TEditFields& fields, std::string* replaced) {
  TComposedMessage m;
  m.To = EncodeText(fields.To, replaced);
  m.CC = EncodeText(fields.CC, replaced);
  m.Subject = EncodeText(fields.Subject, replaced);
  m.Text.reserve(fields.Lines.size());
  for (const auto& l : fields.Lines) m.Text.push_back(EncodeText(l, replaced));
  return m;
}

std::string TEditSession::ReplacementQuestion(const std::string& replaced) {
  std::string list;
  size_t pos = 0;
  while (pos < replaced.size()) {
    size_t start = pos;
    DecodeUtf8(replaced, pos);
    if (!list.empty()) list += "  ";
    list += replaced.substr(start, pos - start);
  }
  return "The message holds characters that its code page cannot hold. They will be sent as \"?\":\r\n\r\n" +
         list + "\r\n\r\nDo you wish to send the message anyway? (No takes you back to the message.)";
}

bool TEditSession::Validate(const TEditFields& fields) const {
  TComposedMessage m = Encode(fields);
  uint32_t flags = QWKMsg2_.AreaFlags();
  const char* error = nullptr;
  if (Trim(m.To).empty()) {
    error = kErrNoRecipient;
  } else if (Trim(m.Subject).empty()) {
    error = kErrNoSubject;
  } else if (flags & afR) {
    error = kErrReadOnlyConference;
  } else if ((flags & afZ) && Contains(AnsiUpperCase(m.Subject), "RE:")) {
    error = kErrNoReplies;
  }
  if (!error) return true;
  GetPrompts().Information(error);
  return false;
}

bool TEditSession::Post(const TEditFields& fields) {
  HeaderRefresh();
  if (!Validate(fields)) return false;
  UpdateSenderLine(fields.To);
  std::string replaced;
  TComposedMessage message = Encode(fields, &replaced);
  if (!replaced.empty() && !GetPrompts().ConfirmYesNo(ReplacementQuestion(replaced))) return false;
  TMimeCompose composer;
  composer.SetMimeCTRL(&TesselMime1_);
  composer.SetMessage(&QWKMsg2_);
  composer.SetUseMime(options_.UseMime);
  composer.SetPacketFolder(packetFolder_);
  composer.OnFormatting = OnFormatting;
  composer.SaveToOutBox = [this, &message](const std::vector<std::string>& text) {
    TComposedMessage part = message;
    part.Text = text;
    return SaveToOutBox(part);
  };
  auto written = composer.PostMessages(message.Text, attachments_);
  if (!written) return false;
  posted_ = *written;
  messageBoundary_ = composer.MessageBoundary();
  if (!editSource_.empty() && keepEditSource_) {
    GetPrompts().Information("The message you edited carries attached files; its first version stays in the Out Box.");
  } else if (!editSource_.empty()) {
    std::error_code ec;
    bool rewritten = std::any_of(posted_.begin(), posted_.end(), [this](const std::string& p) {
      std::error_code eq;
      return fs::equivalent(p, editSource_, eq);
    });
    if (fs::exists(editSource_, ec) && !rewritten) {
      fs::remove(editSource_, ec);
      if (ec) GetPrompts().Error("Could not delete " + editSource_);
    }
    editSource_.clear();
  }
  return true;
}

int TEditSession::OutBoxCount() const {
  int count = 0;
  std::error_code ec;
  for (fs::directory_iterator it(outBoxFolder_, ec), end; !ec && it != end; it.increment(ec)) {
    if (!IsBoxFile(*it)) continue;
    std::error_code eq;
    if (!editSource_.empty() && fs::equivalent(it->path(), editSource_, eq)) continue;
    ++count;
  }
  return count;
}

std::optional<std::string> TEditSession::SaveToOutBox(const TComposedMessage& message) {
  if (outBoxFolder_.empty() || !ForceDirectories(outBoxFolder_, GetPrompts())) {
    if (outBoxFolder_.empty()) GetPrompts().Error("There is no Out Box to put the message in.");
    return std::nullopt;
  }
  std::string folder = IncludeTrailingBackslash(outBoxFolder_);
  QWKMsg2_.Text() = message.Text;
  QWKMsg2_.EstimateBlocks();
  QWKMsg2_.SetSubject(message.Subject);
  QWKMsg2_.SetMsgTo(message.To);
  QWKMsg2_.SetCarbonCopies(message.CC);
  QWKMsg2_.SetNumber(std::to_string(OutBoxCount() + 1));
  std::time_t now = Now();
  QWKMsg2_.SetPostDate(QWKDateText(now));
  QWKMsg2_.SetPostTime(QWKTimeText(now));
  HeaderRefresh();
  std::string path = folder + RandomBoxFileName(folder);
  if (!QWKMsg2_.SaveToFile(path)) return std::nullopt;
  return path;
}

// ---------------------------------------------------------------- starting

namespace {
unsigned SourceConference(const TQWKMsg& m) { return m.ConferenceLow() + 256u * m.ConferenceHigh(); }
}  // namespace

TEditSession::TEditStart TEditSession::PrepareReply() {
  TEditStart start;
  start.Conference = SourceConference(QWKMsg2_);
  start.To = DecodeToUtf8(LongerText(QWKMsg2_.LongFrom(), QWKMsg2_.MsgFROM()), QWKMsg2_.Charset());
  std::string number = Trim(QWKMsg2_.Number());
  QWKMsg2_.SetReferNum(number.empty() ? std::string("0") : number);
  QWKMsg2_.SetMsgFROM(NormalizeNameCase(userName_));
  start.Subject = DecodeToUtf8(ReplySubject(LongerText(QWKMsg2_.LongSubject(), QWKMsg2_.Subject())), QWKMsg2_.Charset());
  return start;
}

TEditSession::TEditStart TEditSession::PrepareForward() {
  TEditStart start;
  start.Conference = SourceConference(QWKMsg2_);
  QWKMsg2_.SetReferNum("0");
  QWKMsg2_.SetMsgFROM(NormalizeNameCase(userName_));
  start.Subject = DecodeToUtf8(LongerText(QWKMsg2_.LongSubject(), QWKMsg2_.Subject()), QWKMsg2_.Charset());
  return start;
}

TEditSession::TEditStart TEditSession::PrepareOutBoxEdit(const std::string& path) {
  TEditStart start;
  start.Conference = SourceConference(QWKMsg2_);
  start.To = DecodeToUtf8(LongerText(QWKMsg2_.LongTo(), QWKMsg2_.MsgTo()), QWKMsg2_.Charset());
  start.CC = DecodeToUtf8(QWKMsg2_.CarbonCopies(), QWKMsg2_.Charset());
  start.Subject = DecodeToUtf8(LongerText(QWKMsg2_.LongSubject(), QWKMsg2_.Subject()), QWKMsg2_.Charset());
  editSource_ = path;
  // The attachments come back into the list; only when that fails does the
  // first version stay in the Out Box beside the edited one.
  keepEditSource_ = TesselMime1_.AttachmentFound() && !TakeBackAttachments(path);
  TakeTaglineFromText();
  return start;
}

bool TEditSession::TakeBackAttachments(const std::string& boxFile) {
  const std::vector<std::string> names = TesselMime1_.FileNames();
  if (names.empty() || workFolder_.empty()) return false;
  auto folder = CreateUniqueFolder(workFolder_);
  if (!folder) return false;
  const std::string base = IncludeTrailingBackslash(*folder);
  std::vector<std::string> taken;
  bool ok = true;
  for (size_t i = 0; ok && i < names.size(); ++i) {
    // Each in a folder of its own: names may repeat, and never name a path.
    std::string name = ExtractFileName(names[i]);
    if (name.empty() || name == "." || name == "..") name = "attachment" + std::to_string(i + 1);
    std::string dir = base + std::to_string(i + 1) + "/";
    std::string body = base + "MimeText.tmp";
    std::string target = dir + name;
    std::error_code ec;
    ok = ForceDirectories(dir) && QWKMsg2_.ExportBodyFromFile(boxFile, body) && TesselMime1_.ExtractFile(body, target, names[i]) &&
         fs::is_regular_file(target, ec);
    fs::remove(body, ec);
    if (ok) taken.push_back(target);
  }
  if (!ok) {
    std::error_code ec;
    fs::remove_all(*folder, ec);
    return false;
  }
  attachments_.insert(attachments_.end(), taken.begin(), taken.end());
  return true;
}

// ---------------------------------------------------------------- quoting

std::optional<std::vector<std::string>> TEditSession::QuoteMessage() {
  return korrin::QuoteMessage(QWKMsg2_, workFolder_, &quoteInitials_);
}

}  // namespace korrin
