#include "platform/platform.h"

#include <algorithm>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#endif

namespace qw::platform {
namespace {

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

#ifdef _WIN32

std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string out;
  if (n > 0 && buffer) {
    while (n > 0 && (buffer[n - 1] == L'\r' || buffer[n - 1] == L'\n' || buffer[n - 1] == L' '))
      --n;
    int size =
        WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    out.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(n), out.data(), size, nullptr,
                        nullptr);
  }
  if (buffer) LocalFree(buffer);
  if (out.empty()) out = "error " + std::to_string(code);
  return out;
}

#else

std::string SystemMessage(int code) { return std::generic_category().message(code); }

#endif

}  // namespace

#ifdef _WIN32

std::filesystem::path ProgramDirectory() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::filesystem::current_path();
    if (n < buffer.size()) {
      buffer.resize(n);
      return std::filesystem::path(buffer).parent_path();
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::string* error) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  SetError(error, SystemMessage(GetLastError()));
  return false;
}

bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetError(error, SystemMessage(GetLastError()));
    return false;
  }
  bool ok = true;
  DWORD failure = 0;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      ok = false;
      failure = GetLastError();
    }
    done += written;
  }
  if (ok && !FlushFileBuffers(file)) {
    ok = false;
    failure = GetLastError();
  }
  if (!CloseHandle(file) && ok) {
    ok = false;
    failure = GetLastError();
  }
  if (!ok) SetError(error, SystemMessage(failure));
  return ok;
}

#else

std::filesystem::path ProgramDirectory() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return std::filesystem::current_path(ec);
  return exe.parent_path();
}

bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::string* error) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    SetError(error, SystemMessage(errno));
    return false;
  }
  // Make the rename itself survive a power cut; the data was flushed before.
  std::filesystem::path dir = to.parent_path();
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetError(error, SystemMessage(errno));
    return false;
  }
  int failure = 0;
  size_t done = 0;
  while (failure == 0 && done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno != EINTR) failure = errno;
    } else if (n == 0) {
      failure = EIO;
    } else {
      done += static_cast<size_t>(n);
    }
  }
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure != 0) SetError(error, SystemMessage(failure));
  return failure == 0;
}

#endif

}  // namespace qw::platform
