// CGridModel: the data behind the grid control, in grid coordinates (fixed rows and
// columns counted, as the owners of the grid address it). Stores only what owners
// set: a text array per row that received a text, and the per-cell colours and
// states in flat arrays that exist only once some cell was given one. Texts the
// owner never stored come from an optional GridRowSource, formatted on request.
//
// Towards Qt the fixed row and column are not rows and columns of the model: the
// fixed row is the horizontal header, the fixed column the vertical header, so the
// view keeps them in place while the data scrolls. Model index (r, c) is grid cell
// (r + fixed rows, c + fixed columns).
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/colour_math.h"
#include "grid/grid_row_source.h"

namespace ws {

class CGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum CellType : int { kTextCell = 0, kCheckCell = 1 };

  static constexpr ColorRef kNoColour = GridRowSource::kNoColour;
  static constexpr ColorRef kDefaultBk = 0xFFFFFF;      // white
  static constexpr ColorRef kDefaultFixedBk = 0xF0F0F0; // button face grey
  static constexpr ColorRef kDefaultText = 0x000000;    // black
  static constexpr int kMaxFixed = 1;                   // one fixed row, one fixed column

  explicit CGridModel(QObject* parent = nullptr);
  ~CGridModel() override;

  // --- structure (grid counts include the fixed rows and columns) ---------------
  // Removes every row, column and cell state, the fixed counts and the row source.
  // The grid-wide settings (default colours, editable) stay.
  void DeleteAllItems();
  bool SetRowCount(int rows);        // rows >= 0; false (and no change) otherwise
  bool SetColumnCount(int cols);     // cols >= 0
  bool SetFixedRowCount(int fixed);  // 0 or 1
  bool SetFixedColumnCount(int fixed);
  int GetRowCount() const { return m_nRows; }
  int GetColumnCount() const { return m_nCols; }
  int GetFixedRowCount() const { return m_nFixedRows; }
  int GetFixedColumnCount() const { return m_nFixedCols; }
  // The fixed rows and columns in effect: the set count, but never more than exist.
  int FixedRows() const { return m_nFixedRows < m_nRows ? m_nFixedRows : m_nRows; }
  int FixedCols() const { return m_nFixedCols < m_nCols ? m_nFixedCols : m_nCols; }
  bool IsValid(int row, int col) const {
    return row >= 0 && col >= 0 && row < m_nRows && col < m_nCols;
  }
  bool IsFixed(int row, int col) const { return row < FixedRows() || col < FixedCols(); }

  // --- cells (every setter returns false and changes nothing outside the grid) --
  bool SetItemText(int row, int col, const QString& text);
  // The stored text, else the row source's text, else empty ("" outside the grid).
  QString GetItemText(int row, int col) const;
  // Own background of a cell; kNoColour gives the cell back to the default.
  bool SetItemBkColour(int row, int col, ColorRef colour);
  // The background the cell is painted with: own colour, else the row source's,
  // else the fixed or default background; kNoColour outside the grid.
  ColorRef GetItemBkColour(int row, int col) const;
  bool SetItemReadOnly(int row, int col, bool readOnly);
  bool IsItemReadOnly(int row, int col) const;
  bool SetCellType(int row, int col, CellType type);
  CellType GetCellType(int row, int col) const;
  bool SetItemCheck(int row, int col, bool checked);
  bool GetItemCheck(int row, int col) const;
  // Whether the operator may change the cell: data cell, grid editable, not read-only.
  bool IsItemEditable(int row, int col) const;

  // --- grid-wide settings ----------------------------------------------------------
  void SetDefaultBkColour(ColorRef colour);  // ordinary (non-fixed) cells
  ColorRef GetDefaultBkColour() const { return m_DefaultBk; }
  void SetFixedBkColour(ColorRef colour);
  ColorRef GetFixedBkColour() const { return m_FixedBk; }
  void SetTextColour(ColorRef colour);
  ColorRef GetTextColour() const { return m_TextColour; }
  // Off: no cell takes an edit or a tick from the operator (the owner still can).
  void SetEditable(bool editable);
  bool IsEditable() const { return m_bEditable; }

  // The source asked for texts the grid does not store; null detaches. Not owned:
  // it must stay alive until detached or the grid is destroyed or cleared.
  void SetRowSource(const GridRowSource* source);
  const GridRowSource* RowSource() const { return m_pSource; }

  // Tells the views that texts or colours changed (all of them). Setters already
  // schedule one such update for the next turn of the event loop; call this after
  // the row source's data changed, or to repaint at once.
  void Refresh();

  // --- QAbstractTableModel -------------------------------------------------------
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // Grid cell of a model index, and back.
  int GridRow(const QModelIndex& index) const { return index.row() + FixedRows(); }
  int GridCol(const QModelIndex& index) const { return index.column() + FixedCols(); }

 signals:
  // Rows, columns or fixed counts changed (after the model's own reset or
  // insert/remove signals): views re-apply header sizes and visibility.
  void structureChanged();
  // The operator committed an edit of a text cell (grid coordinates).
  void cellEdited(int row, int col);
  // The operator ticked or cleared a check-box cell.
  void checkToggled(int row, int col, bool checked);

 private:
  enum Flag : uint8_t { kReadOnly = 1, kCheck = 2, kChecked = 4 };

  std::size_t CellIndex(int row, int col) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_nCols) +
           static_cast<std::size_t>(col);
  }
  uint8_t Flags(int row, int col) const;
  void SetFlag(int row, int col, uint8_t flag, bool on);
  // Lays the per-cell arrays out for a new column count, keeping what fits.
  void Relayout(int cols);
  void ScheduleRefresh();

  int m_nRows = 0;
  int m_nCols = 0;
  int m_nFixedRows = 0;
  int m_nFixedCols = 0;
  // One array of m_nCols texts per row, null for rows that never received a text.
  std::vector<std::unique_ptr<QString[]>> m_Texts;
  // Row-major, m_nRows x m_nCols, empty until the first cell gets a colour / state.
  std::vector<ColorRef> m_Bk;
  std::vector<uint8_t> m_Flags;
  ColorRef m_DefaultBk = kDefaultBk;
  ColorRef m_FixedBk = kDefaultFixedBk;
  ColorRef m_TextColour = kDefaultText;
  bool m_bEditable = true;
  bool m_bRefreshPending = false;
  const GridRowSource* m_pSource = nullptr;
};

}  // namespace ws
