#include "core/firmware_upload.h"

#include <gtest/gtest.h>

#include "recording_sender.h"
#include "support/fake_clock.h"

namespace ws {
namespace {

using test::Bytes;

std::vector<uint8_t> Image(size_t size) {
  std::vector<uint8_t> image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);  // never 0
  return image;
}

class FirmwareUploadTest : public ::testing::Test {
 protected:
  std::string PageSent(int page) const {
    EXPECT_EQ(sender.Last().substr(0, 9), FirmwarePageHeader(page));
    EXPECT_EQ(sender.Last().size(), kFirmwarePageCommandSize);
    return sender.Last().substr(9);
  }
  test::FakeClock clock;
  test::RecordingSender sender;
  FirmwareUpload upload{clock, sender};
};

TEST_F(FirmwareUploadTest, ImageOf2048BytesSendsPages0To2ThenEndAndRestart) {
  const std::vector<uint8_t> image = Image(2048);
  upload.SetImage(image);
  EXPECT_EQ(upload.OnReply(6, Bytes("APPE:")), FirmwareStep::kStarted);
  EXPECT_EQ(PageSent(0), std::string(image.begin(), image.begin() + 1024));
  EXPECT_EQ(upload.OnReply(6, Bytes("APPW:")), FirmwareStep::kPageSent);
  EXPECT_EQ(PageSent(1), std::string(image.begin() + 1024, image.end()));
  EXPECT_EQ(upload.OnReply(6, Bytes("APPW:")), FirmwareStep::kPageSent);
  EXPECT_EQ(PageSent(2), std::string(1024, '\0'));
  EXPECT_EQ(upload.OnReply(6, Bytes("APPW:")), FirmwareStep::kEndSent);
  EXPECT_EQ(sender.Last(), "APP>:");
  EXPECT_EQ(upload.OnReply(6, Bytes("APP>:")), FirmwareStep::kFinished);
  EXPECT_EQ(sender.sent.back(), std::make_pair(6, std::string("REST:")));  // to the stack that asked
  EXPECT_EQ(sender.sent.size(), 5u);
  EXPECT_FALSE(upload.Running());
}

TEST_F(FirmwareUploadTest, LastPageOfA1500ByteImageIsZeroPadded) {
  const std::vector<uint8_t> image = Image(1500);
  upload.SetImage(image);
  (void)upload.OnReply(0, Bytes("APPE:"));
  (void)upload.OnReply(0, Bytes("APPW:"));
  EXPECT_EQ(PageSent(1), std::string(image.begin() + 1024, image.end()) + std::string(548, '\0'));
}

TEST_F(FirmwareUploadTest, RequestWithoutAUsableImageIsIgnored) {
  EXPECT_EQ(upload.OnReply(0, Bytes("APPE:")), FirmwareStep::kIgnored);
  for (size_t size : {size_t{0}, size_t{9999 * 1024 + 1}}) {
    upload.SetImage(std::vector<uint8_t>(size));
    EXPECT_EQ(upload.OnReply(0, Bytes("APPE:")), FirmwareStep::kIgnored);
  }
  EXPECT_TRUE(sender.sent.empty());
}

TEST_F(FirmwareUploadTest, RepliesFromAnotherStackAreIgnoredDuringAnUpload) {
  upload.SetImage(Image(3000));
  (void)upload.OnReply(2, Bytes("APPE:"));
  for (const char* reply : {"APPE:", "APPW:", "APP>:"}) EXPECT_EQ(upload.OnReply(3, Bytes(reply)), FirmwareStep::kIgnored);
  EXPECT_EQ(sender.sent.size(), 1u);
  EXPECT_TRUE(upload.Running());
}

TEST_F(FirmwareUploadTest, SilentLoggerAbandonsTheUploadAfter30Seconds) {
  upload.SetImage(Image(5000));
  (void)upload.OnReply(1, Bytes("APPE:"));
  clock.Advance(20000);
  (void)upload.OnReply(1, Bytes("APPW:"));  // an answer restarts the wait
  clock.Advance(29999);
  EXPECT_FALSE(upload.OnTick());
  clock.Advance(1);
  EXPECT_TRUE(upload.OnTick());
  EXPECT_EQ(upload.OnReply(1, Bytes("APPW:")), FirmwareStep::kIgnored);
}

TEST_F(FirmwareUploadTest, RepeatedRequestRestartsAtMostThreeTimesThenGivesUp) {
  upload.SetImage(Image(5000));
  ASSERT_EQ(upload.OnReply(1, Bytes("APPE:")), FirmwareStep::kStarted);
  for (int restart = 1; restart <= FirmwareUpload::kMaxRestarts; ++restart) {
    ASSERT_EQ(upload.OnReply(1, Bytes("APPW:")), FirmwareStep::kPageSent);
    EXPECT_EQ(upload.OnReply(1, Bytes("APPE:")), FirmwareStep::kStarted);
    EXPECT_EQ(upload.Page(), 0);
    EXPECT_EQ(upload.Restarts(), restart);
    PageSent(0);
  }
  const size_t sends = sender.sent.size();
  EXPECT_EQ(upload.OnReply(1, Bytes("APPE:")), FirmwareStep::kGaveUp);
  EXPECT_FALSE(upload.Running());
  EXPECT_EQ(upload.LastEnd(), FirmwareEnd::kTooManyRestarts);
  EXPECT_EQ(sender.sent.size(), sends);  // nothing more goes out

  // That logger is not served again until an image is chosen again; others are.
  EXPECT_EQ(upload.OnReply(1, Bytes("APPE:")), FirmwareStep::kIgnored);
  EXPECT_EQ(upload.OnReply(2, Bytes("APPE:")), FirmwareStep::kStarted);
  EXPECT_EQ(upload.Restarts(), 0);
  upload.Abandon();
  upload.SetImage(Image(5000));
  EXPECT_EQ(upload.OnReply(1, Bytes("APPE:")), FirmwareStep::kStarted);
}

}  // namespace
}  // namespace ws
