#include "core/text_codec.h"

#include <gtest/gtest.h>

namespace ws {
namespace {

// "한글" in CP949; "똠" lies outside KS X 1001 and has the ASCII letter 'c' as trail byte.
constexpr std::string_view kHangulCp949 = "\xC7\xD1\xB1\xDB";
constexpr std::string_view kTtomCp949 = "\x8C\x63";

TEST(TextCodec, KoreanRoundTripsThroughUtf8AndUtf16) {
  EXPECT_EQ(Cp949ToUtf8(kHangulCp949), "한글");
  EXPECT_EQ(Cp949ToUtf16(kHangulCp949), u"한글");
  EXPECT_EQ(Utf8ToCp949("한글"), kHangulCp949);
  EXPECT_EQ(Utf16ToCp949(u"한글"), kHangulCp949);
  EXPECT_EQ(Cp949ToUtf8(kTtomCp949), "똠");
  EXPECT_EQ(Utf16ToCp949(u"똠"), kTtomCp949);
  EXPECT_EQ(Utf8ToCp949("조회 구간 에러!"), "\xC1\xB6\xC8\xB8 \xB1\xB8\xB0\xA3 \xBF\xA1\xB7\xAF!");
}

TEST(TextCodec, CharactersOutsideCp949BecomeOneQuestionMarkEach) {
  EXPECT_EQ(Utf8ToCp949("a😀b"), "a?b");
  EXPECT_EQ(Utf16ToCp949(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(Utf8ToCp949("xกy"), "x?y");
}

TEST(TextCodec, InvalidInputBecomesQuestionMarksWithoutStopping) {
  EXPECT_EQ(Cp949ToUtf8("A\xC7"), "A?");          // lead byte cut off at the end
  EXPECT_EQ(Cp949ToUtf8("A\xFF" "B"), "A?B");      // not a CP949 byte
  EXPECT_EQ(Utf8ToCp949("A\xE3\x81" "B"), "A?B");  // truncated UTF-8 sequence
  EXPECT_EQ(Utf8ToCp949("\xC0\xAF"), "?");         // overlong encoding
  EXPECT_EQ(Utf16ToCp949(std::u16string(u"A") + char16_t{0xD800} + u"B"), "A?B");  // lone surrogate
}

TEST(TextCodec, EmptyAndAsciiTextPassUnchanged) {
  EXPECT_EQ(Cp949ToUtf8(""), "");
  EXPECT_EQ(Utf16ToCp949(u""), "");
  EXPECT_EQ(Cp949ToUtf16("STACK #1"), u"STACK #1");
  EXPECT_EQ(Utf8ToCp949("m/s"), "m/s");
}

TEST(TextCodec, PrefixLengthNeverEndsInsideADoubleByteCharacter) {
  const std::string text = std::string("A") + std::string(kHangulCp949) + std::string(kTtomCp949);
  EXPECT_EQ(Cp949PrefixLength(text, 0), 0u);
  EXPECT_EQ(Cp949PrefixLength(text, 1), 1u);
  EXPECT_EQ(Cp949PrefixLength(text, 2), 1u);
  EXPECT_EQ(Cp949PrefixLength(text, 3), 3u);
  EXPECT_EQ(Cp949PrefixLength(text, 6), 5u);  // not between 0x8C and its trail 'c'
  EXPECT_EQ(Cp949PrefixLength(text, 7), 7u);
  EXPECT_EQ(Cp949PrefixLength(text, 100), 7u);
}

}  // namespace
}  // namespace ws
