// The operator's side of a firmware upload: choosing the image the station
// answers a logger's "APPE:" with, the page progress in the progress window,
// and a message telling how the upload ended. The page exchange is the
// runtime's; without a chosen image "APPE:" stays unanswered.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QDialog;
class QPushButton;
class QWidget;

namespace ws {

class CProgress;
class StationRuntime;

class CFirmwareController : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kButtonText = "Firmware...";

  // `runtime` and `progress` must outlive the controller; `dialogParent` (may
  // be null) owns the file chooser.
  CFirmwareController(StationRuntime& runtime, CProgress& progress, QWidget* dialogParent,
                      QObject* parent = nullptr);

  // A "Firmware..." button for a dialog (the information dialog): it opens the
  // file chooser. Owned by `parent`.
  QPushButton* CreateButton(QWidget* parent);
  // Puts that button, with the status line under it, below the dialog's
  // content (the information dialog), growing the dialog to hold them.
  QPushButton* AddButtonTo(QDialog& dialog);

  // Opens the file chooser; true when an image was chosen and taken.
  bool ChooseImage();
  // Takes the file as the image for the next "APPE:"; on failure (unreadable,
  // empty, more than 9999 pages) tells the operator and keeps no image.
  bool SetImage(const QString& path);
  void ClearImage();
  const QString& imagePath() const { return m_ImagePath; }

  // One line for the dialog: the chosen image, the upload under way or how
  // the last one ended.
  QString StatusText() const;
  // The text of the last end message ("" before any upload ended), for tests.
  const QString& lastEnd() const { return m_LastEnd; }

 signals:
  void statusChanged(const QString& text);

 private:
  void OnStarted(int lastPage);
  void OnPage(int page);
  void OnFinished(int end);
  QString StackName(int stack) const;

  StationRuntime& m_Runtime;
  CProgress& m_Progress;
  QPointer<QWidget> m_DialogParent;
  QString m_ImagePath;
  int m_Stack = -1;
  int m_LastPage = 0;
  int m_Page = 0;
  bool m_ShowsProgress = false;
  QString m_LastEnd;
};

}  // namespace ws
