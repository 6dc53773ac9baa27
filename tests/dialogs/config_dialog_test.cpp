// The "CONFIGURATION" dialog driven offscreen: what OK stores, what Cancel
// keeps, the swatches, the sound chooser and its preview, refused texts, and
// the record taken over by a station runtime.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/colour_math.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "dialogs/colour_swatch.h"
#include "dialogs/config.h"
#include "dialogs/ip_address_edit.h"
#include "dialogs/sound_preview.h"
#include "link/station_runtime.h"
#include "support/wav_files.h"
#include "widgets/message_helpers.h"

namespace ws {
namespace {

class RecordingPreview final : public SoundPreview {
 public:
  void PlayOnce(const QString& path) override { played.push_back(path); }
  void Stop() override { ++stops; }
  std::vector<QString> played;
  int stops = 0;
};

class ConfigDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageHandler([this](int type, const QString& text) {
      messages.push_back(text);
      return type & kMbOkCancel ? answer : kIdOk;
    });
    settings = std::make_unique<Settings>();
  }
  void TearDown() override { SetMessageHandler({}); }

  // Opens the dialog on `settings`, shown (but not modal) so that OK and
  // Cancel can be pressed as buttons.
  CConfig& Open() {
    dialog = std::make_unique<CConfig>(*settings, QStringLiteral("/work/dir"));
    dialog->SetSoundPreview(&preview);
    dialog->show();
    return *dialog;
  }

  template <typename T>
  T* Get(int id) {
    auto* control = qobject_cast<T*>(dialog->Control(id));
    EXPECT_NE(control, nullptr) << id;
    return control;
  }

  void Type(int id, const QString& text) {
    QLineEdit* edit = Get<QLineEdit>(id);
    edit->selectAll();
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
      QTest::keyClicks(edit, text);
    } else {
      edit->insert(text);  // as an input method would
    }
  }

  void Press(int id) { QTest::mouseClick(Get<QPushButton>(id), Qt::LeftButton); }

  std::unique_ptr<Settings> settings;
  RecordingPreview preview;  // lent to the dialog: outlives it
  std::unique_ptr<CConfig> dialog;
  std::vector<QString> messages;
  int answer = kIdOk;
};

TEST_F(ConfigDialogTest, OpensShowingEveryStoredValue) {
  settings->stackCount = 3;
  settings->signalLampEnabled = 1;
  settings->signalLampAddress = *AddressFromText("192.168.10.20");
  settings->soundMode = 0;
  settings->stacks[1].loggerAddress = *AddressFromText("10.1.2.3");
  settings->stacks[2].directEnable = 7;
  (void)SetFieldUtf8(settings->programTitle, "풍향 풍속", 80);
  CConfig& d = Open();
  EXPECT_EQ(d.windowTitle(), "CONFIGURATION");
  EXPECT_EQ(Get<QLineEdit>(CConfig::kIdProgramTitle)->text(), QString::fromUtf8("풍향 풍속"));
  EXPECT_EQ(Get<QComboBox>(CConfig::kIdStackCount)->count(), 100);
  EXPECT_EQ(Get<QComboBox>(CConfig::kIdStackCount)->currentText(), "3");
  EXPECT_EQ(Get<QComboBox>(CConfig::kIdGridColumns)->count(), 15);
  EXPECT_EQ(Get<QComboBox>(CConfig::kIdGridColumns)->currentText(), "5");
  EXPECT_EQ(Get<QComboBox>(CConfig::kIdGridRows)->currentText(), "6");
  EXPECT_EQ(Get<QLineEdit>(CConfig::kIdSpeedUnit)->text(), "m/s");
  EXPECT_EQ(Get<QLineEdit>(CConfig::kIdWindMaxSpeed)->text(), "60");
  EXPECT_TRUE(Get<QCheckBox>(CConfig::kIdLampEnable)->isChecked());
  EXPECT_EQ(Get<CIpAddressEdit>(CConfig::kIdLampAddress)->Address(), 0xC0A80A14u);
  EXPECT_TRUE(Get<QRadioButton>(CConfig::kIdSoundInterval)->isChecked());
  EXPECT_EQ(Get<QLineEdit>(CConfig::kIdAlarmSpeed)->text(), "30.0");
  EXPECT_EQ(Get<QLineEdit>(CConfig::kIdStopSpeed)->text(), "40.0");
  EXPECT_EQ(Get<QLineEdit>(CConfig::kIdTripSpeed)->text(), "45.0");
  ASSERT_EQ(d.GridRowCount(), 3);
  const auto rows = d.GridRows();
  EXPECT_EQ(rows[0], (ConfigStackRow{"STACK #1", "0.0.0.0", false}));
  EXPECT_EQ(rows[1], (ConfigStackRow{"STACK #2", "10.1.2.3", false}));
  EXPECT_EQ(rows[2], (ConfigStackRow{"STACK #3", "0.0.0.0", true}));
  EXPECT_EQ(d.Control(CConfig::kIdStackGrid)->objectName(), "1110");
}

TEST_F(ConfigDialogTest, MaxNumberRebuildKeepsEditsAndShowsStoredRowsOfNewStacks) {
  settings->stackCount = 3;
  (void)SetFieldUtf8(settings->stacks[4].title, "EAST CHIMNEY", 80);
  CConfig& d = Open();
  d.SetGridRow(1, {"EDITED TWO", "10.0.0.2", true});
  Get<QComboBox>(CConfig::kIdStackCount)->setCurrentIndex(4);  // "5"
  ASSERT_EQ(d.GridRowCount(), 5);
  const auto rows = d.GridRows();
  EXPECT_EQ(rows[1], (ConfigStackRow{"EDITED TWO", "10.0.0.2", true}));
  EXPECT_EQ(rows[3].title, "STACK #4");
  EXPECT_EQ(rows[4].title, "EAST CHIMNEY");
  // Back to 2 and up to 5 again: stack 5's edit beyond the count survives too.
  d.SetGridRow(4, {"FIVE", "10.0.0.5", false});
  Get<QComboBox>(CConfig::kIdStackCount)->setCurrentIndex(1);
  EXPECT_EQ(d.GridRowCount(), 2);
  Get<QComboBox>(CConfig::kIdStackCount)->setCurrentIndex(4);
  EXPECT_EQ(d.GridRows()[4].title, "FIVE");
  Get<QComboBox>(CConfig::kIdStackCount)->setCurrentIndex(2);  // OK with 3
  Press(CConfig::kIdOk);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  const Settings& out = d.settings();
  EXPECT_EQ(out.stackCount, 3);
  EXPECT_EQ(FieldUtf8(out.stacks[1].title), "EDITED TWO");
  EXPECT_EQ(AddressToText(out.stacks[1].loggerAddress), "10.0.0.2");
  EXPECT_EQ(out.stacks[1].directEnable, 1);
  // Stacks beyond the count keep what the operator left in their rows.
  EXPECT_EQ(FieldUtf8(out.stacks[4].title), "FIVE");
  EXPECT_EQ(AddressToText(out.stacks[4].loggerAddress), "10.0.0.5");
  EXPECT_EQ(FieldUtf8(out.stacks[5].title), "STACK #6");
}

TEST_F(ConfigDialogTest, OkReadsNumbersListsAndAddressesAsStored) {
  settings->stackCount = 2;
  CConfig& d = Open();
  Type(CConfig::kIdAlarmSpeed, "29.5");
  Type(CConfig::kIdStopSpeed, " 41.5 ");  // blanks around a number are no matter
  Type(CConfig::kIdTripSpeed, "52.5");
  Type(CConfig::kIdWindMaxSpeed, "70");
  Get<QComboBox>(CConfig::kIdGridColumns)->setCurrentIndex(4);  // "X" shows "5"
  Get<QComboBox>(CConfig::kIdGridRows)->setCurrentIndex(0);     // "Y" shows "1"
  Get<QRadioButton>(CConfig::kIdSoundContinue)->setChecked(true);
  Get<QCheckBox>(CConfig::kIdLampEnable)->setChecked(true);
  Get<CIpAddressEdit>(CConfig::kIdLampAddress)->SetAddress(0x0A000063);  // 10.0.0.99
  d.SetGridRow(0, {"ONE", " 10.0.0.1", false});
  d.SetGridRow(1, {"TWO", "172.16.0.9", true});
  answer = kIdOk;  // ascending, and 2 stacks fit 5 x 1: no warning
  Press(CConfig::kIdOk);
  ASSERT_EQ(d.result(), QDialog::Accepted);
  EXPECT_TRUE(messages.empty());
  const Settings& out = d.settings();
  EXPECT_EQ(out.stacks[0].alarmSpeed, 29.5);
  EXPECT_EQ(out.stacks[0].stopSpeed, 41.5);
  EXPECT_EQ(out.stacks[0].tripSpeed, 52.5);
  EXPECT_EQ(out.stacks[0].windMaxSpeed, 70.0);
  EXPECT_EQ(out.gridColumns, 4);
  EXPECT_EQ(out.gridRows, 0);
  EXPECT_EQ(out.soundMode, 1);
  EXPECT_EQ(out.signalLampEnabled, 1);
  EXPECT_EQ(AddressToText(out.signalLampAddress), "10.0.0.99");
  EXPECT_EQ(AddressToText(out.stacks[0].loggerAddress), "10.0.0.1");
  EXPECT_EQ(AddressToText(out.stacks[1].loggerAddress), "172.16.0.9");
  // The speeds live in the first record only; the others keep theirs.
  EXPECT_EQ(out.stacks[1].alarmSpeed, 30.0);
  EXPECT_EQ(out.stacks[1].stopSpeed, 40.0);
}

// Each value that does not parse is refused on OK: the message names its field,
// the dialog stays open, and nothing at all is applied; mended, OK goes through.
TEST_F(ConfigDialogTest, ValuesThatDoNotParseAreRefusedNamingTheFieldAndApplyingNothing) {
  settings->stackCount = 3;
  settings->stacks[2].loggerAddress = *AddressFromText("10.0.0.3");
  struct Case {
    const char* field;
    std::function<void(CConfig&)> spoil;
  };
  const Case cases[] = {
      {"Alarm Speed", [this](CConfig&) { Type(CConfig::kIdAlarmSpeed, "abc"); }},
      {"Alarm Speed", [this](CConfig&) { Get<QLineEdit>(CConfig::kIdAlarmSpeed)->clear(); }},
      {"Stop Speed", [this](CConfig&) { Type(CConfig::kIdStopSpeed, "41,5"); }},
      {"Trip Speed", [this](CConfig&) { Type(CConfig::kIdTripSpeed, "inf"); }},
      {"Trip Speed", [this](CConfig&) { Type(CConfig::kIdTripSpeed, "1e999"); }},
      {"Wind Max Speed", [this](CConfig&) { Type(CConfig::kIdWindMaxSpeed, "NaN"); }},
      {"Wind Max Speed", [this](CConfig&) { Type(CConfig::kIdWindMaxSpeed, "60 m/s"); }},
      {"IP Address of stack #3", [](CConfig& d) { d.SetGridRow(2, {"STACK #3", "10.0.0.300", false}); }},
      {"IP Address of stack #1", [](CConfig& d) { d.SetGridRow(0, {"STACK #1", "", false}); }},
      {"Signal Lamp IP Address",
       [this](CConfig&) {
         QLineEdit* octet = Get<CIpAddressEdit>(CConfig::kIdLampAddress)->field(2);
         octet->selectAll();
         QTest::keyClicks(octet, "300");
       }},
  };
  for (const Case& c : cases) {
    messages.clear();
    CConfig& d = Open();
    Type(CConfig::kIdProgramTitle, "CHANGED TOO");  // a good edit is not applied either
    c.spoil(d);
    Press(CConfig::kIdOk);
    EXPECT_TRUE(d.isVisible()) << c.field;
    EXPECT_NE(d.result(), QDialog::Accepted) << c.field;
    ASSERT_EQ(messages.size(), 1u) << c.field;
    EXPECT_TRUE(messages[0].startsWith(QString::fromLatin1(c.field) + ": ")) << messages[0].toStdString();
    EXPECT_EQ(d.settings(), *settings) << c.field;
    dialog.reset();
  }
  // A row beyond the stack count is not in use: its text keeps the stored address.
  CConfig& d = Open();
  Get<QComboBox>(CConfig::kIdStackCount)->setCurrentIndex(3);
  d.SetGridRow(3, {"STACK #4", "not yet", false});
  Get<QComboBox>(CConfig::kIdStackCount)->setCurrentIndex(2);
  messages.clear();
  Press(CConfig::kIdOk);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(d.settings().stacks[3].loggerAddress, settings->stacks[3].loggerAddress);
}

TEST_F(ConfigDialogTest, LampAddressFieldsShowWhatIsTypedAndBlankReadsAsZero) {
  Open();
  CIpAddressEdit* lamp = Get<CIpAddressEdit>(CConfig::kIdLampAddress);
  for (int i = 0; i < 4; ++i) lamp->field(i)->clear();
  QTest::keyClicks(lamp->field(0), "10");
  QTest::keyClicks(lamp->field(1), "2x5");  // digits only
  QTest::keyClicks(lamp->field(3), "7");    // field 2 stays blank
  EXPECT_EQ(lamp->field(1)->text(), "25");
  EXPECT_TRUE(lamp->IsValid());
  EXPECT_EQ(lamp->Address(), 0x0A190007u);  // 10.25.0.7
  // A number above 255 stays as typed, never cut to another one.
  lamp->field(1)->clear();
  QTest::keyClicks(lamp->field(1), "300");
  EXPECT_EQ(lamp->field(1)->text(), "300");
  EXPECT_FALSE(lamp->IsValid());
}

TEST_F(ConfigDialogTest, MoreStacksThanGridCellsAreWarnedAboutNamingHowManyWouldHaveNoTile) {
  settings->stackCount = 12;
  CConfig& d = Open();
  Get<QComboBox>(CConfig::kIdGridColumns)->setCurrentIndex(2);  // 3
  Get<QComboBox>(CConfig::kIdGridRows)->setCurrentIndex(1);     // 2
  answer = kIdCancel;  // back to the dialog
  Press(CConfig::kIdOk);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].contains("12 stacks do not fit a grid of 3 x 2: 6 of them would have no tile"))
      << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains("3 x 4"));
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.settings(), *settings);
  answer = kIdOk;  // keep them: the overview grows
  Press(CConfig::kIdOk);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.settings().gridColumns, 2);
  EXPECT_EQ(d.settings().gridRows, 1);
  // Twelve fit 3 x 4 without a word.
  messages.clear();
  dialog.reset();
  CConfig& again = Open();
  Get<QComboBox>(CConfig::kIdGridColumns)->setCurrentIndex(2);
  Get<QComboBox>(CConfig::kIdGridRows)->setCurrentIndex(3);
  Press(CConfig::kIdOk);
  EXPECT_EQ(again.result(), QDialog::Accepted);
  EXPECT_TRUE(messages.empty());
}

TEST_F(ConfigDialogTest, AChosenSoundThatDoesNotDecodeIsToldWithTheBuiltInToneToPlay) {
  QTemporaryDir sounds;
  ASSERT_TRUE(sounds.isValid());
  const QString adpcm = sounds.filePath(QStringLiteral("adpcm.wav"));
  const QString cut = sounds.filePath(QStringLiteral("cut.wav"));
  const QString good = sounds.filePath(QStringLiteral("good.wav"));
  test::WriteWav(adpcm.toStdString(), {.format = 2, .bits = 4});
  test::WriteWav(cut.toStdString(), {.dataBytes = 8000, .writtenBytes = 100});
  test::WriteWav(good.toStdString(), {});
  CConfig& d = Open();
  QString chosen = adpcm;
  d.SetFileChooser([&](const QString&) { return chosen; });
  Press(CConfig::kIdAlarmBrowse);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].startsWith("Alarm Sound Path: ")) << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains(adpcm));
  EXPECT_TRUE(messages[0].contains("ADPCM"));
  EXPECT_TRUE(messages[0].contains("built-in alarm tone"));
  EXPECT_EQ(Get<QLineEdit>(CConfig::kIdAlarmSound)->text(), adpcm);  // kept: the operator may mend the file
  chosen = cut;
  Press(CConfig::kIdTripBrowse);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_TRUE(messages[1].startsWith("Trip Sound Path: ")) << messages[1].toStdString();
  EXPECT_TRUE(messages[1].contains("cut short"));
  chosen = good;
  Press(CConfig::kIdStopBrowse);
  EXPECT_EQ(messages.size(), 2u);
  EXPECT_EQ(preview.played, (std::vector<QString>{adpcm, cut, good}));
}

TEST_F(ConfigDialogTest, CancelAfterChangesLeavesTheRecordAsHandedIn) {
  CConfig& d = Open();
  d.SetColourChooser([](uint32_t) { return std::optional<uint32_t>(0x123456); });
  d.SetFileChooser([](const QString&) { return QStringLiteral("/sounds/trip.wav"); });
  d.ChooseSwatchColour(CConfig::kIdChartColour0 + 5);
  d.ChooseSwatchColour(CConfig::kIdAlarmColour);
  d.ChooseSound(kConfigTrip);
  Type(CConfig::kIdProgramTitle, "OTHER");
  Get<QComboBox>(CConfig::kIdStackCount)->setCurrentIndex(9);
  d.SetGridRow(3, {"FOUR", "1.2.3.4", true});
  Press(CConfig::kIdCancel);
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(d.settings(), *settings);
  EXPECT_GE(preview.stops, 1);  // the preview ends with the dialog
}

TEST_F(ConfigDialogTest, NoCommAlarmShowsTheIniValuesAndOkTakesTheEditsCancelNone) {
  StationIni ini;
  ini.noComm.alarm = false;
  ini.noComm.delaySeconds = 45;
  ini.modbus.enabled = true;
  ini.mqtt.site = "harbour";
  for (const bool ok : {false, true}) {
    CConfig& d = Open();
    // Until told otherwise the dialog shows the defaults.
    EXPECT_TRUE(Get<QCheckBox>(CConfig::kIdNoCommAlarm)->isChecked());
    EXPECT_EQ(Get<QSpinBox>(CConfig::kIdNoCommDelay)->value(), 10);
    d.SetStationIni(ini);
    auto* on = Get<QCheckBox>(CConfig::kIdNoCommAlarm);
    auto* delay = Get<QSpinBox>(CConfig::kIdNoCommDelay);
    EXPECT_FALSE(on->isChecked());
    EXPECT_EQ(delay->value(), 45);
    EXPECT_FALSE(delay->isEnabled());  // no delay to set while the alarm is off
    QTest::mouseClick(on, Qt::LeftButton);
    EXPECT_TRUE(delay->isEnabled());
    EXPECT_EQ(delay->minimum(), 1);
    EXPECT_EQ(delay->maximum(), 3600);
    delay->selectAll();
    QTest::keyClicks(delay, "90");
    Press(ok ? CConfig::kIdOk : CConfig::kIdCancel);
    EXPECT_EQ(d.result(), ok ? QDialog::Accepted : QDialog::Rejected);
    StationIni expected = ini;
    if (ok) {
      expected.noComm.alarm = true;
      expected.noComm.delaySeconds = 90;
    }
    EXPECT_EQ(d.stationIni(), expected) << ok;
    // Nothing of it goes into the configuration record.
    EXPECT_EQ(d.settings(), *settings) << ok;
  }
}

TEST_F(ConfigDialogTest, SwatchesAreHitInTheirOrderAndOpenTheChooserNearBlack) {
  CConfig& d = Open();
  QApplication::processEvents();
  std::vector<uint32_t> starts;
  d.SetColourChooser([&](uint32_t start) {
    starts.push_back(start);
    return std::optional<uint32_t>(0x00FF8040);
  });
  CColourSwatch* high = d.Swatch(1143);
  ASSERT_NE(high, nullptr);
  EXPECT_EQ(high->m_Label, "HIGH");
  // A click on the swatch reaches the dialog, which finds the swatch under it.
  QTest::mouseClick(high, Qt::LeftButton, {}, high->rect().center());
  ASSERT_EQ(starts, std::vector<uint32_t>{CConfig::kChooserStart});
  EXPECT_EQ(high->m_Colour, 0x00FF8040u);
  EXPECT_EQ(high->LabelColourNow(), 0x00007FBFu);  // the inverse of its colour
  // The repainted swatch shows the new colour.
  const QImage shot = high->grab().toImage();
  EXPECT_EQ(shot.pixelColor(2, high->height() / 2), QColor(0x40, 0x80, 0xFF));
  // A cancelled chooser changes nothing.
  d.SetColourChooser([](uint32_t) { return std::nullopt; });
  QTest::mouseClick(d.Swatch(1146), Qt::LeftButton, {}, d.Swatch(1146)->rect().center());
  EXPECT_EQ(d.Swatch(1146)->m_Colour, 0x008000u);
  // Every swatch is found at its own centre, and nothing outside them.
  for (int id : CConfig::kSwatchHitOrder) {
    CColourSwatch* s = d.Swatch(id);
    EXPECT_EQ(d.SwatchAt(s->mapTo(&d, s->rect().center())), id);
  }
  EXPECT_EQ(d.SwatchAt(QPoint(1, 1)), 0);
  // Unlabelled swatches: black, or yellow on 1140 and 1142; labelled: inverse.
  EXPECT_EQ(d.Swatch(1139)->LabelColourNow(), 0x000000u);
  EXPECT_EQ(d.Swatch(1140)->LabelColourNow(), 0x00FFFFu);
  EXPECT_EQ(d.Swatch(1144)->LabelColourNow(), ColorInvert(settings->speedMeterColour));
  Press(CConfig::kIdOk);
  EXPECT_EQ(d.settings().chartColours[5], 0x00FF8040u);
  EXPECT_EQ(d.settings().alarmColour, 0x008000u);
}

TEST_F(ConfigDialogTest, ChosenSoundFillsItsRowAndIsPreviewedOnceByItsOwnPlayer) {
  CConfig& d = Open();
  QString startedIn;
  d.SetFileChooser([&](const QString& folder) {
    startedIn = folder;
    return QStringLiteral("/sounds/경보.wav");
  });
  Press(CConfig::kIdStopBrowse);
  EXPECT_EQ(startedIn, "/work/dir");
  EXPECT_EQ(Get<QLineEdit>(CConfig::kIdStopSound)->text(), QString::fromUtf8("/sounds/경보.wav"));
  EXPECT_EQ(preview.played, std::vector<QString>{QString::fromUtf8("/sounds/경보.wav")});
  // A chooser cancelled leaves the row as it is and plays nothing.
  d.SetFileChooser([](const QString&) { return QString(); });
  Press(CConfig::kIdAlarmBrowse);
  EXPECT_EQ(Get<QLineEdit>(CConfig::kIdAlarmSound)->text(), "");
  EXPECT_EQ(preview.played.size(), 1u);
  Press(CConfig::kIdOk);
  EXPECT_EQ(FieldUtf8(d.settings().stopSoundPath), "/sounds/경보.wav");
  EXPECT_GE(preview.stops, 1);  // OK stops the preview
}

TEST_F(ConfigDialogTest, SoundPathThatDoesNotFitIsRefusedNamingTheField) {
  CConfig& d = Open();
  const QString tooLong = QStringLiteral("/") + QString(255, 'a') + QStringLiteral(".wav");  // 260 bytes
  d.SetFileChooser([&](const QString&) { return tooLong; });
  Press(CConfig::kIdTripBrowse);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].startsWith("Trip Sound Path: ")) << messages[0].toStdString();
  EXPECT_EQ(Get<QLineEdit>(CConfig::kIdTripSound)->text(), "");
  EXPECT_TRUE(preview.played.empty());
  // Typed (or pasted) instead: OK refuses it and the dialog stays open.
  Get<QLineEdit>(CConfig::kIdTripSound)->setText(tooLong);
  Press(CConfig::kIdOk);
  EXPECT_TRUE(d.isVisible());
  EXPECT_NE(d.result(), QDialog::Accepted);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_TRUE(messages[1].startsWith("Trip Sound Path: "));
  EXPECT_EQ(d.settings(), *settings);
}

TEST_F(ConfigDialogTest, TextOutsideCodePage949IsRefusedWithTheDialogOpen) {
  CConfig& d = Open();
  d.SetGridRow(0, {QString::fromUtf8("굴뚝 ☃ 😀"), "10.0.0.1", false});
  Press(CConfig::kIdOk);
  EXPECT_TRUE(d.isVisible());
  EXPECT_NE(d.result(), QDialog::Accepted);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].startsWith("Title of stack #1: ")) << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains("949"));
  EXPECT_EQ(d.settings(), *settings);
  // Mended, the same OK goes through.
  d.SetGridRow(0, {QString::fromUtf8("굴뚝 1"), "10.0.0.1", false});
  Type(CConfig::kIdSpeedUnit, QString::fromUtf8("㎧"));  // in code page 949
  Press(CConfig::kIdOk);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(FieldUtf8(d.settings().stacks[0].title), "굴뚝 1");
  EXPECT_EQ(FieldUtf8(d.settings().speedUnit), "㎧");
}

TEST_F(ConfigDialogTest, LevelsOutOfOrderAreWarnedAboutButNotRefused) {
  CConfig& d = Open();
  Type(CConfig::kIdAlarmSpeed, "50");
  answer = kIdCancel;  // back to the dialog
  Press(CConfig::kIdOk);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].contains("not ascending"));
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.settings(), *settings);
  answer = kIdOk;  // keep them
  Press(CConfig::kIdOk);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.settings().stacks[0].alarmSpeed, 50.0);
}

TEST_F(ConfigDialogTest, F1OpensTheHelpEnterOnTheGridEditsAndEscapeCancels) {
  CConfig& d = Open();
  int helps = 0;
  d.SetHelpHandler([&] { ++helps; });
  d.activateWindow();
  Get<QLineEdit>(CConfig::kIdProgramTitle)->setFocus();
  QTest::keyClick(Get<QLineEdit>(CConfig::kIdProgramTitle), Qt::Key_F1);
  EXPECT_EQ(helps, 1);
  EXPECT_TRUE(d.isVisible());
  // Enter on a cell of the stack grid opens its edit instead of pressing OK.
  auto* grid = qobject_cast<QAbstractItemView*>(d.Control(CConfig::kIdStackGrid));
  ASSERT_NE(grid, nullptr);
  grid->setCurrentIndex(grid->model()->index(0, 0));
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_TRUE(d.isVisible());
  EXPECT_NE(d.result(), QDialog::Accepted);
  QTest::keyClick(&d, Qt::Key_Escape);
  EXPECT_EQ(d.result(), QDialog::Rejected);
}

// The record as a runtime takes it over on OK.
class ConfigAppliedTest : public ConfigDialogTest {
 protected:
  void SetUp() override {
    ConfigDialogTest::SetUp();
    ASSERT_TRUE(dir.isValid());
  }
  SystemClock clock;
  QTemporaryDir dir;
};

TEST_F(ConfigAppliedTest, ReservedIntervalOutsideItsRangeReadsBackAsTenAfterOk) {
  for (int32_t stored : {5, 1000, 10, 999}) {
    auto s = std::make_unique<Settings>();
    s->reservedInterval = stored;
    ASSERT_TRUE(SettingsFile(dir.path().toStdString()).Save(*s).ok());
    StationRuntime runtime(dir.path(), clock);
    runtime.Start();
    ASSERT_EQ(runtime.settings().reservedInterval, stored);  // loading leaves it
    *settings = runtime.settings();
    CConfig& d = Open();
    Press(CConfig::kIdOk);
    ASSERT_EQ(d.result(), QDialog::Accepted);
    runtime.ApplySettings(d.settings());
    const int32_t expected = (stored < 10 || stored >= 1000) ? 10 : stored;
    EXPECT_EQ(runtime.settings().reservedInterval, expected) << stored;
    auto reread = std::make_unique<Settings>();
    (void)SettingsFile(dir.path().toStdString()).Load(*reread, clock);
    EXPECT_EQ(reread->reservedInterval, expected) << stored;
    runtime.Shutdown();
  }
}

TEST_F(ConfigAppliedTest, NoCommAlarmEditsAreSavedBesideTheConfigurationFileLeftByteForByte) {
  ASSERT_TRUE(SettingsFile(dir.path().toStdString()).Save(*settings).ok());
  const QString cfgPath = dir.filePath(QStringLiteral("WDX-5100.cfg"));
  auto readAll = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QByteArray before = readAll(cfgPath);
  ASSERT_EQ(before.size(), 428528);
  StationRuntime runtime(dir.path(), clock);
  runtime.Start();
  *settings = runtime.settings();
  CConfig& d = Open();
  d.SetStationIni(runtime.stationIni());
  Get<QCheckBox>(CConfig::kIdNoCommAlarm)->setChecked(false);
  Get<QSpinBox>(CConfig::kIdNoCommDelay)->setValue(3600);
  Press(CConfig::kIdOk);
  ASSERT_EQ(d.result(), QDialog::Accepted);
  runtime.ApplySettings(d.settings());
  EXPECT_EQ(runtime.ApplyStationIni(d.stationIni()), "");
  EXPECT_FALSE(runtime.stationIni().noComm.alarm);
  const StationIniLoad reread = LoadStationIni(dir.path().toStdString());
  EXPECT_TRUE(reread.found);
  EXPECT_FALSE(reread.ini.noComm.alarm);
  EXPECT_EQ(reread.ini.noComm.delaySeconds, 3600);
  // OK saved the configuration record again: the same bytes.
  EXPECT_EQ(readAll(cfgPath), before);
  runtime.Shutdown();
}

}  // namespace
}  // namespace ws

namespace ws {
namespace {

// Laid out at its own size the dialog fits a small monitoring screen with
// every control showing. WINDSCOPE_SHOT_DIR=dir saves what it looks like.
TEST_F(ConfigDialogTest, LaidOutEveryControlShowsOnASmallScreen) {
  settings->stackCount = 12;
  CConfig& d = Open();
  d.resize(d.sizeHint());
  QApplication::processEvents();
  EXPECT_LE(d.width(), 1280);
  EXPECT_LE(d.height(), 800);
  for (int id : {1019, 1163, 1164, 1166, 1171, 1169, 1050, 1165, 1104, 1105, 1170, 1146, 1174, 1167, 1001,
                 1147, 1175, 1177, 1173, 1148, 1176, 1178, 1145, 1144, 1138, 1139, 1140, 1141, 1142, 1143,
                 1110, 1201, 1202, 1210, 1211, 1212, 1220, 1221, 1222, 1223, 1224, 1225, 1226, 1227, 1228,
                 1229, 1230, 1231, 1232, 1233, 1, 2}) {
    QWidget* w = d.Control(id);
    ASSERT_NE(w, nullptr) << id;
    EXPECT_TRUE(w->isVisible()) << id;
    const QRect area(w->mapTo(&d, QPoint(0, 0)), w->size());
    EXPECT_TRUE(d.rect().contains(area)) << id;
    EXPECT_GT(w->width(), 10) << id;
  }
  if (const QByteArray out = qgetenv("WINDSCOPE_SHOT_DIR"); !out.isEmpty()) {
    d.grab().save(QDir(QString::fromLocal8Bit(out)).filePath("config_dialog.png"));
  }
}

// On a real display (WINDSCOPE_SHOT_DIR=dir, QT_QPA_PLATFORM=xcb under Xvfb) the
// screen is saved while the refusal of "abc" as the Alarm speed is up.
TEST_F(ConfigDialogTest, RefusalAsShownOnAScreen) {
  const QByteArray out = qgetenv("WINDSCOPE_SHOT_DIR");
  if (out.isEmpty() || QGuiApplication::platformName() == QStringLiteral("offscreen")) {
    GTEST_SKIP() << "a picture for a real display only";
  }
  SetMessageHandler({});
  CConfig& d = Open();
  d.resize(d.sizeHint());
  d.move(10, 10);
  Type(CConfig::kIdAlarmSpeed, "abc");
  bool saved = false;
  QTimer::singleShot(1500, [&] {
    QApplication::primaryScreen()->grabWindow(0).save(QDir(QString::fromLocal8Bit(out)).filePath("config_refusal.png"));
    saved = true;
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  Press(CConfig::kIdOk);
  EXPECT_TRUE(saved);
  EXPECT_TRUE(d.isVisible());
}

}  // namespace
}  // namespace ws
