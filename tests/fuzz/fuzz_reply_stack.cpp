// Fuzzes the reply handling of one stack: any byte strings, as receive events,
// go through the reply assembler, the poll supervision with the live decoder, the
// day dump's block step and the firmware prefixes, routed as the runtime routes
// them. Time passes between events, so held replies are flushed, polls and
// supervision ticks run and the dump and upload time-outs come due.
//
// Input layout (tests/fuzz/make_seeds.py writes seeds in it):
//   byte 0   bit 0: a dump of yesterday runs from the start; bit 1: a firmware image
//            is set; bit 2: the stack is selected; bits 3-4: the test speed mode
//   byte 1   the image size in 37-byte steps (1..256 steps, up to ten pages)
//   events, each opened by a byte h:
//     h >> 6 == 0  a receive of ((h & 0x3F) << 8 | next byte) bytes
//     h >> 6 == 1  a flood: a receive of 16 KiB + that many bytes
//     h >> 6 == 2  (h & 0x3F) + 1 steps of 100 ms pass
//     h >> 6 == 3  the poll timer fires now, if it is armed
//   A receive takes what is left when the input is shorter.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/dump_session.h"
#include "core/firmware_upload.h"
#include "core/link_sender.h"
#include "core/poll_supervisor.h"
#include "core/protocol_codec.h"
#include "core/record_layout.h"
#include "core/reply_assembler.h"
#include "fuzz/fuzz_check.h"
#include "support/fake_clock.h"

namespace {

using ws::ReplyAssembler;

// The same limits as the runtime's receive handling.
constexpr size_t kLargeReceive = 16 * 1024;
constexpr int kMaxRepliesPerReceive = 4;
constexpr int64_t kReassemblyMs = 100;
constexpr int64_t kPollMs = ws::PollSupervisor::kPollDelayMs;
constexpr int64_t kStepMs = 100;

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::span<const uint8_t> Take(size_t n) {
    n = std::min(n, size_ - pos_);
    std::span<const uint8_t> out(data_ + pos_, n);
    pos_ += n;
    return out;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Checks every message the protocol machines send to the logger.
class CheckingSender final : public ws::LinkSender {
 public:
  const std::vector<uint8_t>* image = nullptr;  // the image being uploaded
  bool linkBusy = false;  // a dump or upload runs: set by the harness before each call
  int lastPage = -1;

  void Send(int linkId, std::span<const uint8_t> bytes) override {
    FUZZ_CHECK(linkId == 0);
    const std::string text(bytes.begin(), bytes.end());
    if (text == ws::kPollCommand) {
      FUZZ_CHECK(!linkBusy);
      return;
    }
    if (text.rfind("R002?", 0) == 0) {
      FUZZ_CHECK(text.size() == 13);
      for (size_t i = 5; i < text.size(); ++i) FUZZ_CHECK(text[i] >= '0' && text[i] <= '9');
      return;
    }
    if (text.rfind("APPW:", 0) == 0) {
      FUZZ_CHECK(image != nullptr);
      FUZZ_CHECK(bytes.size() == ws::kFirmwarePageCommandSize);
      const int page = std::stoi(text.substr(5, 4));
      // Pages go out in order; the same logger asking again starts at page 0.
      FUZZ_CHECK(page == 0 || page == lastPage + 1);
      FUZZ_CHECK(static_cast<size_t>(page) <= image->size() / ws::kFirmwarePageSize);
      for (size_t k = 0; k < ws::kFirmwarePageSize; ++k) {
        const size_t at = static_cast<size_t>(page) * ws::kFirmwarePageSize + k;
        const uint8_t expected = at < image->size() ? (*image)[at] : 0;  // zero-filled tail
        FUZZ_CHECK(bytes[ws::kFirmwarePageHeaderSize + k] == expected);
      }
      lastPage = page;
      return;
    }
    FUZZ_CHECK(text == ws::kFirmwareEndCommand || text == ws::kRestartCommand);
  }
};

// Checks every block the dump hands out for writing.
class CheckingSink final : public ws::DumpSink {
 public:
  int blocks = 0;
  ws::SystemTime date;

  bool WriteBlock(int stack, const ws::DumpBlock& block) override {
    FUZZ_CHECK(stack == 0);
    // Blocks arrive in the day's order, one each, never a duplicate.
    const ws::BlockTime expected = ws::BlockStart(blocks);
    FUZZ_CHECK(blocks < ws::kBlocksPerDay);
    FUZZ_CHECK(block.start.year == date.year && block.start.month == date.month &&
               block.start.day == date.day);
    FUZZ_CHECK(block.start.hour == expected.hour && block.start.minute == expected.minute);
    FUZZ_CHECK(block.start.second == 0);
    const int64_t slot =
        ws::record::SlotOf(block.start.day, block.start.hour, block.start.minute, 0);
    FUZZ_CHECK(slot + int64_t{ws::record::kBlockBytes} <= ws::record::kFileSize);
    for (const ws::DumpSample& s : block.samples) {
      FUZZ_CHECK(std::isfinite(s.direction) && std::isfinite(s.speed));
      FUZZ_CHECK(s.direction >= 0.0f && s.direction <= 6553.5f);
      FUZZ_CHECK(s.speed >= 0.0f && s.speed <= 6553.5f);
      // An unknown sample carries nothing: 0 where the logger had no value.
      FUZZ_CHECK(s.known || s.direction == 0.0f || s.speed == 0.0f);
    }
    ++blocks;
    return true;
  }
};

class StackHarness {
 public:
  StackHarness(uint8_t setup, uint8_t imageSteps)
      : selected_((setup & 4) != 0),
        testSpeedMode_((setup >> 3) & 3),
        dump_(clock_, sender_, sink_),
        upload_(clock_, sender_) {
    clock_.Set(2026, 3, 15, 12, 0, 0);
    if (setup & 2) {
      image_.resize((size_t{imageSteps} + 1) * 37);
      for (size_t i = 0; i < image_.size(); ++i) image_[i] = static_cast<uint8_t>(i * 7 + 1);
      upload_.SetImage(image_);
      sender_.image = &image_;
    }
    if (setup & 1) {
      sink_.date = ws::FromCivilSeconds(ws::CivilSeconds(clock_.Now()) - 86400);
      Sync();
      FUZZ_CHECK(dump_.Start(0, sink_.date) == ws::DumpStart::kStarted);
      repeatAt_ = Now() + kStepMs;
    }
  }

  void Receive(std::span<const uint8_t> bytes) {
    const bool flood = bytes.size() > kLargeReceive;
    if (flood) {
      ResetAssembler();
      bytes = bytes.first(kMaxRepliesPerReceive * ws::kBlockReplySize);
    }
    fed_ += bytes.size();
    std::vector<ReplyAssembler::Reply> replies = assembler_.Feed(bytes);
    for (const ReplyAssembler::Reply& r : replies) {
      FUZZ_CHECK(!r.empty());
      emitted_ += r.size();
    }
    // Nothing is lost or made up, and at most one short reply is held.
    FUZZ_CHECK(fed_ == emitted_ + assembler_.HeldSize());
    FUZZ_CHECK(assembler_.HeldSize() < ws::kBlockReplySize);
    if (flood) ResetAssembler();

    int handled = 0;
    for (const ReplyAssembler::Reply& r : replies) {
      if (handled++ == kMaxRepliesPerReceive) break;
      HandleReply(r);
    }
    if (assembler_.Holding()) {
      if (!reassemblyAt_) reassemblyAt_ = Now() + kReassemblyMs;
    } else {
      reassemblyAt_.reset();
    }
  }

  void Pass(int steps) {
    for (int s = 0; s < steps; ++s) {
      clock_.Advance(kStepMs);
      const int64_t now = Now();
      if (reassemblyAt_ && now >= *reassemblyAt_) {
        reassemblyAt_.reset();
        if (std::optional<ReplyAssembler::Reply> held = assembler_.Flush()) {
          emitted_ += held->size();
          HandleReply(*held);
        }
        FUZZ_CHECK(fed_ == emitted_);
      }
      if (pollAt_ && now >= *pollAt_) FirePoll();
      if (repeatAt_ && now >= *repeatAt_) {
        Sync();
        switch (dump_.OnRepeatTimer()) {
          case ws::DumpRepeat::kResent: repeatAt_ = now + kStepMs; break;
          case ws::DumpRepeat::kTimedOut:
          case ws::DumpRepeat::kIdle: repeatAt_.reset(); break;
        }
      }
      if (now % 1000 == 0) {
        Sync();
        Apply(poll_.OnSupervisionTick(Context()));
        Sync();
        if (upload_.OnTick()) FUZZ_CHECK(!upload_.Running());
      }
    }
  }

  void FirePoll() {
    if (!pollAt_) return;
    pollAt_.reset();
    Sync();
    Apply(poll_.OnPollTimer(Context()));
  }

 private:
  int64_t Now() const { return ws::CivilSeconds(clock_.Now()) * 1000 + clock_.Now().milliseconds; }

  ws::PollContext Context() const {
    ws::PollContext c;
    c.selected = selected_;
    c.busy = Busy();
    c.testSpeedMode = testSpeedMode_;
    return c;
  }

  // The one link carries the dump or the upload: it is not polled meanwhile.
  bool Busy() const { return dump_.Running() || upload_.Running(); }
  void Sync() { sender_.linkBusy = Busy(); }

  void ResetAssembler() {
    assembler_ = ReplyAssembler{};
    reassemblyAt_.reset();
    fed_ = emitted_ = 0;
  }

  void Apply(const ws::PollActions& a) {
    if (a.markNoCommunication) tile_ = 1;
    if (a.killPollTimer) pollAt_.reset();
    if (a.reconnect) ResetAssembler();
    if (a.sendPoll) {
      Sync();
      const auto* p = reinterpret_cast<const uint8_t*>(ws::kPollCommand.data());
      sender_.Send(0, std::span<const uint8_t>(p, ws::kPollCommand.size()));
    }
    if (a.startPollTimer) pollAt_ = Now() + kPollMs;
  }

  void HandleReply(std::span<const uint8_t> reply) {
    const bool busy = Busy();
    const ws::PollActions a = poll_.OnReply(reply, Context());
    FUZZ_CHECK(a.kind == ws::ClassifyReply(reply));
    FUZZ_CHECK(poll_.NoReplyCount() == 0);  // any reply is a sign of life
    FUZZ_CHECK(a.led == (selected_ ? ws::LedColour::kGreen : ws::LedColour::kUnchanged));
    if (a.live) {
      FUZZ_CHECK(!busy);
      FUZZ_CHECK(std::isfinite(a.live->direction) && std::isfinite(a.live->speed));
      const std::optional<ws::LiveValues> sent = ws::DecodeLiveReply(reply);
      FUZZ_CHECK(sent.has_value());
      if (std::isfinite(sent->direction)) FUZZ_CHECK(a.live->direction == sent->direction);
      if (std::isfinite(sent->speed)) {
        FUZZ_CHECK(a.live->speed == ws::ApplyTestSpeedMode(testSpeedMode_, sent->speed));
      }
      tile_ = 2;
    } else if (a.kind == ws::ReplyKind::kLiveValues && !busy) {
      FUZZ_CHECK(reply.size() < ws::kLiveReplySize);  // only a short one is not decoded
    }
    if (busy && a.kind == ws::ReplyKind::kLiveValues) FUZZ_CHECK(!a.startPollTimer);
    Apply(a);

    Sync();
    switch (a.kind) {
      case ws::ReplyKind::kDumpBlock: HandleDump(reply); break;
      case ws::ReplyKind::kFirmwareBegin:
      case ws::ReplyKind::kFirmwarePage:
      case ws::ReplyKind::kFirmwareEnd: HandleFirmware(reply); break;
      default: break;
    }
  }

  void HandleDump(std::span<const uint8_t> reply) {
    const bool running = dump_.Running();
    const int before = sink_.blocks;
    const ws::DumpReply r = dump_.OnBlockReply(0, reply);
    if (!running) FUZZ_CHECK(r == ws::DumpReply::kIgnored);
    switch (r) {
      case ws::DumpReply::kIgnored:
      case ws::DumpReply::kDropped:
        FUZZ_CHECK(sink_.blocks == before);
        break;
      case ws::DumpReply::kAskedAgain:
        FUZZ_CHECK(sink_.blocks == before);
        repeatAt_ = Now() + kStepMs;
        break;
      case ws::DumpReply::kAdvanced:
        FUZZ_CHECK(sink_.blocks == before + 1);
        FUZZ_CHECK(dump_.BlockCounter() == sink_.blocks);
        repeatAt_ = Now() + kStepMs;
        break;
      case ws::DumpReply::kCompleted:
        // Completion is earned only by every block of the day.
        FUZZ_CHECK(sink_.blocks == ws::kBlocksPerDay);
        FUZZ_CHECK(!dump_.Running());
        repeatAt_.reset();
        pollAt_ = Now() + kPollMs;
        break;
      case ws::DumpReply::kTimedOut:
        FUZZ_CHECK(!dump_.Running());
        repeatAt_.reset();
        break;
      case ws::DumpReply::kWriteFailed:
        FUZZ_CHECK(false);  // this sink stores every block
        break;
    }
  }

  void HandleFirmware(std::span<const uint8_t> reply) {
    const bool running = upload_.Running();
    const ws::FirmwareStep step = upload_.OnReply(0, reply);
    switch (step) {
      case ws::FirmwareStep::kIgnored:
        FUZZ_CHECK(upload_.Running() == running);
        break;
      case ws::FirmwareStep::kStarted:
        FUZZ_CHECK(!image_.empty());
        FUZZ_CHECK(upload_.Running() && upload_.Page() == 0);
        FUZZ_CHECK(upload_.LastPage() == static_cast<int>(image_.size() / ws::kFirmwarePageSize));
        break;
      case ws::FirmwareStep::kPageSent:
      case ws::FirmwareStep::kEndSent:
        FUZZ_CHECK(running && upload_.Running());
        FUZZ_CHECK(upload_.Page() <= upload_.LastPage());
        break;
      case ws::FirmwareStep::kFinished:
        FUZZ_CHECK(running && !upload_.Running());
        break;
      case ws::FirmwareStep::kGaveUp:
        // A logger that keeps asking to start over ends its upload and is refused.
        FUZZ_CHECK(running && !upload_.Running());
        FUZZ_CHECK(upload_.RefusedStack() == 0);
        break;
    }
    Sync();
  }

  ws::test::FakeClock clock_;
  CheckingSender sender_;
  CheckingSink sink_;
  bool selected_;
  int testSpeedMode_;
  std::vector<uint8_t> image_;
  ReplyAssembler assembler_;
  ws::PollSupervisor poll_;
  ws::DumpSession dump_;
  ws::FirmwareUpload upload_;
  int tile_ = 0;
  size_t fed_ = 0;
  size_t emitted_ = 0;
  std::optional<int64_t> reassemblyAt_;
  std::optional<int64_t> pollAt_;
  std::optional<int64_t> repeatAt_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t setup = in.Byte();
  const uint8_t imageSteps = in.Byte();
  StackHarness stack(setup, imageSteps);
  while (!in.Empty()) {
    const uint8_t h = in.Byte();
    const size_t length = static_cast<size_t>(h & 0x3F) << 8;
    switch (h >> 6) {
      case 0: stack.Receive(in.Take(length | in.Byte())); break;
      case 1: stack.Receive(in.Take(kLargeReceive + 1 + (length | in.Byte()))); break;
      case 2: stack.Pass((h & 0x3F) + 1); break;
      case 3: stack.FirePoll(); break;
    }
  }
  return 0;
}
