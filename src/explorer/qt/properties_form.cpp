#include "explorer/qt/properties_form.h"

#include "explorer/qt/help_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "engine/board_settings.h"
#include "engine/door_control.h"
#include "engine/mail_tree.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "explorer/properties.h"
#include "platform/charset.h"
#include "platform/paths.h"
#include "platform/qt/qt_platform.h"
#include "platform/text.h"

namespace korrin {

namespace {
QLabel* Value(const QString& text, QWidget* parent, const char* name) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}
}  // namespace

TPropertiesForm::TPropertiesForm(const TPropertiesSource& src, QWidget* parent) : QDialog(parent) {
  setObjectName("PropertiesForm");
  setWindowTitle("Properties");
  SetHelpContext(this, 8006);
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("TabbedNotebook1");
  layout->addWidget(pages_);
  QFontMetrics fm(font());
  auto width = [&fm](const std::string& s) { return fm.horizontalAdvance(FromUtf8(s)); };

  // Post office
  auto* po = new QWidget;
  po->setObjectName("PostOfficePage");
  auto* pf = new QFormLayout(po);
  std::string poDir, poId, poName;
  if (src.PostOffice && src.PostOffice->Itemindex() >= 0) {
    poDir = src.PostOffice->PostOfficeDirectory();
    poId = src.PostOffice->BBSID();
    poName = src.PostOffice->PostOfficeName();
  }
  pf->addRow("Path :", Value(FromUtf8(ShortenPath(poDir, 270, width)), po, "POPath"));
  pf->addRow("ID :", Value(FromCp437(poId), po, "POID"));
  pf->addRow("Name :", Value(FromCp437(poName), po, "POName"));
  // The set of the board's messages that do not name their own.
  if (!poDir.empty()) {
    auto* sets = new QComboBox(po);
    sets->setObjectName("POCharset");
    const std::string current = ReadBoardSettings(poDir).Charset;
    for (const auto& c : CharsetChoices()) {
      sets->addItem(FromUtf8(c.Label), FromUtf8(c.Name));
      if (c.Name == current) sets->setCurrentIndex(sets->count() - 1);
    }
    pf->addRow("Character set :", sets);
    connect(this, &QDialog::accepted, this, [sets, poDir] {
      ChangeBoardCharset(poDir, ToUtf8(sets->currentData().toString()));
    });
  }
  pages_->addTab(po, "Post &Office");

  // Packet
  if (src.Tree && src.Tree->PacketLoaded()) {
    const PacketIdentity& id = src.Tree->Identity();
    const std::string file = src.Tree->PacketFile();
    auto* pk = new QWidget;
    pk->setObjectName("PacketPage");
    auto* kf = new QFormLayout(pk);
    kf->addRow("File name:", Value(FromUtf8(ExtractFileName(file)), pk, "PacketName"));
    kf->addRow("Path:", Value(FromUtf8(ShortenPath(ExcludeTrailingBackslash(ExtractFilePath(file)), 193, width)), pk,
                              "PacketPath"));
    kf->addRow("Download date:", Value(FromCp437(id.PacketDate), pk, "PacketDate"));
    kf->addRow("Download time:", Value(FromCp437(id.PacketTime), pk, "PacketTime"));
    kf->addRow("Total conferences available:", Value(QString::number(id.ConferencesAnnounced), pk, "Announced"));
    kf->addRow("Conferences recieved:", Value(QString::number(id.ConferencesReceived), pk, "Received"));
    kf->addRow("Downloaded to:", Value(FromCp437(id.UserName), pk, "UserName"));
    pages_->addTab(pk, "&Packet");
  }

  // Door
  if (src.Door && src.Door->HasDoorIdentity()) {
    const TDoorControl& d = *src.Door;
    auto* dp = new QWidget;
    dp->setObjectName("DoorPage");
    auto* df = new QFormLayout(dp);
    df->addRow("Name :", Value(FromCp437(d.DoorName()), dp, "DoorName"));
    df->addRow("Version :", Value(FromCp437(d.DoorVersion()), dp, "DoorVersion"));
    df->addRow("System :", Value(FromCp437(d.DoorSystem()), dp, "DoorSystem"));
    df->addRow("Maximum Keywords :", Value(QString::number(d.MaxKeywords()), dp, "MaxKeywords"));
    df->addRow("Maximum Filters :", Value(QString::number(d.MaxFilters()), dp, "MaxFilters"));
    df->addRow("Maximum Twits :", Value(QString::number(d.MaxTwits()), dp, "MaxTwits"));
    df->addRow("Maximum File Requests :", Value(QString::number(d.MaxRequests()), dp, "MaxRequests"));
    struct Flag {
      const char* caption;
      TDoorFlag flag;
      const char* name;
    };
    for (Flag f : {Flag{"Add Conference :", dfAdd, "AddConf"}, Flag{"Drop Conference :", dfDrop, "DropConf"},
                   Flag{"Reset Conference :", dfReset, "ResetConf"}, Flag{"Allows Keywords :", dfKeyword, "Keywords"},
                   Flag{"Allows Filters :", dfFilter, "Filters"}, Flag{"Allows Twits :", dfTwit, "Twits"},
                   Flag{"Allows Attahed Files :", dfAllowAttach, "Attached"},
                   Flag{"Allows Uploads :", dfAllowFiles, "Uploads"},
                   Flag{"Allows File Requests :", dfAllowRequest, "Requests"},
                   Flag{"Allows Message Reciepts :", dfReceipt, "Receipts"}})
      df->addRow(f.caption, Value(YesNo(d.HasFlag(f.flag)), dp, f.name));
    pages_->addTab(dp, "&Door");
  }

  // Message: the viewer's record, then the editor's (which wins).
  TQWKMsg* msg = src.EditorMsg ? src.EditorMsg : src.ViewerMsg;
  if (msg) {
    if (msg == src.EditorMsg) msg->EstimateBlocks();
    auto* mp = new QWidget;
    mp->setObjectName("MessagePage");
    auto* mf = new QFormLayout(mp);
    std::string posted =
        msg->ConfName().empty() ? "Conference " + std::to_string(msg->Conference()) : msg->ConfName();
    mf->addRow("To:", Value(FromCharset(msg->MsgTo(), msg->Charset()), mp, "MsgTo"));
    mf->addRow("From:", Value(FromCharset(msg->MsgFROM(), msg->Charset()), mp, "MsgFrom"));
    mf->addRow("Msg #:", Value(FromCp437(Trim(msg->Number())), mp, "MsgNumber"));
    mf->addRow("Posted:", Value(FromCp437(posted), mp, "MsgPosted"));
    mf->addRow("Size:", Value(FromUtf8(SizeText(std::to_string(int64_t{msg->Blocks()} * 128 + 128))), mp, "MsgSize"));
    mf->addRow("Subject:", Value(FromCharset(msg->Subject(), msg->Charset()), mp, "MsgSubject"));
    pages_->addTab(mp, "&Message");
  }

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
  ok->setObjectName("OkBtn");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  pages_->setCurrentIndex(0);
  resize(380, 420);
}

void TPropertiesForm::SelectPacketPage() {
  for (int i = 0; i < pages_->count(); ++i)
    if (pages_->widget(i)->objectName() == "PacketPage") {
      pages_->setCurrentIndex(i);
      return;
    }
  pages_->setCurrentIndex(0);
}

void TPropertiesForm::SelectLastPage() { pages_->setCurrentIndex(pages_->count() - 1); }

}  // namespace korrin
