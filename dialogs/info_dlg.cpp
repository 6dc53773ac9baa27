#include "dialogs/info_dlg.h"

#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

#include "core/format_fixed.h"
#include "link/modbus_output.h"
#include "link/mqtt_publisher.h"
#include "util/version_info.h"

namespace ws {

namespace {

constexpr int kClientWidth = 300;
const QRect kOkRect(QPoint(50, 50), QPoint(249, 79));  // left 50, top 50, right 250, bottom 80
// The key list under OK: a heading, then one line a key.
constexpr int kKeysTop = 100;
constexpr int kKeyLine = 16;
constexpr int kKeyColumn = 96;  // where the descriptions start
// The plant outputs' section under the keys: a heading, then per output its
// name and, indented, its state and counters, wrapped to the dialog's width.
constexpr int kOutputsGap = 8;
constexpr int kOutputLine = 15;
constexpr int kOutputIndent = 30;
constexpr int kBottomMargin = 12;

QFont InfoFont(int pixels, bool bold) {
  QFont font(QStringLiteral("굴림체"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

}  // namespace

CInfoDlg::CInfoDlg(QWidget* parent) : QDialog(parent) {
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Information"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_pOk = new QPushButton(QStringLiteral("OK"), this);
  m_pOk->setObjectName(QStringLiteral("1"));
  m_pOk->setDefault(true);
  m_pOk->setGeometry(kOkRect);
  connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);
  // The platform frame lies outside the client area here; the sizing-frame
  // allowance of the original window is kept as client width.
  const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  setFixedSize(kClientWidth + 4 * frame, KeysBottom() + kBottomMargin);
  m_RefreshTimer.setInterval(kRefreshMs);
  connect(&m_RefreshTimer, &QTimer::timeout, this, &CInfoDlg::RefreshOutputs);
}

int CInfoDlg::KeysBottom() const { return kKeysTop + kKeyLine * (1 + static_cast<int>(Keys().size())); }

void CInfoDlg::SetOutputs(ModbusOutput* modbus, MqttPublisher* mqtt) {
  if (modbus == nullptr && mqtt == nullptr) return;
  m_pModbus = modbus;
  m_pMqtt = mqtt;
  // A state change shows at once; the counters, which change without a signal,
  // are read again every second.
  if (modbus) connect(modbus, &ModbusOutput::statusChanged, this, &CInfoDlg::RefreshOutputs, Qt::UniqueConnection);
  if (mqtt) connect(mqtt, &MqttPublisher::statusChanged, this, &CInfoDlg::RefreshOutputs, Qt::UniqueConnection);
  m_RefreshTimer.start();
  RefreshOutputs();
}

void CInfoDlg::RefreshOutputs() {
  std::optional<ModbusServer::Status> modbus;
  std::optional<MqttPublisher::Status> mqtt;
  if (m_pModbus) modbus = m_pModbus->Status();
  if (m_pMqtt) mqtt = m_pMqtt->status();
  ShowStatus(modbus, mqtt);
}

void CInfoDlg::ShowStatus(const std::optional<ModbusServer::Status>& modbus,
                          const std::optional<MqttPublisher::Status>& mqtt) {
  MakeRoom();
  m_Outputs = OutputsFor(modbus, mqtt);
  update();
}

void CInfoDlg::MakeRoom() {
  if (m_bShowOutputs) return;
  m_bShowOutputs = true;
  setFixedSize(width(), height() + kOutputsGap + kOutputLines * kOutputLine);
}

std::vector<CInfoDlg::OutputText> CInfoDlg::OutputsFor(const std::optional<ModbusServer::Status>& modbus,
                                                       const std::optional<MqttPublisher::Status>& mqtt) {
  // Counters of an output that is off and never ran say nothing.
  std::vector<OutputText> outputs;
  if (modbus) {
    const ModbusServer::Status& s = *modbus;
    const bool counted = s.requestsServed + s.exceptionsSent + s.clientsRefused + s.clientsDropped > 0;
    outputs.push_back({QStringLiteral("Modbus TCP"), QString::fromStdString(ModbusServer::StateText(s)),
                       s.state != ModbusServer::State::kOff || counted
                           ? QString::fromStdString(ModbusServer::CountersText(s))
                           : QString()});
  }
  if (mqtt) {
    const MqttPublisher::Status& s = *mqtt;
    const bool counted = s.sent + s.dropped + s.waiting > 0;
    outputs.push_back({QStringLiteral("MQTT"), QString::fromStdString(MqttPublisher::StateText(s)),
                       s.state != MqttPublisher::State::kOff || counted
                           ? QString::fromStdString(MqttPublisher::CountersText(s))
                           : QString()});
  }
  return outputs;
}

const std::vector<std::pair<QString, QString>>& CInfoDlg::Keys() {
  static const std::vector<std::pair<QString, QString>> keys = {
      {QStringLiteral("F1"), QStringLiteral("Information")},
      {QStringLiteral("F4"), QStringLiteral("History")},
      {QStringLiteral("Ctrl+F2"), QStringLiteral("Test speed: Alarm")},
      {QStringLiteral("Ctrl+F3"), QStringLiteral("Test speed: Stop")},
      {QStringLiteral("Ctrl+F4"), QStringLiteral("Test speed: Trip")},
      {QStringLiteral("Ctrl+F5"), QStringLiteral("Test speed off")},
  };
  return keys;
}

QString CInfoDlg::FirstLine() {
  return QString::fromStdString(FormatC("%s   V%s", VersionEntryText(VersionEntry::kProductName).c_str(),
                                        VersionEntryText(VersionEntry::kFileVersion).c_str()));
}

QString CInfoDlg::SecondLine() {
  return QString::fromStdString(VersionEntryText(VersionEntry::kLegalCopyright));
}

QImage CInfoDlg::Render() const {
  QImage image(size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setPen(Qt::black);
  painter.setFont(InfoFont(16, true));
  painter.drawText(QRect(10, 10, width() - 20, 22), Qt::AlignLeft | Qt::AlignTop, FirstLine());
  painter.setFont(InfoFont(12, false));
  painter.drawText(QRect(10, 32, width() - 20, 16), Qt::AlignLeft | Qt::AlignTop, SecondLine());
  painter.setFont(InfoFont(12, true));
  painter.drawText(QRect(10, kKeysTop, width() - 20, kKeyLine), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Keys"));
  int y = kKeysTop + kKeyLine;
  for (const auto& [key, meaning] : Keys()) {
    painter.setFont(InfoFont(12, true));
    painter.drawText(QRect(20, y, kKeyColumn - 20, kKeyLine), Qt::AlignLeft | Qt::AlignVCenter, key);
    painter.setFont(InfoFont(12, false));
    painter.drawText(QRect(kKeyColumn, y, width() - kKeyColumn - 10, kKeyLine), Qt::AlignLeft | Qt::AlignVCenter,
                     meaning);
    y += kKeyLine;
  }
  if (!m_bShowOutputs) return image;
  // Texts longer than the room kept for them are cut at the dialog's bottom edge.
  const int bottom = height() - kBottomMargin;
  y = KeysBottom() + kOutputsGap;
  painter.setFont(InfoFont(12, true));
  painter.drawText(QRect(10, y, width() - 20, kOutputLine), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Plant outputs"));
  y += kOutputLine;
  const QRect column(kOutputIndent, 0, width() - kOutputIndent - 10, bottom);
  for (const OutputText& output : m_Outputs) {
    painter.setFont(InfoFont(12, true));
    painter.drawText(QRect(20, y, width() - 30, kOutputLine), Qt::AlignLeft | Qt::AlignVCenter, output.name);
    y += kOutputLine;
    painter.setFont(InfoFont(12, false));
    for (const QString& text : {output.state, output.counters}) {
      if (text.isEmpty() || y >= bottom) continue;
      const QRect room(column.left(), y, column.width(), bottom - y);
      const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
      const QRect used = painter.boundingRect(room, flags, text);
      painter.save();
      painter.setClipRect(room);
      painter.drawText(room, flags, text);
      painter.restore();
      y += used.height() + 3;
    }
    y += 3;
  }
  return image;
}

void CInfoDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

}  // namespace ws
