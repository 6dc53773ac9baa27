#include "widgets/nex_print.h"

#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace ws {
namespace {

std::string WriteAndRead(const QString& text) {
  std::FILE* file = std::tmpfile();
  if (!file) return "<no file>";
  CNexPrint printer;
  printer.SetOutput(file);
  EXPECT_TRUE(printer.WriteText(text));
  std::rewind(file);
  std::string bytes;
  char buffer[256];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

TEST(NexPrint, WritesKoreanInTheSystemCodePage) {
  // "풍속" is C7 B3 BC D3 in CP949.
  EXPECT_EQ(WriteAndRead(QStringLiteral("풍속,%d\r\n")), "\xC7\xB3\xBC\xD3,%d\r\n");
}

TEST(NexPrint, UnrepresentableCharactersBecomeTheDefaultCharacter) {
  EXPECT_EQ(WriteAndRead(QStringLiteral("a\u0E01b")), "a?b");
}

TEST(NexPrint, WithoutAnOutputNothingIsWritten) {
  CNexPrint printer;
  EXPECT_FALSE(printer.WriteText(QStringLiteral("x")));
}

}  // namespace
}  // namespace ws
