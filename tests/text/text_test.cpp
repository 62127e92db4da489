#include "text/text.h"

#include <gtest/gtest.h>

#include "text/codepage.h"

namespace qw {
namespace {

// GBK characters used below: 中 D6 D0, 文 CE C4, full-width space A1 A1,
// full-width digits A3 B0..A3 B9, and lead bytes followed by ASCII trail bytes.
const Text kZhong = "\xD6\xD0";
const Text kFullSpace = "\xA1\xA1";

struct FindCase {
  Text text, sought;
  int start;
  bool ignoreCase;
  int expected;
};

TEST(FindText, Table) {
  const FindCase cases[] = {
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "c", 7, false, -1},
      {"abc", "", 2, false, 1},
      {"", "", 1, false, -1},
      {"abc", "", 4, false, -1},
      {"ABC", "b", 1, true, 2},
      {"ABC", "b", 1, false, -1},
      {"abc", "a", -5, false, 1},  // start below 1 counts as 1
      // A double-byte character whose trail byte is 0x41 is found in one whose trail is 0x61
      // only when letter case is ignored: case folding applies to trail bytes too.
      {"\x81\x61", "\x81\x41", 1, true, 1},
      {"\x81\x61", "\x81\x41", 1, false, -1},
      // The trail byte 0x61 is never the start of a match.
      {"\x81\x61"
       "a",
       "a", 1, false, 3},
      // A start position on a trail byte starts the walk there.
      {"\x81\x61"
       "a",
       "a", 2, false, 2},
      // A dangling lead byte ends the scan.
      {"ab\x81", "\x81", 1, false, 3},
      {"\x81", "x", 1, false, -1},
      {kZhong + "x" + kZhong, kZhong, 2, false, 4},
      {"abc", "abcd", 1, false, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.expected)
        << "'" << c.text << "' / '" << c.sought << "' from " << c.start;
  }
}

TEST(TextCuts, ClampedCounts) {
  EXPECT_EQ(TextLeft("ab", 0), "");
  EXPECT_EQ(TextRight("ab", -3), "");
  EXPECT_EQ(TextLeft("ab", 5), "ab");
  EXPECT_EQ(TextRight("abc", 2), "bc");
  EXPECT_EQ(TextRight("abc", 9), "abc");
  EXPECT_EQ(TextMid("abcdef", 3, 100), "cdef");
  EXPECT_EQ(TextMid("abc", 4, 1), "");
  EXPECT_EQ(TextMid("abc", 0, 1), "");
  EXPECT_EQ(TextMid("abc", 2, 0), "");
  // A cut may split a double-byte character.
  EXPECT_EQ(TextLeft(kZhong + "\xCE\xC4", 3), kZhong + "\xCE");
  EXPECT_EQ(ReplaceTextAt("abcdef", 1, 2), "cdef");
  EXPECT_EQ(ReplaceTextAt("abcdef", -4, 2), "cdef");
  EXPECT_EQ(ReplaceTextAt("abcdef", 5, 10), "abcd");
  EXPECT_EQ(ReplaceTextAt("abcdef", 9, 1), "abcdef");
  EXPECT_EQ(ReplaceTextAt("abcdef", 3, -1), "abcdef");
  EXPECT_EQ(ReplaceTextAt("abcdef", 3, 2, "XY"), "abXYef");
  EXPECT_EQ(ReplaceTextAt("ab", 7, 1, "X"), "abX");
}

TEST(ReplaceSubtext, Table) {
  const Text quote = Gbk("#引号");
  struct Case {
    Text text, sought, replacement;
    int start, count;
    bool caseSensitive;
    Text expected;
  } cases[] = {
      {"a" + quote + "b" + quote, quote, "\"", 1, -1, true, "a\"b\""},
      {"a" + quote + "b" + quote, quote, "\"", 1, 1, true, "a\"b" + quote},
      {"aXbx", "x", "", 1, -1, false, "ab"},
      {"aXbx", "x", "", 1, -1, true, "aXb"},
      {"xxx", "x", "y", 2, -1, true, "xyy"},
      {"xxx", "x", "y", 1, 0, true, "xxx"},
      {"xxx", "", "y", 1, -1, true, "xxx"},
      {"xxx", "x", "y", 4, -1, true, "xxx"},
      {"aa", "a", "aa", 1, -1, true, "aaaa"},  // the replacement is not searched again
      // A trail byte equal to the sought byte is copied with its lead byte, never replaced.
      {"\x81xx", "x", "", 1, -1, true, "\x81x"},
      // A dangling lead byte ends the scan and is not copied.
      {"ax\x81", "x", "", 1, -1, true, "a"},
      {"RefererNo\r\nRefererNo", "RefererNo", "", 1, 1, true, "\r\nRefererNo"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceSubtext(c.text, c.sought, c.replacement, c.start, c.count, c.caseSensitive),
              c.expected)
        << c.text;
  }
}

TEST(TrimBlanks, Table) {
  const Text tab = "\t";
  struct Case {
    Text text, expected;
  } cases[] = {
      {" \tx\t ", "\tx\t"},
      {kFullSpace + "abc" + kFullSpace + " ", "abc"},
      {"\r\nabc\n", "\r\nabc\n"},
      {"   ", ""},
      {kFullSpace + kFullSpace, ""},
      {"", ""},
      {" a b ", "a b"},
      // A dangling lead byte at the end is removed; the blanks before it stay.
      {"ab \x81", "ab "},
      {kZhong + " ", kZhong},
      // A1 followed by another byte is a character, not a blank.
      {"\xA1\xA2 ", "\xA1\xA2"},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimBlanks(c.text), c.expected) << c.text;
}

TEST(LetterCase, DoubleByteCharactersStayWhole) {
  // ABC then the full-width letters A and B (A3 C1, A3 C2).
  EXPECT_EQ(ToLowerCase("ABC\xA3\xC1\xA3\xC2"), "abc\xA3\xC1\xA3\xC2");
  // A trail byte in the ASCII letter range is never changed.
  EXPECT_EQ(ToLowerCase("\x81\x41"
                        "A"),
            "\x81\x41"
            "a");
  EXPECT_EQ(ToUpperCase("\x81\x61"
                        "a"),
            "\x81\x61"
            "A");
  // A dangling lead byte ends the walk; the length stays.
  EXPECT_EQ(ToUpperCase("a\x81"), "A\x81");
  EXPECT_EQ(CompareTextIgnoreCase("AbC", "aBc"), 0);
  EXPECT_NE(CompareTextIgnoreCase("\x81\x41", "\x81\x61"), 0);
  EXPECT_NE(CompareTextIgnoreCase("ab", "abc"), 0);
}

TEST(TextBetween, MarkersAndPlaceholders) {
  struct Case {
    Text text, start, end, expected;
  } cases[] = {
      {"x<ROOT>A</root>", "<root>", "</root>", "A"},
      {"</root>x<root>A", "<root>", "</root>", ""},
      {"abc", "", "c", "ab"},
      {"abc", "a", "", ""},
      {"abc", "c", "x", ""},  // start marker at the very end
      {"abc", "q", "c", ""},
      {"<a>1</a><a>2</a>", "<a>", "</a>", "1"},
  };
  for (auto& c : cases) {
    Text s = c.start, e = c.end;
    EXPECT_EQ(TextBetween(c.text, s, e), c.expected) << c.text;
  }
  Text start = Gbk("a#引号"), end = Gbk("#引号c");
  EXPECT_EQ(TextBetween("a\"b\"c", start, end), "b");
  EXPECT_EQ(start, "a\"");
  EXPECT_EQ(end, "\"c");
}

TEST(Conversions, NumbersFromText) {
  const Text full280 = "\xA3\xB2\xA3\xB8\xA3\xB0";
  struct IntCase {
    Text text;
    int expected;
  } ints[] = {
      {"280", 280},
      {" 12", 12},
      {"1.5", 1},
      {"-7x", -7},
      {"abc", 0},
      {"", 0},
      {full280, 280},
      {kFullSpace + "\xA3\xB1\xA3\xB2\xA3\xB0", 120},
      {"\xA3\xAD"
       "5",
       -5},  // full-width minus
      {"\t\n+42", 42},
      {"99999999999", 2147483647},
      {"-99999999999", -2147483647 - 1},
  };
  for (const auto& c : ints) EXPECT_EQ(TextToInt(c.text), c.expected) << c.text;
  struct NumberCase {
    Text text;
    double expected;
  } numbers[] = {
      {"8080/", 8080}, {"1.5", 1.5}, {"", 0},     {"x1", 0},  {"2e3", 2000},
      {"-.5", -0.5},   {"1e", 1},    {"0x10", 0}, {"inf", 0}, {full280 + ".5", 280.5},
  };
  for (const auto& c : numbers) EXPECT_DOUBLE_EQ(TextToNumber(c.text), c.expected) << c.text;
}

TEST(Conversions, TextFromValues) {
  EXPECT_EQ(IntToText(5), "5");
  EXPECT_EQ(IntToText(-12), "-12");
  EXPECT_EQ(NumberToText(2.0), "2");
  EXPECT_EQ(NumberToText(3.0), "3");
  EXPECT_EQ(NumberToText(0.5), "0.5");
  EXPECT_EQ(NumberToText(1.0 / 3), "0.3333333333333");
  EXPECT_EQ(NumberToText(1e13), "1e+13");
  EXPECT_EQ(NumberToText(0.00001), "1e-05");
  EXPECT_EQ(BoolToText(true), Gbk("真"));
  EXPECT_EQ(BoolToText(false), Gbk("假"));
  EXPECT_EQ(BytesToText(std::string("AB\0C", 4)), "AB");
  EXPECT_EQ(BytesToText(""), "");
  EXPECT_EQ(CharFromCode(0), "");
  EXPECT_EQ(CharFromCode(0x41), "A");
  EXPECT_EQ(CharFromCode(0xDE), "\xDE");
  EXPECT_EQ(BlankText(3), "   ");
  EXPECT_EQ(BlankText(0), "");
}

TEST(Helpers, CompareAndBuffers) {
  EXPECT_EQ(CompareText("", ""), 0);
  EXPECT_EQ(CompareText("", "a"), -1);
  EXPECT_EQ(CompareText("\x81", "a"), 1);  // bytes compare unsigned
  EXPECT_EQ(CompareBytes("", ""), 0);
  EXPECT_NE(CompareBytes("a", std::string("a\0", 2)), 0);
  EXPECT_EQ(JoinTexts({"a", "", "bc"}), "abc");
  EXPECT_EQ(JoinBytes({"", ""}), "");
  EXPECT_EQ(BytesLeft(std::string("a\0b", 3), 2), std::string("a\0", 2));
  EXPECT_EQ(BytesLeft("ab", -1), "");
  EXPECT_EQ(ZeroBytes(2), std::string(2, '\0'));
  EXPECT_EQ(ZeroBytes(-1), "");
  EXPECT_EQ(TruncateToInt(2.9), 2);
  EXPECT_EQ(TruncateToInt(-2.9), -2);
  EXPECT_DOUBLE_EQ(Modulo(-7, 3), -1);
  EXPECT_EQ(BitAnd({0x0F, 0x3C}), 0x0C);
  EXPECT_EQ(BitOr({1, 2, 8}), 11);
}

TEST(Codepage, RoundTrip) {
  EXPECT_EQ(Gbk("中文"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(Utf8("\xD6\xD0\xCE\xC4"), "中文");
  EXPECT_EQ(Gbk("\xF0\x9F\x98\x80"), "?");  // an emoji has no GBK form
}

}  // namespace
}  // namespace qw
