#pragma once
// The bundled help: its pages, where each help context number and topic name
// of the windows leads, and the word search behind the help finder.

#include <string>
#include <utility>
#include <vector>

namespace korrin {

// The page shown for anything the help does not know.
inline constexpr const char* kHelpContentsPage = "contents";

// Topic names the windows open by name.
inline constexpr const char* kTopicExplorer = "hlp_Using";
inline constexpr const char* kTopicUsingHelp = "hlp_Using_TesselHelp";
inline constexpr const char* kTopicViewer = "hlp_Viewer";
inline constexpr const char* kTopicEditor = "hlp_Editor";
inline constexpr const char* kTopicNewFiles = "hlp_NewFiles";

// Help context numbers that the windows carry.
enum THelpContextId : int {
  hcUsingHelp = 8001,
  hcExplorer = 8002,
  hcAddressBook = 8003,
  hcOpenReplyPacket = 8004,
  hcCreateReplyPacket = 8005,
  hcProperties = 8006,
  hcExit = 8007,
  hcOpenPacket = 8008,
  hcClosePacket = 8009,
  hcEditor = 8010,
  hcViewer = 8011,
  hcNewFiles = 8012,
  hcTaglines = 8014,
  hcConferences = 8015,
  hcKeywords = 8016,
  hcTwits = 8017,
  hcFilters = 8018,
  hcNewMessage = 8019,
  hcReply = 8021,
  hcForward = 8022,
  hcDelete = 8023,
  hcDeleteAll = 8024,
  hcIntroduction = 8026,
  hcDownloads = 8027,
  hcContact = 8032,
  hcGroup = 8034,
  hcRecipients = 8035,
  hcContactHome = 8036,
  hcCloseDialog = 8037,
  hcContactBusiness = 8097,
  hcContactNotes = 8098,
  hcQuickViewer = 5486,
  hcMailFinder = 5487,
  hcOptions = 5488,
  hcOptionsProgram = 5489,
  hcOptionsDirectories = 5490,
  hcOptionsMail = 5491,
  hcOptionsFonts = 5492,
  hcOptionsColumns = 5493,
  hcMembers = 5499,
  hcFirstSteps = 5501,
  hcQuickViewerText = 7001,
};

// A place in the help: a page and, optionally, an anchor on it.
struct THelpTarget {
  std::string Page;
  std::string Anchor;
  // "page.html" or "page.html#anchor".
  std::string FileName() const;
  bool operator==(const THelpTarget&) const = default;
};

struct THelpPage {
  const char* Name;   // file stem of the page
  const char* Title;  // shown in the contents list
};

// Every page in reading order; the first is the contents page.
const std::vector<THelpPage>& HelpPages();
// The title of a page, empty for an unknown name.
std::string HelpPageTitle(const std::string& page);

// Where a help context number leads; unknown numbers lead to the contents.
THelpTarget HelpTargetForContext(int context);
// Where a topic name leads. The topic names of the windows and the page
// names themselves are known, compared without regard to case; anything
// else leads to the contents.
THelpTarget HelpTargetForTopic(const std::string& topic);
// Every context number the help knows, in ascending order.
std::vector<int> KnownHelpContexts();

// The finder: the pages whose text holds every word of the query (letters
// and digits, compared without regard to case), the page with most
// occurrences first, ties in the order given. An empty query finds nothing.
// `pages` holds (page name, plain text) pairs.
std::vector<std::string> FindHelpPages(const std::string& query,
                                       const std::vector<std::pair<std::string, std::string>>& pages);
// The words of a finder query, lower-cased, duplicates removed.
std::vector<std::string> HelpQueryWords(const std::string& query);

}  // namespace korrin
