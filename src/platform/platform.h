// The few calls that differ between operating systems.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qw::platform {

// The folder that holds the running program file.
std::filesystem::path ProgramDirectory();

// Puts the file `from` in the place of `to` in one step, so that `to` is either the old
// or the new file, never half of each. Returns false and sets error on failure.
bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::string* error);

// Creates or truncates `path`, writes `bytes` as its whole content and flushes it to the
// disk before returning. Returns false and sets error on failure; the file may then hold
// part of the bytes, so callers write a temporary name and ReplaceFile it into place.
bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes, std::string* error);

// Error texts above are the system's own message in UTF-8.

}  // namespace qw::platform
