// Draws every picture Finbowl ships and writes them as palette PNGs, plus a
// contact sheet and a sample frame for the documentation.
//
//   finbowl_artgen [--docs DIR] [ASSETS_DIR]
//
// Runs without a display: it only paints on QImages.
#include <QDir>
#include <QString>
#include <cstdio>
#include <string_view>

#include "art.h"
#include "contact_sheet.h"
#include "palette.h"

namespace finbowl::art {
namespace {

bool Write(const QImage& picture, const QString& dir, const QString& name) {
  const QString path = dir + QLatin1Char('/') + name;
  if (!SavePicture(picture, path)) {
    std::fprintf(stderr, "finbowl_artgen: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

// The documentation pictures hold only palette colours, so they go on the
// palette too, which keeps them small.
QImage OnPalette(const QImage& rgb) {
  QImage picture = NewIndexedPicture(rgb.width(), rgb.height());
  for (int y = 0; y < rgb.height(); ++y) {
    const QRgb* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    uchar* out = picture.scanLine(y);
    for (int x = 0; x < rgb.width(); ++x) {
      out[x] = static_cast<uchar>(
          NearestIndex(Rgb{static_cast<double>(qRed(in[x])), static_cast<double>(qGreen(in[x])),
                           static_cast<double>(qBlue(in[x]))}));
    }
  }
  return picture;
}

int Run(const QString& assets, const QString& docs) {
  if (!QDir().mkpath(assets) || !QDir().mkpath(docs)) {
    std::fprintf(stderr, "finbowl_artgen: cannot create the output directories\n");
    return 1;
  }
  Artwork art;
  art.tank = TankPicture();
  for (int s = 0; s < 4; ++s) {
    art.sheets[static_cast<std::size_t>(s)] = FishSheet(s);
  }
  art.bubbles = BubblePicture();
  for (std::size_t i = 0; i < art.icons.size(); ++i) {
    art.icons[i] = IconPicture(kIconSizes[i]);
  }

  bool ok = Write(art.tank, assets, QStringLiteral("tank.png"));
  for (int s = 0; s < 4; ++s) {
    ok = Write(art.sheets[static_cast<std::size_t>(s)], assets,
               QStringLiteral("pat%1.png").arg(s)) &&
         ok;
  }
  ok = Write(art.bubbles, assets, QStringLiteral("awa.png")) && ok;
  for (std::size_t i = 0; i < art.icons.size(); ++i) {
    ok = Write(art.icons[i], assets, QStringLiteral("icon%1.png").arg(kIconSizes[i])) && ok;
  }
  ok = Write(OnPalette(ComposedFrame(art)), docs, QStringLiteral("frame.png")) && ok;
  ok = Write(OnPalette(ContactSheet(art)), docs, QStringLiteral("contact_sheet.png")) && ok;
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace finbowl::art

int main(int argc, char** argv) {
  QString assets = QStringLiteral(FINBOWL_SOURCE_DIR "/assets");
  QString docs = QStringLiteral(FINBOWL_SOURCE_DIR "/docs");
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--docs" && i + 1 < argc) {
      docs = QString::fromLocal8Bit(argv[++i]);
    } else if (!arg.starts_with("-")) {
      assets = QString::fromLocal8Bit(argv[i]);
    } else {
      std::fprintf(stderr, "usage: finbowl_artgen [--docs DIR] [ASSETS_DIR]\n");
      return 2;
    }
  }
  return finbowl::art::Run(assets, docs);
}
