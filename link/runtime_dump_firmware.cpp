#include <QFile>

#include "core/format_fixed.h"
#include "core/record_layout.h"
#include "link/link_logging.h"
#include "link/runtime_callbacks.h"
#include "link/station_runtime.h"

// The day dump and the firmware upload of the station runtime.

namespace ws {

namespace {

std::string DayText(const SystemTime& day) { return FormatC("%04d-%02d-%02d", day.year, day.month, day.day); }

const char* DumpEndWord(DumpEnd end) {
  switch (end) {
    case DumpEnd::kCompleted: return "completed";
    case DumpEnd::kAbandoned: return "abandoned";
    case DumpEnd::kTimedOut: return "timed out";
    case DumpEnd::kWriteFailed: return "write failed";
  }
  return "ended";
}

const char* UploadEndWord(FirmwareEnd end) {
  switch (end) {
    case FirmwareEnd::kFinished: return "finished";
    case FirmwareEnd::kTimedOut: return "timed out";
    case FirmwareEnd::kAbandoned: return "abandoned";
    case FirmwareEnd::kTooManyRestarts: return "given up (the logger kept starting over)";
  }
  return "ended";
}

}  // namespace

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
    Journal(EventKind::kDumpStarted, stack, 0, 0.0, "Day dump of " + DayText(date) + " started");
    m_Timer10.start();
    UpdateBusyStacks();
    emit dumpProgress(0);
  }
  return started;
}

void StationRuntime::EndDump(DumpEnd end) {
  m_Timer10.stop();
  UpdateBusyStacks();  // polls the stack again
  const DumpSession& d = *m_Dump;
  std::string text = FormatC("Day dump of %s %s: %d blocks stored, %d failed", DayText(d.Date()).c_str(),
                             DumpEndWord(end), d.BlocksStored(), d.BlocksFailed());
  if (!d.FailureText().empty()) text += " (" + d.FailureText() + ")";
  Journal(EventKind::kDumpEnded, d.Stack(), 0, static_cast<double>(d.BlocksStored()), std::move(text));
  emit dumpFinished(static_cast<int>(end));
}

void StationRuntime::AbandonDump() {
  m_Timer10.stop();
  if (!m_Dump->Running()) return;
  m_Dump->Abandon();
  EndDump(DumpEnd::kAbandoned);
}

void StationRuntime::OnDumpTimer() {
  switch (m_Dump->OnRepeatTimer()) {
    case DumpRepeat::kResent:
      return;
    case DumpRepeat::kIdle:
      m_Timer10.stop();
      return;
    case DumpRepeat::kTimedOut:
      EndDump(DumpEnd::kTimedOut);
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
      emit dumpProgress(100);
      EndDump(DumpEnd::kCompleted);
      return;
    case DumpReply::kTimedOut:
      EndDump(DumpEnd::kTimedOut);
      return;
    case DumpReply::kWriteFailed:
      EndDump(DumpEnd::kWriteFailed);
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
  const int stack = m_Firmware->Stack();
  m_Firmware->Abandon();
  UpdateBusyStacks();
  EndUpload(stack, FirmwareEnd::kAbandoned);
}

void StationRuntime::EndUpload(int stack, FirmwareEnd end) {
  // Page() stays at the last page sent once the upload has ended.
  const int sent = end == FirmwareEnd::kFinished ? m_UploadLastPage + 1 : m_Firmware->Page();
  Journal(EventKind::kFirmwareEnded, stack, 0, static_cast<double>(sent),
          FormatC("Firmware upload %s: %d of %d pages sent", UploadEndWord(end), sent, m_UploadLastPage + 1));
  emit firmwareFinished(static_cast<int>(end));
}

void StationRuntime::HandleFirmwareReply(int i, std::span<const uint8_t> reply) {
  const FirmwareStep step = m_Firmware->OnReply(i, reply);
  UpdateBusyStacks();
  switch (step) {
    case FirmwareStep::kIgnored:
      return;
    case FirmwareStep::kStarted:
      m_UploadLastPage = m_Firmware->LastPage();
      Journal(EventKind::kFirmwareStarted, i, 0, static_cast<double>(m_UploadLastPage + 1),
              FormatC("Firmware upload started: %d pages%s", m_UploadLastPage + 1,
                      m_Firmware->Restarts() > 0 ? " (the logger asked to start over)" : ""));
      emit firmwareStarted(m_Firmware->LastPage());
      emit firmwareProgress(0);
      return;
    case FirmwareStep::kPageSent:
    case FirmwareStep::kEndSent:
      emit firmwareProgress(m_Firmware->Page());
      return;
    case FirmwareStep::kFinished:
      EndUpload(i, FirmwareEnd::kFinished);
      return;
    case FirmwareStep::kGaveUp:
      EndUpload(i, FirmwareEnd::kTooManyRestarts);
      return;
  }
}

}  // namespace ws
