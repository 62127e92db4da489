// GBK <-> UTF-8 for texts that cross the program's edges: literals written in the
// sources (UTF-8), file names and the window toolkit. Pages from the web have
// conversions of their own (web/charset.h).
#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace qw {

// UTF-8 to GBK; a character GBK lacks becomes "?".
Text Gbk(std::string_view utf8);
// GBK to UTF-8; an invalid byte sequence becomes U+FFFD.
std::string Utf8(std::string_view gbk);

}  // namespace qw
