// JPEG decoding into 32-bit pixels through libjpeg, at the fastest settings (skin images are
// small; quality differences are below what a skin shows). No windows.h here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "skin/graphics/pixel_view.h"
#include "vcl/sysutils.h"

QW_DECLARE_EXCEPTION(EJpegError, Exception);

// The largest picture accepted in either direction.
constexpr int MaxJpegDimension = 16384;

// A JPEG held in memory as opaque pixels (B, G, R, 255). EJpegError with libjpeg's message for
// data that is not a JPEG or is damaged beyond its header.
TPixelImage DecodeJpegTo32(const uint8_t* data, size_t size);
