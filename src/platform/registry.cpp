#include "platform/registry.h"

#include <sqlite3.h>

#include <cstdlib>
#include <unordered_map>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace korrin {

namespace {
constexpr int kTypeString = 1;
constexpr int kTypeInteger = 4;  // the registry's DWORD

std::vector<std::string> SplitKey(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char ch : path) {
    if (ch == '\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(ch);
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

std::string JoinKey(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& p : parts) {
    if (!out.empty()) out.push_back('\\');
    out += p;
  }
  return out;
}

constexpr int64_t kNoKey = -100;
}  // namespace

// A cached prepared statement, reset and unbound when it goes out of scope.
class Query {
public:
  Query(TRegistry& reg, const char* sql) : stmt_(reg.Prepared(sql)) {}
  ~Query() {
    if (stmt_) {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
    }
  }
  bool ok() const { return stmt_ != nullptr; }
  Query& Bind(int i, int64_t v) {
    if (stmt_) sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  Query& Bind(int i, const std::string& v) {
    if (stmt_) sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  int64_t Int(int col) { return sqlite3_column_int64(stmt_, col); }
  std::string Text(int col) {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, col))) : std::string();
  }
  int Type(int col) { return sqlite3_column_type(stmt_, col); }

private:
  sqlite3_stmt* stmt_ = nullptr;
};

sqlite3_stmt* TRegistry::Prepared(const char* sql) {
  if (!db_) return nullptr;
  for (auto& [text, stmt] : cache_)
    if (text == sql) return stmt;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) return nullptr;
  cache_.emplace_back(sql, stmt);
  return stmt;
}

std::string TRegistry::RegistryFileName() {
  if (const char* f = std::getenv("KORRIN_REGISTRY"); f && *f) return f;
  std::string config;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
    config = x;
  } else {
    const char* home = std::getenv("HOME");
    config = std::string(home && *home ? home : "/tmp") + "/.config";
  }
  return IncludeTrailingBackslash(config) + "korrin/registry.db";
}

TRegistry::TRegistry() : TRegistry(RegistryFileName()) {}

TRegistry::TRegistry(const std::string& file) {
  ForceDirectories(ExtractFilePath(file));
  if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    sqlite3_close(db_);
    db_ = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      sqlite3_close(db_);
      db_ = nullptr;
      return;
    }
  }
  sqlite3_busy_timeout(db_, 15000);
  Exec("PRAGMA journal_mode=WAL");
  Exec("PRAGMA synchronous=NORMAL");
  Exec("CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL,"
       " name TEXT NOT NULL COLLATE NOCASE, UNIQUE(parent, name))");
  Exec("CREATE TABLE IF NOT EXISTS vals(key INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,"
       " type INTEGER NOT NULL, data, PRIMARY KEY(key, name)) WITHOUT ROWID");
}

TRegistry::~TRegistry() {
  while (updateDepth_ > 0) EndUpdate();
  for (auto& entry : cache_) sqlite3_finalize(entry.second);
  sqlite3_close(db_);
}

void TRegistry::Exec(const char* sql) {
  if (db_) sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

void TRegistry::SetRootKey(THKey root) {
  root_ = root;
  CloseKey();
}

int64_t TRegistry::RootId() const { return root_ == THKey::HKEY_LOCAL_MACHINE ? -1 : -2; }

std::string TRegistry::Resolve(const std::string& key) const {
  if (!key.empty() && key[0] == '\\') return JoinKey(SplitKey(key));
  auto parts = SplitKey(open_ ? current_ : std::string());
  for (auto& p : SplitKey(key)) parts.push_back(p);
  return JoinKey(parts);
}

void TRegistry::CheckKeyIds(bool force) {
  // Inside an update nobody else can commit: the version was checked when it began.
  if (updateDepth_ > 0 && !force) return;
  Query v(*this, "PRAGMA data_version");
  const int64_t version = v.Step() == SQLITE_ROW ? v.Int(0) : -1;
  if (version != dataVersion_ || version < 0) keyIds_.clear();
  dataVersion_ = version;
}

namespace {
// Names compare like the table's NOCASE: ASCII letters only.
std::string KeyIdName(THKey root, const std::string& path) {
  std::string name = root == THKey::HKEY_LOCAL_MACHINE ? "M\\" : "U\\";
  for (char c : path) name.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  return name;
}
}  // namespace

int64_t TRegistry::FindKey(const std::string& path) {
  CheckKeyIds(false);
  std::string cacheKey = KeyIdName(root_, path);
  if (auto it = keyIds_.find(cacheKey); it != keyIds_.end()) return it->second;
  int64_t id = RootId();
  for (const auto& part : SplitKey(path)) {
    Query q(*this, "SELECT id FROM keys WHERE parent=? AND name=?");
    q.Bind(1, id).Bind(2, part);
    if (q.Step() != SQLITE_ROW) return kNoKey;
    id = q.Int(0);
  }
  keyIds_.emplace(std::move(cacheKey), id);
  return id;
}

int64_t TRegistry::CreateKey(const std::string& path) {
  if (int64_t found = FindKey(path); found != kNoKey) return found;
  int64_t id = RootId();
  for (const auto& part : SplitKey(path)) {
    {
      Query q(*this, "SELECT id FROM keys WHERE parent=? AND name=?");
      q.Bind(1, id).Bind(2, part);
      if (q.Step() == SQLITE_ROW) {
        id = q.Int(0);
        continue;
      }
    }
    Query ins(*this, "INSERT INTO keys(parent, name) VALUES(?, ?)");
    ins.Bind(1, id).Bind(2, part);
    if (ins.Step() != SQLITE_DONE) return kNoKey;
    id = sqlite3_last_insert_rowid(db_);
  }
  keyIds_.emplace(KeyIdName(root_, path), id);
  return id;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string path = Resolve(key);
  bool exists = db_ && FindKey(path) != kNoKey;
  if (!exists && canCreate && db_) {
    BeginUpdate();
    exists = CreateKey(path) != kNoKey;
    EndUpdate();
  }
  if (!exists) return false;
  current_ = path;
  open_ = true;
  return true;
}

void TRegistry::CloseKey() {
  current_.clear();
  open_ = false;
}

bool TRegistry::KeyExists(const std::string& key) { return db_ && FindKey(Resolve(key)) != kNoKey; }

TRegDataType TRegistry::GetDataType(const std::string& name) {
  if (!db_) return TRegDataType::rdUnknown;
  int64_t key = FindKey(current_);
  if (key == kNoKey) return TRegDataType::rdUnknown;
  Query q(*this, "SELECT type FROM vals WHERE key=? AND name=?");
  q.Bind(1, key).Bind(2, name);
  if (q.Step() != SQLITE_ROW) return TRegDataType::rdUnknown;
  return q.Int(0) == kTypeInteger ? TRegDataType::rdInteger : TRegDataType::rdString;
}

bool TRegistry::ValueExists(const std::string& name) { return GetDataType(name) != TRegDataType::rdUnknown; }

std::string TRegistry::ReadString(const std::string& name) {
  if (!db_) return {};
  int64_t key = FindKey(current_);
  if (key == kNoKey) return {};
  Query q(*this, "SELECT type, data FROM vals WHERE key=? AND name=?");
  q.Bind(1, key).Bind(2, name);
  if (q.Step() != SQLITE_ROW) return {};
  if (q.Int(0) != kTypeString) throw ERegistryException(Format("Invalid data type for '%s'", name.c_str()));
  return q.Text(1);
}

int32_t TRegistry::ReadInteger(const std::string& name) {
  int64_t key = db_ ? FindKey(current_) : kNoKey;
  if (key != kNoKey) {
    Query q(*this, "SELECT type, data FROM vals WHERE key=? AND name=?");
    q.Bind(1, key).Bind(2, name);
    if (q.Step() == SQLITE_ROW) {
      if (q.Int(0) != kTypeInteger) throw ERegistryException(Format("Invalid data type for '%s'", name.c_str()));
      return static_cast<int32_t>(static_cast<uint32_t>(q.Int(1)));
    }
  }
  throw ERegistryException(Format("Failed to get data for '%s'", name.c_str()));
}

void TRegistry::WriteValue(const std::string& name, int type, const std::string* text, int64_t number) {
  auto fail = [&] { throw ERegistryException(Format("Failed to set data for '%s'", name.c_str())); };
  if (!db_ || !open_) fail();
  bool own = updateDepth_ == 0;
  if (own && sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) fail();
  int64_t key = CreateKey(current_);
  bool ok = key != kNoKey;
  if (ok) {
    Query q(*this, "INSERT INTO vals(key, name, type, data) VALUES(?, ?, ?, ?)"
                     " ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    q.Bind(1, key).Bind(2, name).Bind(3, type);
    if (text) {
      q.Bind(4, *text);
    } else {
      q.Bind(4, number);
    }
    ok = q.Step() == SQLITE_DONE;
  }
  if (own) {
    if (ok) ok = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) {
      Exec("ROLLBACK");
      keyIds_.clear();  // keys made for the value are gone
    }
  }
  if (!ok) fail();
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  WriteValue(name, kTypeString, &value, 0);
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  WriteValue(name, kTypeInteger, nullptr, static_cast<int64_t>(static_cast<uint32_t>(value)));
}

std::vector<std::string> TRegistry::GetKeyNames() {
  std::vector<std::string> names;
  int64_t key = db_ ? FindKey(current_) : kNoKey;
  if (key == kNoKey) return names;
  Query q(*this, "SELECT name FROM keys WHERE parent=? ORDER BY name COLLATE NOCASE");
  q.Bind(1, key);
  while (q.Step() == SQLITE_ROW) names.push_back(q.Text(0));
  return names;
}

std::vector<std::string> TRegistry::GetValueNames() {
  std::vector<std::string> names;
  int64_t key = db_ ? FindKey(current_) : kNoKey;
  if (key == kNoKey) return names;
  Query q(*this, "SELECT name FROM vals WHERE key=? ORDER BY name COLLATE NOCASE");
  q.Bind(1, key);
  while (q.Step() == SQLITE_ROW) names.push_back(q.Text(0));
  return names;
}

bool TRegistry::DeleteKey(const std::string& key) {
  if (!db_) return false;
  std::string path = Resolve(key);
  if (SplitKey(path).empty()) return false;
  BeginUpdate();
  int64_t id = FindKey(path);
  bool ok = id != kNoKey;
  keyIds_.clear();  // the ids of the deleted keys may be given out again
  if (ok) {
    const char* tree = "WITH RECURSIVE sub(id) AS (SELECT ? UNION ALL SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id) ";
    Query dv(*this, (std::string(tree) + "DELETE FROM vals WHERE key IN (SELECT id FROM sub)").c_str());
    dv.Bind(1, id);
    ok = dv.Step() == SQLITE_DONE;
    Query dk(*this, (std::string(tree) + "DELETE FROM keys WHERE id IN (SELECT id FROM sub)").c_str());
    dk.Bind(1, id);
    ok = dk.Step() == SQLITE_DONE && ok;
  }
  EndUpdate();
  return ok;
}

bool TRegistry::DeleteValue(const std::string& name) {
  if (!db_ || !open_) return false;
  int64_t key = FindKey(current_);
  if (key == kNoKey) return false;
  Query q(*this, "DELETE FROM vals WHERE key=? AND name=?");
  q.Bind(1, key).Bind(2, name);
  return q.Step() == SQLITE_DONE && sqlite3_changes(db_) > 0;
}

void TRegistry::BeginUpdate() {
  if (!db_) return;
  if (updateDepth_++ == 0) {
    sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    CheckKeyIds(true);  // under the lock now
  }
}

void TRegistry::EndUpdate() {
  if (!db_ || updateDepth_ == 0) return;
  if (--updateDepth_ == 0 && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    Exec("ROLLBACK");
    keyIds_.clear();  // keys made in the update are gone
  }
}

}  // namespace korrin
