// Writes the station's configuration file for a simulated site, so that the
// station started in that directory talks to the simulated loggers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace ws {

struct SimSite {
  int loggerCount = 1;                    // 1..100
  uint32_t firstLoggerHost = 0x7F000002;  // host order; logger i at first + i
  std::optional<uint32_t> lampHost;       // host order; none: lamp disabled
};

// Loads "WDX-5100.cfg" in `directory` (or starts from the defaults when there
// is none), sets stackCount, each used stack's loggerAddress and direction
// sensor flag, and the signal lamp, and saves it. Other fields of an existing
// file are kept. On failure returns false with a reason in *error.
[[nodiscard]] bool WriteSimConfig(const std::filesystem::path& directory, const SimSite& site,
                                  std::string* error);

}  // namespace ws
