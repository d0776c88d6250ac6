#pragma once
// Profile files (".ini", ".inf"): "[Section]" lines, each followed by
// "key=value" lines. Section and key names are case-insensitive; values are
// read up to 1023 characters; CR LF and LF line ends are both read. Every
// write goes to disk at once (through a temporary file renamed into place)
// and keeps every other line of the file as it was.

#include <string>
#include <vector>

namespace korrin {

class TIniFile {
public:
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
  int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;
  // False when the file could not be written.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInteger(const std::string& section, const std::string& key, int value);
  bool WriteBool(const std::string& section, const std::string& key, bool value);

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  std::vector<std::string> ReadSections() const;
  // Key names of a section, in file order.
  std::vector<std::string> ReadSection(const std::string& section) const;
  // The section's lines in file order, comments and blank lines left out.
  std::vector<std::string> ReadSectionLines(const std::string& section) const;
  bool EraseSection(const std::string& section);
  bool DeleteKey(const std::string& section, const std::string& key);

  // Re-reads the file (another program may have changed it).
  void Reload();

  // Holds back the writes until the matching EndUpdate, which writes the
  // file once and gives false when that failed. Nesting is allowed. With
  // `durable` off the file is replaced whole but not forced to disk (for
  // bookkeeping whose loss costs nothing).
  void BeginUpdate() { ++updateDepth_; }
  bool EndUpdate(bool durable = true);

private:
  struct Line {
    std::string text;
    std::string section;  // section the line belongs to (empty before the first)
    std::string key;      // key of a key=value line, else empty
    bool header = false;
  };
  int FindKey(const std::string& section, const std::string& key) const;
  bool Save(bool durable = true) const;

  std::string fileName_;
  std::vector<Line> lines_;
  bool crlf_ = true;
  int updateDepth_ = 0;
  mutable bool pending_ = false;
};

}  // namespace korrin
