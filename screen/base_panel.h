// CBasePanel, the overview of all stacks: one CIndicator tile per stack in a
// grid of gridColumns + 1 columns and gridRows + 1 rows, in stack order, each
// showing the stack's speed coloured by its state, or dashes while its logger
// is silent. Under the readout each tile names its stack (the title) and its
// state as a word, so that the overview reads the same without telling colours
// apart. A click on a tile asks the main window to open that stack. When
// the grid has fewer cells than there are stacks it takes more rows, so that
// every stack has a tile.
#pragma once

#include <QRect>
#include <QWidget>

#include <array>
#include <vector>

#include "core/colour_math.h"
#include "core/settings.h"

namespace ws {

class CIndicator;

class CBasePanel : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPanelId = 10051;
  static constexpr int kTileIdBase = 20100;
  // Tile states (AlarmLevel): as the runtime reports them. kBusy: the stack's
  // link carries a day dump or a firmware upload; the tile shows kBusyText.
  enum State : int { kNoCommunication = 1, kNormal = 2, kAlarm = 3, kStop = 4, kTrip = 5, kBusy = 6 };
  static constexpr const char* kBusyText = "BUSY";
  // What a busy stack's link carries, for the word under its readout.
  enum class BusyKind { kDump, kUpload };
  // Share of the tile height under the readout for the title and the state word.
  static constexpr double kFooterFraction = 0.2;

  // The word a tile shows for its state: "NO COMM", "ALARM", "STOP", "TRIP",
  // "DUMPING" or "UPLOAD" while busy, and nothing for normal.
  static QString StateWord(int state, BusyKind busy = BusyKind::kDump);

  explicit CBasePanel(QWidget* parent = nullptr);

  // The seven-segment family (not owned) and the panel fill.
  void SetDisplayFont(const QString& family) { m_FontFamily = family; }
  void SetBackgroundColour(ColorRef colour) { m_BackColor = colour; }

  // Keeps the reference, remakes the tiles when the stack count changed, gives
  // every tile its title and unit, lays out and applies every stored state.
  void SetSettings(const Settings& settings);
  // Stores and shows a stack's state; out-of-range stacks are ignored.
  void SetState(int stack, int state);
  void SetDirectionSpeed(int stack, float direction, float speed);
  // What the stack's link carries while it is busy (a dump unless told).
  void SetBusyKind(int stack, BusyKind kind);
  // Applies every stack's stored state again.
  void Refresh();

  int TileCount() const { return static_cast<int>(m_Tiles.size()); }
  CIndicator* Tile(int stack) const;
  int State(int stack) const;
  // The rectangle each tile got at the last layout.
  QRect TileRect(int stack) const;
  // The grid as laid out: the configured columns, and the configured rows or
  // as many as the stacks need, whichever is more.
  int GridColumns() const;
  int GridRows() const;

 signals:
  // Message 0x480: show stack `stack`.
  void showStack(int panelId, int stack);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void MakeTiles(int count);
  void Layout();
  void OnTileNotify(int id, int code);
  QString SpeedUnit() const;

  const Settings* m_pSettings = nullptr;
  QString m_FontFamily;
  ColorRef m_BackColor = 0x4C3F38;
  std::vector<CIndicator*> m_Tiles;  // children of the panel
  std::array<int, kMaxStacks> m_State{};
  std::array<float, kMaxStacks> m_Direction{};
  std::array<float, kMaxStacks> m_Speed{};
  std::array<QRect, kMaxStacks> m_TileRects{};
  std::array<BusyKind, kMaxStacks> m_BusyKind{};
};

}  // namespace ws
