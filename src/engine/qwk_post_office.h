#pragma once
// Post offices: the permanent home of one BBS (its Out Box, Save Box, Sent
// Box and copies of the last packet's identity files), and the list of known
// post offices kept in "PO.CFG" in the program folder.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korrin {

// One entry of the post-office list.
struct TPONode {
  std::string Name;       // the BBS name
  std::string BBSID;      // the key: at most 8 characters
  std::string Directory;  // the post office folder
};

// Box folder names as they are created on disk.
inline constexpr const char* kOutBoxFolder = "OutBox";
inline constexpr const char* kSaveBoxFolder = "SaveBox";
inline constexpr const char* kSentBoxFolder = "SentBox";

class TQWKPostOffice {
public:
  static constexpr size_t kBBSIDWidth = 8;
  static constexpr size_t kNameWidth = 255;
  static constexpr size_t kRecordSize = kBBSIDWidth + 2 * kNameWidth;  // 518 bytes

  TQWKPostOffice();

  // The list file's name in the program folder (the main window sets "PO.CFG").
  const std::string& Filename() const { return filename_; }
  void SetFilename(const std::string& name) { filename_ = name; }
  const std::string& ProgramFolder() const { return programFolder_; }

  // 0-based position of the current entry, -1 when there is none.
  int Itemindex();
  // Positions outside the list count as -1, which leaves the current entry.
  void SetItemindex(int index);

  // Takes the entry with this BBSID unchanged, or appends a new one (the
  // BBSID cut to 8 characters); either becomes current. A new entry is
  // written to the list file at once, so a crash cannot lose it.
  void AddPostOffice(const std::string& bbsid, const std::string& name, const std::string& directory);
  void ClearPostOffices();
  int Count() const { return static_cast<int>(nodes_.size()); }
  const TPONode& Node(int index) const { return *nodes_.at(static_cast<size_t>(index)); }
  // 1-based position; one that does not exist leaves the current entry.
  void SelectPostOffice(int position);
  void ListPostOfficeNames(std::vector<std::string>& names) const;

  // Reads the list file when it exists; an unreadable one raises EInOutError.
  void LoadPostOffices();
  // Writes every entry through a temporary file; failure raises EInOutError.
  void SavePostOffices() const;

  // The current entry's values; empty without a current entry.
  const std::string& PostOfficeName() const { return name_; }
  const std::string& BBSID() const { return bbsid_; }
  const std::string& PostOfficeDirectory() const { return directory_; }

  std::function<void()> OnChange;

private:
  void MakeCurrent(const TPONode* node);

  std::vector<std::unique_ptr<TPONode>> nodes_;
  const TPONode* current_ = nullptr;
  std::string filename_;
  std::string programFolder_;
  std::string name_, bbsid_, directory_;
  bool loading_ = false;
};

// The box folder of a post office whatever its letter case on disk (the
// folder + box name as created when it does not exist), with trailing separator.
std::string PostOfficeBox(const std::string& poDirectory, const char* box);

// Creates program folder + BBSID and its "OutBox", "SaveBox" and "SentBox";
// stops at the first folder that cannot be created; true when all exist.
bool MakePODir(const std::string& programFolder, const std::string& bbsid);

// Copies the file into the folder under the same name (an existing file of
// that name in any letter case is replaced, unless exactName), in 8192-byte
// blocks, through a temporary file. Raises EInOutError when either side
// cannot be opened.
void CopyFileToFolder(const std::string& file, const std::string& folder, const std::string& targetName = {},
                      bool exactName = false);

// A BBSID as the key and folder name of a post office: at most 8
// characters, path separators and control characters replaced by "_", and
// never "." or "..", so a packet can never name a folder outside the
// program folder.
std::string SafeBBSID(const std::string& bbsid);

// Renames back every "*.qms.order" file of the box (the temporary name of a
// message while box files are reordered, left when the run ended or a rename
// failed), so that no message drops out of its box. A taken name gets a new one.
void RecoverBoxFiles(const std::string& box);

// Number of "*.qms" files in program folder + BBSID + "OutBox".
int CountOutBox(const std::string& programFolder, const std::string& bbsid);

// Selects or creates the post office of an opened packet: looks the BBS name
// up among the post office names (ignoring case), else adds the BBSID; makes
// its folders when missing; copies "ToReader.ext", "Control.dat" and
// "Door.id" from the work folder when present. The caller then reads the door
// identity of PostOfficeDirectory().
void SetPostOffice(TQWKPostOffice& po, const std::string& bbsid, const std::string& bbsName,
                   const std::string& workFolder);

}  // namespace korrin
