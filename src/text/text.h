// Text and value primitives.
//
// A Text is an owned string of GBK (code page 936) bytes that never holds a zero byte:
// every operation that turns bytes into a text stops at the first zero byte. Lengths
// count bytes, positions count bytes from 1, and a search that finds nothing gives -1.
// A byte of 0x80 or above is a lead byte and forms one character with the byte after it,
// whatever that byte is. Bytes is a byte buffer that may hold zero bytes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace qw {

using Text = std::string;
using Bytes = std::string;

// Helpers.
int TextLength(std::string_view text);
Text JoinTexts(std::initializer_list<std::string_view> texts);
int CompareText(std::string_view a, std::string_view b);
int CompareTextIgnoreCase(std::string_view a, std::string_view b);
Bytes JoinBytes(std::initializer_list<std::string_view> buffers);
int CompareBytes(std::string_view a, std::string_view b);
int TruncateToInt(double value);

// Text operations.
int FindText(std::string_view text, std::string_view sought, int startPosition = 1,
             bool ignoreCase = false);
Text TextLeft(std::string_view text, int n);
Text TextRight(std::string_view text, int n);
Text TextMid(std::string_view text, int start, int n);
// count < 0 means every occurrence.
Text ReplaceSubtext(std::string_view text, std::string_view sought,
                    std::string_view replacement = {}, int startPosition = 1, int count = -1,
                    bool caseSensitive = true);
Text ReplaceTextAt(std::string_view text, int start, int length);
Text ReplaceTextAt(std::string_view text, int start, int length, std::string_view replacement);
Text TrimBlanks(std::string_view text);
Text ToLowerCase(std::string_view text);
Text ToUpperCase(std::string_view text);
Text CharFromCode(int code);
Text BlankText(int n);

// The text between the first startMarker and the first endMarker after it. The markers
// are the caller's variables: "#引号" in them is replaced by a double quote, in place.
Text TextBetween(std::string_view text, Text& startMarker, Text& endMarker, int startPosition = 0,
                 bool caseSensitive = false);

// Conversions.
int TextToInt(std::string_view text);
double TextToNumber(std::string_view text);
Text IntToText(int value);
Text NumberToText(double value);
Text BoolToText(bool value);
Text BytesToText(std::string_view bytes);
Bytes TextToBytes(std::string_view text);

// Byte buffers.
int BytesLength(std::string_view bytes);
Bytes BytesLeft(std::string_view bytes, int n);
Bytes ZeroBytes(int n);

// Time and numbers.
struct TimeValue {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
TimeValue CurrentTime();
int MonthOf(const TimeValue& t);
int DayOf(const TimeValue& t);
int HourOf(const TimeValue& t);
int MinuteOf(const TimeValue& t);
int SecondOf(const TimeValue& t);
std::uint32_t TickCount();
double Modulo(double a, double b);
int BitAnd(std::initializer_list<int> values);
int BitOr(std::initializer_list<int> values);

}  // namespace qw
