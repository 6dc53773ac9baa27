// CGraph: channels, ranges, vertices and the context menu. Painting is in
// graph_paint.cpp, mouse and keyboard handling in graph_input.cpp.
#include "chart/graph.h"

#include <QAction>
#include <QMenu>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <new>

#include "chart/vertex_decimation.h"
#include "core/text_codec.h"
#include "widgets/message_helpers.h"

namespace ws {

namespace {

// A text cut to what a 20-byte field of the code page holds.
QString BoundedText(const QString& text) {
  const std::string bytes = Utf16ToCp949(text.toStdU16String());
  const size_t keep = Cp949PrefixLength(bytes, kChannelTextBytes - 1);
  return QString::fromStdU16String(Cp949ToUtf16(std::string_view(bytes).substr(0, keep)));
}

}  // namespace

CGraph::CGraph(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

CGraph::~CGraph() = default;

void CGraph::InitChannels() {
  if (m_bInitialised) return;
  m_rcPlot = rect();
  m_dXMin = 0.0;
  m_dXMax = 10.0;
  m_Channels.assign(kPlotChannels, PlotChannel{});
  for (PlotChannel& ch : m_Channels) {
    try {
      ch.m_Samples.assign(kPlotSamples, 0.0f);
      ch.m_bBufferOk = true;
    } catch (const std::bad_alloc&) {
      ch.m_Samples.clear();
      ch.m_bBufferOk = false;
      ShowMessageF("Can't allocate memory");
    }
    ch.m_Vertices.reserve(kVertexCapacity);
    ch.m_VertexSamples.reserve(kVertexCapacity);
  }
  UpdateFactors();

  m_pMenu = new QMenu(QStringLiteral("GRAPH"), this);
  m_pMenu->addAction(QStringLiteral("Zoom All"))->setData(kCmdZoomAll);
  QMenu* widths = m_pMenu->addMenu(QStringLiteral("Line Width"));
  for (int k = 0; k < 5; ++k) {
    m_pWidthActions[k] = widths->addAction(QString::number(k + 1));
    m_pWidthActions[k]->setData(kCmdLineWidth1 + k);
    m_pWidthActions[k]->setCheckable(true);
  }
  m_pPeaksAction = m_pMenu->addAction(QStringLiteral("Show Peaks"));
  m_pPeaksAction->setData(kCmdShowPeaks);
  m_pPeaksAction->setCheckable(true);
  m_pMenu->addSeparator();
  m_pMenu->addAction(QStringLiteral("Cancel"))->setData(kCmdCancel);
  m_bInitialised = true;
}

PlotChannel* CGraph::Channel(int channel) {
  if (channel < 0 || channel >= ChannelCount()) return nullptr;
  return &m_Channels[channel];
}

const PlotChannel* CGraph::Channel(int channel) const {
  if (channel < 0 || channel >= ChannelCount()) return nullptr;
  return &m_Channels[channel];
}

void CGraph::AddSample(int channel, int index, float value) {
  PlotChannel* ch = Channel(channel);
  if (!m_bInitialised || ch == nullptr || !ch->m_bBufferOk) return;
  if (static_cast<unsigned>(index) >= ch->m_Samples.size()) return;
  ch->m_Samples[index] = std::isfinite(value) ? value : 0.0f;
  ch->m_nLastIndex = index;
}

void CGraph::SetChannelRange(int channel, double minimum, double maximum) {
  if (!std::isfinite(minimum) || !std::isfinite(maximum)) return;
  m_rcPlot = rect();
  if (channel == -1) {
    if (minimum == maximum) maximum = minimum + 1.0;
    m_dXMin = minimum;
    m_dXMax = maximum;
    m_dPixPerSample = PixelsPerUnit(m_rcPlot.width(), m_dXMin, m_dXMax);
    return;
  }
  PlotChannel* ch = Channel(channel);
  if (ch == nullptr) return;
  if (minimum == maximum) {
    minimum -= 0.5;
    maximum += 0.5;
  }
  ch->m_dMin = minimum;
  ch->m_dMax = maximum;
  ch->m_dPixPerUnit = PixelsPerUnit(m_rcPlot.height(), minimum, maximum);
}

void CGraph::SetChannelColour(int channel, ColorRef colour) {
  if (PlotChannel* ch = Channel(channel)) ch->m_Colour = colour;
}

void CGraph::ResetChannelWidth(int channel) {
  if (PlotChannel* ch = Channel(channel)) ch->m_nLineWidth = 1;
}

void CGraph::SetChannelName(int channel, const QString& name) {
  if (PlotChannel* ch = Channel(channel)) ch->m_Name = BoundedText(name);
}

void CGraph::SetChannelUnit(int channel, const QString& unit) {
  if (PlotChannel* ch = Channel(channel)) ch->m_Unit = BoundedText(unit);
}

void CGraph::SetLineWidthAll(int width) {
  width = std::clamp(width, 1, 5);
  for (PlotChannel& ch : m_Channels) ch.m_nLineWidth = width;
  if (m_bInitialised) {
    ComputeVertices();
    update();
  }
  Notify(kPlotLineWidth);
}

void CGraph::ComputeVertices(const QRect& plot) {
  for (PlotChannel& ch : m_Channels) {
    ComputeChannelVertices(ch, m_dXMin, m_dXMax, plot, m_bShowPeaks);
  }
  m_dPixPerSample = PixelsPerUnit(plot.width(), m_dXMin, m_dXMax);
}

void CGraph::ComputeVertices() {
  m_rcPlot = rect();
  ComputeVertices(m_rcPlot);
}

// A hidden widget gets its resize events only when shown, so the size is read
// from the widget itself whenever factors are derived.
void CGraph::UpdateFactors() {
  m_rcPlot = rect();
  m_dGridX = m_rcPlot.width() / m_dGridDivX;
  m_dGridY = m_rcPlot.height() / m_dGridDivY;
  m_dPixPerSample = PixelsPerUnit(m_rcPlot.width(), m_dXMin, m_dXMax);
  for (PlotChannel& ch : m_Channels) {
    ch.m_dPixPerUnit = PixelsPerUnit(m_rcPlot.height(), ch.m_dMin, ch.m_dMax);
  }
}

double CGraph::SampleAtX(double x) const {
  if (m_dPixPerSample == 0.0) return m_dXMin;
  return x / m_dPixPerSample + m_dXMin;
}

double CGraph::ValueAtY(int channel, double y) const {
  const PlotChannel* ch = Channel(channel);
  if (ch == nullptr) return 0.0;
  if (ch->m_dPixPerUnit == 0.0) return ch->m_dMax;
  return ch->m_dMax - y / ch->m_dPixPerUnit;
}

void CGraph::PrepareMenu() {
  if (m_pMenu == nullptr) return;
  const int width = m_Channels.empty() ? 1 : m_Channels[0].m_nLineWidth;
  for (int k = 0; k < 5; ++k) m_pWidthActions[k]->setChecked(false);
  m_pWidthActions[(width >= 2 && width <= 5) ? width - 1 : 0]->setChecked(true);
  m_pPeaksAction->setChecked(m_bShowPeaks);
}

void CGraph::OnMenuCommand(int commandId) {
  if (commandId == kCmdZoomAll) {
    ClearPan();
    m_bPanning = false;
    Notify(kPlotZoomAll);
  } else if (commandId >= kCmdLineWidth1 && commandId < kCmdLineWidth1 + 5) {
    SetLineWidthAll(commandId - kCmdLineWidth1 + 1);
  } else if (commandId == kCmdShowPeaks) {
    m_bShowPeaks = !m_bShowPeaks;
    if (m_bInitialised) ComputeVertices();
    update();
  } else if (commandId == kCmdCancel) {
    m_bSelecting = false;
    m_bButtonHeld = false;
    m_bPanning = false;
    update();
  }
}

void CGraph::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  m_rcPlot = rect();
  if (!m_bInitialised) return;
  UpdateFactors();
  ComputeVertices();
}

void CGraph::Notify(int code) { emit notify(m_nId, code); }

}  // namespace ws
