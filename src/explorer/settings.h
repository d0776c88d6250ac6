#pragma once
// The reader's settings: the registry values under the program key and the
// window placements and choices of "korrin.ini".

#include <cstdint>
#include <string>
#include <vector>

#include "platform/version.h"

namespace korrin {

class Prompts;
class TRegistry;
class TIniFile;
class TMailList;

inline constexpr const char* kIniFileName = "korrin.ini";

// Colour numbers: plain RGB with red in the low byte, or a system colour
// (top bit set, the system colour index in the low byte).
inline constexpr uint32_t kSystemColorFlag = 0x80000000u;
inline constexpr int32_t kClWindowText = static_cast<int32_t>(kSystemColorFlag | 8u);
inline constexpr int32_t kClRed = 255;

enum class TWindowState { wsNormal = 0, wsMaximized = 1, wsMinimized = 2 };

struct TFontSetting {
  std::string Name = "MS Sans Serif";
  int32_t Size = 10;
  int32_t Color = kClWindowText;
  bool operator==(const TFontSetting&) const = default;
};

// The window's normal (restored) rectangle and its state.
struct TWindowPlacement {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  TWindowState WindowState = TWindowState::wsNormal;
  bool operator==(const TWindowPlacement&) const = default;
};

struct TMainSettings {
  std::string CurrentVersion;
  // Height is the window's normal height less the quick viewer's height while
  // the quick viewer is shown.
  TWindowPlacement Location{182, 79, 542, 411, TWindowState::wsNormal};
  bool LocationStored = false;  // a placement was read back
  int32_t QuickViewerHeight = 100;
  bool QuickViewer = false;
  bool DisplayFirstMessage = true;
  bool MoveToSentBox = true;
  bool OverlayPictures = true;
  bool Toolbar = true;
  bool Statusbar = true;
  bool PersonalSeparate = true;
  int32_t LastPO = -1;
  std::string Replies;  // folders; the program folder when not set
  std::string Packets;
  int32_t Columns[4] = {0, 1, 2, 3};
  std::string EMail;
  bool UseMime = true;
  bool AddTags = true;
  // The viewers show kludge lines (the networks' control lines).
  bool ShowKludgeLines = false;
  // The viewers draw colour sequences as colours (off: plain text).
  bool ShowAnsiColours = true;
  // The packet's welcome screen opens by itself when a packet is opened.
  bool ShowWelcomeScreen = false;
  // The message list's order per folder kind (TListSort codes): conferences,
  // Out Box, Save Box, Sent Box.
  int32_t SortOrders[4] = {0, 0, 0, 0};
  TFontSetting ViewerFont;
  TFontSetting QuoteFont{"MS Sans Serif", 10, kClRed};
  TFontSetting EditorFont;
  std::vector<std::string> Signature;

  bool operator==(const TMainSettings&) const = default;
};

// The first-run box text.
extern const char* const kFirstRunText;

// Reads every value, each missing or unreadable one taking its default;
// `lastPO` is the post-office list's position after loading (the default of
// "Last PO"). A first run (no "Current Version") shows the first-run box.
TMainSettings LoadSettings(TRegistry& reg, Prompts& prompts, const std::string& programFolder, int32_t lastPO);
// Writes every value in the program's order, in one registry update.
void SaveSettings(TRegistry& reg, const TMainSettings& settings);

// The list orders of the settings given to the list, and taken back from it.
void ApplySortOrders(const TMainSettings& settings, TMailList& list);
void KeepSortOrders(const TMailList& list, TMainSettings& settings);

// Window placement of a secondary window in "korrin.ini" (sections "Viewer",
// "Editor", "New Files"): Left 60, Top 50, Height 379, Width 545, WindowState 0
// by default; `toolbar` and `statusline` are read and written when given.
struct TIniPlacement {
  TWindowPlacement Placement{60, 50, 545, 379, TWindowState::wsNormal};
  bool Toolbar = true;
  bool Statusline = true;
  bool Stored = false;  // the section held a placement
};
TIniPlacement ReadIniPlacement(const TIniFile& ini, const std::string& section, bool withStatusline);
bool WriteIniPlacement(TIniFile& ini, const std::string& section, const TIniPlacement& placement, bool withStatusline);

}  // namespace korrin
