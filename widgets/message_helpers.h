// printf-style message boxes used by every window: fixed texts, an OK button (or
// the requested buttons) and the application's title as caption. Numbers are
// formatted in the C locale.
#pragma once

#include <QString>

#include <functional>

namespace ws {

// Message-box types, as combined bits (buttons | icon).
enum MessageBoxType : int {
  kMbOk = 0x00,
  kMbOkCancel = 0x01,
  kMbYesNoCancel = 0x03,
  kMbYesNo = 0x04,
  kMbIconError = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
};

// The button that closed a message box.
enum MessageBoxResult : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// Window properties the message boxes look at: a box is modal over the active
// window only, never over a window marked never-blocked (the alarm list, whose
// ACK must always answer); then it belongs to the window marked main-window.
inline constexpr const char* kNeverBlockedProperty = "windscopeNeverBlocked";
inline constexpr const char* kMainWindowProperty = "windscopeMainWindow";

// Maximum length of a formatted message, in characters (8-bit or wide).
constexpr int kMessageMaxChars = 1023;

// Shows the 8-bit (UTF-8) formatted text with an OK button; returns the button.
int ShowMessageF(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Shows the 8-bit formatted text with the buttons and icon of `type`; returns the
// button pressed (kIdOk, kIdCancel, kIdYes, kIdNo).
int AskMessageF(int type, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Shows the wide formatted text with an OK button; returns the button. Arguments
// the format does not consume are ignored.
int ShowMessageW(const wchar_t* format, ...);

// Replaces the message box for headless runs and tests: the handler receives the
// type and the final text and returns the button "pressed". An empty function
// restores the real message box. Not thread-safe; set it before windows exist.
using MessageHandler = std::function<int(int type, const QString& text)>;
void SetMessageHandler(MessageHandler handler);

}  // namespace ws
