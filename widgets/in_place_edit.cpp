#include "widgets/in_place_edit.h"

#include <QLineEdit>

namespace ws {

QLineEdit* CreateInPlaceEdit(QWidget* owner, int id) {
  auto* edit = new QLineEdit(owner);
  edit->setObjectName(QStringLiteral("edit%1").arg(id));
  edit->setAlignment(Qt::AlignCenter);
  edit->installEventFilter(owner);
  edit->hide();
  return edit;
}

void OpenInPlaceEdit(QLineEdit* edit, const QRect& area, const QString& text) {
  edit->setGeometry(area);
  edit->setText(text);
  edit->show();
  edit->selectAll();
  edit->setFocus();
}

}  // namespace ws
