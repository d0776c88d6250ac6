#include "addressbook/address_book.h"

#include <gtest/gtest.h>

#include "addressbook/address_rules.h"
#include "platform/errors.h"
#include "platform/random.h"
#include "platform/registry.h"
#include "support/recording_prompts.h"

using namespace korrin;
using Lines = std::vector<std::string>;

namespace {
ContactRecord Contact(const std::string& first, const std::string& last, Lines emails) {
  ContactRecord c;
  c.FirstName = first;
  c.LastName = last;
  c.DefaultEmail = emails.empty() ? std::string() : emails.front();
  c.Emails = std::move(emails);
  return c;
}

bool Open(TRegistry& reg, const std::string& key, const std::string& sub = {}) {
  return reg.OpenKey(TAddressBookStore::EntryPath(key) + sub, false);
}
}  // namespace

TEST(AddressBookStore, ContactRoundTripShrunkListsAndDisplayNames) {
  TRegistry reg;
  TAddressBookStore book(reg);
  EXPECT_TRUE(book.ListEntries().empty());
  EXPECT_TRUE(book.BuildEntryList().empty());

  ContactRecord full = Contact("Ann", "Lee", {"ann@a.org", "ann@b.org", "ann@c.org"});
  full.MiddleName = "Q";
  full.Notes = {"met at the meeting", "", "likes tea"};
  full.Company = "Acme";
  full.BusCity = "Springfield";
  full.BusState = "ST";
  full.BusZip = "12345";
  full.BusCountry = "Nowhere";
  full.BusURL = "http://acme.example";
  full.BusJob = "Sysop";
  full.BusDepartment = "Boards";
  full.BusOffice = "3";
  full.BusPhone = "555-1";
  full.BusFax = "555-2";
  full.BusPager = "555-3";
  full.BusAddress = {"1 Main Street", "Suite 2"};
  full.PerCity = "Shelbyville";
  full.PerState = "SV";
  full.PerZip = "999";
  full.PerCountry = "Elsewhere";
  full.PerPhone = "555-4";
  full.PerFax = "555-5";
  full.PerCell = "555-6";
  full.PerURL = "http://";
  full.PerAddress = {"2 Side Road"};
  book.WriteContact("a0b1c2d3e4f5g6h7", full);
  EXPECT_EQ(book.ReadContact("a0b1c2d3e4f5g6h7"), full);
  EXPECT_FALSE(book.IsGroup("a0b1c2d3e4f5g6h7"));
  // The values lie where other programs of the system look for them.
  ASSERT_TRUE(Open(reg, "a0b1c2d3e4f5g6h7", "\\Personal"));
  EXPECT_EQ(reg.ReadString("Cel Phone"), "555-6");
  ASSERT_TRUE(Open(reg, "a0b1c2d3e4f5g6h7"));
  EXPECT_EQ(reg.ReadInteger("Group"), 0);

  // The list shrinks to one address: the old numbered values stay, unread.
  ContactRecord shrunk = full;
  shrunk.Emails = {"ann@a.org"};
  shrunk.LastName.clear();
  book.WriteContact("a0b1c2d3e4f5g6h7", shrunk);
  EXPECT_EQ(book.ReadContact("a0b1c2d3e4f5g6h7").Emails, Lines{"ann@a.org"});
  ASSERT_TRUE(Open(reg, "a0b1c2d3e4f5g6h7", "\\Email"));
  EXPECT_EQ(reg.ReadInteger("Count"), 1);
  EXPECT_EQ(reg.ReadString("Email2"), "ann@c.org");
  EXPECT_EQ(book.DisplayName("a0b1c2d3e4f5g6h7"), "Ann ");

  // A contact without addresses: a zero count, no numbered values.
  book.WriteContact("b0b1c2d3e4f5g6h7", Contact("Bob", "", {}));
  ASSERT_TRUE(Open(reg, "b0b1c2d3e4f5g6h7", "\\Email"));
  EXPECT_EQ(reg.ReadInteger("Count"), 0);
  EXPECT_FALSE(reg.ValueExists("Email0"));

  // A missing entry reads as defaults and is not created by reading.
  EXPECT_EQ(book.ReadContact("x0x0x0x0x0x0x0x0"), ContactRecord{});
  EXPECT_FALSE(book.Exists("x0x0x0x0x0x0x0x0"));

  std::vector<EntryRow> rows = book.BuildEntryList();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (EntryRow{"a0b1c2d3e4f5g6h7", "Ann ", 0, "ann@a.org", "555-4"}));
  EXPECT_EQ(rows[1].Text, "Bob ");
}

TEST(AddressBookStore, GroupsKeepDeletedMembersAndExpandInOrder) {
  TRegistry reg;
  TAddressBookStore book(reg);
  book.WriteContact("a1a1a1a1a1a1a1a1", Contact("Ann", "Lee", {"ann@x.org"}));
  book.WriteContact("b1b1b1b1b1b1b1b1", Contact("Bob", "Ray", {"bob@x.org"}));
  book.WriteContact("c1c1c1c1c1c1c1c1", Contact("Cy", "Oz", {"cy@x.org"}));
  GroupRecord g{"Friends", {"c1c1c1c1c1c1c1c1", "a1a1a1a1a1a1a1a1", "b1b1b1b1b1b1b1b1"}, {"note one", "note two"}};
  book.WriteGroup("g1g1g1g1g1g1g1g1", g);
  EXPECT_TRUE(book.IsGroup("g1g1g1g1g1g1g1g1"));
  EXPECT_EQ(book.ReadGroup("g1g1g1g1g1g1g1g1"), g);
  EXPECT_EQ(book.DisplayName("g1g1g1g1g1g1g1g1"), "Friends");
  EXPECT_EQ(book.ExpandGroup("g1g1g1g1g1g1g1g1", false), (Lines{"Cy Oz", "Ann Lee", "Bob Ray"}));
  EXPECT_EQ(book.ExpandGroup("g1g1g1g1g1g1g1g1", true), (Lines{"cy@x.org", "ann@x.org", "bob@x.org"}));
  // A contact is not a group: nothing to expand.
  EXPECT_TRUE(book.ExpandGroup("a1a1a1a1a1a1a1a1", true).empty());
  EXPECT_EQ(book.BuildEntryList(true).size(), 3u);
  EXPECT_EQ(book.BuildEntryList().back(), (EntryRow{"g1g1g1g1g1g1g1g1", "Friends", 1, "", ""}));

  // Deleting a member leaves the group's reference; the group keeps it when
  // saved, the entry is not made again, and it gives no empty recipient.
  book.DeleteEntry("a1a1a1a1a1a1a1a1");
  book.DeleteEntry("a1a1a1a1a1a1a1a1");  // gone already: nothing happens
  EXPECT_EQ(book.ReadGroup("g1g1g1g1g1g1g1g1").Members, g.Members);
  book.WriteGroup("g1g1g1g1g1g1g1g1", book.ReadGroup("g1g1g1g1g1g1g1g1"));
  EXPECT_FALSE(book.Exists("a1a1a1a1a1a1a1a1"));
  EXPECT_EQ(book.ExpandGroup("g1g1g1g1g1g1g1g1", true), (Lines{"cy@x.org", "bob@x.org"}));
  EXPECT_EQ(book.DisplayName("a1a1a1a1a1a1a1a1"), " ");

  // Notes counted as "count"; empty member values skipped; count 0 expands to nothing.
  ASSERT_TRUE(Open(reg, "g1g1g1g1g1g1g1g1", "\\Notes"));
  EXPECT_EQ(reg.GetValueNames().front(), "count");
  ASSERT_TRUE(Open(reg, "g1g1g1g1g1g1g1g1"));
  reg.WriteString("Member1", "");
  EXPECT_EQ(book.ReadGroup("g1g1g1g1g1g1g1g1").Members, (Lines{"c1c1c1c1c1c1c1c1", "b1b1b1b1b1b1b1b1"}));
  ASSERT_TRUE(Open(reg, "g1g1g1g1g1g1g1g1"));
  reg.WriteInteger("Group count", 0);
  EXPECT_TRUE(book.ExpandGroup("g1g1g1g1g1g1g1g1", false).empty());
  // A group shrunk to fewer members leaves the old values unread.
  book.WriteGroup("g1g1g1g1g1g1g1g1", GroupRecord{"Pair", {"b1b1b1b1b1b1b1b1"}, {}});
  EXPECT_EQ(book.ReadGroup("g1g1g1g1g1g1g1g1"), (GroupRecord{"Pair", {"b1b1b1b1b1b1b1b1"}, {}}));
}

TEST(AddressBookStore, WrongValueTypesFailWithTheRegistryText) {
  TRegistry reg;
  TAddressBookStore book(reg);
  book.WriteContact("a1a1a1a1a1a1a1a1", Contact("Ann", "Lee", {"ann@x.org"}));
  ASSERT_TRUE(Open(reg, "a1a1a1a1a1a1a1a1", "\\Email"));
  reg.WriteString("Count", "1");
  try {
    book.ReadContact("a1a1a1a1a1a1a1a1");
    FAIL() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Count'");
  }
  ASSERT_TRUE(Open(reg, "a1a1a1a1a1a1a1a1"));
  reg.WriteInteger("First name", 3);
  EXPECT_THROW(book.BuildEntryList(), ERegistryException);
  // A count above the values present reads the missing ones as empty lines.
  ASSERT_TRUE(Open(reg, "a1a1a1a1a1a1a1a1", "\\Email"));
  reg.WriteInteger("Count", 3);
  ASSERT_TRUE(Open(reg, "a1a1a1a1a1a1a1a1"));
  reg.WriteString("First name", "Ann");
  EXPECT_EQ(book.ReadContact("a1a1a1a1a1a1a1a1").Emails, (Lines{"ann@x.org", "", ""}));
  // The registry is left without a current key: no later write lands in an entry.
  EXPECT_FALSE(reg.HasCurrentKey());
}

TEST(AddressBookStore, NewEntryKeysHaveTheirFormAndNeverReplaceAnEntry) {
  TRegistry reg;
  TAddressBookStore book(reg);
  RandomSeed(77);
  for (int i = 0; i < 200; ++i) {
    std::string key = book.NewEntryKey();
    ASSERT_EQ(key.size(), 16u);
    for (size_t p = 0; p < 16; ++p) {
      if (p % 2 == 0) EXPECT_TRUE(key[p] >= 'a' && key[p] <= 'y') << key;
      else EXPECT_TRUE(key[p] >= '0' && key[p] <= '8') << key;
    }
  }
  // The same draw again finds the key taken and draws another.
  RandomSeed(5);
  const std::string first = NewEntryKey();
  book.WriteContact(first, Contact("Ann", "Lee", {"ann@x.org"}));
  RandomSeed(5);
  const std::string next = book.NewEntryKey();
  EXPECT_NE(next, first);
  EXPECT_EQ(book.ReadContact(first).FirstName, "Ann");
}

TEST(AddressBookStore, PlacementDefaultsRangesAndRoundTrip) {
  TRegistry reg;
  TAddressBookStore book(reg);
  TBookPlacement p;
  book.LoadBookPlacement(p);
  EXPECT_EQ(p, TBookPlacement{});
  EXPECT_EQ(p.Left, 149);
  EXPECT_EQ(p.Icons, 4);
  book.SaveBookPlacement(TBookPlacement{10, 20, 500, 400, 2, false, 7});
  TBookPlacement q;
  q.Icons = 2;
  book.LoadBookPlacement(q);
  // The minimised state comes back; an unknown view style leaves the current one.
  EXPECT_EQ(q, (TBookPlacement{10, 20, 500, 400, 2, false, 2}));
  ASSERT_TRUE(reg.OpenKey(std::string("\\SOFTWARE\\Halvane Software Development\\Korrin offline mail reader") +
                              kBookConfigKey, false));
  reg.WriteInteger("WindowState", 5);
  book.LoadBookPlacement(q);
  EXPECT_EQ(q.WindowState, 2);

  TBounds b{1, 2, 3, 4};
  book.LoadSelectPlacement(b);
  EXPECT_EQ(b, (TBounds{1, 2, 3, 4}));
  book.SaveSelectPlacement(TBounds{30, 40, 300, 200});
  book.LoadSelectPlacement(b);
  EXPECT_EQ(b, (TBounds{30, 40, 300, 200}));
}
