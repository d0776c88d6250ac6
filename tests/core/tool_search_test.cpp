#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "engine/mail_tree.h"
#include "explorer/mail_finder.h"
#include "korrin_tool/tool_commands.h"
#include "korrin_tool/tool_search.h"
#include "support/packet_generator.h"
#include "support/test_env.h"

using namespace korrin;

namespace {

struct TToolRun {
  int rc;
  std::string out, err;
};

TToolRun Tool(std::vector<std::string> args) {
  std::ostringstream out, err;
  args.insert(args.begin(), "search");
  int rc = tool::RunTool(args, out, err);
  return {rc, out.str(), err.str()};
}

// "folder|position|subject" of every hit of the tool's JSON document.
std::vector<std::string> ToolHits(const std::string& json) {
  std::vector<std::string> out;
  std::regex hit(R"re("folder": "([^"]*)",\s*"position": (\d+),\s*"date": "[^"]*",\s*"from": "[^"]*",\s*"subject": "((?:[^"\\]|\\.)*)")re");
  for (std::sregex_iterator it(json.begin(), json.end(), hit), end; it != end; ++it)
    out.push_back((*it)[1].str() + "|" + (*it)[2].str() + "|" + (*it)[3].str());
  return out;
}

// The same search as the finder window runs it: from the first folder with
// every folder after it.
std::vector<std::string> WindowHits(const std::string& dir, TSearchCriteria c) {
  TMailTree tree;
  tree.SetDirectory(dir);
  TMailFinder finder(tree);
  c.IncludeSubfolders = true;
  finder.SetCriteria(c);
  finder.Run(0);
  std::vector<std::string> out;
  for (const auto& h : finder.Hits()) out.push_back(h.Location + "|" + std::to_string(h.Position) + "|" + h.Subject);
  return out;
}

}  // namespace

TEST(ToolSearch, FindsWhatTheFinderWindowFinds) {
  test::TGeneratorOptions o;
  o.messages = 1500;
  o.uuencodePercent = 5;
  o.mimePercent = 5;
  const std::string dir = test::GeneratePacket(o, test::NewTempDir("gen")).folder;

  struct Case {
    std::vector<std::string> args;
    TSearchCriteria c;
  };
  std::vector<Case> cases(6);
  cases[0].args = {"--from", "smith"};
  cases[0].c.From = "smith";
  cases[1].args = {"--subject", "re:", "--to", "all"};
  cases[1].c.Subject = "re:";
  cases[1].c.To = "all";
  cases[2].args = {"--text", "modem", "--words"};
  cases[2].c.TextSelected = true, cases[2].c.Text = "modem", cases[2].c.WholeWords = true;
  cases[3].args = {"--text", "Press", "--case"};
  cases[3].c.TextSelected = true, cases[3].c.Text = "Press", cases[3].c.CaseSensitive = true;
  cases[4].args = {"--files", "FILE1*.BIN"};
  cases[4].c.FilesSelected = true, cases[4].c.FileMask = "FILE1*.BIN";
  cases[5].args = {"--between", "01-01-97", "1998-12-31"};
  cases[5].c.AllMessages = false, cases[5].c.DateMode = dmBetween;
  cases[5].c.FirstDate = DayOf(1997, 1, 1), cases[5].c.SecondDate = DayOf(1998, 12, 31);
  for (auto& k : cases) {
    auto args = k.args;
    args.insert(args.begin(), dir);
    args.push_back("--json");
    TToolRun r = Tool(args);
    auto window = WindowHits(dir, k.c);
    SCOPED_TRACE(k.args[0] + " " + k.args[1]);
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(ToolHits(r.out), window);
  }
}

TEST(ToolSearch, ExitCodesKeepNoHitApartFromErrors) {
  test::TGeneratorOptions o;
  o.messages = 50;
  const std::string dir = test::GeneratePacket(o, test::NewTempDir("gen")).folder;
  EXPECT_EQ(Tool({dir, "--from", "nobody-at-all"}).rc, tool::kExitNoHit);
  TToolRun text = Tool({dir, "--to", "all", "--conference", "0"});
  EXPECT_EQ(text.rc, 0);
  EXPECT_NE(text.out.find("General Chat"), std::string::npos);
  EXPECT_EQ(Tool({dir}).rc, 2);                                  // no criterion
  EXPECT_EQ(Tool({dir, "--words", "--from", "x"}).rc, 2);        // --words without --text
  EXPECT_EQ(Tool({dir, "--months", "13"}).rc, 2);
  EXPECT_EQ(Tool({dir, "--between", "01-01-97"}).rc, 2);
  EXPECT_EQ(Tool({dir, "--between", "x", "y"}).rc, 2);
  EXPECT_EQ(Tool({dir, "--from", "a", "--conference", "9999"}).rc, 1);
  EXPECT_EQ(Tool({test::NewTempDir("empty") + "none", "--from", "a"}).rc, 1);
  EXPECT_EQ(Tool({"--help"}).rc, 0);
}
