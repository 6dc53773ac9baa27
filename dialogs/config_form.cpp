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

std::optional<double> ParseDecimal(const QString& text) {
  const QString trimmed = text.trimmed();
  // Digits, sign, point and exponent only: no hexadecimal, "inf" or "nan"
  // forms, no characters outside ASCII (full-width digits are not a number).
  std::string ascii;
  for (QChar c : trimmed) {
    const char16_t u = c.unicode();
    const bool allowed = (u >= '0' && u <= '9') || u == '+' || u == '-' || u == '.' || u == 'e' || u == 'E';
    if (!allowed) return std::nullopt;
    ascii.push_back(static_cast<char>(u));
  }
  if (ascii.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = strtod_l(ascii.c_str(), &end, CLocale());
  if (end != ascii.c_str() + ascii.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<uint32_t> ParseAddress(const QString& text) {
  return AddressFromText(text.trimmed().toStdString());
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

namespace {

const std::array<QString, kConfigLevels>& SpeedNames() {
  static const std::array<QString, kConfigLevels> names = {
      QStringLiteral("Alarm Speed"), QStringLiteral("Stop Speed"), QStringLiteral("Trip Speed")};
  return names;
}

// The stacks in use after OK: the grid rows up to the chosen count.
size_t RowsInUse(const ConfigForm& form) {
  const int count = form.stackCountIndex >= 0 ? form.stackCountIndex + 1 : static_cast<int>(form.rows.size());
  return std::min(form.rows.size(), static_cast<size_t>(std::max(0, count)));
}

std::optional<FieldProblem> NotANumber(const QString& field, const QString& text) {
  if (ParseDecimal(text)) return std::nullopt;
  return FieldProblem{field, QStringLiteral("\"%1\" is not a number (a decimal number with a point is expected).")
                                 .arg(text)};
}

std::optional<FieldProblem> RowAddressProblem(const ConfigForm& form, size_t i) {
  if (ParseAddress(form.rows[i].address)) return std::nullopt;
  return FieldProblem{QStringLiteral("IP Address of stack #%1").arg(i + 1),
                      QStringLiteral("\"%1\" is not an IP address (four numbers of 0 to 255 with dots between).")
                          .arg(form.rows[i].address)};
}

}  // namespace

std::optional<FieldProblem> FindValueProblem(const ConfigForm& form) {
  if (auto p = NotANumber(QStringLiteral("Wind Max Speed"), form.windMaxSpeed)) return p;
  if (!form.signalLampAddressValid) {
    return FieldProblem{QStringLiteral("Signal Lamp IP Address"),
                        QStringLiteral("each of its four numbers must be 0 to 255.")};
  }
  for (size_t l = 0; l < kConfigLevels; ++l) {
    if (auto p = NotANumber(SpeedNames()[l], form.speeds[l])) return p;
  }
  const size_t rows = RowsInUse(form);
  for (size_t i = 0; i < rows; ++i) {
    if (auto p = RowAddressProblem(form, i)) return p;
  }
  return std::nullopt;
}

std::optional<FieldProblem> FindFormProblem(const ConfigForm& form, const Settings& settings) {
  // The dialog's order: title and unit, the numbers and the lamp, the sound
  // paths, then the grid rows (title before address in each).
  const std::vector<TextTarget> texts = TextTargets(form, settings);
  auto textProblem = [&](size_t k) -> std::optional<FieldProblem> {
    const TextTarget& t = texts[k];
    if (FieldText(t.field) == *t.text) return std::nullopt;
    if (auto reason = TextProblem(*t.text, t.limit)) return FieldProblem{t.name, *reason};
    return std::nullopt;
  };
  constexpr size_t kHeadTexts = 2;   // Program Title, Speed Unit
  constexpr size_t kSoundTexts = 3;  // the three sound paths
  for (size_t k = 0; k < kHeadTexts; ++k) {
    if (auto p = textProblem(k)) return p;
  }
  ConfigForm noRows = form;
  noRows.rows.clear();
  if (auto p = FindValueProblem(noRows)) return p;
  for (size_t k = kHeadTexts; k < kHeadTexts + kSoundTexts; ++k) {
    if (auto p = textProblem(k)) return p;
  }
  const size_t inUse = RowsInUse(form);
  for (size_t i = 0; kHeadTexts + kSoundTexts + i < texts.size(); ++i) {
    if (auto p = textProblem(kHeadTexts + kSoundTexts + i)) return p;
    if (i < inUse) {
      if (auto p = RowAddressProblem(form, i)) return p;
    }
  }
  return std::nullopt;
}

void StoreRows(std::span<const ConfigStackRow> rows, Settings& s) {
  const size_t n = std::min(rows.size(), s.stacks.size());
  for (size_t i = 0; i < n; ++i) {
    StackSettings& stack = s.stacks[i];
    StoreText(stack.title, rows[i].title, kStackTitleLimit);
    // Only rows beyond the stack count can hold an address that does not
    // parse (OK refuses it in the others): they keep the stored one.
    if (const auto address = ParseAddress(rows[i].address)) stack.loggerAddress = *address;
    stack.directEnable = rows[i].directEnable ? 1 : 0;
  }
}

std::optional<FieldProblem> ApplyForm(const ConfigForm& form, Settings& s) {
  if (auto problem = FindFormProblem(form, s)) return problem;

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
  first.windMaxSpeed = *ParseDecimal(form.windMaxSpeed);
  s.signalLampEnabled = form.signalLampEnabled ? 1 : 0;
  s.signalLampAddress = AddressFromHostOrder(form.signalLampHostAddress);
  s.soundMode = form.soundInterval ? 0 : 1;
  first.alarmSpeed = *ParseDecimal(form.speeds[kConfigAlarm]);
  first.stopSpeed = *ParseDecimal(form.speeds[kConfigStop]);
  first.tripSpeed = *ParseDecimal(form.speeds[kConfigTrip]);
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

QString GridWarning(const Settings& s) {
  const int columns = std::max(1, s.gridColumns + 1);
  const int rows = std::max(1, s.gridRows + 1);
  const int cells = columns * rows;
  if (s.stackCount <= cells) return {};
  const int without = s.stackCount - cells;
  const int grown = (s.stackCount + columns - 1) / columns;
  return QStringLiteral("%1 stacks do not fit a grid of %2 x %3: %4 of them would have no tile. "
                        "The overview adds rows (%2 x %5) so that every stack has a tile.")
      .arg(s.stackCount)
      .arg(columns)
      .arg(rows)
      .arg(without)
      .arg(grown);
}

}  // namespace ws
