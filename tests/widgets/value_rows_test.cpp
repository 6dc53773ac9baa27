#include <QImage>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "display_test_support.h"
#include "widgets/fnd.h"
#include "widgets/spec_display.h"
#include "widgets/splitter_bar.h"

namespace ws {
namespace {

class SpecDisplayTest : public ::testing::Test {
 protected:
  SpecDisplayTest() {
    test::Fonts();
    host.resize(400, 100);
    row = new CSpecDisplay(&host);
    row->setGeometry(0, 0, 300, 40);
    row->Setup(0xFFFFFF, 0x000000);
    row->m_nId = 9;
    row->m_strCaption = QStringLiteral("1 Min AVG");
    row->Layout();
    QObject::connect(row, &CSpecDisplay::notify, [this](int id, int code) {
      EXPECT_EQ(id, 9);
      codes.push_back(code);
    });
  }
  QWidget host;
  CSpecDisplay* row;
  std::vector<int> codes;
};

TEST_F(SpecDisplayTest, SetValueScalesThenFormats) {
  row->m_nDecimals = 1;
  row->m_dValueScale = 10;
  row->SetValue(12.34f);
  EXPECT_EQ(row->m_strValue, "123.4");
}

TEST_F(SpecDisplayTest, SideBySideLayoutSplitsTheWidth) {
  EXPECT_EQ(row->m_rcCaption, QRectF(QPointF(0, 0), QPointF(120, 40)));
  EXPECT_EQ(row->m_rcValue, QRectF(QPointF(120, 2), QPointF(299, 37)));
  row->m_dValueFraction = 0.3;
  row->Layout();
  EXPECT_EQ(row->m_rcValue.right(), 209);
  EXPECT_EQ(row->m_rcUnit, QRectF(QPointF(209, 0), QPointF(300, 40)));
}

TEST_F(SpecDisplayTest, ClickInTheCaptionAreaSendsOnlyTwo) {
  test::SendMouse(row, QEvent::MouseButtonPress, QPoint(20, 20));
  EXPECT_EQ(codes, (std::vector<int>{2}));
}

TEST_F(SpecDisplayTest, NumericModeColourChoice) {
  CFnd fnd(&host);
  fnd.Init(false, 1);
  row->m_pFnd = &fnd;
  row->m_bNumeric = true;
  row->Layout();
  EXPECT_EQ(fnd.geometry(), row->m_rcValue.toRect());
  row->SetValueText(QStringLiteral("4.5"));
  EXPECT_DOUBLE_EQ(fnd.m_Value, 4.5);

  std::optional<ColorRef> answer;
  int asked = 0;
  row->m_ChooseColour = [&](ColorRef start) {
    EXPECT_EQ(start, row->m_ValueTextColor);
    ++asked;
    return answer;
  };
  test::SendMouse(row, QEvent::MouseButtonPress, QPoint(200, 20));  // cancelled
  EXPECT_EQ(codes, (std::vector<int>{2}));
  answer = 0x00FF00;
  test::SendMouse(row, QEvent::MouseButtonPress, QPoint(200, 20));  // chosen
  EXPECT_EQ(codes, (std::vector<int>{2, 3}));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(row->m_ValueTextColor, 0x00FF00u);
  EXPECT_EQ(fnd.m_DigitColor, 0x00FF00u);
}

TEST_F(SpecDisplayTest, EditChildOverTheValueAreaReportsOne) {
  row->m_bEditable = true;
  row->SetValueText(QStringLiteral("10"));
  test::SendMouse(row, QEvent::MouseButtonPress, QPoint(200, 20));
  ASSERT_TRUE(row->m_bEditing);
  EXPECT_TRUE(row->m_rcValue.contains(row->EditChild()->geometry().center()));
  row->EditChild()->setText(QStringLiteral("20"));
  row->FinishEdit();
  EXPECT_EQ(row->m_strValue, "20");
  EXPECT_EQ(codes, (std::vector<int>{2, 1}));
}

TEST_F(SpecDisplayTest, CaptionFractionOneHidesTheValueArea) {
  row->m_ValueBoxColor = 0x0000FF;
  row->m_strValue = QStringLiteral("888");
  const QImage withBox = row->Render();
  EXPECT_TRUE(test::Near(withBox.pixel(130, 20), 0x0000FF, 0));
  row->m_dCaptionFraction = 1.0;
  row->Layout();
  const QImage noBox = row->Render();
  for (int x = 125; x < 295; x += 5) {
    ASSERT_FALSE(test::Near(noBox.pixel(x, 20), 0x0000FF, 30)) << x;
  }
}

class SplitterTest : public ::testing::Test {
 protected:
  SplitterTest() {
    parent.setGeometry(100, 100, 400, 300);
    bar = new CSplitterBar(&parent);
    bar->setGeometry(200, 0, 6, 300);
    bar->m_nId = 77;
    QObject::connect(bar, &CSplitterBar::notify, [this](int id, int position) {
      EXPECT_EQ(id, 77);
      reports.push_back(position);
    });
    origin = bar->mapToGlobal(QPoint(0, 0)).x();
    bar->m_nLowerLimit = origin - 100;
    bar->m_nUpperLimit = origin + 50;
  }
  QWidget parent;
  CSplitterBar* bar;
  int origin = 0;
  std::vector<int> reports;
};

TEST_F(SplitterTest, DraggedBeyondTheUpperLimitReportsExactlyTheLimit) {
  test::SendMouse(bar, QEvent::MouseButtonPress, QPoint(3, 10));
  EXPECT_TRUE(bar->m_bDragging);
  QMouseEvent move(QEvent::MouseMove, QPointF(120, 10), bar->mapToGlobal(QPointF(120, 10)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &move);
  EXPECT_EQ(bar->m_rcDrag.left(), 250);  // kept at the limit in parent coordinates
  test::SendMouse(bar, QEvent::MouseButtonRelease, QPoint(400, 10));
  EXPECT_EQ(reports, std::vector<int>{origin + 50});
  EXPECT_FALSE(bar->m_bDragging);
}

TEST_F(SplitterTest, DraggedBelowTheLowerLimitReportsTheLimit) {
  test::SendMouse(bar, QEvent::MouseButtonPress, QPoint(3, 10));
  test::SendMouse(bar, QEvent::MouseButtonRelease, QPoint(-500, 10));
  EXPECT_EQ(reports, std::vector<int>{origin - 100});
}

TEST_F(SplitterTest, ReleaseWithoutPressSendsNothing) {
  test::SendMouse(bar, QEvent::MouseButtonRelease, QPoint(3, 10));
  EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace ws
