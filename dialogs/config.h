// CConfig, the "CONFIGURATION" dialog: edits every user setting of the station
// on a private copy of the settings record, and of the settings kept beside it
// (windscope.ini: the no-communication alarm, the plant outputs). OK writes every edit into the
// copies (the owner then takes them over); Cancel leaves them as handed in.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "core/settings.h"
#include "core/station_ini.h"
#include "dialogs/config_form.h"
#include "dialogs/plant_outputs_group.h"

namespace ws {

class CColourSwatch;
class CIpAddressEdit;
class CSoundPreview;
class SoundPreview;
class StackGrid;

class CConfig : public QDialog {
  Q_OBJECT

 public:
  // Control identifiers, kept as the controls' object names ("1019", ...).
  enum : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdProgramTitle = 1019,
    kIdStackCount = 1163,
    kIdGridColumns = 1164,
    kIdGridRows = 1166,
    kIdSpeedUnit = 1171,
    kIdWindMaxSpeed = 1169,
    kIdLampEnable = 1050,
    kIdLampAddress = 1165,
    kIdSoundInterval = 1104,
    kIdSoundContinue = 1105,
    kIdAlarmSpeed = 1170,
    kIdAlarmColour = 1146,
    kIdAlarmSound = 1174,
    kIdAlarmBrowse = 1167,
    kIdStopSpeed = 1001,
    kIdStopColour = 1147,
    kIdStopSound = 1175,
    kIdStopBrowse = 1177,
    kIdTripSpeed = 1173,
    kIdTripColour = 1148,
    kIdTripSound = 1176,
    kIdTripBrowse = 1178,
    kIdDirectionMeter = 1145,
    kIdSpeedMeter = 1144,
    kIdChartColour0 = 1138,  // "LOW"; 1139..1143 follow, 1143 "HIGH"
    kIdStackGrid = 1110,
    // Settings of windscope.ini, beyond the configuration file.
    kIdNoCommAlarm = 1201,
    kIdNoCommDelay = 1202,
    kIdModbusEnable = CPlantOutputsGroup::kIdModbusEnable,
    kIdModbusAddress = CPlantOutputsGroup::kIdModbusAddress,
    kIdModbusPort = CPlantOutputsGroup::kIdModbusPort,
    kIdMqttEnable = CPlantOutputsGroup::kIdMqttEnable,
    kIdMqttHost = CPlantOutputsGroup::kIdMqttHost,
    kIdMqttPort = CPlantOutputsGroup::kIdMqttPort,
    kIdMqttSite = CPlantOutputsGroup::kIdMqttSite,
    kIdMqttClientId = CPlantOutputsGroup::kIdMqttClientId,
    kIdMqttUsername = CPlantOutputsGroup::kIdMqttUsername,
    kIdMqttPassword = CPlantOutputsGroup::kIdMqttPassword,
    kIdMqttTls = CPlantOutputsGroup::kIdMqttTls,
    kIdMqttCaFile = CPlantOutputsGroup::kIdMqttCaFile,
    kIdMqttCertFile = CPlantOutputsGroup::kIdMqttCertFile,
    kIdMqttKeyFile = CPlantOutputsGroup::kIdMqttKeyFile,
    kIdMqttCaBrowse = CPlantOutputsGroup::kIdMqttCaBrowse,
    kIdMqttCertBrowse = CPlantOutputsGroup::kIdMqttCertBrowse,
    kIdMqttKeyBrowse = CPlantOutputsGroup::kIdMqttKeyBrowse,
  };
  // The order in which a click is tested against the swatches.
  static constexpr std::array<int, 11> kSwatchHitOrder = {1146, 1147, 1148, 1144, 1145, 1138,
                                                          1139, 1140, 1141, 1142, 1143};
  // The colour chooser opens on this colour, not on the swatch's own.
  static constexpr uint32_t kChooserStart = 0x000001;
  // Ordinary cells of the stack grid.
  static constexpr uint32_t kGridBackground = 0xE0FFFF;

  // `settings` is copied; `workdir` is where the sound chooser starts.
  CConfig(const Settings& settings, QString workdir, QWidget* parent = nullptr);
  ~CConfig() override;

  // The private copy: every edit after OK, the record as handed in otherwise
  // (nothing is written into it before OK).
  const Settings& settings() const { return *m_Settings; }
  // The settings kept beside the configuration file: shown by SetStationIni
  // (the defaults until then), every edit taken in on OK.
  void SetStationIni(const StationIni& ini);
  const StationIni& stationIni() const { return m_StationIni; }

  // The control with a dialog identifier, or null.
  QWidget* Control(int id) const;
  // The swatch with that identifier, or null.
  CColourSwatch* Swatch(int id) const;
  // The stack grid's rows as they stand (texts as shown, ticks).
  std::vector<ConfigStackRow> GridRows() const;
  // Writes one grid row, as the operator editing it would.
  void SetGridRow(int stack, const ConfigStackRow& row);
  int GridRowCount() const;  // data rows, without the header
  // The dialog's values as they stand now.
  ConfigForm Form() const;

  // Platform services, replaceable for tests. The colour chooser gets the colour
  // to start on and answers the chosen one (nullopt: cancelled); the file chooser
  // gets the folder to start in and answers a full path (empty: cancelled).
  using ColourChooser = std::function<std::optional<uint32_t>(uint32_t start)>;
  using FileChooser = std::function<QString(const QString& folder)>;
  void SetColourChooser(ColourChooser chooser) { m_ChooseColour = std::move(chooser); }
  void SetFileChooser(FileChooser chooser) { m_ChooseFile = std::move(chooser); }
  // The chooser of the TLS files: gets the file shown now (its folder, or the
  // working directory, is where the platform's chooser starts).
  void SetCertificateChooser(FileChooser chooser);
  // Not owned (it must outlive the dialog); null restores the dialog's own player.
  void SetSoundPreview(SoundPreview* preview);
  // F1: by default the calendar, for reference (its answer is not used).
  void SetHelpHandler(std::function<void()> handler) { m_Help = std::move(handler); }

  // The swatch a click at `pos` (dialog coordinates) hits first, or 0.
  int SwatchAt(const QPoint& pos) const;
  // What a click on the swatch does: the chooser, the setting, the repaint.
  void ChooseSwatchColour(int id);
  // What the "..." button of a level does: fills the path, previews the file,
  // and says so when the file cannot be played (the built-in tone would sound).
  void ChooseSound(int level);

  // OK: takes every control into the copy and closes, or shows why a text
  // cannot be stored and stays open.
  void accept() override;
  void reject() override;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* BuildProgramTitle();
  QWidget* BuildStackSettings();
  QWidget* BuildEnvironment();
  QWidget* BuildAlarmSettings();
  QWidget* BuildColourSettings();
  QWidget* BuildStationSettings();
  QWidget* BuildPlantOutputs();
  void BuildStackGrid();
  CColourSwatch* MakeSwatch(int id, const QString& label, QWidget* parent);
  void Register(int id, QWidget* control);

  void ShowValues();
  void RefreshSwatches();
  uint32_t* SwatchColour(int id);
  void FillGrid();
  void OnStackCountChanged(int index);
  void FocusField(const QString& field);
  SoundPreview& Preview();
  void TellUndecodable(int level, const QString& path, const QString& reason);
  void OnPreviewCannotDecode(const QString& path);

  std::unique_ptr<Settings> m_Settings;
  QString m_Workdir;
  // Rows of every stack shown so far, from stack 0; the grid shows the first
  // stackCount of them.
  std::vector<ConfigStackRow> m_Rows;  // never shorter than the grid
  // The swatches' colours, taken into the copy only on OK.
  ConfigColours m_Colours;

  std::map<int, QWidget*> m_Controls;
  std::map<int, CColourSwatch*> m_Swatches;
  QLineEdit* m_ProgramTitle = nullptr;
  QComboBox* m_StackCount = nullptr;
  QComboBox* m_GridColumns = nullptr;
  QComboBox* m_GridRows = nullptr;
  QLineEdit* m_SpeedUnit = nullptr;
  QLineEdit* m_WindMaxSpeed = nullptr;
  QCheckBox* m_LampEnable = nullptr;
  CIpAddressEdit* m_LampAddress = nullptr;
  QRadioButton* m_SoundInterval = nullptr;
  QRadioButton* m_SoundContinue = nullptr;
  std::array<QLineEdit*, kConfigLevels> m_Speeds{};
  std::array<QLineEdit*, kConfigLevels> m_SoundPaths{};
  StackGrid* m_Grid = nullptr;
  StationIni m_StationIni;
  QCheckBox* m_NoCommAlarm = nullptr;
  QSpinBox* m_NoCommDelay = nullptr;
  CPlantOutputsGroup* m_Outputs = nullptr;

  ColourChooser m_ChooseColour;
  FileChooser m_ChooseFile;
  std::function<void()> m_Help;
  CSoundPreview* m_OwnPreview = nullptr;  // child, made on first use
  SoundPreview* m_Preview = nullptr;      // not owned when set by SetSoundPreview
  QString m_ToldUndecodable;              // the last file said not to decode
};

}  // namespace ws
