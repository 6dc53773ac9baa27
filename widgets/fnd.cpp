#include "widgets/fnd.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "core/format_fixed.h"
#include "widgets/draw_toolkit.h"
#include "widgets/lit_figures.h"

namespace ws {

namespace {

// The seven-segment face shipped with the program is wider than the cell the
// display lays out (half an em), so every glyph is fitted: its digit advance is
// squeezed onto the cell and its height to 80 % of the em, a tenth of the em below
// the top.
constexpr qreal kInkHeight = 0.8;
constexpr qreal kInkTop = 0.1;

}  // namespace

CFnd::CFnd(QWidget* parent) : QWidget(parent) {}

void CFnd::Init(bool glow, int decimals) {
  m_bGlow = glow;
  m_nDecimals = decimals;
  m_DigitColor = m_EdgeColor = m_BackColor = 0x000000;
  m_bDuration = m_bFixedText = false;
  m_bError = m_bOver = m_bNoData = false;
  m_Unit.clear();
  m_OffsetX = m_OffsetY = 0.0f;
  m_SizeFraction = 1.0;
  m_rcClient = rect();
}

void CFnd::SetColor(ColorRef colour) {
  m_DigitColor = colour;
  m_EdgeColor = ColorAdd(colour, -64);
}

void CFnd::SetValue(double value) {
  m_Value = value;
  m_bError = false;
  m_bOver = false;
  if (m_bReady) repaint();
}

void CFnd::SetText(const QString& text) {
  m_FixedText = text;
  repaint();
}

QString CFnd::DisplayText() {
  QString text;
  if (m_bError) {
    text = QStringLiteral("ERROR");
  } else if (m_bNoData) {
    text = QStringLiteral("------------");
  } else if (m_bOver) {
    text = QStringLiteral("OVER");
  } else if (m_bDuration) {
    const double v = std::isfinite(m_Value) ? m_Value : 0.0;
    // Durations beyond the int range cannot be shown; they saturate.
    auto whole = [](double x) {
      return static_cast<long long>(std::clamp(std::trunc(x), -9.0e15, 9.0e15));
    };
    const long long h = whole(v / 3600);
    const long long m = whole(v / 60) % 60;
    const long long s = whole(v) % 60;
    switch (m_DurationFormat) {
      case 'm': {
        // A fraction that would round up to 1000 stays at .999: the seconds were
        // already counted down, so "5.1000" must not appear.
        const double ms = std::min(std::abs(std::fmod(v * 1000.0, 1000.0)), 999.0);
        text = QString::fromStdString(FormatC("%lld:%02lld:%02lld.%03.0f", h, m, s, ms));
        break;
      }
      case 'M':
        text = QString::fromStdString(FormatC("%lld:%02lld", h, m));
        break;
      case 'H':
        text = QString::fromStdString(FormatC("%lld", h));
        break;
      default:
        text = QString::fromStdString(FormatC("%lld:%02lld:%02lld", h, m, s));
        break;
    }
  } else {
    m_nDecimals = std::clamp(m_nDecimals, 0, 5);
    text = QString::fromStdString(FormatFixed(m_nDecimals, m_Value));
  }
  if (m_bFixedText) text = m_FixedText;
  return text;
}

std::vector<CFnd::Cell> CFnd::LayoutCells(const QString& text, qreal width, qreal offsetX,
                                          int pitch, bool fixedTextMode) {
  std::vector<Cell> cells(static_cast<size_t>(text.size()));
  const int narrow = pitch - 4 * pitch / 5;
  qreal advanced = 0;
  for (qsizetype i = text.size() - 1; i >= 0; --i) {
    const QChar ch = text[i];
    const qreal anchor = width * (1.0 + offsetX) - advanced;
    const bool tight = !fixedTextMode && (ch == u'.' || ch == u':');
    const int cellWidth = tight ? narrow : pitch;
    cells[static_cast<size_t>(i)] = Cell{ch, anchor - cellWidth, anchor};
    advanced += cellWidth;
  }
  return cells;
}

namespace {

// A lit glyph as FillLitFigures paints it (glow and radial fill), kept as an
// image: an overview repaints a hundred readouts twice a second, and the few
// characters, sizes and colours they show repeat. Drawing SourceOver is
// associative, so blitting the glyph's image gives the same pixels as
// painting its figures in place (positions are kept to an eighth of a pixel).
struct LitGlyphKey {
  QString family;
  char16_t ch = 0;
  qint64 em = 0;      // em x 64
  qint64 scaleX = 0;  // sx x 4096
  int phaseX = 0;     // eighths of a pixel
  int phaseY = 0;
  ColorRef digit = 0;
  ColorRef edge = 0;
  bool glow = false;
  bool operator==(const LitGlyphKey&) const = default;
};

size_t qHash(const LitGlyphKey& k, size_t seed = 0) {
  return qHashMulti(seed, k.family, k.ch, k.em, k.scaleX, k.phaseX, k.phaseY, k.digit, k.edge, k.glow);
}

struct LitGlyph {
  QImage image;
  QPoint offset;  // of the image's top-left from the glyph's whole-pixel origin
};

constexpr int kLitGlyphCacheLimit = 600;

QHash<LitGlyphKey, LitGlyph>& LitGlyphCache() {
  static QHash<LitGlyphKey, LitGlyph> cache;
  return cache;
}

// `path`: the glyph fitted at the sub-pixel phase, origin (0, 0).
LitGlyph RenderLitGlyph(const QPainterPath& path, bool glow, ColorRef digit, ColorRef edge) {
  const QRectF ink = path.boundingRect();
  // A glow grows each figure by at most 1.8 about its own centre.
  const qreal grow = glow ? 0.45 * std::max(ink.width(), ink.height()) + 2 : 2;
  const QRect box = ink.adjusted(-grow, -grow, grow, grow).toAlignedRect();
  LitGlyph lit;
  lit.offset = box.topLeft();
  lit.image = QImage(std::max(1, box.width()), std::max(1, box.height()), QImage::Format_ARGB32_Premultiplied);
  lit.image.fill(Qt::transparent);
  QPainter painter(&lit.image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.translate(-box.topLeft());
  FillLitFigures(painter, path, glow, digit, edge);
  return lit;
}

}  // namespace

QImage CFnd::Render() {
  m_rcClient = rect();
  const int w = std::max(1, m_rcClient.width());
  const int h = std::max(1, m_rcClient.height());
  QImage image = ReadoutFace(w, h, m_BackColor, 70, 120);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QString text = DisplayText();
  const qreal em = h * m_SizeFraction;
  const int pitch = static_cast<int>(em * 0.5);
  if (!m_FontFamily.isEmpty() && em > 0 && pitch > 0) {
    const QFontMetricsF metrics(MakeFont(m_FontFamily, 100, kTextItalic));
    const qreal digitAdvance = metrics.horizontalAdvance(QLatin1Char('8')) * em / 100;
    const qreal sx = digitAdvance > 0 ? pitch / digitAdvance : 1.0;
    const qreal top = h * static_cast<qreal>(m_OffsetY);
    QHash<LitGlyphKey, LitGlyph>& cache = LitGlyphCache();
    for (const Cell& cell : LayoutCells(text, w, m_OffsetX, pitch, m_bFixedText)) {
      if (cell.ch == u' ') continue;
      QPainterPath glyph;
      AddStringPath(glyph, m_FontFamily, kTextItalic, em, QString(cell.ch), QPointF(0, 0),
                    Qt::AlignLeft | Qt::AlignTop);
      if (glyph.isEmpty()) continue;
      const qreal advance = metrics.horizontalAdvance(cell.ch) * em / 100 * sx;
      qreal dx = cell.right - advance;
      if (cell.ch == u'.' || cell.ch == u':') {
        // These faces give the point and colon no advance of their own: centre the ink.
        const QRectF ink = glyph.boundingRect();
        dx = (cell.left + cell.right) / 2 - (ink.left() + ink.right()) / 2 * sx;
      }
      const qreal dy = top + kInkTop * em;
      const qreal wholeX = std::floor(dx);
      const qreal wholeY = std::floor(dy);
      LitGlyphKey key;
      key.family = m_FontFamily;
      key.ch = cell.ch.unicode();
      key.em = std::llround(em * 64);
      key.scaleX = std::llround(sx * 4096);
      key.phaseX = static_cast<int>(std::lround((dx - wholeX) * 8));
      key.phaseY = static_cast<int>(std::lround((dy - wholeY) * 8));
      key.digit = m_DigitColor;
      key.edge = m_EdgeColor;
      key.glow = m_bGlow;
      auto it = cache.find(key);
      if (it == cache.end()) {
        if (cache.size() >= kLitGlyphCacheLimit) cache.clear();
        const QTransform fit(sx, 0, 0, kInkHeight, key.phaseX / 8.0, key.phaseY / 8.0);
        it = cache.insert(key, RenderLitGlyph(fit.map(glyph), m_bGlow, m_DigitColor, m_EdgeColor));
      }
      painter.drawImage(QPointF(wholeX + it->offset.x(), wholeY + it->offset.y()), it->image);
    }
  }

  if (!m_Unit.isEmpty()) {
    QPainterPath unit;
    AddStringPath(unit, QStringLiteral("Arial"), kTextBold, h / 3.0, m_Unit, QPointF(w, h - 2),
                  Qt::AlignRight | Qt::AlignBottom);
    painter.fillPath(unit, Qt::white);
  }
  painter.end();
  return image;
}

void CFnd::paintEvent(QPaintEvent* event) {
  if (!m_bReady) {
    QWidget::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

}  // namespace ws
