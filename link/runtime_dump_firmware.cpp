#include <QFile>

#include "core/record_layout.h"
#include "link/link_logging.h"
#include "link/runtime_callbacks.h"
#include "link/station_runtime.h"

// The day dump and the firmware upload of the station runtime.

namespace ws {

bool StationRuntime::BlockWriter::WriteBlock(int stack, const DumpBlock& block) {
  const RecordStatus status = m_rt.m_Recorder->WriteBlock(stack, block);
  if (!IsUsable(status)) {
    m_failure = ToString(status);
    qCWarning(lcLink) << "dump block of stack" << stack + 1 << "not written:" << ToString(status);
    return false;
  }
  if (status != RecordStatus::kOk) {
    qCWarning(lcLink) << "dump block of stack" << stack + 1 << "written, but its file was"
                      << ToString(status);
  }
  return true;
}

// ---- Day dump ----

DumpStart StationRuntime::StartDump(int stack, const SystemTime& date) {
  if (!m_Running || stack < 0 || stack >= m_StackCount) return DumpStart::kInvalidDate;
  const DumpStart started = m_Dump->Start(stack, date);
  if (started == DumpStart::kStarted) {
    m_Timer10.start();
    UpdateBusyStacks();
    emit dumpProgress(0);
  }
  return started;
}

void StationRuntime::AbandonDump() {
  m_Timer10.stop();
  if (!m_Dump->Running()) return;
  m_Dump->Abandon();
  UpdateBusyStacks();
  emit dumpFinished(static_cast<int>(DumpEnd::kAbandoned));
}

void StationRuntime::OnDumpTimer() {
  switch (m_Dump->OnRepeatTimer()) {
    case DumpRepeat::kResent:
      return;
    case DumpRepeat::kIdle:
      m_Timer10.stop();
      return;
    case DumpRepeat::kTimedOut:
      m_Timer10.stop();
      UpdateBusyStacks();
      emit dumpFinished(static_cast<int>(DumpEnd::kTimedOut));
      return;
  }
}

void StationRuntime::HandleDumpReply(int i, std::span<const uint8_t> reply) {
  switch (m_Dump->OnBlockReply(i, reply)) {
    case DumpReply::kIgnored:
    case DumpReply::kDropped:
      return;
    case DumpReply::kAskedAgain:
    case DumpReply::kAdvanced:
      m_Timer10.start();
      emit dumpProgress(m_Dump->Progress());
      return;
    case DumpReply::kCompleted:
      m_Timer10.stop();
      UpdateBusyStacks();  // polls the stack again
      emit dumpProgress(100);
      emit dumpFinished(static_cast<int>(DumpEnd::kCompleted));
      return;
    case DumpReply::kTimedOut:
      m_Timer10.stop();
      UpdateBusyStacks();
      emit dumpFinished(static_cast<int>(DumpEnd::kTimedOut));
      return;
    case DumpReply::kWriteFailed:
      m_Timer10.stop();
      UpdateBusyStacks();
      emit dumpFinished(static_cast<int>(DumpEnd::kWriteFailed));
      return;
  }
}

// ---- Firmware ----

bool StationRuntime::SetFirmwareImage(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    m_Firmware->ClearImage();
    return false;
  }
  // More than 9999 pages cannot be numbered; do not read a huge file to find out.
  constexpr qint64 kLimit = static_cast<qint64>(FirmwareUpload::kMaxImagePages * kFirmwarePageSize);
  if (file.size() > kLimit) {
    m_Firmware->ClearImage();
    return false;
  }
  const QByteArray bytes = file.readAll();
  m_Firmware->SetImage(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  if (!m_Firmware->HasUsableImage()) {
    m_Firmware->ClearImage();
    return false;
  }
  return true;
}

void StationRuntime::ClearFirmwareImage() { m_Firmware->ClearImage(); }

void StationRuntime::AbandonUpload() {
  // The page exchange runs on the link that asked; once that link is rebuilt the
  // upload could only end by its time-out, with that stack unpolled until then.
  if (!m_Firmware->Running()) return;
  m_Firmware->Abandon();
  UpdateBusyStacks();
  emit firmwareFinished(static_cast<int>(FirmwareEnd::kAbandoned));
}

void StationRuntime::HandleFirmwareReply(int i, std::span<const uint8_t> reply) {
  const FirmwareStep step = m_Firmware->OnReply(i, reply);
  UpdateBusyStacks();
  switch (step) {
    case FirmwareStep::kIgnored:
      return;
    case FirmwareStep::kStarted:
      emit firmwareStarted(m_Firmware->LastPage());
      emit firmwareProgress(0);
      return;
    case FirmwareStep::kPageSent:
    case FirmwareStep::kEndSent:
      emit firmwareProgress(m_Firmware->Page());
      return;
    case FirmwareStep::kFinished:
      emit firmwareFinished(static_cast<int>(FirmwareEnd::kFinished));
      return;
    case FirmwareStep::kGaveUp:
      emit firmwareFinished(static_cast<int>(FirmwareEnd::kTooManyRestarts));
      return;
  }
}

}  // namespace ws
