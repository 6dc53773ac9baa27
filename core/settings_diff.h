// What a configuration change changed, in the operator's words: one line per
// changed field, "field: old → new", for the journal's configuration events.
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"
#include "core/station_ini.h"

namespace ws {

// The fields the configuration dialog edits (titles, addresses, thresholds,
// stack count, grid, unit, lamp, sounds, colours; stack fields of every stack
// in use before or after), in the dialog's order. Texts are converted from the
// record's CP949; numbers are written in the C locale. The windows' own
// settings (report span, split ratio) and the statistics snapshot are not
// configuration and are left out. Empty when nothing changed.
std::vector<std::string> DiffSettings(const Settings& before, const Settings& after);

// The same for windscope.ini. A password is named as changed, never shown.
std::vector<std::string> DiffStationIni(const StationIni& before, const StationIni& after);

// The lines joined with "; ". Whole lines that would pass `maxBytes` are left
// out and counted instead: "; … (n more)" (a long change of 100 titles stays a
// short journal text).
std::string JoinChanges(const std::vector<std::string>& changes, size_t maxBytes = 4000);

}  // namespace ws
