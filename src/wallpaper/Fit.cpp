#include "Fit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace ondrix {

namespace {

// For each target index along one axis: the first source index it takes and the weights of
// the consecutive source samples from there on (unused weights are zero).
struct Taps
{
    std::vector<int> first;
    std::vector<int> count;
    std::vector<float> weights; // perTarget entries for each target index
    int perTarget = 1;

    const float* WeightsOf(int target) const { return weights.data() + std::size_t(target) * perTarget; }
};

// Taps for the target indices first .. first + count - 1 of a source axis resampled to target
// pixels; they are stored from index 0 on.
Taps MakeTaps(int source, int target, int first, int count)
{
    Taps taps;
    taps.first.resize(static_cast<std::size_t>(count));
    taps.count.resize(static_cast<std::size_t>(count));
    if (target < source) {
        // Area averaging in exact integer units of 1/target source pixels: target pixel i
        // covers [i * source, (i + 1) * source), source pixel j covers [j * target, (j + 1) * target).
        taps.perTarget = source / target + 2;
        taps.weights.assign(std::size_t(count) * taps.perTarget, 0.0f);
        const std::int64_t s = source;
        const std::int64_t t = target;
        for (std::int64_t n = 0; n < count; ++n) {
            const std::int64_t i = first + n;
            const std::int64_t lo = i * s;
            const std::int64_t hi = lo + s;
            const std::int64_t a = lo / t;
            const std::int64_t b = std::min<std::int64_t>(s, (hi + t - 1) / t);
            float* w = taps.weights.data() + n * taps.perTarget;
            for (std::int64_t j = a; j < b; ++j) {
                const std::int64_t overlap = std::min(hi, (j + 1) * t) - std::max(lo, j * t);
                w[j - a] = static_cast<float>(static_cast<double>(overlap) / static_cast<double>(s));
            }
            taps.first[std::size_t(n)] = static_cast<int>(a);
            taps.count[std::size_t(n)] = static_cast<int>(b - a);
        }
        return taps;
    }
    if (target > source) {
        // Linear interpolation between the pixel centres; outside the outer centres the edge
        // pixel holds.
        taps.perTarget = 2;
        taps.weights.assign(std::size_t(count) * 2, 0.0f);
        const double scale = static_cast<double>(source) / target;
        for (int n = 0; n < count; ++n) {
            const double position = std::max(0.0, (double(first) + n + 0.5) * scale - 0.5);
            int a = static_cast<int>(position);
            double fraction = position - a;
            if (a >= source - 1) {
                a = source - 1;
                fraction = 0.0;
            }
            float* w = taps.weights.data() + std::size_t(n) * 2;
            w[0] = static_cast<float>(1.0 - fraction);
            w[1] = static_cast<float>(fraction);
            taps.first[std::size_t(n)] = a;
            taps.count[std::size_t(n)] = fraction > 0.0 ? 2 : 1;
        }
        return taps;
    }
    taps.weights.assign(std::size_t(count), 1.0f);
    for (int n = 0; n < count; ++n) {
        taps.first[std::size_t(n)] = first + n;
        taps.count[std::size_t(n)] = 1;
    }
    return taps;
}

// One source row resampled to the target width, three floats a pixel.
void ResampleRow(const std::uint8_t* source, float* target, const Taps& taps, int width)
{
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* s = source + 3 * std::size_t(taps.first[std::size_t(x)]);
        const float* w = taps.WeightsOf(x);
        const int n = taps.count[std::size_t(x)];
        float b = 0.0f, g = 0.0f, r = 0.0f;
        for (int k = 0; k < n; ++k, s += 3) {
            b += w[k] * s[0];
            g += w[k] * s[1];
            r += w[k] * s[2];
        }
        target[3 * x] = b;
        target[3 * x + 1] = g;
        target[3 * x + 2] = r;
    }
}

// The two most recently resampled source rows. The vertical pass asks for rows in rising
// order and neighbouring target rows share at most two, so each source row is resampled once.
class RowCache
{
public:
    RowCache(const Bitmap& source, const Taps& horizontal, int width)
        : m_source(source), m_horizontal(horizontal), m_width(width)
    {
        for (Slot& slot : m_slots)
            slot.values.resize(std::size_t(width) * 3);
    }

    const float* Get(int row)
    {
        for (Slot& slot : m_slots)
            if (slot.row == row)
                return slot.values.data();
        Slot& oldest = m_slots[0].row < m_slots[1].row ? m_slots[0] : m_slots[1];
        ResampleRow(m_source.Row(row), oldest.values.data(), m_horizontal, m_width);
        oldest.row = row;
        return oldest.values.data();
    }

private:
    struct Slot
    {
        int row = -1;
        std::vector<float> values;
    };
    const Bitmap& m_source;
    const Taps& m_horizontal;
    int m_width;
    Slot m_slots[2];
};

// The window of width x height pixels at (x, y) of the source resampled to scaledWidth x
// scaledHeight, written into target at (targetX, targetY).
void ResampleInto(const Bitmap& source, int scaledWidth, int scaledHeight, int x, int y, int width,
                  int height, Bitmap& target, int targetX, int targetY)
{
    const Taps horizontal = MakeTaps(source.Width(), scaledWidth, x, width);
    const Taps vertical = MakeTaps(source.Height(), scaledHeight, y, height);
    RowCache rows(source, horizontal, width);

    const std::size_t values = std::size_t(width) * 3;
    std::vector<float> sum(values);
    for (int row = 0; row < height; ++row) {
        const int first = vertical.first[std::size_t(row)];
        const int n = vertical.count[std::size_t(row)];
        const float* w = vertical.WeightsOf(row);
        {
            const float* line = rows.Get(first);
            const float weight = w[0];
            for (std::size_t i = 0; i < values; ++i)
                sum[i] = weight * line[i];
        }
        for (int k = 1; k < n; ++k) {
            const float* line = rows.Get(first + k);
            const float weight = w[k];
            for (std::size_t i = 0; i < values; ++i)
                sum[i] += weight * line[i];
        }
        std::uint8_t* out = target.Row(targetY + row) + 3 * std::size_t(targetX);
        for (std::size_t i = 0; i < values; ++i)
            out[i] = static_cast<std::uint8_t>(std::clamp(sum[i] + 0.5f, 0.0f, 255.0f));
    }
}

// numerator / denominator to the nearest integer, halves to the even neighbour; both positive
// or the numerator zero.
std::int64_t RoundedQuotient(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t quotient = numerator / denominator;
    const std::int64_t twice = 2 * (numerator % denominator);
    if (twice > denominator || (twice == denominator && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}

std::string SizeName(const char* what, int width, int height)
{
    return std::string(what) + " " + std::to_string(width) + "x" + std::to_string(height);
}

void CheckPlacementInput(PictureSize picture, int width, int height)
{
    if (picture.width < 1 || picture.height < 1 || width < 1 || height < 1)
        throw std::invalid_argument("Placement: empty picture or size");
    // Within the bitmap limits every scaled size below fits an int.
    CheckBitmapSize(picture.width, picture.height, SizeName("picture of", picture.width, picture.height));
    CheckBitmapSize(width, height, SizeName("placed on", width, height));
}

} // namespace

Bitmap Stretch(const Bitmap& source, int width, int height)
{
    if (source.Empty() || width < 1 || height < 1)
        throw std::invalid_argument("Stretch: empty picture or size");
    Bitmap target(width, height, SizeName("stretched to", width, height));
    ResampleInto(source, width, height, 0, 0, width, height, target, 0, 0);
    return target;
}

Placement FillPlacement(PictureSize picture, int width, int height)
{
    CheckPlacementInput(picture, width, height);
    const std::int64_t w = picture.width, h = picture.height, dw = width, dh = height;
    Placement placement;
    if (w * dh >= h * dw) {
        // As wide as the desktop or wider, measured against the height: the height matches.
        placement.scaledHeight = height;
        placement.scaledWidth = static_cast<int>(std::max<std::int64_t>(dw, RoundedQuotient(w * dh, h)));
        placement.x = static_cast<int>(RoundedQuotient(placement.scaledWidth - dw, 2));
    } else {
        placement.scaledWidth = width;
        placement.scaledHeight = static_cast<int>(std::max<std::int64_t>(dh, RoundedQuotient(h * dw, w)));
        placement.y = static_cast<int>(RoundedQuotient(placement.scaledHeight - dh, 2));
    }
    return placement;
}

Placement FitPlacement(PictureSize picture, int width, int height)
{
    CheckPlacementInput(picture, width, height);
    const std::int64_t w = picture.width, h = picture.height, dw = width, dh = height;
    Placement placement;
    if (w * dh >= h * dw) {
        placement.scaledWidth = width;
        placement.scaledHeight =
            static_cast<int>(std::clamp<std::int64_t>(RoundedQuotient(h * dw, w), 1, dh));
        placement.y = static_cast<int>(RoundedQuotient(dh - placement.scaledHeight, 2));
    } else {
        placement.scaledHeight = height;
        placement.scaledWidth = static_cast<int>(std::clamp<std::int64_t>(RoundedQuotient(w * dh, h), 1, dw));
        placement.x = static_cast<int>(RoundedQuotient(dw - placement.scaledWidth, 2));
    }
    return placement;
}

Bitmap Fill(const Bitmap& source, int width, int height)
{
    if (source.Empty())
        throw std::invalid_argument("Fill: empty picture");
    return Fill(source, FillPlacement(source.Size(), width, height), width, height);
}

Bitmap Fill(const Bitmap& source, const Placement& placement, int width, int height)
{
    if (source.Empty() || width < 1 || height < 1 || placement.x < 0 || placement.y < 0 ||
        std::int64_t{placement.x} + width > placement.scaledWidth ||
        std::int64_t{placement.y} + height > placement.scaledHeight)
        throw std::invalid_argument("Fill: empty picture, size or placement");
    Bitmap target(width, height, SizeName("filled to", width, height));
    ResampleInto(source, placement.scaledWidth, placement.scaledHeight, placement.x, placement.y, width,
                 height, target, 0, 0);
    return target;
}

Bitmap FitInside(const Bitmap& source, int width, int height, BandColour bands)
{
    if (source.Empty())
        throw std::invalid_argument("FitInside: empty picture");
    return FitInside(source, FitPlacement(source.Size(), width, height), width, height, bands);
}

Bitmap FitInside(const Bitmap& source, const Placement& placement, int width, int height, BandColour bands)
{
    if (source.Empty() || width < 1 || height < 1 || placement.scaledWidth < 1 ||
        placement.scaledHeight < 1 || placement.x < 0 || placement.y < 0 ||
        std::int64_t{placement.x} + placement.scaledWidth > width ||
        std::int64_t{placement.y} + placement.scaledHeight > height)
        throw std::invalid_argument("FitInside: empty picture, size or placement");
    Bitmap target(width, height, SizeName("fitted to", width, height));
    target.Fill(bands.blue, bands.green, bands.red);
    ResampleInto(source, placement.scaledWidth, placement.scaledHeight, 0, 0, placement.scaledWidth,
                 placement.scaledHeight, target, placement.x, placement.y);
    return target;
}

} // namespace ondrix
