#include "dialogs/config_form.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

#include "core/format_fixed.h"
#include "core/text_codec.h"

namespace ws {
namespace {

// The C locale, made once: strtod_l reads '.' as the decimal point whatever the
// desktop's locale says.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

QString FieldText(std::span<const char> field) { return QString::fromStdU16String(FieldUtf16(field)); }

// The texts of the form with the fields they go to, in the dialog's order.
struct TextTarget {
  QString name;
  const QString* text;
  std::span<const char> field;
  size_t limit;
};

std::vector<TextTarget> TextTargets(const ConfigForm& form, const Settings& s) {
  std::vector<TextTarget> targets = {
      {QStringLiteral("Program Title"), &form.programTitle, s.programTitle, kProgramTitleLimit},
      {QStringLiteral("Speed Unit"), &form.speedUnit, s.speedUnit, kSpeedUnitLimit},
      {QStringLiteral("Alarm Sound Path"), &form.soundPaths[kConfigAlarm], s.alarmSoundPath, kSoundPathLimit},
      {QStringLiteral("Stop Sound Path"), &form.soundPaths[kConfigStop], s.stopSoundPath, kSoundPathLimit},
      {QStringLiteral("Trip Sound Path"), &form.soundPaths[kConfigTrip], s.tripSoundPath, kSoundPathLimit},
  };
  const size_t n = std::min(form.rows.size(), s.stacks.size());
  for (size_t i = 0; i < n; ++i) {
    targets.push_back({QStringLiteral("Title of stack #%1").arg(i + 1), &form.rows[i].title,
                       s.stacks[i].title, kStackTitleLimit});
  }
  return targets;
}

// Writes `text` into the field unless the field already shows exactly that text,
// in which case its stored bytes stay as they are (a foreign file's bytes that
// code page 949 cannot decode are not turned into '?' behind the operator's back).
void StoreText(std::span<char> field, const QString& text, size_t limit) {
  if (FieldText(field) == text) return;
  (void)SetFieldUtf16(field, ToU16(text), limit, TextOverflow::kRefuse);
}

}  // namespace

int SelectionFor(int value, int itemCount) { return (value >= 0 && value < itemCount) ? value : -1; }

ConfigStackRow RowFromStack(const StackSettings& stack) {
  return {FieldText(stack.title), QString::fromStdString(AddressToText(stack.loggerAddress)),
          stack.directEnable != 0};
}

ConfigForm FormFromSettings(const Settings& s) {
  ConfigForm form;
  form.programTitle = FieldText(s.programTitle);
  form.stackCountIndex = SelectionFor(s.stackCount - 1, kMaxStacks);
  form.gridColumnsIndex = SelectionFor(s.gridColumns, kGridLimit + 1);
  form.gridRowsIndex = SelectionFor(s.gridRows, kGridLimit + 1);
  form.speedUnit = FieldText(s.speedUnit);
  const StackSettings& first = s.stacks[0];
  form.windMaxSpeed = ShowWholeSpeed(first.windMaxSpeed);
  form.signalLampEnabled = s.signalLampEnabled != 0;
  form.signalLampHostAddress = AddressToHostOrder(s.signalLampAddress);
  form.soundInterval = s.soundMode == 0;
  form.speeds = {ShowSpeed(first.alarmSpeed), ShowSpeed(first.stopSpeed), ShowSpeed(first.tripSpeed)};
  form.soundPaths = {FieldText(s.alarmSoundPath), FieldText(s.stopSoundPath), FieldText(s.tripSoundPath)};
  form.colours.levels = {s.alarmColour, s.stopColour, s.tripColour};
  form.colours.directionMeter = s.directionMeterColour;
  form.colours.speedMeter = s.speedMeterColour;
  form.colours.chart = s.chartColours;
  const int shown = std::clamp(s.stackCount, 1, kMaxStacks);
  for (int i = 0; i < shown; ++i) form.rows.push_back(RowFromStack(s.stacks[static_cast<size_t>(i)]));
  return form;
}

QString ShowSpeed(double value) { return QString::fromStdString(FormatC("%3.1f", value)); }

QString ShowWholeSpeed(double value) { return QString::fromStdString(FormatC("%1.0f", value)); }

double ReadDecimal(const QString& text) {
  // Only ASCII can be part of a number; anything else ends it, as it would there.
  std::string ascii;
  for (QChar c : text) {
    if (c.unicode() >= 0x80 || c.unicode() == 0) break;
    ascii.push_back(static_cast<char>(c.unicode()));
  }
  const double value = strtod_l(ascii.c_str(), nullptr, CLocale());
  return std::isfinite(value) ? value : 0.0;
}

uint32_t ReadAddress(const QString& text) {
  return AddressFromText(text.trimmed().toStdString()).value_or(kBroadcastAddress);
}

std::optional<QString> TextProblem(const QString& text, size_t limit) {
  if (text.contains(QChar(0))) return QStringLiteral("the text holds a zero character, which cannot be stored.");
  const std::u16string wide = ToU16(text);
  const std::string bytes = Utf16ToCp949(wide);
  // A character code page 949 cannot hold comes back as '?' (and so does a
  // broken surrogate): what would be stored then is not what was typed.
  if (Cp949ToUtf16(bytes) != wide) {
    return QStringLiteral("the text holds a character that code page 949 cannot store.");
  }
  if (bytes.size() + 1 > limit) {
    return QStringLiteral("the text takes %1 bytes in code page 949; at most %2 fit.")
        .arg(bytes.size())
        .arg(limit - 1);
  }
  return std::nullopt;
}

std::optional<FieldProblem> FindTextProblem(const ConfigForm& form, const Settings& settings) {
  for (const TextTarget& t : TextTargets(form, settings)) {
    if (FieldText(t.field) == *t.text) continue;
    if (auto reason = TextProblem(*t.text, t.limit)) return FieldProblem{t.name, *reason};
  }
  return std::nullopt;
}

void StoreRows(std::span<const ConfigStackRow> rows, Settings& s) {
  const size_t n = std::min(rows.size(), s.stacks.size());
  for (size_t i = 0; i < n; ++i) {
    StackSettings& stack = s.stacks[i];
    StoreText(stack.title, rows[i].title, kStackTitleLimit);
    stack.loggerAddress = ReadAddress(rows[i].address);
    stack.directEnable = rows[i].directEnable ? 1 : 0;
  }
}

std::optional<FieldProblem> ApplyForm(const ConfigForm& form, Settings& s) {
  if (auto problem = FindTextProblem(form, s)) return problem;

  StoreText(s.programTitle, form.programTitle, kProgramTitleLimit);
  if (form.stackCountIndex >= 0 && form.stackCountIndex < kMaxStacks) s.stackCount = form.stackCountIndex + 1;
  if (form.gridColumnsIndex >= 0 && form.gridColumnsIndex <= kGridLimit) {
    s.gridColumns = static_cast<int8_t>(form.gridColumnsIndex);
  }
  if (form.gridRowsIndex >= 0 && form.gridRowsIndex <= kGridLimit) {
    s.gridRows = static_cast<int8_t>(form.gridRowsIndex);
  }
  StoreText(s.speedUnit, form.speedUnit, kSpeedUnitLimit);
  StackSettings& first = s.stacks[0];
  first.windMaxSpeed = ReadDecimal(form.windMaxSpeed);
  s.signalLampEnabled = form.signalLampEnabled ? 1 : 0;
  s.signalLampAddress = AddressFromHostOrder(form.signalLampHostAddress);
  s.soundMode = form.soundInterval ? 0 : 1;
  first.alarmSpeed = ReadDecimal(form.speeds[kConfigAlarm]);
  first.stopSpeed = ReadDecimal(form.speeds[kConfigStop]);
  first.tripSpeed = ReadDecimal(form.speeds[kConfigTrip]);
  StoreText(s.alarmSoundPath, form.soundPaths[kConfigAlarm], kSoundPathLimit);
  StoreText(s.stopSoundPath, form.soundPaths[kConfigStop], kSoundPathLimit);
  StoreText(s.tripSoundPath, form.soundPaths[kConfigTrip], kSoundPathLimit);
  s.alarmColour = form.colours.levels[kConfigAlarm];
  s.stopColour = form.colours.levels[kConfigStop];
  s.tripColour = form.colours.levels[kConfigTrip];
  s.directionMeterColour = form.colours.directionMeter;
  s.speedMeterColour = form.colours.speedMeter;
  s.chartColours = form.colours.chart;
  StoreRows(form.rows, s);
  return std::nullopt;
}

QStringList ThresholdWarnings(const Settings& s) {
  const StackSettings& first = s.stacks[0];
  QStringList warnings;
  if (!(first.alarmSpeed < first.stopSpeed && first.stopSpeed < first.tripSpeed)) {
    warnings << QString::fromStdString(FormatC(
        "The Alarm, Stop and Trip speeds (%.1f, %.1f, %.1f) are not ascending: a stack is judged "
        "Trip first, then Stop, then Alarm.",
        first.alarmSpeed, first.stopSpeed, first.tripSpeed));
  }
  if (first.tripSpeed > first.windMaxSpeed) {
    warnings << QString::fromStdString(
        FormatC("The Trip speed %.1f is above the Wind Max Speed %.0f: the speed gauge cannot show it.",
                first.tripSpeed, first.windMaxSpeed));
  }
  return warnings;
}

}  // namespace ws
