#include "engine/qwk_index.h"

#include <cmath>

#include <gtest/gtest.h>

#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;

namespace {
std::optional<int64_t> Block(std::initializer_list<unsigned char> bytes) {
  std::vector<unsigned char> b(bytes);
  return BasicSingleToBlockNumber(b.data());
}
}  // namespace

TEST(QWKIndex, BasicSingleNumbers) {
  EXPECT_EQ(Block({0x00, 0x00, 0x00, 0x82}), 2);  // the first message after the leading block
  EXPECT_EQ(Block({0x00, 0x00, 0x00, 0x81}), 1);
  EXPECT_EQ(Block({0x00, 0x00, 0x40, 0x82}), 3);
  EXPECT_EQ(Block({0x12, 0x34, 0x00, 0x00}), 0);   // exponent 0 is zero whatever the fraction
  EXPECT_EQ(Block({0x00, 0x00, 0x80, 0x82}), -2);  // sign bit
  EXPECT_EQ(Block({0x00, 0x00, 0x20, 0x82}), 2);   // 2.5 rounds to even
  EXPECT_EQ(Block({0x00, 0x00, 0x60, 0x82}), 4);   // 3.5 rounds to even
  EXPECT_EQ(Block({0x00, 0x00, 0x00, 0x80}), 0);   // 0.5
  EXPECT_EQ(Block({0x00, 0x00, 0x40, 0x80}), 1);   // 0.75
  EXPECT_FALSE(Block({0xFF, 0xFF, 0x7F, 0xFF}));   // about 2^126: no block number
  EXPECT_EQ(BasicSingleToDouble(std::vector<unsigned char>{0x00, 0x00, 0x00, 0x7F}.data()), 0.25);

  // The engine's encoder agrees with the builder's own bit recipe, and both
  // directions agree for whole numbers up to 2^24.
  for (int64_t v : {1LL, 2LL, 3LL, 127LL, 128LL, 255LL, 256LL, 1000LL, 65535LL, 99999LL, 123457LL, 8388607LL, 8388608LL,
                    16777215LL, -5LL}) {
    auto core = BlockNumberToBasic(v);
    auto mine = BasicBytes(v);
    EXPECT_EQ(std::vector<unsigned char>(core.begin(), core.end()), std::vector<unsigned char>(mine.begin(), mine.end()))
        << v;
    EXPECT_EQ(BasicSingleToBlockNumber(core.data()), v);
  }
  auto zero = BlockNumberToBasic(0);
  EXPECT_EQ(zero[3], 0);
  // Above 2^24 single precision keeps 24 bits: 2^24 + 1 comes back as 2^24.
  auto big = BlockNumberToBasic(16777217);
  EXPECT_EQ(BasicSingleToBlockNumber(big.data()), 16777216);
  auto inf = DoubleToBasicSingle(INFINITY);
  EXPECT_EQ(inf[3], 255);
  EXPECT_EQ(DoubleToBasicSingle(NAN)[3], 0);
}

TEST(QWKIndex, RecordsCountAndDirectAccess) {
  TRecordingPrompts prompts;
  std::string dir = NewTempDir("idx");
  // 5000 records (more than one read chunk) and a cut-off sixth byte group.
  std::string bytes;
  for (int i = 1; i <= 5000; ++i) bytes += IndexRecord(i * 3, 300);
  bytes += "\x01\x02\x03";
  std::string path = WriteFile(dir + "300.NDX", bytes);

  TQWKIndex index;
  ASSERT_TRUE(index.Open(path));
  EXPECT_EQ(index.Count(), 5000);
  EXPECT_EQ(index.BlockNumber(1), 3);
  EXPECT_EQ(index.BlockNumber(4097), 4097 * 3);  // next chunk
  EXPECT_EQ(index.BlockNumber(5000), 15000);
  EXPECT_EQ(index.BlockNumber(2), 6);  // back to an earlier chunk
  EXPECT_EQ(index.Record(1)->at(4), 300 & 0xFF);
  EXPECT_FALSE(index.BlockNumber(0));
  EXPECT_FALSE(index.BlockNumber(5001));
  EXPECT_FALSE(index.BlockNumber(-3));

  EXPECT_EQ(CountIndexRecords(path), 5000);
  EXPECT_EQ(ReadIndexBlockNumber(path, 4999), 14997);
  EXPECT_FALSE(ReadIndexBlockNumber(path, 5001));
  EXPECT_FALSE(ReadIndexBlockNumber(path, 0));
  EXPECT_TRUE(prompts.boxes.empty());

  // Files of fewer than five bytes hold no record.
  EXPECT_EQ(CountIndexRecords(WriteFile(dir + "small.ndx", "\x00\x00")), 0);
  EXPECT_EQ(CountIndexRecords(WriteFile(dir + "empty.ndx", "")), 0);

  // An index that cannot be opened is reported with its path and holds nothing.
  std::string missing = dir + "nothere.ndx";
  EXPECT_EQ(CountIndexRecords(missing), 0);
  EXPECT_FALSE(ReadIndexBlockNumber(missing, 1));
  TQWKIndex quiet;
  EXPECT_FALSE(quiet.Open(missing, false));
  EXPECT_EQ(quiet.Count(), 0);
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Could not read file " + missing, "Could not read file " + missing}));
}
