#include "widgets/display_fonts.h"

#include <QTemporaryFile>
#include <gtest/gtest.h>

#include "display_test_support.h"

namespace ws {
namespace {

TEST(DisplayFonts, AllFontsPresentLoadWithoutAMessage) {
  test::MessageCapture messages;
  DisplayFonts fonts;
  fonts.LoadDisplayFonts(150, 190, 191);
  EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
  EXPECT_EQ(fonts.Family(DisplayFonts::kFndSlot), "DSEG7 Classic");
  EXPECT_EQ(fonts.Family(DisplayFonts::kMatrixSlot), "Windscope Dot Matrix");
  EXPECT_EQ(fonts.Family(DisplayFonts::kRoundSlot), "DSEG14 Modern");
  EXPECT_TRUE(fonts.IsLoaded(DisplayFonts::kIconSlot));
  EXPECT_EQ(fonts.Format(DisplayFonts::kFndSlot), Qt::AlignRight | Qt::AlignTop);
  EXPECT_EQ(fonts.Format(DisplayFonts::kIconSlot), Qt::AlignLeft | Qt::AlignTop);
}

TEST(DisplayFonts, SkippedSlotIsNeitherLoadedNorReported) {
  test::MessageCapture messages;
  DisplayFonts fonts;
  fonts.LoadDisplayFonts(-1, 190, 191);
  EXPECT_TRUE(messages.texts.isEmpty());
  EXPECT_FALSE(fonts.IsLoaded(DisplayFonts::kFndSlot));
  EXPECT_TRUE(fonts.IsLoaded(DisplayFonts::kMatrixSlot));
}

TEST(DisplayFonts, CorruptFontIsReportedOnceAndTheOthersLoad) {
  QTemporaryFile corrupt;
  ASSERT_TRUE(corrupt.open());
  corrupt.write("this is not a TrueType font");
  corrupt.close();
  test::MessageCapture messages;
  DisplayFonts fonts;
  fonts.SetResourcePath(190, corrupt.fileName());
  fonts.LoadDisplayFonts(150, 190, 191);
  EXPECT_EQ(messages.texts, QStringList{"Matrix LCD Font add fails"});
  EXPECT_FALSE(fonts.IsLoaded(DisplayFonts::kMatrixSlot));
  EXPECT_TRUE(fonts.IsLoaded(DisplayFonts::kFndSlot));
  EXPECT_TRUE(fonts.IsLoaded(DisplayFonts::kRoundSlot));
}

TEST(DisplayFonts, MissingIconFontIsReportedOnceAtLoad) {
  test::MessageCapture messages;
  DisplayFonts fonts;
  fonts.SetResourcePath(189, QStringLiteral(":/no/such/font.ttf"));
  fonts.LoadDisplayFonts(-1, -1, -1);
  EXPECT_EQ(messages.texts, QStringList{"HMI Icon Font add fails"});
  EXPECT_FALSE(fonts.IsLoaded(DisplayFonts::kIconSlot));
}

}  // namespace
}  // namespace ws
