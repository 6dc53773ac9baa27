#include <QImage>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <vector>

#include "display_test_support.h"
#include "widgets/nex_text.h"

namespace ws {
namespace {

class NexTextTest : public ::testing::Test {
 protected:
  NexTextTest() {
    test::Fonts();
    box.resize(300, 40);
    box.setWindowTitle(QStringLiteral("HELLO"));
    box.Setup(0xFFFFFF, 0x000000, 3, 2);
    box.m_nFillMode = 0;
    box.m_nId = 33;
    QObject::connect(&box, &CNexText::notify, [this](int id, int code) {
      EXPECT_EQ(id, 33);
      codes.push_back(code);
    });
  }

  // Leftmost and rightmost columns holding caption pixels (white on black).
  std::pair<int, int> InkColumns() {
    const QImage image = box.Render();
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x) {
      for (int y = 2; y < image.height() - 2; ++y) {
        if (qGreen(image.pixel(x, y)) > 128) {
          if (first < 0) first = x;
          last = x;
          break;
        }
      }
    }
    return {first, last};
  }

  CNexText box;
  std::vector<int> codes;
};

TEST_F(NexTextTest, SetupTakesTheWindowTextAndTheFillAsOutlineColour) {
  EXPECT_EQ(box.m_strText, "HELLO");
  EXPECT_EQ(box.m_TextOutlineColor, 0x000000u);
  EXPECT_TRUE(box.m_bReady);
}

TEST_F(NexTextTest, CaptionFollowsTheAlignmentStyle) {
  box.m_nAlign = CNexText::kSsLeft;
  const auto [leftFirst, leftLast] = InkColumns();
  EXPECT_LE(leftFirst, 8);
  box.m_nAlign = CNexText::kSsRight;
  const auto [rightFirst, rightLast] = InkColumns();
  EXPECT_GE(rightLast, 290);
  box.m_nAlign = CNexText::kSsCenter;
  const auto [centreFirst, centreLast] = InkColumns();
  EXPECT_NEAR((centreFirst + centreLast) / 2.0, 150, 6);
  EXPECT_NEAR(rightLast - rightFirst, leftLast - leftFirst, 2);
}

TEST_F(NexTextTest, BorderPenIsHalfTheBorderWidth) {
  box.SetText(QString());
  box.m_bBorder = true;
  box.m_BorderColor = 0x0000FF;
  box.m_nBorderWidth = 3;  // a 1-pixel pen
  const QImage image = box.Render();
  // Mid-left edge: the pen is centred on x = 0, so it covers half of the first column.
  EXPECT_GT(qRed(image.pixel(0, 20)), 0);
  EXPECT_EQ(qRed(image.pixel(2, 20)), 0);
  box.m_bBorder = false;
  EXPECT_EQ(qRed(box.Render().pixel(0, 20)), 0);
}

TEST_F(NexTextTest, DoubleClickSendsOneThenTwo) {
  test::SendMouse(&box, QEvent::MouseButtonPress, QPoint(100, 20));
  test::SendMouse(&box, QEvent::MouseButtonRelease, QPoint(100, 20));
  test::SendMouse(&box, QEvent::MouseButtonDblClick, QPoint(100, 20));
  test::SendMouse(&box, QEvent::MouseButtonRelease, QPoint(100, 20));
  EXPECT_EQ(codes, (std::vector<int>{1, 2}));
}

TEST_F(NexTextTest, ClickWhenNotEditableNeverShowsTheEditChild) {
  test::SendMouse(&box, QEvent::MouseButtonPress, QPoint(100, 20));
  EXPECT_FALSE(box.m_bEditing);
  EXPECT_TRUE(box.EditChild()->isHidden());
}

TEST_F(NexTextTest, EditingReplacesTheCaptionAndNotifiesThree) {
  box.m_bEditable = true;
  test::SendMouse(&box, QEvent::MouseButtonPress, QPoint(100, 20));
  ASSERT_TRUE(box.m_bEditing);
  EXPECT_FALSE(box.EditChild()->isHidden());
  EXPECT_EQ(box.EditChild()->text(), "HELLO");
  box.EditChild()->setText(QStringLiteral("WORLD"));
  box.FinishEdit();
  EXPECT_EQ(box.m_strText, "WORLD");
  EXPECT_TRUE(box.EditChild()->isHidden());
  EXPECT_EQ(codes, (std::vector<int>{1, 3}));
}


// Rows holding caption pixels (white on black), first and last.
std::pair<int, int> InkRows(const QImage& image) {
  int first = -1, last = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGreen(image.pixel(x, y)) > 128) {
        if (first < 0) first = y;
        last = y;
        break;
      }
    }
  }
  return {first, last};
}

TEST_F(NexTextTest, CaptionIsCentredOnItsLineBoxInsideTheBorder) {
  box.m_nAlign = CNexText::kSsCenter;
  box.m_bBorder = true;
  box.m_BorderColor = 0x000000;
  box.resize(300, 50);
  // A clock text and a Korean title: inside the border, with room above and below.
  for (const QString& text : {QStringLiteral("2026.12.9 15:19:27"), QStringLiteral("풍속 감시 STACK #3")}) {
    box.SetText(text);
    const QImage image = box.Render();
    const auto [top, bottom] = InkRows(image);
    ASSERT_GE(top, 0) << text.toStdString();
    EXPECT_GE(top, 2) << text.toStdString();
    EXPECT_LE(bottom, 47) << text.toStdString();
    EXPECT_NEAR((top + bottom) / 2.0, 25, 6) << text.toStdString();
  }
}

TEST_F(NexTextTest, LongCaptionIsSetSmallerInsteadOfClippedAtTheEdges) {
  box.m_nAlign = CNexText::kSsCenter;
  box.resize(160, 60);
  box.SetText(QStringLiteral("2026.12.31 23:59:59"));
  const auto [first, last] = InkColumns();
  EXPECT_GE(first, 3);
  EXPECT_LE(last, 156);
  box.m_nAlign = CNexText::kSsRight;
  EXPECT_LE(InkColumns().second, 156);
}

}  // namespace
}  // namespace ws
