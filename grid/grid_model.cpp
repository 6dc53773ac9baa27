#include "grid/grid_model.h"

#include <QColor>
#include <QTimer>

#include <algorithm>
#include <type_traits>

namespace ws {

namespace {

QColor ToColour(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

}  // namespace

CGridModel::CGridModel(QObject* parent) : QAbstractTableModel(parent) {}

CGridModel::~CGridModel() = default;

// --- structure ----------------------------------------------------------------

void CGridModel::DeleteAllItems() {
  beginResetModel();
  m_nRows = 0;
  m_nCols = 0;
  m_nFixedRows = 0;
  m_nFixedCols = 0;
  m_Texts.clear();
  m_Texts.shrink_to_fit();
  m_Bk.clear();
  m_Bk.shrink_to_fit();
  m_Flags.clear();
  m_Flags.shrink_to_fit();
  m_pSource = nullptr;
  endResetModel();
  emit structureChanged();
}

bool CGridModel::SetRowCount(int rows) {
  if (rows < 0) return false;
  if (rows == m_nRows) return true;
  const int oldFixed = FixedRows();
  const int oldData = rowCount();
  const int newFixed = std::min(m_nFixedRows, rows);
  const int newData = rows - newFixed;
  // A change of the fixed rows in effect moves every row between header and
  // body: only a reset says that. Otherwise rows come and go at the end.
  const bool reset = newFixed != oldFixed;
  if (reset) {
    beginResetModel();
  } else if (newData > oldData) {
    beginInsertRows(QModelIndex(), oldData, newData - 1);
  } else if (newData < oldData) {
    beginRemoveRows(QModelIndex(), newData, oldData - 1);
  }
  m_Texts.resize(static_cast<std::size_t>(rows));
  const std::size_t cells = static_cast<std::size_t>(rows) * static_cast<std::size_t>(m_nCols);
  if (!m_Bk.empty()) m_Bk.resize(cells, kNoColour);
  if (!m_Flags.empty()) m_Flags.resize(cells, 0);
  if (rows < m_nRows) {
    m_Texts.shrink_to_fit();
    if (!m_Bk.empty()) m_Bk.shrink_to_fit();
    if (!m_Flags.empty()) m_Flags.shrink_to_fit();
  }
  m_nRows = rows;
  if (reset) {
    endResetModel();
  } else if (newData > oldData) {
    endInsertRows();
  } else if (newData < oldData) {
    endRemoveRows();
  }
  emit structureChanged();
  return true;
}

bool CGridModel::SetColumnCount(int cols) {
  if (cols < 0) return false;
  if (cols == m_nCols) return true;
  beginResetModel();
  Relayout(cols);
  m_nCols = cols;
  endResetModel();
  emit structureChanged();
  return true;
}

void CGridModel::Relayout(int cols) {
  const int keep = std::min(cols, m_nCols);
  for (std::unique_ptr<QString[]>& row : m_Texts) {
    if (!row) continue;
    if (cols == 0) {
      row.reset();
      continue;
    }
    auto texts = std::make_unique<QString[]>(static_cast<std::size_t>(cols));
    for (int c = 0; c < keep; ++c) texts[c] = std::move(row[c]);
    row = std::move(texts);
  }
  const auto relayout = [&](auto& cells, auto fill) {
    if (cells.empty()) return;
    std::remove_reference_t<decltype(cells)> out(
        static_cast<std::size_t>(m_nRows) * static_cast<std::size_t>(cols), fill);
    for (int r = 0; r < m_nRows; ++r) {
      for (int c = 0; c < keep; ++c) {
        out[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) +
            static_cast<std::size_t>(c)] = cells[CellIndex(r, c)];
      }
    }
    cells.swap(out);
  };
  relayout(m_Bk, kNoColour);
  relayout(m_Flags, uint8_t{0});
}

bool CGridModel::SetFixedRowCount(int fixed) {
  if (fixed < 0 || fixed > kMaxFixed) return false;
  if (fixed == m_nFixedRows) return true;
  beginResetModel();
  m_nFixedRows = fixed;
  endResetModel();
  emit structureChanged();
  return true;
}

bool CGridModel::SetFixedColumnCount(int fixed) {
  if (fixed < 0 || fixed > kMaxFixed) return false;
  if (fixed == m_nFixedCols) return true;
  beginResetModel();
  m_nFixedCols = fixed;
  endResetModel();
  emit structureChanged();
  return true;
}

// --- cells ----------------------------------------------------------------------

bool CGridModel::SetItemText(int row, int col, const QString& text) {
  if (!IsValid(row, col)) return false;
  std::unique_ptr<QString[]>& texts = m_Texts[static_cast<std::size_t>(row)];
  if (!texts) texts = std::make_unique<QString[]>(static_cast<std::size_t>(m_nCols));
  // A stored text is never null, so that an empty text stored on purpose still
  // hides the row source's text for that cell.
  texts[col] = text.isNull() ? QString(QLatin1String("")) : text;
  ScheduleRefresh();
  return true;
}

QString CGridModel::GetItemText(int row, int col) const {
  if (!IsValid(row, col)) return QString();
  const std::unique_ptr<QString[]>& texts = m_Texts[static_cast<std::size_t>(row)];
  if (texts && !texts[col].isNull()) return texts[col];
  if (m_pSource) return m_pSource->CellText(row, col);
  return QString();
}

bool CGridModel::SetItemBkColour(int row, int col, ColorRef colour) {
  if (!IsValid(row, col)) return false;
  if (m_Bk.empty()) {
    if (colour == kNoColour) return true;
    m_Bk.assign(static_cast<std::size_t>(m_nRows) * static_cast<std::size_t>(m_nCols), kNoColour);
  }
  m_Bk[CellIndex(row, col)] = colour;
  ScheduleRefresh();
  return true;
}

ColorRef CGridModel::GetItemBkColour(int row, int col) const {
  if (!IsValid(row, col)) return kNoColour;
  if (!m_Bk.empty()) {
    const ColorRef own = m_Bk[CellIndex(row, col)];
    if (own != kNoColour) return own;
  }
  if (m_pSource) {
    const ColorRef source = m_pSource->CellBackground(row, col);
    if (source != kNoColour) return source;
  }
  return IsFixed(row, col) ? m_FixedBk : m_DefaultBk;
}

uint8_t CGridModel::Flags(int row, int col) const {
  return m_Flags.empty() ? uint8_t{0} : m_Flags[CellIndex(row, col)];
}

void CGridModel::SetFlag(int row, int col, uint8_t flag, bool on) {
  if (m_Flags.empty()) {
    if (!on) return;
    m_Flags.assign(static_cast<std::size_t>(m_nRows) * static_cast<std::size_t>(m_nCols), 0);
  }
  uint8_t& flags = m_Flags[CellIndex(row, col)];
  flags = static_cast<uint8_t>(on ? (flags | flag) : (flags & ~flag));
  ScheduleRefresh();
}

bool CGridModel::SetItemReadOnly(int row, int col, bool readOnly) {
  if (!IsValid(row, col)) return false;
  SetFlag(row, col, kReadOnly, readOnly);
  return true;
}

bool CGridModel::IsItemReadOnly(int row, int col) const {
  return IsValid(row, col) && (Flags(row, col) & kReadOnly) != 0;
}

bool CGridModel::SetCellType(int row, int col, CellType type) {
  if (!IsValid(row, col)) return false;
  if (type != kTextCell && type != kCheckCell) return false;
  SetFlag(row, col, kCheck, type == kCheckCell);
  return true;
}

CGridModel::CellType CGridModel::GetCellType(int row, int col) const {
  return IsValid(row, col) && (Flags(row, col) & kCheck) != 0 ? kCheckCell : kTextCell;
}

bool CGridModel::SetItemCheck(int row, int col, bool checked) {
  if (!IsValid(row, col)) return false;
  SetFlag(row, col, kChecked, checked);
  return true;
}

bool CGridModel::GetItemCheck(int row, int col) const {
  return IsValid(row, col) && (Flags(row, col) & kChecked) != 0;
}

bool CGridModel::IsItemEditable(int row, int col) const {
  return IsValid(row, col) && !IsFixed(row, col) && m_bEditable && !IsItemReadOnly(row, col);
}

// --- grid-wide ----------------------------------------------------------------

void CGridModel::SetDefaultBkColour(ColorRef colour) {
  m_DefaultBk = colour;
  ScheduleRefresh();
}

void CGridModel::SetFixedBkColour(ColorRef colour) {
  m_FixedBk = colour;
  ScheduleRefresh();
}

void CGridModel::SetTextColour(ColorRef colour) {
  m_TextColour = colour;
  ScheduleRefresh();
}

void CGridModel::SetEditable(bool editable) { m_bEditable = editable; }

void CGridModel::SetRowSource(const GridRowSource* source) {
  m_pSource = source;
  ScheduleRefresh();
}

void CGridModel::ScheduleRefresh() {
  // One update for any number of writes: a fill of many cells must not cost one
  // view update per cell.
  if (m_bRefreshPending) return;
  m_bRefreshPending = true;
  QTimer::singleShot(0, this, [this] {
    if (m_bRefreshPending) Refresh();
  });
}

void CGridModel::Refresh() {
  m_bRefreshPending = false;
  const int rows = rowCount();
  const int cols = columnCount();
  if (rows > 0 && cols > 0) emit dataChanged(index(0, 0), index(rows - 1, cols - 1));
  if (cols > 0) emit headerDataChanged(Qt::Horizontal, 0, cols - 1);
  if (rows > 0) emit headerDataChanged(Qt::Vertical, 0, rows - 1);
}

// --- QAbstractTableModel --------------------------------------------------------

int CGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_nRows - FixedRows();
}

int CGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_nCols - FixedCols();
}

QVariant CGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  const int row = GridRow(index);
  const int col = GridCol(index);
  if (!IsValid(row, col)) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return GetItemText(row, col);
    case Qt::BackgroundRole:
      return ToColour(GetItemBkColour(row, col));
    case Qt::ForegroundRole:
      return ToColour(m_TextColour);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case Qt::CheckStateRole:
      if (GetCellType(row, col) != kCheckCell) return QVariant();
      return GetItemCheck(row, col) ? Qt::Checked : Qt::Unchecked;
    default:
      return QVariant();
  }
}

QVariant CGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  int row = 0;
  int col = 0;
  if (orientation == Qt::Horizontal) {
    if (FixedRows() == 0) return QVariant();
    col = section + FixedCols();
  } else {
    if (FixedCols() == 0) return QVariant();
    row = section + FixedRows();
  }
  if (!IsValid(row, col)) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
      return GetItemText(row, col);
    case Qt::BackgroundRole:
      return ToColour(GetItemBkColour(row, col));
    case Qt::ForegroundRole:
      return ToColour(m_TextColour);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default:
      return QVariant();
  }
}

Qt::ItemFlags CGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const int row = GridRow(index);
  const int col = GridCol(index);
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!IsItemEditable(row, col)) return flags;
  if (GetCellType(row, col) == kCheckCell) return flags | Qt::ItemIsUserCheckable;
  return flags | Qt::ItemIsEditable;
}

bool CGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid()) return false;
  const int row = GridRow(index);
  const int col = GridCol(index);
  if (!IsItemEditable(row, col)) return false;
  if (role == Qt::CheckStateRole) {
    if (GetCellType(row, col) != kCheckCell) return false;
    const bool checked = value.toInt() == Qt::Checked;
    SetItemCheck(row, col, checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit checkToggled(row, col, checked);
    return true;
  }
  if (role == Qt::EditRole) {
    if (GetCellType(row, col) == kCheckCell) return false;
    SetItemText(row, col, value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    emit cellEdited(row, col);
    return true;
  }
  return false;
}

}  // namespace ws
