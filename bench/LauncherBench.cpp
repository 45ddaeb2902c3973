// The launcher from process start to its first painted window, against the
// local reference service, and its resident memory then. The run is
// lumbrix-snapshot with no virtual time to spend: it paints, snapshots once
// and ends. Goals: under 150 ms, under 40 MiB.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>

#include "tests/support/LocalServers.h"

namespace {

void StartToFirstPaint(benchmark::State& state) {
  namespace t = lumbrix::testing;
  const std::string service = LUMBRIX_SERVICE_BINARY, snapshot = LUMBRIX_SNAPSHOT_BINARY;
  t::TempDir dir;
  const std::string db = (dir.Path() / "bench.db").string();
  t::RunProgram(service, {"admin", "--db", db, "init"});
  const int port = t::ClosedPort();
  t::ChildProcess server(service, {"serve", "--db", db, "--listen", "127.0.0.1:" + std::to_string(port)}, true);
  t::WaitForPort(port);
  long peakKiB = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    t::ChildProcess run(snapshot, {"--out", (dir.Path() / "out").string(), "--ms", "0", "--service",
                                   "http://127.0.0.1:" + std::to_string(port) + "/"},
                        true);
    int status = 0;
    rusage usage{};
    wait4(run.Pid(), &status, 0, &usage);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    peakKiB = std::max(peakKiB, usage.ru_maxrss);
    run.Wait();
  }
  state.counters["max_rss_MiB"] = double(peakKiB) / 1024.0;
}
BENCHMARK(StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
