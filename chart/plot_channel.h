// One data channel of the plot: its sample buffer, its value range and colours,
// and the screen vertices last computed from it.
#pragma once

#include <QPoint>
#include <QString>

#include <vector>

#include "chart/chart_codes.h"
#include "core/colour_math.h"

namespace ws {

struct PlotChannel {
  std::vector<float> m_Samples;  // kPlotSamples values once allocated, zero-filled
  bool m_bBufferOk = false;      // the sample buffer could be allocated
  int m_nLastIndex = 0;          // index written most recently (not the highest)

  double m_dMin = 0.0;           // value range over the plot height
  double m_dMax = 10.0;
  double m_dPixPerUnit = 0.0;    // plot height / (max - min), derived, never set directly

  ColorRef m_Colour = 0x0000FF;
  int m_nLineWidth = 1;          // 1..5
  int m_nDecimals = 0;           // decimals of the value readout
  bool m_bVisible = false;       // drawn, zoomed, read out, counted by "Zoom All"
  int m_nScaleBar = 0;           // composite scale bar showing this channel's range
  QString m_Name;                // readout label, at most 19 bytes in the code page
  QString m_Unit;                // appended to the readout value

  // Screen vertices of the last ComputeVertices: [0 .. m_nVertexCount] is the curve,
  // the two after it close the area down to the bottom edge. m_VertexSamples holds
  // the sample index each curve vertex was read from.
  std::vector<QPoint> m_Vertices;
  std::vector<int> m_VertexSamples;
  int m_nVertexCount = -1;       // last valid vertex index; below 0: no vertices
  int m_nFirst = 0;              // first sample considered by the last ComputeVertices
  int m_nEnd = 0;                // end sample considered by the last ComputeVertices
  double m_dStep = 1.0;          // decimation step (bucket width) of the last ComputeVertices

  // Zoom window captured by the mouse for the composite: x pair (start, end) in
  // sample positions (used on channel 0 only), y pair (start, end) in values.
  double m_ZoomX[2] = {0.0, 0.0};
  double m_ZoomY[2] = {0.0, 0.0};
};

}  // namespace ws
