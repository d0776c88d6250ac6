#include "explorer/downloads.h"

#include <sys/stat.h>

#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "engine/mail_list.h"
#include "engine/mail_tree.h"
#include "platform/launch.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "session/reader_session.h"
#include "installer_test_helpers.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {
// Records what would be opened instead of opening it.
struct TRecordingShell : Shell {
  TRecordingShell() { SetShell(this); }
  ~TRecordingShell() override { SetShell(nullptr); }
  int OpenDocument(const std::string& target, const std::string& folder) override {
    opened.push_back(target);
    folders.push_back(folder);
    return result;
  }
  int StartProgram(const std::string&, const std::vector<std::string>&, const std::string&) override { return 0; }
  std::vector<std::string> opened, folders;
  int result = kShellOk;
};

// Every file below a folder, relative to it.
std::set<std::string> Below(const std::string& folder) {
  std::set<std::string> out;
  for (auto& e : fs::recursive_directory_iterator(folder)) out.insert(e.path().lexically_relative(folder).string());
  return out;
}

// A session with a packet open whose files came with it: "readme.txt" stored
// under its own name, "nice.zip" stored as "FILE0001.ZIP", and "lost.txt"
// whose stored name "GONE.TXT" is not in the archive.
struct DownloadWorld {
  test::TRecordingPrompts prompts;
  TReaderSession session;
  std::unique_ptr<TDownloads> downloads;

  DownloadWorld() {
    EXPECT_TRUE(session.CreateWorkFolder(test::NewTempDir("work")));
    downloads = std::make_unique<TDownloads>(session.Zip(), session.Tree(), session.WorkFolder());
  }
  ~DownloadWorld() { session.RemoveWorkFolder(); }

  void Open() {
    std::string dir = test::NewTempDir("src");
    test::TPacketBuilder()
        .BBS("Demo Board", "DEMO")
        .Conference(1, "General")
        .Message(1, test::TPacketMessage().Subject("Hi").Body("Hello"))
        .ToReader({"FILE readme.txt", "FILE FILE0001.ZIP,nice.zip", "FILE GONE.TXT,lost.txt"})
        .File("readme.txt", "read me")
        .File("FILE0001.ZIP", "zip bytes")
        .WriteTo(dir);
    ASSERT_TRUE(session.OpenFile(test::ZipFolder(dir, test::NewTempDir("packets") + "DEMO.QWK")));
  }
};
}  // namespace

TEST(Downloads, NamesFromPacketsAndSubjects) {
  EXPECT_EQ(SafeFileName("  Re: who? *me*. a/b\\c  "), "Re who me ab" "c");
  EXPECT_EQ(SafeFileName(" :.?* "), "TsTemp");
  EXPECT_EQ(SafeFileName(""), "TsTemp");
  EXPECT_EQ(SafeFileName(std::string("a\0b\tc", 5)), "abc");
  EXPECT_EQ(MessageFileName("Re: v1.2"), "Re v12.txt");
  EXPECT_EQ(MessageFileName("..."), "TsTemp.txt");

  EXPECT_EQ(SafeLeafName("../../etc/passwd"), "passwd");
  EXPECT_EQ(SafeLeafName("C:\\DOS\\FILE.ZIP"), "FILE.ZIP");
  EXPECT_EQ(SafeLeafName("/abs/file"), "file");
  for (const char* bad : {"", ".", "..", "sub/..", "dir/", "*.*", "a?b", "a\nb"})
    EXPECT_FALSE(SafeLeafName(bad).has_value()) << bad;

  // One drag never gives two files one name.
  EXPECT_EQ(DistinctFileNames({"Hello.txt", "hello.TXT", "Other.txt", "Hello.txt", "Hello (2).txt"}),
            (std::vector<std::string>{"Hello.txt", "hello (2).TXT", "Other.txt", "Hello (3).txt", "Hello (2) (2).txt"}));
}

TEST(Downloads, MenuAndPopupStatesFollowTheFolderAndRow) {
  TDownloadContext c;
  EXPECT_FALSE(DownloadsMenuStates(c).has_value());  // no tree selection: nothing changes
  c.TreeSelection = true;
  auto none = DownloadsMenuStates(c);
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->Open || none->Extract || none->ExtractAll);  // a node without record

  c.FolderHasRecord = true;
  c.Kind = TFolderKind::fkDownloads;
  auto menu = *DownloadsMenuStates(c), popup = *DownloadsPopupStates(c);
  EXPECT_FALSE(menu.Open || menu.Extract);
  EXPECT_TRUE(menu.ExtractAll);     // always in the menu
  EXPECT_FALSE(popup.ExtractAll);   // the pop-up wants rows
  c.HasRows = c.RowSelected = true;
  popup = *DownloadsPopupStates(c);
  EXPECT_TRUE(popup.Open && popup.Extract && popup.ExtractAll);

  c.Kind = TFolderKind::fkNewFiles;
  popup = *DownloadsPopupStates(c);
  menu = *DownloadsMenuStates(c);
  EXPECT_TRUE(popup.Open && menu.Open);
  EXPECT_FALSE(popup.Extract || popup.ExtractAll || menu.Extract);
  EXPECT_TRUE(menu.ExtractAll);

  TConfRec rec;
  for (auto [kind, file] : {std::pair{TFolderKind::fkDownloads, true}, std::pair{TFolderKind::fkNewFiles, true},
                            std::pair{TFolderKind::fkOutBox, false}, std::pair{TFolderKind::fkConference, false}}) {
    rec.Kind = kind;
    EXPECT_EQ(UsesFilePopup(&rec), file);
  }
  EXPECT_FALSE(UsesFilePopup(nullptr));
}

TEST(Downloads, OpenExtractAndExtractAllWithTheReplaceQuestion) {
  DownloadWorld w;
  w.Open();
  TToReader& reader = w.session.ToReader();
  EXPECT_TRUE(DownloadsMenuVisible(true, reader));
  EXPECT_FALSE(DownloadsMenuVisible(false, reader));

  // The rows the Download Box lists.
  TMailList list;
  list.SetToReader(&reader);
  list.SetMailTree(&w.session.Tree());
  w.session.Tree().Select(w.session.Tree().DownloadBox());
  list.Refill();
  std::vector<TDownloadRow> rows;
  for (const auto& r : list.Rows()) rows.push_back(DownloadOfRow(r));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].Caption, "nice.zip");
  EXPECT_EQ(rows[1].StoredName, "FILE0001.ZIP");

  // Open: extracted apart from the unpacked packet, renamed, launched there.
  TRecordingShell shell;
  auto file = w.downloads->ExtractToWork(rows[1]);
  ASSERT_TRUE(file);
  EXPECT_EQ(ExtractFileName(*file), "nice.zip");
  EXPECT_EQ(test::ReadFile(*file), "zip bytes");
  EXPECT_NE(ExtractFilePath(*file), w.session.WorkFolder());
  EXPECT_TRUE(LaunchFile(*file, {}, ExtractFilePath(*file)));
  EXPECT_EQ(shell.opened, std::vector<std::string>{*file});

  // Extract one; then Extract All over it: Yes, No, Abort.
  const std::string target = test::NewTempDir("target");
  EXPECT_EQ(w.downloads->ExtractRow(rows[0], target, true, kRenamingFailure), TExtractResult::erDone);
  test::WriteFile(target + "readme.txt", "mine");
  test::WriteFile(target + "nice.zip", "mine too");
  std::vector<std::string> begun;
  w.downloads->OnRowBegins = [&](const std::string& c) { begun.push_back(c); };
  w.prompts.answers = {TBoxAnswer::baNo, TBoxAnswer::baYes};
  EXPECT_TRUE(w.downloads->ExtractAll(rows, target));
  EXPECT_EQ(begun, (std::vector<std::string>{"readme.txt", "nice.zip", "lost.txt"}));
  EXPECT_EQ(test::ReadFile(target + "readme.txt"), "mine");
  EXPECT_EQ(test::ReadFile(target + "nice.zip"), "zip bytes");
  EXPECT_EQ(w.prompts.Texts(),
            (std::vector<std::string>{ReplaceQuestion("readme.txt"), ReplaceQuestion("nice.zip"),
                                      "Could not rename GONE.TXT to lost.txt"}));
  EXPECT_EQ(w.prompts.boxes[0].buttons, TBoxButtons::bbYesNoAbort);
  EXPECT_EQ(Below(target), (std::set<std::string>{"readme.txt", "nice.zip"}));  // no staging folder left

  w.prompts.boxes.clear();
  begun.clear();
  w.prompts.answers = {TBoxAnswer::baAbort};
  EXPECT_FALSE(w.downloads->ExtractAll(rows, target));
  EXPECT_EQ(begun, std::vector<std::string>{"readme.txt"});  // the rest is not tried
  EXPECT_EQ(w.prompts.Texts(), std::vector<std::string>{ReplaceQuestion("readme.txt")});

  // A listed archive's entries join the file list without their folders.
  InstallListing(w.session.Zip(), reader);
  const size_t before = reader.FileList().size();
  w.session.Zip().SetZipFileName(w.session.Tree().PacketFile());
  w.session.Zip().SetFilesToProcess({"*.zip", "*.txt"});
  w.session.Zip().List();
  EXPECT_EQ(std::set<std::string>(reader.FileList().begin() + static_cast<long>(before), reader.FileList().end()),
            (std::set<std::string>{"file0001.zip", "readme.txt"}));

  // Open's and Extract's wording of the same failure.
  w.prompts.boxes.clear();
  EXPECT_FALSE(w.downloads->ExtractToWork(rows[2]));
  EXPECT_EQ(w.prompts.Texts(), std::vector<std::string>{"Could not renaming GONE.TXT to lost.txt"});
}

// Names in the packet and in the archive that reach for other folders write
// nothing outside the chosen folder; a link in the target is replaced, not
// written through.
TEST(Downloads, HostileNamesStayInTheChosenFolder) {
  DownloadWorld w;
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().Subject("Hi").Body("Hello"))
      .ToReader({"FILE ../../escape.txt", "FILE /tmp/abs.txt,../../named.txt", "FILE inner.txt,..", "FILE *,all.txt",
                 "FILE link.txt"})
      .WriteTo(dir);
  const std::string packet = test::NewTempDir("packets") + "DEMO.QWK";
  std::string entries;
  for (const char* name : {"control.dat", "messages.dat", "001.ndx", "toreader.ext"})
    entries += "z.write(" + test::Quote(dir + name) + ", " + test::Quote(name) + ")\n";
  entries += "z.writestr('../../escape.txt', 'up')\nz.writestr('/tmp/abs.txt', 'abs')\n"
             "z.writestr('deep/inner.txt', 'inner')\nz.writestr('link.txt', 'link data')\n";
  test::MakeZip(packet, entries);
  ASSERT_TRUE(w.session.OpenFile(packet));

  const std::string base = test::NewTempDir("base");
  const std::string target = base + "target/";
  fs::create_directories(target);
  const std::string victim = test::WriteFile(base + "victim.txt", "keep");
  fs::create_symlink(victim, target + "link.txt");
  std::vector<TDownloadRow> rows = {{"escape.txt", ""},        {"../../named.txt", "/tmp/abs.txt"},
                                    {"..", "inner.txt"},        {"all.txt", "*"},
                                    {"link.txt", ""},           {"../../escape.txt", ""},
                                    {"flat.txt", "inner.txt"}};
  w.prompts.answers.assign(10, TBoxAnswer::baYes);
  EXPECT_TRUE(w.downloads->ExtractAll(rows, target));
  EXPECT_EQ(test::ReadFile(victim), "keep");
  EXPECT_EQ(Below(base), (std::set<std::string>{"target", "target/link.txt", "target/flat.txt", "victim.txt"}));
  EXPECT_EQ(test::ReadFile(target + "flat.txt"), "inner");
  EXPECT_FALSE(fs::is_symlink(target + "link.txt"));
  EXPECT_EQ(test::ReadFile(target + "link.txt"), "link data");
  EXPECT_FALSE(fs::exists("/tmp/abs.txt") && test::ReadFile("/tmp/abs.txt") == "abs");
  // The archive refused the unsafe entries; the names with no file in them were refused here.
  std::vector<std::string> texts = w.prompts.Texts(TBoxKind::bkError);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "The name \"..\" in the packet is no file name; nothing was written."),
            texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "The name \"*\" in the packet is no file name; nothing was written."),
            texts.end());
}

TEST(Downloads, LaunchingAsksBeforeAnythingThatCanRun) {
  test::TRecordingPrompts prompts;
  TRecordingShell shell;
  const std::string dir = test::NewTempDir("launch");
  const std::string doc = test::WriteFile(dir + "notes.txt", "text");
  const std::string script = test::WriteFile(dir + "notes2.txt", "#!/bin/sh\necho hi\n");
  const std::string elf = test::WriteFile(dir + "tool", std::string("\x7f" "ELF\x02\x01", 6));
  const std::string entry = test::WriteFile(dir + "start.desktop", "[Desktop Entry]\nExec=rm -rf ~\n");
  const std::string marked = test::WriteFile(dir + "plain.dat", "data");
  ::chmod(marked.c_str(), 0755);
  EXPECT_EQ(ClassifyLaunch(doc), TLaunchRisk::lrDocument);
  EXPECT_EQ(ClassifyLaunch(script), TLaunchRisk::lrScript);
  EXPECT_EQ(ClassifyLaunch(elf), TLaunchRisk::lrExecutable);
  EXPECT_EQ(ClassifyLaunch(entry), TLaunchRisk::lrDesktopEntry);
  EXPECT_EQ(ClassifyLaunch(marked), TLaunchRisk::lrExecutableBit);
  EXPECT_EQ(ClassifyLaunch(test::WriteFile(dir + "SETUP.EXE", "")), TLaunchRisk::lrExecutable);
  EXPECT_EQ(ClassifyLaunch(test::WriteFile(dir + "run.SH", "")), TLaunchRisk::lrScript);

  EXPECT_TRUE(LaunchFile(doc, {}, dir));
  EXPECT_TRUE(prompts.boxes.empty());
  prompts.answers = {TBoxAnswer::baNo, TBoxAnswer::baNo, TBoxAnswer::baNo, TBoxAnswer::baNo, TBoxAnswer::baYes};
  for (const auto& f : {script, elf, entry, marked}) EXPECT_FALSE(LaunchFile(f, {}, dir));
  EXPECT_EQ(shell.opened, std::vector<std::string>{doc});
  EXPECT_TRUE(LaunchFile(script, {}, dir));
  EXPECT_EQ(shell.opened.back(), script);
  ASSERT_EQ(prompts.boxes.size(), 5u);
  EXPECT_EQ(prompts.boxes[0].text, LaunchQuestion(script, TLaunchRisk::lrScript));
  EXPECT_NE(prompts.boxes[0].text.find("\"notes2.txt\""), std::string::npos);
  EXPECT_EQ(prompts.boxes[0].buttons, TBoxButtons::bbYesNo);

  // Failures: the shell's codes and what is wrong before it is asked.
  prompts.boxes.clear();
  EXPECT_FALSE(LaunchFile(dir + "missing.txt", {}, dir));
  EXPECT_FALSE(LaunchFile(doc, {}, dir + "nofolder"));
  shell.result = kShellNoAssociation;
  EXPECT_FALSE(LaunchFile(doc, {}, dir));
  shell.result = 11;
  EXPECT_FALSE(LaunchFile(doc, {}, dir));
  EXPECT_EQ(prompts.Texts(TBoxKind::bkError),
            (std::vector<std::string>{"File was not found.", "Path was not found.",
                                      "An error occured while trying to execute the application.",
                                      "Executable file was invalid. Either it was not a Windows application or there "
                                      "was an error in the .EXE image."}));
}
