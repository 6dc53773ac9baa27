// The grid control as the operator meets it: fixed headings while scrolling,
// check boxes by click and space, in-place editing, read-only cells, copying,
// keyboard and wheel, and a reset that leaves nothing behind.
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>

#include "grid/grid_ctrl.h"
#include "grid/grid_row_source.h"

namespace ws {
namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

class NumberedRows : public GridRowSource {
 public:
  QString CellText(int row, int col) const override {
    return col == 0 ? QString::number(row) : QStringLiteral("%1.%2").arg(row).arg(col);
  }
};

class GridCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid = std::make_unique<CGridCtrl>();
    grid->resize(400, 300);
    grid->setAttribute(Qt::WA_DontShowOnScreen);
    grid->show();
    Settle();
  }

  // Stack-table shape: heading row, label column, text columns 1-2, check column 3.
  void MakeStackTable(int stacks) {
    grid->DeleteAllItems();
    grid->SetRowCount(stacks + 1);
    grid->SetColumnCount(4);
    grid->SetFixedRowCount(1);
    grid->SetFixedColumnCount(1);
    grid->SetDefaultBkColour(0xE0FFFF);
    for (int i = 0; i < stacks; ++i) {
      grid->SetItemText(i + 1, 0, QStringLiteral("#%1").arg(i + 1));
      grid->SetItemText(i + 1, 1, QStringLiteral("STACK #%1").arg(i + 1));
      grid->SetCellType(i + 1, 3, CGridCtrl::kCheckCell);
    }
    Settle();
  }

  QPoint CellCentre(int row, int col) const {
    const QModelIndex index = grid->Model().index(row - grid->Model().FixedRows(),
                                                  col - grid->Model().FixedCols());
    return grid->visualRect(index).center();
  }

  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* target = grid->viewport();
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }

  void Click(int row, int col) {
    const QPoint at = CellCentre(row, col);
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at);
    Settle();
  }

  void DoubleClick(int row, int col) {
    const QPoint at = CellCentre(row, col);
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at);
    Mouse(QEvent::MouseButtonDblClick, at);
    Mouse(QEvent::MouseButtonRelease, at);
    Settle();
  }

  static void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                  const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &release);
  }

  QLineEdit* OpenEditor() const {
    for (QLineEdit* edit : grid->viewport()->findChildren<QLineEdit*>()) {
      if (edit->isVisible()) return edit;
    }
    return nullptr;
  }

  std::unique_ptr<CGridCtrl> grid;
};

TEST_F(GridCtrlTest, FixedRowAndColumnStayInViewWhileScrolling) {
  NumberedRows rows;
  grid->DeleteAllItems();
  grid->SetRowCount(1001);
  grid->SetColumnCount(8);
  grid->SetFixedRowCount(1);
  grid->SetFixedColumnCount(1);
  for (int c = 0; c < 8; ++c) {
    grid->SetColumnWidth(c, 90);
    grid->SetItemText(0, c, QStringLiteral("H%1").arg(c));
  }
  grid->SetRowSource(&rows);
  grid->SetDefaultBkColour(0xE0FFFF);
  Settle();

  QHeaderView* top = grid->horizontalHeader();
  QHeaderView* left = grid->verticalHeader();
  ASSERT_TRUE(top->isVisible());
  ASSERT_TRUE(left->isVisible());
  ASSERT_TRUE(grid->CornerCell()->isVisible());
  EXPECT_EQ(left->width(), 90);
  const QRect topBefore = top->geometry();
  const QRect leftBefore = left->geometry();
  const QRect cornerBefore = grid->CornerCell()->geometry();
  EXPECT_EQ(grid->rowAt(0), 0);

  grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum() / 2);
  grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
  Settle();

  const int firstRow = grid->rowAt(0);
  const int firstCol = grid->columnAt(0);
  EXPECT_GT(firstRow, 100);
  EXPECT_GT(firstCol, 0);
  // The headings sit where they sat and head the columns and rows now in view.
  EXPECT_EQ(top->geometry(), topBefore);
  EXPECT_EQ(left->geometry(), leftBefore);
  EXPECT_EQ(grid->CornerCell()->geometry(), cornerBefore);
  EXPECT_EQ(top->logicalIndexAt(0), firstCol);
  EXPECT_EQ(left->logicalIndexAt(0), firstRow);
  EXPECT_EQ(grid->Model().headerData(left->logicalIndexAt(0), Qt::Vertical).toString(),
            QString::number(firstRow + 1));

  // And they are painted there: heading grey above and left of the yellow body.
  const QImage shot = grid->grab().toImage();
  const QPoint inTop = top->geometry().topLeft() + QPoint(5, top->height() / 2);
  const QPoint inLeft = left->geometry().topLeft() + QPoint(5, left->height() / 2);
  const QPoint inBody = grid->viewport()->geometry().topLeft() + QPoint(5, 5);
  EXPECT_EQ(QColor(shot.pixel(inTop)), QColor(0xF0, 0xF0, 0xF0));
  EXPECT_EQ(QColor(shot.pixel(inLeft)), QColor(0xF0, 0xF0, 0xF0));
  EXPECT_EQ(QColor(shot.pixel(inBody)), QColor(0xFF, 0xFF, 0xE0));
}

TEST_F(GridCtrlTest, WidthsAndHeadingsOfAFixedColumnOnlyTable) {
  // The alarm list: six rows, two columns, the first of them fixed, no heading row.
  grid->DeleteAllItems();
  grid->SetRowCount(6);
  grid->SetColumnCount(2);
  grid->SetFixedColumnCount(1);
  grid->SetColumnWidth(0, 80);
  grid->SetColumnWidth(1, 250);
  grid->SetItemText(0, 0, QStringLiteral("Stack"));
  grid->SetItemText(0, 1, QStringLiteral("5"));
  Settle();
  EXPECT_FALSE(grid->horizontalHeader()->isVisible());
  EXPECT_FALSE(grid->CornerCell()->isVisible());
  EXPECT_EQ(grid->verticalHeader()->width(), 80);
  EXPECT_EQ(grid->columnWidth(0), 250);
  EXPECT_EQ(grid->GetColumnWidth(1), 250);
  EXPECT_EQ(grid->Model().headerData(0, Qt::Vertical).toString(), QStringLiteral("Stack"));
  EXPECT_EQ(grid->Model().data(grid->Model().index(0, 0)).toString(), QStringLiteral("5"));
  // Widths outlive a change of the row count (the model resets the headers).
  grid->SetRowCount(8);
  grid->SetFixedRowCount(1);
  Settle();
  EXPECT_EQ(grid->verticalHeader()->width(), 80);
  EXPECT_EQ(grid->columnWidth(0), 250);
  EXPECT_FALSE(grid->SetColumnWidth(2, 10));
  EXPECT_EQ(grid->GetColumnWidth(2), 0);

  // Row height: it follows the font until the owner sets one; then the heading
  // row and every data row, old rows and new, take that one.
  const int fontHeight = grid->GetRowHeight();
  QFont large = grid->font();
  large.setPixelSize(24);
  grid->setFont(large);
  EXPECT_GT(grid->GetRowHeight(), fontHeight);
  EXPECT_EQ(grid->rowHeight(1), grid->GetRowHeight());
  grid->SetRowHeight(31);
  grid->SetRowCount(12);
  Settle();
  EXPECT_EQ(grid->horizontalHeader()->height(), 31);
  EXPECT_EQ(grid->rowHeight(0), 31);
  EXPECT_EQ(grid->rowHeight(10), 31);
  QFont bigger = grid->font();
  bigger.setPixelSize(30);
  grid->setFont(bigger);
  EXPECT_EQ(grid->rowHeight(3), 31);  // set by the owner: the font does not change it

  // Widths set before the column becomes fixed move with it into the label column.
  grid->DeleteAllItems();
  grid->SetRowCount(3);
  grid->SetColumnCount(3);
  grid->SetColumnWidth(0, 66);
  grid->SetColumnWidth(1, 77);
  grid->SetFixedColumnCount(1);
  Settle();
  EXPECT_EQ(grid->verticalHeader()->width(), 66);
  EXPECT_EQ(grid->columnWidth(0), 77);
  EXPECT_EQ(grid->columnWidth(1), CGridCtrl::kDefaultColumnWidth);
}

TEST_F(GridCtrlTest, CheckBoxTogglesByClickAndSpaceAndReadsBack) {
  MakeStackTable(4);
  grid->SetItemCheck(2, 3, true);
  std::vector<std::pair<int, bool>> toggles;
  QObject::connect(grid.get(), &CGridCtrl::checkToggled,
                   [&](int row, int col, bool on) { toggles.push_back({row * 10 + col, on}); });

  Click(1, 3);
  EXPECT_TRUE(grid->GetItemCheck(1, 3));
  EXPECT_EQ(grid->FocusRow(), 1);
  EXPECT_EQ(grid->FocusCol(), 3);
  Click(1, 3);
  EXPECT_FALSE(grid->GetItemCheck(1, 3));
  Click(2, 3);
  EXPECT_FALSE(grid->GetItemCheck(2, 3));

  grid->setFocus();
  ASSERT_TRUE(grid->SetFocusCell(3, 3));
  Key(grid.get(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_TRUE(grid->GetItemCheck(3, 3));
  Key(grid.get(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_FALSE(grid->GetItemCheck(3, 3));
  const std::vector<std::pair<int, bool>> expected = {
      {13, true}, {13, false}, {23, false}, {33, true}, {33, false}};
  EXPECT_EQ(toggles, expected);
  EXPECT_TRUE(grid->Model().data(grid->Model().index(1, 2), Qt::CheckStateRole).isValid());

  // A press elsewhere that ends on the box leaves it alone.
  Mouse(QEvent::MouseButtonPress, CellCentre(4, 1));
  Mouse(QEvent::MouseButtonRelease, CellCentre(4, 3));
  Settle();
  EXPECT_FALSE(grid->GetItemCheck(4, 3));

  // Read-only, or the whole grid locked: neither click nor space changes it.
  grid->SetItemReadOnly(4, 3);
  Click(4, 3);
  grid->SetFocusCell(4, 3);
  Key(grid.get(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_FALSE(grid->GetItemCheck(4, 3));
  grid->SetEditable(false);
  Click(1, 3);
  EXPECT_FALSE(grid->GetItemCheck(1, 3));
  EXPECT_EQ(toggles.size(), expected.size());
}

TEST_F(GridCtrlTest, InPlaceEditCommitsOnEnterAndCancelsOnEscape) {
  MakeStackTable(3);
  std::vector<int> edited;
  QObject::connect(grid.get(), &CGridCtrl::cellEdited,
                   [&](int row, int col) { edited.push_back(row * 10 + col); });

  DoubleClick(2, 1);
  QLineEdit* edit = OpenEditor();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->text(), QStringLiteral("STACK #2"));
  EXPECT_EQ(edit->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
  edit->setText(QStringLiteral("CRANE 2"));
  Key(edit, Qt::Key_Return);
  Settle();
  EXPECT_EQ(OpenEditor(), nullptr);
  EXPECT_EQ(grid->GetItemText(2, 1), QStringLiteral("CRANE 2"));

  DoubleClick(3, 2);
  edit = OpenEditor();
  ASSERT_NE(edit, nullptr);
  edit->setText(QStringLiteral("10.0.0.9"));
  Key(edit, Qt::Key_Escape);
  Settle();
  EXPECT_EQ(OpenEditor(), nullptr);
  EXPECT_EQ(grid->GetItemText(3, 2), QString());

  // Typing on a selected cell opens the edit with what was typed.
  grid->setFocus();
  grid->SetFocusCell(1, 2);
  Key(grid.get(), Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
  Settle();
  edit = OpenEditor();
  ASSERT_NE(edit, nullptr);
  Key(edit, Qt::Key_9, Qt::NoModifier, QStringLiteral("9"));
  Key(edit, Qt::Key_Enter);
  Settle();
  EXPECT_EQ(grid->GetItemText(1, 2), QStringLiteral("19"));
  EXPECT_EQ(edited, (std::vector<int>{21, 12}));

  // The owner ends an edit still open before it reads the rows: kept or dropped.
  EXPECT_FALSE(grid->EndEdit());
  DoubleClick(1, 1);
  ASSERT_TRUE(grid->IsEditing());
  OpenEditor()->setText(QStringLiteral("kept"));
  EXPECT_TRUE(grid->EndEdit(true));
  EXPECT_FALSE(grid->IsEditing());
  EXPECT_EQ(grid->GetItemText(1, 1), QStringLiteral("kept"));
  DoubleClick(1, 1);
  ASSERT_TRUE(grid->IsEditing());
  OpenEditor()->setText(QStringLiteral("dropped"));
  EXPECT_TRUE(grid->EndEdit(false));
  Settle();
  EXPECT_EQ(OpenEditor(), nullptr);
  EXPECT_EQ(grid->GetItemText(1, 1), QStringLiteral("kept"));
  // A new edit opens after the old one is gone.
  DoubleClick(2, 1);
  EXPECT_TRUE(grid->IsEditing());
}

TEST(GridCtrlInDialog, EnterAndEscapeInAnEditStayInTheGrid) {
  // The stack table lives in a dialog with a default OK button: the key that
  // ends an edit must not also close the dialog.
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* grid = new CGridCtrl(&dialog);
  auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
  layout->addWidget(grid);
  layout->addWidget(ok);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  grid->SetRowCount(3);
  grid->SetColumnCount(3);
  grid->SetFixedRowCount(1);
  grid->SetFixedColumnCount(1);
  grid->SetItemText(1, 1, QStringLiteral("STACK #1"));
  dialog.resize(400, 300);
  dialog.setAttribute(Qt::WA_DontShowOnScreen);
  dialog.show();
  Settle();
  int finished = 0;
  QObject::connect(&dialog, &QDialog::finished, [&] { ++finished; });

  const auto editCell = [&](const QString& text) -> QLineEdit* {
    grid->setFocus();
    grid->SetFocusCell(1, 1);
    grid->edit(grid->currentIndex());
    Settle();
    QLineEdit* edit = grid->viewport()->findChild<QLineEdit*>();
    if (edit) {
      edit->setFocus();
      edit->setText(text);
    }
    return edit;
  };
  QLineEdit* edit = editCell(QStringLiteral("CRANE 1"));
  ASSERT_NE(edit, nullptr);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(edit, &enter);
  Settle();
  EXPECT_EQ(grid->GetItemText(1, 1), QStringLiteral("CRANE 1"));
  EXPECT_TRUE(dialog.isVisible());

  edit = editCell(QStringLiteral("dropped"));
  ASSERT_NE(edit, nullptr);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(edit, &escape);
  Settle();
  EXPECT_EQ(grid->GetItemText(1, 1), QStringLiteral("CRANE 1"));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(finished, 0);

  // Outside an edit Enter is the dialog's, as with any other control.
  QKeyEvent again(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(grid, &again);
  Settle();
  EXPECT_EQ(finished, 1);
}

TEST_F(GridCtrlTest, ReadOnlyCellRefusesAnEdit) {
  MakeStackTable(3);
  grid->SetItemText(1, 2, QStringLiteral("192.168.0.1"));
  grid->SetItemReadOnly(1, 2);
  bool edited = false;
  QObject::connect(grid.get(), &CGridCtrl::cellEdited, [&] { edited = true; });

  DoubleClick(1, 2);
  EXPECT_EQ(OpenEditor(), nullptr);
  grid->setFocus();
  grid->SetFocusCell(1, 2);
  Key(grid.get(), Qt::Key_F2);
  Key(grid.get(), Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
  Settle();
  EXPECT_EQ(OpenEditor(), nullptr);
  EXPECT_EQ(grid->GetItemText(1, 2), QStringLiteral("192.168.0.1"));
  EXPECT_TRUE(grid->IsItemReadOnly(1, 2));
  EXPECT_FALSE(edited);
  // Its neighbour is still editable, and the owner may still write the cell.
  DoubleClick(1, 1);
  EXPECT_NE(OpenEditor(), nullptr);
  EXPECT_TRUE(grid->SetItemText(1, 2, QStringLiteral("10.0.0.1")));
  EXPECT_EQ(grid->GetItemText(1, 2), QStringLiteral("10.0.0.1"));
}

TEST_F(GridCtrlTest, CtrlCCopiesTheSelectedCellsAsTabSeparatedLines) {
  NumberedRows rows;
  grid->DeleteAllItems();
  grid->SetRowCount(10);
  grid->SetColumnCount(4);
  grid->SetFixedRowCount(1);
  grid->SetFixedColumnCount(1);
  grid->SetRowSource(&rows);
  grid->SetItemText(3, 2, QStringLiteral("stored"));
  Settle();
  EXPECT_EQ(grid->SelectedText(), QString());

  // A drag from (2, 1) to (3, 2) selects a block.
  Mouse(QEvent::MouseButtonPress, CellCentre(2, 1));
  {
    const QPoint to = CellCentre(3, 2);
    QMouseEvent move(QEvent::MouseMove, to, grid->viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
  }
  Mouse(QEvent::MouseButtonRelease, CellCentre(3, 2));
  Settle();
  grid->setFocus();
  QGuiApplication::clipboard()->clear();
  Key(grid.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("2.1\t2.2\n3.1\tstored"));

  // Two separate cells: their bounding block, the cells between left empty.
  grid->selectionModel()->select(grid->Model().index(0, 0), QItemSelectionModel::ClearAndSelect);
  grid->selectionModel()->select(grid->Model().index(1, 2), QItemSelectionModel::Select);
  EXPECT_EQ(grid->SelectedText(), QStringLiteral("1.1\t\t\n\t\t2.3"));
}

TEST_F(GridCtrlTest, TextCutShortInItsCellShowsWholeAsToolTip) {
  MakeStackTable(2);
  grid->SetColumnWidth(1, 40);
  const QString longTitle = QStringLiteral("NORTH HARBOUR CRANE 12");
  grid->SetItemText(1, 1, longTitle);
  grid->SetItemText(2, 1, QStringLiteral("A"));
  Settle();
  const auto hover = [&](int row, int col) {
    const QPoint at = CellCentre(row, col);
    QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  EXPECT_EQ(hover(2, 1), QString());
  EXPECT_EQ(hover(1, 1), longTitle);
  QToolTip::hideText();
}

TEST_F(GridCtrlTest, KeysAndWheelMoveThroughALargeTable) {
  NumberedRows rows;
  grid->DeleteAllItems();
  grid->SetRowCount(172799);
  grid->SetColumnCount(6);
  grid->SetFixedRowCount(1);
  grid->SetFixedColumnCount(1);
  grid->SetRowSource(&rows);
  Settle();
  grid->setFocus();
  ASSERT_TRUE(grid->SetFocusCell(1, 1));
  Key(grid.get(), Qt::Key_Down);
  Key(grid.get(), Qt::Key_Right);
  EXPECT_EQ(grid->FocusRow(), 2);
  EXPECT_EQ(grid->FocusCol(), 2);
  Key(grid.get(), Qt::Key_PageDown);
  EXPECT_GT(grid->FocusRow(), 5);
  Key(grid.get(), Qt::Key_PageUp);
  EXPECT_EQ(grid->FocusRow(), 2);
  Key(grid.get(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid->FocusRow(), 172798);
  EXPECT_EQ(grid->GetItemText(grid->FocusRow(), 0), QStringLiteral("172798"));
  EXPECT_EQ(grid->rowAt(grid->viewport()->height() - 2), 172797);

  grid->verticalScrollBar()->setValue(0);
  const QPoint at = grid->viewport()->rect().center();
  QWheelEvent wheel(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(grid->viewport(), &wheel);
  EXPECT_GT(grid->verticalScrollBar()->value(), 0);
}

TEST_F(GridCtrlTest, RemovingAllRowsLeavesOnlyWhatIsSetAgain) {
  NumberedRows rows;
  MakeStackTable(5);
  grid->SetColumnWidth(1, 150);
  grid->SetItemBkColour(2, 2, 0x0000FF);
  grid->SetItemReadOnly(3, 1);
  grid->SetItemCheck(4, 3, true);
  grid->SetRowSource(&rows);

  grid->DeleteAllItems();
  Settle();
  EXPECT_EQ(grid->GetRowCount(), 0);
  EXPECT_EQ(grid->GetColumnCount(), 0);
  EXPECT_EQ(grid->GetFixedRowCount(), 0);
  EXPECT_EQ(grid->GetFixedColumnCount(), 0);
  EXPECT_EQ(grid->Model().rowCount(), 0);
  EXPECT_FALSE(grid->horizontalHeader()->isVisible());
  EXPECT_FALSE(grid->SetItemText(1, 1, QStringLiteral("x")));

  grid->SetRowCount(6);
  grid->SetColumnCount(4);
  grid->SetItemText(1, 1, QStringLiteral("again"));
  Settle();
  for (int r = 0; r < 6; ++r) {
    for (int c = 0; c < 4; ++c) {
      if (r == 1 && c == 1) continue;
      EXPECT_EQ(grid->GetItemText(r, c), QString()) << r << "," << c;
      EXPECT_EQ(grid->GetItemBkColour(r, c), 0xE0FFFFu) << r << "," << c;
      EXPECT_FALSE(grid->IsItemReadOnly(r, c));
      EXPECT_EQ(grid->GetCellType(r, c), CGridCtrl::kTextCell);
      EXPECT_FALSE(grid->GetItemCheck(r, c));
    }
  }
  EXPECT_EQ(grid->GetItemText(1, 1), QStringLiteral("again"));
  EXPECT_EQ(grid->GetColumnWidth(1), CGridCtrl::kDefaultColumnWidth);
  EXPECT_EQ(grid->columnWidth(1), CGridCtrl::kDefaultColumnWidth);
  EXPECT_FALSE(grid->verticalHeader()->isVisible());
}

}  // namespace
}  // namespace ws
