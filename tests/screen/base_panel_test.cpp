// The overview panel: where the tiles go on the grid, the colour of a tile by
// its state, the dashes of a silent logger, and what a click asks for.
#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/settings.h"
#include "screen/base_panel.h"
#include "screen/indicator.h"
#include "widgets/fnd.h"

namespace ws {
namespace {

class BasePanelTest : public ::testing::Test {
 protected:
  BasePanelTest() : settings(std::make_unique<Settings>()) {
    panel.resize(600, 600);
    QObject::connect(&panel, &CBasePanel::showStack, [this](int id, int stack) {
      EXPECT_EQ(id, CBasePanel::kPanelId);
      shown.push_back(stack);
    });
  }

  void Load(int stacks, int columns, int rows) {
    settings->stackCount = stacks;
    settings->gridColumns = static_cast<int8_t>(columns);
    settings->gridRows = static_cast<int8_t>(rows);
    panel.SetSettings(*settings);
  }

  std::unique_ptr<Settings> settings;
  CBasePanel panel;
  std::vector<int> shown;
};

TEST_F(BasePanelTest, SevenStacksOnFiveBySixFillTheFirstRowAndTwoOfTheSecond) {
  Load(7, 4, 5);
  ASSERT_EQ(panel.TileCount(), 7);
  // 600 / 5 = 120 wide cells, 600 / 6 = 100 high; gaps (120 / 5) / 2 = 12, (100 / 6) / 2 = 8.
  for (int k = 0; k < 5; ++k) EXPECT_EQ(panel.TileRect(k), QRect(k * 120 + 6, 0, 108, 92)) << k;
  EXPECT_EQ(panel.TileRect(5), QRect(6, 100, 108, 92));
  EXPECT_EQ(panel.TileRect(6), QRect(126, 100, 108, 92));
  EXPECT_EQ(panel.Tile(6)->geometry(), panel.TileRect(6));
}

// More stacks than cells: the grid takes more rows, so that every stack has a
// tile of its own, in view, that opens it.
TEST_F(BasePanelTest, TwelveStacksOnAThreeByTwoGridEachGetATileThatOpensThem) {
  Load(12, 2, 1);
  panel.show();
  ASSERT_EQ(panel.TileCount(), 12);
  EXPECT_EQ(panel.GridColumns(), 3);
  EXPECT_EQ(panel.GridRows(), 4);
  // 600 / 3 = 200 wide cells, 600 / 4 = 150 high; gaps (200 / 3) / 2 = 33, (150 / 4) / 2 = 18.
  EXPECT_EQ(panel.TileRect(0), QRect(16, 0, 167, 132));
  EXPECT_EQ(panel.TileRect(11), QRect(416, 450, 167, 132));
  for (int k = 0; k < 12; ++k) {
    const QRect place = panel.TileRect(k);
    ASSERT_FALSE(place.isEmpty()) << k;
    EXPECT_TRUE(panel.rect().contains(place)) << k;
    EXPECT_EQ(panel.Tile(k)->geometry(), place) << k;
    for (int other = 0; other < k; ++other) EXPECT_FALSE(place.intersects(panel.TileRect(other))) << k;
    // What is under the tile's centre is that tile, and a click there opens its stack.
    QWidget* under = panel.childAt(place.center());
    ASSERT_NE(under, nullptr) << k;
    EXPECT_TRUE(under == panel.Tile(k) || panel.Tile(k)->isAncestorOf(under)) << k;
    const QPointF at(place.width() / 2, place.height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, panel.Tile(k)->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel.Tile(k), &press);
    ASSERT_FALSE(shown.empty()) << k;
    EXPECT_EQ(shown.back(), k);
  }
  EXPECT_EQ(shown.size(), 12u);
  // A grid with room to spare keeps its configured size.
  Load(12, 4, 5);
  EXPECT_EQ(panel.GridRows(), 6);
}

TEST_F(BasePanelTest, AGridSizeBelowOneCountsAsOne) {
  // A configuration file may hold -1 (or worse) in either field.
  Load(1, -1, -128);
  EXPECT_EQ(panel.TileRect(0), QRect(150, 0, 300, 300));
}

TEST_F(BasePanelTest, TileColourFollowsTheStateThroughTheBodyColourRule) {
  Load(3, 2, 2);
  settings->stopColour = 0x0000FF;
  panel.SetDirectionSpeed(1, 90, 40.0f);
  panel.SetState(1, CBasePanel::kStop);
  const CFnd* fnd = panel.Tile(1)->ValueDisplay();
  EXPECT_EQ(panel.Tile(1)->m_BodyColor, 0x0000FFu);
  EXPECT_EQ(fnd->m_DigitColor, 0x8080FFu);
  EXPECT_EQ(fnd->m_EdgeColor, 0x0000BFu);
  EXPECT_EQ(fnd->m_BackColor, 0x000000u);
  EXPECT_DOUBLE_EQ(fnd->m_Value, 40.0);
  settings->alarmColour = 0x008000;
  panel.SetState(1, CBasePanel::kAlarm);
  EXPECT_EQ(fnd->m_DigitColor, 0x80FF80u);
  EXPECT_EQ(fnd->m_EdgeColor, 0x004000u);
  panel.SetState(1, CBasePanel::kNormal);
  EXPECT_EQ(fnd->m_DigitColor, 0xFFFFFFu);
}

TEST_F(BasePanelTest, SilentStackShowsDashesWithoutUnitAndRecoversOnItsAnswer) {
  Load(2, 2, 2);
  CFnd* fnd = panel.Tile(0)->ValueDisplay();
  EXPECT_EQ(fnd->m_Unit, "m/s");
  panel.SetState(0, CBasePanel::kNoCommunication);
  EXPECT_TRUE(fnd->m_bNoData);
  EXPECT_TRUE(fnd->m_Unit.isEmpty());
  EXPECT_FLOAT_EQ(fnd->m_OffsetX, 0.0f);
  EXPECT_TRUE(fnd->DisplayText().startsWith(QStringLiteral("---")));
  panel.SetDirectionSpeed(0, 10, 12.5f);
  panel.SetState(0, CBasePanel::kNormal);
  EXPECT_FALSE(fnd->m_bNoData);
  EXPECT_EQ(fnd->m_Unit, "m/s");
  EXPECT_FLOAT_EQ(fnd->m_OffsetX, -0.25f);
  EXPECT_EQ(fnd->DisplayText(), "12.5");
}

TEST_F(BasePanelTest, TallTilesKeepTheirDigitsInsideTheReadout) {
  // Eight stacks on 4 x 2: tiles taller than wide for their digits.
  panel.resize(1580, 794);
  Load(8, 3, 1);
  for (int k = 0; k < 8; ++k) {
    const CFnd* fnd = panel.Tile(k)->ValueDisplay();
    const int w = fnd->width();
    const int h = fnd->height();
    EXPECT_LE(h, static_cast<int>(0.45 * w) + 1) << k;
    const int pitch = static_cast<int>(h * fnd->m_SizeFraction * 0.5);
    const auto cells = CFnd::LayoutCells(QStringLiteral("88.8"), w, fnd->m_OffsetX, pitch, false);
    EXPECT_GE(cells.front().left, 0) << k;
    // The readout and the footer under it are centred in the tile's height.
    const QRect tile = panel.Tile(k)->rect();
    const QRect block = fnd->geometry().united(panel.Tile(k)->FooterRect());
    EXPECT_NEAR(block.center().y(), tile.center().y(), 2) << k;
  }
}

TEST_F(BasePanelTest, StatesOutsideTheStacksAreIgnored) {
  Load(2, 2, 2);
  panel.SetState(2, CBasePanel::kTrip);
  panel.SetState(-1, CBasePanel::kTrip);
  EXPECT_EQ(panel.State(0), CBasePanel::kNormal);
  EXPECT_EQ(panel.State(1), CBasePanel::kNormal);
}

TEST_F(BasePanelTest, AClickOnATileNotifiesOnceWithFifteenAndOpensItsStack) {
  Load(4, 1, 1);
  panel.show();
  CIndicator* tile = panel.Tile(3);
  std::vector<int> codes;
  QObject::connect(tile, &CIndicator::notify, [&](int id, int code) {
    EXPECT_EQ(id, CBasePanel::kTileIdBase + 3);
    codes.push_back(code);
  });
  const QPointF at(tile->width() / 2, tile->height() / 2);
  QMouseEvent press(QEvent::MouseButtonPress, at, tile->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(tile, &press);
  EXPECT_EQ(codes, std::vector<int>{CIndicator::kValueClick});
  EXPECT_EQ(shown, std::vector<int>{3});
}

TEST_F(BasePanelTest, FewerStacksRemoveTilesAndMoreAddWhiteOnes) {
  Load(5, 2, 2);
  panel.SetState(4, CBasePanel::kTrip);
  Load(3, 2, 2);
  EXPECT_EQ(panel.TileCount(), 3);
  Load(6, 2, 2);
  ASSERT_EQ(panel.TileCount(), 6);
  EXPECT_EQ(panel.State(5), CBasePanel::kNormal);
  EXPECT_EQ(panel.Tile(5)->m_BodyColor, 0xFFFFFFu);
}

TEST_F(BasePanelTest, BusyTileShowsAWordNeitherDashesNorAStaleSpeed) {
  Load(2, 2, 2);
  panel.SetDirectionSpeed(0, 90, 12.5f);
  panel.SetState(0, CBasePanel::kNormal);
  CFnd* fnd = panel.Tile(0)->ValueDisplay();
  panel.SetState(0, CBasePanel::kBusy);
  EXPECT_EQ(panel.State(0), CBasePanel::kBusy);
  EXPECT_EQ(fnd->DisplayText(), QString::fromLatin1(CBasePanel::kBusyText));
  EXPECT_EQ(panel.Tile(0)->m_BodyColor, 0xFFFFFFu);
  // Silence after the dump: dashes; an answer: its speed again.
  panel.SetState(0, CBasePanel::kNoCommunication);
  EXPECT_EQ(fnd->DisplayText(), QStringLiteral("------------"));
  panel.SetDirectionSpeed(0, 90, 7.5f);
  panel.SetState(0, CBasePanel::kNormal);
  EXPECT_EQ(fnd->DisplayText(), QStringLiteral("7.5"));
}

TEST_F(BasePanelTest, EveryTileStateHasItsWordAndNormalNone) {
  Load(3, 2, 2);
  const struct {
    int state;
    const char* word;
  } cases[] = {{CBasePanel::kNormal, ""},         {CBasePanel::kAlarm, "ALARM"},
               {CBasePanel::kStop, "STOP"},       {CBasePanel::kTrip, "TRIP"},
               {CBasePanel::kNoCommunication, "NO COMM"}, {CBasePanel::kBusy, "DUMPING"},
               {CBasePanel::kNormal, ""}};
  CIndicator* tile = panel.Tile(1);
  for (const auto& c : cases) {
    panel.SetState(1, c.state);
    EXPECT_EQ(tile->m_strStateWord, QString::fromLatin1(c.word)) << c.state;
    EXPECT_EQ(tile->StateWordRect().isEmpty(), *c.word == 0) << c.state;
  }
  // A firmware upload says so; the other stacks' words are their own.
  panel.SetBusyKind(1, CBasePanel::BusyKind::kUpload);
  panel.SetState(1, CBasePanel::kBusy);
  EXPECT_EQ(tile->m_strStateWord, QStringLiteral("UPLOAD"));
  panel.SetState(2, CBasePanel::kBusy);
  EXPECT_EQ(panel.Tile(2)->m_strStateWord, QStringLiteral("DUMPING"));
  EXPECT_TRUE(panel.Tile(0)->m_strStateWord.isEmpty());
  // The colour is still the configured one: the word goes beside it.
  settings->tripColour = 0x0000FF;
  panel.SetState(1, CBasePanel::kTrip);
  EXPECT_EQ(tile->m_BodyColor, 0x0000FFu);
}

// A hundred stacks, titled far beyond a tile's width, in every state, on the
// grids and screens an operator may have: each title is cut to its room and
// neither it nor the state word reaches the readout, each other or the tile edge.
TEST_F(BasePanelTest, LongTitlesAreElidedAndNeverOverlapTheReadoutOrTheWord) {
  const QString longTitle = QStringLiteral("NORTH BREAKWATER LOADING CRANE 12 (EAST RAIL)");
  for (int i = 0; i < kMaxStacks; ++i) {
    SetFieldUtf8(settings->stacks[static_cast<size_t>(i)].title, longTitle.toStdString(), 80);
  }
  const struct {
    QSize panel;
    int columns;
    int rows;
  } sites[] = {{{1580, 794}, 10, 10}, {{1580, 794}, 15, 2}, {{1260, 800}, 10, 10}, {{1580, 794}, 4, 2}};
  for (const auto& site : sites) {
    panel.resize(site.panel);
    Load(site.columns * site.rows >= 100 ? 100 : 8, site.columns - 1, site.rows - 1);
    for (int k = 0; k < panel.TileCount(); ++k) {
      const int state = k % 6 == 5 ? CBasePanel::kBusy : k % 6 + 1;
      panel.SetDirectionSpeed(k, 0, 45.5f);
      panel.SetState(k, state);
      const CIndicator* tile = panel.Tile(k);
      const QRect footer = tile->FooterRect();
      const QRect readout = tile->ValueDisplay()->geometry();
      const QString where = QStringLiteral("%1x%2 stack %3").arg(site.columns).arg(site.rows).arg(k);
      ASSERT_FALSE(footer.isEmpty()) << where.toStdString();
      EXPECT_TRUE(tile->rect().contains(footer)) << where.toStdString();
      EXPECT_FALSE(footer.intersects(readout)) << where.toStdString();
      EXPECT_GE(tile->FooterFontPixels(), 7) << where.toStdString();
      const QString shown = tile->FooterTitle();
      ASSERT_FALSE(shown.isEmpty()) << where.toStdString();
      EXPECT_NE(shown, longTitle) << where.toStdString();
      EXPECT_TRUE(shown.contains(QChar(0x2026))) << where.toStdString();
      QFont font(QStringLiteral("Arial"));
      font.setPixelSize(tile->FooterFontPixels());
      EXPECT_LE(QFontMetrics(font).horizontalAdvance(shown), tile->FooterTitleRect().width()) << where.toStdString();
      EXPECT_TRUE(footer.contains(tile->FooterTitleRect())) << where.toStdString();
      if (state != CBasePanel::kNormal) {
        EXPECT_TRUE(footer.contains(tile->StateWordRect())) << where.toStdString();
        EXPECT_FALSE(tile->StateWordRect().intersects(tile->FooterTitleRect())) << where.toStdString();
        font.setBold(true);
        EXPECT_LE(QFontMetrics(font).horizontalAdvance(tile->m_strStateWord), tile->StateWordRect().width())
            << where.toStdString();
      }
    }
  }
  // A title with room to spare is shown whole.
  SetFieldUtf8(settings->stacks[0].title, "PIER B", 80);
  Load(8, 3, 1);
  EXPECT_EQ(panel.Tile(0)->FooterTitle(), QStringLiteral("PIER B"));
}

}  // namespace
}  // namespace ws
