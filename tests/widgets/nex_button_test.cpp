// The push button: its notification codes (press, release, leave, double click
// and the repeat codes of a held button), the face of each state and the icon.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <memory>
#include <vector>

#include "display_test_support.h"
#include "widgets/nex_button.h"

namespace ws {
namespace {

struct Recorder {
  explicit Recorder(CNexButton& button) {
    QObject::connect(&button, &CNexButton::notify, [this](int id, int code) {
      ids.push_back(id);
      codes.push_back(code);
    });
  }
  std::vector<int> ids;
  std::vector<int> codes;
};

std::unique_ptr<CNexButton> MakeButton(const QString& caption = QStringLiteral("SEARCH")) {
  auto b = std::make_unique<CNexButton>(caption, 1001);
  b->resize(140, 44);
  b->m_IconFontFamily = test::Fonts().Family(DisplayFonts::kIconSlot);
  b->m_IconGlyph = 23;
  b->m_IconColour = 0x4080FF;
  b->m_IconAngle = 315;
  b->m_IconOutline = 1;
  return b;
}

TEST(NexButtonCodes, HeldForOneSecondRepeatsEvery200msThenReleases) {
  auto b = MakeButton();
  Recorder rec(*b);
  test::SendMouse(b.get(), QEvent::MouseButtonPress, QPoint(20, 20));
  QElapsedTimer clock;
  clock.start();
  while (rec.codes.size() < 6 && clock.elapsed() < 30000) {  // a hang guard only
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  test::SendMouse(b.get(), QEvent::MouseButtonRelease, QPoint(20, 20));
  EXPECT_EQ(rec.codes, (std::vector<int>{1, 101, 106, 111, 116, 121, 2}));
  EXPECT_EQ(rec.ids.front(), 1001);
  EXPECT_FALSE(b->IsRepeating());
}

TEST(NexButtonCodes, RepeatCounterStopsAt100) {
  auto b = MakeButton();
  Recorder rec(*b);
  test::SendMouse(b.get(), QEvent::MouseButtonPress, QPoint(20, 20));
  for (int i = 0; i < 22; ++i) b->OnRepeatTimer();
  test::SendMouse(b.get(), QEvent::MouseButtonRelease, QPoint(20, 20));
  ASSERT_EQ(rec.codes.size(), 24u);
  EXPECT_EQ(rec.codes[20], 196);
  EXPECT_EQ(rec.codes[21], 200);
  EXPECT_EQ(rec.codes[22], 200);
}

TEST(NexButtonCodes, LeavingNotifiesZeroAndStopsTheRepeat) {
  auto b = MakeButton();
  Recorder rec(*b);
  test::SendMouse(b.get(), QEvent::MouseButtonPress, QPoint(20, 20));
  ASSERT_TRUE(b->IsRepeating());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(b.get(), &leave);
  EXPECT_FALSE(b->IsRepeating());
  EXPECT_EQ(rec.codes, (std::vector<int>{1, 0}));
  EXPECT_FALSE(b->IsHovered());
}

TEST(NexButtonCodes, DoubleClickNotifiesThreeWithoutRepeating) {
  auto b = MakeButton();
  Recorder rec(*b);
  int clicks = 0;
  QObject::connect(b.get(), &QPushButton::clicked, [&clicks] { ++clicks; });
  test::SendMouse(b.get(), QEvent::MouseButtonPress, QPoint(20, 20));
  test::SendMouse(b.get(), QEvent::MouseButtonRelease, QPoint(20, 20));
  test::SendMouse(b.get(), QEvent::MouseButtonDblClick, QPoint(20, 20));
  EXPECT_FALSE(b->IsRepeating());
  test::SendMouse(b.get(), QEvent::MouseButtonRelease, QPoint(20, 20));
  EXPECT_EQ(rec.codes, (std::vector<int>{1, 2, 3, 2}));
  EXPECT_EQ(clicks, 2);
}

TEST(NexButtonCodes, DisabledButtonReactsToNoPress) {
  auto b = MakeButton();
  b->setEnabled(false);
  Recorder rec(*b);
  test::SendMouse(b.get(), QEvent::MouseButtonPress, QPoint(20, 20));
  test::SendMouse(b.get(), QEvent::MouseButtonRelease, QPoint(20, 20));
  EXPECT_TRUE(rec.codes.empty());
  EXPECT_EQ(b->CurrentState(), CNexButton::FaceState::kDisabled);
}

TEST(NexButtonFace, StateColoursAreTheScaledBaseColours) {
  using S = CNexButton::FaceState;
  EXPECT_EQ(CNexButton::FaceFor(S::kNormal).top, 0xFFAB1Eu);
  EXPECT_EQ(CNexButton::FaceFor(S::kHover).top, 0xFFFFABu);
  EXPECT_EQ(CNexButton::FaceFor(S::kHover).bottom, 0xED9A66u);
  EXPECT_EQ(CNexButton::FaceFor(S::kPressed).top, 0x8476FFu);
  EXPECT_EQ(CNexButton::FaceFor(S::kDisabled).bottom, 0x737C7Fu);
  EXPECT_EQ(CNexButton::FaceFor(S::kDisabled).border, 0x737C7Fu);
}

TEST(NexButtonFace, HoverRepaintsInTheHoverColoursAndBack) {
  auto b = MakeButton();
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(b.get(), &enter);
  EXPECT_EQ(b->CurrentState(), CNexButton::FaceState::kHover);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(b.get(), &leave);
  EXPECT_EQ(b->CurrentState(), CNexButton::FaceState::kNormal);
  // Near the top edge, right of the icon and above the caption, the face shows
  // the state's top colour.
  const QImage hover = b->Render(CNexButton::FaceState::kHover);
  const QImage normal = b->Render(CNexButton::FaceState::kNormal);
  EXPECT_TRUE(test::Near(hover.pixel(110, 3), 0xFFFFAB, 24));
  EXPECT_TRUE(test::Near(normal.pixel(110, 3), 0xFFAB1E, 24));
}

TEST(NexButtonFace, DisabledButtonIsGreyWithAGreyIcon) {
  auto b = MakeButton();
  const QImage image = b->Render(CNexButton::FaceState::kDisabled);
  // Every pixel of the icon cell is grey (the face is nearly so: 0xC1D0D4 ...).
  for (int y = 6; y < 38; ++y) {
    for (int x = 5; x < 40; ++x) {
      const QRgb p = image.pixel(x, y);
      EXPECT_LE(std::abs(qRed(p) - qBlue(p)), 24) << x << "," << y;
    }
  }
}

TEST(NexButtonFace, EmptyCaptionCentresTheIcon) {
  auto withIcon = MakeButton(QString());
  withIcon->resize(80, 60);
  auto without = MakeButton(QString());
  without->resize(80, 60);
  without->m_IconGlyph = -1;
  const QImage a = withIcon->Render(CNexButton::FaceState::kNormal);
  const QImage b = without->Render(CNexButton::FaceState::kNormal);
  int left = 80, right = -1, top = 60, bottom = -1;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 80; ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  ASSERT_GE(right, left);
  EXPECT_NEAR((left + right) / 2.0, 40.0, 4.0);
  EXPECT_NEAR((top + bottom) / 2.0, 30.0, 4.0);
}

}  // namespace
}  // namespace ws
