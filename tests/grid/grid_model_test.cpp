// The grid's data: addressing in grid coordinates, rejected writes, the row
// source and its precedence, structure changes that keep what fits.
#include <gtest/gtest.h>

#include "grid/grid_model.h"
#include "grid/grid_row_source.h"

namespace ws {
namespace {

// Texts made from the cell's position, a colour on every odd row's column 2.
class PositionRows : public GridRowSource {
 public:
  QString CellText(int row, int col) const override {
    ++calls;
    return QStringLiteral("r%1c%2").arg(row).arg(col);
  }
  ColorRef CellBackground(int row, int col) const override {
    return (row % 2 == 1 && col == 2) ? 0x00FFFF : kNoColour;
  }
  mutable int calls = 0;
};

void Shape(CGridModel& model, int rows, int cols, int fixedRows, int fixedCols) {
  model.SetRowCount(rows);
  model.SetColumnCount(cols);
  model.SetFixedRowCount(fixedRows);
  model.SetFixedColumnCount(fixedCols);
}

TEST(GridModel, WritesOutsideTheGridChangeNothing) {
  CGridModel model;
  model.SetRowCount(4);
  model.SetColumnCount(3);
  EXPECT_FALSE(model.SetItemText(4, 0, QStringLiteral("beyond")));
  EXPECT_FALSE(model.SetItemText(0, 3, QStringLiteral("beyond")));
  EXPECT_FALSE(model.SetItemText(-1, 0, QStringLiteral("before")));
  EXPECT_FALSE(model.SetItemBkColour(4, 1, 0x0000FF));
  EXPECT_FALSE(model.SetItemReadOnly(7, 1, true));
  EXPECT_FALSE(model.SetCellType(4, 2, CGridModel::kCheckCell));
  EXPECT_FALSE(model.SetItemCheck(4, 2, true));
  EXPECT_EQ(model.GetRowCount(), 4);
  EXPECT_EQ(model.GetColumnCount(), 3);
  EXPECT_EQ(model.GetItemText(4, 0), QString());
  // The rejected writes were not kept for rows that appear later.
  model.SetRowCount(8);
  EXPECT_EQ(model.GetItemText(4, 0), QString());
  EXPECT_EQ(model.GetItemBkColour(4, 1), model.GetDefaultBkColour());
  EXPECT_FALSE(model.IsItemReadOnly(7, 1));
  EXPECT_EQ(model.GetCellType(4, 2), CGridModel::kTextCell);
  EXPECT_FALSE(model.GetItemCheck(4, 2));
  EXPECT_FALSE(model.SetRowCount(-1));
  EXPECT_FALSE(model.SetColumnCount(-2));
  EXPECT_FALSE(model.SetFixedRowCount(2));
  EXPECT_EQ(model.GetRowCount(), 8);
}

TEST(GridModel, TextsReadBackExactly) {
  CGridModel model;
  Shape(model, 3, 3, 1, 1);
  const QString texts[] = {QStringLiteral("조회 구간 에러!"), QStringLiteral("  padded  "),
                           QStringLiteral("a\tb"), QString(200, QLatin1Char('x')),
                           QStringLiteral("2024.3.7 9:5:3")};
  int k = 0;
  for (int r = 0; r < 3 && k < 5; ++r) {
    for (int c = 0; c < 3 && k < 5; ++c) {
      ASSERT_TRUE(model.SetItemText(r, c, texts[k]));
      EXPECT_EQ(model.GetItemText(r, c), texts[k]);
      ++k;
    }
  }
  EXPECT_EQ(model.GetItemText(2, 2), QString());
  // Heading cells answer through the headers, data cells through the model.
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), texts[1]);  // (0, 1)
  EXPECT_EQ(model.headerData(0, Qt::Vertical).toString(), texts[3]);    // (1, 0)
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), texts[4]);       // (1, 1)
}

TEST(GridModel, FixedCountSetBeforeTheRowsTakesEffectWhenTheyExist) {
  CGridModel model;
  model.SetFixedRowCount(1);
  model.SetFixedColumnCount(1);
  model.SetColumnCount(6);
  EXPECT_EQ(model.FixedRows(), 0);
  EXPECT_EQ(model.rowCount(), 0);
  model.SetRowCount(1);
  EXPECT_EQ(model.FixedRows(), 1);
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.columnCount(), 5);
  model.SetRowCount(172799);
  EXPECT_EQ(model.rowCount(), 172798);
  EXPECT_TRUE(model.SetItemText(172798, 5, QStringLiteral("TRIP")));
  EXPECT_FALSE(model.SetItemText(172799, 5, QStringLiteral("TRIP")));
}

TEST(GridModel, RowSourceFillsWhatTheStoreDoesNotHold) {
  CGridModel model;
  Shape(model, 5, 4, 1, 1);
  PositionRows rows;
  model.SetItemText(0, 1, QStringLiteral("Date"));
  model.SetRowSource(&rows);
  EXPECT_EQ(model.GetItemText(0, 1), QStringLiteral("Date"));
  EXPECT_EQ(model.GetItemText(3, 2), QStringLiteral("r3c2"));
  // An empty text stored on purpose hides the source's text.
  model.SetItemText(2, 2, QString());
  EXPECT_EQ(model.GetItemText(2, 2), QString());
  EXPECT_EQ(model.GetItemText(2, 3), QStringLiteral("r2c3"));
  // Colours: own colour, else the source's, else the default / fixed colour.
  model.SetDefaultBkColour(0xE0FFFF);
  EXPECT_EQ(model.GetItemBkColour(1, 2), 0x00FFFFu);
  EXPECT_EQ(model.GetItemBkColour(2, 2), 0xE0FFFFu);
  EXPECT_EQ(model.GetItemBkColour(0, 2), model.GetFixedBkColour());
  model.SetItemBkColour(1, 2, 0x0000FF);
  EXPECT_EQ(model.GetItemBkColour(1, 2), 0x0000FFu);
  model.SetItemBkColour(1, 2, CGridModel::kNoColour);
  EXPECT_EQ(model.GetItemBkColour(1, 2), 0x00FFFFu);
  // Outside the grid the source is never asked.
  rows.calls = 0;
  EXPECT_EQ(model.GetItemText(5, 0), QString());
  EXPECT_EQ(model.GetItemText(1, 4), QString());
  EXPECT_EQ(rows.calls, 0);
  model.SetRowSource(nullptr);
  EXPECT_EQ(model.GetItemText(3, 2), QString());
}

TEST(GridModel, ColumnAndRowChangesKeepWhatFits) {
  CGridModel model;
  Shape(model, 4, 3, 1, 1);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) model.SetItemText(r, c, QStringLiteral("%1/%2").arg(r).arg(c));
  model.SetItemBkColour(2, 2, 0x0000FF);
  model.SetCellType(3, 1, CGridModel::kCheckCell);
  model.SetItemCheck(3, 1, true);
  model.SetColumnCount(5);
  EXPECT_EQ(model.GetItemText(2, 2), QStringLiteral("2/2"));
  EXPECT_EQ(model.GetItemText(2, 3), QString());
  EXPECT_EQ(model.GetItemBkColour(2, 2), 0x0000FFu);
  EXPECT_TRUE(model.GetItemCheck(3, 1));
  model.SetColumnCount(2);
  EXPECT_EQ(model.GetItemText(3, 1), QStringLiteral("3/1"));
  EXPECT_EQ(model.GetItemText(2, 2), QString());
  EXPECT_EQ(model.GetCellType(3, 1), CGridModel::kCheckCell);
  // Rows cut off and grown again come back empty.
  model.SetRowCount(2);
  model.SetRowCount(4);
  EXPECT_EQ(model.GetItemText(3, 1), QString());
  EXPECT_EQ(model.GetCellType(3, 1), CGridModel::kTextCell);
  EXPECT_FALSE(model.GetItemCheck(3, 1));
  EXPECT_EQ(model.GetItemText(1, 1), QStringLiteral("1/1"));
}

TEST(GridModel, EditsReachOnlyEditableDataCells) {
  CGridModel model;
  Shape(model, 3, 3, 1, 1);
  model.SetItemReadOnly(1, 2, true);
  model.SetCellType(2, 2, CGridModel::kCheckCell);
  EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);          // (1, 1)
  EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);         // read-only
  EXPECT_FALSE(model.flags(model.index(1, 1)) & Qt::ItemIsEditable);         // check box
  EXPECT_TRUE(model.flags(model.index(1, 1)) & Qt::ItemIsUserCheckable);
  EXPECT_FALSE(model.setData(model.index(0, 1), QStringLiteral("x")));
  EXPECT_FALSE(model.setData(model.index(1, 1), QStringLiteral("x")));
  EXPECT_TRUE(model.setData(model.index(0, 0), QStringLiteral("x")));
  EXPECT_EQ(model.GetItemText(1, 1), QStringLiteral("x"));
  EXPECT_FALSE(model.IsItemEditable(0, 1));  // a heading
  model.SetEditable(false);
  EXPECT_FALSE(model.setData(model.index(0, 0), QStringLiteral("y")));
  EXPECT_FALSE(model.setData(model.index(1, 1), Qt::Checked, Qt::CheckStateRole));
  EXPECT_EQ(model.GetItemText(1, 1), QStringLiteral("x"));
  // The owner still writes.
  EXPECT_TRUE(model.SetItemText(1, 1, QStringLiteral("owner")));
  EXPECT_TRUE(model.SetItemCheck(2, 2, true));
}

}  // namespace
}  // namespace ws
