// Pages in UTF-8 or BIG5 turned into GBK texts, always by way of UTF-16.
// Code pages: 936 GBK (Windows' table), 950 BIG5 (Windows' table), UTF-8.
#pragma once

#include "text/text.h"

namespace qw {

inline constexpr int kCodePageAnsi = 0;  // the system's ANSI code page: GBK here
inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageBig5 = 950;
inline constexpr int kCodePageUtf8 = 65001;

// UTF-16 units, little-endian, two bytes each.
using Utf16Buffer = Bytes;

Text Utf8BytesToGbkText(const Bytes& utf8);
Utf16Buffer Utf8BytesToUtf16(const Bytes& utf8);
Text Utf16ToGbkText(const Utf16Buffer& units);
Text Utf8TextToGbk(const Text& utf8);
Utf16Buffer TextToUtf16(const Text& text, int codePage = kCodePageUtf8);
Text Utf16ToText(const Utf16Buffer& units, int codePage = kCodePageAnsi);
Text Big5ToSimplifiedGbk(const Text& big5);
Text Big5ToGbk(const Text& big5);
Text ToSimplifiedChinese(const Text& gbk);

}  // namespace qw
