#include "widgets/message_helpers.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdarg>
#include <string>

#include "core/format_fixed.h"

namespace ws {

namespace {

MessageHandler& Handler() {
  static MessageHandler handler;
  return handler;
}

// The window a message box belongs to: the active window, unless that is one
// that must never be blocked (the alarm list), in which case the main window.
QWidget* MessageParent() {
  QWidget* active = QApplication::activeWindow();
  if (active && !active->property(kNeverBlockedProperty).toBool()) return active;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->property(kMainWindowProperty).toBool()) return w;
  }
  return nullptr;
}

QString Truncated(QString text) {
  if (text.size() > kMessageMaxChars) text.truncate(kMessageMaxChars);
  return text;
}

int Show(int type, const QString& text) {
  if (Handler()) return Handler()(type, text);

  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  switch (type & 0x0F) {
    case kMbOkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case kMbYesNoCancel: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case kMbYesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
    default: break;
  }
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (type & 0xF0) {
    case kMbIconError: icon = QMessageBox::Critical; break;
    case kMbIconQuestion: icon = QMessageBox::Question; break;
    case kMbIconWarning: icon = QMessageBox::Warning; break;
    case kMbIconInformation: icon = QMessageBox::Information; break;
    default: break;
  }
  QWidget* parent = MessageParent();
  QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons, parent);
  // Modal over its own window only: the alarm list, a window of its own, keeps
  // answering ACK while a box is open over the station or one of its dialogs.
  if (parent) box.setWindowModality(Qt::WindowModal);
  switch (box.exec()) {
    case QMessageBox::Cancel: return kIdCancel;
    case QMessageBox::Yes: return kIdYes;
    case QMessageBox::No: return kIdNo;
    default: return kIdOk;
  }
}

QString Format8(const char* format, va_list args) {
  return Truncated(QString::fromUtf8(FormatCv(format, args)));
}

}  // namespace

int ShowMessageF(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const QString text = Format8(format, args);
  va_end(args);
  return Show(kMbOk, text);
}

int AskMessageF(int type, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const QString text = Format8(format, args);
  va_end(args);
  return Show(type, text);
}

int ShowMessageW(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const std::wstring wide = FormatCwv(format, args, kMessageMaxChars + 1);
  va_end(args);
  return Show(kMbOk, QString::fromStdWString(wide));
}

void SetMessageHandler(MessageHandler handler) { Handler() = std::move(handler); }

}  // namespace ws
