// Gallery pages of the caption box.
#include <memory>

#include "tools/gallery/gallery.h"
#include "widgets/nex_text.h"

namespace ws::gallery {

namespace {

constexpr QRgb kPanel = 0xFF2A2A2A;

std::unique_ptr<CNexText> MakeBox(int w, int h, const QString& text) {
  auto box = std::make_unique<CNexText>();
  box->resize(w, h);
  box->setWindowTitle(text);
  box->Setup(0xFFFFFF, 0x4C3F38, 6, 2);
  return box;
}

}  // namespace

void RenderTextBoxes(Gallery& gallery) {
  auto title = MakeBox(420, 60, QStringLiteral("WINDSCOPE"));
  title->m_nAlign = CNexText::kSsCenter;
  title->m_nFillMode = 1;
  title->m_GradFillTop = 0x82614F;
  title->m_GradFillBottom = 0x4C3F38;
  title->m_bBorder = true;
  title->m_BorderColor = 0xBC7200;
  title->m_bGlass = true;
  title->m_bGradientText = true;
  title->m_GradTextTop = 0xFFFFFF;
  title->m_GradTextBottom = 0xFFC080;
  title->m_bTextOutline = true;
  title->m_TextOutlineColor = 0x000000;
  title->m_strSubCaption = QStringLiteral("v1.0");
  gallery.Save("text_title", Gallery::OnPanel(title->Render(), QColor::fromRgba(kPanel)));

  auto left = MakeBox(240, 32, QStringLiteral("STACK #1"));
  left->m_nFillMode = 0;
  left->m_bBevel = true;
  gallery.Save("text_left_bevel", Gallery::OnPanel(left->Render(), QColor::fromRgba(kPanel)));

  auto right = MakeBox(240, 32, QStringLiteral("알람 목록"));
  right->m_nAlign = CNexText::kSsRight;
  right->m_nFillMode = 2;
  right->m_GradFillTop = 0xC0C0C0;
  right->m_GradFillBottom = 0x404040;
  right->m_TextColor = 0x000000;
  gallery.Save("text_right_three_stop",
               Gallery::OnPanel(right->Render(), QColor::fromRgba(kPanel)));

  auto second = MakeBox(240, 60, QStringLiteral("12.3"));
  second->m_nAlign = CNexText::kSsCenter;
  second->m_strSecondCaption = QStringLiteral("Wind speed");
  second->m_SecondCaptionColor = 0x00FFFF;
  second->m_fSecondCaptionPos = 0.02f;
  second->m_fSizeFraction = 0.5f;
  second->m_fVertOffset = 0.1f;
  gallery.Save("text_second_caption",
               Gallery::OnPanel(second->Render(), QColor::fromRgba(kPanel)));

  auto reflected = MakeBox(240, 90, QStringLiteral("ALARM"));
  reflected->m_nAlign = CNexText::kSsCenter;
  reflected->m_fSizeFraction = 0.4f;
  reflected->m_fVertOffset = -0.25f;
  reflected->m_bReflection = true;
  reflected->m_nFillMode = 3;
  gallery.Save("text_reflection", Gallery::OnPanel(reflected->Render(), QColor::fromRgba(kPanel)));
}

}  // namespace ws::gallery
