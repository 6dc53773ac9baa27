#include "dialogs/ip_address_edit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace ws {

CIpAddressEdit::CIpAddressEdit(QWidget* parent) : QFrame(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(0);
  // Any three digits: a digit refused while typing would leave another number
  // ("300" becoming "30") without a word; IsValid tells instead.
  const QRegularExpression threeDigits(QStringLiteral("[0-9]{0,3}"));
  for (size_t i = 0; i < m_Fields.size(); ++i) {
    auto* field = new QLineEdit(this);
    field->setValidator(new QRegularExpressionValidator(threeDigits, field));
    field->setAlignment(Qt::AlignCenter);
    field->setMaxLength(3);
    field->setFrame(false);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 6);
    field->installEventFilter(this);
    m_Fields[i] = field;
    if (i > 0) row->addWidget(new QLabel(QStringLiteral("."), this));
    row->addWidget(field);
    if (i + 1 < m_Fields.size()) {
      connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
        if (text.size() == 3) {
          m_Fields[i + 1]->setFocus();
          m_Fields[i + 1]->selectAll();
        }
      });
    }
  }
  // One framed box around the four fields, as a single address control looks.
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void CIpAddressEdit::SetAddress(uint32_t host) {
  for (size_t i = 0; i < m_Fields.size(); ++i) {
    m_Fields[i]->setText(QString::number(host >> (24 - 8 * i) & 0xFFu));
  }
}

uint32_t CIpAddressEdit::Address() const {
  uint32_t host = 0;
  for (const QLineEdit* field : m_Fields) {
    const uint32_t part = std::min(field->text().toUInt(), 255u);  // blank: 0; 255 at most
    host = host << 8 | part;
  }
  return host;
}

bool CIpAddressEdit::IsValid() const {
  return std::all_of(m_Fields.begin(), m_Fields.end(),
                     [](const QLineEdit* field) { return field->text().toUInt() <= 255u; });
}

bool CIpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->text() == QStringLiteral(".")) {
      for (size_t i = 0; i + 1 < m_Fields.size(); ++i) {
        if (m_Fields[i] == watched && !m_Fields[i]->text().isEmpty()) {
          m_Fields[i + 1]->setFocus();
          m_Fields[i + 1]->selectAll();
        }
      }
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace ws
