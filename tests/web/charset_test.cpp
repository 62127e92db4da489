#include "web/charset.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <vector>

#include "support/fixtures.h"
#include "text/codepage.h"

namespace qw {
namespace {

// GBK: 最 D7EE 新 D0C2 更 B8FC 中 D6D0 文 CEC4 体 CCE5 国 B9FA 體 F377 國 87F8.
// BIG5: 中 A4A4 文 A4E5 字 A672 體 C5E9 育 A87C 國 B0EA 家 AE61.
const Text kGbkZuixinGengxin = "\xD7\xEE\xD0\xC2\xB8\xFC\xD0\xC2";
const Text kBig5Zhongwen = "\xA4\xA4\xA4\xE5";
const Text kGbkZhongwen = "\xD6\xD0\xCE\xC4";
const Text kBig5Ti = "\xC5\xE9";
const Text kBig5Guo = "\xB0\xEA";
// BIG5 A145, the hyphenation point U+2027, which GBK lacks.
const Text kBig5HyphenationPoint = "\xA1\x45";

Bytes Units(std::initializer_list<char16_t> units) {
  Bytes bytes;
  for (char16_t u : units) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}

struct Case {
  const char* name;
  Bytes input, expected;
};

TEST(Utf8BytesToGbkText, Table) {
  const Case cases[] = {
      {"four characters", "最新更新", kGbkZuixinGengxin},
      {"empty", "", ""},
      {"ascii", "<root>abc</root>", "<root>abc</root>"},
      {"zero byte ends the text", Bytes("ab\0\xE6\x96\x87", 6), "ab"},
      // GBK bytes are not UTF-8: each ill-formed sequence becomes U+FFFD, written "?".
      {"gbk given as utf-8", "<a>" + Gbk("最新") + "</a>", "<a>" + Text(4, '?') + "</a>"},
      {"hangul, outside gbk", "x한y", "x?y"},
      {"lone continuation byte", "a\x80z", "a?z"},
      // Windows' table has the euro sign at 0x80.
      {"euro", "€", "\x80"},
      // A base letter and a combining accent are composed first.
      {"combining acute", "e\xCC\x81", Gbk("é")},
      // Windows' best fit: GBK has no capital A grave, so the small one stands in.
      {"best fit", "À", Gbk("à")},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8BytesToGbkText(c.input), c.expected) << c.name;
}

TEST(Utf8BytesToUtf16, ConvertsEveryByteLittleEndian) {
  const Case cases[] = {
      {"ascii and cjk", "a中", Units({u'a', u'\x4E2D'})},
      {"zero bytes are characters", Bytes("a\0b", 3), Units({u'a', u'\0', u'b'})},
      {"supplementary", "\xF0\x9F\x98\x80", Units({u'\xD83D', u'\xDE00'})},
      {"invalid", "\xFF", Units({u'\xFFFD'})},
      {"empty", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8BytesToUtf16(c.input), c.expected) << c.name;
}

TEST(Utf16ToGbkText, Table) {
  const Case cases[] = {
      {"ends at the first zero byte", Units({u'\x4E2D', u'\0', u'\x6587'}), "\xD6\xD0"},
      {"odd last byte is not a unit", Units({u'\x4E2D'}) + "A", "\xD6\xD0"},
      {"unpaired surrogate", Units({u'a', u'\xD800', u'b'}), "a?b"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf16ToGbkText(c.input), c.expected) << c.name;
}

TEST(Utf8TextToGbk, Table) {
  const Case cases[] = {
      {"four characters", "最新更新", kGbkZuixinGengxin},
      {"stops reading at a zero byte", Bytes("\xE4\xB8\xAD\0\xE6\x96\x87", 7), "\xD6\xD0"},
      {"outside gbk", "한", "?"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8TextToGbk(c.input), c.expected) << c.name;
}

TEST(TextToUtf16, ReadsTheGivenCodePageAndEndsWithAZeroUnit) {
  const struct {
    Text text;
    int codePage;
    Bytes expected;
  } cases[] = {
      {"a中", kCodePageUtf8, Units({u'a', u'\x4E2D', u'\0'})},
      {kGbkZhongwen, kCodePageGbk, Units({u'\x4E2D', u'\x6587', u'\0'})},
      {kGbkZhongwen, kCodePageAnsi, Units({u'\x4E2D', u'\x6587', u'\0'})},
      {kBig5Ti, kCodePageBig5, Units({u'\x9AD4', u'\0'})},
      {Bytes("a\0b", 3), kCodePageUtf8, Units({u'a', u'\0'})},
      {"", kCodePageUtf8, Units({u'\0'})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToUtf16(c.text, c.codePage), c.expected) << c.text << " in " << c.codePage;
  }
  EXPECT_EQ(TextToUtf16("中"), Units({u'\x4E2D', u'\0'}));  // left out: UTF-8
}

TEST(Utf16ToText, WritesTheGivenCodePageUpToTheFirstZeroUnit) {
  const Bytes units = Units({u'\x4E2D', u'\x6587', u'\0', u'x'});
  EXPECT_EQ(Utf16ToText(units), kGbkZhongwen);  // left out: ANSI, which is GBK
  EXPECT_EQ(Utf16ToText(units, kCodePageGbk), kGbkZhongwen);
  EXPECT_EQ(Utf16ToText(units, kCodePageUtf8), "中文");
  EXPECT_EQ(Utf16ToText(units, kCodePageBig5), kBig5Zhongwen);
  EXPECT_EQ(Utf16ToText(Units({u'\xD55C', u'!'})), "?!");
  EXPECT_EQ(Utf16ToText(Units({u'\xD55C', u'!'}), kCodePageBig5), "?!");
  EXPECT_EQ(Utf16ToText(""), "");
  EXPECT_EQ(Utf16ToText(Units({u'\0', u'a'})), "");
}

// The BIG5 character used for truncation must really lack a GBK form; ask ICU itself.
TEST(Big5ToGbk, TruncationCharacterHasNoGbkForm) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* big5 = ucnv_open("windows-950-2000", &status);
  ASSERT_TRUE(U_SUCCESS(status));
  UChar unit[4];
  int32_t n = ucnv_toUChars(big5, unit, 4, kBig5HyphenationPoint.data(), 2, &status);
  ucnv_close(big5);
  ASSERT_TRUE(U_SUCCESS(status));
  ASSERT_EQ(n, 1);
  EXPECT_EQ(unit[0], u'\x2027');

  UConverter* gbk = ucnv_open("windows-936-2000", &status);
  ASSERT_TRUE(U_SUCCESS(status));
  ucnv_setFallback(gbk, true);
  ucnv_setFromUCallBack(gbk, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  char out[8];
  status = U_ZERO_ERROR;
  ucnv_fromUChars(gbk, out, 8, unit, 1, &status);
  ucnv_close(gbk);
  EXPECT_TRUE(U_FAILURE(status)) << "GBK has a form for U+2027 after all";
}

TEST(Big5ToGbk, Table) {
  const Case cases[] = {
      {"two characters", kBig5Zhongwen, kGbkZhongwen},
      {"traditional stays traditional", kBig5Ti + kBig5Guo, "\xF3\x77\x87\xF8"},
      {"ascii", "abc", "abc"},
      // Windows' BIG5 table reads A156 as the en dash; IBM's reads it as the em dash.
      {"windows table", "\xA1\x56", "\xA8\x43"},
      // The third character has no GBK form: the result ends right before it.
      {"cut before a character gbk lacks", kBig5Zhongwen + kBig5HyphenationPoint + "\xA6\x72",
       kGbkZhongwen},
      {"first character lacking", kBig5HyphenationPoint + kBig5Zhongwen, ""},
      {"zero byte ends the text", Bytes("\xA4\xA4\0\xA4\xE5", 5), "\xD6\xD0"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Big5ToGbk(c.input), c.expected) << c.name;
}

TEST(ToSimplifiedChinese, Table) {
  const Case cases[] = {
      {"traditional to simplified", Gbk("體育國家對發"), Gbk("体育国家对发")},
      {"simplified and ascii unchanged", Gbk("最新 thread 更新"), Gbk("最新 thread 更新")},
      {"mixed", "<b>" + Gbk("國") + "</b>", "<b>" + Gbk("国") + "</b>"},
      {"dangling lead byte kept", "a\xF3", "a\xF3"},
      {"euro byte is one character", "\x80" + Gbk("體"), "\x80" + Gbk("体")},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    Text simplified = ToSimplifiedChinese(c.input);
    EXPECT_EQ(simplified, c.expected) << c.name;
    EXPECT_EQ(simplified.size(), c.input.size()) << c.name;
  }
}

TEST(Big5ToSimplifiedGbk, Table) {
  const Case cases[] = {
      {"ti", kBig5Ti, Gbk("体")},
      {"guo", kBig5Guo, Gbk("国")},
      {"phrase", kBig5Ti + "\xA8\x7C" + kBig5Guo + "\xAE\x61", Gbk("体育国家")},
      {"cut, then simplified", kBig5Guo + kBig5HyphenationPoint + kBig5Ti, Gbk("国")},
      {"empty", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Big5ToSimplifiedGbk(c.input), c.expected) << c.name;
}

std::vector<Text> ThreadTitles(const Text& page) {
  const Text open = "onclick=\"atarget(this)\" class=\"s xst\">";
  std::vector<Text> titles;
  for (int at = FindText(page, open); at != -1; at = FindText(page, open, at + 1)) {
    Text rest = TextMid(page, at + TextLength(open), TextLength(page));
    titles.push_back(TextLeft(rest, FindText(rest, "</a>") - 1));
  }
  return titles;
}

// The two captured forums hold the same threads, one in UTF-8 and one in GBK; only the
// titles of the returning-visitor threads differ, by the time in them.
TEST(Utf8BytesToGbkText, CapturedUtf8PageGivesTheGbkPagesTitles) {
  const Bytes utf8Page = test::ReadFixture("forumdisplay_inajax_utf8.html");
  const Text converted = Utf8BytesToGbkText(utf8Page);
  const std::vector<Text> fromUtf8 = ThreadTitles(converted);
  const std::vector<Text> fromGbk = ThreadTitles(test::ReadFixture("forumdisplay_inajax_gbk.html"));
  ASSERT_EQ(fromUtf8.size(), 20u);
  ASSERT_EQ(fromGbk.size(), fromUtf8.size());

  const Text timed = Gbk("回访测试 new thread after first visit #");
  int compared = 0;
  for (size_t i = 0; i < fromGbk.size(); ++i) {
    if (TextLeft(fromGbk[i], TextLength(timed)) == timed) {
      EXPECT_EQ(TextLeft(fromUtf8[i], TextLength(timed)), timed) << i;
      continue;
    }
    EXPECT_EQ(fromUtf8[i], fromGbk[i]) << i;
    ++compared;
  }
  EXPECT_EQ(compared, 14);
  EXPECT_EQ(fromUtf8[1], Gbk("【置顶】版规与公告：请先阅读"));
  // Every character of the page has a GBK form: no "?" was written in place of one.
  EXPECT_EQ(std::count(converted.begin(), converted.end(), '?'),
            std::count(utf8Page.begin(), utf8Page.end(), '?'));
}

}  // namespace
}  // namespace qw
