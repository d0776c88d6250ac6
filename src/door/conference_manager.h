#pragma once
// The conference manager's lists without the window: the conferences the
// BBS offers ("Available") and those the door packs ("Current"), the moves
// between them, the list remembered in the post office ("CurConf.cfg") and
// the door control messages that the moves become.

#include <string>
#include <vector>

#include "reading/taglines.h"

namespace korrin {

class TPacketLifecycle;

inline constexpr const char* kCurConfFileName = "CurConf.cfg";

// A sorted multi-select list of conference captions ("5 General").
using TCaptionList = TTagList;

class TConferenceManager {
public:
  // A list box takes at most this many entries.
  static constexpr size_t kMaxListItems = 32767;

  // Fills the lists: "CurConf.cfg" of the post office folder into Current,
  // then every conference of "control.dat" in the packet folder: with an
  // index file into Current, otherwise into Available, each unless Current
  // holds it already. ToAdd and ToDrop start empty.
  void Load(const std::string& treeDirectory, const std::string& postOfficeDirectory);

  TCaptionList& SrcList() { return src_; }
  TCaptionList& DstList() { return dst_; }
  const TCaptionList& SrcList() const { return src_; }
  const TCaptionList& DstList() const { return dst_; }
  const std::vector<std::string>& ToAdd() const { return toAdd_; }
  const std::vector<std::string>& ToDrop() const { return toDrop_; }

  // "Add": the selected available conferences become current and are
  // noted to be added (and no longer to be dropped). "Drop" the mirror.
  void Include() { Move(src_, dst_, toAdd_, toDrop_); }
  void Exclude() { Move(dst_, src_, toDrop_, toAdd_); }
  // Selects only the entry at the index, kept within the list.
  static void SetItem(TCaptionList& list, long index);

  bool IncludeEnabled() const { return !src_.Empty(); }
  bool ExcludeEnabled() const { return !dst_.Empty(); }
  static std::string SelectedText(const TCaptionList& list);

  // OK: writes Current to "CurConf.cfg" of the post office folder (through
  // a temporary file renamed into place) when it has entries. False, after
  // the error box, when the file could not be written.
  bool SaveCurrent(const std::string& postOfficeDirectory) const;
  // One control message per conference to add, then one per conference to
  // drop, into the Out Box. Captions without a conference number are skipped.
  void ComposeControlMessages(TPacketLifecycle& lifecycle) const;

  // The conference number of a caption: the text before its first blank.
  static bool ConferenceNumber(const std::string& caption, int& number);

private:
  static void Move(TCaptionList& from, TCaptionList& to, std::vector<std::string>& noted,
                   std::vector<std::string>& other);

  TCaptionList src_, dst_;
  std::vector<std::string> toAdd_, toDrop_;
};

}  // namespace korrin
