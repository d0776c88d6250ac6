#include "explorer/qt/main_form.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "engine/mail_tree.h"
#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/mail_tree_view.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;
namespace fs = std::filesystem;

namespace {
struct TRecordingShell : Shell {
  TRecordingShell() { SetShell(this); }
  ~TRecordingShell() override { SetShell(nullptr); }
  int OpenDocument(const std::string& target, const std::string&) override {
    opened.push_back(target);
    return kShellOk;
  }
  int StartProgram(const std::string&, const std::vector<std::string>&, const std::string&) override { return 0; }
  std::vector<std::string> opened;
};

std::string DownloadsPacket(const std::string& name) {
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().From("JOHN SMITH").Subject("Re: plans").Body("One"))
      .Message(1, test::TPacketMessage().From("MARY ANN").Subject("Re: plans").Body("Two"))
      .ToReader({"FILE readme.txt", "FILE FILE0001.ZIP,nice.zip"})
      .File("readme.txt", "read me")
      .File("FILE0001.ZIP", "zip bytes")
      .WriteTo(dir);
  return test::ZipFolder(dir, test::NewTempDir("packets") + name);
}

QAction* ActionOf(QWidget* form, const char* name) { return form->findChild<QAction*>(name); }
}  // namespace

// The Downloads menu appears with the packet's files; its commands open,
// extract and extract all; the rows drag out as files made on request.
TEST(MainFormDownloads, MenuCommandsAndDragOut) {
  test::TRecordingPrompts prompts;
  TRecordingShell shell;
  TMainForm form;
  form.Settings().DisplayFirstMessage = false;
  form.show();
  auto* downloads = Find<QMenu>(&form, "Downloads1");
  form.UpdateCommandStates();
  EXPECT_FALSE(downloads->menuAction()->isVisible());

  ASSERT_TRUE(form.OpenPacketFile(DownloadsPacket("DEMO.QWK")));
  form.UpdateCommandStates();
  EXPECT_TRUE(downloads->menuAction()->isVisible());
  TMailTree& tree = form.MailTreeView1()->Tree();

  // Two messages of one subject dragged together: two files.
  form.MailListView1()->SelectAll();
  std::unique_ptr<QMimeData> data(form.DragData());
  ASSERT_TRUE(data);
  QList<QUrl> urls = data->urls();  // the target asks: the files are made now
  ASSERT_EQ(urls.size(), 2);
  EXPECT_EQ(urls[0].fileName(), "Re plans.txt");
  EXPECT_EQ(urls[1].fileName(), "Re plans (2).txt");
  const std::string first = test::ReadFile(urls[0].toLocalFile().toStdString());
  const std::string second = test::ReadFile(urls[1].toLocalFile().toStdString());
  EXPECT_NE(first.find("From :         John Smith\r\n"), std::string::npos);
  EXPECT_NE(second.find("From :         Mary Ann\r\n"), std::string::npos);
  EXPECT_NE(second.find("\r\nTwo\r\n"), std::string::npos);
  // In a list sorted the other way, the first row drags out the message it shows.
  form.MailListView1()->List().SetSort(TFolderKind::fkConference, TListSort::FromCode(-2));  // From, descending
  ASSERT_EQ(form.MailListView1()->List().MessageNumber(0), 2);
  form.MailListView1()->SetCurrentRow(0);
  data.reset(form.DragData());
  ASSERT_TRUE(data);
  urls = data->urls();
  ASSERT_EQ(urls.size(), 1);
  EXPECT_NE(test::ReadFile(urls[0].toLocalFile().toStdString()).find("From :         Mary Ann\r\n"), std::string::npos);
  form.MailListView1()->List().SetSort(TFolderKind::fkConference, {});

  // The Download Box: the file pop-up, Open, Extract.
  tree.Select(tree.DownloadBox());
  EXPECT_EQ(form.MailListView1()->List().Rows().size(), 2u);
  emit downloads->aboutToShow();
  EXPECT_FALSE(ActionOf(&form, "Open2")->isEnabled());
  EXPECT_TRUE(ActionOf(&form, "ExtractAll2")->isEnabled());
  form.MailListView1()->SetCurrentRow(1);
  emit downloads->aboutToShow();
  EXPECT_TRUE(ActionOf(&form, "Open2")->isEnabled());
  EXPECT_TRUE(ActionOf(&form, "Extract1")->isEnabled());
  ActionOf(&form, "Open2")->trigger();
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(ExtractFileName(shell.opened[0]), "nice.zip");
  EXPECT_EQ(test::ReadFile(shell.opened[0]), "zip bytes");

  const std::string target = test::NewTempDir("target");
  prompts.folders.push_back(target);
  ActionOf(&form, "Extract2")->trigger();
  EXPECT_EQ(prompts.dialogs.back().rfind("Select folder to extract file to:", 0), 0u);
  EXPECT_EQ(test::ReadFile(target + "nice.zip"), "zip bytes");
  prompts.folders.push_back(target);
  prompts.answers = {TBoxAnswer::baNo};
  ActionOf(&form, "ExtractAll1")->trigger();
  EXPECT_EQ(prompts.Texts(TBoxKind::bkConfirmation),
            std::vector<std::string>{"The file \"nice.zip\" already exists. Do you want to replace this file?"});
  EXPECT_EQ(test::ReadFile(target + "readme.txt"), "read me");
  EXPECT_EQ(form.BusyCount(), 0);

  // A download dragged out is extracted when the target asks.
  form.MailListView1()->SetCurrentRow(0);
  data.reset(form.DragData());
  ASSERT_TRUE(data);
  urls = data->urls();
  ASSERT_EQ(urls.size(), 1);
  EXPECT_EQ(test::ReadFile(urls[0].toLocalFile().toStdString()), "read me");
  EXPECT_TRUE(prompts.Texts(TBoxKind::bkError).empty());
  form.Lifecycle().RunCloseDialog = [](bool) { return TCloseAnswer{true, 0, {}, false}; };
}

// Files dropped on the window: a packet opens; an unknown board's reply
// packet gives the warning.
TEST(MainFormDownloads, DroppedFilesOpen) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.Settings().DisplayFirstMessage = false;
  form.show();
  const std::string packet = DownloadsPacket("DEMO.QWK");
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(packet))});
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QApplication::sendEvent(&form, &drop);
  EXPECT_TRUE(drop.isAccepted());
  for (int i = 0; i < 20 && !form.MailTreeView1()->Tree().PacketLoaded(); ++i) QApplication::processEvents();
  ASSERT_TRUE(form.MailTreeView1()->Tree().PacketLoaded());
  EXPECT_EQ(form.windowTitle(), "Korrin Exploring DEMO.QWK");

  form.Lifecycle().RunCloseDialog = [](bool) { return TCloseAnswer{true, 0, {}, false}; };
  prompts.boxes.clear();
  form.DropFile1DropFile({test::WriteFile(test::NewTempDir("dl") + "OTHER.REP", "x")});
  EXPECT_FALSE(form.MailTreeView1()->Tree().PacketLoaded());
  EXPECT_EQ(prompts.Texts(TBoxKind::bkWarning),
            std::vector<std::string>{"A postoffice maching the name of the reply packetcould not be found."});
  EXPECT_EQ(form.Session().PostOffice().BBSID(), "DEMO");
  EXPECT_EQ(form.BusyCount(), 0);
}
