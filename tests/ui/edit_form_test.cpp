#include "reading/qt/edit_form.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/mail_tree.h"
#include "engine/qwk_header.h"
#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/mail_tree_view.h"
#include "explorer/qt/help_window.h"
#include "explorer/qt/main_form.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/qt_fake_host.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;
namespace fs = std::filesystem;

namespace {
std::string MakePacket() {
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .User("JANE READER")
      .Conference(1, "General")
      .Conference(2, "Private Mail")
      .Message(1, test::TPacketMessage()
                      .Number("501")
                      .From("JOHN SMITH")
                      .To("JANE READER")
                      .Subject("Welcome")
                      .Body("Hello there, this is a rather long first line of the message that needs wrapping\n"
                            "and a second line.\n\nRegards"))
      .Message(2, test::TPacketMessage().From("SYSOP").Subject("Rules").Body("Be nice."))
      .ToReader({"AREA 1 aLE", "AREA 2 aP"})
      .NameCase(test::TNameCase::ncUpper)
      .WriteTo(dir);
  std::string packets = test::TestRoot() + "packets/";
  fs::create_directories(packets);
  return test::ZipFolder(dir, packets + "DEMO.QWK");
}

std::vector<std::string> OutBoxFiles() {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto& e : fs::directory_iterator(ProgramFolder() + "DEMO/OutBox", ec))
    if (e.path().extension() == ".qms") out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

// Lets a closed editor go (its deletion is deferred).
void Settle() {
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

void Type(QWidget* w, const QString& text) {
  w->setFocus();
  QStringList parts = text.split('\n');
  for (int i = 0; i < parts.size(); ++i) {
    if (i > 0) QTest::keyClick(w, Qt::Key_Return);
    QTest::keyClicks(w, parts[i]);
  }
}

// The main window opens the help on its first start; it goes with the test.
struct THelpClosed {
  ~THelpClosed() { THelp::CloseWindow(); }
};

void SelectFolder(TMainForm& form, TMailTreeNode* node, int row) {
  form.MailTreeView1()->Tree().Select(node);
  form.MailListView1()->SetCurrentRow(row);
}
}  // namespace

TEST(EditForm, NewMessageIsTypedRenderedAndPosted) {
  THelpClosed help;
  test::TRecordingPrompts prompts;
  test::WriteFile(ProgramFolder() + "korrin.tag", "Tagline one\r\nTagline two\r\n");
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
  form.NewBtnClick();
  TEditForm* editor = form.Editor();
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor->windowTitle(), "Korrin Mail Editor");
  EXPECT_GE(editor->minimumWidth(), 460);
  EXPECT_EQ(editor->UserName(), "Jane Reader");
  auto* conf = Find<QComboBox>(editor, "ConfBox");
  ASSERT_EQ(conf->count(), 2);
  EXPECT_EQ(conf->itemText(0), "1 General");
  EXPECT_EQ(Find<QLabel>(editor, "ExLabel")->text(), "Local EchoMail ");
  EXPECT_EQ(Find<QLabel>(editor, "StatusLabel")->text(), "P U B L I C");
  EXPECT_TRUE(editor->TagText() == "Tagline one" || editor->TagText() == "Tagline two");  // "Add Tags" is on
  EXPECT_LE(Find<QLineEdit>(editor, "ToEdit")->width(), 297);
  EXPECT_LE(Find<QLineEdit>(editor, "SubjectEdit")->width(), 325);
  EXPECT_TRUE(Find<QWidget>(editor, "ExplorerButton1")->isVisibleTo(editor));
  EXPECT_TRUE(form.findChild<QWidget*>("NewBtn")->isVisibleTo(&form));

  // The status: a click toggles it; the "P" conference forces it.
  QTest::mouseClick(Find<QLabel>(editor, "StatusLabel"), Qt::LeftButton);
  EXPECT_EQ(Find<QLabel>(editor, "StatusLabel")->text(), "P R I V A T E");
  conf->setCurrentIndex(1);
  EXPECT_FALSE(editor->Commands().Public1->isEnabled());
  QTest::mouseClick(Find<QLabel>(editor, "StatusLabel"), Qt::LeftButton);
  EXPECT_EQ(Find<QLabel>(editor, "StatusLabel")->text(), "P R I V A T E");
  conf->setCurrentIndex(0);

  Type(Find<QLineEdit>(editor, "ToEdit"), "Bob Brown");
  Find<QLineEdit>(editor, "SubjectEdit")->insert(QString::fromUtf8("Gr\u00FC\u00DFe"));  // as pasted
  Type(editor->Memo1(), "First line\nSecond line");
  editor->Signiture1Click();
  EXPECT_TRUE(editor->Memo1()->document()->isModified());
  editor->resize(560, 400);
  QApplication::processEvents();
  test::GrabToPng(editor, "editor-new");

  ASSERT_TRUE(editor->Sendmessage1Click());
  Settle();
  EXPECT_EQ(form.Editor(), nullptr);
  auto files = OutBoxFiles();
  ASSERT_EQ(files.size(), 1u);
  std::string bytes = test::ReadFile(files[0]);
  TQWKHeader h(bytes.substr(0, 128));
  EXPECT_EQ(TrimRight(h.To()), "Bob Brown");
  EXPECT_EQ(TrimRight(h.Subject()), "Gr\x81\xE1" "e");
  EXPECT_TRUE(h.StatusChar() == '+' || h.StatusChar() == '*') << h.StatusChar();  // private, as toggled
  EXPECT_NE(bytes.find("First line\xE3Second line\xE3"), std::string::npos);
  EXPECT_NE(bytes.find(" \xFETagline"), std::string::npos);

  // The placement went to "korrin.ini".
  TIniFile ini(ProgramFolder() + "korrin.ini");
  EXPECT_EQ(ini.ReadInteger("Editor", "Width", 0), 560);
  EXPECT_TRUE(prompts.Texts(TBoxKind::bkError).empty());
  EXPECT_TRUE(prompts.Texts(TBoxKind::bkConfirmation).empty());
}

TEST(EditForm, ReplyQuotesAndTheCloseQuestionPostsIt) {
  THelpClosed help;
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
  TMailTree& tree = form.MailTreeView1()->Tree();
  form.MailListView1()->SetCurrentRow(0);
  form.ReplyBtnClick();
  TEditForm* editor = form.Editor();
  ASSERT_TRUE(editor);
  EXPECT_EQ(Find<QLineEdit>(editor, "ToEdit")->text(), "John Smith");
  EXPECT_EQ(Find<QLineEdit>(editor, "SubjectEdit")->text(), "Re: Welcome");
  QStringList lines = editor->Memo1()->toPlainText().split('\n');
  ASSERT_GE(lines.size(), 4);
  EXPECT_TRUE(lines[0].startsWith("JS> Hello there"));
  for (const QString& l : lines) EXPECT_LE(l.size(), 73) << l.toStdString();
  EXPECT_TRUE(lines.contains("JS> Regards"));
  EXPECT_FALSE(editor->Memo1()->document()->isModified());
  test::GrabToPng(editor, "editor-reply");

  // A second Reply only brings the editor forward.
  form.ReplyBtnClick();
  EXPECT_EQ(form.Editor(), editor);

  QTextCursor end = editor->Memo1()->textCursor();
  end.movePosition(QTextCursor::End);
  editor->Memo1()->setTextCursor(end);
  Type(editor->Memo1(), "\nThanks!");
  prompts.answers.push_back(TBoxAnswer::baYes);
  EXPECT_TRUE(editor->close());
  EXPECT_EQ(prompts.boxes.back().text, kCloseQuestion);
  Settle();
  EXPECT_EQ(form.Editor(), nullptr);
  auto files = OutBoxFiles();
  ASSERT_EQ(files.size(), 1u);
  TQWKHeader h(test::ReadFile(files[0]).substr(0, 128));
  EXPECT_EQ(TrimRight(h.Subject()), "Re: Welcome");
  EXPECT_EQ(TrimRight(h.ReferNum()), "501");

  // Editing it from the Out Box: Esc leaves the file as it was.
  std::string before = test::ReadFile(files[0]);
  SelectFolder(form, tree.OutBox(), 0);
  EXPECT_EQ(Find<QAbstractButton>(&form, "ReplyBtn")->text(), "Edit");
  form.ReplyBtnClick();
  editor = form.Editor();
  ASSERT_TRUE(editor);
  EXPECT_EQ(Find<QLineEdit>(editor, "ToEdit")->text(), "John Smith");
  EXPECT_TRUE(editor->Memo1()->toPlainText().contains("Thanks!"));
  EXPECT_FALSE(editor->Memo1()->toPlainText().contains("Content-type"));  // the framing is not the text
  test::GrabToPng(editor, "editor-outbox-edit");
  EXPECT_FALSE(editor->Commands().Copy1->isEnabled());  // nothing selected
  EXPECT_FALSE(editor->Commands().Undo1->isEnabled());
  Type(editor->Memo1(), "changed ");
  QTest::keyClick(editor->Memo1(), Qt::Key_Escape);
  Settle();
  EXPECT_EQ(form.Editor(), nullptr);
  ASSERT_EQ(OutBoxFiles(), files);
  EXPECT_EQ(test::ReadFile(files[0]), before);

  // Posting the edit replaces the file.
  SelectFolder(form, tree.OutBox(), 0);
  form.ReplyBtnClick();
  editor = form.Editor();
  ASSERT_TRUE(editor);
  Type(editor->Memo1(), "P.S. ");
  ASSERT_TRUE(editor->Sendmessage1Click());
  Settle();
  auto after = OutBoxFiles();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_NE(after[0], files[0]);
  EXPECT_NE(test::ReadFile(after[0]).find("P.S. "), std::string::npos);
  EXPECT_EQ(form.MailListView1()->List().Rows().size(), 1u);  // the Out Box list was refilled
}

TEST(EditForm, ForwardValidationEscAndClosingThePacket) {
  THelpClosed help;
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
  TMailTree& tree = form.MailTreeView1()->Tree();
  TMailTreeNode* second = nullptr;
  for (TMailTreeNode* n : tree.Nodes())
    if (n->Caption == "2 Private Mail") second = n;
  ASSERT_TRUE(second);
  SelectFolder(form, second, 0);
  form.ForwardBtnClick();
  TEditForm* editor = form.Editor();
  ASSERT_TRUE(editor);
  EXPECT_EQ(Find<QLineEdit>(editor, "ToEdit")->text(), "");
  EXPECT_EQ(Find<QLineEdit>(editor, "SubjectEdit")->text(), "Rules");
  EXPECT_EQ(Find<QComboBox>(editor, "ConfBox")->currentIndex(), 1);
  EXPECT_EQ(Find<QLabel>(editor, "StatusLabel")->text(), "P R I V A T E");  // forced by "P"

  // Without a recipient the editor stays open with its text.
  EXPECT_FALSE(editor->Sendmessage1Click());
  EXPECT_EQ(prompts.boxes.back().text, kErrNoRecipient);
  EXPECT_EQ(form.Editor(), editor);

  // Closing the packet asks about the message: No keeps both.
  Type(Find<QLineEdit>(editor, "ToEdit"), "Ann Other");
  prompts.answers.push_back(TBoxAnswer::baNo);
  form.CloseBtnClick();
  EXPECT_TRUE(tree.PacketLoaded());
  EXPECT_EQ(prompts.boxes.back().text,
            "You are currently sending a message to Ann Other.\r\n\r\nDo you wish to cancel the message?");
  EXPECT_EQ(form.Editor(), editor);

  // Yes gives the message up and closes the packet.
  prompts.answers.push_back(TBoxAnswer::baYes);
  test::AnswerNextModal([](QWidget* w) {
    Find<QRadioButton>(w, "LeaveRad")->click();
    Find<QPushButton>(w, "Button1")->click();
  });
  form.CloseBtnClick();
  Settle();
  EXPECT_FALSE(tree.PacketLoaded());
  EXPECT_EQ(form.Editor(), nullptr);
  EXPECT_TRUE(OutBoxFiles().empty());

  // Without a packet: Esc in a field closes without asking even after
  // changes; the close box after changes asks, and No gives the text up.
  form.NewBtnClick();
  editor = form.Editor();
  ASSERT_TRUE(editor);
  Type(editor->Memo1(), "Some text");
  size_t boxes = prompts.boxes.size();
  QTest::keyClick(Find<QLineEdit>(editor, "SubjectEdit"), Qt::Key_Escape);
  Settle();
  EXPECT_EQ(form.Editor(), nullptr);
  EXPECT_EQ(prompts.boxes.size(), boxes);
  form.NewBtnClick();
  editor = form.Editor();
  Type(editor->Memo1(), "More text");
  prompts.answers.push_back(TBoxAnswer::baNo);
  EXPECT_TRUE(editor->close());
  EXPECT_EQ(prompts.boxes.back().text, kCloseQuestion);
  Settle();
  EXPECT_EQ(form.Editor(), nullptr);
  EXPECT_TRUE(form.close());
}

// The editor against a stand-in for the main window: it takes the host's
// settings and packet, posts into the Out Box, refills the host's list while
// the Out Box is shown, tells the host when it goes, and its window commands
// are the host's.
TEST(EditForm, WorksThroughItsHost) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  ASSERT_TRUE(host.Open(MakePacket()));
  host.Session().Settings().AddTags = false;
  host.Session().Settings().Signature = {"-- Jane from the host"};
  TMailTree& tree = host.Session().Tree();
  tree.Select(tree.OutBox());
  EXPECT_TRUE(host.MailList().Rows().empty());

  QPointer<TEditForm> editor = new TEditForm(host);
  EXPECT_EQ(editor->parentWidget(), nullptr);
  editor->QWKMsg2().SetPacketDirectory(tree.Directory());
  editor->SelectConference(editor->QWKMsg2().Conference());
  editor->show();
  EXPECT_EQ(editor->TagText(), "<None>");
  EXPECT_EQ(editor->UserName(), "Jane Reader");
  editor->findChild<QAction*>("Options1")->trigger();
  editor->findChild<QAction*>("Properties1")->trigger();
  editor->findChild<QAction*>("KorrinExplorer1")->trigger();
  EXPECT_EQ(host.calls, (std::vector<std::string>{"options 2", "properties", "front"}));

  Type(Find<QLineEdit>(editor, "ToEdit"), "Bob Brown");
  Type(Find<QLineEdit>(editor, "SubjectEdit"), "Through the host");
  Type(editor->Memo1(), "Body text");
  editor->Signiture1Click();
  EXPECT_TRUE(editor->Memo1()->toPlainText().contains("-- Jane from the host"));
  int updates = host.updates;
  ASSERT_TRUE(editor->Sendmessage1Click());
  Settle();
  EXPECT_TRUE(editor.isNull());
  EXPECT_GT(host.updates, updates);  // the host's commands follow the editor's going
  EXPECT_EQ(host.refills, 1);
  ASSERT_EQ(host.MailList().Rows().size(), 1u);
  auto files = OutBoxFiles();
  ASSERT_EQ(files.size(), 1u);
  TQWKHeader h(test::ReadFile(files[0]).substr(0, 128));
  EXPECT_EQ(TrimRight(h.To()), "Bob Brown");
  EXPECT_EQ(TrimRight(h.Subject()), "Through the host");
  EXPECT_TRUE(prompts.Texts(TBoxKind::bkError).empty());
}

TEST(EditForm, EscThatClosesAMenuLeavesTheMessageAlone) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  ASSERT_TRUE(host.Open(MakePacket()));
  QPointer<TEditForm> editor = new TEditForm(host);
  editor->show();
  Type(editor->Memo1(), "Not to be lost");
  QMenu* menu = editor->menuBar()->actions().at(0)->menu();
  ASSERT_NE(menu, nullptr);
  menu->popup(editor->mapToGlobal(QPoint(10, 10)));
  QTest::keyPress(menu, Qt::Key_Escape);  // the menu takes the press and closes
  EXPECT_FALSE(menu->isVisible());
  QTest::keyRelease(editor->Memo1(), Qt::Key_Escape);  // the release lands in the text
  Settle();
  ASSERT_FALSE(editor.isNull());
  EXPECT_FALSE(editor->Closed());
  EXPECT_TRUE(prompts.boxes.empty());
  EXPECT_TRUE(editor->Memo1()->toPlainText().contains("Not to be lost"));
  QTest::keyClick(editor->Memo1(), Qt::Key_Escape);  // an Esc of its own still leaves the editor
  Settle();
  EXPECT_TRUE(editor.isNull() || editor->Closed());
}
