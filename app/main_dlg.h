// CMainDlg, the station window: the title box, the seven-button command bar,
// three signal lamps and the link LED above either the overview of all stacks
// or the gauge panel of one, with the alarm list kept ready beside it. It owns
// the acquisition runtime and shows what its signals say; every acquisition
// rule lives in the runtime.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/alarm_player.h"
#include "core/colour_math.h"
#include "core/clock.h"
#include "core/statistics_cascade.h"
#include "widgets/display_fonts.h"

namespace ws {

class CAlarmDlg;
class CBasePanel;
class CDumpController;
class CFirmwareController;
class CProgress;
class CGaugePanel;
class CHistoryDlg;
class CLamp;
class CLed;
class CMultiButton;
class CNexText;
class CNotice;
class CPlantNotice;
class CRecordingNotice;
class CTestModeBanner;
class CSettingsNotice;
class ModbusOutput;
class MqttPublisher;
class StationRuntime;

class CMainDlg : public QDialog {
  Q_OBJECT

 public:
  // Control identifiers.
  static constexpr int kTitleId = 10000;
  static constexpr int kCommandBarId = 10020;
  static constexpr int kLinkLedId = 10000;
  static constexpr int kGreenLampId = 50000;
  static constexpr int kYellowLampId = 50001;
  static constexpr int kRedLampId = 50002;
  static constexpr ColorRef kBackground = 0x4C3F38;
  // Command bar buttons.
  enum Command : int { kMain = 0, kCapture, kSound, kReport, kDump, kConfig, kExit, kCommandCount };
  static constexpr const char* kExitQuestion = "프로그램을 종료합니다!";

  // `workdir` holds the configuration and the record files; `clock` must
  // outlive the window.
  CMainDlg(const QString& workdir, const Clock& clock, QWidget* parent = nullptr);
  ~CMainDlg() override;

  // Loads the settings and fonts, builds the children, starts the runtime.
  void Init();

  // The command bar's press; acted upon only for an enabled button 0..6.
  void OnCommand(int index);
  // Message 0x480 from the overview: show stack i.
  void OnShowStack(int panelId, int stack);
  // The commands.
  void OnMain();
  // Returns the file written, empty when nothing could be written.
  QString OnCapture();
  void OnSound();
  void OnReport();
  void OnDump();
  void OnConfig();
  // EXIT (and the window manager's close, which names itself as `reason`).
  void OnExit(const char* reason = "operator EXIT");
  void OnHelp();
  // F4 and the alarm list's History button: the history window, not modal,
  // over the station window (raised again when it is open already).
  void OnHistory();
  CHistoryDlg* HistoryDlg() const;
  // The exit sequence without the question (EXIT confirmed, SIGTERM, SIGINT,
  // session end): settings saved with the statistics snapshot, lamp tower
  // all-off, the window closed; `reason` goes into the journal's end event.
  // Safe to call more than once.
  void ExitSequence(const std::string& reason = "station window closed");
  // After the configuration dialog's OK was applied to the runtime: the
  // panels and the title follow the new record.
  void SettingsApplied();
  // Runs a modal dialog over this window only, so that the alarm list (a window
  // of its own) keeps answering its ACK.
  int RunModal(QDialog& dialog);

  StationRuntime& runtime() const { return *m_pRuntime; }
  bool Running() const { return m_bRunning; }
  bool OverviewShown() const;
  int SelectedStack() const;
  const QString& workdir() const { return m_Workdir; }
  const DisplayFonts& fonts() const { return m_Fonts; }
  CAlarmPlayer& player() { return m_Player; }

  CNexText* TitleBox() const { return m_pTitle; }
  CMultiButton* CommandBar() const { return m_pCommandBar; }
  CLamp* Lamp(int index) const { return m_Lamps[static_cast<size_t>(index)]; }  // 0 green, 1 yellow, 2 red
  CLed* LinkLed() const { return m_pLinkLed; }
  CBasePanel* BasePanel() const { return m_pBasePanel; }
  CGaugePanel* GaugePanel() const { return m_pGaugePanel; }
  // The notice about recording (a full disk), hidden while recording is fine.
  CRecordingNotice* RecordingNotice() const { return m_pRecordingNotice; }
  // The banner shown while a test speed mode (Ctrl+F2..F4) is on.
  CTestModeBanner* TestModeBanner() const { return m_pTestModeBanner; }
  // Ctrl+F2..F4 (1..3) and Ctrl+F5 (0): the runtime's mode, and the banner.
  void SetTestSpeedMode(int mode);
  // The notice that the configuration file was missing or cut short, shown once.
  CSettingsNotice* SettingsNotice() const { return m_pSettingsNotice; }
  // A notice of another part of the station (a child of this window) that
  // shares the bottom strip with the window's own; NoticesChanged after it was
  // shown or hidden lays the strip out again.
  void AddNotice(CNotice* notice);
  void NoticesChanged();
  // The plant outputs the station runs beside this window (either may be null;
  // they must outlive it or be QObject-deleted): the information dialog shows
  // their state, and a broker's refusal of the credentials shows in the strip.
  void SetPlantOutputs(ModbusOutput* modbus, MqttPublisher* mqtt);
  CPlantNotice* PlantNotice() const { return m_pPlantNotice; }
  CAlarmDlg* AlarmDlg() const { return m_pAlarmDlg.get(); }
  // The hidden progress window of the day dump and the firmware upload.
  CProgress* m_pProgress = nullptr;
  // DUMP (calendar, progress, Fill holes) and the firmware image control.
  CDumpController* DumpController() const { return m_pDump; }
  CFirmwareController* FirmwareController() const { return m_pFirmware; }

  // Renders the window's background (colour, copyright and version lines).
  QImage RenderBackground() const;

 signals:
  // The window has ended (exit sequence done).
  void finished(int code);

 public slots:
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CreateCommandBar();
  void CreateLamps();
  void ConnectRuntime();
  void SetButtonEnabled(int index, bool enabled);
  void SetSoundOverlay(bool soundsOff);
  void Layout();
  void SetTitleText(const QString& text);
  QString ProgramTitle() const;
  void OnLamps(bool green, bool yellow, bool red);
  void OnLinkLed(uint32_t dark, uint32_t light);
  void OnAlarmRaised(int stack, int level, double speed);
  void OnAcknowledge(int code, int lparam);
  // The gauge panel's needles for a stack just opened: its own last reading, or
  // none while it has nothing to show (as its tile shows dashes).
  void ShowOwnNeedles(int stack);

  QString m_Workdir;
  const Clock& m_Clock;
  std::unique_ptr<StationRuntime> m_pRuntime;
  DisplayFonts m_Fonts;
  CAlarmPlayer m_Player;
  bool m_bRunning = false;
  bool m_bInitialised = false;

  CNexText* m_pTitle = nullptr;
  CMultiButton* m_pCommandBar = nullptr;
  std::array<CLamp*, 3> m_Lamps{};
  CLed* m_pLinkLed = nullptr;
  CBasePanel* m_pBasePanel = nullptr;
  CGaugePanel* m_pGaugePanel = nullptr;
  CDumpController* m_pDump = nullptr;
  CFirmwareController* m_pFirmware = nullptr;
  CRecordingNotice* m_pRecordingNotice = nullptr;
  CTestModeBanner* m_pTestModeBanner = nullptr;
  CSettingsNotice* m_pSettingsNotice = nullptr;
  std::vector<CNotice*> m_OtherNotices;
  CPlantNotice* m_pPlantNotice = nullptr;
  QPointer<ModbusOutput> m_pModbus;
  QPointer<MqttPublisher> m_pMqtt;
  // A window of its own (no parent): a modal dialog over the station window
  // never blocks its ACK.
  std::unique_ptr<CAlarmDlg> m_pAlarmDlg;
  QPointer<CHistoryDlg> m_pHistory;  // deletes itself when closed
};

}  // namespace ws
