// Replays fuzz inputs once each without libFuzzer: every file in the directories
// (or the files) named on the command line goes through LLVMFuzzerTestOneInput.
// The normal builds run it over the seeds and the inputs that once crashed, so a
// fixed crash stays fixed under gcc and its sanitizers too.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
    return false;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // A copy of exactly the input's size, so that reads past its end show in ASan.
  std::vector<uint8_t> input(bytes.begin(), bytes.end());
  static const uint8_t kNothing = 0;
  LLVMFuzzerTestOneInput(input.empty() ? &kNothing : input.data(), input.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int files = 0;
  bool ok = true;
  for (int a = 1; a < argc; ++a) {
    const std::filesystem::path arg(argv[a]);
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (!entry.is_regular_file()) continue;
        ok = RunFile(entry.path()) && ok;
        ++files;
      }
    } else if (std::filesystem::exists(arg, ec)) {
      ok = RunFile(arg) && ok;
      ++files;
    }
    // A directory that does not exist (no regressions yet) is fine.
  }
  std::printf("replay: %d inputs\n", files);
  return ok ? 0 : 1;
}
