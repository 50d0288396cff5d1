#include "support/config/soup_config.h"

#include <shlobj.h>

#include "support/system/system_info.h"
#include "vcl/application.h"
#include "vcl/application_hooks.h"

REGSAM RegAccessMask(TRegAccess access)
{
    static const REGSAM rights[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x20019, 0x20006, 0x20019, 0xF003F};
    REGSAM mask = 0;
    for (int i = 0; i < 10; ++i)
        if (access & (1u << i)) mask |= rights[i];
    return mask;
}

HKEY RegKeyRoot(TRegKey key)
{
    return reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000000u + static_cast<unsigned>(key)));
}

TSoupConfig::TSoupConfig(TComponent* owner) : TComponent(owner) {}

TSoupConfig::~TSoupConfig()
{
    if (!FAutoUpdateIniFile && FIni) {
        try {
            FIni->UpdateFile();
        } catch (...) {
            // A destructor must not throw; the write failure is reported, not lost silently.
            HandleExceptionFromCallback(L"settings file");
        }
    }
}

#define QW_SETTER(Name, Field)              \
    void TSoupConfig::Set##Name(decltype(Field) value) \
    {                                        \
        if (Field == value) return;          \
        Field = value;                       \
        MarkChanged();                       \
    }
void TSoupConfig::SetPath(const String& value)
{
    if (FPath == value) return;
    FPath = value;
    MarkChanged();
}
QW_SETTER(PathType, FPathType)
QW_SETTER(RegKey, FRegKey)
QW_SETTER(RegAccess, FRegAccess)
QW_SETTER(SpecialFolder, FSpecialFolder)
QW_SETTER(FileEncoding, FFileEncoding)
#undef QW_SETTER

namespace {

String SpecialFolderPath(TSpecialFolder folder)
{
    static const int csidl[] = {0, 26 /* CSIDL_APPDATA */, 28 /* CSIDL_LOCAL_APPDATA */, 5 /* CSIDL_PERSONAL */,
                                35 /* CSIDL_COMMON_APPDATA */};
    if (!SystemFigures().isWinNT || !WindowsVersionAtLeast(5, 0)) return String();
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    if (!shell) return String();
    using Fn = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSpecialFolderPathW")));
    String result;
    wchar_t buf[MAX_PATH + 1] = {};
    if (fn && fn(nullptr, buf, csidl[static_cast<int>(folder)], FALSE)) result = IncludeTrailingPathDelimiter(buf);
    FreeLibrary(shell);
    return result;
}

String ExeName()
{
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
    return String(buf, n);
}

TTextEncoding ToTextEncoding(TIniFileEncoding e)
{
    switch (e) {
    case TIniFileEncoding::feUTF8: return TTextEncoding::UTF8;
    case TIniFileEncoding::feUnicode: return TTextEncoding::Unicode;
    default: return TTextEncoding::Default;
    }
}

}  // namespace

void TSoupConfig::RebuildStorage()
{
    FIni.reset();
    FReg.reset();
    String path = FPath;
    if (FPathType == TPathType::ptIniFile) {
        if (FSpecialFolder != TSpecialFolder::sfNone) {
            String base = SpecialFolderPath(FSpecialFolder);
            if (!base.empty()) {
                String folder = base + ExtractFilePath(path);
                ForceDirectories(folder);
                base = IncludeTrailingPathDelimiter(folder);
            }
            if (!base.empty()) {
                String name = ExtractFileName(path);
                if (name.empty()) name = ExtractFileName(ExeName());
                path = base + ChangeFileExt(name, L".ini");
            }
        }
        if (path.empty()) path = ChangeFileExt(ExeName(), L".ini");
        else if (ExtractFilePath(path).empty()) path = ExtractFilePath(ExeName()) + ChangeFileExt(path, L".ini");
        FIni = std::make_unique<TMemIniFile>(path, ToTextEncoding(FFileEncoding));
    } else {
        if (path.empty()) {
            String title = Application ? Application->Title() : String();
            path = L"\\Software\\Temp\\" + (title.empty() ? ChangeFileExt(ExtractFileName(ExeName()), L"") : title);
        }
        REGSAM access = RegAccessMask(FRegAccess);
        // The registry-backed INI object opens its key under the chosen root.
        auto reg = std::make_unique<TRegistryIniFile>(String(), access);
        reg->RegIniFile().SetRootKey(RegKeyRoot(FRegKey));
        if (!reg->RegIniFile().OpenKey(path, true))
            throw ERegistryException(L"Failed to open or create registry key " + RootKeyName(RegKeyRoot(FRegKey)) + path);
        FReg = std::move(reg);
    }
    FPath = path;
    FRefreshStorage = false;
}

TCustomIniFile& TSoupConfig::Storage()
{
    if (FRefreshStorage) RebuildStorage();
    if (FPathType == TPathType::ptIniFile) return *FIni;
    return *FReg;
}

void TSoupConfig::AfterWrite()
{
    if (FPathType == TPathType::ptIniFile && FAutoUpdateIniFile) UpdateIniFile();
}

void TSoupConfig::UpdateIniFile()
{
    if (FPathType != TPathType::ptIniFile) return;
    Storage();
    FIni->SetEncoding(ToTextEncoding(FFileEncoding));
    FIni->UpdateFile();
}

bool TSoupConfig::ReadBool(const String& s, const String& k, bool def) { return Storage().ReadBool(s, k, def); }
int TSoupConfig::ReadInteger(const String& s, const String& k, int def) { return Storage().ReadInteger(s, k, def); }
String TSoupConfig::ReadString(const String& s, const String& k, const String& def) { return Storage().ReadString(s, k, def); }
double TSoupConfig::ReadFloat(const String& s, const String& k, double def) { return Storage().ReadFloat(s, k, def); }
TDateTime TSoupConfig::ReadDate(const String& s, const String& k, TDateTime def) { return Storage().ReadDate(s, k, def); }
TDateTime TSoupConfig::ReadDateTime(const String& s, const String& k, TDateTime def) { return Storage().ReadDateTime(s, k, def); }
TDateTime TSoupConfig::ReadTime(const String& s, const String& k, TDateTime def) { return Storage().ReadTime(s, k, def); }
int TSoupConfig::ReadBinaryStream(const String& s, const String& k, TStream& v) { return Storage().ReadBinaryStream(s, k, v); }

void TSoupConfig::WriteBool(const String& s, const String& k, bool v) { Storage().WriteBool(s, k, v); AfterWrite(); }
void TSoupConfig::WriteInteger(const String& s, const String& k, int v) { Storage().WriteInteger(s, k, v); AfterWrite(); }
void TSoupConfig::WriteString(const String& s, const String& k, const String& v) { Storage().WriteString(s, k, v); AfterWrite(); }
void TSoupConfig::WriteFloat(const String& s, const String& k, double v) { Storage().WriteFloat(s, k, v); AfterWrite(); }
void TSoupConfig::WriteDate(const String& s, const String& k, TDateTime v) { Storage().WriteDate(s, k, v); AfterWrite(); }
void TSoupConfig::WriteDateTime(const String& s, const String& k, TDateTime v) { Storage().WriteDateTime(s, k, v); AfterWrite(); }
void TSoupConfig::WriteTime(const String& s, const String& k, TDateTime v) { Storage().WriteTime(s, k, v); AfterWrite(); }
void TSoupConfig::WriteBinaryStream(const String& s, const String& k, TStream& v) { Storage().WriteBinaryStream(s, k, v); AfterWrite(); }
void TSoupConfig::EraseSection(const String& s) { Storage().EraseSection(s); AfterWrite(); }
void TSoupConfig::DeleteKey(const String& s, const String& k) { Storage().DeleteKey(s, k); AfterWrite(); }

bool TSoupConfig::SectionExists(const String& s) { return Storage().SectionExists(s); }
bool TSoupConfig::ValueExists(const String& s, const String& k) { return Storage().ValueExists(s, k); }
void TSoupConfig::ReadSection(const String& s, TStrings& keys) { Storage().ReadSection(s, keys); }
void TSoupConfig::ReadSections(TStrings& sections) { Storage().ReadSections(sections); }

void TSoupConfig::ReadSectionValues(const String& section, TStrings& lines)
{
    if (FPathType == TPathType::ptIniFile) {
        Storage().ReadSectionValues(section, lines);
        return;
    }
    Storage();
    lines.BeginUpdate();
    lines.Clear();
    TRegistry reg(KEY_READ);
    reg.SetRootKey(RegKeyRoot(FRegKey));
    String key = FPath;
    if (!key.empty() && key.back() != L'\\') key += L'\\';
    if (reg.OpenKeyReadOnly(key + section)) {
        TStringList names;
        reg.GetValueNames(names);
        names.Sort();
        for (int i = 0; i < names.Count(); ++i) {
            String name = names[i];
            String shown = name.empty() ? String(L"Default") : name;
            TRegDataInfo info;
            reg.GetDataInfo(name, info);
            switch (info.RegData) {
            case TRegDataType::rdString:
            case TRegDataType::rdExpandString:
                lines.Add(shown + L"=" + reg.ReadString(name));
                break;
            case TRegDataType::rdInteger:
                lines.Add(shown + L"=" + IntToStr(reg.ReadInteger(name)));
                break;
            case TRegDataType::rdBinary: {
                std::vector<uint8_t> bytes(info.DataSize);
                if (!bytes.empty()) reg.ReadBinaryData(name, bytes.data(), static_cast<int>(bytes.size()));
                String hex;
                for (uint8_t b : bytes) hex += IntToHex(b, 2) + L" ";
                lines.Add(shown + L"=" + hex);
                break;
            }
            default:
                lines.Add(shown + L"=Unknown Data Type");
            }
        }
    }
    lines.EndUpdate();
}
