// The reader of the Yupoo category: the albums of a user (or the one album typed) on the
// service's main host or on its "v" host, kept to the kind of address the user gave, and
// their pictures in full size through each picture's zoom page or in the large size
// derived from the thumbnail ("又拍相册下载大图").
#pragma once

#include <cstdint>

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

inline constexpr char16_t kYupooHome[] = u"http://www.yupoo.com/";
inline constexpr char16_t kYupooMainHost[] = u"www.yupoo.com";
inline constexpr char16_t kYupooVHost[] = u"v.yupoo.com";

// Every page is asked up to four times, `retrySeconds` apart.
struct YupooPauses {
  uint8_t retrySeconds = 4;
};

// The address the album-list reader starts from, for a typed address: a user's albums
// ("http://www.yupoo.com/photos/alice/albums/") or one album (".../albums/123/"), always
// ending with "/".
Text YupooKey(Text address);

// `key`: as YupooKey gives it.
void YupooAlbums(MainState& state, const Text& key, const YupooPauses& pauses = {});
void YupooPhotos(MainState& state, int albumIndex, const YupooPauses& pauses = {});

// The category's entry of the site table.
SiteReaders YupooReaders(YupooPauses pauses = {});

}  // namespace zentrow
