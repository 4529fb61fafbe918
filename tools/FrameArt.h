#pragma once

#include <string>
#include <vector>

#include "data/ArchiveWriter.h"

namespace pagora::pack {

// Width in pixels of the frame band, and the side at which the page frame shows every frame
// image.
inline constexpr int kFrameBand = 40;
// The images hold three times as many pixels along each side, so that they stay sharp on
// screens with two or three device pixels per pixel.
inline constexpr int kFrameScale = 3;

// The names of the eight frame images, in the order the support archive stores them.
const std::vector<std::string>& FrameImageNames();

// Draws the eight frame images: an ornamental band of gold lines and a deep green field with
// gold and blue lozenges, joined at the corners by an eight-pointed star. GIF files through
// giflib, the two side strips as JPEG through Qt. The same bytes on every run.
std::vector<ArchiveMember> DrawFrameImages();

// The page frame ("border.html"): a table with the corner images, the strips as tiled cell
// backgrounds and the page ("#data#") on parchment in the middle. Every image is given its
// shown size (width and height, or background-size). Single-byte text.
std::string BorderHtml();

// Encodes an 8-bit indexed image as a GIF89a file. `palette` holds up to 256 RGB triples.
std::vector<uint8_t> EncodeGif(int width, int height, const std::vector<uint8_t>& indices,
                               const std::vector<uint8_t>& palette);

}  // namespace pagora::pack
