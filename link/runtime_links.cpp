#include <algorithm>

#include "link/runtime_callbacks.h"
#include "link/station_runtime.h"

// The logger links of the station runtime: received bytes, replies, polls and
// the one-second supervision.

namespace ws {

PollContext StationRuntime::ContextFor(int i) const {
  PollContext c;
  c.selected = i == m_Selected;
  c.busy = IsBusy(i);
  c.testSpeedMode = m_TestSpeedMode;
  return c;
}

bool StationRuntime::IsBusy(int stack) const {
  return (m_Dump->Running() && m_Dump->Stack() == stack) ||
         (m_Firmware->Running() && m_Firmware->Stack() == stack);
}

void StationRuntime::UpdateBusyStacks() {
  for (int i = 0; i < m_StackCount; ++i) {
    const auto ui = static_cast<size_t>(i);
    const bool busy = IsBusy(i);
    if (busy == m_Busy[ui]) continue;
    m_Busy[ui] = busy;
    if (busy) {
      // Neither silent nor measured: the tile says what the link is doing, and
      // the stack keeps its alarm level until its logger is polled again.
      m_Tile[ui] = kTileBusy;
      emit stackBusy(i);
    } else {
      // The tile shows the next answer, or no communication if none comes; the
      // no-communication alarm waits its whole delay again.
      m_SilentTicks[ui] = 0;
      m_Poll[ui].ResumeAfterBusy();
      if (QTimer* poll = m_PollTimers[ui]) poll->start();
    }
  }
}

void StationRuntime::OnLinkEvent(int linkId, int code) {
  // Connects, closes and failures show only through silence.
  if (code != kLinkData || !m_Running) return;
  if (linkId == CNexSock::kLampLinkId) {
    OnLampData();
  } else if (linkId >= 0 && linkId < m_StackCount) {
    OnStackData(linkId);
  }
}

void StationRuntime::OnStackData(int i) {
  const auto ui = static_cast<size_t>(i);
  CNexSock* link = m_Links[ui];
  if (!link) return;
  const QByteArray& bytes = link->ReceivedBytes();
  m_Counters.bytesReceived[ui] += bytes.size();
  std::span<const uint8_t> received(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                    static_cast<size_t>(bytes.size()));
  const bool flood = bytes.size() > kLargeReceive;
  if (flood) {
    m_Assemblers[ui] = ReplyAssembler{};
    received = received.first(kMaxRepliesPerReceive * kBlockReplySize);
  }
  std::vector<ReplyAssembler::Reply> replies = m_Assemblers[ui].Feed(received);
  if (flood) m_Assemblers[ui] = ReplyAssembler{};
  int handled = 0;
  for (const ReplyAssembler::Reply& reply : replies) {
    if (handled++ == kMaxRepliesPerReceive) break;
    HandleReply(i, reply);
    // A window may have rebuilt or shut the station down from a signal.
    if (!m_Running || m_Links[ui] != link) return;
  }
  if (QTimer* t = m_ReassemblyTimers[ui]) {
    if (m_Assemblers[ui].Holding()) {
      if (!t->isActive()) t->start();
    } else {
      t->stop();
    }
  }
}

void StationRuntime::OnReassemblyTimer(int i) {
  if (!m_Running || i >= m_StackCount) return;
  if (std::optional<ReplyAssembler::Reply> held = m_Assemblers[static_cast<size_t>(i)].Flush()) {
    HandleReply(i, *held);
  }
}

void StationRuntime::HandleReply(int i, std::span<const uint8_t> reply) {
  const auto ui = static_cast<size_t>(i);
  OnSignOfLife(i);
  const PollActions actions = m_Poll[ui].OnReply(reply, ContextFor(i));
  if (actions.led == LedColour::kGreen) emit linkLedChanged(kLedGreenDark, kLedGreenLight);

  if (actions.live) {
    ++m_Counters.liveReplies[ui];
    m_LastReplySecond[ui] = CivilSeconds(m_Clock.Now());
    m_Measured[ui] = Sample{actions.measured->direction, actions.measured->speed};
    m_Cascade->SetLiveValues(i, actions.live->direction, actions.live->speed);
    m_Alarms->Evaluate(i);
    JudgeAlarmStates(i);
    SendLampMessage();
    const StackStatistics& s = m_Cascade->Stack(i);
    m_Tile[ui] = ws::TileState(s.speed, m_Alarms->Config().thresholds);
    emit stackUpdated(i, s.direction, s.speed, m_Tile[ui]);
    if (i == m_Selected) emit gaugeNeedles(s.direction, s.speed);
    EmitLampsIfChanged();
  }
  if (actions.startPollTimer && m_PollTimers[ui]) m_PollTimers[ui]->start();
  if (!m_Running) return;

  switch (actions.kind) {
    case ReplyKind::kDumpBlock:
      HandleDumpReply(i, reply);
      break;
    case ReplyKind::kFirmwareBegin:
    case ReplyKind::kFirmwarePage:
    case ReplyKind::kFirmwareEnd:
      HandleFirmwareReply(i, reply);
      break;
    default:
      break;
  }
}

void StationRuntime::ApplyPollActions(int i, const PollActions& actions) {
  const auto ui = static_cast<size_t>(i);
  CNexSock* link = m_Links[ui];
  QTimer* poll = m_PollTimers[ui];
  if (!link || !poll) return;
  if (actions.markNoCommunication) OnCommunicationLost(i);
  if (actions.markNoCommunication && m_Tile[ui] != kTileNoCommunication) {
    m_Tile[ui] = kTileNoCommunication;
    emit stackNoCommunication(i);
  }
  if (actions.killPollTimer) poll->stop();
  if (actions.reconnect) {
    m_Assemblers[ui] = ReplyAssembler{};
    if (m_ReassemblyTimers[ui]) m_ReassemblyTimers[ui]->stop();
    link->Close();
    link->Connect(m_Settings->stacks[ui].loggerAddress, CNexSock::kLoggerPort);
  }
  if (actions.sendPoll) {
    ++m_Counters.pollsSent[ui];
    link->Send(kPollCommand.data(), static_cast<qint64>(kPollCommand.size()));
  }
  if (actions.led == LedColour::kRed) emit linkLedChanged(kLedRedDark, kLedRedLight);
  if (actions.startPollTimer) poll->start();
}

void StationRuntime::OnPollTimer(int i) {
  if (!m_Running || i >= m_StackCount) return;
  ApplyPollActions(i, m_Poll[static_cast<size_t>(i)].OnPollTimer(ContextFor(i)));
}

void StationRuntime::OnSupervisionTimer() {
  if (!m_Running) return;
  emit clockTick(m_Clock.Now());
  KeepLampTowerAlive();

  // A stack whose link carries a dump or upload is left out (its context says so).
  for (int i = 0; i < m_StackCount && m_Running; ++i) {
    if (!IsBusy(i)) ++m_SilentTicks[static_cast<size_t>(i)];
    ApplyPollActions(i, m_Poll[static_cast<size_t>(i)].OnSupervisionTick(ContextFor(i)));
  }
  if (m_Running) SuperviseNoCommunication();
  const int uploading = m_Firmware->Stack();
  if (m_Firmware->OnTick()) {
    UpdateBusyStacks();
    EndUpload(uploading, FirmwareEnd::kTimedOut);
  }
}

}  // namespace ws
