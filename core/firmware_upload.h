// The firmware page exchange a logger starts with "APPE:": the image goes out
// as numbered 1024-byte pages, then "APP>:" and "REST:". While it runs, polling
// and supervision of the uploading stack stop; every other stack goes on.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/clock.h"
#include "core/link_sender.h"
#include "core/protocol_codec.h"

namespace ws {

enum class FirmwareStep {
  kIgnored,   // not a firmware reply, not from the uploading stack, or no usable image
  kStarted,   // page 0 sent: show the progress window
  kPageSent,  // the next page sent: move the progress bar to Page()
  kEndSent,   // every page sent, "APP>:" went out
  kFinished,  // "REST:" sent, the upload is over: hide the progress window
  kGaveUp,    // the logger asked to start over too often: the upload is abandoned
};

// kAbandoned: its link was rebuilt or removed; kTooManyRestarts: its logger
// kept sending "APPE:" during the upload.
enum class FirmwareEnd { kFinished, kTimedOut, kAbandoned, kTooManyRestarts };

// Single-threaded; `clock` and `sender` must outlive the upload.
class FirmwareUpload {
 public:
  // Page numbers are four digits; an image may fill at most 9999 pages.
  static constexpr size_t kMaxImagePages = 9999;
  static constexpr int64_t kNoAnswerTimeoutMs = 30000;
  // A logger may ask to start over this many times during one upload; the
  // next request ends it. Without a bound a logger that keeps asking would
  // hold its stack's polling stopped for ever.
  static constexpr int kMaxRestarts = 3;

  FirmwareUpload(const Clock& clock, LinkSender& sender);

  // The image answered to the next "APPE:". An upload already running keeps
  // the image it started with. Choosing an image again also lifts the refusal
  // of a logger whose upload ended for asking too often.
  void SetImage(std::vector<uint8_t> image);
  void ClearImage();
  // True when an image is set that can be sent (not empty, not too large).
  bool HasUsableImage() const;

  // Any reply from `stack`; only "APPE:", "APPW:" and "APP>:" act.
  FirmwareStep OnReply(int stack, std::span<const uint8_t> reply);

  // Called every second: true when the upload has just been abandoned because
  // its logger stayed silent for 30 s (polling resumes).
  bool OnTick();

  // The uploading stack's link was rebuilt or removed: nothing will answer the
  // page last sent, so the upload ends now and polling resumes.
  void Abandon();

  bool Running() const { return stack_ >= 0; }
  int Stack() const { return stack_; }
  // The page sent last (the progress bar's position).
  int Page() const { return page_; }
  // Restarts of the running upload asked for by its logger (0..kMaxRestarts).
  int Restarts() const { return restarts_; }
  // The stack whose "APPE:" is refused until an image is chosen again (-1: none).
  int RefusedStack() const { return refused_; }
  // The last page number of the running upload: image size / 1024.
  int LastPage() const;
  std::optional<FirmwareEnd> LastEnd() const { return lastEnd_; }

 private:
  void SendPage();
  void Send(std::span<const uint8_t> bytes);
  void Finish(FirmwareEnd end);

  const Clock& clock_;
  LinkSender& sender_;
  std::shared_ptr<const std::vector<uint8_t>> image_;    // chosen for the next upload
  std::shared_ptr<const std::vector<uint8_t>> sending_;  // the running upload's image
  int stack_ = -1;
  int page_ = 0;
  int restarts_ = 0;
  int refused_ = -1;
  int64_t lastAnswerMs_ = 0;
  std::optional<FirmwareEnd> lastEnd_;
};

}  // namespace ws
