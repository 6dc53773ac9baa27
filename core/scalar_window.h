// Sliding window of single-precision speeds whose mean is the averaged wind
// speed of one period (1 minute, 10 minutes, 1 hour, 1 day).
#pragma once

#include <array>
#include <cstddef>

namespace ws {

// A fixed-capacity window of n float entries, oldest first, and their mean M.
// Nothing is allocated after construction. A new window starts cleared.
class ScalarWindow {
 public:
  static constexpr int kCapacity = 24;

  // n is clamped to 1..kCapacity.
  explicit ScalarWindow(int n = kCapacity);

  // Drops the oldest entry, appends v and sets M to the mean of all n entries
  // (the cleared ones count as 0).
  void Push(float v);

  // Every entry becomes 0 and M = 0.
  void Clear();

  int Size() const { return m_n; }
  double M() const { return m_M; }
  float At(int index) const { return m_values[static_cast<std::size_t>(index)]; }

 private:
  int m_n;
  std::array<float, kCapacity> m_values{};
  double m_M = 0.0;
};

}  // namespace ws
