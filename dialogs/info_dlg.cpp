#include "dialogs/info_dlg.h"

#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "core/format_fixed.h"
#include "util/version_info.h"

namespace ws {

namespace {

constexpr int kClientWidth = 300;
const QRect kOkRect(QPoint(50, 50), QPoint(249, 79));  // left 50, top 50, right 250, bottom 80
// The key list under OK: a heading, then one line a key.
constexpr int kKeysTop = 100;
constexpr int kKeyLine = 16;
constexpr int kKeyColumn = 96;  // where the descriptions start

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
  setFixedSize(kClientWidth + 4 * frame, kKeysTop + kKeyLine * (1 + static_cast<int>(Keys().size())) + 12);
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
  return image;
}

void CInfoDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

}  // namespace ws
