#pragma once
// The help window: the bundled HTML pages in a browser, a contents list and
// a word finder beside it, back, forward and home. THelp opens the one shared
// window at a context number, a topic name, the contents or the finder, and
// F1 opens the context of the focused control.

#include <QMainWindow>
#include <QUrl>

#include <string>
#include <utility>
#include <vector>

#include "explorer/help_topics.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;

namespace korrin {

class THelpWindow : public QMainWindow {
  Q_OBJECT
public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // Shows a page (at its anchor when given).
  void ShowTarget(const THelpTarget& target);
  void ShowContentsTab();
  // Switches to the finder and puts the cursor in its word field.
  void ShowFinderTab();
  // Fills the finder's result list for the words, as typing them does; returns the pages found.
  std::vector<std::string> Find(const QString& words);

  // The page shown ("explorer"), empty before the first page.
  std::string CurrentPage() const;
  static QUrl PageUrl(const THelpTarget& target);

signals:
  void PageChanged(const QString& page);

private:
  void SourceChanged(const QUrl& url);
  void OpenFound(QListWidgetItem* item);
  void MarkWords(const std::vector<std::string>& words);
  const std::vector<std::pair<std::string, std::string>>& PageTexts();

  QTextBrowser* HelpBrowser;
  QTabWidget* HelpTabs;
  QListWidget* ContentsList;
  QLineEdit* FindEdit;
  QListWidget* FindResults;
  QLabel* FindStatus;
  QAction *BackAction, *ForwardAction, *HomeAction;
  std::vector<std::pair<std::string, std::string>> texts_;
};

class THelp {
public:
  // Opens the help at the page of a context number (the contents for an unknown one).
  static void ShowContext(int context);
  // Opens the help at a topic ("hlp_Viewer") or page name.
  static void ShowTopic(const std::string& name);
  static void ShowContents();
  static void ShowFinder();
  // The open help window, or nullptr.
  static THelpWindow* Window();
  // Closes and frees the help window, if any.
  static void CloseWindow();
  // Makes F1 open the help context of the focused control, or of its nearest
  // ancestor that has one (the contents when none has). Installed once.
  static void InstallF1Handler();

private:
  static THelpWindow* Open();
};

// Stores a help context number on a widget or a menu action (a dynamic property).
void SetHelpContext(QObject* widgetOrAction, int context);
// The number stored on this object, 0 when none.
int HelpContext(const QObject* object);
// The number of the widget or of its nearest ancestor that has one, 0 when none.
int HelpContextFor(const QWidget* widget);

}  // namespace korrin
