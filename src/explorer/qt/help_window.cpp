#include "explorer/qt/help_window.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

#include "platform/paths.h"
#include "platform/qt/qt_platform.h"
#include "widgets/mail_images.h"

// The pages live in a resource file of the static UI library; registering it
// by hand keeps the linker from dropping it.
static void InitHelpResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(help);
    return true;
  }();
  (void)registered;
}

namespace korrin {

namespace {

constexpr const char* kHelpContextProperty = "helpContext";
constexpr const char* kIconScheme = "icon";

// Pictures the pages show with <img src="icon:name">: the program's own.
const std::map<QString, TMailImage>& PageIcons() {
  static const std::map<QString, TMailImage> icons = {
      {"open", TMailImage::miOpen},         {"close", TMailImage::miClose},
      {"replies", TMailImage::miReplies},   {"new", TMailImage::miNew},
      {"reply", TMailImage::miReply},       {"forward", TMailImage::miForward},
      {"delete", TMailImage::miDelete},     {"view", TMailImage::miView},
      {"find", TMailImage::miFind},         {"address", TMailImage::miAddress},
      {"inbox", TMailImage::miInBox},       {"outbox", TMailImage::miOutBox},
      {"savebox", TMailImage::miSaveBox},   {"sentbox", TMailImage::miSentBox},
      {"folder", TMailImage::miFolder},     {"bbs", TMailImage::miBBS},
      {"newfiles", TMailImage::miNewFiles}, {"downloads", TMailImage::miDownloads},
      {"attachment", TMailImage::miAttachment}, {"postoffice", TMailImage::miPostOffice},
      {"newmsg", TMailImage::miNewMessage}, {"readmsg", TMailImage::miReadMessage},
      {"largeicons", TMailImage::miLargeIcons}, {"smallicons", TMailImage::miSmallIcons},
      {"list", TMailImage::miList},         {"details", TMailImage::miDetails},
  };
  return icons;
}

class THelpBrowser : public QTextBrowser {
public:
  using QTextBrowser::QTextBrowser;

  QVariant loadResource(int type, const QUrl& name) override {
    if (type == QTextDocument::ImageResource && name.scheme() == kIconScheme) {
      auto it = PageIcons().find(name.path());
      if (it != PageIcons().end()) return MailPixmap(it->second, 20);
      return QVariant();
    }
    return QTextBrowser::loadResource(type, name);
  }
};

// Installed help pages (help/ beside the program or share/korrin/help/ of its
// prefix) take the place of the built-in copies, so they can be read and
// mended without the program; the built-in ones serve when none are installed.
const QString& HelpBase() {
  static const QString base = [] {
    auto folder = korrin::InstalledHelpFolder();
    return folder ? QString::fromStdString(*folder) : QStringLiteral(":/help/");
  }();
  return base;
}

QString ReadResource(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

QPointer<THelpWindow>& SharedWindow() {
  static QPointer<THelpWindow> window;
  return window;
}

// While a modal dialog runs, the help window is made a window of that dialog
// so that the dialog does not block it; when the dialog hides, the help
// window becomes a window of its own again.
class TModalWatcher : public QObject {
public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
      THelpWindow* window = SharedWindow();
      if (window && window->parentWidget() == watched) {
        bool visible = window->isVisible();
        QRect geometry = window->geometry();
        window->setParent(nullptr, Qt::Window);
        window->setGeometry(geometry);
        if (visible) window->show();
      }
      watched->removeEventFilter(this);
    }
    return false;
  }
};

TModalWatcher& ModalWatcher() {
  static TModalWatcher* watcher = new TModalWatcher;
  return *watcher;
}

class TF1Filter : public QObject {
public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (key->isAutoRepeat()) return true;
    int context = 0;
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      if (QAction* action = menu->activeAction()) context = HelpContext(action);
      if (!context) context = HelpContextFor(menu);
    } else {
      const QWidget* widget = qobject_cast<QWidget*>(watched);
      if (!widget) widget = QApplication::focusWidget();
      if (!widget) widget = QApplication::activeWindow();
      context = HelpContextFor(widget);
    }
    if (context)
      THelp::ShowContext(context);
    else
      THelp::ShowContents();
    return true;
  }
};

}  // namespace

THelpWindow::THelpWindow(QWidget* parent) : QMainWindow(parent) {
  InitHelpResources();
  setObjectName("HelpWindow");
  setWindowTitle("Korrin Help");
  resize(780, 560);
  SetHelpContext(this, hcUsingHelp);

  HelpBrowser = new THelpBrowser(this);
  HelpBrowser->setObjectName("HelpBrowser");
  HelpBrowser->setOpenLinks(true);
  HelpBrowser->setOpenExternalLinks(true);
  HelpBrowser->document()->setDefaultStyleSheet(ReadResource(HelpBase() + "help.css"));
  HelpBrowser->setSearchPaths({HelpBase()});

  HelpTabs = new QTabWidget(this);
  HelpTabs->setObjectName("HelpTabs");

  ContentsList = new QListWidget(this);
  ContentsList->setObjectName("ContentsList");
  ContentsList->setSpacing(1);
  for (const auto& page : HelpPages()) {
    auto* item = new QListWidgetItem(QString::fromUtf8(page.Title), ContentsList);
    item->setData(Qt::UserRole, QString::fromUtf8(page.Name));
  }
  HelpTabs->addTab(ContentsList, "&Contents");

  auto* finder = new QWidget(this);
  auto* finderLayout = new QVBoxLayout(finder);
  finderLayout->setContentsMargins(4, 6, 4, 4);
  auto* prompt = new QLabel("&Type the words to find:", finder);
  FindEdit = new QLineEdit(finder);
  FindEdit->setObjectName("FindEdit");
  FindEdit->setClearButtonEnabled(true);
  prompt->setBuddy(FindEdit);
  FindResults = new QListWidget(finder);
  FindResults->setObjectName("FindResults");
  FindStatus = new QLabel(finder);
  FindStatus->setObjectName("FindStatus");
  FindStatus->setWordWrap(true);
  finderLayout->addWidget(prompt);
  finderLayout->addWidget(FindEdit);
  finderLayout->addWidget(FindStatus);
  finderLayout->addWidget(FindResults, 1);
  HelpTabs->addTab(finder, "&Find");

  auto* splitter = new QSplitter(this);
  splitter->addWidget(HelpTabs);
  splitter->addWidget(HelpBrowser);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({220, 560});
  setCentralWidget(splitter);

  auto* bar = addToolBar("Navigation");
  bar->setObjectName("HelpToolbar");
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  BackAction = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), "&Back");
  BackAction->setObjectName("BackAction");
  BackAction->setShortcut(QKeySequence::Back);
  ForwardAction = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), "For&ward");
  ForwardAction->setObjectName("ForwardAction");
  ForwardAction->setShortcut(QKeySequence::Forward);
  HomeAction = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), "&Home");
  HomeAction->setObjectName("HomeAction");
  HomeAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
  BackAction->setEnabled(false);
  ForwardAction->setEnabled(false);

  connect(BackAction, &QAction::triggered, HelpBrowser, &QTextBrowser::backward);
  connect(ForwardAction, &QAction::triggered, HelpBrowser, &QTextBrowser::forward);
  connect(HomeAction, &QAction::triggered, this, [this] { ShowTarget({kHelpContentsPage, ""}); });
  connect(HelpBrowser, &QTextBrowser::backwardAvailable, BackAction, &QAction::setEnabled);
  connect(HelpBrowser, &QTextBrowser::forwardAvailable, ForwardAction, &QAction::setEnabled);
  connect(HelpBrowser, &QTextBrowser::sourceChanged, this, &THelpWindow::SourceChanged);
  connect(ContentsList, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowTarget({ToUtf8(item->data(Qt::UserRole).toString()), ""}); });
  connect(ContentsList, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ShowTarget({ToUtf8(item->data(Qt::UserRole).toString()), ""}); });
  connect(FindEdit, &QLineEdit::textChanged, this, [this](const QString& text) { Find(text); });
  connect(FindEdit, &QLineEdit::returnPressed, this, [this] {
    if (FindResults->count() > 0) OpenFound(FindResults->item(0));
  });
  connect(FindResults, &QListWidget::itemClicked, this, &THelpWindow::OpenFound);
  connect(FindResults, &QListWidget::itemActivated, this, &THelpWindow::OpenFound);

  Find(QString());
}

QUrl THelpWindow::PageUrl(const THelpTarget& target) {
  const QString file = FromUtf8(target.Page) + QStringLiteral(".html");
  QUrl url = HelpBase().startsWith(':') ? QUrl(QStringLiteral("qrc") + HelpBase() + file)
                                        : QUrl::fromLocalFile(HelpBase() + file);
  if (!target.Anchor.empty()) url.setFragment(FromUtf8(target.Anchor));
  return url;
}

void THelpWindow::ShowTarget(const THelpTarget& target) {
  THelpTarget known = HelpPageTitle(target.Page).empty() ? THelpTarget{kHelpContentsPage, ""} : target;
  QUrl url = PageUrl(known);
  if (HelpBrowser->source() == url) {
    // The same place again: go back to it, the reader may have scrolled away.
    if (known.Anchor.empty())
      HelpBrowser->verticalScrollBar()->setValue(0);
    else
      HelpBrowser->scrollToAnchor(FromUtf8(known.Anchor));
    MarkWords({});
    return;
  }
  HelpBrowser->setSource(url);
}

void THelpWindow::ShowContentsTab() { HelpTabs->setCurrentIndex(0); }

void THelpWindow::ShowFinderTab() {
  HelpTabs->setCurrentIndex(1);
  FindEdit->setFocus();
  FindEdit->selectAll();
}

std::string THelpWindow::CurrentPage() const {
  QString file = HelpBrowser->source().fileName();
  if (file.endsWith(".html")) file.chop(5);
  return ToUtf8(file);
}

const std::vector<std::pair<std::string, std::string>>& THelpWindow::PageTexts() {
  if (texts_.empty()) {
    for (const auto& page : HelpPages()) {
      QTextDocument doc;
      doc.setHtml(ReadResource(HelpBase() + QString::fromUtf8(page.Name) + ".html"));
      texts_.emplace_back(page.Name, ToUtf8(doc.toPlainText()));
    }
  }
  return texts_;
}

std::vector<std::string> THelpWindow::Find(const QString& words) {
  if (FindEdit->text() != words) {
    FindEdit->setText(words);  // runs Find again through textChanged
    std::vector<std::string> found;
    for (int i = 0; i < FindResults->count(); ++i)
      found.push_back(ToUtf8(FindResults->item(i)->data(Qt::UserRole).toString()));
    return found;
  }
  FindResults->clear();
  std::vector<std::string> found;
  if (HelpQueryWords(ToUtf8(words)).empty()) {
    FindStatus->setText("Type one or more words; the pages that contain all of them are listed here.");
    return found;
  }
  found = FindHelpPages(ToUtf8(words), PageTexts());
  for (const auto& name : found) {
    auto* item = new QListWidgetItem(FromUtf8(HelpPageTitle(name)), FindResults);
    item->setData(Qt::UserRole, FromUtf8(name));
  }
  if (found.empty())
    FindStatus->setText("No page contains all of these words.");
  else if (found.size() == 1)
    FindStatus->setText("1 page found.");
  else
    FindStatus->setText(QString::number(found.size()) + " pages found.");
  return found;
}

void THelpWindow::OpenFound(QListWidgetItem* item) {
  if (!item) return;
  std::vector<std::string> words = HelpQueryWords(ToUtf8(FindEdit->text()));
  ShowTarget({ToUtf8(item->data(Qt::UserRole).toString()), ""});
  MarkWords(words);
}

// Highlights every word of the page that begins with one of the words, and
// scrolls to the first of them.
void THelpWindow::MarkWords(const std::vector<std::string>& words) {
  QList<QTextEdit::ExtraSelection> marks;
  QTextCharFormat format;
  format.setBackground(QColor(255, 226, 120));
  QTextDocument* doc = HelpBrowser->document();
  for (const auto& w : words) {
    QString word = FromUtf8(w);
    QTextCursor found(doc);
    while (!(found = doc->find(word, found)).isNull()) {
      int start = found.selectionStart();
      if (start > 0 && doc->characterAt(start - 1).isLetterOrNumber()) continue;  // not the start of a word
      marks.append({found, format});
    }
  }
  std::sort(marks.begin(), marks.end(), [](const QTextEdit::ExtraSelection& a, const QTextEdit::ExtraSelection& b) {
    return a.cursor.selectionStart() < b.cursor.selectionStart();
  });
  HelpBrowser->setExtraSelections(marks);
  if (!marks.isEmpty()) {
    QTextCursor first = marks.first().cursor;
    first.clearSelection();
    HelpBrowser->setTextCursor(first);
    HelpBrowser->ensureCursorVisible();
  }
}

void THelpWindow::SourceChanged(const QUrl& url) {
  HelpBrowser->setExtraSelections({});
  QString page = url.fileName();
  if (page.endsWith(".html")) page.chop(5);
  for (int i = 0; i < ContentsList->count(); ++i)
    if (ContentsList->item(i)->data(Qt::UserRole).toString() == page) {
      ContentsList->setCurrentRow(i);
      break;
    }
  QString title = FromUtf8(HelpPageTitle(ToUtf8(page)));
  setWindowTitle(title.isEmpty() || page == kHelpContentsPage ? QString("Korrin Help") : "Korrin Help - " + title);
  emit PageChanged(page);
}

// ---------------------------------------------------------------------------

THelpWindow* THelp::Window() { return SharedWindow(); }

THelpWindow* THelp::Open() {
  QPointer<THelpWindow>& window = SharedWindow();
  if (!window) {
    window = new THelpWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    // An open help window must not keep the program running after the main window closed.
    window->setAttribute(Qt::WA_QuitOnClose, false);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QObject::deleteLater);
  }
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal != window && window->parentWidget() != modal && !window->isAncestorOf(modal)) {
    QRect geometry = window->geometry();
    bool placed = window->isVisible();
    window->setParent(modal, Qt::Window);
    if (placed) window->setGeometry(geometry);
    modal->installEventFilter(&ModalWatcher());
  }
  if (window->isMinimized()) window->showNormal();
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

void THelp::ShowContext(int context) {
  THelpWindow* window = Open();
  window->ShowTarget(HelpTargetForContext(context));
  window->ShowContentsTab();
}

void THelp::ShowTopic(const std::string& name) {
  THelpWindow* window = Open();
  window->ShowTarget(HelpTargetForTopic(name));
  window->ShowContentsTab();
}

void THelp::ShowContents() {
  THelpWindow* window = Open();
  window->ShowTarget({kHelpContentsPage, ""});
  window->ShowContentsTab();
}

void THelp::ShowFinder() {
  THelpWindow* window = Open();
  if (window->CurrentPage().empty()) window->ShowTarget({kHelpContentsPage, ""});
  window->ShowFinderTab();
}

void THelp::CloseWindow() {
  if (THelpWindow* window = SharedWindow()) delete window;
}

void THelp::InstallF1Handler() {
  static TF1Filter* filter = nullptr;
  if (filter || !qApp) return;
  filter = new TF1Filter;
  qApp->installEventFilter(filter);
}

void SetHelpContext(QObject* widgetOrAction, int context) {
  if (widgetOrAction) widgetOrAction->setProperty(kHelpContextProperty, context);
}

int HelpContext(const QObject* object) {
  if (!object) return 0;
  QVariant value = object->property(kHelpContextProperty);
  return value.isValid() ? value.toInt() : 0;
}

int HelpContextFor(const QWidget* widget) {
  for (const QWidget* w = widget; w; w = w->parentWidget())
    if (int context = HelpContext(w)) return context;
  return 0;
}

}  // namespace korrin
