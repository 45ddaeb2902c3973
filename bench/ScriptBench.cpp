// Reading a service answer: the launcher's one use of the JSON document.
#include <benchmark/benchmark.h>

#include "script/JsonDocument.h"

namespace {

const char* kAnswer =
    R"({"code":1,"msg":"ok","data":{"notice":"\u6b22\u8fce\u4f7f\u7528 Lumbrix","version":"1.2",)"
    R"("update_data":"http://127.0.0.1/download/lumbrix-1.2.zip","software_state":"1",)"
    R"("static_data":"\u9759\u6001\u6570\u636e"}})";

void EngineWithSupportScript(benchmark::State& state) {
  for (auto _ : state) {
    lumbrix::JsonDocument doc;
    benchmark::DoNotOptimize(doc);
  }
}
BENCHMARK(EngineWithSupportScript)->Unit(benchmark::kMicrosecond);

// Goal: the whole read under 2 ms.
void ParseAndReadAnswer(benchmark::State& state) {
  lumbrix::JsonDocument doc;
  for (auto _ : state) {
    doc.Parse(kAnswer);
    for (const char* path : {"code", "data.notice", "data.version", "data.update_data",
                             "data.software_state", "data.static_data"})
      benchmark::DoNotOptimize(doc.GetText(path));
  }
}
BENCHMARK(ParseAndReadAnswer)->Unit(benchmark::kMicrosecond);

}  // namespace
