#pragma once
// Window-free rules of the address-book windows: the contact editor's
// e-mail list, the web buttons, the moves between two row lists, the
// recipient chooser's transfers and what its result may hold.

#include <optional>
#include <string>
#include <vector>

#include "addressbook/address_book.h"

namespace korrin {

inline constexpr const char* kInvalidContact =
    "You must at least enter a \"First Name\" and set a \"Default E-Mail address\" to save contact in Address Book.";
inline constexpr const char* kDefaultSuffix = " (Default)";

// The contact editor's address list and its default address. The default
// is compared exactly (case-sensitive) with the lines.
class TEmailList {
public:
  const std::vector<std::string>& Lines() const { return lines_; }
  const std::string& Default() const { return default_; }
  void Assign(std::vector<std::string> lines, std::string defaultAddress);
  // Appends the text unchanged; the first address of an empty list becomes the default.
  void Add(const std::string& address);
  // Replaces line i; the default follows when it was that line.
  void Edit(size_t i, const std::string& address);
  // Removes line i; removing the default leaves no default.
  void Remove(size_t i);
  void SetDefault(size_t i);
  bool IsDefault(size_t i) const { return i < lines_.size() && lines_[i] == default_; }
  // The line as drawn: the default gets " (Default)".
  std::string Caption(size_t i) const;

private:
  std::vector<std::string> lines_;
  std::string default_;
};

// A contact may be saved with a first name and a default address.
bool ContactComplete(const ContactRecord& contact);

// The web buttons: nothing for an empty text or "http://"; else one trailing
// ".", ",", double quote and "/" removed in that order and the address
// opened, its failure shown as "Could not execute associated program with "
// + address. Returns the address opened, if any.
std::optional<std::string> OpenWebPage(const std::string& text);

// Moves the selected rows of `from` (with their keys) to the end of `to`,
// walking from the last row to the first, so several rows arrive in reverse
// order.
void MoveRows(std::vector<EntryRow>& from, std::vector<EntryRow>& to, const std::vector<int>& selected);

// The recipient chooser's "To:"/"CC:": for each selected row from the last to
// the first, a group's members (addresses or names) or the contact's
// address or name are appended to `target`, and the row leaves `rows`.
void TransferRows(TAddressBookStore& store, std::vector<EntryRow>& rows, const std::vector<int>& selected,
                  bool addresses, std::vector<std::string>& target);

// What a message can carry: one recipient in To, and carbon copies that fit
// the record's seven "CC:" lines of about sixty characters.
inline constexpr size_t kMaxToRecipients = 1;
inline constexpr size_t kMaxCarbonCopyLines = 7;
inline constexpr size_t kCarbonCopyLineWidth = 60;
// The number of "CC:" lines the message record writes for the text.
size_t CarbonCopyLineCount(const std::string& carbonCopies);

struct TChosenRecipients {
  std::string To, CC;
};
// To is the first line of the To list, CC the CC list joined with ",".
TChosenRecipients JoinRecipients(const std::vector<std::string>& to, const std::vector<std::string>& cc);
// The box text when the choice exceeds what a message carries (naming the
// limit); nothing when it fits.
std::optional<std::string> RecipientLimitError(const std::vector<std::string>& to,
                                               const std::vector<std::string>& cc);

}  // namespace korrin
