// What the configuration dialog's controls hold (texts, list selections, ticks),
// and the rules that show a settings record in them and take them back: numbers
// in the C locale, logger addresses, text fields kept within their limits.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/settings.h"

namespace ws {

// Bytes of code page 949 a text may take in its field, terminator included.
inline constexpr size_t kProgramTitleLimit = 80;
inline constexpr size_t kSpeedUnitLimit = 40;
inline constexpr size_t kSoundPathLimit = 260;
inline constexpr size_t kStackTitleLimit = 80;

// The three levels in the order of the "Alarm Settings" rows.
enum ConfigLevel : int { kConfigAlarm = 0, kConfigStop = 1, kConfigTrip = 2 };
inline constexpr int kConfigLevels = 3;

// One row of the stack grid.
struct ConfigStackRow {
  QString title;
  QString address;  // dotted decimal as typed
  bool directEnable = false;

  friend bool operator==(const ConfigStackRow&, const ConfigStackRow&) = default;
};

// The colours of the swatches (COLORREF).
struct ConfigColours {
  std::array<uint32_t, kConfigLevels> levels{};  // alarmColour, stopColour, tripColour
  uint32_t directionMeter = 0;
  uint32_t speedMeter = 0;
  std::array<uint32_t, settings_layout::kChartColourCount> chart{};

  friend bool operator==(const ConfigColours&, const ConfigColours&) = default;
};

// The dialog's values. A list selection of -1 means the list selects nothing.
struct ConfigForm {
  QString programTitle;
  int stackCountIndex = -1;   // "MAX. No.": stackCount - 1
  int gridColumnsIndex = -1;  // "X": gridColumns
  int gridRowsIndex = -1;     // "Y": gridRows
  QString speedUnit;
  QString windMaxSpeed;
  bool signalLampEnabled = false;
  uint32_t signalLampHostAddress = 0;  // a << 24 | b << 16 | c << 8 | d
  bool signalLampAddressValid = true;  // false: a field holds a number above 255
  bool soundInterval = false;          // "Interval" selected, else "Continue"
  std::array<QString, kConfigLevels> speeds;
  std::array<QString, kConfigLevels> soundPaths;
  ConfigColours colours;
  // Rows of stacks 0.. as far as the grid has shown them; each goes back into
  // its stack record on OK, also when it lies beyond the final stack count.
  std::vector<ConfigStackRow> rows;
};

// The list selection that shows a stored value: the index when 0 <= value <
// itemCount, else -1 (nothing selected).
int SelectionFor(int value, int itemCount);

// The form as the dialog opens on `settings`, with rows for its first
// stackCount stacks.
ConfigForm FormFromSettings(const Settings& settings);
ConfigStackRow RowFromStack(const StackSettings& stack);

// "%3.1f" and "%1.0f" in the C locale.
QString ShowSpeed(double value);
QString ShowWholeSpeed(double value);

// A decimal number in the C locale (a point, never a comma), surrounding blanks
// ignored; nullopt when the text is anything else ("abc", "", "12 m/s", "1,5")
// or a number that is not finite ("inf", "NaN", "1e999"): such text is refused,
// never stored as 0.
std::optional<double> ParseDecimal(const QString& text);

// A dotted IPv4 address (surrounding blanks ignored) as stored, or nullopt for
// text that is not one (an octet above 255 included).
std::optional<uint32_t> ParseAddress(const QString& text);

// Why `text` cannot be written into a field of `limit` bytes (terminator
// included), or nullopt when it can: a character that code page 949 cannot hold
// (or a zero character, which would end the field early), or too many bytes.
std::optional<QString> TextProblem(const QString& text, size_t limit);

// A text the form could not store, with the field's name for the message.
struct FieldProblem {
  QString field;
  QString reason;
  QString Message() const { return field + QStringLiteral(": ") + reason; }
};

// The first text of the form that cannot be stored, in the order of the
// dialog's controls, then the grid rows. A text equal to what its field already
// shows is always accepted (it is kept as stored).
std::optional<FieldProblem> FindTextProblem(const ConfigForm& form, const Settings& settings);

// The first number or address of the form that does not parse, in the order of
// the dialog's controls, then the grid rows: the speeds, the lamp address and
// the logger address of every stack in use (rows beyond the stack count that do
// not parse keep their stored addresses).
std::optional<FieldProblem> FindValueProblem(const ConfigForm& form);

// The first problem of either kind, in the order of the dialog's controls.
std::optional<FieldProblem> FindFormProblem(const ConfigForm& form, const Settings& settings);

// Takes the whole form into `settings` as OK does. Refuses (and leaves
// `settings` untouched) when FindFormProblem finds a text that does not fit or
// a value that does not parse.
// Lists selecting nothing keep their stored values; a text equal to what its
// field already shows keeps the field's bytes as they are.
std::optional<FieldProblem> ApplyForm(const ConfigForm& form, Settings& settings);

// Stores grid rows into stacks 0.. of `settings` (texts already checked).
void StoreRows(std::span<const ConfigStackRow> rows, Settings& settings);

// Warnings about levels an operator most likely did not mean, from the first
// stack record: Alarm, Stop and Trip not strictly ascending, Trip above the
// gauge's full scale. Empty when all is well.
QStringList ThresholdWarnings(const Settings& settings);

// A warning when the overview grid has fewer cells than there are stacks (the
// overview then adds rows so that every stack keeps a tile), or an empty text.
QString GridWarning(const Settings& settings);

}  // namespace ws
