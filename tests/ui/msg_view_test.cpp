#include "reading/qt/msg_view.h"

#include <QMenu>
#include <QDialog>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>

#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include "engine/mail_tree.h"
#include "engine/qwk_post_office.h"
#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/mail_tree_view.h"
#include "explorer/qt/main_form.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/shell.h"
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
const char* const kMimeBody =
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"XYZ\"\n"
    "\n"
    "--XYZ\n"
    "Content-Type: text/plain\n"
    "\n"
    "The picture is attached.\n"
    "--XYZ\n"
    "Content-Type: application/octet-stream; name=\"Hello.BIN\"\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "SGVsbG8sIFdvcmxkIQ==\n"
    "\n"
    "--XYZ--";
const char* const kUUBody =
    "Here it comes\n"
    "\n"
    "begin 644 abc.txt\n"
    "#86)C\n"
    "`\n"
    "end\n"
    "\n"
    "Bye";

std::string MakePacket() {
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .User("JANE READER")
      .Conference(1, "General")
      .Conference(2, "Echoes")
      .Conference(3, "Last")
      .Message(1, test::TPacketMessage()
                      .From("JOHN SMITH")
                      .To("JANE READER")
                      .Subject("Welcome")
                      .Date("12-05-97")
                      .Time("14:30")
                      .Number("101")
                      .Refer("77")
                      .Body("Hello Jane,\nVisit www.example.com. today\n> quoted line\nLast line"))
      .Message(1, test::TPacketMessage().From("MARY ANN").Subject("Picture").Date("13-45-97").Body(kMimeBody))
      .Message(2, test::TPacketMessage().From("SYSOP").Subject("Files").Status('*').Body(kUUBody))
      .Message(3, test::TPacketMessage().From("LAST ONE").Subject("The end").Body("Short"))
      .ToReader({"AREA 2 LEP"})
      .WriteTo(dir);
  std::string packets = test::TestRoot() + "packets/";
  fs::create_directories(packets);
  return test::ZipFolder(dir, packets + "DEMO.QWK");
}

std::string Text(QWidget* w, const char* name) { return Find<QLabel>(w, name)->text().toStdString(); }

class TRecordingShell : public Shell {
public:
  int OpenDocument(const std::string& target, const std::string&) override {
    opened.push_back(target);
    return result;
  }
  int StartProgram(const std::string&, const std::vector<std::string>&, const std::string&) override { return kShellOk; }
  std::vector<std::string> opened;
  int result = kShellOk;
};

// The text of a PDF file through pdftotext, when the machine has it.
std::optional<std::string> PdfText(const std::string& path) {
  QString tool = QStandardPaths::findExecutable("pdftotext");
  if (tool.isEmpty()) return std::nullopt;
  QProcess p;
  p.start(tool, {"-layout", QString::fromStdString(path), "-"});
  p.waitForFinished(20000);
  return p.readAllStandardOutput().toStdString();
}

// Pages of a PDF file (its page objects).
int PdfPages(const std::string& path) {
  std::string data = test::ReadFile(path);
  std::regex page("/Type\\s*/Page[^s]");
  return static_cast<int>(std::distance(std::sregex_iterator(data.begin(), data.end(), page), std::sregex_iterator()));
}
}  // namespace

TEST(MSGView, OpensWalksAndShowsEveryHeaderText) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
  // "Display first message": the viewer opens on the first message.
  TMSGView* view = form.MsgView();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->windowTitle(), "Korrin Mail Viewer");
  EXPECT_EQ(Text(view, "DateLabel"), "Friday December 5 1997 at 2:30 PM");
  EXPECT_EQ(Text(view, "FromLabel"), "John Smith");
  EXPECT_EQ(Text(view, "ToLabel"), "Jane Reader");
  EXPECT_EQ(Text(view, "Subjectlabel"), "Welcome");
  EXPECT_EQ(Text(view, "ConfLabel"), "1 General");
  EXPECT_EQ(Text(view, "StatusLabel"), "P U B L I C");
  EXPECT_EQ(Text(view, "ExLabel"), "");
  EXPECT_EQ(Text(view, "MsgNumLabel"), "1 of 2");
  EXPECT_EQ(Text(view, "NumberPanel"), "Host Message #101");
  auto* memo = Find<QPlainTextEdit>(view, "Memo1");
  EXPECT_TRUE(memo->toPlainText().startsWith("Hello Jane,\nVisit www.example.com. today"));
  EXPECT_TRUE(Find<QListWidget>(view, "AttachViewer")->isHidden());
  EXPECT_FALSE(Find<QToolButton>(view, "paperclip")->isEnabled());
  EXPECT_TRUE(Find<QAbstractButton>(view, "SaveBtn")->isEnabled());
  EXPECT_TRUE(Find<QToolButton>(view, "NextConfBtn")->isEnabled());
  EXPECT_FALSE(Find<QAbstractButton>(view, "CopyBtn")->isEnabled());
  TMailTree& tree = form.MailTreeView1()->Tree();
  auto& rows = form.MailListView1()->List().Rows();
  EXPECT_EQ(rows[0].ImageIndex, 3);  // opened: read
  test::GrabToPng(view, "msg-view");

  // Right: the next message; an unparsable date is shown as it stands.
  QTest::keyClick(memo, Qt::Key_Right);
  EXPECT_EQ(form.MsgView(), view);  // one viewer only
  EXPECT_EQ(Text(view, "Subjectlabel"), "Picture");
  EXPECT_EQ(Text(view, "DateLabel"), "13-45-97  13:45");
  EXPECT_EQ(Text(view, "MsgNumLabel"), "2 of 2");
  auto* list = Find<QListWidget>(view, "AttachViewer");
  EXPECT_FALSE(list->isHidden());
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->item(0)->text().toStdString(), "hello.bin");
  EXPECT_EQ(memo->toPlainText().trimmed().toStdString(), "The picture is attached.");
  test::GrabToPng(view, "msg-view-attachment");

  // The last row of a conference: on to the next conference, with its flags.
  QTest::keyClick(memo, Qt::Key_Right);
  EXPECT_EQ(tree.Selected()->Caption, "2 Echoes");
  EXPECT_EQ(Text(view, "Subjectlabel"), "Files");
  EXPECT_EQ(Text(view, "ExLabel"), "Local EchoMail Private ");
  EXPECT_EQ(Text(view, "StatusLabel"), "P R I V A T E");
  EXPECT_EQ(Text(view, "MsgNumLabel"), "1 of 1");
  test::GrabToPng(view, "msg-view-flags");
  // Enter on a short message goes straight on; past the last conference it wraps to the first.
  QTest::keyClick(memo, Qt::Key_Return);
  EXPECT_EQ(Text(view, "Subjectlabel"), "The end");
  QTest::keyClick(memo, Qt::Key_Space);
  EXPECT_EQ(tree.Selected()->Caption, "1 General");
  EXPECT_EQ(Text(view, "Subjectlabel"), "Welcome");
  // Left at the first row: the previous conference's last message.
  QTest::keyClick(memo, Qt::Key_Left);
  EXPECT_EQ(tree.Selected()->Caption, "3 Last");
  // Alt+Left and Alt+Right step through the conferences.
  QTest::keyClick(memo, Qt::Key_Left, Qt::AltModifier);
  EXPECT_EQ(tree.Selected()->Caption, "2 Echoes");
  EXPECT_EQ(Text(view, "Subjectlabel"), "Files");
  QTest::keyClick(memo, Qt::Key_Right, Qt::AltModifier);
  EXPECT_EQ(Text(view, "Subjectlabel"), "The end");
  // The main list lost its selection: the viewer takes its row back.
  form.MailListView1()->SetCurrentRow(-1);
  view->NextMessage();
  EXPECT_EQ(Text(view, "Subjectlabel"), "Welcome");

  // Options applies the viewer font and quote colour to the open viewer.
  test::AnswerNextModal([](QWidget* w) { test::ClickButton(w, "OkBtn"); });
  view->Options1Click();
  EXPECT_EQ(form.MsgView(), view);

  // Esc closes the viewer; its placement is written.
  view->setGeometry(77, 66, 600, 400);
  QTest::keyClick(memo, Qt::Key_Escape);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(form.MsgView(), nullptr);
  TIniFile ini(ProgramFolder() + "korrin.ini");
  EXPECT_EQ(ini.ReadInteger("Viewer", "Left", 0), 77);
  EXPECT_EQ(ini.ReadInteger("Viewer", "WindowState", 9), 0);
  EXPECT_TRUE(ini.ReadBool("Viewer", "Toolbar", false));
  ini.WriteInteger("Viewer", "Width", 640);
  ini.WriteBool("Viewer", "Statusline", false);
  form.MailListView1()->SetCurrentRow(0);  // the options refilled the list
  form.ReadBtnClick();  // View Message opens a new viewer with the stored placement
  view = form.MsgView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->width(), 640);
  EXPECT_TRUE(view->statusBar()->isHidden());

  // Closing the packet closes the viewer.
  test::AnswerNextModal([](QWidget* w) { test::ClickButton(w, "Button1"); });
  form.CloseBtnClick();
  EXPECT_EQ(form.MsgView(), nullptr);
  EXPECT_TRUE(prompts.Texts(TBoxKind::bkError).empty());
}

TEST(MSGView, AttachmentsSaveBoxBoxesAndPrinting) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
  TMSGView* view = form.MsgView();
  ASSERT_NE(view, nullptr);
  TMailTree& tree = form.MailTreeView1()->Tree();
  view->NextMessage();
  auto* list = Find<QListWidget>(view, "AttachViewer");
  ASSERT_EQ(list->count(), 1);

  // Double click: a folder is asked for and the decoded bytes land there.
  std::string out = test::NewTempDir("out");
  prompts.folders.push_back(out);
  list->item(0)->setSelected(true);
  list->setCurrentItem(list->item(0));
  EXPECT_TRUE(Find<QToolButton>(view, "paperclip")->isEnabled());
  view->ExtractSelected();
  EXPECT_EQ(prompts.dialogs.back().substr(0, 32), "Select folder to decode file to:");
  EXPECT_EQ(test::ReadFile(out + "hello.bin"), "Hello, World!");
  EXPECT_FALSE(fs::exists(form.TempDirectory() + "MimeText.tmp"));
  // Dragging out: the files are decoded into a folder of their own in the work folder.
  QStringList dragged = view->PrepareDragFiles();
  ASSERT_EQ(dragged.size(), 1);
  EXPECT_TRUE(dragged[0].startsWith(QString::fromStdString(form.TempDirectory())));
  EXPECT_NE(fs::path(dragged[0].toStdString()).parent_path(), fs::path(form.TempDirectory()).parent_path());
  EXPECT_EQ(test::ReadFile(dragged[0].toStdString()), "Hello, World!");

  // The uuencoded file of the next message, through "Extract File Inserts".
  view->NextMessage();
  prompts.folders.push_back(out);
  view->ExtractFileInserts1Click();
  EXPECT_EQ(test::ReadFile(out + "abc.txt"), "abc");
  EXPECT_EQ(form.BusyCount(), 0);

  // Save to the Save Box: Cancel keeps it out, OK copies it.
  std::string saveBox = PostOfficeBox(form.PostOffice().PostOfficeDirectory(), kSaveBoxFolder);
  prompts.answers.push_back(TBoxAnswer::baCancel);
  view->SaveBtnClick();
  EXPECT_EQ(prompts.Texts().back(), "Copy message to \"Save Box\"?");
  EXPECT_TRUE(fs::is_empty(saveBox));
  view->SaveBtnClick();
  view->PreviousMessage();  // the MIME message, saved with its part
  view->SaveBtnClick();
  ASSERT_EQ(std::distance(fs::directory_iterator(saveBox), fs::directory_iterator()), 2);

  // A Save Box message: its own label, buttons and wrap-around.
  tree.Select(tree.SaveBox());
  ASSERT_EQ(form.MailListView1()->List().Rows().size(), 2u);
  form.MailListView1()->SetCurrentRow(1);
  form.ReadBtnClick();
  EXPECT_EQ(form.MsgView(), view);
  EXPECT_EQ(Text(view, "MsgNumLabel"), "2 of 2");
  EXPECT_TRUE(Text(view, "ConfLabel").ends_with("    \"Save Box\"")) << Text(view, "ConfLabel");
  EXPECT_FALSE(Find<QAbstractButton>(view, "SaveBtn")->isEnabled());
  EXPECT_FALSE(Find<QToolButton>(view, "PrevConfBtn")->isEnabled());
  std::string second = Text(view, "Subjectlabel");
  view->NextMessage();
  EXPECT_EQ(Text(view, "MsgNumLabel"), "1 of 2");
  EXPECT_NE(Text(view, "Subjectlabel"), second);
  view->NextMessage();
  EXPECT_EQ(Text(view, "Subjectlabel"), second);
  // The saved MIME message still carries its attachment.
  if (Text(view, "Subjectlabel") != "Picture") view->NextMessage();
  ASSERT_EQ(Text(view, "Subjectlabel"), "Picture");
  ASSERT_EQ(list->count(), 1);
  list->item(0)->setSelected(true);
  std::string out2 = test::NewTempDir("out2");
  prompts.folders.push_back(out2);
  view->ExtractSelected();
  EXPECT_EQ(test::ReadFile(out2 + "hello.bin"), "Hello, World!");
  // Next conference from a box: Save Box, Sent Box, Out Box.
  view->NextConference();
  EXPECT_EQ(tree.Selected(), tree.SentBox());

  // Printing to PDF: the dialog-free way and the toolbar's way without a printer.
  tree.NextConference(0);
  form.MailListView1()->SetCurrentRow(0);
  form.ReadBtnClick();
  ASSERT_EQ(Text(view, "Subjectlabel"), "Welcome");
  std::string pdf = test::TestRoot() + "message.pdf";
  ASSERT_TRUE(view->PrintToPdf(QString::fromStdString(pdf)));
  if (!qEnvironmentVariable("KORRIN_SHOTS").isEmpty()) fs::copy_file(pdf, qEnvironmentVariable("KORRIN_SHOTS").toStdString() + "/message.pdf", fs::copy_options::overwrite_existing);
  EXPECT_EQ(PdfPages(pdf), 1);
  if (auto text = PdfText(pdf)) {
    EXPECT_NE(text->find("Date: 12-05-97 (14:30)"), std::string::npos) << *text;
    EXPECT_NE(text->find("Number: 101"), std::string::npos);
    EXPECT_NE(text->find("From: John Smith"), std::string::npos);
    EXPECT_NE(text->find("Refer#: 77"), std::string::npos);
    EXPECT_NE(text->find("Status: PUBLIC"), std::string::npos);
    EXPECT_NE(text->find("Conf: ( 1 General )"), std::string::npos);
    EXPECT_NE(text->find("> quoted line"), std::string::npos);
  }
  std::string twice = test::TestRoot() + "twice.pdf";
  ASSERT_TRUE(view->PrintToPdf(QString::fromStdString(twice), 2));
  EXPECT_EQ(PdfPages(twice), 2);
  std::string viaButton = test::TestRoot() + "button.pdf";
  prompts.saveFiles.push_back(viaButton);
  test::ClickButton(view, "PrintButton");
  EXPECT_GT(fs::file_size(viaButton), 0u);

  // Closing the main window closes the viewer.
  test::AnswerNextModal([](QWidget* w) { test::ClickButton(w, "Button1"); });
  EXPECT_TRUE(form.close());
  EXPECT_EQ(form.MsgView(), nullptr);
  EXPECT_TRUE(prompts.Texts(TBoxKind::bkError).empty()) << prompts.Texts(TBoxKind::bkError)[0];
}

TEST(MSGView, LinksFindAndTheHeaderSplitter) {
  test::TRecordingPrompts prompts;
  TRecordingShell shell;
  SetShell(&shell);
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
  TMSGView* view = form.MsgView();
  ASSERT_NE(view, nullptr);
  auto* memo = Find<QPlainTextEdit>(view, "Memo1");

  // A double-clicked word with www. and a full stop opens http:// without it.
  int link = memo->document()->findBlockByNumber(1).position() + 8;
  view->OpenLinkAt(link);
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0], "http://www.example.com");
  view->OpenLinkAt(2);  // "Hello": no link
  EXPECT_EQ(shell.opened.size(), 1u);
  shell.result = kShellNoAssociation;
  view->OpenLinkAt(link);
  EXPECT_EQ(prompts.Texts().back(), "Could not execute associated program with http://www.example.com");

  // Find: from the caret, case and direction; a failed search says so.
  TFindOptions down;
  EXPECT_TRUE(view->FindText("LINE", down));
  EXPECT_EQ(memo->textCursor().selectedText().toStdString(), "line");
  EXPECT_EQ(memo->textCursor().blockNumber(), 2);
  EXPECT_TRUE(Find<QAbstractButton>(view, "CopyBtn")->isEnabled());
  view->FindNext1Click();
  EXPECT_EQ(memo->textCursor().selectedText().toStdString(), "line");
  EXPECT_EQ(memo->textCursor().blockNumber(), 3);
  view->FindNext1Click();
  EXPECT_EQ(prompts.Texts().back(), "The search string \"LINE\" not found.");
  TFindOptions up;
  up.Down = false;
  up.MatchCase = true;
  EXPECT_TRUE(view->FindText("Hello", up));
  EXPECT_EQ(memo->textCursor().selectionStart(), 0);
  // The dialog hands its options over.
  view->Find1Click();
  auto* dialog = view->findChild<QDialog*>("FindDialog1");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Find<QLineEdit>(dialog, "FindEdit")->text(), "Hello");
  Find<QLineEdit>(dialog, "FindEdit")->setText("quoted");
  test::ClickButton(dialog, "FindNextBtn");
  EXPECT_EQ(memo->textCursor().selectedText().toStdString(), "quoted");
  test::GrabToPng(view, "msg-view-find");

  // The header splitter: the bar follows within its bounds, the release sets the height.
  QWidget* strip = view->findChild<QWidget*>("HeaderSplitter");
  ASSERT_NE(strip, nullptr);
  QWidget* bar = view->findChild<QWidget*>("SplitBar");
  QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(10, 2));
  EXPECT_TRUE(bar->isVisible());
  QMouseEvent move(QEvent::MouseMove, QPointF(10, -60), strip->mapToGlobal(QPointF(10, -60)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  int top = strip->y();  // the strip sits under the header
  QApplication::sendEvent(strip, &move);
  EXPECT_EQ(bar->y(), top - 60);
  QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(10, -60));
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(view->HeaderHeight(), top - 60);
  QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(10, 2));
  QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(10, 300));
  EXPECT_EQ(view->HeaderHeight(), 113);

  test::AnswerNextModal([](QWidget* w) { test::ClickButton(w, "Button1"); });
  form.CloseBtnClick();
  SetShell(nullptr);
}

TEST(MSGView, NewReplyAndForwardAreTheMainWindowsCommands) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
  TMSGView* view = form.MsgView();
  ASSERT_NE(view, nullptr);
  auto* reply = view->findChild<QAction*>("ReplytoMessage1");
  EXPECT_TRUE(Find<QAbstractButton>(view, "ReplyBtn")->isVisibleTo(view));
  EXPECT_TRUE(reply->isEnabled());
  test::GrabToPng(view, "msg-view-mail-buttons");
  // Reply runs on the row the viewer shows and closes the viewer.
  view->NextMessage();
  form.MailListView1()->SetCurrentRow(-1);
  reply->trigger();
  EXPECT_EQ(form.MsgView(), nullptr);
  EXPECT_EQ(form.MailListView1()->CurrentRow(), 1);
  // The editor window that opened goes before the main window.
  for (auto* w : form.findChildren<QMainWindow*>())
    if (w->inherits("korrin::TEditForm")) delete w;
}

// The viewer against a stand-in for the main window: it steps through the
// host's list, follows its busy state, and its window commands are the host's.
TEST(MSGView, WorksThroughItsHost) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  ASSERT_TRUE(host.Open(MakePacket()));
  ASSERT_EQ(host.MailList().Rows().size(), 2u);
  const std::string dir = host.Session().Tree().Directory();
  QPointer<TMSGView> view = new TMSGView(host);
  host.MailList().OnOpenMessage = [&](const TConfRec* rec, int index, int) { view->ViewMessage(dir, index + 1, *rec); };
  host.OpenRow(0);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(Text(view, "Subjectlabel"), "Welcome");
  EXPECT_EQ(Text(view, "MsgNumLabel"), "1 of 2");
  EXPECT_TRUE(Find<QAbstractButton>(view, "SaveBtn")->isEnabled());

  // Next Message selects and opens the host's next row.
  view->findChild<QAction*>("NextMessage1")->trigger();
  EXPECT_EQ(host.SelectedRow(), 1);
  EXPECT_EQ(Text(view, "Subjectlabel"), "Picture");
  EXPECT_EQ(Text(view, "MsgNumLabel"), "2 of 2");

  // Reply acts on the row shown, selected again when the host lost it.
  host.calls.clear();
  host.SelectRow(-1);
  view->findChild<QAction*>("ReplytoMessage1")->trigger();
  view->findChild<QAction*>("ForwardMessage1")->trigger();
  view->findChild<QAction*>("NewMessage1")->trigger();
  view->findChild<QAction*>("Options1")->trigger();
  view->findChild<QAction*>("Properties1")->trigger();
  view->findChild<QAction*>("KorrinExplorer1")->trigger();
  view->findChild<QAction*>("MailFinder1")->trigger();
  view->findChild<QAction*>("Exit1")->trigger();
  EXPECT_EQ(host.calls, (std::vector<std::string>{"reply 1", "forward 1", "new", "options 2", "properties", "front",
                                                  "finder", "close"}));
  // "Mail Finder" is shown while the finder exists.
  auto* viewMenu = view->findChild<QMenu*>("View1");
  emit viewMenu->aboutToShow();
  EXPECT_FALSE(view->findChild<QAction*>("MailFinder1")->isVisible());
  host.finder = true;
  emit viewMenu->aboutToShow();
  EXPECT_TRUE(view->findChild<QAction*>("MailFinder1")->isVisible());

  // The host's busy state turns the commands off.
  host.SetBusy(true);
  view->UpdateButtons();
  EXPECT_FALSE(Find<QAbstractButton>(view, "SaveBtn")->isEnabled());
  EXPECT_FALSE(view->findChild<QAction*>("ReplytoMessage1")->isEnabled());
  host.SetBusy(false);
  view->UpdateButtons();
  EXPECT_TRUE(Find<QAbstractButton>(view, "ReplyBtn")->isEnabled());
  test::GrabToPng(view, "msg-view-fake-host");
  delete view.data();
  EXPECT_TRUE(prompts.Texts(TBoxKind::bkError).empty());
}

TEST(MSGView, PacketDatesAreMonthDayYearWhateverTheLocale) {
  const QLocale before;
  QLocale::setDefault(QLocale::c());  // day first in its short date form
  test::TRecordingPrompts prompts;
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .User("JANE READER")
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().From("A").Subject("One").Date("04-03-96").Time("09:15").Body("x"))
      .Message(1, test::TPacketMessage().From("B").Subject("Two").Date("12-25-26").Time("18:00").Body("y"))
      .WriteTo(dir);
  fs::create_directories(test::TestRoot() + "packets/");
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(test::ZipFolder(dir, test::TestRoot() + "packets/DATES.QWK")));
  TMSGView* view = form.MsgView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(Text(view, "DateLabel"), "Wednesday April 3 1996 at 9:15 AM");
  QTest::keyClick(Find<QPlainTextEdit>(view, "Memo1"), Qt::Key_Right);
  EXPECT_EQ(Text(view, "DateLabel"), "Friday December 25 2026 at 6:00 PM");  // a day above 12
  QLocale::setDefault(before);
}

TEST(MSGView, ReplyForwardAndSaveFollowTheMessageFromTheStart) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.Settings().DisplayFirstMessage = false;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
  QAbstractItemView* list = form.MailListView1()->ActiveView();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Return);  // opens the selected row
  TMSGView* view = form.MsgView();
  ASSERT_NE(view, nullptr);
  for (const char* b : {"ReplyBtn", "ForwardBtn", "SaveBtn"})
    EXPECT_TRUE(Find<QAbstractButton>(view, b)->isEnabled()) << b;
  // Shown while the main window is busy: its commands come alive when that ends, no click needed.
  form.SetBusy(true);
  form.OpenRow(1);
  EXPECT_FALSE(Find<QAbstractButton>(view, "ReplyBtn")->isEnabled());
  form.SetBusy(false);
  for (const char* b : {"ReplyBtn", "ForwardBtn", "SaveBtn"})
    EXPECT_TRUE(Find<QAbstractButton>(view, b)->isEnabled()) << b;
}

TEST(MSGView, KludgeLinesHiddenUntilShownAndTheChoiceIsKept) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS("Net Board", "NETB")
      .Conference(1, "Net")
      .Message(1, test::TPacketMessage().Subject("Routed").Body("\x01MSGID: 1:2/3 abcdef\n@VIA: somewhere\nThe text."))
      .WriteTo(dir);
  ASSERT_TRUE(host.Open(test::ZipFolder(dir, test::NewTempDir("packets") + "NETB.QWK")));
  const std::string folder = host.Session().Tree().Directory();
  QPointer<TMSGView> view = new TMSGView(host);
  host.MailList().OnOpenMessage = [&](const TConfRec* rec, int index, int) { view->ViewMessage(folder, index + 1, *rec); };
  host.Session().Settings().ShowKludgeLines = false;
  host.OpenRow(0);
  auto* memo = view->findChild<QPlainTextEdit*>("Memo1");
  ASSERT_TRUE(memo);
  EXPECT_EQ(memo->toPlainText().toStdString(), "The text.");
  auto* item = view->findChild<QAction*>("ShowKludgeLines1");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->text().toStdString(), "Show kludge lines");
  item->trigger();
  EXPECT_TRUE(host.Session().Settings().ShowKludgeLines);
  EXPECT_EQ(memo->toPlainText().toStdString(), "\x01MSGID: 1:2/3 abcdef\n@VIA: somewhere\nThe text.");
  item->trigger();
  EXPECT_FALSE(host.Session().Settings().ShowKludgeLines);
  EXPECT_EQ(memo->toPlainText().toStdString(), "The text.");
  delete view.data();
}

// The user reads in the viewer, picks another folder in the main window's
// tree, comes back and presses Next: the picked folder's first message shows,
// and every press shows another message.
TEST(MSGView, NextAfterATreeChangeShowsAnotherMessage) {
  test::TRecordingPrompts prompts;
  for (bool quick : {false, true}) {
    TMainForm form;
    form.Settings().DisplayFirstMessage = false;
    form.SetQuickViewerShown(quick);
    form.show();
    ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
    form.OpenRow(0);
    TMSGView* view = form.MsgView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Text(view, "Subjectlabel"), "Welcome");
    if (!quick) {  // at its minimum size the toolbar and a long counter stay whole
      view->resize(view->minimumSize());
      auto* counter = Find<QLabel>(view, "MsgNumLabel");
      counter->setText("17 of 26");
      QApplication::processEvents();
      EXPECT_GE(counter->contentsRect().width(), counter->fontMetrics().horizontalAdvance("17 of 26"));
      EXPECT_LE(counter->mapTo(view, QPoint(counter->width(), 0)).x(), view->width());
    }
    TMailTreeView* tv = form.MailTreeView1();
    auto items = tv->findItems("2 Echoes", Qt::MatchExactly | Qt::MatchRecursive, 0);
    ASSERT_EQ(items.size(), 1);
    form.activateWindow();
    QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, tv->visualItemRect(items[0]).center());
    QApplication::processEvents();
    view->activateWindow();
    QApplication::processEvents();
    std::vector<std::string> seen{Text(view, "Subjectlabel")};
    for (int i = 0; i < 3; ++i) {
      Find<QAbstractButton>(view, "NextBtn")->click();
      QApplication::processEvents();
      seen.push_back(Text(view, "Subjectlabel"));
    }
    // The folder picked starts with its selected first row, not after it.
    EXPECT_EQ(seen, (std::vector<std::string>{"Welcome", "Files", "The end", "Welcome"})) << "quick viewer " << quick;
    test::AnswerNextModal([](QWidget* w) { test::ClickButton(w, "Button1"); });
    form.CloseBtnClick();
  }
}
