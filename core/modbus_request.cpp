#include "core/modbus_request.h"

#include <algorithm>

namespace ws {

void MbapFramer::Append(std::span<const uint8_t> bytes) {
  // Drop what was taken before growing, so a client sending for hours keeps
  // only its unanswered bytes.
  if (m_Start > 0 && m_Start == m_Buffer.size()) {
    m_Buffer.clear();
    m_Start = 0;
  } else if (m_Start > 4096) {
    m_Buffer.erase(m_Buffer.begin(), m_Buffer.begin() + static_cast<std::ptrdiff_t>(m_Start));
    m_Start = 0;
  }
  m_Buffer.insert(m_Buffer.end(), bytes.begin(), bytes.end());
}

MbapFramer::Result MbapFramer::Next(std::vector<uint8_t>& frame) {
  if (Buffered() < kMbapHeaderSize) return Result::kNeedMore;
  const uint8_t* head = m_Buffer.data() + m_Start;
  const int protocol = (head[2] << 8) | head[3];
  const int length = (head[4] << 8) | head[5];
  // The length counts the unit id and the PDU, which holds at least a function code.
  if (protocol != 0 || length < 2 || length > kMbapMaxLength) return Result::kBroken;
  const size_t total = 6 + static_cast<size_t>(length);
  if (Buffered() < total) return Result::kNeedMore;
  frame.assign(head, head + total);
  m_Start += total;
  return Result::kFrame;
}

ModbusVerdict JudgeRequest(std::span<const uint8_t> pdu, const ModbusRegisters& image) {
  ModbusVerdict verdict;
  if (pdu.empty()) {
    verdict.exception = kModbusIllegalFunction;
    return verdict;
  }
  const uint8_t function = pdu[0];
  if (function != kFcReadHoldingRegisters && function != kFcReadInputRegisters) {
    verdict.exception = kModbusIllegalFunction;
    return verdict;
  }
  if (pdu.size() != 5) {
    verdict.exception = kModbusIllegalDataValue;
    return verdict;
  }
  verdict.address = (pdu[1] << 8) | pdu[2];
  verdict.count = (pdu[3] << 8) | pdu[4];
  if (verdict.count < 1 || verdict.count > kModbusMaxReadRegisters) {
    verdict.exception = kModbusIllegalDataValue;
  } else if (!image.Covers(verdict.address, verdict.count)) {
    verdict.exception = kModbusIllegalDataAddress;
  }
  return verdict;
}

}  // namespace ws
