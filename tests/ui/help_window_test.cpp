#include "explorer/qt/help_window.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <set>

#include <gtest/gtest.h>

#include "support/qt_modal.h"

using namespace korrin;
using test::Find;

namespace {

QString Resource(const QString& name) {
  QFile f(":/help/" + name);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

// The anchor names a document defines.
std::set<QString> Anchors(const QTextDocument& doc) {
  std::set<QString> names;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it)
      for (const QString& n : it.fragment().charFormat().anchorNames()) names.insert(n);
  return names;
}

struct THelpCleanup {
  ~THelpCleanup() { THelp::CloseWindow(); }
};

}  // namespace

TEST(HelpWindow, BundledPagesLoadWithTheirAnchorsPicturesAndLinks) {
  THelpWindow window;  // registers the resources
  QTextBrowser probe;
  std::set<QString> pageFiles;
  for (const auto& page : HelpPages()) pageFiles.insert(QString::fromUtf8(page.Name) + ".html");
  for (const auto& page : HelpPages()) {
    QString html = Resource(QString::fromUtf8(page.Name) + ".html");
    ASSERT_FALSE(html.isEmpty()) << page.Name;
    // Every picture is one the help can draw.
    static const QRegularExpression img("src=\"icon:([a-z]+)\"");
    for (auto m = img.globalMatch(html); m.hasNext();) {
      QString name = m.next().captured(1);
      QUrl url("icon:" + name);
      EXPECT_FALSE(window.findChild<QTextBrowser*>("HelpBrowser")
                       ->loadResource(QTextDocument::ImageResource, url)
                       .value<QPixmap>()
                       .isNull())
          << page.Name << " " << name.toStdString();
    }
    // Every link leads to a page that exists, and to an anchor it defines.
    static const QRegularExpression href("href=\"([a-z_]+\\.html)(#([a-z-]+))?\"");
    for (auto m = href.globalMatch(html); m.hasNext();) {
      auto match = m.next();
      EXPECT_TRUE(pageFiles.count(match.captured(1))) << page.Name << " links to " << match.captured(1).toStdString();
      if (!match.captured(3).isEmpty()) {
        QTextDocument target;
        target.setHtml(Resource(match.captured(1)));
        EXPECT_TRUE(Anchors(target).count(match.captured(3)))
            << page.Name << " links to " << match.captured(0).toStdString();
      }
    }
  }
  for (int context : KnownHelpContexts()) {
    THelpTarget t = HelpTargetForContext(context);
    if (t.Anchor.empty()) continue;
    QTextDocument doc;
    doc.setHtml(Resource(QString::fromStdString(t.Page) + ".html"));
    EXPECT_TRUE(Anchors(doc).count(QString::fromStdString(t.Anchor))) << context << " " << t.FileName();
  }
}

TEST(HelpWindow, OneSharedWindowOpensAtContextsTopicsContentsAndFinder) {
  THelpCleanup cleanup;
  EXPECT_EQ(THelp::Window(), nullptr);
  THelp::ShowContext(5491);
  THelpWindow* window = THelp::Window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->CurrentPage(), "options");
  auto* contents = Find<QListWidget>(window, "ContentsList");
  EXPECT_EQ(contents->currentItem()->data(Qt::UserRole).toString(), "options");
  EXPECT_EQ(window->windowTitle(), "Korrin Help - Options");

  THelp::ShowTopic("hlp_Viewer");
  EXPECT_EQ(THelp::Window(), window);  // the same window again
  EXPECT_EQ(window->CurrentPage(), "viewer");
  THelp::ShowContext(424242);
  EXPECT_EQ(window->CurrentPage(), "contents");
  EXPECT_EQ(window->windowTitle(), "Korrin Help");

  Find<QAction>(window, "BackAction")->trigger();
  EXPECT_EQ(window->CurrentPage(), "viewer");
  Find<QAction>(window, "BackAction")->trigger();
  EXPECT_EQ(window->CurrentPage(), "options");
  Find<QAction>(window, "ForwardAction")->trigger();
  EXPECT_EQ(window->CurrentPage(), "viewer");
  Find<QAction>(window, "HomeAction")->trigger();
  EXPECT_EQ(window->CurrentPage(), "contents");

  // Clicking in the contents list.
  for (int i = 0; i < contents->count(); ++i)
    if (contents->item(i)->data(Qt::UserRole).toString() == "taglines") {
      QRect r = contents->visualItemRect(contents->item(i));
      QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, r.center());
    }
  EXPECT_EQ(window->CurrentPage(), "taglines");

  THelp::ShowFinder();
  auto* tabs = Find<QTabWidget>(window, "HelpTabs");
  EXPECT_EQ(tabs->currentIndex(), 1);
  auto* edit = Find<QLineEdit>(window, "FindEdit");
  auto* results = Find<QListWidget>(window, "FindResults");
  QTest::keyClicks(edit, "reply packet");
  EXPECT_GT(results->count(), 3);
  std::vector<std::string> found = window->Find("upload reply packet");
  EXPECT_NE(std::find(found.begin(), found.end(), "packets"), found.end());
  EXPECT_EQ(results->count(), static_cast<int>(found.size()));
  QTest::keyClick(edit, Qt::Key_Return);  // opens the best page with the words marked
  EXPECT_EQ(window->CurrentPage(), found.front());
  EXPECT_FALSE(Find<QTextBrowser>(window, "HelpBrowser")->extraSelections().isEmpty());
  EXPECT_TRUE(window->Find("xyzzyplugh").empty());
  EXPECT_EQ(Find<QLabel>(window, "FindStatus")->text(), "No page contains all of these words.");

  window->Find("tagline");
  window->ShowTarget(HelpTargetForContext(5486));
  window->resize(860, 560);
  test::GrabToPng(window, "help-window");

  THelp::ShowContents();
  EXPECT_EQ(tabs->currentIndex(), 0);
  window->close();  // frees it
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(THelp::Window(), nullptr);
}

TEST(HelpWindow, F1OpensTheContextOfTheFocusedControlOrItsNearestAncestor) {
  THelpCleanup cleanup;
  THelp::InstallF1Handler();
  THelp::InstallF1Handler();  // once is enough; a second call changes nothing

  QWidget form;
  SetHelpContext(&form, 8002);
  auto* layout = new QVBoxLayout(&form);
  auto* panel = new QWidget(&form);
  SetHelpContext(panel, 5486);
  auto* inner = new QLineEdit(panel);
  auto* plain = new QLineEdit(&form);
  new QVBoxLayout(panel);
  panel->layout()->addWidget(inner);
  layout->addWidget(panel);
  layout->addWidget(plain);
  form.show();
  EXPECT_EQ(HelpContextFor(inner), 5486);
  EXPECT_EQ(HelpContextFor(plain), 8002);
  EXPECT_EQ(HelpContext(plain), 0);

  QTest::keyClick(inner, Qt::Key_F1);
  ASSERT_NE(THelp::Window(), nullptr);
  EXPECT_EQ(THelp::Window()->CurrentPage(), "quick_viewer");
  QTest::keyClick(plain, Qt::Key_F1);
  EXPECT_EQ(THelp::Window()->CurrentPage(), "explorer");
  QTest::keyClick(plain, Qt::Key_F1, Qt::ShiftModifier);  // not plain F1: left alone
  EXPECT_EQ(THelp::Window()->CurrentPage(), "explorer");

  QWidget loose;
  auto* field = new QLineEdit(&loose);
  loose.show();
  QTest::keyClick(field, Qt::Key_F1);
  EXPECT_EQ(THelp::Window()->CurrentPage(), "contents");

  // In an open menu, the highlighted command's context wins.
  QMenu menu(&form);
  QAction* item = menu.addAction("Create Reply Packet");
  SetHelpContext(item, 8005);
  menu.popup(form.mapToGlobal(QPoint(10, 10)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
  menu.setActiveAction(item);
  ASSERT_EQ(QApplication::activePopupWidget(), &menu);
  QTest::keyClick(&menu, Qt::Key_F1);
  EXPECT_EQ(THelp::Window()->CurrentPage(), "packets");
  menu.close();
}

TEST(HelpWindow, HelpStaysUsableWhileADialogRunsAndOutlivesIt) {
  THelpCleanup cleanup;
  THelp::InstallF1Handler();
  QDialog dialog;
  SetHelpContext(&dialog, 8037);
  auto* ok = new QPushButton("OK", &dialog);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  bool checked = false;
  test::AnswerNextModal([&](QWidget* modal) {
    QTest::keyClick(ok, Qt::Key_F1);
    THelpWindow* window = THelp::Window();
    EXPECT_NE(window, nullptr);
    if (window) {
      EXPECT_EQ(window->CurrentPage(), "close_dialog");
      EXPECT_EQ(window->parentWidget(), modal);  // not blocked by the dialog
      EXPECT_TRUE(window->isWindow());
    }
    checked = true;
    ok->click();
  });
  dialog.exec();
  EXPECT_TRUE(checked);
  THelpWindow* window = THelp::Window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->parentWidget(), nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->CurrentPage(), "close_dialog");
}
