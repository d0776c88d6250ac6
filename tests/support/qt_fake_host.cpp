#include "support/qt_fake_host.h"

#include "platform/version.h"

namespace korrin::test {

TFakeHost::TFakeHost() {
  session_.CreateWorkFolder();
  // Not a first run: the first-run box belongs to the main window's tests.
  if (session_.Registry().OpenKey(kProgramKey, true)) session_.Registry().WriteString("Current Version", kVersionText);
  session_.LoadConfiguration();
  list_.SetMailTree(&session_.Tree());
  list_.SetToReader(&session_.ToReader());
  session_.Tree().OnChange = [this] { list_.Refill(); };
  session_.Lifecycle().RefillList = [this] { list_.Refill(); };
}

TFakeHost::~TFakeHost() {
  session_.Tree().OnChange = nullptr;
  session_.Lifecycle().RefillList = nullptr;
  session_.RemoveWorkFolder();
}

bool TFakeHost::Open(const std::string& path) {
  if (!session_.OpenFile(path)) return false;
  session_.Tree().NextConference(0);
  row_ = list_.Rows().empty() ? -1 : 0;
  return true;
}

void TFakeHost::OpenRow(int row) {
  calls.push_back("open " + std::to_string(row));
  list_.DoubleClick(row);
}

void TFakeHost::RefillList() {
  ++refills;
  list_.Refill();
}

}  // namespace korrin::test
