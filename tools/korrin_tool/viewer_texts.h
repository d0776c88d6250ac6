#pragma once
// What the message viewer shows in its header pane for a message record,
// taken from the viewer's own header texts (reading/msg_view_header.h),
// with the flag texts also one by one for JSON. The texts are the record's
// bytes (code page 437); the caller converts them.

#include <cstdint>
#include <string>
#include <vector>

namespace korrin {
class TQWKMsg;
}

namespace korrin::tool {

struct TViewerHeader {
  std::string Posted;        // "Posted :"
  std::string From;          // "From :"
  std::string To;            // "To :"
  std::string Subject;       // "Subject :"
  std::string ConfLabel;     // "Posted in"
  std::string StatusLabel;   // "P U B L I C", "P R I V A T E", or empty for other statuses
  std::string Flags;         // the flag texts joined, each followed by a blank
  std::vector<std::string> FlagWords;  // the same, one text each without its blank
  std::string MsgNum;        // position " of " count
  std::string NumberPanel;   // "Host Message #" + number
  std::string CarbonCopies;
};

// The texts of the conference flags that are set, in the viewer's order,
// each without its trailing blank.
std::vector<std::string> AreaFlagTexts(uint32_t flags);

// The header as the viewer shows it. Dates are read month first, as QWK
// headers write them; `listRow` and `listCount` place a box message.
TViewerHeader ViewerHeaderOf(const TQWKMsg& msg, int listRow = 0, int listCount = 0);

}  // namespace korrin::tool
