// A fresh directory per test, removed afterwards, and whole-file helpers.
#pragma once

#include <filesystem>
#include <string>

namespace qw::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);

// UTF-8 source text turned into a GBK file body with CRLF line endings.
std::string GbkLines(const std::string& utf8WithLf);

}  // namespace qw::test
