// Paths of the shared test fixtures.
#pragma once

#include <string>

namespace qw::test {

// The captured Discuz thread lists.
std::string FixturePath(const std::string& name);
// The whole file, bytes as stored.
std::string ReadFixture(const std::string& name);

}  // namespace qw::test
