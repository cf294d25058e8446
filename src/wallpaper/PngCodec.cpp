#include "PngCodec.h"

#include "AlphaOnBlack.h"
#include "Picture.h"
#include "core/RegularFile.h"

#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <png.h>

namespace ondrix {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// The signature, then the IHDR chunk: length, type, 13 bytes of data and the CRC.
constexpr std::size_t kHeaderBytes = 8 + 4 + 4 + 13 + 4;
// Deflate never packs more than 258 bytes into less than two bits: a picture's rows cannot
// come from fewer than a 1032nd of their size, whatever the file says.
constexpr std::uint64_t kMostDeflateRatio = 1032;

[[noreturn]] void Refuse(const std::string& fileName, const std::string& reason)
{
    throw DecodeError("The picture \"" + fileName + "\" cannot be read as a PNG picture: " + reason + ".");
}

std::uint32_t BigEndian32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

struct Header
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    unsigned bitDepth = 0;
    unsigned colourType = 0;
};

unsigned SamplesPerPixel(unsigned colourType)
{
    switch (colourType) {
    case 0: // grey
    case 3: // palette
        return 1;
    case 4: // grey and alpha
        return 2;
    case 2: // RGB
        return 3;
    case 6: // RGBA
        return 4;
    default:
        return 0;
    }
}

bool ValidDepth(unsigned colourType, unsigned depth)
{
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

// The IHDR chunk, checked: the signature, the chunk's place, CRC and fields.
Header ParseHeader(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    if (bytes.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), bytes.begin()))
        Refuse(fileName, "it does not begin with the PNG signature");
    if (bytes.size() < kHeaderBytes)
        Refuse(fileName, "the file ends inside its header");
    const std::uint8_t* chunk = bytes.data() + kSignature.size();
    if (BigEndian32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0)
        Refuse(fileName, "it does not begin with its IHDR header");
    if (Crc32(chunk + 4, 4 + 13) != BigEndian32(chunk + 8 + 13))
        Refuse(fileName, "its IHDR header is damaged (CRC error)");
    const std::uint8_t* data = chunk + 8;
    Header header{BigEndian32(data), BigEndian32(data + 4), data[8], data[9]};
    if (header.width == 0 || header.height == 0 || header.width > 0x7FFFFFFFu || header.height > 0x7FFFFFFFu)
        Refuse(fileName, "its header gives an impossible size");
    if (!ValidDepth(header.colourType, header.bitDepth))
        Refuse(fileName, "its header gives an unknown pixel format");
    return header;
}

// The size checks made before anything is allocated for the picture.
void CheckSize(const Header& header, std::size_t fileBytes, const std::string& fileName)
{
    CheckBitmapSize(header.width, header.height, fileName);
    const std::uint64_t bitsPerRow =
        std::uint64_t{header.width} * header.bitDepth * SamplesPerPixel(header.colourType);
    const std::uint64_t rawBytes = (bitsPerRow + 7) / 8 * header.height;
    if (rawBytes / kMostDeflateRatio > fileBytes)
        Refuse(fileName, "its " + std::to_string(fileBytes) + " bytes are too few for a picture of " +
                             std::to_string(header.width) + " x " + std::to_string(header.height) +
                             "; the file is damaged or cut short");
}

// libpng's errors jump back into the step that called it; that step returns false and its
// caller throws. Nothing with a destructor lives in the frames between setjmp and longjmp.
struct Reader
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
    char message[200] = "";

    Reader() = default;
    ~Reader()
    {
        if (png)
            png_destroy_read_struct(&png, &info, nullptr);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
};

void OnError(png_structp png, png_const_charp text)
{
    auto* reader = static_cast<Reader*>(png_get_error_ptr(png));
    std::snprintf(reader->message, sizeof reader->message, "%s", text ? text : "libpng failed");
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->offset)
        png_error(png, "the file ends inside its picture data");
    std::memcpy(out, reader->data + reader->offset, count);
    reader->offset += count;
}

bool CreateStep(Reader* r)
{
    r->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, r, OnError, OnWarning);
    if (!r->png) {
        std::snprintf(r->message, sizeof r->message, "%s", "libpng could not start");
        return false;
    }
    r->info = png_create_info_struct(r->png);
    if (!r->info) {
        std::snprintf(r->message, sizeof r->message, "%s", "libpng could not start");
        return false;
    }
    return true;
}

// Reads up to the picture data and sets the transformations to 8-bit BGR or BGRA; channels
// gets 3 or 4, passes the number of interlace passes.
bool PrepareStep(Reader* r, int* channels, int* passes)
{
    if (setjmp(png_jmpbuf(r->png)))
        return false;
    png_set_read_fn(r->png, r, ReadData);
    // The size was checked against our own limits already; the user limits stay libpng's
    // defaults, which are wider.
    png_read_info(r->png, r->info);
    png_set_expand(r->png); // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    png_set_scale_16(r->png);
    png_set_gray_to_rgb(r->png);
    png_set_bgr(r->png);
    *passes = png_set_interlace_handling(r->png);
    png_read_update_info(r->png, r->info);
    *channels = png_get_channels(r->png, r->info);
    if (png_get_bit_depth(r->png, r->info) != 8 || (*channels != 3 && *channels != 4) ||
        png_get_rowbytes(r->png, r->info) != std::size_t{png_get_image_width(r->png, r->info)} * *channels)
        png_error(r->png, "its pixel format is not supported");
    return true;
}

// Three-byte rows straight into the bitmap, every pass over the same rows.
bool DecodeOpaqueStep(Reader* r, Bitmap* bitmap, int passes)
{
    if (setjmp(png_jmpbuf(r->png)))
        return false;
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < bitmap->Height(); ++y)
            png_read_row(r->png, bitmap->Row(y), nullptr);
    return true;
}

// Four-byte rows: one row at a time when the picture is not interlaced (rows is one row),
// else the whole picture (rows has every row), put on black afterwards.
bool DecodeAlphaStep(Reader* r, Bitmap* bitmap, int passes, std::uint8_t* rows)
{
    if (setjmp(png_jmpbuf(r->png)))
        return false;
    const std::size_t width = static_cast<std::size_t>(bitmap->Width());
    const std::size_t stride = width * 4;
    if (passes == 1) {
        for (int y = 0; y < bitmap->Height(); ++y) {
            png_read_row(r->png, rows, nullptr);
            PutOnBlack(rows, bitmap->Row(y), width);
        }
        return true;
    }
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < bitmap->Height(); ++y)
            png_read_row(r->png, rows + stride * static_cast<std::size_t>(y), nullptr);
    for (int y = 0; y < bitmap->Height(); ++y)
        PutOnBlack(rows + stride * static_cast<std::size_t>(y), bitmap->Row(y), width);
    return true;
}

} // namespace

PictureSize PngSize(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    const Header header = ParseHeader(bytes, fileName);
    return {static_cast<int>(header.width), static_cast<int>(header.height)};
}

PictureSize ReadPngSize(const std::string& path)
{
    const FileHandle file = OpenRegularFile(path, kMaxPictureFileBytes, "picture");
    std::array<std::uint8_t, kHeaderBytes> head{};
    const std::size_t got = std::fread(head.data(), 1, head.size(), file.get());
    return PngSize(std::span<const std::uint8_t>(head.data(), got), path);
}

Bitmap DecodePng(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    const Header header = ParseHeader(bytes, fileName);
    // Nothing of the picture is allocated before these checks.
    CheckSize(header, bytes.size(), fileName);
    Reader r;
    r.data = bytes.data();
    r.size = bytes.size();
    int channels = 0;
    int passes = 1;
    if (!CreateStep(&r) || !PrepareStep(&r, &channels, &passes))
        Refuse(fileName, r.message);
    Bitmap bitmap(static_cast<int>(header.width), static_cast<int>(header.height), fileName);
    bool done = false;
    if (channels == 3) {
        done = DecodeOpaqueStep(&r, &bitmap, passes);
    } else {
        const std::size_t rowCount = passes == 1 ? 1 : header.height;
        const auto rows =
            std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t{header.width} * 4 * rowCount);
        done = DecodeAlphaStep(&r, &bitmap, passes, rows.get());
    }
    if (!done)
        Refuse(fileName, r.message);
    // png_read_end is left out on purpose: a file that only lacks its end chunk still shows.
    return bitmap;
}

Bitmap DecodePng(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    return DecodePng(bytes, path);
}

} // namespace ondrix
