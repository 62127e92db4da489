#include "window/memory_window.h"

#include <memory>

#include "window_contract.h"

namespace qw {
namespace {

class MemoryWindowUnderTest : public WindowUnderTest {
 public:
  WindowOps& Ops() override { return window_; }
  std::vector<std::pair<Text, Text>> Messages() override {
    std::vector<std::pair<Text, Text>> out;
    for (const auto& m : window_.Messages()) out.emplace_back(m.text, m.title);
    return out;
  }
  std::vector<Text> OpenedAddresses() override { return window_.OpenedAddresses(); }
  int RuleMenuPopups() override { return window_.RuleMenuPopups(); }

 private:
  MemoryWindow window_;
};

std::unique_ptr<WindowUnderTest> MakeMemoryWindow() {
  return std::make_unique<MemoryWindowUnderTest>();
}

INSTANTIATE_TEST_SUITE_P(Memory, WindowContract,
                         ::testing::Values(WindowFactory{"Memory", &MakeMemoryWindow}));

}  // namespace
}  // namespace qw
