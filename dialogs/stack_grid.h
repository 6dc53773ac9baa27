// The stack table of the configuration dialog: one header row and one fixed
// column, a row per stack with its "#n", title, logger address and "Direct
// Enable" tick, built over the station's grid control.
#pragma once

#include <QWidget>

#include <span>
#include <vector>

#include "dialogs/config_form.h"

namespace ws {

class StackGrid : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kColumnStack = 0;
  static constexpr int kColumnTitle = 1;
  static constexpr int kColumnAddress = 2;
  static constexpr int kColumnDirect = 3;
  static constexpr int kColumns = 4;
  static constexpr std::array<int, kColumns> kWidths = {50, 90, 100, 80};

  explicit StackGrid(QWidget* parent = nullptr);

  // Rebuilds the table with one row per entry of `rows` (stack 0 first).
  void SetRows(std::span<const ConfigStackRow> rows);
  // The rows as they stand, texts as shown.
  std::vector<ConfigStackRow> Rows() const;
  // Writes one row's cells, as the operator editing them would.
  void SetRow(int stack, const ConfigStackRow& row);
  int RowCount() const;
  // Puts the focus on a stack's cell (after a refused text).
  void FocusCell(int stack, int column);

  // The grid control itself, for the dialog's identifier.
  QWidget* control() const { return m_Control; }

 protected:
  // Enter on a cell opens its in-place edit: it never reaches the dialog's OK.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* m_Control = nullptr;
};

}  // namespace ws
