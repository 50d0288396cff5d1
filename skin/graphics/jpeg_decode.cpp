#include "skin/graphics/jpeg_decode.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

struct TJpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info)
{
    auto* err = reinterpret_cast<TJpegErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

void OutputMessage(j_common_ptr) {}

// libjpeg leaves by longjmp on errors: only plain C data lives between setjmp and the calls
// that may jump, and the pixels are written through a pointer the caller's frame owns.
bool Decode(const uint8_t* data, size_t size, TPixelImage& out, TJpegErrorManager& err)
{
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    err.message[0] = 0;
    JSAMPLE* row = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        std::free(row);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    info.do_block_smoothing = FALSE;
    info.out_color_space = JCS_RGB;
    if (info.image_width > unsigned(MaxJpegDimension) || info.image_height > unsigned(MaxJpegDimension)) {
        std::snprintf(err.message, sizeof err.message, "the picture is %ux%u pixels", info.image_width,
                      info.image_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    const int w = static_cast<int>(info.output_width), h = static_cast<int>(info.output_height);
    out.Resize(w, h, 0xFF000000u);
    row = static_cast<JSAMPLE*>(std::malloc(size_t(w) * 3 + 1));
    while (info.output_scanline < info.output_height) {
        int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
        uint32_t* dst = out.Data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x)
            dst[x] = 0xFF000000u | uint32_t(row[3 * x]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::free(row);
    return true;
}

}  // namespace

TPixelImage DecodeJpegTo32(const uint8_t* data, size_t size)
{
    TPixelImage image;
    TJpegErrorManager err;
    if (!data || size == 0) throw EJpegError(L"The JPEG picture is empty.");
    if (!Decode(data, size, image, err))
        throw EJpegError(L"The JPEG picture cannot be read: " + FromUtf8(err.message) + L".");
    return image;
}
