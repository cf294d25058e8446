#include "JpegCodec.h"

#include "Picture.h"
#include "core/RegularFile.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <jerror.h>
#include <memory>
#include <vector>

namespace ondrix {

namespace {

// A picture with more damaged spots than this is refused rather than shown as a smear.
constexpr long kMaxWarnings = 100;
// Progressive files with thousands of tiny scans take minutes to decode; no real picture
// has anywhere near this many.
constexpr int kMaxScans = 500;
constexpr long kMaxDecoderMemory = 1024L * 1024 * 1024;
// A header may claim any size; the picture data must then be there. Even a picture of one
// flat colour needs at least a bit or two for every 8 x 8 block with Huffman coding, about
// 500 pixels a byte at the very best; arithmetic coding may come near a hundred times that.
// Far beyond these, the data is missing or damaged, and decoding it would only allocate a
// frame of garbage. Small pictures are always read.
constexpr std::uint64_t kMaxHuffmanPixelsPerByte = 4096;
constexpr std::uint64_t kMaxArithmeticPixelsPerByte = 65536;
constexpr std::uint64_t kPixelsAlwaysRead = std::uint64_t{1} << 20;

// libjpeg's error handler, which would end the process, is replaced by one that jumps back
// into the step that called libjpeg; that step returns false and its caller throws.
// Nothing with a destructor lives in the frames between setjmp and longjmp.
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool ranOut; // the memory source has handed out all its bytes
};

ErrorManager& ErrorsOf(j_common_ptr info)
{
    return *reinterpret_cast<ErrorManager*>(info->err);
}

[[noreturn]] void Abort(j_common_ptr info, const char* text)
{
    ErrorManager& errors = ErrorsOf(info);
    std::snprintf(errors.message, sizeof errors.message, "%s", text);
    std::longjmp(errors.jump, 1);
}

void ErrorExit(j_common_ptr info)
{
    ErrorManager& errors = ErrorsOf(info);
    (*info->err->format_message)(info, errors.message);
    std::longjmp(errors.jump, 1);
}

void EmitMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return; // trace messages
    // Running out of bytes is no fault in itself (the decoder reads ahead, and some files lack
    // their end marker); needing picture data that is not there is.
    const int code = info->err->msg_code;
    if (code == JWRN_JPEG_EOF || (code == JWRN_HIT_MARKER && ErrorsOf(info).ranOut))
        Abort(info, "the file ends inside its picture data");
    if (++info->err->num_warnings > kMaxWarnings)
        Abort(info, "too much of its picture data is damaged");
}

void ProgressMonitor(j_common_ptr info)
{
    if (!info->is_decompressor)
        return;
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->progressive_mode && decompress->input_scan_number > kMaxScans)
        Abort(info, "it has too many progressive scans");
}

// The source of a picture in memory. Past the end it hands out an end marker, silently: see
// EmitMessage for when that means a truncated file.
constexpr JOCTET kEndMarker[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info)
{
    ErrorsOf(reinterpret_cast<j_common_ptr>(info)).ranOut = true;
    info->src->next_input_byte = kEndMarker;
    info->src->bytes_in_buffer = sizeof kEndMarker;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr& source = *info->src;
    while (static_cast<unsigned long>(count) > source.bytes_in_buffer) {
        count -= static_cast<long>(source.bytes_in_buffer);
        FillInputBuffer(info);
    }
    source.next_input_byte += count;
    source.bytes_in_buffer -= static_cast<std::size_t>(count);
}

// Owns the libjpeg decompressor; the steps below drive it.
struct Decompressor
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    jpeg_source_mgr memory{};
    bool created = false;

    Decompressor()
    {
        info.err = jpeg_std_error(&errors.pub);
        errors.pub.error_exit = ErrorExit;
        errors.pub.emit_message = EmitMessage;
        progress.progress_monitor = ProgressMonitor;
        memory.init_source = InitSource;
        memory.fill_input_buffer = FillInputBuffer;
        memory.skip_input_data = SkipInputData;
        memory.resync_to_restart = jpeg_resync_to_restart;
        memory.term_source = TermSource;
    }
    ~Decompressor()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

// The steps: each returns false when libjpeg failed, with the reason in errors.message.
bool CreateStep(Decompressor* d)
{
    if (setjmp(d->errors.jump))
        return false;
    jpeg_CreateDecompress(&d->info, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
    d->created = true;
    d->info.mem->max_memory_to_use = kMaxDecoderMemory;
    d->info.progress = &d->progress;
    return true;
}

bool ReadHeaderStep(Decompressor* d, const std::uint8_t* data, std::size_t size, std::FILE* file)
{
    if (setjmp(d->errors.jump))
        return false;
    if (file)
        jpeg_stdio_src(&d->info, file);
    else {
        d->memory.next_input_byte = data;
        d->memory.bytes_in_buffer = size;
        d->info.src = &d->memory;
    }
    jpeg_read_header(&d->info, TRUE);
    return true;
}

bool PrepareStep(Decompressor* d, int scale)
{
    if (setjmp(d->errors.jump))
        return false;
    jpeg_decompress_struct& info = d->info;
    info.scale_num = static_cast<unsigned>(scale);
    info.scale_denom = 8;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&info);
    return true;
}

// Adobe writes CMYK inverted (0 is full ink), other writers plainly.
void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, unsigned width, bool inverted)
{
    for (unsigned x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

// cmykRow: room for one row of four-byte pixels when the output is CMYK, else null.
bool DecodeStep(Decompressor* d, std::uint8_t* pixels, std::size_t stride, std::uint8_t* cmykRow)
{
    if (setjmp(d->errors.jump))
        return false;
    jpeg_decompress_struct& info = d->info;
    jpeg_start_decompress(&info);
    constexpr unsigned kBatch = 16;
    JSAMPROW rows[kBatch];
    while (info.output_scanline < info.output_height) {
        std::uint8_t* first = pixels + stride * info.output_scanline;
        if (cmykRow) {
            rows[0] = cmykRow;
            if (jpeg_read_scanlines(&info, rows, 1) != 1)
                Abort(reinterpret_cast<j_common_ptr>(&info), "its picture data stops");
            CmykToBgr(cmykRow, first, info.output_width, info.saw_Adobe_marker);
            continue;
        }
        const unsigned count = std::min(kBatch, info.output_height - info.output_scanline);
        for (unsigned i = 0; i < count; ++i)
            rows[i] = first + stride * i;
        if (jpeg_read_scanlines(&info, rows, count) == 0)
            Abort(reinterpret_cast<j_common_ptr>(&info), "its picture data stops");
    }
    // Every row is read; jpeg_finish_decompress is left out on purpose, so that a file that
    // only lacks its end marker still decodes.
    return true;
}

[[noreturn]] void Fail(const Decompressor& d, const std::string& fileName)
{
    throw DecodeError("The picture \"" + fileName +
                      "\" cannot be read as a JPEG picture: " + d.errors.message + ".");
}

PictureSize HeaderSize(const Decompressor& d)
{
    return {static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height)};
}

void CheckDataForSize(const Decompressor& d, std::size_t bytes, const std::string& fileName)
{
    const std::uint64_t pixels = std::uint64_t{d.info.image_width} * d.info.image_height;
    const std::uint64_t ratio = d.info.arith_code ? kMaxArithmeticPixelsPerByte : kMaxHuffmanPixelsPerByte;
    if (pixels > kPixelsAlwaysRead && pixels / ratio > bytes)
        throw DecodeError("The picture \"" + fileName + "\" cannot be read as a JPEG picture: its " +
                          std::to_string(bytes) + " bytes are too few for a picture of " +
                          std::to_string(d.info.image_width) + " x " + std::to_string(d.info.image_height) +
                          "; the file is damaged or cut short.");
}

} // namespace

int JpegScaleFor(PictureSize full, int targetWidth, int targetHeight)
{
    if (targetWidth <= 0 || targetHeight <= 0)
        return 8;
    for (int n = 1; n < 8; ++n) {
        // libjpeg rounds scaled sizes up.
        const std::int64_t w = (std::int64_t{full.width} * n + 7) / 8;
        const std::int64_t h = (std::int64_t{full.height} * n + 7) / 8;
        if (w >= targetWidth && h >= targetHeight)
            return n;
    }
    return 8;
}

PictureSize JpegSize(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    Decompressor d;
    if (!CreateStep(&d) || !ReadHeaderStep(&d, bytes.data(), bytes.size(), nullptr))
        Fail(d, fileName);
    return HeaderSize(d);
}

PictureSize ReadJpegSize(const std::string& path)
{
    const FileHandle file = OpenRegularFile(path, kMaxPictureFileBytes, "picture");
    Decompressor d;
    if (!CreateStep(&d) || !ReadHeaderStep(&d, nullptr, 0, file.get()))
        Fail(d, path);
    return HeaderSize(d);
}

Bitmap DecodeJpeg(std::span<const std::uint8_t> bytes, const std::string& fileName, int targetWidth,
                  int targetHeight)
{
    Decompressor d;
    if (!CreateStep(&d) || !ReadHeaderStep(&d, bytes.data(), bytes.size(), nullptr))
        Fail(d, fileName);
    const int scale = JpegScaleFor(HeaderSize(d), targetWidth, targetHeight);
    if (!PrepareStep(&d, scale))
        Fail(d, fileName);
    // Nothing of the frame is allocated before both checks.
    CheckBitmapSize(d.info.output_width, d.info.output_height, fileName);
    CheckDataForSize(d, bytes.size(), fileName);
    Bitmap bitmap(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height), fileName);
    std::vector<std::uint8_t> cmykRow;
    if (d.info.out_color_space == JCS_CMYK)
        cmykRow.resize(std::size_t{d.info.output_width} * 4);
    if (!DecodeStep(&d, bitmap.Data(), bitmap.Stride(), cmykRow.empty() ? nullptr : cmykRow.data()))
        Fail(d, fileName);
    return bitmap;
}

Bitmap DecodeJpeg(const std::string& path, int targetWidth, int targetHeight)
{
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    return DecodeJpeg(bytes, path, targetWidth, targetHeight);
}

} // namespace ondrix
