#include "app/keep_awake.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace ws {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");

}  // namespace

CKeepAwake::CKeepAwake(QObject* parent) : QObject(parent) {}

CKeepAwake::~CKeepAwake() { Release(); }

void CKeepAwake::Inhibit() {
  if (m_bAsked) return;
  m_bAsked = true;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
  call << QStringLiteral("windscope") << QStringLiteral("Wind monitoring station running");
  // Without a service the bus could try to activate one: never wait for it.
  call.setAutoStartService(false);
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    const QDBusPendingReply<uint> reply = *w;
    if (!reply.isError()) {
      m_Cookie = reply.value();
      m_bGranted = true;
    }
    w->deleteLater();
  });
}

void CKeepAwake::Release() {
  if (!m_bGranted) return;
  m_bGranted = false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("UnInhibit"));
  call << m_Cookie;
  call.setAutoStartService(false);
  bus.call(call, QDBus::NoBlock);
}

}  // namespace ws
