// The cipher on the launcher's paths: native ENCODE of each request, scripted
// DECODE of each answer (engine built and destroyed, as the launcher does).
#include <benchmark/benchmark.h>

#include "service/AuthCode.h"

namespace {

constexpr const char* kKey = "Lx7Qm2Vb9Rt4Kp8Zw3Nc6Hd1Fj5Gs0Ya2Ue9Wo4T";

void NativeEncode(benchmark::State& state) {
  const std::string plain(size_t(state.range(0)), 'p');
  for (auto _ : state) benchmark::DoNotOptimize(lumbrix::AuthCode::Encode(plain, kKey));
}
BENCHMARK(NativeEncode)->Arg(1)->Arg(1024)->Unit(benchmark::kMicrosecond);

// Goal: under 10 us for 1 KiB.
void NativeDecode(benchmark::State& state) {
  const std::string cipher = lumbrix::AuthCode::Encode(std::string(size_t(state.range(0)), 'p'), kKey);
  for (auto _ : state) benchmark::DoNotOptimize(lumbrix::AuthCode::DecodeNative(cipher, kKey));
}
BENCHMARK(NativeDecode)->Arg(1)->Arg(1024)->Unit(benchmark::kMicrosecond);

// Goal: under 3 ms.
void ScriptedDecode(benchmark::State& state) {
  const std::string cipher = lumbrix::AuthCode::Encode(
      R"({"code":1,"msg":"ok","data":{"notice":"\u6b22\u8fce","version":"1.0"}})", kKey);
  for (auto _ : state) benchmark::DoNotOptimize(lumbrix::AuthCode::Decode(cipher, kKey));
}
BENCHMARK(ScriptedDecode)->Unit(benchmark::kMicrosecond);

}  // namespace
