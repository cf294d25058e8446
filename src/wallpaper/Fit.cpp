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

Taps MakeTaps(int source, int target)
{
    Taps taps;
    taps.first.resize(static_cast<std::size_t>(target));
    taps.count.resize(static_cast<std::size_t>(target));
    if (target < source) {
        // Area averaging in exact integer units of 1/target source pixels: target pixel i
        // covers [i * source, (i + 1) * source), source pixel j covers [j * target, (j + 1) * target).
        taps.perTarget = source / target + 2;
        taps.weights.assign(std::size_t(target) * taps.perTarget, 0.0f);
        const std::int64_t s = source;
        const std::int64_t t = target;
        for (std::int64_t i = 0; i < t; ++i) {
            const std::int64_t lo = i * s;
            const std::int64_t hi = lo + s;
            const std::int64_t a = lo / t;
            const std::int64_t b = std::min<std::int64_t>(s, (hi + t - 1) / t);
            float* w = taps.weights.data() + i * taps.perTarget;
            for (std::int64_t j = a; j < b; ++j) {
                const std::int64_t overlap = std::min(hi, (j + 1) * t) - std::max(lo, j * t);
                w[j - a] = static_cast<float>(static_cast<double>(overlap) / static_cast<double>(s));
            }
            taps.first[std::size_t(i)] = static_cast<int>(a);
            taps.count[std::size_t(i)] = static_cast<int>(b - a);
        }
        return taps;
    }
    if (target > source) {
        // Linear interpolation between the pixel centres; outside the outer centres the edge
        // pixel holds.
        taps.perTarget = 2;
        taps.weights.assign(std::size_t(target) * 2, 0.0f);
        const double scale = static_cast<double>(source) / target;
        for (int i = 0; i < target; ++i) {
            const double position = std::max(0.0, (i + 0.5) * scale - 0.5);
            int a = static_cast<int>(position);
            double fraction = position - a;
            if (a >= source - 1) {
                a = source - 1;
                fraction = 0.0;
            }
            float* w = taps.weights.data() + std::size_t(i) * 2;
            w[0] = static_cast<float>(1.0 - fraction);
            w[1] = static_cast<float>(fraction);
            taps.first[std::size_t(i)] = a;
            taps.count[std::size_t(i)] = fraction > 0.0 ? 2 : 1;
        }
        return taps;
    }
    taps.weights.assign(std::size_t(target), 1.0f);
    for (int i = 0; i < target; ++i) {
        taps.first[std::size_t(i)] = i;
        taps.count[std::size_t(i)] = 1;
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

} // namespace

Bitmap Stretch(const Bitmap& source, int width, int height)
{
    if (source.Empty() || width < 1 || height < 1)
        throw std::invalid_argument("Stretch: empty picture or size");
    Bitmap target(width, height, "stretched to " + std::to_string(width) + "x" + std::to_string(height));
    const Taps horizontal = MakeTaps(source.Width(), width);
    const Taps vertical = MakeTaps(source.Height(), height);
    RowCache rows(source, horizontal, width);

    const std::size_t values = std::size_t(width) * 3;
    std::vector<float> sum(values);
    for (int y = 0; y < height; ++y) {
        const int first = vertical.first[std::size_t(y)];
        const int n = vertical.count[std::size_t(y)];
        const float* w = vertical.WeightsOf(y);
        {
            const float* row = rows.Get(first);
            const float weight = w[0];
            for (std::size_t i = 0; i < values; ++i)
                sum[i] = weight * row[i];
        }
        for (int k = 1; k < n; ++k) {
            const float* row = rows.Get(first + k);
            const float weight = w[k];
            for (std::size_t i = 0; i < values; ++i)
                sum[i] += weight * row[i];
        }
        std::uint8_t* out = target.Row(y);
        for (std::size_t i = 0; i < values; ++i)
            out[i] = static_cast<std::uint8_t>(std::clamp(sum[i] + 0.5f, 0.0f, 255.0f));
    }
    return target;
}

} // namespace ondrix
