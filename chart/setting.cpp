#include "chart/setting.h"

#include <QLineEdit>
#include <QTimer>

#include <algorithm>

#include "core/format_fixed.h"

namespace ws {

namespace {

// The edit field inside the popup and the popup's client size around it.
constexpr QRect kEditRect(4, 4, 70, 20);
constexpr int kClientWidth = 88;
constexpr int kMarginBelowEdit = 10;
constexpr int kStretchInset = 24;

}  // namespace

CSetting::CSetting(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setModal(true);
}

void CSetting::Setup(const QRect& target, End end, int decimals, const QString& caption,
                     bool keepNarrow, double value) {
  m_rcTarget = target;
  m_End = end;
  m_nDecimals = decimals;
  m_strCaption = caption;
  m_bKeepNarrow = keepNarrow;
  m_dValue = value;
  m_strValue = QString::fromStdString(FormatFixed(decimals, value));
}

void CSetting::Prepare() {
  if (m_pEdit == nullptr) {
    m_pEdit = new QLineEdit(this);
    m_pEdit->setObjectName(QStringLiteral("edit%1").arg(kEditId));
    m_pEdit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pEdit->setFrame(true);
    // Enter accepts: the popup has no visible buttons.
    connect(m_pEdit, &QLineEdit::returnPressed, this, &CSetting::accept);
  }
  m_pEdit->setGeometry(kEditRect);
  const int height = kEditRect.bottom() + 1 + kMarginBelowEdit;
  resize(kClientWidth, height);
  if (!m_bKeepNarrow) {
    resize(m_rcTarget.width(), height);
    m_pEdit->setGeometry(kEditRect.x(), kEditRect.y(),
                         std::max(1, m_rcTarget.width() - kStretchInset), kEditRect.height());
  }

  const QSize frame = frameGeometry().size() - geometry().size();
  const int w = width() + frame.width();
  const int h = height + frame.height();
  const QRect& t = m_rcTarget;
  QString title;
  switch (m_End) {
    case kMaxOfVertical:
      title = QStringLiteral("High");
      m_Placed = t.topLeft();
      break;
    case kMinOfVertical:
      title = QStringLiteral("Low");
      m_Placed = QPoint(t.left(), t.top() + t.height() - h);
      break;
    case kMaxOfHorizontal:
      title = QStringLiteral("High");
      m_Placed = QPoint(t.left() + t.width() - w, t.top());
      break;
    case kMinOfHorizontal:
      title = QStringLiteral("Low");
      m_Placed = t.topLeft();
      break;
  }
  if (!m_bKeepNarrow) m_Placed.setX(t.left());
  move(m_Placed);
  setWindowTitle(m_strCaption.isEmpty() ? title : m_strCaption);

  m_pEdit->setText(m_strValue);
  m_pEdit->setCursorPosition(static_cast<int>(m_strValue.size()));
  m_pEdit->setFocus(Qt::OtherFocusReason);
}

int CSetting::exec() {
  Prepare();
  // Showing a dialog focuses its first field as if tabbed to, which selects the
  // whole text; the editor opens with the caret after the text instead.
  QTimer::singleShot(0, this, [this] {
    if (m_pEdit == nullptr) return;
    m_pEdit->deselect();
    m_pEdit->end(false);
  });
  return QDialog::exec();
}

void CSetting::accept() {
  if (m_pEdit != nullptr) m_strValue = m_pEdit->text();
  QDialog::accept();
}

}  // namespace ws
