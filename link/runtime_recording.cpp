#include "link/link_logging.h"
#include "link/station_runtime.h"

// The record tick and the averaging steps of the station runtime.

namespace ws {

namespace {

// The window's notice for a recording state (English, like the rest of the
// window's own texts).
QString RecordingNoticeText(RecordingState state, RecordingState before,
                            const Recorder::Health& health) {
  switch (state) {
    case RecordingState::kOk:
      return before == RecordingState::kFailing
                 ? QStringLiteral("Recording resumed.")
                 : QStringLiteral("Record files have their full space reserved again.");
    case RecordingState::kSpaceNotReserved:
      return QStringLiteral("%1Disk nearly full: %2 record file(s) could not reserve their space. "
                            "Recording goes on while space lasts.")
          .arg(before == RecordingState::kFailing ? QStringLiteral("Recording resumed. ") : QString())
          .arg(health.unreserved);
    case RecordingState::kFailing:
      if (health.failure == RecordStatus::kNoSpace) {
        return QStringLiteral("Disk full: recording of %1 stack(s) stopped. Monitoring and alarms "
                              "go on; recording resumes when space is freed.")
            .arg(health.failing);
      }
      return QStringLiteral("Recording of %1 stack(s) failed (%2). Monitoring and alarms go on.")
          .arg(health.failing)
          .arg(QString::fromUtf8(ToString(health.failure)));
  }
  return {};
}

}  // namespace

void StationRuntime::OnRecordTimer() {
  const SystemTime now = m_Clock.Now();
  // What the loggers measured, with the second each reply came in: a silent or
  // busy stack's seconds are left to the recorder's rule (not written), and a
  // test speed mode's forced speed is never recorded.
  for (int i = 0; i < m_StackCount; ++i) {
    const auto ui = static_cast<size_t>(i);
    m_Current[ui] = Recorder::TickSample{m_Measured[ui], m_LastReplySecond[ui]};
  }
  // A failing stack tries again at the next tick; CheckRecording tells the
  // window once when recording stops and once when it resumes.
  (void)m_Recorder->Tick(now, std::span<const Recorder::TickSample>(
                                  m_Current.data(), static_cast<size_t>(m_StackCount)));
  ++m_Counters.recordTicks;
  CheckRecording();
}

void StationRuntime::CheckRecording() {
  const Recorder::Health health = m_Recorder->CurrentHealth();
  RecordingState state = RecordingState::kOk;
  if (health.failing > 0) {
    state = RecordingState::kFailing;
  } else if (health.unreserved > 0) {
    state = RecordingState::kSpaceNotReserved;
  }
  if (state == m_RecordingState) return;
  const RecordingState before = m_RecordingState;
  m_RecordingState = state;
  m_RecordingNotice = RecordingNoticeText(state, before, health);
  if (before == RecordingState::kFailing) ++m_Counters.recordingResumed;
  if (state == RecordingState::kFailing) ++m_Counters.recordingFailures;
  if (state == RecordingState::kOk) {
    qCInfo(lcLink).noquote() << "record files:" << m_RecordingNotice;
  } else {
    qCWarning(lcLink).noquote() << "record files:" << m_RecordingNotice;
  }
  emit recordingStateChanged(static_cast<int>(state), m_RecordingNotice);
}

void StationRuntime::OnStepTimer(int k) {
  if (k == 0) {
    m_Cascade->Tick3Seconds();
  } else {
    m_Cascade->Step(k);
  }
  if (m_Selected >= 0 && m_Selected < m_StackCount) emit gaugeRefresh(k, m_Cascade->Averages(m_Selected));
  emit averagesStepped(k);
}

}  // namespace ws
