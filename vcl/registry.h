// The registry: TRegistry over one open key, and TRegistryIniFile, which shows a key as an
// INI file (sections are subkeys, idents are values).
#pragma once

#include "vcl/win.h"

#include "vcl/inifiles.h"
#include "vcl/strings.h"

QW_DECLARE_EXCEPTION(ERegistryException, Exception);

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = TRegDataType::rdUnknown;
    DWORD DataSize = 0;
};

class TRegistry : public TObject {
public:
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
    ~TRegistry() override;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY root);
    HKEY CurrentKey() const { return FCurrentKey; }
    const String& CurrentPath() const { return FCurrentPath; }
    REGSAM Access() const { return FAccess; }
    void SetAccess(REGSAM access) { FAccess = access; }

    // A key path starting with "\" is taken from the root, otherwise from the current key.
    bool OpenKey(const String& key, bool canCreate);
    bool OpenKeyReadOnly(const String& key);
    void CloseKey();
    bool CreateKey(const String& key);
    bool DeleteKey(const String& key);   // with its subkeys
    bool KeyExists(const String& key);
    bool HasSubKeys();
    void GetKeyNames(TStrings& names);
    void GetValueNames(TStrings& names);

    bool ValueExists(const String& name);
    bool DeleteValue(const String& name);
    bool GetDataInfo(const String& name, TRegDataInfo& info);
    TRegDataType GetDataType(const String& name);
    int GetDataSize(const String& name);   // -1 when the value is missing

    // Reads raise ERegistryException when the value is missing or of another type.
    String ReadString(const String& name);
    int ReadInteger(const String& name);
    bool ReadBool(const String& name) { return ReadInteger(name) != 0; }
    double ReadFloat(const String& name);
    int ReadBinaryData(const String& name, void* buffer, int size);
    void WriteString(const String& name, const String& value);
    void WriteExpandString(const String& name, const String& value);
    void WriteInteger(const String& name, int value);
    void WriteBool(const String& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    void WriteFloat(const String& name, double value);
    void WriteBinaryData(const String& name, const void* buffer, int size);

private:
    HKEY BaseKey(bool relative) const;
    void ChangeKey(HKEY key, const String& path);
    void PutData(const String& name, const void* data, DWORD size, DWORD type);

    HKEY FRootKey = HKEY_CURRENT_USER;
    HKEY FCurrentKey = nullptr;
    String FCurrentPath;
    REGSAM FAccess;
};

class TRegistryIniFile : public TCustomIniFile {
public:
    // Opens (creating it when missing) fileName as a key path under HKEY_CURRENT_USER; the
    // root can be changed with RegIniFile().SetRootKey and the key opened again.
    explicit TRegistryIniFile(const String& fileName, REGSAM access = KEY_ALL_ACCESS);

    TRegistry& RegIniFile() { return FReg; }

    String ReadString(const String& section, const String& ident, const String& def) override;
    void WriteString(const String& section, const String& ident, const String& value) override;
    int ReadInteger(const String& section, const String& ident, int def) override;
    void WriteInteger(const String& section, const String& ident, int value) override;
    bool ReadBool(const String& section, const String& ident, bool def) override;
    void WriteBool(const String& section, const String& ident, bool value) override;
    void ReadSection(const String& section, TStrings& idents) override;
    void ReadSections(TStrings& sections) override;
    void ReadSectionValues(const String& section, TStrings& lines) override;
    void EraseSection(const String& section) override;
    void DeleteKey(const String& section, const String& ident) override;
    void UpdateFile() override {}
    bool SectionExists(const String& section) override;
    bool ValueExists(const String& section, const String& ident) override;

private:
    // Opens the section's subkey in a second registry object on the same root.
    bool OpenSection(TRegistry& reg, const String& section, bool canCreate);
    TRegistry FReg;
};
