#include "addressbook/address_rules.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "platform/shell.h"
#include "support/recording_prompts.h"

using namespace korrin;
using Lines = std::vector<std::string>;

namespace {
class TOpenShell : public Shell {
public:
  int OpenDocument(const std::string& target, const std::string&) override {
    opened.push_back(target);
    return result;
  }
  int StartProgram(const std::string&, const std::vector<std::string>&, const std::string&) override { return 0; }
  Lines opened;
  int result = kShellOk;
};

ContactRecord Contact(const std::string& first, const std::string& last, const std::string& mail) {
  ContactRecord c;
  c.FirstName = first;
  c.LastName = last;
  c.DefaultEmail = mail;
  c.Emails = {mail};
  return c;
}
}  // namespace

TEST(AddressRules, EmailListKeepsItsDefaultThroughEditsAndRemovals) {
  TEmailList list;
  list.Add("a@x.org");
  list.Add("b@x.org");
  list.Add("b@x.org");  // duplicates are allowed
  EXPECT_EQ(list.Default(), "a@x.org");
  EXPECT_EQ(list.Caption(0), "a@x.org (Default)");
  EXPECT_EQ(list.Caption(1), "b@x.org");
  list.Edit(1, "c@x.org");
  EXPECT_EQ(list.Default(), "a@x.org");
  list.Edit(0, "A@x.org");
  EXPECT_EQ(list.Default(), "A@x.org");
  EXPECT_FALSE(list.IsDefault(1));
  list.SetDefault(2);
  EXPECT_EQ(list.Default(), "b@x.org");
  // Removing the default leaves none: the contact cannot be saved then.
  list.Remove(2);
  EXPECT_EQ(list.Default(), "");
  EXPECT_EQ(list.Lines(), (Lines{"A@x.org", "c@x.org"}));
  ContactRecord c;
  c.FirstName = "Ann";
  c.DefaultEmail = list.Default();
  EXPECT_FALSE(ContactComplete(c));
  c.DefaultEmail = "c@x.org";
  EXPECT_TRUE(ContactComplete(c));
  list.Remove(9);  // out of range: nothing
  EXPECT_EQ(list.Lines().size(), 2u);
}

TEST(AddressRules, WebPagesAreCleanedAndFailuresReported) {
  test::TRecordingPrompts prompts;
  TOpenShell shell;
  SetShell(&shell);
  EXPECT_FALSE(OpenWebPage(""));
  EXPECT_FALSE(OpenWebPage("http://"));
  EXPECT_EQ(OpenWebPage("http://a.org/\","), "http://a.org");
  EXPECT_EQ(OpenWebPage("http://a.org/."), "http://a.org");
  shell.result = kShellNoAssociation;
  OpenWebPage("http://b.org");
  SetShell(nullptr);
  EXPECT_EQ(shell.opened, (Lines{"http://a.org", "http://a.org", "http://b.org"}));
  EXPECT_EQ(prompts.Texts(TBoxKind::bkError), Lines{"Could not execute associated program with http://b.org"});
}

TEST(AddressRules, MovesAndTransfersWalkBackwards) {
  std::vector<EntryRow> from{{"k0", "A", 0, "a@x", ""}, {"k1", "B", 0, "b@x", ""}, {"k2", "C", 0, "c@x", ""}};
  std::vector<EntryRow> to;
  MoveRows(from, to, {0, 2});
  ASSERT_EQ(to.size(), 2u);
  EXPECT_EQ(to[0].Key, "k2");
  EXPECT_EQ(to[1].Key, "k0");
  ASSERT_EQ(from.size(), 1u);
  EXPECT_EQ(from[0].Key, "k1");

  TRegistry reg;
  TAddressBookStore book(reg);
  book.WriteContact("a1a1a1a1a1a1a1a1", Contact("Ann", "Lee", "ann@x.org"));
  book.WriteContact("b1b1b1b1b1b1b1b1", Contact("Bob", "Ray", "bob@x.org"));
  book.WriteGroup("g1g1g1g1g1g1g1g1", GroupRecord{"Pals", {"b1b1b1b1b1b1b1b1", "a1a1a1a1a1a1a1a1"}, {}});
  std::vector<EntryRow> rows = book.BuildEntryList();
  ASSERT_EQ(rows.size(), 3u);
  Lines names;
  TransferRows(book, rows, {0, 1}, false, names);
  EXPECT_EQ(names, (Lines{"Bob Ray", "Ann Lee"}));
  ASSERT_EQ(rows.size(), 1u);
  Lines mails;
  TransferRows(book, rows, {0}, true, mails);
  EXPECT_EQ(mails, (Lines{"bob@x.org", "ann@x.org"}));
  EXPECT_TRUE(rows.empty());
}

TEST(AddressRules, ChosenRecipientsFitTheMessageOrAreRefused) {
  EXPECT_EQ(JoinRecipients({"Ann Lee"}, {"a@x", "b@x"}).CC, "a@x,b@x");
  EXPECT_EQ(JoinRecipients({}, {}).To, "");
  EXPECT_FALSE(RecipientLimitError({"Ann Lee"}, {"a@x", "b@x"}));
  auto to = RecipientLimitError({"Ann Lee", "Bob Ray"}, {});
  ASSERT_TRUE(to);
  EXPECT_NE(to->find("1 recipient"), std::string::npos);
  // Thirty addresses fill more than the seven lines a message carries.
  Lines many;
  for (int i = 0; i < 30; ++i) many.push_back("someone" + std::to_string(i) + "@example.org");
  EXPECT_GT(CarbonCopyLineCount(JoinRecipients({}, many).CC), kMaxCarbonCopyLines);
  auto cc = RecipientLimitError({"x"}, many);
  ASSERT_TRUE(cc);
  EXPECT_NE(cc->find("7 lines"), std::string::npos);
  many.resize(10);
  EXPECT_FALSE(RecipientLimitError({"x"}, many));
  EXPECT_EQ(CarbonCopyLineCount("a"), 0u);
  EXPECT_EQ(CarbonCopyLineCount("a@x,b@x"), 1u);
}
