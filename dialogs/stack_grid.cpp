#include "dialogs/stack_grid.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/colour_math.h"

namespace ws {
namespace {

constexpr uint32_t kCellBackground = 0xE0FFFF;

QTableWidget* Table(QWidget* w) { return static_cast<QTableWidget*>(w); }

QColor ToQColor(uint32_t c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

QTableWidgetItem* TextItem(const QString& text, bool editable) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(Qt::AlignCenter);
  item->setBackground(ToQColor(kCellBackground));
  if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  return item;
}

}  // namespace

StackGrid::StackGrid(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* table = new QTableWidget(0, kColumns, this);
  table->setHorizontalHeaderLabels({QStringLiteral("Stack"), QStringLiteral("Title"),
                                    QStringLiteral("IP Address"), QStringLiteral("Direct Enable")});
  table->verticalHeader()->hide();
  for (int c = 0; c < kColumns; ++c) table->setColumnWidth(c, kWidths[static_cast<size_t>(c)]);
  m_Control = table;
  layout->addWidget(table);
}

void StackGrid::SetRows(std::span<const ConfigStackRow> rows) {
  QTableWidget* table = Table(m_Control);
  table->setRowCount(0);
  table->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    table->setItem(i, kColumnStack, TextItem(QStringLiteral("#%1").arg(i + 1), false));
    SetRow(i, rows[static_cast<size_t>(i)]);
  }
}

void StackGrid::SetRow(int stack, const ConfigStackRow& row) {
  QTableWidget* table = Table(m_Control);
  if (stack < 0 || stack >= table->rowCount()) return;
  table->setItem(stack, kColumnTitle, TextItem(row.title, true));
  table->setItem(stack, kColumnAddress, TextItem(row.address, true));
  auto* tick = TextItem(QString(), false);
  tick->setFlags(tick->flags() | Qt::ItemIsUserCheckable);
  tick->setCheckState(row.directEnable ? Qt::Checked : Qt::Unchecked);
  table->setItem(stack, kColumnDirect, tick);
}

std::vector<ConfigStackRow> StackGrid::Rows() const {
  const QTableWidget* table = Table(m_Control);
  std::vector<ConfigStackRow> rows;
  for (int i = 0; i < table->rowCount(); ++i) {
    rows.push_back({table->item(i, kColumnTitle)->text(), table->item(i, kColumnAddress)->text(),
                    table->item(i, kColumnDirect)->checkState() == Qt::Checked});
  }
  return rows;
}

int StackGrid::RowCount() const { return Table(m_Control)->rowCount(); }

void StackGrid::FocusCell(int stack, int column) {
  QTableWidget* table = Table(m_Control);
  table->setFocus();
  table->setCurrentCell(stack, column);
}

}  // namespace ws
