// The configuration form's rules without the dialog: numbers in the C locale,
// addresses, and which texts fit their fields in code page 949.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "core/settings.h"
#include "dialogs/config_form.h"

namespace ws {
namespace {

// Sets a decimal-comma locale for one test, when the machine has one.
class CommaLocale {
 public:
  CommaLocale() {
    const char* old = std::setlocale(LC_ALL, nullptr);
    m_Old = old ? old : "C";
    m_Active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~CommaLocale() { std::setlocale(LC_ALL, m_Old.c_str()); }
  bool active() const { return m_Active; }

 private:
  std::string m_Old;
  bool m_Active = false;
};

TEST(ConfigFormTest, DecimalsAreNumbersInTheCLocaleAndAnythingElseIsNoNumber) {
  CommaLocale comma;
  EXPECT_EQ(ParseDecimal("35.5"), 35.5);
  EXPECT_EQ(ParseDecimal("  12.25 "), 12.25);  // blanks around it
  EXPECT_EQ(ParseDecimal("+7"), 7.0);
  EXPECT_EQ(ParseDecimal("-3.5"), -3.5);
  EXPECT_EQ(ParseDecimal("4e1"), 40.0);
  EXPECT_EQ(ParseDecimal(".5"), 0.5);
  // Text that is not wholly a number is no number, never 0 or its leading part.
  for (const char* bad : {"abc", "", "   ", "12.25 m/s", "1,5", "0x10", "1.2.3", "-", "e5", "3 0"}) {
    EXPECT_FALSE(ParseDecimal(QString::fromLatin1(bad))) << bad;
  }
  EXPECT_FALSE(ParseDecimal(QString::fromUtf8("３０")));  // full-width digits are not a number
  // Numbers that are not finite count as no number.
  for (const char* bad : {"inf", "-Infinity", "NaN", "1e999", "-1e999"}) EXPECT_FALSE(ParseDecimal(bad)) << bad;
  // And shown with a point whatever the desktop's locale.
  EXPECT_EQ(ShowSpeed(30.0), "30.0");
  EXPECT_EQ(ShowSpeed(5.25), "5.2");
  EXPECT_EQ(ShowWholeSpeed(60.0), "60");
  if (!comma.active()) GTEST_SKIP() << "no de_DE.UTF-8 locale: the comma case ran in the C locale";
}

TEST(ConfigFormTest, AddressesAreFourOctetsOf0To255AndAnythingElseIsNoAddress) {
  EXPECT_EQ(AddressToText(*ParseAddress("192.168.0.7")), "192.168.0.7");
  EXPECT_EQ(AddressToText(*ParseAddress(" 10.0.0.1 ")), "10.0.0.1");
  EXPECT_EQ(ParseAddress("0.0.0.0"), 0u);
  EXPECT_EQ(ParseAddress("255.255.255.255"), kBroadcastAddress);
  for (const char* bad : {"", "10.0.0", "10.0.0.256", "10.300.0.1", "host", "1.2.3.4.5", "1..2.3", "0010.0.0.1"}) {
    EXPECT_FALSE(ParseAddress(bad)) << bad;
  }
}

TEST(ConfigFormTest, AValueThatDoesNotParseLeavesTheWholeRecordUntouched) {
  auto s = std::make_unique<Settings>();
  s->stackCount = 2;
  const auto before = std::make_unique<Settings>(*s);
  const ConfigForm good = FormFromSettings(*s);
  struct Case {
    const char* field;
    std::function<void(ConfigForm&)> spoil;
  };
  const Case cases[] = {
      {"Wind Max Speed", [](ConfigForm& f) { f.windMaxSpeed = "sixty"; }},
      {"Signal Lamp IP Address", [](ConfigForm& f) { f.signalLampAddressValid = false; }},
      {"Alarm Speed", [](ConfigForm& f) { f.speeds[kConfigAlarm] = "abc"; }},
      {"Stop Speed", [](ConfigForm& f) { f.speeds[kConfigStop] = "nan"; }},
      {"Trip Speed", [](ConfigForm& f) { f.speeds[kConfigTrip] = "1e400"; }},
      {"IP Address of stack #2", [](ConfigForm& f) { f.rows[1].address = "10.0.0.300"; }},
  };
  for (const Case& c : cases) {
    ConfigForm form = good;
    form.programTitle = "NEW TITLE";
    c.spoil(form);
    const auto problem = ApplyForm(form, *s);
    ASSERT_TRUE(problem) << c.field;
    EXPECT_EQ(problem->field, c.field);
    EXPECT_EQ(*s, *before) << c.field;
  }
  // Two at once: the first in the dialog's order is named.
  ConfigForm form = good;
  form.rows[0].address = "x";
  form.speeds[kConfigTrip] = "x";
  EXPECT_EQ(FindFormProblem(form, *s)->field, "Trip Speed");
}

TEST(ConfigFormTest, TextLimitsCountCodePage949BytesWithTheTerminator) {
  EXPECT_FALSE(TextProblem(QString(79, 'a'), kProgramTitleLimit));
  EXPECT_TRUE(TextProblem(QString(80, 'a'), kProgramTitleLimit));
  // Hangul takes two bytes a character: 39 fit into 80 bytes, 40 do not.
  const QString ga = QString::fromUtf8("가");
  EXPECT_FALSE(TextProblem(ga.repeated(39), kStackTitleLimit));
  EXPECT_FALSE(TextProblem(ga.repeated(39) + "a", kStackTitleLimit));
  EXPECT_TRUE(TextProblem(ga.repeated(39) + "ab", kStackTitleLimit));
  EXPECT_FALSE(TextProblem(ga.repeated(19) + "a", kSpeedUnitLimit));
  EXPECT_TRUE(TextProblem(ga.repeated(20), kSpeedUnitLimit));
  // Characters code page 949 cannot hold are refused, not turned into '?'.
  EXPECT_TRUE(TextProblem(QString::fromUtf8("Wind 😀"), kProgramTitleLimit));
  EXPECT_TRUE(TextProblem(QString::fromUtf8("ก"), kProgramTitleLimit));
  EXPECT_TRUE(TextProblem(QString(QChar(0xD800)), kProgramTitleLimit));  // a lone surrogate
  EXPECT_TRUE(TextProblem(QString("a") + QChar(0) + "b", kProgramTitleLimit));
  EXPECT_FALSE(TextProblem(QString::fromUtf8("풍속 ?"), kProgramTitleLimit));
}

TEST(ConfigFormTest, ARefusedTextLeavesTheWholeRecordUntouched) {
  auto s = std::make_unique<Settings>();
  const auto before = std::make_unique<Settings>(*s);
  ConfigForm form = FormFromSettings(*s);
  form.programTitle = "NEW TITLE";
  form.speeds[kConfigAlarm] = "12";
  form.soundPaths[kConfigTrip] = QString("/") + QString(259, 'p');  // 260 bytes + terminator
  const auto problem = ApplyForm(form, *s);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->field, "Trip Sound Path");
  EXPECT_TRUE(problem->Message().startsWith("Trip Sound Path: "));
  EXPECT_EQ(*s, *before);
}

TEST(ConfigFormTest, UnchangedTextsKeepTheirStoredBytes) {
  auto s = std::make_unique<Settings>();
  // Bytes a foreign file may hold: not decodable, and a title without terminator.
  const char undecodable[] = {'\xFF', '\xFE', 'X', '\0'};
  std::copy(std::begin(undecodable), std::end(undecodable), s->alarmSoundPath.begin());
  std::fill(s->stacks[0].title.begin(), s->stacks[0].title.end(), 'T');
  const auto before = std::make_unique<Settings>(*s);
  ASSERT_FALSE(ApplyForm(FormFromSettings(*s), *s));
  EXPECT_EQ(s->alarmSoundPath, before->alarmSoundPath);
  EXPECT_EQ(s->stacks[0].title, before->stacks[0].title);
  EXPECT_EQ(*s, *before);
}

TEST(ConfigFormTest, ListsSelectingNothingKeepTheStoredValues) {
  auto s = std::make_unique<Settings>();
  s->gridColumns = 20;  // outside the list (a record not validated)
  s->gridRows = -1;
  ConfigForm form = FormFromSettings(*s);
  EXPECT_EQ(form.gridColumnsIndex, -1);
  EXPECT_EQ(form.gridRowsIndex, -1);
  ASSERT_FALSE(ApplyForm(form, *s));
  EXPECT_EQ(s->gridColumns, 20);
  EXPECT_EQ(s->gridRows, -1);
}

TEST(ConfigFormTest, ThresholdsOutOfOrderOrAboveTheGaugeAreWarnedAbout) {
  auto s = std::make_unique<Settings>();
  EXPECT_TRUE(ThresholdWarnings(*s).isEmpty());
  s->stacks[0].stopSpeed = 30.0;  // equal to Alarm
  EXPECT_EQ(ThresholdWarnings(*s).size(), 1);
  s->stacks[0].stopSpeed = 40.0;
  s->stacks[0].tripSpeed = 65.0;  // above the 60 of the gauge, still ascending
  ASSERT_EQ(ThresholdWarnings(*s).size(), 1);
  EXPECT_TRUE(ThresholdWarnings(*s)[0].contains("Wind Max Speed"));
  // Only the first record counts.
  s->stacks[0].tripSpeed = 45.0;
  s->stacks[1].alarmSpeed = 99.0;
  EXPECT_TRUE(ThresholdWarnings(*s).isEmpty());
}

}  // namespace
}  // namespace ws
