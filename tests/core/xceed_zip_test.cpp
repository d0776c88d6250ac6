// The archive component and its plugins, checked against the system's zip
// and unzip programs and against archives crafted to do harm.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>

#include <gtest/gtest.h>

#include "archive/xceed_zip.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {

// Runs a shell command; returns its standard output and sets `status`.
std::string Shell(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int rc = ::pclose(p);
  if (status != nullptr) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs a Python script (with `out` bound to the given path) that writes an archive.
void Python(const std::string& script, const std::string& out) {
  std::string file = test::WriteFile(test::TestRoot() + "make.py", "import sys\nout = sys.argv[1]\n" + script);
  int status = 0;
  std::string log = Shell("python3 " + Quote(file) + " " + Quote(out), &status);
  ASSERT_EQ(status, 0) << log;
}

// Text-like bytes: words from a small vocabulary, deterministic.
std::string Words(size_t size, unsigned seed) {
  static const char* kWords[] = {"the ", "mail ", "packet ", "reader ", "door ", "message ", "reply ", "sysop ",
                                 "conference ", "\r\n", "QWK ", "board "};
  std::string s;
  unsigned x = seed * 2654435761u + 1;
  while (s.size() < size) {
    x = x * 1103515245u + 12345u;
    s += kWords[(x >> 16) % 12];
  }
  s.resize(size);
  return s;
}

std::set<std::string> FilesBelow(const std::string& dir) {
  std::set<std::string> out;
  for (auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_symlink() || !e.is_directory()) out.insert(e.path().lexically_relative(dir).string());
  return out;
}

class XceedZipTest : public ::testing::Test {
protected:
  void SetUp() override { xz.SetPluginFolder(test::BinDir()); }

  int ExtractTo(const std::string& archive, const std::string& dir, std::vector<std::string> files = {}) {
    xz.SetZipFileName(archive);
    xz.SetExtractDirectory(dir);
    xz.SetFilesToProcess(std::move(files));
    return xz.Extract();
  }

  std::vector<TXcdFileStats> ListAll(const std::string& archive, std::vector<std::string> files = {}) {
    std::vector<TXcdFileStats> listed;
    xz.SetOnListing([&](const TXcdFileStats& s) { listed.push_back(s); });
    xz.SetZipFileName(archive);
    xz.SetFilesToProcess(std::move(files));
    lastList = xz.List();
    return listed;
  }

  TXceedZip xz;
  int lastList = 0;
};

}  // namespace

TEST_F(XceedZipTest, ArgumentVectorsAndDefaults) {
  TXceedZip z;
  EXPECT_EQ(z.Compression(), 6);
  EXPECT_EQ(z.Overwrite(), TXcdOverwrite::xowAsk);
  EXPECT_TRUE(z.UsePaths());
  EXPECT_TRUE(z.UseTempFile());
  EXPECT_EQ(z.StoredExtensions(), ".ZIP;.LZH;.ARC;.ARJ;.ZOO");
  z.SetZipFileName("/p/ABC.REP");
  z.SetFilesToProcess({"a.msg", ">*.msg", "<x.msg", "todoor.ext"});
  using V = std::vector<std::string>;
  EXPECT_EQ(z.CompressArguments(0), (V{"", "-6", "-n", ".ZIP;.LZH;.ARC;.ARJ;.ZOO", "-t", "010180", "/p/ABC.REP",
                                       "a.msg", "todoor.ext", "-i", "*.msg", "-x", "x.msg"}));

  // The reader's settings, and every switch at once.
  z.SetUsePaths(false);
  z.SetUseTempFile(false);
  z.SetOverwrite(TXcdOverwrite::xowAlways);
  EXPECT_EQ(z.ExtractArguments(0), (V{"", "-j", "-o", "/p/ABC.REP", "a.msg", "todoor.ext"}));
  z.SetPassword("pw");
  z.SetMoveFiles(true);
  z.SetIncludeHiddenFiles(true);
  z.SetIncludeDirectoryEntries(true);
  z.SetIncludeVolumeLabel(true);
  z.SetRecurse(true);
  z.SetTempPath("/t");
  z.SetMultidiskMode(true);
  z.SetClearDisks(true);
  z.SetCompression(12);
  z.SetExtractDirectory("/x");
  z.SetOverwrite(TXcdOverwrite::xowNever);
  EXPECT_EQ(z.CompressArguments(0),
            (V{"pw", "-e", "-9", "-m", "-S", "-$", "-r", "-j", "-g", "-b", "/t", "-n", ".ZIP;.LZH;.ARC;.ARJ;.ZOO",
               "-!", "-&", "-t", "010180", "/p/ABC.REP", "a.msg", "todoor.ext", "-i", "*.msg", "-x", "x.msg"}));
  z.SetUsePaths(true);
  EXPECT_EQ(z.CompressArguments(1), (V{"pw", "-f", "-e", "-9", "-m", "-r", "-g", "-b", "/t", "-n",
                                       ".ZIP;.LZH;.ARC;.ARJ;.ZOO", "-!", "-&", "-t", "010180", "/p/ABC.REP", "a.msg",
                                       "todoor.ext", "-i", "*.msg", "-x", "x.msg"}));
  EXPECT_EQ(z.ExtractArguments(2), (V{"pw", "-u", "-!", "-n", "/p/ABC.REP", "a.msg", "todoor.ext", "-d", "/x"}));
  EXPECT_EQ(z.ListArguments(), (V{"pw", "-v", "/p/ABC.REP", "a.msg", "todoor.ext"}));

  // Include and exclude patterns go only with at least one plain entry.
  z.SetFilesToProcess({">*.msg", "<x"});
  EXPECT_EQ(z.CompressArguments(2).back(), "/p/ABC.REP");

  // Freshen and update in multi-disk mode are refused without a call; the list is emptied.
  z.SetPluginFolder("/nonexistent");
  z.SetFilesToProcess({"a"});
  EXPECT_EQ(z.Compress(1), TXceedZip::xcdMultidiskUpdate);
  EXPECT_TRUE(z.FilesToProcess().empty());
  z.SetFilesToProcess({"a"});
  EXPECT_EQ(z.Extract(2), 130);
  EXPECT_EQ(z.Compress(0), 240);
}

TEST_F(XceedZipTest, MissingPluginGives240) {
  std::string folder = test::NewTempDir("plugins");
  fs::copy_file(test::BinDir() + XCD_ZIP_LIBRARY, folder + XCD_ZIP_LIBRARY);
  fs::copy_file(test::BinDir() + XCD_UNZIP_LIBRARY, folder + XCD_UNZIP_LIBRARY);
  fs::remove(folder + XCD_UNZIP_LIBRARY);
  std::string src = test::WriteFile(test::NewTempDir("src") + "a.txt", "hello");
  std::string archive = test::TestRoot() + "a.zip";

  TXceedZip z;
  z.SetPluginFolder(folder);
  z.SetZipFileName(archive);
  z.SetFilesToProcess({src});
  EXPECT_EQ(z.Compress(), 0);
  z.SetFilesToProcess({"*.*"});
  EXPECT_EQ(z.Extract(), 240);
  EXPECT_TRUE(z.FilesToProcess().empty());
  EXPECT_EQ(z.List(), 240);
  // The environment variable points at the folder when the property is empty.
  ::setenv("KORRIN_PLUGIN_DIR", test::BinDir().c_str(), 1);
  TXceedZip viaEnv;
  viaEnv.SetZipFileName(archive);
  viaEnv.SetExtractDirectory(test::NewTempDir("out"));
  EXPECT_EQ(viaEnv.Extract(), 0);
  ::unsetenv("KORRIN_PLUGIN_DIR");
}

TEST_F(XceedZipTest, ReplyPacketReadByUnzipAndBack) {
  std::string work = test::NewTempDir("work");
  std::string msg = test::WriteFile(work + "BBSID.MSG", Words(300000, 1));
  std::string door = test::WriteFile(work + "todoor.ext", "AREA 1 D\r\n");
  std::string stored = test::WriteFile(work + "inner.zip", Words(5000, 2));
  std::string rep = test::TestRoot() + "BBSID.REP";

  std::vector<std::string> added;
  std::map<std::string, int> lastPercent;
  xz.SetOnAdding([&](const TXcdFileStats& s) { added.push_back(s.FileName); });
  xz.SetOnStatus([&](const TXcdFileStats& s) { lastPercent[s.FileName] = s.Percent; });
  xz.SetUsePaths(false);
  xz.SetUseTempFile(false);
  xz.SetZipFileName(rep);
  xz.SetFilesToProcess({msg, door, stored});
  ASSERT_EQ(xz.Compress(0), 0);
  EXPECT_TRUE(xz.FilesToProcess().empty());
  EXPECT_EQ(added, (std::vector<std::string>{"bbsid.msg", "todoor.ext", "inner.zip"}));
  EXPECT_EQ(lastPercent["bbsid.msg"], 100);

  int status = 0;
  std::string listing = Shell("unzip -v " + Quote(rep), &status);
  ASSERT_EQ(status, 0) << listing;
  EXPECT_NE(listing.find("Defl:N"), std::string::npos) << listing;
  EXPECT_NE(listing.find("Stored"), std::string::npos) << listing;  // ".ZIP" is stored
  EXPECT_NE(listing.find("BBSID.MSG"), std::string::npos);
  EXPECT_EQ(Shell("unzip -p " + Quote(rep) + " BBSID.MSG"), test::ReadFile(msg));
  EXPECT_EQ(Shell("unzip -tq " + Quote(rep), &status).find("No errors"), 0u);

  std::string out = test::NewTempDir("out");
  std::vector<std::string> extracting;
  xz.SetOnExtracting([&](const TXcdFileStats& s) { extracting.push_back(s.FileName); });
  xz.SetOverwrite(TXcdOverwrite::xowAlways);
  EXPECT_EQ(ExtractTo(rep, out, {"*.msg"}), 0);
  EXPECT_EQ(extracting, std::vector<std::string>{"bbsid.msg"});
  EXPECT_EQ(test::ReadFile(out + "BBSID.MSG"), test::ReadFile(msg));
  EXPECT_EQ(ExtractTo(rep, out, {"*.ndx"}), TXceedZip::xcdNothingToDo);
  EXPECT_EQ(ExtractTo(test::TestRoot() + "missing.rep", out), TXceedZip::xcdNotFound);
}

TEST_F(XceedZipTest, ArchivesMadeByZip) {
  std::string src = test::NewTempDir("src");
  test::WriteFile(src + "CONTROL.DAT", "BBS\r\n");
  test::WriteFile(src + "MESSAGES.DAT", Words(100000, 3));
  test::WriteFile(src + "FILES/NEWFILES.DAT", Words(2000, 4));
  test::WriteFile(src + "FILES/DEEP/Readme.Txt", "");
  std::string archive = test::TestRoot() + "PACKET.QWK";
  int status = 0;
  std::string log = Shell("cd " + Quote(src) + " && zip -q -r " + Quote(archive) + " . && zip -q -0 " +
                              Quote(archive) + " CONTROL.DAT",
                          &status);
  ASSERT_EQ(status, 0) << log;

  // With paths: the folders come back as stored.
  std::string out = test::NewTempDir("paths");
  EXPECT_EQ(ExtractTo(archive, out), 0);
  EXPECT_EQ(FilesBelow(out), (std::set<std::string>{"CONTROL.DAT", "MESSAGES.DAT", "FILES/NEWFILES.DAT",
                                                     "FILES/DEEP/Readme.Txt"}));
  EXPECT_EQ(test::ReadFile(out + "MESSAGES.DAT"), test::ReadFile(src + "MESSAGES.DAT"));

  // Without paths, patterns matched without regard to case.
  xz.SetUsePaths(false);
  std::string flat = test::NewTempDir("flat");
  EXPECT_EQ(ExtractTo(archive, flat, {"*.dat"}), 0);
  EXPECT_EQ(FilesBelow(flat), (std::set<std::string>{"CONTROL.DAT", "MESSAGES.DAT", "NEWFILES.DAT"}));
  EXPECT_EQ(test::ReadFile(flat + "NEWFILES.DAT"), test::ReadFile(src + "FILES/NEWFILES.DAT"));

  // Listing: files only, lower-case names, sizes.
  std::vector<TXcdFileStats> listed = ListAll(archive, {"*.*"});
  EXPECT_EQ(lastList, 0);
  std::map<std::string, TXcdFileStats> byName;
  for (auto& s : listed) byName[s.FileName] = s;
  ASSERT_EQ(byName.size(), 4u);
  EXPECT_EQ(byName["messages.dat"].Size, 100000);
  EXPECT_GT(byName["messages.dat"].CompressedSize, 0);
  EXPECT_LT(byName["messages.dat"].CompressedSize, 100000);
  EXPECT_EQ(byName["control.dat"].Size, 5);
  EXPECT_TRUE(byName.count("files/deep/readme.txt"));
  EXPECT_EQ(ListAll(archive, {"attached.lst"}).size(), 0u);
  EXPECT_EQ(lastList, TXceedZip::xcdNothingToDo);
}

TEST_F(XceedZipTest, OverwriteModes) {
  std::string src = test::NewTempDir("src");
  test::WriteFile(src + "a.txt", "new a");
  test::WriteFile(src + "b.txt", "new b");
  std::string archive = test::TestRoot() + "x.zip";
  xz.SetZipFileName(archive);
  xz.SetUsePaths(false);
  xz.SetFilesToProcess({src + "*.txt"});
  ASSERT_EQ(xz.Compress(), 0);

  std::string out = test::NewTempDir("out");
  auto reset = [&] {
    test::WriteFile(out + "a.txt", "old a");
    test::WriteFile(out + "B.TXT", "old b");  // found whatever its case
  };
  reset();
  xz.SetOverwrite(TXcdOverwrite::xowNever);
  EXPECT_EQ(ExtractTo(archive, out), 0);
  EXPECT_EQ(test::ReadFile(out + "a.txt"), "old a");

  // Ask: no for a, yes for b.
  std::vector<std::string> asked;
  xz.SetOnReplace([&](const TXcdFileStats& s, bool& replace) {
    asked.push_back(s.FileName);
    replace = s.FileName == "b.txt";
  });
  xz.SetOverwrite(TXcdOverwrite::xowAsk);
  EXPECT_EQ(ExtractTo(archive, out), 0);
  EXPECT_EQ(asked, (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(test::ReadFile(out + "a.txt"), "old a");
  EXPECT_EQ(test::ReadFile(out + "B.TXT"), "new b");
  EXPECT_FALSE(fs::exists(out + "b.txt"));

  // Abort from the question stops everything.
  reset();
  xz.SetOnReplace([&](const TXcdFileStats&, bool&) { xz.Abort(); });
  EXPECT_EQ(ExtractTo(archive, out), TXceedZip::xcdAborted);
  EXPECT_EQ(test::ReadFile(out + "B.TXT"), "old b");
  EXPECT_EQ(FilesBelow(out).size(), 2u);  // no temporary file left

  xz.SetOverwrite(TXcdOverwrite::xowAlways);
  EXPECT_EQ(ExtractTo(archive, out), 0);
  EXPECT_FALSE(xz.Aborted());
  EXPECT_EQ(test::ReadFile(out + "a.txt"), "new a");

  // Freshen extracts only files that exist and are older; update also new ones.
  fs::remove(out + "a.txt");
  test::WriteFile(out + "B.TXT", "old b");
  fs::last_write_time(out + "B.TXT", fs::file_time_type::clock::now() - std::chrono::hours(500));
  xz.SetZipFileName(archive);
  xz.SetExtractDirectory(out);
  EXPECT_EQ(xz.Extract(1), 0);
  EXPECT_FALSE(fs::exists(out + "a.txt"));
  EXPECT_EQ(test::ReadFile(out + "B.TXT"), "new b");
  xz.SetZipFileName(archive);
  xz.SetExtractDirectory(out);
  EXPECT_EQ(xz.Extract(2), 0);
  EXPECT_TRUE(fs::exists(out + "a.txt"));
  test::WriteFile(out + "B.TXT", "newer b");  // now newer than the entry
  xz.SetZipFileName(archive);
  xz.SetExtractDirectory(out);
  EXPECT_EQ(xz.Extract(2), 0);
  EXPECT_EQ(test::ReadFile(out + "B.TXT"), "newer b");
}

TEST_F(XceedZipTest, CompressModesAndSwitches) {
  std::string src = test::NewTempDir("src");
  test::WriteFile(src + "one.txt", "1");
  test::WriteFile(src + "two.txt", "2");
  test::WriteFile(src + ".hidden", "h");
  test::WriteFile(src + "sub/three.txt", "3");
  test::WriteFile(src + "sub/four.lzh", "4");
  std::string archive = test::TestRoot() + "m.zip";
  auto names = [&] {
    std::set<std::string> out;
    for (auto& s : ListAll(archive)) out.insert(s.FileName);
    return out;
  };
  xz.SetZipFileName(archive);
  xz.SetFilesToProcess({src + "*"});
  xz.SetUsePaths(false);
  ASSERT_EQ(xz.Compress(), 0);
  EXPECT_EQ(names(), (std::set<std::string>{"one.txt", "two.txt"}));  // no hidden file, no recursion

  // Add keeps what the archive holds; recursion, hidden files, include and exclude patterns.
  xz.SetRecurse(true);
  xz.SetIncludeHiddenFiles(true);
  xz.SetZipFileName(archive);
  xz.SetFilesToProcess({src + "*", ">*.txt", "<two*"});
  ASSERT_EQ(xz.Compress(), 0);
  EXPECT_EQ(names(), (std::set<std::string>{"one.txt", "two.txt", "three.txt"}));
  xz.SetZipFileName(archive);
  xz.SetFilesToProcess({src + ".hidden", src + "sub/four.lzh"});
  ASSERT_EQ(xz.Compress(), 0);
  EXPECT_NE(Shell("unzip -v " + Quote(archive) + " four.lzh").find("Stored"), std::string::npos);

  // Freshen replaces only entries whose file is newer; update adds new files too.
  test::WriteFile(src + "one.txt", "1 changed");
  fs::last_write_time(src + "one.txt", fs::file_time_type::clock::now() + std::chrono::hours(1));
  test::WriteFile(src + "five.txt", "5");
  std::vector<std::string> updating;
  xz.SetOnUpdating([&](const TXcdFileStats& s) { updating.push_back(s.FileName); });
  xz.SetZipFileName(archive);
  xz.SetFilesToProcess({src + "one.txt", src + "two.txt", src + "five.txt"});
  EXPECT_EQ(xz.Compress(1), 0);
  EXPECT_EQ(updating, std::vector<std::string>{"one.txt"});
  EXPECT_EQ(Shell("unzip -p " + Quote(archive) + " one.txt"), "1 changed");
  EXPECT_FALSE(names().count("five.txt"));
  xz.SetZipFileName(archive);
  xz.SetFilesToProcess({src + "one.txt", src + "five.txt"});
  EXPECT_EQ(xz.Compress(2), 0);
  EXPECT_TRUE(names().count("five.txt"));
  xz.SetZipFileName(archive);
  xz.SetFilesToProcess({src + "one.txt"});
  EXPECT_EQ(xz.Compress(2), TXceedZip::xcdNothingToDo);  // nothing newer
  xz.SetZipFileName(test::TestRoot() + "none.zip");
  xz.SetFilesToProcess({src + "one.txt"});
  EXPECT_EQ(xz.Compress(1), TXceedZip::xcdNotFound);

  // Two files that get one name once the folders are dropped.
  test::WriteFile(src + "sub/one.txt", "other");
  xz.SetZipFileName(test::TestRoot() + "dup.zip");
  xz.SetFilesToProcess({src + "one.txt", src + "sub/one.txt"});
  EXPECT_EQ(xz.Compress(), TXceedZip::xcdRepeatedNames);
  EXPECT_FALSE(fs::exists(test::TestRoot() + "dup.zip"));

  // With paths and folder entries; a missing named file is skipped.
  std::string tree = test::TestRoot() + "tree.zip";
  xz.SetUsePaths(true);
  xz.SetIncludeDirectoryEntries(true);
  xz.SetIncludeHiddenFiles(false);
  fs::path cwd = fs::current_path();
  fs::current_path(src);
  xz.SetZipFileName(tree);
  xz.SetFilesToProcess({"sub", "missing.txt"});
  EXPECT_EQ(xz.Compress(), TXceedZip::xcdSkipped);
  fs::current_path(cwd);
  std::string zipinfo = Shell("unzip -Z1 " + Quote(tree));
  EXPECT_EQ(zipinfo, "sub/\nsub/four.lzh\nsub/one.txt\nsub/three.txt\n");

  // Move deletes the originals once the archive is written.
  std::vector<std::string> deleted;
  xz.SetOnDeleting([&](const TXcdFileStats& s) { deleted.push_back(s.FileName); });
  xz.SetMoveFiles(true);
  xz.SetIncludeDirectoryEntries(false);
  xz.SetZipFileName(test::TestRoot() + "moved.zip");
  xz.SetFilesToProcess({src + "two.txt"});
  EXPECT_EQ(xz.Compress(), 0);
  EXPECT_FALSE(fs::exists(src + "two.txt"));
  EXPECT_EQ(deleted.size(), 1u);
  for (auto& f : FilesBelow(test::TestRoot())) EXPECT_EQ(f.find(".xcd"), std::string::npos) << f;
}

TEST_F(XceedZipTest, Passwords) {
  std::string src = test::WriteFile(test::NewTempDir("src") + "secret.txt", Words(20000, 5));
  std::string archive = test::TestRoot() + "p.zip";
  xz.SetUsePaths(false);
  xz.SetPassword("open sesame");
  xz.SetZipFileName(archive);
  xz.SetFilesToProcess({src});
  ASSERT_EQ(xz.Compress(), 0);
  EXPECT_EQ(Shell("unzip -P 'open sesame' -p " + Quote(archive)), test::ReadFile(src));
  int status = 0;
  Shell("unzip -P wrong -p " + Quote(archive), &status);
  EXPECT_NE(status, 0);

  std::string out = test::NewTempDir("out");
  xz.SetOverwrite(TXcdOverwrite::xowAlways);
  EXPECT_EQ(ExtractTo(archive, out), 0);
  EXPECT_EQ(test::ReadFile(out + "secret.txt"), test::ReadFile(src));

  // Without a password the component asks; a wrong answer skips the file.
  xz.SetPassword("");
  int asked = 0;
  xz.SetOnPwdQuery([&](const TXcdFileStats& s, std::string& pw) {
    ++asked;
    EXPECT_EQ(s.FileName, "secret.txt");
    pw = "nope";
  });
  fs::remove(out + "secret.txt");
  EXPECT_EQ(ExtractTo(archive, out), TXceedZip::xcdSkipped);
  EXPECT_GE(asked, 1);
  EXPECT_FALSE(fs::exists(out + "secret.txt"));
  xz.SetOnPwdQuery([&](const TXcdFileStats&, std::string& pw) { pw = "open sesame"; });
  EXPECT_EQ(ExtractTo(archive, out), 0);
  EXPECT_EQ(test::ReadFile(out + "secret.txt"), test::ReadFile(src));
}

TEST_F(XceedZipTest, UnsafeEntriesNeverLeaveTheFolder) {
  std::string archive = test::TestRoot() + "evil.zip";
  Python(R"(
import zipfile, stat
z = zipfile.ZipFile(out, 'w')
for n in ['../escaped.txt', '/abs.txt', 'C:/drive.txt', 'a/../../up.txt', 'ok/fine.txt', 'sub/inside.txt',
          'Xrger.txt', '\u65e5\u672c.txt']:
    z.writestr(n, 'some data')
link = zipfile.ZipInfo('link')
link.external_attr = (stat.S_IFLNK | 0o777) << 16
z.writestr(link, '/etc/passwd')
z.close()
# A name in code page 437 without the UTF-8 flag, as old packers wrote them.
data = open(out, 'rb').read().replace(b'Xrger', b'\x8erger')
open(out, 'wb').write(data)
)",
         archive);
  std::string base = test::NewTempDir("base");
  std::string out = base + "out/";
  std::string elsewhere = test::NewTempDir("elsewhere");
  fs::create_directories(out);
  fs::create_symlink(elsewhere, out + "sub");  // a link already on disk is not followed

  std::vector<int> reasons;
  xz.SetOnSkippingFile([&](const TXcdFileStats& s) { reasons.push_back(s.SkipReason); });
  xz.SetOverwrite(TXcdOverwrite::xowAlways);
  EXPECT_EQ(ExtractTo(archive, out), TXceedZip::xcdSkipped);
  EXPECT_EQ(FilesBelow(base), (std::set<std::string>{"out/ok/fine.txt", "out/sub", "out/\u00c4rger.txt",
                                                      "out/\u65e5\u672c.txt"}));
  EXPECT_TRUE(fs::is_empty(elsewhere));
  EXPECT_EQ(reasons.size(), 6u);
  EXPECT_FALSE(fs::exists(test::TestRoot() + "escaped.txt"));
  EXPECT_FALSE(fs::exists("/abs.txt"));

  // Without paths the safe names still land in the folder, the unsafe ones still not.
  xz.SetUsePaths(false);
  std::string flat = test::NewTempDir("flat");
  EXPECT_EQ(ExtractTo(archive, flat), TXceedZip::xcdSkipped);
  EXPECT_EQ(FilesBelow(flat), (std::set<std::string>{"fine.txt", "inside.txt", "\u00c4rger.txt",
                                                      "\u65e5\u672c.txt"}));

  // The same rules for a tar archive.
  std::string tar = test::TestRoot() + "evil.tar.gz";
  Python(R"(
import tarfile, io
t = tarfile.open(out, 'w:gz')
for n in ['../up.txt', 'good.txt']:
    data = b'x' * 10
    i = tarfile.TarInfo(n); i.size = len(data); t.addfile(i, io.BytesIO(data))
t.close()
)",
         tar);
  std::string tout = test::NewTempDir("tar");
  EXPECT_EQ(ExtractTo(tar, tout), TXceedZip::xcdSkipped);
  EXPECT_EQ(FilesBelow(tout), std::set<std::string>{"good.txt"});
}

TEST_F(XceedZipTest, BombsAndDamage) {
  std::string bomb = test::TestRoot() + "bomb.zip";
  Python(R"(
import zipfile
z = zipfile.ZipFile(out, 'w', zipfile.ZIP_BZIP2)
z.writestr('small.txt', 'fine')
z.writestr('zeros.bin', b'\0' * (64 << 20))
z.close()
)",
         bomb);
  std::string out = test::NewTempDir("out");
  xz.SetOverwrite(TXcdOverwrite::xowAlways);
  EXPECT_EQ(ExtractTo(bomb, out), TXceedZip::xcdCorrupt);
  EXPECT_FALSE(fs::exists(out + "zeros.bin"));
  EXPECT_EQ(FilesBelow(out), std::set<std::string>{"small.txt"});

  // The same entry claiming to unpack to 100 bytes is stopped while it is written.
  std::string liar = test::TestRoot() + "liar.zip";
  Python(R"(
import zipfile, struct
z = zipfile.ZipFile(out, 'w', zipfile.ZIP_BZIP2)
z.writestr('zeros.bin', b'\0' * (64 << 20))
z.close()
d = bytearray(open(out, 'rb').read())
struct.pack_into('<I', d, 22, 100)
struct.pack_into('<I', d, d.find(b'PK\x01\x02') + 24, 100)
open(out, 'wb').write(d)
)",
         liar);
  int64_t written = 0;
  xz.SetOnStatus([&](const TXcdFileStats& s) { written = s.BytesProcessed; });
  EXPECT_EQ(ExtractTo(liar, out), TXceedZip::xcdCorrupt);
  EXPECT_LT(written, 4 << 20);
  EXPECT_GE(written, 1 << 20);  // stopped by the size check, not by the library
  EXPECT_EQ(FilesBelow(out), std::set<std::string>{"small.txt"});
  xz.SetOnStatus(nullptr);

  // Passing over an entry decompresses it too: 3 GiB of zeros in a tiny
  // compressed tar ahead of the file asked for count against the archive.
  std::string skip = test::TestRoot() + "skip.tar.bz2";
  Python(R"(
import bz2, tarfile
def header(name, size):
    i = tarfile.TarInfo(name); i.size = size
    return i.tobuf(format=tarfile.GNU_FORMAT)
zeros = bz2.compress(bytes(48 << 20))
tail = header('messages.dat', 4) + b'data' + bytes(508) + bytes(1024)
open(out, 'wb').write(bz2.compress(header('skip.bin', 3 << 30)) + zeros * 64 + bz2.compress(tail))
)",
         skip);
  std::string skipOut = test::NewTempDir("skip");
  EXPECT_EQ(ExtractTo(skip, skipOut, {"*.dat"}), TXceedZip::xcdCorrupt);
  EXPECT_TRUE(fs::is_empty(skipOut));

  // Damaged archives give a code, keep existing files whole and leave no temporary files.
  std::string src = test::NewTempDir("src");
  test::WriteFile(src + "a.txt", Words(200000, 6));
  test::WriteFile(src + "b.txt", Words(3000, 7));
  std::string good = test::TestRoot() + "good.zip";
  xz.SetZipFileName(good);
  xz.SetUsePaths(false);
  xz.SetFilesToProcess({src + "a.txt", src + "b.txt"});
  ASSERT_EQ(xz.Compress(), 0);
  std::string bytes = test::ReadFile(good);

  std::string damaged = test::TestRoot() + "damaged.zip";
  std::string target = test::NewTempDir("target");
  const std::set<int> allowed{0, 40, 110};
  unsigned x = 7;
  for (int round = 0; round < 120; ++round) {
    std::string copy = bytes;
    if (round < 20) {
      copy.resize(copy.size() * round / 20);  // truncated
    } else {
      for (int k = 0; k < 1 + round % 4; ++k) {
        x = x * 1103515245u + 12345u;
        copy[(x >> 8) % copy.size()] ^= static_cast<char>(1 + (x & 0x7F));
      }
    }
    test::WriteFile(damaged, copy);
    test::WriteFile(target + "a.txt", "keep");
    int rc = ExtractTo(damaged, target);
    EXPECT_TRUE(allowed.count(rc) || rc == TXceedZip::xcdNothingToDo) << "round " << round << " code " << rc;
    std::string a = test::ReadFile(target + "a.txt");
    EXPECT_TRUE(a == "keep" || a == test::ReadFile(src + "a.txt")) << "round " << round << " " << a.size() << " " << a.substr(0, 20);
    for (auto& f : FilesBelow(target)) EXPECT_EQ(f.find(".xcd"), std::string::npos) << f;
  }
  test::WriteFile(damaged, "not an archive at all");
  EXPECT_EQ(ExtractTo(damaged, target), TXceedZip::xcdCorrupt);
  test::WriteFile(damaged, "");
  EXPECT_EQ(ListAll(damaged).size(), 0u);
  EXPECT_EQ(lastList, TXceedZip::xcdCorrupt);
}

TEST_F(XceedZipTest, WithoutFoldersTheRootEntryWinsAndDuplicatesArePassedOver) {
  std::string archive = test::TestRoot() + "dups.zip";
  Python(R"(
import zipfile
z = zipfile.ZipFile(out, 'w')
for name, data in [('sub/messages.dat', 'sub'), ('messages.dat', 'root'), ('MESSAGES.DAT', 'upper'),
                   ('other/messages.dat', 'other'), ('sub/control.dat', 'control'), ('x/CONTROL.DAT', 'x')]:
    z.writestr(name, data)
z.close()
)",
         archive);
  xz.SetUsePaths(false);
  xz.SetOverwrite(TXcdOverwrite::xowAlways);
  std::vector<int> reasons;
  xz.SetOnSkippingFile([&](const TXcdFileStats& s) { reasons.push_back(s.SkipReason); });
  std::string out = test::NewTempDir("dups");
  EXPECT_EQ(ExtractTo(archive, out), TXceedZip::xcdSuccess);
  EXPECT_EQ(FilesBelow(out), (std::set<std::string>{"messages.dat", "control.dat"}));
  EXPECT_EQ(test::ReadFile(out + "messages.dat"), "root");
  EXPECT_EQ(test::ReadFile(out + "control.dat"), "control");
  EXPECT_EQ(reasons, std::vector<int>(3, XCD_SKIP_EXISTS));
}

TEST_F(XceedZipTest, EventsAbortAndHandlerFailures) {
  std::string src = test::NewTempDir("src");
  for (int i = 0; i < 3; ++i) test::WriteFile(src + "f" + std::to_string(i) + ".txt", Words(600000, 10 + i));
  std::string archive = test::TestRoot() + "e.zip";
  int pumped = 0;
  xz.SetProcessMessages([&] { ++pumped; });
  xz.SetZipFileName(archive);
  xz.SetUsePaths(false);
  xz.SetFilesToProcess({src + "*.txt"});
  ASSERT_EQ(xz.Compress(), 0);
  EXPECT_GT(pumped, 3);

  // Status percentages rise to 100 for each file.
  std::vector<int> percents;
  xz.SetOnStatus([&](const TXcdFileStats& s) {
    if (s.FileName == "f0.txt") percents.push_back(s.Percent);
  });
  std::string out = test::NewTempDir("out");
  EXPECT_EQ(ExtractTo(archive, out), 0);
  ASSERT_GE(percents.size(), 2u);
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.back(), 100);

  // Abort while the second file is written: it is not left half-written.
  std::string out2 = test::NewTempDir("out2");
  xz.SetOnStatus([&](const TXcdFileStats& s) {
    if (s.FileName == "f1.txt" && s.Percent < 100) xz.Abort();
  });
  EXPECT_EQ(ExtractTo(archive, out2), TXceedZip::xcdAborted);
  EXPECT_EQ(FilesBelow(out2), std::set<std::string>{"f0.txt"});

  // A handler that throws stops the call; the failure reaches the caller and the component stays usable.
  xz.SetOnStatus(nullptr);
  xz.SetOnExtracting([](const TXcdFileStats&) { throw std::runtime_error("handler failed"); });
  EXPECT_THROW(ExtractTo(archive, test::NewTempDir("out3")), std::runtime_error);
  xz.SetOnExtracting(nullptr);
  EXPECT_EQ(ExtractTo(archive, test::NewTempDir("out4")), 0);
}
