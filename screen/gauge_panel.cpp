#include "screen/gauge_panel.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "core/format_fixed.h"
#include "util/compass.h"
#include "widgets/analog_gauge.h"
#include "widgets/draw_toolkit.h"
#include "widgets/nex_text.h"
#include "widgets/spec_display.h"
#include "widgets/splitter_bar.h"

namespace ws {

namespace {

constexpr const char* kBoxCaptions[CGaugePanel::kBoxCount] = {
    "1 Min AVG", "10 Min AVG", "1 Hour AVG", "1 Day AVG", "1 Min AVG",
    "10 Min AVG", "1 Hour AVG", "1 Day AVG", "MAX", "TIME"};

ColorRef ButtonFace(const QWidget& w) {
  const QColor c = w.palette().color(QPalette::Button);
  return Rgb(c.red(), c.green(), c.blue());
}

ColorRef Highlight(const QWidget& w) {
  const QColor c = w.palette().color(QPalette::Highlight);
  return Rgb(c.red(), c.green(), c.blue());
}

QString DirectionText(double degrees) {
  return QString::fromStdString(FormatC("%1.0f %s", degrees,
                                        std::string(CompassName(static_cast<float>(degrees))).c_str()));
}

}  // namespace

CGaugePanel::CGaugePanel(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void CGaugePanel::Build(ColorRef background, const QString& digitFamily) {
  m_BackColor = background;
  m_DigitFamily = digitFamily;

  m_pDirection = new CAnalogGauge(QStringLiteral("DIRECTION"), kDirectionDialId, this);
  m_pDirection->Init(QString(), 0, 16, 1);
  m_pDirection->m_DigitFontFamily = digitFamily;
  m_pDirection->m_BackgroundColour = ButtonFace(*this);
  m_pDirection->m_PointerColour = 0xFF0000;
  m_pDirection->m_CompassStyle = true;
  m_pDirection->m_StartAngle = 0;
  m_pDirection->m_EndAngle = 360;
  m_pDirection->m_Minimum = 0;
  m_pDirection->m_Maximum = 360;
  m_pDirection->m_LongTail = false;
  m_pDirection->m_Box1Fractions = {0.3, 0.12, 0.6};
  m_pDirection->SetValue(0);

  m_pSpeed = new CAnalogGauge(QStringLiteral("SPEED"), kSpeedDialId, this);
  m_pSpeed->Init(QString(), 1, 6, 5);
  m_pSpeed->m_DigitFontFamily = digitFamily;
  m_pSpeed->m_BackgroundColour = ButtonFace(*this);
  m_pSpeed->m_PointerColour = 0x0000FF;
  m_pSpeed->m_ZoneColouredReadout = false;
  m_pSpeed->m_Box1Fractions = {0.3, 0.12, 0.78};
  m_pSpeed->SetValue(0);

  m_pSplitter = new CSplitterBar(this);
  m_pSplitter->m_nId = kSplitterId;
  m_pSplitter->m_bHorizontal = true;
  m_pSplitter->m_FillColor = Highlight(*this);
  m_pSplitter->m_FrameColor = 0x82614F;
  m_pSplitter->m_nLowerLimit = 0;
  m_pSplitter->m_nUpperLimit = 1024;
  connect(m_pSplitter, &CSplitterBar::notify, this, &CGaugePanel::OnSplitterMoved);

  for (int i = 0; i < kBoxCount; ++i) {
    auto* box = new CSpecDisplay(this);
    box->m_nId = kBoxIdBase + i;
    const bool extreme = i == kMaximum || i == kMaximumTime;
    if (extreme) {
      box->Setup(0x4080FF, 0x0000FF);
    } else {
      box->Setup(0x00FFFF, 0x4080FF);
    }
    box->m_strCaption = QString::fromLatin1(kBoxCaptions[i]);
    box->setWindowTitle(box->m_strCaption);
    box->m_dCaptionFraction = 0.5;
    box->m_dValueFraction = 0.5;
    // The mean speeds are shown to a tenth, as the dial and "MAX" show them.
    box->m_nDecimals = 1;
    box->m_bColourChoice = false;
    m_Boxes[static_cast<size_t>(i)] = box;
  }

  m_pClock = new CNexText(this);
  m_pClock->m_nId = kClockId;
  m_pClock->Setup(0x808000, 0x800000, 7, 2);
  m_pClock->m_fSizeFraction = 0.8f;
  m_pClock->m_TextColor = 0xFFFFFF;
  m_pClock->m_bBorder = true;
  m_pClock->m_BorderColor = 0xBC7200;
  m_pClock->m_nFillMode = 1;
  m_pClock->m_GradFillTop = 0x4C3F38;
  m_pClock->m_GradFillBottom = 0x82614F;
  m_pClock->m_nAlign = CNexText::kSsCenter;

  m_nStack = 0;
  m_bReady = true;
}

void CGaugePanel::SetSettings(const Settings& settings) {
  m_pSettings = &settings;
  if (!m_bReady) return;
  const StackSettings& first = settings.stacks[0];
  m_pDirection->SetReadout(QString(), settings.directionMeterColour, 0);
  const double max = first.windMaxSpeed;
  m_pSpeed->m_Minimum = 0;
  m_pSpeed->m_Maximum = static_cast<float>(max);
  m_pSpeed->m_ZonesShown = true;
  const float zone = (std::isfinite(max) && max > 0) ? static_cast<float>(ThresholdsOf(settings).alarm / max) : 0.0f;
  m_pSpeed->m_ZoneFraction1 = zone;
  m_pSpeed->m_ZoneFraction2 = zone;
  m_pSpeed->m_ZoneFraction3 = 1.0f;
  m_pSpeed->SetReadout(QString::fromStdString(FieldUtf8(settings.speedUnit)), settings.speedMeterColour, 1);
  m_pSpeed->InvalidateFace();
  Layout();
}

bool CGaugePanel::HasDirection() const {
  if (!m_pSettings || m_nStack < 0 || m_nStack >= kMaxStacks) return true;
  return m_pSettings->stacks[static_cast<size_t>(m_nStack)].directEnable != 0;
}

double CGaugePanel::SplitRatio() const {
  const double r = m_pSettings ? m_pSettings->gaugeSplitRatio : kDefaultGaugeSplitRatio;
  return (std::isfinite(r) && r > 0.0 && r < 1.0) ? r : kDefaultGaugeSplitRatio;
}

void CGaugePanel::ShowStack(int stack) {
  m_nStack = stack;
  Layout();
}

void CGaugePanel::Layout() {
  if (!m_bReady) return;
  const int L = 0;
  const int T = 0;
  const int R = width();
  const int B = height();
  const int H = B - T;
  const double ratio = SplitRatio();
  const int y = static_cast<int>(H * ratio);

  m_pSplitter->setGeometry(L + 10, y, std::max(0, R - L - 20), 6);
  const int screenTop = mapToGlobal(QPoint(0, 0)).y();
  m_pSplitter->m_nLowerLimit = screenTop + B - H / 3;
  m_pSplitter->m_nUpperLimit = screenTop + B - H / 20;
  m_pSplitter->m_rcStart = QRect(m_pSplitter->mapToGlobal(QPoint(0, 0)), m_pSplitter->size());

  const int w = std::max(0, (R - L - 60) / 4);
  const int h = std::max(0, (B - y - 16) / 3);
  auto row = [&](int r) { return y + 8 + r * (h + 4); };
  const int c0 = L + 10;
  const int c1 = c0 + w + 10;
  const int c2 = (R - L) / 2 + 10;
  const int c3 = c2 + w + 10;
  const int w3 = std::max(0, R - 10 - c3);
  auto place = [&](int box, int x, int r, int width) {
    m_Boxes[static_cast<size_t>(box)]->setGeometry(x, row(r), width, h);
    m_Boxes[static_cast<size_t>(box)]->Layout();
  };
  const bool direction = HasDirection();
  place(kSpeed1Min, c2, 0, w);
  place(kSpeed10Min, c3, 0, w3);
  place(kSpeed1Hour, c2, 1, w);
  place(kSpeed1Day, c3, 1, w3);
  if (direction) {
    place(kDirection1Min, c0, 0, w);
    place(kDirection10Min, c1, 0, w);
    place(kDirection1Hour, c0, 1, w);
    place(kDirection1Day, c1, 1, w);
    m_pClock->setGeometry(c0, row(2), c1 + w - c0, h);
    place(kMaximum, c2, 2, w);
    place(kMaximumTime, c3, 2, w3);
  } else {
    place(kMaximum, c0, 0, w);
    place(kMaximumTime, c1, 0, w);
    m_pClock->setGeometry(c0, row(1), c1 + w - c0, h);
  }

  const int U = (R - L - 16) / 2;
  const int Q = std::max(0, std::min(static_cast<int>(H * ratio - 25) - T - 2, U - L - 20));
  const int V = (U - Q) / 2;
  m_pDirection->setGeometry(U - V - Q, T, Q, Q);
  if (direction) {
    m_pSpeed->setGeometry(U + V, T, Q, Q);
  } else {
    m_pSpeed->setGeometry((R - L) / 2 - Q / 2, T, Q, Q);
  }
  m_pDirection->setVisible(direction);
  for (int b = kDirection1Min; b <= kDirection1Day; ++b) m_Boxes[static_cast<size_t>(b)]->setVisible(direction);
  update();
}

void CGaugePanel::Needles(float direction, float speed) {
  if (!m_bReady) return;
  m_pDirection->SetValue(direction);
  m_pSpeed->SetValue(speed);
}

void CGaugePanel::NoNeedles() {
  if (!m_bReady) return;
  m_pDirection->SetNoValue();
  m_pSpeed->SetNoValue();
}

bool CGaugePanel::ShowsNeedles() const { return m_bReady && !m_pSpeed->m_NoValue; }

void CGaugePanel::Refresh(int k, const StackAverages& averages) {
  if (!m_bReady) return;
  m_Boxes[kMaximum]->SetValueText(
      QString::fromStdString(FormatC("%3.1f", static_cast<double>(averages.maximum))));
  const SystemTime& t = averages.maximumTime;
  m_Boxes[kMaximumTime]->SetValueText(QString::fromStdString(FormatC("%d:%d:%d", t.hour, t.minute, t.second)));
  for (int period = 0; period < 4; ++period) {
    if (k != -1 && k != period) continue;
    const auto p = static_cast<size_t>(period);
    m_Boxes[kDirection1Min + p]->SetValueText(DirectionText(averages.direction[p]));
    m_Boxes[kSpeed1Min + p]->SetValue(static_cast<float>(averages.speed[p]));
  }
}

void CGaugePanel::SetClock(const SystemTime& now) {
  if (!m_bReady) return;
  m_pClock->SetText(QString::fromStdString(
      FormatC("%4d.%d.%d %d:%d:%d", now.year, now.month, now.day, now.hour, now.minute, now.second)));
}

void CGaugePanel::OnSplitterMoved(int id, int p) {
  if (id != kSplitterId || !m_pSettings) return;
  const int H = height();
  if (H <= 0) return;
  const int local = std::clamp(p - mapToGlobal(QPoint(0, 0)).y(), H - H / 3, H - H / 20);
  emit splitRatioChanged(static_cast<double>(local) / H);
  Layout();
  update();
}

void CGaugePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(m_BackColor));
}

void CGaugePanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Layout();
}

void CGaugePanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The splitter's drag band is in screen coordinates: place it where the panel is now.
  Layout();
}

}  // namespace ws
