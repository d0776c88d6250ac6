#pragma once
// A small stand-in for the main window, for the door windows' tests: a
// real reader session, a message list, and a record of what was asked.

#include <string>
#include <vector>

#include "engine/mail_list.h"
#include "session/main_host.h"
#include "session/reader_session.h"
#include "support/test_env.h"

namespace korrin::test {

class TDoorFakeHost : public TMainHost {
public:
  TDoorFakeHost() {
    session.Tree().SetPostoffice(&session.PostOffice());
    session.Zip().SetPluginFolder(BinDir());
    session.CreateWorkFolder(NewTempDir("tmp"));
    list.SetMailTree(&session.Tree());
  }

  TReaderSession& Session() override { return session; }
  TMailList& MailList() override { return list; }
  int SelectedRow() const override { return selectedRow; }
  void SelectRow(int row) override {
    selectedRow = row;
    selectedRows.push_back(row);
  }
  void OpenRow(int) override {}
  void RefillList() override { ++refills; }
  bool Busy() const override { return busy > 0; }
  void SetBusy(bool on) override { busy += on ? 1 : -1; }
  void UpdateCommandStates() override { ++commandUpdates; }
  void NewMessage() override {}
  void NewMessageTo(const std::string&, const std::string&) override {}
  bool MessageWindowOpen(TMessageWindow) const override { return false; }
  void BringMessageWindowForward(TMessageWindow) override {}
  void ReplyMessage() override {}
  void ForwardMessage() override {}
  void ShowOptions(int) override {}
  void ShowPropertiesOnLastPage() override {}
  void BringMainToFront() override { ++fronts; }
  bool AcceptsDrops() const override { return drops; }
  void SetAcceptsDrops(bool on) override { drops = on; }
  void CloseProgram() override { ++closes; }

  TReaderSession session;
  TMailList list;
  int selectedRow = -1;
  std::vector<int> selectedRows;
  int refills = 0, busy = 0, commandUpdates = 0, fronts = 0, closes = 0;
  bool drops = true;
};

}  // namespace korrin::test
