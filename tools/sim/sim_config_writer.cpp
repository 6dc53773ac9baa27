#include "tools/sim/sim_config_writer.h"

#include <memory>
#include <system_error>

#include "core/clock.h"
#include "core/settings.h"
#include "core/settings_file.h"

namespace ws {

bool WriteSimConfig(const std::filesystem::path& directory, const SimSite& site,
                    std::string* error) {
  if (site.loggerCount < 1 || site.loggerCount > kMaxStacks) {
    *error = "the number of loggers must be 1.." + std::to_string(kMaxStacks);
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(directory, ec);
  if (ec) {
    *error = "cannot create " + directory.string() + ": " + ec.message();
    return false;
  }
  auto settings = std::make_unique<Settings>();  // too large for the stack
  const SettingsFile file(directory);
  const SystemClock clock;
  const SettingsFile::LoadResult loaded = file.Load(*settings, clock);
  if (loaded.outcome == SettingsFile::LoadOutcome::kUnreadable) {
    *error = "cannot read the existing " + file.path().string() + ", left as it is";
    return false;
  }
  settings->stackCount = site.loggerCount;
  for (int i = 0; i < site.loggerCount; ++i) {
    StackSettings& stack = settings->stacks[static_cast<size_t>(i)];
    stack.loggerAddress = AddressFromHostOrder(site.firstLoggerHost + static_cast<uint32_t>(i));
    stack.directEnable = 1;  // every simulated logger reports a direction
  }
  settings->signalLampEnabled = site.lampHost ? 1 : 0;
  if (site.lampHost) settings->signalLampAddress = AddressFromHostOrder(*site.lampHost);
  // The grid values depend on the stack count; bring them back into range.
  settings->Validate();
  const SettingsFile::Status saved = file.Save(*settings);
  if (!saved.ok()) {
    *error = "cannot write " + file.path().string() + ": " + saved.ToString();
    return false;
  }
  return true;
}

}  // namespace ws
