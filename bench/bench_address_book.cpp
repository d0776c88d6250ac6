// The address book at 5,000 contacts and 200 groups: filling the address
// book window's list, expanding a 500-member group, and importing a file of
// 5,000 vCards into an empty book. Plain timings, best of a few runs.

#include <QApplication>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "addressbook/address_book.h"
#include "addressbook/qt/address_book_form.h"
#include "addressbook/vcard.h"
#include "engine/mail_list.h"
#include "platform/registry.h"
#include "session/main_host.h"
#include "session/reader_session.h"

using namespace korrin;
using Clock = std::chrono::steady_clock;

namespace {
// Just enough of a main window for the address book window.
class TBenchHost : public TMainHost {
public:
  TReaderSession& Session() override { return session_; }
  TMailList& MailList() override { return list_; }
  int SelectedRow() const override { return -1; }
  void SelectRow(int) override {}
  void OpenRow(int) override {}
  void RefillList() override {}
  bool Busy() const override { return false; }
  void SetBusy(bool) override {}
  void UpdateCommandStates() override {}
  void NewMessage() override {}
  void NewMessageTo(const std::string&, const std::string&) override {}
  bool MessageWindowOpen(TMessageWindow) const override { return false; }
  void BringMessageWindowForward(TMessageWindow) override {}
  void ReplyMessage() override {}
  void ForwardMessage() override {}
  void ShowOptions(int) override {}
  void ShowPropertiesOnLastPage() override {}
  void BringMainToFront() override {}
  bool AcceptsDrops() const override { return false; }
  void SetAcceptsDrops(bool) override {}
  void CloseProgram() override {}

private:
  TReaderSession session_;
  TMailList list_;
};

double Best(int runs, const std::function<void()>& f) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    auto t0 = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

std::string Key(char kind, int n) {
  // Sixteen characters of the entry-key form, unique per number.
  std::string key = std::string(1, kind) + "0";
  for (int i = 0; i < 7; ++i) {
    key.push_back(static_cast<char>('a' + n % 25));
    key.push_back(static_cast<char>('0' + (n / 25) % 9));
    n /= 3;
  }
  return key;
}

ContactRecord Contact(int i) {
  ContactRecord c;
  c.FirstName = "First" + std::to_string(i);
  c.LastName = "Last" + std::to_string(i);
  c.DefaultEmail = "person" + std::to_string(i) + "@example.org";
  c.Emails = {c.DefaultEmail, "other" + std::to_string(i) + "@example.net"};
  c.PerPhone = "555-" + std::to_string(1000 + i);
  c.PerCity = "Town";
  c.Notes = {"A note line", "Another one"};
  return c;
}
}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const std::string root =
      std::filesystem::temp_directory_path().string() + "/korrin-bench-book-" + std::to_string(::getpid()) + "/";
  std::filesystem::create_directories(root + "home");
  ::setenv("KORRIN_HOME", (root + "home").c_str(), 1);
  ::setenv("KORRIN_REGISTRY", (root + "registry.db").c_str(), 1);
  QApplication app(argc, argv);

  std::vector<std::string> contacts;
  {
    TRegistry reg;
    TAddressBookStore book(reg);
    TRegistryUpdate update(reg);
    for (int i = 0; i < 5000; ++i) {
      contacts.push_back(Key('c', i));
      book.WriteContact(contacts.back(), Contact(i));
    }
    for (int g = 0; g < 200; ++g) {
      GroupRecord group{"Group " + std::to_string(g), {}, {"notes"}};
      const int size = g == 0 ? 500 : 25;
      for (int m = 0; m < size; ++m) group.Members.push_back(contacts[static_cast<size_t>((g * 97 + m * 7) % 5000)]);
      book.WriteGroup(Key('g', g), group);
    }
  }

  {
    TBenchHost host;
    {
      TAddressBookStore book(host.Session().Registry());
      size_t n = 0;
      const double rows = Best(5, [&] { n = book.BuildEntryList().size(); });
      std::printf("entry rows read from the store, %zu rows: %.3f s\n", n, rows);
    }
    TAdressBook* window = ShowAddressBook(host);
    const double fill = Best(5, [&] { window->RebuildList(); });
    std::printf("address book window list fill, %zu rows: %.3f s (target 0.3 s)\n", window->Rows().size(), fill);
    delete window;

    TAddressBookStore book(host.Session().Registry());
    size_t n = 0;
    const double names = Best(5, [&] { n = book.ExpandGroup(Key('g', 0), false).size(); });
    const double mails = Best(5, [&] { n = book.ExpandGroup(Key('g', 0), true).size(); });
    std::printf("ExpandGroup of %zu members: names %.1f ms, addresses %.1f ms (target 50 ms)\n", n, names * 1000,
                mails * 1000);

    std::string file;
    for (int i = 0; i < 5000; ++i) file += WriteVCard(TVCard{"", false, Contact(i + 10000), "", {}, {}});
    double import = 1e9;
    for (int run = 0; run < 3; ++run) {
      TRegistry fresh(root + "import" + std::to_string(run) + ".db");
      TAddressBookStore empty(fresh);
      TImportResult r;
      import = std::min(import, Best(1, [&] { r = ImportVCards(empty, fresh, file, {}); }));
      if (r.Added != 5000) std::printf("import added %d\n", r.Added);
    }
    std::printf("import of 5,000 cards (%.1f MB) into an empty book: %.3f s (target 2 s)\n",
                static_cast<double>(file.size()) / 1e6, import);
  }
  std::filesystem::remove_all(root);
  return 0;
}
