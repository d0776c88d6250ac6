#include "platform/registry.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/errors.h"

using namespace korrin;

namespace {
const char* kKey = "\\SOFTWARE\\Halvane Software Development\\Korrin offline mail reader";
}

TEST(Registry, KeysAndValuesAreCaseInsensitiveTypedAndPersist) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(std::string(kKey) + "\\Config\\Main", true));
    reg.WriteInteger("Quick Viewer Height", 120);
    reg.WriteString("EMail", "me@example.org");
    reg.WriteString("", "3");
    reg.WriteInteger("Negative", -5);
  }
  TRegistry reg;
  EXPECT_TRUE(reg.KeyExists("\\software\\HALVANE SOFTWARE DEVELOPMENT\\korrin offline mail reader\\config"));
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\halvane software development\\KORRIN OFFLINE MAIL READER\\config\\MAIN", false));
  EXPECT_EQ(reg.ReadInteger("quick viewer height"), 120);
  EXPECT_EQ(reg.ReadString("email"), "me@example.org");
  EXPECT_EQ(reg.ReadString(""), "3");
  EXPECT_EQ(reg.ReadInteger("Negative"), -5);
  EXPECT_EQ(reg.GetDataType("EMail"), TRegDataType::rdString);
  EXPECT_EQ(reg.GetDataType("Quick Viewer Height"), TRegDataType::rdInteger);
  EXPECT_FALSE(reg.ValueExists("Missing"));
  EXPECT_EQ(reg.ReadString("Missing"), "");

  try {
    reg.ReadInteger("EMail");
    FAIL() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'EMail'");
  }
  try {
    reg.ReadString("Quick Viewer Height");
    FAIL() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Quick Viewer Height'");
  }
  EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);

  // A relative open goes below the current key; rewriting a value replaces its type.
  ASSERT_TRUE(reg.OpenKey("Sub", true));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\halvane software development\\KORRIN OFFLINE MAIL READER\\config\\MAIN\\Sub");
  reg.WriteInteger("X", 1);
  reg.WriteString("x", "now text");
  EXPECT_EQ(reg.ReadString("X"), "now text");
  EXPECT_EQ(reg.GetValueNames(), std::vector<std::string>{"X"});
}

TEST(Registry, ReadsNeverCreateAndMissingKeysLeaveTheCurrentKey) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("\\A\\B", false));
  EXPECT_FALSE(reg.HasCurrentKey());
  EXPECT_FALSE(reg.KeyExists("\\A"));
  EXPECT_EQ(reg.ReadString("x"), "");
  EXPECT_TRUE(reg.GetKeyNames().empty());
  ASSERT_TRUE(reg.OpenKey("\\A", true));
  EXPECT_FALSE(reg.OpenKey("Nope", false));
  EXPECT_EQ(reg.CurrentPath(), "A");
  EXPECT_FALSE(reg.KeyExists("\\A\\Nope"));
}

TEST(Registry, EnumeratesSubkeysInCaseInsensitiveOrderAndDeletesWholeTrees) {
  TRegistry reg;
  for (const char* k : {"\\Book\\zeta", "\\Book\\Alpha", "\\Book\\beta\\deep\\deeper", "\\Other"}) {
    ASSERT_TRUE(reg.OpenKey(k, true));
    reg.WriteString("v", k);
  }
  ASSERT_TRUE(reg.OpenKey("\\Book", false));
  EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"Alpha", "beta", "zeta"}));
  EXPECT_TRUE(reg.DeleteKey("BETA"));
  EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"Alpha", "zeta"}));
  EXPECT_FALSE(reg.KeyExists("\\Book\\beta\\deep"));
  EXPECT_TRUE(reg.DeleteKey("\\Book"));
  EXPECT_FALSE(reg.KeyExists("\\Book\\Alpha"));
  EXPECT_TRUE(reg.KeyExists("\\Other"));
  EXPECT_FALSE(reg.DeleteKey("\\Book"));
}

TEST(Registry, WriteAfterAnotherHandleDeletedTheKeyRecreatesIt) {
  TRegistry a, b;
  ASSERT_TRUE(a.OpenKey("\\P\\Q", true));
  ASSERT_TRUE(b.DeleteKey("\\P"));
  a.WriteInteger("n", 7);
  ASSERT_TRUE(b.OpenKey("\\P\\Q", false));
  EXPECT_EQ(b.ReadInteger("n"), 7);
}

TEST(Registry, RefusedWriteReportsTheValueName) {
  TRegistry reg;
  try {
    reg.WriteString("Name", "x");  // no key is open
    FAIL() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Name'");
  }
}

TEST(Registry, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kPerProcess = 400;
  std::vector<pid_t> children;
  for (int p = 0; p < 2; ++p) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int failures = 0;
      {
        TRegistry reg;
        for (int i = 0; i < kPerProcess; ++i) {
          try {
            reg.OpenKey("\\Shared\\K" + std::to_string(i % 10), true);
            reg.WriteInteger("p" + std::to_string(p) + "_" + std::to_string(i), i);
          } catch (...) {
            ++failures;
          }
        }
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TRegistry reg;
  int found = 0;
  for (int p = 0; p < 2; ++p)
    for (int i = 0; i < kPerProcess; ++i) {
      ASSERT_TRUE(reg.OpenKey("\\Shared\\K" + std::to_string(i % 10), false));
      if (reg.ValueExists("p" + std::to_string(p) + "_" + std::to_string(i)) &&
          reg.ReadInteger("p" + std::to_string(p) + "_" + std::to_string(i)) == i)
        ++found;
    }
  EXPECT_EQ(found, 2 * kPerProcess);
}

TEST(Registry, RememberedKeysFollowAnotherConnectionsDeletes) {
  const std::string file = TRegistry::RegistryFileName();
  TRegistry a(file), b(file);
  const std::string key = std::string(kKey) + "\\Address Book\\a1a1";
  ASSERT_TRUE(a.OpenKey(key, true));
  a.WriteString("First name", "Ann");
  ASSERT_TRUE(b.OpenKey(key, false));
  EXPECT_EQ(b.ReadString("first name"), "Ann");
  // The other connection removes the key and makes others: the ids it
  // frees may be given out again, and must not be read as the old key.
  a.DeleteKey(key);
  ASSERT_TRUE(a.OpenKey(std::string(kKey) + "\\Other\\Deep", true));
  a.WriteString("First name", "Not Ann");
  EXPECT_FALSE(b.KeyExists(key));
  EXPECT_EQ(b.ReadString("First name"), "");
  ASSERT_TRUE(a.OpenKey(key, true));
  a.WriteString("First name", "Bob");
  EXPECT_EQ(b.ReadString("First name"), "Bob");
  // Its own deletes too.
  b.DeleteKey(key);
  EXPECT_FALSE(a.KeyExists(key));
  EXPECT_FALSE(b.OpenKey(key, false));
}
