#include "door/qt/olms_setup.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

#include "explorer/qt/help_window.h"
#include "platform/qt/qt_platform.h"
#include "door/qt/host_parent.h"
#include "session/main_host.h"
#include "session/reader_session.h"

namespace korrin {

namespace {
struct TPageNames {
  const char* Page;
  const char* Group;
  const char* Max;
  const char* List;
  const char* Add;
  const char* Remove;
};
const TPageNames kNames[] = {
    {"KeywordsPage", "KeywordsGroup", "MaxF", "KeywordsListBox", "AddKeywordBtn", "RemoveKeywordBtn"},
    {"FiltersPage", "FiltersGroup", "MaxFil", "FilterListBox", "AddFilterBtn", "RemoveFilterBtn"},
    {"TwitsPage", "TwitsGroup", "MaxT", "TwitListBox", "AddTwitBtn", "RemoveTwitBtn"},
};

// The entry's bytes travel with the item: the removing line carries them as they were.
void AddItem(QListWidget* list, const std::string& entry) {
  auto* item = new QListWidgetItem(FromCp437(entry), list);
  item->setData(Qt::UserRole, QByteArray::fromStdString(entry));
}
}  // namespace

TOLMSSetup::TOLMSSetup(TMainHost& host, int page, QWidget* parent) : QDialog(parent), host_(host) {
  setObjectName("OLMSSetup");
  setWindowTitle("Configure OLMS Door");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  SetHelpContext(this, 8016);
  const TDoorControl& door = host_.Session().DoorControl();
  const TToReader& toReader = host_.Session().ToReader();

  TabSet1 = new QTabBar(this);
  TabSet1->setObjectName("TabSet1");
  TabSet1->setDrawBase(false);
  Notebook1 = new QStackedWidget(this);
  Notebook1->setObjectName("Notebook1");
  for (int i = 0; i < 3; ++i) {
    const auto p = static_cast<TFilterPage>(i);
    const TFilterPageTexts& t = FilterPageTexts(p);
    const TPageNames& n = kNames[i];
    TabSet1->addTab(t.Tab);
    auto* pageWidget = new QWidget(Notebook1);
    pageWidget->setObjectName(n.Page);
    auto* pl = new QVBoxLayout(pageWidget);
    TPageControls& c = pages_[i];
    c.Group = new QGroupBox(t.Group, pageWidget);
    c.Group->setObjectName(n.Group);
    pl->addWidget(c.Group);
    auto* gl = new QVBoxLayout(c.Group);
    auto* explanation = new QLabel(t.Explanation, c.Group);
    explanation->setWordWrap(true);
    c.Max = new QLabel(QString::fromStdString(MaxLabelText(door, p)), c.Group);
    c.Max->setObjectName(n.Max);
    auto* top = new QHBoxLayout;
    top->addWidget(explanation, 1);
    top->addWidget(c.Max);
    gl->addLayout(top);
    auto* row = new QHBoxLayout;
    c.List = new QListWidget(c.Group);
    c.List->setObjectName(n.List);
    c.List->setMinimumSize(260, 180);
    row->addWidget(c.List, 1);
    auto* buttons = new QVBoxLayout;
    auto* add = new QPushButton("&Add", c.Group);
    add->setObjectName(n.Add);
    auto* remove = new QPushButton("&Remove", c.Group);
    remove->setObjectName(n.Remove);
    for (QPushButton* b : {add, remove}) {
      b->setAutoDefault(false);
      buttons->addWidget(b);
    }
    buttons->addStretch(1);
    row->addLayout(buttons);
    gl->addLayout(row);
    connect(add, &QPushButton::clicked, this, [this, p] { AddClick(p); });
    connect(remove, &QPushButton::clicked, this, [this, p] { RemoveClick(p); });
    if (FilterPageEnabled(door, p)) {
      for (const auto& entry : FilterEntries(toReader, p)) AddItem(c.List, entry);
    } else {
      c.Group->setEnabled(false);
    }
    Notebook1->addWidget(pageWidget);
  }
  connect(TabSet1, &QTabBar::currentChanged, Notebook1, &QStackedWidget::setCurrentIndex);

  auto* close = new QPushButton("&Close", this);
  close->setObjectName("CloseBtn");
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(TabSet1);
  layout->addWidget(Notebook1, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(close);
  layout->addLayout(bottom);
  SetPage(page);
}

int TOLMSSetup::Page() const { return TabSet1->currentIndex(); }

void TOLMSSetup::SetPage(int page) {
  TabSet1->setCurrentIndex(std::clamp(page, 0, 2));
  Notebook1->setCurrentIndex(TabSet1->currentIndex());
}

void TOLMSSetup::AddClick(TFilterPage page) {
  QListWidget* list = pages_[static_cast<int>(page)].List;
  TReaderSession& s = host_.Session();
  if (auto entry = AddFilterEntry(s.DoorControl(), s.ToDoor(), page, static_cast<size_t>(list->count())))
    AddItem(list, *entry);
  host_.UpdateCommandStates();
}

void TOLMSSetup::RemoveClick(TFilterPage page) {
  QListWidget* list = pages_[static_cast<int>(page)].List;
  QListWidgetItem* item = list->currentItem();
  if (item && !item->isSelected()) item = nullptr;
  std::optional<std::string> entry;
  if (item) entry = item->data(Qt::UserRole).toByteArray().toStdString();
  if (RemoveFilterEntry(host_.Session().ToDoor(), page, entry)) delete item;
  host_.UpdateCommandStates();
}

void TOLMSSetup::Execute(TMainHost& host, int page) {
  TReaderSession& s = host.Session();
  s.ToDoor().SetDirectory(s.Lifecycle().TempDirectory());
  TOLMSSetup dialog(host, page, HostWidget(host));
  dialog.exec();
}

}  // namespace korrin
