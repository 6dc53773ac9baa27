// CIpAddressEdit, the four-field IPv4 editor of the configuration dialog: four
// boxes of 0..255 separated by dots. A blank field reads as 0 and a number
// above 255 cannot be typed; '.' or a third digit moves on to the next field.
#pragma once

#include <QFrame>
#include <QLineEdit>

#include <array>
#include <cstdint>

namespace ws {

class CIpAddressEdit : public QFrame {
  Q_OBJECT

 public:
  explicit CIpAddressEdit(QWidget* parent = nullptr);

  // The address in host order: a << 24 | b << 16 | c << 8 | d for a.b.c.d.
  void SetAddress(uint32_t host);
  uint32_t Address() const;

  QLineEdit* field(int i) const { return m_Fields[static_cast<size_t>(i)]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::array<QLineEdit*, 4> m_Fields{};
};

}  // namespace ws
