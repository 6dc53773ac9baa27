#include "core/event_cells.h"

#include <gtest/gtest.h>

#include <limits>

#include "core/alarm_thresholds.h"

namespace ws {
namespace {

StationEvent Event(EventKind kind, int stack, int level, double value) {
  StationEvent e;
  e.local.year = 2026;
  e.local.month = 3;
  e.local.day = 5;
  e.local.hour = 7;
  e.local.minute = 8;
  e.local.second = 9;
  e.local.milliseconds = 999;
  e.kind = kind;
  e.stack = stack;
  e.level = level;
  e.value = value;
  e.text = "t";
  return e;
}

TEST(EventCells, ValuesCarryTheirUnitOnlyWhereTheKindGivesOne) {
  EXPECT_EQ(EventCellText(Event(EventKind::kAlarmRaised, 0, kLevelStop, 41.04), kEventColumnValue),
            "41.0 m/s");
  // A return carries how long the level was active, as the runtime journals it.
  EXPECT_EQ(EventCellText(Event(EventKind::kAlarmReturned, 0, kLevelAlarm, 42.4), kEventColumnValue),
            "42 s");
  // The communication alarm carries the seconds of silence, no speed.
  EXPECT_EQ(EventCellText(Event(EventKind::kAlarmRaised, 0, kLevelNoCommunication, 12.0),
                          kEventColumnValue),
            "12 s");
  EXPECT_EQ(EventCellText(Event(EventKind::kCommunicationLost, 0, 0, 2.0), kEventColumnValue), "2 s");
  EXPECT_EQ(EventCellText(Event(EventKind::kCommunicationRestored, 0, 0, 3600.4), kEventColumnValue),
            "3600 s");
  EXPECT_EQ(EventCellText(Event(EventKind::kStationStarted, -1, 0, 0.0), kEventColumnValue), "");
  EXPECT_EQ(EventCellText(Event(EventKind::kAlarmRaised, 0, kLevelTrip,
                                std::numeric_limits<double>::quiet_NaN()),
                          kEventColumnValue),
            "");
}

TEST(EventCells, TimeStackKindAndLevelColumns) {
  const StationEvent e = Event(EventKind::kAlarmRaised, 99, kLevelNoCommunication, 0.0);
  EXPECT_EQ(EventCellText(e, kEventColumnTime), "2026-03-05 07:08:09");
  EXPECT_EQ(EventCellText(e, kEventColumnStack), "100");
  EXPECT_EQ(EventCellText(e, kEventColumnKind), "Alarm raised");
  EXPECT_EQ(EventCellText(e, kEventColumnLevel), "NO COMM");
  EXPECT_EQ(EventCellText(e, kEventColumnText), "t");
  EXPECT_EQ(EventCellText(e, kEventColumnCount), "");
  EXPECT_EQ(EventCellText(Event(EventKind::kStationEnded, -1, 0, 0.0), kEventColumnStack), "");
  EXPECT_EQ(EventLevelName(7), "");
}

TEST(EventCells, OnlyARaisedAlarmColoursItsLevel) {
  EXPECT_EQ(EventLevelColour(Event(EventKind::kAlarmRaised, 0, kLevelAlarm, 31.0)), 0x00FFFFu);
  EXPECT_EQ(EventLevelColour(Event(EventKind::kAlarmRaised, 0, kLevelTrip, 46.0)), 0x0000FFu);
  EXPECT_EQ(EventLevelColour(Event(EventKind::kAlarmRaised, 0, kLevelNoCommunication, 0.0)),
            0xC0C0C0u);
  EXPECT_FALSE(EventLevelColour(Event(EventKind::kAlarmAcknowledged, 0, kLevelTrip, 0.0)));
  EXPECT_FALSE(EventLevelColour(Event(EventKind::kAlarmReturned, 0, kLevelTrip, 30.0)));
  EXPECT_FALSE(EventLevelColour(Event(EventKind::kAlarmRaised, 0, 0, 30.0)));
}

}  // namespace
}  // namespace ws
