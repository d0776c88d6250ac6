#include "addressbook/address_book.h"

#include <algorithm>

#include "platform/errors.h"
#include "platform/random.h"
#include "platform/registry.h"
#include "platform/version.h"

namespace korrin {

namespace {
// Closes the registry's current key when the operation ends, however it ends.
struct TKeyCloser {
  TRegistry& reg;
  ~TKeyCloser() { reg.CloseKey(); }
};

std::string Indexed(const char* stem, size_t i) { return stem + std::to_string(i); }
}  // namespace

std::string TAddressBookStore::EntryPath(const std::string& key) {
  return std::string(kProgramKey) + kAddressBookKey + "\\" + key;
}

bool TAddressBookStore::Open(const std::string& path) { return reg_.OpenKey(path, false); }

std::string TAddressBookStore::Text(const char* name) { return reg_.ReadString(name); }

int TAddressBookStore::Integer(const char* name, int fallback) {
  // One query for the usual case of a value that is there.
  try {
    return reg_.ReadInteger(name);
  } catch (const ERegistryException&) {
    if (reg_.ValueExists(name)) throw;  // there, but of the wrong type
    return fallback;
  }
}

// A count and that many numbered values; a missing numbered value is an
// empty line, a count below 1 an empty list.
std::vector<std::string> TAddressBookStore::Lines(const char* countName, const char* stem) {
  std::vector<std::string> lines;
  const int count = Integer(countName, 0);
  for (int i = 0; i < count; ++i) lines.push_back(reg_.ReadString(Indexed(stem, static_cast<size_t>(i))));
  return lines;
}

void TAddressBookStore::WriteLines(const char* countName, const char* stem, const std::vector<std::string>& lines) {
  reg_.WriteInteger(countName, static_cast<int32_t>(lines.size()));
  for (size_t i = 0; i < lines.size(); ++i) reg_.WriteString(Indexed(stem, i), lines[i]);
}

std::vector<std::string> TAddressBookStore::ListEntries() {
  TKeyCloser closer{reg_};
  if (!Open(std::string(kProgramKey) + kAddressBookKey)) return {};
  return reg_.GetKeyNames();
}

bool TAddressBookStore::Exists(const std::string& key) { return !key.empty() && reg_.KeyExists(EntryPath(key)); }

bool TAddressBookStore::IsGroup(const std::string& key) {
  TKeyCloser closer{reg_};
  return Open(EntryPath(key)) && Integer("Group", 0) != 0;
}

std::string TAddressBookStore::DisplayName(const std::string& key) {
  TKeyCloser closer{reg_};
  if (!Open(EntryPath(key))) return " ";
  if (Integer("Group", 0) != 0) return Text("Group name");
  return Text("First name") + " " + Text("Last name");
}

ContactRecord TAddressBookStore::ReadContact(const std::string& key) {
  TKeyCloser closer{reg_};
  ContactRecord c;
  const std::string path = EntryPath(key);
  if (Open(path)) {
    c.FirstName = Text("First name");
    c.LastName = Text("Last name");
    c.MiddleName = Text("Middle name");
    c.DefaultEmail = Text("Default Email");
  }
  if (Open(path + "\\Email")) c.Emails = Lines("Count", "Email");
  if (Open(path + "\\Notes")) c.Notes = Lines("Count", "Line");
  if (Open(path + "\\Business")) {
    c.Company = Text("Company");
    c.BusCity = Text("City");
    c.BusState = Text("State");
    c.BusZip = Text("Zip Code");
    c.BusCountry = Text("Country");
    c.BusURL = Text("URL");
    c.BusJob = Text("Job");
    c.BusDepartment = Text("Department");
    c.BusOffice = Text("Office");
    c.BusPhone = Text("Phone");
    c.BusFax = Text("Fax");
    c.BusPager = Text("Pager");
  }
  if (Open(path + "\\Business\\Address")) c.BusAddress = Lines("Count", "Line");
  if (Open(path + "\\Personal")) {
    c.PerCity = Text("City");
    c.PerState = Text("State");
    c.PerZip = Text("Zip Code");
    c.PerCountry = Text("Country");
    c.PerPhone = Text("Phone");
    c.PerFax = Text("Fax");
    c.PerCell = Text("Cel Phone");
    c.PerURL = Text("URL");
  }
  if (Open(path + "\\Personal\\Address")) c.PerAddress = Lines("Count", "Line");
  return c;
}

void TAddressBookStore::WriteContact(const std::string& key, const ContactRecord& c) {
  TKeyCloser closer{reg_};
  TRegistryUpdate update(reg_);
  const std::string path = EntryPath(key);
  // A key that cannot be created makes the write do nothing.
  if (!reg_.OpenKey(path, true)) return;
  reg_.WriteInteger("Group", 0);
  reg_.WriteString("First name", c.FirstName);
  reg_.WriteString("Last name", c.LastName);
  reg_.WriteString("Middle name", c.MiddleName);
  reg_.WriteString("Default Email", c.DefaultEmail);
  if (reg_.OpenKey(path + "\\Email", true)) WriteLines("Count", "Email", c.Emails);
  if (reg_.OpenKey(path + "\\Notes", true)) WriteLines("Count", "Line", c.Notes);
  if (reg_.OpenKey(path + "\\Business", true)) {
    reg_.WriteString("Company", c.Company);
    reg_.WriteString("City", c.BusCity);
    reg_.WriteString("State", c.BusState);
    reg_.WriteString("Zip Code", c.BusZip);
    reg_.WriteString("Country", c.BusCountry);
    reg_.WriteString("URL", c.BusURL);
    reg_.WriteString("Job", c.BusJob);
    reg_.WriteString("Department", c.BusDepartment);
    reg_.WriteString("Office", c.BusOffice);
    reg_.WriteString("Phone", c.BusPhone);
    reg_.WriteString("Fax", c.BusFax);
    reg_.WriteString("Pager", c.BusPager);
  }
  if (reg_.OpenKey(path + "\\Business\\Address", true)) WriteLines("Count", "Line", c.BusAddress);
  if (reg_.OpenKey(path + "\\Personal", true)) {
    reg_.WriteString("City", c.PerCity);
    reg_.WriteString("State", c.PerState);
    reg_.WriteString("Zip Code", c.PerZip);
    reg_.WriteString("Country", c.PerCountry);
    reg_.WriteString("Phone", c.PerPhone);
    reg_.WriteString("Fax", c.PerFax);
    reg_.WriteString("Cel Phone", c.PerCell);
    reg_.WriteString("URL", c.PerURL);
  }
  if (reg_.OpenKey(path + "\\Personal\\Address", true)) WriteLines("Count", "Line", c.PerAddress);
}

GroupRecord TAddressBookStore::ReadGroup(const std::string& key) {
  TKeyCloser closer{reg_};
  GroupRecord g;
  const std::string path = EntryPath(key);
  if (Open(path)) {
    g.Name = Text("Group name");
    for (std::string& m : Lines("Group count", "Member"))
      if (!m.empty()) g.Members.push_back(std::move(m));
  }
  if (Open(path + "\\Notes")) g.Notes = Lines("count", "Line");
  return g;
}

void TAddressBookStore::WriteGroup(const std::string& key, const GroupRecord& g) {
  TKeyCloser closer{reg_};
  TRegistryUpdate update(reg_);
  const std::string path = EntryPath(key);
  if (!reg_.OpenKey(path, true)) return;
  reg_.WriteInteger("Group", 1);
  reg_.WriteString("Group name", g.Name);
  WriteLines("Group count", "Member", g.Members);
  if (reg_.OpenKey(path + "\\Notes", true)) WriteLines("count", "Line", g.Notes);
}

void TAddressBookStore::DeleteEntry(const std::string& key) {
  if (key.empty()) return;  // never the whole book
  TKeyCloser closer{reg_};
  const std::string path = EntryPath(key);
  if (reg_.KeyExists(path)) reg_.DeleteKey(path);
}

std::vector<std::string> TAddressBookStore::ExpandGroup(const std::string& key, bool addresses) {
  TRegistryUpdate snapshot(reg_);
  std::vector<std::string> members;
  {
    TKeyCloser closer{reg_};
    if (!Open(EntryPath(key)) || Integer("Group", 0) == 0) return {};
    members = Lines("Group count", "Member");
  }
  std::vector<std::string> out;
  TKeyCloser closer{reg_};
  for (const std::string& m : members) {
    if (m.empty() || !Open(EntryPath(m))) continue;
    out.push_back(addresses ? Text("Default Email") : Text("First name") + " " + Text("Last name"));
  }
  return out;
}

std::string TAddressBookStore::NewEntryKey() {
  for (;;) {
    std::string key = korrin::NewEntryKey();
    if (!Exists(key)) return key;
  }
}

EntryRow TAddressBookStore::Row(const std::string& key) {
  EntryRow row;
  row.Key = key;
  const std::string path = EntryPath(key);
  if (!Open(path)) return row;
  if (Integer("Group", 0) != 0) {
    row.Image = 1;
    row.Text = Text("Group name");
    return row;
  }
  row.Text = Text("First name") + " " + Text("Last name");
  row.EMail = Text("Default Email");
  if (Open(path + "\\Personal")) row.Phone = Text("Phone");
  return row;
}

EntryRow TAddressBookStore::ReadRow(const std::string& key) {
  TKeyCloser closer{reg_};
  return Row(key);
}

std::vector<EntryRow> TAddressBookStore::BuildEntryList(bool contactsOnly) {
  // One transaction: a consistent list, and the registry checks only once
  // that no other program changed its keys.
  TRegistryUpdate snapshot(reg_);
  std::vector<EntryRow> rows;
  const std::vector<std::string> keys = ListEntries();
  TKeyCloser closer{reg_};
  rows.reserve(keys.size());
  for (const std::string& key : keys) {
    EntryRow row = Row(key);
    if (contactsOnly && row.Image == 1) continue;
    rows.push_back(std::move(row));
  }
  return rows;
}

EntryRow TAddressBookStore::ContactRow(const std::string& key, const ContactRecord& c) {
  return EntryRow{key, c.FirstName + " " + c.LastName, 0, c.DefaultEmail, c.PerPhone};
}

void TAddressBookStore::LoadBookPlacement(TBookPlacement& p) {
  TKeyCloser closer{reg_};
  if (!Open(std::string(kProgramKey) + kBookConfigKey)) return;
  p.Top = Integer("Top", p.Top);
  p.Left = Integer("Left", p.Left);
  p.Height = Integer("Height", p.Height);
  p.Width = Integer("Width", p.Width);
  const int state = Integer("WindowState", p.WindowState);
  if (state >= 0 && state <= 2) p.WindowState = state;
  p.Toolbar = Integer("Toolbar", p.Toolbar ? 1 : 0) != 0;
  const int icons = Integer("Icons", p.Icons);
  if (icons >= 1 && icons <= 4) p.Icons = icons;
}

void TAddressBookStore::SaveBookPlacement(const TBookPlacement& p) {
  TKeyCloser closer{reg_};
  TRegistryUpdate update(reg_);
  if (!reg_.OpenKey(std::string(kProgramKey) + kBookConfigKey, true)) return;
  reg_.WriteInteger("Top", p.Top);
  reg_.WriteInteger("Left", p.Left);
  reg_.WriteInteger("Height", p.Height);
  reg_.WriteInteger("Width", p.Width);
  reg_.WriteInteger("WindowState", p.WindowState);
  reg_.WriteBool("Toolbar", p.Toolbar);
  reg_.WriteInteger("Icons", p.Icons);
}

void TAddressBookStore::LoadSelectPlacement(TBounds& b) {
  TKeyCloser closer{reg_};
  if (!Open(std::string(kProgramKey) + kSelectConfigKey)) return;
  b.Top = Integer("Top", b.Top);
  b.Left = Integer("Left", b.Left);
  b.Height = Integer("Height", b.Height);
  b.Width = Integer("Width", b.Width);
}

void TAddressBookStore::SaveSelectPlacement(const TBounds& b) {
  TKeyCloser closer{reg_};
  TRegistryUpdate update(reg_);
  if (!reg_.OpenKey(std::string(kProgramKey) + kSelectConfigKey, true)) return;
  reg_.WriteInteger("Top", b.Top);
  reg_.WriteInteger("Left", b.Left);
  reg_.WriteInteger("Height", b.Height);
  reg_.WriteInteger("Width", b.Width);
}

}  // namespace korrin
