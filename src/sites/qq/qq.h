// The readers of the QQ category: QQ Zone (qzone.cpp), QQ group (qqgroup.cpp) and Tencent
// Weibo (tweibo.cpp). The category's listing branch and photo-reader choice are in
// qq_branch.cpp.
#pragma once

#include <cstdint>

#include "engine/album.h"
#include "engine/main_state.h"
#include "engine/site_table.h"
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

// ---- QQ Zone: the pieces of its readers that work on text alone ----
// The user's space; cookies, Referers and login pages live under it.
inline constexpr char16_t kQzoneUserHost[] = u"user.qzone.qq.com";
// Where a number's storage route is asked first.
inline constexpr char16_t kQzoneRouteHost[] = u"route.store.qq.com";

// Storage host labels of the route and the album-list host labels that serve them.
struct HostLabelPair {
  const char16_t* storage;
  const char16_t* albumList;
};
inline constexpr HostLabelPair kQzoneAlbumHostLabels[] = {
    {u"xaplist.store", u"xalist.photo"},
    {u"shplist.store", u"shalist.photo"},
};

// The route text: the site number ("idcno"); `route` is then advanced into the default
// storage entry.
int32_t ReadQzoneRouteSite(Text& route);
// The album-list host of the entry `route` now begins in: "nu" stepped over, the storage
// host "p" read (both with advance) and its labels turned into album-list ones.
Text QzoneAlbumHost(Text& route);

// Remarks of a privacy value: "3" private, else "4" or "6" friends only, else "5" password.
int32_t QzonePrivacyRemarks(TextView privacy);

// One album segment (the text after "\"id\" : \"") as a record; false when it has no name.
bool ReadQzoneAlbum(TextView segment, int32_t siteNumber, const Text& number, ST_PERLISTRECORD& record);

// One photo segment (the text after "\"batchId\""): the address to download (full size,
// CR LF, preview; or the preview alone) and the description by the "取原始名方式" setting.
Text QzonePhotoAddress(TextView segment);
Text QzonePhotoDescription(TextView segment, int nameWay);

// The album's page in the user's space, from its list address: where a password is entered.
Text QzoneAlbumPage(const Text& listAddress);

}  // namespace zentrow
