#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <filesystem>

#include <gtest/gtest.h>

#include "archive/xceed_zip.h"

#include "addressbook/address_book.h"
#include "addressbook/qt/address_book_form.h"
#include "addressbook/qt/address_query.h"
#include "addressbook/qt/group_form.h"
#include "addressbook/qt/sel_rec_form.h"
#include "engine/mail_tree.h"
#include "explorer/qt/main_form.h"
#include "platform/registry.h"
#include "reading/qt/edit_form.h"
#include "reading/qt/msg_view.h"
#include "support/packet_builder.h"
#include "support/qt_fake_host.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"
#include "widgets/list_view_ex.h"

using namespace korrin;
using test::Find;
using Lines = std::vector<std::string>;

namespace {
ContactRecord Contact(const std::string& first, const std::string& last, const std::string& mail,
                      const std::string& phone = {}) {
  ContactRecord c;
  c.FirstName = first;
  c.LastName = last;
  c.DefaultEmail = mail;
  c.Emails = {mail};
  c.PerPhone = phone;
  return c;
}

Lines Texts(QListWidget* list) {
  Lines out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
  return out;
}

Lines Texts(QTreeWidget* list) {
  Lines out;
  for (int i = 0; i < list->topLevelItemCount(); ++i) out.push_back(list->topLevelItem(i)->text(0).toStdString());
  return out;
}

void Select(QTreeWidget* list, std::initializer_list<int> rows) {
  list->clearSelection();
  for (int r : rows) list->topLevelItem(r)->setSelected(true);
}

void Type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->setText(text);
  emit edit->editingFinished();
}

void Click(QWidget* w, const char* name) { Find<QAbstractButton>(w, name)->click(); }

// Saves a picture of the window for a look, into $KORRIN_SHOTS when set.
void Shot(QWidget* w, const char* name) {
  w->show();
  QApplication::processEvents();
  test::GrabToPng(w, name);
}

std::string MakePacket() {
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .User("JANE READER")
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().From("JOHN SMITH").To("ALL").Subject("Welcome").Body("Hello"))
      .Message(1, test::TPacketMessage().From("mary@example.org").To("JANE READER").Subject("Hi").Body("Hi"))
      .WriteTo(dir);
  std::string packets = test::NewTempDir("packets");
  TXceedZip zip;
  zip.SetPluginFolder(test::BinDir());
  zip.SetUsePaths(false);
  std::vector<std::string> files;
  for (auto& e : std::filesystem::directory_iterator(dir)) files.push_back(e.path().string());
  zip.SetZipFileName(packets + "DEMO.QWK");
  zip.SetFilesToProcess(files);
  EXPECT_EQ(zip.Compress(0), 0);
  return packets + "DEMO.QWK";
}
}  // namespace

TEST(AddressQuery, EmailListValidationNameCaseAndWebButtons) {
  test::TRecordingPrompts prompts;
  TAddressQuery q;
  auto* add = Find<QPushButton>(&q, "AddBtn");
  auto* list = Find<QListWidget>(&q, "EMailList");
  EXPECT_EQ(q.findChild<QTabWidget*>("PageControl1")->tabText(0), "Personal");
  EXPECT_EQ(Find<QLineEdit>(&q, "PerWeb")->text(), "http://");
  EXPECT_FALSE(add->isEnabled());
  QTest::keyClicks(Find<QLineEdit>(&q, "EMailEdit"), "ann@x.org");
  EXPECT_TRUE(add->isEnabled());
  add->click();
  QTest::keyClicks(Find<QLineEdit>(&q, "EMailEdit"), "ann@y.org");
  add->click();
  EXPECT_EQ(Texts(list), (Lines{"ann@x.org (Default)", "ann@y.org"}));
  EXPECT_TRUE(list->item(0)->font().bold() && list->item(0)->font().italic());
  EXPECT_FALSE(list->item(1)->font().bold());
  EXPECT_FALSE(Find<QPushButton>(&q, "RemoveBtn")->isEnabled());

  // Editing the default keeps it the default under its new text.
  list->setCurrentRow(0);
  prompts.inputs.push_back("ann@z.org");
  Click(&q, "EMailEditBtn");
  EXPECT_EQ(q.Emails().Default(), "ann@z.org");
  // Removing it, after the question, leaves no default: OK is refused.
  list->setCurrentRow(0);
  Click(&q, "RemoveBtn");
  EXPECT_TRUE(prompts.Shown("Remove the E-Mail adress \"ann@z.org\" from E-Mail list?"));
  EXPECT_EQ(Texts(list), Lines{"ann@y.org"});
  Type(Find<QLineEdit>(&q, "FirstEdit"), "ann-marie o'neil");
  EXPECT_EQ(Find<QLineEdit>(&q, "FirstEdit")->text(), "Ann-marie O'neil");
  Type(Find<QLineEdit>(&q, "LastEdit"), "J.R.");
  EXPECT_EQ(Find<QLineEdit>(&q, "LastEdit")->text(), "j.r.");
  Type(Find<QLineEdit>(&q, "MiddleEdit"), "mcDONALD");
  EXPECT_EQ(Find<QLineEdit>(&q, "MiddleEdit")->text(), "Mcdonald");
  q.show();
  Click(&q, "OkBtn");
  EXPECT_TRUE(q.isVisible());
  EXPECT_EQ(prompts.Texts(TBoxKind::bkInformation), Lines{kInvalidContact});
  list->setCurrentRow(0);
  Click(&q, "DefaultEMailBtn");
  EXPECT_EQ(Texts(list), Lines{"ann@y.org (Default)"});
  // The untouched web field opens nothing.
  Click(&q, "SpeedButton1");
  Shot(&q, "addr_contact_editor");
  auto* tabs = q.findChild<QTabWidget*>("PageControl1");
  tabs->setCurrentIndex(1);
  Shot(&q, "addr_contact_editor_home");
  tabs->setCurrentIndex(2);
  Shot(&q, "addr_contact_editor_business");
  tabs->setCurrentIndex(0);
  Click(&q, "OkBtn");
  EXPECT_FALSE(q.isVisible());
  EXPECT_EQ(q.result(), QDialog::Accepted);
  EXPECT_EQ(q.Contact().PerURL, "http://");
}

TEST(AddressBookWindows, EditEntryAndTheGroupEditorWithItsMemberPicker) {
  test::TRecordingPrompts prompts;
  TRegistry reg;
  TAddressBookStore book(reg);
  book.WriteContact("a1a1a1a1a1a1a1a1", Contact("Ann", "Lee", "ann@x.org", "555-1"));
  book.WriteContact("b1b1b1b1b1b1b1b1", Contact("Bob", "Ray", "bob@x.org"));
  book.WriteContact("c1c1c1c1c1c1c1c1", Contact("Cy", "Oz", "cy@x.org"));

  // A new contact through EditEntry: stored under a fresh key on OK.
  test::AnswerNextModal([](QWidget* d) {
    Type(Find<QLineEdit>(d, "FirstEdit"), "dee");
    Find<QLineEdit>(d, "EMailEdit")->setText("dee@x.org");
    Click(d, "AddBtn");
    Click(d, "OkBtn");
  });
  TEditOutcome made = EditEntry(nullptr, book, {});
  ASSERT_TRUE(made.Written);
  EXPECT_EQ(book.ReadContact(made.Key).FirstName, "Dee");
  EXPECT_EQ(book.ListEntries().size(), 4u);
  // Cancel writes nothing.
  test::AnswerNextModal([](QWidget* d) { Click(d, "CancelBtn"); });
  EXPECT_FALSE(EditEntry(nullptr, book, {}).Written);
  EXPECT_EQ(book.ListEntries().size(), 4u);

  TGroupForm group(book, {});
  auto* ok = Find<QPushButton>(&group, "OkBtn");
  QTest::keyClicks(Find<QLineEdit>(&group, "GroupEdit"), "Pals");
  EXPECT_FALSE(ok->isEnabled());  // a name and no members
  // The picker lists contacts only and moves selected rows in reverse order.
  test::AnswerNextModal([](QWidget* d) {
    auto* contacts = Find<QTreeWidget>(d, "ListView1");
    EXPECT_EQ(contacts->topLevelItemCount(), 4);
    EXPECT_FALSE(Find<QToolButton>(d, "RightArrow")->isEnabled());
    Select(contacts, {0, 2});
    Click(d, "RightArrow");
    auto* members = Find<QTreeWidget>(d, "ListView2");
    EXPECT_EQ(members->topLevelItemCount(), 2);
    Select(members, {0});
    Click(d, "LeftArrow");
    Select(contacts, {0});
    Click(d, "RightArrow");
    Shot(d, "addr_member_picker");
    Click(d, "OkBtn");
  });
  group.AddBtnClick();
  auto* rows = Find<QTreeWidget>(&group, "ListView1");
  ASSERT_EQ(group.MemberKeys().size(), 2u);
  EXPECT_TRUE(ok->isEnabled());
  // Members already in the group are not added twice.
  group.AddMembers({group.MemberKeys()[0], "c1c1c1c1c1c1c1c1"});
  EXPECT_EQ(group.MemberKeys().size(), 3u);
  Select(rows, {2});
  Click(&group, "RemoveBtn");
  EXPECT_EQ(group.MemberKeys().size(), 2u);
  // Properties edits the member; the row follows.
  Select(rows, {0});
  const std::string first = group.MemberKeys()[0];
  test::AnswerNextModal([](QWidget* d) {
    Find<QLineEdit>(d, "LastEdit")->setText("Changed");
    Click(d, "OkBtn");
  });
  Click(&group, "PropertiesBtn");
  EXPECT_EQ(book.ReadContact(first).LastName, "Changed");
  EXPECT_NE(rows->topLevelItem(0)->text(0).toStdString().find("Changed"), std::string::npos);
  Shot(&group, "addr_group_editor");
  ok->click();
  EXPECT_EQ(group.result(), QDialog::Accepted);
  EXPECT_TRUE(book.IsGroup(group.Key()));
  EXPECT_EQ(book.ReadGroup(group.Key()).Members, group.MemberKeys());

  // A member deleted from the book is still listed, and kept when saved.
  book.DeleteEntry(first);
  TGroupForm again(book, group.Key());
  EXPECT_EQ(Find<QLineEdit>(&again, "GroupEdit")->text(), "Pals");
  EXPECT_EQ(Find<QTreeWidget>(&again, "ListView1")->topLevelItemCount(), 2);
  again.show();
  again.OkBtnClick();
  EXPECT_EQ(book.ReadGroup(group.Key()).Members.front(), first);
  EXPECT_FALSE(book.Exists(first));
}

TEST(AddressBookWindows, RecipientChooserGroupsAddressesAndTheMessageLimit) {
  test::TRecordingPrompts prompts;
  TRegistry reg;
  TAddressBookStore book(reg);
  book.WriteContact("a1a1a1a1a1a1a1a1", Contact("Ann", "Lee", "ann@x.org"));
  book.WriteContact("b1b1b1b1b1b1b1b1", Contact("Bob", "Ray", "bob@x.org"));
  book.WriteGroup("g1g1g1g1g1g1g1g1", GroupRecord{"Pals", {"b1b1b1b1b1b1b1b1", "a1a1a1a1a1a1a1a1"}, {}});
  for (int i = 0; i < 30; ++i)
    book.WriteContact("m" + std::to_string(i % 10) + "m" + std::to_string(i / 10) + "m0m0m0m0m0m0",
                      Contact("Many" + std::to_string(i), "", "many" + std::to_string(i) + "@example.org"));

  TSelRecForm form(book);
  auto* list = Find<QTreeWidget>(&form, "ListView1");
  auto* to = Find<QListWidget>(&form, "ToList");
  auto* cc = Find<QListWidget>(&form, "CCList");
  auto* mailBox = Find<QCheckBox>(&form, "EMailBox");
  ASSERT_EQ(list->topLevelItemCount(), 33);
  EXPECT_FALSE(Find<QPushButton>(&form, "OkBtn")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>(&form, "ToBtn")->isEnabled());
  EXPECT_EQ(Texts(list)[0], "Ann Lee");
  // The group with "Use E-Mail address": its members' addresses, in member order.
  mailBox->setChecked(true);
  ASSERT_EQ(Texts(list)[2], "Pals");  // the registry's order: by key
  Select(list, {2});
  Click(&form, "ToBtn");
  EXPECT_EQ(Texts(to), (Lines{"bob@x.org", "ann@x.org"}));
  EXPECT_FALSE(mailBox->isEnabled());
  EXPECT_EQ(list->topLevelItemCount(), 32);
  // Two contacts to CC arrive in reverse order and leave the list.
  Select(list, {0, 1});
  Click(&form, "CCBtn");
  EXPECT_EQ(Texts(cc), (Lines{"bob@x.org", "ann@x.org"}));
  EXPECT_EQ(list->topLevelItemCount(), 30);
  Shot(&form, "addr_recipient_chooser");

  // Two To recipients are more than a message carries: refused, stays open.
  form.show();
  Click(&form, "OkBtn");
  EXPECT_TRUE(form.isVisible());
  ASSERT_EQ(prompts.Texts(TBoxKind::bkError).size(), 1u);
  EXPECT_NE(prompts.Texts(TBoxKind::bkError)[0].find("1 recipient"), std::string::npos);
  emit to->itemDoubleClicked(to->item(1));
  EXPECT_EQ(Texts(to), Lines{"bob@x.org"});
  // So is a CC list beyond the record's seven lines.
  list->selectAll();
  Click(&form, "CCBtn");
  Click(&form, "OkBtn");
  EXPECT_TRUE(form.isVisible());
  EXPECT_NE(prompts.Texts(TBoxKind::bkError).back().find("7 lines"), std::string::npos);
  while (cc->count() > 5) emit cc->itemDoubleClicked(cc->item(cc->count() - 1));
  Click(&form, "OkBtn");
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Accepted);

  // Delete asks first; Cancel keeps the entry.
  TSelRecForm second(book);
  auto* rows = Find<QTreeWidget>(&second, "ListView1");
  Select(rows, {0});
  prompts.answers.push_back(TBoxAnswer::baCancel);
  Click(&second, "DeleteBtn");
  EXPECT_TRUE(prompts.Shown("Permanently delete contact(s) \"Ann Lee\" from address book?"));
  EXPECT_TRUE(book.Exists("a1a1a1a1a1a1a1a1"));
  Select(rows, {0});
  Click(&second, "DeleteBtn");
  EXPECT_FALSE(book.Exists("a1a1a1a1a1a1a1a1"));
  EXPECT_EQ(rows->topLevelItemCount(), 32);
}

TEST(AddressBookWindows, TheWindowListsWritesDeletesAndKeepsItsPlace) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  TAddressBookStore book(host.Session().Registry());
  book.WriteContact("a1a1a1a1a1a1a1a1", Contact("Ann", "Lee", "ann@x.org", "555-1"));
  book.WriteContact("b1b1b1b1b1b1b1b1", Contact("Bob", "Ray", "bob@x.org"));
  book.WriteGroup("g1g1g1g1g1g1g1g1", GroupRecord{"Pals", {"b1b1b1b1b1b1b1b1"}, {}});

  TAdressBook* window = ShowAddressBook(host);
  ASSERT_TRUE(window);
  EXPECT_EQ(ShowAddressBook(host), window);  // one at most
  EXPECT_EQ(window->Rows().size(), 3u);
  EXPECT_EQ(window->SelectedRow(), 0);
  EXPECT_EQ(window->List()->ViewStyle(), TViewStyle::vsReport);
  auto* model = window->List()->model();
  EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "E-Mail");
  EXPECT_EQ(model->index(0, 2).data().toString(), "555-1");
  EXPECT_TRUE(Find<QToolButton>(window, "NewBtn")->isEnabled());
  Shot(window, "addr_book_details");

  // Write: the chooser, then the main window's editor with the recipients.
  test::AnswerNextModal([](QWidget* d) {
    auto* list = Find<QTreeWidget>(d, "ListView1");
    Select(list, {0});
    Click(d, "ToBtn");
    Select(list, {1});  // the group, by names
    Click(d, "CCBtn");
    Click(d, "OkBtn");
  });
  window->WriteClick();
  EXPECT_EQ(host.calls.back(), "new to Ann Lee cc Bob Ray");
  host.editorOpen = true;
  window->UpdateButtons();
  EXPECT_FALSE(Find<QToolButton>(window, "NewBtn")->isEnabled());

  // The View menu follows the windows that exist.
  QMenu* view = window->findChild<QMenu*>("View1");
  emit view->aboutToShow();
  EXPECT_TRUE(window->Commands().MSGEditor1->isVisible());
  EXPECT_FALSE(window->Commands().MSGViewer1->isVisible());
  EXPECT_TRUE(window->Commands().Detail1->isChecked());
  window->Commands().MSGEditor1->trigger();
  EXPECT_EQ(host.calls.back(), "editor front");
  window->Commands().LargeIcon1->trigger();
  EXPECT_EQ(window->List()->ViewStyle(), TViewStyle::vsIcon);
  Shot(window, "addr_book_large_icons");

  // Delete the selected row after the question; the row at its index is selected.
  window->SelectRow(1);
  window->DeleteClick();
  EXPECT_TRUE(prompts.Shown("Permanently delete contact(s) \"Bob Ray\" from address book?"));
  EXPECT_EQ(window->Rows().size(), 2u);
  EXPECT_EQ(window->SelectedRow(), 1);
  window->Commands().Toolbar1->trigger();

  // Export, then import the same file: the contact with the same address is asked about.
  const std::string vcf = test::NewTempDir("vcf") + "book.vcf";
  prompts.saveFiles.push_back(vcf);
  window->Commands().ExportvCard1->trigger();
  EXPECT_NE(test::ReadFile(vcf).find("FN:Ann Lee"), std::string::npos);
  prompts.openFiles.push_back(vcf);
  test::AnswerNextModal([](QWidget* d) { EXPECT_TRUE(test::ClickButton(d, "Keep both")); });
  window->Commands().ImportvCard1->trigger();
  EXPECT_EQ(window->Rows().size(), 4u);
  EXPECT_TRUE(prompts.Shown("1 contact(s) added, 0 replaced, 0 skipped, 1 group(s) added."));

  window->setGeometry(50, 60, 500, 380);
  window->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(TAdressBook::Instance(), nullptr);
  TBookPlacement p;
  book.LoadBookPlacement(p);
  EXPECT_EQ(p.Icons, 1);
  EXPECT_FALSE(p.Toolbar);
  EXPECT_EQ(p.Width, 500);
}

TEST(AddressBookWindows, ViewerAddsSendersAndTheEditorTakesRecipients) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  ASSERT_TRUE(host.Open(MakePacket()));
  const std::string dir = host.Session().Tree().Directory();
  TAddressBookStore book(host.Session().Registry());
  {
    QPointer<TMSGView> view = new TMSGView(host);
    host.MailList().OnOpenMessage = [&](const TConfRec* rec, int index, int) { view->ViewMessage(dir, index + 1, *rec); };
    host.OpenRow(0);
    // "Add Sender" fills the names from "John Smith"; the user adds an address.
    test::AnswerNextModal([](QWidget* d) {
      EXPECT_EQ(Find<QLineEdit>(d, "FirstEdit")->text(), "John");
      EXPECT_EQ(Find<QLineEdit>(d, "LastEdit")->text(), "Smith");
      Find<QLineEdit>(d, "EMailEdit")->setText("john@bbs.example");
      Click(d, "AddBtn");
      Click(d, "OkBtn");
    });
    view->findChild<QAction*>("AddSender1")->trigger();
    // The recipient "ALL" cannot be added.
    emit view->findChild<QMenu*>("AddressBook1")->aboutToShow();
    EXPECT_FALSE(view->findChild<QAction*>("AddReciever1")->isEnabled());
    // An address as sender goes into the e-mail field; without a first name nothing is stored.
    host.OpenRow(1);
    test::AnswerNextModal([](QWidget* d) {
      EXPECT_EQ(Find<QLineEdit>(d, "EMailEdit")->text(), "mary@example.org");
      Click(d, "CancelBtn");
    });
    view->findChild<QAction*>("AddSender1")->trigger();
    view->findChild<QAction*>("OpenAddressBook1")->trigger();
    ASSERT_TRUE(TAdressBook::Instance());
    emit view->findChild<QMenu*>("View1")->aboutToShow();
    EXPECT_TRUE(view->findChild<QAction*>("AddressBook2")->isVisible());
    delete TAdressBook::Instance();
    delete view.data();
  }
  std::vector<EntryRow> rows = book.BuildEntryList();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Text, "John Smith");
  EXPECT_EQ(rows[0].EMail, "john@bbs.example");

  // The editor's address buttons: the chooser starts with the To text and fills To, CC and the record.
  TMailTree& tree = host.Session().Tree();
  tree.Select(tree.OutBox());
  QPointer<TEditForm> editor = new TEditForm(host);
  editor->show();
  Find<QLineEdit>(editor, "ToEdit")->setText("Old Name");
  test::AnswerNextModal([](QWidget* d) {
    auto* to = Find<QListWidget>(d, "ToList");
    EXPECT_EQ(Texts(to), Lines{"Old Name"});
    emit to->itemDoubleClicked(to->item(0));
    Find<QCheckBox>(d, "EMailBox")->setChecked(true);
    Select(Find<QTreeWidget>(d, "ListView1"), {0});
    Click(d, "ToBtn");
    Click(d, "OkBtn");
  });
  Click(editor, "ExplorerButton2");
  EXPECT_EQ(Find<QLineEdit>(editor, "ToEdit")->text(), "john@bbs.example");
  EXPECT_EQ(Find<QLineEdit>(editor, "CCEdit")->text(), "");
  EXPECT_EQ(editor->QWKMsg2().MsgTo(), "john@bbs.example");
  editor->SetRecipients("Ann Lee", "a@x,b@x");
  EXPECT_EQ(Find<QLineEdit>(editor, "CCEdit")->text(), "a@x,b@x");
  EXPECT_EQ(editor->QWKMsg2().MsgTo(), "Ann Lee");
  editor->Discard();
  delete editor.data();
}

TEST(AddressBookWindows, TheMainWindowKeepsOneAddressBookAndWritesThroughItsEditor) {
  test::TRecordingPrompts prompts;
  QPointer<TAdressBook> window;
  {
    TMainForm form;
    ASSERT_TRUE(form.OpenPacketFile(MakePacket()));
    TAddressBookStore book(form.Session().Registry());
    book.WriteContact("a1a1a1a1a1a1a1a1", Contact("Ann", "Lee", "ann@x.org"));
    book.WriteContact("b1b1b1b1b1b1b1b1", Contact("Bob", "Ray", "bob@x.org"));
    QAction* open = form.findChild<QAction*>("AddressBook1");
    ASSERT_TRUE(open->isVisible());
    open->trigger();
    window = TAdressBook::Instance();
    ASSERT_TRUE(window);
    window->showMinimized();
    open->trigger();
    EXPECT_EQ(TAdressBook::Instance(), window.data());
    EXPECT_FALSE(window->isMinimized());
    emit form.findChild<QMenu*>("View1")->aboutToShow();
    EXPECT_TRUE(form.findChild<QAction*>("AddressBook2")->isVisible());

    // Write: the editor opens with the chosen recipients, and Write is off while it is open.
    window->SelectRow(0);
    test::AnswerNextModal([](QWidget* d) {
      auto* list = Find<QTreeWidget>(d, "ListView1");
      Select(list, {0});
      Click(d, "ToBtn");
      Select(list, {0});
      Click(d, "CCBtn");
      Click(d, "OkBtn");
    });
    window->WriteClick();
    ASSERT_TRUE(form.Editor());
    EXPECT_EQ(Find<QLineEdit>(form.Editor(), "ToEdit")->text(), "Ann Lee");
    EXPECT_EQ(Find<QLineEdit>(form.Editor(), "CCEdit")->text(), "Bob Ray");
    EXPECT_EQ(form.Editor()->QWKMsg2().MsgTo(), "Ann Lee");
    window->UpdateButtons();
    EXPECT_FALSE(Find<QToolButton>(window, "NewBtn")->isEnabled());
    form.Editor()->Discard();
  }
  EXPECT_FALSE(window);  // it goes with the main window
}
