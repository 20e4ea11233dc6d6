// A reply body trimmed by a start and an end marker while it grows.
//
// While the start marker occurs, the body loses everything up to and including its first
// occurrence (so it ends up beginning after the last occurrence in a left-to-right scan);
// once the end marker occurs, the body is cut before it and stays finished. Each piece is
// searched once, also for markers that straddle two pieces, and the trimmed front is
// dropped lazily, so a large page with many markers stays linear.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/text.h"

namespace zentrow::net {

class MarkedBody {
 public:
  MarkedBody() = default;  // no markers: a plain growing body
  MarkedBody(std::string_view startMarker, std::string_view endMarker) : start_(startMarker), end_(endMarker) {}

  // Appends a piece; true once the end marker has arrived (later pieces are ignored).
  bool Add(std::string_view piece);
  size_t size() const { return buffer_.size() - begin_; }
  Bytes Take();

 private:
  void DropFront();

  std::string_view start_, end_;  // owned by the caller
  Bytes buffer_;
  size_t begin_ = 0;      // the body begins here
  size_t startFrom_ = 0;  // no start marker begins before this position
  size_t endFrom_ = 0;    // no end marker begins before this position
  bool ended_ = false;
};

}  // namespace zentrow::net
