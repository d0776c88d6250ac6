#pragma once
// The packet's control file "control.dat": the packet identity, the
// conference list, the index file of each conference and the record that
// every folder of the mail tree carries.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korrin {

// Folder kinds of the mail tree; the values are stored and compared as numbers.
enum class TFolderKind : uint8_t {
  fkPacketInBox = 1,
  fkOutBox = 2,
  fkSaveBox = 3,
  fkSentBox = 4,
  fkConference = 6,
  fkDownloads = 8,
  fkPostOfficeInBox = 10,
  fkNewFiles = 14,
  fkBulletins = 16,  // the packet's welcome, news, goodbye and bulletin files
};

// Fixed names of the special folders (the `Name` of their records).
inline constexpr const char* kInBoxName = "In Box";
inline constexpr const char* kOutBoxName = "Out Box";
inline constexpr const char* kSaveBoxName = "Save Box";
inline constexpr const char* kSentBoxName = "Sent Box";
inline constexpr const char* kPersonalMessagesName = "Personal Messages";
inline constexpr const char* kDownloadBoxName = "Download Box";
inline constexpr const char* kNewFilesName = "New Files";
inline constexpr const char* kBulletinsName = "Bulletins";
// The Download Box is shown with this caption.
inline constexpr const char* kDownloadsCaption = "Downloads";

inline constexpr const char* kControlFileName = "control.dat";
inline constexpr const char* kPersonalIndexNumber = "Personal";

inline constexpr const char* kErrReadControlFile = "Could not read file - CONTROL.DAT";
inline constexpr const char* kErrConferenceListTooLong = "Conferense list to long. Error inserting conf ";

// The record attached to every folder node (and copied into messages).
struct TConfRec {
  std::string Name;          // conference name or the special folder's fixed name
  std::string IndexFile;     // index file name in the packet folder, as found on disk; may be empty
  int32_t Ordinal = 0;       // 1-based among conferences with an index file; 0 otherwise
  std::string SelectedFile;  // box file last selected in the message list
  TFolderKind Kind = TFolderKind::fkConference;
};

// "In Box " followed by the packet date.
std::string InBoxCaption(const std::string& packetDate);

// What the control file says about the packet.
struct PacketIdentity {
  std::string BBSName;   // line 1, NormalizeNameCase applied
  std::string BBSID;     // line 5 after the first comma
  std::string PacketDate;
  std::string PacketTime;
  std::string UserName = "User";  // line 7, NormalizeNameCase applied
  int32_t ConferencesAnnounced = 0;  // number on line 11 plus one (0 when it is not a number)
  int32_t ConferencesReceived = 0;   // conferences with an index file, Personal Messages included
};

// One conference entry of the list as read.
struct TConferenceEntry {
  std::string Number;   // the number line as read
  std::string Name;     // the name line as read
  std::string Caption;  // number, blank, name; for the tree with the group prefix removed
  std::string Group;    // the group between "[" and "]", empty when none
};

// Result of looking up an index file.
struct TIndexFileLookup {
  std::string Name;     // the name found on disk, or the formed name when there is none
  bool Exists = false;
};

// "005.ndx" for "5", "1234.ndx" for "1234", "Personal.ndx" for "Personal":
// blanks removed, left-padded with "0" to three characters.
std::string IndexFileStem(const std::string& numberText);
// The index file of a conference in the folder, found whatever the case of
// its name on disk. Names holding a path separator never exist.
TIndexFileLookup IndexFileName(const std::string& directory, const std::string& numberText);

// The tree drives the reading through these calls, in file order.
class TControlFileVisitor {
public:
  virtual ~TControlFileVisitor() = default;
  // Lines 1 to 7 have been read; the tree adds its root and boxes now.
  virtual void OnIdentity(const PacketIdentity& identity) {}
  // Personal.ndx exists: the "Personal Messages" folder, first under the In Box.
  virtual void OnPersonal(const TConfRec& record) {}
  // A new group folder opens; the following conferences belong to it.
  virtual void OnGroup(const std::string& group) {}
  // One conference folder. Return false when it could not be added: the
  // reader then reports "Conferense list to long. Error inserting conf " +
  // caption and goes on with the next entry.
  virtual bool OnConference(const TConfRec& record, const TConferenceEntry& entry) { return true; }
};

struct TControlFileOptions {
  // A packet is open: read the personal index, line 11 and the list. Without
  // a packet only the identity (lines 1 to 7) is read.
  bool PacketLoaded = true;
  // Every entry becomes a folder, also those without an index file.
  bool AllConferences = false;
  // Look for Personal.ndx.
  bool PersonalConference = true;
  // When set, the text of a file that cannot be read is put here instead
  // of being shown.
  std::string* Failure = nullptr;
};

enum class TControlFileResult { crRead, crMissing, crUnreadable };

// Reads "control.dat" of the directory (any letter case) into `identity`
// and hands each folder to the visitor. A missing file gives crMissing
// without a message; an unreadable one shows "Could not read file -
// CONTROL.DAT" (or hands it to options.Failure). A line 11 that is not a number gives an empty list.
TControlFileResult ReadControlFile(const std::string& directory, PacketIdentity& identity,
                                   const TControlFileOptions& options, TControlFileVisitor* visitor);

// Collects what ReadControlFile hands out, in order (tests and simple callers).
class TControlFileCollector : public TControlFileVisitor {
public:
  struct Item {
    enum class TItemKind { ikPersonal, ikGroup, ikConference } Kind;
    TConfRec Record;          // personal and conference items
    TConferenceEntry Entry;   // conference items
    std::string Group;        // group items: the group; conference items: the group folder they go into
  };
  std::vector<Item> Items;
  bool identitySeen = false;

  void OnIdentity(const PacketIdentity&) override { identitySeen = true; }
  void OnPersonal(const TConfRec& record) override;
  void OnGroup(const std::string& group) override;
  bool OnConference(const TConfRec& record, const TConferenceEntry& entry) override;

private:
  std::string currentGroup_;
};

// Reads the user name (line 7, NormalizeNameCase applied) of "control.dat"
// in a post office folder. When the file cannot be opened shows "Could not
// read file - CONTROL.DAT" and yields nothing.
std::optional<std::string> ReadPacketUserName(const std::string& postOfficeDirectory);

// How the conference count of line 11 is taken by the plain list readers.
enum class TCountRule {
  crBlanksRemoved,  // every blank removed (the composer's list)
  crFirstWord,      // the text before the first blank, trimmed (the conference manager)
};

// The plain conference list: lines 1 to 10 skipped, the count of line 11,
// then number and name lines until the count is used up, end of file or a
// number line holding "GOODB" or "WELCO". No group handling; the caption is
// number, blank, name. `userName` receives line 7 as read.
struct TConferenceList {
  std::string UserName;
  std::vector<TConferenceEntry> Entries;
};
// Nothing (after "Could not read file - CONTROL.DAT") when the file cannot be opened.
std::optional<TConferenceList> ReadConferenceList(const std::string& directory, TCountRule rule);

}  // namespace korrin
