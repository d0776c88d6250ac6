#include "engine/tessel_mime.h"

#include <sys/stat.h>

#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {

std::string Join(const std::vector<std::string>& lines, const std::string& eol = "\r\n") {
  std::string s;
  for (const auto& l : lines) s += l + eol;
  return s;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find("\r\n", p);
    if (e == std::string::npos) e = text.size();
    out.push_back(text.substr(p, e - p));
    p = e + 2;
  }
  return out;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(gen());
  return s;
}

// A body as the editor composes it: multipart header, text part, then the
// codec's part files appended and the closing lines.
std::string ComposedBody(const std::string& boundary, const std::string& parts) {
  return Join({"", "[This is a multi-part message in MIME format.]", "", "MIME-Version: 1.0",
               "Content-Type: multipart/mixed; boundary=" + boundary, "", "", "--" + boundary,
               "Content-type: text/plain; charset=US-ASCII", "Content-Transfer-Encoding: quoted-printable", "",
               "Hello there,", "here is the file."}) +
         parts + Join({"", "--" + boundary + "--", ""});
}

std::string JoinedParts(const std::string& base) {
  std::string all;
  for (int n = 1; fs::exists(TTesselMime::PartFileName(base, n)); ++n) all += test::ReadFile(TTesselMime::PartFileName(base, n));
  return all;
}

int PartCount(const std::string& base) {
  int n = 0;
  while (fs::exists(TTesselMime::PartFileName(base, n + 1))) ++n;
  return n;
}

const std::string kGifPart = Join({"--XYZ", "Content-Type: image/gif; name=\"a.gif\"", "Content-Transfer-Encoding: base64",
                                   "", "R0lGODlh", ""});

}  // namespace

TEST(TesselMime, PlainBodyIsShownWhole) {
  std::string dir = test::NewTempDir();
  // LF, CR LF and lone CR line ends; the last line has none.
  std::string file = test::WriteFile(dir + "plain.txt", "Hello\r\nsecond\rthird\n\nbye");
  TTesselMime mime;
  EXPECT_FALSE(mime.ScanFile(file));
  EXPECT_EQ(mime.EncodingType(), TEncodingType::etNone);
  EXPECT_EQ(mime.TextLines(), (std::vector<std::string>{"Hello", "second", "third", "", "bye"}));
  EXPECT_TRUE(mime.FileNames().empty());
  EXPECT_FALSE(mime.AttachmentFound());

  // A tear line hides the lines up to the next empty line but is no MIME.
  test::WriteFile(file, Join({"text", "--- Tear 1.0", "hidden", "", "shown"}));
  EXPECT_FALSE(mime.ScanFile(file));
  EXPECT_EQ(mime.EncodingType(), TEncodingType::etNone);
  EXPECT_EQ(mime.TextLines(), (std::vector<std::string>{"text", "shown"}));

  // A source that cannot be opened leaves the state of Clear.
  EXPECT_FALSE(mime.ScanFile(dir + "missing.txt"));
  EXPECT_FALSE(mime.ScanFile(dir));
  EXPECT_TRUE(mime.TextLines().empty());
  EXPECT_EQ(mime.CurrentBoundary(), "");
}

TEST(TesselMime, ScanListsAttachmentsAndHidesEncodedLines) {
  std::string dir = test::NewTempDir();
  std::string body = Join({"Intro line", "MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=XYZ", "",
                           "--XYZ", "Content-Type: text/plain", "", "The text.", ""}) +
                     kGifPart +
                     Join({"--XYZ", "Content-Type: image/gif;", "  name=\"a.gif\"", "Content-Transfer-Encoding: base64",
                           "", "R0lGODlh", "", "--XYZ", "Content-Type: application/zip; name=b.zip; size=3",
                           "Content-Transfer-Encoding: base64", "", "UEsD", "", "--XYZ--"});
  std::string file = test::WriteFile(dir + "body.txt", body);
  TTesselMime mime;
  std::vector<std::string> changes;
  mime.SetOnChange([&](TTesselMimeBaseClass* sender, TMimeType type, TMimeEncodingType enc, const std::string& name) {
    EXPECT_EQ(sender, &mime);
    changes.push_back(name + (type == TMimeType::mtImage ? ":image" : ":other"));
  });
  EXPECT_TRUE(mime.ScanFile(file));
  EXPECT_EQ(mime.EncodingType(), TEncodingType::etMime);
  EXPECT_EQ(mime.MimeVersion(), "1.0");
  EXPECT_TRUE(mime.AttachmentFound());
  // The same name twice is listed once; the unquoted name stops at ";".
  EXPECT_EQ(mime.FileNames(), (std::vector<std::string>{"a.gif", "b.zip"}));
  EXPECT_EQ(changes, (std::vector<std::string>{"a.gif:image", "b.zip:other"}));
  EXPECT_EQ(mime.TextLines(), (std::vector<std::string>{"Intro line", "The text.", ""}));
  EXPECT_EQ(mime.CurrentBoundary(), "XYZ");
}

TEST(TesselMime, UnsafeAttachmentNamesStayInTheChosenFolder) {
  EXPECT_EQ(SafeAttachmentName("C:\\dir\\a.gif"), "a.gif");
  EXPECT_EQ(SafeAttachmentName("../../.bashrc"), ".bashrc");
  EXPECT_EQ(SafeAttachmentName("/etc/passwd"), "passwd");
  EXPECT_EQ(SafeAttachmentName(std::string("..\0/x", 5)), "x");
  EXPECT_EQ(SafeAttachmentName(std::string(".\0.", 3)), kUnnamedAttachment);
  // Long names are shortened, the extension kept.
  const std::string longName = SafeAttachmentName(std::string(300, 'a') + " b.zip");
  EXPECT_EQ(longName, std::string(kMaxAttachmentName - 4, 'a') + ".zip");
  EXPECT_EQ(SafeAttachmentName(std::string(300, 'x')), std::string(kMaxAttachmentName, 'x'));
  EXPECT_EQ(SafeAttachmentName("a." + std::string(100, 'y')).size(), kMaxAttachmentName);
  for (const char* bad : {"", " ", ".", "..", "a/..", "..\\", "x:..", " .. "})
    EXPECT_EQ(SafeAttachmentName(bad), kUnnamedAttachment) << bad;

  std::string dir = test::NewTempDir("msg");
  std::string out = test::NewTempDir("chosen");
  std::string file = test::WriteFile(
      dir + "body.txt",
      Join({"MIME-Version: 1.0", "--B", "Content-Type: application/octet-stream; name=\"../../../evil.txt\"",
            "Content-Transfer-Encoding: base64", "", "QUJD", "", "--B",
            "Content-Type: application/octet-stream; name=\"..\"", "Content-Transfer-Encoding: base64", "", "REVG",
            "", "--B--", "", "begin 644 ../up.txt", "#86)C", "`", "end"}));
  TTesselMime mime;
  ASSERT_TRUE(mime.ScanFile(file));
  ASSERT_EQ(mime.FileNames(), (std::vector<std::string>{"evil.txt", kUnnamedAttachment, "up.txt"}));
  std::vector<TTesselMime::TWantedAttachment> wanted;
  for (const auto& name : mime.FileNames()) wanted.push_back({name, out + name});
  EXPECT_EQ(TTesselMime().ExtractFiles(file, wanted), std::vector<bool>(3, true));
  EXPECT_EQ(test::ReadFile(out + "evil.txt"), "ABC");
  EXPECT_EQ(test::ReadFile(out + kUnnamedAttachment), "DEF");
  EXPECT_EQ(test::ReadFile(out + "up.txt"), "abc");
  for (const auto& e : fs::recursive_directory_iterator(test::TestRoot())) {
    std::string name = e.path().filename().string();
    if (name == "evil.txt" || name == "up.txt" || name == kUnnamedAttachment) {
      EXPECT_EQ(e.path().parent_path().string() + "/", out) << "written outside the folder: " << e.path();
    }
  }

  // The setter drops paths too; an empty value clears the name.
  mime.SetFileName("x:\\y/z.gif");
  EXPECT_EQ(mime.FileName(), "z.gif");
  mime.SetFileName("");
  EXPECT_EQ(mime.FileName(), "");
}

TEST(TesselMime, ExtractFindsPartsAndReportsMissingOnes) {
  std::string dir = test::NewTempDir();
  std::string file = test::WriteFile(
      dir + "body.txt",
      Join({"MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=\"XYZ\"", ""}) + kGifPart +
          Join({"--XYZ", "Content-Type: text/plain; name=\"note.txt\"", "", "line one", "-- ", "signature",
                "--XYZ", "Content-Type: text/plain; name=\"enc.txt\"", "Content-Transfer-Encoding: base64", "",
                "aGVsbG8=", "--XYZ", "Content-Type: application/pgp-signature; name=sig.asc",
                "Content-Transfer-Encoding: 7bit", "", "-----BEGIN-----", "--XYZ--"}));
  TTesselMime mime;
  EXPECT_TRUE(mime.ExtractFile(file, dir + "a.gif", "A.GIF"));
  EXPECT_EQ(test::ReadFile(dir + "a.gif"), "GIF89a");
  // A text part: CR LF line ends, a signature separator kept, the delimiter not written.
  EXPECT_TRUE(mime.ExtractFile(file, dir + "note.txt", " note .txt"));
  EXPECT_EQ(test::ReadFile(dir + "note.txt"), "line one\r\n-- \r\nsignature\r\n");
  // A text part in base64 is decoded.
  EXPECT_TRUE(mime.ExtractFile(file, dir + "enc.txt", "enc.txt"));
  EXPECT_EQ(test::ReadFile(dir + "enc.txt"), "hello");
  // Any other part that is not base64 is copied as it stands.
  EXPECT_TRUE(mime.ExtractFile(file, dir + "sig.asc", "sig.asc"));
  EXPECT_EQ(test::ReadFile(dir + "sig.asc"), "-----BEGIN-----\r\n");

  // One pass writes every part, whatever the order asked, the same bytes.
  std::string all = test::NewTempDir("all");
  std::vector<bool> found = mime.ExtractFiles(file, {{"sig.asc", all + "sig.asc"}, {"none.gif", all + "none"},
                                                     {"enc.txt", all + "enc.txt"}, {"a.gif", all + "a.gif"},
                                                     {"note.txt", all + "note.txt"}});
  EXPECT_EQ(found, (std::vector<bool>{true, false, true, true, true}));
  for (const char* name : {"a.gif", "note.txt", "enc.txt", "sig.asc"})
    EXPECT_EQ(test::ReadFile(all + name), test::ReadFile(dir + name)) << name;
  EXPECT_FALSE(fs::exists(all + "none"));

  EXPECT_FALSE(mime.ExtractFile(file, dir + "none", "none.gif"));
  EXPECT_TRUE(fs::exists(dir + "none"));
  EXPECT_EQ(fs::file_size(dir + "none"), 0u);
  EXPECT_FALSE(mime.ExtractFile(file, dir + "empty", ""));
  EXPECT_FALSE(mime.ExtractFile(dir + "missing", dir + "never", "a.gif"));
  EXPECT_FALSE(fs::exists(dir + "never"));

  // The target is never the message itself, nor written through a link.
  EXPECT_THROW(mime.ExtractFile(file, file, "a.gif"), EInOutError);
  EXPECT_GT(fs::file_size(file), 100u);
  fs::create_symlink(dir + "elsewhere", dir + "link.gif");
  EXPECT_THROW(mime.ExtractFile(file, dir + "link.gif", "a.gif"), EInOutError);
  EXPECT_FALSE(fs::exists(dir + "elsewhere"));
  EXPECT_THROW(mime.ExtractFile(file, dir + "no/such/folder/a.gif", "a.gif"), EInOutError);
}

TEST(TesselMime, Base64DecodingEndsWhereThePartEnds) {
  std::string dir = test::NewTempDir();
  // "ABC" has no padding: a foreign delimiter that begins with letters, and
  // the next part's header, must not be decoded into the file.
  std::string file = test::WriteFile(
      dir + "body.txt",
      Join({"Content-Type: application/octet-stream; name=x.bin", "Content-Transfer-Encoding: base64", "",
            " !QUJD*REVG", "--boundary42", "Content-Type: text/plain", "", "Text"}));
  TTesselMime mime;
  ASSERT_TRUE(mime.ExtractFile(file, dir + "x.bin", "x.bin"));
  EXPECT_EQ(test::ReadFile(dir + "x.bin"), "ABCDEF");
  // Short and "====" lines are passed over; an unpadded last quad ends the
  // part; a leading "=" ends decoding too.
  test::WriteFile(file, Join({"Content-Type: image/gif; name=x.bin", "Content-Transfer-Encoding: base64", "",
                              "QUJD", "====", "RE", "REVG", "QUJDRA", "R0lG"}));
  ASSERT_TRUE(mime.ExtractFile(file, dir + "x.bin", "x.bin"));
  EXPECT_EQ(test::ReadFile(dir + "x.bin"), "ABCDEFABCD");
  test::WriteFile(file, Join({"Content-Type: image/gif; name=x.bin", "Content-Transfer-Encoding: base64", "",
                              "QUJD", "  =stop", "R0lG"}));
  ASSERT_TRUE(mime.ExtractFile(file, dir + "x.bin", "x.bin"));
  EXPECT_EQ(test::ReadFile(dir + "x.bin"), "ABC");
}

TEST(TesselMime, DecodesUuencodedBlocks) {
  std::string dir = test::NewTempDir();
  std::string file = test::WriteFile(dir + "body.txt", Join({"See the file:", "", "begin 644 a.txt", "#86)C", "`",
                                                            "end", "", "after", "", "shown"}));
  TTesselMime mime;
  EXPECT_FALSE(mime.ScanFile(file));
  EXPECT_EQ(mime.EncodingType(), TEncodingType::etUU);
  EXPECT_TRUE(mime.AttachmentFound());
  EXPECT_EQ(mime.FileNames(), (std::vector<std::string>{"a.txt"}));
  // Exactly the block is hidden, "begin" through "end": the text after it shows.
  EXPECT_EQ(mime.TextLines(), (std::vector<std::string>{"See the file:", "", "", "after", "", "shown"}));
  EXPECT_TRUE(mime.ExtractFile(file, dir + "a.txt", "a.txt"));
  EXPECT_EQ(test::ReadFile(dir + "a.txt"), "abc");
  // A data line that starts like a delimiter is data; a "begin" in prose
  // without data or "end" hides only itself.
  test::WriteFile(file, Join({"begin 644 a.txt", "--86)C", "`", "end", "", "After the file.", "begin 644 is how",
                              "it starts, said he."}));
  mime.ScanFile(file);
  EXPECT_EQ(mime.TextLines(), (std::vector<std::string>{"", "After the file.", "it starts, said he."}));
  // Trailing blanks lost in transport count as zero values.
  test::WriteFile(file, Join({"begin 644 z.bin", "#86", "end"}));
  EXPECT_TRUE(mime.ExtractFile(file, dir + "z.bin", "z.bin"));
  EXPECT_EQ(test::ReadFile(dir + "z.bin"), std::string("a`\0", 3));
}

TEST(TesselMime, EncodesLinesHeadersAndTrailers) {
  std::string dir = test::NewTempDir();
  TTesselMime mime;
  const std::string b = "---- =_NextPart_000_12345DF1.12345KR12345";
  std::string src = test::WriteFile(dir + "pic.gif", "abcd");
  mime.SetEncodingType(TEncodingType::etMime);
  mime.EncodeFile(src, dir + "pic", b, 62720, 62720);
  EXPECT_EQ(Lines(test::ReadFile(dir + "pic.01")),
            (std::vector<std::string>{"", "--" + b, "Content-Type: image/gif; name=\"pic.gif\"",
                                      "Content-Transfer-Encoding: base64", "", "YWJjZA==", "", "--" + b + "--"}));
  EXPECT_FALSE(fs::exists(dir + "pic.02"));
  EXPECT_EQ(mime.CurrentBoundary(), b);

  test::WriteFile(dir + "Data.Txt", std::string(45, 'x'));
  mime.EncodeFile(dir + "Data.Txt", dir + "data", b, 62720, 62720);
  auto lines = Lines(test::ReadFile(dir + "data.01"));
  EXPECT_EQ(lines[2], "Content-Type: application/octet-stream; name=\"Data.Txt\"");
  EXPECT_EQ(lines[5].size(), 60u);
  mime.SetEncodingType(TEncodingType::etUU);
  mime.EncodeFile(dir + "Data.Txt", dir + "data", b, 62720, 62720);
  lines = Lines(test::ReadFile(dir + "data.01"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "begin 644 Data.Txt");
  EXPECT_EQ(lines[1].size(), 61u);
  EXPECT_EQ(lines[1][0], 'M');
  EXPECT_EQ(lines[2], "`");
  EXPECT_EQ(lines[3], "end");

  test::WriteFile(dir + "empty.wav", "");
  mime.EncodeFile(dir + "empty.wav", dir + "empty", b, 10, 10);
  EXPECT_EQ(Lines(test::ReadFile(dir + "empty.01")), (std::vector<std::string>{"begin 644 empty.wav", "`", "end"}));
  mime.SetEncodingType(TEncodingType::etNone);  // anything but etUU is MIME
  mime.EncodeFile(dir + "empty.wav", dir + "empty", b, 10, 10);
  EXPECT_EQ(Lines(test::ReadFile(dir + "empty.01")),
            (std::vector<std::string>{"", "--" + b, "Content-Type: audio/wave; name=\"empty.wav\"",
                                      "Content-Transfer-Encoding: base64", "", "", "--" + b + "--"}));

  EXPECT_THROW(mime.EncodeFile(dir + "missing", dir + "m", b, 10, 10), EInOutError);
  EXPECT_THROW(mime.EncodeFile(src, dir + "no/folder/m", b, 10, 10), EInOutError);
}

TEST(TesselMime, SplitsIntoPartsByTheLimits) {
  std::string dir = test::NewTempDir();
  TTesselMime mime;
  const std::string b = "BND";
  mime.SetEncodingType(TEncodingType::etMime);
  test::WriteFile(dir + "f.bin", std::string(90, 'q'));
  mime.EncodeFile(dir + "f.bin", dir + "f", b, 60, 1000);
  ASSERT_EQ(PartCount(dir + "f"), 2);
  auto p1 = Lines(test::ReadFile(dir + "f.01"));
  ASSERT_EQ(p1.size(), 7u);
  EXPECT_EQ(p1[5].size(), 60u);
  EXPECT_EQ(p1[6], "");
  auto p2 = Lines(test::ReadFile(dir + "f.02"));
  ASSERT_EQ(p2.size(), 3u);
  EXPECT_EQ(p2[0].size(), 60u);
  EXPECT_EQ(p2[1], "");
  EXPECT_EQ(p2[2], "--BND--");

  // Later parts close with the delimiter; a split on the last line leaves a
  // part with the trailer only.
  test::WriteFile(dir + "g.bin", std::string(135, 'q'));
  mime.EncodeFile(dir + "g.bin", dir + "g", b, 60, 120);
  ASSERT_EQ(PartCount(dir + "g"), 3);
  EXPECT_EQ(Lines(test::ReadFile(dir + "g.02")).back(), "--BND--");
  EXPECT_EQ(Lines(test::ReadFile(dir + "g.03")), (std::vector<std::string>{"", "--BND--"}));
  // Part numbers go on past 9 as .010, .011.
  mime.EncodeFile(dir + "g.bin", dir + "h", b, 1, 1);
  EXPECT_EQ(PartCount(dir + "h"), 4);
  test::WriteFile(dir + "k.bin", std::string(45 * 11, 'q'));
  mime.EncodeFile(dir + "k.bin", dir + "k", b, 1, 1);
  EXPECT_TRUE(fs::exists(dir + "k.010"));
  EXPECT_TRUE(fs::exists(dir + "k.012"));
}

TEST(TesselMime, RoundTripsThroughBothFormsAndPartSplitting) {
  std::string dir = test::NewTempDir();
  const size_t sizes[] = {0, 1, 2, 3, 44, 45, 46, 89, 90, 91, 1000, 62720, 100000, 3 * 1024 * 1024 + 7};
  const std::pair<int64_t, int64_t> limits[] = {{62720, 62720}, {600, 1200}, {60, 60}, {1, 1}};
  unsigned seed = 1;
  for (size_t size : sizes) {
    std::string data = RandomBytes(size, seed++);
    std::string src = test::WriteFile(dir + "file.dat", data);
    for (auto [first, later] : limits) {
      if ((size > 100000 && first < 62720) || (size > 1000 && first < 600)) continue;  // keeps the part count sensible
      for (TEncodingType form : {TEncodingType::etMime, TEncodingType::etUU}) {
        SCOPED_TRACE(testing::Message() << size << " bytes, limits " << first << "/" << later
                                        << (form == TEncodingType::etUU ? " uu" : " mime"));
        for (const auto& e : fs::directory_iterator(dir))
          if (e.path().filename() != "file.dat") fs::remove(e.path());
        TTesselMime enc;
        enc.SetEncodingType(form);
        std::string boundary = NewBoundary();
        enc.EncodeFile(src, dir + "file", boundary, first, later);
        std::string body = form == TEncodingType::etMime ? ComposedBody(boundary, JoinedParts(dir + "file"))
                                                         : "Some text\r\n\r\n" + JoinedParts(dir + "file");
        std::string bodyFile = test::WriteFile(dir + "MimeText.tmp", body);
        TTesselMime dec;
        ASSERT_EQ(dec.ScanFile(bodyFile), form == TEncodingType::etMime);
        ASSERT_EQ(dec.FileNames(), (std::vector<std::string>{"file.dat"}));
        if (form == TEncodingType::etMime && PartCount(dir + "file") == 1) {
          EXPECT_EQ(dec.TextLines(), (std::vector<std::string>{"", "[This is a multi-part message in MIME format.]",
                                                               "", "", "Hello there,", "here is the file.", ""}));
        }
        ASSERT_TRUE(dec.ExtractFile(bodyFile, dir + "out.dat", "file.dat"));
        ASSERT_EQ(fs::file_size(dir + "out.dat"), size);
        ASSERT_TRUE(test::ReadFile(dir + "out.dat") == data);
      }
    }
  }
}

TEST(TesselMime, BoundariesAndProperties) {
  for (int i = 0; i < 300; ++i) {
    std::string b = NewBoundary();
    ASSERT_EQ(b.size(), 41u);
    ASSERT_EQ(b.find('9'), std::string::npos);
    ASSERT_EQ(b.rfind("---- =_NextPart_000_", 0), 0u);
    ASSERT_EQ(b.substr(25, 2), "DF");
    ASSERT_EQ(b[28], '.');
    ASSERT_EQ(b.substr(34, 2), "KR");
  }

  TTesselMime mime;
  EXPECT_EQ(mime.CurrentBoundary(), "");
  mime.SetCurrentBoundary("abc");
  mime.SetCurrentBoundary("xyz");
  EXPECT_EQ(mime.CurrentBoundary(), "abc");
  mime.SetCurrentBoundary("xyz--");
  EXPECT_EQ(mime.CurrentBoundary(), "xyz");
  mime.SetCurrentBoundary("ab");
  mime.SetCurrentBoundary("abc--");
  EXPECT_EQ(mime.Boundaries(), (std::vector<std::string>{"abc", "xyz", "ab"}));
  mime.SetCurrentBoundary("");
  EXPECT_EQ(mime.Boundaries(), (std::vector<std::string>{""}));
  EXPECT_EQ(mime.FirstBoundary(), "");

  EXPECT_EQ(mime.MimeVersion(), "1.0");
  mime.SetMimeVersion("2.0");
  EXPECT_EQ(mime.MimeVersion(), "2.0");
  mime.SetMimeVersion("");
  EXPECT_EQ(mime.MimeVersion(), "1.0");
  EXPECT_EQ(mime.DisplayableText(), TMimeTextTypeSet{TMimeTextType::mttPlain});

  std::string dir = test::NewTempDir();
  mime.SetDirectory(dir + "some.file");
  EXPECT_EQ(mime.Directory(), dir);
  mime.SetDirectory(dir + "missing/some.file");
  EXPECT_EQ(mime.Directory(), ProgramFolder());
  mime.SetDirectory(dir);
  mime.Clear();
  EXPECT_EQ(mime.Directory(), ProgramFolder());
  EXPECT_EQ(mime.EncodingType(), TEncodingType::etNone);
  EXPECT_EQ(mime.TransferEncoding(), TMimeEncodingType::meQuotedPrintable);
}
