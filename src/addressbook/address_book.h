#pragma once
// The address book's store: contacts and groups kept in the registry under
// the program key, "\Address Book\<entry key>", and the placement of the
// address-book windows under "\Config\Address Book". Nothing is cached: every
// call reads or writes the registry, so each window sees the others' changes
// when it reloads. Registry failures ("Invalid data type for '%s'", "Failed
// to set data for '%s'") are raised as ERegistryException for the window to
// report.

#include <string>
#include <vector>

namespace korrin {

class TRegistry;

struct ContactRecord {
  std::string FirstName, LastName, MiddleName, DefaultEmail;
  std::vector<std::string> Emails;  // in list order
  std::vector<std::string> Notes;   // lines
  // Business
  std::string Company, BusCity, BusState, BusZip, BusCountry, BusURL, BusJob, BusDepartment, BusOffice, BusPhone,
      BusFax, BusPager;
  std::vector<std::string> BusAddress;
  // Home
  std::string PerCity, PerState, PerZip, PerCountry, PerPhone, PerFax, PerCell, PerURL;
  std::vector<std::string> PerAddress;
  bool operator==(const ContactRecord&) const = default;
};

struct GroupRecord {
  std::string Name;
  std::vector<std::string> Members;  // entry keys, in member order
  std::vector<std::string> Notes;
  bool operator==(const GroupRecord&) const = default;
};

// One row of an entry list: image 0 a contact, 1 a group (no sub-texts).
struct EntryRow {
  std::string Key, Text;
  int Image = 0;
  std::string EMail, Phone;
  bool operator==(const EntryRow&) const = default;
};

// The address book window's placement; the defaults are its design bounds.
struct TBookPlacement {
  int Left = 149, Top = 163, Width = 440, Height = 352;
  int WindowState = 0;  // 0 normal, 1 maximised, 2 minimised
  bool Toolbar = true;
  int Icons = 4;        // 1 large icons, 2 small icons, 3 list, 4 details
  bool operator==(const TBookPlacement&) const = default;
};

// Plain bounds of the select-recipients dialog.
struct TBounds {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TBounds&) const = default;
};

inline constexpr const char* kAddressBookKey = "\\Address Book";
inline constexpr const char* kBookConfigKey = "\\Config\\Address Book";
inline constexpr const char* kSelectConfigKey = "\\Config\\Address Book\\Select";

class TAddressBookStore {
public:
  explicit TAddressBookStore(TRegistry& registry) : reg_(registry) {}

  // The entry keys in the registry's order; empty when the book has none.
  std::vector<std::string> ListEntries();
  bool Exists(const std::string& key);
  bool IsGroup(const std::string& key);
  // A contact: first name, one space, last name; a group: its name.
  std::string DisplayName(const std::string& key);
  ContactRecord ReadContact(const std::string& key);
  // Writes every value in one registry transaction, so an interrupted
  // write never leaves half a contact.
  void WriteContact(const std::string& key, const ContactRecord& contact);
  // Empty members are skipped.
  GroupRecord ReadGroup(const std::string& key);
  void WriteGroup(const std::string& key, const GroupRecord& group);
  // Removes the entry with its sub-keys; a missing entry is no error.
  void DeleteEntry(const std::string& key);
  // The group's members as recipient texts: default addresses when
  // `addresses`, else display names. Members whose entry is gone give
  // nothing (an empty recipient would only spoil the To and CC fields).
  std::vector<std::string> ExpandGroup(const std::string& key, bool addresses);
  // A fresh 16-character key; drawn again while an entry holds it, so a new
  // entry never replaces another.
  std::string NewEntryKey();

  // The rows of every entry (groups left out with `contactsOnly`), in
  // ListEntries order. The phone sub-text is the home phone.
  std::vector<EntryRow> BuildEntryList(bool contactsOnly = false);
  // The row of one entry, as the lists show it.
  EntryRow ReadRow(const std::string& key);
  // The row of a contact just edited in a dialog.
  static EntryRow ContactRow(const std::string& key, const ContactRecord& contact);

  // Placement: loading keeps the given state and view style when the stored
  // value is out of range.
  void LoadBookPlacement(TBookPlacement& placement);
  void SaveBookPlacement(const TBookPlacement& placement);
  void LoadSelectPlacement(TBounds& bounds);
  void SaveSelectPlacement(const TBounds& bounds);

  // The registry path of an entry (from the root).
  static std::string EntryPath(const std::string& key);

private:
  bool Open(const std::string& path);
  std::string Text(const char* name);
  int Integer(const char* name, int fallback);
  std::vector<std::string> Lines(const char* countName, const char* stem);
  void WriteLines(const char* countName, const char* stem, const std::vector<std::string>& lines);
  EntryRow Row(const std::string& key);

  TRegistry& reg_;
};

}  // namespace korrin
