// Modbus TCP requests as the station's server takes them: the MBAP framing of a
// client's byte stream (requests may arrive in pieces or back to back) and the
// judgement of one request against the register image (served, or which
// exception). No sockets here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/modbus_registers.h"

namespace ws {

// Transaction id (2), protocol id (2), length (2), unit id (1).
inline constexpr size_t kMbapHeaderSize = 7;
// The largest length field: the unit id and a PDU of at most 253 bytes.
inline constexpr int kMbapMaxLength = 254;

inline constexpr uint8_t kModbusIllegalFunction = 1;
inline constexpr uint8_t kModbusIllegalDataAddress = 2;
inline constexpr uint8_t kModbusIllegalDataValue = 3;

inline constexpr uint8_t kFcReadHoldingRegisters = 3;
inline constexpr uint8_t kFcReadInputRegisters = 4;
inline constexpr int kModbusMaxReadRegisters = 125;

class MbapFramer {
 public:
  enum class Result {
    kNeedMore,  // no complete frame buffered
    kFrame,     // `frame` holds one whole request: header and PDU
    kBroken,    // the header cannot be a Modbus TCP request: the stream is lost
  };

  void Append(std::span<const uint8_t> bytes);
  // Takes the oldest complete request out of the buffer.
  Result Next(std::vector<uint8_t>& frame);
  size_t Buffered() const { return m_Buffer.size() - m_Start; }

 private:
  std::vector<uint8_t> m_Buffer;
  size_t m_Start = 0;
};

struct ModbusVerdict {
  uint8_t exception = 0;  // 0: serve the read
  int address = 0;
  int count = 0;
};

// `pdu` is the request after the MBAP header: function code and data. Reads
// (functions 3 and 4) of 1..125 registers all in the map are served; any other
// function is illegal, a read of a wrong size or count an illegal value, and a
// read touching an address outside the map an illegal address.
ModbusVerdict JudgeRequest(std::span<const uint8_t> pdu, const ModbusRegisters& image);

}  // namespace ws
