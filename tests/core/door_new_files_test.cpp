#include "door/new_files.h"

#include <gtest/gtest.h>

#include "engine/door_control.h"
#include "engine/mail_list.h"
#include "engine/to_door.h"
#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using Lines = std::vector<std::string>;

namespace {
// A first line laid out as BBSes write them: name from column 1, size after
// it, date from column 24, description after the blank of column 32.
std::string Entry(const std::string& name, const std::string& size, const std::string& date, const std::string& text) {
  std::string line(32, ' ');
  line.replace(0, name.size(), name);
  line.replace(14, size.size(), size);
  line.replace(23, date.size(), date);
  return line + text;
}
// A continuation: nothing but blanks in the first 32 columns.
std::string More(const std::string& text) { return std::string(32, ' ') + text; }

TDoorControl Door(const Lines& lines) {
  TDoorControl door;
  for (const auto& l : lines) door.ReadDoorIdLine(l);
  return door;
}
}  // namespace

TEST(NewFiles, EntriesContinuationsAndTheDotRules) {
  std::string dir = test::TPacketBuilder()
                        .NewFiles({"Files new since your last call", "",
                                   Entry("FIRST.ZIP", "12345", "01-15-24", "First line"),
                                   More("second line"),
                                   "",
                                   More("  after an empty line"),
                                   std::string(31, ' ') + "text in column 32 continues nothing",
                                   "X not a description line",
                                   Entry("NEXT.TXT", "2048", "02/29/24", "Follows at once"),
                                   std::string(24, ' ') + "v1.0 ends the description and is dropped",
                                   More("no dot: skipped between entries"),
                                   "Uploaded by J. Smith",
                                   "A.B",
                                   "Z.C",
                                   std::string(30, ' ') + ". in column 31 is no entry and no description"})
                        .NameCase(test::TNameCase::ncUpper)
                        .WriteTo(test::NewTempDir("packet"));
  auto entries = LoadNewFiles(dir);
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].EntryName, "FIRST.ZIP");
  EXPECT_EQ(entries[0].EntrySize, "12345");
  EXPECT_EQ(entries[0].EntryDate, "01-15-24");
  EXPECT_EQ(entries[0].EntryDescription, (Lines{"First line", "second line", "", "after an empty line"}));
  EXPECT_EQ(entries[1].EntryName, "NEXT.TXT");
  EXPECT_EQ(entries[1].EntryDate, "02/29/24");
  EXPECT_EQ(entries[1].EntryDescription, (Lines{"Follows at once"}));
  // Between entries any line with a dot starts one.
  EXPECT_EQ(entries[2].EntryName, "Uploaded by J. Sm");
  EXPECT_EQ(entries[2].EntrySize, "ith");
  EXPECT_EQ(entries[2].EntryDate, "");
  EXPECT_EQ(entries[2].EntryDescription, (Lines{""}));
  // Short lines with a dot in column 2 follow one another as entries.
  EXPECT_EQ(entries[3].EntryName, "A.B");
  EXPECT_EQ(entries[3].EntrySize, "");
  EXPECT_EQ(entries[4].EntryName, "Z.C");
  EXPECT_EQ(entries[4].EntryDescription, (Lines{""}));
}

TEST(NewFiles, LineEndsAndAnEntryFoundAfterADroppedLine) {
  const std::string web = More("see www.example.com for more");
  const Lines lines = {Entry("ONE.ZIP", "1", "01-01-24", "one"), std::string(22, ' ') + "x.y dropped", web,
                       Entry("TWO.ZIP", "2", "01-02-24", "two"), "Short.", "        no dot, text before column 33"};
  std::string dir = test::TPacketBuilder()
                        .NewFiles(lines)
                        .LineEnd("\n")
                        .FinalLineEnd(false)
                        .WriteTo(test::NewTempDir("packet"));
  auto entries = LoadNewFiles(dir);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].EntryDescription, (Lines{"one"}));
  EXPECT_EQ(entries[1].EntryName, web.substr(0, 43));
  EXPECT_EQ(entries[1].EntryDate, "see");
  EXPECT_EQ(entries[2].EntryName, "TWO.ZIP");
  EXPECT_EQ(entries[3].EntryName, "Short.");
  EXPECT_EQ(entries[3].EntryDescription, (Lines{""}));

  // The New Files list shows no row for the entry whose dot lies beyond
  // column 19: rows and entries are matched, not counted alike.
  int rows = 0;
  TNewFileLine parsed;
  for (const auto& l : lines) rows += ParseNewFileLine(l, parsed);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(entries[1].Row, -1);
  TNewFilesViewer viewer;
  viewer.SetEntries(entries);
  EXPECT_EQ(viewer.EntryOfRow(1), 2);
  EXPECT_EQ(viewer.EntryOfRow(2), 3);
  EXPECT_EQ(viewer.RowOfEntry(1), -1);
  EXPECT_EQ(viewer.RowOfEntry(3), 2);
}

TEST(NewFiles, AnyBytesAndLengthsNeverCrashOrHang) {
  EXPECT_TRUE(LoadNewFiles(test::NewTempDir("empty")).empty());
  std::string big(3 << 20, 'x');  // one 3 MB line without a dot
  std::string bytes = big + "\r\n" + std::string("\0\xff.\x1b", 4) + "\n" + More(std::string(200000, '.')) + "\r" +
                      std::string(1 << 20, ' ') + "\n";
  std::string dir = test::NewTempDir("odd");
  test::WriteFile(dir + "newfiles.dat", bytes);
  auto entries = LoadNewFiles(dir);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].EntryName, std::string("\0\xff.\x1b", 4));
  // A 200,000-dot line has its first dot in column 32: a description line
  // without leading blanks; the long blank line adds an empty one.
  ASSERT_EQ(entries[0].EntryDescription.size(), 3u);
  EXPECT_EQ(entries[0].EntryDescription[1].substr(0, 3), "...");
  EXPECT_EQ(entries[0].EntryDescription[2], "");
}

TEST(NewFiles, SizesAndDates) {
  EXPECT_EQ(FormatFileSize("2048"), "2.0 k");
  EXPECT_EQ(FormatFileSize("3145728"), "3.0 meg");
  EXPECT_EQ(FormatFileSize("1024"), "1024 bytes");
  EXPECT_EQ(FormatFileSize("1025"), "1.0 k");
  EXPECT_EQ(FormatFileSize("0"), "0 bytes");
  EXPECT_EQ(FormatFileSize("12k"), "12k");
  EXPECT_EQ(FormatFileSize(""), "");

  EXPECT_EQ(NewFileDateText("01-15-24", TDateOrder::doMDY, 2026), "Monday January 15 2024");
  EXPECT_EQ(NewFileDateText("12/08/2026", TDateOrder::doMDY, 2026), "Tuesday December 8 2026");
  EXPECT_EQ(NewFileDateText("31.12.99", TDateOrder::doDMY, 2026), "Friday December 31 1999");
  EXPECT_EQ(NewFileDateText("2024-02-29", TDateOrder::doYMD, 2026), "Thursday February 29 2024");
  EXPECT_EQ(NewFileDateText("12-08", TDateOrder::doMDY, 2026), "Tuesday December 8 2026");
  // The last separator found decides.
  EXPECT_EQ(NewFileDateText("01-15/24", TDateOrder::doMDY, 2026), "01-15/24");
  for (const char* bad : {"02-30-24", "13-01-24", "N/A", "19950101", "", "1-2-3-4", "--", "12,08,26"})
    EXPECT_EQ(NewFileDateText(bad, TDateOrder::doMDY, 2026), bad);
}

TEST(NewFiles, ViewerWrapsAndCounts) {
  TNewFilesViewer viewer;
  EXPECT_EQ(viewer.View(TDateOrder::doMDY, 2026).Count, "0 of 0");
  viewer.Next();
  viewer.Previous();
  EXPECT_EQ(viewer.CurrentName(), "");
  viewer.SetEntries({{" A.ZIP ", "4096", "01-15-24", {"a"}}, {"B.ZIP", "x", "?", {}}, {"C.ZIP", "1", "", {}}});
  viewer.SetCurrentEntry(7);  // a row beyond the list shows the last entry
  EXPECT_EQ(viewer.CurrentEntry(), 2);
  viewer.Next();
  EXPECT_EQ(viewer.CurrentEntry(), 0);
  auto v = viewer.View(TDateOrder::doMDY, 2026);
  EXPECT_EQ(v.Name, "A.ZIP");
  EXPECT_EQ(v.Size, "4.0 k");
  EXPECT_EQ(v.Date, "Monday January 15 2024");
  EXPECT_EQ(v.Count, "1 of 3");
  viewer.Previous();
  EXPECT_EQ(viewer.CurrentEntry(), 2);
  viewer.SetCurrentEntry(-4);
  EXPECT_EQ(viewer.CurrentEntry(), 0);
}

TEST(NewFiles, RequestsFollowTheDoorsFlagAndMaximum) {
  test::TRecordingPrompts prompts;
  std::string work = test::NewTempDir("work");
  test::WriteFile(work + "TODOOR.EXT", "KEYWORD HELLO\r\nREQUEST OLD.ZIP\r\n");
  TToDoor toDoor;
  toDoor.SetDirectory(work);
  // Any door that announces requests gets them, whatever its name.
  TDoorControl door = Door({"DOOR = SOMEDOOR", "CONTROLTYPE = ALLOWREQUEST", "CONTROLTYPE = MAXREQUESTS 3"});
  EXPECT_EQ(RequestFile(door, toDoor, "NEW.ZIP"), TRequestResult::rrRequested);
  EXPECT_EQ(RequestFile(door, toDoor, "new.zip"), TRequestResult::rrAlreadyRequested);
  EXPECT_EQ(RequestFile(door, toDoor, "old.zip"), TRequestResult::rrAlreadyRequested);
  prompts.inputs = {"much_too_long.zip", "nodot", std::nullopt, "x.txt", "y.txt"};
  EXPECT_EQ(RequestAnyFile(door, toDoor), TRequestResult::rrInvalidName);
  EXPECT_EQ(RequestAnyFile(door, toDoor), TRequestResult::rrInvalidName);
  EXPECT_EQ(RequestAnyFile(door, toDoor), TRequestResult::rrCancelled);
  EXPECT_EQ(RequestAnyFile(door, toDoor), TRequestResult::rrRequested);
  EXPECT_EQ(RequestAnyFile(door, toDoor), TRequestResult::rrMaximum);
  EXPECT_EQ(prompts.Texts(),
            (Lines{"The file NEW.ZIP has been requested and will be included in your next mail packet.",
                   "File new.zip has already been requested from BBS", "File old.zip has already been requested from BBS",
                   "much_too_long.zip is not a valid filename.", "nodot is not a valid filename.",
                   "The file x.txt has been requested and will be included in your next mail packet.",
                   "You have reached the maximum allowed file requests per mail packet."}));
  EXPECT_EQ(prompts.boxes[3].kind, TBoxKind::bkError);
  EXPECT_EQ(PendingRequests(work), (Lines{"OLD.ZIP", "NEW.ZIP", "x.txt"}));
  EXPECT_EQ(test::ReadFile(work + "TODOOR.EXT"),
            "KEYWORD HELLO\r\nREQUEST OLD.ZIP\r\nREQUEST NEW.ZIP\r\nREQUEST x.txt\r\n");
  EXPECT_FALSE(IsValidRequestName("a\r\nb.zip"));

  // Without MAXREQUESTS every request ends with the maximum notice; a door
  // without the flag gets nothing and no box.
  prompts.boxes.clear();
  EXPECT_EQ(RequestFile(Door({"CONTROLTYPE = ALLOWREQUEST"}), toDoor, "Z.ZIP"), TRequestResult::rrMaximum);
  EXPECT_EQ(RequestFile(Door({"DOOR = OLMS", "CONTROLTYPE = MAXREQUESTS 9"}), toDoor, "Z.ZIP"),
            TRequestResult::rrNotAllowed);
  EXPECT_EQ(RequestFile(door, toDoor, ""), TRequestResult::rrNotAllowed);
  EXPECT_EQ(prompts.Texts(), (Lines{"You have reached the maximum allowed file requests per mail packet."}));
}
