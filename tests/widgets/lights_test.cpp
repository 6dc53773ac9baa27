#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QImage>
#include <gtest/gtest.h>

#include <vector>

#include "display_test_support.h"
#include "widgets/lamp.h"
#include "widgets/led.h"
#include "widgets/nex_text.h"

namespace ws {
namespace {

TEST(Lamp, LitGradientRunsFromTheCentreColourToTheEdgeInsideAFrame) {
  CLamp lamp;
  lamp.resize(90, 40);
  lamp.m_OnEdgeColor = 0x000080;
  lamp.m_OnCenterColor = 0x0000FF;
  lamp.m_bReady = true;
  lamp.TurnOn();
  const QImage image = lamp.Render();
  EXPECT_TRUE(test::Near(image.pixel(45, 20), 0x0000FF, 6));
  // Towards the left edge the gradient approaches the edge colour.
  EXPECT_LT(qRed(image.pixel(3, 20)), 0xA0);
  EXPECT_GT(qRed(image.pixel(3, 20)), 0x70);
  // The frame: ColorScale(centre, -0.2) when lit.
  EXPECT_TRUE(test::Near(image.pixel(45, 0), ColorScale(0x0000FF, -0.2f), 40));
  lamp.TurnOff();
  const QImage dark = lamp.Render();
  EXPECT_TRUE(test::Near(dark.pixel(45, 20), 0xC0C0C0, 6));
}

TEST(Lamp, EmptyTextShowsOnlyGradientAndFrame) {
  CLamp lamp;
  lamp.resize(90, 40);
  lamp.m_bReady = true;
  const QImage empty = lamp.Render();
  lamp.m_strText = QStringLiteral("ON");
  EXPECT_NE(lamp.Render(), empty);
  lamp.m_strText.clear();
  EXPECT_EQ(lamp.Render(), empty);
}

TEST(Lamp, ButtonDownNotifiesAndMarksPressed) {
  CLamp lamp;
  lamp.resize(90, 40);
  lamp.m_nId = 50001;
  lamp.m_bReady = true;
  std::vector<std::pair<int, int>> seen;
  QObject::connect(&lamp, &CLamp::notify, [&seen](int id, int code) { seen.emplace_back(id, code); });
  test::SendMouse(&lamp, QEvent::MouseButtonPress, QPoint(10, 10));
  EXPECT_TRUE(lamp.m_bPressed);
  test::SendMouse(&lamp, QEvent::MouseButtonRelease, QPoint(10, 10));
  EXPECT_FALSE(lamp.m_bPressed);
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{50001, 1}}));
}

TEST(Led, TurnOnBeforeInitDoesNothing) {
  CLed led;
  led.TurnOn();
  EXPECT_FALSE(led.m_bLit);
  led.Init(0);
  led.TurnOn();
  EXPECT_TRUE(led.m_bLit);
}

TEST(Led, DisabledLedIsGreyEvenWhenLit) {
  CLed led;
  led.resize(40, 40);
  led.Init(0);
  led.m_bLit = true;
  const QImage lit = led.Render();
  EXPECT_GT(qRed(lit.pixel(20, 20)), qGreen(lit.pixel(20, 20)) + 40);
  led.setEnabled(false);
  const QImage grey = led.Render();
  const QRgb p = grey.pixel(20, 20);
  EXPECT_EQ(qRed(p), qGreen(p));
  EXPECT_EQ(qGreen(p), qBlue(p));
  // Outside the disc the parent's pixels show through.
  EXPECT_EQ(qAlpha(grey.pixel(0, 0)), 0);
}

TEST(Led, SecondFlashRestartsTheTimer) {
  CLed led;
  led.Init(0);
  led.m_nFlashTime = 500;
  // Timers fire in the order they are due, however late this process runs: the
  // second flash (due at 300) comes before the first one's end (500), and the
  // probe (600) lies after that end but before the restarted one (300 + 500).
  led.Flash(0x008000, 0x00FF00);
  bool litAtProbe = false;
  bool probed = false;
  QTimer::singleShot(300, &led, [&] { led.Flash(0x008000, 0x00FF00); });
  QTimer::singleShot(600, &led, [&] {
    probed = true;
    litAtProbe = led.m_bLit;
  });
  QElapsedTimer guard;  // against a hang only
  guard.start();
  while ((!probed || led.m_bLit) && guard.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  ASSERT_TRUE(probed);
  EXPECT_TRUE(litAtProbe) << "the second flash did not restart the timer";
  EXPECT_EQ(led.m_OnCenterColor, 0x00FF00u);
  EXPECT_FALSE(led.m_bLit);  // and the restarted flash still ends
}

TEST(Led, NotifiesDownUpAndLeaveButNotTheSecondPressOfADoubleClick) {
  CLed led;
  led.resize(40, 40);
  led.m_nId = 700;
  led.Init(0);
  std::vector<int> codes;
  QObject::connect(&led, &CLed::notify, [&codes](int id, int code) {
    EXPECT_EQ(id, 700);
    codes.push_back(code);
  });
  test::SendMouse(&led, QEvent::MouseMove, QPoint(5, 5));
  test::SendMouse(&led, QEvent::MouseButtonPress, QPoint(5, 5));
  test::SendMouse(&led, QEvent::MouseButtonRelease, QPoint(5, 5));
  test::SendMouse(&led, QEvent::MouseButtonDblClick, QPoint(5, 5));
  test::SendMouse(&led, QEvent::MouseButtonRelease, QPoint(5, 5));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&led, &leave);
  EXPECT_EQ(codes, (std::vector<int>{1, 0, 0, 2}));
}

TEST(Led, CaptionSitsBesideTheLedAndFollowsItsText) {
  CLed led;
  led.resize(120, 20);
  led.m_nId = 40;
  led.Init(0);
  led.SetWindowText(QStringLiteral("LINK"));
  led.CreateCaption();
  ASSERT_NE(led.Caption(), nullptr);
  EXPECT_EQ(led.Caption()->geometry(), QRect(20, 0, 100, 20));
  EXPECT_EQ(led.Caption()->m_nId, 41);
  EXPECT_EQ(led.Caption()->m_strText, "LINK");
  led.SetWindowText(QStringLiteral("DOWN"));
  EXPECT_EQ(led.Caption()->m_strText, "DOWN");
}

}  // namespace
}  // namespace ws
