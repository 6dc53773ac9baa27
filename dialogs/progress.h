// The station's small modeless progress window: one bar 0..100, created hidden
// with the main window and shown centred during a day dump, a firmware upload
// or a report search. A line of text above the bar and a Cancel button beside
// it are optional; without them the window is the plain 374 x 16 strip.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace ws {

class CProgress : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kProgressId = 3000;
  static constexpr int kWidth = 374;
  static constexpr int kHeight = 16;
  static constexpr int kBarMargin = 3;  // the bar fills the window less 6 pixels
  static constexpr int kTextHeight = 20;
  static constexpr int kCancelWidth = 76;
  static constexpr int kCancelHeight = 24;

  // A top-level tool window above `parent`, hidden, its bar at 50.
  explicit CProgress(QWidget* parent = nullptr);

  // Clamped to 0..100.
  void SetPos(int percent);
  int Pos() const { return m_Bar->value(); }

  // An empty text hides the line above the bar.
  void SetText(const QString& text);
  QString Text() const { return m_Text->text(); }
  void SetCancelVisible(bool visible);
  bool CancelVisible() const { return m_CancelVisible; }

  // Centres the window over its parent (or the screen) and shows it.
  void Show();

  QProgressBar* bar() { return m_Bar; }
  QPushButton* cancelButton() { return m_Cancel; }

 signals:
  // The operator pressed Cancel.
  void cancelled();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Arrange();
  void Centre();

  QProgressBar* m_Bar;
  QLabel* m_Text;
  QPushButton* m_Cancel;
  bool m_CancelVisible = false;
};

}  // namespace ws
