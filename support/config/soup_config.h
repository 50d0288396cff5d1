// TSoupConfig: settings as section/key/value triples in an INI file (kept in memory and
// written back) or under a registry key, behind one set of typed reads and writes. The
// storage is built lazily: a property change only marks it, the next access rebuilds it.
#pragma once

#include <memory>

#include "vcl/inifiles.h"
#include "vcl/registry.h"

enum class TPathType { ptIniFile, ptRegistry };
enum class TRegKey { hkeyClassesRoot, hkeyCurrentUser, hkeyLocalMachine, hkeyUsers, hkeyPerformanceData, hkeyCurrentConfig, hkeyDynData };
enum TRegAccessKey : uint32_t {
    keyQueryValue = 1u << 0,
    keySetValue = 1u << 1,
    keyCreateSubKey = 1u << 2,
    keyEnumerateSubKeys = 1u << 3,
    keyNotify = 1u << 4,
    keyCreateLink = 1u << 5,
    keyRead = 1u << 6,
    keyWrite = 1u << 7,
    keyExecute = 1u << 8,
    keyAllAccess = 1u << 9,
};
using TRegAccess = uint32_t;   // a set of TRegAccessKey
enum class TSpecialFolder { sfNone, sfUserAppDataRoaming, sfUserAppDataLocal, sfUserDocuments, sfProgramData };
enum class TIniFileEncoding { feDefault, feUTF8, feUnicode };

// The access mask of a set of access keys, and the root of a TRegKey.
REGSAM RegAccessMask(TRegAccess access);
HKEY RegKeyRoot(TRegKey key);

class TSoupConfig : public TComponent {
public:
    explicit TSoupConfig(TComponent* owner);
    ~TSoupConfig() override;

    const String& Path() const { return FPath; }
    virtual void SetPath(const String& value);
    TPathType PathType() const { return FPathType; }
    virtual void SetPathType(TPathType value);
    TRegKey RegKey() const { return FRegKey; }
    virtual void SetRegKey(TRegKey value);
    TRegAccess RegAccess() const { return FRegAccess; }
    virtual void SetRegAccess(TRegAccess value);
    TSpecialFolder SpecialFolder() const { return FSpecialFolder; }
    virtual void SetSpecialFolder(TSpecialFolder value);
    TIniFileEncoding FileEncoding() const { return FFileEncoding; }
    virtual void SetFileEncoding(TIniFileEncoding value);
    bool AutoUpdateIniFile() const { return FAutoUpdateIniFile; }
    void SetAutoUpdateIniFile(bool value) { FAutoUpdateIniFile = value; }

    bool ReadBool(const String& section, const String& key, bool def);
    int ReadInteger(const String& section, const String& key, int def);
    String ReadString(const String& section, const String& key, const String& def);
    double ReadFloat(const String& section, const String& key, double def);
    TDateTime ReadDate(const String& section, const String& key, TDateTime def);
    TDateTime ReadDateTime(const String& section, const String& key, TDateTime def);
    TDateTime ReadTime(const String& section, const String& key, TDateTime def);
    int ReadBinaryStream(const String& section, const String& key, TStream& value);

    void WriteBool(const String& section, const String& key, bool value);
    void WriteInteger(const String& section, const String& key, int value);
    void WriteString(const String& section, const String& key, const String& value);
    void WriteFloat(const String& section, const String& key, double value);
    void WriteDate(const String& section, const String& key, TDateTime value);
    void WriteDateTime(const String& section, const String& key, TDateTime value);
    void WriteTime(const String& section, const String& key, TDateTime value);
    void WriteBinaryStream(const String& section, const String& key, TStream& value);
    void EraseSection(const String& section);
    void DeleteKey(const String& section, const String& key);

    bool SectionExists(const String& section);
    bool ValueExists(const String& section, const String& key);
    void ReadSection(const String& section, TStrings& keys);
    void ReadSections(TStrings& sections);
    void ReadSectionValues(const String& section, TStrings& lines);

    // INI mode: writes the whole file in FileEncoding.
    void UpdateIniFile();

private:
    TCustomIniFile& Storage();
    void RebuildStorage();
    void MarkChanged() { FRefreshStorage = true; }
    void AfterWrite();

    String FPath;
    TPathType FPathType = TPathType::ptIniFile;
    TRegKey FRegKey = TRegKey::hkeyCurrentUser;
    TRegAccess FRegAccess = keyAllAccess;
    TSpecialFolder FSpecialFolder = TSpecialFolder::sfNone;
    TIniFileEncoding FFileEncoding = TIniFileEncoding::feDefault;
    bool FAutoUpdateIniFile = true;
    bool FRefreshStorage = true;
    std::unique_ptr<TMemIniFile> FIni;
    std::unique_ptr<TRegistryIniFile> FReg;
};
