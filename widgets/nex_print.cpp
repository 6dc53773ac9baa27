#include "widgets/nex_print.h"

#include <string>

#include "core/text_codec.h"

namespace ws {

bool CNexPrint::WriteText(QString text) {
  if (!m_pFile) return false;
  const std::u16string wide(reinterpret_cast<const char16_t*>(text.utf16()),
                            static_cast<size_t>(text.size()));
  const std::string bytes = Utf16ToCp949(wide);
  if (bytes.empty()) return true;
  // Written as bytes: a NUL or '%' in the text goes out unchanged.
  return std::fwrite(bytes.data(), 1, bytes.size(), m_pFile) == bytes.size();
}

}  // namespace ws
