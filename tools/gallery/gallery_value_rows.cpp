// Gallery pages of the value rows and the splitter bar.
#include <QPainter>

#include <memory>

#include "tools/gallery/gallery.h"
#include "widgets/fnd.h"
#include "widgets/spec_display.h"
#include "widgets/splitter_bar.h"

namespace ws::gallery {

namespace {

constexpr QRgb kPanel = 0xFF202830;

std::unique_ptr<CSpecDisplay> MakeRow(const QString& caption, const QString& value,
                                      const QString& unit) {
  auto row = std::make_unique<CSpecDisplay>();
  row->resize(320, 36);
  row->Setup(0xFFFFFF, 0x000000);
  row->m_strCaption = caption;
  row->m_strValue = value;
  row->m_strUnit = unit;
  row->m_dCaptionFraction = 0.45;
  row->m_dValueFraction = 0.4;
  row->Layout();
  return row;
}

}  // namespace

void RenderValueRows(Gallery& gallery) {
  auto normal = MakeRow(QStringLiteral("1 Min AVG"), QStringLiteral("12.3"), QStringLiteral("m/s"));
  gallery.Save("spec_normal", Gallery::OnPanel(normal->Render(), QColor::fromRgba(kPanel)));

  auto square = MakeRow(QStringLiteral("Day MAX"), QStringLiteral("27.9"), QStringLiteral("m/s"));
  square->m_nValueRadius = 0;
  square->m_bValueFrame = true;
  square->m_nValueAlign = CSpecDisplay::kAlignRight;
  square->m_bUnderline = true;
  square->m_UnderlineColor = 0x00FFFF;
  gallery.Save("spec_square_box", Gallery::OnPanel(square->Render(), QColor::fromRgba(kPanel)));

  auto disabled = MakeRow(QStringLiteral("10 Min AVG"), QStringLiteral("8.0"), QStringLiteral("m/s"));
  disabled->setEnabled(false);
  gallery.Save("spec_disabled", Gallery::OnPanel(disabled->Render(), QColor::fromRgba(kPanel)));

  auto stacked = MakeRow(QStringLiteral("Direction"), QStringLiteral("247"), QStringLiteral("deg"));
  stacked->resize(160, 64);
  stacked->m_bStacked = true;
  stacked->m_dValueFraction = 0.7;
  stacked->m_strCaption2.clear();
  stacked->m_bCaptionGradient = true;
  stacked->Layout();
  gallery.Save("spec_stacked", Gallery::OnPanel(stacked->Render(), QColor::fromRgba(kPanel)));

  auto captionOnly = MakeRow(QStringLiteral("Alarm"), QStringLiteral("hidden"), QString());
  captionOnly->m_dCaptionFraction = 1.0;
  captionOnly->m_strCaption2 = QStringLiteral("second line");
  captionOnly->resize(200, 48);
  captionOnly->Layout();
  gallery.Save("spec_caption_only", Gallery::OnPanel(captionOnly->Render(), QColor::fromRgba(kPanel)));

  // Numeric mode: the embedded readout sits over the value area.
  QWidget host;
  host.resize(320, 40);
  auto* numeric = new CSpecDisplay(&host);
  numeric->setGeometry(0, 0, 320, 40);
  numeric->Setup(0xFFFFFF, 0x000000);
  numeric->m_strCaption = QStringLiteral("1 Hour AVG");
  numeric->m_strUnit = QStringLiteral("m/s");
  numeric->m_dCaptionFraction = 0.45;
  numeric->m_dValueFraction = 0.4;
  auto* fnd = new CFnd(&host);
  fnd->Init(true, 1);
  fnd->SetColor(0x00FF00);
  fnd->m_FontFamily = gallery.Fonts().Family(DisplayFonts::kFndSlot);
  fnd->m_SizeFraction = 0.9;
  fnd->m_bReady = true;
  numeric->m_pFnd = fnd;
  numeric->m_bNumeric = true;
  numeric->m_nDecimals = 2;
  numeric->Layout();
  numeric->SetValue(15.25f);
  QImage combined = Gallery::OnPanel(numeric->Render(), QColor::fromRgba(kPanel));
  {
    QPainter painter(&combined);
    painter.drawImage(fnd->pos(), fnd->Render());
  }
  gallery.Save("spec_numeric", combined);
}

void RenderSplitters(Gallery& gallery) {
  for (bool horizontal : {false, true}) {
    CSplitterBar bar;
    bar.m_bHorizontal = horizontal;
    bar.m_FillColor = 0x82614F;
    bar.m_FrameColor = 0x000000;
    bar.resize(horizontal ? 200 : 10, horizontal ? 10 : 120);
    gallery.Save(horizontal ? "splitter_horizontal" : "splitter_vertical", bar.grab().toImage());
  }
}

}  // namespace ws::gallery
