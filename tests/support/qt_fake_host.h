#pragma once
// A stand-in for the main window in the secondary windows' tests: a reader
// session, the list of the tree's selected folder and its selected row, and
// a record of what the windows asked of it.

#include <string>
#include <vector>

#include "engine/mail_list.h"
#include "session/main_host.h"
#include "session/reader_session.h"

namespace korrin::test {

class TFakeHost : public TMainHost {
public:
  // Reads the configuration and makes the work folder, as the main window does.
  TFakeHost();
  ~TFakeHost() override;

  // Opens the packet and selects its first conference and the first row.
  bool Open(const std::string& path);

  TReaderSession& Session() override { return session_; }
  TMailList& MailList() override { return list_; }
  int SelectedRow() const override { return row_; }
  void SelectRow(int row) override {
    row_ = row;
    selections.push_back(row);
  }
  void OpenRow(int row) override;
  void RefillList() override;
  bool Busy() const override { return busy_ > 0; }
  void SetBusy(bool on) override { busy_ += on ? 1 : -1; }
  void UpdateCommandStates() override { ++updates; }
  void NewMessage() override { calls.push_back("new"); }
  void NewMessageTo(const std::string& to, const std::string& cc) override { calls.push_back("new to " + to + " cc " + cc); }
  bool MessageWindowOpen(TMessageWindow w) const override { return w == TMessageWindow::mwEditor ? editorOpen : viewerOpen; }
  void BringMessageWindowForward(TMessageWindow w) override {
    calls.push_back(w == TMessageWindow::mwEditor ? "editor front" : "viewer front");
  }
  void ReplyMessage() override { calls.push_back("reply " + std::to_string(row_)); }
  void ForwardMessage() override { calls.push_back("forward " + std::to_string(row_)); }
  void ShowOptions(int page) override { calls.push_back("options " + std::to_string(page)); }
  void ShowPropertiesOnLastPage() override { calls.push_back("properties"); }
  void BringMainToFront() override { calls.push_back("front"); }
  bool AcceptsDrops() const override { return drops_; }
  void SetAcceptsDrops(bool on) override { drops_ = on; }
  void CloseProgram() override { calls.push_back("close"); }
  bool FinderExists() const override { return finder; }
  void ShowFinder() override { calls.push_back("finder"); }

  // What the windows asked for, in order ("reply 1": Reply on row 1).
  std::vector<std::string> calls;
  // Rows selected through SelectRow, in order.
  std::vector<int> selections;
  int refills = 0;
  bool viewerOpen = false, editorOpen = false;
  bool finder = false;  // whether the mail finder "exists"
  int updates = 0;

private:
  TReaderSession session_;
  TMailList list_;
  int row_ = -1;
  int busy_ = 0;
  bool drops_ = true;
};

}  // namespace korrin::test
