// The station window's notice about its plant outputs: an MQTT broker that
// refused the station's credentials or client id. The publisher says so once
// per refusal; the notice shows it until a click dismisses it or the publisher
// connects or is switched off.
#pragma once

#include <QString>

#include "app/notice.h"

namespace ws {

class CPlantNotice final : public CNotice {
  Q_OBJECT

 public:
  static constexpr int kId = 10033;

  explicit CPlantNotice(QWidget* parent = nullptr);

  void ShowRefused(const QString& text);
  // The refusal no longer holds (connected, or publishing switched off).
  void Clear();
};

}  // namespace ws
