// The Modbus TCP server's cost: requests served per second to a client that
// pipelines reads as fast as they are answered, the CPU the server's thread
// spends on them, and the station loop's share (the image refresh of 100 stacks).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <array>
#include <ctime>
#include <vector>

#include "core/modbus_registers.h"
#include "link/modbus_server.h"

namespace ws {
namespace {

double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void FillImage(ModbusServer& server, int stacks) {
  server.Update([&](ModbusRegisters& image) {
    ModbusStationValues station;
    station.stackCount = stacks;
    image.SetStation(station);
    for (int i = 0; i < stacks; ++i) {
      ModbusStackValues v;
      v.speed = 10.0 + i * 0.1;
      v.direction = i * 3.6;
      v.state = 2;
      image.SetStack(i, v);
    }
  });
}

int Connect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    ::close(fd);
    return -1;
  }
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

// Batches of `range(0)` pipelined reads of one stack's 11 registers; each
// iteration sends a batch and waits for every reply.
void BM_ModbusHammeringClient(benchmark::State& state) {
  const int batch = static_cast<int>(state.range(0));
  ModbusServer server;
  FillImage(server, 100);
  if (!server.Start("127.0.0.1", 0)) {
    state.SkipWithError(server.status().reason.c_str());
    return;
  }
  const int fd = Connect(server.status().port);
  if (fd < 0) {
    state.SkipWithError("no connection");
    return;
  }
  const std::array<uint8_t, 12> read = {0, 1, 0, 0, 0, 6, 1, 4, 0x27, 0x10, 0, 11};  // stack 100
  std::vector<uint8_t> request;
  for (int i = 0; i < batch; ++i) request.insert(request.end(), read.begin(), read.end());
  const size_t replyBytes = static_cast<size_t>(batch) * (9 + 22);
  std::vector<uint8_t> in(65536);

  const int64_t servedBefore = server.status().requestsServed;
  const double processCpu = ProcessCpuSeconds();
  const double clientCpu = ThreadCpuSeconds();
  timespec wallStart{};
  clock_gettime(CLOCK_MONOTONIC, &wallStart);
  for (auto _ : state) {
    if (::send(fd, request.data(), request.size(), 0) != static_cast<ssize_t>(request.size())) {
      state.SkipWithError("send failed");
      break;
    }
    size_t got = 0;
    while (got < replyBytes) {
      const ssize_t n = ::recv(fd, in.data(), in.size(), 0);
      if (n <= 0) {
        state.SkipWithError("the server closed the connection");
        break;
      }
      got += static_cast<size_t>(n);
    }
  }
  timespec wallEnd{};
  clock_gettime(CLOCK_MONOTONIC, &wallEnd);
  const double wall = static_cast<double>(wallEnd.tv_sec - wallStart.tv_sec) +
                      static_cast<double>(wallEnd.tv_nsec - wallStart.tv_nsec) / 1e9;
  // The process's CPU besides this (the client's) thread is the server's.
  const double serverCpu = (ProcessCpuSeconds() - processCpu) - (ThreadCpuSeconds() - clientCpu);
  const auto served = static_cast<double>(server.status().requestsServed - servedBefore);
  ::close(fd);
  server.Stop();

  state.counters["requests_per_s"] = benchmark::Counter(served, benchmark::Counter::kIsRate);
  state.counters["server_core_percent"] = wall > 0 ? 100.0 * serverCpu / wall : 0.0;
  state.counters["server_us_per_request"] = served > 0 ? 1e6 * serverCpu / served : 0.0;
}
BENCHMARK(BM_ModbusHammeringClient)->Arg(1)->Arg(50)->UseRealTime()->MinTime(2.0);

// What the station loop pays once a second (and after each averaging step):
// the whole image of 100 stacks rebuilt under the lock.
void BM_ModbusImageRefresh100Stacks(benchmark::State& state) {
  ModbusServer server;
  for (auto _ : state) FillImage(server, 100);
}
BENCHMARK(BM_ModbusImageRefresh100Stacks);

}  // namespace
}  // namespace ws
