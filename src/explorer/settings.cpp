#include "explorer/settings.h"

#include <algorithm>

#include "engine/mail_list.h"
#include "engine/mail_sort.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace korrin {

const char* const kFirstRunText =
    "Korrin will now prepare your system for first time run.\r\n\r\nWhen this task is completed and all defaults "
    "are set\r\nthe program will be ready to be used.  Simply open a \r\nmail packet and the program will create a "
    "Postoffice for \r\nthat BBS. This allows you to send messages to different \r\nBBS's with out having a mail "
    "packet open.";

namespace {
const std::string K = kProgramKey;
// The folder kinds whose list order is kept, in the order of SortOrders.
const char* const kSortValueNames[4] = {"Conference", "Out Box", "Save Box", "Sent Box"};
const TFolderKind kSortKinds[4] = {TFolderKind::fkConference, TFolderKind::fkOutBox, TFolderKind::fkSaveBox,
                                   TFolderKind::fkSentBox};

// Reads of single values: a missing value or one of the wrong type keeps the default.
int32_t Int(TRegistry& reg, const char* name, int32_t fallback) {
  try {
    return reg.ValueExists(name) ? reg.ReadInteger(name) : fallback;
  } catch (const ERegistryException&) {
    return fallback;
  }
}
bool Flag(TRegistry& reg, const char* name, bool fallback) { return Int(reg, name, fallback ? 1 : 0) != 0; }
std::string Str(TRegistry& reg, const std::string& name, const std::string& fallback) {
  try {
    return reg.ValueExists(name) ? reg.ReadString(name) : fallback;
  } catch (const ERegistryException&) {
    return fallback;
  }
}

TWindowState StateOf(int32_t v) {
  return v == 1 ? TWindowState::wsMaximized : v == 2 ? TWindowState::wsMinimized : TWindowState::wsNormal;
}

// A font is read name, size, colour; a failure keeps what was read so far.
void ReadFont(TRegistry& reg, const std::string& key, TFontSetting& font) {
  if (!reg.OpenKey(key, false)) return;
  try {
    if (reg.ValueExists("Name")) font.Name = reg.ReadString("Name");
    if (reg.ValueExists("Size")) font.Size = reg.ReadInteger("Size");
    if (reg.ValueExists("Color")) font.Color = reg.ReadInteger("Color");
  } catch (const ERegistryException&) {
  }
}

void WriteFont(TRegistry& reg, const std::string& key, const TFontSetting& font) {
  reg.OpenKey(key, true);
  reg.WriteString("Name", font.Name);
  reg.WriteInteger("Size", font.Size);
  reg.WriteInteger("Color", font.Color);
}
}  // namespace

TMainSettings LoadSettings(TRegistry& reg, Prompts& prompts, const std::string& programFolder, int32_t lastPO) {
  TMainSettings s;
  s.Replies = s.Packets = ExcludeTrailingBackslash(programFolder);
  s.LastPO = lastPO;

  if (reg.OpenKey(K, false)) s.CurrentVersion = Str(reg, "Current Version", "");
  if (s.CurrentVersion.empty()) prompts.Information(kFirstRunText);

  if (reg.OpenKey(K + "\\Config\\Main", false)) {
    s.QuickViewerHeight = Int(reg, "Quick Viewer Height", s.QuickViewerHeight);
    s.QuickViewer = Flag(reg, "Quick Viewer", s.QuickViewer);
    s.DisplayFirstMessage = Flag(reg, "Display first message", s.DisplayFirstMessage);
    s.MoveToSentBox = Flag(reg, "Move to sent box", s.MoveToSentBox);
    s.OverlayPictures = Flag(reg, "Overlay Pictures", s.OverlayPictures);
    s.Toolbar = Flag(reg, "Toolbar", s.Toolbar);
    s.Statusbar = Flag(reg, "Statusbar", s.Statusbar);
    s.PersonalSeparate = Flag(reg, "Personal Seporate", s.PersonalSeparate);
    s.LastPO = Int(reg, "Last PO", s.LastPO);
  }
  if (reg.OpenKey(K + "\\Main\\Location", false)) {
    s.LocationStored = reg.ValueExists("Width") && reg.ValueExists("Height");
    s.Location.Top = Int(reg, "Top", s.Location.Top);
    s.Location.Left = Int(reg, "Left", s.Location.Left);
    s.Location.Height = Int(reg, "Height", s.Location.Height);
    s.Location.Width = Int(reg, "Width", s.Location.Width);
    s.Location.WindowState = StateOf(Int(reg, "WindowState", 0));
  }
  if (reg.OpenKey(K + "\\Config\\Directories", false)) {
    s.Replies = Str(reg, "Replies", s.Replies);
    s.Packets = Str(reg, "Packets", s.Packets);
  }
  if (reg.OpenKey(K + "\\Config\\Columns", false))
    for (int i = 0; i < 4; ++i) s.Columns[i] = Int(reg, ("Column" + std::to_string(i + 1)).c_str(), s.Columns[i]);
  if (reg.OpenKey(K + "\\Config\\Editor", false)) {
    s.EMail = Str(reg, "EMail", s.EMail);
    s.UseMime = Flag(reg, "Use Mime", s.UseMime);
    s.AddTags = Flag(reg, "Add Tags", s.AddTags);
  }
  if (reg.OpenKey(K + "\\Config\\Viewer", false)) {
    s.ShowKludgeLines = Flag(reg, "Show Kludge Lines", s.ShowKludgeLines);
    s.ShowAnsiColours = Flag(reg, "Show ANSI Colours", s.ShowAnsiColours);
  }
  if (reg.OpenKey(K + "\\Config\\Main", false)) s.ShowWelcomeScreen = Flag(reg, "Show welcome screen", s.ShowWelcomeScreen);
  if (reg.OpenKey(K + "\\Config\\Sort", false))
    for (int i = 0; i < 4; ++i) s.SortOrders[i] = TListSort::FromCode(Int(reg, kSortValueNames[i], 0)).Code();
  ReadFont(reg, K + "\\Config\\Viewer\\Font", s.ViewerFont);
  ReadFont(reg, K + "\\Config\\Viewer\\Quote\\Font", s.QuoteFont);
  ReadFont(reg, K + "\\Config\\Editor\\Font", s.EditorFont);

  if (reg.OpenKey(K + "\\Config\\User\\Signature", false)) {
    int64_t count = std::max<int64_t>(0, StrToIntDef(Str(reg, "", "0"), 0));
    for (int64_t i = 0; i < count; ++i) s.Signature.push_back(Str(reg, "SigLine" + std::to_string(i), ""));
  }
  return s;
}

void SaveSettings(TRegistry& reg, const TMainSettings& s) {
  TRegistryUpdate update(reg);
  reg.OpenKey(K, true);
  reg.WriteString("Current Version", kVersionText);
  reg.OpenKey(K + "\\Main\\Location", true);
  reg.WriteInteger("Top", s.Location.Top);
  reg.WriteInteger("Left", s.Location.Left);
  reg.WriteInteger("Height", s.Location.Height);
  reg.WriteInteger("Width", s.Location.Width);
  reg.WriteInteger("WindowState", static_cast<int32_t>(s.Location.WindowState));
  reg.OpenKey(K + "\\Config\\Main", true);
  reg.WriteBool("Display first message", s.DisplayFirstMessage);
  reg.OpenKey(K + "\\Config\\Directories", true);
  reg.WriteString("Replies", s.Replies);
  reg.WriteString("Packets", s.Packets);
  reg.OpenKey(K + "\\Config\\Columns", true);
  for (int i = 0; i < 4; ++i) reg.WriteInteger("Column" + std::to_string(i + 1), s.Columns[i]);
  reg.OpenKey(K + "\\Config\\User\\Signature", true);
  reg.WriteString("", std::to_string(s.Signature.size()));
  for (size_t i = 0; i < s.Signature.size(); ++i) reg.WriteString("SigLine" + std::to_string(i), s.Signature[i]);
  reg.OpenKey(K + "\\Config\\Main", true);
  reg.WriteBool("Toolbar", s.Toolbar);
  reg.WriteBool("Statusbar", s.Statusbar);
  reg.WriteBool("Move to sent box", s.MoveToSentBox);
  reg.WriteInteger("Quick Viewer Height", s.QuickViewerHeight);
  reg.WriteBool("Quick Viewer", s.QuickViewer);
  reg.OpenKey(K + "\\Config\\Editor", true);
  reg.WriteString("EMail", s.EMail);
  reg.WriteBool("Use Mime", s.UseMime);
  reg.WriteBool("Add Tags", s.AddTags);
  reg.OpenKey(K + "\\Config\\Main", true);
  reg.WriteInteger("Last PO", s.LastPO);
  reg.WriteBool("Personal Seporate", s.PersonalSeparate);
  reg.WriteBool("Overlay Pictures", s.OverlayPictures);
  reg.OpenKey(K + "\\Config\\Viewer", true);
  reg.WriteBool("Show Kludge Lines", s.ShowKludgeLines);
  reg.WriteBool("Show ANSI Colours", s.ShowAnsiColours);
  reg.OpenKey(K + "\\Config\\Main", true);
  reg.WriteBool("Show welcome screen", s.ShowWelcomeScreen);
  reg.OpenKey(K + "\\Config\\Sort", true);
  for (int i = 0; i < 4; ++i) reg.WriteInteger(kSortValueNames[i], s.SortOrders[i]);
  reg.OpenKey(K + "\\Config\\Viewer", true);
  WriteFont(reg, K + "\\Config\\Viewer\\Font", s.ViewerFont);
  WriteFont(reg, K + "\\Config\\Viewer\\Quote\\Font", s.QuoteFont);
  WriteFont(reg, K + "\\Config\\Editor\\Font", s.EditorFont);
}

void ApplySortOrders(const TMainSettings& settings, TMailList& list) {
  for (int i = 0; i < 4; ++i) list.SetSort(kSortKinds[i], TListSort::FromCode(settings.SortOrders[i]));
}

void KeepSortOrders(const TMailList& list, TMainSettings& settings) {
  for (int i = 0; i < 4; ++i) settings.SortOrders[i] = list.Sort(kSortKinds[i]).Code();
}

TIniPlacement ReadIniPlacement(const TIniFile& ini, const std::string& section, bool withStatusline) {
  TIniPlacement p;
  auto& w = p.Placement;
  w.Left = ini.ReadInteger(section, "Left", w.Left);
  w.Top = ini.ReadInteger(section, "Top", w.Top);
  w.Height = ini.ReadInteger(section, "Height", w.Height);
  w.Width = ini.ReadInteger(section, "Width", w.Width);
  w.WindowState = StateOf(ini.ReadInteger(section, "WindowState", 0));
  p.Stored = ini.ValueExists(section, "Width") && ini.ValueExists(section, "Height");
  p.Toolbar = ini.ReadBool(section, "Toolbar", true);
  if (withStatusline) p.Statusline = ini.ReadBool(section, "Statusline", true);
  return p;
}

bool WriteIniPlacement(TIniFile& ini, const std::string& section, const TIniPlacement& p, bool withStatusline) {
  const auto& w = p.Placement;
  bool ok = ini.WriteInteger(section, "Left", w.Left) && ini.WriteInteger(section, "Top", w.Top) &&
            ini.WriteInteger(section, "Height", w.Height) && ini.WriteInteger(section, "Width", w.Width) &&
            ini.WriteInteger(section, "WindowState", static_cast<int32_t>(w.WindowState)) &&
            ini.WriteBool(section, "Toolbar", p.Toolbar);
  if (withStatusline) ok = ok && ini.WriteBool(section, "Statusline", p.Statusline);
  return ok;
}

}  // namespace korrin
