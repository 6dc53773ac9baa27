// Whether a .wav file holds sound that the station's player can decode: a RIFF
// WAVE file whose samples are plain PCM (8, 16 or 32 bits) or 32-bit float, with
// its sound data complete. Anything else (ADPCM and other compressed encodings,
// a file cut short, a file that is not a wave file at all) is played as the
// built-in alarm tone instead, so it is found before it is handed to the player.
#pragma once

#include <cstdint>
#include <string>

namespace ws {

enum class WavProblem {
  kNone,          // playable
  kUnreadable,    // cannot be opened or read, or is not a regular file
  kNotWave,       // not a RIFF WAVE file
  kUnsupported,   // a wave file in an encoding or sample size the player cannot decode
  kTruncated,     // the file ends before its header or sound data do
  kNoSound,       // a well-formed file without a single sample
};

struct WavCheck {
  WavProblem problem = WavProblem::kNone;
  std::string reason;  // why, in words, for a message ("ADPCM (format 2)", ...)
  explicit operator bool() const { return problem != WavProblem::kNone; }
};

// Looks at the file's header and chunk layout (never its samples). The path is
// in the file system's own encoding. Opening never blocks: a FIFO or device in
// the file's place is reported as unreadable.
WavCheck CheckWavFile(const std::string& path);

}  // namespace ws
