// A read-only stream that inflates zlib data taken from another stream. No windows.h here.
#pragma once

#include <cstdint>

#include <zlib.h>

#include "vcl/methods.h"
#include "vcl/streams.h"
#include "vcl/sysutils.h"

using TZStreamRec = z_stream;

enum class TZError { zeError, zeStreamError, zeDataError, zeMemoryError, zeBufferError, zeVersionError };

// A failure of zlib with its result code.
class EZLibError : public Exception {
public:
    EZLibError(int code, int dummy);
    EZLibError(TZError error, int dummy);
    int ErrorCode() const noexcept { return FErrorCode; }

protected:
    EZLibError(String message, int code) : Exception(std::move(message)), FErrorCode(code) {}
    int FErrorCode;
};

class EZDecompressionError : public EZLibError {
public:
    using EZLibError::EZLibError;
    // An error that is not a zlib result ("Invalid ZStream operation!").
    static EZDecompressionError Operation();

private:
    EZDecompressionError(String message) : EZLibError(std::move(message), 0) {}
};

// Text of a zlib result code, "" for codes zlib does not define.
String ZLibResultText(int code);

class TCustomZStream : public TStream {
public:
    explicit TCustomZStream(TStream& stream);

    TNotifyEvent OnProgress;

protected:
    void SetSize(int64_t) override;
    void Progress();

    TStream* FStream;      // not owned
    int64_t FStreamPos;    // where the source stood after our last access to it
    TZStreamRec FZStream{};
    // The input buffer is part of the object so a stream costs one allocation.
    uint8_t FBuffer[0x20000];
};

class TZDecompressionStream : public TCustomZStream {
public:
    explicit TZDecompressionStream(TStream& source);
    TZDecompressionStream(TStream& source, int windowBits);
    ~TZDecompressionStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // Only forward moves (by decompressing), a restart at 0 and the end; answers the number of
    // bytes produced so far.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

private:
    int Check(int result);
    void ResetInput();
};
