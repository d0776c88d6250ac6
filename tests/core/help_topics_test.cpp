#include "explorer/help_topics.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

using namespace korrin;

namespace {

// The help pages in the source tree: $KORRIN_SOURCE_DIR, else found from this file's own path.
std::string HelpSource(const std::string& file) {
  const char* env = std::getenv("KORRIN_SOURCE_DIR");
  std::filesystem::path root =
      env && *env ? std::filesystem::path(env) : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
  std::ifstream in(root / "src/explorer/qt/help" / file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(HelpTopics, ContextsAndTopicsLeadToTheirPagesAndUnknownOnesToTheContents) {
  EXPECT_EQ(HelpTargetForContext(8002), (THelpTarget{"explorer", ""}));
  EXPECT_EQ(HelpTargetForContext(5501), (THelpTarget{"getting_started", ""}));
  EXPECT_EQ(HelpTargetForContext(5491), (THelpTarget{"options", "mail"}));
  EXPECT_EQ(HelpTargetForContext(8037), (THelpTarget{"close_dialog", ""}));
  EXPECT_EQ(HelpTargetForContext(7001), (THelpTarget{"quick_viewer", "keys"}));
  EXPECT_EQ(HelpTargetForContext(8018).FileName(), "door_lists.html#filters");
  EXPECT_EQ(HelpTargetForContext(8026).FileName(), "contents.html");
  for (int unknown : {0, -1, 8000, 8013, 99999})
    EXPECT_EQ(HelpTargetForContext(unknown).Page, kHelpContentsPage) << unknown;

  EXPECT_EQ(HelpTargetForTopic("hlp_Using").Page, "explorer");
  EXPECT_EQ(HelpTargetForTopic("HLP_USING_TESSELHELP").Page, "using_help");
  EXPECT_EQ(HelpTargetForTopic("hlp_Viewer").Page, "viewer");
  EXPECT_EQ(HelpTargetForTopic("hlp_Editor").Page, "editor");
  EXPECT_EQ(HelpTargetForTopic("hlp_NewFiles").Page, "new_files");
  EXPECT_EQ(HelpTargetForTopic("Options.html#Fonts"), (THelpTarget{"options", "fonts"}));
  EXPECT_EQ(HelpTargetForTopic("mail_finder"), (THelpTarget{"mail_finder", ""}));
  for (const char* unknown : {"", "hlp_", "hlp_Nothing", "../etc/passwd", "contents.htm"})
    EXPECT_EQ(HelpTargetForTopic(unknown), (THelpTarget{kHelpContentsPage, ""})) << unknown;
}

// Every place a context number or topic leads to is a page that ships, with
// the anchor it names, and every page is listed on the contents page.
TEST(HelpTopics, EveryTargetExistsInTheBundledPages) {
  std::set<std::string> names;
  for (const auto& page : HelpPages()) {
    EXPECT_TRUE(names.insert(page.Name).second) << page.Name;
    std::string html = HelpSource(std::string(page.Name) + ".html");
    ASSERT_FALSE(html.empty()) << page.Name;
    EXPECT_NE(html.find("<title>"), std::string::npos) << page.Name;
    EXPECT_FALSE(HelpPageTitle(page.Name).empty());
    if (std::string(page.Name) != kHelpContentsPage)
      EXPECT_NE(HelpSource("contents.html").find(std::string("href=\"") + page.Name + ".html"), std::string::npos)
          << page.Name << " is not on the contents page";
    EXPECT_NE(HelpSource("help.qrc").find(std::string(">") + page.Name + ".html<"), std::string::npos)
        << page.Name << " is not in the resource file";
  }
  std::vector<THelpTarget> targets;
  for (int context : KnownHelpContexts()) targets.push_back(HelpTargetForContext(context));
  for (const char* topic : {kTopicExplorer, kTopicUsingHelp, kTopicViewer, kTopicEditor, kTopicNewFiles})
    targets.push_back(HelpTargetForTopic(topic));
  for (const auto& t : targets) {
    ASSERT_TRUE(names.count(t.Page)) << t.Page;
    if (!t.Anchor.empty())
      EXPECT_NE(HelpSource(t.Page + ".html").find("id=\"" + t.Anchor + "\""), std::string::npos)
          << t.FileName();
  }
  EXPECT_GE(KnownHelpContexts().size(), 40u);
}

TEST(HelpTopics, FinderNeedsEveryWordAndRanksByOccurrences) {
  std::vector<std::pair<std::string, std::string>> pages = {
      {"a", "Open a packet. The packet opens in the tree."},
      {"b", "Reply packets: create a reply packet, upload the REPLY packet, packet packet."},
      {"c", "Taglines are sayings."},
      {"d", "Le paquet: reçu"},
  };
  EXPECT_EQ(FindHelpPages("packet", pages), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(FindHelpPages("  REPLY,  packet ", pages), (std::vector<std::string>{"b"}));
  EXPECT_EQ(FindHelpPages("open", pages), (std::vector<std::string>{"a"}));  // "opens" starts with "open"
  EXPECT_EQ(FindHelpPages("pen", pages), (std::vector<std::string>{}));      // only the start of a word counts
  EXPECT_EQ(FindHelpPages("packet tagline", pages), (std::vector<std::string>{}));
  EXPECT_EQ(FindHelpPages("reçu", pages), (std::vector<std::string>{"d"}));
  EXPECT_TRUE(FindHelpPages("", pages).empty());
  EXPECT_TRUE(FindHelpPages(" .,;!? ", pages).empty());
  EXPECT_EQ(HelpQueryWords("Reply reply, PACKET"), (std::vector<std::string>{"reply", "packet"}));
}
