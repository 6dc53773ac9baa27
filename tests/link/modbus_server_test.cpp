// The Modbus TCP server over loopback, read by clients this project did not
// write (mbpoll, pymodbus) against the runtime of a simulated site.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/alarm_thresholds.h"
#include "link/modbus_output.h"
#include "link/mqtt_publisher.h"
#include "link/mqtt_broker.h"
#include "runtime_fixture.h"

namespace ws::test {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// Reads and writes given as FUNCTION:ADDRESS:ARG ("4:100:11" reads 11 input
// registers at 100, "6:100:5" writes 5 into 100, "16:100:1,2" writes two);
// prints one line per request: the request, then OK and the registers, EXC and
// the exception code, or ERR.
constexpr const char* kPymodbusScript = R"(
import sys
from pymodbus.client import ModbusTcpClient
c = ModbusTcpClient('127.0.0.1', port=int(sys.argv[1]), timeout=10)
if not c.connect():
    print('NOCONNECT')
    sys.exit(3)
for spec in sys.argv[2:]:
    op, addr, arg = spec.split(':')
    addr = int(addr)
    if op == '3':
        r = c.read_holding_registers(addr, int(arg), slave=1)
    elif op == '4':
        r = c.read_input_registers(addr, int(arg), slave=1)
    elif op == '6':
        r = c.write_register(addr, int(arg), slave=1)
    else:
        r = c.write_registers(addr, [int(v) for v in arg.split(',')], slave=1)
    if r.isError():
        print(spec, 'EXC', r.exception_code) if hasattr(r, 'exception_code') else print(spec, 'ERR')
    elif op in ('3', '4'):
        print(spec, 'OK', *r.registers)
    else:
        print(spec, 'OK')
    sys.stdout.flush()
c.close()
)";

// Sends pipelined reads as fast as the server answers them, until killed (or
// two minutes, should the test be gone).
constexpr const char* kHammerScript = R"(
import socket, sys, time
s = socket.create_connection(('127.0.0.1', int(sys.argv[1])))
batch = bytes.fromhex('000100000006010400640001') * 50
end = time.time() + 120
while time.time() < end:
    s.sendall(batch)
    got = 0
    while got < 11 * 50:
        chunk = s.recv(65536)
        if not chunk:
            sys.exit(1)
        got += len(chunk)
)";

struct ToolRun {
  bool finished = false;
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs a client to its end while the station's loop stands still: the register
// image cannot change under the client's reads.
ToolRun RunFrozen(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  ToolRun run;
  if (!p.waitForStarted(10000)) return run;
  run.finished = p.waitForFinished(kPatienceMs);
  if (!run.finished) {
    p.kill();
    p.waitForFinished(5000);
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = p.readAllStandardOutput().toStdString();
  run.err = p.readAllStandardError().toStdString();
  return run;
}

// The same with the station's loop running.
ToolRun RunLive(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  ToolRun run;
  if (!p.waitForStarted(10000)) return run;
  run.finished = WaitFor([&] { return p.state() == QProcess::NotRunning; });
  if (!run.finished) {
    p.kill();
    p.waitForFinished(5000);
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = p.readAllStandardOutput().toStdString();
  run.err = p.readAllStandardError().toStdString();
  return run;
}

bool HaveMbpoll() { return !QStandardPaths::findExecutable(QStringLiteral("mbpoll")).isEmpty(); }

bool HavePymodbus() {
  static const bool have = [] {
    if (!QFile::exists(QString::fromLatin1(kPython))) return false;
    const ToolRun run = RunFrozen(QString::fromLatin1(kPython),
                                  {QStringLiteral("-c"), QStringLiteral("import pymodbus.client")});
    return run.finished && run.exitCode == 0;
  }();
  return have;
}

#define REQUIRE_MBPOLL() \
  if (!HaveMbpoll()) GTEST_SKIP() << "mbpoll is not installed (scripts/setup installs it)"
#define REQUIRE_PYMODBUS()                                                                        \
  if (!HavePymodbus())                                                                            \
  GTEST_SKIP() << "/usr/bin/python3 cannot import pymodbus.client (scripts/setup installs "       \
                  "python3-pymodbus and python3-serial-asyncio)"

// mbpoll -0 -1: "[ADDR]: \tVALUE" per register; values above 32767 may print signed.
std::map<int, int> ParseMbpoll(const std::string& out) {
  std::map<int, int> values;
  static const QRegularExpression line(QStringLiteral(R"(^\[(\d+)\]:\s+(-?\d+)\s*$)"),
                                       QRegularExpression::MultilineOption);
  auto it = line.globalMatch(QString::fromStdString(out));
  while (it.hasNext()) {
    const auto m = it.next();
    values[m.captured(1).toInt()] = m.captured(2).toInt() & 0xFFFF;
  }
  return values;
}

// pymodbus script output: request -> the rest of its line.
std::map<std::string, std::vector<std::string>> ParsePymodbus(const std::string& out) {
  std::map<std::string, std::vector<std::string>> lines;
  for (const QString& l : QString::fromStdString(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    QStringList words = l.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) continue;
    const std::string spec = words.takeFirst().toStdString();
    for (const QString& w : words) lines[spec].push_back(w.toStdString());
  }
  return lines;
}

class ModbusServerTest : public RuntimeFixture {
 protected:
  void TearDown() override {
    output.reset();
    RuntimeFixture::TearDown();
  }

  // The output on a free loopback port for this run.
  void StartModbus(int idleMs = ModbusServer::kIdleMs) {
    output = std::make_unique<ModbusOutput>(*runtime);
    QObject::connect(runtime.get(), &StationRuntime::clockTick, output.get(), [this] { ++ticks; });
    output->server().SetIdleMs(idleMs);
    output->SetOverride("127.0.0.1", 0);
    output->Apply();
    ASSERT_EQ(output->Status().state, ModbusServer::State::kListening) << output->Status().reason;
    port = output->Status().port;
  }

  QString Port() const { return QString::number(port); }

  QStringList MbpollArgs(int table, int address, int count) const {
    return {QStringLiteral("-m"), QStringLiteral("tcp"), QStringLiteral("-p"), Port(),
            QStringLiteral("-t"), QString::number(table), QStringLiteral("-r"), QString::number(address),
            QStringLiteral("-c"), QString::number(count), QStringLiteral("-0"), QStringLiteral("-1"),
            QStringLiteral("127.0.0.1")};
  }

  QStringList PymodbusArgs(const QStringList& specs) const {
    return QStringList{QStringLiteral("-c"), QString::fromLatin1(kPymodbusScript), Port()} + specs;
  }

  // What the map says the runtime's values are, worked out here from the
  // runtime itself: the station registers and every stack's block.
  std::map<int, int> Expected() const {
    std::map<int, int> want;
    const auto tenths = [](double v) { return v <= 0.0 ? 0 : static_cast<int>(std::lround(v * 10.0)); };
    const auto degrees = [](double d) { return static_cast<int>(std::lround(d)) % 360; };
    int unacknowledged = 0;
    for (const AlarmEntry& e : runtime->alarmEntries()) {
      if (e.condition == AlarmCondition::kActiveUnacknowledged ||
          e.condition == AlarmCondition::kReturnedUnacknowledged) {
        ++unacknowledged;
      }
    }
    want[0] = runtime->OverallLevel();
    want[1] = unacknowledged;
    want[2] = runtime->stackCount();
    want[3] = ticks & 0xFFFF;
    want[4] = WINDSCOPE_VERSION_MAJOR;
    want[5] = WINDSCOPE_VERSION_MINOR;
    want[6] = WINDSCOPE_VERSION_PATCH;
    const int64_t now = CivilSeconds(clock.Now());
    for (int i = 0; i < runtime->stackCount(); ++i) {
      const int base = 100 * (i + 1);
      const StackStatistics& s = runtime->statistics().Stack(i);
      const StackAverages a = runtime->Averages(i);
      bool stackUnacknowledged = false;
      for (const AlarmEntry& e : runtime->alarmEntries()) {
        if (e.stack == i && (e.condition == AlarmCondition::kActiveUnacknowledged ||
                             e.condition == AlarmCondition::kReturnedUnacknowledged)) {
          stackUnacknowledged = true;
        }
      }
      want[base + 0] = tenths(s.speed);
      want[base + 1] = degrees(s.direction);
      want[base + 2] = runtime->TileState(i);
      want[base + 3] = s.alarmBits;
      want[base + 4] = stackUnacknowledged ? 1 : 0;
      want[base + 5] = tenths(a.speed[0]);
      want[base + 6] = degrees(a.direction[0]);
      want[base + 7] = tenths(a.speed[1]);
      want[base + 8] = degrees(a.direction[1]);
      want[base + 9] = tenths(s.maximum);
      const int64_t last = runtime->LastReplySecond(i);
      want[base + 10] = last == Recorder::kNoReply ? 65535 : static_cast<int>(now - last);
    }
    return want;
  }

  // Seconds since the last reply were worked out at the image's last refresh
  // (the last reply or supervision tick), which may lie in an earlier second
  // than this one; a loaded machine may hold a tick back past the next second.
  static void ExpectRegister(int address, int got, int want, const char* client) {
    if (address >= 100 && address % 100 == 10 && want != 65535) {
      EXPECT_TRUE(got <= want && got >= want - 2) << client << " register " << address << ": " << got << " for " << want;
    } else {
      EXPECT_EQ(got, want) << client << " register " << address;
    }
  }

  std::unique_ptr<ModbusOutput> output;
  int port = 0;
  int ticks = 0;
};

TEST_F(ModbusServerTest, MbpollAndPymodbusReadTheRuntimesValuesRegisterByRegister) {
  REQUIRE_MBPOLL();
  REQUIRE_PYMODBUS();
  // Stack 1 normal, stack 2 held in Stop, stack 3 fallen silent.
  StartSite(3, 60);
  loggers[1]->HoldWind(42.0);
  StartModbus();
  ASSERT_TRUE(WaitForFirstReplies(3));
  loggers[2]->SetFault(SimFault::kSilent);
  ASSERT_TRUE(WaitFor([&] {
    return runtime->TileState(1) == kTileStop && runtime->TileState(2) == kTileNoCommunication &&
           runtime->Averages(0).speed[0] > 0.0;
  }));
  // Stack 3's seconds since its last reply are counting.
  ASSERT_TRUE(WaitFor([&] { return CivilSeconds(clock.Now()) - runtime->LastReplySecond(2) >= 2; }));

  // From here the station's loop stands still until every client has read.
  const std::map<int, int> want = Expected();
  ASSERT_EQ(want.at(2), 3);
  ASSERT_EQ(want.at(0), kLevelStop);
  ASSERT_EQ(want.at(203), kAlarmBit | kStopBit);

  const std::vector<std::pair<int, int>> ranges = {{0, 7}, {100, 11}, {200, 11}, {300, 11}};
  for (int table : {3, 4}) {  // mbpoll's 3 is the input registers, 4 the holding registers
    for (const auto& [address, count] : ranges) {
      const ToolRun run = RunFrozen(QStringLiteral("mbpoll"), MbpollArgs(table, address, count));
      ASSERT_TRUE(run.finished && run.exitCode == 0) << run.out << run.err;
      const std::map<int, int> got = ParseMbpoll(run.out);
      ASSERT_EQ(got.size(), static_cast<size_t>(count)) << run.out;
      for (const auto& [a, value] : got) ExpectRegister(a, value, want.at(a), "mbpoll");
    }
  }
  QStringList specs;
  for (const char* function : {"3", "4"}) {
    for (const auto& [address, count] : ranges) specs << QStringLiteral("%1:%2:%3").arg(function).arg(address).arg(count);
  }
  const ToolRun py = RunFrozen(QString::fromLatin1(kPython), PymodbusArgs(specs));
  ASSERT_TRUE(py.finished && py.exitCode == 0) << py.out << py.err;
  const auto lines = ParsePymodbus(py.out);
  for (const QString& spec : specs) {
    const QStringList parts = spec.split(QLatin1Char(':'));
    const int address = parts[1].toInt();
    const int count = parts[2].toInt();
    ASSERT_TRUE(lines.count(spec.toStdString())) << spec.toStdString() << "\n" << py.out << py.err;
    const std::vector<std::string>& words = lines.at(spec.toStdString());
    ASSERT_EQ(words.size(), static_cast<size_t>(count) + 1) << spec.toStdString() << ": " << py.out;
    ASSERT_EQ(words[0], "OK");
    for (int k = 0; k < count; ++k) {
      ExpectRegister(address + k, std::stoi(words[static_cast<size_t>(k) + 1]), want.at(address + k), "pymodbus");
    }
  }
  const ModbusServer::Status status = output->Status();
  EXPECT_EQ(status.requestsServed, 16);
  EXPECT_EQ(status.exceptionsSent, 0);
}

TEST_F(ModbusServerTest, WritesAreIllegalFunctionsAndAddressesOutsideTheMapIllegalAddresses) {
  REQUIRE_MBPOLL();
  REQUIRE_PYMODBUS();
  StartSite(2, 70);
  StartModbus();
  ASSERT_TRUE(WaitForFirstReplies(2));

  const ToolRun py = RunLive(QString::fromLatin1(kPython),
                             PymodbusArgs({QStringLiteral("6:100:5"), QStringLiteral("16:100:1,2"),
                                           QStringLiteral("16:0:9"), QStringLiteral("3:111:1"),
                                           QStringLiteral("4:7:1"), QStringLiteral("4:300:11"),
                                           QStringLiteral("3:100:12"), QStringLiteral("4:200:11")}));
  ASSERT_TRUE(py.finished && py.exitCode == 0) << py.out << py.err;
  const auto lines = ParsePymodbus(py.out);
  const std::vector<std::pair<std::string, std::string>> want = {
      {"6:100:5", "1"}, {"16:100:1,2", "1"}, {"16:0:9", "1"},
      {"3:111:1", "2"}, {"4:7:1", "2"},      {"4:300:11", "2"}, {"3:100:12", "2"},
  };
  for (const auto& [spec, code] : want) {
    ASSERT_TRUE(lines.count(spec)) << spec << "\n" << py.out;
    EXPECT_EQ(lines.at(spec), (std::vector<std::string>{"EXC", code})) << spec;
  }
  // The same connection is still served after its refusals, and nothing was written.
  ASSERT_TRUE(lines.count("4:200:11"));
  EXPECT_EQ(lines.at("4:200:11").front(), "OK");

  const ToolRun write = RunLive(QStringLiteral("mbpoll"),
                                {QStringLiteral("-m"), QStringLiteral("tcp"), QStringLiteral("-p"), Port(),
                                 QStringLiteral("-t"), QStringLiteral("4"), QStringLiteral("-r"),
                                 QStringLiteral("100"), QStringLiteral("-0"), QStringLiteral("127.0.0.1"),
                                 QStringLiteral("7")});
  EXPECT_NE(write.exitCode, 0);
  EXPECT_NE(write.err.find("Illegal function"), std::string::npos) << write.err;
  const ToolRun gap = RunLive(QStringLiteral("mbpoll"), MbpollArgs(3, 205, 10));
  EXPECT_NE(gap.exitCode, 0);
  EXPECT_NE(gap.err.find("Illegal data address"), std::string::npos) << gap.err;

  EXPECT_EQ(output->Status().exceptionsSent, 9);
  EXPECT_EQ(output->Status().requestsServed, 1);
}

TEST_F(ModbusServerTest, BrokenFrameDropsOnlyItsSenderAndAHalfSentRequestHoldsNoOneUp) {
  REQUIRE_PYMODBUS();
  StartSite(1, 80);
  StartModbus();
  ASSERT_TRUE(WaitForFirstReplies(1));

  QTcpSocket broken;
  QTcpSocket half;
  broken.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
  half.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
  ASSERT_TRUE(WaitFor([&] {
    return broken.state() == QAbstractSocket::ConnectedState && half.state() == QAbstractSocket::ConnectedState &&
           output->Status().clients == 2;
  }));
  half.write(QByteArray::fromHex("0001000000060104"));  // 8 of 12 bytes, then nothing
  broken.write("GET / HTTP/1.1\r\n\r\n");               // no Modbus TCP header
  ASSERT_TRUE(WaitFor([&] { return broken.state() == QAbstractSocket::UnconnectedState; }));

  const ToolRun py = RunLive(QString::fromLatin1(kPython), PymodbusArgs({QStringLiteral("4:0:7"), QStringLiteral("3:100:11")}));
  ASSERT_TRUE(py.finished && py.exitCode == 0) << py.out << py.err;
  const auto lines = ParsePymodbus(py.out);
  ASSERT_TRUE(lines.count("4:0:7") && lines.count("3:100:11")) << py.out;
  EXPECT_EQ(lines.at("4:0:7").front(), "OK");
  EXPECT_EQ(lines.at("3:100:11").front(), "OK");

  // The half-sent request is still waited for, and answered once complete.
  EXPECT_EQ(half.state(), QAbstractSocket::ConnectedState);
  half.write(QByteArray::fromHex("00000001"));
  ASSERT_TRUE(WaitFor([&] { return half.bytesAvailable() >= 11; }));
  EXPECT_EQ(half.readAll().left(9), QByteArray::fromHex("000100000005010402"));
  EXPECT_EQ(output->Status().clientsDropped, 1);
}

TEST_F(ModbusServerTest, SeventeenthClientIsClosedWhileSixteenAreServed) {
  REQUIRE_MBPOLL();
  StartSite(1, 90);
  StartModbus();
  std::vector<std::unique_ptr<QTcpSocket>> clients;
  for (int i = 0; i < ModbusServer::kMaxClients; ++i) {
    clients.push_back(std::make_unique<QTcpSocket>());
    clients.back()->connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
  }
  ASSERT_TRUE(WaitFor([&] { return output->Status().clients == ModbusServer::kMaxClients; }));

  const ToolRun seventeenth = RunLive(QStringLiteral("mbpoll"), MbpollArgs(3, 0, 7));
  EXPECT_NE(seventeenth.exitCode, 0) << seventeenth.out;
  EXPECT_TRUE(ParseMbpoll(seventeenth.out).empty()) << seventeenth.out;
  EXPECT_EQ(output->Status().clientsRefused, 1);

  for (auto& c : clients) c->write(QByteArray::fromHex("000900000006010400000007"));
  ASSERT_TRUE(WaitFor([&] {
    return std::all_of(clients.begin(), clients.end(), [](const auto& c) { return c->bytesAvailable() >= 23; });
  }));
  for (auto& c : clients) EXPECT_EQ(c->readAll().left(9), QByteArray::fromHex("00090000001101040e"));
  EXPECT_EQ(output->Status().clients, ModbusServer::kMaxClients);
  EXPECT_EQ(output->Status().requestsServed, ModbusServer::kMaxClients);
}

TEST_F(ModbusServerTest, ClientThatDoesNotReadItsRepliesIsClosedAndTheOthersAreServed) {
  REQUIRE_PYMODBUS();
  StartSite(1, 97);
  StartModbus();
  // Sends reads without ever reading a reply, until the server closes it.
  constexpr const char* kDeaf = R"(
import socket, sys
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
s.connect(('127.0.0.1', int(sys.argv[1])))
s.settimeout(60)
batch = bytes.fromhex('000100000006010400640001') * 1000
try:
    for i in range(5000):
        s.sendall(batch)
    print('never closed')
except OSError as e:
    print('closed')
)";
  QProcess deaf;
  deaf.start(QString::fromLatin1(kPython), {QStringLiteral("-c"), QString::fromLatin1(kDeaf), Port()});
  ASSERT_TRUE(deaf.waitForStarted(10000));
  ASSERT_TRUE(WaitFor([&] { return output->Status().clientsDropped == 1; }))
      << deaf.readAllStandardOutput().toStdString();
  ASSERT_TRUE(WaitFor([&] { return deaf.state() == QProcess::NotRunning; }));
  EXPECT_EQ(deaf.readAllStandardOutput().toStdString(), "closed\n");

  const ToolRun py = RunLive(QString::fromLatin1(kPython), PymodbusArgs({QStringLiteral("4:100:11")}));
  ASSERT_TRUE(py.finished && py.exitCode == 0) << py.out << py.err;
  EXPECT_EQ(ParsePymodbus(py.out)["4:100:11"].front(), "OK") << py.out;
}

TEST_F(ModbusServerTest, ClientWithoutACompleteRequestIsClosedWhenIdle) {
  StartSite(1, 95);
  StartModbus(300);
  QTcpSocket idle;
  idle.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
  ASSERT_TRUE(WaitFor([&] { return idle.state() == QAbstractSocket::ConnectedState; }));
  idle.write(QByteArray::fromHex("00010000"));
  ASSERT_TRUE(WaitFor([&] { return idle.state() == QAbstractSocket::UnconnectedState; }));
  ASSERT_TRUE(WaitFor([&] { return output->Status().clients == 0; }));
  EXPECT_EQ(output->Status().clientsDropped, 1);
}

TEST_F(ModbusServerTest, FollowsTheStationIniAndSaysWhyItCannotListen) {
  StartSite(1, 100);
  ModbusOutput modbus(*runtime);
  int changes = 0;
  QObject::connect(&modbus, &ModbusOutput::statusChanged, &modbus, [&] { ++changes; });
  modbus.Apply();
  EXPECT_EQ(modbus.Status().state, ModbusServer::State::kOff);  // off by default

  StationIni ini = runtime->stationIni();
  ini.modbus.enabled = true;
  ini.modbus.address = "127.0.0.1";
  ini.modbus.port = 0;
  runtime->ApplyStationIni(ini);
  ASSERT_EQ(modbus.Status().state, ModbusServer::State::kListening) << modbus.Status().reason;
  ASSERT_TRUE(WaitFor([&] { return changes > 0; }));
  EXPECT_EQ(ModbusServer::StateText(modbus.Status()),
            "listening on 127.0.0.1:" + std::to_string(modbus.Status().port) + ", 0 clients");

  // A port another program holds.
  QTcpServer holder;
  ASSERT_TRUE(holder.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
  ini.modbus.port = holder.serverPort();
  runtime->ApplyStationIni(ini);
  EXPECT_EQ(modbus.Status().state, ModbusServer::State::kRefused);
  EXPECT_NE(modbus.Status().reason.find("Address already in use"), std::string::npos) << modbus.Status().reason;
  EXPECT_EQ(ModbusServer::StateText(modbus.Status()).rfind("refused: ", 0), 0u);

  // The standard port needs privileges: the reason says so and what to do.
  EXPECT_EQ(ModbusServer::BindFailureText("0.0.0.0", 502, EACCES),
            "port 502 needs privileges (below 1024); use a port from 1024 up, e.g. 1502, or give the program "
            "CAP_NET_BIND_SERVICE");
  EXPECT_EQ(ModbusServer::BindFailureText("0.0.0.0", 1502, EADDRINUSE),
            "cannot listen on 0.0.0.0:1502: Address already in use");
  // And a process without them is refused so (this test has them only as root).
  if (geteuid() != 0) {
    ModbusServer privileged;
    EXPECT_FALSE(privileged.Start("127.0.0.1", 502));
    EXPECT_NE(privileged.status().reason.find("needs privileges"), std::string::npos) << privileged.status().reason;
  }

  ini.modbus.enabled = false;
  runtime->ApplyStationIni(ini);
  EXPECT_EQ(modbus.Status().state, ModbusServer::State::kOff);
}

// Both plant outputs on, the Modbus server hammered: polling and recording as ever.
TEST_F(ModbusServerTest, HammeringClientLeavesPollingAndRecordingAlone) {
  if (!QFile::exists(QString::fromLatin1(kPython))) GTEST_SKIP() << "no /usr/bin/python3 for the hammering client";
  if (!MqttToolsPresent()) GTEST_SKIP() << "mosquitto missing for the publisher beside the server";
  MqttBroker broker;
  ASSERT_TRUE(broker.Start()) << broker.Log();
  StartSite(2, 110);
  StartModbus();
  MqttPublisher publisher(*runtime, "9.8.7");
  StationIni::Mqtt mqtt;
  mqtt.enabled = true;
  mqtt.port = broker.port();
  mqtt.site = "hammer";
  publisher.Apply(mqtt);
  ASSERT_TRUE(WaitFor([&] { return publisher.status().state == MqttPublisher::State::kConnected; }));
  ASSERT_TRUE(WaitForFirstReplies(2));
  QProcess hammer;
  hammer.start(QString::fromLatin1(kPython), {QStringLiteral("-c"), QString::fromLatin1(kHammerScript), Port()});
  ASSERT_TRUE(hammer.waitForStarted(10000));
  ASSERT_TRUE(WaitFor([&] { return output->Status().requestsServed > 1000; })) << "the hammer never got going";

  const int64_t served = output->Status().requestsServed;
  const int64_t firstSecond = CivilSeconds(clock.Now()) + 1;
  const double rate0 = RepliesPerTick(0, 6);
  const double rate1 = RepliesPerTick(1, 6);
  const int64_t lastSecond = CivilSeconds(clock.Now()) - 1;
  const int64_t servedDuring = output->Status().requestsServed - served;
  const int64_t published = static_cast<int64_t>(publisher.status().sent);
  hammer.kill();
  hammer.waitForFinished(5000);

  EXPECT_GT(servedDuring, 1000) << "the hammer stopped";
  EXPECT_GT(published, 0) << "the publisher sent nothing";
  EXPECT_GE(rate0, 1.2);
  EXPECT_LE(rate0, 2.5);
  EXPECT_GE(rate1, 1.2);
  EXPECT_LE(rate1, 2.5);
  // Every second of the hammering is recorded for both stacks.
  ExpectEverySecondRecorded(2, firstSecond, lastSecond);
}

}  // namespace
}  // namespace ws::test
