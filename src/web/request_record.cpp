#include "web/request_record.h"

#include <cstdint>
#include <limits>

namespace qw {

bool HandoffFile::WriteRecord(const RequestRecord& record) {
  size_t total = 0;
  for (const Bytes& slot : record) total += 4 + slot.size();
  Bytes out;
  out.reserve(total);
  for (const Bytes& slot : record) {
    if (slot.size() > std::numeric_limits<std::uint32_t>::max()) return false;
    auto n = static_cast<std::uint32_t>(slot.size());
    for (int shift = 0; shift < 32; shift += 8)
      out.push_back(static_cast<char>((n >> shift) & 0xFF));
    out += slot;
  }
  // The whole file is the record: nothing of an earlier, longer one stays behind it.
  contents_ = std::move(out);
  return true;
}

bool HandoffFile::ReadRecord(RequestRecord& record) const {
  RequestRecord read;
  size_t pos = 0;
  for (Bytes& slot : read) {
    if (contents_.size() - pos < 4) return false;
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i) {
      n |= static_cast<std::uint32_t>(static_cast<unsigned char>(contents_[pos + i])) << (8 * i);
    }
    pos += 4;
    // A count that runs past the end is a truncated file, not a request to allocate.
    if (contents_.size() - pos < n) return false;
    slot.assign(contents_, pos, n);
    pos += n;
  }
  record = std::move(read);
  return true;
}

}  // namespace qw
