#pragma once
// Window-free texts of the message viewer: the header pane (posted date in
// its long form, sender, recipient, subject, conference, status, conference
// flags), the message position of the toolbar and the host number of the
// status line.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/control_file.h"
#include "engine/qwk_header.h"

namespace korrin {

class TQWKMsg;

// The order of day, month and year in a date text.
enum class TDateOrder { doMDY, doDMY, doYMD };

struct TMsgDateTime {
  int Year = 0, Month = 0, Day = 0;
  int Hour = 0, Minute = 0, Second = 0;
  bool operator==(const TMsgDateTime&) const = default;
};

// The separator of the date's parts: the last of "-", "/", "\", ",", ":",
// "." (tested in this order) that occurs in the text; '\0' when none does.
char DateSeparatorOf(const std::string& postDate);

// Parses the date (its parts split at DateSeparatorOf, in the given order;
// two parts are month and day, or day and month, of the current year) and
// the time ("h:mm", "h:mm:ss", optionally followed by AM or PM). A year of
// one or two digits falls within the 50 years around `currentYear` (0: the
// clock's year). Blanks around both texts are ignored; an empty time is
// midnight. Nothing when either does not parse or names no real day.
std::optional<TMsgDateTime> ParseMsgDateTime(const std::string& postDate, const std::string& postTime,
                                             TDateOrder order, int currentYear = 0);

// The English names of the days (Sunday first) and months.
extern const char* const kDayNames[7];
extern const char* const kMonthNames[12];
// The day of the week of the date, 0 for Sunday.
int WeekDay(const TMsgDateTime& dt);

// "Friday December 5 1997 at 2:30 PM".
std::string LongDateText(const TMsgDateTime& dt);

// The long form of the date and time, or, when they do not parse, PostDate +
// two blanks + PostTime.
std::string DateLabelText(const std::string& postDate, const std::string& postTime, TDateOrder order,
                          int currentYear = 0);

// The conference name; without one "Conference " + number, followed for the
// boxes by four blanks and the box name in double quotes.
std::string ConfLabelText(const std::string& confName, uint16_t conference, TFolderKind kind);

// The texts of the set area flags (L, N, E, I, U, B, P, O, X, R, Z, H, A, &),
// each followed by a blank, in that order.
std::string ExLabelText(uint32_t areaFlags);

// "P U B L I C" or "P R I V A T E"; nothing (the label keeps its text) for
// the other statuses.
std::optional<std::string> StatusLabelText(tStatus status);

// position + " of " + count.
std::string MsgNumText(int position, int count);
// "Host Message #" + number (without trailing blanks).
std::string NumberPanelText(const std::string& number);

// Everything the header change shows.
struct TMsgViewHeader {
  std::string Date, From, To, Subject, Conf, Ex;
  std::optional<std::string> Status;
  int Position = 0, Count = 0;  // the two numbers of MsgNum
  std::string MsgNum, NumberPanel;
};

// The header texts of the record: From, To and Subject are the longer of
// the extended and the header field. Conference messages are placed by the
// record's index position and count, other messages by the main list's
// selected row (`listRow`, 0-based) and its row count.
TMsgViewHeader MsgViewHeader(const TQWKMsg& msg, int listRow, int listCount, TDateOrder order, int currentYear = 0);

}  // namespace korrin
