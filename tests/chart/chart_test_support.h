// Shared helpers of the chart tests: a plot of a fixed size with its channels
// allocated, a chart laid out as the report lays it out, and a notification log.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include <memory>
#include <vector>

#include "chart/graph.h"
#include "chart/graph_scale.h"

namespace ws::test {

inline std::unique_ptr<CGraph> MakePlot(int width, int height) {
  auto plot = std::make_unique<CGraph>();
  plot->resize(width, height);
  plot->InitChannels();
  return plot;
}

// The chart as the report sets it up: channel 0 visible on value bar 1.
inline std::unique_ptr<CGraphScale> MakeChart(int width = 800, int height = 470) {
  auto chart = std::make_unique<CGraphScale>();
  chart->m_nId = 10050;
  chart->resize(width, height);
  const double minima[] = {0.0, 0.0};
  const double maxima[] = {60.0, 60.0};
  chart->InitScales(minima, maxima);
  chart->SetGridFollow(false);
  chart->ShowFirstChannel();
  chart->Graph()->Channel(0)->m_nScaleBar = 1;
  chart->SetRange(0, chart->m_dBarMin[1], chart->m_dBarMax[1]);
  chart->RecalcLayout();
  return chart;
}

// Every notify(id, code) a widget sends.
struct NotifyLog {
  template <typename Sender>
  explicit NotifyLog(Sender* sender) {
    QObject::connect(sender, &Sender::notify, [this](int id, int code) {
      ids.push_back(id);
      codes.push_back(code);
    });
  }
  std::vector<int> ids;
  std::vector<int> codes;
};

inline void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                : type == QEvent::MouseMove       ? Qt::MouseButtons()
                                                                  : Qt::MouseButtons(button);
  QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)),
                    type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

inline void Wheel(QWidget* w, QPoint at, int delta) {
  QWheelEvent event(QPointF(at), w->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &event);
}

}  // namespace ws::test
