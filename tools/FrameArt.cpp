#include "tools/FrameArt.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include "tools/MushafSources.h"

namespace pagora::pack {

namespace {

// The colours of a printed mushaf's frame.
const QColor kPaper(0xFB, 0xF3, 0xDC);
const QColor kPaperLight(0xFF, 0xFB, 0xEF);
const QColor kGold(0xC9, 0xA4, 0x3A);
const QColor kLightGold(0xEE, 0xD6, 0x8A);
const QColor kDarkGold(0x7D, 0x5E, 0x16);
const QColor kGreen(0x0E, 0x4B, 0x3B);
const QColor kBlue(0x1D, 0x3F, 0x7A);

constexpr int kBandFrom = 7;  // the green field: depths 7..28
constexpr int kBandTo = 29;
constexpr double kBandMiddle = (kBandFrom + kBandTo) / 2.0;

// Colour at a depth (pixels from the frame's outer edge): a double gold rule outside, the
// green field, a gold rule inside and then the parchment margin.
QColor ProfileColour(int depth) {
    if (depth == 0 || depth == 3 || depth == 6 || depth == 29 || depth == 32) {
        return kDarkGold;
    }
    if (depth <= 2 || depth == 30 || depth == 31) {
        return kGold;
    }
    if (depth <= 5) {
        return kPaperLight;
    }
    if (depth < kBandTo) {
        return kGreen;
    }
    return kPaper;
}

void Lozenge(QPainter& p, QPointF centre, double along, double across, const QColor& fill) {
    QPolygonF shape;
    shape << QPointF(centre.x(), centre.y() - across) << QPointF(centre.x() + along, centre.y())
          << QPointF(centre.x(), centre.y() + across) << QPointF(centre.x() - along, centre.y());
    p.setBrush(fill);
    p.drawPolygon(shape);
}

void Bead(QPainter& p, QPointF centre, double radius) {
    p.setPen(QPen(kDarkGold, 1.0));
    p.setBrush(kGold);
    p.drawEllipse(centre, radius, radius);
}

// The straight band, outer edge at the top, one motif per tile so that tiles join seamlessly.
QImage StripTile() {
    constexpr int side = kFrameBand * kFrameScale;
    QImage img(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y) {
        const QRgb c = ProfileColour(y / kFrameScale).rgb();
        for (int x = 0; x < side; ++x) {
            img.setPixel(x, y, c);
        }
    }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kFrameScale, kFrameScale);
    p.setClipRect(0, kBandFrom, kFrameBand, kBandTo - kBandFrom);
    p.setPen(QPen(kGold, 1.2));
    p.drawLine(QPointF(0, kBandMiddle), QPointF(kFrameBand, kBandMiddle));
    const QPointF centre(kFrameBand / 2.0, kBandMiddle);
    p.setPen(QPen(kDarkGold, 1.0));
    Lozenge(p, centre, 11, 9, kGold);
    p.setPen(QPen(kLightGold, 0.8));
    Lozenge(p, centre, 6, 5, kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(kLightGold);
    p.drawEllipse(centre, 1.8, 1.8);
    Bead(p, QPointF(0, kBandMiddle), 3.2);
    Bead(p, QPointF(kFrameBand, kBandMiddle), 3.2);
    p.end();
    return img;
}

// The top-left corner: the band turns with mitred rules around an eight-pointed star.
QImage CornerTile() {
    constexpr int side = kFrameBand * kFrameScale;
    QImage img(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            img.setPixel(x, y, ProfileColour(std::min(x, y) / kFrameScale).rgb());
        }
    }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kFrameScale, kFrameScale);
    QPainterPath across;
    across.addRect(kBandFrom, kBandFrom, kFrameBand - kBandFrom, kBandTo - kBandFrom);
    QPainterPath down;
    down.addRect(kBandFrom, kBandFrom, kBandTo - kBandFrom, kFrameBand - kBandFrom);
    p.setClipPath(across.united(down));
    p.setPen(QPen(kGold, 1.2));
    p.drawLine(QPointF(kBandTo, kBandMiddle), QPointF(kFrameBand, kBandMiddle));
    p.drawLine(QPointF(kBandMiddle, kBandTo), QPointF(kBandMiddle, kFrameBand));
    Bead(p, QPointF(kFrameBand, kBandMiddle), 3.2);
    Bead(p, QPointF(kBandMiddle, kFrameBand), 3.2);

    const QPointF centre(kBandMiddle, kBandMiddle);
    const double r = 10.0;
    QPolygonF square;
    QPolygonF diamond;
    for (int k = 0; k < 4; ++k) {
        const double a = k * 3.14159265358979323846 / 2;
        diamond << centre + QPointF(r * std::cos(a), r * std::sin(a));
        square << centre + QPointF(r * std::cos(a + 0.785398163397448),
                                   r * std::sin(a + 0.785398163397448));
    }
    QPainterPath star;
    star.addPolygon(square);
    star.closeSubpath();
    QPainterPath second;
    second.addPolygon(diamond);
    second.closeSubpath();
    star = star.united(second);
    p.setPen(QPen(kDarkGold, 1.0));
    p.setBrush(kGold);
    p.drawPath(star);
    p.setPen(QPen(kLightGold, 0.8));
    p.setBrush(kBlue);
    p.drawEllipse(centre, 4.6, 4.6);
    p.setPen(Qt::NoPen);
    p.setBrush(kLightGold);
    p.drawEllipse(centre, 1.8, 1.8);
    p.end();
    return img;
}

// A fixed palette: the frame colours and the blends antialiasing makes between them.
std::vector<QColor> Palette() {
    const std::vector<QColor> keys = {kPaper,    kPaperLight, kGold, kLightGold,
                                      kDarkGold, kGreen,      kBlue};
    std::vector<QColor> out = keys;
    constexpr int kSteps = 6;
    for (size_t a = 0; a < keys.size(); ++a) {
        for (size_t b = a + 1; b < keys.size(); ++b) {
            for (int s = 1; s < kSteps; ++s) {
                auto mix = [&](int u, int v) {
                    return (u * (kSteps - s) + v * s + kSteps / 2) / kSteps;
                };
                out.emplace_back(mix(keys[a].red(), keys[b].red()),
                                 mix(keys[a].green(), keys[b].green()),
                                 mix(keys[a].blue(), keys[b].blue()));
            }
        }
    }
    return out;
}

std::vector<uint8_t> ToGif(const QImage& img) {
    static const std::vector<QColor> palette = Palette();
    std::vector<uint8_t> rgb;
    for (const QColor& c : palette) {
        rgb.push_back(static_cast<uint8_t>(c.red()));
        rgb.push_back(static_cast<uint8_t>(c.green()));
        rgb.push_back(static_cast<uint8_t>(c.blue()));
    }
    std::vector<uint8_t> indices;
    indices.reserve(static_cast<size_t>(img.width()) * img.height());
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y);
            int best = 0;
            long bestDistance = -1;
            for (size_t k = 0; k < palette.size(); ++k) {
                const long dr = qRed(px) - palette[k].red();
                const long dg = qGreen(px) - palette[k].green();
                const long db = qBlue(px) - palette[k].blue();
                const long d = dr * dr + dg * dg + db * db;
                if (bestDistance < 0 || d < bestDistance) {
                    bestDistance = d;
                    best = static_cast<int>(k);
                }
            }
            indices.push_back(static_cast<uint8_t>(best));
        }
    }
    return EncodeGif(img.width(), img.height(), indices, rgb);
}

std::vector<uint8_t> ToJpeg(const QImage& img) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(92);
    if (!writer.write(img.convertToFormat(QImage::Format_RGB888))) {
        throw PackError("cannot write JPEG: " + writer.errorString().toStdString() +
                        " (Qt's JPEG image plugin, libqjpeg.so, must be installed)");
    }
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

int WriteToVector(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + length);
    return length;
}

}  // namespace

std::vector<uint8_t> EncodeGif(int width, int height, const std::vector<uint8_t>& indices,
                               const std::vector<uint8_t>& palette) {
    const int colours = static_cast<int>(palette.size() / 3);
    if (width <= 0 || height <= 0 || colours < 1 || colours > 256 || palette.size() % 3 != 0 ||
        indices.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
        throw PackError("EncodeGif: inconsistent image");
    }
    int mapSize = 2;
    while (mapSize < colours) {
        mapSize *= 2;
    }
    std::vector<GifColorType> entries(static_cast<size_t>(mapSize), GifColorType{0, 0, 0});
    for (int k = 0; k < colours; ++k) {
        entries[k] = {palette[3 * k], palette[3 * k + 1], palette[3 * k + 2]};
    }
    ColorMapObject* map = GifMakeMapObject(mapSize, entries.data());
    if (map == nullptr) {
        throw PackError("EncodeGif: out of memory");
    }
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
    if (gif == nullptr) {
        GifFreeMapObject(map);
        throw PackError(std::string("EncodeGif: ") + GifErrorString(error));
    }
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, GifBitSize(mapSize), 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(static_cast<size_t>(width));
    for (int y = 0; ok && y < height; ++y) {
        std::copy(indices.begin() + static_cast<ptrdiff_t>(y) * width,
                  indices.begin() + static_cast<ptrdiff_t>(y + 1) * width, row.begin());
        ok = EGifPutLine(gif, row.data(), width) == GIF_OK;
    }
    const int lastError = gif->Error;
    if (EGifCloseFile(gif, &error) != GIF_OK) {
        ok = false;
    }
    GifFreeMapObject(map);
    if (!ok) {
        throw PackError(std::string("EncodeGif: ") + GifErrorString(lastError ? lastError : error));
    }
    return out;
}

const std::vector<std::string>& FrameImageNames() {
    static const std::vector<std::string> names = {
        "left_bottom.gif", "left_top.gif", "left-s.jpg", "right_bottom.gif",
        "right_top.gif",   "right-s.jpg",  "top.gif",    "bottom.gif"};
    return names;
}

std::vector<ArchiveMember> DrawFrameImages() {
    const QImage strip = StripTile();
    const QImage corner = CornerTile();
    QTransform clockwise;
    clockwise.rotate(90);
    QTransform counterClockwise;
    counterClockwise.rotate(-90);
    // Qt 6.4 spells mirroring mirrored(horizontal, vertical).
    return {
        {"left_bottom.gif", ToGif(corner.mirrored(false, true))},
        {"left_top.gif", ToGif(corner)},
        {"left-s.jpg", ToJpeg(strip.transformed(counterClockwise))},
        {"right_bottom.gif", ToGif(corner.mirrored(true, true))},
        {"right_top.gif", ToGif(corner.mirrored(true, false))},
        {"right-s.jpg", ToJpeg(strip.transformed(clockwise))},
        {"top.gif", ToGif(strip)},
        {"bottom.gif", ToGif(strip.mirrored(false, true))},
    };
}

std::string BorderHtml() {
    const std::string band = std::to_string(kFrameBand);
    auto corner = [&](const char* name) {
        return "<td width=\"" + band + "\" height=\"" + band + "\"><img src=\"##imagepath##" +
               name + "\" width=\"" + band + "\" height=\"" + band + "\"></td>";
    };
    auto strip = [&](const char* name, bool across) {
        return std::string("<td ") + (across ? "height=\"" : "width=\"") + band +
               "\" background=\"##imagepath##" + name + "\" style=\"background-size: " + band +
               "px " + band + "px\"></td>";
    };
    // Qt's rich text lays table columns out left to right even in a right-to-left document,
    // so the left images come first in each row.
    std::string html =
        "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" "
        "bgcolor=\"#FBF3DC\">\r\n";
    html += "<tr>" + corner("left_top.gif") + strip("top.gif", true) + corner("right_top.gif") +
            "</tr>\r\n";
    // The page's cell shows the table's parchment: a background of its own would reach into
    // every paragraph and paint over the marks a line above hangs down into it.
    html += "<tr>" + strip("left-s.jpg", false) + "<td style=\"padding: 6px 14px;\">#data#</td>" +
            strip("right-s.jpg", false) + "</tr>\r\n";
    html += "<tr>" + corner("left_bottom.gif") + strip("bottom.gif", true) +
            corner("right_bottom.gif") + "</tr>\r\n";
    html += "</table>";
    return html;
}

}  // namespace pagora::pack
