// InflateGzip with its output limit as a parameter, so the limit can be reached cheaply.
#pragma once

#include <cstddef>

#include "toolkit/text.h"

namespace zentrow::net {

// Appends the inflated data to `out`; false on a broken stream or once more than `limit`
// bytes would be appended (`out` then holds exactly `limit` new bytes).
bool InflateUpTo(const char* data, size_t length, Bytes& out, size_t limit);

}  // namespace zentrow::net
