#include "grid/grid_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include "grid/grid_model.h"
#include "grid/grid_paint.h"

namespace ws {

namespace {

QColor ToColour(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

const QStyle* StyleOf(const QStyleOptionViewItem& option) {
  return option.widget ? option.widget->style() : QApplication::style();
}

}  // namespace

CGridDelegate::CGridDelegate(const CGridModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_Model(model) {}

QRect CGridDelegate::CheckRect(const QStyleOptionViewItem& option) {
  const QStyle* style = StyleOf(option);
  const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget);
  const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget);
  QRect box(0, 0, w, h);
  box.moveCenter(option.rect.center());
  return box;
}

void CGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
  const int row = m_Model.GridRow(index);
  const int col = m_Model.GridCol(index);
  if (!m_Model.IsValid(row, col)) return;
  const QRect cell = option.rect;
  const bool selected = (option.state & QStyle::State_Selected) != 0;

  painter->save();
  painter->setFont(option.font);
  if (selected) {
    painter->fillRect(cell, option.palette.color(QPalette::Active, QPalette::Highlight));
  } else {
    painter->fillRect(cell, ToColour(m_Model.GetItemBkColour(row, col)));
  }
  // Grid lines: each cell draws its right and bottom edge.
  painter->setPen(ToColour(kGridLineColour));
  painter->drawLine(cell.topRight(), cell.bottomRight());
  painter->drawLine(cell.bottomLeft(), cell.bottomRight());

  const QRect inner = cell.adjusted(0, 0, -1, -1);
  const QColor highlighted = option.palette.color(QPalette::Active, QPalette::HighlightedText);
  const ColorRef textColour =
      selected ? Rgb(highlighted.red(), highlighted.green(), highlighted.blue())
               : m_Model.GetTextColour();
  if (m_Model.GetCellType(row, col) == CGridModel::kCheckCell) {
    QStyleOptionViewItem check(option);
    check.rect = inner;
    check.rect = CheckRect(check);
    check.state = (option.state & ~(QStyle::State_On | QStyle::State_Off | QStyle::State_Selected |
                                    QStyle::State_HasFocus)) |
                  (m_Model.GetItemCheck(row, col) ? QStyle::State_On : QStyle::State_Off);
    if (!m_Model.IsItemEditable(row, col)) check.state &= ~QStyle::State_Enabled;
    StyleOf(option)->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter,
                                   option.widget);
  } else {
    PaintCellText(*painter, inner, m_Model.GetItemText(row, col), textColour);
  }
  if (option.state & QStyle::State_HasFocus) {
    QPen pen(selected ? highlighted : QColor(0, 0, 0));
    pen.setWidth(1);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(inner.adjusted(0, 0, -1, -1));
  }
  painter->restore();
}

QWidget* CGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    line->setAlignment(Qt::AlignCenter);
    line->setFrame(false);
  }
  m_Editor = editor;
  return editor;
}

void CGridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
  if (m_Editor == editor) m_Editor = nullptr;
  QStyledItemDelegate::destroyEditor(editor, index);
}

bool CGridDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                              const QStyleOptionViewItem& option, const QModelIndex& index) {
  if (!event || !view || event->type() != QEvent::ToolTip) return false;
  const int row = m_Model.GridRow(index);
  const int col = m_Model.GridCol(index);
  if (!m_Model.IsValid(row, col) || m_Model.GetCellType(row, col) == CGridModel::kCheckCell)
    return false;
  const QString text = m_Model.GetItemText(row, col);
  if (!CellTextFits(option.fontMetrics, option.rect, text)) {
    QToolTip::showText(event->globalPos(), text, view, option.rect);
    return true;
  }
  QToolTip::hideText();
  event->ignore();
  return true;
}

bool CGridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                const QStyleOptionViewItem& option, const QModelIndex& index) {
  const int row = m_Model.GridRow(index);
  const int col = m_Model.GridCol(index);
  if (m_Model.GetCellType(row, col) != CGridModel::kCheckCell || !m_Model.IsItemEditable(row, col))
    return false;
  const auto toggle = [&] {
    const Qt::CheckState next = m_Model.GetItemCheck(row, col) ? Qt::Unchecked : Qt::Checked;
    return model->setData(index, next, Qt::CheckStateRole);
  };
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) m_PressedCheck = index;
      return false;  // the view still selects the cell
    }
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const bool same = m_PressedCheck == index;
      m_PressedCheck = QPersistentModelIndex();
      if (mouse->button() != Qt::LeftButton || !same) return false;
      if (!option.rect.contains(mouse->position().toPoint())) return false;
      return toggle();
    }
    case QEvent::MouseButtonDblClick:
      // The second press of a double click: counted like a press, so the second
      // release toggles again, as on any check box.
      m_PressedCheck = index;
      return true;
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() != Qt::Key_Space && key->key() != Qt::Key_Select) return false;
      if (key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) return false;
      return toggle();
    }
    default:
      return false;
  }
}

}  // namespace ws
