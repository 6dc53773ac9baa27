// CGraphScale, the trend chart an owner places on a dialog: one plot (CGraph) with
// a time bar under it and value bars at its left (CScaleBar), laid out and kept in
// step. Every zoom, pan, "Zoom All", limit edit, drag or wheel step on the plot or
// a bar arrives here, is applied to bars and plot alike, and is passed on to the
// owner as notify(id, code) with the code of its origin.
//
// Typical use (the report): InitScales({0, 0}, {60, 60}); configure the plot and
// bars; AddSample(channel, k, value) for every sample; SetRange(-1, 0, last);
// RedrawPlot().
#pragma once

#include <QFrame>
#include <QRect>
#include <QString>
#include <QWidget>

#include <span>
#include <vector>

#include "chart/chart_codes.h"
#include "chart/graph.h"
#include "chart/scale_bar.h"

namespace ws {

class CGraphScale : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kBarCount = 2;  // bar 0 the time bar, bar 1 the value bar

  explicit CGraphScale(QWidget* parent = nullptr);

  // Creates the plot and the bars with the given per-bar ranges (kBarCount values
  // each; missing values count as 0 .. 100) and lays them out.
  void InitScales(std::span<const double> minima, std::span<const double> maxima);
  bool IsInitialised() const { return m_bInitialised; }

  CGraph* Graph() const { return m_pGraph; }
  // Bar 0 is the time bar; nullptr for an index outside 0 .. kBarCount - 1.
  CScaleBar* Bar(int bar) const;

  // A sample of a channel (non-finite values are stored as 0.0); nothing is redrawn.
  void AddSample(int channel, int index, float value);
  // index -1: the x axis (bar 0 and the plot); a channel: its bar, the channel and
  // every other channel on that bar. The owner recomputes and redraws the plot.
  void SetRange(int index, double minimum, double maximum);
  void SetBarCaption(int bar, const QString& text);
  void UseTimeAxis();
  void SetTimeMultiplier(double secondsPerSample);
  void ShowFirstChannel();
  void SetGridFollow(bool follow);
  void RecalcLayout();
  // The plot's ComputeVertices and a repaint, after the owner changed data or ranges.
  void RedrawPlot();

  // Handling of the children's notifications (connected by InitScales).
  void OnPlotNotify(int id, int code);
  void OnScaleNotify(int id, int code);

  int m_nId = 0;  // the composite's control id; set it before InitScales (child ids follow it)
  int m_nBarWidth = 70;
  int m_nBarHeight = 70;
  std::vector<bool> m_bBarVisible;  // value bars shown or hidden; bar 0 always shown
  std::vector<double> m_dBarMin;    // the composite's copy of every bar's range
  std::vector<double> m_dBarMax;
  std::vector<QRect> m_rcBars;      // current bar positions
  QRect m_rcPlot;                   // current plot position (with its sunken edge)

 signals:
  // Message 0x441 of the station: code is the PlotCode or ScaleCode that caused it.
  void notify(int id, int code);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool BarShown(int bar) const;
  void RefreshStoredRanges();
  void Finish(int code);
  void ZoomToWindow();
  void ZoomAll();
  void PanTo();

  CGraph* m_pGraph = nullptr;
  QFrame* m_pPlotFrame = nullptr;
  std::vector<CScaleBar*> m_Bars;
  bool m_bInitialised = false;
};

}  // namespace ws
