// Wave files made by tests: a playable PCM file and the ways a file can fail
// to decode (cut short, another encoding, not a wave file at all).
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace ws::test {

struct WavSpec {
  uint16_t format = 1;  // 1 PCM, 2 Microsoft ADPCM, 3 float, 0xFFFE extensible
  uint16_t channels = 1;
  uint32_t rate = 8000;
  uint16_t bits = 16;
  uint32_t dataBytes = 1600;    // bytes of sound the header declares
  uint32_t writtenBytes = 1600;  // bytes of sound actually written
  uint16_t subFormat = 1;        // for the extensible format
};

inline void PutLe(std::vector<char>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

inline std::vector<char> WavBytes(const WavSpec& spec) {
  std::vector<char> out;
  const bool extensible = spec.format == 0xFFFE;
  const uint32_t fmtSize = extensible ? 40 : 16;
  const uint16_t blockAlign = static_cast<uint16_t>(spec.channels * (spec.bits / 8));
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutLe(out, 4 + 8 + fmtSize + 8 + spec.dataBytes, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe(out, fmtSize, 4);
  PutLe(out, spec.format, 2);
  PutLe(out, spec.channels, 2);
  PutLe(out, spec.rate, 4);
  PutLe(out, spec.rate * blockAlign, 4);
  PutLe(out, blockAlign, 2);
  PutLe(out, spec.bits, 2);
  if (extensible) {
    PutLe(out, 22, 2);            // extension size
    PutLe(out, spec.bits, 2);     // valid bits
    PutLe(out, 0, 4);             // channel mask
    PutLe(out, spec.subFormat, 2);  // the GUID's first two bytes, then its fixed rest
    for (int b : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) {
      PutLe(out, static_cast<uint32_t>(b), 1);
    }
  }
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLe(out, spec.dataBytes, 4);
  for (uint32_t i = 0; i < spec.writtenBytes; ++i) out.push_back(static_cast<char>((i * 37) & 0xFF));
  return out;
}

inline void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteWav(const std::string& path, const WavSpec& spec) { WriteBytes(path, WavBytes(spec)); }

}  // namespace ws::test
