#pragma once
// The door's keyword, filter and twit lists as the door setup dialog edits
// them, without the window: the page texts, the maxima and capabilities of
// the door, and the "todoor.ext" lines each change writes at once. Also
// the Edit menu's door command states.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/door_control.h"

namespace korrin {

class TToDoor;
class TToReader;

enum class TFilterPage { fpKeywords = 0, fpFilters = 1, fpTwits = 2 };

struct TFilterPageTexts {
  const char* Tab;          // tab caption
  const char* Group;        // group box caption
  const char* Explanation;
  const char* Word;         // door command word
  const char* Plural;       // "keywords." in the maximum notice
  const char* AddCaption;   // input box
  const char* AddPrompt;
  const char* RemoveTail;   // question after "Remove " + entry
  TDoorFlag Flag;
};
const TFilterPageTexts& FilterPageTexts(TFilterPage page);

inline constexpr const char* kSelectFirstText = "Please make a selection from list first.";

// The door's maximum for the page, and "(Max " + n + ")".
int32_t FilterMaximum(const TDoorControl& door, TFilterPage page);
std::string MaxLabelText(const TDoorControl& door, TFilterPage page);
// The page can be edited when the door has its capability.
bool FilterPageEnabled(const TDoorControl& door, TFilterPage page);
// The entries the page starts with: the to-reader's list as last loaded.
const std::vector<std::string>& FilterEntries(const TToReader& toReader, TFilterPage page);
// "KEYWORD " + text in upper case, and "KEYWORD -" + entry.
std::string FilterAddLine(TFilterPage page, const std::string& text);
std::string FilterRemoveLine(TFilterPage page, const std::string& entry);

// "Add": refuses with "The BBS only allows n keywords." when the list holds
// `count` >= the maximum (so a maximum of 0 refuses all); else asks for the
// text, writes its line and returns the upper-cased entry for the list.
// Nothing for a cancelled or blank text or a line that could not be written.
std::optional<std::string> AddFilterEntry(const TDoorControl& door, TToDoor& toDoor, TFilterPage page, size_t count);
// "Remove": without a selection the notice "Please make a selection from
// list first."; else asks, and on Yes writes the removing line. True when
// the entry is to leave the list.
bool RemoveFilterEntry(TToDoor& toDoor, TFilterPage page, const std::optional<std::string>& selected);

// The Edit menu's door commands, from the door's capabilities.
struct TDoorCommandStates {
  bool Conferences = false;  // adding and dropping conferences
  bool Keywords = false;
  bool Filters = false;
  bool Twits = false;
};
TDoorCommandStates DoorCommandStates(const TDoorControl& door);

}  // namespace korrin
