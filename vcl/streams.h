// Byte streams: TStream, TMemoryStream, TBytesStream and TFileStream. No windows.h here.
#pragma once

#include <cstdint>
#include <vector>

#include "vcl/classes.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
    // Read and Write move up to count bytes and answer how many moved.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size();
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
    // All or nothing: EReadError / EWriteError when fewer bytes move.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source (all of it from its start when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);
    std::vector<uint8_t> ReadAllBytes();   // from the current position to the end
};

class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t size) override;
    void Clear();

    uint8_t* Memory() { return FData.data(); }
    const uint8_t* Memory() const { return FData.data(); }
    const std::vector<uint8_t>& Bytes() const { return FData; }
    void LoadFromStream(TStream& source);
    void LoadFromFile(const String& fileName);
    void SaveToStream(TStream& dest);
    void SaveToFile(const String& fileName);

protected:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

class TBytesStream : public TMemoryStream {
public:
    TBytesStream() = default;
    explicit TBytesStream(std::vector<uint8_t> bytes) { FData = std::move(bytes); }
};

// File modes, combinable as in the component library: one access mode, one share mode.
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

class TFileStream : public TStream {
public:
    // EFOpenError / EFCreateError with the file name when the file cannot be opened.
    TFileStream(const String& fileName, uint16_t mode);
    ~TFileStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    const String& FileName() const { return FFileName; }

private:
    String FFileName;
    void* FHandle = nullptr;   // HANDLE on Windows, FILE* elsewhere
};

// Whole-file helpers; they raise EFOpenError / EFCreateError.
std::vector<uint8_t> ReadFileBytes(const String& fileName);
void WriteFileBytes(const String& fileName, const std::vector<uint8_t>& bytes);
bool FileExists(const String& fileName);
bool DirectoryExists(const String& dir);
bool ForceDirectories(const String& dir);
bool RemoveFile(const String& fileName);
