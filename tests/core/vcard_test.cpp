#include "addressbook/vcard.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "support/test_env.h"

using namespace korrin;
using Lines = std::vector<std::string>;

namespace {
ContactRecord Full() {
  ContactRecord c;
  c.FirstName = "Zoë";
  c.LastName = "Ørsted, Jr.";
  c.MiddleName = "Q";
  c.DefaultEmail = "zoe@b.org";
  c.Emails = {"zoe@a.org", "zoe@b.org"};
  c.Notes = {"Met; at the meet", "", "a very long line of notes that goes on and on past the seventy-five octets of a vCard line: ÆØÅ"};
  c.Company = "Acme; Boards";
  c.BusDepartment = "Doors";
  c.BusJob = "Sysop";
  c.BusOffice = "3b";
  c.BusPhone = "555-1";
  c.BusFax = "555-2";
  c.BusPager = "555-3";
  c.BusAddress = {"1 Main Street", "Suite 2"};
  c.BusCity = "Springfield";
  c.BusState = "ST";
  c.BusZip = "12345";
  c.BusCountry = "Nowhere";
  c.BusURL = "http://acme.example/";
  c.PerPhone = "555-4";
  c.PerFax = "555-5";
  c.PerCell = "555-6";
  c.PerAddress = {"2 Side Road"};
  c.PerCity = "Shelbyville";
  c.PerZip = "999";
  c.PerURL = "http://";  // the editor's untouched field: not a web page
  return c;
}

ContactRecord Simple(const std::string& first, const std::string& mail) {
  ContactRecord c;
  c.FirstName = first;
  c.DefaultEmail = mail;
  c.Emails = {mail};
  return c;
}

TImportQuestion Always(TImportChoice choice, int* asked = nullptr) {
  return [choice, asked](const ContactRecord&, const ContactRecord&) {
    if (asked) ++*asked;
    return choice;
  };
}
}  // namespace

TEST(VCard, ExportAndImportGiveTheSameBook) {
  std::string file;
  {
    TRegistry reg;
    TAddressBookStore book(reg);
    book.WriteContact("a1a1a1a1a1a1a1a1", Full());
    book.WriteContact("b1b1b1b1b1b1b1b1", Simple("Bob", "bob@x.org"));
    book.WriteGroup("g1g1g1g1g1g1g1g1", GroupRecord{"Pals", {"b1b1b1b1b1b1b1b1", "gone0gone0gone00", "a1a1a1a1a1a1a1a1"},
                                                    {"two", "lines"}});
    file = ExportVCards(book);
  }
  // Lines are folded at 75 octets, never inside a UTF-8 character.
  size_t start = 0;
  while (start < file.size()) {
    size_t end = file.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LE(end - start, 75u);
    if (end < file.size() - 2) EXPECT_NE(static_cast<unsigned char>(file[end + 2]) & 0xC0, 0x80);
    start = end + 2;
  }
  EXPECT_NE(file.find("VERSION:4.0"), std::string::npos);
  EXPECT_NE(file.find("KIND:group"), std::string::npos);
  EXPECT_NE(file.find("EMAIL;PREF=1:zoe@b.org\r\nEMAIL:zoe@a.org"), std::string::npos);
  EXPECT_EQ(file.find("http://\r\n"), std::string::npos);

  TRegistry reg(test::NewTempDir("other") + "registry.db");
  TAddressBookStore book(reg);
  TImportResult r = ImportVCards(book, reg, file, Always(TImportChoice::icSkip));
  EXPECT_EQ(r.Added, 2);
  EXPECT_EQ(r.Groups, 1);
  std::vector<EntryRow> rows = book.BuildEntryList();
  ASSERT_EQ(rows.size(), 3u);
  std::string zoe, bob, group;
  for (const EntryRow& row : rows) (row.Image == 1 ? group : row.Text == "Bob " ? bob : zoe) = row.Key;
  ContactRecord expected = Full();
  expected.Emails = {"zoe@b.org", "zoe@a.org"};  // the default comes first
  expected.PerURL.clear();
  EXPECT_EQ(book.ReadContact(zoe), expected);
  EXPECT_EQ(book.ReadGroup(group), (GroupRecord{"Pals", {bob, zoe}, {"two", "lines"}}));
}

TEST(VCard, ReadsVersionThreeCardsOfOtherPrograms) {
  const std::string text =
      "junk before\n"
      "BEGIN:VCARD\n"
      "VERSION:3.0\n"
      "item1.EMAIL;TYPE=INTERNET:other@x.org\n"
      "EMAIL;TYPE=INTERNET,PREF:main@x.org\n"
      "FN:Ann Marie Lee\n"
      "TEL;TYPE=WORK;TYPE=VOICE:555-9\n"
      "TEL;TYPE=CELL:555-8\n"
      "ADR;TYPE=HOME:;Flat 4;12 Long\\nRoad;Town;;;Land\n"
      "NOTE:first\\nsecond\\, with comma\n"
      "URL;TYPE=WORK:http://work.example\n"
      "TITLE:Ch\n"
      "\tief\n"
      "END:VCARD\r\n"
      "BEGIN:VCARD\r\n"
      "VERSION:3.0\r\n"
      "N:;;;;\r\n"
      "EMAIL:nobody@x.org\r\n"
      "END:VCARD\r\n"
      "BEGIN:VCARD\r\n"
      "VERSION:3.0\r\n"
      "X-ADDRESSBOOKSERVER-KIND:group\r\n"
      "FN:Team\r\n"
      "X-ADDRESSBOOKSERVER-MEMBER:mailto:main@x.org\r\n"
      "END:VCARD\r\n"
      "BEGIN:VCARD\r\n"
      "FN:Cut off without an end\r\n";
  std::vector<TVCard> cards = ParseVCards(text);
  ASSERT_EQ(cards.size(), 3u);
  const ContactRecord& ann = cards[0].Contact;
  EXPECT_EQ(ann.FirstName, "Ann");
  EXPECT_EQ(ann.LastName, "Marie Lee");
  EXPECT_EQ(ann.Emails, (Lines{"main@x.org", "other@x.org"}));
  EXPECT_EQ(ann.DefaultEmail, "main@x.org");
  EXPECT_EQ(ann.BusPhone, "555-9");
  EXPECT_EQ(ann.PerCell, "555-8");
  EXPECT_EQ(ann.PerAddress, (Lines{"Flat 4", "12 Long", "Road"}));
  EXPECT_EQ(ann.PerCity, "Town");
  EXPECT_EQ(ann.PerCountry, "Land");
  EXPECT_EQ(ann.Notes, (Lines{"first", "second, with comma"}));
  EXPECT_EQ(ann.BusURL, "http://work.example");
  EXPECT_EQ(ann.BusJob, "Chief");
  // A nameless card is named by its address, so it can be saved and found.
  EXPECT_EQ(cards[1].Contact.FirstName, "nobody@x.org");
  EXPECT_TRUE(cards[2].IsGroup);
  EXPECT_EQ(cards[2].GroupName, "Team");

  TRegistry reg;
  TAddressBookStore book(reg);
  ImportVCards(book, reg, text, {});
  for (const EntryRow& row : book.BuildEntryList())
    if (row.Image == 1) EXPECT_EQ(book.ExpandGroup(row.Key, true), Lines{"main@x.org"});
}

TEST(VCard, ImportAsksBeforeReplacingAContactWithTheSameAddress) {
  TRegistry reg;
  TAddressBookStore book(reg);
  book.WriteContact("a1a1a1a1a1a1a1a1", Simple("Old", "Ann@X.org"));
  TVCard card;
  card.Contact = Simple("New", "ann@x.org");
  const std::string file = WriteVCard(card) + WriteVCard(TVCard{"", false, Simple("Cy", "cy@x.org"), "", {}, {}});

  int asked = 0;
  TImportResult skip = ImportVCards(book, reg, file, Always(TImportChoice::icSkip, &asked));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(skip.Skipped, 1);
  EXPECT_EQ(skip.Added, 1);
  EXPECT_EQ(book.ReadContact("a1a1a1a1a1a1a1a1").FirstName, "Old");
  EXPECT_EQ(book.ListEntries().size(), 2u);

  TImportResult both = ImportVCards(book, reg, WriteVCard(card), Always(TImportChoice::icKeepBoth));
  EXPECT_EQ(both.Added, 1);
  EXPECT_EQ(book.ListEntries().size(), 3u);
  EXPECT_EQ(book.ReadContact("a1a1a1a1a1a1a1a1").FirstName, "Old");

  // Two stored contacts share the address now; one of them is replaced in place.
  TImportResult replace = ImportVCards(book, reg, WriteVCard(card), Always(TImportChoice::icReplace));
  EXPECT_EQ(replace.Replaced, 1);
  EXPECT_EQ(book.ListEntries().size(), 3u);
  int news = 0;
  for (const EntryRow& row : book.BuildEntryList()) news += row.Text == "New ";
  EXPECT_EQ(news, 2);
}

namespace {
// The first Python that has the module (a private Python may stand before the system's).
std::string VobjectPython() {
  for (const char* python : {"python3", "/usr/bin/python3"})
    if (std::system((std::string(python) + " -c 'import vobject' >/dev/null 2>&1").c_str()) == 0) return python;
  return {};
}

const char* kVobjectScript = R"(import sys, vobject
mode, path = sys.argv[1], sys.argv[2]
if mode == 'read':
    with open(path, encoding='utf-8') as f:
        for card in vobject.readComponents(f.read()):
            kind = card.kind.value if hasattr(card, 'kind') else 'individual'
            mails = [e.value for e in card.contents.get('email', [])]
            members = [m.value for m in card.contents.get('member', [])]
            print('|'.join([kind, card.fn.value, ','.join(mails), str(len(members)),
                            card.note.value.replace('\n', '/') if hasattr(card, 'note') else '']))
else:
    out = []
    c = vobject.vCard()
    c.add('n').value = vobject.vcard.Name(family='Ørsted', given='Hans Christian')
    c.add('fn').value = 'Hans Christian Ørsted'
    e = c.add('email'); e.value = 'hc@physics.example'; e.type_param = 'INTERNET'
    t = c.add('tel'); t.value = '+45 1234'; t.type_param = 'HOME'
    a = c.add('adr'); a.value = vobject.vcard.Address(street='Studiestræde 6', city='København', country='Danmark'); a.type_param = 'HOME'
    c.add('note').value = 'Electromagnetism, 1820; ' + 'x' * 90
    out.append(c.serialize())
    d = vobject.vCard()
    d.add('n').value = vobject.vcard.Name(family='Lee', given='Ann')
    d.add('fn').value = 'Ann Lee'
    d.add('email').value = 'ann@x.org'
    out.append(d.serialize())
    with open(path, 'w', encoding='utf-8', newline='') as f:
        f.write(''.join(out))
)";
}  // namespace

TEST(VCard, AnotherProgramReadsOurCardsAndWritesCardsWeRead) {
  const std::string python = VobjectPython();
  if (python.empty()) GTEST_SKIP() << "python3-vobject is needed to check against another vCard program";
  const std::string dir = test::NewTempDir("vobject");
  const std::string script = test::WriteFile(dir + "check.py", kVobjectScript);
  TRegistry reg;
  TAddressBookStore book(reg);
  book.WriteContact("a1a1a1a1a1a1a1a1", Full());
  book.WriteGroup("g1g1g1g1g1g1g1g1", GroupRecord{"Pals", {"a1a1a1a1a1a1a1a1"}, {}});
  const std::string ours = test::WriteFile(dir + "ours.vcf", ExportVCards(book));
  const std::string listing = dir + "listing.txt";
  ASSERT_EQ(std::system((python + " '" + script + "' read '" + ours + "' > '" + listing + "'").c_str()), 0);
  EXPECT_EQ(test::ReadFile(listing),
            "individual|Zoë Q Ørsted, Jr.|zoe@b.org,zoe@a.org|0|Met; at the meet//a very long line of notes that "
            "goes on and on past the seventy-five octets of a vCard line: ÆØÅ\n"
            "group|Pals||1|\n");

  const std::string theirs = dir + "theirs.vcf";
  ASSERT_EQ(std::system((python + " '" + script + "' write '" + theirs + "'").c_str()), 0);
  std::vector<TVCard> cards = ParseVCards(test::ReadFile(theirs));
  ASSERT_EQ(cards.size(), 2u);
  const ContactRecord& hc = cards[0].Contact;
  EXPECT_EQ(hc.FirstName, "Hans Christian");
  EXPECT_EQ(hc.LastName, "Ørsted");
  EXPECT_EQ(hc.DefaultEmail, "hc@physics.example");
  EXPECT_EQ(hc.PerPhone, "+45 1234");
  EXPECT_EQ(hc.PerAddress, Lines{"Studiestræde 6"});
  EXPECT_EQ(hc.PerCity, "København");
  EXPECT_EQ(hc.Notes, Lines{"Electromagnetism, 1820; " + std::string(90, 'x')});
  EXPECT_EQ(cards[1].Contact.DefaultEmail, "ann@x.org");
}
