// CGraph, the plot of the trend chart: two channels of a day of samples each,
// drawn against the sample index either as one line per channel or as direction
// sticks (channel 0 the magnitude, channel 1 the direction in degrees), over a
// background with optional dark bands and a dashed grey grid.
//
// The plot never changes its ranges from the mouse: clicks, the wheel and the
// middle button fill each channel's zoom window and notify the parent (normally
// CGraphScale), which applies the new ranges. Colours are 0x00BBGGRR.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

#include "chart/chart_codes.h"
#include "chart/plot_channel.h"
#include "core/colour_math.h"

class QMenu;
class QAction;

namespace ws {

// One line of the value readout: "<name> : <value> <unit>", the value printed with
// the channel's decimals in a field of decimals + 2. Name and unit are plain text.
QString ReadoutText(const PlotChannel& channel, float value);

class CGraph : public QWidget {
  Q_OBJECT

 public:
  explicit CGraph(QWidget* parent = nullptr);
  ~CGraph() override;

  // Allocates the channels and their buffers (a failed allocation shows "Can't
  // allocate memory" and leaves that channel unusable), sets the defaults, builds
  // the context menu and marks the plot initialised. Call once.
  void InitChannels();
  bool IsInitialised() const { return m_bInitialised; }

  int ChannelCount() const { return static_cast<int>(m_Channels.size()); }
  // The channel, or nullptr for an index outside 0 .. ChannelCount() - 1.
  PlotChannel* Channel(int channel);
  const PlotChannel* Channel(int channel) const;

  // Stores a sample and makes it the channel's last index. Non-finite values are
  // stored as 0.0; invalid channels or indices (negative, >= kPlotSamples) do
  // nothing. Nothing is redrawn.
  void AddSample(int channel, int index, float value);

  // channel -1: the x range (sample positions); a valid channel: its value range.
  // A range whose ends are equal is widened (x: one sample, values: 0.5 each way);
  // a non-finite one is ignored. Other indices do nothing.
  void SetChannelRange(int channel, double minimum, double maximum);
  void SetChannelColour(int channel, ColorRef colour);
  void ResetChannelWidth(int channel);
  // Name and unit of the value readout, cut to 19 bytes of the code page.
  void SetChannelName(int channel, const QString& name);
  void SetChannelUnit(int channel, const QString& unit);
  // Every channel's width (clamped to 1..5); recomputes, redraws, notifies code 1.
  void SetLineWidthAll(int width);

  // Recomputes every channel's screen vertices for the plot rectangle (the whole
  // client area when called without one). At most kMaxDecimatedVertices per channel.
  void ComputeVertices(const QRect& plot);
  void ComputeVertices();

  // The plot as it would be painted now, client size.
  QImage Render();

  // The context menu, its entries prepared as a right click shows them (the width
  // of channel 0 checked, "Show Peaks" checked when on), and the handling of one
  // chosen command id. Public so that owners and tests can drive the menu.
  QMenu* ContextMenu() { return m_pMenu; }
  void PrepareMenu();
  void OnMenuCommand(int commandId);

  // Plain settings written by the owner.
  ColorRef m_BackColor = 0x000000;
  bool m_bBandShading = false;
  bool m_bGridShown = true;
  ColorRef m_GridColor = 0xAAAAAA;
  int m_nDrawStyle = kStyleLine;
  int m_nReadoutMode = kReadoutNone;
  ColorRef m_ReadoutLineColor = 0x808000;
  ColorRef m_SelectColor = 0xFF9933;
  bool m_bMenuEnabled = false;
  bool m_bGridFollow = true;  // keep the pan offsets of the grid while painting
  // Each decimated bucket contributes its minimum and maximum, in time order,
  // instead of one pseudo-random pick, so that short peaks survive any zoom.
  bool m_bShowPeaks = false;
  double m_dGridDivX = 10.0;
  double m_dGridDivY = 10.0;
  int m_nId = 0;  // control id sent with every notification

  // The x range and its derived factor; read-only for owners (SetChannelRange).
  double m_dXMin = 0.0;
  double m_dXMax = 10.0;
  double m_dPixPerSample = 0.0;
  double m_dGridX = 0.0;  // grid spacing, derived from the size
  double m_dGridY = 0.0;
  int m_nGridPhaseX = 0;
  int m_nGridPhaseY = 0;
  QRect m_rcPlot;  // the client rectangle

  // Interaction state (client pixels).
  bool m_bSelecting = false;
  QPoint m_SelectStart;
  QPoint m_SelectEnd;
  bool m_bPanning = false;
  bool m_bButtonHeld = false;
  QPoint m_PanStart;
  QPoint m_PanNow;
  QPoint m_MousePos;

  // Value conversions of a client pixel with the current ranges.
  double SampleAtX(double x) const;
  double ValueAtY(int channel, double y) const;

 signals:
  // Message 0x442 of the station: code is a PlotCode.
  void notify(int id, int code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void UpdateFactors();
  void DrawContent(class QPainter& painter);
  void DrawBands(QPainter& painter);
  void DrawGrid(QPainter& painter);
  void DrawLines(QPainter& painter);
  void DrawSticks(QPainter& painter);
  void DrawReadout(QPainter& painter);
  void DrawSelection(QPainter& painter);
  void CaptureZoomStart(QPoint p);
  void CaptureZoomEnd(QPoint p);
  void ClearPan();
  void Notify(int code);

  std::vector<PlotChannel> m_Channels;
  bool m_bInitialised = false;
  QMenu* m_pMenu = nullptr;
  QAction* m_pWidthActions[5] = {};
  QAction* m_pPeaksAction = nullptr;
};

}  // namespace ws
