// The widget gallery: named render functions that each draw one widget family in
// its main states and save every state as OUTDIR/<name>.png.
#pragma once

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>

#include <span>

#include "widgets/display_fonts.h"

namespace ws::gallery {

class Gallery {
 public:
  Gallery(const QDir& outDir, const DisplayFonts& fonts) : m_OutDir(outDir), m_Fonts(fonts) {}

  const DisplayFonts& Fonts() const { return m_Fonts; }

  // Saves the image as <name>.png; a failure is counted and reported at the end.
  void Save(const QString& name, const QImage& image);

  // The image composited over a flat panel colour, for widgets that draw over
  // their parent's pixels.
  static QImage OnPanel(const QImage& image, const QColor& panel);

  int Saved() const { return m_Saved; }
  int Failures() const { return m_Failures; }

 private:
  QDir m_OutDir;
  const DisplayFonts& m_Fonts;
  int m_Saved = 0;
  int m_Failures = 0;
};

using RenderFn = void (*)(Gallery&);

struct Entry {
  const char* name;
  RenderFn render;
};

// Every widget family of the gallery, in the order they are rendered.
std::span<const Entry> Entries();

// Render functions, one per widget family (gallery_<family>.cpp).
void RenderReadouts(Gallery& gallery);  // CFnd, CLcd
void RenderLights(Gallery& gallery);    // CLed, CLamp
void RenderTextBoxes(Gallery& gallery); // CNexText
void RenderValueRows(Gallery& gallery); // CSpecDisplay
void RenderSplitters(Gallery& gallery); // CSplitterBar
void RenderGauges(Gallery& gallery);    // CAnalogGauge, CNexButton, CMultiButton, icons
void RenderChart(Gallery& gallery);     // CGraphScale, CGraph, CScaleBar
void RenderGrids(Gallery& gallery);     // CGridCtrl
void RenderDumpWindows(Gallery& gallery);  // CCalendar, CProgress
void RenderWindRoses(Gallery& gallery);    // CWindRose
void RenderAlarmInfo(Gallery& gallery);    // CAlarmDlg, CInfoDlg
void RenderOverview(Gallery& gallery);     // CBasePanel, CIndicator
void RenderConfigDialog(Gallery& gallery);  // CConfig
void RenderHistory(Gallery& gallery);       // CHistoryDlg

}  // namespace ws::gallery
