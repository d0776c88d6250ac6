#include "support/packet_generator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

namespace fs = std::filesystem;

namespace korrin::test {

uint64_t TGeneratorRandom::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

int TGeneratorRandom::Below(int n) { return n < 1 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }

int TGeneratorRandom::Between(int lo, int hi) { return hi <= lo ? lo : lo + Below(hi - lo + 1); }

namespace {

const char* const kWords[] = {
    "the",     "modem",   "board",    "message", "reply",   "door",    "packet", "upload",  "download", "file",
    "sysop",   "baud",    "node",     "echo",    "network", "thanks",  "for",    "and",     "with",     "about",
    "question", "answer", "software", "version", "problem", "works",   "again",  "today",   "tomorrow", "call",
    "line",    "busy",    "offline",  "reader",  "mail",    "news",    "friend", "weekend", "computer", "disk",
    "archive", "compress", "quick",   "slow",    "really",  "think",   "maybe",  "never",   "always",   "probably"};
const char* const kFirst[] = {"JOHN", "MARY", "PETER", "SUSAN", "DAVID", "LINDA", "MIKE", "KAREN", "TOM", "ANNA"};
const char* const kLast[] = {"SMITH", "JONES", "MILLER", "DAVIS", "GARCIA", "WILSON", "MOORE", "TAYLOR", "CLARK"};
const char* const kSubjects[] = {"Hello all",        "Modem settings",  "New files online", "Door problems",
                                 "Weekend meeting",  "Question",        "For sale",         "Help needed",
                                 "Upload ratios",    "Tagline contest", "Network news",     "Software update"};
const char* const kTaglines[] = {"Offline readers do it without the phone bill.",
                                 "If at first you don't succeed, redial.", "A clean desk is a sign of a full disk.",
                                 "Error: keyboard not found. Press F1 to continue."};
const char* const kConferenceNames[] = {"General Chat",  "Programming",        "[Internet] comp.lang.c",
                                        "Hardware",      "[Internet] alt.bbs", "For Sale",
                                        "[Fido] Sysops", "[Fido] Modems",      "Games",
                                        "Announcements", "Off Topic",          "[Internet] comp.os.msdos"};

template <size_t N>
const char* Pick(TGeneratorRandom& rnd, const char* const (&pool)[N]) {
  return pool[rnd.Below(static_cast<int>(N))];
}

std::string Name(TGeneratorRandom& rnd) { return std::string(Pick(rnd, kFirst)) + " " + Pick(rnd, kLast); }

std::string Date(TGeneratorRandom& rnd) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%02d", rnd.Between(1, 12), rnd.Between(1, 28), rnd.Between(90, 99));
  return buf;
}

std::string Time(TGeneratorRandom& rnd) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d:%02d", rnd.Below(24), rnd.Below(60));
  return buf;
}

// Words wrapped into lines of at most 72 characters, until about `bytes` long.
void AppendProse(TGeneratorRandom& rnd, std::string& body, size_t bytes) {
  size_t end = body.size() + bytes;
  std::string line;
  bool quote = rnd.Percent(20);
  while (body.size() + line.size() < end) {
    std::string word = Pick(rnd, kWords);
    if (line.empty() && quote) line = "> ";
    if (line.size() + word.size() + 1 > 72) {
      body += line + "\n";
      line.clear();
      if (rnd.Percent(15)) body += "\n";
      quote = rnd.Percent(10);
      continue;
    }
    if (!line.empty() && line != "> ") line += ' ';
    line += word;
    if (rnd.Percent(8)) line += '.';
  }
  if (!line.empty()) body += line + "\n";
}

void AppendRandomBytes(TGeneratorRandom& rnd, std::string& out, size_t n) {
  for (size_t i = 0; i < n; ++i) out.push_back(static_cast<char>(rnd.Below(256)));
}

std::string Uuencode(const std::string& name, const std::string& data) {
  auto enc = [](int v) { return static_cast<char>(v ? (v & 0x3F) + 0x20 : '`'); };
  std::string out = "begin 644 " + name + "\n";
  for (size_t i = 0; i < data.size(); i += 45) {
    size_t n = std::min<size_t>(45, data.size() - i);
    out.push_back(enc(static_cast<int>(n)));
    for (size_t j = 0; j < n; j += 3) {
      unsigned char a = static_cast<unsigned char>(data[i + j]);
      unsigned char b = j + 1 < n ? static_cast<unsigned char>(data[i + j + 1]) : 0;
      unsigned char c = j + 2 < n ? static_cast<unsigned char>(data[i + j + 2]) : 0;
      out.push_back(enc(a >> 2));
      out.push_back(enc(((a << 4) | (b >> 4)) & 0x3F));
      out.push_back(enc(((b << 2) | (c >> 6)) & 0x3F));
      out.push_back(enc(c & 0x3F));
    }
    out.push_back('\n');
  }
  out += "`\nend\n";
  return out;
}

std::string Base64Lines(const std::string& data) {
  static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out, line;
  for (size_t i = 0; i < data.size(); i += 3) {
    uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << 16;
    if (i + 1 < data.size()) v |= static_cast<uint32_t>(static_cast<unsigned char>(data[i + 1])) << 8;
    if (i + 2 < data.size()) v |= static_cast<unsigned char>(data[i + 2]);
    line.push_back(kAlphabet[(v >> 18) & 0x3F]);
    line.push_back(kAlphabet[(v >> 12) & 0x3F]);
    line.push_back(i + 1 < data.size() ? kAlphabet[(v >> 6) & 0x3F] : '=');
    line.push_back(i + 2 < data.size() ? kAlphabet[v & 0x3F] : '=');
    if (line.size() >= 76) {
      out += line + "\n";
      line.clear();
    }
  }
  if (!line.empty()) out += line + "\n";
  return out;
}

std::vector<int> ConferenceNumbers(TGeneratorRandom& rnd, int count) {
  std::vector<int> numbers;
  int next = 0;
  for (int i = 0; i < count; ++i) {
    numbers.push_back(next);
    // Every fifth step jumps far, so larger packets also hold conferences above 255.
    next += (i % 5 == 4) ? rnd.Between(200, 900) : rnd.Between(1, 12);
  }
  return numbers;
}

std::string Body(TGeneratorRandom& rnd, const TGeneratorOptions& o, const std::string& to, const std::string& from,
                 int serial, bool& attached) {
  std::string body;
  size_t target = static_cast<size_t>(rnd.Between(std::max(0, o.minBody), std::max(o.minBody, o.maxBody)));
  if (o.kludges) {
    // Long names travel in extended header lines; kludges follow.
    if (to.size() > 25) body += "To: " + to + "\n";
    if (from.size() > 25) body += "From: " + from + "\n";
    if (to.size() > 25 || from.size() > 25) body += "\n";
    if (rnd.Percent(30)) {
      char id[64];
      std::snprintf(id, sizeof id, "\x01MSGID: 1:%d/%d %08x\n", rnd.Between(100, 999), rnd.Between(1, 99),
                    static_cast<unsigned>(rnd.Next()));
      body += id;
      body += "\x01PID: Korrin-Gen 1.0\n";
    }
  }
  attached = false;
  bool mime = rnd.Percent(o.mimePercent);
  bool uu = !mime && rnd.Percent(o.uuencodePercent);
  std::string boundary = "=_korrin_" + std::to_string(serial);
  if (mime) {
    body += "Mime-Version: 1.0\n";
    body += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\n\n";
    body += "--" + boundary + "\nContent-Type: text/plain; charset=us-ascii\n\n";
  }
  AppendProse(rnd, body, target > body.size() ? target - body.size() : 0);
  if (mime || uu) {
    std::string data;
    AppendRandomBytes(rnd, data, static_cast<size_t>(rnd.Between(100, 2000)));
    std::string name = "file" + std::to_string(serial) + ".bin";
    if (mime) {
      body += "\n--" + boundary + "\nContent-Type: application/octet-stream; name=\"" + name + "\"\n";
      body += "Content-Transfer-Encoding: base64\nContent-Disposition: attachment; filename=\"" + name + "\"\n\n";
      body += Base64Lines(data);
      body += "--" + boundary + "--\n";
    } else {
      body += "\n" + Uuencode(name, data);
    }
    attached = true;
  }
  if (rnd.Percent(40)) body += "\n \xFE " + std::string(Pick(rnd, kTaglines)) + "\n";
  if (rnd.Percent(50)) body += "--- Generated 1.0\n";
  return body;
}

}  // namespace

TGeneratedPacket GeneratePacket(const TGeneratorOptions& o, const std::string& folder) {
  TGeneratorRandom rnd(o.seed);
  TGeneratedPacket result;
  result.folder = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  fs::create_directories(result.folder);

  int confCount = std::max(1, o.conferences);
  result.conferenceNumbers = ConferenceNumbers(rnd, confCount);
  result.messageCounts.assign(static_cast<size_t>(confCount), 0);

  TPacketBuilder b;
  b.BBS(o.bbsName, o.bbsId).User(o.userName).PacketDate("03-15-1999", "21:30:05").NameCase(o.nameCase);
  b.ControlLine(10, std::to_string(o.messages));
  for (int i = 0; i < confCount; ++i) {
    const char* name = kConferenceNames[static_cast<size_t>(i) % (sizeof kConferenceNames / sizeof *kConferenceNames)];
    b.Conference(result.conferenceNumbers[static_cast<size_t>(i)], name, true);
  }
  // A conference the user does not follow: listed, without index file.
  b.Conference(result.conferenceNumbers.back() + 1, "Not Selected", false);

  // messages.dat is streamed; the index records are collected per conference.
  std::string messagesPath = result.folder + b.NameOnDisk("messages.dat");
  std::ofstream out(messagesPath, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + messagesPath);
  std::vector<char> buffer(1 << 20);
  out.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  std::string leading(128, ' ');
  std::string producer = "Produced by the Korrin packet generator";
  leading.replace(0, producer.size(), producer);
  out.write(leading.data(), 128);
  int64_t block = 2;
  std::map<int, std::string> indexes;
  std::string personal;
  std::vector<std::string> attachedNames;

  for (int m = 0; m < o.messages; ++m) {
    int ci = rnd.Below(confCount);
    int conf = result.conferenceNumbers[static_cast<size_t>(ci)];
    TPacketMessage msg;
    bool toUser = rnd.Percent(5);
    msg.to = toUser ? o.userName : (rnd.Percent(30) ? "ALL" : Name(rnd));
    msg.from = Name(rnd);
    if (o.kludges && rnd.Percent(3)) msg.from = "someone.with.a.long.address@example.org";
    msg.subject = (rnd.Percent(40) ? "Re: " : "") + std::string(Pick(rnd, kSubjects));
    msg.date = Date(rnd);
    msg.time = Time(rnd);
    msg.number = std::to_string(1000 + m);
    msg.refer = rnd.Percent(40) ? std::to_string(1000 + rnd.Below(m + 1)) : "0";
    bool priv = toUser && rnd.Percent(50);
    msg.status = priv ? '+' : (rnd.Percent(10) ? '-' : ' ');
    bool attached = false;
    msg.body = Body(rnd, o, msg.to, msg.from, m, attached);
    if (attached) attachedNames.push_back("file" + std::to_string(m) + ".bin");
    std::string bytes = EncodeMessageBytes(msg, conf);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::string rec = IndexRecord(block, conf);
    indexes[conf] += rec;
    if (toUser && o.personal) {
      personal += rec;
      ++result.personalCount;
    }
    ++result.messageCounts[static_cast<size_t>(ci)];
    block += static_cast<int64_t>(bytes.size() / 128);
  }
  out.close();
  if (!out) throw std::runtime_error("cannot write " + messagesPath);
  result.messagesBytes = static_cast<int64_t>((block - 1) * 128);

  b.NoMessagesFile();
  for (int conf : result.conferenceNumbers) {
    b.IndexBytes(conf, indexes[conf]);
    result.indexFiles.push_back(b.NameOnDisk(TPacketBuilder::IndexName(conf)));
  }
  if (o.personal && result.personalCount > 0) b.AppendPersonalBytes(personal);

  if (o.door)
    b.DoorId({"DOOR = OLMS", "VERSION = 3.1", "SYSTEM = Generated BBS System 2.0", "CONTROLNAME = QMAIL",
              "CONTROLTYPE = ADD", "CONTROLTYPE = DROP", "CONTROLTYPE = RESET", "CONTROLTYPE = MAXKEYWORDS 20",
              "CONTROLTYPE = MAXFILTERS 20", "CONTROLTYPE = MAXTWITS 15", "CONTROLTYPE = MAXREQUESTS 5",
              "CONTROLTYPE = ALLOWREQUEST", "CONTROLTYPE = ALLOWATTACH", "RECEIPT"});
  if (o.extensions) {
    std::vector<std::string> toReader;
    const char* flagSets[] = {"aFBP", "pgw", "kfO", "XRZ", "aLNE", "IUH", "A&"};
    for (size_t i = 0; i < result.conferenceNumbers.size(); ++i)
      toReader.push_back("AREA " + std::to_string(result.conferenceNumbers[i]) + " " + flagSets[i % 7]);
    toReader.insert(toReader.end(), {"KEYWORD MODEM", "KEYWORD OFFLINE", "FILTER SPAM", "TWIT ANNOYING PERSON"});
    for (const auto& n : attachedNames) toReader.push_back("ATTACH " + n + " " + n);
    toReader.push_back("FILE newfiles.dat");
    b.ToReader(toReader);
    b.ToDoor({"KEYWORD READER", "FILTER -SPAM"});
    std::vector<std::string> attachedList;
    for (size_t i = 0; i < attachedNames.size(); ++i)
      attachedList.push_back(std::to_string(i + 1) + "," + std::to_string(1000 + i) + "," + attachedNames[i]);
    if (!attachedList.empty()) b.AttachedList(attachedList);
  }
  if (o.newFiles) {
    std::vector<std::string> lines;
    const char* exts[] = {"ZIP", "ARJ", "TXT", "EXE", "LZH"};
    int files = std::max(5, o.messages / 50);
    for (int i = 0; i < files && i < 2000; ++i) {
      char line[160];
      std::string name = "FILE" + std::to_string(i) + "." + exts[rnd.Below(5)];
      std::snprintf(line, sizeof line, "%-12s %9d %s  %s", name.c_str(), rnd.Between(100, 3000000), Date(rnd).c_str(),
                    Pick(rnd, kSubjects));
      lines.push_back(line);
      if (rnd.Percent(30)) lines.push_back(std::string(32, ' ') + "| continued description line");
    }
    b.NewFiles(lines);
  }
  b.WriteTo(result.folder);
  return result;
}

}  // namespace korrin::test
