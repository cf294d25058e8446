#pragma once

#include "Bitmap.h"

#include <cstdint>

namespace ondrix {

// Stretches the picture to exactly width x height, whatever its proportions. Along an axis
// that shrinks every target pixel is the average of the source area it covers; along one that
// grows it is interpolated linearly between the two nearest source pixels (pixel centres
// aligned, edges held); an axis that keeps its size is copied. The two axes are done one
// after the other, a row at a time, with a few rows of working memory.
// Throws std::invalid_argument for an empty source or a size below 1, DecodeError for a
// size past the bitmap limits.
Bitmap Stretch(const Bitmap& source, int width, int height);

// Where a picture goes when it is scaled with its proportions kept: the size it is scaled to
// and an offset. For Fill the offset is where the desktop's window starts inside the scaled
// picture (the crop); for FitInside it is where the scaled picture sits on the desktop (the
// width of the left and top bands). Sizes and offsets are rounded to the nearest pixel,
// halves to the even neighbour, so the crop and the bands are centred to within a pixel.
struct Placement
{
    int scaledWidth = 0;
    int scaledHeight = 0;
    int x = 0;
    int y = 0;
    friend bool operator==(const Placement&, const Placement&) = default;
};

// Scaled to cover width x height: one side matches, the other reaches past it and is cropped.
Placement FillPlacement(PictureSize picture, int width, int height);
// Scaled to lie inside width x height: one side matches, the other is shorter (at least 1).
Placement FitPlacement(PictureSize picture, int width, int height);

// The colour of the bands FitInside leaves around a picture.
struct BandColour
{
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
};

// The picture scaled to cover width x height with its proportions kept and centre-cropped to
// exactly that size. Only the pixels that stay are computed, however far the scaled picture
// reaches past the desktop. The placement may come from a larger original of the same picture
// (a JPEG decoded scaled down): the source is resampled to the placement's scaled size.
// The same quality as Stretch; the same exceptions.
Bitmap Fill(const Bitmap& source, int width, int height);
Bitmap Fill(const Bitmap& source, const Placement& placement, int width, int height);

// The picture scaled to lie inside width x height with its proportions kept, centred on a
// bitmap of exactly that size; the rest is the band colour.
Bitmap FitInside(const Bitmap& source, int width, int height, BandColour bands = {});
Bitmap FitInside(const Bitmap& source, const Placement& placement, int width, int height,
                 BandColour bands = {});

} // namespace ondrix
