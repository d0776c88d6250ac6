#include "reading/qt/edit_form.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "engine/posting_order.h"
#include "engine/qwk_msg.h"
#include "explorer/qt/main_form.h"
#include "platform/paths.h"
#include "reading/taglines.h"
#include "engine/tessel_mime.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {
std::string MakePacket() {
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .User("JANE READER")
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().From("JOHN SMITH").To("JANE READER").Subject("Welcome").Body("Hello"))
      .NameCase(test::TNameCase::ncUpper)
      .WriteTo(dir);
  std::string packets = test::NewTempDir("packets");
  return test::ZipFolder(dir, packets + "DEMO.QWK");
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

// The Out Box messages' texts in posting order (the order the reply packet takes).
std::vector<Lines> OutBoxTexts() {
  Lines files = BoxFilesInPostingOrder(ProgramFolder() + "DEMO/OutBox");
  std::vector<Lines> out;
  for (const auto& f : files) {
    TQWKMsg msg;
    TConfRec rec;
    rec.Kind = TFolderKind::fkOutBox;
    EXPECT_TRUE(msg.LoadFromFile(f, rec));
    out.push_back(msg.Text());
  }
  return out;
}

std::string Decode(const std::vector<Lines>& messages, const std::string& name) {
  std::string joined;
  for (const auto& m : messages)
    for (const auto& l : m) joined += l + "\r\n";
  std::string dir = test::NewTempDir("decode");
  test::WriteFile(dir + "joined.txt", joined);
  TTesselMime codec;
  EXPECT_TRUE(codec.ExtractFile(dir + "joined.txt", dir + "out.bin", name)) << name;
  return test::ReadFile(dir + "out.bin");
}

void Settle() {
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

TEditForm* NewMessage(TMainForm& form, const QString& to, const QString& subject, const QString& text) {
  form.NewBtnClick();
  TEditForm* editor = form.Editor();
  if (!editor) return nullptr;
  QTest::keyClicks(Find<QLineEdit>(editor, "ToEdit"), to);
  QTest::keyClicks(Find<QLineEdit>(editor, "SubjectEdit"), subject);
  QTest::keyClicks(editor->Memo1(), text);
  return editor;
}

Lines Captions(QListWidget* list) {
  Lines out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
  return out;
}
}  // namespace

TEST(Attachments, AttachedAndDroppedFilesArePostedAndDecodeWhole) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
  for (bool mime : {true, false}) {
    SCOPED_TRACE(mime ? "mime" : "uu");
    form.Settings().UseMime = mime;
    TEditForm* editor = NewMessage(form, "All", "Files for you", "Here they are.");
    ASSERT_TRUE(editor);
    auto* viewer = Find<QListWidget>(editor, "AttachViewer");
    EXPECT_FALSE(viewer->isVisible());

    std::string dir = test::NewTempDir("files");
    std::string big = RandomBytes(100000, 5), small = RandomBytes(45, 6), blank = RandomBytes(90, 7);
    std::string bigFile = test::WriteFile(dir + "Report.PDF", big);
    std::string smallFile = test::WriteFile(dir + "tiny.bin", small);
    std::string blankFile = test::WriteFile(dir + "my holiday photo.gif", blank);

    // "&File attachment" with its file dialog.
    prompts.openFiles.push_back(bigFile);
    editor->Commands().Fileattachment1->trigger();
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(prompts.dialogs.back(), "Insert file attachment|All files (*)");
    // The toolbar button does the same.
    prompts.openFiles.push_back(smallFile);
    test::ClickButton(editor, "InsertBtn");
    // A dropped name with blanks arrives split: the whole file is attached
    // after the question; answering No attaches nothing.
    prompts.answers.push_back(TBoxAnswer::baNo);
    editor->DropFile1DropFile({dir + "my", "holiday", "photo.gif"});
    EXPECT_EQ(prompts.boxes.back().text, std::string("Insert ") + blankFile +
                                             (mime ? " as a mime encode file attachment?" : " as a uuencode file attachment?"));
    EXPECT_EQ(viewer->count(), 2);
    prompts.answers.push_back(TBoxAnswer::baYes);
    editor->DropFile1DropFile({dir + "my", "holiday", "photo.gif"});
    EXPECT_EQ(Captions(viewer), (Lines{"report.pdf", "tiny.bin", "my holiday photo.gif"}));
    if (mime) test::GrabToPng(editor, "editor_attachments");

    ASSERT_TRUE(editor->Sendmessage1Click());
    Settle();
    EXPECT_FALSE(form.Editor());
    auto messages = OutBoxTexts();
    // Three messages for the report, one each for the others; the text once.
    ASSERT_EQ(messages.size(), 5u);
    int textCount = 0;
    for (const auto& m : messages) textCount += static_cast<int>(std::count(m.begin(), m.end(), "Here they are."));
    EXPECT_EQ(textCount, 1);
    EXPECT_TRUE(Decode({messages.begin(), messages.begin() + 3}, "Report.PDF") == big);
    EXPECT_TRUE(Decode({messages[3]}, "tiny.bin") == small);
    EXPECT_TRUE(Decode({messages[4]}, "my holiday photo.gif") == blank);
    for (auto& e : fs::directory_iterator(ProgramFolder() + "DEMO/OutBox")) fs::remove(e.path());
  }
  // No part file is left in the work folder.
  for (auto& e : fs::directory_iterator(form.TempDirectory()))
    EXPECT_EQ(e.path().filename().string().find(".0"), std::string::npos) << e.path();
}

TEST(Attachments, TagButtonRunsTheChooser) {
  test::TRecordingPrompts prompts;
  SaveTaglineFile(ProgramFolder() + "korrin.tag", {"Carpe diem", "Festina lente"});
  TMainForm form;
  form.show();
  form.Settings().AddTags = false;
  ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
  TEditForm* editor = NewMessage(form, "All", "Tagged", "Text");
  ASSERT_TRUE(editor);
  auto* tagBtn = Find<QPushButton>(editor, "TagBtn");
  auto* label = Find<QLabel>(editor, "TagLabel");
  ASSERT_TRUE(tagBtn && tagBtn->isVisible());
  EXPECT_EQ(label->text(), "<None>");
  test::AnswerNextModal([](QWidget* w) {
    auto* list = Find<QListWidget>(w, "ListBox1");
    QRect r = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    test::ClickButton(w, "UseBtn");
  });
  tagBtn->click();
  EXPECT_EQ(label->text(), "Festina lente");
  EXPECT_EQ(editor->QWKMsg2().Tagline(), "Festina lente");

  // Cleared in the chooser: no tagline.
  test::AnswerNextModal([](QWidget* w) {
    auto* field = Find<QLineEdit>(w, "TagEdit");
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    EXPECT_FALSE(Find<QPushButton>(w, "UseBtn")->isEnabled());
    test::ClickButton(w, "CancelBtn");
  });
  tagBtn->click();
  EXPECT_EQ(label->text(), "Festina lente");
  editor->Discard();
  Settle();
}
