#include "dialogs/firmware_controller.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "core/firmware_upload.h"
#include "core/settings.h"
#include "dialogs/progress.h"
#include "link/station_runtime.h"
#include "widgets/message_helpers.h"

namespace ws {

CFirmwareController::CFirmwareController(StationRuntime& runtime, CProgress& progress, QWidget* dialogParent,
                                         QObject* parent)
    : QObject(parent), m_Runtime(runtime), m_Progress(progress), m_DialogParent(dialogParent) {
  connect(&m_Runtime, &StationRuntime::firmwareStarted, this, &CFirmwareController::OnStarted);
  connect(&m_Runtime, &StationRuntime::firmwareProgress, this, &CFirmwareController::OnPage);
  connect(&m_Runtime, &StationRuntime::firmwareFinished, this, &CFirmwareController::OnFinished);
}

QPushButton* CFirmwareController::CreateButton(QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(kButtonText), parent);
  button->setToolTip(StatusText());
  connect(button, &QPushButton::clicked, this, [this] { ChooseImage(); });
  connect(this, &CFirmwareController::statusChanged, button, &QPushButton::setToolTip);
  return button;
}

QPushButton* CFirmwareController::AddButtonTo(QDialog& dialog) {
  constexpr int kMargin = 10;
  constexpr int kButtonHeight = 28;
  constexpr int kLabelHeight = 44;
  const int top = dialog.height() - kMargin;
  const int width = dialog.width();
  QPushButton* button = CreateButton(&dialog);
  button->setAutoDefault(false);
  button->setGeometry(width / 2 - 100, top, 200, kButtonHeight);
  auto* status = new QLabel(StatusText(), &dialog);
  status->setWordWrap(true);
  status->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  status->setGeometry(kMargin, top + kButtonHeight + 4, width - 2 * kMargin, kLabelHeight);
  connect(this, &CFirmwareController::statusChanged, status, &QLabel::setText);
  dialog.setFixedSize(width, top + kButtonHeight + 4 + kLabelHeight + kMargin);
  return button;
}

bool CFirmwareController::ChooseImage() {
  const QString start = m_ImagePath.isEmpty() ? m_Runtime.workdir() : QFileInfo(m_ImagePath).absolutePath();
  QFileDialog chooser(m_DialogParent, QStringLiteral("Firmware Image"), start,
                      QStringLiteral("Firmware images (*.bin *.hex *.img);;All files (*)"));
  chooser.setFileMode(QFileDialog::ExistingFile);
  // Over its owner only: the alarm list keeps answering its ACK.
  if (m_DialogParent) chooser.setWindowModality(Qt::WindowModal);
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return false;
  return SetImage(chooser.selectedFiles().constFirst());
}

bool CFirmwareController::SetImage(const QString& path) {
  if (!m_Runtime.SetFirmwareImage(path)) {
    m_ImagePath.clear();
    emit statusChanged(StatusText());
    AskMessageF(kMbOk | kMbIconError, "Firmware image not usable:\n%s\n(unreadable, empty or more than %d pages)",
                path.toUtf8().constData(), static_cast<int>(FirmwareUpload::kMaxImagePages));
    return false;
  }
  m_ImagePath = path;
  emit statusChanged(StatusText());
  return true;
}

void CFirmwareController::ClearImage() {
  m_Runtime.ClearFirmwareImage();
  m_ImagePath.clear();
  emit statusChanged(StatusText());
}

QString CFirmwareController::StatusText() const {
  if (m_Runtime.UploadRunning()) {
    return QStringLiteral("Uploading to %1: page %2 of %3").arg(StackName(m_Stack)).arg(m_Page).arg(m_LastPage);
  }
  QString text = m_ImagePath.isEmpty()
                     ? QStringLiteral("No firmware image: a logger's request is not answered.")
                     : QStringLiteral("Firmware image %1 (%2 bytes): sent to the next logger that asks.")
                           .arg(QFileInfo(m_ImagePath).fileName())
                           .arg(QFileInfo(m_ImagePath).size());
  if (!m_LastEnd.isEmpty()) text += QStringLiteral(" Last upload: ") + m_LastEnd;
  return text;
}

void CFirmwareController::OnStarted(int lastPage) {
  m_Stack = m_Runtime.firmware().Stack();
  m_LastPage = lastPage;
  m_Page = 0;
  // A dump keeps the progress window while it runs.
  m_ShowsProgress = !m_Runtime.DumpRunning();
  if (m_ShowsProgress) {
    m_Progress.SetCancelVisible(false);
    m_Progress.SetPos(0);
    m_Progress.SetText(QStringLiteral("Firmware to %1: page 0 of %2").arg(StackName(m_Stack)).arg(lastPage));
    if (!m_Progress.isVisible()) m_Progress.Show();
  }
  emit statusChanged(StatusText());
}

void CFirmwareController::OnPage(int page) {
  m_Page = page;
  if (m_ShowsProgress && !m_Runtime.DumpRunning()) {
    m_Progress.SetPos(m_LastPage > 0 ? page * 100 / m_LastPage : 100);
    m_Progress.SetText(QStringLiteral("Firmware to %1: page %2 of %3").arg(StackName(m_Stack)).arg(page).arg(m_LastPage));
  }
}

void CFirmwareController::OnFinished(int end) {
  const QString name = StackName(m_Stack);
  switch (static_cast<FirmwareEnd>(end)) {
    case FirmwareEnd::kFinished:
      m_LastEnd = QStringLiteral("%1 complete, %2 pages sent, logger restarted.").arg(name).arg(m_LastPage + 1);
      break;
    case FirmwareEnd::kTimedOut:
      m_LastEnd = QStringLiteral("%1 abandoned after 30 s without an answer (page %2 of %3).")
                      .arg(name)
                      .arg(m_Page)
                      .arg(m_LastPage);
      break;
    case FirmwareEnd::kAbandoned:
      m_LastEnd = QStringLiteral("%1 ended by a rebuild of its link (page %2 of %3).").arg(name).arg(m_Page).arg(m_LastPage);
      break;
    case FirmwareEnd::kTooManyRestarts:
      m_LastEnd = QStringLiteral("%1 abandoned: the logger asked to start over more than %2 times. "
                                 "Choose the image again to let it try once more.")
                      .arg(name)
                      .arg(FirmwareUpload::kMaxRestarts);
      break;
  }
  if (m_ShowsProgress && !m_Runtime.DumpRunning()) {
    m_Progress.SetPos(0);
    m_Progress.SetText(QString());
    m_Progress.hide();
  }
  m_ShowsProgress = false;
  emit statusChanged(StatusText());
  // A message box runs a loop of its own: not from inside the runtime's signal.
  const QString message = QStringLiteral("Firmware upload to ") + m_LastEnd;
  QMetaObject::invokeMethod(
      this,
      [this, message] {
        if (m_Runtime.Running()) AskMessageF(kMbOk | kMbIconInformation, "%s", message.toUtf8().constData());
      },
      Qt::QueuedConnection);
}

QString CFirmwareController::StackName(int stack) const {
  if (stack < 0 || stack >= kMaxStacks) return QStringLiteral("a logger");
  const QString title =
      QString::fromStdString(FieldUtf8(m_Runtime.settings().stacks[static_cast<size_t>(stack)].title)).trimmed();
  return title.isEmpty() ? QStringLiteral("STACK #%1").arg(stack + 1) : title;
}

}  // namespace ws
