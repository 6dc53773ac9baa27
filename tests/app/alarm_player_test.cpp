// The alarm player's choice of what to play, without an audio device: a file
// the player cannot decode (cut short, another encoding, not a wave file, not
// a regular file) plays the built-in tone, and so does a file the player itself
// reports it could not decode.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "app/alarm_player.h"
#include "core/wav_format.h"
#include "support/wav_files.h"

namespace ws {
namespace {

using test::WavSpec;
using test::WriteBytes;
using test::WriteWav;

class AlarmPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  std::string Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }

  QTemporaryDir dir;
  const QUrl tone{QString::fromLatin1(CAlarmPlayer::kDefaultTone)};
};

TEST_F(AlarmPlayerTest, FilesThePlayerCannotDecodePlayTheBuiltInTone) {
  WriteWav(Path("pcm16.wav"), {});
  WriteWav(Path("pcm8_stereo.wav"), {.channels = 2, .bits = 8});
  WriteWav(Path("float.wav"), {.format = 3, .bits = 32});
  WriteWav(Path("extensible.wav"), {.format = 0xFFFE, .bits = 16});
  for (const char* playable : {"pcm16.wav", "pcm8_stereo.wav", "float.wav", "extensible.wav"}) {
    EXPECT_FALSE(CheckWavFile(Path(playable))) << playable << ": " << CheckWavFile(Path(playable)).reason;
    CAlarmPlayer player;
    player.Play(Path(playable), true);
    EXPECT_EQ(player.Source(), QUrl::fromLocalFile(QString::fromStdString(Path(playable)))) << playable;
    EXPECT_TRUE(player.FallbackReason().isEmpty()) << playable;
  }

  struct Bad {
    const char* name;
    WavProblem problem;
  };
  WriteWav(Path("truncated.wav"), {.dataBytes = 16000, .writtenBytes = 700});
  const auto whole = test::WavBytes({});
  WriteBytes(Path("cut_in_header.wav"), {whole.begin(), whole.begin() + 30});
  WriteWav(Path("adpcm.wav"), {.format = 2, .bits = 4});
  WriteWav(Path("extensible_adpcm.wav"), {.format = 0xFFFE, .bits = 16, .subFormat = 2});
  WriteWav(Path("pcm24.wav"), {.bits = 24});
  WriteBytes(Path("text.wav"), {'N', 'o', 't', ' ', 's', 'o', 'u', 'n', 'd', ' ', 'a', 't', ' ', 'a', 'l', 'l', '\n'});
  WriteBytes(Path("empty.wav"), {});
  WriteWav(Path("silent.wav"), {.dataBytes = 0, .writtenBytes = 0});
  ASSERT_EQ(::mkfifo(Path("fifo.wav").c_str(), 0600), 0);
  const Bad bad[] = {
      {"truncated.wav", WavProblem::kTruncated},      {"cut_in_header.wav", WavProblem::kTruncated},
      {"adpcm.wav", WavProblem::kUnsupported},        {"extensible_adpcm.wav", WavProblem::kUnsupported},
      {"pcm24.wav", WavProblem::kUnsupported},        {"text.wav", WavProblem::kNotWave},
      {"empty.wav", WavProblem::kNotWave},            {"silent.wav", WavProblem::kNoSound},
      {"fifo.wav", WavProblem::kUnreadable},          {"missing.wav", WavProblem::kUnreadable},
  };
  for (const Bad& b : bad) {
    const WavCheck check = CheckWavFile(Path(b.name));
    EXPECT_EQ(check.problem, b.problem) << b.name << ": " << check.reason;
    EXPECT_FALSE(check.reason.empty()) << b.name;
    CAlarmPlayer player;
    player.Play(Path(b.name), false);
    EXPECT_EQ(player.Source(), tone) << b.name;
    EXPECT_TRUE(player.Active()) << b.name;
    EXPECT_FALSE(player.FallbackReason().isEmpty()) << b.name;
  }
  EXPECT_NE(CheckWavFile(Path("adpcm.wav")).reason.find("ADPCM"), std::string::npos);
}

TEST_F(AlarmPlayerTest, ADecodingErrorFromThePlayerSwitchesToTheBuiltInToneOnce) {
  WriteWav(Path("alarm.wav"), {});
  CAlarmPlayer player;
  player.Play(Path("alarm.wav"), true);
  ASSERT_EQ(player.Source(), QUrl::fromLocalFile(QString::fromStdString(Path("alarm.wav"))));
  // What the effect's Error status leads to: the tone, still looped and playing.
  player.OnDecodeError();
  EXPECT_EQ(player.Source(), tone);
  EXPECT_TRUE(player.Active());
  EXPECT_TRUE(player.Looped());
  EXPECT_FALSE(player.FallbackReason().isEmpty());
  // The tone failing too (no audio stack at all) tries nothing further.
  player.OnDecodeError();
  EXPECT_EQ(player.Source(), tone);
  EXPECT_EQ(player.PlayCount(), 1);
  // The next alarm tries its file again.
  player.Play(Path("alarm.wav"), false);
  EXPECT_EQ(player.Source(), QUrl::fromLocalFile(QString::fromStdString(Path("alarm.wav"))));
  EXPECT_TRUE(player.FallbackReason().isEmpty());
}

}  // namespace
}  // namespace ws
