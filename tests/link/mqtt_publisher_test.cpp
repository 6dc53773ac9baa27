// The MQTT publisher against a real mosquitto broker on loopback, read with
// mosquitto_sub: the retained status, live values of every stack each tick,
// alarms and events once and in order, nothing lost across a broker restart,
// the oldest dropped beyond the queue limit, and a refusal said once.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/mqtt_payloads.h"
#include "link/mqtt_broker.h"
#include "link/mqtt_publisher.h"
#include "link/runtime_fixture.h"

namespace ws {
namespace {

using test::JsonField;
using test::MqttBroker;
using test::MqttReader;
using test::WaitFor;

class CountingSink : public EventSink {
 public:
  void Record(const StationEvent& event) override { kinds.push_back(event.kind); }
  int Count(EventKind kind) const { return static_cast<int>(std::count(kinds.begin(), kinds.end(), kind)); }
  std::vector<EventKind> kinds;
};

class MqttPublisherTest : public test::RuntimeFixture {
 protected:
  void SetUp() override {
    if (!test::MqttToolsPresent()) GTEST_SKIP() << "mosquitto, mosquitto_sub, mosquitto_pub or mosquitto_passwd missing";
  }

  void TearDown() override {
    publisher.reset();
    test::RuntimeFixture::TearDown();
  }

  void StartPublisher(int port, const std::string& site, size_t limit = MqttPublisher::kQueueLimit) {
    publisher = std::make_unique<MqttPublisher>(*runtime, "9.8.7");
    publisher->SetQueueLimit(limit);
    publisher->SetRetryDelays(1, 2);
    StationIni::Mqtt settings;
    settings.enabled = true;
    settings.port = port;
    settings.site = site;
    publisher->Apply(settings);
  }

  bool WaitConnected() {
    return WaitFor([&] { return publisher->status().state == MqttPublisher::State::kConnected; });
  }

  // Journals `count` events, alarm kinds and others in turn, with texts "e<first>"...
  void JournalMixed(int first, int count) {
    static constexpr EventKind kKinds[] = {EventKind::kAlarmRaised, EventKind::kCommunicationLost,
                                           EventKind::kAlarmAcknowledged, EventKind::kDumpStarted,
                                           EventKind::kAlarmReturned, EventKind::kConfigurationChanged};
    for (int i = first; i < first + count; ++i) {
      runtime->Journal(kKinds[i % 6], i % 3, i % 3 + 1, 10.0 + i, "e" + std::to_string(i));
    }
  }

  // The texts of the events JournalMixed() made, in order of arrival on `topic`
  // ("" for every topic). The station journals events of its own meanwhile
  // (a wind reaching a level, a reply late on a loaded machine): those are not
  // the test's and are left out.
  static std::vector<std::string> Texts(MqttReader& reader, const std::string& topic = {}) {
    std::vector<std::string> texts;
    for (const auto& [t, p] : reader.Messages()) {
      if (!topic.empty() && t != topic) continue;
      const std::string text = JsonField(p, "text");
      if (text.size() > 1 && text[0] == 'e' && text.find_first_not_of("0123456789", 1) == std::string::npos) {
        texts.push_back(text);
      }
    }
    return texts;
  }

  std::unique_ptr<MqttPublisher> publisher;
};

TEST_F(MqttPublisherTest, RetainedOnlineStatusAndLiveValuesOfEveryStackEachTick) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start()) << broker.Log();
  StartSite(3, 20);
  ASSERT_TRUE(WaitForFirstReplies(3));
  StartPublisher(broker.port(), "live");
  ASSERT_TRUE(WaitConnected());

  // A reader that comes later still finds the status, retained.
  MqttReader status(broker.port(), "windscope/live/status");
  ASSERT_TRUE(WaitFor([&] { return status.Count("windscope/live/status") > 0; }));
  const std::string online = status.Payloads("windscope/live/status").front();
  EXPECT_EQ(JsonField(online, "status"), "online");
  EXPECT_EQ(JsonField(online, "version"), "9.8.7");

  MqttReader reader(broker.port(), "windscope/live/#");
  ASSERT_TRUE(reader.WaitSubscribed(broker.port(), "windscope/live/probe"));
  // The instants right after each supervision tick was handled: every tick's
  // live messages carry a time between the previous tick's and its own.
  std::vector<std::string> after;
  QObject scope;
  QObject::connect(runtime.get(), &StationRuntime::clockTick, &scope,
                   [&] { after.push_back(mqtt::IsoUtc(LocalToUtcMs(clock.Now()))); });
  constexpr int kTicks = 5;
  ASSERT_TRUE(WaitFor([&] { return after.size() >= kTicks + 1; })) << "the supervision stopped ticking";
  const std::string from = after[0];
  const std::string to = after[kTicks];
  const auto liveIn = [&](int stack) {
    int n = 0;
    for (const std::string& p : reader.Payloads("windscope/live/stack/" + std::to_string(stack + 1) + "/live")) {
      const std::string t = JsonField(p, "time");
      n += t > from && t <= to ? 1 : 0;
    }
    return n;
  };
  EXPECT_TRUE(WaitFor([&] { return liveIn(0) >= kTicks && liveIn(1) >= kTicks && liveIn(2) >= kTicks; }));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(liveIn(i), kTicks) << "stack " << i + 1;
    const std::string last = reader.Payloads("windscope/live/stack/" + std::to_string(i + 1) + "/live").back();
    const std::string state = JsonField(last, "state");  // answering: normal, or a level its wind reached
    EXPECT_TRUE(state == "2" || state == "3" || state == "4" || state == "5") << last;
    EXPECT_FALSE(JsonField(last, "speed").empty()) << last;
  }
  // Every stack's state was published, retained.
  MqttReader states(broker.port(), "windscope/live/stack/+/state");
  EXPECT_TRUE(WaitFor([&] { return states.Messages().size() >= 3; }));
  EXPECT_EQ(publisher->status().dropped, 0);
}

TEST_F(MqttPublisherTest, EveryAlarmAndEventOnceInOrderOnItsTopic) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start()) << broker.Log();
  StartSite(1, 30);
  StartPublisher(broker.port(), "ev");
  ASSERT_TRUE(WaitConnected());
  MqttReader reader(broker.port(), "windscope/ev/#");
  ASSERT_TRUE(reader.WaitSubscribed(broker.port(), "windscope/ev/probe"));

  constexpr int kEvents = 60;
  JournalMixed(0, kEvents);
  ASSERT_TRUE(WaitFor([&] {
    return Texts(reader, "windscope/ev/alarm").size() + Texts(reader, "windscope/ev/event").size() >= kEvents &&
           publisher->status().waiting == 0;
  }));
  std::vector<std::string> alarms;
  std::vector<std::string> events;
  for (int i = 0; i < kEvents; ++i) (i % 2 == 0 ? alarms : events).push_back("e" + std::to_string(i));
  EXPECT_EQ(Texts(reader, "windscope/ev/alarm"), alarms);
  EXPECT_EQ(Texts(reader, "windscope/ev/event"), events);
  std::string first;
  for (const std::string& p : reader.Payloads("windscope/ev/alarm")) {
    if (JsonField(p, "text") == "e0") first = p;
  }
  EXPECT_EQ(JsonField(first, "kind"), "alarm_raised");
  EXPECT_EQ(JsonField(first, "stack"), "1");
  EXPECT_EQ(JsonField(first, "level"), "Alarm");
  EXPECT_GE(publisher->status().sent, kEvents);
}

TEST_F(MqttPublisherTest, NothingLostAcrossABrokerRestart) {
  MqttBroker broker(/*persistent=*/true);
  ASSERT_TRUE(broker.Start()) << broker.Log();
  StartSite(1, 40);
  StartPublisher(broker.port(), "rs");
  ASSERT_TRUE(WaitConnected());
  auto reader = std::make_unique<MqttReader>(broker.port(), "windscope/rs/#", "rs-reader");
  ASSERT_TRUE(reader->WaitSubscribed(broker.port(), "windscope/rs/probe"));
  JournalMixed(0, 20);
  ASSERT_TRUE(WaitFor([&] { return publisher->status().waiting == 0; }));

  // A burst the broker goes away in the middle of: part of it handed over and
  // not yet acknowledged.
  JournalMixed(20, 150);
  broker.Stop(/*graceful=*/true);
  ASSERT_TRUE(WaitFor([&] { return publisher->status().state == MqttPublisher::State::kRetrying; }));
  const int64_t waitingAtLoss = publisher->status().waiting;
  JournalMixed(170, 200);  // while the broker is away
  EXPECT_EQ(publisher->status().waiting, waitingAtLoss + 200);

  // The reader stays and reconnects to its session by itself. Stopping it here
  // could lose a message: mosquitto_sub acknowledges one before it prints it,
  // so the broker may count as delivered a line that never reached this test.
  ASSERT_TRUE(broker.Start()) << broker.Log();
  ASSERT_TRUE(WaitConnected());
  // The broker's acknowledgement comes before its delivery to the reader, and
  // the reader's own session may bring repeats first: wait for every text.
  std::vector<std::string> seen;
  const auto allSeen = [&] {
    seen.clear();
    for (const auto& [t, p] : reader->Messages()) seen.push_back(JsonField(p, "text"));
    for (int i = 0; i < 370; ++i) {
      if (std::find(seen.begin(), seen.end(), "e" + std::to_string(i)) == seen.end()) return false;
    }
    return true;
  };
  EXPECT_TRUE(WaitFor([&] { return publisher->status().waiting == 0 && allSeen(); }));
  allSeen();
  for (int i = 0; i < 370; ++i) {
    EXPECT_NE(std::find(seen.begin(), seen.end(), "e" + std::to_string(i)), seen.end()) << "e" << i << " lost";
  }
  EXPECT_EQ(publisher->status().dropped, 0);
}

TEST_F(MqttPublisherTest, BeyondTheLimitTheOldestAreDroppedAndJournalledOnce) {
  MqttBroker broker(/*persistent=*/true);
  ASSERT_TRUE(broker.Start()) << broker.Log();
  {
    // The reader's session waits in the broker for what comes while it is away.
    MqttReader session(broker.port(), "windscope/lim/#", "lim-reader");
    ASSERT_TRUE(session.WaitSubscribed(broker.port(), "windscope/lim/probe"));
  }
  broker.Stop(/*graceful=*/true);

  StartSite(1, 50);
  CountingSink sink;
  runtime->AddEventSink(&sink);
  StartPublisher(broker.port(), "lim", /*limit=*/5);
  ASSERT_TRUE(WaitFor([&] { return publisher->status().state == MqttPublisher::State::kRetrying; }));
  // The station may have journalled an event of its own by now (a late reply
  // on a loaded machine): it waits in the queue too, the oldest of all.
  const int64_t queuedBefore = publisher->status().waiting;
  ASSERT_LE(queuedBefore, 5);
  JournalMixed(0, 12);
  // 12 events and the one saying so, 13 messages: the newest 5 are kept.
  EXPECT_EQ(sink.Count(EventKind::kMessagesDropped), 1);
  EXPECT_EQ(publisher->status().dropped, 8 + queuedBefore);
  EXPECT_EQ(publisher->status().waiting, 5);

  ASSERT_TRUE(broker.Start()) << broker.Log();
  MqttReader reader(broker.port(), "windscope/lim/#", "lim-reader");
  ASSERT_TRUE(WaitConnected());
  ASSERT_TRUE(WaitFor([&] { return Texts(reader).size() >= 5; }));
  test::Pump(300);  // room for a wrongly kept older one or a repeat to show
  EXPECT_EQ(Texts(reader), (std::vector<std::string>{"e7", "e8", "e9", "e10", "e11"}));
  EXPECT_EQ(sink.Count(EventKind::kMessagesDropped), 1);
  runtime->RemoveEventSink(&sink);
}

TEST_F(MqttPublisherTest, RefusedCredentialsAreReportedOnce) {
  MqttBroker broker(/*persistent=*/false, "right");
  ASSERT_TRUE(broker.Start()) << broker.Log();
  StartSite(1, 60);
  publisher = std::make_unique<MqttPublisher>(*runtime, "1.0");
  publisher->SetRetryDelays(1, 1);  // a refused connection is tried again each second
  int refusals = 0;
  QObject::connect(publisher.get(), &MqttPublisher::refused, publisher.get(), [&] { ++refusals; });
  StationIni::Mqtt settings;
  settings.enabled = true;
  settings.port = broker.port();
  settings.site = "pw";
  settings.username = "station";
  settings.password = "wrong";
  publisher->Apply(settings);
  // Three refused attempts (each one changes the status), one report.
  int refusedChanges = 0;
  QObject::connect(publisher.get(), &MqttPublisher::statusChanged, publisher.get(), [&] {
    if (publisher->status().state == MqttPublisher::State::kRefused) ++refusedChanges;
  });
  ASSERT_TRUE(WaitFor([&] { return refusedChanges >= 3; })) << broker.Log();
  test::Pump(200);
  EXPECT_EQ(refusals, 1);
  EXPECT_EQ(publisher->status().state, MqttPublisher::State::kRefused);
  EXPECT_FALSE(publisher->status().reason.empty());

  settings.password = "right";
  publisher->Apply(settings);
  EXPECT_TRUE(WaitConnected());
  EXPECT_EQ(refusals, 1);
}

}  // namespace
}  // namespace ws
