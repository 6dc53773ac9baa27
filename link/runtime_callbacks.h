// The runtime's helpers that the protocol machines and the alarm rules call
// back into: defined here so that every part of the runtime sees them whole.
#pragma once

#include "link/station_runtime.h"

namespace ws {

// Hands the protocol machines' bytes to the stacks' links.
class StationRuntime::Sender final : public LinkSender {
 public:
  explicit Sender(StationRuntime& rt) : m_rt(rt) {}
  void Send(int linkId, std::span<const uint8_t> bytes) override {
    if (linkId < 0 || linkId >= m_rt.m_StackCount) return;
    if (CNexSock* link = m_rt.m_Links[static_cast<size_t>(linkId)]) {
      link->Send(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
  }

 private:
  StationRuntime& m_rt;
};

// What a raised level sets off: its alarm state and journal event, the alarm
// list entry (a signal) and the sound.
class StationRuntime::AlarmBridge final : public AlarmSink {
 public:
  explicit AlarmBridge(StationRuntime& rt) : m_rt(rt) {}
  void AlarmRaised(int stack, int level, double speed) override { m_rt.OnLevelRaised(stack, level, speed); }
  void PlaySound(const std::string& path, bool looped) override { m_rt.m_Sound->Play(path, looped); }
  void StopSound() override { m_rt.m_Sound->Stop(); }

 private:
  StationRuntime& m_rt;
};

// Writes the dumped blocks into the stack's record file of the dumped month.
class StationRuntime::BlockWriter final : public DumpSink {
 public:
  explicit BlockWriter(StationRuntime& rt) : m_rt(rt) {}
  // True when the recorder wrote the block (a file made without its space
  // reserved still took it).
  bool WriteBlock(int stack, const DumpBlock& block) override;
  std::string FailureText() const override { return m_failure; }

 private:
  StationRuntime& m_rt;
  std::string m_failure;
};

}  // namespace ws
