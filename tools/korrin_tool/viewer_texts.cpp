#include "korrin_tool/viewer_texts.h"

#include "engine/qwk_msg.h"
#include "engine/to_reader.h"
#include "explorer/mail_commands.h"
#include "korrin_tool/qwk_date.h"
#include "platform/text.h"

namespace korrin::tool {

std::vector<std::string> AreaFlagTexts(uint32_t flags) {
  static const struct {
    uint32_t bit;
    const char* text;
  } kTexts[] = {
      {afL, "Local "},       {afN, "NetMail "},      {afE, "EchoMail "},      {afI, "Internet "},
      {afU, "Newsgroup "},   {afB, "No replies "},   {afP, "Private "},       {afO, "Public "},
      {afX, "General "},     {afR, "Read only "},    {afZ, "No replies "},    {afH, "Handles only "},
      {afA, "Alias allowed "}, {afAmp, "Allows attached files "},
  };
  std::vector<std::string> out;
  for (const auto& t : kTexts)
    if (flags & t.bit) out.push_back(t.text);
  return out;
}

TViewerHeader ViewerHeaderOf(const TQWKMsg& msg, int listRow, int listCount) {
  TViewerHeader h;
  h.Posted = ViewerDateText(msg.PostDate(), msg.PostTime());
  h.From = LongerText(msg.LongFrom(), msg.MsgFROM());
  h.To = LongerText(msg.LongTo(), msg.MsgTo());
  h.Subject = LongerText(msg.LongSubject(), msg.Subject());

  const TFolderKind kind = msg.ConfRecord().Kind;
  if (!msg.ConfName().empty()) {
    h.ConfLabel = msg.ConfName();
  } else {
    h.ConfLabel = "Conference " + std::to_string(msg.Conference());
    if (kind == TFolderKind::fkOutBox) h.ConfLabel += "    \"Out Box\"";
    else if (kind == TFolderKind::fkSaveBox) h.ConfLabel += "    \"Save Box\"";
    else if (kind == TFolderKind::fkSentBox) h.ConfLabel += "    \"Sent Box\"";
  }

  for (const auto& t : AreaFlagTexts(msg.AreaFlags())) {
    h.Flags += t;
    h.FlagWords.push_back(TrimRight(t));
  }
  if (msg.Status() == tStatus::sPublic) h.StatusLabel = "P U B L I C";
  else if (msg.Status() == tStatus::sPrivate) h.StatusLabel = "P R I V A T E";

  if (kind == TFolderKind::fkConference)
    h.MsgNum = std::to_string(msg.IndexPosition()) + " of " + std::to_string(msg.IndexCount());
  else
    h.MsgNum = std::to_string(listRow + 1) + " of " + std::to_string(listCount);
  h.NumberPanel = "Host Message #" + msg.Number();
  h.CarbonCopies = msg.CarbonCopies();
  return h;
}

}  // namespace korrin::tool
