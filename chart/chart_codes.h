// Notification codes and fixed sizes shared by the plot, the scale bars and the
// chart composite. The codes travel with notify(id, code) and keep the values the
// station's window messages carry (0x441 composite, 0x442 plot, 0x469 scale bar).
#pragma once

namespace ws {

// Plot -> composite (message 0x442).
enum PlotCode : int {
  kPlotZoomWindow = 0,   // a zoom window is ready (second click or a wheel turn)
  kPlotLineWidth = 1,    // the line width was changed from the menu
  kPlotPanEnded = 19,    // a middle-button pan ended
  kPlotPanMoved = 99,    // the mouse moved during a middle-button pan
  kPlotZoomAll = 100,    // "Zoom All" was chosen
};

// Scale bar -> composite (message 0x469).
enum ScaleCode : int {
  kScaleShifted = 0,     // the range was shifted by a drag step
  kScaleMaxEdited = 1,   // the maximum was edited
  kScaleMinEdited = 2,   // the minimum was edited
  kScaleWheelZoom = 3,   // the range was zoomed with the wheel
  kScaleDragEnded = 9,   // a drag ended (button released)
};

// Context menu command ids of the plot.
enum PlotCommand : int {
  kCmdCancel = 32772,
  kCmdLineWidth1 = 32773,  // .. kCmdLineWidth1 + 4 for width 5
  kCmdZoomAll = 32790,
  kCmdShowPeaks = 32791,
};

// Draw styles of the plot.
enum PlotStyle : int { kStyleLine = 0, kStyleSticks = 3 };

// Readout modes of the plot.
enum ReadoutMode : int { kReadoutNone = 0, kReadoutValues = 10 };

constexpr int kPlotChannels = 2;             // channels of every plot the composite makes
constexpr unsigned kPlotSamples = 86400;     // samples per channel: a day of seconds
constexpr int kMaxDecimatedVertices = 5000;  // vertices a channel yields at most
constexpr int kVertexCapacity = 5005;        // with the two closing vertices, and spare
constexpr int kChannelTextBytes = 20;        // name and unit: 19 bytes and a terminator

}  // namespace ws
