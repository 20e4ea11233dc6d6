// Addresses as the client puts them on the wire and as the cookie store matches them.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/text.h"

namespace zentrow::net {

// The address in UTF-8 with every space, control character and non-ASCII byte after the
// host percent-encoded ("%0A" for the line feed RandomFraction leaves at the end, "%E4%B8%AD"
// for a Chinese character). Nothing else is changed: "%", "+", "&" and existing escapes stay.
std::string EncodeAddress(TextView address);

struct AddressParts {
  bool secure = false;  // https
  std::string host;     // lower case, without user name and port
  std::string path;     // "/" when the address has none; without query and fragment
};

// Splits an encoded "http://" or "https://" address; false for any other or a missing host.
bool SplitAddress(std::string_view address, AddressParts& parts);

}  // namespace zentrow::net
