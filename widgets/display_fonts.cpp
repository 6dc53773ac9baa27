#include "widgets/display_fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include "widgets/message_helpers.h"

namespace ws {

DisplayFonts::DisplayFonts() {
  m_AppFontIds.fill(-1);
  m_ResourcePaths[kFndFontId] = QStringLiteral(":/fonts/DSEG7Classic-Italic.ttf");
  m_ResourcePaths[kMatrixFontId] = QStringLiteral(":/fonts/windscope-dotmatrix-5x7.ttf");
  m_ResourcePaths[kRoundFontId] = QStringLiteral(":/fonts/DSEG14Modern-Bold.ttf");
  m_ResourcePaths[kIconFontId] = QStringLiteral(":/fonts/icons/windscope-icons.ttf");
}

DisplayFonts::~DisplayFonts() {
  for (int id : m_AppFontIds) {
    if (id >= 0) QFontDatabase::removeApplicationFont(id);
  }
}

void DisplayFonts::LoadDisplayFonts(int fndId, int matrixId, int roundId) {
  if (fndId != -1) LoadSlot(kFndSlot, fndId, L"FND Font add fails");
  if (matrixId != -1) LoadSlot(kMatrixSlot, matrixId, L"Matrix LCD Font add fails");
  if (roundId != -1) LoadSlot(kRoundSlot, roundId, L"Round LCD Font add fails");
  LoadSlot(kIconSlot, kIconFontId, L"HMI Icon Font add fails");
}

void DisplayFonts::LoadSlot(int slot, int id, const wchar_t* failureText) {
  if (m_AppFontIds[slot] >= 0) {
    QFontDatabase::removeApplicationFont(m_AppFontIds[slot]);
    m_AppFontIds[slot] = -1;
  }
  m_Families[slot].clear();

  const auto it = m_ResourcePaths.find(id);
  QByteArray bytes;
  if (it != m_ResourcePaths.end()) {
    QFile file(it->second);
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
  }
  const int appFontId = bytes.isEmpty() ? -1 : QFontDatabase::addApplicationFontFromData(bytes);
  const QStringList families =
      appFontId >= 0 ? QFontDatabase::applicationFontFamilies(appFontId) : QStringList();
  if (families.isEmpty()) {
    if (appFontId >= 0) QFontDatabase::removeApplicationFont(appFontId);
    // The fonts are part of the program, so a missing one is as much a fault as a
    // rejected one; either is said once, here, and never again while painting.
    ShowMessageW(L"%ls", failureText, L"Error");
    return;
  }
  m_AppFontIds[slot] = appFontId;
  m_Families[slot] = families.first();
}

const QString& DisplayFonts::Family(int slot) const {
  static const QString kNone;
  if (slot < 0 || slot >= kSlotCount) return kNone;
  return m_Families[slot];
}

Qt::Alignment DisplayFonts::Format(int slot) const {
  if (slot == kIconSlot) return Qt::AlignLeft | Qt::AlignTop;
  return Qt::AlignRight | Qt::AlignTop;
}

void InstallFontSubstitutions() {
  QFont::insertSubstitutions(QStringLiteral("굴림체"),
                             {QStringLiteral("NanumGothicCoding"), QStringLiteral("DejaVu Sans Mono"),
                              QStringLiteral("sans-serif")});
  QFont::insertSubstitutions(QStringLiteral("돋움체"),
                             {QStringLiteral("NanumGothic"), QStringLiteral("DejaVu Sans"),
                              QStringLiteral("sans-serif")});
  QFont::insertSubstitutions(QStringLiteral("Arial"),
                             {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                              QStringLiteral("sans-serif")});
  QFont::insertSubstitutions(QStringLiteral("System"),
                             {QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
}

}  // namespace ws
