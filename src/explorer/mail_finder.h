#pragma once
// The mail finder's search: the criteria, the matchers and the walk over the
// folders of the tree. Conference messages are tested straight from the
// index and "messages.dat" (the header alone unless the body is asked for),
// box messages from their ".qms" files; nothing is ever marked read. The
// finder window and korrin-tool both search through this class.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/extended_headers.h"
#include "explorer/settings.h"

namespace korrin {

class TMailTree;
struct TMailTreeNode;
class TRegistry;
class TQWKHeader;

// A calendar day as days since 1970-01-01.
using TDay = int32_t;
TDay DayOf(int year, int month, int day);
void DateOfDay(TDay day, int& year, int& month, int& dayOfMonth);
TDay Today();
// A stored message date ("MM-DD-YY", "MM/DD/YYYY", any separator among
// - / \ , : .), month first; two-digit years fall within 80 years before
// and 20 after the current year. Nothing when it is not a valid date.
std::optional<TDay> ParsePostDate(std::string_view text);

enum TDateMode { dmNone = 0, dmBetween = 1, dmMonths = 2, dmYears = 3 };

struct TSearchCriteria {
  std::string To, From, Subject;
  bool TextSelected = false;
  std::string Text;
  bool FilesSelected = false;
  std::string FileMask = "*.*";
  bool IncludeSubfolders = false;
  bool AllMessages = true;
  bool CaseSensitive = false;
  bool WholeWords = false;
  int DateMode = dmNone;
  TDay FirstDate = 0, SecondDate = 0;
  int Months = 1, Years = 1;

  bool DateFilter() const { return !AllMessages && DateMode != dmNone; }
  bool TextCriterion() const { return TextSelected && !Text.empty(); }
  bool FilesCriterion() const { return FilesSelected && !FileMask.empty(); }
};

// A search is possible with To, From or Subject, the date filter, a text or a mask.
bool HasCriteria(const TSearchCriteria& c);
// " To x From y with "s" in subject ..." for the caption while searching;
// dates written by `formatDate`.
std::string SearchDescription(const TSearchCriteria& c, const std::function<std::string(TDay)>& formatDate);

// The criterion's text occurs in the field, case ignored.
bool FieldMatches(std::string_view field, std::string_view criterion);
// The same with the criterion already upper-cased.
bool UpperFieldMatches(std::string_view field, std::string_view upperCriterion);
// The text occurs in the body (lines end at 0xE3, a carriage return or a
// line feed; a match never spans two lines). With wholeWords it must stand
// on word boundaries at both ends (word characters: letters, digits, "-"),
// so a phrase of several words matches too.
class TTextMatcher {
public:
  TTextMatcher(std::string_view text, bool caseSensitive, bool wholeWords);
  bool Matches(std::string_view body) const;

private:
  std::string needle_;
  bool caseSensitive_, wholeWords_;
  mutable std::string folded_;
};
// An ordinary wildcard mask ("*" any run, "?" one character) against a
// file name, case ignored; "*.*" matches every name.
bool FileMaskMatches(std::string_view mask, std::string_view name);
// The attachment names of a body: uuencoded "begin" lines and MIME name
// and filename parameters.
std::vector<std::string> AttachmentNames(std::string_view body);
// Whether a message date passes the date filter (between includes both days).
bool DateMatches(const TSearchCriteria& c, TDay date, TDay today);

struct TFinderHit {
  std::string Subject;
  std::string Location;  // the folder's caption
  int Node = 0;          // position in TMailTree::Nodes()
  int Row = 0;           // row of the folder's message list
  int Position = 0;      // 1-based: index record, or box file in name order
  std::string From, Date;
  // The set Subject and From are in (empty: code page 437).
  std::string Charset;
};

class TMailFinder {
public:
  explicit TMailFinder(TMailTree& tree) : tree_(tree) {}

  void SetCriteria(const TSearchCriteria& c);
  const TSearchCriteria& Criteria() const { return criteria_; }

  // Searches node `first` (position in Nodes()), or it and every node after
  // it when IncludeSubfolders is on, until Stop. Hits add to Hits().
  void Run(int first);
  // Searches one node.
  void SearchFolder(int node);
  void Stop() { searching_ = false; }
  bool Searching() const { return searching_; }
  void SetSearching(bool on) { searching_ = on; }

  const std::vector<TFinderHit>& Hits() const { return hits_; }
  void ClearHits() { hits_.clear(); }
  int64_t ExaminedCount() const { return examined_; }
  void SetExaminedCount(int64_t n) { examined_ = n; }
  // The From of the message being tested.
  const std::string& CurrentFrom() const { return currentFrom_; }

  // Called before a folder is searched, with its node position.
  std::function<void(int)> OnFolder;
  // Called after each hit.
  std::function<void(const TFinderHit&)> OnHit;
  // Lets window events run; called at least every PumpInterval while searching.
  std::function<void()> ProcessMessages;
  std::chrono::milliseconds PumpInterval{20};
  // Today for the date filter (tests fix it).
  TDay TodayDay = Today();

private:
  bool TestMessage(const TQWKHeader& header, std::string_view body, bool bodyRead);
  bool NeedsBody() const { return criteria_.TextCriterion() || criteria_.FilesCriterion(); }
  void AddHit(std::string_view header, int node, int row, int position);
  void Pump();
  void SearchConference(int node, const TMailTreeNode& n, int firstRow);
  void SearchBox(int node, const TMailTreeNode& n, int firstRow);

  TMailTree& tree_;
  TSearchCriteria criteria_;
  std::optional<TTextMatcher> matcher_;
  std::string from_, to_, subject_;  // upper-cased criteria
  bool hasCriteria_ = false;
  bool searching_ = false;
  std::vector<TFinderHit> hits_;
  int64_t examined_ = 0;
  std::string currentFrom_;
  // The extended header of the packet message being tested, when it has one.
  std::optional<TExtendedHeader> extended_;
  std::chrono::steady_clock::time_point lastPump_{};
  std::string body_;
};

// The five remembered field texts, under the program key's "\Search".
enum TSearchField { sfTo, sfFrom, sfSubject, sfText, sfFiles, sfCount };
extern const char* const kSearchFieldKeys[sfCount];
std::vector<std::string> ReadSearchHistory(TRegistry& reg, TSearchField field);
void WriteSearchHistory(TRegistry& reg, TSearchField field, const std::vector<std::string>& entries);
// The finder window's placement under "\Search\Location" (its initial
// rectangle by default).
inline constexpr TWindowPlacement kFinderPlacement{243, 125, 482, 381, TWindowState::wsNormal};
TWindowPlacement ReadFinderPlacement(TRegistry& reg);
void WriteFinderPlacement(TRegistry& reg, const TWindowPlacement& p);
// The sorted union of the entries and the text, without duplicates (an
// empty text leaves the list as it is).
std::vector<std::string> AddToHistory(std::vector<std::string> entries, const std::string& text);

}  // namespace korrin
