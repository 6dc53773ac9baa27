#include "core/settings.h"

#include <gtest/gtest.h>

#include <memory>

namespace ws {
namespace {

namespace L = settings_layout;

TEST(SettingsImage, FieldsAreWrittenLittleEndianAtTheirOffsets) {
  auto s = std::make_unique<Settings>();
  s->stackCount = 0x01020304;
  s->gridColumns = -1;
  s->signalLampAddress = 0x0A00A8C0;  // 192.168.0.10 as stored
  s->stacks[3].directEnable = 7;
  s->statisticsSnapshot[kStatSpeed10Min][7] = 2.0;  // 0x4000000000000000
  s->reportStart.year = 2026;
  const std::vector<uint8_t> b = s->ToBytes();
  ASSERT_EQ(b.size(), 428528u);
  EXPECT_EQ((std::vector<uint8_t>{b.begin() + 418016, b.begin() + 418020}),
            (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01}));
  EXPECT_EQ(b[424440], 0xFF);
  EXPECT_EQ((std::vector<uint8_t>{b.begin() + 424436, b.begin() + 424440}),
            (std::vector<uint8_t>{192, 168, 0, 10}));
  EXPECT_EQ(b[1216 + 3 * 4168 + 152], 7);
  EXPECT_EQ(b[418032 + 5 * 800 + 7 * 8 + 7], 0x40);
  EXPECT_EQ(b[1180], 0xEA);  // 2026 = 0x07EA
  EXPECT_EQ(b[1181], 0x07);
}

TEST(SettingsImage, DeserializeRefusesAnyOtherSizeAndKeepsTheRecord) {
  auto s = std::make_unique<Settings>();
  EXPECT_FALSE(s->Deserialize(std::vector<uint8_t>(kSettingsSize - 1, 0xEE)));
  EXPECT_FALSE(s->Deserialize(std::vector<uint8_t>(kSettingsSize + 1, 0xEE)));
  EXPECT_TRUE(*s == Settings());
}

TEST(SettingsValidate, ReservedIntervalIsClampedOnlyOutsideTenToNineHundredNinetyNine) {
  auto s = std::make_unique<Settings>();
  const std::pair<int32_t, int32_t> cases[] = {{5, 10}, {1000, 10}, {-1, 10}, {10, 10}, {999, 999}};
  for (auto [stored, expected] : cases) {
    s->reservedInterval = stored;
    s->ClampReservedInterval();
    EXPECT_EQ(s->reservedInterval, expected) << stored;
  }
}

TEST(SettingsText, FieldWithoutTerminatorIsReadWithinItsWidth) {
  auto s = std::make_unique<Settings>();
  s->stacks[0].title.fill('A');
  EXPECT_EQ(FieldUtf8(s->stacks[0].title), std::string(84, 'A'));
  EXPECT_EQ(FieldUtf16(s->stacks[0].title), std::u16string(84, u'A'));
  const std::array<char, 3> halfKorean = {'O', 'K', '\xC7'};  // lead byte, trail cut off
  EXPECT_EQ(FieldUtf8(halfKorean), "OK?");
}

TEST(SettingsText, KoreanTitleIsCutAtACharacterBoundaryAndTerminated) {
  auto s = std::make_unique<Settings>();
  std::u16string text = u"A";
  for (int i = 0; i < 50; ++i) text += u"한";  // 1 + 100 bytes in CP949
  EXPECT_FALSE(SetFieldUtf16(s->stacks[0].title, text, L::kStackTitleLimit));
  // 80 bytes with the terminator: "A" and 39 whole characters (79 bytes), then zeros.
  EXPECT_EQ(FieldBytes(s->stacks[0].title).size(), 79u);
  EXPECT_EQ(FieldUtf16(s->stacks[0].title), text.substr(0, 40));
  for (size_t i = 79; i < 84; ++i) EXPECT_EQ(s->stacks[0].title[i], '\0') << i;
  EXPECT_TRUE(SetFieldUtf16(s->stacks[0].title, u"풍속", L::kStackTitleLimit));
  EXPECT_EQ(FieldBytes(s->stacks[0].title), "\xC7\xB3\xBC\xD3");  // no tail of the old text
}

TEST(SettingsText, SoundPathThatDoesNotFitIsRefusedAndTheOldPathKept) {
  auto s = std::make_unique<Settings>();
  const std::string fits = "/" + std::string(258, 'x');  // 259 bytes + terminator
  EXPECT_TRUE(SetFieldUtf8(s->alarmSoundPath, fits, L::kSoundPathLimit, TextOverflow::kRefuse));
  EXPECT_FALSE(SetFieldUtf8(s->alarmSoundPath, fits + "y", L::kSoundPathLimit, TextOverflow::kRefuse));
  EXPECT_EQ(FieldUtf8(s->alarmSoundPath), fits);
}

TEST(SettingsAddress, StoredAddressAndDottedTextConvertBothWays) {
  EXPECT_EQ(AddressToText(0), "0.0.0.0");
  EXPECT_EQ(AddressToText(0x0A00A8C0), "192.168.0.10");
  EXPECT_EQ(AddressFromText("192.168.0.10"), 0x0A00A8C0u);
  EXPECT_EQ(AddressToHostOrder(0x0A00A8C0), 0xC0A8000Au);
  EXPECT_EQ(AddressFromHostOrder(0xC0A8000Au), 0x0A00A8C0u);
}

TEST(SettingsAddress, MalformedTextIsRejected) {
  for (const char* text : {"", "1.2.3", "1.2.3.4.5", "256.0.0.1", "1..2.3", " 1.2.3.4", "1.2.3.4 ",
                           "0001.2.3.4", "-1.2.3.4", "1.2.3.4/24"}) {
    EXPECT_FALSE(AddressFromText(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace ws
