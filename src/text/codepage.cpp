#include "text/codepage.h"

#include <unicode/ucnv.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace qw {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter Open(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open(name, &status));
  if (U_FAILURE(status)) throw std::runtime_error(std::string("ICU converter missing: ") + name);
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(c.get(), "?", 1, &status);
  return c;
}

// Converters keep state, so each thread has its own.
UConverter* GbkConverter() {
  thread_local Converter c = Open("windows-936-2000");
  return c.get();
}
UConverter* Utf8Converter() {
  thread_local Converter c = Open("UTF-8");
  return c.get();
}

std::string Convert(UConverter* to, UConverter* from, std::string_view in) {
  if (in.empty()) return {};
  ucnv_reset(from);
  ucnv_reset(to);
  std::vector<UChar> units(in.size() + 1);
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(from, units.data(), static_cast<int32_t>(units.size()), in.data(),
                            static_cast<int32_t>(in.size()), &status);
  if (U_FAILURE(status)) return {};
  std::string out(static_cast<size_t>(n) * 4 + 1, '\0');
  status = U_ZERO_ERROR;
  int32_t m =
      ucnv_fromUChars(to, out.data(), static_cast<int32_t>(out.size()), units.data(), n, &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(m));
  return out;
}

}  // namespace

Text Gbk(std::string_view utf8) {
  return BytesToText(Convert(GbkConverter(), Utf8Converter(), utf8));
}

std::string Utf8(std::string_view gbk) { return Convert(Utf8Converter(), GbkConverter(), gbk); }

}  // namespace qw
