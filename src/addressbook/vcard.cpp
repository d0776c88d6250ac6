#include "addressbook/vcard.h"

#include <algorithm>
#include <map>

#include "platform/registry.h"
#include "platform/text.h"

namespace korrin {

namespace {
// ---------------------------------------------------------------- reading

struct TProperty {
  std::string Name;                              // upper case, group prefix removed
  std::multimap<std::string, std::string> Params;  // upper-case names; values as written
  std::string Value;                             // raw, still escaped
};

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// Joins folded lines: a line break followed by a blank or a tab continues the line.
std::vector<std::string> Unfold(std::string_view text) {
  std::vector<std::string> lines;
  size_t i = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
  std::string cur;
  bool have = false;
  while (i <= text.size()) {
    size_t end = text.find('\n', i);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(i, end - i);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (have && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
      cur.append(line.substr(1));
    } else {
      if (have) lines.push_back(std::move(cur));
      cur.assign(line);
      have = true;
    }
    i = end + 1;
  }
  if (have) lines.push_back(std::move(cur));
  return lines;
}

bool ParseLine(const std::string& line, TProperty& p) {
  // The name and parameters end at the first colon outside double quotes.
  size_t colon = std::string::npos;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    else if (line[i] == ':' && !quoted) {
      colon = i;
      break;
    }
  }
  if (colon == std::string::npos) return false;
  p.Value = line.substr(colon + 1);
  std::vector<std::string> parts;
  std::string part;
  quoted = false;
  for (size_t i = 0; i < colon; ++i) {
    char c = line[i];
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted) {
      parts.push_back(std::move(part));
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  parts.push_back(std::move(part));
  std::string name = Upper(parts[0]);
  if (size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(0, dot + 1);
  p.Name = name;
  p.Params.clear();
  for (size_t i = 1; i < parts.size(); ++i) {
    size_t eq = parts[i].find('=');
    // A bare parameter (vCard 2.1 style "HOME") is a type.
    std::string key = eq == std::string::npos ? "TYPE" : Upper(parts[i].substr(0, eq));
    std::string value = eq == std::string::npos ? parts[i] : parts[i].substr(eq + 1);
    value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
    p.Params.emplace(key, value);
  }
  return !p.Name.empty();
}

// The TYPE values of a property in upper case, split at commas.
std::vector<std::string> Types(const TProperty& p) {
  std::vector<std::string> types;
  auto [a, b] = p.Params.equal_range("TYPE");
  for (auto it = a; it != b; ++it) {
    std::string v = Upper(it->second);
    size_t start = 0;
    for (;;) {
      size_t comma = v.find(',', start);
      types.push_back(v.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  return types;
}

bool HasType(const std::vector<std::string>& types, std::string_view t) {
  return std::find(types.begin(), types.end(), t) != types.end();
}

int Preference(const TProperty& p) {
  auto it = p.Params.find("PREF");
  if (it != p.Params.end()) return static_cast<int>(StrToIntDef(it->second, 100));
  return HasType(Types(p), "PREF") ? 1 : 100;
}

std::string Unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char n = s[++i];
      out.push_back(n == 'n' || n == 'N' ? '\n' : n);
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

// Splits a structured value at unescaped semicolons and unescapes each part.
std::vector<std::string> Components(std::string_view s) {
  std::vector<std::string> parts;
  std::string cur;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      cur.push_back(s[i]);
      cur.push_back(s[++i]);
    } else if (s[i] == ';') {
      parts.push_back(Unescape(cur));
      cur.clear();
    } else {
      cur.push_back(s[i]);
    }
  }
  parts.push_back(Unescape(cur));
  return parts;
}

std::string Component(const std::vector<std::string>& parts, size_t i) { return i < parts.size() ? parts[i] : ""; }

std::vector<std::string> SplitText(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (;;) {
    size_t nl = text.find('\n', start);
    std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

std::string StripMailto(std::string v) {
  if (Upper(v.substr(0, 7)) == "MAILTO:") v.erase(0, 7);
  return v;
}

void ApplyAddress(const std::vector<std::string>& parts, std::vector<std::string>& street, std::string& city,
                  std::string& state, std::string& zip, std::string& country) {
  // Post office box, extended address and street all become street lines.
  street.clear();
  for (size_t i = 0; i < 3; ++i)
    for (std::string& line : SplitText(Component(parts, i)))
      if (!line.empty()) street.push_back(std::move(line));
  city = Component(parts, 3);
  state = Component(parts, 4);
  zip = Component(parts, 5);
  country = Component(parts, 6);
}

void Finish(TVCard& card, std::vector<std::pair<int, std::string>>& emails, const std::string& fn,
            const std::string& org) {
  std::stable_sort(emails.begin(), emails.end(), [](auto& a, auto& b) { return a.first < b.first; });
  ContactRecord& c = card.Contact;
  for (auto& e : emails)
    if (!e.second.empty()) c.Emails.push_back(e.second);
  if (!c.Emails.empty()) c.DefaultEmail = c.Emails.front();
  if (card.IsGroup) {
    card.GroupName = fn.empty() ? c.FirstName : fn;
    card.GroupNotes = c.Notes;
    return;
  }
  // A card without a structured name takes its formatted name: first word
  // as first name, the rest as last name; a nameless card its organisation
  // or its address, so that it can be saved and found.
  if (c.FirstName.empty() && c.LastName.empty()) {
    std::string name = Trim(fn);
    size_t blank = name.find(' ');
    c.FirstName = name.substr(0, blank);
    if (blank != std::string::npos) c.LastName = Trim(name.substr(blank + 1));
  }
  if (c.FirstName.empty()) c.FirstName = !c.LastName.empty() ? std::exchange(c.LastName, std::string()) : org;
  if (c.FirstName.empty()) c.FirstName = c.DefaultEmail;
}

// ---------------------------------------------------------------- writing

std::string Escape(std::string_view s, bool component) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': break;
      case ',': out += "\\,"; break;
      case ';': out += component ? "\\;" : ";"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
  return out;
}

// Folds at 75 octets without splitting a UTF-8 sequence.
void Emit(std::string& out, const std::string& line) {
  size_t pos = 0, width = 75;
  while (line.size() - pos > width) {
    size_t cut = pos + width;
    while (cut > pos + 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    out.append(line, pos, cut - pos);
    out += "\r\n ";
    pos = cut;
    width = 74;  // the leading blank counts
  }
  out.append(line, pos, std::string::npos);
  out += "\r\n";
}

void EmitText(std::string& out, const std::string& name, const std::string& value) {
  if (!value.empty()) Emit(out, name + ":" + Escape(value, false));
}

void EmitAddress(std::string& out, const char* type, const std::vector<std::string>& street, const std::string& city,
                 const std::string& state, const std::string& zip, const std::string& country) {
  if (street.empty() && city.empty() && state.empty() && zip.empty() && country.empty()) return;
  Emit(out, std::string("ADR;TYPE=") + type + ":;;" + Escape(JoinLines(street), true) + ";" + Escape(city, true) +
                ";" + Escape(state, true) + ";" + Escape(zip, true) + ";" + Escape(country, true));
}

void EmitUrl(std::string& out, const char* type, const std::string& url) {
  if (url.empty() || url == "http://") return;
  Emit(out, std::string("URL;TYPE=") + type + ":" + url);
}

std::string Hex(const std::string& key) {
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : key) {
    hex.push_back(digits[c >> 4]);
    hex.push_back(digits[c & 15]);
  }
  return hex;
}
}  // namespace

std::string EntryUid(const std::string& key) {
  // Keys are 16 characters: their 32 hex digits make a UUID.
  std::string hex = Hex(key);
  if (hex.size() != 32) return "urn:uuid:" + hex;
  return "urn:uuid:" + hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" + hex.substr(16, 4) +
         "-" + hex.substr(20);
}

std::vector<TVCard> ParseVCards(std::string_view text) {
  std::vector<TVCard> cards;
  TVCard card;
  bool inCard = false;
  std::vector<std::pair<int, std::string>> emails;
  std::string fn, org;
  TProperty p;
  for (const std::string& line : Unfold(text)) {
    if (!ParseLine(line, p)) continue;
    const std::string value = Upper(Trim(p.Value));
    if (p.Name == "BEGIN" && value == "VCARD") {
      card = TVCard{};
      emails.clear();
      fn.clear();
      org.clear();
      inCard = true;
      continue;
    }
    if (!inCard) continue;
    ContactRecord& c = card.Contact;
    const std::vector<std::string> types = Types(p);
    const bool work = HasType(types, "WORK");
    if (p.Name == "END") {
      Finish(card, emails, fn, org);
      cards.push_back(std::move(card));
      inCard = false;
    } else if (p.Name == "UID") {
      card.Uid = Trim(p.Value);
    } else if ((p.Name == "KIND" || p.Name == "X-ADDRESSBOOKSERVER-KIND") && value == "GROUP") {
      card.IsGroup = true;
    } else if (p.Name == "MEMBER" || p.Name == "X-ADDRESSBOOKSERVER-MEMBER") {
      card.Members.push_back(Trim(p.Value));
    } else if (p.Name == "FN") {
      fn = Unescape(p.Value);
    } else if (p.Name == "N") {
      auto parts = Components(p.Value);
      c.LastName = Component(parts, 0);
      c.FirstName = Component(parts, 1);
      c.MiddleName = Component(parts, 2);
    } else if (p.Name == "EMAIL") {
      emails.emplace_back(Preference(p), StripMailto(Trim(Unescape(p.Value))));
    } else if (p.Name == "TEL") {
      std::string tel = Unescape(p.Value);
      if (Upper(tel.substr(0, 4)) == "TEL:") tel.erase(0, 4);
      std::string* field;
      if (HasType(types, "PAGER")) field = &c.BusPager;
      else if (HasType(types, "CELL")) field = &c.PerCell;
      else if (HasType(types, "FAX")) field = work ? &c.BusFax : &c.PerFax;
      else field = work ? &c.BusPhone : &c.PerPhone;
      if (field->empty()) *field = tel;
    } else if (p.Name == "ADR") {
      auto parts = Components(p.Value);
      if (work) ApplyAddress(parts, c.BusAddress, c.BusCity, c.BusState, c.BusZip, c.BusCountry);
      else ApplyAddress(parts, c.PerAddress, c.PerCity, c.PerState, c.PerZip, c.PerCountry);
    } else if (p.Name == "ORG") {
      auto parts = Components(p.Value);
      c.Company = Component(parts, 0);
      c.BusDepartment = Component(parts, 1);
      org = c.Company;
    } else if (p.Name == "TITLE") {
      c.BusJob = Unescape(p.Value);
    } else if (p.Name == "X-OFFICE") {
      c.BusOffice = Unescape(p.Value);
    } else if (p.Name == "URL") {
      (work ? c.BusURL : c.PerURL) = Unescape(p.Value);
    } else if (p.Name == "NOTE") {
      for (std::string& l : SplitText(Unescape(p.Value))) c.Notes.push_back(std::move(l));
    }
  }
  return cards;
}

std::string WriteVCard(const TVCard& card) {
  std::string out;
  Emit(out, "BEGIN:VCARD");
  Emit(out, "VERSION:4.0");
  if (!card.Uid.empty()) Emit(out, "UID:" + card.Uid);
  if (card.IsGroup) {
    Emit(out, "KIND:group");
    Emit(out, "FN:" + Escape(card.GroupName, false));
    for (const std::string& m : card.Members) Emit(out, "MEMBER:" + m);
    EmitText(out, "NOTE", JoinLines(card.GroupNotes));
    Emit(out, "END:VCARD");
    return out;
  }
  const ContactRecord& c = card.Contact;
  std::string fn = Trim(c.FirstName + " " + c.MiddleName);
  fn = Trim(fn + " " + c.LastName);
  Emit(out, "FN:" + Escape(fn.empty() ? c.DefaultEmail : fn, false));
  Emit(out, "N:" + Escape(c.LastName, true) + ";" + Escape(c.FirstName, true) + ";" + Escape(c.MiddleName, true) +
                ";;");
  // The default address first, marked preferred; then the others in order.
  std::vector<std::string> emails;
  if (!c.DefaultEmail.empty()) emails.push_back(c.DefaultEmail);
  for (const std::string& e : c.Emails)
    if (!e.empty() && std::find(emails.begin(), emails.end(), e) == emails.end()) emails.push_back(e);
  for (size_t i = 0; i < emails.size(); ++i)
    Emit(out, std::string(i == 0 && !c.DefaultEmail.empty() ? "EMAIL;PREF=1:" : "EMAIL:") + Escape(emails[i], false));
  auto tel = [&](const char* type, const std::string& number) {
    if (!number.empty()) Emit(out, std::string("TEL;TYPE=") + type + ":" + Escape(number, false));
  };
  tel("home,voice", c.PerPhone);
  tel("home,fax", c.PerFax);
  tel("cell", c.PerCell);
  tel("work,voice", c.BusPhone);
  tel("work,fax", c.BusFax);
  tel("work,pager", c.BusPager);
  EmitAddress(out, "home", c.PerAddress, c.PerCity, c.PerState, c.PerZip, c.PerCountry);
  EmitAddress(out, "work", c.BusAddress, c.BusCity, c.BusState, c.BusZip, c.BusCountry);
  if (!c.Company.empty() || !c.BusDepartment.empty())
    Emit(out, "ORG:" + Escape(c.Company, true) + (c.BusDepartment.empty() ? "" : ";" + Escape(c.BusDepartment, true)));
  EmitText(out, "TITLE", c.BusJob);
  EmitText(out, "X-OFFICE", c.BusOffice);
  EmitUrl(out, "home", c.PerURL);
  EmitUrl(out, "work", c.BusURL);
  EmitText(out, "NOTE", JoinLines(c.Notes));
  Emit(out, "END:VCARD");
  return out;
}

std::string ExportVCards(TAddressBookStore& book) {
  std::string contacts, groups;
  for (const std::string& key : book.ListEntries()) {
    TVCard card;
    card.Uid = EntryUid(key);
    if (book.IsGroup(key)) {
      GroupRecord g = book.ReadGroup(key);
      card.IsGroup = true;
      card.GroupName = g.Name;
      card.GroupNotes = g.Notes;
      // Only members that still exist: a card may not name a missing one.
      for (const std::string& m : g.Members)
        if (book.Exists(m)) card.Members.push_back(EntryUid(m));
      groups += WriteVCard(card);
    } else {
      card.Contact = book.ReadContact(key);
      contacts += WriteVCard(card);
    }
  }
  return contacts + groups;
}

TImportResult ImportVCards(TAddressBookStore& book, TRegistry& registry, std::string_view text,
                           const TImportQuestion& ask) {
  TImportResult result;
  std::vector<TVCard> cards = ParseVCards(text);
  // The stored contacts by default address, without regard to case.
  std::map<std::string, std::string> byAddress;
  for (const EntryRow& row : book.BuildEntryList(true))
    if (!row.EMail.empty()) byAddress.emplace(Lower(row.EMail), row.Key);

  // First every decision, then the writes: no question waits inside a transaction.
  struct TPlanned {
    std::string Key;
    const TVCard* Card;
  };
  std::vector<TPlanned> writes;
  std::map<std::string, std::string> byUid;
  std::vector<const TVCard*> groups;
  std::vector<std::string> taken;  // keys drawn for this import
  auto newKey = [&] {
    for (;;) {
      std::string key = book.NewEntryKey();
      if (std::find(taken.begin(), taken.end(), key) == taken.end()) {
        taken.push_back(key);
        return key;
      }
    }
  };
  for (const TVCard& card : cards) {
    if (card.IsGroup) {
      groups.push_back(&card);
      continue;
    }
    std::string key;
    const std::string address = Lower(card.Contact.DefaultEmail);
    auto found = address.empty() ? byAddress.end() : byAddress.find(address);
    if (found != byAddress.end()) {
      TImportChoice choice = ask ? ask(book.ReadContact(found->second), card.Contact) : TImportChoice::icSkip;
      if (choice == TImportChoice::icSkip) {
        ++result.Skipped;
        if (!card.Uid.empty()) byUid[card.Uid] = found->second;
        continue;
      }
      if (choice == TImportChoice::icReplace) {
        key = found->second;
        ++result.Replaced;
      }
    }
    if (key.empty()) {
      key = newKey();
      ++result.Added;
      if (!address.empty() && found == byAddress.end()) byAddress.emplace(address, key);
    }
    if (!card.Uid.empty()) byUid[card.Uid] = key;
    writes.push_back({key, &card});
  }

  TRegistryUpdate update(registry);
  for (const TPlanned& w : writes) book.WriteContact(w.Key, w.Card->Contact);
  for (const TVCard* card : groups) {
    GroupRecord g{card->GroupName, {}, card->GroupNotes};
    for (const std::string& m : card->Members) {
      std::string key;
      if (auto it = byUid.find(m); it != byUid.end()) key = it->second;
      else if (auto a = byAddress.find(Lower(StripMailto(m))); a != byAddress.end()) key = a->second;
      if (!key.empty() && std::find(g.Members.begin(), g.Members.end(), key) == g.Members.end())
        g.Members.push_back(key);
    }
    book.WriteGroup(newKey(), g);
    ++result.Groups;
  }
  return result;
}

}  // namespace korrin
