#include "tools/sim/sim_wind.h"

#include <algorithm>
#include <cmath>

namespace ws {
namespace {

constexpr double kStep = 0.5;
// A gap longer than this is not replayed step by step; the wind simply goes on.
constexpr double kMaxReplay = 600.0;

double Tenths(double value) { return std::round(value * 10.0) / 10.0; }

}  // namespace

SimWind::SimWind(uint32_t seed) : m_random(seed) {
  m_mean = Uniform(5.0, 20.0);
  m_target = Uniform(5.0, 20.0);
  m_bearing = Uniform(0.0, 360.0);
  m_speed = m_mean;
  m_direction = m_bearing;
}

double SimWind::Uniform(double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(m_random);
}

void SimWind::Step() {
  // A new target mean every ten minutes or so; the mean creeps towards it.
  if (Uniform(0.0, 1.0) < kStep / 600.0) m_target = Uniform(5.0, 20.0);
  m_mean += (m_target - m_mean) * (kStep / 120.0) + Uniform(-0.05, 0.05);
  m_mean = std::clamp(m_mean, 4.0, 21.0);

  // Gusts arrive every 20 s on average and fade with a 5 s time constant.
  // Capped so that an unheld logger stays below the default Alarm level of 30 m/s.
  if (Uniform(0.0, 1.0) < kStep / 20.0) m_gust = std::min(8.0, m_gust + Uniform(2.0, 8.0));
  m_gust *= std::exp(-kStep / 5.0);

  // At most 0.1 degree a second: tens of degrees over ten minutes.
  m_bearingDrift = std::clamp(m_bearingDrift + Uniform(-0.01, 0.01), -0.1, 0.1);
  m_bearing = std::fmod(m_bearing + m_bearingDrift * kStep + 360.0, 360.0);

  m_speed = std::max(0.0, m_mean + m_gust + Uniform(-0.6, 0.6));
  m_direction = std::fmod(m_bearing + Uniform(-4.0, 4.0) + 360.0, 360.0);
}

SimReading SimWind::At(double seconds) {
  if (m_time < 0.0 || seconds - m_time > kMaxReplay) m_time = seconds - kStep;
  while (m_time + kStep <= seconds) {
    Step();
    m_time += kStep;
  }
  SimReading reading;
  const double speed = m_held ? std::max(0.0, *m_held + Uniform(-0.4, 0.4)) : m_speed;
  reading.speed = static_cast<float>(Tenths(speed));
  double direction = Tenths(m_direction);
  if (direction >= 360.0) direction -= 360.0;
  reading.direction = static_cast<float>(direction);
  return reading;
}

}  // namespace ws
