#include "core/scalar_window.h"

#include <algorithm>

namespace ws {

ScalarWindow::ScalarWindow(int n) : m_n(std::clamp(n, 1, kCapacity)) { Clear(); }

void ScalarWindow::Push(float v) {
  std::copy(m_values.begin() + 1, m_values.begin() + m_n, m_values.begin());
  m_values[static_cast<size_t>(m_n - 1)] = v;
  double sum = 0.0;
  for (int i = 0; i < m_n; ++i) sum += static_cast<double>(m_values[static_cast<size_t>(i)]);
  m_M = sum / m_n;
}

void ScalarWindow::Clear() {
  m_values.fill(0.0f);
  m_M = 0.0;
}

}  // namespace ws
