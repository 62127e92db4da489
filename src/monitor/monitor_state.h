// The process-wide variables of monitoring: one instance, zero or empty at start and never
// reset while the program runs.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace qw {

struct MonitorState {
  std::int32_t projectCount = 0;  // ProjectList's row count at the last load or submit
  std::int32_t intervalMs = 0;    // time between two round starts
  std::int32_t roundCursor = 0;   // 0-based ProjectList row of the next project to fetch
  std::int32_t postRowCount = 0;  // PostList's row count after the fetches of a round
  Text lastTimeStamp;
  Text seenDigest;
};

}  // namespace qw
