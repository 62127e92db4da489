// The behaviour every implementation of the window operations owes its callers, as one
// parameterized suite. An implementation's test program instantiates it with a factory:
//   INSTANTIATE_TEST_SUITE_P(Memory, WindowContract,
//                            ::testing::Values(WindowFactory{"Memory", &MakeMemoryWindow}));
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "window/window_ops.h"

namespace qw {

// A window under test with what it was asked to show outside itself.
class WindowUnderTest {
 public:
  virtual ~WindowUnderTest() = default;
  virtual WindowOps& Ops() = 0;
  virtual std::vector<std::pair<Text, Text>> Messages() = 0;  // text, title
  virtual std::vector<Text> OpenedAddresses() = 0;
  virtual int RuleMenuPopups() = 0;
};

struct WindowFactory {
  const char* name;
  std::unique_ptr<WindowUnderTest> (*make)();
};
inline void PrintTo(const WindowFactory& factory, std::ostream* out) { *out << factory.name; }

class WindowContract : public ::testing::TestWithParam<WindowFactory> {
 protected:
  void SetUp() override { window_ = GetParam().make(); }
  void TearDown() override { window_.reset(); }
  WindowOps& ops() { return window_->Ops(); }

  std::unique_ptr<WindowUnderTest> window_;
};

}  // namespace qw
