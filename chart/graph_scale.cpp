#include "chart/graph_scale.h"

#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace ws {

namespace {

constexpr int kBarGap = 2;  // between the time bar and the plot, and between value bars
constexpr ColorRef kChannelColours[4] = {0x0000FF, 0x00FF00, 0x00FFFF, 0xFFFF00};
constexpr double kZoomAllLow = 1000000.0;
constexpr double kZoomAllHigh = -1000000.0;

bool ValidRange(double lo, double hi) {
  return std::isfinite(lo) && std::isfinite(hi) && lo < hi;
}

std::pair<double, double> Sorted(const double pair[2]) {
  return {std::min(pair[0], pair[1]), std::max(pair[0], pair[1])};
}

}  // namespace

CGraphScale::CGraphScale(QWidget* parent) : QWidget(parent) {}

CScaleBar* CGraphScale::Bar(int bar) const {
  if (bar < 0 || bar >= static_cast<int>(m_Bars.size())) return nullptr;
  return m_Bars[bar];
}

bool CGraphScale::BarShown(int bar) const {
  return bar >= 0 && bar < static_cast<int>(m_Bars.size()) && m_bBarVisible[bar];
}

void CGraphScale::InitScales(std::span<const double> minima, std::span<const double> maxima) {
  if (m_bInitialised) return;
  m_nBarWidth = 70;
  m_nBarHeight = 70;
  m_dBarMin.assign(kBarCount, 0.0);
  m_dBarMax.assign(kBarCount, 100.0);
  for (int i = 0; i < kBarCount; ++i) {
    if (i < static_cast<int>(minima.size())) m_dBarMin[i] = minima[i];
    if (i < static_cast<int>(maxima.size())) m_dBarMax[i] = maxima[i];
  }
  m_bBarVisible.assign(kBarCount, true);
  m_rcBars.assign(kBarCount, QRect());

  // The plot sits in a sunken frame; its own client area is inside the edge.
  m_pPlotFrame = new QFrame(this);
  m_pPlotFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  m_pPlotFrame->setLineWidth(2);
  m_pGraph = new CGraph(m_pPlotFrame);
  m_pGraph->setWindowTitle(windowTitle());
  m_pGraph->m_nId = m_nId + 1 + kBarCount;
  m_pGraph->InitChannels();
  m_pGraph->m_dGridDivX = 10.0;
  m_pGraph->m_dGridDivY = 10.0;
  m_pGraph->m_bMenuEnabled = true;
  for (int c = 0; c < m_pGraph->ChannelCount(); ++c) {
    PlotChannel* ch = m_pGraph->Channel(c);
    ch->m_bVisible = false;
    m_pGraph->ResetChannelWidth(c);
    m_pGraph->SetChannelRange(c, m_dBarMin[c % 2], m_dBarMax[c % 2]);
    m_pGraph->SetChannelColour(c, kChannelColours[c % 4]);
    ch->m_nLastIndex = 0;
  }

  m_Bars.clear();
  for (int i = 0; i < kBarCount; ++i) {
    auto* bar = new CScaleBar(i == 0 ? QStringLiteral("Time (sec)") : QString(), this);
    bar->m_nId = m_nId + 10 + i;
    if (i == 0) {
      bar->Initialise(10, 0x000080, false, m_dBarMin[0], m_dBarMax[0]);
      bar->m_bTimeAxis = true;
    } else {
      bar->Initialise(10, 0x800000, true, m_dBarMin[i], m_dBarMax[i]);
      bar->m_nDivisions = 10;
    }
    connect(bar, &CScaleBar::notify, this, &CGraphScale::OnScaleNotify);
    m_Bars.push_back(bar);
  }
  connect(m_pGraph, &CGraph::notify, this, &CGraphScale::OnPlotNotify);

  m_pGraph->SetChannelRange(-1, m_dBarMin[0], m_dBarMax[0]);
  m_bInitialised = true;
  UseTimeAxis();
}

void CGraphScale::AddSample(int channel, int index, float value) {
  if (m_pGraph != nullptr) m_pGraph->AddSample(channel, index, value);
}

void CGraphScale::SetRange(int index, double minimum, double maximum) {
  if (!m_bInitialised || !std::isfinite(minimum) || !std::isfinite(maximum)) return;
  if (index == -1) {
    if (minimum == maximum) maximum = minimum + 1.0;
    m_Bars[0]->SetRange(minimum, maximum);
    m_dBarMin[0] = minimum;
    m_dBarMax[0] = maximum;
    m_pGraph->SetChannelRange(-1, minimum, maximum);
    return;
  }
  const PlotChannel* ch = m_pGraph->Channel(index);
  if (ch == nullptr) return;
  const int j = ch->m_nScaleBar;
  if (j < 0 || j >= kBarCount) {
    m_pGraph->SetChannelRange(index, minimum, maximum);
    return;
  }
  if (minimum == maximum) {
    if (j == 0) {
      maximum = minimum + 1.0;
    } else {
      minimum -= 0.5;
      maximum += 0.5;
    }
  }
  m_Bars[j]->SetRange(minimum, maximum);
  m_dBarMin[j] = minimum;
  m_dBarMax[j] = maximum;
  if (j == 0) {
    m_pGraph->SetChannelRange(-1, minimum, maximum);
    return;
  }
  for (int c = 0; c < m_pGraph->ChannelCount(); ++c) {
    if (c == index || m_pGraph->Channel(c)->m_nScaleBar == j) {
      m_pGraph->SetChannelRange(c, minimum, maximum);
    }
  }
}

void CGraphScale::SetBarCaption(int bar, const QString& text) {
  if (CScaleBar* b = Bar(bar)) b->SetTitle(text);
}

void CGraphScale::UseTimeAxis() {
  if (!m_bInitialised) return;
  m_pGraph->SetChannelRange(-1, m_Bars[0]->m_dMin, m_Bars[0]->m_dMax);
  m_bBarVisible[0] = true;
  RecalcLayout();
}

void CGraphScale::SetTimeMultiplier(double secondsPerSample) {
  if (!m_bInitialised || !std::isfinite(secondsPerSample) || secondsPerSample == 0.0) return;
  m_Bars[0]->m_dMultiplier = secondsPerSample;
  m_Bars[0]->update();
}

void CGraphScale::ShowFirstChannel() {
  if (!m_bInitialised || m_pGraph->ChannelCount() == 0) return;
  PlotChannel* ch = m_pGraph->Channel(0);
  ch->m_bVisible = true;
  const int j = ch->m_nScaleBar;
  if (j >= 0 && j < kBarCount) {
    SetRange(0, m_dBarMin[j], m_dBarMax[j]);
  } else {
    SetRange(0, 0.0, 0.0);
  }
}

void CGraphScale::SetGridFollow(bool follow) {
  for (CScaleBar* bar : m_Bars) {
    bar->m_bGridFollow = follow;
    bar->update();
  }
  if (m_pGraph != nullptr) m_pGraph->m_bGridFollow = follow;
}

void CGraphScale::RecalcLayout() {
  if (!m_bInitialised) return;
  const int w = width();
  const int h = height();
  int shown = 0;
  for (int i = 1; i < kBarCount; ++i) shown += m_bBarVisible[i] ? 1 : 0;
  const int left = m_nBarWidth * shown;
  m_rcBars[0] = QRect(QPoint(left, h - m_nBarHeight + kBarGap), QPoint(w - 1, h - 1));
  m_rcPlot = QRect(QPoint(left, 0), QPoint(w - 1, h - m_nBarHeight - 1));
  int x = 0;
  for (int i = 1; i < kBarCount; ++i) {
    const int barWidth = m_bBarVisible[i] ? m_nBarWidth - kBarGap : 0;
    m_rcBars[i] = QRect(x, 0, barWidth, h - m_nBarHeight);
    x += barWidth + kBarGap;
  }
  for (int i = 0; i < kBarCount; ++i) {
    m_Bars[i]->setGeometry(m_rcBars[i]);
    m_Bars[i]->setVisible(i == 0 || m_bBarVisible[i]);
  }
  m_pPlotFrame->setGeometry(m_rcPlot);
  m_pGraph->setGeometry(m_pPlotFrame->contentsRect());
}

void CGraphScale::RedrawPlot() {
  if (m_pGraph == nullptr) return;
  m_pGraph->ComputeVertices();
  m_pGraph->update();
}

void CGraphScale::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (m_bInitialised) RecalcLayout();
}

void CGraphScale::RefreshStoredRanges() {
  for (int i = 0; i < kBarCount; ++i) {
    m_dBarMin[i] = m_Bars[i]->m_dMin;
    m_dBarMax[i] = m_Bars[i]->m_dMax;
  }
}

void CGraphScale::Finish(int code) {
  RefreshStoredRanges();
  emit notify(m_nId, code);
  m_pGraph->ComputeVertices();
  m_pGraph->update();
}

void CGraphScale::ZoomToWindow() {
  const PlotChannel* first = m_pGraph->Channel(0);
  if (first == nullptr) return;
  const auto [xlo, xhi] = Sorted(first->m_ZoomX);
  // A zoom window of no width or height is ignored: the range would be empty.
  if (BarShown(0) && ValidRange(xlo, xhi)) {
    m_Bars[0]->SetRange(xlo, xhi);
    m_pGraph->SetChannelRange(-1, xlo, xhi);
  }
  for (int c = 0; c < m_pGraph->ChannelCount(); ++c) {
    const PlotChannel* ch = m_pGraph->Channel(c);
    const int j = ch->m_nScaleBar;
    // Values never go onto the time bar.
    if (!ch->m_bVisible || j == 0 || !BarShown(j)) continue;
    const auto [lo, hi] = Sorted(ch->m_ZoomY);
    if (!ValidRange(lo, hi)) continue;
    m_Bars[j]->SetRange(lo, hi);
    m_pGraph->SetChannelRange(c, lo, hi);
  }
}

void CGraphScale::ZoomAll() {
  int last = 0;
  for (int c = 0; c < m_pGraph->ChannelCount(); ++c) {
    const PlotChannel* ch = m_pGraph->Channel(c);
    if (ch->m_bVisible && ch->m_bBufferOk) last = std::max(last, ch->m_nLastIndex);
  }
  std::vector<double> lo(kBarCount, kZoomAllLow);
  std::vector<double> hi(kBarCount, kZoomAllHigh);
  for (int c = 0; c < m_pGraph->ChannelCount(); ++c) {
    const PlotChannel* ch = m_pGraph->Channel(c);
    const int j = ch->m_nScaleBar;
    if (!ch->m_bVisible || !ch->m_bBufferOk || j < 0 || j >= kBarCount) continue;
    const auto [low, high] =
        std::minmax_element(ch->m_Samples.begin(), ch->m_Samples.begin() + last + 1);
    lo[j] = std::min(lo[j], static_cast<double>(*low));
    hi[j] = std::max(hi[j], static_cast<double>(*high));
  }
  if (BarShown(0)) {
    // A single sample (or none) still gets a one-sample wide axis.
    const double end = last > 0 ? last : 1.0;
    m_Bars[0]->SetRange(0.0, end);
    m_pGraph->SetChannelRange(-1, 0.0, end);
  }
  for (int c = 0; c < m_pGraph->ChannelCount(); ++c) {
    const PlotChannel* ch = m_pGraph->Channel(c);
    const int j = ch->m_nScaleBar;
    if (!ch->m_bVisible || !ch->m_bBufferOk || j == 0 || !BarShown(j)) continue;
    double low = lo[j];
    double high = hi[j];
    if (low == high) {  // constant data: half a unit either way
      low -= 0.5;
      high += 0.5;
    }
    m_Bars[j]->SetRange(low, high);
    m_pGraph->SetChannelRange(c, low, high);
  }
}

void CGraphScale::PanTo() {
  const PlotChannel* first = m_pGraph->Channel(0);
  if (first == nullptr) return;
  const double dx = first->m_ZoomX[0] - first->m_ZoomX[1];
  if (BarShown(0)) {
    const double lo = m_Bars[0]->m_dMin + dx;
    const double hi = m_Bars[0]->m_dMax + dx;
    if (ValidRange(lo, hi)) {
      m_Bars[0]->SetRange(lo, hi);
      m_pGraph->SetChannelRange(-1, lo, hi);
    }
  }
  std::vector<double> lo(kBarCount);
  std::vector<double> hi(kBarCount);
  for (int i = 0; i < kBarCount; ++i) {
    lo[i] = m_Bars[i]->m_dMin;
    hi[i] = m_Bars[i]->m_dMax;
  }
  for (int c = 0; c < m_pGraph->ChannelCount(); ++c) {
    const PlotChannel* ch = m_pGraph->Channel(c);
    const int j = ch->m_nScaleBar;
    if (!ch->m_bVisible || j == 0 || !BarShown(j)) continue;
    const double dy = ch->m_ZoomY[0] - ch->m_ZoomY[1];
    const double low = lo[j] + dy;
    const double high = hi[j] + dy;
    if (!ValidRange(low, high)) continue;
    m_Bars[j]->SetRange(low, high);
    m_pGraph->SetChannelRange(c, low, high);
  }
}

void CGraphScale::OnPlotNotify(int, int code) {
  if (!m_bInitialised) return;
  switch (code) {
    case kPlotLineWidth:
      emit notify(m_nId, code);
      return;
    case kPlotZoomWindow:
      ZoomToWindow();
      break;
    case kPlotZoomAll:
      ZoomAll();
      break;
    case kPlotPanMoved:
      PanTo();
      break;
    default:
      break;
  }
  Finish(code);
}

void CGraphScale::OnScaleNotify(int id, int code) {
  if (!m_bInitialised) return;
  const int b = id - (m_nId + 10);
  if (b == 0) {
    m_pGraph->SetChannelRange(-1, m_Bars[0]->m_dMin, m_Bars[0]->m_dMax);
  } else if (b > 0 && b < kBarCount) {
    for (int c = 0; c < m_pGraph->ChannelCount(); ++c) {
      if (m_pGraph->Channel(c)->m_nScaleBar == b) {
        m_pGraph->SetChannelRange(c, m_Bars[b]->m_dMin, m_Bars[b]->m_dMax);
      }
    }
  }
  Finish(code);
}

}  // namespace ws
