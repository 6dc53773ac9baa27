// Gallery pages of the alarm list (a raise at each level, a list of entries in
// every state, a list longer than the window) and of the information dialog.
#include <memory>
#include <vector>

#include "core/settings.h"
#include "core/station_event.h"
#include "dialogs/alarm_dlg.h"
#include "dialogs/info_dlg.h"
#include "tools/gallery/gallery.h"

namespace ws::gallery {

namespace {

SystemTime At(int hour, int minute, int second) {
  SystemTime t{};
  t.year = 2024;
  t.month = 3;
  t.day = 7;
  t.hour = static_cast<uint16_t>(hour);
  t.minute = static_cast<uint16_t>(minute);
  t.second = static_cast<uint16_t>(second);
  return t;
}

AlarmEntry MakeEntry(int stack, int level, AlarmCondition condition, const SystemTime& start, double peak,
                 int64_t durationMs) {
  AlarmEntry e;
  e.stack = stack;
  e.level = level;
  e.condition = condition;
  e.start = start;
  e.startUtcMs = LocalToUtcMs(start);
  e.peakSpeed = peak;
  e.durationMs = durationMs;
  return e;
}

}  // namespace

void RenderAlarmInfo(Gallery& gallery) {
  const SystemTime t = At(9, 5, 3);
  const struct {
    const char* name;
    int level;
    double speed;
  } raises[] = {{"alarm_list_alarm", 1, 31.26}, {"alarm_list_stop", 2, 41.04}, {"alarm_list_trip", 3, 46.5}};
  for (const auto& raise : raises) {
    CAlarmDlg alarm(gallery.Fonts().Family(DisplayFonts::kIconSlot));
    alarm.ShowEntry(4, raise.level, raise.speed, t);
    gallery.Save(QString::fromLatin1(raise.name), alarm.grab().toImage());
    alarm.hide();
  }

  // A site with titles; entries oldest first, as the runtime keeps them.
  auto settings = std::make_unique<Settings>();
  settings->stackCount = 40;
  SetFieldUtf8(settings->stacks[2].title, "PIER B", 80);
  SetFieldUtf8(settings->stacks[6].title, "크레인 7", 80);
  SetFieldUtf8(settings->stacks[11].title, "NORTH BREAKWATER LOADING CRANE 12", 80);
  const std::vector<AlarmEntry> states = {
      MakeEntry(6, 1, AlarmCondition::kReturnedUnacknowledged, At(8, 41, 12), 32.4, 74000),
      MakeEntry(2, 2, AlarmCondition::kActiveAcknowledged, At(8, 58, 40), 42.8, 0),
      MakeEntry(19, CAlarmDlg::kNoCommLevel, AlarmCondition::kActiveUnacknowledged, At(9, 1, 5), 0.0, 0),
      MakeEntry(11, 1, AlarmCondition::kActiveAcknowledged, At(9, 3, 51), 31.0, 0),
      MakeEntry(4, 3, AlarmCondition::kActiveUnacknowledged, At(9, 5, 3), 46.5, 0),
  };
  {
    CAlarmDlg alarm(gallery.Fonts().Family(DisplayFonts::kIconSlot));
    alarm.SetSettings(settings.get());
    alarm.ShowEntries(states, At(9, 7, 30));
    gallery.Save(QStringLiteral("alarm_list_states"), alarm.grab().toImage());
    // Only the acknowledged and a silent stack left unacknowledged: NO COMM names the window.
    std::vector<AlarmEntry> quiet = {states[1], states[2], states[3]};
    alarm.ShowEntries(quiet, At(9, 12, 0));
    gallery.Save(QStringLiteral("alarm_list_no_comm"), alarm.grab().toImage());
    alarm.hide();
  }
  {
    // More entries than the window shows: the list scrolls.
    std::vector<AlarmEntry> many;
    for (int i = 0; i < 24; ++i) {
      const int level = i % 4 == 3 ? CAlarmDlg::kNoCommLevel : i % 3 + 1;
      const auto condition = static_cast<AlarmCondition>(1 + i % 3);
      many.push_back(MakeEntry(i, level, condition, At(7, 2 * i, 10), 30.0 + i * 0.7, 65000 * i));
    }
    CAlarmDlg alarm(gallery.Fonts().Family(DisplayFonts::kIconSlot));
    alarm.SetSettings(settings.get());
    alarm.ShowEntries(many, At(9, 7, 30));
    gallery.Save(QStringLiteral("alarm_list_many"), alarm.grab().toImage());
    alarm.hide();
  }

  CInfoDlg info;
  info.show();
  gallery.Save(QStringLiteral("info_dialog"), info.grab().toImage());
  info.hide();

  {
    // Both plant outputs at work: a PLC and a SCADA server reading registers,
    // the broker taking the messages.
    ModbusServer::Status modbus;
    modbus.state = ModbusServer::State::kListening;
    modbus.address = "0.0.0.0";
    modbus.port = 1502;
    modbus.clients = 2;
    modbus.requestsServed = 48213;
    modbus.exceptionsSent = 3;
    MqttPublisher::Status mqtt;
    mqtt.state = MqttPublisher::State::kConnected;
    mqtt.broker = "broker.harbour.example:8883";
    mqtt.clientId = "windscope-harbour";
    mqtt.sent = 125904;
    mqtt.waiting = 2;
    CInfoDlg outputs;
    outputs.ShowStatus(modbus, mqtt);
    outputs.show();
    gallery.Save(QStringLiteral("info_dialog_outputs"), outputs.grab().toImage());
    outputs.hide();
  }
  {
    // Both in trouble: the port needs privileges, the broker is away.
    ModbusServer::Status modbus;
    modbus.state = ModbusServer::State::kRefused;
    modbus.reason = ModbusServer::BindFailureText("0.0.0.0", 502, 13);
    MqttPublisher::Status mqtt;
    mqtt.state = MqttPublisher::State::kRetrying;
    mqtt.broker = "broker.harbour.example:8883";
    mqtt.since = "2024-03-07 09:12:40";
    mqtt.reason = "Connection refused";
    mqtt.sent = 125904;
    mqtt.dropped = 120;
    mqtt.waiting = 10000;
    CInfoDlg outputs;
    outputs.ShowStatus(modbus, mqtt);
    outputs.show();
    gallery.Save(QStringLiteral("info_dialog_outputs_trouble"), outputs.grab().toImage());
    outputs.hide();
  }
}

}  // namespace ws::gallery
