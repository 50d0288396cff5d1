#include "vcl/registry.h"

#include <vector>

TRegistry::TRegistry(REGSAM access) : FAccess(access) {}

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(HKEY root)
{
    if (root == FRootKey) return;
    CloseKey();
    FRootKey = root;
}

void TRegistry::CloseKey()
{
    if (FCurrentKey) RegCloseKey(FCurrentKey);
    FCurrentKey = nullptr;
    FCurrentPath.clear();
}

HKEY TRegistry::BaseKey(bool relative) const
{
    return (relative && FCurrentKey) ? FCurrentKey : FRootKey;
}

void TRegistry::ChangeKey(HKEY key, const String& path)
{
    CloseKey();
    FCurrentKey = key;
    FCurrentPath = path;
}

static String StripLeading(const String& key, bool& relative)
{
    relative = key.empty() || key[0] != L'\\';
    String k = relative ? key : key.substr(1);
    return ExcludeTrailingPathDelimiter(k);
}

bool TRegistry::OpenKey(const String& key, bool canCreate)
{
    bool relative;
    String k = StripLeading(key, relative);
    HKEY result = nullptr;
    LONG rc;
    if (canCreate && !k.empty()) {
        rc = RegCreateKeyExW(BaseKey(relative), k.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr, &result, nullptr);
    } else {
        rc = RegOpenKeyExW(BaseKey(relative), k.c_str(), 0, FAccess, &result);
    }
    if (rc != ERROR_SUCCESS) return false;
    String path = relative && !FCurrentPath.empty() ? FCurrentPath + L"\\" + k : k;
    ChangeKey(result, path);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const String& key)
{
    REGSAM save = FAccess;
    FAccess = KEY_READ;
    bool ok = OpenKey(key, false);
    FAccess = save;
    return ok;
}

bool TRegistry::CreateKey(const String& key)
{
    bool relative;
    String k = StripLeading(key, relative);
    HKEY result = nullptr;
    if (RegCreateKeyExW(BaseKey(relative), k.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &result, nullptr) !=
        ERROR_SUCCESS)
        throw ERegistryException(L"Failed to create key " + key);
    RegCloseKey(result);
    return true;
}

bool TRegistry::DeleteKey(const String& key)
{
    bool relative;
    String k = StripLeading(key, relative);
    return RegDeleteTreeW(BaseKey(relative), k.c_str()) == ERROR_SUCCESS &&
           RegDeleteKeyW(BaseKey(relative), k.c_str()) != ERROR_ACCESS_DENIED;
}

bool TRegistry::KeyExists(const String& key)
{
    bool relative;
    String k = StripLeading(key, relative);
    HKEY h;
    if (RegOpenKeyExW(BaseKey(relative), k.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

bool TRegistry::HasSubKeys()
{
    DWORD n = 0;
    return FCurrentKey && RegQueryInfoKeyW(FCurrentKey, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr, nullptr,
                                           nullptr, nullptr) == ERROR_SUCCESS && n > 0;
}

void TRegistry::GetKeyNames(TStrings& names)
{
    names.BeginUpdate();
    names.Clear();
    if (FCurrentKey) {
        wchar_t buf[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = 256;
            if (RegEnumKeyExW(FCurrentKey, i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.Add(String(buf, len));
        }
    }
    names.EndUpdate();
}

void TRegistry::GetValueNames(TStrings& names)
{
    names.BeginUpdate();
    names.Clear();
    if (FCurrentKey) {
        std::vector<wchar_t> buf(16384);
        for (DWORD i = 0;; ++i) {
            DWORD len = static_cast<DWORD>(buf.size());
            if (RegEnumValueW(FCurrentKey, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.Add(String(buf.data(), len));
        }
    }
    names.EndUpdate();
}

bool TRegistry::GetDataInfo(const String& name, TRegDataInfo& info)
{
    DWORD type = 0, size = 0;
    info = TRegDataInfo{};
    if (!FCurrentKey || RegQueryValueExW(FCurrentKey, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    switch (type) {
    case REG_SZ: info.RegData = TRegDataType::rdString; break;
    case REG_EXPAND_SZ: info.RegData = TRegDataType::rdExpandString; break;
    case REG_DWORD: info.RegData = TRegDataType::rdInteger; break;
    case REG_BINARY: info.RegData = TRegDataType::rdBinary; break;
    default: info.RegData = TRegDataType::rdUnknown; break;
    }
    info.DataSize = size;
    return true;
}

bool TRegistry::ValueExists(const String& name)
{
    TRegDataInfo info;
    return GetDataInfo(name, info);
}

bool TRegistry::DeleteValue(const String& name)
{
    return FCurrentKey && RegDeleteValueW(FCurrentKey, name.c_str()) == ERROR_SUCCESS;
}

TRegDataType TRegistry::GetDataType(const String& name)
{
    TRegDataInfo info;
    GetDataInfo(name, info);
    return info.RegData;
}

int TRegistry::GetDataSize(const String& name)
{
    TRegDataInfo info;
    return GetDataInfo(name, info) ? static_cast<int>(info.DataSize) : -1;
}

String TRegistry::ReadString(const String& name)
{
    TRegDataInfo info;
    if (!GetDataInfo(name, info)) return String();
    if (info.RegData != TRegDataType::rdString && info.RegData != TRegDataType::rdExpandString)
        throw ERegistryException(L"Invalid data type for '" + name + L"'");
    std::vector<wchar_t> buf(info.DataSize / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    if (RegQueryValueExW(FCurrentKey, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
        throw ERegistryException(L"Failed to get data for '" + name + L"'");
    size_t len = size / sizeof(wchar_t);
    while (len > 0 && buf[len - 1] == L'\0') --len;
    return String(buf.data(), len);
}

int TRegistry::ReadInteger(const String& name)
{
    DWORD type = 0, value = 0, size = sizeof(value);
    if (!FCurrentKey || RegQueryValueExW(FCurrentKey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        throw ERegistryException(L"Invalid data type for '" + name + L"'");
    return static_cast<int>(value);
}

double TRegistry::ReadFloat(const String& name)
{
    double v = 0;
    if (ReadBinaryData(name, &v, sizeof v) != sizeof v) throw ERegistryException(L"Invalid data type for '" + name + L"'");
    return v;
}

int TRegistry::ReadBinaryData(const String& name, void* buffer, int size)
{
    DWORD type = 0, got = static_cast<DWORD>(size);
    if (!FCurrentKey || RegQueryValueExW(FCurrentKey, name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &got) != ERROR_SUCCESS)
        throw ERegistryException(L"Failed to get data for '" + name + L"'");
    return static_cast<int>(got);
}

void TRegistry::PutData(const String& name, const void* data, DWORD size, DWORD type)
{
    if (!FCurrentKey || RegSetValueExW(FCurrentKey, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        throw ERegistryException(L"Failed to set data for '" + name + L"'");
}

void TRegistry::WriteString(const String& name, const String& value)
{
    PutData(name, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), REG_SZ);
}

void TRegistry::WriteExpandString(const String& name, const String& value)
{
    PutData(name, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), REG_EXPAND_SZ);
}

void TRegistry::WriteInteger(const String& name, int value)
{
    DWORD v = static_cast<DWORD>(value);
    PutData(name, &v, sizeof v, REG_DWORD);
}

void TRegistry::WriteFloat(const String& name, double value)
{
    PutData(name, &value, sizeof value, REG_BINARY);
}

void TRegistry::WriteBinaryData(const String& name, const void* buffer, int size)
{
    PutData(name, buffer, static_cast<DWORD>(size), REG_BINARY);
}

// ---- TRegistryIniFile ----------------------------------------------------------------------

TRegistryIniFile::TRegistryIniFile(const String& fileName, REGSAM access) : TCustomIniFile(fileName), FReg(access)
{
    FReg.OpenKey(fileName, true);
}

bool TRegistryIniFile::OpenSection(TRegistry& reg, const String& section, bool canCreate)
{
    reg.SetRootKey(FReg.RootKey());
    String base = L"\\" + FReg.CurrentPath();
    String path = section.empty() ? base : IncludeTrailingPathDelimiter(base) + section;
    return canCreate ? reg.OpenKey(path, true) : reg.OpenKeyReadOnly(path);
}

String TRegistryIniFile::ReadString(const String& section, const String& ident, const String& def)
{
    TRegistry reg(KEY_READ);
    if (!OpenSection(reg, section, false) || !reg.ValueExists(ident)) return def;
    try {
        switch (reg.GetDataType(ident)) {
        case TRegDataType::rdString:
        case TRegDataType::rdExpandString: return reg.ReadString(ident);
        case TRegDataType::rdInteger: return IntToStr(reg.ReadInteger(ident));
        default: return def;
        }
    } catch (const ERegistryException&) {
        return def;
    }
}

void TRegistryIniFile::WriteString(const String& section, const String& ident, const String& value)
{
    TRegistry reg(FReg.Access());
    if (!OpenSection(reg, section, true)) throw ERegistryException(L"Failed to create key " + section);
    reg.WriteString(ident, value);
}

int TRegistryIniFile::ReadInteger(const String& section, const String& ident, int def)
{
    TRegistry reg(KEY_READ);
    if (!OpenSection(reg, section, false) || !reg.ValueExists(ident)) return def;
    try {
        if (reg.GetDataType(ident) == TRegDataType::rdInteger) return reg.ReadInteger(ident);
        int v;
        return TryStrToInt(Trim(reg.ReadString(ident)), v) ? v : def;
    } catch (const ERegistryException&) {
        return def;
    }
}

void TRegistryIniFile::WriteInteger(const String& section, const String& ident, int value)
{
    TRegistry reg(FReg.Access());
    if (!OpenSection(reg, section, true)) throw ERegistryException(L"Failed to create key " + section);
    reg.WriteInteger(ident, value);
}

bool TRegistryIniFile::ReadBool(const String& section, const String& ident, bool def)
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegistryIniFile::WriteBool(const String& section, const String& ident, bool value)
{
    WriteInteger(section, ident, value ? 1 : 0);
}

void TRegistryIniFile::ReadSection(const String& section, TStrings& idents)
{
    TRegistry reg(KEY_READ);
    if (OpenSection(reg, section, false)) reg.GetValueNames(idents);
    else idents.Clear();
}

void TRegistryIniFile::ReadSections(TStrings& sections)
{
    TRegistry reg(KEY_READ);
    if (OpenSection(reg, String(), false)) reg.GetKeyNames(sections);
    else sections.Clear();
}

void TRegistryIniFile::ReadSectionValues(const String& section, TStrings& lines)
{
    TStringList names;
    ReadSection(section, names);
    lines.BeginUpdate();
    lines.Clear();
    for (int i = 0; i < names.Count(); ++i) lines.Add(names[i] + L"=" + ReadString(section, names[i], String()));
    lines.EndUpdate();
}

void TRegistryIniFile::EraseSection(const String& section)
{
    TRegistry reg(FReg.Access());
    reg.SetRootKey(FReg.RootKey());
    reg.DeleteKey(IncludeTrailingPathDelimiter(L"\\" + FReg.CurrentPath()) + section);
}

void TRegistryIniFile::DeleteKey(const String& section, const String& ident)
{
    TRegistry reg(FReg.Access());
    if (OpenSection(reg, section, false)) reg.DeleteValue(ident);
}

bool TRegistryIniFile::SectionExists(const String& section)
{
    TRegistry reg(KEY_READ);
    return OpenSection(reg, section, false);
}

bool TRegistryIniFile::ValueExists(const String& section, const String& ident)
{
    TRegistry reg(KEY_READ);
    return OpenSection(reg, section, false) && reg.ValueExists(ident);
}
