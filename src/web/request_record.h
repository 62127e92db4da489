// The seven buffers of one web request and the in-memory file that carries them
// between the requesting thread and the exchange thread.
#pragma once

#include <array>
#include <utility>

#include "text/text.h"

namespace qw {

// Slots, in to the exchange / out of it:
//   0 url / response body          1 method ("GET", "POST") / cookies set ("a=1;b=2;")
//   2 proxy (empty: direct)        3 extra request header text
//   4 body to POST                 5 cookie text to send / raw response headers
//   6 follow redirects ("真" or "假")
inline constexpr int kRecordSlots = 7;
using RequestRecord = std::array<Bytes, kRecordSlots>;

// A growable file held in memory. The record sits at its start as seven entries in slot
// order, each a 32-bit little-endian byte count followed by that many bytes.
class HandoffFile {
 public:
  // Rewinds and writes the seven entries; false when a slot is too long for its count.
  bool WriteRecord(const RequestRecord& record);
  // Rewinds and reads seven whole entries; false, with the record untouched, when the file
  // holds fewer.
  bool ReadRecord(RequestRecord& record) const;
  // Reads as ReadRecord does and leaves the file empty, handing its buffer on to the first
  // slot instead of copying it.
  bool TakeRecord(RequestRecord& record);

  // The file's raw bytes.
  const Bytes& Contents() const { return contents_; }
  void SetContents(Bytes contents) { contents_ = std::move(contents); }

 private:
  struct Span {
    size_t offset = 0;
    size_t size = 0;
  };
  // Where each of the seven entries' bytes lie; false when the file holds fewer.
  bool FindEntries(std::array<Span, kRecordSlots>& entries) const;

  Bytes contents_;
};

}  // namespace qw
