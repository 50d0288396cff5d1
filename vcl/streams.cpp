#include "vcl/streams.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include "vcl/win.h"
#endif

// ---- TStream -------------------------------------------------------------------------------

int64_t TStream::Size()
{
    int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count > 0 && Read(buffer, count) != count) throw EReadError(L"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count > 0 && Write(buffer, count) != count) throw EWriteError(L"Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    int64_t done = 0;
    std::vector<uint8_t> buf(64 * 1024);
    while (done < count) {
        int64_t n = std::min<int64_t>(static_cast<int64_t>(buf.size()), count - done);
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        done += n;
    }
    return done;
}

std::vector<uint8_t> TStream::ReadAllBytes()
{
    int64_t left = Size() - Position();
    std::vector<uint8_t> r(static_cast<size_t>(std::max<int64_t>(left, 0)));
    if (!r.empty()) ReadBuffer(r.data(), static_cast<int64_t>(r.size()));
    return r;
}

// ---- TMemoryStream -------------------------------------------------------------------------

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    if (count <= 0 || FPosition >= Size()) return 0;
    int64_t n = std::min(count, Size() - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0 || FPosition < 0) return 0;
    if (FPosition + count > Size()) FData.resize(static_cast<size_t>(FPosition + count));
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    switch (origin) {
    case TSeekOrigin::soBeginning:
        FPosition = offset;
        break;
    case TSeekOrigin::soCurrent:
        FPosition += offset;
        break;
    case TSeekOrigin::soEnd:
        FPosition = Size() + offset;
        break;
    }
    if (FPosition < 0) FPosition = 0;
    return FPosition;
}

void TMemoryStream::SetSize(int64_t size)
{
    FData.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
    if (FPosition > size) FPosition = size;
}

void TMemoryStream::Clear()
{
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    int64_t n = source.Size();
    FData.resize(static_cast<size_t>(n));
    if (n) source.ReadBuffer(FData.data(), n);
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& fileName)
{
    FData = ReadFileBytes(fileName);
    FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& dest)
{
    dest.WriteBuffer(FData.data(), Size());
}

void TMemoryStream::SaveToFile(const String& fileName)
{
    WriteFileBytes(fileName, FData);
}

// ---- TFileStream ---------------------------------------------------------------------------

#ifdef _WIN32

TFileStream::TFileStream(const String& fileName, uint16_t mode) : FFileName(fileName)
{
    DWORD access, share, disposition;
    if (mode == fmCreate || (mode & 0xFF00) == fmCreate) {
        access = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = CREATE_ALWAYS;
    } else {
        static const DWORD accessOf[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
        access = accessOf[std::min<int>(mode & 3, 2)];
        switch (mode & 0xF0) {
        case fmShareExclusive: share = 0; break;
        case fmShareDenyWrite: share = FILE_SHARE_READ; break;
        case fmShareDenyRead: share = FILE_SHARE_WRITE; break;
        case fmShareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
        default: share = FILE_SHARE_READ; break;
        }
        disposition = OPEN_EXISTING;
    }
    HANDLE h = CreateFileW(fileName.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD err = GetLastError();
        String why = Format(L" (error %u)", {static_cast<unsigned>(err)});
        if (disposition == CREATE_ALWAYS) throw EFCreateError(L"Cannot create file \"" + fileName + L"\"" + why);
        throw EFOpenError(L"Cannot open file \"" + fileName + L"\"" + why);
    }
    FHandle = h;
}

TFileStream::~TFileStream()
{
    if (FHandle) CloseHandle(static_cast<HANDLE>(FHandle));
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    int64_t total = 0;
    auto* p = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<int64_t>(count, 1 << 30)), got = 0;
        if (!ReadFile(static_cast<HANDLE>(FHandle), p, chunk, &got, nullptr) || got == 0) break;
        total += got;
        p += got;
        count -= got;
    }
    return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    int64_t total = 0;
    auto* p = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<int64_t>(count, 1 << 30)), put = 0;
        if (!WriteFile(static_cast<HANDLE>(FHandle), p, chunk, &put, nullptr) || put == 0) break;
        total += put;
        p += put;
        count -= put;
    }
    return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    LARGE_INTEGER dist, pos;
    dist.QuadPart = offset;
    DWORD how = origin == TSeekOrigin::soBeginning ? FILE_BEGIN : origin == TSeekOrigin::soCurrent ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(static_cast<HANDLE>(FHandle), dist, &pos, how)) return -1;
    return pos.QuadPart;
}

void TFileStream::SetSize(int64_t size)
{
    int64_t pos = Position();
    Seek(size, TSeekOrigin::soBeginning);
    if (!SetEndOfFile(static_cast<HANDLE>(FHandle))) throw EStreamError(L"Cannot set the size of \"" + FFileName + L"\"");
    if (pos < size) Seek(pos, TSeekOrigin::soBeginning);
}

bool FileExists(const String& fileName)
{
    DWORD a = GetFileAttributesW(fileName.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const String& dir)
{
    DWORD a = GetFileAttributesW(dir.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const String& fileName)
{
    return DeleteFileW(fileName.c_str()) != 0;
}

#else

TFileStream::TFileStream(const String& fileName, uint16_t mode) : FFileName(fileName)
{
    std::string name = ToUtf8(fileName);
    const char* how = mode == fmCreate ? "w+b" : (mode & 3) == fmOpenRead ? "rb" : "r+b";
    FHandle = std::fopen(name.c_str(), how);
    if (!FHandle) {
        if (mode == fmCreate) throw EFCreateError(L"Cannot create file \"" + fileName + L"\"");
        throw EFOpenError(L"Cannot open file \"" + fileName + L"\"");
    }
}

TFileStream::~TFileStream()
{
    if (FHandle) std::fclose(static_cast<FILE*>(FHandle));
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    return count <= 0 ? 0 : static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), static_cast<FILE*>(FHandle)));
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    return count <= 0 ? 0 : static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), static_cast<FILE*>(FHandle)));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int how = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    if (fseeko(static_cast<FILE*>(FHandle), offset, how) != 0) return -1;
    return ftello(static_cast<FILE*>(FHandle));
}

void TFileStream::SetSize(int64_t size)
{
    std::fflush(static_cast<FILE*>(FHandle));
    std::error_code ec;
    std::filesystem::resize_file(ToUtf8(FFileName), static_cast<uintmax_t>(size), ec);
    if (ec) throw EStreamError(L"Cannot set the size of \"" + FFileName + L"\"");
}

bool FileExists(const String& fileName)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(ToUtf8(fileName), ec);
}

bool DirectoryExists(const String& dir)
{
    std::error_code ec;
    return std::filesystem::is_directory(ToUtf8(dir), ec);
}

bool RemoveFile(const String& fileName)
{
    std::error_code ec;
    return std::filesystem::remove(ToUtf8(fileName), ec);
}

#endif

bool ForceDirectories(const String& dir)
{
    String d = ExcludeTrailingPathDelimiter(dir);
    if (d.empty()) return false;
    if (DirectoryExists(d)) return true;
    String parent = ExtractFileDir(d);
    if (!parent.empty() && parent != d && !ForceDirectories(parent)) return false;
#ifdef _WIN32
    return CreateDirectoryW(d.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
#else
    std::error_code ec;
    std::filesystem::create_directory(ToUtf8(d), ec);
    return !ec;
#endif
}

std::vector<uint8_t> ReadFileBytes(const String& fileName)
{
    TFileStream f(fileName, fmOpenRead | fmShareDenyNone);
    return f.ReadAllBytes();
}

void WriteFileBytes(const String& fileName, const std::vector<uint8_t>& bytes)
{
    TFileStream f(fileName, fmCreate);
    f.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}
