#include "text/codepage.h"

#include "text/icu_codec.h"

namespace qw {

Text Gbk(std::string_view utf8) {
  return BytesToText(Encode(GbkConverter(), Decode(Utf8Converter(), utf8)));
}

std::string Utf8(std::string_view gbk) {
  return Encode(Utf8Converter(), Decode(GbkConverter(), gbk));
}

}  // namespace qw
