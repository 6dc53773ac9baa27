// Cost of the logger protocol on the station's one thread: decoding a live
// reply and a history block, one supervision round over 100 stacks, a whole
// day dump exchange and reassembly of a block split over three receives.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <vector>

#include "core/dump_session.h"
#include "core/poll_supervisor.h"
#include "core/protocol_codec.h"
#include "core/reply_assembler.h"

namespace ws {
namespace {

std::vector<uint8_t> LiveReply() {
  return {'R', '0', '0', '0', ':', 0x00, 0x00, 0xB4, 0x42, 0x00, 0x00, 0x20, 0x41};
}

std::vector<uint8_t> BlockReply(int block) {
  std::vector<uint8_t> r(kBlockReplySize, 0x12);
  std::memcpy(r.data(), "R002:", 5);
  r[kBlockHourOffset] = static_cast<uint8_t>(block / 12);
  r[kBlockMinuteOffset] = static_cast<uint8_t>(block % 12 * 5);
  return r;
}

class FixedClock final : public Clock {
 public:
  SystemTime Now() const override { return FromCivilSeconds(CivilSeconds({2026, 3, 0, 2, 12, 0, 0, 0})); }
};

class NullSender final : public LinkSender {
 public:
  void Send(int, std::span<const uint8_t> bytes) override { benchmark::DoNotOptimize(bytes.data()); }
};

class NullSink final : public DumpSink {
 public:
  bool WriteBlock(int, const DumpBlock& block) override {
    benchmark::DoNotOptimize(&block);
    return true;
  }
};

void BM_DecodeLiveReply(benchmark::State& state) {
  const std::vector<uint8_t> reply = LiveReply();
  for (auto _ : state) benchmark::DoNotOptimize(DecodeLiveReply(reply));
}
BENCHMARK(BM_DecodeLiveReply);

void BM_DecodeBlockReply(benchmark::State& state) {
  const std::vector<uint8_t> reply = BlockReply(140);
  const SystemTime date{2026, 3, 0, 1, 0, 0, 0, 0};
  const SystemTime now = FixedClock().Now();
  for (auto _ : state) benchmark::DoNotOptimize(DecodeBlockReply(reply, date, now));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_DecodeBlockReply);

// One second of a full station: every stack answers twice, then the tick.
void BM_SupervisionSecond100Stacks(benchmark::State& state) {
  std::array<PollSupervisor, 100> stacks;
  const std::vector<uint8_t> reply = LiveReply();
  for (auto _ : state) {
    for (PollSupervisor& s : stacks) {
      benchmark::DoNotOptimize(s.OnReply(reply, {}));
      benchmark::DoNotOptimize(s.OnReply(reply, {}));
      benchmark::DoNotOptimize(s.OnSupervisionTick({}));
    }
  }
}
BENCHMARK(BM_SupervisionSecond100Stacks);

void BM_DumpWholeDay(benchmark::State& state) {
  FixedClock clock;
  NullSender sender;
  NullSink sink;
  std::vector<std::vector<uint8_t>> replies;
  for (int c = 0; c <= kBlocksPerDay; ++c) replies.push_back(BlockReply(c));
  for (auto _ : state) {
    DumpSession session(clock, sender, sink);
    if (session.Start(0, {2026, 3, 0, 1, 0, 0, 0, 0}) != DumpStart::kStarted) state.SkipWithError("refused");
    for (const auto& r : replies) benchmark::DoNotOptimize(session.OnBlockReply(0, r));
  }
}
BENCHMARK(BM_DumpWholeDay)->Unit(benchmark::kMicrosecond);

void BM_ReassembleSplitBlock(benchmark::State& state) {
  const std::vector<uint8_t> block = BlockReply(7);
  const std::span<const uint8_t> all(block);
  ReplyAssembler assembler;
  for (auto _ : state) {
    benchmark::DoNotOptimize(assembler.Feed(all.first(400)));
    benchmark::DoNotOptimize(assembler.Feed(all.subspan(400, 400)));
    benchmark::DoNotOptimize(assembler.Feed(all.subspan(800)));
  }
}
BENCHMARK(BM_ReassembleSplitBlock);

}  // namespace
}  // namespace ws
