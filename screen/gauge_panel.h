// CGaugePanel, the view of one stack: DIRECTION and SPEED dials above a movable
// splitter, and below it the value boxes of the 1-minute to 1-day mean
// directions and speeds, the day's maximum with its time, and a clock. A stack
// without a direction sensor gets only the speed dial, centred.
#pragma once

#include <QRect>
#include <QWidget>

#include <array>

#include "core/colour_math.h"
#include "core/settings.h"
#include "core/statistics_cascade.h"
#include "core/system_time.h"

namespace ws {

class CAnalogGauge;
class CNexText;
class CSpecDisplay;
class CSplitterBar;

class CGaugePanel : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPanelId = 10052;
  static constexpr int kDirectionDialId = 50000;
  static constexpr int kSpeedDialId = 50001;
  static constexpr int kSplitterId = 50002;
  static constexpr int kBoxIdBase = 30000;  // 30000..30009
  static constexpr int kClockId = 10001;
  // Box indexes (identifier - kBoxIdBase).
  enum Box : int {
    kDirection1Min = 0, kDirection10Min, kDirection1Hour, kDirection1Day,
    kSpeed1Min, kSpeed10Min, kSpeed1Hour, kSpeed1Day,
    kMaximum, kMaximumTime,
    kBoxCount
  };

  explicit CGaugePanel(QWidget* parent = nullptr);

  // Creates the dials, the splitter, the ten boxes and the clock.
  void Build(ColorRef background, const QString& digitFamily);
  // The live record, read for the scale, the colours, the direction sensors and
  // the split ratio; it must outlive the panel. The panel never writes it: a moved
  // splitter goes out with splitRatioChanged.
  void SetSettings(const Settings& settings);
  // Stores the stack and lays out for it (with or without a direction sensor).
  void ShowStack(int stack);
  int Stack() const { return m_nStack; }

  // A reading of the shown stack: both needles and readouts follow it.
  void Needles(float direction, float speed);
  // The shown stack has no reading to show (its logger is silent, or has not
  // answered since the station started): no needles, dashes in the readouts, as
  // its tile shows dashes. The next Needles brings them back.
  void NoNeedles();
  bool ShowsNeedles() const;
  // After averaging step k (0..3), or every box (k = -1) when a stack is opened.
  void Refresh(int k, const StackAverages& averages);
  void SetClock(const SystemTime& now);

  // The split ratio the layout uses: the stored one, or 0.7 outside (0, 1).
  double SplitRatio() const;
  // The splitter was released at screen row p: the ratio within the panel
  // (clamped to the drag band) goes out with splitRatioChanged, for the owner to
  // store; then the panel lays out again with the stored ratio.
  void OnSplitterMoved(int id, int p);

  CAnalogGauge* DirectionDial() const { return m_pDirection; }
  CAnalogGauge* SpeedDial() const { return m_pSpeed; }
  CSplitterBar* Splitter() const { return m_pSplitter; }
  CSpecDisplay* ValueBox(int box) const { return m_Boxes[static_cast<size_t>(box)]; }
  CNexText* ClockBox() const { return m_pClock; }

 signals:
  // The operator moved the splitter: the new ratio, within (0, 1).
  void splitRatioChanged(double ratio);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Layout();
  bool HasDirection() const;

  const Settings* m_pSettings = nullptr;
  ColorRef m_BackColor = 0x4C3F38;
  QString m_DigitFamily;
  int m_nStack = 0;
  bool m_bReady = false;
  CAnalogGauge* m_pDirection = nullptr;
  CAnalogGauge* m_pSpeed = nullptr;
  CSplitterBar* m_pSplitter = nullptr;
  std::array<CSpecDisplay*, kBoxCount> m_Boxes{};
  CNexText* m_pClock = nullptr;
};

}  // namespace ws
