#include "core/firmware_upload.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  std::string Page(int page) const {
    const std::string& b = sender.Last().bytes;
    EXPECT_EQ(b.size(), kFirmwarePageCommandSize);
    EXPECT_EQ(b.substr(0, 9), FirmwarePageHeader(page));
    return b.substr(9);
  }

  test::FakeClock clock;
  test::RecordingSender sender;
  FirmwareUpload upload{clock, sender};
};

TEST_F(FirmwareUploadTest, ImageOf2048BytesSendsThreePagesThenEndAndRestart) {
  const std::vector<uint8_t> image = Image(2048);
  upload.SetImage(image);
  EXPECT_EQ(upload.OnReply(6, Bytes("APPE:")), FirmwareStep::kStarted);
  EXPECT_TRUE(upload.Running());
  EXPECT_EQ(sender.Last().link, 6);  // the stack that asked
  EXPECT_EQ(Page(0), std::string(image.begin(), image.begin() + 1024));

  EXPECT_EQ(upload.OnReply(6, Bytes("APPW:")), FirmwareStep::kPageSent);
  EXPECT_EQ(Page(1), std::string(image.begin() + 1024, image.end()));
  EXPECT_EQ(upload.OnReply(6, Bytes("APPW:")), FirmwareStep::kPageSent);
  EXPECT_EQ(Page(2), std::string(1024, '\0'));
  EXPECT_EQ(upload.Page(), 2);

  EXPECT_EQ(upload.OnReply(6, Bytes("APPW:")), FirmwareStep::kEndSent);
  EXPECT_EQ(sender.Last().bytes, "APP>:");
  EXPECT_EQ(upload.OnReply(6, Bytes("APP>:")), FirmwareStep::kFinished);
  EXPECT_EQ(sender.Last().bytes, "REST:");
  EXPECT_EQ(sender.Last().link, 6);
  EXPECT_FALSE(upload.Running());
  EXPECT_EQ(upload.LastEnd(), FirmwareEnd::kFinished);
  EXPECT_EQ(sender.sent.size(), 5u);
}

TEST_F(FirmwareUploadTest, LastPageOfA1500ByteImageIsZeroPadded) {
  const std::vector<uint8_t> image = Image(1500);
  upload.SetImage(image);
  (void)upload.OnReply(0, Bytes("APPE:"));
  (void)upload.OnReply(0, Bytes("APPW:"));
  EXPECT_EQ(Page(1), std::string(image.begin() + 1024, image.end()) + std::string(548, '\0'));
  EXPECT_EQ(upload.OnReply(0, Bytes("APPW:")), FirmwareStep::kEndSent);
}

TEST_F(FirmwareUploadTest, RequestWithoutAUsableImageIsIgnored) {
  EXPECT_EQ(upload.OnReply(0, Bytes("APPE:")), FirmwareStep::kIgnored);
  upload.SetImage({});
  EXPECT_EQ(upload.OnReply(0, Bytes("APPE:")), FirmwareStep::kIgnored);
  upload.SetImage(std::vector<uint8_t>(FirmwareUpload::kMaxImagePages * 1024 + 1));
  EXPECT_EQ(upload.OnReply(0, Bytes("APPE:")), FirmwareStep::kIgnored);
  EXPECT_TRUE(sender.sent.empty());
  upload.SetImage(std::vector<uint8_t>(FirmwareUpload::kMaxImagePages * 1024));
  EXPECT_EQ(upload.OnReply(0, Bytes("APPE:")), FirmwareStep::kStarted);
  EXPECT_EQ(upload.LastPage(), 9999);
}

TEST_F(FirmwareUploadTest, RepliesFromAnotherStackAreIgnoredDuringAnUpload) {
  upload.SetImage(Image(3000));
  EXPECT_EQ(upload.OnReply(2, Bytes("APPW:")), FirmwareStep::kIgnored);  // none running
  (void)upload.OnReply(2, Bytes("APPE:"));
  EXPECT_EQ(upload.OnReply(3, Bytes("APPE:")), FirmwareStep::kIgnored);
  EXPECT_EQ(upload.OnReply(3, Bytes("APPW:")), FirmwareStep::kIgnored);
  EXPECT_EQ(upload.OnReply(3, Bytes("APP>:")), FirmwareStep::kIgnored);
  EXPECT_EQ(upload.Page(), 0);
  EXPECT_EQ(sender.sent.size(), 1u);
  EXPECT_TRUE(upload.Running());
  EXPECT_EQ(upload.OnReply(2, Bytes("R000:")), FirmwareStep::kIgnored);
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
  EXPECT_FALSE(upload.Running());
  EXPECT_EQ(upload.LastEnd(), FirmwareEnd::kTimedOut);
  EXPECT_EQ(upload.OnReply(1, Bytes("APPW:")), FirmwareStep::kIgnored);
  EXPECT_FALSE(upload.OnTick());
}

}  // namespace
}  // namespace ws
