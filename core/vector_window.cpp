#include "core/vector_window.h"

#include <algorithm>
#include <cmath>

namespace ws {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kRadPerDeg = kPi / 180.0;
constexpr double kDegPerRad = 180.0 / kPi;
}  // namespace

VectorWindow::VectorWindow(int n) : m_n(std::clamp(n, 1, kCapacity)) { Reset(); }

void VectorWindow::Push(double w, double angleDegrees) {
  std::copy(m_entries.begin() + 1, m_entries.begin() + m_n, m_entries.begin());
  const double a = angleDegrees * kRadPerDeg;
  m_entries[static_cast<size_t>(m_n - 1)] = Entry{w * std::cos(a), w * std::sin(a), w};
  Recompute();
}

void VectorWindow::Reset() {
  for (int i = 0; i < m_n; ++i) m_entries[static_cast<size_t>(i)] = Entry{1.0, 0.0, 1.0};
  m_X = 1.0;
  m_Y = 0.0;
  m_W = m_n;
  m_D = 0.0;
}

void VectorWindow::Recompute() {
  double w = 0.0;
  double sx = 0.0;
  double sy = 0.0;
  for (int i = 0; i < m_n; ++i) {
    const Entry& e = m_entries[static_cast<size_t>(i)];
    w += e.w;
    sx += e.x * e.w;
    sy += e.y * e.w;
  }
  m_W = w;
  m_X = sx / w;
  m_Y = sy / w;
  // atan2(X, Y) is the angle of the vector (Y, X): 90 degrees minus the compass
  // angle, hence 450 minus it gives the compass direction before the wrap.
  double d = static_cast<float>(360.0 - std::atan2(m_X, m_Y) * kDegPerRad + 90.0);
  if (d >= 360.0) d -= 360.0;
  if (d < 0.0) d += 360.0;
  m_D = d;
}

}  // namespace ws
