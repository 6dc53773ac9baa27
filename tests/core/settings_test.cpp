#include "core/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace ws {
namespace {

namespace L = settings_layout;

uint32_t U32At(const std::vector<uint8_t>& b, size_t off) {
  return b[off] | b[off + 1] << 8 | b[off + 2] << 16 | static_cast<uint32_t>(b[off + 3]) << 24;
}

double F64At(const std::vector<uint8_t>& b, size_t off) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(b[off + i]) << (8 * i);
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

// ---- Byte image ----

TEST(SettingsImage, FieldsAreWrittenLittleEndianAtTheirOffsets) {
  auto s = std::make_unique<Settings>();
  s->stackCount = 0x01020304;
  s->gridColumns = -1;
  s->gridRows = 14;
  s->signalLampEnabled = 1;
  s->signalLampAddress = 0x0A00A8C0;  // 192.168.0.10 as stored
  s->stacks[3].loggerAddress = 0x04030201;
  s->stacks[3].directEnable = 7;
  s->stacks[0].alarmSpeed = 12.5;
  s->statisticsSnapshot[kStatSpeed10Min][7] = 3.25;
  s->reportStart = {2026, 3, 0, 1, 12, 34, 56, 789};
  s->chartColours[5] = 0x00112233;

  const std::vector<uint8_t> b = s->ToBytes();
  ASSERT_EQ(b.size(), 428528u);
  EXPECT_EQ(b[418016], 0x04);
  EXPECT_EQ(b[418019], 0x01);
  EXPECT_EQ(b[424440], 0xFF);
  EXPECT_EQ(b[424441], 14);
  EXPECT_EQ(b[424432], 1);
  EXPECT_EQ(b[424436], 192);
  EXPECT_EQ(b[424439], 10);
  EXPECT_EQ(U32At(b, 1216 + 3 * 4168), 0x04030201u);
  EXPECT_EQ(U32At(b, 1216 + 3 * 4168 + 152), 7u);
  EXPECT_EQ(F64At(b, 1216 + 96), 12.5);
  EXPECT_EQ(F64At(b, 418032 + 5 * 800 + 7 * 8), 3.25);
  EXPECT_EQ(b[1180], 2026 & 0xFF);
  EXPECT_EQ(b[1181], 2026 >> 8);
  EXPECT_EQ(b[1180 + 14], 789 & 0xFF);
  EXPECT_EQ(U32At(b, 356 + 5 * 4), 0x00112233u);
}

TEST(SettingsImage, DeserializeRefusesAnyOtherSizeAndKeepsTheRecord) {
  auto s = std::make_unique<Settings>();
  std::vector<uint8_t> bytes(kSettingsSize - 1, 0xEE);
  EXPECT_FALSE(s->Deserialize(bytes));
  bytes.resize(kSettingsSize + 1, 0xEE);
  EXPECT_FALSE(s->Deserialize(bytes));
  EXPECT_TRUE(*s == Settings());
}

TEST(SettingsImage, SignallingNanBitsInReservedDoublesSurviveARoundTrip) {
  auto s = std::make_unique<Settings>();
  std::vector<uint8_t> bytes = s->ToBytes();
  const uint8_t snan[8] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x7F};
  std::memcpy(&bytes[L::kReserved256], snan, 8);
  std::memcpy(&bytes[L::StatisticsOffset(2, 50)], snan, 8);
  ASSERT_TRUE(s->Deserialize(bytes));
  EXPECT_EQ(s->ToBytes(), bytes);
}

// ---- Validation ----

TEST(SettingsValidate, StackCountOutsideOneToHundredBecomesOneAndGridsOne) {
  for (int32_t count : {0, 101, -5, std::numeric_limits<int32_t>::min()}) {
    auto s = std::make_unique<Settings>();
    s->stackCount = count;
    s->gridColumns = -1;
    s->gridRows = 15;
    s->Validate();
    EXPECT_EQ(s->stackCount, 1) << count;
    EXPECT_EQ(s->gridColumns, 1) << count;
    EXPECT_EQ(s->gridRows, 1) << count;
  }
}

TEST(SettingsValidate, GridCorrectionIsHalfTheStacksPlusOneCappedAtFourteen) {
  auto s = std::make_unique<Settings>();
  const std::pair<int, int> cases[] = {{10, 6}, {26, 14}, {27, 14}, {28, 14}, {40, 14}, {100, 14}};
  for (auto [count, expected] : cases) {
    s->stackCount = count;
    s->gridColumns = -1;
    s->gridRows = 127;
    s->Validate();
    EXPECT_EQ(s->gridColumns, expected) << count;
    EXPECT_EQ(s->gridRows, expected) << count;
  }
}

TEST(SettingsValidate, GridValuesInRangeAreKept) {
  auto s = std::make_unique<Settings>();
  s->stackCount = 100;
  s->gridColumns = 0;
  s->gridRows = 14;
  s->Validate();
  EXPECT_EQ(s->gridColumns, 0);
  EXPECT_EQ(s->gridRows, 14);
}

TEST(SettingsValidate, ReservedIntervalIsClampedOnlyOutsideTenToNineHundredNinetyNine) {
  auto s = std::make_unique<Settings>();
  const std::pair<int32_t, int32_t> cases[] = {{5, 10}, {1000, 10}, {-1, 10}, {9, 10},
                                               {10, 10}, {999, 999}, {500, 500}};
  for (auto [stored, expected] : cases) {
    s->reservedInterval = stored;
    s->ClampReservedInterval();
    EXPECT_EQ(s->reservedInterval, expected) << stored;
  }
}

TEST(SettingsValidate, NonFiniteThresholdsAndSplitRatioTakeTheirDefaults) {
  auto s = std::make_unique<Settings>();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  s->gaugeSplitRatio = -inf;
  s->stacks[0].windMaxSpeed = inf;
  s->stacks[0].alarmSpeed = nan;
  s->stacks[0].stopSpeed = 12.0;
  s->stacks[42].tripSpeed = nan;
  s->statisticsSnapshot[0][0] = nan;  // not a setting the station reads
  s->ReplaceNonFinite();
  EXPECT_EQ(s->gaugeSplitRatio, 0.7);
  EXPECT_EQ(s->stacks[0].windMaxSpeed, 60.0);
  EXPECT_EQ(s->stacks[0].alarmSpeed, 30.0);
  EXPECT_EQ(s->stacks[0].stopSpeed, 12.0);
  EXPECT_EQ(s->stacks[42].tripSpeed, 45.0);
  EXPECT_TRUE(std::isnan(s->statisticsSnapshot[0][0]));
}

// ---- Text fields ----

TEST(SettingsText, FieldWithoutTerminatorIsReadWithinItsWidth) {
  auto s = std::make_unique<Settings>();
  s->stacks[0].title.fill('A');
  EXPECT_EQ(FieldBytes(s->stacks[0].title).size(), 84u);
  EXPECT_EQ(FieldUtf8(s->stacks[0].title), std::string(84, 'A'));
  EXPECT_EQ(FieldUtf16(s->stacks[0].title), std::u16string(84, u'A'));
}

TEST(SettingsText, FieldEndingInAHalfKoreanCharacterReadsAsQuestionMark) {
  std::array<char, 4> field = {'O', 'K', '\xC7', '\xD1'};  // "OK한"
  EXPECT_EQ(FieldUtf8(field), "OK\xED\x95\x9C");
  // A lead byte with no trail inside the width.
  EXPECT_EQ(FieldUtf8(std::span<const char>(field.data(), 3)), "OK?");
}

TEST(SettingsText, KoreanTitleRoundTripsThroughCp949) {
  auto s = std::make_unique<Settings>();
  EXPECT_TRUE(SetFieldUtf16(s->stacks[1].title, u"풍속 경보 #2", L::kStackTitleLimit));
  EXPECT_EQ(FieldBytes(s->stacks[1].title), "\xC7\xB3\xBC\xD3 \xB0\xE6\xBA\xB8 #2");
  EXPECT_EQ(FieldUtf16(s->stacks[1].title), u"풍속 경보 #2");
  EXPECT_EQ(FieldUtf8(s->stacks[1].title), "풍속 경보 #2");
}

TEST(SettingsText, LongTitleIsCutAtACharacterBoundaryAndTerminated) {
  auto s = std::make_unique<Settings>();
  std::u16string text = u"A";
  for (int i = 0; i < 50; ++i) text += u"한";  // 1 + 100 bytes in CP949
  EXPECT_FALSE(SetFieldUtf16(s->stacks[0].title, text, L::kStackTitleLimit));
  // 80 bytes with the terminator: "A" and 39 whole characters (79 bytes), then zeros.
  EXPECT_EQ(FieldBytes(s->stacks[0].title).size(), 79u);
  EXPECT_EQ(FieldUtf16(s->stacks[0].title), text.substr(0, 40));
  for (size_t i = 79; i < 84; ++i) EXPECT_EQ(s->stacks[0].title[i], '\0') << i;
}

TEST(SettingsText, CutNeverSplitsAnExtendedCharacterWithAnAsciiTrailByte) {
  std::array<char, 4> field{};
  // "A똠" is 41 8C 63: the trail byte 0x63 is the letter 'c'.
  EXPECT_FALSE(SetFieldUtf8(field, "AA똠", field.size()));
  EXPECT_EQ(FieldBytes(field), "AA");
  EXPECT_TRUE(SetFieldUtf8(field, "A똠", field.size()));
  EXPECT_EQ(FieldUtf8(field), "A똠");
}

TEST(SettingsText, SoundPathThatDoesNotFitIsRefusedAndTheOldPathKept) {
  auto s = std::make_unique<Settings>();
  ASSERT_TRUE(SetFieldUtf8(s->alarmSoundPath, "/sounds/alarm.wav", L::kSoundPathLimit,
                           TextOverflow::kRefuse));
  const std::string tooLong = "/" + std::string(259, 'x');  // 260 bytes + terminator
  EXPECT_FALSE(SetFieldUtf8(s->alarmSoundPath, tooLong, L::kSoundPathLimit, TextOverflow::kRefuse));
  EXPECT_EQ(FieldUtf8(s->alarmSoundPath), "/sounds/alarm.wav");
  const std::string fits = "/" + std::string(258, 'x');  // 259 bytes + terminator
  EXPECT_TRUE(SetFieldUtf8(s->alarmSoundPath, fits, L::kSoundPathLimit, TextOverflow::kRefuse));
  EXPECT_EQ(FieldUtf8(s->alarmSoundPath), fits);
}

TEST(SettingsText, RewritingAShorterTextLeavesNoTailOfTheOldOne) {
  std::array<char, 16> field{};
  SetFieldUtf8(field, "LONGER TEXT", field.size());
  SetFieldUtf8(field, "ab", field.size());
  EXPECT_EQ(FieldBytes(field), "ab");
  for (size_t i = 2; i < field.size(); ++i) EXPECT_EQ(field[i], '\0');
}

TEST(SettingsText, CharactersCp949CannotHoldAreStoredAsQuestionMarks) {
  std::array<char, 16> field{};
  EXPECT_TRUE(SetFieldUtf8(field, "x😀y", field.size()));
  EXPECT_EQ(FieldBytes(field), "x?y");
}

// ---- Addresses ----

TEST(SettingsAddress, StoredAddressReadsAsDottedTextInByteOrder) {
  EXPECT_EQ(AddressToText(0), "0.0.0.0");
  EXPECT_EQ(AddressToText(0x0A00A8C0), "192.168.0.10");
  EXPECT_EQ(AddressToText(kBroadcastAddress), "255.255.255.255");
  EXPECT_EQ(AddressToHostOrder(0x0A00A8C0), 0xC0A8000Au);
  EXPECT_EQ(AddressFromHostOrder(0xC0A8000Au), 0x0A00A8C0u);
}

TEST(SettingsAddress, DottedTextParsesBackToTheStoredValue) {
  EXPECT_EQ(AddressFromText("192.168.0.10"), 0x0A00A8C0u);
  EXPECT_EQ(AddressFromText("127.0.0.1"), 0x0100007Fu);
  EXPECT_EQ(AddressFromText("0.0.0.0"), 0u);
}

TEST(SettingsAddress, MalformedTextIsRejected) {
  for (const char* text : {"", "1.2.3", "1.2.3.4.5", "256.0.0.1", "1..2.3", " 1.2.3.4", "1.2.3.4 ",
                           "1.2.3.x", "0001.2.3.4", "-1.2.3.4", "1.2.3.4/24"}) {
    EXPECT_FALSE(AddressFromText(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace ws
