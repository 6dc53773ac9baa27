#include "app/main_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>

#include "app/plant_notice.h"
#include "app/recording_notice.h"
#include "app/test_mode_banner.h"
#include "app/settings_notice.h"
#include "core/format_fixed.h"
#include "core/settings.h"
#include "dialogs/alarm_dlg.h"
#include "dialogs/config.h"
#include "dialogs/dump_controller.h"
#include "dialogs/firmware_controller.h"
#include "dialogs/history_dlg.h"
#include "dialogs/info_dlg.h"
#include "dialogs/progress.h"
#include "link/modbus_output.h"
#include "link/mqtt_publisher.h"
#include "link/station_runtime.h"
#include "report/report.h"
#include "screen/base_panel.h"
#include "screen/gauge_panel.h"
#include "util/version_info.h"
#include "widgets/draw_toolkit.h"
#include "widgets/lamp.h"
#include "widgets/led.h"
#include "widgets/message_helpers.h"
#include "widgets/multi_button.h"
#include "widgets/nex_text.h"

namespace ws {

namespace {

constexpr const char* kTooltips[CMainDlg::kCommandCount] = {"MAIN",   "CAPTURE", "SOUND", "REPORT",
                                                            "DUMP",   "CONFIG",  "EXIT"};
constexpr int kGlyphs[CMainDlg::kCommandCount] = {155, 16, 39, 31, 174, 18, 100};
constexpr ColorRef kGlyphColours[CMainDlg::kCommandCount] = {0xFF8000, 0xC0C0C0, 0x4080FF, 0xFFFFFF,
                                                             0x008000, 0xE68C6E, 0x0000FF};

ColorRef Inverse(ColorRef c) { return Rgb(255 - RedOf(c), 255 - GreenOf(c), 255 - BlueOf(c)); }

ColorRef ButtonFace(const QWidget& w) {
  const QColor c = w.palette().color(QPalette::Button);
  return Rgb(c.red(), c.green(), c.blue());
}

}  // namespace

CMainDlg::CMainDlg(const QString& workdir, const Clock& clock, QWidget* parent)
    : QDialog(parent), m_Workdir(workdir), m_Clock(clock) {
  setWindowTitle(QStringLiteral("WINDSCOPE"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setProperty(kMainWindowProperty, true);
  m_pRuntime = std::make_unique<StationRuntime>(workdir, clock);
}

CMainDlg::~CMainDlg() {
  qApp->removeEventFilter(this);
  ExitSequence();
}

void CMainDlg::Init() {
  if (m_bInitialised) return;
  m_bInitialised = true;
  StationRuntime& rt = *m_pRuntime;
  // The runtime loads the settings, makes the record files and the links; the
  // windows are built over its live record.
  rt.SetAlarmSound(&m_Player);
  rt.Start();

  m_Fonts.LoadDisplayFonts(DisplayFonts::kFndFontId, DisplayFonts::kMatrixFontId, DisplayFonts::kRoundFontId);
  const QString digits = m_Fonts.Family(DisplayFonts::kFndSlot);

  m_pTitle = new CNexText(this);
  m_pTitle->m_nId = kTitleId;
  m_pTitle->setWindowTitle(ProgramTitle());
  m_pTitle->Setup(0x00FFFF, 0x4080FF, 7, 2);
  m_pTitle->m_fSizeFraction = 0.8f;
  m_pTitle->m_nFillMode = 1;
  m_pTitle->m_GradFillTop = 0x4C3F38;
  m_pTitle->m_GradFillBottom = 0x82614F;
  m_pTitle->m_bBorder = true;
  m_pTitle->m_BorderColor = 0xBC7200;
  m_pTitle->m_bTextOutline = true;
  m_pTitle->m_nAlign = CNexText::kSsCenter;

  CreateCommandBar();

  rt.SetSoundsEnabled(true);
  m_pAlarmDlg = std::make_unique<CAlarmDlg>(m_Fonts.Family(DisplayFonts::kIconSlot));
  connect(m_pAlarmDlg.get(), &CAlarmDlg::acknowledge, this, &CMainDlg::OnAcknowledge);
  // Its History button opens the event history, as F4 does.
  connect(m_pAlarmDlg.get(), &CAlarmDlg::historyRequested, this, &CMainDlg::OnHistory);
  m_pAlarmDlg->SetSettings(&rt.settings());

  m_pBasePanel = new CBasePanel(this);
  m_pBasePanel->SetBackgroundColour(kBackground);
  m_pBasePanel->SetDisplayFont(digits);
  m_pBasePanel->SetSettings(rt.settings());
  connect(m_pBasePanel, &CBasePanel::showStack, this, &CMainDlg::OnShowStack);

  m_pGaugePanel = new CGaugePanel(this);
  m_pGaugePanel->hide();
  m_pGaugePanel->Build(kBackground, digits);
  m_pGaugePanel->SetSettings(rt.settings());
  connect(m_pGaugePanel, &CGaugePanel::splitRatioChanged, &rt, &StationRuntime::SetSplitRatio);

  CreateLamps();

  m_pLinkLed = new CLed(this);
  m_pLinkLed->m_nId = kLinkLedId;
  m_pLinkLed->SetWindowText(QStringLiteral("WDX5100"));
  m_pLinkLed->Init(ButtonFace(*this));
  m_pLinkLed->hide();

  m_pProgress = new CProgress(this);
  m_pDump = new CDumpController(rt, *m_pProgress, this, this);
  m_pFirmware = new CFirmwareController(rt, *m_pProgress, this, this);
  connect(m_pDump, &CDumpController::dumpEnabledChanged, this,
          [this](bool enabled) { SetButtonEnabled(kDump, enabled && !OverviewShown()); });

  m_pRecordingNotice = new CRecordingNotice(this);
  m_pTestModeBanner = new CTestModeBanner(this);
  m_pSettingsNotice = new CSettingsNotice(this);
  m_pSettingsNotice->ShowLoad(rt.settingsLoad());

  ConnectRuntime();
  // What the runtime said before the windows listened.
  const LampStates lamps = rt.lamps();
  OnLamps(lamps.green, lamps.yellow, lamps.red);
  // A state reached while the runtime started (a full disk at start) is shown too.
  if (rt.recordingState() != RecordingState::kOk) {
    m_pRecordingNotice->ShowState(static_cast<int>(rt.recordingState()), rt.recordingNotice());
  }
  qApp->installEventFilter(this);
  m_bRunning = true;
  SetTitleText(ProgramTitle());
  Layout();
}

QString CMainDlg::ProgramTitle() const {
  return QString::fromStdString(FieldUtf8(m_pRuntime->settings().programTitle));
}

void CMainDlg::CreateCommandBar() {
  m_pCommandBar = new CMultiButton(kCommandBarId, this);
  m_pCommandBar->m_IconFontFamily = m_Fonts.Family(DisplayFonts::kIconSlot);
  m_pCommandBar->m_Count = kCommandCount;
  m_pCommandBar->m_FaceTop = 0x4C3F38;
  m_pCommandBar->m_FaceBottom = 0x82614F;
  m_pCommandBar->m_FaceBorder = 0xBC7200;
  m_pCommandBar->m_DisabledTop = 0xC1D0D4;
  for (int i = 0; i < kCommandCount; ++i) {
    const auto u = static_cast<size_t>(i);
    m_pCommandBar->m_Glyph[u] = kGlyphs[i];
    m_pCommandBar->m_GlyphColour[u] = kGlyphColours[i];
    m_pCommandBar->m_Enabled[u] = true;
    m_pCommandBar->SetTooltipText(i, QString::fromLatin1(kTooltips[i]));
  }
  m_pCommandBar->m_GlyphAngle[kMain] = 270;
  m_pCommandBar->m_OverlayGlyph[kReport] = 23;
  m_pCommandBar->m_OverlayColour[kReport] = 0x800000;
  m_pCommandBar->m_OverlayAngle[kReport] = 315;
  m_pCommandBar->m_OverlayScale[kReport] = 0.8f;
  m_pCommandBar->m_OverlayOffsetX[kReport] = 0.05f;
  m_pCommandBar->m_OverlayOffsetY[kReport] = 0.15f;
  m_pCommandBar->m_OverlayAlpha[kReport] = 160;
  m_pCommandBar->m_OverlayAlphaOn[kReport] = true;
  m_pCommandBar->m_GlyphAngle[kDump] = 180;
  m_pCommandBar->m_SizeFactor[kDump] = 1.0f;
  m_pCommandBar->m_OffsetY[kDump] = 0.1f;
  // The overview: MAIN, REPORT and DUMP have nothing to act on.
  m_pCommandBar->m_Enabled[kMain] = false;
  m_pCommandBar->m_Enabled[kReport] = false;
  m_pCommandBar->m_Enabled[kDump] = false;
  connect(m_pCommandBar, &QAbstractButton::clicked, this,
          [this] { OnCommand(m_pCommandBar->HoveredIndex()); });
}

void CMainDlg::CreateLamps() {
  struct Colours {
    int id;
    ColorRef edge;
    ColorRef centre;
  };
  const Colours lamps[3] = {{kGreenLampId, 0x008000, 0x00FF00},
                            {kYellowLampId, 0x4080FF, 0x00FFFF},
                            {kRedLampId, 0x000080, 0x0000FF}};
  for (size_t i = 0; i < 3; ++i) {
    auto* lamp = new CLamp(this);
    lamp->m_nId = lamps[i].id;
    lamp->m_OnEdgeColor = lamps[i].edge;
    lamp->m_OnCenterColor = lamps[i].centre;
    lamp->m_OffEdgeColor = 0x000000;
    lamp->m_OffCenterColor = 0xC0C0C0;
    lamp->m_bReady = true;
    m_Lamps[i] = lamp;
  }
}

void CMainDlg::ConnectRuntime() {
  StationRuntime* rt = m_pRuntime.get();
  connect(rt, &StationRuntime::stackUpdated, this, [this](int stack, float direction, float speed, int state) {
    m_pBasePanel->SetDirectionSpeed(stack, direction, speed);
    m_pBasePanel->SetState(stack, state);
  });
  connect(rt, &StationRuntime::stackNoCommunication, this, [this](int stack) {
    m_pBasePanel->SetState(stack, CBasePanel::kNoCommunication);
    if (stack == SelectedStack()) m_pGaugePanel->NoNeedles();
  });
  connect(rt, &StationRuntime::stackBusy, this, [this, rt](int stack) {
    const bool upload = rt->UploadRunning() && rt->firmware().Stack() == stack;
    m_pBasePanel->SetBusyKind(stack, upload ? CBasePanel::BusyKind::kUpload : CBasePanel::BusyKind::kDump);
    m_pBasePanel->SetState(stack, CBasePanel::kBusy);
  });
  connect(rt, &StationRuntime::gaugeNeedles, this, [this](float direction, float speed) {
    if (!OverviewShown()) m_pGaugePanel->Needles(direction, speed);
  });
  connect(rt, &StationRuntime::gaugeRefresh, this, [this](int k, const StackAverages& averages) {
    if (!OverviewShown()) m_pGaugePanel->Refresh(k, averages);
  });
  connect(rt, &StationRuntime::clockTick, this, [this](const SystemTime& now) {
    m_pGaugePanel->SetClock(now);
    if (m_pAlarmDlg && m_pAlarmDlg->isVisible()) m_pAlarmDlg->SetNow(now);
  });
  connect(rt, &StationRuntime::alarmRaised, this, &CMainDlg::OnAlarmRaised);
  connect(rt, &StationRuntime::alarmEntriesChanged, this, [this, rt] {
    if (m_pAlarmDlg) m_pAlarmDlg->ShowEntries(rt->alarmEntries(), m_Clock.Now());
  });
  connect(rt, &StationRuntime::lampsChanged, this, &CMainDlg::OnLamps);
  connect(rt, &StationRuntime::linkLedChanged, this, &CMainDlg::OnLinkLed);
  connect(rt, &StationRuntime::stacksRebuilt, this, [this](int) { SettingsApplied(); });
  connect(rt, &StationRuntime::tcpIpError, this, [] { ShowMessageF("TCP/IP Error!"); });
  // Never a message box: recording failures must not stop the window.
  connect(rt, &StationRuntime::recordingStateChanged, this, [this](int state, const QString& text) {
    m_pRecordingNotice->ShowState(state, text);
    Layout();
  });
}

bool CMainDlg::OverviewShown() const { return m_pRuntime->selectedStack() < 0; }

int CMainDlg::SelectedStack() const { return m_pRuntime->selectedStack(); }

void CMainDlg::SetButtonEnabled(int index, bool enabled) {
  m_pCommandBar->m_Enabled[static_cast<size_t>(index)] = enabled;
  m_pCommandBar->InvalidateFace();
  m_pCommandBar->update();
}

void CMainDlg::SetSoundOverlay(bool soundsOff) {
  const auto s = static_cast<size_t>(kSound);
  if (soundsOff) {
    m_pCommandBar->m_OverlayGlyph[s] = 122;
    m_pCommandBar->m_OverlayColour[s] = 0x0000FA;
    m_pCommandBar->m_OverlayScale[s] = 0.6f;
    m_pCommandBar->m_OverlayOffsetX[s] = 0.1f;
    m_pCommandBar->m_OverlayOffsetY[s] = 0.1f;
    m_pCommandBar->m_OverlayAlpha[s] = 160;
    m_pCommandBar->m_OverlayAlphaOn[s] = true;
  } else {
    m_pCommandBar->m_OverlayGlyph[s] = 0;
    m_pCommandBar->m_OverlayAlphaOn[s] = false;
  }
  m_pCommandBar->InvalidateFace();
  m_pCommandBar->update();
}

void CMainDlg::SetTitleText(const QString& text) {
  if (m_pTitle) m_pTitle->SetText(text);
}

// ---- Commands ----

void CMainDlg::OnCommand(int index) {
  if (!m_bRunning || index < 0 || index >= kCommandCount) return;
  if (!m_pCommandBar->m_Enabled[static_cast<size_t>(index)]) return;
  switch (index) {
    case kMain: OnMain(); break;
    case kCapture: OnCapture(); break;
    case kSound: OnSound(); break;
    case kReport: OnReport(); break;
    case kDump: OnDump(); break;
    case kConfig: OnConfig(); break;
    case kExit: OnExit(); break;
    default: break;
  }
}

void CMainDlg::OnMain() {
  // Going back to the overview abandons an unfinished dump (the runtime does it).
  m_pRuntime->SetSelectedStack(-1);
  SetButtonEnabled(kMain, false);
  SetButtonEnabled(kReport, false);
  SetButtonEnabled(kDump, false);
  SetButtonEnabled(kConfig, true);
  m_pLinkLed->hide();
  m_pLinkLed->TurnOff();
  m_pBasePanel->show();
  m_pGaugePanel->hide();
  SetTitleText(ProgramTitle());
  Layout();
}

void CMainDlg::OnShowStack(int /*panelId*/, int stack) {
  if (!m_bRunning || stack < 0 || stack >= m_pRuntime->stackCount()) return;
  SetButtonEnabled(kMain, true);
  SetButtonEnabled(kReport, true);
  SetButtonEnabled(kDump, true);
  m_pRuntime->SetSelectedStack(stack);
  // Before the panel shows: its first paint is of this stack, never of the last one.
  ShowOwnNeedles(stack);
  m_pLinkLed->show();
  m_pBasePanel->hide();
  m_pGaugePanel->show();
  SetTitleText(QString::fromStdString(FieldUtf8(m_pRuntime->settings().stacks[static_cast<size_t>(stack)].title)));
  m_pGaugePanel->Refresh(-1, m_pRuntime->Averages(stack));
  m_pGaugePanel->ShowStack(stack);
  SetButtonEnabled(kConfig, false);
  Layout();
}

void CMainDlg::ShowOwnNeedles(int stack) {
  const int state = m_pRuntime->TileState(stack);
  if (state >= CBasePanel::kNormal && state <= CBasePanel::kTrip) {
    const StackStatistics& s = m_pRuntime->statistics().Stack(stack);
    m_pGaugePanel->Needles(s.direction, s.speed);
  } else {
    m_pGaugePanel->NoNeedles();
  }
}

QString CMainDlg::OnCapture() {
  const QDir dir(m_Workdir);
  if (!dir.mkpath(QStringLiteral("Capture"))) return {};
  const QString name = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")) +
                       QStringLiteral(".png");
  const QString path = dir.filePath(QStringLiteral("Capture/") + name);
  // The screen's pixels under the client area, as the operator sees them;
  // without a real screen (offscreen platform) the window renders itself.
  QPixmap shot;
  if (QScreen* screen = this->screen()) {
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
      shot = screen->grabWindow(0, origin.x(), origin.y(), width(), height());
    }
  }
  if (shot.isNull()) shot = grab();
  return shot.save(path, "PNG") ? path : QString();
}

void CMainDlg::OnSound() {
  const bool enabled = !m_pRuntime->soundsEnabled();
  m_pRuntime->SetSoundsEnabled(enabled);
  if (!enabled) m_Player.Stop();
  SetSoundOverlay(!enabled);
}

void CMainDlg::OnReport() {
  const int stack = SelectedStack();
  if (!m_bRunning || stack < 0 || stack >= m_pRuntime->stackCount()) return;
  // Each search's span is kept (and saved) by the runtime: the report reopens on it.
  CReport report(m_Workdir, stack, m_pRuntime->settings(), m_Fonts.Family(DisplayFonts::kIconSlot), this);
  connect(&report, &CReport::spanChanged, m_pRuntime.get(), &StationRuntime::SetReportSpan);
  RunModal(report);
}

void CMainDlg::OnDump() {
  // Returns once the dump has started; the button comes back with its end.
  if (!OverviewShown()) m_pDump->Dump(SelectedStack());
}

void CMainDlg::OnConfig() {
  if (!m_bRunning) return;
  CConfig config(m_pRuntime->settings(), m_Workdir, this);
  config.SetStationIni(m_pRuntime->stationIni());
  const bool ok = RunModal(config) == QDialog::Accepted;
  // The station may have begun its exit while the dialog was open.
  if (ok && m_bRunning) {
    // Saving, reconnecting changed addresses, rebuilding for a new stack count
    // and restarting the timers are the runtime's; the windows then follow the
    // new record.
    m_pRuntime->ApplySettings(config.settings());
    SettingsApplied();
    // windscope.ini is written only when one of its settings changed; its new
    // values hold for this run even when it cannot be written.
    if (!(config.stationIni() == m_pRuntime->stationIni())) {
      const std::string error = m_pRuntime->ApplyStationIni(config.stationIni());
      if (!error.empty()) ShowMessageF("%s: %s", kStationIniName, error.c_str());
    }
  }
}

void CMainDlg::OnExit(const char* reason) {
  if (!m_bRunning) return;
  const int answer = AskMessageF(kMbYesNo | kMbIconQuestion, "%s", kExitQuestion);
  if (answer != kIdYes || !m_bRunning) return;
  ExitSequence(reason);
}

void CMainDlg::OnHelp() {
  CInfoDlg info(this);
  info.SetOutputs(m_pModbus, m_pMqtt);
  m_pFirmware->AddButtonTo(info);
  RunModal(info);
}

CHistoryDlg* CMainDlg::HistoryDlg() const { return m_pHistory.data(); }

void CMainDlg::OnHistory() {
  if (!m_bRunning) return;
  // Over the station window, or over the modal dialog that blocks it (the alarm
  // list's History during a report): a window under a modal one takes no input.
  QWidget* over = this;
  QWidget* modal = QApplication::activeModalWidget();
  if (modal != nullptr && modal != m_pAlarmDlg.get() &&
      !(m_pHistory && (modal == m_pHistory || m_pHistory->isAncestorOf(modal)))) {
    over = modal;
  }
  if (!m_pHistory) {
    m_pHistory = new CHistoryDlg(m_Workdir, m_pRuntime->stackCount(),
                                 m_Fonts.Family(DisplayFonts::kIconSlot), over);
    m_pHistory->setAttribute(Qt::WA_DeleteOnClose);
  } else {
    if (m_pHistory->parentWidget() != over) m_pHistory->setParent(over, m_pHistory->windowFlags());
    m_pHistory->Apply();  // events journalled since it was opened
  }
  m_pHistory->show();
  m_pHistory->raise();
  m_pHistory->activateWindow();
}

int CMainDlg::RunModal(QDialog& dialog) {
  dialog.setWindowModality(Qt::WindowModal);
  return dialog.exec();
}

void CMainDlg::ExitSequence(const std::string& reason) {
  if (!m_bRunning) return;
  m_bRunning = false;
  // Modal dialogs still open (a signal arrived while one was shown) end first,
  // so that their loops return and nothing acts on the closed station.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(w);
    if (dialog && dialog != this && dialog != m_pAlarmDlg.get() && dialog->isVisible()) dialog->reject();
  }
  hide();
  if (m_pAlarmDlg) m_pAlarmDlg->hide();
  m_Player.Stop();
  // A dump running ends first (quietly), then the runtime's exit sequence.
  if (m_pDump) m_pDump->Abandon();
  if (m_pProgress) m_pProgress->hide();
  m_pRuntime->Shutdown(reason);
  m_pRuntime->SetAlarmSound(nullptr);
  QDialog::done(QDialog::Accepted);
  emit finished(0);
}

void CMainDlg::SettingsApplied() {
  const Settings& settings = m_pRuntime->settings();
  m_pBasePanel->SetSettings(settings);
  m_pGaugePanel->SetSettings(settings);
  if (OverviewShown()) {
    OnMain();
  } else {
    m_pGaugePanel->ShowStack(SelectedStack());
  }
}

void CMainDlg::reject() {
  // Escape never closes the station; only EXIT (or the window manager's close,
  // which asks the same question) does.
}

// ---- Runtime signals ----

void CMainDlg::OnLamps(bool green, bool yellow, bool red) {
  auto set = [](CLamp* lamp, bool on) {
    if (lamp->m_bLit == on) return;
    if (on) {
      lamp->TurnOn();
    } else {
      lamp->TurnOff();
    }
  };
  set(m_Lamps[0], green);
  set(m_Lamps[1], yellow);
  set(m_Lamps[2], red);
}

void CMainDlg::OnLinkLed(uint32_t dark, uint32_t light) {
  if (OverviewShown()) return;
  if (m_pLinkLed->m_bLit && m_pLinkLed->m_OnEdgeColor == dark && m_pLinkLed->m_OnCenterColor == light) return;
  m_pLinkLed->m_OnEdgeColor = dark;
  m_pLinkLed->m_OnCenterColor = light;
  m_pLinkLed->TurnOn();
}

void CMainDlg::OnAlarmRaised(int stack, int level, double speed) {
  if (!m_pAlarmDlg) return;
  m_pAlarmDlg->ShowEntry(stack, level, speed, m_Clock.Now());
}

void CMainDlg::OnAcknowledge(int code, int /*lparam*/) {
  if (code != 1 || !m_bRunning) return;
  m_pRuntime->Acknowledge();
  m_Player.Stop();
}

void CMainDlg::SetTestSpeedMode(int mode) {
  if (!m_bRunning) return;
  m_pRuntime->SetTestSpeedMode(mode);
  m_pTestModeBanner->ShowMode(m_pRuntime->testSpeedMode(),
                              QString::fromStdString(FieldUtf8(m_pRuntime->settings().speedUnit)));
  Layout();
}

// ---- Window ----

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !m_bRunning) return QDialog::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      // Neither closes the station: they move the focus like Tab.
      focusNextChild();
      return true;
    case Qt::Key_F1:
      OnHelp();
      return true;
    case Qt::Key_F4:
      if (key->modifiers() & Qt::ControlModifier) break;  // test speed mode, below
      OnHistory();
      return true;
    default: break;
  }
  if (key->modifiers() & Qt::ControlModifier) {
    switch (key->key()) {
      case Qt::Key_F2: SetTestSpeedMode(1); return true;
      case Qt::Key_F3: SetTestSpeedMode(2); return true;
      case Qt::Key_F4: SetTestSpeedMode(3); return true;
      case Qt::Key_F5: SetTestSpeedMode(0); return true;
      default: break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CMainDlg::closeEvent(QCloseEvent* event) {
  if (!m_bRunning) {
    event->accept();
    return;
  }
  // The window manager's close (and Alt+F4, logout) asks like EXIT does.
  event->ignore();
  OnExit("window close");
}

QImage CMainDlg::RenderBackground() const {
  QImage image(std::max(1, width()), std::max(1, height()), QImage::Format_ARGB32_Premultiplied);
  image.fill(ToQColor(kBackground));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QFont font(QStringLiteral("System"));
  font.setPixelSize(12);
  painter.setFont(font);
  painter.setPen(ToQColor(Inverse(kBackground)));
  const int y = height() - 20;
  const QRect line(10, y - 10, std::max(0, width() - 20), 20);
  painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(VersionEntryText(VersionEntry::kLegalCopyright)));
  painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, CInfoDlg::FirstLine());
  return image;
}

void CMainDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, RenderBackground());
}

void CMainDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Layout();
}

void CMainDlg::AddNotice(CNotice* notice) {
  if (notice == nullptr) return;
  m_OtherNotices.push_back(notice);
  Layout();
}

void CMainDlg::NoticesChanged() { Layout(); }

void CMainDlg::SetPlantOutputs(ModbusOutput* modbus, MqttPublisher* mqtt) {
  m_pModbus = modbus;
  m_pMqtt = mqtt;
  if (mqtt == nullptr) return;
  if (m_pPlantNotice == nullptr) {
    m_pPlantNotice = new CPlantNotice(this);
    AddNotice(m_pPlantNotice);
  }
  // The publisher says a refusal once; it stays in the strip until dismissed,
  // or until the broker takes the station or publishing is switched off.
  connect(mqtt, &MqttPublisher::refused, m_pPlantNotice, [this](const QString& text) {
    m_pPlantNotice->ShowRefused(text);
    NoticesChanged();
  });
  connect(mqtt, &MqttPublisher::statusChanged, m_pPlantNotice, [this, mqtt] {
    const auto state = mqtt->status().state;
    if (m_pPlantNotice->isHidden() || state == MqttPublisher::State::kRefused ||
        state == MqttPublisher::State::kRetrying || state == MqttPublisher::State::kConnecting) {
      return;
    }
    m_pPlantNotice->Clear();
    NoticesChanged();
  });
}

void CMainDlg::Layout() {
  if (!m_bRunning || !m_pCommandBar) return;
  const QRect client = rect();
  const int c = 0;  // the window manager draws the caption outside the client area
  const int u = std::max(1, (client.height() - c) / 18);
  const QRect bar(client.left() + 10, client.top() + c + 16, 7 * u, u);
  m_pCommandBar->MoveTo(bar);

  const int lampX = bar.right() + 1 + 4;
  const int lampW = bar.height() / 2;
  const int third = bar.height() / 3;
  m_Lamps[2]->setGeometry(lampX, bar.top(), lampW, third);
  m_Lamps[1]->setGeometry(lampX, bar.top() + third + 1, lampW, third);
  const int greenTop = bar.top() + 2 * third + 2;
  m_Lamps[0]->setGeometry(lampX, greenTop, lampW, std::max(1, bar.bottom() + 1 - greenTop));

  const int right = client.right() + 1 - 10;
  const int ledLeft = (client.width() - 16) - u + 2;
  m_pLinkLed->setGeometry(ledLeft, bar.top(), std::max(1, right - ledLeft), bar.height());
  const int titleLeft = lampX + lampW + 4;
  int titleRight = OverviewShown() ? right : ledLeft - 2;
  if (m_pTestModeBanner->Mode() != 0) {
    // The banner takes the title row's right end, before the link LED: the title
    // gives way, the panels below keep all their room.
    const int w = std::min(m_pTestModeBanner->WidthFor(bar.height()), std::max(1, (titleRight - titleLeft) / 2));
    m_pTestModeBanner->setGeometry(titleRight - w, bar.top(), w, bar.height());
    titleRight -= w + 4;
  }
  m_pTitle->setGeometry(titleLeft, bar.top(), std::max(1, titleRight - titleLeft), bar.height());

  const QRect panel(QPoint(client.left() + 10, bar.bottom() + 1 + 10),
                    QPoint(right - 1, client.bottom() + 1 - 30 - 1));
  m_pBasePanel->setGeometry(panel);
  m_pGaugePanel->setGeometry(panel);
  // The notice sits in the bottom strip, on the line of the copyright and version
  // texts and between them.
  const int noticeTop = std::max(client.bottom() + 1 - 20 - 11, panel.bottom() + 1 + 2);
  const QRect strip(client.left() + client.width() / 5, noticeTop, client.width() * 3 / 5, 22);
  // The notices up share the strip side by side, the settings notice leftmost.
  std::vector<CNotice*> notices = {m_pSettingsNotice, m_pRecordingNotice};
  notices.insert(notices.end(), m_OtherNotices.begin(), m_OtherNotices.end());
  const auto shown = static_cast<int>(std::count_if(notices.begin(), notices.end(),
                                                    [](const CNotice* n) { return !n->isHidden(); }));
  const int share = shown > 1 ? (strip.width() - 4 * (shown - 1)) / shown : strip.width();
  int slot = 0;
  for (CNotice* notice : notices) {
    if (shown <= 1 || notice->isHidden()) {
      notice->Place(strip);
      continue;
    }
    notice->Place(QRect(strip.left() + slot++ * (share + 4), strip.top(), share, strip.height()));
  }
  update();
}

}  // namespace ws
