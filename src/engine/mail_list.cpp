#include "engine/mail_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "engine/board_settings.h"
#include "engine/bulletins.h"
#include "engine/conference_reader.h"
#include "engine/extended_headers.h"
#include "engine/header_texts.h"
#include "engine/mail_tree.h"
#include "engine/messages_file.h"
#include "engine/qwk_index.h"
#include "engine/posting_order.h"
#include "engine/qwk_post_office.h"
#include "engine/to_reader.h"
#include "platform/charset.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/prompts.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {
int ImageOfKind(const TConfRec* rec) {
  if (!rec) return listimg::kFolder;
  switch (rec->Kind) {
    case TFolderKind::fkNewFiles: return listimg::kNewFiles;
    case TFolderKind::fkSentBox: return listimg::kSentBox;
    case TFolderKind::fkSaveBox: return listimg::kSaveBox;
    case TFolderKind::fkOutBox: return listimg::kOutBox;
    case TFolderKind::fkPacketInBox:
    case TFolderKind::fkPostOfficeInBox: return listimg::kInBox;
    case TFolderKind::fkDownloads: return listimg::kDownloadBox;
    default: return listimg::kNone;
  }
}

bool IsBox(TFolderKind k) {
  return k == TFolderKind::fkOutBox || k == TFolderKind::fkSaveBox || k == TFolderKind::fkSentBox;
}

// The second blank-separated word, or the whole text when it has no blank.
std::string SecondWord(const std::string& entry) {
  auto blank = entry.find(' ');
  if (blank == std::string::npos) return entry;
  size_t start = entry.find_first_not_of(' ', blank);
  if (start == std::string::npos) return {};
  size_t end = entry.find(' ', start);
  return entry.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string FirstWord(const std::string& text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  size_t end = text.find(' ', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

const char* BoxFolderName(TFolderKind k) {
  return k == TFolderKind::fkOutBox ? "Outbox" : k == TFolderKind::fkSaveBox ? "Savebox" : "Sentbox";
}
}  // namespace

const std::string& THeaderTexts::Column(int32_t kind) const {
  static const std::string empty;
  switch (kind) {
    case 0: return Date;
    case 1: return From;
    case 2: return To;
    case 3: return Subject;
    default: return empty;
  }
}

bool ParseNewFileLine(const std::string& line, TNewFileLine& out) {
  auto dot = line.find('.');
  if (dot == std::string::npos) return false;
  size_t p = dot + 1;  // 1-based position
  if (p >= 20) return false;
  out.Name = line.substr(0, std::min(line.size(), p + 3));
  out.Size = line.size() > p + 3 ? FirstWord(line.substr(p + 3)) : std::string();
  out.Date = line.size() > 23 ? FirstWord(line.substr(23)) : std::string();
  return true;
}

TMailList::TMailList() = default;

void TMailList::SetMailTree(TMailTree* tree) {
  tree_ = tree;
  if (tree_) SetDirectory(tree_->Directory());
}

bool TMailList::SetDirectory(const std::string& directory) {
  if (directory == directory_) return true;
  if (!directory.empty() && !FileExistsNoCase(directory, kControlFileName)) return false;
  directory_ = directory.empty() ? directory : IncludeTrailingBackslash(directory);
  Refill();
  return true;
}

void TMailList::SetTextCase(TTextCase textCase) {
  if (textCase == textCase_) return;
  textCase_ = textCase;
  Refill();
}

void TMailList::SetColumnOrder(const int32_t order[4]) { std::copy(order, order + 4, columnOrder_); }

std::string TMailList::StatusText() const {
  return rows_.empty() ? std::string() : std::to_string(rows_.size()) + " object(s)";
}

void TMailList::Refill() {
  // Asked again during a fill (events are pumped meanwhile): the running
  // fill stops and the list is filled again for the folder selected now.
  if (refilling_) {
    refillAgain_ = true;
    return;
  }
  refilling_ = true;
  do {
    refillAgain_ = false;
    FillOnce();
  } while (refillAgain_);
  refilling_ = false;
  ApplySort();
  if (OnRowsChanged) OnRowsChanged();
}

bool SortableKind(TFolderKind kind) { return IsBox(kind) || kind == TFolderKind::fkConference; }

TListSort TMailList::Sort(TFolderKind kind) const {
  auto it = sorts_.find(static_cast<int>(kind));
  return it == sorts_.end() ? TListSort{} : it->second;
}

void TMailList::SetSort(TFolderKind kind, TListSort sort) {
  if (!SortableKind(kind)) return;
  sorts_[static_cast<int>(kind)] = sort;
  if (shownKind_ == static_cast<int>(kind) && !refilling_) {
    ApplySort();
    if (OnRowsChanged) OnRowsChanged();
  }
}

TListSort TMailList::CurrentSort() const {
  return shownKind_ < 0 ? TListSort{} : Sort(static_cast<TFolderKind>(shownKind_));
}

bool TMailList::SortByHeader(int column) {
  if (shownKind_ < 0 || !SortableKind(static_cast<TFolderKind>(shownKind_)) || column < 0 || column >= 4) return false;
  const int32_t kind = columnOrder_[column];
  if (kind < 0 || kind >= 4) return false;
  TListSort now = CurrentSort();
  TListSort next{kind, now.Column == kind ? !now.Descending : false};
  SetSort(static_cast<TFolderKind>(shownKind_), next);
  return true;
}

void TMailList::ApplySort() {
  rows_.SetOrder({});
  const TListSort sort = CurrentSort();
  if (!sort.Sorted() || refillAgain_) return;
  const int32_t* at = std::find(columnOrder_, columnOrder_ + 4, sort.Column);
  if (at == columnOrder_ + 4) return;  // the column is not shown
  const size_t column = static_cast<size_t>(at - columnOrder_);
  const size_t n = rows_.size();
  auto textOf = [column](const TMailListRow& r) -> std::string_view {
    if (column == 0) return r.Caption;
    return column - 1 < r.SubItems.size() ? std::string_view(r.SubItems[column - 1]) : std::string_view();
  };
  // Sub-folder rows stay in front; the message rows are sorted.
  size_t lead = 0;
  while (lead < n && rows_[lead].Record) ++lead;
  std::vector<uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  const bool down = sort.Descending;
  if (sort.Column == 0) {
    std::vector<int32_t> keys(n);
    for (size_t i = lead; i < n; ++i) keys[i] = SortableDate(textOf(rows_[i]));
    std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(lead), order.end(),
                     [&](uint32_t a, uint32_t b) { return down ? keys[b] < keys[a] : keys[a] < keys[b]; });
  } else {
    std::vector<std::string> keys(n);
    for (size_t i = lead; i < n; ++i) keys[i] = CollationKey(textOf(rows_[i]), sort.Column == 3);
    std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(lead), order.end(), [&](uint32_t a, uint32_t b) {
      return down ? CompareCollated(keys[b], keys[a]) < 0 : CompareCollated(keys[a], keys[b]) < 0;
    });
  }
  rows_.SetOrder(std::move(order));
}

bool TMailList::GoOnFilling() {
  CallProcessMessages(processMessages_);
  return !refillAgain_;
}

void TMailList::FillOnce() {
  rows_.clear();
  shownKind_ = -1;
  columns_.clear();
  fileImages_ = false;
  if (tree_ && IncludeTrailingBackslash(tree_->Directory()) != directory_) {
    std::string dir = tree_->Directory();
    if (FileExistsNoCase(dir, kControlFileName) || dir.empty())
      directory_ = dir.empty() ? dir : IncludeTrailingBackslash(dir);
  }
  try {
    TMailTreeNode* node = tree_ ? tree_->Selected() : nullptr;
    if (!directory_.empty() && node) {
      ListChildren(node);
      if (const TConfRec* rec = node->Record.get()) {
        shownKind_ = static_cast<int>(rec->Kind);
        SetColumns(rec->Kind);
        if (rec->Kind == TFolderKind::fkBulletins) {
          FillBulletins();
        } else if (rec->Kind == TFolderKind::fkDownloads) {
          FillDownloads();
        } else if (rec->Kind == TFolderKind::fkNewFiles) {
          FillNewFiles();
        } else if (!rec->IndexFile.empty() && fs::is_regular_file(directory_ + rec->IndexFile)) {
          FillConference(directory_ + rec->IndexFile);
        } else if (IsBox(rec->Kind)) {
          FillBox(rec->Kind);
        }
      } else {
        columns_.push_back({"Name", -1});
      }
    }
  } catch (const EInOutError& e) {
    GetPrompts().Error(e.what());
  }
}

void TMailList::ListChildren(TMailTreeNode* node) {
  const TConfRec* rec = node->Record.get();
  fileImages_ = rec && (rec->Kind == TFolderKind::fkDownloads || rec->Kind == TFolderKind::fkNewFiles);
  if (!GoOnFilling()) return;
  for (auto& child : node->Children) {
    TMailListRow row;
    row.Caption = child->Caption;
    row.Record = child->Record.get();
    row.Node = child.get();
    row.ImageIndex = ImageOfKind(row.Record);
    rows_.push_back(std::move(row));
  }
}

void TMailList::SetColumns(TFolderKind kind) {
  if (IsBox(kind) || kind == TFolderKind::fkConference) {
    static const TMailColumn all[4] = {{"Date", 75}, {"From", 175}, {"To", 175}, {"Subject", 175}};
    for (int32_t k : columnOrder_)
      if (k >= 0 && k < 4) columns_.push_back(all[k]);
  } else if (kind == TFolderKind::fkNewFiles || kind == TFolderKind::fkBulletins) {
    columns_ = {{"Name", 150}, {"Size", 75}, {"Date", 75}};
  } else {
    columns_ = {{"Name", -1}};
  }
}

TMailListRow TMailList::MessageRow(const THeaderTexts& texts, bool read) const {
  TMailListRow row;
  row.Caption = texts.Column(columnOrder_[0]);
  for (int i = 1; i < 4; ++i) row.SubItems.push_back(texts.Column(columnOrder_[i]));
  row.SubItems.push_back("MSG");
  row.SubItems.push_back(read ? "READ" : "NEW");
  row.ImageIndex = read ? listimg::kReadMessage : listimg::kNewMessage;
  return row;
}

namespace {
THeaderTexts TextsOf(const TQWKHeader& h, TTextCase textCase) {
  return THeaderTexts{h.Date(), ApplyTextCase(textCase, TrimRight(h.From())), ApplyTextCase(textCase, TrimRight(h.To())),
                      TrimRight(h.Subject())};
}
}  // namespace

void TMailRows::push_back(TMailListRow row) {
  if (mapped_) map_.push_back(static_cast<uint32_t>(rows_.size()));
  rows_.push_back(std::move(row));
}

void TMailRows::AddUnreadable() {
  if (!mapped_) {
    mapped_ = true;
    map_.resize(rows_.size());
    for (size_t i = 0; i < map_.size(); ++i) map_[i] = static_cast<uint32_t>(i);
  }
  map_.push_back(kNone);
}

void TMailRows::SetOrder(std::vector<uint32_t> order) {
  order_ = std::move(order);
  inverse_.assign(order_.size(), 0);
  for (size_t i = 0; i < order_.size(); ++i) inverse_[order_[i]] = static_cast<uint32_t>(i);
}

void TMailRows::clear() {
  order_ = {};
  inverse_ = {};
  rows_ = {};
  map_ = {};
  mapped_ = false;
  tail_ = 0;
}

const TMailListRow* TMailRows::Row(size_t i) const {
  i = Source(i);
  if (i >= Listed()) return nullptr;
  if (!mapped_) return &rows_[i];
  return map_[i] == kNone ? nullptr : &rows_[map_[i]];
}

void TMailList::FillConference(const std::string& indexPath) {
  TMessagesFile messages;
  if (!messages.Open(directory_)) return;
  TQWKIndex index;
  index.Open(indexPath);
  THeaderTexts unreadable;
  unreadable.Subject = "(message cannot be read)";
  rows_.SetUnreadableRow(MessageRow(unreadable, false));
  // messages.dat holds no more messages than blocks: once that many records
  // were readable, the others can only repeat them and are not read.
  const int32_t n = index.Count();
  const int32_t most = MeaningfulIndexRecords(n, messages.Size());
  int32_t readable = 0, i = 1;
  TQWKHeader header;
  // The long fields and the UTF-8 flag of the extended headers file win.
  const auto extended = PacketExtendedHeaders(directory_);
  const std::string board = IsCp437(CurrentBoardCharset()) ? std::string() : CurrentBoardCharset();
  for (; i <= n && readable < most; ++i) {
    auto block = index.BlockNumber(i);
    if (block && messages.HoldsHeader(*block) && messages.ReadHeader(*block, header)) {
      THeaderTexts texts = TextsOf(header, textCase_);
      std::string charset = board;
      if (extended)
        if (auto x = extended->Find(BlockOffset(*block))) {
          // The header forms are already without trailing blanks, the long ones trimmed.
          if (x->From.size() > texts.From.size()) texts.From = ApplyTextCase(textCase_, x->From);
          if (x->To.size() > texts.To.size()) texts.To = ApplyTextCase(textCase_, x->To);
          if (x->Subject.size() > texts.Subject.size()) texts.Subject = std::move(x->Subject);
          if (x->Utf8) charset = kCharsetUtf8;
        }
      TMailListRow row = MessageRow(texts, header.MarkedRead());
      row.Charset = std::move(charset);
      rows_.push_back(std::move(row));
      ++readable;
    } else {
      // The record keeps its place; its row says it cannot be read.
      rows_.AddUnreadable();
    }
    if (!GoOnFilling()) return;
  }
  rows_.AddTail(static_cast<size_t>(n - (i - 1)));
}

void TMailList::FillBox(TFolderKind kind) {
  if (!tree_) return;
  // The boxes of the current post office (the one the packet belongs to).
  TQWKPostOffice* po = tree_->Postoffice();
  std::string id = po && !po->BBSID().empty() ? po->BBSID() : SafeBBSID(tree_->BBSID());
  std::string poDir = IncludeTrailingBackslash(ProgramFolder()) + id;
  std::string box = PostOfficeBox(poDir, BoxFolderName(kind));
  // Out Box messages in the order they were posted (and will be sent).
  std::vector<std::string> files = BoxFilesInPostingOrder(box);
  if (kind != TFolderKind::fkOutBox)
    std::sort(files.begin(), files.end(),
              [](const std::string& a, const std::string& b) { return AnsiLowerCase(a) < AnsiLowerCase(b); });
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EInOutError("Could not read file - " + path);
    char buf[kQWKBlockSize];
    in.read(buf, sizeof buf);
    TQWKHeader header(std::string_view(buf, static_cast<size_t>(in.gcount())));
    TMailListRow row = MessageRow(TextsOf(header, textCase_), true);
    if (!IsCp437(CurrentBoardCharset())) row.Charset = CurrentBoardCharset();
    row.SubItems.push_back(path);
    rows_.push_back(std::move(row));
    if (!GoOnFilling()) return;
  }
}

void TMailList::FillDownloads() {
  if (!tree_ || !tree_->PacketLoaded() || !toReader_) return;
  toReader_->SetDirectory(directory_);
  toReader_->LoadExtensionLists();
  for (const auto& entry : toReader_->AttachList()) {
    TMailListRow row;
    row.Caption = AnsiLowerCase(SecondWord(entry));
    row.ShellIconName = row.Caption;
    rows_.push_back(std::move(row));
  }
  for (const auto& entry : toReader_->FileList()) {
    TMailListRow row;
    auto comma = entry.find(',');
    if (comma == std::string::npos) {
      row.Caption = AnsiLowerCase(SecondWord(entry));
    } else {
      std::string after = entry.substr(comma + 1);
      if (ContainsNoCase(after, "UNKNOWN")) {
        row.Caption = entry.substr(0, comma);
      } else {
        row.Caption = after;
        row.SubItems.push_back(entry.substr(0, comma));
      }
    }
    row.ShellIconName = row.Caption;
    rows_.push_back(std::move(row));
  }
}

void TMailList::FillNewFiles() {
  std::string path = PathNoCase(directory_, "newfiles.dat");
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    GetPrompts().Box(TBoxKind::bkPlain, "Could not reading file " + path, TBoxButtons::bbOk);
    return;
  }
  std::string line;
  TNewFileLine parsed;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!ParseNewFileLine(line, parsed)) continue;
    TMailListRow row;
    row.Caption = CaseOf(parsed.Name);
    row.SubItems = {SizeText(parsed.Size), parsed.Date};
    row.ShellIconName = row.Caption;
    rows_.push_back(std::move(row));
  }
}

void TMailList::FillBulletins() {
  if (!tree_ || !tree_->PacketLoaded()) return;
  for (const auto& b : FindBulletins(directory_)) {
    TMailListRow row;
    row.Caption = b.Caption;
    row.SubItems = {SizeText(std::to_string(b.Size)), b.Date, b.Path};
    row.ImageIndex = listimg::kNewFiles;
    rows_.push_back(std::move(row));
  }
}

bool TMailList::SetConferenceRowRead(int index, bool read) {
  TMailTreeNode* node = tree_ ? tree_->Selected() : nullptr;
  const TConfRec* rec = node ? node->Record.get() : nullptr;
  if (!rec || rec->Kind != TFolderKind::fkConference || index < 0 || index >= static_cast<int>(rows_.size()))
    return false;
  TMailListRow* row = rows_.Filled(static_cast<size_t>(index));
  if (!row || row->SubItems.size() < 5) return false;  // a record that points at no message
  TConferenceReader reader;
  TQWKHeader header;
  if (!reader.Open(directory_, rec->IndexFile, TOpenMode::omReadWrite) || !reader.ReadHeader(MessageNumber(index), header) ||
      !reader.MarkRead(MessageNumber(index), header, read))
    return false;
  row->ImageIndex = read ? listimg::kReadMessage : listimg::kNewMessage;
  row->SubItems[4] = read ? "READ" : "NEW";
  if (OnRowChanged) OnRowChanged(index);
  return true;
}

void TMailList::MarkSelectedRead(int index) {
  if (index < 0 || index >= static_cast<int>(rows_.size())) return;
  TMailListRow* row = rows_.Filled(static_cast<size_t>(index));
  if (!row) return;  // a record that points at no message is never read
  row->ImageIndex = listimg::kReadMessage;
  if (OnRowChanged) OnRowChanged(index);
}

std::string TMailList::SelectedFilePath(int index) const {
  if (index < 0 || index >= static_cast<int>(rows_.size())) return {};
  const auto& row = rows_[static_cast<size_t>(index)];
  std::error_code ec;
  if (row.SubItems.size() == 6 && fs::is_regular_file(row.SubItems[5], ec)) return row.SubItems[5];
  return {};
}

TListAction TMailList::DoubleClick(int index) {
  if (index < 0 || index >= static_cast<int>(rows_.size()) || !tree_) return TListAction::laNone;
  TMailTreeNode* node = tree_->Selected();
  const TConfRec* rec = node ? node->Record.get() : nullptr;
  const int count = static_cast<int>(rows_.size());
  const auto& row = rows_[static_cast<size_t>(index)];
  if (rec && rec->Kind == TFolderKind::fkNewFiles) {
    if (OnShowNewFile) OnShowNewFile(rec, index, count);
    return TListAction::laShowNewFile;
  }
  if (rec && rec->Kind == TFolderKind::fkDownloads) {
    if (OnOpenDownload) OnOpenDownload(rec, index, count);
    return TListAction::laOpenDownload;
  }
  if (rec && rec->Kind == TFolderKind::fkBulletins) {
    if (OnOpenBulletin) OnOpenBulletin(rec, index, count);
    return TListAction::laOpenBulletin;
  }
  if (row.Record || (node && node == tree_->InBox())) {
    if (node) node->Expanded = true;
    if (TMailTreeNode* child = TMailTree::FindChildByCaption(node, row.Caption)) {
      tree_->Select(child);
      return TListAction::laSelectChild;
    }
    return TListAction::laNone;
  }
  if (row.SubItems.size() > 4 && OnOpenMessage && rec) {
    if (IsBox(rec->Kind)) {
      node->Record->SelectedFile = SelectedFilePath(index);
      OnOpenMessage(rec, index, count);
      return TListAction::laOpenMessage;
    }
    if (rec->Kind == TFolderKind::fkConference) {
      OnOpenMessage(rec, index, count);
      return TListAction::laOpenMessage;
    }
  }
  return TListAction::laNone;
}

}  // namespace korrin
