#include "tools/sim/sim_command_reader.h"

#include <gtest/gtest.h>

namespace ws {
namespace {

TEST(SimCommandReader, JoinedCommandsComeOutOneByOne) {
  SimCommandReader reader;
  reader.Append("R000?R002?12090000R000?");
  EXPECT_EQ(reader.Next(), QByteArray("R000?"));
  EXPECT_EQ(reader.Next(), QByteArray("R002?12090000"));
  EXPECT_EQ(reader.Next(), QByteArray("R000?"));
  EXPECT_FALSE(reader.Next());
}

TEST(SimCommandReader, CommandSplitOverReadsWaitsForItsLastByte) {
  SimCommandReader reader;
  reader.Append("R0");
  EXPECT_FALSE(reader.Next());
  reader.Append("02?120900");
  EXPECT_FALSE(reader.Next());
  reader.Append("00");
  EXPECT_EQ(reader.Next(), QByteArray("R002?12090000"));
}

TEST(SimCommandReader, FirmwarePageIsTakenWithItsPayload) {
  SimCommandReader reader;
  const QByteArray page = QByteArray("APPW:0007") + QByteArray(1024, '\x5A');
  reader.Append(page.left(500));
  EXPECT_FALSE(reader.Next());
  reader.Append(page.mid(500) + "APP>:");
  EXPECT_EQ(reader.Next(), page);
  EXPECT_EQ(reader.Next(), QByteArray("APP>:"));
}

TEST(SimCommandReader, UnknownBytesAreSkippedUpToTheNextCommand) {
  SimCommandReader reader;
  reader.Append("xyzR000?HELLO");
  EXPECT_EQ(reader.Next(), QByteArray("xyz"));
  EXPECT_EQ(reader.Next(), QByteArray("R000?"));
  EXPECT_EQ(reader.Next(), QByteArray("HELLO"));
  EXPECT_EQ(reader.Pending(), 0);
}

}  // namespace
}  // namespace ws
