#include "platform/platform.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace qw {
namespace {

TEST(ProgramDirectory, HoldsTheRunningTestProgram) {
  std::filesystem::path dir = platform::ProgramDirectory();
  EXPECT_TRUE(dir.is_absolute()) << dir;
  EXPECT_TRUE(std::filesystem::is_directory(dir)) << dir;
  bool found = std::filesystem::exists(dir / "projects_tests") ||
               std::filesystem::exists(dir / "projects_tests.exe");
  EXPECT_TRUE(found) << dir;
}

TEST(ReplaceFile, PutsTheNewFileInPlace) {
  test::TempDir dir;
  struct Case {
    const char* name;
    bool targetExists;
  };
  for (const Case& c : {Case{"over an old file", true}, Case{"where none was", false}}) {
    std::filesystem::path from = dir.path() / "new", to = dir.path() / "target";
    std::filesystem::remove(to);
    test::WriteBytes(from, std::string("new\0bytes", 9));
    if (c.targetExists) test::WriteBytes(to, "old content, longer than the new one");
    std::string error;
    ASSERT_TRUE(platform::ReplaceFile(from, to, &error)) << c.name << ": " << error;
    EXPECT_EQ(test::ReadBytes(to), std::string("new\0bytes", 9)) << c.name;
    EXPECT_FALSE(std::filesystem::exists(from)) << c.name;
  }
}

TEST(ReplaceFile, AMissingSourceFailsAndLeavesTheTarget) {
  test::TempDir dir;
  std::filesystem::path to = dir.path() / "target";
  test::WriteBytes(to, "old");
  std::string error;
  EXPECT_FALSE(platform::ReplaceFile(dir.path() / "absent", to, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(test::ReadBytes(to), "old");
}

TEST(WriteWholeFile, WritesExactlyTheBytesAndTruncates) {
  test::TempDir dir;
  std::filesystem::path file = dir.path() / "f";
  test::WriteBytes(file, std::string(5000, 'o'));
  const std::string bytes = std::string("a\0\r\n\xD6\xD0", 6) + std::string(100000, 'z');
  std::string error;
  ASSERT_TRUE(platform::WriteWholeFile(file, bytes, &error)) << error;
  EXPECT_EQ(test::ReadBytes(file), bytes);
  ASSERT_TRUE(platform::WriteWholeFile(file, "", &error)) << error;
  EXPECT_EQ(std::filesystem::file_size(file), 0u);
}

TEST(WriteWholeFile, FailsWithAReason) {
  test::TempDir dir;
  for (const std::filesystem::path& bad :
       {dir.path() / "missing" / "f", dir.path()}) {  // no such folder; a folder itself
    std::string error;
    EXPECT_FALSE(platform::WriteWholeFile(bad, "x", &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

}  // namespace
}  // namespace qw
