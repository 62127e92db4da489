#include "text/text.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace qw {
namespace {

bool IsLead(unsigned char c) { return c >= 0x80; }

unsigned char FoldCase(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 0x20 : c; }

bool SameBytes(std::string_view a, std::string_view b, bool ignoreCase) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (ignoreCase) {
      x = FoldCase(x);
      y = FoldCase(y);
    }
    if (x != y) return false;
  }
  return true;
}

int ClampToInt(size_t n) {
  return n > static_cast<size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                  : static_cast<int>(n);
}

Text Join(std::initializer_list<std::string_view> parts) {
  size_t total = 0;
  for (auto p : parts) total += p.size();
  Text out;
  out.reserve(total);
  for (auto p : parts) out.append(p);
  return out;
}

// Replaces the full-width characters that number reading folds by their one-byte forms.
Text FoldFullWidth(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char c = text[i];
    if (!IsLead(c)) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) break;  // dangling lead byte
    unsigned char t = text[i + 1];
    if (c == 0xA3 && t >= 0xA1 && t <= 0xFE)
      out.push_back(static_cast<char>(t & 0x7F));
    else if (c == 0xA1 && t == 0xA1)
      out.push_back(' ');
    else if (c == 0xA1 && t == 0xAB)
      out.push_back('~');
    else if (c == 0xA1 && (t == 0xEE || t == 0xEF))
      out.push_back('*');
    else
      out.append(text.substr(i, 2));
    i += 2;
  }
  return out;
}

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

Text ChangeCase(std::string_view text, bool toLower) {
  Text out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = out[i];
    if (IsLead(c)) {
      if (i + 1 >= out.size()) break;
      ++i;
      continue;
    }
    if (toLower && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 0x20);
    if (!toLower && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 0x20);
  }
  return out;
}

}  // namespace

int TextLength(std::string_view text) { return ClampToInt(text.size()); }

Text JoinTexts(std::initializer_list<std::string_view> texts) { return Join(texts); }

int CompareText(std::string_view a, std::string_view b) {
  int r = a.compare(b);  // char_traits<char> compares as unsigned char
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  for (; i < a.size() && i < b.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    bool lead = IsLead(x);
    if (!lead) {
      x = FoldCase(x);
      y = FoldCase(y);
    }
    if (x != y) return x < y ? -1 : 1;
    if (lead && i + 1 < a.size() && i + 1 < b.size()) {
      ++i;  // the trail byte of a double-byte character compares exactly
      if (a[i] != b[i])
        return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    }
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

Bytes JoinBytes(std::initializer_list<std::string_view> buffers) { return Join(buffers); }

int CompareBytes(std::string_view a, std::string_view b) { return a == b ? 0 : 1; }

int TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  double t = std::trunc(value);
  if (t >= 2147483647.0) return std::numeric_limits<int>::max();
  if (t <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(t);
}

int FindText(std::string_view text, std::string_view sought, int startPosition, bool ignoreCase) {
  size_t s = startPosition > 1 ? static_cast<size_t>(startPosition) - 1 : 0;
  if (s >= text.size()) return -1;
  if (sought.empty()) return 1;
  for (size_t i = s; text.size() - i >= sought.size();) {
    if (SameBytes(text.substr(i, sought.size()), sought, ignoreCase)) return ClampToInt(i + 1);
    if (IsLead(static_cast<unsigned char>(text[i]))) {
      if (i + 1 >= text.size()) break;  // dangling lead byte
      i += 2;
    } else {
      i += 1;
    }
  }
  return -1;
}

Text TextLeft(std::string_view text, int n) {
  if (n <= 0) return {};
  return Text(text.substr(0, static_cast<size_t>(n)));
}

Text TextRight(std::string_view text, int n) {
  if (n <= 0) return {};
  size_t k = std::min(static_cast<size_t>(n), text.size());
  return Text(text.substr(text.size() - k));
}

Text TextMid(std::string_view text, int start, int n) {
  if (start < 1 || static_cast<size_t>(start) > text.size() || n <= 0) return {};
  return Text(text.substr(static_cast<size_t>(start) - 1, static_cast<size_t>(n)));
}

Text ReplaceSubtext(std::string_view text, std::string_view sought, std::string_view replacement,
                    int startPosition, int count, bool caseSensitive) {
  size_t s = startPosition > 1 ? static_cast<size_t>(startPosition) - 1 : 0;
  if (text.empty() || sought.empty() || s >= text.size() || count == 0) return Text(text);
  Text out(text.substr(0, s));
  size_t i = s;
  while (text.size() - i >= sought.size()) {
    if (SameBytes(text.substr(i, sought.size()), sought, !caseSensitive)) {
      out.append(replacement);
      i += sought.size();
      if (count > 0 && --count == 0) break;
      continue;
    }
    if (IsLead(static_cast<unsigned char>(text[i]))) {
      if (i + 1 >= text.size()) {  // a dangling lead byte ends the scan and is dropped
        i = text.size();
        break;
      }
      out.append(text.substr(i, 2));
      i += 2;
    } else {
      out.push_back(text[i]);
      i += 1;
    }
  }
  out.append(text.substr(i));
  return out;
}

Text ReplaceTextAt(std::string_view text, int start, int length) {
  size_t p = start > 1 ? std::min(static_cast<size_t>(start) - 1, text.size()) : 0;
  size_t n = length > 0 ? std::min(static_cast<size_t>(length), text.size() - p) : 0;
  Text out(text);
  out.erase(p, n);
  return out;
}

Text ReplaceTextAt(std::string_view text, int start, int length, std::string_view replacement) {
  size_t p = start > 1 ? std::min(static_cast<size_t>(start) - 1, text.size()) : 0;
  Text out = ReplaceTextAt(text, start, length);
  out.insert(p, replacement);
  return out;
}

Text TrimBlanks(std::string_view text) {
  auto blankAt = [&](size_t i) -> size_t {  // length of the blank at i, 0 when none
    if (text[i] == ' ') return 1;
    if (static_cast<unsigned char>(text[i]) == 0xA1 && i + 1 < text.size() &&
        static_cast<unsigned char>(text[i + 1]) == 0xA1)
      return 2;
    return 0;
  };
  size_t begin = 0;
  while (begin < text.size()) {
    size_t n = blankAt(begin);
    if (n == 0) break;
    begin += n;
  }
  size_t end = text.size();
  size_t runStart = std::string_view::npos;
  size_t i = begin;
  while (i < text.size()) {
    size_t n = blankAt(i);
    if (n > 0) {
      if (runStart == std::string_view::npos) runStart = i;
      i += n;
      continue;
    }
    if (IsLead(static_cast<unsigned char>(text[i]))) {
      if (i + 1 >= text.size()) {  // dangling lead byte: cut before it, keep the blanks
        end = i;
        runStart = std::string_view::npos;
        break;
      }
      i += 2;
    } else {
      i += 1;
    }
    runStart = std::string_view::npos;
  }
  if (runStart != std::string_view::npos) end = runStart;
  return begin < end ? Text(text.substr(begin, end - begin)) : Text();
}

Text ToLowerCase(std::string_view text) { return ChangeCase(text, true); }

Text ToUpperCase(std::string_view text) { return ChangeCase(text, false); }

Text CharFromCode(int code) {
  unsigned char c = static_cast<unsigned char>(code & 0xFF);
  if (c == 0) return {};
  return Text(1, static_cast<char>(c));
}

Text BlankText(int n) { return n < 1 ? Text() : Text(static_cast<size_t>(n), ' '); }

Text TextBetween(std::string_view text, Text& startMarker, Text& endMarker, int startPosition,
                 bool caseSensitive) {
  static const Text kQuotePlaceholder = "#\xD2\xFD\xBA\xC5";  // "#引号" in GBK
  if (FindText(startMarker, kQuotePlaceholder) != -1)
    startMarker = ReplaceSubtext(startMarker, kQuotePlaceholder, "\"");
  if (FindText(endMarker, kQuotePlaceholder) != -1)
    endMarker = ReplaceSubtext(endMarker, kQuotePlaceholder, "\"");
  bool ignoreCase = !caseSensitive;
  int p1 = FindText(text, startMarker, startPosition, ignoreCase);
  if (p1 == -1) return {};
  Text rest = TextRight(text, TextLength(text) - p1 - TextLength(startMarker) + 1);
  int p2 = FindText(rest, endMarker, startPosition, ignoreCase);
  if (p2 == -1) return {};
  return TextLeft(rest, p2 - 1);
}

int TextToInt(std::string_view text) {
  Text folded = FoldFullWidth(text);
  size_t i = 0;
  while (i < folded.size() && IsCSpace(folded[i])) ++i;
  bool negative = false;
  if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) negative = folded[i++] == '-';
  long long value = 0;
  for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
    value = value * 10 + (folded[i] - '0');
    if (value > 2147483648LL) value = 2147483648LL;  // saturate: strtol clamps out-of-range
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

double TextToNumber(std::string_view text) {
  Text folded = FoldFullWidth(text);
  size_t i = 0;
  while (i < folded.size() && IsCSpace(folded[i])) ++i;
  // Only the decimal form is accepted (no hexadecimal, inf or nan as strtod would).
  size_t start = i;
  if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) ++i;
  size_t digits = 0;
  while (i < folded.size() && folded[i] >= '0' && folded[i] <= '9') ++i, ++digits;
  if (i < folded.size() && folded[i] == '.') {
    ++i;
    while (i < folded.size() && folded[i] >= '0' && folded[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < folded.size() && (folded[i] == 'e' || folded[i] == 'E')) {
    size_t j = i + 1;
    if (j < folded.size() && (folded[j] == '+' || folded[j] == '-')) ++j;
    if (j < folded.size() && folded[j] >= '0' && folded[j] <= '9') {
      while (j < folded.size() && folded[j] >= '0' && folded[j] <= '9') ++j;
      i = j;
    }
  }
  std::string number = folded.substr(start, i - start);
  return std::strtod(number.c_str(), nullptr);
}

Text IntToText(int value) { return std::to_string(value); }

Text NumberToText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.13g", value);
  return buffer;
}

Text BoolToText(bool value) { return value ? "\xD5\xE6" : "\xBC\xD9"; }  // "真" / "假"

Text BytesToText(std::string_view bytes) { return Text(bytes.substr(0, bytes.find('\0'))); }

Bytes TextToBytes(std::string_view text) { return Bytes(text); }

int BytesLength(std::string_view bytes) { return ClampToInt(bytes.size()); }

Bytes BytesLeft(std::string_view bytes, int n) {
  if (n <= 0) return {};
  return Bytes(bytes.substr(0, static_cast<size_t>(n)));
}

Bytes ZeroBytes(int n) { return n <= 0 ? Bytes() : Bytes(static_cast<size_t>(n), '\0'); }

TimeValue CurrentTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return TimeValue{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
}

int MonthOf(const TimeValue& t) { return t.month; }
int DayOf(const TimeValue& t) { return t.day; }
int HourOf(const TimeValue& t) { return t.hour; }
int MinuteOf(const TimeValue& t) { return t.minute; }
int SecondOf(const TimeValue& t) { return t.second; }

std::uint32_t TickCount() {
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
  return static_cast<std::uint32_t>(static_cast<unsigned long long>(ms));
}

double Modulo(double a, double b) { return std::fmod(a, b); }

int BitAnd(std::initializer_list<int> values) {
  int r = ~0;
  for (int v : values) r &= v;
  return values.size() == 0 ? 0 : r;
}

int BitOr(std::initializer_list<int> values) {
  int r = 0;
  for (int v : values) r |= v;
  return r;
}

}  // namespace qw
