// GetInfo round trips against a real reference service on loopback, with the
// launcher's scripted DECODE included. Goal: each under 10 ms.
#include <benchmark/benchmark.h>

#include "lumbrix/BuildConstants.h"
#include "service/ServiceClient.h"
#include "tests/support/LocalServers.h"

namespace {

void GetInfoRoundTrip(benchmark::State& state) {
  namespace t = lumbrix::testing;
  const std::string service = LUMBRIX_SERVICE_BINARY;
  t::TempDir dir;
  const std::string db = (dir.Path() / "bench.db").string();
  t::RunProgram(service, {"admin", "--db", db, "init"});
  const int port = t::ClosedPort();
  t::ChildProcess process(service, {"serve", "--db", db, "--listen", "127.0.0.1:" + std::to_string(port)}, true);
  if (!t::WaitForPort(port)) {
    state.SkipWithError("the service did not start");
    return;
  }
  lumbrix::ServiceClient client;
  client.Init(lumbrix::build::kAppId, "http://127.0.0.1:" + std::to_string(port) + "/", lumbrix::build::kAppKey);
  for (auto _ : state) {
    const std::string answer = client.GetInfo();
    if (answer.empty()) state.SkipWithError("empty answer");
    benchmark::DoNotOptimize(answer);
  }
}
BENCHMARK(GetInfoRoundTrip)->Unit(benchmark::kMillisecond);

}  // namespace
