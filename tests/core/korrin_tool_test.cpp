// korrin-tool: its output against the windows' own classes for the same
// packet, its safety rules, exit codes, and mailboxes read back by Python's
// mailbox module.

#include <sys/stat.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/mail_tree.h"
#include "engine/qwk_msg.h"
#include "engine/to_reader.h"
#include "explorer/mail_commands.h"
#include "engine/mail_list.h"
#include "korrin_tool/json_writer.h"
#include "korrin_tool/mbox_writer.h"
#include "korrin_tool/text_convert.h"
#include "korrin_tool/tool_commands.h"
#include "korrin_tool/tool_packet.h"
#include "platform/codepage.h"
#include "platform/text.h"
#include "reading/ansi_text.h"
#include "reading/msg_view_header.h"
#include "engine/tessel_mime.h"
#include "support/packet_builder.h"
#include "support/packet_generator.h"
#include "support/packet_zip.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;
namespace fs = std::filesystem;

namespace {

// ------------------------------------------------------------ a small JSON reader

struct JValue {
  enum TType { jNull, jBool, jNumber, jString, jArray, jObject } type = jNull;
  bool b = false;
  double n = 0;
  std::string s;
  std::vector<JValue> a;
  std::vector<std::pair<std::string, JValue>> o;

  const JValue& operator[](const std::string& key) const {
    for (const auto& [k, v] : o)
      if (k == key) return v;
    throw std::runtime_error("no key " + key);
  }
  const JValue& operator[](size_t i) const { return a.at(i); }
  bool Has(const std::string& key) const {
    return std::any_of(o.begin(), o.end(), [&](const auto& kv) { return kv.first == key; });
  }
  int Int() const { return static_cast<int>(n); }
  std::vector<std::string> Strings() const {
    std::vector<std::string> out;
    for (const auto& v : a) out.push_back(v.s);
    return out;
  }
};

class JParser {
public:
  explicit JParser(const std::string& text) : t_(text) {}
  JValue Document() {
    JValue v = Value();
    Blanks();
    if (i_ != t_.size()) Fail("text after the document");
    return v;
  }

private:
  [[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("JSON: " + what + " at " + std::to_string(i_));
  }
  void Blanks() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t')) ++i_;
  }
  void Expect(char c) {
    Blanks();
    if (i_ >= t_.size() || t_[i_] != c) Fail(std::string("expected ") + c);
    ++i_;
  }
  JValue Value() {
    Blanks();
    if (i_ >= t_.size()) Fail("end of text");
    JValue v;
    char c = t_[i_];
    if (c == '{') {
      v.type = JValue::jObject;
      ++i_;
      Blanks();
      if (t_[i_] == '}') return ++i_, v;
      while (true) {
        Blanks();
        std::string key = String();
        Expect(':');
        v.o.emplace_back(key, Value());
        Blanks();
        if (t_[i_] == ',') ++i_;
        else return Expect('}'), v;
      }
    }
    if (c == '[') {
      v.type = JValue::jArray;
      ++i_;
      Blanks();
      if (t_[i_] == ']') return ++i_, v;
      while (true) {
        v.a.push_back(Value());
        Blanks();
        if (t_[i_] == ',') ++i_;
        else return Expect(']'), v;
      }
    }
    if (c == '"') {
      v.type = JValue::jString;
      v.s = String();
      return v;
    }
    for (const char* word : {"true", "false", "null"})
      if (t_.compare(i_, std::strlen(word), word) == 0) {
        i_ += std::strlen(word);
        v.type = word[0] == 'n' ? JValue::jNull : JValue::jBool;
        v.b = word[0] == 't';
        return v;
      }
    size_t start = i_;
    while (i_ < t_.size() && (std::isdigit(static_cast<unsigned char>(t_[i_])) || t_[i_] == '-' || t_[i_] == '.')) ++i_;
    if (start == i_) Fail("unexpected character");
    v.type = JValue::jNumber;
    v.n = std::stod(t_.substr(start, i_ - start));
    return v;
  }
  std::string String() {
    if (t_[i_] != '"') Fail("expected a string");
    ++i_;
    std::string out;
    while (true) {
      if (i_ >= t_.size()) Fail("open string");
      unsigned char c = static_cast<unsigned char>(t_[i_++]);
      if (c == '"') return out;
      if (c < 0x20) Fail("control character in a string");
      if (c != '\\') {
        out.push_back(static_cast<char>(c));
        continue;
      }
      char e = t_[i_++];
      switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': AppendUtf8(out, static_cast<char32_t>(std::stoul(t_.substr(i_, 4), nullptr, 16))), i_ += 4; break;
        case '"': case '\\': case '/': out += e; break;
        default: Fail("bad escape");
      }
    }
  }
  const std::string& t_;
  size_t i_ = 0;
};

JValue Json(const std::string& text) { return JParser(text).Document(); }

// ------------------------------------------------------------ running the tool

struct TRun {
  int code;
  std::string out, err;
};

// The commands in this process.
TRun Tool(std::vector<std::string> args) {
  std::ostringstream out, err;
  int code = tool::RunTool(args, out, err);
  return {code, out.str(), err.str()};
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The built program, as a user runs it.
TRun Program(const std::string& args, const std::string& env = "") {
  std::string dir = NewTempDir("run");
  std::string cmd = env + " " + Quote(BinDir() + "korrin-tool") + " " + args + " >" + Quote(dir + "out") + " 2>" +
                    Quote(dir + "err");
  int status = std::system(cmd.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir + "out"), ReadFile(dir + "err")};
}

std::string Zip(const std::string& folder, const std::string& archive) { return ZipFolder(folder, archive); }

std::string CopyOf(const std::string& folder) {
  std::string copy = NewTempDir("copy");
  for (auto& e : fs::directory_iterator(folder)) fs::copy_file(e.path(), copy + e.path().filename().string());
  return copy;
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> out;
  for (auto& e : fs::directory_iterator(folder)) out[e.path().filename().string()] = ReadFile(e.path().string());
  return out;
}

std::string U(const std::string& cp437) { return Cp437ToUtf8(cp437); }

const char* const kMimeBody =
    "Files for you\n"
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"XYZ\"\n"
    "\n"
    "--XYZ\n"
    "Content-Type: text/plain\n"
    "\n"
    "See the two files.\n"
    "--XYZ\n"
    "Content-Type: application/octet-stream; name=\"../../evil.txt\"\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "QUJD\n"
    "\n"
    "--XYZ--\n"
    "\n"
    "begin 644 C:\\DOS\\UP.TXT\n"
    "#86)C\n"
    "`\n"
    "end\n"
    "\n";

// A packet made by hand: two conferences (one in a group), personal mail,
// long header lines, carbon copies, a private, a killed and a read
// message, code page 437 text, kludges and attachments.
TPacketBuilder HandPacket() {
  TPacketBuilder b;
  b.BBS("KORRIN TEST BBS", "TESTBBS").User("JOHN DOE").PacketDate("03-15-1999", "21:30:05");
  b.Conference(5, "General").Conference(12, "[Internet] comp.os").Conference(7, "Nothing here", false);
  b.ToReader({"AREA 5 LEP", "AREA 12 I"});
  b.PersonalIndex();
  b.Message(5, TPacketMessage()
                   .From("JOHN SMITH")
                   .To("ALL")
                   .Subject("Caf\x82 talk")
                   .Date("07-04-97")
                   .Time("14:30")
                   .ReadMark()
                   .Body("Hello \x82t\x82 \x01 \x1b[31m\nFrom the start\n>From quoted\nBye"));
  b.Message(5, TPacketMessage()
                   .Status('+')
                   .To("JOHN DOE")
                   .From("SYSOP")
                   .Subject("Private note")
                   .Date("13-45-99")
                   .Personal()
                   .Body("To: A Very Long Recipient Name Beyond Limits\n"
                         "From: Another Very Long Sender Name Here\n"
                         "Subject: A subject that is much longer than twenty five characters\n"
                         "CC: Bob Jones, Carol King\n"
                         "\n"
                         "Body text"));
  b.Message(5, TPacketMessage().Killed().Subject("Gone").Body("Deleted text"));
  b.Message(12, TPacketMessage().From("bob@example.com").Subject("Files").Refer("1").Body(kMimeBody));
  b.Message(12, TPacketMessage()
                    .From("ANNA")
                    .Subject("=?odd?= subject")
                    .Date("01-02-03")
                    .Time("04:05")
                    .Body("\x01MSGID: 1:2/3 abc\nReal text\n" + std::string(1200, 'x') + "\nFrom me"));
  return b;
}

struct THandPacket {
  TPacketBuilder builder = HandPacket();
  std::string folder, archive;
  THandPacket() {
    folder = builder.WriteTo(NewTempDir("hand"));
    archive = Zip(folder, NewTempDir("zip") + "TESTBBS.QWK");
  }
};

// The message as the windows read it: the record with its codec on a copy of the packet.
struct TWindowMessage {
  TQWKMsg msg;
  TTesselMime mime;
  TToReader toReader;
  TWindowMessage(const std::string& folder, const TConfRec& rec, int position) {
    msg.SetMimeCTRL(&mime);
    msg.SetQWKExtCTRL(&toReader);
    EXPECT_TRUE(msg.LoadFromPacket(folder, position, rec));
  }
};

std::vector<TMailTreeNode*> ConferenceNodes(TMailTree& tree) {
  std::vector<TMailTreeNode*> out;
  for (auto* n : tree.Nodes())
    if (n->Record && n->Record->Kind == TFolderKind::fkConference && !n->Record->IndexFile.empty()) out.push_back(n);
  return out;
}

}  // namespace

// ------------------------------------------------------------ pieces

TEST(KorrinTool, JsonWriterEscapesControlsAndKeepsUtf8) {
  std::ostringstream s;
  tool::TJsonWriter j(s, false);
  j.BeginObject();
  j.Field("text", std::string("a\"b\\c\n\t\x01\x1f\x7f \xc3\xa9 \xe2\x94\x80", 18));
  j.Field("bad", std::string("x\xff\xc3y\xef\xbf\xbd"));
  j.Field("n", -12);
  j.Field("ok", true);
  j.Key("none");
  j.Null();
  j.Key("list");
  j.BeginArray();
  j.BeginArray();
  j.EndArray();
  j.BeginObject();
  j.EndObject();
  j.Int(3);
  j.EndArray();
  j.EndObject();
  EXPECT_TRUE(j.Finish());
  EXPECT_EQ(s.str(),
            "{\"text\":\"a\\\"b\\\\c\\n\\t\\u0001\\u001f\\u007f \xc3\xa9 \xe2\x94\x80\\u0000\","
            "\"bad\":\"x\xef\xbf\xbd\xef\xbf\xbdy\xef\xbf\xbd\",\"n\":-12,\"ok\":true,\"none\":null,"
            "\"list\":[[],{},3]}\n");
  // The pretty form is the same document.
  std::ostringstream p;
  tool::TJsonWriter pretty(p);
  pretty.BeginObject();
  pretty.StringArray("a", {"x", "y"});
  pretty.EndObject();
  pretty.Finish();
  EXPECT_EQ(Json(p.str())["a"].Strings(), (std::vector<std::string>{"x", "y"}));
}

TEST(KorrinTool, MailboxDatesOfTheViewersReading) {
  // The viewer reads a two-digit year within the 50 years around the current one.
  auto d = ParseMsgDateTime("12-05-97", "14:30", TDateOrder::doMDY, 2026);
  ASSERT_TRUE(d);
  EXPECT_EQ(tool::Rfc5322Date(*d), "Fri, 05 Dec 1997 14:30:00 -0000");
  EXPECT_EQ(tool::MboxFromDate(*ParseMsgDateTime("02-29-2000", "09:08:07", TDateOrder::doMDY)),
            "Tue Feb 29 09:08:07 2000");
  EXPECT_EQ(tool::MboxFromDate(*ParseMsgDateTime("01-02-03", "04:05", TDateOrder::doMDY, 2026)),
            "Thu Jan  2 04:05:00 2003");
}

TEST(KorrinTool, BoxesOfTheCoreBecomeWarningsOnceEach) {
  std::ostringstream err;
  {
    tool::TToolPrompts prompts(err);
    EXPECT_EQ(&GetPrompts(), &prompts);
    GetPrompts().Error("Could not read\nfile");
    EXPECT_FALSE(GetPrompts().ConfirmYesNo("Delete it?"));
    EXPECT_FALSE(GetPrompts().ConfirmOkCancel("Copy it?"));
    EXPECT_FALSE(GetPrompts().OpenFile("Open", "*", ""));
    GetPrompts().Error("Could not read\nfile");
    EXPECT_TRUE(err.str().empty());  // nothing before the command has succeeded
    prompts.PrintWarnings();
    prompts.PrintWarnings();
  }
  EXPECT_EQ(err.str(),
            "korrin-tool: warning: Could not read file\nkorrin-tool: warning: Delete it?\n"
            "korrin-tool: warning: Copy it?\n");
  EXPECT_NE(dynamic_cast<TStderrPrompts*>(&GetPrompts()), nullptr);
}

TEST(KorrinTool, MailHeaderPieces) {
  using namespace tool;
  EXPECT_EQ(AddressOf("John Smith", "bbs.invalid"), "john.smith@bbs.invalid");
  EXPECT_EQ(AddressOf("  O'Brien, Pat.  ", "bbs.invalid"), "o.brien.pat@bbs.invalid");
  EXPECT_EQ(AddressOf("\xc3\xa9\xc3\xa9", "bbs.invalid"), "unknown@bbs.invalid");
  EXPECT_EQ(AddressOf("Bob (bob@example.com)", "bbs.invalid"), "bob@example.com");
  EXPECT_EQ(Mailbox("Bob <bob@example.com>", "x"), "Bob <bob@example.com>");
  EXPECT_EQ(Mailbox("bob@example.com", "x"), "bob@example.com");
  EXPECT_EQ(Mailbox("Smith, John", "x"), "\"Smith, John\" <smith.john@x>");
  EXPECT_EQ(Mailbox("Say \"hi\"", "x"), "\"Say \\\"hi\\\"\" <say.hi@x>");
  EXPECT_EQ(EscapeFromLine("From here"), ">From here");
  EXPECT_EQ(EscapeFromLine(">>From here"), ">>>From here");
  EXPECT_EQ(EscapeFromLine(" From here"), " From here");
  EXPECT_EQ(EscapeFromLine("Fromage"), "Fromage");
  EXPECT_EQ(MessageIdText("12 3..x"), "12_3._x");

  // Encoded words stay within 75 characters and never split a character.
  std::string text;
  for (int i = 0; i < 40; ++i) text += "\xe2\x94\x80\xc3\xa9";  // 5 bytes each
  std::string words = EncodedWords(text);
  std::string joined;
  std::istringstream lines(words);
  for (std::string line; std::getline(lines, line);) {
    std::string w = Trim(line);
    ASSERT_LE(w.size(), 75u);
    ASSERT_EQ(w.rfind("=?utf-8?B?", 0), 0u);
    // Each word's bytes end on a character boundary: 45 is no multiple of 5, so the words hold 40 bytes.
    EXPECT_NE(w.find("?="), std::string::npos);
  }
  EXPECT_EQ(std::count(words.begin(), words.end(), '\n'), 4);  // 200 bytes in words of 40

  std::string subject = UnstructuredHeader("Subject", std::string(30, 'a') + " " + std::string(60, 'b') + " c");
  for (std::istringstream in(subject); std::getline(in, text);) EXPECT_LE(text.size(), 78u);
  EXPECT_EQ(UnstructuredHeader("Subject", "plain \x01text"), "Subject: plain  text");
  EXPECT_EQ(UnstructuredHeader("Subject", "=?x?= y").rfind("Subject: =?utf-8?B?", 0), 0u);

  std::string qp = QuotedPrintableLine("From " + std::string(100, '=') + " ");
  EXPECT_EQ(qp.rfind("=46rom ", 0), 0u);
  for (std::istringstream in(qp); std::getline(in, text);) EXPECT_LE(text.size(), 76u);
  EXPECT_EQ(qp.substr(qp.size() - 3), "=20");
  EXPECT_EQ(Base64("ab"), "YWI=");
}

TEST(KorrinTool, TextOutputsOfCodePage437) {
  std::string raw("A\x82\x01\x1b\t\x7f\0z", 8);
  EXPECT_EQ(tool::Cp437Text(raw), Cp437ToUtf8(raw));
  EXPECT_EQ(tool::MailText(raw), Cp437ToUtf8(std::string("A\x82\x01\x1b\t\x7fz")));
  // No control character reaches a terminal: each shows as its picture.
  EXPECT_EQ(tool::TerminalText(raw), "A\xc3\xa9\xe2\x98\xba\xe2\x86\x90\t\xe2\x8c\x82z");
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  std::string shown = tool::TerminalText(all);
  for (unsigned char c : shown) EXPECT_TRUE(c >= 0x20 || c == '\t') << int(c);
  EXPECT_EQ(tool::PadRight("\xc3\xa9", 3), "\xc3\xa9  ");
}

TEST(KorrinTool, MimeProbeMissesNoBodyTheCodecActsOn) {
  EXPECT_TRUE(BodyMayHoldMime("x\xe3mime-Version: 1.0"));
  EXPECT_TRUE(BodyMayHoldMime("CoNtEnT-type: text/plain"));
  EXPECT_TRUE(BodyMayHoldMime("\xe3" "Begin 644 a.txt"));
  EXPECT_FALSE(BodyMayHoldMime("--boundary\xe3name=\"x\"\xe3" "begin 5 x\xe3" "content type"));
  EXPECT_FALSE(BodyMayHoldMime(""));
  EXPECT_FALSE(BodyMayHoldMime("-"));
  // Random bodies made of the codec's words: whenever the probe says no,
  // the codec finds neither MIME nor uuencode.
  const std::vector<std::string> words = {"MIME-Version: 1.0", "mime-version", "Content-Type: image/gif; name=\"a\"",
                                          "content-transfer-encoding: base64", "Content-Description: x", "begin 644 a",
                                          "BEGIN 6", "--XYZ", "name=\"b\"", "text", "", "MIME", "CONTENT", "begin",
                                          "QUJD", "-", "6"};
  TGeneratorRandom rnd(7);
  std::string dir = NewTempDir("probe");
  int negatives = 0;
  for (int round = 0; round < 400; ++round) {
    std::string body;
    int n = rnd.Between(1, 6);
    for (int i = 0; i < n; ++i) {
      std::string w = words[static_cast<size_t>(rnd.Below(static_cast<int>(words.size())))];
      if (rnd.Percent(30) && w.size() > 2) w.erase(static_cast<size_t>(rnd.Below(static_cast<int>(w.size()))), 1);
      body += w + (rnd.Percent(50) ? "\r" : " ");
    }
    if (BodyMayHoldMime(body)) continue;
    ++negatives;
    TTesselMime mime;
    mime.ScanFile(WriteFile(dir + "b.txt", body));
    EXPECT_EQ(mime.EncodingType(), TEncodingType::etNone) << body;
  }
  EXPECT_GT(negatives, 50);
}

// ------------------------------------------------------------ against the windows

TEST(KorrinTool, InfoShowsTheTreeAsTheWindowBuildsIt) {
  THandPacket p;
  TMailTree tree;
  TToReader toReader;
  toReader.SetDirectory(p.folder);
  toReader.LoadExtensionLists();
  tree.SetDownloadCount(static_cast<int>(toReader.AttachList().size() + toReader.FileList().size()));
  tree.SetDirectory(p.folder);
  auto nodes = tree.Nodes();

  for (const std::string& packet : {p.folder, p.archive}) {
    TRun r = Tool({"info", packet, "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    JValue info = Json(r.out);
    EXPECT_EQ(info["bbsName"].s, "Korrin Test Bbs");
    EXPECT_EQ(info["bbsId"].s, "TESTBBS");
    EXPECT_EQ(info["packetDate"].s, "03-15-1999");
    EXPECT_EQ(info["packetTime"].s, "21:30:05");
    EXPECT_EQ(info["userName"].s, "John Doe");
    EXPECT_EQ(info["conferencesAnnounced"].Int(), 3);
    EXPECT_EQ(info["conferencesReceived"].Int(), 3);
    const JValue& folders = info["folders"];
    ASSERT_EQ(folders.a.size(), nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
      EXPECT_EQ(folders[i]["caption"].s, nodes[i]->Caption);
      EXPECT_EQ(folders[i]["level"].Int(), nodes[i]->Level());
      if (nodes[i]->Record) {
        EXPECT_EQ(folders[i]["kindCode"].Int(), static_cast<int>(nodes[i]->Record->Kind));
        EXPECT_EQ(folders[i]["ordinal"].Int(), nodes[i]->Record->Ordinal);
      }
    }
    // Personal Messages first under the In Box, the group folder after the boxes.
    EXPECT_EQ(folders[2]["name"].s, "Personal Messages");
    EXPECT_EQ(folders[2]["messages"].Int(), 1);
    EXPECT_EQ(folders[3]["conference"].Int(), 5);
    EXPECT_EQ(folders[3]["messages"].Int(), 3);
    EXPECT_EQ(folders[folders.a.size() - 2]["kind"].s, "group");
    EXPECT_EQ(folders[folders.a.size() - 1]["indexFile"].s, "012.ndx");
  }
  TRun text = Tool({"info", p.folder});
  EXPECT_NE(text.out.find("Conferences:  3 announced, 3 received"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("    5 General"), std::string::npos) << text.out;
}

TEST(KorrinTool, ListAndShowAgreeWithTheMessageListAndTheRecord) {
  THandPacket p;
  const auto before = Snapshot(p.folder);
  const std::string view = CopyOf(p.folder);  // the record marks what it reads
  TMailTree tree;
  tree.SetDirectory(view);
  TMailList list;
  list.SetTextCase(TTextCase::tcProperName);
  list.SetMailTree(&tree);

  for (const std::string& packet : {p.folder, p.archive}) {
    TRun all = Tool({"list", packet, "--json"});
    ASSERT_EQ(all.code, 0) << all.err;
    const JValue rows = Json(all.out)["messages"];
    size_t k = 0;
    for (TMailTreeNode* node : ConferenceNodes(tree)) {
      if (node->Record->Name == "Personal Messages") continue;
      tree.Select(node);
      list.Refill();
      const int conference = std::stoi(node->Record->IndexFile);
      // One conference alone lists the same rows.
      const JValue own = Json(Tool({"list", packet, "--conference", std::to_string(conference), "--json"}).out)["messages"];
      ASSERT_EQ(own.a.size(), list.Rows().size());
      for (size_t i = 0; i < list.Rows().size(); ++i, ++k) {
        const TMailListRow& row = list.Rows()[i];
        ASSERT_LT(k, rows.a.size());
        for (const JValue* r : {&rows[k], &own[i]}) {
          EXPECT_EQ((*r)["position"].Int(), static_cast<int>(i + 1));
          EXPECT_EQ((*r)["conference"].Int(), conference);
          EXPECT_EQ((*r)["date"].s, U(row.Caption));
          EXPECT_EQ((*r)["from"].s, U(row.SubItems[0]));
          EXPECT_EQ((*r)["to"].s, U(row.SubItems[1]));
          EXPECT_EQ((*r)["subject"].s, U(row.SubItems[2]));
          EXPECT_EQ((*r)["read"].b, row.SubItems[4] == "READ");
        }

        TRun shown = Tool({"show", packet, "--conference", std::to_string(conference), "--message",
                           std::to_string(i + 1), "--json"});
        ASSERT_EQ(shown.code, 0) << shown.err;
        const JValue s = Json(shown.out);
        TWindowMessage w(CopyOf(p.folder), *node->Record, static_cast<int>(i + 1));
        // The viewer's own header texts (dates read month first, as QWK writes them).
        const TMsgViewHeader h = MsgViewHeader(w.msg, 0, 0, TDateOrder::doMDY);
        EXPECT_EQ(s["from"].s, U(LongerText(w.msg.LongFrom(), w.msg.MsgFROM())));
        EXPECT_EQ(s["to"].s, U(LongerText(w.msg.LongTo(), w.msg.MsgTo())));
        EXPECT_EQ(s["subject"].s, U(LongerText(w.msg.LongSubject(), w.msg.Subject())));
        EXPECT_EQ(s["carbonCopies"].s, U(w.msg.CarbonCopies()));
        EXPECT_EQ(s["conferenceLabel"].s, U(h.Conf));
        EXPECT_EQ(s["posted"].s, U(h.Date));
        EXPECT_EQ(s["flagsLine"].s, U(h.Ex));
        EXPECT_EQ(s["statusLabel"].s, h.Status.value_or(""));
        EXPECT_EQ(s["hostMessage"].s, U(h.NumberPanel));
        EXPECT_EQ(s["messageNumber"].s, h.MsgNum);
        EXPECT_EQ(s["messageNumber"].s, std::to_string(i + 1) + " of " + std::to_string(list.Rows().size()));
        std::vector<std::string> text;
        // As the viewer shows it: the characters without their colour sequences.
        for (const auto& line : VisibleLines(w.msg.Text(), false)) text.push_back(U(StripAnsi(line)));
        EXPECT_EQ(s["text"].Strings(), text);
        std::vector<std::string> names;
        if (w.mime.AttachmentFound())
          for (const auto& n : w.mime.FileNames()) names.push_back(U(AnsiLowerCase(n)));
        EXPECT_EQ(s["attachments"].Strings(), names);
      }
    }
    EXPECT_EQ(k, rows.a.size());
  }

  // What the viewer shows for the messages made for it.
  JValue first = Json(Tool({"show", p.folder, "--conference", "5", "--message", "1", "--json"}).out);
  EXPECT_EQ(first["posted"].s, "Friday July 4 1997 at 2:30 PM");
  EXPECT_EQ(first["subject"].s, "Caf\xc3\xa9 talk");
  EXPECT_EQ(first["statusLabel"].s, "P U B L I C");
  EXPECT_EQ(first["flags"].Strings(), (std::vector<std::string>{"Local", "EchoMail", "Private"}));
  EXPECT_TRUE(first["read"].b);
  EXPECT_EQ(first["text"][0].s, "Hello \xc3\xa9t\xc3\xa9 \x01 ");  // the colour sequence left out
  JValue personal = Json(Tool({"show", p.archive, "--personal", "--message", "1", "--json"}).out);
  EXPECT_EQ(personal["to"].s, "A Very Long Recipient Name Beyond Limits");
  EXPECT_EQ(personal["from"].s, "Another Very Long Sender Name Here");
  EXPECT_EQ(personal["subject"].s, "A subject that is much longer than twenty five characters");
  EXPECT_EQ(personal["carbonCopies"].s, "Bob Jones, Carol King");
  EXPECT_EQ(personal["posted"].s, "13-45-99  13:45");
  EXPECT_EQ(personal["statusLabel"].s, "P R I V A T E");
  EXPECT_EQ(personal["text"].Strings(), (std::vector<std::string>{"", "Body text"}));
  JValue files = Json(Tool({"show", p.folder, "--conference", "12", "--message", "1", "--json"}).out);
  EXPECT_EQ(files["attachments"].Strings(), (std::vector<std::string>{"evil.txt", "up.txt"}));
  EXPECT_EQ(files["flags"].Strings(), (std::vector<std::string>{"Internet"}));

  // The text form: the viewer's captions, control characters as pictures.
  TRun text = Tool({"show", p.folder, "--conference", "5", "--message", "1"});
  EXPECT_NE(text.out.find("Posted :   Friday July 4 1997 at 2:30 PM\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Flags :    Local EchoMail Private\n"), std::string::npos);
  EXPECT_EQ(text.out.find('\x1b'), std::string::npos);
  TRun listed = Tool({"list", p.folder, "--personal"});
  EXPECT_NE(listed.out.find("Sysop                     John Doe                  Private note"), std::string::npos)
      << listed.out;

  // Nothing of the packet was written to.
  EXPECT_EQ(Snapshot(p.folder), before);
}

TEST(KorrinTool, ExtractKeepsFilesInTheFolderAndNeverOverwritesUnasked) {
  THandPacket p;
  std::string to = NewTempDir("out") + "new/sub";
  TRun r = Tool({"extract", p.archive, "--conference", "12", "--message", "1", "--to", to, "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  JValue files = Json(r.out)["files"];
  ASSERT_EQ(files.a.size(), 2u);
  EXPECT_EQ(files[0]["name"].s, "evil.txt");
  EXPECT_EQ(ReadFile(to + "/evil.txt"), "ABC");
  EXPECT_EQ(ReadFile(to + "/up.txt"), "abc");
  for (auto& e : fs::recursive_directory_iterator(TestRoot())) {
    std::string name = e.path().filename().string();
    if (name == "evil.txt" || name == "up.txt") {
      EXPECT_EQ(e.path().parent_path().string(), to);
    }
  }

  // An existing file stays unless --force; a link at the target is replaced, not followed.
  WriteFile(to + "/up.txt", "mine");
  r = Tool({"extract", p.folder, "--conference", "12", "--message", "1", "--attachment", " UP.TXT", "--to", to});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("exists"), std::string::npos);
  EXPECT_EQ(ReadFile(to + "/up.txt"), "mine");
  std::string outside = WriteFile(NewTempDir("outside") + "keep.txt", "keep");
  fs::remove(to + "/up.txt");
  fs::create_symlink(outside, to + "/up.txt");
  r = Tool({"extract", p.folder, "--conference", "12", "--message", "1", "--attachment", "up.txt", "--to", to, "--force"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFile(outside), "keep");
  EXPECT_FALSE(fs::is_symlink(to + "/up.txt"));
  EXPECT_EQ(ReadFile(to + "/up.txt"), "abc");

  r = Tool({"extract", p.folder, "--conference", "12", "--message", "1", "--attachment", "none.bin", "--to", to});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no attached file \"none.bin\""), std::string::npos) << r.err;
  r = Tool({"extract", p.folder, "--conference", "5", "--message", "1", "--to", to});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("has no attached files"), std::string::npos);
}

TEST(KorrinTool, ExitCodesAndOneLineReasons) {
  THandPacket p;
  TRun r = Program("info " + Quote(p.archive));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("TESTBBS"), std::string::npos);

  std::string missing = TestRoot() + "missing.qwk";
  r = Program("list " + Quote(missing));
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "korrin-tool: " + missing + ": No such file or directory\n");
  std::string junk = WriteFile(TestRoot() + "junk.qwk", std::string(3000, '\x07'));
  r = Program("info " + Quote(junk));
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.err.find(junk + ": "), std::string::npos);
  r = Program("info " + Quote(p.archive), "KORRIN_PLUGIN_DIR=" + Quote(NewTempDir("noplugins")));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("libxcdunzip.so was not found"), std::string::npos) << r.err;
  std::string empty = NewTempDir("emptyfolder");
  r = Program("info " + Quote(empty));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(empty), std::string::npos);

  for (const char* usage : {"", "frobnicate", "list", "list a b", "show P --message 1", "show P --conference 5",
                            "show P --conference 5 --message 0", "list P --conference 5 --personal", "info P --bogus",
                            "export P", "extract P --conference 5 --message 1", "show P --conference"}) {
    r = Program(usage);
    EXPECT_EQ(r.code, 2) << usage;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << usage << ": " << r.err;
  }
  for (const char* help : {"--help", "help export", "show --help", "replies -h"}) {
    r = Program(help);
    EXPECT_EQ(r.code, 0) << help;
    EXPECT_NE(r.out.find("usage: korrin-tool"), std::string::npos) << help;
  }

  r = Program("show " + Quote(p.folder) + " --conference 9 --message 1");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no conference 9"), std::string::npos);
  r = Program("show " + Quote(p.folder) + " --conference 5 --message 4");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("conference 5 has 3 messages, not 4"), std::string::npos) << r.err;

  // The tool's temporary folders are gone after every run, and it wrote
  // nothing into the user's program folder.
  for (auto& e : fs::directory_iterator(TestRoot() + "tmp"))
    EXPECT_EQ(e.path().filename().string().rfind("korrin-tool-", 0), std::string::npos) << e.path();
  const char* home = std::getenv("KORRIN_HOME");
  ASSERT_TRUE(home);
  r = Program("show " + Quote(p.folder) + " --conference 5 --message 1", "env -u KORRIN_HOME HOME=" + Quote(TestRoot()) +
                                                                              " XDG_DATA_HOME=" + Quote(TestRoot() + "xdg"));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(fs::exists(TestRoot() + "xdg/korrin/tmpR.txt"));
}

TEST(KorrinTool, DamagedPacketsNeverCrashIt) {
  TPacketBuilder b = HandPacket();
  b.AppendIndexBytes(5, IndexRecord(999999, 5) + IndexRecord(0, 5) + "\x01\x02");
  b.Message(5, TPacketMessage().BlockField("zzzzzz").Body("odd count"));
  b.TruncateMessages(128 * 9 + 50);
  std::string folder = b.WriteTo(NewTempDir("damaged"));
  std::string archive = Zip(folder, NewTempDir("dz") + "BAD.QWK");
  std::string mbox = NewTempDir("dm") + "bad.mbox";
  for (const std::string& packet : {folder, archive}) {
    TRun r = Tool({"list", packet, "--json"});
    EXPECT_EQ(r.code, 0) << r.err;
    JValue rows = Json(r.out)["messages"];
    bool unreadable = false;
    for (const auto& row : rows.a) unreadable = unreadable || !row["readable"].b;
    EXPECT_TRUE(unreadable);
    for (int i = 1; i <= 7; ++i) {
      r = Tool({"show", packet, "--conference", "5", "--message", std::to_string(i), "--json"});
      EXPECT_TRUE(r.code == 0 || r.code == 1) << i;
      if (r.code == 0) Json(r.out);
      else EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    }
    r = Tool({"export", packet, "--mbox", mbox, "--force", "--json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_GT(Json(r.out)["unreadable"].Int(), 0);
    EXPECT_EQ(Tool({"info", packet}).code, 0);
  }
  // A packet without messages.dat or control.dat is no packet.
  fs::remove(folder + "messages.dat");
  TRun r = Tool({"info", folder});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no messages.dat"), std::string::npos);
}

// ------------------------------------------------------------ mailboxes

namespace {
bool PythonWorks() { return std::system("python3 -c 'import mailbox, email.policy' >/dev/null 2>&1") == 0; }

int CheckMbox(const std::string& mbox, const std::string& expected) {
  // The script lies in the tests folder, beside this file's folder.
  const char* src = std::getenv("KORRIN_SOURCE_DIR");
  std::string script = std::string(src ? src : "") + "/tests/korrin_tool_mbox_check.py";
  if (!src || !fs::exists(script))
    script = (fs::path(__FILE__).parent_path().parent_path() / "korrin_tool_mbox_check.py").string();
  std::string cmd = "python3 " + Quote(script) + " " + Quote(mbox) + " " + Quote(expected);
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Hex(const std::string& bytes) {
  static const char d[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) out += {d[c >> 4], d[c & 15]};
  return out;
}

// The expectation file of the mailbox check: every conference message (the
// personal ones are in their conferences too) as the record reads it.
// `attachments` writes the attachment entries of a message; without it the
// attachments are not compared.
std::string Expectations(const std::string& folder, TMailTree& tree, const std::string& bbsid, int& count,
                         const std::function<void(const TConfRec&, int, tool::TJsonWriter&)>& attachments) {
  std::ostringstream e;
  tool::TJsonWriter j(e, false);
  j.BeginObject();
  j.Key("messages");
  j.BeginArray();
  count = 0;
  const std::string domain = AnsiLowerCase(bbsid) + ".invalid";
  for (TMailTreeNode* node : ConferenceNodes(tree)) {
    if (node->Record->Name == "Personal Messages") continue;
    for (int i = 1;; ++i) {
      TQWKMsg msg;
      TTesselMime mime;
      msg.SetMimeCTRL(&mime);
      if (!msg.LoadFromPacket(folder, i, *node->Record) || msg.IndexPosition() > msg.IndexCount()) break;
      ++count;
      j.BeginObject();
      std::string from = U(LongerText(msg.LongFrom(), msg.MsgFROM()));
      j.Field("from_name", from.find('@') != std::string::npos ? "" : from);
      if (from == "John Smith") j.Field("from_addr", "john.smith@" + domain);
      j.Field("to_name", U(LongerText(msg.LongTo(), msg.MsgTo())));
      j.Field("subject", U(LongerText(msg.LongSubject(), msg.Subject())));
      auto date = ParseMsgDateTime(msg.PostDate(), msg.PostTime(), TDateOrder::doMDY);
      if (!date) date = ParseMsgDateTime(tree.Identity().PacketDate, tree.Identity().PacketTime, TDateOrder::doMDY);
      j.Field("date", Format("%04d-%02d-%02d %02d:%02d:%02d", date->Year, date->Month, date->Day, date->Hour,
                             date->Minute, date->Second));
      j.Field("message_id", "<" + Trim(msg.Number()) + "." + std::to_string(msg.Conference()) + "@" + bbsid + ">");
      j.Field("conference", static_cast<int>(msg.Conference()));
      j.Field("read", msg.Header().MarkedRead());
      std::string body;
      for (const auto& line : VisibleLines(msg.Text(), false)) body += tool::MailText(line) + "\n";
      j.Field("body", body);
      if (attachments) {
        j.Key("attachments");
        j.BeginArray();
        attachments(*node->Record, i, j);
        j.EndArray();
      }
      j.EndObject();
    }
  }
  j.EndArray();
  j.Field("count", count);
  j.EndObject();
  j.Finish();
  return e.str();
}
}  // namespace

TEST(KorrinTool, ExportedMailboxReadsBackMessageByMessage) {
  if (!PythonWorks()) GTEST_SKIP() << "python3 with the mailbox module is needed";
  THandPacket p;
  const std::string view = CopyOf(p.folder);
  TMailTree tree;
  tree.SetDirectory(view);

  // What each message must read as, from the record the windows use.
  int count = 0;
  std::string expected = WriteFile(
      NewTempDir("expect") + "expected.json",
      Expectations(view, tree, "TESTBBS", count, [](const TConfRec& rec, int i, tool::TJsonWriter& j) {
        if (rec.IndexFile == "012.ndx" && i == 1)
          for (auto [name, bytes] : {std::pair{"evil.txt", "ABC"}, std::pair{"up.txt", "abc"}}) {
            j.BeginObject();
            j.Field("name", name);
            j.Field("hex", Hex(bytes));
            j.EndObject();
          }
      }));
  ASSERT_EQ(count, 5);

  std::string dir = NewTempDir("mbox");
  TRun r = Tool({"export", p.archive, "--mbox", dir + "hand.mbox", "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Json(r.out)["messages"].Int(), 5);
  EXPECT_EQ(Json(r.out)["attachments"].Int(), 2);
  EXPECT_EQ(CheckMbox(dir + "hand.mbox", expected), 0);
  const std::string mbox = ReadFile(dir + "hand.mbox");
  EXPECT_NE(mbox.find("\n>From the start\n>>From quoted\n"), std::string::npos);
  EXPECT_NE(mbox.find("Content-Transfer-Encoding: quoted-printable"), std::string::npos);
  EXPECT_NE(mbox.find("In-Reply-To: <1.12@TESTBBS>"), std::string::npos);
  EXPECT_NE(mbox.find("X-Korrin-Status: private"), std::string::npos);
  EXPECT_NE(mbox.find("X-Korrin-Status: killed"), std::string::npos);
  EXPECT_NE(mbox.find("Subject: =?utf-8?B?"), std::string::npos);

  // The same from the unpacked folder and to standard output; an existing
  // mailbox is kept unless --force.
  TRun again = Tool({"export", p.folder, "--mbox", "-"});
  EXPECT_EQ(again.code, 0);
  EXPECT_EQ(std::count(again.out.begin(), again.out.end(), '\n'), std::count(mbox.begin(), mbox.end(), '\n'));
  r = Tool({"export", p.folder, "--mbox", dir + "hand.mbox"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(ReadFile(dir + "hand.mbox"), mbox);
  r = Tool({"export", p.folder, "--mbox", dir + "hand.mbox", "--personal", "--force", "--no-attachments"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFile(dir + "hand.mbox").find("From another.very.long.sender.name.here@testbbs.invalid "), 0u);
  for (auto& f : fs::directory_iterator(dir)) EXPECT_EQ(f.path().filename().string(), "hand.mbox");
}

TEST(KorrinTool, NoBodyTextForgesAMailboxMessage) {
  if (!PythonWorks()) GTEST_SKIP() << "python3 with the mailbox module is needed";
  // Long lines are quoted-printable: their soft breaks land at every offset of
  // a repeated forged separator, and a dotted line follows.
  std::string forged;
  for (int i = 0; i < 100; ++i) forged += "From evil@x Sat Jan  1 00:00:00 2000 ";
  TPacketBuilder b;
  b.BBS("KORRIN TEST BBS", "TESTBBS").User("JOHN DOE").PacketDate("03-15-1999", "21:30:05");
  b.Conference(5, "General");
  b.Message(5, TPacketMessage().From("JOHN SMITH").Subject("Forge").Body(forged + "\n.\nFrom: x\n" + forged));
  b.Message(5, TPacketMessage().From("ANNA").Subject("Next").Body("Plain"));
  std::string folder = b.WriteTo(NewTempDir("forge"));
  TMailTree tree;
  tree.SetDirectory(CopyOf(folder));
  int count = 0;
  std::string dir = NewTempDir("fm");
  std::string expected =
      WriteFile(dir + "expected.json", Expectations(tree.Directory(), tree, "TESTBBS", count, nullptr));
  ASSERT_EQ(count, 2);
  ASSERT_EQ(Tool({"export", folder, "--mbox", dir + "f.mbox"}).code, 0);
  EXPECT_EQ(CheckMbox(dir + "f.mbox", expected), 0);
  const std::string mbox = ReadFile(dir + "f.mbox");
  size_t separators = 0;
  for (size_t p = 0; (p = mbox.find("From ", p)) != std::string::npos; ++p) separators += p == 0 || mbox[p - 1] == '\n';
  EXPECT_EQ(separators, 2u);
}

TEST(KorrinTool, GeneratedPacketExportsTheSameInOneOrSeveralProcesses) {
  if (!PythonWorks()) GTEST_SKIP() << "python3 with the mailbox module is needed";
  TGeneratorOptions o;
  o.messages = 1500;
  o.conferences = 5;
  o.mimePercent = 5;
  o.uuencodePercent = 5;
  o.nameCase = TNameCase::ncUpper;
  auto gen = GeneratePacket(o, NewTempDir("gen"));
  std::string archive = Zip(gen.folder, NewTempDir("gz") + "GENBBS.QWK");
  std::string dir = NewTempDir("gm");
  TRun one = Tool({"export", archive, "--mbox", dir + "one.mbox", "--jobs", "1", "--json"});
  ASSERT_EQ(one.code, 0) << one.err;
  TRun three = Tool({"export", archive, "--mbox", dir + "three.mbox", "--jobs", "3"});
  ASSERT_EQ(three.code, 0) << three.err;
  EXPECT_TRUE(ReadFile(dir + "one.mbox") == ReadFile(dir + "three.mbox"));
  // Personal mail is in its conferences: every message once.
  EXPECT_EQ(Json(one.out)["messages"].Int(), 1500);
  EXPECT_GT(Json(one.out)["attachments"].Int(), 50);
  // Every message reads as the record reads it through the index (the
  // export reads most of them at their block, without the index).
  TMailTree tree;
  const std::string view = CopyOf(gen.folder);
  tree.SetDirectory(view);
  int count = 0;
  std::string expected = WriteFile(dir + "all.json", Expectations(view, tree, "GENBBS", count, nullptr));
  EXPECT_EQ(count, 1500);
  EXPECT_EQ(CheckMbox(dir + "three.mbox", expected), 0);

  // Every listed message, with the generator's conferences and counts.
  JValue rows = Json(Tool({"list", archive, "--json"}).out)["messages"];
  EXPECT_EQ(rows.a.size(), 1500u);
  JValue info = Json(Tool({"info", archive, "--json"}).out);
  int listed = 0;
  for (const auto& f : info["folders"].a)
    if (f["kind"].s == "conference" && f["name"].s != "Personal Messages") listed += f["messages"].Int();
  EXPECT_EQ(listed, 1500);
}

TEST(KorrinTool, InterruptedOrKilledItLeavesNoTemporaryFiles) {
  TGeneratorOptions o;
  o.messages = 30000;
  o.conferences = 3;
  auto gen = GeneratePacket(o, NewTempDir("sig"));
  const std::string archive = Zip(gen.folder, NewTempDir("sz") + "GENBBS.QWK");
  const std::string out = NewTempDir("sigout");
  auto leftovers = [&](const std::string& tmp) {
    std::vector<std::string> left;
    // The guardian may still be removing when the tool is gone.
    for (int i = 0; i < 100; ++i) {
      left.clear();
      for (const std::string& dir : {tmp, out})
        for (auto& e : fs::directory_iterator(dir)) left.push_back(e.path().filename().string());
      if (left.empty()) break;
      ::usleep(20000);
    }
    return left;
  };
  for (int sig : {SIGINT, SIGTERM, SIGKILL}) {
    const std::string tmp = NewTempDir("sigtmp");
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::setenv("TMPDIR", tmp.c_str(), 1);
      int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      const std::string tool = BinDir() + "korrin-tool", mbox = out + "a.mbox";
      ::execl(tool.c_str(), "korrin-tool", "export", archive.c_str(), "--mbox", mbox.c_str(), "--jobs", "2",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::usleep(300000);
    auto start = std::chrono::steady_clock::now();
    ::kill(pid, sig);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (sig != SIGKILL) {
      EXPECT_LT(seconds, 2.0) << sig;
      ASSERT_TRUE(WIFEXITED(status)) << sig;
      EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
    }
    EXPECT_EQ(leftovers(tmp), std::vector<std::string>{}) << sig;
  }
}

TEST(KorrinTool, RepliesListsTheReplyPacket) {
  std::string dir = NewTempDir("rep");
  WriteFile(dir + "TESTBBS.MSG",
            ReplyFileBytes("TESTBBS", {{TPacketMessage().To("SYSOP").Subject("Re: Hello").Body("One\nTwo\nThree"), 5},
                                       {TPacketMessage()
                                            .Status('+')
                                            .To("ANNA")
                                            .Subject("Files")
                                            .Body("To: Anna Longname-Of-Some-Considerable-Size\n\nSee\n"
                                                  "begin 644 a.txt\n#86)C\n`\nend\n"),
                                        12}}));
  WriteFile(dir + "todoor.ext", "KEYWORD KORRIN\r\nFILTER -SPAM\r\n");
  std::string rep = Zip(dir, NewTempDir("repzip") + "TESTBBS.REP");
  for (const std::string& packet : {rep, dir, dir + "TESTBBS.MSG"}) {
    TRun r = Tool({"replies", packet, "--json"});
    ASSERT_EQ(r.code, 0) << packet << ": " << r.err;
    JValue v = Json(r.out);
    EXPECT_EQ(v["bbsId"].s, "TESTBBS");
    ASSERT_EQ(v["messages"].a.size(), 2u);
    const JValue& a = v["messages"][0];
    EXPECT_EQ(a["conference"].Int(), 5);
    EXPECT_EQ(a["to"].s, "Sysop");
    EXPECT_EQ(a["subject"].s, "Re: Hello");
    EXPECT_EQ(a["lines"].Int(), 3);
    const JValue& b = v["messages"][1];
    EXPECT_EQ(b["conference"].Int(), 12);
    EXPECT_EQ(b["to"].s, "Anna Longname-Of-Some-Considerable-Size");
    EXPECT_EQ(b["status"].s, "private");
    EXPECT_EQ(b["attachments"].Strings(), (std::vector<std::string>{"a.txt"}));
    if (packet != dir + "TESTBBS.MSG") {
      EXPECT_EQ(v["doorCommands"].Strings(), (std::vector<std::string>{"KEYWORD KORRIN", "FILTER -SPAM"}));
    }
  }
  TRun text = Tool({"replies", rep});
  EXPECT_NE(text.out.find("Re: Hello"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("  KEYWORD KORRIN"), std::string::npos);
  std::string noReply = NewTempDir("x");
  WriteFile(noReply + "a.ext", "x");
  TRun none = Tool({"replies", Zip(noReply, NewTempDir("xz") + "X.REP")});
  EXPECT_EQ(none.code, 1);
  EXPECT_NE(none.err.find("not a reply packet"), std::string::npos) << none.err;
}

TEST(KorrinTool, BulletinsAndColouredTexts) {
  TPacketMessage coloured;
  coloured.body = "\x1b[1;31mRed\x1b[0m plain\nsecond";
  std::string folder = TPacketBuilder()
                           .BBS("Colour BBS", "COLOUR")
                           .Conference(1, "General")
                           .Message(1, coloured)
                           .File("welcome", "\x1b[2J\x1b[44mHi\x1b[3Cthere\x1b[m\r\n")
                           .File("BLT-1", "first bulletin\r\n")
                           .WriteTo(NewTempDir("colour"));
  JValue info = Json(Tool({"info", folder, "--json"}).out);
  ASSERT_EQ(info["bulletins"].a.size(), 2u);
  EXPECT_EQ(info["bulletins"][0]["caption"].s, "Welcome");
  EXPECT_EQ(info["bulletins"][1]["file"].s, "BLT-1");
  int bulletinFolders = 0;
  for (const auto& f : info["folders"].a) bulletinFolders += f["kind"].s == "bulletins" && f["level"].Int() == 2;
  EXPECT_EQ(bulletinFolders, 1);  // under the In Box
  EXPECT_NE(Tool({"info", folder}).out.find("Bulletin 1"), std::string::npos);

  // Plain by default, clean colours with --ansi (the screen clear is gone).
  TRun plain = Tool({"show", folder, "--bulletin", "WELCOME"});
  ASSERT_EQ(plain.code, 0) << plain.err;
  EXPECT_NE(plain.out.find("Hi   there\n"), std::string::npos) << plain.out;
  EXPECT_EQ(plain.out.find('\x1b'), std::string::npos);
  TRun ansi = Tool({"show", folder, "--bulletin", "welcome", "--ansi"});
  EXPECT_NE(ansi.out.find("\x1b[0;37;44mHi   there\x1b[0m\n"), std::string::npos) << ansi.out;
  EXPECT_EQ(ansi.out.find("\x1b[2J"), std::string::npos);
  EXPECT_EQ(Json(Tool({"show", folder, "--bulletin", "Bulletin 1", "--json"}).out)["text"][0].s, "first bulletin");
  TRun missing = Tool({"show", folder, "--bulletin", "nothing"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(Tool({"show", folder, "--bulletin", "welcome", "--message", "1"}).code, 2);

  // A packet of another program: its welcome screen is named without a conference number line before it.
  const char* src = std::getenv("KORRIN_SOURCE_DIR");
#ifdef KORRIN_SOURCE_TREE
  const std::string root = src && *src ? std::string(src) : std::string(KORRIN_SOURCE_TREE);
#else
  const std::string root = src && *src ? std::string(src) : std::string(".");
#endif
  const std::string real = root + "/../shared/real-packets/QwkNet/ANSI_DEMO.QWK";
  if (fs::exists(real)) {
    TRun welcome = Tool({"show", real, "--bulletin", "Welcome"});
    EXPECT_EQ(welcome.code, 0) << welcome.err;
    EXPECT_NE(welcome.out.find("Welcome to ANSI_DEMO.QWK\nSynthetic ANSI welcome screen\n"), std::string::npos)
        << welcome.out;
  } else {
    std::cout << "real packets absent, ANSI_DEMO.QWK not read: " << real << "\n";
  }

  TRun msg = Tool({"show", folder, "--conference", "1", "--message", "1"});
  EXPECT_NE(msg.out.find("Red plain\nsecond"), std::string::npos) << msg.out;
  TRun msgAnsi = Tool({"show", folder, "--conference", "1", "--message", "1", "--ansi"});
  EXPECT_NE(msgAnsi.out.find("\x1b[0;1;31;40mRed\x1b[0m plain"), std::string::npos) << msgAnsi.out;
}
