// Draws the program's pictures from code, so that they are made anew by
// every build: the application icon (a Windows .ico with 32 x 32 in 2 and
// 16 colours and 16 x 16 in 16 colours, each with a transparency mask), the
// hicolor PNG sizes, and the splash picture (32 x 32, 16 colours, masked).
//
// The motif is the grid itself: a degree square in quarters, the north-east
// quarter lit, its north-west sixteenth lit, and that sixteenth's last cell
// marked.  Usage: draw_icons OUTPUT_DIR
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The 16 colours of the standard VGA palette; index 0 is black.
const std::array<QRgb, 16> kVga = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
const std::array<QRgb, 2> kMono = {qRgb(0, 0, 0), qRgb(255, 255, 255)};

struct Scheme {
  QColor square, border, quarterLines, quarter, sixteenthLines, sixteenth, cell;
};

const Scheme kColour = {QColor(0, 128, 128), Qt::black,           Qt::white, QColor(0, 255, 255),
                        QColor(0, 128, 128), QColor(255, 255, 0), Qt::red};
const Scheme kBlackAndWhite = {Qt::white, Qt::black, Qt::black, Qt::white,
                               Qt::black, Qt::black, Qt::white};

// Drawn on a 32-unit grid, scaled to the image.
QImage Draw(int size, const Scheme& scheme) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.scale(size / 32.0, size / 32.0);
  auto box = [&](int x, int y, int w, int h, const QColor& colour) {
    painter.fillRect(QRectF(x, y, w, h), colour);
  };
  box(2, 2, 29, 29, scheme.border);       // the degree square's outline
  box(3, 3, 27, 27, scheme.square);       // its inside, 13 + 1 + 13
  box(16, 3, 1, 27, scheme.quarterLines); // quarters
  box(3, 16, 27, 1, scheme.quarterLines);
  box(17, 3, 13, 13, scheme.quarter);       // quarter B
  box(23, 3, 1, 13, scheme.sixteenthLines); // its sixteenths, 6 + 1 + 6
  box(17, 9, 13, 1, scheme.sixteenthLines);
  box(17, 3, 6, 6, scheme.sixteenth); // sixteenth A
  box(21, 7, 2, 2, scheme.cell);      // cell 25
  return image;
}

template <std::size_t N> int IndexOf(QRgb colour, const std::array<QRgb, N>& palette) {
  for (std::size_t i = 0; i < N; ++i)
    if (qRed(palette[i]) == qRed(colour) && qGreen(palette[i]) == qGreen(colour) &&
        qBlue(palette[i]) == qBlue(colour))
      return static_cast<int>(i);
  std::fprintf(stderr, "draw_icons: colour %08x is not in the palette\n", colour);
  std::exit(1);
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xff));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}
void Put32(std::vector<std::uint8_t>& out, unsigned v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}

// One icon image: BITMAPINFOHEADER, palette, colour rows and mask rows,
// bottom-up, each row padded to 4 bytes. Transparent pixels are black in
// the colour bitmap and set in the mask.
template <std::size_t N>
std::vector<std::uint8_t> IconImage(const QImage& image, const std::array<QRgb, N>& palette,
                                    unsigned bitsPerPixel) {
  const auto size = static_cast<unsigned>(image.width());
  const unsigned colourRow = ((size * bitsPerPixel + 31) / 32) * 4;
  const unsigned maskRow = ((size + 31) / 32) * 4;
  std::vector<std::uint8_t> out;
  Put32(out, 40);
  Put32(out, size);
  Put32(out, 2 * size); // colour and mask stacked
  Put16(out, 1);
  Put16(out, bitsPerPixel);
  Put32(out, 0);
  Put32(out, (colourRow + maskRow) * size);
  for (int i = 0; i < 4; ++i)
    Put32(out, 0);
  for (QRgb colour : palette) {
    out.push_back(static_cast<std::uint8_t>(qBlue(colour)));
    out.push_back(static_cast<std::uint8_t>(qGreen(colour)));
    out.push_back(static_cast<std::uint8_t>(qRed(colour)));
    out.push_back(0);
  }
  const unsigned perByte = 8 / bitsPerPixel;
  for (int y = image.height() - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(colourRow, 0);
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      const unsigned index =
          qAlpha(pixel) == 0 ? 0u : static_cast<unsigned>(IndexOf(pixel, palette));
      const unsigned shift = (perByte - 1 - static_cast<unsigned>(x) % perByte) * bitsPerPixel;
      row[static_cast<unsigned>(x) / perByte] |= static_cast<std::uint8_t>(index << shift);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = image.height() - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(maskRow, 0);
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) == 0)
        row[static_cast<unsigned>(x) / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

struct IconEntry {
  unsigned size, colours, bitsPerPixel;
  std::vector<std::uint8_t> data;
};

bool WriteIco(const QString& path, const std::vector<IconEntry>& entries) {
  std::vector<std::uint8_t> out;
  Put16(out, 0);
  Put16(out, 1); // an icon
  Put16(out, static_cast<unsigned>(entries.size()));
  auto offset = static_cast<unsigned>(6 + 16 * entries.size());
  for (const IconEntry& e : entries) {
    out.push_back(static_cast<std::uint8_t>(e.size));
    out.push_back(static_cast<std::uint8_t>(e.size));
    out.push_back(static_cast<std::uint8_t>(e.colours));
    out.push_back(0);
    Put16(out, 1);
    Put16(out, e.bitsPerPixel);
    Put32(out, static_cast<unsigned>(e.data.size()));
    Put32(out, offset);
    offset += static_cast<unsigned>(e.data.size());
  }
  for (const IconEntry& e : entries)
    out.insert(out.end(), e.data.begin(), e.data.end());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) &&
         file.write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size())) ==
             static_cast<qint64>(out.size());
}

// The 16-colour picture as an indexed PNG, transparency in its palette.
QImage Indexed(const QImage& image) {
  QList<QRgb> table(kVga.begin(), kVga.end());
  table.append(qRgba(0, 0, 0, 0));
  QImage indexed(image.size(), QImage::Format_Indexed8);
  indexed.setColorTable(table);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      indexed.setPixel(x, y,
                       qAlpha(pixel) == 0 ? 16u : static_cast<unsigned>(IndexOf(pixel, kVga)));
    }
  return indexed;
}

} // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_icons OUTPUT_DIR\n");
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!dir.mkpath(QStringLiteral("hicolor"))) return 1;

  const QImage colour32 = Draw(32, kColour);
  bool ok = WriteIco(dir.filePath(QStringLiteral("quadrangler.ico")),
                     {{32, 2, 1, IconImage(Draw(32, kBlackAndWhite), kMono, 1)},
                      {32, 16, 4, IconImage(colour32, kVga, 4)},
                      {16, 16, 4, IconImage(Draw(16, kColour), kVga, 4)}});
  ok = ok && Indexed(colour32).save(dir.filePath(QStringLiteral("logo.png")));
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    ok = ok && Draw(size, kColour).save(dir.filePath(QStringLiteral("hicolor/%1.png").arg(size)));
  if (!ok) std::fprintf(stderr, "draw_icons: could not write to %s\n", argv[1]);
  return ok ? 0 : 1;
}
