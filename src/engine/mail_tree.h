#pragma once
// The folder tree of one BBS: the open packet's In Box with its conferences
// and the post office's boxes. This class takes every decision (which nodes
// exist, their order, captions, images, what next and previous select); the
// tree control of the window only shows it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/control_file.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace korrin {

class TQWKPostOffice;

struct TMailTreeNode {
  std::string Caption;              // shown text, with the tree's text case applied
  std::unique_ptr<TConfRec> Record; // none for the BBS root and group folders
  int ImageIndex = 0;
  int SelectedIndex = 0;
  bool Expanded = false;
  TMailTreeNode* Parent = nullptr;
  std::vector<std::unique_ptr<TMailTreeNode>> Children;

  int Level() const;
  int IndexInParent() const;
};

class TMailTree {
public:
  TMailTree() = default;

  bool PersonalConference() const { return personalConference_; }
  void SetPersonalConference(bool on) { personalConference_ = on; }  // takes effect at the next rebuild
  TQWKPostOffice* Postoffice() const { return postoffice_; }
  void SetPostoffice(TQWKPostOffice* po) { postoffice_ = po; }
  bool AllConferences() const { return allConferences_; }
  void SetAllConferences(bool on);
  // The folder shown; accepted only when it holds "control.dat", else empty.
  const std::string& Directory() const { return directory_; }
  void SetDirectory(const std::string& directory);
  // SetDirectory for opening a packet: the failure that kept the packet's
  // tree from being built comes back instead of being shown (without text
  // when nothing was read that could tell why).
  TResult Load(const std::string& directory);
  TTextCase TextCase() const { return textCase_; }
  void SetTextCase(TTextCase textCase);

  // The open packet's file, set only when the file exists.
  const std::string& PacketFile() const { return packetFile_; }
  void SetPacketFile(const std::string& path);
  int DownloadCount() const { return downloadCount_; }
  void SetDownloadCount(int count) { downloadCount_ = count; }

  const PacketIdentity& Identity() const { return identity_; }
  const std::string& BBSName() const { return identity_.BBSName; }
  const std::string& BBSID() const { return identity_.BBSID; }
  // True when the directory holds "messages.dat" (a packet is shown).
  bool PacketLoaded() const { return packetLoaded_; }

  // Builds the tree, adds New Files and Downloads, and notifies the selection.
  void Rebuild();
  bool BuildTree();

  TMailTreeNode* Root() const { return root_.get(); }
  TMailTreeNode* InBox() const { return inBox_; }
  TMailTreeNode* OutBox() const { return outBox_; }
  TMailTreeNode* SaveBox() const { return saveBox_; }
  TMailTreeNode* SentBox() const { return sentBox_; }
  TMailTreeNode* DownloadBox() const { return downloadBox_; }
  // Every node in display order (depth first).
  std::vector<TMailTreeNode*> Nodes() const;

  TMailTreeNode* Selected() const { return selected_; }
  // Selects a node and runs the selection-change notification.
  void Select(TMailTreeNode* node);
  // "Contents of " + the selected node's caption in quotation marks; empty without nodes.
  std::string StatusText() const;
  // The file name (without folder) of the packet file.
  std::string CaptionText() const;

  TIndexFileLookup FindIndexFile(const std::string& numberText) const;
  bool NextConference(int32_t ordinal);
  bool PreviousConference(int32_t ordinal);
  static TMailTreeNode* FindChildByCaption(TMailTreeNode* parent, const std::string& text);

  // Fired after every rebuild (the window recreates its items) and after
  // every selection change (the window follows, then the list refills).
  std::function<void()> OnRebuilt;
  std::function<void()> OnChange;

private:
  class Builder;
  TMailTreeNode* Add(TMailTreeNode* parent, const std::string& caption, std::unique_ptr<TConfRec> record);
  TMailTreeNode* AddFolder(TMailTreeNode* parent, const char* name, TFolderKind kind, const std::string& caption);
  void Clear();
  void Expand(TMailTreeNode* node);
  void SelectFound(TMailTreeNode* target);

  bool personalConference_ = true;
  TQWKPostOffice* postoffice_ = nullptr;
  bool allConferences_ = false;
  std::string directory_;
  std::string* failure_ = nullptr;  // set by Load while it builds
  TTextCase textCase_ = TTextCase::tcAsIs;
  std::string packetFile_;
  int downloadCount_ = 0;
  PacketIdentity identity_;
  bool packetLoaded_ = false;

  std::unique_ptr<TMailTreeNode> root_;
  TMailTreeNode *inBox_ = nullptr, *outBox_ = nullptr, *saveBox_ = nullptr, *sentBox_ = nullptr,
                *downloadBox_ = nullptr;
  TMailTreeNode* selected_ = nullptr;
};

// The node images (normal and selected) of a folder kind; a node without
// record is a group folder (0/1).
void NodeImages(const TConfRec* record, bool isRoot, int& image, int& selected);

}  // namespace korrin
