#include "app/plant_notice.h"

namespace ws {
namespace {

// COLORREF amber, as the settings notice's: it needs the operator's look (the
// fleet gets nothing) but the station itself runs on.
constexpr ColorRef kFill = 0x0070C0;

}  // namespace

CPlantNotice::CPlantNotice(QWidget* parent) : CNotice(kId, kFill, parent) {}

void CPlantNotice::ShowRefused(const QString& text) { ShowText(text, kFill); }

void CPlantNotice::Clear() { hide(); }

}  // namespace ws
