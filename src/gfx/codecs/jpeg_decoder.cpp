// JPEG through the IJG interface of libjpeg-turbo, with the decoding settings the documents were
// shown and printed with: full scale, the accurate integer DCT, fancy upsampling and block
// smoothing (the library's defaults); 24-bit RGB for the screen, and for printing 8-bit output
// quantised by the library to 236 colours (two-pass quantiser, Floyd-Steinberg dithering).
//
// The library reports fatal errors through error_exit, which here jumps back to decodeJpeg
// instead of ending the program; warnings (a truncated stream, extraneous bytes) are silent and
// the library fills in what is missing, as it does for every program that uses it.
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <string>

#include <jpeglib.h>

#include "gfx/codecs/codecs.h"

namespace vr {
namespace {

constexpr uint64_t kMaxPixels = uint64_t{1} << 27;
// A real JPEG spends at least a fraction of a bit on each pixel: a stream claiming more pixels
// per byte than this describes nothing but its header.
constexpr uint64_t kMaxPixelsPerByte = 4096;
constexpr long kMaxMemory = 512L * 1024 * 1024;
constexpr int kMaxScans = 1000;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// The state of one decode, outside the frame that calls setjmp, so that nothing with a destructor
// lives where the library's error jump lands.
struct Job {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    const uint8_t* data = nullptr;
    size_t size = 0;
    JpegOutput output = JpegOutput::Rgb24;
    QImage image;
    std::vector<uint8_t> row;
    const char* limitError = nullptr;
};

void errorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr) { }

// Corrupt progressive streams can hold any number of scans; a real one has a handful.
void progressMonitor(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->is_decompressor && d->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "too many scans");
        std::longjmp(err->jump, 1);
    }
}

uint8_t fromCmyk(int c, int k, bool inverted)
{
    // Adobe's applications write CMYK inverted (0 = full ink); others write it plainly.
    return inverted ? static_cast<uint8_t>((c * k + 127) / 255)
                    : static_cast<uint8_t>(((255 - c) * (255 - k) + 127) / 255);
}

// Runs the library; false with err.message on any error. Only plain data and pointers here.
bool run(Job* job)
{
    jpeg_decompress_struct* cinfo = &job->cinfo;
    if (setjmp(job->err.jump))
        return false;
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = kMaxMemory;
    job->progress.progress_monitor = progressMonitor;
    cinfo->progress = &job->progress;
    jpeg_mem_src(cinfo, job->data, static_cast<unsigned long>(job->size));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK)
        return false;

    const uint64_t pixels = uint64_t(cinfo->image_width) * cinfo->image_height;
    if (pixels == 0 || pixels > kMaxPixels || pixels > uint64_t(job->size) * kMaxPixelsPerByte) {
        job->limitError = "image too large for its data";
        return false;
    }

    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    const bool inverted = cinfo->saw_Adobe_marker;
    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
    cinfo->dct_method = JDCT_ISLOW;
    cinfo->do_fancy_upsampling = TRUE;
    cinfo->do_block_smoothing = TRUE;
    // The library's quantisers work on RGB or grey output; CMYK pictures print from their
    // 24-bit form.
    const bool quantise = job->output == JpegOutput::Quantised236 && !cmyk;
    if (quantise) {
        // The output colour space stays the library's choice: RGB for colour pictures (two-pass
        // quantiser), grey for grey ones (the library then quantises the grey levels itself).
        cinfo->quantize_colors = TRUE;
        cinfo->desired_number_of_colors = 236;
        cinfo->two_pass_quantize = TRUE;
        cinfo->dither_mode = JDITHER_FS;
    } else {
        cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    }

    jpeg_start_decompress(cinfo);
    const int w = static_cast<int>(cinfo->output_width), h = static_cast<int>(cinfo->output_height);
    const int comps = cinfo->output_components;
    job->image = QImage(w, h, QImage::Format_RGB32);
    if (job->image.isNull()) {
        job->limitError = "out of memory";
        return false;
    }
    job->row.resize(size_t(w) * size_t(comps));
    JSAMPROW rows[1] = {job->row.data()};
    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = static_cast<int>(cinfo->output_scanline);
        if (jpeg_read_scanlines(cinfo, rows, 1) != 1)
            break;
        auto* out = reinterpret_cast<uint32_t*>(job->image.scanLine(y));
        const uint8_t* in = job->row.data();
        for (int x = 0; x < w; ++x) {
            uint32_t r, g, b;
            if (quantise) {
                const int index = in[x];
                const bool grey = cinfo->out_color_components == 1;
                r = cinfo->colormap[0][index];
                g = grey ? r : cinfo->colormap[1][index];
                b = grey ? r : cinfo->colormap[2][index];
            } else if (cmyk) {
                const uint8_t* p = in + 4 * x;
                r = fromCmyk(p[0], p[3], inverted);
                g = fromCmyk(p[1], p[3], inverted);
                b = fromCmyk(p[2], p[3], inverted);
            } else {
                r = in[3 * x];
                g = in[3 * x + 1];
                b = in[3 * x + 2];
            }
            out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

}  // namespace

QImage decodeJpeg(const uint8_t* data, size_t size, JpegOutput out)
{
    auto job = std::make_unique<Job>();
    job->cinfo.err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = errorExit;
    job->err.pub.output_message = outputMessage;
    job->data = data;
    job->size = size;
    job->output = out;
    if (size == 0)
        throw GraphicError("JPEG image is empty");
    const bool ok = run(job.get());
    jpeg_destroy_decompress(&job->cinfo);
    if (!ok) {
        std::string why = job->limitError ? job->limitError : job->err.message;
        throw GraphicError("JPEG error: " + (why.empty() ? std::string("not a JPEG image") : why));
    }
    return std::move(job->image);
}

}  // namespace vr
