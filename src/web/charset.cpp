#include "web/charset.h"

#include <unicode/normalizer2.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/utrans.h>

#include <memory>
#include <string_view>
#include <unordered_map>

#include "text/icu_codec.h"

namespace qw {
namespace {

struct TransliteratorCloser {
  void operator()(UTransliterator* t) const { utrans_close(t); }
};

UConverter* ConverterFor(int codePage) {
  switch (codePage) {
    case kCodePageAnsi:
    case kCodePageGbk: return GbkConverter();
    case kCodePageBig5: return Big5Converter();
    case kCodePageUtf8: return Utf8Converter();
    default: return nullptr;
  }
}

// The bytes of the units in front of the first one that GBK lacks.
std::string EncodeGbkUntilUnmappable(std::u16string_view units) {
  UConverter* to = StoppingGbkConverter();
  if (to == nullptr || units.empty()) return {};
  ucnv_reset(to);
  std::string bytes(units.size() * 2 + 2, '\0');  // GBK needs at most two bytes per unit
  char* target = bytes.data();
  const UChar* source = units.data();
  UErrorCode status = U_ZERO_ERROR;
  ucnv_fromUnicode(to, &target, bytes.data() + bytes.size(), &source, source + units.size(),
                   nullptr, true, &status);
  bytes.resize(static_cast<size_t>(target - bytes.data()));
  return bytes;
}

Utf16Buffer ToLittleEndian(std::u16string_view units) {
  Utf16Buffer bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t u : units) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}

// An odd last byte is not a unit and is left out.
std::u16string FromLittleEndian(const Utf16Buffer& bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return units;
}

// Base characters followed by combining marks become their precomposed forms, as Windows'
// composite check does before conversion.
std::u16string Composed(const std::u16string& units) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return units;
  icu::UnicodeString text(false, units.data(), static_cast<int32_t>(units.size()));
  if (nfc->isNormalized(text, status) && U_SUCCESS(status)) return units;
  status = U_ZERO_ERROR;
  icu::UnicodeString composed = nfc->normalize(text, status);
  if (U_FAILURE(status)) return units;
  return std::u16string(composed.getBuffer(), static_cast<size_t>(composed.length()));
}

UTransliterator* SimplifiedTransliterator() {
  thread_local std::unique_ptr<UTransliterator, TransliteratorCloser> t = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UTransliterator, TransliteratorCloser> open(
        utrans_openU(u"Traditional-Simplified", -1, UTRANS_FORWARD, nullptr, 0, nullptr, &status));
    if (U_FAILURE(status)) open.reset();
    return open;
  }();
  return t.get();
}

// The two GBK bytes of the simplified form of one double-byte GBK character; the character
// itself when its simplified form is not one character with a two-byte GBK form.
std::string SimplifiedGbkCharacter(std::string_view character) {
  std::u16string units = Decode(GbkConverter(), character);
  UTransliterator* trans = SimplifiedTransliterator();
  if (units.size() != 1 || units[0] == u'\xFFFD' || trans == nullptr) return std::string(character);
  UChar buffer[8] = {units[0]};
  int32_t length = 1;
  int32_t limit = 1;
  UErrorCode status = U_ZERO_ERROR;
  utrans_transUChars(trans, buffer, &length, 8, 0, &limit, &status);
  if (U_FAILURE(status) || length != 1 || buffer[0] == units[0]) return std::string(character);
  // Only a form that reads back as the same character: a best-fit stand-in is not one.
  std::u16string simplified(1, buffer[0]);
  std::string bytes = EncodeGbkUntilUnmappable(simplified);
  if (bytes.size() != character.size() || Decode(GbkConverter(), bytes) != simplified) {
    return std::string(character);
  }
  return bytes;
}

}  // namespace

Text Utf8BytesToGbkText(const Bytes& utf8) { return Utf16ToGbkText(Utf8BytesToUtf16(utf8)); }

Utf16Buffer Utf8BytesToUtf16(const Bytes& utf8) {
  return ToLittleEndian(Decode(Utf8Converter(), utf8));
}

Text Utf16ToGbkText(const Utf16Buffer& units) {
  return BytesToText(Encode(GbkConverter(), Composed(FromLittleEndian(units))));
}

Text Utf8TextToGbk(const Text& utf8) {
  return Utf16ToText(TextToUtf16(BytesToText(utf8)), kCodePageGbk);
}

// The result carries the terminating zero unit, as the text it was made from would.
Utf16Buffer TextToUtf16(const Text& text, int codePage) {
  return ToLittleEndian(Decode(ConverterFor(codePage), BytesToText(text))) + Bytes(2, '\0');
}

Text Utf16ToText(const Utf16Buffer& units, int codePage) {
  std::u16string read = FromLittleEndian(units);
  size_t end = read.find(u'\0');
  if (end != std::u16string::npos) read.resize(end);
  return BytesToText(Encode(ConverterFor(codePage), read));
}

Text Big5ToSimplifiedGbk(const Text& big5) { return ToSimplifiedChinese(Big5ToGbk(big5)); }

Text Big5ToGbk(const Text& big5) {
  return BytesToText(EncodeGbkUntilUnmappable(Decode(Big5Converter(), BytesToText(big5))));
}

Text ToSimplifiedChinese(const Text& gbk) {
  // Each traditional character maps to one simplified one, so the byte length stays and
  // the mapping can be cached per character.
  thread_local std::unordered_map<std::string, std::string> cache;
  Text text = BytesToText(gbk);
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x81 || lead == 0xFF || i + 1 == text.size()) {
      out.push_back(text[i]);
      ++i;
      continue;
    }
    std::string character = text.substr(i, 2);
    auto found = cache.find(character);
    if (found == cache.end()) {
      found = cache.emplace(character, SimplifiedGbkCharacter(character)).first;
    }
    out += found->second;
    i += 2;
  }
  return out;
}

}  // namespace qw
