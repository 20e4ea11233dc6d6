// GetText on a large compressed page: inflate, GBK decoding and entity decoding.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include "net/http.h"
#include "toolkit/codepage.h"

namespace zentrow::net {
namespace {

// About 5 MB of GBK album records, as one gzip stream.
UrlResponse CompressedGbkPage() {
  Bytes gbk = ToGbk(u"<html><head><title>相册列表</title></head><body>\n");
  for (int i = 0; gbk.size() < (5u << 20); ++i) {
    gbk += ToGbk(u"<li class=\"album\" data-id=\"" + NumberText(i) + u"\"><a href=\"/photo/" + NumberText(i) +
                 u"\" title=\"旅行照片 &amp; 风景\">我的相册第" + NumberText(i) + u"集</a><span>共 " +
                 NumberText(i % 300) + u" 张，&quot;公开&quot;</span></li>\n");
  }
  z_stream zs{};
  deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  UrlResponse response;
  response.body.resize(deflateBound(&zs, gbk.size()));
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gbk.data()));
  zs.avail_in = static_cast<uInt>(gbk.size());
  zs.next_out = reinterpret_cast<Bytef*>(response.body.data());
  zs.avail_out = static_cast<uInt>(response.body.size());
  deflate(&zs, Z_FINISH);
  response.body.resize(zs.total_out);
  deflateEnd(&zs);
  response.headers = u"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Encoding: gzip\r\n\r\n";
  response.compressed = true;
  return response;
}

void BM_GetTextGzipGbk(benchmark::State& state) {
  const UrlResponse response = CompressedGbkPage();
  Text text;
  for (auto _ : state) {
    GetText(response, text, DM_INFLATE);  // mode 1: inflate, then the ANSI code page (GBK)
    benchmark::DoNotOptimize(text.data());
  }
  Bytes inflated;
  InflateGzip(response.body.data(), response.body.size(), inflated);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * inflated.size()));
  state.counters["page_bytes"] = static_cast<double>(inflated.size());
}
BENCHMARK(BM_GetTextGzipGbk)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zentrow::net
