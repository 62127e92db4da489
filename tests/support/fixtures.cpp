#include "support/fixtures.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qw::test {

std::string FixturePath(const std::string& name) {
  return std::string(QW_FIXTURE_DIR) + "/" + name;
}

std::string ReadFixture(const std::string& name) {
  std::ifstream in(FixturePath(name), std::ios::binary);
  if (!in) throw std::runtime_error("missing fixture " + name);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace qw::test
