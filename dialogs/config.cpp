#include "dialogs/config.h"

#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <algorithm>

#include "core/colour_math.h"
#include "core/wav_format.h"
#include "dialogs/calendar.h"
#include "dialogs/colour_swatch.h"
#include "dialogs/ip_address_edit.h"
#include "dialogs/sound_preview.h"
#include "dialogs/stack_grid.h"
#include "widgets/message_helpers.h"

namespace ws {
namespace {

constexpr int kStackItems = kMaxStacks;   // "1".."100"
constexpr int kGridItems = kGridLimit + 1;  // "1".."15"

QComboBox* NumberList(int count, QWidget* parent) {
  auto* list = new QComboBox(parent);
  for (int n = 1; n <= count; ++n) list->addItem(QString::number(n));
  list->setMaxVisibleItems(20);
  return list;
}

// Texts are not limited while typing or pasting (a paste would be cut without a
// word): the byte limit in code page 949 is checked on OK, where a refusal can
// say which field and why.
QLineEdit* TextEdit(QWidget* parent) { return new QLineEdit(parent); }

void SetTextKeepingIt(QLineEdit* edit, const QString& text) {
  edit->setText(text);
  edit->setCursorPosition(0);
}

// The standard choosers are modal over the configuration dialog only, so that
// the alarm list (a window of its own) keeps answering ACK while one is open.
std::optional<uint32_t> PlatformColour(QWidget* parent, uint32_t start) {
  QColorDialog chooser(QColor(RedOf(start), GreenOf(start), BlueOf(start)), parent);
  chooser.setWindowModality(Qt::WindowModal);
  if (chooser.exec() != QDialog::Accepted) return std::nullopt;
  const QColor chosen = chooser.selectedColor();
  if (!chosen.isValid()) return std::nullopt;
  return Rgb(chosen.red(), chosen.green(), chosen.blue());
}

QString PlatformWavFile(QWidget* parent, const QString& folder) {
  QFileDialog chooser(parent, QString(), folder, QStringLiteral("Wav Files (*.wav)"));
  chooser.setWindowModality(Qt::WindowModal);
  chooser.setAcceptMode(QFileDialog::AcceptOpen);
  chooser.setFileMode(QFileDialog::ExistingFile);
  chooser.setDefaultSuffix(QStringLiteral("wav"));
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return {};
  return chooser.selectedFiles().front();
}

QString PlatformCertificateFile(QWidget* parent, const QString& folder) {
  QFileDialog chooser(parent, QString(), folder,
                      QStringLiteral("Certificates and keys (*.pem *.crt *.key);;All files (*)"));
  chooser.setWindowModality(Qt::WindowModal);
  chooser.setAcceptMode(QFileDialog::AcceptOpen);
  chooser.setFileMode(QFileDialog::ExistingFile);
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return {};
  return chooser.selectedFiles().front();
}

const std::array<QString, kConfigLevels>& LevelNames() {
  static const std::array<QString, kConfigLevels> names = {QStringLiteral("Alarm"), QStringLiteral("Stop"),
                                                           QStringLiteral("Trip")};
  return names;
}

}  // namespace

CConfig::CConfig(const Settings& settings, QString workdir, QWidget* parent)
    : QDialog(parent), m_Settings(std::make_unique<Settings>(settings)), m_Workdir(std::move(workdir)) {
  setWindowTitle(QStringLiteral("CONFIGURATION"));
  m_ChooseColour = [this](uint32_t start) { return PlatformColour(this, start); };
  m_ChooseFile = [this](const QString& folder) { return PlatformWavFile(this, folder); };
  m_Help = [this] {
    // For reference only: the day chosen is not used.
    CCalendar calendar(this);
    calendar.setWindowModality(Qt::WindowModal);
    calendar.exec();
  };

  auto* left = new QVBoxLayout;
  left->addWidget(BuildProgramTitle());
  auto* stackAndEnvironment = new QHBoxLayout;
  stackAndEnvironment->addWidget(BuildStackSettings());
  stackAndEnvironment->addWidget(BuildEnvironment());
  left->addLayout(stackAndEnvironment);
  left->addWidget(BuildAlarmSettings());
  left->addWidget(BuildColourSettings());
  left->addWidget(BuildStationSettings());
  left->addStretch(1);

  BuildStackGrid();
  QWidget* outputs = BuildPlantOutputs();

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  ok->setDefault(true);
  Register(kIdOk, ok);
  Register(kIdCancel, cancel);
  connect(ok, &QPushButton::clicked, this, &CConfig::accept);
  connect(cancel, &QPushButton::clicked, this, &CConfig::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* top = new QGridLayout(this);
  top->addLayout(left, 0, 0);
  top->addWidget(m_Grid, 0, 1);
  top->addWidget(outputs, 0, 2);
  top->addLayout(buttons, 1, 0, 1, 3);
  top->setColumnStretch(0, 1);

  ShowValues();
}

CConfig::~CConfig() {
  // The dialog's own player dies with it; a player lent by the owner is stopped.
  if (m_Preview) m_Preview->Stop();
}

void CConfig::Register(int id, QWidget* control) {
  control->setObjectName(QString::number(id));
  m_Controls[id] = control;
}

QWidget* CConfig::Control(int id) const {
  const auto it = m_Controls.find(id);
  return it == m_Controls.end() ? nullptr : it->second;
}

CColourSwatch* CConfig::Swatch(int id) const {
  const auto it = m_Swatches.find(id);
  return it == m_Swatches.end() ? nullptr : it->second;
}

CColourSwatch* CConfig::MakeSwatch(int id, const QString& label, QWidget* parent) {
  auto* swatch = new CColourSwatch(parent);
  swatch->m_Label = label;
  // Labelled swatches must stay readable on any colour; the others carry no text.
  if (!label.isEmpty()) {
    swatch->m_LabelMode = CColourSwatch::LabelColour::kInverse;
  } else {
    swatch->m_LabelColour = (id == 1140 || id == 1142) ? 0x00FFFF : 0x000000;
  }
  Register(id, swatch);
  m_Swatches[id] = swatch;
  return swatch;
}

QWidget* CConfig::BuildProgramTitle() {
  auto* group = new QGroupBox(QStringLiteral("Program Title"), this);
  auto* layout = new QHBoxLayout(group);
  m_ProgramTitle = TextEdit(group);
  Register(kIdProgramTitle, m_ProgramTitle);
  layout->addWidget(m_ProgramTitle);
  return group;
}

QWidget* CConfig::BuildStackSettings() {
  auto* group = new QGroupBox(QStringLiteral("STACK Settings"), this);
  auto* layout = new QGridLayout(group);
  m_StackCount = NumberList(kStackItems, group);
  m_GridColumns = NumberList(kGridItems, group);
  m_GridRows = NumberList(kGridItems, group);
  Register(kIdStackCount, m_StackCount);
  Register(kIdGridColumns, m_GridColumns);
  Register(kIdGridRows, m_GridRows);
  layout->addWidget(new QLabel(QStringLiteral("MAX. No."), group), 0, 0);
  layout->addWidget(m_StackCount, 0, 1, 1, 3);
  layout->addWidget(new QLabel(QStringLiteral("X"), group), 1, 0);
  layout->addWidget(m_GridColumns, 1, 1);
  layout->addWidget(new QLabel(QStringLiteral("Y"), group), 1, 2, Qt::AlignRight);
  layout->addWidget(m_GridRows, 1, 3);
  return group;
}

QWidget* CConfig::BuildEnvironment() {
  auto* group = new QGroupBox(QStringLiteral("Environment Settings"), this);
  auto* layout = new QGridLayout(group);
  m_SpeedUnit = TextEdit(group);
  m_WindMaxSpeed = new QLineEdit(group);
  Register(kIdSpeedUnit, m_SpeedUnit);
  Register(kIdWindMaxSpeed, m_WindMaxSpeed);
  layout->addWidget(new QLabel(QStringLiteral("Speed Unit"), group), 0, 0);
  layout->addWidget(m_SpeedUnit, 0, 1);
  layout->addWidget(new QLabel(QStringLiteral("Wind Max Speed"), group), 1, 0);
  layout->addWidget(m_WindMaxSpeed, 1, 1);
  return group;
}

QWidget* CConfig::BuildAlarmSettings() {
  auto* group = new QGroupBox(QStringLiteral("Alarm Settings"), this);
  auto* layout = new QGridLayout(group);

  auto* lamp = new QGroupBox(QStringLiteral("Signal Lamp"), group);
  auto* lampLayout = new QHBoxLayout(lamp);
  m_LampEnable = new QCheckBox(QStringLiteral("Enable"), lamp);
  m_LampAddress = new CIpAddressEdit(lamp);
  Register(kIdLampEnable, m_LampEnable);
  Register(kIdLampAddress, m_LampAddress);
  lampLayout->addWidget(m_LampEnable);
  lampLayout->addWidget(new QLabel(QStringLiteral("IP Address"), lamp));
  lampLayout->addWidget(m_LampAddress);
  lampLayout->addStretch(1);

  auto* mode = new QGroupBox(QStringLiteral("Sound Mode"), group);
  auto* modeLayout = new QHBoxLayout(mode);
  m_SoundInterval = new QRadioButton(QStringLiteral("Interval"), mode);
  m_SoundContinue = new QRadioButton(QStringLiteral("Continue"), mode);
  Register(kIdSoundInterval, m_SoundInterval);
  Register(kIdSoundContinue, m_SoundContinue);
  modeLayout->addWidget(m_SoundInterval);
  modeLayout->addWidget(m_SoundContinue);

  auto* upper = new QHBoxLayout;
  upper->addWidget(lamp, 3);
  upper->addWidget(mode, 2);
  layout->addLayout(upper, 0, 0, 1, 5);

  layout->addWidget(new QLabel(QStringLiteral("Speed"), group), 1, 1, Qt::AlignCenter);
  layout->addWidget(new QLabel(QStringLiteral("Color"), group), 1, 2, Qt::AlignCenter);
  layout->addWidget(new QLabel(QStringLiteral("Sound Path"), group), 1, 3, Qt::AlignCenter);
  constexpr std::array<std::array<int, 4>, kConfigLevels> ids = {{
      {kIdAlarmSpeed, kIdAlarmColour, kIdAlarmSound, kIdAlarmBrowse},
      {kIdStopSpeed, kIdStopColour, kIdStopSound, kIdStopBrowse},
      {kIdTripSpeed, kIdTripColour, kIdTripSound, kIdTripBrowse},
  }};
  for (int level = 0; level < kConfigLevels; ++level) {
    const auto l = static_cast<size_t>(level);
    const int row = level + 2;
    auto* speed = new QLineEdit(group);
    speed->setMaximumWidth(speed->fontMetrics().horizontalAdvance(QStringLiteral("00000.0")) + 16);
    auto* path = TextEdit(group);
    path->setMinimumWidth(path->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 28);
    auto* browse = new QPushButton(QStringLiteral("..."), group);
    browse->setAutoDefault(false);
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    Register(ids[l][0], speed);
    Register(ids[l][2], path);
    Register(ids[l][3], browse);
    m_Speeds[l] = speed;
    m_SoundPaths[l] = path;
    connect(browse, &QPushButton::clicked, this, [this, level] { ChooseSound(level); });
    layout->addWidget(new QLabel(LevelNames()[l], group), row, 0);
    layout->addWidget(speed, row, 1);
    layout->addWidget(MakeSwatch(ids[l][1], QString(), group), row, 2);
    layout->addWidget(path, row, 3);
    layout->addWidget(browse, row, 4);
  }
  layout->setColumnStretch(3, 1);
  return group;
}

QWidget* CConfig::BuildColourSettings() {
  auto* group = new QGroupBox(QStringLiteral("Color Settings"), this);
  auto* layout = new QHBoxLayout(group);

  auto* meter = new QGroupBox(QStringLiteral("Meter Color"), group);
  auto* meterLayout = new QHBoxLayout(meter);
  meterLayout->addWidget(MakeSwatch(kIdDirectionMeter, QStringLiteral("DIRECT"), meter));
  meterLayout->addWidget(MakeSwatch(kIdSpeedMeter, QStringLiteral("SPEED"), meter));

  auto* chart = new QGroupBox(QStringLiteral("Chart Color"), group);
  auto* chartLayout = new QHBoxLayout(chart);
  chartLayout->setSpacing(2);
  for (int k = 0; k < static_cast<int>(settings_layout::kChartColourCount); ++k) {
    const QString label = k == 0 ? QStringLiteral("LOW") : k == 5 ? QStringLiteral("HIGH") : QString();
    chartLayout->addWidget(MakeSwatch(kIdChartColour0 + k, label, chart));
  }

  layout->addWidget(meter, 2);
  layout->addWidget(chart, 5);
  return group;
}

QWidget* CConfig::BuildStationSettings() {
  auto* group = new QGroupBox(QStringLiteral("Station"), this);
  auto* layout = new QGridLayout(group);
  // A silent stack raises "NO COMM" in the alarm list once the delay has passed.
  m_NoCommAlarm = new QCheckBox(QStringLiteral("Enable"), group);
  m_NoCommDelay = new QSpinBox(group);
  m_NoCommDelay->setRange(1, 3600);
  m_NoCommDelay->setSuffix(QStringLiteral(" s"));
  m_NoCommDelay->setAccelerated(true);
  Register(kIdNoCommAlarm, m_NoCommAlarm);
  Register(kIdNoCommDelay, m_NoCommDelay);
  connect(m_NoCommAlarm, &QCheckBox::toggled, m_NoCommDelay, &QWidget::setEnabled);
  layout->addWidget(new QLabel(QStringLiteral("NO COMM Alarm"), group), 0, 0);
  layout->addWidget(m_NoCommAlarm, 0, 1);
  layout->addWidget(new QLabel(QStringLiteral("Delay"), group), 0, 2, Qt::AlignRight);
  layout->addWidget(m_NoCommDelay, 0, 3);
  layout->setColumnStretch(4, 1);
  return group;
}

QWidget* CConfig::BuildPlantOutputs() {
  m_Outputs = new CPlantOutputsGroup([this](int id, QWidget* control) { Register(id, control); }, this);
  SetCertificateChooser(
      [this](const QString& current) { return PlatformCertificateFile(this, current); });
  return m_Outputs;
}

void CConfig::SetCertificateChooser(FileChooser chooser) {
  // The platform's chooser starts in the folder of the file shown, or in the
  // working directory.
  m_Outputs->SetFileChooser([this, chooser = std::move(chooser)](const QString& current) {
    const QFileInfo shown(current);
    return chooser(current.isEmpty() || !shown.dir().exists() ? m_Workdir : shown.absolutePath());
  });
}

void CConfig::SetStationIni(const StationIni& ini) {
  m_StationIni = ini;
  m_Outputs->Show(PlantOutputsFromIni(ini));
  m_NoCommAlarm->setChecked(ini.noComm.alarm);
  m_NoCommDelay->setValue(ini.noComm.delaySeconds);
  m_NoCommDelay->setEnabled(ini.noComm.alarm);
}

void CConfig::BuildStackGrid() {
  m_Grid = new StackGrid(this);
  Register(kIdStackGrid, m_Grid->control());
  // As wide as its columns and a scroll bar; the settings on the left take the rest.
  int columns = 0;
  for (int w : StackGrid::kWidths) columns += w;
  m_Grid->setFixedWidth(columns + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 6);
  connect(m_StackCount, &QComboBox::currentIndexChanged, this, &CConfig::OnStackCountChanged);
}

void CConfig::ShowValues() {
  const ConfigForm form = FormFromSettings(*m_Settings);
  SetTextKeepingIt(m_ProgramTitle, form.programTitle);
  {
    const QSignalBlocker block(m_StackCount);
    m_StackCount->setCurrentIndex(form.stackCountIndex);
  }
  m_GridColumns->setCurrentIndex(form.gridColumnsIndex);
  m_GridRows->setCurrentIndex(form.gridRowsIndex);
  SetTextKeepingIt(m_SpeedUnit, form.speedUnit);
  m_WindMaxSpeed->setText(form.windMaxSpeed);
  m_LampEnable->setChecked(form.signalLampEnabled);
  m_LampAddress->SetAddress(form.signalLampHostAddress);
  m_SoundInterval->setChecked(form.soundInterval);
  m_SoundContinue->setChecked(!form.soundInterval);
  for (size_t l = 0; l < kConfigLevels; ++l) {
    m_Speeds[l]->setText(form.speeds[l]);
    SetTextKeepingIt(m_SoundPaths[l], form.soundPaths[l]);
  }
  m_Colours = form.colours;
  RefreshSwatches();
  m_Rows = form.rows;
  FillGrid();
  SetStationIni(m_StationIni);
}

uint32_t* CConfig::SwatchColour(int id) {
  ConfigColours& c = m_Colours;
  switch (id) {
    case kIdAlarmColour: return &c.levels[kConfigAlarm];
    case kIdStopColour: return &c.levels[kConfigStop];
    case kIdTripColour: return &c.levels[kConfigTrip];
    case kIdSpeedMeter: return &c.speedMeter;
    case kIdDirectionMeter: return &c.directionMeter;
    default: break;
  }
  const int k = id - kIdChartColour0;
  if (k >= 0 && k < static_cast<int>(c.chart.size())) return &c.chart[static_cast<size_t>(k)];
  return nullptr;
}

void CConfig::RefreshSwatches() {
  for (auto& [id, swatch] : m_Swatches) {
    swatch->m_Colour = *SwatchColour(id);
    swatch->update();
  }
}

int CConfig::SwatchAt(const QPoint& pos) const {
  for (int id : kSwatchHitOrder) {
    const CColourSwatch* swatch = Swatch(id);
    if (!swatch || !swatch->isVisible()) continue;
    const QRect area(swatch->mapTo(this, QPoint(0, 0)), swatch->size());
    if (area.contains(pos)) return id;
  }
  return 0;
}

void CConfig::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    if (const int id = SwatchAt(event->position().toPoint())) {
      ChooseSwatchColour(id);
      return;
    }
  }
  QDialog::mousePressEvent(event);
}

void CConfig::keyPressEvent(QKeyEvent* event) {
  // F1 reaches the dialog from whichever control has the focus: none of them
  // takes it.
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    if (m_Help) m_Help();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CConfig::ChooseSwatchColour(int id) {
  uint32_t* setting = SwatchColour(id);
  if (!setting) return;
  if (const auto chosen = m_ChooseColour(kChooserStart)) *setting = *chosen & 0xFFFFFFu;
  RefreshSwatches();
}

SoundPreview& CConfig::Preview() {
  if (m_Preview) return *m_Preview;
  if (!m_OwnPreview) {
    m_OwnPreview = new CSoundPreview(this);
    connect(m_OwnPreview, &CSoundPreview::cannotDecode, this, &CConfig::OnPreviewCannotDecode);
  }
  return *m_OwnPreview;
}

void CConfig::SetSoundPreview(SoundPreview* preview) {
  if (m_Preview) m_Preview->Stop();
  m_Preview = preview;
}

void CConfig::ChooseSound(int level) {
  if (level < 0 || level >= kConfigLevels) return;
  const QString path = m_ChooseFile(m_Workdir);
  if (path.isEmpty()) return;
  // A path that cannot be stored whole would name another file: say so now,
  // while the operator still knows which file was meant.
  if (const auto reason = TextProblem(path, kSoundPathLimit)) {
    AskMessageF(kMbOk | kMbIconWarning, "%s",
                FieldProblem{LevelNames()[static_cast<size_t>(level)] + QStringLiteral(" Sound Path"), *reason}
                    .Message()
                    .toUtf8()
                    .constData());
    return;
  }
  QLineEdit* edit = m_SoundPaths[static_cast<size_t>(level)];
  SetTextKeepingIt(edit, path);
  Preview().PlayOnce(path);
  // The alarm would play the built-in tone instead of a file the player cannot
  // decode: say so now, rather than let the operator believe it is set.
  const WavCheck check = CheckWavFile(QFile::encodeName(path).toStdString());
  if (check) {
    m_ToldUndecodable = path;
    TellUndecodable(level, path, QString::fromStdString(check.reason));
  }
}

void CConfig::TellUndecodable(int level, const QString& path, const QString& reason) {
  const QString text = QStringLiteral("%1 Sound Path: the file %2 cannot be played (%3).\n\n"
                                      "The built-in alarm tone will sound for this level instead.")
                           .arg(LevelNames()[static_cast<size_t>(level)], path, reason);
  AskMessageF(kMbOk | kMbIconWarning, "%s", text.toUtf8().constData());
}

void CConfig::OnPreviewCannotDecode(const QString& path) {
  // A file whose header was already found wanting has been told about.
  if (path == m_ToldUndecodable) return;
  for (int level = 0; level < kConfigLevels; ++level) {
    if (m_SoundPaths[static_cast<size_t>(level)]->text() == path) {
      m_ToldUndecodable = path;
      TellUndecodable(level, path, QStringLiteral("the player could not decode it"));
      return;
    }
  }
}

void CConfig::FillGrid() {
  const int count = m_StackCount->currentIndex() >= 0 ? m_StackCount->currentIndex() + 1
                                                       : std::clamp(m_Settings->stackCount, 1, kMaxStacks);
  while (static_cast<int>(m_Rows.size()) < count) {
    m_Rows.push_back(RowFromStack(m_Settings->stacks[m_Rows.size()]));
  }
  m_Grid->SetRows(std::span<const ConfigStackRow>(m_Rows.data(), static_cast<size_t>(count)));
}

void CConfig::OnStackCountChanged(int index) {
  if (index < 0) return;
  // The rows shown so far keep their edits; rows that come into view show their
  // stored records.
  const std::vector<ConfigStackRow> shown = m_Grid->Rows();
  std::copy(shown.begin(), shown.end(), m_Rows.begin());
  FillGrid();
}

std::vector<ConfigStackRow> CConfig::GridRows() const { return m_Grid->Rows(); }

void CConfig::SetGridRow(int stack, const ConfigStackRow& row) { m_Grid->SetRow(stack, row); }

int CConfig::GridRowCount() const { return m_Grid->RowCount(); }

ConfigForm CConfig::Form() const {
  ConfigForm form;
  form.programTitle = m_ProgramTitle->text();
  form.stackCountIndex = m_StackCount->currentIndex();
  form.gridColumnsIndex = m_GridColumns->currentIndex();
  form.gridRowsIndex = m_GridRows->currentIndex();
  form.speedUnit = m_SpeedUnit->text();
  form.windMaxSpeed = m_WindMaxSpeed->text();
  form.signalLampEnabled = m_LampEnable->isChecked();
  form.signalLampHostAddress = m_LampAddress->Address();
  form.signalLampAddressValid = m_LampAddress->IsValid();
  form.soundInterval = m_SoundInterval->isChecked();
  for (size_t l = 0; l < kConfigLevels; ++l) {
    form.speeds[l] = m_Speeds[l]->text();
    form.soundPaths[l] = m_SoundPaths[l]->text();
  }
  form.colours = m_Colours;
  form.rows = m_Rows;
  const std::vector<ConfigStackRow> shown = m_Grid->Rows();
  std::copy(shown.begin(), shown.end(), form.rows.begin());
  return form;
}

void CConfig::FocusField(const QString& field) {
  const std::pair<QString, QLineEdit*> edits[] = {
      {QStringLiteral("Program Title"), m_ProgramTitle},
      {QStringLiteral("Speed Unit"), m_SpeedUnit},
      {QStringLiteral("Wind Max Speed"), m_WindMaxSpeed},
      {QStringLiteral("Alarm Speed"), m_Speeds[kConfigAlarm]},
      {QStringLiteral("Stop Speed"), m_Speeds[kConfigStop]},
      {QStringLiteral("Trip Speed"), m_Speeds[kConfigTrip]},
      {QStringLiteral("Alarm Sound Path"), m_SoundPaths[kConfigAlarm]},
      {QStringLiteral("Stop Sound Path"), m_SoundPaths[kConfigStop]},
      {QStringLiteral("Trip Sound Path"), m_SoundPaths[kConfigTrip]},
  };
  for (const auto& [name, edit] : edits) {
    if (name == field) {
      edit->setFocus();
      edit->selectAll();
      return;
    }
  }
  if (field == QStringLiteral("Signal Lamp IP Address")) {
    for (int i = 0; i < 4; ++i) {
      QLineEdit* part = m_LampAddress->field(i);
      if (part->text().toUInt() > 255u) {
        part->setFocus();
        part->selectAll();
        return;
      }
    }
  }
  for (int i = 0; i < m_Grid->RowCount(); ++i) {
    if (field == QStringLiteral("Title of stack #%1").arg(i + 1)) {
      m_Grid->FocusCell(i, StackGrid::kColumnTitle);
      return;
    }
    if (field == QStringLiteral("IP Address of stack #%1").arg(i + 1)) {
      m_Grid->FocusCell(i, StackGrid::kColumnAddress);
      return;
    }
  }
}

void CConfig::accept() {
  // A cell still being edited in the stack grid commits when it loses the focus.
  if (QWidget* ok = Control(kIdOk)) ok->setFocus(Qt::OtherFocusReason);
  const ConfigForm form = Form();
  // Nothing is applied while any field is refused: the operator mends it first.
  if (const auto problem = FindFormProblem(form, *m_Settings)) {
    AskMessageF(kMbOk | kMbIconWarning, "%s", problem->Message().toUtf8().constData());
    FocusField(problem->field);
    return;
  }
  const PlantOutputsForm outputs = m_Outputs->Form();
  if (const auto problem = FindPlantOutputsProblem(outputs)) {
    AskMessageF(kMbOk | kMbIconWarning, "%s", problem->Message().toUtf8().constData());
    m_Outputs->FocusField(problem->field);
    return;
  }
  // Warned, not refused: the station has always taken such levels, and the
  // overview grows to show every stack.
  auto trial = std::make_unique<Settings>(*m_Settings);
  (void)ApplyForm(form, *trial);
  QStringList warnings = ThresholdWarnings(*trial);
  if (const QString grid = GridWarning(*trial); !grid.isEmpty()) warnings << grid;
  if (!warnings.isEmpty()) {
    const QString text = warnings.join(QStringLiteral("\n")) +
                         QStringLiteral("\n\nOK keeps these settings; Cancel returns to the dialog.");
    if (AskMessageF(kMbOkCancel | kMbIconWarning, "%s", text.toUtf8().constData()) != kIdOk) return;
  }
  m_Settings = std::move(trial);
  m_StationIni.noComm.alarm = m_NoCommAlarm->isChecked();
  m_NoCommDelay->interpretText();
  m_StationIni.noComm.delaySeconds = m_NoCommDelay->value();
  ApplyPlantOutputs(outputs, m_StationIni);
  Preview().Stop();
  QDialog::accept();
}

void CConfig::reject() {
  if (m_Preview || m_OwnPreview) Preview().Stop();
  QDialog::reject();
}

}  // namespace ws
