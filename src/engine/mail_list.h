#pragma once
// The contents of the selected folder as rows and columns: sub-folders,
// conference messages, box messages, downloads and new files. The list
// control of the window shows what this class computes.

#include <cstdint>
#include <cstddef>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/control_file.h"
#include "engine/mail_sort.h"
#include "platform/process_messages.h"
#include "platform/text.h"

namespace korrin {

class TMailTree;
struct TMailTreeNode;
class TToReader;

enum class TMailSortType { mstFrom, mstMsg, mstSubject, mstTo };

// Image indexes of the list's own pictures.
namespace listimg {
inline constexpr int kFolder = 0, kNewMessage = 2, kReadMessage = 3, kNewFiles = 5, kSentBox = 6, kSaveBox = 7,
                     kOutBox = 8, kInBox = 9, kDownloadBox = 10;
inline constexpr int kNone = -1;
}  // namespace listimg

struct TMailColumn {
  std::string Caption;
  int Width;  // pixels; -1: as wide as the list less 4 pixels
};

struct TMailListRow {
  std::string Caption;
  std::vector<std::string> SubItems;
  int ImageIndex = listimg::kNone;
  // A sub-folder row carries the child's record (owned by the tree node) and node.
  const TConfRec* Record = nullptr;
  TMailTreeNode* Node = nullptr;
  // Rows of file folders show the desktop's icon for this name.
  std::string ShellIconName;
  // The character set of a message row's texts (platform/charset.h); empty
  // for code page 437.
  std::string Charset;
};

// The rows of a list. Rows of index records that point at no message all
// show one "(message cannot be read)" row and cost four bytes each; the
// records beyond what messages.dat can hold (the tail) cost nothing.
class TMailRows {
public:
  class const_iterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TMailListRow;
    using difference_type = std::ptrdiff_t;
    using pointer = const TMailListRow*;
    using reference = const TMailListRow&;
    const_iterator(const TMailRows* rows, size_t i) : rows_(rows), i_(i) {}
    reference operator*() const { return (*rows_)[i_]; }
    pointer operator->() const { return &(*rows_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const const_iterator& o) const { return i_ == o.i_; }
    bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

  private:
    const TMailRows* rows_;
    size_t i_;
  };
  size_t size() const { return Listed() + tail_; }
  bool empty() const { return size() == 0; }
  const TMailListRow& operator[](size_t i) const {
    const TMailListRow* row = Row(i);
    return row ? *row : unreadable_;
  }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }
  // True for the row of a record that points at no message.
  bool Unreadable(size_t i) const { return i < size() && !Row(i); }
  // A filled row to change; nothing for an unreadable one.
  TMailListRow* Filled(size_t i) { return const_cast<TMailListRow*>(Row(i)); }
  void push_back(TMailListRow row);
  void reserve(size_t n) { rows_.reserve(n); }
  void clear();
  // The row that unreadable records show, and adding them.
  void SetUnreadableRow(TMailListRow row) { unreadable_ = std::move(row); }
  void AddUnreadable();
  void AddTail(size_t n) { tail_ += n; }
  // The order shown: row i shows the listed row Source(i). Empty: as listed.
  void SetOrder(std::vector<uint32_t> order);
  size_t Source(size_t i) const { return i < order_.size() ? order_[i] : i; }
  size_t DisplayOf(size_t source) const { return source < inverse_.size() ? inverse_[source] : source; }

private:
  static constexpr uint32_t kNone = UINT32_MAX;
  size_t Listed() const { return mapped_ ? map_.size() : rows_.size(); }
  const TMailListRow* Row(size_t i) const;
  std::vector<TMailListRow> rows_;
  // Once an unreadable row is added: per listed row, its place in rows_ or kNone.
  bool mapped_ = false;
  std::vector<uint32_t> map_;
  size_t tail_ = 0;
  TMailListRow unreadable_;
  std::vector<uint32_t> order_, inverse_;
};
// Text of the message-list header line of a conference message, from the
// header fields: Date as stored, From and To without trailing blanks and
// with the case function applied, Subject without trailing blanks.
struct THeaderTexts {
  std::string Date, From, To, Subject;
  const std::string& Column(int32_t kind) const;
};

// One parsed line of "newfiles.dat"; nothing for a line without a dot in
// the first 19 characters.
struct TNewFileLine {
  std::string Name, Size, Date;
};
bool ParseNewFileLine(const std::string& line, TNewFileLine& out);

// What a double click asks the window to do.
enum class TListAction { laNone, laShowNewFile, laOpenDownload, laSelectChild, laOpenMessage, laOpenBulletin };

// Whether the list of a folder kind can be sorted (conferences and boxes).
bool SortableKind(TFolderKind kind);

class TMailList {
public:
  TMailList();

  TMailTree* MailTree() const { return tree_; }
  void SetMailTree(TMailTree* tree);
  TToReader* ToReader() const { return toReader_; }
  void SetToReader(TToReader* toReader) { toReader_ = toReader; }
  const std::string& Directory() const { return directory_; }
  // Accepted (and the list refilled) only when the folder holds "control.dat"; empty always.
  bool SetDirectory(const std::string& directory);
  TTextCase TextCase() const { return textCase_; }
  void SetTextCase(TTextCase textCase);
  TMailSortType MailSortType() const { return sortType_; }
  void SetMailSortType(TMailSortType type) { sortType_ = type; }
  const int32_t* ColumnOrder() const { return columnOrder_; }
  void SetColumnOrder(const int32_t order[4]);
  // Pumps window events during long fills.
  void SetProcessMessages(TProcessMessages pm) { processMessages_ = std::move(pm); }

  void Refill();
  // Mark as Read / UnRead of a conference row: the read mark in
  // "messages.dat" and the row's image. False for any other row.
  bool SetConferenceRowRead(int index, bool read);
  const TMailRows& Rows() const { return rows_; }
  const std::vector<TMailColumn>& Columns() const { return columns_; }
  // Rows of the Download Box and New Files use the desktop's file icons.
  bool UsesFileImages() const { return fileImages_; }
  // The order of the message list of each sortable folder kind; setting the
  // kind shown re-sorts the rows at once (the selection is the window's).
  TListSort Sort(TFolderKind kind) const;
  void SetSort(TFolderKind kind, TListSort sort);
  // The order of the folder shown (packet order for other folders).
  TListSort CurrentSort() const;
  // A click on the header of the column shown at `column`: sorted by it,
  // a second click the other way. False when the folder cannot be sorted.
  bool SortByHeader(int column);
  // The message number (1-based, as the index file counts) of row `row`.
  int MessageNumber(int row) const { return row < 0 ? row + 1 : static_cast<int>(rows_.Source(static_cast<size_t>(row))) + 1; }
  // The row that shows the row `sourceRow` of the packet's order.
  int DisplayRow(int sourceRow) const {
    return sourceRow < 0 ? sourceRow : static_cast<int>(rows_.DisplayOf(static_cast<size_t>(sourceRow)));
  }
  // Row count followed by " object(s)"; empty without rows.
  std::string StatusText() const;

  void MarkSelectedRead(int index);
  // For a box message row: its file path when the file exists, else empty.
  std::string SelectedFilePath(int index) const;
  // Runs the double-click rules for row `index` and fires the events.
  TListAction DoubleClick(int index);

  // Sender-free events: the folder's record, the row index and the row count.
  std::function<void(const TConfRec*, int, int)> OnOpenMessage, OnShowNewFile, OnOpenDownload, OnOpenBulletin;
  // Fired after every refill, and after one row changed, so the window repaints.
  std::function<void()> OnRowsChanged;
  std::function<void(int)> OnRowChanged;

private:
  void FillOnce();
  // Pumps events; false when a new fill was asked meanwhile.
  bool GoOnFilling();
  void ListChildren(TMailTreeNode* node);
  void SetColumns(TFolderKind kind);
  void FillConference(const std::string& indexPath);
  void FillBox(TFolderKind kind);
  void FillDownloads();
  void FillNewFiles();
  void FillBulletins();
  void ApplySort();
  TMailListRow MessageRow(const THeaderTexts& texts, bool read) const;
  std::string CaseOf(const std::string& text) const { return ApplyTextCase(textCase_, text); }

  TMailTree* tree_ = nullptr;
  TToReader* toReader_ = nullptr;
  std::string directory_;
  TTextCase textCase_ = TTextCase::tcAsIs;
  TMailSortType sortType_ = TMailSortType::mstMsg;
  int32_t columnOrder_[4] = {0, 1, 2, 3};
  TProcessMessages processMessages_;
  TMailRows rows_;
  std::vector<TMailColumn> columns_;
  bool fileImages_ = false;
  bool refilling_ = false;
  bool refillAgain_ = false;  // asked during a fill: the last request wins
  int shownKind_ = -1;        // the kind of the folder whose rows are shown
  std::map<int, TListSort> sorts_;
};

}  // namespace korrin
