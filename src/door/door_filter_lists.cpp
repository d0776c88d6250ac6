#include "door/door_filter_lists.h"

#include "engine/to_door.h"
#include "engine/to_reader.h"
#include "platform/codepage.h"
#include "platform/prompts.h"
#include "platform/text.h"

namespace korrin {

namespace {
const TFilterPageTexts kPages[] = {
    {"  Keywords   ", "Keywords", "Text you wish to search for in messages.", "KEYWORD", " keywords.", "Add Keyword",
     "Enter text to search for within messages.", " from message keyword searches.", dfKeyword},
    {"    Filters     ", "Filters", "Text you do not wish messages to contain.", "FILTER", " filters.", "Add Filter",
     "Enter text that you wish messages not to contain.", " from message you do not wish to recieve.", dfFilter},
    {"    Twits     ", "Twit list", "People you do not wish to receive mail from.", "TWIT", " twits.", "Add Twit",
     "Enter a Name you do not wish to receive mail from.", " from message you do not wish to recieve.", dfTwit},
};
}  // namespace

const TFilterPageTexts& FilterPageTexts(TFilterPage page) { return kPages[static_cast<int>(page)]; }

int32_t FilterMaximum(const TDoorControl& door, TFilterPage page) {
  switch (page) {
    case TFilterPage::fpKeywords: return door.MaxKeywords();
    case TFilterPage::fpFilters: return door.MaxFilters();
    case TFilterPage::fpTwits: return door.MaxTwits();
  }
  return 0;
}

std::string MaxLabelText(const TDoorControl& door, TFilterPage page) {
  return "(Max " + std::to_string(FilterMaximum(door, page)) + ")";
}

bool FilterPageEnabled(const TDoorControl& door, TFilterPage page) {
  return door.HasFlag(FilterPageTexts(page).Flag);
}

const std::vector<std::string>& FilterEntries(const TToReader& toReader, TFilterPage page) {
  switch (page) {
    case TFilterPage::fpFilters: return toReader.FilterList();
    case TFilterPage::fpTwits: return toReader.TwitList();
    default: return toReader.KeywordList();
  }
}

std::string FilterAddLine(TFilterPage page, const std::string& text) {
  return std::string(FilterPageTexts(page).Word) + " " + AnsiUpperCase(text);
}

std::string FilterRemoveLine(TFilterPage page, const std::string& entry) {
  return std::string(FilterPageTexts(page).Word) + " -" + entry;
}

std::optional<std::string> AddFilterEntry(const TDoorControl& door, TToDoor& toDoor, TFilterPage page, size_t count) {
  const TFilterPageTexts& t = FilterPageTexts(page);
  const int32_t maximum = FilterMaximum(door, page);
  if (static_cast<int64_t>(count) >= maximum) {
    GetPrompts().Information("The BBS only allows " + std::to_string(maximum) + t.Plural);
    return std::nullopt;
  }
  auto typed = GetPrompts().InputBox(t.AddCaption, t.AddPrompt, "");
  if (!typed) return std::nullopt;
  // A blank text or one with a line break would make no command or two.
  std::string text = Utf8ToCp437(*typed);
  if (Trim(text).empty() || text.find_first_of("\r\n") != std::string::npos) return std::nullopt;
  std::string entry = AnsiUpperCase(text);
  if (!toDoor.AddDoorCommand(FilterAddLine(page, text))) return std::nullopt;
  return entry;
}

bool RemoveFilterEntry(TToDoor& toDoor, TFilterPage page, const std::optional<std::string>& selected) {
  if (!selected) {
    GetPrompts().Information(kSelectFirstText);
    return false;
  }
  const std::string question = "Remove " + Cp437ToUtf8(*selected) + FilterPageTexts(page).RemoveTail;
  if (GetPrompts().Box(TBoxKind::bkInformation, question, TBoxButtons::bbYesNo) != TBoxAnswer::baYes) return false;
  return toDoor.AddDoorCommand(FilterRemoveLine(page, *selected));
}

TDoorCommandStates DoorCommandStates(const TDoorControl& door) {
  TDoorCommandStates s;
  s.Conferences = door.HasFlag(dfAdd) && door.HasFlag(dfDrop);
  s.Keywords = door.HasFlag(dfKeyword);
  s.Filters = door.HasFlag(dfFilter);
  s.Twits = door.HasFlag(dfTwit);
  return s;
}

}  // namespace korrin
