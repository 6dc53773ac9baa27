// CNexSock against a plain QTcpServer on a private loopback address.
#include "link/nex_sock.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace ws {
namespace {

using test::LoopbackAddress;
using test::Pump;
using test::WaitFor;

struct Recorder {
  std::vector<int> codes;
  std::vector<QByteArray> data;
  std::vector<QString> texts;
  int dialogs = 0;

  void Attach(CNexSock& link) {
    QObject::connect(&link, &CNexSock::linkEvent, &link, [this, &link](int, int code) {
      codes.push_back(code);
      if (code == kLinkData) {
        data.push_back(link.ReceivedBytes());
        texts.push_back(link.ReceivedText());
      }
    }, Qt::DirectConnection);
    QObject::connect(&link, &CNexSock::socketError, &link, [this](int) { ++dialogs; });
  }
  qsizetype TotalBytes() const {
    qsizetype n = 0;
    for (const auto& d : data) n += d.size();
    return n;
  }
};

class ServerPeer {
 public:
  explicit ServerPeer(const QString& address) {
    ok = server.listen(QHostAddress(address), CNexSock::kLoggerPort);
    QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
      while (QTcpSocket* s = server.nextPendingConnection()) peers.push_back(s);
    });
  }
  QTcpSocket* Last() { return peers.empty() ? nullptr : peers.back().data(); }

  bool ok = false;
  QTcpServer server;
  std::vector<QPointer<QTcpSocket>> peers;
};

TEST(NexSockTest, ConnectWhileConnectedGivesEvent3AndKeepsTheConnection) {
  const QString address = LoopbackAddress(11);
  ServerPeer peer(address);
  ASSERT_TRUE(peer.ok);
  CNexSock link(7);
  Recorder rec;
  rec.Attach(link);
  int seenId = -1;
  QObject::connect(&link, &CNexSock::linkEvent, [&](int id, int) { seenId = id; });
  link.Connect(address, CNexSock::kLoggerPort);
  ASSERT_TRUE(WaitFor([&] { return peer.Last() != nullptr && link.IsConnected(); }, 3000));
  EXPECT_EQ(seenId, 7);
  EXPECT_EQ(link.LastConnectResult(), 0);
  link.Connect(address, CNexSock::kLoggerPort);
  EXPECT_EQ(rec.codes, (std::vector<int>{kLinkConnected, kLinkAlreadyConnected}));
  EXPECT_EQ(link.ConnectCount(), 1);
  link.Send(QByteArray("R000?"));
  ASSERT_TRUE(WaitFor([&] { return peer.Last()->bytesAvailable() >= 5; }, 3000));
  EXPECT_EQ(peer.Last()->readAll(), QByteArray("R000?"));
  EXPECT_EQ(peer.peers.size(), 1u);
}

TEST(NexSockTest, ConnectWithNothingListeningGivesEvent5AndNoMessage) {
  CNexSock link(3);
  Recorder rec;
  rec.Attach(link);
  link.Connect(LoopbackAddress(12), CNexSock::kLoggerPort);
  ASSERT_TRUE(WaitFor([&] { return !rec.codes.empty(); }, 3000));
  EXPECT_EQ(rec.codes, std::vector<int>{kLinkRefused});
  EXPECT_EQ(link.LastConnectResult(), kLinkRefused);
  EXPECT_EQ(rec.dialogs, 0);
  EXPECT_FALSE(link.IsConnected());
}

TEST(NexSockTest, UnsetAndBroadcastAddressesAreNeverDialled) {
  CNexSock link(0);
  Recorder rec;
  rec.Attach(link);
  link.Connect(0u, CNexSock::kLoggerPort);
  link.Connect(0xFFFFFFFFu, CNexSock::kLoggerPort);
  link.Connect(QStringLiteral("0.0.0.0"), CNexSock::kLampPort);
  Pump(200);
  EXPECT_TRUE(rec.codes.empty());
  EXPECT_EQ(link.ConnectCount(), 0);
  EXPECT_FALSE(link.IsConnected());
  EXPECT_EQ(link.Send(QByteArray("R000?")), 0);
}

TEST(NexSockTest, ReceivedBytesAreSignExtendedCharacters) {
  const QString address = LoopbackAddress(13);
  ServerPeer peer(address);
  ASSERT_TRUE(peer.ok);
  CNexSock link(0);
  Recorder rec;
  rec.Attach(link);
  link.Connect(address, CNexSock::kLoggerPort);
  ASSERT_TRUE(WaitFor([&] { return peer.Last() != nullptr && link.IsConnected(); }, 3000));
  peer.Last()->write(QByteArray("R000:\xFF\x7F\x80", 8));
  ASSERT_TRUE(WaitFor([&] { return rec.TotalBytes() >= 8; }, 3000));
  ASSERT_EQ(rec.data.size(), 1u);
  const QString& text = rec.texts[0];
  ASSERT_EQ(text.size(), 8);
  EXPECT_TRUE(text.startsWith(QStringLiteral("R000:")));
  EXPECT_EQ(text[5].unicode(), 0xFFFF);
  EXPECT_EQ(text[5].unicode() & 0xFF, 0xFF);
  EXPECT_EQ(text[6].unicode(), 0x007F);
  EXPECT_EQ(text[7].unicode(), 0xFF80);
  EXPECT_EQ(rec.data[0], QByteArray("R000:\xFF\x7F\x80", 8));
}

TEST(NexSockTest, ReceiveBeyondTheLimitIsDeliveredInFullOverSeveralEvents) {
  const QString address = LoopbackAddress(14);
  ServerPeer peer(address);
  ASSERT_TRUE(peer.ok);
  CNexSock link(0);
  Recorder rec;
  rec.Attach(link);
  link.Connect(address, CNexSock::kLoggerPort);
  ASSERT_TRUE(WaitFor([&] { return peer.Last() != nullptr && link.IsConnected(); }, 3000));
  QByteArray big(1'000'000, '\0');
  for (qsizetype i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);
  peer.Last()->write(big);
  // Nothing new is sent after the burst: the tail must come out anyway.
  ASSERT_TRUE(WaitFor([&] { return rec.TotalBytes() >= big.size(); }, 10000));
  EXPECT_EQ(rec.TotalBytes(), big.size());
  QByteArray joined;
  for (const auto& d : rec.data) {
    EXPECT_LE(d.size(), CNexSock::kReceiveLimit);
    joined += d;
  }
  EXPECT_EQ(joined, big);
}

TEST(NexSockTest, PeerCloseGivesEvent1AndSendsAreThenDropped) {
  const QString address = LoopbackAddress(15);
  ServerPeer peer(address);
  ASSERT_TRUE(peer.ok);
  CNexSock link(0);
  Recorder rec;
  rec.Attach(link);
  link.Connect(address, CNexSock::kLoggerPort);
  ASSERT_TRUE(WaitFor([&] { return peer.Last() != nullptr && link.IsConnected(); }, 3000));
  peer.Last()->close();
  ASSERT_TRUE(WaitFor([&] { return rec.codes.size() >= 2; }, 3000));
  EXPECT_EQ(rec.codes, (std::vector<int>{kLinkConnected, kLinkClosed}));
  EXPECT_FALSE(link.IsConnected());
  EXPECT_EQ(link.Send(QByteArray("R000?")), 0);
}

TEST(NexSockTest, CloseNotifiesNothingAndReconnectGivesAFreshSocket) {
  const QString address = LoopbackAddress(16);
  ServerPeer peer(address);
  ASSERT_TRUE(peer.ok);
  CNexSock link(0);
  Recorder rec;
  rec.Attach(link);
  link.Connect(address, CNexSock::kLoggerPort);
  ASSERT_TRUE(WaitFor([&] { return peer.peers.size() == 1 && link.IsConnected(); }, 3000));
  QPointer<QTcpSocket> first = peer.Last();
  link.Close();
  EXPECT_FALSE(link.IsConnected());
  // The peer sees the old connection end; the link itself reports nothing.
  ASSERT_TRUE(WaitFor([&] { return !first || first->state() != QAbstractSocket::ConnectedState; }, 3000));
  EXPECT_EQ(rec.codes, std::vector<int>{kLinkConnected});

  link.Connect(address, CNexSock::kLoggerPort);
  ASSERT_TRUE(WaitFor([&] { return peer.peers.size() == 2 && link.IsConnected(); }, 3000));
  EXPECT_EQ(link.ConnectCount(), 2);
  link.Send(QByteArray("R000?"));
  ASSERT_TRUE(WaitFor([&] { return peer.Last()->bytesAvailable() >= 5; }, 3000));
  EXPECT_EQ(rec.codes, (std::vector<int>{kLinkConnected, kLinkConnected}));
}

TEST(NexSockTest, CloseFromInsideTheDataHandlerIsSafe) {
  const QString address = LoopbackAddress(17);
  ServerPeer peer(address);
  ASSERT_TRUE(peer.ok);
  CNexSock link(0);
  int dataEvents = 0;
  QObject::connect(&link, &CNexSock::linkEvent, &link, [&](int, int code) {
    if (code != kLinkData) return;
    ++dataEvents;
    link.Close();
  }, Qt::DirectConnection);
  link.Connect(address, CNexSock::kLoggerPort);
  ASSERT_TRUE(WaitFor([&] { return peer.Last() != nullptr && link.IsConnected(); }, 3000));
  peer.Last()->write(QByteArray(CNexSock::kReceiveLimit + 100, 'x'));
  ASSERT_TRUE(WaitFor([&] { return dataEvents > 0; }, 3000));
  Pump(100);
  EXPECT_EQ(dataEvents, 1);
  EXPECT_FALSE(link.IsConnected());
}

}  // namespace
}  // namespace ws
