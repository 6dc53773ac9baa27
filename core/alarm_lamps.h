// The three on-screen signal lamps (green, yellow, red) next to the command bar:
// which are lit for an alarm level, and the one-hertz blink of an
// unacknowledged alarm.
#pragma once

namespace ws {

struct LampStates {
  bool green = false;
  bool yellow = false;
  bool red = false;

  friend bool operator==(const LampStates&, const LampStates&) = default;
};

// The steady lamps of a level: 3 yellow and red, 2 red, 1 yellow, 0 (or any
// other value) green alone.
LampStates LampsForLevel(int level);

// The 200 ms blink rule: while an alarm is unacknowledged, red and yellow are
// off in the second half of every second (milliseconds 500..999); otherwise red
// is on for level 2 or 3 and yellow for level 1 or 3. Green is left as it is.
LampStates BlinkLamps(LampStates current, int level, bool unacknowledged, int milliseconds);

// The lamps as the main window shows them. Green is set only by a raise, an
// acknowledgement and the lamp tower's link; red and yellow also by the blink.
class AlarmLamps {
 public:
  const LampStates& State() const { return m_state; }

  // A raised level or an acknowledgement shows the level steadily.
  void ShowLevel(int level) { m_state = LampsForLevel(level); }

  // Every 200 ms.
  void Blink(int level, bool unacknowledged, int milliseconds) {
    m_state = BlinkLamps(m_state, level, unacknowledged, milliseconds);
  }

  // Every second while the lamp tower is disabled; the next blink lights red and
  // yellow again as the level asks.
  void AllOff() { m_state = LampStates{}; }

  // The lamp tower answered: green is lit exactly when no level is raised.
  void LampTowerReplied(int level) { m_state.green = level == 0; }

  // The lamp tower stayed silent and is being reconnected.
  void LampTowerLost() { m_state.green = false; }

 private:
  LampStates m_state;
};

}  // namespace ws
