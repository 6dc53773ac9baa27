#include "screen/base_panel.h"

#include <QPainter>

#include <algorithm>

#include "screen/indicator.h"
#include "widgets/draw_toolkit.h"
#include "widgets/fnd.h"

namespace ws {

namespace {

// Offsets of the readout: room for the unit right of the digits, or the whole
// width for the dashes of a silent logger.
constexpr float kValueOffsetX = -0.25f;
constexpr float kOffsetY = 0.05f;
// The readout's digits are sized by its height: above this height-to-width
// ratio "88.8" and the unit no longer fit beside each other.
constexpr double kMaxValueAspect = 0.45;

}  // namespace

CBasePanel::CBasePanel(QWidget* parent) : QWidget(parent) {
  m_State.fill(kNormal);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QString CBasePanel::SpeedUnit() const {
  return m_pSettings ? QString::fromStdString(FieldUtf8(m_pSettings->speedUnit)) : QString();
}

void CBasePanel::MakeTiles(int count) {
  // Stacks that come into use show nothing of what they showed when last in use
  // until their loggers answer.
  for (int i = TileCount(); i < count; ++i) {
    m_Direction[static_cast<size_t>(i)] = 0.0f;
    m_Speed[static_cast<size_t>(i)] = 0.0f;
  }
  for (CIndicator* tile : m_Tiles) delete tile;
  m_Tiles.clear();
  m_TileRects.fill(QRect());
  for (int i = 0; i < count; ++i) {
    auto* tile = new CIndicator(kTileIdBase + i, this);
    tile->Setup(QString(), QString(), false, false, true, 1);
    CFnd* fnd = tile->ValueDisplay();
    fnd->m_FontFamily = m_FontFamily;
    fnd->m_bReady = true;
    tile->SetProportions(0, 0.99, 0.35, 0.65, 0.2, 0.9, 0.2);
    tile->SetBodyColour(0xFFFFFF);
    tile->m_FrameColor = ColorScale(0xBC7200, -0.2f);
    tile->m_bColourPicking = false;
    fnd->m_OffsetX = kValueOffsetX;
    fnd->m_OffsetY = kOffsetY;
    tile->m_nCornerRadius = 0;
    tile->m_dMaxValueAspect = kMaxValueAspect;
    tile->m_dFooterFraction = kFooterFraction;
    tile->m_strWidestStateWord = StateWord(kBusy);
    // Never placed until a layout gives it a cell (the grid may hold fewer cells).
    tile->setGeometry(QRect());
    connect(tile, &CIndicator::notify, this, &CBasePanel::OnTileNotify);
    tile->show();
    m_Tiles.push_back(tile);
    m_State[static_cast<size_t>(i)] = kNormal;
    m_BusyKind[static_cast<size_t>(i)] = BusyKind::kDump;
  }
}

QString CBasePanel::StateWord(int state, BusyKind busy) {
  switch (state) {
    case kNoCommunication: return QStringLiteral("NO COMM");
    case kAlarm: return QStringLiteral("ALARM");
    case kStop: return QStringLiteral("STOP");
    case kTrip: return QStringLiteral("TRIP");
    case kBusy: return busy == BusyKind::kUpload ? QStringLiteral("UPLOAD") : QStringLiteral("DUMPING");
    default: return QString();
  }
}

void CBasePanel::SetBusyKind(int stack, BusyKind kind) {
  if (stack < 0 || stack >= kMaxStacks) return;
  m_BusyKind[static_cast<size_t>(stack)] = kind;
}

void CBasePanel::SetSettings(const Settings& settings) {
  m_pSettings = &settings;
  const int count = std::clamp(settings.stackCount, 0, kMaxStacks);
  if (count != TileCount()) MakeTiles(count);
  const QString unit = SpeedUnit();
  for (int i = 0; i < TileCount(); ++i) {
    CIndicator* tile = m_Tiles[static_cast<size_t>(i)];
    const QString title = QString::fromStdString(FieldUtf8(settings.stacks[static_cast<size_t>(i)].title));
    tile->setWindowTitle(title);
    tile->m_strTitle = title;
    tile->ValueDisplay()->SetUnit(unit);
  }
  Layout();
  Refresh();
}

int CBasePanel::GridColumns() const {
  // The grid sizes come from the configuration file: never divide by zero.
  return m_pSettings ? std::max(1, static_cast<int>(m_pSettings->gridColumns) + 1) : 1;
}

int CBasePanel::GridRows() const {
  if (!m_pSettings) return 1;
  const int configured = std::max(1, static_cast<int>(m_pSettings->gridRows) + 1);
  // A stack without a cell would still alarm with no tile to open it by: the
  // grid takes as many more rows as the stacks need.
  const int columns = GridColumns();
  const int needed = (TileCount() + columns - 1) / columns;
  return std::max(configured, needed);
}

void CBasePanel::Layout() {
  if (!m_pSettings) return;
  const int w = width();
  const int h = height();
  const int columns = GridColumns();
  const int rows = GridRows();
  const int cw = w / columns;
  const int ch = h / rows;
  const int gx = (cw / columns) / 2;
  const int gy = (ch / rows) / 2;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const int k = r * columns + c;
      if (k >= TileCount()) continue;
      const QRect place(c * cw + gx / 2, r * ch, cw - gx, ch - gy);
      m_TileRects[static_cast<size_t>(k)] = place;
      m_Tiles[static_cast<size_t>(k)]->setGeometry(place);
      m_Tiles[static_cast<size_t>(k)]->Layout();
    }
  }
  update();
}

void CBasePanel::SetState(int stack, int state) {
  if (stack < 0 || stack >= TileCount()) return;
  if (m_pSettings && stack >= m_pSettings->stackCount) return;
  m_State[static_cast<size_t>(stack)] = state;
  CIndicator* tile = m_Tiles[static_cast<size_t>(stack)];
  CFnd* fnd = tile->ValueDisplay();
  tile->SetStateWord(StateWord(state, m_BusyKind[static_cast<size_t>(stack)]));
  // A busy logger is neither silent nor measured: a word in place of the digits.
  const bool busy = state == kBusy;
  if (fnd->m_bFixedText != busy) {
    fnd->m_bFixedText = busy;
    fnd->m_FixedText = busy ? QString::fromLatin1(kBusyText) : QString();
    fnd->update();
  }
  if (state == kNoCommunication || busy) {
    tile->SetBodyColour(0xFFFFFF);
    if (!fnd->m_bNoData) {
      fnd->m_OffsetX = 0.0f;
      fnd->m_OffsetY = kOffsetY;
      fnd->SetUnit(QString());
      fnd->m_bNoData = true;
      fnd->repaint();
    }
    return;
  }
  const QString unit = SpeedUnit();
  if (fnd->m_bNoData || fnd->m_Unit != unit || fnd->m_OffsetX != kValueOffsetX) fnd->update();
  fnd->m_OffsetX = kValueOffsetX;
  fnd->m_OffsetY = kOffsetY;
  fnd->SetUnit(unit);
  fnd->m_bNoData = false;
  ColorRef body = 0xFFFFFF;
  if (m_pSettings) {
    if (state == kAlarm) body = m_pSettings->alarmColour;
    if (state == kStop) body = m_pSettings->stopColour;
    if (state == kTrip) body = m_pSettings->tripColour;
  }
  tile->SetBodyColour(body);
  tile->ShowValue(m_Speed[static_cast<size_t>(stack)]);
}

void CBasePanel::SetDirectionSpeed(int stack, float direction, float speed) {
  if (stack < 0 || stack >= kMaxStacks) return;
  m_Direction[static_cast<size_t>(stack)] = direction;
  m_Speed[static_cast<size_t>(stack)] = speed;
}

void CBasePanel::Refresh() {
  for (int i = 0; i < TileCount(); ++i) SetState(i, m_State[static_cast<size_t>(i)]);
}

CIndicator* CBasePanel::Tile(int stack) const {
  if (stack < 0 || stack >= TileCount()) return nullptr;
  return m_Tiles[static_cast<size_t>(stack)];
}

int CBasePanel::State(int stack) const {
  if (stack < 0 || stack >= kMaxStacks) return 0;
  return m_State[static_cast<size_t>(stack)];
}

QRect CBasePanel::TileRect(int stack) const {
  if (stack < 0 || stack >= kMaxStacks) return {};
  return m_TileRects[static_cast<size_t>(stack)];
}

void CBasePanel::OnTileNotify(int id, int /*code*/) {
  const int index = id - kTileIdBase;
  if (index >= 0 && index < TileCount() && (!m_pSettings || index < m_pSettings->stackCount)) {
    emit showStack(kPanelId, index);
  }
}

void CBasePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(m_BackColor));
}

void CBasePanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Layout();
}

}  // namespace ws
