// CIpAddressEdit, the four-field IPv4 editor of the configuration dialog: four
// boxes of up to three digits separated by dots. A blank field reads as 0; a
// number above 255 stays as typed and makes the address invalid (the dialog
// refuses it on OK rather than keeping some other number); '.' or a third
// digit moves on to the next field.
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
  uint32_t Address() const;  // fields above 255 read as 255
  // False while a field holds a number above 255.
  bool IsValid() const;

  QLineEdit* field(int i) const { return m_Fields[static_cast<size_t>(i)]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::array<QLineEdit*, 4> m_Fields{};
};

}  // namespace ws
