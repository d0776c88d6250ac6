#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "archive/xceed_zip.h"
#include "engine/door_control.h"
#include "engine/mail_tree.h"
#include "engine/packet_lifecycle.h"
#include "engine/qwk_header.h"
#include "engine/qwk_post_office.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "reading/edit_session.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {
std::time_t FixedNow() {
  std::tm tm{};
  tm.tm_year = 126;
  tm.tm_mon = 11;
  tm.tm_mday = 8;
  tm.tm_hour = 9;
  tm.tm_min = 5;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

std::vector<std::string> BoxFiles(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto& e : fs::directory_iterator(folder, ec))
    if (e.path().extension() == ".qms") out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

// The body lines of a box file, split at the 0xE3 line ends, block padding dropped.
std::vector<std::string> BodyLines(const std::string& bytes) {
  std::string body = bytes.substr(128);
  size_t end = body.find_last_of('\xE3');
  body = end == std::string::npos ? std::string() : body.substr(0, end + 1);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t p; (p = body.find('\xE3', start)) != std::string::npos; start = p + 1)
    lines.push_back(body.substr(start, p - start));
  return lines;
}

std::string NewFile(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  for (const auto& f : after)
    if (std::find(before.begin(), before.end(), f) == before.end()) return f;
  return {};
}

TEditFields Fields(std::string to, std::string subject, std::vector<std::string> lines, std::string cc = {}) {
  TEditFields f;
  f.To = std::move(to);
  f.CC = std::move(cc);
  f.Subject = std::move(subject);
  f.Lines = std::move(lines);
  return f;
}

struct EditWorld {
  test::TRecordingPrompts prompts;
  TMailTree tree;
  TQWKPostOffice po;
  TQWKMsg msg;
  TToReader toReader;
  TDoorControl door;
  TXceedZip zip;
  TPacketLifecycle life{tree, po, msg, toReader, door, zip};
  std::string work = test::NewTempDir("work");
  std::string replies = test::NewTempDir("replies");

  EditWorld() {
    zip.SetPluginFolder(test::BinDir());
    tree.SetPostoffice(&po);
    po.SetFilename("PO.CFG");
    life.SetTempDirectory(work);
    life.SetRepliesFolder(replies);
    life.RunCloseDialog = [](bool) { return TCloseAnswer{true, 0, {}, false}; };
    life.Now = FixedNow;
  }

  void Open() {
    std::string dir = test::TPacketBuilder()
                          .BBS("Demo Board", "DEMO")
                          .User("JANE READER")
                          .Conference(1, "General")
                          .Conference(2, "Programming")
                          .Message(1, test::TPacketMessage()
                                          .Number("1001")
                                          .From("JOHN SMITH")
                                          .To("JANE READER")
                                          .Subject("Welcome")
                                          .Body("Hello there\nhow are you"))
                          .Message(2, test::TPacketMessage().Number("2002").From("SYSOP").Subject("Compilers").Body(
                                          "A compiler note"))
                          .NameCase(test::TNameCase::ncUpper)
                          .WriteTo(test::NewTempDir("src"));
    ASSERT_TRUE(life.OpenPacket(test::ZipFolder(dir, test::NewTempDir("packets") + "DEMO.QWK")));
  }

  void Start(TEditSession& s, bool mime = false) {
    TEditOptions o;
    o.UseMime = mime;
    o.AddTags = false;
    s.SetOptions(o);
    s.Now = FixedNow;
    s.SetOutBoxFolder(life.OutBoxFolder());
    s.SetWorkFolder(work);
    s.Create(tree.Directory(), ProgramFolder());
  }

  static TConfRec Conference(int n, const char* name) {
    TConfRec r;
    r.Name = name;
    r.IndexFile = Format("%03d.ndx", n);
    r.Kind = TFolderKind::fkConference;
    return r;
  }
};
}  // namespace

TEST(EditPost, NewMessagesAreStoredByteForByteAndNumberedAfterTheOutBox) {
  test::TRecordingPrompts prompts;
  std::string dir = test::TPacketBuilder().User("JANE READER").Conference(3, "Chat").WriteTo(test::NewTempDir("pkt"));
  std::string out = test::NewTempDir("out");
  for (int i = 0; i < 3; ++i) test::WriteBoxFile(out, test::TPacketMessage().Subject("old"));
  test::WriteFile(ProgramFolder() + kTaglineFileName, "Tag of the day\r\n");
  TEditSession s;
  TEditOptions o;
  o.UseMime = false;
  o.AddTags = true;
  s.SetOptions(o);
  s.Now = FixedNow;
  s.SetOutBoxFolder(out);
  s.Create(dir, ProgramFolder());
  auto before = BoxFiles(out);
  ASSERT_TRUE(s.Post(Fields("Bob Brown", "Hello", {"Line one", "Line two"})));
  std::string file = NewFile(before, BoxFiles(out));
  ASSERT_FALSE(file.empty());
  std::string bytes = test::ReadFile(file);
  ASSERT_EQ(bytes.size() % 128, 0u);
  TQWKHeader h(bytes.substr(0, 128));
  EXPECT_EQ(h.StatusChar(), ' ');
  EXPECT_EQ(TrimRight(h.To()), "Bob Brown");
  EXPECT_EQ(TrimRight(h.From()), "Jane Reader");
  EXPECT_EQ(TrimRight(h.Subject()), "Hello");
  EXPECT_EQ(h.Date(), "12-08-26");
  EXPECT_EQ(h.Time(), "09:05");
  EXPECT_EQ(TrimRight(h.ReferNum()), "0");
  EXPECT_EQ(h.Byte(123) + 256 * h.Byte(124), 3);
  EXPECT_EQ(s.QWKMsg2().Number(), "4");  // three messages were waiting
  EXPECT_EQ(BodyLines(bytes), (std::vector<std::string>{"Line one", "Line two", "", " \xFETag of the day", ""}));

  // With MIME on, a message without attachments is plain text all the same.
  TEditSession m;
  TEditOptions mo;
  mo.AddTags = false;
  m.SetOptions(mo);
  m.SetOutBoxFolder(out);
  m.Create(dir, ProgramFolder());
  before = BoxFiles(out);
  ASSERT_TRUE(m.Post(Fields("Bob Brown", "Framed", {"Body text"}, "Ann One,Joe Two")));
  auto lines = BodyLines(test::ReadFile(NewFile(before, BoxFiles(out))));
  EXPECT_EQ(lines, (std::vector<std::string>{"CC: Ann One,Joe Two", "", "Body text"}));
  EXPECT_TRUE(prompts.boxes.empty()) << prompts.Texts()[0];
}

TEST(EditPost, UnicodeTheCodePageCannotHoldIsAskedAboutOnce) {
  test::TRecordingPrompts prompts;
  std::string dir = test::TPacketBuilder().User("JANE READER").Conference(1, "General").WriteTo(test::NewTempDir("p"));
  std::string out = test::NewTempDir("out");
  TEditSession s;
  TEditOptions o;
  o.UseMime = false;
  o.AddTags = false;
  s.SetOptions(o);
  s.SetOutBoxFolder(out);
  s.Create(dir, ProgramFolder());
  // u-umlaut and sharp s exist in code page 437; the euro sign, the emoji and pi
  // (whose byte ends packet lines) do not.
  TEditFields f = Fields("Bob", "Price \xE2\x82\xAC" "5", {"Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80", "\xCF\x80 = 3.14"});
  prompts.answers.push_back(TBoxAnswer::baNo);
  EXPECT_FALSE(s.Post(f));  // back to the message
  EXPECT_TRUE(BoxFiles(out).empty());
  ASSERT_EQ(prompts.boxes.size(), 1u);
  EXPECT_EQ(prompts.boxes[0].buttons, TBoxButtons::bbYesNo);
  const std::string& q = prompts.boxes[0].text;
  EXPECT_NE(q.find("\xE2\x82\xAC  \xF0\x9F\x98\x80  \xCF\x80"), std::string::npos) << q;
  EXPECT_EQ(q.find("\xC3\xBC"), std::string::npos);

  prompts.answers.push_back(TBoxAnswer::baYes);
  ASSERT_TRUE(s.Post(f));
  auto files = BoxFiles(out);
  ASSERT_EQ(files.size(), 1u);
  std::string bytes = test::ReadFile(files[0]);
  EXPECT_EQ(TrimRight(TQWKHeader(bytes.substr(0, 128)).Subject()), "Price ?5");
  EXPECT_EQ(BodyLines(bytes), (std::vector<std::string>{"Gr\x81\xE1" "e ?", "? = 3.14"}));
}

TEST(EditPost, ReplyForwardAndOutBoxEditReachTheReplyPacket) {
  EditWorld w;
  w.Open();
  ASSERT_TRUE(w.tree.PacketLoaded());
  std::string outBox = w.life.OutBoxFolder();

  // Reply to the first message of conference 1.
  TEditSession reply;
  w.Start(reply);
  ASSERT_TRUE(reply.QWKMsg2().LoadFromPacket(w.tree.Directory(), 1, EditWorld::Conference(1, "General")));
  auto quoted = reply.QuoteMessage();
  ASSERT_TRUE(quoted);
  EXPECT_EQ(*quoted, (std::vector<std::string>{"JS> Hello there", "JS> how are you"}));
  auto start = reply.PrepareReply();
  EXPECT_EQ(start.To, "John Smith");
  EXPECT_EQ(start.Subject, "Re: Welcome");
  EXPECT_EQ(start.Conference, 1u);
  reply.ConfBoxChange(reply.FindConference(start.Conference));
  std::vector<std::string> text(quoted->begin(), quoted->end());
  text.insert(text.end(), {"", "Fine, thanks."});
  ASSERT_TRUE(reply.Post(Fields(start.To, start.Subject, text)));
  auto files = BoxFiles(outBox);
  ASSERT_EQ(files.size(), 1u);
  std::string replyFile = files[0];
  std::string bytes = test::ReadFile(replyFile);
  TQWKHeader h(bytes.substr(0, 128));
  EXPECT_EQ(TrimRight(h.To()), "John Smith");
  EXPECT_EQ(TrimRight(h.From()), "Jane Reader");
  EXPECT_EQ(TrimRight(h.Subject()), "Re: Welcome");
  EXPECT_EQ(TrimRight(h.ReferNum()), "1001");  // the message answered
  EXPECT_EQ(BodyLines(bytes), (std::vector<std::string>{"JS> Hello there", "JS> how are you", "", "Fine, thanks."}));

  // Forward the second message: the original header block goes in front.
  TEditSession forward;
  w.Start(forward);
  forward.BeginForward();
  ASSERT_TRUE(forward.QWKMsg2().LoadFromPacket(w.tree.Directory(), 1, EditWorld::Conference(2, "Programming")));
  start = forward.PrepareForward();
  EXPECT_EQ(start.To, "");
  EXPECT_EQ(start.Subject, "Compilers");
  forward.ConfBoxChange(forward.FindConference(start.Conference));
  EXPECT_FALSE(forward.Post(Fields(start.To, start.Subject, forward.QWKMsg2().Text())));  // no recipient yet
  ASSERT_TRUE(forward.Post(Fields("Ann Other", start.Subject, forward.QWKMsg2().Text())));
  std::string forwardFile = NewFile(files, BoxFiles(outBox));
  auto fwd = BodyLines(test::ReadFile(forwardFile));
  ASSERT_GE(fwd.size(), 7u);
  EXPECT_EQ(fwd[0], "");
  EXPECT_EQ(TrimRight(fwd[1]), "* Originally From:  Sysop");
  EXPECT_EQ(TrimRight(fwd[2]), "* Originally To:    All");
  EXPECT_EQ(TrimRight(fwd[3]), "* Original Subject: Compilers");
  EXPECT_EQ(fwd[4].rfind("* Original Date:  01-15-24", 0), 0u);
  EXPECT_EQ(fwd[5], "");
  EXPECT_EQ(fwd[6], "A compiler note");
  EXPECT_EQ(TrimRight(TQWKHeader(test::ReadFile(forwardFile).substr(0, 128)).ReferNum()), "0");

  // Editing the reply in the Out Box and leaving without posting keeps it whole.
  TConfRec outRec;
  outRec.Name = kOutBoxName;
  outRec.Kind = TFolderKind::fkOutBox;
  {
    TEditSession edit;
    w.Start(edit);
    ASSERT_TRUE(edit.QWKMsg2().LoadFromFile(replyFile, outRec));
    start = edit.PrepareOutBoxEdit(replyFile);
    EXPECT_EQ(start.To, "John Smith");
    EXPECT_EQ(start.Subject, "Re: Welcome");
  }
  EXPECT_EQ(test::ReadFile(replyFile), bytes);

  // Posting the edit replaces the old file; the numbers do not count it.
  TEditSession edit;
  w.Start(edit);
  ASSERT_TRUE(edit.QWKMsg2().LoadFromFile(replyFile, outRec));
  start = edit.PrepareOutBoxEdit(replyFile);
  edit.ConfBoxChange(edit.FindConference(start.Conference));
  EXPECT_EQ(edit.OutBoxCount(), 1);
  std::vector<std::string> edited = edit.QWKMsg2().Text();
  edited.push_back("P.S. edited");
  ASSERT_TRUE(edit.Post(Fields(start.To, start.Subject, edited, start.CC)));
  EXPECT_FALSE(fs::exists(replyFile));
  auto afterEdit = BoxFiles(outBox);
  ASSERT_EQ(afterEdit.size(), 2u);
  std::string editedFile = NewFile({forwardFile}, afterEdit);
  EXPECT_EQ(BodyLines(test::ReadFile(editedFile)).back(), "P.S. edited");
  EXPECT_EQ(edit.QWKMsg2().Number(), "2");

  // The reply packet carries both messages.
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  EXPECT_TRUE(BoxFiles(outBox).empty());
  ASSERT_TRUE(w.life.OpenReplyPacket(w.life.ReplyPacketPath()));
  std::vector<std::string> subjects;
  for (const auto& f : BoxFiles(outBox)) {
    TQWKMsg back;
    ASSERT_TRUE(back.LoadFromFile(f, outRec));
    subjects.push_back(TrimRight(back.Subject()) + "|" + TrimRight(back.MsgTo()));
  }
  std::sort(subjects.begin(), subjects.end());
  EXPECT_EQ(subjects, (std::vector<std::string>{"Compilers|Ann Other", "Re: Welcome|John Smith"}));
  EXPECT_TRUE(w.prompts.boxes.size() == 1 && w.prompts.boxes[0].text == kErrNoRecipient)
      << (w.prompts.boxes.empty() ? "" : w.prompts.Texts().back());
}

TEST(EditPost, EditingAnOutBoxMessageTakesItsAttachmentsAlong) {
  EditWorld w;
  w.Open();
  const std::string outBox = w.life.OutBoxFolder();
  const std::string file = test::NewTempDir("files") + "notes.txt";
  test::WriteFile(file, "attached bytes\n");
  {
    TEditSession first;
    w.Start(first, true);
    first.ConfBoxChange(first.FindConference(1));
    first.Attachments().push_back(file);
    ASSERT_TRUE(first.Post(Fields("Bob Brown", "With a file", {"See the file"})));
  }
  const auto posted = BoxFiles(outBox);
  ASSERT_EQ(posted.size(), 1u);
  const std::string original = test::ReadFile(posted[0]);
  TConfRec outRec;
  outRec.Name = kOutBoxName;
  outRec.Kind = TFolderKind::fkOutBox;
  auto startEdit = [&](TEditSession& edit) {
    w.Start(edit, true);
    EXPECT_TRUE(edit.QWKMsg2().LoadFromFile(posted[0], outRec));
    return edit.PrepareOutBoxEdit(posted[0]);
  };
  {
    TEditSession edit;  // left without posting
    startEdit(edit);
    EXPECT_EQ(edit.Attachments().size(), 1u);
  }
  EXPECT_EQ(BoxFiles(outBox), posted);
  EXPECT_EQ(test::ReadFile(posted[0]), original);

  TEditSession edit;
  auto start = startEdit(edit);
  ASSERT_EQ(edit.Attachments().size(), 1u);
  EXPECT_EQ(ExtractFileName(edit.Attachments()[0]), "notes.txt");
  EXPECT_EQ(test::ReadFile(edit.Attachments()[0]), "attached bytes\n");
  edit.ConfBoxChange(edit.FindConference(start.Conference));
  ASSERT_TRUE(edit.Post(Fields(start.To, start.Subject, {"See the file, edited"})));
  auto after = BoxFiles(outBox);
  ASSERT_EQ(after.size(), 1u);  // one message goes out, not two
  EXPECT_FALSE(fs::exists(posted[0]));
  const std::string bytes = test::ReadFile(after[0]);
  EXPECT_NE(bytes.find("notes.txt"), std::string::npos);
  EXPECT_NE(bytes.find("See the file, edited"), std::string::npos);
  EXPECT_TRUE(w.prompts.Texts(TBoxKind::bkInformation).empty());
}

// Our reply packet read by a small reader of its own, written in Python
// (standard library only) from the file layout alone: the BBSID block, the
// 128-byte headers, the block counts, 0xE3 line ends, the QWKE long-field
// lines. Three postings with "Use Mime" on come out in posting order, each
// exactly as written, without a MIME line.
TEST(EditPost, AnIndependentReaderReadsOurReplyPacketAsWritten) {
  if (std::system("python3 -c 'import sys' >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is needed";
  EditWorld w;
  w.Open();
  struct TPosting {
    std::string To, Subject;
    std::vector<std::string> Lines;
  };
  const std::vector<TPosting> postings = {
      {"John Smith", "Re: Welcome", {"Hello John,", "", "caf\xC3\xA9 \xE2\x94\x80\xE2\x94\x80", "-- ", "Bye"}},
      {"All", "A subject much longer than twenty-five", {"Second"}},
      {"Sysop", "Third", {"Third message"}},
  };
  for (const auto& p : postings) {
    TEditSession s;
    w.Start(s, true);
    s.ConfBoxChange(s.FindConference(2));
    ASSERT_TRUE(s.Post(Fields(p.To, p.Subject, p.Lines)));
  }
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  std::string dir = test::NewTempDir("rep");
  w.zip.SetZipFileName(w.life.ReplyPacketPath());
  w.zip.SetExtractDirectory(dir);
  w.zip.SetFilesToProcess({"*.msg"});
  ASSERT_EQ(w.zip.Extract(0), 0);

  const std::string script = test::WriteFile(dir + "reader.py", R"PY(
import sys
data = open(sys.argv[1], 'rb').read()
out = []
assert len(data) % 128 == 0, 'not whole blocks'
assert data[:128].rstrip(b' ') == b'DEMO', 'first block'
at = 128
while at < len(data):
    h = data[at:at + 128]
    blocks = int(h[116:122].decode('ascii').strip() or '0')
    assert blocks >= 1 and at + blocks * 128 <= len(data), 'block count'
    assert h[122] == 0xE1, 'active flag'
    conf = h[123] + 256 * h[124]
    assert h[1:8].decode('ascii').strip() == str(conf), 'conference field'
    body = data[at + 128:at + blocks * 128]
    at += blocks * 128
    lines = body.split(b'\xe3')
    assert lines[-1].strip(b' ') == b'', 'padding'
    lines = lines[:-1]
    fields = {'To': h[21:46].rstrip(b' '), 'From': h[46:71].rstrip(b' '), 'Subject': h[71:96].rstrip(b' ')}
    # QWKE long fields: "To:", "From:", "Subject:" lines at the top, then an empty line.
    n = 0
    while n < len(lines) and lines[n].split(b':')[0] in (b'To', b'From', b'Subject') and b': ' in lines[n]:
        key, value = lines[n].split(b': ', 1)
        fields[key.decode()] = value
        n += 1
    if n:
        assert lines[n] == b'', 'empty line after the long fields'
        lines = lines[n + 1:]
    for l in lines:
        assert not l.upper().startswith((b'MIME-VERSION', b'CONTENT-')) and b'NextPart' not in l, 'MIME line'
    out.append(b'conference=%d to=%s subject=%s' % (conf, fields['To'], fields['Subject']))
    out.extend(lines)
    out.append(b'==')
open(sys.argv[2], 'wb').write(b'\n'.join(out) + b'\n')
)PY");
  const std::string dump = dir + "dump.txt";
  ASSERT_EQ(std::system(("python3 '" + script + "' '" + dir + "DEMO.msg' '" + dump + "'").c_str()), 0);
  const std::string tear = "--- Korrin v1 . 3";
  const std::string want = "conference=2 to=John Smith subject=Re: Welcome\nHello John,\n\ncaf\x82 \xC4\xC4\n-- \nBye\n\n" +
                           tear + "\n\n==\nconference=2 to=All subject=A subject much longer than twenty-five\n"
                           "Second\n\n" + tear + "\n\n==\nconference=2 to=Sysop subject=Third\nThird message\n\n" +
                           tear + "\n\n==\n";
  EXPECT_EQ(test::ReadFile(dump), want);
  EXPECT_TRUE(w.prompts.boxes.empty()) << w.prompts.Texts()[0];
}
