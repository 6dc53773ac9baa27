#include "dialogs/calendar.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTextCharFormat>

namespace ws {

namespace {

constexpr int kLegendHeight = 50;  // the swatches and two lines of text

QString IdName(int id) { return QString::number(id); }

}  // namespace

CCalendar::CCalendar(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint),
      m_Calendar(new QCalendarWidget(this)),
      m_Ok(new QPushButton(QStringLiteral("OK"), this)),
      m_Cancel(new QPushButton(QStringLiteral("Cancel"), this)),
      m_FillHoles(new QPushButton(QStringLiteral("Fill holes"), this)),
      m_Legend(new QLabel(this)) {
  // Modal over its owner only: the alarm list, a window of its own, keeps
  // answering its ACK while the calendar is open.
  setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
  resize(kInitialSide, kInitialSide);
  m_Calendar->setObjectName(IdName(kCalendarId));
  m_Ok->setObjectName(IdName(kOkId));
  m_Cancel->setObjectName(IdName(kCancelId));
  m_FillHoles->setObjectName(QStringLiteral("fillHoles"));
  m_Calendar->setGridVisible(true);
  m_Calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  // Enter must not close the dialog (it moves on, as Tab does), so no button
  // takes it as the default.
  for (QPushButton* b : {m_Ok, m_Cancel, m_FillHoles}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  m_Cancel->hide();
  m_FillHoles->hide();
  m_Legend->hide();
  m_Legend->setWordWrap(true);
  m_Legend->setTextFormat(Qt::RichText);
  connect(m_Ok, &QPushButton::clicked, this, &CCalendar::OnOk);
  connect(m_Cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_FillHoles, &QPushButton::clicked, this, &CCalendar::OnFillHoles);
  SetHoleMapText(QString());
  Arrange();
}

void CCalendar::SetDayFill(const QDate& day, DayFill fill) {
  if (!day.isValid()) return;
  QTextCharFormat format;
  switch (fill) {
    case DayFill::kUnknown:
      m_Fills.remove(day);
      m_Calendar->setDateTextFormat(day, QTextCharFormat());
      return;
    case DayFill::kEmpty:
      format.setBackground(QColor::fromRgb(kEmptyColour));
      break;
    case DayFill::kPartly:
      format.setBackground(QColor::fromRgb(kPartlyColour));
      break;
    case DayFill::kFull:
      format.setBackground(QColor::fromRgb(kFullColour));
      break;
  }
  m_Fills.insert(day, fill);
  m_Calendar->setDateTextFormat(day, format);
}

DayFill CCalendar::DayFillOf(const QDate& day) const { return m_Fills.value(day, DayFill::kUnknown); }

void CCalendar::SetHoleMapVisible(bool visible) {
  m_HoleMapVisible = visible;
  m_FillHoles->setVisible(visible);
  m_Legend->setVisible(visible);
  Arrange();
}

void CCalendar::SetHoleMapText(const QString& text) {
  const auto swatch = [](QRgb c, const char* name) {
    return QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;</span>&nbsp;%2")
        .arg(QColor::fromRgb(c).name(), QString::fromLatin1(name));
  };
  QString html = swatch(kFullColour, "full") + QStringLiteral("&nbsp;&nbsp;") +
                 swatch(kPartlyColour, "partly") + QStringLiteral("&nbsp;&nbsp;") +
                 swatch(kEmptyColour, "empty");
  if (!text.isEmpty()) html += QStringLiteral("<br>") + text.toHtmlEscaped();
  m_Legend->setText(html);
}

void CCalendar::Arrange() {
  const QSize cal = m_Calendar->minimumSizeHint().expandedTo(m_Calendar->sizeHint());
  m_Calendar->setGeometry(kLeft, kTop, cal.width(), cal.height());
  int y = kTop + cal.height() + kButtonGap;
  m_Ok->setGeometry(kLeft, y, cal.width(), kButtonHeight);
  y += kButtonHeight;
  if (m_HoleMapVisible) {
    y += kButtonGap;
    m_FillHoles->setGeometry(kLeft, y, cal.width(), kButtonHeight);
    y += kButtonHeight + kButtonGap;
    m_Legend->setGeometry(kLeft, y, cal.width(), kLegendHeight);
    y += kLegendHeight;
  }
  // The hidden Cancel keeps a place so that Esc handling stays the dialog's.
  m_Cancel->setGeometry(kLeft, y, 0, 0);
  setFixedSize(cal.width() + kExtraWidth, y + kExtraHeight - kTop);
}

void CCalendar::showEvent(QShowEvent* event) {
  setWindowTitle(m_Caption.isEmpty() ? QStringLiteral("CALENDAR") : m_Caption);
  const QDate start = m_Date.isValid() ? m_Date : QDate::currentDate();
  m_Calendar->setSelectedDate(start);
  m_Calendar->setCurrentPage(start.year(), start.month());
  Arrange();
  QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
  QRect area;
  if (over && over->isVisible()) {
    area = over->frameGeometry();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) move(area.center() - QPoint(width() / 2, height() / 2));
  QDialog::showEvent(event);
  m_Calendar->setFocus();
}

void CCalendar::keyPressEvent(QKeyEvent* event) {
  // The dialog closes by its buttons only: Enter and Esc move the focus on.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      focusNextChild();
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void CCalendar::OnOk() {
  m_Date = m_Calendar->selectedDate();
  accept();
}

void CCalendar::OnFillHoles() {
  m_Date = m_Calendar->selectedDate();
  done(kFillHoles);
}

}  // namespace ws
