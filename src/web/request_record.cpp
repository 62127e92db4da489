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

bool HandoffFile::FindEntries(std::array<Span, kRecordSlots>& entries) const {
  size_t pos = 0;
  for (Span& entry : entries) {
    if (contents_.size() - pos < 4) return false;
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i) {
      n |= static_cast<std::uint32_t>(static_cast<unsigned char>(contents_[pos + i])) << (8 * i);
    }
    pos += 4;
    // A count that runs past the end is a truncated file, not a request to allocate.
    if (contents_.size() - pos < n) return false;
    entry = {pos, n};
    pos += n;
  }
  return true;
}

bool HandoffFile::ReadRecord(RequestRecord& record) const {
  std::array<Span, kRecordSlots> entries;
  if (!FindEntries(entries)) return false;
  for (int slot = 0; slot < kRecordSlots; ++slot) {
    record[slot].assign(contents_, entries[slot].offset, entries[slot].size);
  }
  return true;
}

bool HandoffFile::TakeRecord(RequestRecord& record) {
  std::array<Span, kRecordSlots> entries;
  if (!FindEntries(entries)) return false;
  for (int slot = 1; slot < kRecordSlots; ++slot) {
    record[slot].assign(contents_, entries[slot].offset, entries[slot].size);
  }
  // The first entry, the largest as a rule (the page), keeps the file's own buffer.
  contents_.resize(entries[0].offset + entries[0].size);
  contents_.erase(0, entries[0].offset);
  record[0] = std::move(contents_);
  contents_.clear();
  return true;
}

}  // namespace qw
