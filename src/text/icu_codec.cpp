#include "text/icu_codec.h"

#include <memory>

namespace qw {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// Windows' own tables: ICU's "cp950" is IBM's, with other substitution bytes. Windows also
// applies its best-fit mappings when no flag forbids them, which are ICU's fallbacks.
Converter OpenConverter(const char* name, bool windowsTable) {
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open(name, &status));
  if (U_FAILURE(status)) return nullptr;
  if (windowsTable) {
    ucnv_setFallback(c.get(), true);
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(c.get(), "?", 1, &status);
  }
  return c;
}

}  // namespace

// Converters keep state between calls, so every thread has its own.
UConverter* GbkConverter() {
  thread_local Converter c = OpenConverter("windows-936-2000", true);
  return c.get();
}
UConverter* Big5Converter() {
  thread_local Converter c = OpenConverter("windows-950-2000", true);
  return c.get();
}
UConverter* Utf8Converter() {
  thread_local Converter c = OpenConverter("UTF-8", false);
  return c.get();
}
// GBK that stops at the first character it cannot write instead of substituting one.
UConverter* StoppingGbkConverter() {
  thread_local Converter c = [] {
    Converter gbk = OpenConverter("windows-936-2000", true);
    if (gbk) {
      UErrorCode status = U_ZERO_ERROR;
      ucnv_setFromUCallBack(gbk.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                            &status);
      if (U_FAILURE(status)) gbk.reset();
    }
    return gbk;
  }();
  return c.get();
}

// Invalid input becomes U+FFFD, one per ill-formed sequence.
std::u16string Decode(UConverter* from, std::string_view bytes) {
  if (from == nullptr || bytes.empty()) return {};
  std::u16string units(bytes.size() + 1, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    ucnv_reset(from);
    UErrorCode status = U_ZERO_ERROR;
    int32_t n = ucnv_toUChars(from, units.data(), static_cast<int32_t>(units.size()), bytes.data(),
                              static_cast<int32_t>(bytes.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      units.assign(static_cast<size_t>(n) + 1, u'\0');
      continue;
    }
    if (U_FAILURE(status)) return {};
    units.resize(static_cast<size_t>(n));
    return units;
  }
  return {};
}

std::string Encode(UConverter* to, std::u16string_view units) {
  if (to == nullptr || units.empty()) return {};
  std::string bytes(units.size() * 3 + 1, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    ucnv_reset(to);
    UErrorCode status = U_ZERO_ERROR;
    int32_t n = ucnv_fromUChars(to, bytes.data(), static_cast<int32_t>(bytes.size()), units.data(),
                                static_cast<int32_t>(units.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      bytes.assign(static_cast<size_t>(n) + 1, '\0');
      continue;
    }
    if (U_FAILURE(status)) return {};
    bytes.resize(static_cast<size_t>(n));
    return bytes;
  }
  return {};
}

}  // namespace qw
