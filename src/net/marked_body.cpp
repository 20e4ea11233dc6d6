#include "net/marked_body.h"

#include <algorithm>

namespace zentrow::net {
namespace {

// The first position where a marker could begin that was not wholly inside `searched`.
size_t ResumeAt(size_t searched, size_t markerLength) {
  return searched >= markerLength ? searched - markerLength + 1 : 0;
}

}  // namespace

bool MarkedBody::Add(std::string_view piece) {
  if (ended_) return true;
  buffer_.append(piece);
  if (!start_.empty()) {
    for (size_t at; (at = buffer_.find(start_, std::max(begin_, startFrom_))) != Bytes::npos;) {
      begin_ = at + start_.size();
    }
    startFrom_ = std::max(begin_, ResumeAt(buffer_.size(), start_.size()));
  }
  if (!end_.empty()) {
    const size_t at = buffer_.find(end_, std::max(begin_, endFrom_));
    if (at != Bytes::npos) {
      buffer_.resize(at);
      ended_ = true;
      return true;
    }
    endFrom_ = std::max(begin_, ResumeAt(buffer_.size(), end_.size()));
  }
  DropFront();
  return false;
}

// Erasing the trimmed front only once it outweighs the rest keeps the copying linear.
void MarkedBody::DropFront() {
  if (begin_ < 4096 || begin_ < buffer_.size() / 2) return;
  buffer_.erase(0, begin_);
  startFrom_ -= std::min(startFrom_, begin_);
  endFrom_ -= std::min(endFrom_, begin_);
  begin_ = 0;
}

Bytes MarkedBody::Take() {
  buffer_.erase(0, begin_);
  begin_ = startFrom_ = endFrom_ = 0;
  return std::move(buffer_);
}

}  // namespace zentrow::net
