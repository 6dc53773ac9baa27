#include "link/station_journal.h"

#include "link/station_runtime.h"

namespace ws {

StationJournal::StationJournal(QString workdir, QObject* parent)
    : QObject(parent), m_Workdir(std::move(workdir)) {
  m_PollTimer.setInterval(kPollMs);
  connect(&m_PollTimer, &QTimer::timeout, this, &StationJournal::Poll);
}

StationJournal::~StationJournal() {
  if (m_Runtime) m_Runtime->RemoveEventSink(&m_Journal);
  m_Journal.Close();
}

void StationJournal::Open() {
  m_Journal.Open(m_Workdir.toStdString());
  m_PollTimer.start();
  // What the opening found is told at once, not a second later.
  Poll();
}

void StationJournal::Attach(StationRuntime& runtime) {
  m_Runtime = &runtime;
  runtime.AddEventSink(&m_Journal);
}

QString StationJournal::ProblemText(const JournalStatus& status) {
  return QStringLiteral("Event journal not written (%1): events kept in memory, retrying")
      .arg(QString::fromStdString(status.reason));
}

QString StationJournal::SetAsideText(const JournalStatus& status) {
  return QStringLiteral("Event journal was damaged: set aside as %1, a new one started")
      .arg(QString::fromStdString(status.lastSetAside));
}

void StationJournal::Poll() {
  const JournalStatus status = m_Journal.Status();
  if (status.changes == m_SeenChanges) return;
  m_SeenChanges = status.changes;
  if (status.setAside != m_SeenSetAside) {
    m_SeenSetAside = status.setAside;
    emit journalProblem(SetAsideText(status));
  }
  const bool failing = status.state == JournalStatus::State::kFailing;
  if (failing == m_Failing) return;
  m_Failing = failing;
  if (failing) {
    emit journalProblem(ProblemText(status));
  } else {
    emit journalResumed();
  }
}

}  // namespace ws
