#include "tools/sim/sim_command_reader.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace ws {
namespace {

constexpr std::array<std::pair<std::string_view, int>, 6> kCommands = {{
    {"R000?", 5},
    {"R001?", 5},
    {"R002?", 13},
    {"APPW:", kSimPageCommandBytes},
    {"APP>:", 5},
    {"REST:", 5},
}};

// True when `bytes` (shorter than a prefix) could still grow into a known one.
bool CouldBePrefix(std::string_view bytes) {
  for (const auto& [prefix, length] : kCommands) {
    if (prefix.substr(0, bytes.size()) == bytes) return true;
  }
  return false;
}

int LengthOf(std::string_view head) {
  for (const auto& [name, length] : kCommands) {
    if (head == name) return length;
  }
  return 0;
}

}  // namespace

int SimCommandReader::CommandLength(const QByteArray& prefix) {
  return LengthOf(std::string_view(prefix.constData(), std::min<qsizetype>(prefix.size(), 5)));
}

std::optional<QByteArray> SimCommandReader::Next() {
  if (m_buffer.isEmpty()) return std::nullopt;
  const std::string_view all(m_buffer.constData(), static_cast<size_t>(m_buffer.size()));
  if (all.size() < 5 && CouldBePrefix(all)) return std::nullopt;
  const int length = all.size() >= 5 ? LengthOf(all.substr(0, 5)) : 0;
  if (length > 0) {
    if (m_buffer.size() < length) return std::nullopt;
    QByteArray command = m_buffer.left(length);
    m_buffer.remove(0, length);
    return command;
  }
  // Unknown bytes: skip to the next place a known command starts.
  size_t end = all.size();
  for (size_t i = 1; i < all.size(); ++i) {
    const std::string_view rest = all.substr(i, 5);
    if (rest.size() == 5 ? LengthOf(rest) > 0 : CouldBePrefix(rest)) {
      end = i;
      break;
    }
  }
  QByteArray unknown = m_buffer.left(static_cast<qsizetype>(end));
  m_buffer.remove(0, static_cast<qsizetype>(end));
  return unknown;
}

QByteArray SimCommandReader::TakeRest() {
  QByteArray rest;
  rest.swap(m_buffer);
  return rest;
}

}  // namespace ws
