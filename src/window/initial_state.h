// The main window's state when it opens: captions, initial texts and flags of the
// controls the logic addresses, the tab captions and the status-bar parts. The Qt window
// and MemoryWindow both start from this table, so they cannot drift apart.
#pragma once

#include <span>

#include "window/window_ops.h"

namespace qw {

struct InitialControlState {
  Control control;
  const char* textUtf8;  // caption or initial text
  bool disabled = false;
  bool ticked = false;
};

std::span<const InitialControlState> InitialControlStates();

inline constexpr int kTabCount = 5;
const char* TabCaptionUtf8(int index);  // "" for an index out of range

const char* InitialStatusTextUtf8(int part);  // "" for a part the bar lacks
int StatusPartWidth(int part);                // -1: the rest of the bar

inline constexpr const char* kDefaultTitleUtf8 = "Quillwatch (Discuz通用版) v1.0";

}  // namespace qw
