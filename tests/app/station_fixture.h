// The station window on a temporary working directory, over simulated loggers
// (and a lamp tower) served in the same process on loopback addresses of this
// test process.
#pragma once

#include <QHostAddress>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_dlg.h"
#include "core/clock.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "link/station_runtime.h"
#include "link/test_support.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_lamp_tower.h"
#include "tools/sim/sim_logger.h"
#include "widgets/message_helpers.h"

namespace ws::test {

class StationFixture : public ::testing::Test {
 protected:
  // Loggers 0..count-1 on LoopbackAddress(firstHost + i), a lamp tower when
  // asked; `edit` may change the configuration before the window starts.
  void StartStation(int count, int firstHost, std::optional<int> lampHost = std::nullopt,
                    const std::function<void(Settings&)>& edit = {}) {
    ASSERT_TRUE(dir.isValid());
    SetMessageHandler([this](int type, const QString& text) {
      messages.push_back(text);
      return answer ? answer(type, text) : static_cast<int>(kIdOk);
    });
    for (int i = 0; i < count; ++i) {
      auto logger = std::make_unique<SimLogger>(i, QHostAddress(LoopbackAddress(firstHost + i)), 4000,
                                                static_cast<uint32_t>(i + 1));
      ASSERT_TRUE(logger->IsListening()) << logger->ErrorString().toStdString();
      loggers.push_back(std::move(logger));
    }
    SimSite site;
    site.loggerCount = count;
    site.firstLoggerHost = QHostAddress(LoopbackAddress(firstHost)).toIPv4Address();
    if (lampHost) {
      lamp = std::make_unique<SimLampTower>(QHostAddress(LoopbackAddress(*lampHost)));
      ASSERT_TRUE(lamp->IsListening()) << lamp->ErrorString().toStdString();
      site.lampHost = QHostAddress(LoopbackAddress(*lampHost)).toIPv4Address();
    }
    std::string error;
    ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;
    if (edit) {
      auto settings = std::make_unique<Settings>();
      const SettingsFile file{std::filesystem::path(dir.path().toStdString())};
      ASSERT_EQ(file.Load(*settings, clock).outcome, SettingsFile::LoadOutcome::kLoaded);
      edit(*settings);
      ASSERT_TRUE(file.Save(*settings).ok());
    }
    if (beforeWindow) beforeWindow();
    window = std::make_unique<CMainDlg>(dir.path(), clock);
    window->Init();
    window->resize(1600, 900);
    window->show();
  }

  void TearDown() override {
    window.reset();
    Pump(20);
    SetMessageHandler({});
  }

  StationRuntime& runtime() { return window->runtime(); }

  int64_t LiveReplies(int stack) { return runtime().counters().liveReplies[static_cast<size_t>(stack)]; }

  bool WaitForFirstReplies(int count, int ms = 6000) {
    return WaitFor(
        [&] {
          for (int i = 0; i < count; ++i) {
            if (LiveReplies(i) == 0) return false;
          }
          return true;
        },
        ms);
  }

  // The configuration file as it is on disk now.
  std::unique_ptr<Settings> SavedSettings() {
    auto settings = std::make_unique<Settings>();
    const SettingsFile file{std::filesystem::path(dir.path().toStdString())};
    EXPECT_EQ(file.Load(*settings, clock).outcome, SettingsFile::LoadOutcome::kLoaded);
    return settings;
  }

  SystemClock clock;
  QTemporaryDir dir;
  std::vector<std::unique_ptr<SimLogger>> loggers;
  std::unique_ptr<SimLampTower> lamp;
  std::unique_ptr<CMainDlg> window;
  std::vector<QString> messages;
  std::function<int(int, const QString&)> answer;
  // Runs after the configuration is written, before the window starts.
  std::function<void()> beforeWindow;
};

}  // namespace ws::test
