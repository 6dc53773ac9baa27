#include "core/format_fixed.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace ws {
namespace {

TEST(FormatFixed, ZeroDecimalsRoundsToAWholeNumber) {
  EXPECT_EQ(FormatFixed(0, 7.25), "7");
  EXPECT_EQ(FormatFixed(0, 7.75), "8");
}

TEST(FormatFixed, PadsToDecimalsPlusTwo) {
  EXPECT_EQ(FormatFixed(1, 5.0), "5.0");
  EXPECT_EQ(FormatFixed(2, 3.14159), "3.14");
  EXPECT_EQ(FormatFixed(2, 1.5), "1.50");
  EXPECT_EQ(FormatFixed(2, -0.5), "-0.50");
  EXPECT_EQ(FormatFixed(3, 1.0), "1.000");
  EXPECT_EQ(FormatFixed(5, 0.0), "0.00000");
  // The width is a minimum: longer numbers are not cut.
  EXPECT_EQ(FormatFixed(1, 1234.56), "1234.6");
}

TEST(FormatFixed, NegativeDecimalsCountAsZero) { EXPECT_EQ(FormatFixed(-3, 2.4), "2"); }

TEST(FormatFixed, UsesThePointWhateverTheProcessLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* candidates[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "ko_KR.UTF-8", "ru_RU.UTF-8"};
  const char* chosen = nullptr;
  for (const char* name : candidates) {
    if (std::setlocale(LC_ALL, name)) {
      chosen = name;
      break;
    }
  }
  const std::string text = FormatFixed(2, 1.5);
  const std::string formatted = FormatC("%.1f|%d", 2.5, 3);
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(text, "1.50");
  EXPECT_EQ(formatted, "2.5|3");
  if (!chosen) GTEST_SKIP() << "no locale with a decimal comma installed";
}

TEST(FormatC, FormatsLongTextsWhole) {
  const std::string long_text(600, 'x');
  EXPECT_EQ(FormatC("%s!", long_text.c_str()), long_text + "!");
}

}  // namespace
}  // namespace ws
