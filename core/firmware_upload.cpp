#include "core/firmware_upload.h"

#include <algorithm>
#include <array>
#include <string>

namespace ws {
namespace {

int64_t WallMs(const SystemTime& t) { return CivilSeconds(t) * 1000 + t.milliseconds; }

std::span<const uint8_t> AsBytes(std::string_view s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

bool Usable(const std::vector<uint8_t>* image) {
  return image != nullptr && !image->empty() &&
         (image->size() + kFirmwarePageSize - 1) / kFirmwarePageSize <= FirmwareUpload::kMaxImagePages;
}

}  // namespace

FirmwareUpload::FirmwareUpload(const Clock& clock, LinkSender& sender)
    : clock_(clock), sender_(sender) {}

void FirmwareUpload::SetImage(std::vector<uint8_t> image) {
  image_ = std::make_shared<const std::vector<uint8_t>>(std::move(image));
  refused_ = -1;
}

void FirmwareUpload::ClearImage() { image_.reset(); }

bool FirmwareUpload::HasUsableImage() const { return Usable(image_.get()); }

int FirmwareUpload::LastPage() const {
  return sending_ ? static_cast<int>(sending_->size() / kFirmwarePageSize) : 0;
}

FirmwareStep FirmwareUpload::OnReply(int stack, std::span<const uint8_t> reply) {
  switch (ClassifyReply(reply)) {
    case ReplyKind::kFirmwareBegin:
      // A second request from another logger must not take over a running
      // upload; the same logger asking again starts over.
      if (Running() && stack != stack_) return FirmwareStep::kIgnored;
      if (Running()) {
        if (restarts_ >= kMaxRestarts) {
          // Until the operator chooses an image again, its next "APPE:" would
          // only open the same loop.
          refused_ = stack_;
          Finish(FirmwareEnd::kTooManyRestarts);
          return FirmwareStep::kGaveUp;
        }
        ++restarts_;
      } else {
        if (stack == refused_ || !HasUsableImage()) return FirmwareStep::kIgnored;
        restarts_ = 0;
        sending_ = image_;
      }
      stack_ = stack;
      page_ = 0;
      lastEnd_.reset();
      lastAnswerMs_ = WallMs(clock_.Now());
      SendPage();
      return FirmwareStep::kStarted;

    case ReplyKind::kFirmwarePage:
      if (!Running() || stack != stack_) return FirmwareStep::kIgnored;
      lastAnswerMs_ = WallMs(clock_.Now());
      if (page_ < LastPage()) {
        ++page_;
        SendPage();
        return FirmwareStep::kPageSent;
      }
      Send(AsBytes(kFirmwareEndCommand));
      return FirmwareStep::kEndSent;

    case ReplyKind::kFirmwareEnd:
      if (!Running() || stack != stack_) return FirmwareStep::kIgnored;
      Send(AsBytes(kRestartCommand));
      Finish(FirmwareEnd::kFinished);
      return FirmwareStep::kFinished;

    default:
      return FirmwareStep::kIgnored;
  }
}

bool FirmwareUpload::OnTick() {
  if (!Running()) return false;
  const int64_t now = WallMs(clock_.Now());
  if (now < lastAnswerMs_) lastAnswerMs_ = now;  // clock set back: restart the wait
  if (now - lastAnswerMs_ < kNoAnswerTimeoutMs) return false;
  Finish(FirmwareEnd::kTimedOut);
  return true;
}

void FirmwareUpload::Abandon() {
  if (Running()) Finish(FirmwareEnd::kAbandoned);
}

void FirmwareUpload::SendPage() {
  std::array<uint8_t, kFirmwarePageCommandSize> command{};  // zero-filled past the image
  const std::string header = FirmwarePageHeader(page_);
  std::copy(header.begin(), header.end(), command.begin());
  const size_t from = static_cast<size_t>(page_) * kFirmwarePageSize;
  if (from < sending_->size()) {
    const size_t n = std::min(kFirmwarePageSize, sending_->size() - from);
    std::copy_n(sending_->begin() + static_cast<std::ptrdiff_t>(from), n,
                command.begin() + kFirmwarePageHeaderSize);
  }
  Send(command);
}

void FirmwareUpload::Send(std::span<const uint8_t> bytes) { sender_.Send(stack_, bytes); }

void FirmwareUpload::Finish(FirmwareEnd end) {
  stack_ = -1;
  sending_.reset();
  lastEnd_ = end;
}

}  // namespace ws
