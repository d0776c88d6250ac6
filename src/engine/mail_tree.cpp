#include "engine/mail_tree.h"

#include <filesystem>

#include "engine/bulletins.h"
#include "engine/qwk_post_office.h"
#include "platform/paths.h"

namespace korrin {

int TMailTreeNode::Level() const {
  int level = 0;
  for (auto* p = Parent; p; p = p->Parent) ++level;
  return level;
}

int TMailTreeNode::IndexInParent() const {
  if (!Parent) return 0;
  for (size_t i = 0; i < Parent->Children.size(); ++i)
    if (Parent->Children[i].get() == this) return static_cast<int>(i);
  return -1;
}

void NodeImages(const TConfRec* record, bool isRoot, int& image, int& selected) {
  if (isRoot) {
    image = 2;
    selected = 3;
    return;
  }
  image = selected = 0;
  if (!record) {
    selected = 1;
    return;
  }
  switch (record->Kind) {
    case TFolderKind::fkPacketInBox:
    case TFolderKind::fkPostOfficeInBox: image = selected = 9; break;
    case TFolderKind::fkOutBox: image = selected = 8; break;
    case TFolderKind::fkSaveBox: image = selected = 7; break;
    case TFolderKind::fkSentBox: image = selected = 6; break;
    case TFolderKind::fkNewFiles: image = selected = 5; break;
    case TFolderKind::fkDownloads:
      image = 10;
      selected = 11;
      break;
    case TFolderKind::fkConference:
    case TFolderKind::fkBulletins:
      image = 0;
      selected = 1;
      break;
  }
}

// Turns what the control file reader hands out into nodes.
class TMailTree::Builder : public TControlFileVisitor {
public:
  explicit Builder(TMailTree& tree) : tree_(tree) {}

  void OnIdentity(const PacketIdentity& identity) override {
    if (tree_.packetLoaded_) tree_.identity_ = identity;
    // The root, the In Box and the three boxes, as soon as the identity is known.
    tree_.root_ = std::make_unique<TMailTreeNode>();
    tree_.root_->Caption = ApplyTextCase(tree_.textCase_, tree_.identity_.BBSID);
    NodeImages(nullptr, true, tree_.root_->ImageIndex, tree_.root_->SelectedIndex);
    if (tree_.packetLoaded_) {
      tree_.inBox_ = tree_.AddFolder(tree_.root_.get(), kInBoxName, TFolderKind::fkPacketInBox,
                                     InBoxCaption(tree_.identity_.PacketDate));
    } else if (tree_.postoffice_ && tree_.postoffice_->BBSID() == "IntMail") {
      tree_.inBox_ = tree_.AddFolder(tree_.root_.get(), kInBoxName, TFolderKind::fkPostOfficeInBox, InBoxCaption(""));
    }
    tree_.outBox_ = tree_.AddFolder(tree_.root_.get(), kOutBoxName, TFolderKind::fkOutBox, kOutBoxName);
    tree_.saveBox_ = tree_.AddFolder(tree_.root_.get(), kSaveBoxName, TFolderKind::fkSaveBox, kSaveBoxName);
    tree_.sentBox_ = tree_.AddFolder(tree_.root_.get(), kSentBoxName, TFolderKind::fkSentBox, kSentBoxName);
    parent_ = tree_.inBox_;
  }

  void OnPersonal(const TConfRec& record) override {
    if (tree_.inBox_) tree_.Add(tree_.inBox_, record.Name, std::make_unique<TConfRec>(record));
  }

  void OnGroup(const std::string& group) override {
    if (tree_.root_) parent_ = tree_.Add(tree_.root_.get(), group, nullptr);
  }

  bool OnConference(const TConfRec& record, const TConferenceEntry& entry) override {
    if (!parent_) return true;
    tree_.Add(parent_, entry.Caption, std::make_unique<TConfRec>(record));
    return true;
  }

private:
  TMailTree& tree_;
  TMailTreeNode* parent_ = nullptr;
};

TMailTreeNode* TMailTree::Add(TMailTreeNode* parent, const std::string& caption, std::unique_ptr<TConfRec> record) {
  auto node = std::make_unique<TMailTreeNode>();
  node->Caption = ApplyTextCase(textCase_, caption);
  node->Parent = parent;
  NodeImages(record.get(), false, node->ImageIndex, node->SelectedIndex);
  node->Record = std::move(record);
  parent->Children.push_back(std::move(node));
  return parent->Children.back().get();
}

TMailTreeNode* TMailTree::AddFolder(TMailTreeNode* parent, const char* name, TFolderKind kind,
                                    const std::string& caption) {
  auto rec = std::make_unique<TConfRec>();
  rec->Name = name;
  rec->Kind = kind;
  return Add(parent, caption, std::move(rec));
}

void TMailTree::Clear() {
  selected_ = nullptr;
  inBox_ = outBox_ = saveBox_ = sentBox_ = downloadBox_ = nullptr;
  root_.reset();
}

void TMailTree::SetAllConferences(bool on) {
  if (allConferences_ == on) return;
  allConferences_ = on;
  Rebuild();
}

void TMailTree::SetDirectory(const std::string& directory) {
  directory_ = FileExistsNoCase(directory, kControlFileName) ? directory : std::string();
  Rebuild();
}

TResult TMailTree::Load(const std::string& directory) {
  std::string failure;
  failure_ = &failure;
  SetDirectory(directory);
  failure_ = nullptr;
  if (packetLoaded_ && root_) return {};
  return TResult::Error(failure);
}

void TMailTree::SetTextCase(TTextCase textCase) {
  if (textCase_ == textCase) return;
  textCase_ = textCase;
  Rebuild();
}

void TMailTree::SetPacketFile(const std::string& path) {
  if (path == packetFile_) return;
  std::error_code ec;
  packetFile_ = !path.empty() && std::filesystem::is_regular_file(path, ec) ? path : std::string();
}

bool TMailTree::BuildTree() {
  Clear();
  packetLoaded_ = !directory_.empty() && FileExistsNoCase(directory_, "messages.dat");
  if (!packetLoaded_) {
    directory_ = postoffice_ ? postoffice_->PostOfficeDirectory() : std::string();
    identity_ = PacketIdentity{};
    identity_.UserName.clear();
    identity_.BBSName = postoffice_ ? postoffice_->PostOfficeName() : std::string();
    identity_.BBSID = postoffice_ ? postoffice_->BBSID() : std::string();
    downloadCount_ = 0;
  }
  if (directory_.empty() || !FileExistsNoCase(directory_, kControlFileName)) return false;

  TControlFileOptions options;
  options.PacketLoaded = packetLoaded_;
  options.AllConferences = allConferences_;
  options.PersonalConference = personalConference_;
  options.Failure = failure_;
  PacketIdentity read;
  Builder builder(*this);
  auto result = ReadControlFile(directory_, read, options, &builder);
  if (result != TControlFileResult::crRead || !root_) {
    Clear();
    return false;
  }
  if (packetLoaded_) {
    identity_ = read;  // the counters are final only now
  } else {
    // Without a packet the post office's copy of the control file names the
    // board and the user; the post office keeps its own key.
    const PacketIdentity po = identity_;
    identity_ = read;
    identity_.BBSID = po.BBSID;
    if (identity_.BBSName.empty()) identity_.BBSName = po.BBSName;
  }

  root_->Expanded = true;
  if (packetLoaded_ && inBox_) {
    inBox_->Expanded = true;
    selected_ = inBox_;
  } else {
    selected_ = root_.get();
  }
  return true;
}

void TMailTree::Rebuild() {
  if (BuildTree() && inBox_ && packetLoaded_) {
    if (FileExistsNoCase(directory_, "newfiles.dat"))
      AddFolder(inBox_, kNewFilesName, TFolderKind::fkNewFiles, kNewFilesName);
    if (downloadCount_ > 0)
      downloadBox_ = AddFolder(inBox_, kDownloadBoxName, TFolderKind::fkDownloads, kDownloadsCaption);
    if (!FindBulletins(directory_).empty()) AddFolder(inBox_, kBulletinsName, TFolderKind::fkBulletins, kBulletinsName);
  }
  if (OnRebuilt) OnRebuilt();
  if (OnChange) OnChange();
}

std::vector<TMailTreeNode*> TMailTree::Nodes() const {
  std::vector<TMailTreeNode*> out;
  std::function<void(TMailTreeNode*)> walk = [&](TMailTreeNode* n) {
    out.push_back(n);
    for (auto& c : n->Children) walk(c.get());
  };
  if (root_) walk(root_.get());
  return out;
}

void TMailTree::Select(TMailTreeNode* node) {
  selected_ = node;
  if (OnChange) OnChange();
}

std::string TMailTree::StatusText() const {
  if (!root_ || !selected_) return {};
  return "Contents of \"" + selected_->Caption + "\"";
}

std::string TMailTree::CaptionText() const { return ExtractFileName(packetFile_); }

TIndexFileLookup TMailTree::FindIndexFile(const std::string& numberText) const {
  return IndexFileName(directory_, numberText);
}

TMailTreeNode* TMailTree::FindChildByCaption(TMailTreeNode* parent, const std::string& text) {
  if (!parent) return nullptr;
  for (auto& c : parent->Children)
    if (c->Caption == text) return c.get();
  return nullptr;
}

void TMailTree::Expand(TMailTreeNode* node) {
  if (node) node->Expanded = true;
}

void TMailTree::SelectFound(TMailTreeNode* target) {
  Expand(root_.get());
  if (target && target->Parent) {
    Expand(target->Parent->Parent);
    Expand(target->Parent);
  }
  Select(target ? target : selected_);
}

namespace {
bool IsConference(const TMailTreeNode* n) { return n->Record && n->Record->Kind == TFolderKind::fkConference; }
}  // namespace

bool TMailTree::NextConference(int32_t ordinal) {
  if (selected_ && selected_ == outBox_) {
    Select(saveBox_);
    return false;
  }
  if (selected_ && selected_ == saveBox_) {
    Select(sentBox_);
    return false;
  }
  TMailTreeNode* fallback = nullptr;
  bool passed = false;
  for (TMailTreeNode* n : Nodes()) {
    if (!n->Record) continue;
    if (passed && IsConference(n)) {
      SelectFound(n);
      return true;
    }
    if (!fallback && IsConference(n)) fallback = n;
    if (n->Record->Ordinal == ordinal) passed = true;
  }
  SelectFound(fallback);
  return false;
}

bool TMailTree::PreviousConference(int32_t ordinal) {
  if (selected_ && selected_ == outBox_) {
    Select(saveBox_);
    return false;
  }
  if (selected_ && selected_ == saveBox_) {
    Select(sentBox_);
    return false;
  }
  auto nodes = Nodes();
  TMailTreeNode* fallback = nullptr;
  bool passed = false;
  for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) {
    TMailTreeNode* n = *it;
    if (!n->Record) continue;
    if (passed && IsConference(n)) {
      SelectFound(n);
      return true;
    }
    if (!fallback && IsConference(n)) fallback = n;
    if (IsConference(n) && n->Record->Ordinal == ordinal) passed = true;
  }
  SelectFound(fallback);
  return false;
}

}  // namespace korrin
