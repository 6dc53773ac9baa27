// The one-line edit box that the caption box and the value row open over themselves
// so that the user can type a new text. The owner watches the box's focus and takes
// its text when the focus leaves.
#pragma once

#include <QRect>
#include <QString>

class QLineEdit;
class QWidget;

namespace ws {

// A hidden, centred edit child of `owner` named "edit<id>", with `owner` as its
// event filter.
QLineEdit* CreateInPlaceEdit(QWidget* owner, int id);

// Shows the edit over `area` holding `text`, all of it selected, with the focus.
void OpenInPlaceEdit(QLineEdit* edit, const QRect& area, const QString& text);

}  // namespace ws
