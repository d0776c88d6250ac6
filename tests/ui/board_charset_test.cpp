// The board's character set in the properties dialog, and message texts
// shown in the set they are in.

#include <QComboBox>
#include <QLabel>

#include <gtest/gtest.h>

#include "engine/board_settings.h"
#include "engine/door_control.h"
#include "engine/mail_tree.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "explorer/qt/properties_form.h"
#include "platform/charset.h"
#include "platform/paths.h"
#include "platform/qt/qt_platform.h"
#include "support/qt_modal.h"
#include "support/test_env.h"

using namespace korrin;

TEST(BoardCharset, PropertiesChangeTheBoardsSetAndMessagesShowInTheirOwn) {
  const std::string dir = test::NewTempDir("po");
  TQWKPostOffice po;
  po.AddPostOffice("DEMO", "Demo Board", dir);
  TMailTree tree;
  TDoorControl door;
  TQWKMsg msg;
  msg.SetSubject("Caf\xE9");
  msg.SetCharset("ISO-8859-1");
  TPropertiesSource src{&po, &tree, &door, &msg, nullptr};
  {
    TPropertiesForm form(src);
    auto* sets = test::Find<QComboBox>(&form, "POCharset");
    ASSERT_NE(sets, nullptr);
    EXPECT_EQ(sets->currentData().toString(), "CP437");
    EXPECT_EQ(test::Find<QLabel>(&form, "MsgSubject")->text(), QString::fromUtf8("Caf\xC3\xA9"));
    sets->setCurrentIndex(sets->findData("ISO-8859-1"));
    form.reject();  // Cancel changes nothing
  }
  EXPECT_EQ(ReadBoardSettings(dir).Charset, "CP437");
  {
    TPropertiesForm form(src);
    auto* sets = test::Find<QComboBox>(&form, "POCharset");
    sets->setCurrentIndex(sets->findData("ISO-8859-1"));
    form.accept();
  }
  EXPECT_EQ(ReadBoardSettings(dir).Charset, "ISO-8859-1");
  EXPECT_EQ(CurrentBoardCharset(), "ISO-8859-1");
  // Typed text goes back into the set; what it cannot hold is named.
  std::string replaced;
  EXPECT_EQ(ToCharset(QString::fromUtf8("\xC3\xA9\xE2\x82\xAC"), "ISO-8859-1", &replaced), "\xE9?");
  EXPECT_EQ(replaced, "\xE2\x82\xAC");
  EXPECT_EQ(FromCharset("\x82", ""), QString::fromUtf8("\xC3\xA9"));
  SetCurrentBoardCharset(kCharsetCp437);
}
