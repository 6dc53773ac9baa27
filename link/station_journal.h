// The station's event journal on the GUI thread: owns the EventJournal of the
// working directory's Events.db, takes every event of the runtime (as one of
// its sinks), and tells the windows once when the journal starts failing and
// once when it writes again.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>

#include "core/event_journal.h"

namespace ws {

class StationRuntime;

class StationJournal final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPollMs = 1000;

  explicit StationJournal(QString workdir, QObject* parent = nullptr);
  // Leaves the runtime (when it is still there) and closes the journal: what is
  // queued is committed first.
  ~StationJournal() override;

  // Opens the file (or starts retrying it) and starts watching its status.
  // Call before the runtime starts, so that its first event is stored.
  void Open();
  // Takes the runtime's events from now on. The journal must outlive the
  // runtime's Shutdown, which records the station's end.
  void Attach(StationRuntime& runtime);

  EventJournal& journal() { return m_Journal; }
  bool failing() const { return m_Failing; }

  // The notice texts.
  static QString ProblemText(const JournalStatus& status);
  static QString SetAsideText(const JournalStatus& status);

 signals:
  // The journal cannot be written (why, in one line), or a damaged file was set
  // aside: once per occurrence, never every poll.
  void journalProblem(const QString& text);
  // It writes again after journalProblem said it could not.
  void journalResumed();

 private:
  void Poll();

  QString m_Workdir;
  EventJournal m_Journal;
  QPointer<StationRuntime> m_Runtime;
  QTimer m_PollTimer;
  uint64_t m_SeenChanges = 0;
  int m_SeenSetAside = 0;
  bool m_Failing = false;
};

}  // namespace ws
