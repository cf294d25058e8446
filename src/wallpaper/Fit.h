#pragma once

#include "Bitmap.h"

namespace ondrix {

// Stretches the picture to exactly width x height, whatever its proportions. Along an axis
// that shrinks every target pixel is the average of the source area it covers; along one that
// grows it is interpolated linearly between the two nearest source pixels (pixel centres
// aligned, edges held); an axis that keeps its size is copied. The two axes are done one
// after the other, a row at a time, with a few rows of working memory.
// Throws std::invalid_argument for an empty source or a size below 1, DecodeError for a
// size past the bitmap limits.
Bitmap Stretch(const Bitmap& source, int width, int height);

} // namespace ondrix
