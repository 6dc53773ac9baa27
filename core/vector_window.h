// Sliding window of weighted direction vectors whose mean direction is the
// averaged wind direction of one period (1 minute, 10 minutes, 1 hour, 1 day).
#pragma once

#include <array>
#include <cstddef>

namespace ws {

// A fixed-capacity window of n (x, y, w) entries, oldest first. Nothing is
// allocated after construction. Angles are in degrees, 0 = north, clockwise
// as the logger reports them; the mean direction D lies in [0, 360).
class VectorWindow {
 public:
  static constexpr int kCapacity = 24;

  // n is clamped to 1..kCapacity. A new window is in the reset state.
  explicit VectorWindow(int n = kCapacity);

  // Drops the oldest entry, appends (w cos a, w sin a, w) and recomputes.
  void Push(double w, double angleDegrees);

  // Every entry becomes the unit vector of north with weight 1; D becomes 0.
  void Reset();

  int Size() const { return m_n; }
  double X() const { return m_X; }
  double Y() const { return m_Y; }
  double W() const { return m_W; }
  // Mean direction in degrees, rounded through single precision.
  double D() const { return m_D; }

  struct Entry {
    double x = 0.0;
    double y = 0.0;
    double w = 0.0;
  };
  const Entry& At(int index) const { return m_entries[static_cast<std::size_t>(index)]; }

 private:
  void Recompute();

  int m_n;
  std::array<Entry, kCapacity> m_entries{};
  double m_X = 0.0;
  double m_Y = 0.0;
  double m_W = 0.0;
  double m_D = 0.0;
};

}  // namespace ws
