// Live wind for one simulated logger: a mean speed drifting between 5 and
// 20 m/s with gusts and turbulence, and a slowly wandering direction. A held
// speed overrides the model so a logger can be pushed past an alarm level.
#pragma once

#include <cstdint>
#include <optional>
#include <random>

namespace ws {

struct SimReading {
  float direction = 0;  // degrees, 0 <= d < 360
  float speed = 0;      // m/s
};

class SimWind {
 public:
  explicit SimWind(uint32_t seed);

  // The reading at `seconds` on a monotonic clock. The model advances in
  // half-second steps from the previous call; time going backwards is ignored.
  SimReading At(double seconds);

  // Holds the speed near `speed` (within 0.4) until Release().
  void Hold(double speed) { m_held = speed; }
  void Release() { m_held.reset(); }
  std::optional<double> Held() const { return m_held; }

 private:
  void Step();
  double Uniform(double low, double high);

  std::mt19937 m_random;
  std::optional<double> m_held;
  double m_time = -1.0;
  double m_mean = 10.0;
  double m_target = 10.0;
  double m_gust = 0.0;
  double m_bearing = 0.0;
  double m_bearingDrift = 0.0;
  double m_speed = 10.0;
  double m_direction = 0.0;
};

}  // namespace ws
