// windscope-gallery OUTDIR: draws every owner-drawn widget in its main states into
// PNG files, without a display (the offscreen platform unless one is chosen).
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include "tools/gallery/gallery.h"
#include "widgets/display_fonts.h"
#include "widgets/message_helpers.h"

namespace ws::gallery {

void Gallery::Save(const QString& name, const QImage& image) {
  const QString path = m_OutDir.filePath(name + QStringLiteral(".png"));
  if (!image.isNull() && image.save(path, "PNG")) {
    ++m_Saved;
  } else {
    ++m_Failures;
    std::fprintf(stderr, "windscope-gallery: cannot write %s\n", qPrintable(path));
  }
}

QImage Gallery::OnPanel(const QImage& image, const QColor& panel) {
  QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
  out.fill(panel);
  QPainter painter(&out);
  painter.drawImage(0, 0, image);
  return out;
}

}  // namespace ws::gallery

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // A private runtime directory, so that Qt leaves nothing behind in /tmp.
  QTemporaryDir runtimeDir;
  if (!getenv("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
    setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 1);
    QFile::setPermissions(runtimeDir.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: windscope-gallery OUTDIR\n");
    return 2;
  }
  QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "windscope-gallery: cannot create %s\n", argv[1]);
    return 1;
  }

  // No one is there to press OK: messages go to the error stream instead.
  ws::SetMessageHandler([](int, const QString& text) {
    std::fprintf(stderr, "windscope-gallery: %s\n", qPrintable(text));
    return static_cast<int>(ws::kIdOk);
  });
  ws::InstallFontSubstitutions();
  ws::DisplayFonts fonts;
  fonts.LoadDisplayFonts(ws::DisplayFonts::kFndFontId, ws::DisplayFonts::kMatrixFontId,
                         ws::DisplayFonts::kRoundFontId);

  ws::gallery::Gallery gallery(out, fonts);
  for (const ws::gallery::Entry& entry : ws::gallery::Entries()) entry.render(gallery);
  std::printf("windscope-gallery: %d images in %s\n", gallery.Saved(),
              qPrintable(out.absolutePath()));
  return gallery.Failures() == 0 ? 0 : 1;
}
