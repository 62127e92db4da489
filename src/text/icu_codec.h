// ICU's converters for the code pages the program meets: GBK and BIG5 with Windows' own
// tables, and UTF-8. Shared by the literal conversions and the page conversions.
#pragma once

#include <unicode/ucnv.h>

#include <string>
#include <string_view>

namespace qw {

// Per-thread converters; nullptr when ICU lacks the table. GBK and BIG5 write "?" for a
// character they lack, as Windows does, and apply Windows' best-fit mappings.
UConverter* GbkConverter();
UConverter* Big5Converter();
UConverter* Utf8Converter();
// GBK that stops at the first character it cannot write instead of substituting one.
UConverter* StoppingGbkConverter();

// Bytes to UTF-16 units; invalid input becomes U+FFFD, one per ill-formed sequence.
std::u16string Decode(UConverter* from, std::string_view bytes);
// UTF-16 units to bytes.
std::string Encode(UConverter* to, std::u16string_view units);

}  // namespace qw
