#pragma once
// Framing: the show is drawn for a 4:3 window. Any frame size shows that
// picture whole, in the largest centred 4:3 area, with black bars beside it
// (pillarbox) or above and below it (letterbox).
#include <cstdint>

struct PictureArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest centred 4:3 area of a width by height frame.
PictureArea pictureArea(int width, int height);

// Puts a rendered picture into its area of a frame (4 bytes a pixel, rows
// top first, `frameWidth` pixels a row). The picture holds `factor` times
// the area's width and height as GL reads it back (rows bottom first); each
// factor by factor block becomes one pixel, averaged in linear light so thin
// bright lines keep their brightness. The fourth byte of each pixel is
// carried unfiltered from the block's first pixel.
void placePicture(const std::uint8_t* picture, int factor, PictureArea area, int frameWidth,
                  std::uint8_t* frame);
