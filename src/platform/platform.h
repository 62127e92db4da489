// The few calls that differ between operating systems.
#pragma once

#include <filesystem>
#include <string>

namespace qw::platform {

// The folder that holds the running program file.
std::filesystem::path ProgramDirectory();

// Puts the file `from` in the place of `to` in one step, so that `to` is either the old
// or the new file, never half of each. Returns false and sets error on failure.
bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::string* error);

}  // namespace qw::platform
