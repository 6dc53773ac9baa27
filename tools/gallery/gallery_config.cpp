// Gallery pages of the configuration dialog: as it opens on the defaults, and on
// a site of twelve stacks with edited colours, sound paths and stack rows and
// both plant outputs on.
#include <QApplication>
#include <QLineEdit>

#include <memory>

#include "core/settings.h"
#include "core/station_ini.h"
#include "dialogs/config.h"
#include "tools/gallery/gallery.h"

namespace ws::gallery {

void RenderConfigDialog(Gallery& gallery) {
  {
    auto settings = std::make_unique<Settings>();
    CConfig dialog(*settings, QStringLiteral("/srv/windscope"));
    dialog.show();
    QApplication::processEvents();
    gallery.Save(QStringLiteral("config_defaults"), dialog.grab().toImage());
    dialog.hide();
  }
  {
    auto settings = std::make_unique<Settings>();
    settings->stackCount = 12;
    settings->signalLampEnabled = 1;
    settings->signalLampAddress = *AddressFromText("192.168.10.200");
    settings->soundMode = 0;
    (void)SetFieldUtf8(settings->programTitle, "HARBOUR CRANES", 80);
    (void)SetFieldUtf8(settings->alarmSoundPath, "/srv/windscope/sounds/alarm.wav", 260);
    (void)SetFieldUtf8(settings->tripSoundPath, "/srv/windscope/sounds/trip.wav", 260);
    settings->chartColours[5] = 0x00FF8040;
    settings->speedMeterColour = 0x00404040;
    for (int i = 0; i < 12; ++i) {
      auto& stack = settings->stacks[static_cast<size_t>(i)];
      stack.loggerAddress = *AddressFromText("192.168.10." + std::to_string(101 + i));
      stack.directEnable = i % 3 != 1;
    }
    (void)SetFieldUtf8(settings->stacks[2].title, "크레인 3", 80);
    CConfig dialog(*settings, QStringLiteral("/srv/windscope"));
    // Both plant outputs on, the broker over TLS with a client certificate.
    StationIni ini;
    ini.modbus.enabled = true;
    ini.mqtt.enabled = true;
    ini.mqtt.host = "broker.harbour.example";
    ini.mqtt.port = 8883;
    ini.mqtt.site = "harbour";
    ini.mqtt.username = "station";
    ini.mqtt.password = "secret";
    ini.mqtt.tls = true;
    ini.mqtt.caFile = "/srv/windscope/tls/ca.pem";
    ini.mqtt.certFile = "/srv/windscope/tls/station.crt";
    ini.mqtt.keyFile = "/srv/windscope/tls/station.key";
    dialog.SetStationIni(ini);
    dialog.show();
    QApplication::processEvents();
    gallery.Save(QStringLiteral("config_site"), dialog.grab().toImage());
    dialog.hide();
  }
}

}  // namespace ws::gallery
