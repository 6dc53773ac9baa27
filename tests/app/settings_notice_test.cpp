// The station window says, once, when it started on factory defaults because
// the configuration file was missing or cut short; a whole file says nothing.
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "app/settings_notice.h"
#include "core/settings_layout.h"
#include "screen/base_panel.h"
#include "station_fixture.h"

namespace ws {
namespace {

using test::Pump;

class SettingsNoticeTest : public test::StationFixture {
 protected:
  std::filesystem::path ConfigPath() const {
    return std::filesystem::path(dir.path().toStdString()) / kSettingsFileName;
  }
  void Dismiss(CSettingsNotice* notice) {
    const QPoint centre = notice->rect().center();
    QTest::mousePress(notice, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseRelease(notice, Qt::LeftButton, Qt::NoModifier, centre);
  }
};

TEST_F(SettingsNoticeTest, ACutShortFileIsToldOnceInTheWindowWithoutAMessageBox) {
  // Cut after the first stack's record: that stack still reaches its logger.
  constexpr size_t kKept = settings_layout::StackOffset(1);
  beforeWindow = [&] { std::filesystem::resize_file(ConfigPath(), kKept); };
  StartStation(1, 61);
  CSettingsNotice* notice = window->SettingsNotice();
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isVisible());
  EXPECT_TRUE(notice->windowTitle().contains("cut short")) << notice->windowTitle().toStdString();
  EXPECT_TRUE(notice->windowTitle().contains(QStringLiteral("%1 of 428528 bytes").arg(kKept)));
  EXPECT_TRUE(notice->windowTitle().contains("factory defaults"));
  EXPECT_GT(notice->geometry().top(), window->BasePanel()->geometry().bottom());
  EXPECT_TRUE(window->rect().contains(notice->geometry()));
  EXPECT_TRUE(messages.empty());
  // Once: dismissed, it does not come back when the settings are applied again.
  Dismiss(notice);
  EXPECT_FALSE(notice->isVisible());
  window->runtime().ApplySettings(window->runtime().settings());
  window->resize(1500, 850);
  Pump(50);
  EXPECT_FALSE(notice->isVisible());
}

TEST_F(SettingsNoticeTest, AMissingFileIsToldAndAWholeOneIsNot) {
  beforeWindow = [&] { std::filesystem::remove(ConfigPath()); };
  StartStation(1, 62);
  EXPECT_TRUE(window->SettingsNotice()->isVisible());
  EXPECT_TRUE(window->SettingsNotice()->windowTitle().startsWith("No configuration file"));
  EXPECT_TRUE(messages.empty());
  window.reset();

  beforeWindow = {};
  window = std::make_unique<CMainDlg>(dir.path(), clock);  // the file written at the first start
  window->Init();
  window->show();
  EXPECT_FALSE(window->SettingsNotice()->isVisible());
  EXPECT_EQ(window->runtime().settingsLoad().outcome, SettingsFile::LoadOutcome::kLoaded);
}

TEST(SettingsLoadNoticeText, EveryOutcomeButAWholeFileHasItsText) {
  using Outcome = SettingsFile::LoadOutcome;
  EXPECT_TRUE(SettingsLoadNotice({Outcome::kLoaded, kSettingsSize, 0}).isEmpty());
  EXPECT_TRUE(SettingsLoadNotice({Outcome::kCreated, 0, 0}).contains("factory defaults"));
  EXPECT_TRUE(SettingsLoadNotice({Outcome::kDefaultsNotSaved, 0, ENOSPC}).contains("could not be written"));
  EXPECT_TRUE(SettingsLoadNotice({Outcome::kLoadedShort, 100, 0}).contains("100 of 428528 bytes"));
  EXPECT_TRUE(SettingsLoadNotice({Outcome::kUnreadable, 0, EACCES}).contains("cannot be read"));
}

}  // namespace
}  // namespace ws
