#include "explorer/message_text.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/qwk_msg.h"
#include "platform/paths.h"
#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

TEST(MessageText, DateLineInBothForms) {
  const std::string label = "Date :         ";
  EXPECT_EQ(MessageDateLine("01-15-24", "13:45"), label + "Monday January 15 2024 at 1:45 PM");
  EXPECT_EQ(MessageDateLine("02/29/96 ", "00:05 "), label + "Thursday February 29 1996 at 12:05 AM");
  EXPECT_EQ(MessageDateLine("12\\31\\1999", "12:00"), label + "Friday December 31 1999 at 12:00 PM");
  EXPECT_EQ(MessageDateLine("07.04.76", "9:30"), label + "Saturday July 4 2076 at 9:30 AM");
  // Unreadable: as stored, two blanks, the time as stored.
  for (auto [date, time] : {std::pair{"02-30-24", "13:45"}, std::pair{"13-01-24", "10:00"},
                            std::pair{"01-15-24", "25:00"}, std::pair{"garbage", "x"}, std::pair{"01,15,24", "10:00"},
                            std::pair{"01-15", "10:00"}, std::pair{"", ""}})
    EXPECT_EQ(MessageDateLine(date, time), label + date + "  " + time) << date << " " << time;
}

// The layout: labels padded to 15 characters, the longer of the long and the
// header forms, a separator of 77 dashes, the subject again and the body.
TEST(MessageText, FileLayoutFromTheRecordAndItsBody) {
  test::TRecordingPrompts prompts;
  const std::string box = test::NewTempDir("box");
  const std::string file = test::WriteBoxFile(
      box,
      test::TPacketMessage().From("JOHN SMITH").To("ALL").Subject("Short").Date("03-01-24").Time("08:07").Body(
          "Subject: A much longer subject than fits\n\nFirst line\nSecond line"));
  TQWKMsg msg;
  TConfRec rec;
  rec.Kind = TFolderKind::fkOutBox;
  const std::string out = test::NewTempDir("out") + "Short.txt";
  ASSERT_TRUE(ExportMessageText(msg, {}, rec, 0, file, out));
  const std::string text = test::ReadFile(out);
  const std::string expected = "Date :         Friday March 1 2024 at 8:07 AM\r\n"
                               "To :           All\r\n"
                               "From :         John Smith\r\n"
                               "Subject :      A much longer subject than fits\r\n"
                               "\r\n" +
                               std::string(77, '-') + "\r\n\r\nA much longer subject than fits\r\n";
  EXPECT_EQ(text.substr(0, expected.size()), expected);
  EXPECT_NE(text.find("First line\r\nSecond line\r\n"), std::string::npos);
  EXPECT_TRUE(prompts.boxes.empty());

  // A file that cannot be made is reported as a plain box.
  EXPECT_FALSE(WriteMessageText(msg, test::TestRoot() + "no/such/folder/x.txt"));
  ASSERT_EQ(prompts.boxes.size(), 1u);
  EXPECT_EQ(prompts.boxes[0].kind, TBoxKind::bkPlain);
  EXPECT_EQ(prompts.boxes[0].text, "Could not create file - " + test::TestRoot() + "no/such/folder/x.txt");
}
