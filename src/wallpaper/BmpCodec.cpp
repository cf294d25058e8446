#include "BmpCodec.h"

#include "Picture.h"
#include "core/RegularFile.h"

#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace ondrix {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

[[noreturn]] void Fail(const std::string& fileName, const std::string& what)
{
    throw DecodeError("The picture \"" + fileName + "\" cannot be read: " + what + ".");
}

// Little-endian reads that never step outside the bytes.
class Bytes
{
public:
    Bytes(std::span<const std::uint8_t> bytes, const std::string& fileName) : m_bytes(bytes), m_name(fileName)
    {
    }

    std::size_t Size() const { return m_bytes.size(); }
    const std::uint8_t* At(std::size_t offset) const { return m_bytes.data() + offset; }
    void Need(std::size_t offset, std::size_t count, const char* what) const
    {
        if (offset > m_bytes.size() || count > m_bytes.size() - offset)
            Fail(m_name, what);
    }
    std::uint16_t U16(std::size_t offset, const char* what) const
    {
        Need(offset, 2, what);
        return static_cast<std::uint16_t>(m_bytes[offset] | m_bytes[offset + 1] << 8);
    }
    std::uint32_t U32(std::size_t offset, const char* what) const
    {
        Need(offset, 4, what);
        return std::uint32_t{m_bytes[offset]} | std::uint32_t{m_bytes[offset + 1]} << 8 |
               std::uint32_t{m_bytes[offset + 2]} << 16 | std::uint32_t{m_bytes[offset + 3]} << 24;
    }
    std::int32_t I32(std::size_t offset, const char* what) const
    {
        return static_cast<std::int32_t>(U32(offset, what));
    }

private:
    std::span<const std::uint8_t> m_bytes;
    const std::string& m_name;
};

struct Header
{
    std::int64_t width = 0;
    std::int64_t height = 0; // positive; topDown tells the row order
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t pixelOffset = 0;
    std::size_t paletteOffset = 0;
    std::size_t paletteEntrySize = 4;
    std::uint32_t colorsUsed = 0;
    std::array<std::uint32_t, 3> masks{}; // red, green, blue
};

constexpr const char* kTruncatedHeader = "the file ends inside its header";

// RLE pixels that an encoder writes row by row come to at most 127.5 pixels a byte (runs of
// 255 in two bytes); a picture claiming far more for its bytes is mostly made of nothing and
// would cost memory out of all proportion to the file. Small pictures are always read.
constexpr std::uint64_t kMaxRlePixelsPerByte = 1024;
constexpr std::uint64_t kRlePixelsAlwaysRead = std::uint64_t{1} << 20;

// Reads the file header and the bitmap header up to the sizes, the format and the masks.
Header ReadHeader(const Bytes& in, const std::string& name)
{
    in.Need(0, kFileHeaderSize + 4, kTruncatedHeader);
    if (in.At(0)[0] != 'B' || in.At(0)[1] != 'M')
        Fail(name, "it is not a BMP file");
    Header h;
    h.pixelOffset = in.U32(10, kTruncatedHeader);
    const std::uint32_t headerSize = in.U32(14, kTruncatedHeader);
    if (headerSize == 12) {
        h.width = in.U16(18, kTruncatedHeader);
        h.height = in.U16(20, kTruncatedHeader);
        h.bitsPerPixel = in.U16(24, kTruncatedHeader);
        h.paletteEntrySize = 3;
        h.paletteOffset = kFileHeaderSize + 12;
        return h;
    }
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 64 && headerSize != 108 &&
        headerSize != 124)
        Fail(name, "its header of " + std::to_string(headerSize) + " bytes is of no known kind");
    in.Need(0, kFileHeaderSize + headerSize, kTruncatedHeader);
    h.width = in.I32(18, kTruncatedHeader);
    const std::int32_t height = in.I32(22, kTruncatedHeader);
    h.topDown = height < 0;
    h.height = height < 0 ? -std::int64_t{height} : std::int64_t{height};
    h.bitsPerPixel = in.U16(28, kTruncatedHeader);
    h.compression = in.U32(30, kTruncatedHeader);
    h.colorsUsed = in.U32(46, kTruncatedHeader);
    h.paletteOffset = kFileHeaderSize + headerSize;
    if (headerSize == 64 && h.compression > kBiRle4)
        Fail(name, "its compression (OS/2 kind " + std::to_string(h.compression) + ") is not supported");
    if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
        // The 40-byte header keeps its masks after itself, the longer ones inside.
        const std::size_t maskOffset = kFileHeaderSize + 40;
        for (std::size_t i = 0; i < 3; ++i)
            h.masks[i] = in.U32(maskOffset + 4 * i, kTruncatedHeader);
        if (headerSize == 40)
            h.paletteOffset += h.compression == kBiAlphaBitfields ? 16 : 12;
    }
    return h;
}

void CheckFormat(const Header& h, const std::string& name)
{
    const int bpp = h.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        Fail(name, std::to_string(bpp) + " bits a pixel are not supported");
    switch (h.compression) {
    case kBiRgb:
        break;
    case kBiRle8:
        if (bpp != 8)
            Fail(name, "RLE8 compression needs 8 bits a pixel");
        break;
    case kBiRle4:
        if (bpp != 4)
            Fail(name, "RLE4 compression needs 4 bits a pixel");
        break;
    case kBiBitfields:
    case kBiAlphaBitfields:
        if (bpp != 16 && bpp != 32)
            Fail(name, "bit-field pixels need 16 or 32 bits a pixel");
        break;
    default:
        Fail(name, "its compression (kind " + std::to_string(h.compression) + ") is not supported");
    }
}

using Palette = std::array<std::array<std::uint8_t, 3>, 256>;

// Entries the file does not hold stay black: a short palette, or a colour count that lies.
Palette ReadPalette(const Bytes& in, const Header& h)
{
    Palette palette{};
    if (h.bitsPerPixel > 8)
        return palette;
    const std::size_t maxColors = std::size_t{1} << h.bitsPerPixel;
    std::size_t count = maxColors;
    if (h.paletteEntrySize == 4 && h.colorsUsed != 0 && h.colorsUsed < maxColors)
        count = h.colorsUsed;
    const std::size_t room = (h.pixelOffset - h.paletteOffset) / h.paletteEntrySize;
    count = std::min(count, room);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = in.At(h.paletteOffset + i * h.paletteEntrySize);
        palette[i] = {entry[0], entry[1], entry[2]};
    }
    return palette;
}

// One colour channel of a bit-field pixel, widened or narrowed to 8 bits.
class Channel
{
public:
    Channel(std::uint32_t mask, const std::string& name)
    {
        if (mask == 0)
            return;
        m_shift = std::countr_zero(mask);
        const std::uint32_t bits = mask >> m_shift;
        if ((bits & (bits + 1)) != 0)
            Fail(name, "a colour mask of its bit fields is not contiguous");
        m_mask = mask;
        m_width = std::popcount(bits);
        if (m_width < 8) {
            const std::uint32_t top = bits;
            for (std::uint32_t v = 0; v <= top; ++v)
                m_table[v] = static_cast<std::uint8_t>((v * 255 + top / 2) / top);
        }
    }
    std::uint8_t operator()(std::uint32_t pixel) const
    {
        const std::uint32_t v = (pixel & m_mask) >> m_shift;
        if (m_width >= 8)
            return static_cast<std::uint8_t>(v >> (m_width - 8));
        return m_table[v];
    }

private:
    std::uint32_t m_mask = 0;
    int m_shift = 0;
    int m_width = 0;
    std::array<std::uint8_t, 128> m_table{};
};

void ConvertRow(const std::uint8_t* src, std::uint8_t* dst, int width, int bpp, const Palette& palette,
                const Channel& red, const Channel& green, const Channel& blue, bool plain32)
{
    auto putIndex = [&](int x, unsigned index) { std::memcpy(dst + 3 * x, palette[index].data(), 3); };
    switch (bpp) {
    case 1:
        for (int x = 0; x < width; ++x)
            putIndex(x, (src[x >> 3] >> (7 - (x & 7))) & 1u);
        break;
    case 4:
        for (int x = 0; x < width; ++x)
            putIndex(x, (x & 1) ? src[x >> 1] & 0x0Fu : src[x >> 1] >> 4);
        break;
    case 8:
        for (int x = 0; x < width; ++x)
            putIndex(x, src[x]);
        break;
    case 24:
        std::memcpy(dst, src, static_cast<std::size_t>(width) * 3);
        break;
    case 16:
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = src[2 * x] | std::uint32_t{src[2 * x + 1]} << 8;
            dst[3 * x] = blue(p);
            dst[3 * x + 1] = green(p);
            dst[3 * x + 2] = red(p);
        }
        break;
    default: // 32
        if (plain32) {
            for (int x = 0; x < width; ++x)
                std::memcpy(dst + 3 * x, src + 4 * x, 3);
            break;
        }
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* s = src + 4 * x;
            const std::uint32_t p =
                s[0] | std::uint32_t{s[1]} << 8 | std::uint32_t{s[2]} << 16 | std::uint32_t{s[3]} << 24;
            dst[3 * x] = blue(p);
            dst[3 * x + 1] = green(p);
            dst[3 * x + 2] = red(p);
        }
    }
}

void DecodeUncompressed(const Bytes& in, const Header& h, const Palette& palette, Bitmap& bitmap,
                        const std::string& name)
{
    std::array<std::uint32_t, 3> masks = h.masks;
    if (h.compression == kBiRgb && h.bitsPerPixel == 16)
        masks = {0x7C00, 0x03E0, 0x001F};
    else if (h.compression == kBiRgb && h.bitsPerPixel == 32)
        masks = {0xFF0000, 0x00FF00, 0x0000FF};
    const Channel red(masks[0], name), green(masks[1], name), blue(masks[2], name);
    const bool plain32 =
        h.bitsPerPixel == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF;

    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const std::size_t stride = (static_cast<std::size_t>(width) * h.bitsPerPixel + 31) / 32 * 4;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* src = in.At(h.pixelOffset + stride * static_cast<std::size_t>(row));
        std::uint8_t* dst = bitmap.Row(h.topDown ? row : height - 1 - row);
        ConvertRow(src, dst, width, h.bitsPerPixel, palette, red, green, blue, plain32);
    }
}

void DecodeRle(const Bytes& in, const Header& h, const Palette& palette, Bitmap& bitmap,
               const std::string& name)
{
    const bool rle8 = h.compression == kBiRle8;
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    bitmap.Fill(0, 0, 0);
    const std::size_t end = in.Size();
    std::size_t p = h.pixelOffset;
    int x = 0;
    int row = 0; // counted in file order
    auto put = [&](int count, auto indexOf) {
        if (row >= height || count > width - x)
            Fail(name, "a run of its compressed pixels goes past the picture");
        std::uint8_t* dst = bitmap.Row(h.topDown ? row : height - 1 - row) + 3 * x;
        for (int i = 0; i < count; ++i, dst += 3)
            std::memcpy(dst, palette[indexOf(i)].data(), 3);
        x += count;
    };
    for (;;) {
        if (end - p < 2) {
            if (row >= height)
                return; // every row is there; only the end mark is missing
            Fail(name, "its compressed pixels end too early");
        }
        const std::uint8_t first = *in.At(p);
        const std::uint8_t second = *in.At(p + 1);
        p += 2;
        if (first > 0) { // a run of one or two alternating colours
            if (rle8)
                put(first, [&](int) { return second; });
            else
                put(first, [&](int i) { return (i & 1) ? second & 0x0Fu : second >> 4u; });
        } else if (second == 0) { // end of line
            x = 0;
            if (++row > height)
                Fail(name, "its compressed pixels go past the last row");
        } else if (second == 1) { // end of picture
            return;
        } else if (second == 2) { // delta
            if (end - p < 2)
                Fail(name, "its compressed pixels end too early");
            x += *in.At(p);
            row += *in.At(p + 1);
            p += 2;
            if (x > width || row > height)
                Fail(name, "a jump in its compressed pixels goes past the picture");
        } else { // literal pixels, padded to a 16-bit boundary
            const std::size_t count = second;
            const std::size_t bytes = rle8 ? count : (count + 1) / 2;
            if (end - p < bytes)
                Fail(name, "its compressed pixels end too early");
            const std::uint8_t* src = in.At(p);
            if (rle8)
                put(second, [&](int i) { return src[i]; });
            else
                put(second, [&](int i) { return (i & 1) ? src[i >> 1] & 0x0Fu : src[i >> 1] >> 4u; });
            p += std::min(end - p, bytes + (bytes & 1));
        }
    }
}

} // namespace

Bitmap DecodeBmp(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    const Bytes in(bytes, fileName);
    const Header h = ReadHeader(in, fileName);
    CheckFormat(h, fileName);
    CheckBitmapSize(h.width, h.height, fileName);
    if (h.pixelOffset < h.paletteOffset || h.pixelOffset >= bytes.size())
        Fail(fileName, "the offset of its pixels lies outside the file");
    if (h.compression != kBiRle8 && h.compression != kBiRle4) {
        // The last row may lack its padding.
        const std::uint64_t rowBits =
            static_cast<std::uint64_t>(h.width) * static_cast<unsigned>(h.bitsPerPixel);
        const std::uint64_t stride = (rowBits + 31) / 32 * 4;
        const std::uint64_t needed = stride * static_cast<std::uint64_t>(h.height - 1) + (rowBits + 7) / 8;
        if (needed > bytes.size() - h.pixelOffset)
            Fail(fileName, "the file ends inside its pixels");
    }
    if (h.compression == kBiRle8 || h.compression == kBiRle4) {
        const std::uint64_t pixels =
            static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height);
        const std::uint64_t data = bytes.size() - h.pixelOffset;
        if (pixels > kRlePixelsAlwaysRead && pixels / kMaxRlePixelsPerByte > data)
            Fail(fileName, std::to_string(data) +
                               " bytes of compressed pixels are too few for a picture of " +
                               std::to_string(h.width) + " x " + std::to_string(h.height));
    }
    const Palette palette = ReadPalette(in, h);
    Bitmap bitmap(static_cast<int>(h.width), static_cast<int>(h.height), fileName);
    if (h.compression == kBiRle8 || h.compression == kBiRle4)
        DecodeRle(in, h, palette, bitmap, fileName);
    else
        DecodeUncompressed(in, h, palette, bitmap, fileName);
    return bitmap;
}

Bitmap ReadBmp(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    return DecodeBmp(bytes, path);
}

PictureSize BmpSize(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    const Bytes in(bytes, fileName);
    in.Need(0, kFileHeaderSize + 4, kTruncatedHeader);
    if (in.At(0)[0] != 'B' || in.At(0)[1] != 'M')
        Fail(fileName, "it is not a BMP file");
    const std::uint32_t headerSize = in.U32(14, kTruncatedHeader);
    std::int64_t width = 0;
    std::int64_t height = 0;
    if (headerSize == 12) {
        width = in.U16(18, kTruncatedHeader);
        height = in.U16(20, kTruncatedHeader);
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 ||
               headerSize == 108 || headerSize == 124) {
        width = in.I32(18, kTruncatedHeader);
        const std::int32_t rawHeight = in.I32(22, kTruncatedHeader);
        height = rawHeight < 0 ? -std::int64_t{rawHeight} : std::int64_t{rawHeight};
    } else {
        Fail(fileName, "its header of " + std::to_string(headerSize) + " bytes is of no known kind");
    }
    if (width <= 0 || height <= 0 || height > INT_MAX)
        CheckBitmapSize(width, height, fileName);
    return {static_cast<int>(width), static_cast<int>(height)};
}

PictureSize ReadBmpSize(const std::string& path)
{
    // The width and height of every header kind end by byte 26.
    std::array<std::uint8_t, 26> head{};
    const FileHandle file = OpenRegularFile(path, kMaxPictureFileBytes, "picture");
    const std::size_t got = std::fread(head.data(), 1, head.size(), file.get());
    return BmpSize(std::span<const std::uint8_t>(head.data(), got), path);
}

void WriteBmp(const Bitmap& bitmap, const std::string& path)
{
    if (bitmap.Empty())
        throw std::invalid_argument("WriteBmp: empty bitmap");
    const std::size_t rowBytes = bitmap.Stride();
    const std::size_t padding = (4 - rowBytes % 4) % 4;
    const std::size_t imageSize = (rowBytes + padding) * static_cast<std::size_t>(bitmap.Height());

    std::array<std::uint8_t, 54> header{};
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        header[at] = static_cast<std::uint8_t>(v);
        header[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, static_cast<std::uint32_t>(header.size() + imageSize));
    put32(10, static_cast<std::uint32_t>(header.size()));
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(bitmap.Width()));
    put32(22, static_cast<std::uint32_t>(bitmap.Height()));
    put16(26, 1);
    put16(28, 24);
    put32(30, kBiRgb);
    put32(34, static_cast<std::uint32_t>(imageSize));

    namespace fs = std::filesystem;
    const std::string temp = path + ".tmp-" + std::to_string(std::random_device{}());
    auto fail = [&](const std::string& why) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw FileError("Cannot write the file \"" + path + "\": " + why + ".");
    };
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            fail("the file cannot be created");
        out.write(reinterpret_cast<const char*>(header.data()), header.size());
        const char zeros[4] = {};
        for (int y = bitmap.Height() - 1; y >= 0 && out; --y) {
            out.write(reinterpret_cast<const char*>(bitmap.Row(y)), static_cast<std::streamsize>(rowBytes));
            out.write(zeros, static_cast<std::streamsize>(padding));
        }
        out.flush();
        if (!out)
            fail("writing failed");
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec)
        fail(ec.message());
}

} // namespace ondrix
