// The readers of the QQ category: QQ Zone (qzone.cpp), QQ group (qqgroup.cpp) and Tencent
// Weibo (tweibo.cpp). The category's listing branch and photo-reader choice are in
// qq_branch.cpp.
#pragma once

#include "engine/main_state.h"
#include "toolkit/text.h"

namespace zentrow {

// QQ Zone: `number` is a bare QQ number. The V2 reader uses the older album interface;
// the branch runs the V3 reader when V2 listed nothing.
void QzoneAlbumsV2(MainState& state, const Text& number);
void QzoneAlbumsV3(MainState& state, const Text& number);
void QzonePhotos(MainState& state, int albumIndex);

// QQ group: `key` is the group number.
void QqGroupAlbums(MainState& state, const Text& key);
void QqGroupPhotos(MainState& state, int albumIndex);

// Tencent Weibo: `key` is the account name (also kept in the scratch text by the branch).
void TencentWeiboAlbums(MainState& state, const Text& key);
void TencentWeiboPhotos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders QqSiteReaders();

}  // namespace zentrow
