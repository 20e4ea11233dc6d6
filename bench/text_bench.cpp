// Marker cutting over a large JSON-like page: 20,000 album records, about 5 MB of UTF-16
// (bytes_per_second counts the page's UTF-16 bytes).
#include <benchmark/benchmark.h>

#include "toolkit/text.h"

namespace zentrow {
namespace {

constexpr int kRecords = 20000;

const Text& Page() {
  static const Text page = [] {
    Text text = u"{\"code\":0,\"data\":{\"albums\":[";
    for (int i = 0; i < kRecords; ++i) {
      Text n = NumberText(100000 + i);
      text += u"{\"name\":\"旅行 " + n + u"\",\"id\":\"" + n +
              u"\",\"url\":\"http:\\/\\/p.example.com\\/a\\/" + n +
              u".jpg\",\"desc\":\"\\u76f8\\u518c day " + n + u"\",\"count\":" +
              NumberText(i % 500) + u"},";
    }
    text += u"]}}";
    return text;
  }();
  return page;
}

constexpr TextView kRecordStart = u"{\"name\"";

// The five fields of one record, cut in page order; the record begins after kRecordStart.
size_t CutRecord(TextView& record) {
  size_t length = 0;
  length += CutBetween(record, u":\"", u"\"", CUT_ADVANCE).size();
  length += CutBetween(record, u"\"id\":\"", u"\"", CUT_ADVANCE).size();
  length += CutBetween(record, u"\"url\":\"", u"\"", CUT_ADVANCE).size();
  length += CutBetween(record, u"\"desc\":\"", u"\"", CUT_ADVANCE).size();
  length += CutBetween(record, u"\"count\":", u"}", CUT_ADVANCE).size();
  return length;
}

void SetPageBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(Page().size() * sizeof(char16_t)));
}

void BM_SplitText(benchmark::State& state) {
  const Text& page = Page();
  TextList records;
  for (auto _ : state) {
    int n = SplitText(page, kRecordStart, records);
    benchmark::DoNotOptimize(n);
    if (n != kRecords) state.SkipWithError("wrong record count");
  }
  SetPageBytes(state);
}
BENCHMARK(BM_SplitText)->Unit(benchmark::kMillisecond);

void BM_SplitAndCutFiveFields(benchmark::State& state) {
  const Text& page = Page();
  TextList records;
  for (auto _ : state) {
    SplitText(page, kRecordStart, records);
    size_t length = 0;
    for (size_t i = 1; i < records.size(); ++i) {
      TextView record = records[i];
      length += CutRecord(record);
    }
    benchmark::DoNotOptimize(length);
  }
  SetPageBytes(state);
}
BENCHMARK(BM_SplitAndCutFiveFields)->Unit(benchmark::kMillisecond);

// No split: one view advanced through the whole page.
void BM_WalkWholePage(benchmark::State& state) {
  const Text& page = Page();
  for (auto _ : state) {
    TextView rest = page;
    size_t length = 0;
    int records = 0;
    for (; DeleteThrough(rest, kRecordStart) >= 0; ++records) length += CutRecord(rest);
    benchmark::DoNotOptimize(length);
    if (records != kRecords) state.SkipWithError("wrong record count");
  }
  SetPageBytes(state);
}
BENCHMARK(BM_WalkWholePage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zentrow
