#include "support/packet_builder.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>

namespace fs = std::filesystem;

namespace korrin::test {

namespace {

std::string Upper(std::string s) {
  for (auto& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

void PutField(std::string& block, size_t offset, size_t width, const std::string& text) {
  for (size_t i = 0; i < width; ++i) block[offset + i] = i < text.size() ? text[i] : ' ';
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("packet builder could not write " + path);
}

std::string MessageBody(const TPacketMessage& m) {
  if (m.rawBody) return *m.rawBody;
  std::string out;
  if (m.body.empty()) return out;
  size_t start = 0;
  while (start < m.body.size()) {
    size_t nl = m.body.find('\n', start);
    if (nl == std::string::npos) nl = m.body.size();
    out.append(m.body, start, nl - start);
    out.push_back('\xE3');
    start = nl + 1;
  }
  return out;
}

int64_t BodyBlocks(const TPacketMessage& m) {
  size_t n = MessageBody(m).size();
  return static_cast<int64_t>((n + 127) / 128);
}

}  // namespace

std::string ApplyNameCase(const std::string& name, TNameCase nameCase) {
  switch (nameCase) {
    case TNameCase::ncLower: return name;
    case TNameCase::ncUpper: return Upper(name);
    case TNameCase::ncMixed: {
      std::string s = name;
      if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 32);
      return s;
    }
  }
  return name;
}

std::array<unsigned char, 4> BasicBytes(int64_t value) {
  std::array<unsigned char, 4> out{0, 0, 0, 0};
  if (value == 0) return out;
  bool negative = value < 0;
  uint64_t v = static_cast<uint64_t>(negative ? -value : value);
  if (v < (1u << 24)) {
    // Whole numbers: the exponent is 128 + the bit length; the bits below
    // the leading one form the fraction, left-aligned in 23 bits.
    int bits = 0;
    while ((v >> bits) != 0) ++bits;
    uint32_t fraction = static_cast<uint32_t>((v << (24 - bits)) & 0x7FFFFF);
    out[0] = static_cast<unsigned char>(fraction & 0xFF);
    out[1] = static_cast<unsigned char>((fraction >> 8) & 0xFF);
    out[2] = static_cast<unsigned char>(((fraction >> 16) & 0x7F) | (negative ? 0x80 : 0));
    out[3] = static_cast<unsigned char>(128 + bits);
    return out;
  }
  // Larger numbers lose their lowest bits (cut, not rounded: test data only).
  int bits = 0;
  while ((v >> bits) != 0) ++bits;
  uint32_t fraction = static_cast<uint32_t>((v >> (bits - 24)) & 0x7FFFFF);
  out[0] = static_cast<unsigned char>(fraction & 0xFF);
  out[1] = static_cast<unsigned char>((fraction >> 8) & 0xFF);
  out[2] = static_cast<unsigned char>(((fraction >> 16) & 0x7F) | (negative ? 0x80 : 0));
  out[3] = static_cast<unsigned char>(128 + bits);
  return out;
}

namespace {
std::array<unsigned char, 4> BasicBytesOfDouble(double value) {
  if (std::floor(value) == value && std::fabs(value) < 16777216.0) return BasicBytes(static_cast<int64_t>(value));
  std::array<unsigned char, 4> out{0, 0, 0, 0};
  if (value == 0 || !std::isfinite(value)) return out;
  bool negative = value < 0;
  double a = std::fabs(value);
  int e = 0;
  while (a >= 2.0) a /= 2.0, ++e;
  while (a < 1.0) a *= 2.0, --e;
  uint32_t fraction = static_cast<uint32_t>((a - 1.0) * 8388608.0) & 0x7FFFFF;
  int exponent = e + 129;
  if (exponent < 1 || exponent > 255) return out;
  out[0] = static_cast<unsigned char>(fraction & 0xFF);
  out[1] = static_cast<unsigned char>((fraction >> 8) & 0xFF);
  out[2] = static_cast<unsigned char>(((fraction >> 16) & 0x7F) | (negative ? 0x80 : 0));
  out[3] = static_cast<unsigned char>(exponent);
  return out;
}
}  // namespace

std::string IndexRecordRaw(const std::array<unsigned char, 4>& number, unsigned char conferenceByte) {
  std::string rec(reinterpret_cast<const char*>(number.data()), 4);
  rec.push_back(static_cast<char>(conferenceByte));
  return rec;
}

std::string IndexRecord(int64_t block, int conference) {
  return IndexRecordRaw(BasicBytes(block), static_cast<unsigned char>(conference & 0xFF));
}

std::string EncodeMessageBytes(const TPacketMessage& m, int conference) {
  std::string header(128, ' ');
  int conf = m.conference.value_or(conference);
  header[0] = m.status;
  PutField(header, 1, 7, m.number);
  PutField(header, 8, 8, m.date);
  PutField(header, 16, 5, m.time);
  PutField(header, 21, 25, m.to);
  PutField(header, 46, 25, m.from);
  PutField(header, 71, 25, m.subject);
  PutField(header, 96, 12, m.password);
  PutField(header, 108, 8, m.refer);
  std::string body = MessageBody(m);
  int64_t blocks = 1 + BodyBlocks(m);
  PutField(header, 116, 6, m.blockField ? *m.blockField : std::to_string(blocks));
  header[122] = static_cast<char>(m.killed ? 0xE2 : 0xE1);
  header[123] = static_cast<char>(conf & 0xFF);
  header[124] = static_cast<char>((conf >> 8) & 0xFF);
  header[125] = m.readMark ? 'R' : ' ';
  header[126] = ' ';
  header[127] = ' ';
  body.append(static_cast<size_t>(BodyBlocks(m)) * 128 - body.size(), m.padding);
  return header + body;
}

std::string WriteBoxFile(const std::string& folder, const TPacketMessage& message, int conference,
                         const std::string& name) {
  static int counter = 0;
  std::string file = name;
  if (file.empty()) {
    int n = ++counter;
    file = "t";
    for (int i = 0; i < 7; ++i, n /= 10) file.push_back(static_cast<char>('0' + n % 10));
    file += ".qms";
  }
  fs::create_directories(folder);
  std::string path = (fs::path(folder) / file).string();
  WriteBytes(path, EncodeMessageBytes(message, conference));
  return path;
}

std::string ReplyFileBytes(const std::string& bbsid, const std::vector<std::pair<TPacketMessage, int>>& messages) {
  std::string out(128, ' ');
  PutField(out, 0, 128, bbsid);
  for (const auto& [m, conf] : messages) out += EncodeMessageBytes(m, conf);
  return out;
}

TPacketBuilder::TPacketBuilder() = default;

TPacketBuilder& TPacketBuilder::BBS(std::string name, std::string id) {
  bbsName_ = std::move(name);
  bbsId_ = std::move(id);
  return *this;
}
TPacketBuilder& TPacketBuilder::User(std::string name) {
  user_ = std::move(name);
  return *this;
}
TPacketBuilder& TPacketBuilder::PacketDate(std::string date, std::string time) {
  date_ = std::move(date);
  time_ = std::move(time);
  return *this;
}
TPacketBuilder& TPacketBuilder::Conference(int number, std::string name, bool withIndex) {
  conferences_.push_back({std::to_string(number), std::move(name), number, withIndex});
  return *this;
}
TPacketBuilder& TPacketBuilder::ConferenceLines(std::string numberLine, std::string nameLine) {
  conferences_.push_back({std::move(numberLine), std::move(nameLine), -1, false});
  return *this;
}
TPacketBuilder& TPacketBuilder::ControlLine(int n, std::string text) {
  controlLines_[n] = std::move(text);
  return *this;
}
TPacketBuilder& TPacketBuilder::ControlTrailer(std::vector<std::string> lines) {
  trailer_ = std::move(lines);
  return *this;
}
TPacketBuilder& TPacketBuilder::ControlRaw(std::string bytes) {
  controlRaw_ = std::move(bytes);
  return *this;
}
TPacketBuilder& TPacketBuilder::NoControlFile() {
  noControl_ = true;
  return *this;
}
TPacketBuilder& TPacketBuilder::LineEnd(std::string lineEnd) {
  lineEnd_ = std::move(lineEnd);
  return *this;
}
TPacketBuilder& TPacketBuilder::FinalLineEnd(bool on) {
  finalLineEnd_ = on;
  return *this;
}
TPacketBuilder& TPacketBuilder::Message(int conference, TPacketMessage message) {
  messages_.push_back({conference, std::move(message)});
  return *this;
}
TPacketBuilder& TPacketBuilder::LeadingBlock(std::string text) {
  leading_ = std::move(text);
  return *this;
}
TPacketBuilder& TPacketBuilder::AppendIndexBytes(int conference, std::string bytes) {
  indexAppend_[conference] += bytes;
  return *this;
}
TPacketBuilder& TPacketBuilder::IndexBytes(int conference, std::string bytes) {
  indexRaw_[conference] = std::move(bytes);
  return *this;
}
TPacketBuilder& TPacketBuilder::PersonalIndex(bool on) {
  personal_ = on;
  return *this;
}
TPacketBuilder& TPacketBuilder::AppendPersonalBytes(std::string bytes) {
  personal_ = true;
  personalAppend_ += bytes;
  return *this;
}
TPacketBuilder& TPacketBuilder::TruncateMessages(size_t bytes) {
  truncate_ = bytes;
  return *this;
}
TPacketBuilder& TPacketBuilder::MessagesRaw(std::string bytes) {
  messagesRaw_ = std::move(bytes);
  return *this;
}
TPacketBuilder& TPacketBuilder::NoMessagesFile() {
  noMessages_ = true;
  return *this;
}
TPacketBuilder& TPacketBuilder::DoorId(std::vector<std::string> lines) {
  textFiles_["door.id"] = std::move(lines);
  return *this;
}
TPacketBuilder& TPacketBuilder::ToReader(std::vector<std::string> lines) {
  textFiles_["toreader.ext"] = std::move(lines);
  return *this;
}
TPacketBuilder& TPacketBuilder::ToDoor(std::vector<std::string> lines) {
  textFiles_["todoor.ext"] = std::move(lines);
  return *this;
}
TPacketBuilder& TPacketBuilder::AttachedList(std::vector<std::string> lines) {
  textFiles_["attached.lst"] = std::move(lines);
  return *this;
}
TPacketBuilder& TPacketBuilder::NewFiles(std::vector<std::string> lines) {
  textFiles_["newfiles.dat"] = std::move(lines);
  return *this;
}
TPacketBuilder& TPacketBuilder::File(std::string name, std::string bytes) {
  rawFiles_[std::move(name)] = std::move(bytes);
  return *this;
}
TPacketBuilder& TPacketBuilder::NameCase(TNameCase nameCase) {
  nameCase_ = nameCase;
  return *this;
}
TPacketBuilder& TPacketBuilder::FileName(const std::string& lowerName, std::string nameOnDisk) {
  names_[lowerName] = std::move(nameOnDisk);
  return *this;
}

std::string TPacketBuilder::IndexName(int conference) {
  std::string n = std::to_string(conference);
  if (n.size() < 3) n.insert(0, 3 - n.size(), '0');
  return n + ".ndx";
}

std::string TPacketBuilder::NameOnDisk(const std::string& lowerName) const {
  auto it = names_.find(lowerName);
  return it != names_.end() ? it->second : ApplyNameCase(lowerName, nameCase_);
}

std::string TPacketBuilder::TextFile(const std::vector<std::string>& lines) const {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    if (i + 1 < lines.size() || finalLineEnd_) out += lineEnd_;
  }
  return out;
}

std::string TPacketBuilder::ControlDat() const {
  if (controlRaw_) return *controlRaw_;
  std::vector<std::string> lines = {bbsName_,
                                    "SPRINGFIELD, USA",
                                    "555-0100",
                                    "SYSOP NAME, Sysop",
                                    "00000," + bbsId_,
                                    date_ + "," + time_,
                                    user_,
                                    "",
                                    "0",
                                    std::to_string(messages_.size()),
                                    std::to_string(static_cast<int>(conferences_.size()) - 1)};
  for (const auto& [n, text] : controlLines_)
    if (n >= 1 && n <= static_cast<int>(lines.size())) lines[static_cast<size_t>(n - 1)] = text;
  for (const auto& c : conferences_) {
    lines.push_back(c.numberLine);
    lines.push_back(c.nameLine);
  }
  for (const auto& t : trailer_) lines.push_back(t);
  return TextFile(lines);
}

std::vector<int64_t> TPacketBuilder::Layout() const {
  std::vector<int64_t> blocks;
  int64_t next = 2;
  for (const auto& s : messages_) {
    blocks.push_back(next);
    next += 1 + BodyBlocks(s.message);
  }
  return blocks;
}

std::string TPacketBuilder::MessagesDat() const {
  if (messagesRaw_) return *messagesRaw_;
  std::string out(128, ' ');
  PutField(out, 0, 128, leading_);
  int number = 0;
  for (const auto& s : messages_) {
    TPacketMessage m = s.message;
    ++number;
    if (m.number.empty()) m.number = std::to_string(number);
    out += EncodeMessageBytes(m, s.conference);
  }
  if (truncate_ && *truncate_ < out.size()) out.resize(*truncate_);
  return out;
}

int64_t TPacketBuilder::BlockOf(int conference, size_t i) const {
  auto blocks = Layout();
  size_t seen = 0;
  for (size_t k = 0; k < messages_.size(); ++k)
    if (messages_[k].conference == conference && seen++ == i) return blocks[k];
  return 0;
}

namespace {
std::string RecordFor(const TPacketMessage& m, int64_t block, int conference) {
  std::array<unsigned char, 4> number = m.indexNumber ? *m.indexNumber
                                        : m.indexBlock ? BasicBytesOfDouble(*m.indexBlock)
                                                       : BasicBytes(block);
  unsigned char confByte = m.indexConferenceByte.value_or(static_cast<unsigned char>(conference & 0xFF));
  return IndexRecordRaw(number, confByte);
}
}  // namespace

std::string TPacketBuilder::IndexFile(int conference) const {
  if (auto raw = indexRaw_.find(conference); raw != indexRaw_.end()) return raw->second;
  auto blocks = Layout();
  std::string out;
  for (size_t k = 0; k < messages_.size(); ++k)
    if (messages_[k].conference == conference) out += RecordFor(messages_[k].message, blocks[k], conference);
  if (auto extra = indexAppend_.find(conference); extra != indexAppend_.end()) out += extra->second;
  return out;
}

std::string TPacketBuilder::PersonalNdx() const {
  auto blocks = Layout();
  std::string out;
  for (size_t k = 0; k < messages_.size(); ++k)
    if (messages_[k].message.personal) out += RecordFor(messages_[k].message, blocks[k], messages_[k].conference);
  return out + personalAppend_;
}

std::vector<int> TPacketBuilder::IndexedConferences() const {
  std::set<int> confs;
  for (const auto& c : conferences_)
    if (c.withIndex && c.number >= 0) confs.insert(c.number);
  for (const auto& s : messages_) confs.insert(s.conference);
  for (const auto& [c, _] : indexAppend_) confs.insert(c);
  for (const auto& [c, _] : indexRaw_) confs.insert(c);
  return {confs.begin(), confs.end()};
}

std::string TPacketBuilder::WriteTo(const std::string& folder) const {
  fs::create_directories(folder);
  std::string dir = folder;
  if (dir.back() != '/') dir += '/';
  if (!noControl_) WriteBytes(dir + NameOnDisk("control.dat"), ControlDat());
  if (!noMessages_) WriteBytes(dir + NameOnDisk("messages.dat"), MessagesDat());
  for (int conf : IndexedConferences()) WriteBytes(dir + NameOnDisk(IndexName(conf)), IndexFile(conf));
  bool anyPersonal = personal_;
  for (const auto& s : messages_) anyPersonal = anyPersonal || s.message.personal;
  if (anyPersonal) WriteBytes(dir + NameOnDisk("personal.ndx"), PersonalNdx());
  for (const auto& [name, lines] : textFiles_) WriteBytes(dir + NameOnDisk(name), TextFile(lines));
  for (const auto& [name, bytes] : rawFiles_) WriteBytes(dir + name, bytes);
  return dir;
}

}  // namespace korrin::test
