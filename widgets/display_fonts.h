// The four display fonts (seven-segment, dot-matrix LCD, rounded LCD, icons) that
// ship inside the program, loaded once at start and lent to the widgets by family.
#pragma once

#include <QString>
#include <Qt>

#include <array>
#include <map>

namespace ws {

class DisplayFonts {
 public:
  enum Slot : int { kFndSlot = 0, kMatrixSlot = 1, kRoundSlot = 2, kIconSlot = 3 };
  static constexpr int kSlotCount = 4;

  // Resource numbers of the fonts, as the main window passes them.
  static constexpr int kFndFontId = 150;
  static constexpr int kIconFontId = 189;
  static constexpr int kMatrixFontId = 190;
  static constexpr int kRoundFontId = 191;

  DisplayFonts();
  ~DisplayFonts();
  DisplayFonts(const DisplayFonts&) = delete;
  DisplayFonts& operator=(const DisplayFonts&) = delete;

  // Loads slots 0, 1, 2 (an id of -1 skips that slot) and always the icon slot.
  // A font that is missing from the resources or that the font engine rejects is
  // reported once here with its slot's message ("FND Font add fails", "Matrix LCD
  // Font add fails", "Round LCD Font add fails", "HMI Icon Font add fails"); the
  // slot stays empty and loading goes on. Widgets never report fonts when painting.
  void LoadDisplayFonts(int fndId, int matrixId, int roundId);

  // The family registered for the slot; empty while the slot is empty, which the
  // widgets draw as no text at all.
  const QString& Family(int slot) const;
  bool IsLoaded(int slot) const { return !Family(slot).isEmpty(); }

  // The slot's string format: right/top for the readout fonts, left/top for icons.
  Qt::Alignment Format(int slot) const;

  // Where resource number `id` is found (":/fonts/..."). Tests point an id elsewhere.
  void SetResourcePath(int id, const QString& path) { m_ResourcePaths[id] = path; }

 private:
  void LoadSlot(int slot, int id, const wchar_t* failureText);

  std::map<int, QString> m_ResourcePaths;
  std::array<QString, kSlotCount> m_Families;
  std::array<int, kSlotCount> m_AppFontIds;
};

// Maps the system families the widgets name ("굴림체", "돋움체", "Arial", "System")
// to the free families installed here. Call once at start, before any widget paints.
void InstallFontSubstitutions();

}  // namespace ws
