#include "dialogs/stack_grid.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include <algorithm>

#include "grid/grid_ctrl.h"

namespace ws {
namespace {

constexpr ColorRef kCellBackground = 0xE0FFFF;

CGridCtrl* Grid(QWidget* w) { return static_cast<CGridCtrl*>(w); }

}  // namespace

StackGrid::StackGrid(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* grid = new CGridCtrl(this);
  grid->SetDefaultBkColour(kCellBackground);
  m_Control = grid;
  grid->installEventFilter(this);
  layout->addWidget(grid);
  SetRows({});
}

void StackGrid::SetRows(std::span<const ConfigStackRow> rows) {
  CGridCtrl* grid = Grid(m_Control);
  grid->DeleteAllItems();
  grid->SetColumnCount(kColumns);
  grid->SetRowCount(static_cast<int>(rows.size()) + 1);
  grid->SetFixedRowCount(1);
  grid->SetFixedColumnCount(1);
  static const char* const headings[kColumns] = {"Stack", "Title", "IP Address", "Direct Enable"};
  for (int c = 0; c < kColumns; ++c) {
    grid->SetColumnWidth(c, kWidths[static_cast<size_t>(c)]);
    grid->SetItemText(0, c, QString::fromLatin1(headings[c]));
  }
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    grid->SetItemText(i + 1, kColumnStack, QStringLiteral("#%1").arg(i + 1));
    grid->SetCellType(i + 1, kColumnDirect, CGridCtrl::kCheckCell);
    SetRow(i, rows[static_cast<size_t>(i)]);
  }
}

void StackGrid::SetRow(int stack, const ConfigStackRow& row) {
  CGridCtrl* grid = Grid(m_Control);
  const int r = stack + 1;
  if (stack < 0 || r >= grid->GetRowCount()) return;
  grid->SetItemText(r, kColumnTitle, row.title);
  grid->SetItemText(r, kColumnAddress, row.address);
  grid->SetItemCheck(r, kColumnDirect, row.directEnable);
}

std::vector<ConfigStackRow> StackGrid::Rows() const {
  const CGridCtrl* grid = Grid(m_Control);
  std::vector<ConfigStackRow> rows;
  for (int r = 1; r < grid->GetRowCount(); ++r) {
    rows.push_back({grid->GetItemText(r, kColumnTitle), grid->GetItemText(r, kColumnAddress),
                    grid->GetItemCheck(r, kColumnDirect)});
  }
  return rows;
}

int StackGrid::RowCount() const { return std::max(0, Grid(m_Control)->GetRowCount() - 1); }

bool StackGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_Control && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      CGridCtrl* grid = Grid(m_Control);
      if (grid->currentIndex().isValid()) grid->edit(grid->currentIndex());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void StackGrid::FocusCell(int stack, int column) {
  CGridCtrl* grid = Grid(m_Control);
  grid->setFocus();
  grid->SetFocusCell(stack + 1, column);
}

}  // namespace ws
