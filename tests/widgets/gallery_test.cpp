#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Gallery, RendersEveryStateToNonEmptyDifferingPngs) {
  QTemporaryDir out;
  ASSERT_TRUE(out.isValid());
  QProcess gallery;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  gallery.setProcessEnvironment(env);
  gallery.start(QStringLiteral(WINDSCOPE_GALLERY), {out.path()});
  ASSERT_TRUE(gallery.waitForFinished(120000)) << "the gallery did not finish in time";
  EXPECT_EQ(gallery.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(gallery.exitCode(), 0) << gallery.readAllStandardError().toStdString();

  const QDir dir(out.path());
  const QStringList pngs = dir.entryList({QStringLiteral("*.png")}, QDir::Files);
  EXPECT_GE(pngs.size(), 40);
  for (const QString& name : pngs) {
    const QImage image(dir.filePath(name));
    ASSERT_FALSE(image.isNull()) << name.toStdString();
    EXPECT_GT(image.width() * image.height(), 0) << name.toStdString();
  }
  auto load = [&dir](const char* name) {
    return QImage(dir.filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
  };
  const std::pair<const char*, const char*> differing[] = {
      {"fnd_error", "fnd_over"},       {"fnd_over", "fnd_nodata"},
      {"fnd_value", "fnd_value_glow"}, {"fnd_tile_normal", "fnd_tile_trip"},
      {"led_lit", "led_dark"},         {"led_lit_bezel", "led_disabled"},
      {"lamp_red_lit", "lamp_red_dark"}, {"spec_normal", "spec_disabled"},
      {"lcd_matrix", "lcd_empty"},
      {"chart_line_day", "chart_line_day_peaks"}, {"chart_line_day", "chart_sticks_day"},
  };
  for (const auto& [a, b] : differing) {
    const QImage first = load(a);
    const QImage second = load(b);
    ASSERT_FALSE(first.isNull()) << a;
    ASSERT_FALSE(second.isNull()) << b;
    EXPECT_NE(first, second) << a << " and " << b << " look the same";
  }
}

}  // namespace
