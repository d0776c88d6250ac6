#include "korrin_tool/viewer_texts.h"

#include "engine/qwk_msg.h"
#include "engine/to_reader.h"
#include "platform/text.h"
#include "reading/msg_view_header.h"

namespace korrin::tool {

std::vector<std::string> AreaFlagTexts(uint32_t flags) {
  // The viewer's order of the flags that have a text.
  static const uint32_t kOrder[] = {afL, afN, afE, afI, afU, afB, afP, afO, afX, afR, afZ, afH, afA, afAmp};
  std::vector<std::string> out;
  for (uint32_t bit : kOrder)
    if (flags & bit) out.push_back(TrimRight(ExLabelText(bit)));
  return out;
}

TViewerHeader ViewerHeaderOf(const TQWKMsg& msg, int listRow, int listCount) {
  const TMsgViewHeader v = MsgViewHeader(msg, listRow, listCount, TDateOrder::doMDY);
  TViewerHeader h;
  h.Posted = v.Date;
  h.From = v.From;
  h.To = v.To;
  h.Subject = v.Subject;
  h.ConfLabel = v.Conf;
  h.StatusLabel = v.Status.value_or(std::string());
  h.Flags = v.Ex;
  h.FlagWords = AreaFlagTexts(msg.AreaFlags());
  h.MsgNum = v.MsgNum;
  h.NumberPanel = v.NumberPanel;
  h.CarbonCopies = msg.CarbonCopies();
  return h;
}

}  // namespace korrin::tool
