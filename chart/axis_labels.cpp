#include "chart/axis_labels.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/format_fixed.h"

namespace ws {

namespace {

// Spans (in label seconds) at which the time labels change form.
constexpr double kDaySpanSeconds = 1728;    // and more: month.day hour everywhere
constexpr double kShortSpanSeconds = 144;   // below: hour:minute:second between the ends

std::optional<double> ReadNumber(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

// "h<sep>mm<sep>ss" or "m<sep>ss", the separator three (and six) from the end.
std::optional<double> ReadClock(const QString& text, QChar sep) {
  const int m = static_cast<int>(text.size());
  if (m >= 7 && text[m - 6] == sep && text[m - 3] == sep) {
    const int firstSep = static_cast<int>(text.indexOf(sep));
    const auto h = ReadNumber(text.left(firstSep));
    const auto mm = ReadNumber(text.mid(firstSep + 1, 2));
    const auto ss = ReadNumber(text.right(2));
    if (!h || !mm || !ss) return std::nullopt;
    return (*h * 60 + *mm) * 60 + *ss;
  }
  if (m >= 4 && text[m - 3] == sep) {
    const auto mm = ReadNumber(text.left(m - 3));
    const auto ss = ReadNumber(text.right(2));
    if (!mm || !ss) return std::nullopt;
    return *mm * 60 + *ss;
  }
  return std::nullopt;
}

bool MatchesClock(const QString& text, QChar sep) {
  const int m = static_cast<int>(text.size());
  return (m >= 7 && text[m - 6] == sep && text[m - 3] == sep) || (m >= 4 && text[m - 3] == sep);
}

}  // namespace

QString FormatAxisNumber(int& decimals, double value) {
  decimals = std::clamp(decimals, 0, 5);
  std::string text = FormatFixed(decimals, value);
  if (!text.empty() && text.front() == '-' && std::strtod(text.c_str(), nullptr) == 0.0) {
    text.front() = ' ';
  }
  return QString::fromStdString(text);
}

QString FormatTimeLabel(const TimeAxis& axis, double value) {
  const double clamped = std::isfinite(value) ? std::clamp(value, -1.0e12, 1.0e12) : 0.0;
  const qint64 s = static_cast<qint64>(clamped);
  if (!axis.dateLabels) return QString::number(s);

  const SystemTime& st = axis.startTime;
  QDateTime start(QDate(st.year, st.month, st.day), QTime(st.hour, st.minute, st.second),
                  Qt::LocalTime);
  if (!start.isValid()) start = QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::LocalTime);
  const QDateTime at = start.addSecs(s);
  const QDate d = at.date();
  const QTime t = at.time();
  const double k = (axis.maximum - axis.minimum) / axis.multiplier;
  const double firstSeconds = std::trunc(axis.multiplier * axis.minimum);
  const double lastSeconds = std::trunc(axis.multiplier * axis.maximum);
  if (!(k < kDaySpanSeconds)) {
    return QString::fromStdString(FormatC("%d.%02d %02d", d.month(), d.day(), t.hour()));
  }
  if (s == firstSeconds || s == lastSeconds) {
    return QString::fromStdString(FormatC("%d.%d %d", d.month(), d.day(), t.hour()));
  }
  if (k < kShortSpanSeconds) {
    return QString::fromStdString(FormatC("%d:%02d:%02d", t.hour(), t.minute(), t.second()));
  }
  return QString::fromStdString(FormatC("%d %d:%02d", d.day(), t.hour(), t.minute()));
}

std::optional<double> ParseLimitText(const QString& raw, bool timeAxis) {
  const QString text = raw.trimmed();
  if (timeAxis) {
    for (QChar sep : {QChar(':'), QChar('.')}) {
      if (MatchesClock(text, sep)) return ReadClock(text, sep);
    }
  }
  return ReadNumber(text);
}

}  // namespace ws
