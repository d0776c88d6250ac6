#include "reading/edit_session.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/random.h"
#include "platform/text.h"
#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {
std::string FlagPacket() {
  return test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .User("JANE READER")
      .Conference(0, "Main Board")
      .Conference(1, "Private Mail")
      .Conference(2, "Public Only")
      .Conference(3, "Announcements")
      .Conference(4, "Chatter")
      .Conference(5, "Both Flags")
      .ToReader({"AREA 1 aP", "AREA 2 aO", "AREA 3 aRL", "AREA 4 aZ", "AREA 5 aPO", "AREA 0 aLEPX&"})
      .WriteTo(test::NewTempDir("pkt"));
}

TEditFields Fields(std::string to, std::string subject, std::vector<std::string> lines = {"Text"}) {
  TEditFields f;
  f.To = std::move(to);
  f.Subject = std::move(subject);
  f.Lines = std::move(lines);
  return f;
}
}  // namespace

TEST(EditSession, ConferenceListUserNameAndSelection) {
  test::TRecordingPrompts prompts;
  std::string dir = test::TPacketBuilder()
                        .User("JANE READER")
                        .Conference(0, "Main Board")
                        .Conference(7, "Seven")
                        .ConferenceLines("GOODBYE", "stops here")
                        .Conference(9, "Never listed")
                        .WriteTo(test::NewTempDir("pkt"));
  TEditSession s;
  s.Create(dir, ProgramFolder());
  EXPECT_EQ(s.UserName(), "Jane Reader");
  EXPECT_EQ(s.Conferences(), (std::vector<std::string>{"0 Main Board", "7 Seven"}));
  EXPECT_EQ(s.ConferenceIndex(), 0);
  EXPECT_EQ(s.QWKMsg2().MsgFROM(), "Jane Reader");
  EXPECT_EQ(s.QWKMsg2().Number(), "0");
  EXPECT_EQ(s.QWKMsg2().ReferNum(), "0");
  EXPECT_EQ(s.FindConference(7), 1);
  EXPECT_EQ(s.FindConference(42), 0);  // none: the first entry
  s.ConfBoxChange(1);
  EXPECT_EQ(s.QWKMsg2().Conference(), 7);
  s.QWKMsg2().SetConference(0);
  s.HeaderRefresh();  // the record follows the selected entry
  EXPECT_EQ(s.QWKMsg2().Conference(), 7);
  EXPECT_EQ(TEditSession::ConferenceNumberOf("12 Name"), 12);
  EXPECT_EQ(TEditSession::ConferenceNumberOf("x Name"), 0);
  EXPECT_TRUE(prompts.boxes.empty());

  TEditSession none;
  none.Create(test::NewTempDir("empty"), ProgramFolder());
  EXPECT_TRUE(prompts.Shown("Could not read file - CONTROL.DAT"));
  EXPECT_TRUE(none.Conferences().empty());
  EXPECT_EQ(none.ConferenceIndex(), -1);
  EXPECT_EQ(none.FindConference(3), -1);
}

TEST(EditSession, ForcedStatusFlagsAndValidation) {
  test::TRecordingPrompts prompts;
  TEditSession s;
  s.Create(FlagPacket(), ProgramFolder());
  EXPECT_EQ(s.FlagText(), "Local EchoMail Private General Allows attached files ");
  EXPECT_EQ(s.StatusText(), "P R I V A T E");  // conference 0 carries "P"
  s.ConfBoxChange(2);                           // "O": public, Private disabled
  EXPECT_EQ(s.StatusText(), "P U B L I C");
  EXPECT_TRUE(s.StatusForced());
  EXPECT_TRUE(s.PublicEnabled());
  EXPECT_FALSE(s.PrivateEnabled());
  EXPECT_EQ(s.StatusHint(), "");
  s.ToggleStatus();
  s.ChooseStatus(tStatus::sPrivate);
  EXPECT_EQ(s.StatusText(), "P U B L I C");  // clicks are ignored
  s.ConfBoxChange(1);                         // "P"
  EXPECT_EQ(s.StatusText(), "P R I V A T E");
  EXPECT_FALSE(s.PublicEnabled());
  s.ConfBoxChange(5);  // both: "O" last wins
  EXPECT_EQ(s.StatusText(), "P U B L I C");
  EXPECT_FALSE(s.PublicEnabled() || s.PrivateEnabled());
  s.ConfBoxChange(4);  // no status flag: the status toggles
  EXPECT_FALSE(s.StatusForced());
  EXPECT_EQ(s.StatusHint(), kStatusHint);
  s.ToggleStatus();
  EXPECT_EQ(s.StatusText(), "P R I V A T E");
  s.ToggleStatus();
  EXPECT_EQ(s.StatusText(), "P U B L I C");

  // The four checks, each with its message; the editor's fields are what counts.
  s.QWKMsg2().SetMsgTo("Old Recipient");  // a field emptied later leaves the record's value
  EXPECT_FALSE(s.Validate(Fields("", "Subject")));
  EXPECT_FALSE(s.Validate(Fields("   ", "Subject")));
  EXPECT_FALSE(s.Validate(Fields("John", "")));
  s.ConfBoxChange(4);  // "Z": no replies
  EXPECT_FALSE(s.Validate(Fields("John", "re: your note")));
  EXPECT_TRUE(s.Validate(Fields("John", "A fresh subject")));
  s.ConfBoxChange(3);  // "R": read only
  EXPECT_FALSE(s.Validate(Fields("John", "Anything")));
  EXPECT_EQ(prompts.Texts(TBoxKind::bkInformation),
            (std::vector<std::string>{kErrNoRecipient, kErrNoRecipient, kErrNoSubject, kErrNoReplies,
                                      kErrReadOnlyConference}));
}

TEST(EditSession, SenderLineTaglinesAndSignature) {
  test::TRecordingPrompts prompts;
  test::WriteFile(ProgramFolder() + kTaglineFileName, "First tagline\r\nSecond tagline\r\n\r\n");
  TEditSession s;
  TEditOptions o;
  o.EMail = "jane@example.org";
  o.AddTags = true;
  o.Signature = {"Jane", "-- the reader"};
  s.SetOptions(o);
  s.Create(FlagPacket(), ProgramFolder());
  ASSERT_EQ(s.TagLines().size(), 2u);
  EXPECT_FALSE(s.QWKMsg2().Tagline().empty());  // picked on creation

  s.UpdateSenderLine("bob@example.org");
  EXPECT_EQ(s.QWKMsg2().MsgFROM(), NormalizeNameCase("Jane Reader <jane@example.org>"));
  EXPECT_EQ(s.QWKMsg2().LongFrom(), "Jane Reader <jane@example.org>");
  s.UpdateSenderLine("Bob Brown");
  EXPECT_EQ(s.QWKMsg2().MsgFROM(), "Jane Reader");
  TEditOptions noMail = o;
  noMail.EMail.clear();
  s.SetOptions(noMail);
  s.UpdateSenderLine("bob@example.org");
  EXPECT_EQ(s.QWKMsg2().MsgFROM(), "Jane Reader");  // unchanged

  // Two taglines alternate; one is always itself; none changes nothing.
  std::string shown = s.QWKMsg2().Tagline();
  for (int i = 0; i < 6; ++i) {
    auto next = s.PickRandomTagline(shown);
    ASSERT_TRUE(next);
    EXPECT_NE(*next, shown);
    shown = *next;
  }
  s.SetTagLines({"Only"});
  EXPECT_EQ(s.PickRandomTagline("Only"), "Only");
  s.RemoveTagline();
  EXPECT_EQ(s.QWKMsg2().Tagline(), "");
  s.SetTagLines({});
  EXPECT_FALSE(s.PickRandomTagline(kNoTaglineLabel));
  EXPECT_EQ(s.QWKMsg2().Tagline(), "");

  EXPECT_EQ(s.SignatureLines(), (std::vector<std::string>{"", "", "Jane", "-- the reader", ""}));

  // A box message read back gives its tagline line back to the tagline bar.
  s.QWKMsg2().Text() = {"Body", "", std::string(" ") + kTaglineMark + "Kept tagline", ""};
  s.TakeTaglineFromText();
  EXPECT_EQ(s.QWKMsg2().Text(), std::vector<std::string>{"Body"});
  EXPECT_EQ(s.QWKMsg2().Tagline(), "Kept tagline");
}

TEST(EditSession, ImportLimitEncodingsAndDroppedNames) {
  test::TRecordingPrompts prompts;
  std::string dir = test::NewTempDir("files");
  std::string exact(64000, 'a');
  for (size_t i = 79; i < exact.size(); i += 80) exact[i] = '\n';
  auto lines = TEditSession::ImportTextFile(test::WriteFile(dir + "exact.txt", exact));
  ASSERT_TRUE(lines);
  EXPECT_EQ(lines->size(), 800u);
  std::string over = test::WriteFile(dir + "over.txt", exact + "b");
  EXPECT_FALSE(TEditSession::ImportTextFile(over));
  EXPECT_TRUE(prompts.Shown(over + kErrImportLimit));

  auto utf8 = TEditSession::ImportTextFile(test::WriteFile(dir + "u.txt", "caf\xC3\xA9\r\nline two"));
  EXPECT_EQ(*utf8, (std::vector<std::string>{"caf\xC3\xA9", "line two"}));
  auto cp437 = TEditSession::ImportTextFile(test::WriteFile(dir + "d.txt", "caf\x82\n"));
  EXPECT_EQ(*cp437, std::vector<std::string>{"caf\xC3\xA9"});  // 0x82 is e acute in code page 437
  EXPECT_FALSE(TEditSession::ImportTextFile(test::WriteFile(dir + "bin.dat", std::string("ab\0cd", 5))));
  EXPECT_TRUE(prompts.Shown(kErrImportText));
  EXPECT_FALSE(TEditSession::ImportTextFile(dir + "missing.txt"));
  EXPECT_TRUE(prompts.Shown("Could not read file - " + dir + "missing.txt"));

  std::string spaced = test::WriteFile(dir + "my long name.txt", "x");
  EXPECT_EQ(TEditSession::DroppedFileName({dir + "my", "long", "name.txt"}, ""), spaced);
  EXPECT_EQ(TEditSession::DroppedFileName({spaced}, ""), spaced);
  EXPECT_FALSE(TEditSession::DroppedFileName({spaced}, spaced));  // the program's own argument
  EXPECT_FALSE(TEditSession::DroppedFileName({dir + "nothing"}, ""));
  EXPECT_FALSE(TEditSession::DroppedFileName({}, ""));
}
