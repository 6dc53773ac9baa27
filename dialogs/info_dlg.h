// CInfoDlg, the information dialog (F1): the program's name, version and
// copyright from its version entries, on white, with an OK button, and under it
// the keys the station window answers.
#pragma once

#include <QDialog>
#include <QString>

#include <utility>
#include <vector>

class QPushButton;

namespace ws {

class CInfoDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kOkId = 1;

  explicit CInfoDlg(QWidget* parent = nullptr);

  // "%s   V%s" of ProductName and FileVersion, and LegalCopyright.
  static QString FirstLine();
  static QString SecondLine();
  // The key list: each key with what it does, in the order shown.
  static const std::vector<std::pair<QString, QString>>& Keys();

  QPushButton* OkButton() const { return m_pOk; }
  // The whole client area as it is painted.
  QImage Render() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPushButton* m_pOk = nullptr;
};

}  // namespace ws
