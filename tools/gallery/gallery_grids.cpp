// Gallery pages of the grid control: the report's table (fed by a row source, with
// coloured speed cells and remarks), the alarm list's two-column table and the
// configuration dialog's stack table with its check boxes.
#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>

#include <cmath>
#include <memory>
#include <vector>

#include "grid/grid_ctrl.h"
#include "grid/grid_row_source.h"
#include "tools/gallery/gallery.h"

namespace ws::gallery {

namespace {

constexpr ColorRef kOrdinaryBk = 0xE0FFFF;

// A day of made-up samples, held as the report holds them: a few bytes a row,
// texts formatted when the grid asks.
class SampleRows : public GridRowSource {
 public:
  struct Sample {
    float direction;
    float speed;
  };

  explicit SampleRows(int count) {
    m_Samples.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const float gust = (i % 37 > 30) ? 18.0f + static_cast<float>(i % 7) * 1.5f : 0.0f;
      m_Samples.push_back({static_cast<float>((i * 23) % 360),
                           24.0f + 6.0f * std::sin(static_cast<float>(i) / 9.0f) + gust});
    }
  }

  QString CellText(int row, int col) const override {
    const std::size_t k = static_cast<std::size_t>(row - 1);
    if (row < 1 || k >= m_Samples.size()) return QString();
    const Sample& s = m_Samples[k];
    const int second = static_cast<int>(k);
    switch (col) {
      case 0: return QString::number(row);
      case 1:
        return QString::asprintf("%d.%02d.%02d %02d:%02d:%02d", 2026, 12, 9, 14 + second / 3600,
                                 (second / 60) % 60, second % 60);
      case 2: return QString::asprintf("%1.0f", static_cast<double>(s.direction));
      case 3: return QString::fromLatin1(kCompass[static_cast<int>((s.direction + 11.25f) / 22.5f) % 16]);
      case 4: return QString::asprintf("%3.1f", static_cast<double>(s.speed));
      case 5: return QString::fromLatin1(Remark(s.speed));
      default: return QString();
    }
  }

  ColorRef CellBackground(int row, int col) const override {
    const std::size_t k = static_cast<std::size_t>(row - 1);
    if (col != 4 || row < 1 || k >= m_Samples.size()) return kNoColour;
    const float speed = m_Samples[k].speed;
    if (speed > 45.0f) return 0x0000FF;
    if (speed > 40.0f) return 0x4080FF;
    if (speed > 30.0f) return 0x00FFFF;
    return kNoColour;
  }

 private:
  static const char* Remark(float speed) {
    if (speed > 45.0f) return "TRIP";
    if (speed > 40.0f) return "STOP";
    if (speed > 30.0f) return "ALARM";
    return "";
  }
  static constexpr const char* kCompass[16] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                               "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  std::vector<Sample> m_Samples;
};

void Settle(QWidget& widget) {
  widget.setAttribute(Qt::WA_DontShowOnScreen);
  widget.show();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

QImage Shot(QWidget& widget) {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  return widget.grab().toImage();
}

void RenderReportTable(Gallery& gallery) {
  CGridCtrl grid;
  grid.resize(560, 330);
  SampleRows rows(3600);
  grid.DeleteAllItems();
  grid.SetRowCount(1);
  grid.SetColumnCount(6);
  grid.SetFixedRowCount(1);
  grid.SetFixedColumnCount(1);
  const int widths[] = {50, 160, 60, 60, 60, 80};
  const char* headings[] = {"No", "Date", "Direction", "Direction", "Speed", "Remark"};
  for (int c = 0; c < 6; ++c) {
    grid.SetColumnWidth(c, widths[c]);
    grid.SetItemText(0, c, QString::fromLatin1(headings[c]));
  }
  grid.SetDefaultBkColour(kOrdinaryBk);
  grid.SetRowCount(3601);
  grid.SetRowSource(&rows);
  grid.SetEditable(false);
  Settle(grid);
  gallery.Save("grid_report", Shot(grid));

  // Far down and a little to the right, a block selected: the headings and the
  // sample numbers stay where they are.
  grid.SetFocusCell(2035, 2);
  grid.selectionModel()->select(
      QItemSelection(grid.Model().index(2033, 1), grid.Model().index(2035, 3)),
      QItemSelectionModel::ClearAndSelect);
  grid.verticalScrollBar()->setValue(2026);
  grid.horizontalScrollBar()->setValue(40);
  gallery.Save("grid_report_scrolled", Shot(grid));
}

void RenderAlarmTable(Gallery& gallery) {
  CGridCtrl grid;
  grid.resize(344, 6 * grid.GetRowHeight() + 2 * grid.frameWidth());
  grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid.DeleteAllItems();
  grid.SetRowCount(6);
  grid.SetColumnCount(2);
  grid.SetFixedColumnCount(1);
  grid.SetColumnWidth(0, 80);
  grid.SetColumnWidth(1, 260);
  grid.SetDefaultBkColour(kOrdinaryBk);
  const char* labels[] = {"Stack", "Data", "Date"};
  for (int r = 0; r < 3; ++r) grid.SetItemText(r, 0, QString::fromLatin1(labels[r]));
  grid.SetItemText(0, 1, QStringLiteral("5"));
  grid.SetItemText(1, 1, QStringLiteral("31.3 m/s"));
  grid.SetItemText(2, 1, QStringLiteral("2024.3.7 9:5:3"));
  for (int r = 0; r < 6; ++r) grid.SetItemReadOnly(r, 1);
  Settle(grid);
  gallery.Save("grid_alarm", Shot(grid));
}

void RenderStackTable(Gallery& gallery) {
  CGridCtrl grid;
  grid.resize(344, 240);
  grid.DeleteAllItems();
  const int stacks = 12;
  grid.SetRowCount(stacks + 1);
  grid.SetColumnCount(4);
  grid.SetFixedRowCount(1);
  grid.SetFixedColumnCount(1);
  const int widths[] = {50, 90, 100, 80};
  const char* headings[] = {"Stack", "Title", "IP Address", "Direct Enable"};
  for (int c = 0; c < 4; ++c) {
    grid.SetColumnWidth(c, widths[c]);
    grid.SetItemText(0, c, QString::fromLatin1(headings[c]));
  }
  grid.SetDefaultBkColour(kOrdinaryBk);
  for (int i = 0; i < stacks; ++i) {
    const int r = i + 1;
    grid.SetItemText(r, 0, QStringLiteral("#%1").arg(i + 1));
    grid.SetItemText(r, 1, QStringLiteral("STACK #%1").arg(i + 1));
    grid.SetItemText(r, 2, QStringLiteral("192.168.10.%1").arg(101 + i));
    grid.SetCellType(r, 3, CGridCtrl::kCheckCell);
    grid.SetItemCheck(r, 3, i % 3 != 1);
  }
  Settle(grid);
  gallery.Save("grid_stack", Shot(grid));

  // The operator renames stack 3: the in-place edit open over its title cell.
  grid.SetFocusCell(3, 1);
  grid.edit(grid.currentIndex());
  if (auto* editor = grid.findChild<QLineEdit*>()) editor->setText(QStringLiteral("CRANE 3"));
  gallery.Save("grid_stack_editing", Shot(grid));
}

}  // namespace

void RenderGrids(Gallery& gallery) {
  RenderReportTable(gallery);
  RenderAlarmTable(gallery);
  RenderStackTable(gallery);
}

}  // namespace ws::gallery
