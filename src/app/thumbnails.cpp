#include "app/thumbnails.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPixmapCache>
#include <atomic>

#include "app/qtext.h"
#include "net/http.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr uint32_t kCoverTimeoutMs = 10000;
constexpr int32_t kMaxCoverKb = 16 * 1024;  // a bigger "cover" is no cover
constexpr int kPictureQuality = 90;

std::atomic<quint64> nextGeneration{1};

QString CacheKey(quint64 generation, int index) {
  return QStringLiteral("zentrow-tile-%1-%2").arg(generation).arg(index);
}

}  // namespace

CoverResult FetchCover(const Text& workingFolder, const ST_PERLISTRECORD& album) {
  CoverResult result;
  if (album.coverAddress.empty()) return result;
  Text folder = workingFolder + u"tmp/";
  if (!MakeFolderPath(folder)) return result;
  const Text path = folder + NumberText(album.index) + u".jpg";

  net::UrlRequest request(album.coverAddress, path, kCoverTimeoutMs);
  request.refuseErrorStatus = true;
  request.maxSizeKb = kMaxCoverKb;
  request.pauseSeconds = 0;  // one attempt: no pause after it
  net::UrlResponse response;
  if (!net::Fetch(request, response)) return result;

  // The reader's allocation limit keeps a picture with absurd dimensions from being decoded.
  QImageReader reader(Q(path));
  reader.setDecideFormatFromContent(true);
  const QImage cover = reader.read();
  if (cover.isNull()) return result;
  const QImage tile = cover.scaled(kThumbnailWidth, kThumbnailHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_RGB888);
  QBuffer buffer(&result.picture);
  buffer.open(QIODevice::WriteOnly);
  if (tile.isNull() || !tile.save(&buffer, "JPG", kPictureQuality)) {
    result.picture.clear();
    result.bitmapFailed = true;
  }
  return result;
}

ThumbnailList::ThumbnailList() : generation_(nextGeneration++) {}

int ThumbnailList::Add(QByteArray picture) {
  pictures_.push_back(std::move(picture));
  return Count() - 1;
}

QPixmap ThumbnailList::Pixmap(int index) const {
  if (index < 0 || index >= Count()) return {};
  const QString key = CacheKey(generation_, index);
  QPixmap pixmap;
  if (!QPixmapCache::find(key, &pixmap)) {
    pixmap.loadFromData(pictures_[static_cast<size_t>(index)], "JPG");
    QPixmapCache::insert(key, pixmap);
  }
  return pixmap;
}

void ThumbnailList::Clear() {
  pictures_.clear();
  generation_ = nextGeneration++;
}

}  // namespace zentrow
