#include "explorer/help_topics.h"

#include <algorithm>
#include <map>

namespace korrin {

namespace {

struct TContextEntry {
  int Context;
  const char* Page;
  const char* Anchor;
};

// Kept in ascending order of the context number.
constexpr TContextEntry kContexts[] = {
    {hcQuickViewer, "quick_viewer", ""},
    {hcMailFinder, "mail_finder", ""},
    {hcOptions, "options", ""},
    {hcOptionsProgram, "options", "program"},
    {hcOptionsDirectories, "options", "directories"},
    {hcOptionsMail, "options", "mail"},
    {hcOptionsFonts, "options", "fonts"},
    {hcOptionsColumns, "options", "columns"},
    {hcMembers, "address_book", "members"},
    {hcFirstSteps, "getting_started", ""},
    {hcQuickViewerText, "quick_viewer", "keys"},
    {hcUsingHelp, "using_help", ""},
    {hcExplorer, "explorer", ""},
    {hcAddressBook, "address_book", ""},
    {hcOpenReplyPacket, "packets", "open-reply"},
    {hcCreateReplyPacket, "packets", "create-reply"},
    {hcProperties, "properties", ""},
    {hcExit, "explorer", "exit"},
    {hcOpenPacket, "packets", "open"},
    {hcClosePacket, "packets", "close"},
    {hcEditor, "editor", ""},
    {hcViewer, "viewer", ""},
    {hcNewFiles, "new_files", ""},
    {hcTaglines, "taglines", ""},
    {hcConferences, "conferences", ""},
    {hcKeywords, "door_lists", "keywords"},
    {hcTwits, "door_lists", "twits"},
    {hcFilters, "door_lists", "filters"},
    {hcNewMessage, "messages", "new"},
    {hcReply, "messages", "reply"},
    {hcForward, "messages", "forward"},
    {hcDelete, "messages", "delete"},
    {hcDeleteAll, "messages", "delete-all"},
    {hcIntroduction, "contents", ""},
    {hcDownloads, "downloads", ""},
    {hcContact, "address_book", "contact"},
    {hcGroup, "address_book", "groups"},
    {hcRecipients, "address_book", "recipients"},
    {hcContactHome, "address_book", "contact-home"},
    {hcCloseDialog, "close_dialog", ""},
    {hcContactBusiness, "address_book", "contact-business"},
    {hcContactNotes, "address_book", "contact-notes"},
};

struct TTopicEntry {
  const char* Topic;
  const char* Page;
};

constexpr TTopicEntry kTopics[] = {
    {kTopicExplorer, "explorer"},
    {kTopicUsingHelp, "using_help"},
    {kTopicViewer, "viewer"},
    {kTopicEditor, "editor"},
    {kTopicNewFiles, "new_files"},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string s) {
  for (char& c : s) c = Lower(c);
  return s;
}

// Letters, digits and every byte of a multi-byte UTF-8 character.
bool IsWordChar(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
}

// The words of a text, lower-cased, in order.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char ch : text) {
    if (IsWordChar(static_cast<unsigned char>(ch))) {
      word += Lower(ch);
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

}  // namespace

std::string THelpTarget::FileName() const {
  std::string name = Page + ".html";
  if (!Anchor.empty()) name += "#" + Anchor;
  return name;
}

const std::vector<THelpPage>& HelpPages() {
  static const std::vector<THelpPage> pages = {
      {"contents", "Contents"},
      {"getting_started", "Getting started"},
      {"using_help", "Using Korrin Help"},
      {"explorer", "The explorer window"},
      {"packets", "Mail packets and reply packets"},
      {"close_dialog", "Closing a packet"},
      {"post_offices", "Post offices"},
      {"quick_viewer", "The quick viewer"},
      {"messages", "Writing, replying and deleting"},
      {"viewer", "The message viewer"},
      {"editor", "The message editor"},
      {"attachments", "Attached files"},
      {"taglines", "Taglines and signature"},
      {"address_book", "The address book"},
      {"mail_finder", "The mail finder"},
      {"downloads", "Downloads"},
      {"new_files", "New files and file requests"},
      {"conferences", "The conference manager"},
      {"door_lists", "Keywords, filters and twits"},
      {"options", "Options"},
      {"properties", "Properties"},
      {"shortcuts", "Keyboard shortcuts"},
      {"glossary", "Words used in this help"},
  };
  return pages;
}

std::string HelpPageTitle(const std::string& page) {
  for (const auto& p : HelpPages())
    if (page == p.Name) return p.Title;
  return {};
}

THelpTarget HelpTargetForContext(int context) {
  for (const auto& e : kContexts)
    if (e.Context == context) return {e.Page, e.Anchor};
  return {kHelpContentsPage, ""};
}

THelpTarget HelpTargetForTopic(const std::string& topic) {
  std::string wanted = LowerAscii(topic);
  for (const auto& t : kTopics)
    if (wanted == LowerAscii(t.Topic)) return {t.Page, ""};
  // A page name, optionally with ".html" and an anchor.
  std::string page = wanted, anchor;
  if (auto hash = page.find('#'); hash != std::string::npos) {
    anchor = page.substr(hash + 1);
    page.erase(hash);
  }
  if (page.size() > 5 && page.compare(page.size() - 5, 5, ".html") == 0) page.erase(page.size() - 5);
  for (const auto& p : HelpPages())
    if (page == p.Name) return {p.Name, anchor};
  return {kHelpContentsPage, ""};
}

std::vector<int> KnownHelpContexts() {
  std::vector<int> numbers;
  for (const auto& e : kContexts) numbers.push_back(e.Context);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::vector<std::string> HelpQueryWords(const std::string& query) {
  std::vector<std::string> unique;
  for (auto& w : Words(query))
    if (std::find(unique.begin(), unique.end(), w) == unique.end()) unique.push_back(std::move(w));
  return unique;
}

std::vector<std::string> FindHelpPages(const std::string& query,
                                       const std::vector<std::pair<std::string, std::string>>& pages) {
  const std::vector<std::string> wanted = HelpQueryWords(query);
  if (wanted.empty()) return {};
  struct THit {
    size_t Order;
    size_t Count;
    const std::string* Name;
  };
  std::vector<THit> hits;
  for (size_t i = 0; i < pages.size(); ++i) {
    std::map<std::string, size_t> counts;
    for (const auto& word : Words(pages[i].second))
      for (const auto& w : wanted)
        if (word.compare(0, w.size(), w) == 0) ++counts[w];  // a query word matches the start of a word
    if (counts.size() != wanted.size()) continue;
    size_t total = 0;
    for (const auto& [w, n] : counts) total += n;
    hits.push_back({i, total, &pages[i].first});
  }
  std::stable_sort(hits.begin(), hits.end(), [](const THit& a, const THit& b) { return a.Count > b.Count; });
  std::vector<std::string> names;
  for (const auto& h : hits) names.push_back(*h.Name);
  return names;
}

}  // namespace korrin
