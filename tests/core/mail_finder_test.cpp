#include "explorer/mail_finder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/mail_tree.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/packet_builder.h"
#include "support/test_env.h"

using namespace korrin;
using test::TPacketMessage;

namespace {

// Today is 01-15-24 for every search below.
const TDay kToday = DayOf(2024, 1, 15);

struct Packet {
  std::string dir = test::NewTempDir("packet");
  TMailTree tree;
  Packet() {
    test::TPacketBuilder b;
    b.BBS("Finder BBS", "FINDBBS").Conference(1, "General").Conference(2, "Tech");
    b.Message(1, TPacketMessage().From("JOHN SMITH").To("ALL").Subject("Hello world").Date("01-15-24")
                     .Body("First line\nThe quick brown fox jumps"));
    b.Message(1, TPacketMessage().From("MARY ANN").To("JOHN SMITH").Subject("Re: Hello").Date("01-08-24")
                     .Body("Reply text\nfoxes are clever"));
    b.Message(1, TPacketMessage().From("SYSOP").To("ALL").Subject("Files").Date("01-07-24")
                     .Body("Here it is\nbegin 644 Report.ZIP\nM86)C\n`\nend"));
    b.Message(2, TPacketMessage().From("Bob Jones").To("MARY ANN").Subject("mime").Date("12-20-23")
                     .Body("Content-Type: application/octet-stream; name=\"data.txt\"\n\nQUJD\nQuick Brown FOX"));
    b.Message(2, TPacketMessage().From("JOHN SMITH").To("SYSOP").Subject("Old one").Date("06-01-22")
                     .Body("well-known fact\nab.txt"));
    b.WriteTo(dir);
    tree.SetDirectory(dir);
  }
  int NodeOf(const std::string& caption) {
    auto nodes = tree.Nodes();
    for (size_t i = 0; i < nodes.size(); ++i)
      if (nodes[i]->Caption == caption) return static_cast<int>(i);
    return -1;
  }
  // Subjects of the hits of a search over every folder.
  std::vector<std::string> Find(TSearchCriteria c) {
    TMailFinder finder(tree);
    finder.TodayDay = kToday;
    c.IncludeSubfolders = true;
    finder.SetCriteria(c);
    finder.Run(0);
    std::vector<std::string> out;
    for (const auto& h : finder.Hits()) out.push_back(h.Subject);
    return out;
  }
};

using V = std::vector<std::string>;

TSearchCriteria Text(const std::string& text, bool caseSensitive = false, bool words = false) {
  TSearchCriteria c;
  c.TextSelected = true;
  c.Text = text;
  c.CaseSensitive = caseSensitive;
  c.WholeWords = words;
  return c;
}

}  // namespace

TEST(MailFinder, AddressCriteriaAloneAndCombined) {
  Packet p;
  TSearchCriteria c;
  c.From = "john";
  EXPECT_EQ(p.Find(c), (V{"Hello world", "Old one"}));
  c = {};
  c.To = "smith";
  EXPECT_EQ(p.Find(c), (V{"Re: Hello"}));
  c = {};
  c.Subject = "HELLO";
  EXPECT_EQ(p.Find(c), (V{"Hello world", "Re: Hello"}));
  c.From = "mary";
  EXPECT_EQ(p.Find(c), (V{"Re: Hello"}));
  // Nothing to look for finds nothing.
  EXPECT_TRUE(p.Find(TSearchCriteria{}).empty());
}

TEST(MailFinder, TextWithCaseAndWholeWords) {
  Packet p;
  EXPECT_EQ(p.Find(Text("quick brown")), (V{"Hello world", "mime"}));
  EXPECT_EQ(p.Find(Text("Quick Brown", true)), (V{"mime"}));
  // "fox" as a word: "foxes" does not count, the end of a line does.
  EXPECT_EQ(p.Find(Text("fox", false, true)), (V{"Hello world", "mime"}));
  // The last letters of a word are no word of their own.
  EXPECT_TRUE(p.Find(Text("ox", false, true)).empty());
  // A phrase on word boundaries; "-" belongs to words.
  EXPECT_EQ(p.Find(Text("brown fox", false, true)), (V{"Hello world", "mime"}));
  EXPECT_EQ(p.Find(Text("well-known", false, true)), (V{"Old one"}));
  EXPECT_TRUE(p.Find(Text("known", false, true)).empty());
  // A text never spans two lines.
  EXPECT_TRUE(p.Find(Text("line The")).empty());
  TSearchCriteria off = Text("fox");
  off.TextSelected = false;
  off.From = "sysop";
  EXPECT_EQ(p.Find(off), (V{"Files"}));
}

TEST(MailFinder, FileMasksAreOrdinaryWildcardsWithoutCase) {
  Packet p;
  auto files = [&](const std::string& mask) {
    TSearchCriteria c;
    c.FilesSelected = true;
    c.FileMask = mask;
    return p.Find(c);
  };
  EXPECT_EQ(files("*.*"), (V{"Files", "mime"}));
  EXPECT_EQ(files("*.zip"), (V{"Files"}));
  EXPECT_EQ(files("report.*"), (V{"Files"}));
  EXPECT_EQ(files("DATA.TXT"), (V{"mime"}));
  EXPECT_EQ(files("d?ta.txt"), (V{"mime"}));
  EXPECT_TRUE(files("a?.txt").empty());  // "ab.txt" is body text, no attachment
  EXPECT_TRUE(files("*.exe").empty());

  EXPECT_TRUE(FileMaskMatches("a?.txt", "AB.TXT"));
  EXPECT_FALSE(FileMaskMatches("a?.txt", "abc.txt"));
  EXPECT_TRUE(FileMaskMatches("*rep*", "my.report.zip"));
}

TEST(MailFinder, DateModesIncludeBothBoundsOfBetween) {
  Packet p;
  TSearchCriteria c;
  c.AllMessages = false;
  c.DateMode = dmBetween;
  c.FirstDate = kToday - 7;
  c.SecondDate = kToday;
  // Today and seven days ago both count; eight days ago does not.
  EXPECT_EQ(p.Find(c), (V{"Hello world", "Re: Hello"}));
  c.DateMode = dmMonths;
  c.Months = 1;
  EXPECT_EQ(p.Find(c), (V{"Hello world", "Re: Hello", "Files", "mime"}));
  c.DateMode = dmYears;
  c.Years = 1;
  EXPECT_EQ(p.Find(c), (V{"Hello world", "Re: Hello", "Files", "mime"}));
  c.Years = 2;
  EXPECT_EQ(p.Find(c).size(), 5u);
  // Combined with a text.
  c.TextSelected = true;
  c.Text = "fox";
  c.DateMode = dmBetween;
  EXPECT_EQ(p.Find(c), (V{"Hello world", "Re: Hello"}));

  EXPECT_EQ(ParsePostDate("01/15/2024"), kToday);
  EXPECT_EQ(ParsePostDate("01.15.24"), kToday);
  EXPECT_FALSE(ParsePostDate("13-01-24"));
  EXPECT_FALSE(ParsePostDate("02-30-24"));
  EXPECT_FALSE(ParsePostDate("garbage"));
}

TEST(MailFinder, SearchingNeverMarksMessagesRead) {
  Packet p;
  auto path = PathNoCase(p.dir, "messages.dat");
  std::string before = test::ReadFile(path);
  EXPECT_EQ(p.Find(Text("fox")).size(), 3u);
  EXPECT_EQ(test::ReadFile(path), before);
}

TEST(MailFinder, HitsCarryFolderAndRowAndStopKeepsThemSoFar) {
  Packet p;
  TMailFinder finder(p.tree);
  TSearchCriteria c;
  c.To = "a";  // every message but one
  c.IncludeSubfolders = true;
  finder.SetCriteria(c);
  finder.Run(p.NodeOf("1 General"));
  ASSERT_EQ(finder.Hits().size(), 3u);
  EXPECT_EQ(finder.Hits()[1].Location, "1 General");
  EXPECT_EQ(finder.Hits()[1].Node, p.NodeOf("1 General"));
  EXPECT_EQ(finder.Hits()[1].Row, 2);
  EXPECT_EQ(finder.Hits()[2].Node, p.NodeOf("2 Tech"));
  EXPECT_EQ(finder.Hits()[2].Row, 0);
  EXPECT_EQ(finder.ExaminedCount(), 5);

  // Without sub-folders only the chosen folder.
  TMailFinder one(p.tree);
  c.IncludeSubfolders = false;
  one.SetCriteria(c);
  one.Run(p.NodeOf("2 Tech"));
  EXPECT_EQ(one.Hits().size(), 1u);

  // Stop from the event pump after the first hit: the hit stays, nothing more is tested.
  TMailFinder stopped(p.tree);
  c.IncludeSubfolders = true;
  stopped.SetCriteria(c);
  stopped.PumpInterval = std::chrono::milliseconds(0);
  stopped.ProcessMessages = [&] {
    if (!stopped.Hits().empty()) stopped.Stop();
  };
  stopped.Run(0);
  EXPECT_EQ(stopped.Hits().size(), 1u);
  EXPECT_EQ(stopped.ExaminedCount(), 1);
  EXPECT_FALSE(stopped.Searching());
}

TEST(MailFinder, BoxesAndAVanishedBoxFile) {
  Packet p;
  std::string po = ProgramFolder() + "FINDBBS/";
  test::WriteBoxFile(po + "OutBox/", TPacketMessage().To("Sysop").Subject("Out one").Body("a fox here"), 1,
                     "b1.qms");
  test::WriteBoxFile(po + "OutBox/", TPacketMessage().To("Sysop").Subject("Out two").Body("nothing"), 1, "a1.qms");
  test::WriteBoxFile(po + "SaveBox/", TPacketMessage().To("Sysop").Subject("Saved").Body("fox"), 1, "c1.qms");
  p.tree.Rebuild();
  ASSERT_NE(p.tree.OutBox(), nullptr);
  TSearchCriteria c = Text("fox", false, true);
  EXPECT_EQ(p.Find(c), (V{"Hello world", "mime", "Out one", "Saved"}));

  // Rows follow the list's order of the box files (by name).
  TMailFinder finder(p.tree);
  c.IncludeSubfolders = false;
  c.TextSelected = false;
  c.To = "sysop";
  finder.SetCriteria(c);
  finder.Run(p.NodeOf(p.tree.OutBox()->Caption));
  ASSERT_EQ(finder.Hits().size(), 2u);
  EXPECT_EQ(finder.Hits()[0].Subject, "Out two");
  EXPECT_EQ(finder.Hits()[1].Row, 1);

  // A file removed while the search runs is skipped, and the message before
  // it is not reported again in its place.
  TMailFinder vanish(p.tree);
  vanish.SetCriteria(c);
  vanish.PumpInterval = std::chrono::milliseconds(0);
  vanish.ProcessMessages = [&] { std::filesystem::remove(po + "OutBox/b1.qms"); };
  vanish.Run(p.NodeOf(p.tree.OutBox()->Caption));
  ASSERT_EQ(vanish.Hits().size(), 1u);
  EXPECT_EQ(vanish.Hits()[0].Subject, "Out two");
  EXPECT_EQ(vanish.ExaminedCount(), 2);
}

TEST(MailFinder, CriteriaDescriptionAndHistories) {
  TSearchCriteria c;
  EXPECT_FALSE(HasCriteria(c));
  c.TextSelected = true;
  EXPECT_FALSE(HasCriteria(c));  // no text
  c.Text = "fox";
  EXPECT_TRUE(HasCriteria(c));
  c.From = "john";
  c.Subject = "hi";
  c.AllMessages = false;
  c.DateMode = dmMonths;
  c.Months = 3;
  EXPECT_EQ(SearchDescription(c, [](TDay) { return std::string("?"); }),
            " From john with \"hi\" in subject with \"fox\" in text posted in last 3 month(s)");
  c.DateMode = dmBetween;
  c.TextSelected = false;
  EXPECT_EQ(SearchDescription(c, [](TDay d) { return std::to_string(d); }),
            " From john with \"hi\" in subject between 0 and 0");

  EXPECT_EQ(AddToHistory({"bob", "Alice"}, "alice"), (V{"Alice", "bob"}));
  EXPECT_EQ(AddToHistory({"bob"}, ""), (V{"bob"}));
  EXPECT_EQ(AddToHistory(AddToHistory({}, "Zed"), "Zed"), (V{"Zed"}));
  {
    TRegistry reg;
    WriteSearchHistory(reg, sfTo, {"Alice", "bob"});
    WriteSearchHistory(reg, sfFiles, {"*.zip"});
  }
  TRegistry again;
  EXPECT_EQ(ReadSearchHistory(again, sfTo), (V{"Alice", "bob"}));
  EXPECT_EQ(ReadSearchHistory(again, sfFiles), (V{"*.zip"}));
  EXPECT_TRUE(ReadSearchHistory(again, sfText).empty());
}
