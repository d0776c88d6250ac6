#pragma once
// vCard exchange with other address books: cards of version 4.0 are
// written, 3.0 and 4.0 are read (UTF-8, folded lines, several cards per
// file). Contacts carry names, the e-mail list with the default first,
// phones, addresses, web pages and notes; groups are "KIND:group" cards
// whose MEMBER entries name their members' UIDs.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "addressbook/address_book.h"

namespace korrin {

struct TVCard {
  std::string Uid;
  bool IsGroup = false;
  ContactRecord Contact;
  std::string GroupName;
  std::vector<std::string> Members;  // UIDs or "mailto:" addresses, as written
  std::vector<std::string> GroupNotes;
};

// The cards of a file; text outside BEGIN:VCARD ... END:VCARD is ignored,
// as are properties that are not understood.
std::vector<TVCard> ParseVCards(std::string_view text);
// The text of one card (CRLF line ends, lines folded at 75 octets).
std::string WriteVCard(const TVCard& card);
// The UID our cards carry for an entry key.
std::string EntryUid(const std::string& key);

// Every entry of the book as cards, contacts first, then groups.
std::string ExportVCards(TAddressBookStore& book);

enum class TImportChoice { icReplace, icKeepBoth, icSkip };
// Asked for a card whose default address is the default address of a stored
// contact (without regard to case).
using TImportQuestion = std::function<TImportChoice(const ContactRecord& stored, const ContactRecord& incoming)>;

struct TImportResult {
  int Added = 0, Replaced = 0, Skipped = 0, Groups = 0;
};
// Adds the cards' contacts and groups to the book. Every question is asked
// before anything is written; then everything is written in one registry
// transaction. A group's members are the contacts its MEMBER entries name
// (by UID within the file, or by a "mailto:" address in the book).
TImportResult ImportVCards(TAddressBookStore& book, TRegistry& registry, std::string_view text,
                           const TImportQuestion& ask);

}  // namespace korrin
