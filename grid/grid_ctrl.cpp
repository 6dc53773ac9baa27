#include "grid/grid_ctrl.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QScrollBar>

#include <algorithm>

#include "grid/grid_corner.h"
#include "grid/grid_delegate.h"
#include "grid/grid_header.h"

namespace ws {

CGridCtrl::CGridCtrl(QWidget* parent) : QTableView(parent) {
  m_pModel = new CGridModel(this);
  m_pColumnHeader = new CGridHeader(Qt::Horizontal, *m_pModel, this);
  m_pRowHeader = new CGridHeader(Qt::Vertical, *m_pModel, this);
  setHorizontalHeader(m_pColumnHeader);
  setVerticalHeader(m_pRowHeader);
  m_pDelegate = new CGridDelegate(*m_pModel, this);
  setItemDelegate(m_pDelegate);
  setModel(m_pModel);

  // A compact face like the one the table widths were made for: a dotted address
  // fits its 100-pixel column. Owners may set another font before filling.
  QFont face(QStringLiteral("Arial"));
  face.setPixelSize(kDefaultFontPixels);
  setFont(face);

  // Every row has the same height and no row is ever measured: a table of
  // 172,798 rows lays out in constant time per change.
  m_pRowHeader->setSectionResizeMode(QHeaderView::Fixed);
  m_pColumnHeader->setSectionResizeMode(QHeaderView::Interactive);
  m_pColumnHeader->setStretchLastSection(false);
  m_pColumnHeader->setDefaultSectionSize(kDefaultColumnWidth);
  ApplyRowHeight(fontMetrics().height() + kRowPadding);

  setShowGrid(false);  // the delegate draws the lines, in the grid's own colour
  setWordWrap(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setTabKeyNavigation(false);  // Tab moves on to the dialog's next control

  m_pCorner = new CGridCorner(*m_pModel, this);
  m_pCorner->hide();

  connect(m_pModel, &CGridModel::structureChanged, this, &CGridCtrl::ApplyStructure);
  connect(m_pModel, &CGridModel::cellEdited, this, &CGridCtrl::cellEdited);
  connect(m_pModel, &CGridModel::checkToggled, this, &CGridCtrl::checkToggled);
  connect(m_pModel, &QAbstractItemModel::dataChanged, m_pCorner, qOverload<>(&QWidget::update));
  connect(m_pModel, &QAbstractItemModel::headerDataChanged, m_pCorner,
          qOverload<>(&QWidget::update));
  connect(m_pColumnHeader, &QHeaderView::sectionResized, this,
          [this](int logical, int, int size) {
            // The operator dragged a column edge: remember it like a set width.
            if (m_bApplying) return;
            const std::size_t col = static_cast<std::size_t>(logical + m_pModel->FixedCols());
            if (col < m_ColumnWidths.size()) m_ColumnWidths[col] = size;
          });
  ApplyStructure();
}

CGridCtrl::~CGridCtrl() = default;

// --- structure ----------------------------------------------------------------

void CGridCtrl::DeleteAllItems() {
  m_ColumnWidths.clear();
  m_pModel->DeleteAllItems();
}

bool CGridCtrl::SetRowCount(int rows) { return m_pModel->SetRowCount(rows); }

bool CGridCtrl::SetColumnCount(int cols) { return m_pModel->SetColumnCount(cols); }

bool CGridCtrl::SetFixedRowCount(int fixed) { return m_pModel->SetFixedRowCount(fixed); }

bool CGridCtrl::SetFixedColumnCount(int fixed) { return m_pModel->SetFixedColumnCount(fixed); }

bool CGridCtrl::SetColumnWidth(int col, int width) {
  if (col < 0 || col >= GetColumnCount() || width < 0) return false;
  m_ColumnWidths[static_cast<std::size_t>(col)] = width;
  ApplyColumnWidth(col);
  return true;
}

int CGridCtrl::GetColumnWidth(int col) const {
  if (col < 0 || col >= GetColumnCount()) return 0;
  return m_ColumnWidths[static_cast<std::size_t>(col)];
}

void CGridCtrl::SetRowHeight(int height) {
  if (height < 1) return;
  m_bRowHeightSet = true;
  ApplyRowHeight(height);
}

void CGridCtrl::ApplyRowHeight(int height) {
  m_nRowHeight = height;
  m_pRowHeader->setDefaultSectionSize(height);
  m_pColumnHeader->setFixedHeight(height);
  updateGeometries();
}

void CGridCtrl::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange && !m_bRowHeightSet && m_pRowHeader)
    ApplyRowHeight(fontMetrics().height() + kRowPadding);
}

void CGridCtrl::ApplyColumnWidth(int col) {
  const int width = m_ColumnWidths[static_cast<std::size_t>(col)];
  const int fixedCols = m_pModel->FixedCols();
  m_bApplying = true;
  if (col < fixedCols) {
    m_pRowHeader->setFixedWidth(width);
  } else {
    m_pColumnHeader->resizeSection(col - fixedCols, width);
  }
  m_bApplying = false;
  updateGeometries();
}

void CGridCtrl::ApplyStructure() {
  // Qt forgets the section sizes on a model reset: the grid's widths are the
  // ones it keeps, and they go back onto the headers after every change.
  m_ColumnWidths.resize(static_cast<std::size_t>(GetColumnCount()), kDefaultColumnWidth);
  m_pColumnHeader->setVisible(m_pModel->FixedRows() > 0);
  m_pRowHeader->setVisible(m_pModel->FixedCols() > 0);
  m_bApplying = true;
  const int fixedCols = m_pModel->FixedCols();
  if (fixedCols > 0) m_pRowHeader->setFixedWidth(m_ColumnWidths[0]);
  for (int col = fixedCols; col < GetColumnCount(); ++col) {
    if (m_pColumnHeader->sectionSize(col - fixedCols) != m_ColumnWidths[static_cast<std::size_t>(col)])
      m_pColumnHeader->resizeSection(col - fixedCols, m_ColumnWidths[static_cast<std::size_t>(col)]);
  }
  m_bApplying = false;
  updateGeometries();
}

void CGridCtrl::updateGeometries() {
  QTableView::updateGeometries();
  if (!m_pCorner) return;
  const bool both = m_pModel->FixedRows() > 0 && m_pModel->FixedCols() > 0;
  if (!both) {
    m_pCorner->hide();
    return;
  }
  // Where the view puts its own corner button: left of the column headings,
  // above the row labels.
  const QRect body = viewport()->geometry();
  const int width = m_pRowHeader->width();
  const int height = m_pColumnHeader->height();
  m_pCorner->setGeometry(body.left() - width, body.top() - height, width, height);
  m_pCorner->show();
  m_pCorner->raise();
}

// --- editing ------------------------------------------------------------------

bool CGridCtrl::EndEdit(bool commit) {
  QWidget* editor = m_pDelegate->OpenEditor();
  if (!editor || !editor->isVisible()) return false;
  if (commit) commitData(editor);
  closeEditor(editor, QAbstractItemDelegate::NoHint);
  return true;
}

bool CGridCtrl::IsEditing() const {
  const QWidget* editor = m_pDelegate->OpenEditor();
  return editor && editor->isVisible();
}

// --- selection ----------------------------------------------------------------

QString CGridCtrl::SelectedText() const {
  const QItemSelectionModel* selection = selectionModel();
  if (!selection) return QString();
  const QItemSelection ranges = selection->selection();
  if (ranges.isEmpty()) return QString();
  int top = ranges.first().top();
  int bottom = ranges.first().bottom();
  int left = ranges.first().left();
  int right = ranges.first().right();
  for (const QItemSelectionRange& range : ranges) {
    top = std::min(top, range.top());
    bottom = std::max(bottom, range.bottom());
    left = std::min(left, range.left());
    right = std::max(right, range.right());
  }
  const bool block = ranges.size() == 1;
  const auto selected = [&](int r, int c) {
    if (block) return true;
    return std::any_of(ranges.begin(), ranges.end(), [&](const QItemSelectionRange& range) {
      return r >= range.top() && r <= range.bottom() && c >= range.left() && c <= range.right();
    });
  };
  const int fixedRows = m_pModel->FixedRows();
  const int fixedCols = m_pModel->FixedCols();
  QString text;
  for (int r = top; r <= bottom; ++r) {
    if (r > top) text += QLatin1Char('\n');
    for (int c = left; c <= right; ++c) {
      if (c > left) text += QLatin1Char('\t');
      if (selected(r, c)) text += m_pModel->GetItemText(r + fixedRows, c + fixedCols);
    }
  }
  return text;
}

void CGridCtrl::CopySelection() {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(SelectedText());
}

bool CGridCtrl::SetFocusCell(int row, int col) {
  if (!m_pModel->IsValid(row, col) || m_pModel->IsFixed(row, col)) return false;
  const QModelIndex index =
      m_pModel->index(row - m_pModel->FixedRows(), col - m_pModel->FixedCols());
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  scrollTo(index);
  return true;
}

int CGridCtrl::FocusRow() const {
  const QModelIndex index = currentIndex();
  return index.isValid() ? m_pModel->GridRow(index) : -1;
}

int CGridCtrl::FocusCol() const {
  const QModelIndex index = currentIndex();
  return index.isValid() ? m_pModel->GridCol(index) : -1;
}

QWidget* CGridCtrl::CornerCell() const { return m_pCorner; }

void CGridCtrl::keyboardSearch(const QString&) {}

void CGridCtrl::keyPressEvent(QKeyEvent* event) {
  if (event == QKeySequence::Copy) {
    // The view's own copy takes the current cell only.
    CopySelection();
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace ws
