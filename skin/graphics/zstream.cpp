#include "skin/graphics/zstream.h"

#include <algorithm>
#include <climits>

namespace {

const wchar_t* const InvalidOperation = L"Invalid ZStream operation!";

// Keeps a multi-gigabyte request from overflowing zlib's 32-bit counters: longer reads loop.
constexpr int64_t MaxChunk = 0x40000000;

}  // namespace

String ZLibResultText(int code)
{
    switch (code) {
    case Z_NEED_DICT: return L"need dictionary";
    case Z_STREAM_END: return L"stream end";
    case Z_OK: return L"ok";
    case Z_ERRNO: return L"file error";
    case Z_STREAM_ERROR: return L"stream error";
    case Z_DATA_ERROR: return L"data error";
    case Z_MEM_ERROR: return L"insufficient memory";
    case Z_BUF_ERROR: return L"buffer error";
    case Z_VERSION_ERROR: return L"incompatible version";
    default: return L"";
    }
}

EZLibError::EZLibError(int code, int) : Exception(ZLibResultText(code)), FErrorCode(code) {}

EZLibError::EZLibError(TZError error, int) : EZLibError(-1 - static_cast<int>(error), 0) {}

EZDecompressionError EZDecompressionError::Operation()
{
    return EZDecompressionError(String(InvalidOperation));
}

// ---- TCustomZStream --------------------------------------------------------------------------

TCustomZStream::TCustomZStream(TStream& stream) : FStream(&stream), FStreamPos(stream.Position()) {}

void TCustomZStream::SetSize(int64_t)
{
    throw EZDecompressionError::Operation();
}

void TCustomZStream::Progress()
{
    if (OnProgress) OnProgress(this);
}

// ---- TZDecompressionStream -------------------------------------------------------------------

TZDecompressionStream::TZDecompressionStream(TStream& source) : TCustomZStream(source)
{
    ResetInput();
    Check(inflateInit(&FZStream));
}

TZDecompressionStream::TZDecompressionStream(TStream& source, int windowBits) : TCustomZStream(source)
{
    ResetInput();
    Check(inflateInit2(&FZStream, windowBits));
}

TZDecompressionStream::~TZDecompressionStream()
{
    inflateEnd(&FZStream);
}

int TZDecompressionStream::Check(int result)
{
    // A stream that asks for a preset dictionary cannot be read: none is ever given, and
    // inflate would ask again on every call without consuming anything.
    if (result < 0 || result == Z_NEED_DICT) throw EZDecompressionError(result, 0);
    return result;
}

void TZDecompressionStream::ResetInput()
{
    FZStream.next_in = FBuffer;
    FZStream.avail_in = 0;
}

int64_t TZDecompressionStream::Read(void* buffer, int64_t count)
{
    if (count <= 0) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t left = count;
    if (FStream->Position() != FStreamPos) FStream->SetPosition(FStreamPos);
    int result = Z_OK;
    while (left > 0 && result != Z_STREAM_END) {
        if (FZStream.avail_in == 0) {
            int64_t got = FStream->Read(FBuffer, sizeof(FBuffer));
            if (got <= 0) return count - left;   // the source ran out
            FZStream.next_in = FBuffer;
            FZStream.avail_in = static_cast<uInt>(got);
            FStreamPos = FStream->Position();
            Progress();
        }
        uInt chunk = static_cast<uInt>(std::min(left, MaxChunk));
        FZStream.next_out = out;
        FZStream.avail_out = chunk;
        result = inflate(&FZStream, Z_NO_FLUSH);
        int64_t produced = chunk - FZStream.avail_out;
        out += produced;
        left -= produced;
        Check(result);
    }
    if (result == Z_STREAM_END && FZStream.avail_in > 0) {
        // Give back what we read past the compressed data, so the source stands right behind it.
        FStream->Seek(-static_cast<int64_t>(FZStream.avail_in), TSeekOrigin::soCurrent);
        FStreamPos = FStream->Position();
        FZStream.avail_in = 0;
    }
    return count - left;
}

int64_t TZDecompressionStream::Write(const void*, int64_t)
{
    throw EZDecompressionError::Operation();
}

int64_t TZDecompressionStream::Seek(int64_t offset, TSeekOrigin origin)
{
    if (offset == 0 && origin == TSeekOrigin::soBeginning) {
        Check(inflateReset(&FZStream));
        ResetInput();
        FStream->SetPosition(0);
        FStreamPos = 0;
        return static_cast<int64_t>(FZStream.total_out);
    }
    int64_t total = static_cast<int64_t>(FZStream.total_out);
    bool forward = (origin == TSeekOrigin::soCurrent && offset >= 0) ||
                   (origin == TSeekOrigin::soBeginning && offset - total > 0);
    if (forward) {
        if (origin == TSeekOrigin::soBeginning) offset -= total;
        uint8_t scratch[0x4000];
        while (offset > 0) {
            int64_t n = std::min<int64_t>(offset, sizeof(scratch));
            ReadBuffer(scratch, n);
            offset -= n;
        }
        return static_cast<int64_t>(FZStream.total_out);
    }
    if (offset == 0 && origin == TSeekOrigin::soEnd) {
        uint8_t scratch[0x4000];
        while (Read(scratch, sizeof(scratch)) > 0) {
        }
        return static_cast<int64_t>(FZStream.total_out);
    }
    throw EZDecompressionError::Operation();
}
