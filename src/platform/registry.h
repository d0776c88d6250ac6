#pragma once
// The settings registry: a tree of case-insensitive keys holding typed
// values (strings and 32-bit integers), kept in one SQLite file that the
// reader and the installer may use at the same time. Every operation goes to
// the file at once, so a second process sees it and nothing is cached.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace korrin {

enum class THKey { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER };
enum class TRegDataType { rdUnknown, rdString, rdInteger };

class TRegistry {
public:
  // Opens the file of RegistryFileName().
  TRegistry();
  explicit TRegistry(const std::string& file);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // $KORRIN_REGISTRY, else $XDG_CONFIG_HOME/korrin/registry.db.
  static std::string RegistryFileName();

  THKey RootKey() const { return root_; }
  void SetRootKey(THKey root);

  // Makes `key` the current key. A key starting with "\" is taken from the
  // root, any other relative to the current key. With canCreate the missing
  // keys are created; without, a missing key leaves the current key as it
  // was and gives false.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key) { return OpenKey(key, false); }
  void CloseKey();
  // The current key's path from the root, without leading "\".
  const std::string& CurrentPath() const { return current_; }
  bool HasCurrentKey() const { return open_; }

  bool KeyExists(const std::string& key);
  bool ValueExists(const std::string& name);
  TRegDataType GetDataType(const std::string& name);

  // The empty name is the key's unnamed value. A missing string reads as
  // empty; a missing integer fails with "Failed to get data for '%s'"; a value
  // of the other type fails with "Invalid data type for '%s'".
  std::string ReadString(const std::string& name);
  int32_t ReadInteger(const std::string& name);
  bool ReadBool(const std::string& name) { return ReadInteger(name) != 0; }
  // Writes create any key of the current path that went missing; a refused
  // write fails with "Failed to set data for '%s'".
  void WriteString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, int32_t value);
  void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

  // Sub-key and value names of the current key, in case-insensitive order.
  std::vector<std::string> GetKeyNames();
  std::vector<std::string> GetValueNames();
  // Deletes the key (relative or from the root, like OpenKey) with all its sub-keys and values.
  bool DeleteKey(const std::string& key);
  bool DeleteValue(const std::string& name);

  // Groups the operations until the matching EndUpdate into one transaction,
  // so saving many values costs one write to disk. Nesting is allowed.
  void BeginUpdate();
  void EndUpdate();

private:
  std::string Resolve(const std::string& key) const;
  int64_t RootId() const;
  int64_t FindKey(const std::string& path);  // kNoKey when missing
  // Drops the remembered key ids when another connection has committed
  // since they were looked up.
  void CheckKeyIds(bool force);
  int64_t CreateKey(const std::string& path);
  void WriteValue(const std::string& name, int type, const std::string* text, int64_t number);
  void Exec(const char* sql);

  sqlite3_stmt* Prepared(const char* sql);
  friend class Query;

  sqlite3* db_ = nullptr;
  std::vector<std::pair<std::string, sqlite3_stmt*>> cache_;
  THKey root_ = THKey::HKEY_LOCAL_MACHINE;
  std::string current_;
  bool open_ = false;
  int updateDepth_ = 0;
  // Key ids by upper-cased path: a path is walked once, not on every read.
  std::unordered_map<std::string, int64_t> keyIds_;
  int64_t dataVersion_ = -1;
};

// Keeps a TRegistry update open for its lifetime.
class TRegistryUpdate {
public:
  explicit TRegistryUpdate(TRegistry& reg) : reg_(reg) { reg_.BeginUpdate(); }
  ~TRegistryUpdate() { reg_.EndUpdate(); }

private:
  TRegistry& reg_;
};

}  // namespace korrin
