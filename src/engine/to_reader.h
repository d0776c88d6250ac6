#pragma once
// The door-to-reader extension files of the packet: "toreader.ext" (area
// flags, keywords, filters, twits, files and attachments) and
// "attached.lst"; pending additions are taken from "todoor.ext".

#include <cstdint>
#include <string>
#include <vector>

namespace korrin {

inline constexpr const char* kToReaderFileName = "toreader.ext";
inline constexpr const char* kToDoorFileName = "todoor.ext";
inline constexpr const char* kAttachedListFileName = "attached.lst";
inline constexpr const char* kErrReadToReader = "Could not read file - TOREADER.EXT";
inline constexpr const char* kErrReadRequiredToReader = "Could not read required file - TOREADER.EXT";
inline constexpr const char* kErrReadRequiredAttached = "Could not read required file - ATTACHED.LST";
inline constexpr const char* kErrReadRequiredToDoor = "Could not read required file - TODOOR.EXT";

// Area flag bits of AreaFlagsOf.
enum TAreaFlag : uint32_t {
  afa = 0x1,  // "a"
  afp = 0x2,  // "p"
  afg = 0x4,  // "g"
  afw = 0x8,  // "w"
  afk = 0x10,  // "k"
  aff = 0x20,  // "f"
  afF = 0x40,
  afB = 0x80,
  afP = 0x100,
  afO = 0x200,
  afX = 0x400,
  afR = 0x800,
  afZ = 0x1000,
  afL = 0x2000,
  afN = 0x4000,
  afE = 0x8000,
  afI = 0x10000,
  afU = 0x20000,
  afH = 0x40000,
  afA = 0x80000,
  afAmp = 0x100000,  // "&"
};
// The bit of one flag letter; 0 for any other character.
uint32_t AreaFlagOfLetter(char c);

class TToReader {
public:
  using TStringList = std::vector<std::string>;

  const std::string& Directory() const { return directory_; }
  void SetDirectory(const std::string& directory) { directory_ = directory; }
  int32_t Conference() const { return conference_; }
  void SetConference(int32_t conference) { conference_ = conference; }

  // Files that came with the packet (the explorer adds the names found in
  // the packet archive).
  TStringList& FileList() { return fileList_; }
  const TStringList& FileList() const { return fileList_; }
  TStringList& AttachList() { return attachList_; }
  const TStringList& AttachList() const { return attachList_; }
  TStringList& KeywordList() { return keywordList_; }
  const TStringList& KeywordList() const { return keywordList_; }
  TStringList& FilterList() { return filterList_; }
  const TStringList& FilterList() const { return filterList_; }
  TStringList& TwitList() { return twitList_; }
  const TStringList& TwitList() const { return twitList_; }

  // Reloads FilterList, TwitList, KeywordList, FileList and AttachList, in
  // that order, from Directory. Each failure text is shown at most once per call.
  void LoadExtensionLists();
  void LoadFilterList();
  void LoadTwitList();
  void LoadKeywordList();
  void LoadFileList();
  void LoadAttachList();

  // Flags of the conference (its number as text) from the AREA lines of
  // "toreader.ext"; several lines of one conference accumulate.
  uint32_t AreaFlagsOf(const std::string& conference) const;

private:
  void LoadWordList(TStringList& list, const std::string& word);
  void Report(const char* text);

  std::string directory_;
  int32_t conference_ = 0;
  TStringList fileList_, attachList_, keywordList_, filterList_, twitList_;
  // Texts already shown during the current LoadExtensionLists.
  std::vector<const char*>* shown_ = nullptr;
  // The AREA lines of the last "toreader.ext" read, kept while the file is
  // unchanged: the message record asks for the flags of every message.
  struct TAreaCache {
    std::string path;
    int64_t size = -1;
    int64_t mtime = 0;
    std::vector<std::string> lines;
  };
  mutable TAreaCache areaCache_;
};

}  // namespace korrin
