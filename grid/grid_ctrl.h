// CGridCtrl, the station's table control: a QTableView over CGridModel with one
// fixed header row and one fixed column that stay in view while the rest scrolls,
// centred single-line cell texts, per-cell backgrounds, read-only, editable and
// check-box cells. The report table, the alarm list and the configuration dialog's
// stack table all use it.
//
// Addressing: every operation takes grid coordinates, fixed rows and columns
// counted: with one fixed row and column, (0, 0) is the corner heading, (0, c) the
// column headings, (r, 0) the row labels, data from (1, 1). Counts include them
// ("6 rows, 2 columns, 1 fixed column"). Operations outside the grid (a row at or
// beyond the row count, say) return false or an empty answer and change nothing.
//
// Colours are COLORREF values (0x00BBGGRR, uint32_t ws::ColorRef) like everywhere
// else in the station; the grid converts them only when painting.
//
// How each user sets it up:
//  - Small tables (alarm list, stack table): the plain text store. DeleteAllItems,
//    SetRowCount / SetColumnCount (totals), SetFixedRowCount / SetFixedColumnCount,
//    SetColumnWidth, SetDefaultBkColour(0xE0FFFF), then SetItemText per cell.
//    A check-box cell shows its box only; a text stored in it is kept and read
//    back but not painted.
//    Alarm list: SetItemReadOnly(r, c) for the cells the operator must not change
//    (cells are editable unless marked so, or SetEditable(false) for the whole grid).
//    Stack table: title and address cells stay editable (double click, F2 or typing
//    opens the in-place edit; Enter commits, Escape cancels; cellEdited follows);
//    SetCellType(r, 3, CGridCtrl::kCheckCell) and SetItemCheck / GetItemCheck for
//    "Direct Enable" (click or space toggles; checkToggled follows). Read the rows
//    back with GetItemText / GetItemCheck.
//  - Large tables (report, up to 172,798 data rows): keep the samples in a compact
//    array of your own and implement GridRowSource (CellText formats one cell on
//    request, CellBackground may colour the speed cell). After the reset set the
//    headings with SetItemText on row 0, SetRowCount(N), SetRowSource(&source),
//    and Refresh() whenever the samples changed. Stored texts win over the source.
//    The CSV export and the wind rose read cells back with GetItemText, which asks
//    the source like the painting does. Per-cell SetItemBkColour works too (flat
//    4 bytes a cell once used). SetEditable(false) if the operator must not edit.
//  - DeleteAllItems also detaches the row source; set it again after a reset.
//
// Keyboard and mouse: arrows, Page Up / Page Down, Home / End and the wheel move
// and scroll; a click selects a cell, a drag or Shift+click a block; Ctrl+C copies
// the selected cells as tab-separated lines.
#pragma once

#include <QString>
#include <QTableView>

#include <vector>

#include "core/colour_math.h"
#include "grid/grid_model.h"
#include "grid/grid_row_source.h"

namespace ws {

class CGridCorner;
class CGridDelegate;
class CGridHeader;

class CGridCtrl : public QTableView {
  Q_OBJECT

 public:
  using CellType = CGridModel::CellType;
  static constexpr CellType kTextCell = CGridModel::kTextCell;
  static constexpr CellType kCheckCell = CGridModel::kCheckCell;
  static constexpr ColorRef kNoColour = CGridModel::kNoColour;
  static constexpr int kDefaultColumnWidth = 80;
  static constexpr int kDefaultFontPixels = 12;  // "Arial" (Liberation Sans here)
  static constexpr int kRowPadding = 6;          // row height = font height + this

  explicit CGridCtrl(QWidget* parent = nullptr);
  ~CGridCtrl() override;

  CGridModel& Model() { return *m_pModel; }
  const CGridModel& Model() const { return *m_pModel; }

  // --- structure -----------------------------------------------------------------
  // Removes every row, column, cell text, colour and state, the column widths, the
  // fixed counts and the row source; grid-wide colours, row height and the
  // editable switch stay.
  void DeleteAllItems();
  bool SetRowCount(int rows);
  bool SetColumnCount(int cols);
  bool SetFixedRowCount(int fixed);     // 0 or 1
  bool SetFixedColumnCount(int fixed);  // 0 or 1
  int GetRowCount() const { return m_pModel->GetRowCount(); }
  int GetColumnCount() const { return m_pModel->GetColumnCount(); }
  int GetFixedRowCount() const { return m_pModel->GetFixedRowCount(); }
  int GetFixedColumnCount() const { return m_pModel->GetFixedColumnCount(); }
  // Width in pixels (>= 0) of a column; new columns get kDefaultColumnWidth.
  bool SetColumnWidth(int col, int width);
  int GetColumnWidth(int col) const;
  // Height of every row, the fixed header row included. Until it is set, it
  // follows the font (a new font gives a new height).
  void SetRowHeight(int height);
  int GetRowHeight() const { return m_nRowHeight; }

  // --- cells ---------------------------------------------------------------------
  bool SetItemText(int row, int col, const QString& text) {
    return m_pModel->SetItemText(row, col, text);
  }
  QString GetItemText(int row, int col) const { return m_pModel->GetItemText(row, col); }
  bool SetItemBkColour(int row, int col, ColorRef colour) {
    return m_pModel->SetItemBkColour(row, col, colour);
  }
  ColorRef GetItemBkColour(int row, int col) const {
    return m_pModel->GetItemBkColour(row, col);
  }
  bool SetItemReadOnly(int row, int col, bool readOnly = true) {
    return m_pModel->SetItemReadOnly(row, col, readOnly);
  }
  bool IsItemReadOnly(int row, int col) const { return m_pModel->IsItemReadOnly(row, col); }
  bool SetCellType(int row, int col, CellType type) {
    return m_pModel->SetCellType(row, col, type);
  }
  CellType GetCellType(int row, int col) const { return m_pModel->GetCellType(row, col); }
  bool SetItemCheck(int row, int col, bool checked) {
    return m_pModel->SetItemCheck(row, col, checked);
  }
  bool GetItemCheck(int row, int col) const { return m_pModel->GetItemCheck(row, col); }

  // --- grid-wide -----------------------------------------------------------------
  void SetDefaultBkColour(ColorRef colour) { m_pModel->SetDefaultBkColour(colour); }
  ColorRef GetDefaultBkColour() const { return m_pModel->GetDefaultBkColour(); }
  void SetFixedBkColour(ColorRef colour) { m_pModel->SetFixedBkColour(colour); }
  void SetTextColour(ColorRef colour) { m_pModel->SetTextColour(colour); }
  void SetEditable(bool editable) { m_pModel->SetEditable(editable); }
  bool IsEditable() const { return m_pModel->IsEditable(); }
  void SetRowSource(const GridRowSource* source) { m_pModel->SetRowSource(source); }
  // Repaints every cell now (setters schedule a repaint by themselves).
  void Refresh() { m_pModel->Refresh(); }

  // --- editing -------------------------------------------------------------------
  // Ends an open in-place edit: `commit` keeps the typed text as Enter does,
  // otherwise it is dropped as with Escape. Owners call it before they read the
  // rows back (a shortcut can press OK without the edit losing the focus).
  // False when no edit was open.
  bool EndEdit(bool commit = true);
  bool IsEditing() const;

  // --- selection -----------------------------------------------------------------
  // Mouse: a text too long for its cell shows whole as a tool tip.
  //
  // The selected data cells as text: one line per row of the selection's bounding
  // block, cells separated by tabs, lines by '\n', unselected cells inside the
  // block empty. Empty when nothing is selected.
  QString SelectedText() const;
  // Puts SelectedText on the clipboard (Ctrl+C).
  void CopySelection();
  // Makes grid cell (row, col) the current, selected cell and scrolls it into view.
  bool SetFocusCell(int row, int col);
  // The current cell in grid coordinates, (-1, -1) when there is none.
  int FocusRow() const;
  int FocusCol() const;

  // The widget that paints the corner cell (fixed row and column both present).
  QWidget* CornerCell() const;

 signals:
  void cellEdited(int row, int col);
  void checkToggled(int row, int col, bool checked);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // No jump to a cell by typing its first letters: on the report's table that
  // search would format every row it passes.
  void keyboardSearch(const QString& search) override;
  void updateGeometries() override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplyStructure();
  void ApplyColumnWidth(int col);
  void ApplyRowHeight(int height);

  CGridModel* m_pModel = nullptr;  // child of this control
  CGridHeader* m_pColumnHeader = nullptr;
  CGridHeader* m_pRowHeader = nullptr;
  CGridCorner* m_pCorner = nullptr;
  CGridDelegate* m_pDelegate = nullptr;
  std::vector<int> m_ColumnWidths;  // one per grid column
  int m_nRowHeight = 0;
  bool m_bRowHeightSet = false;  // by the owner; otherwise it follows the font
  bool m_bApplying = false;
};

}  // namespace ws
