#include "tools/sim/sim_config_writer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "core/settings.h"
#include "core/settings_file.h"
#include "sim_test_client.h"

namespace ws {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

uint32_t U32LE(const QByteArray& bytes, int at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  return value;
}

QByteArray Dotted(int a, int b, int c, int d) {
  const char bytes[4] = {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c),
                         static_cast<char>(d)};
  return QByteArray(bytes, 4);
}

constexpr int kStacks = 1216;
constexpr int kStackSize = 4168;
constexpr int kStackCount = 418016;
constexpr int kLampEnabled = 424432;
constexpr int kLampAddress = 424436;

TEST(SimConfigWriter, WritesStackAddressesCountAndLamp) {
  QTemporaryDir dir;
  SimSite site;
  site.loggerCount = 100;
  site.firstLoggerHost = 0x7F000002;  // 127.0.0.2
  site.lampHost = 0x7F000001;
  std::string error;
  ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;
  const QByteArray bytes = ReadAll(dir.filePath("WDX-5100.cfg"));
  ASSERT_EQ(bytes.size(), 428528);
  EXPECT_EQ(U32LE(bytes, kStackCount), 100u);
  EXPECT_EQ(bytes.mid(kStacks, 4), Dotted(127, 0, 0, 2));
  EXPECT_EQ(bytes.mid(kStacks + 99 * kStackSize, 4), Dotted(127, 0, 0, 101));
  EXPECT_EQ(bytes[kLampEnabled], 1);
  EXPECT_EQ(bytes.mid(kLampAddress, 4), Dotted(127, 0, 0, 1));
}

TEST(SimConfigWriter, KeepsTheOtherFieldsOfAnExistingFile) {
  QTemporaryDir dir;
  auto settings = std::make_unique<Settings>();
  settings->stacks[0].alarmSpeed = 33.0;
  settings->signalLampEnabled = 1;
  ASSERT_TRUE(SettingsFile(dir.path().toStdString()).Save(*settings).ok());

  SimSite site;
  site.loggerCount = 3;
  std::string error;
  ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;
  auto reloaded = std::make_unique<Settings>();
  const SystemClock clock;
  ASSERT_EQ(SettingsFile(dir.path().toStdString()).Load(*reloaded, clock).outcome,
            SettingsFile::LoadOutcome::kLoaded);
  EXPECT_EQ(reloaded->stacks[0].alarmSpeed, 33.0);
  EXPECT_EQ(reloaded->stackCount, 3);
  EXPECT_EQ(reloaded->signalLampEnabled, 0);  // this site has no lamp tower
  EXPECT_EQ(AddressToText(reloaded->stacks[2].loggerAddress), "127.0.0.4");
}

TEST(SimProgram, WritesConfigServesAndQuitsOnCommand) {
  QTemporaryDir dir;
  const QString base = test::TestAddress(40).toString();
  QProcess sim;
  sim.start(
      QStringLiteral(WINDSCOPE_SIM_PATH),
      {"--loggers", "2", "--base", base, "--port", "0", "--lamp", test::TestAddress(39).toString(),
       "--lamp-port", "0", "--write-config", dir.path(), "--fault", "1=silent"});
  ASSERT_TRUE(sim.waitForStarted(10000));
  QByteArray output;
  for (int i = 0; i < 100 && !output.contains("type help"); ++i) {
    sim.waitForReadyRead(200);
    output += sim.readAllStandardOutput();
  }
  ASSERT_TRUE(output.contains("type help")) << output.toStdString();
  sim.write("status\nquit\n");
  ASSERT_TRUE(sim.waitForFinished(10000));
  output += sim.readAllStandardOutput();
  EXPECT_EQ(sim.exitCode(), 0);
  EXPECT_TRUE(output.contains("fault silent")) << output.toStdString();
  EXPECT_EQ(ReadAll(dir.filePath("WDX-5100.cfg")).size(), 428528);
}

TEST(SimProgram, RefusesAnAddressOutsideLoopback) {
  QProcess sim;
  sim.start(QStringLiteral(WINDSCOPE_SIM_PATH), {"--base", "192.0.2.1", "--port", "0"});
  ASSERT_TRUE(sim.waitForFinished(10000));
  EXPECT_EQ(sim.exitCode(), 2);
}

}  // namespace
}  // namespace ws
