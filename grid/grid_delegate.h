// CGridDelegate: paints the grid's ordinary cells straight from CGridModel (no
// per-role variants on the paint path) and runs their editing: a centred one-line
// edit for text cells, a tick that a click or the space key toggles for
// check-box cells.
#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>

namespace ws {

class CGridModel;

class CGridDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  CGridDelegate(const CGridModel& model, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
  // The in-place edit open now, or null.
  QWidget* OpenEditor() const { return m_Editor; }

  // A text cut short in its cell shows in full as a tool tip.
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;

  // The square a check-box cell draws its tick in, centred in the cell.
  static QRect CheckRect(const QStyleOptionViewItem& option);

 protected:
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

 private:
  const CGridModel& m_Model;
  // The check-box cell a left button went down on: only a release on the same
  // cell toggles it, so a drag that ends on a check box leaves it alone.
  QPersistentModelIndex m_PressedCheck;
  // The view opens one editor at a time; the pointer clears itself when Qt
  // deletes the editor.
  mutable QPointer<QWidget> m_Editor;
};

}  // namespace ws
