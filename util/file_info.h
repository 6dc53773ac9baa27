// Whether a file exists and how large it is.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace ws {

// True when something exists at `path` (a file or a directory), whatever the
// access rights. Paths from UTF-16 text: std::filesystem::path(u16string).
bool FileExists(const std::filesystem::path& path);

// The size in bytes of the regular file at `path` (links followed); nullopt when
// there is none or it is not a regular file.
[[nodiscard]] std::optional<uint64_t> FileSize(const std::filesystem::path& path);

}  // namespace ws
