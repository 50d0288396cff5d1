// Settings files: the section/key/value interface TCustomIniFile, the in-memory TMemIniFile
// and TIniFile (which writes through at once). No windows.h here.
//
// Reading is forgiving: lines outside a section, lines without "=", binary junk and very long
// lines are skipped or kept as they are, never a failure; a missing file reads as empty.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "vcl/streams.h"
#include "vcl/strings.h"

class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(String fileName) : FFileName(std::move(fileName)) {}

    const String& FileName() const { return FFileName; }

    virtual String ReadString(const String& section, const String& ident, const String& def) = 0;
    virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
    virtual void ReadSection(const String& section, TStrings& idents) = 0;
    virtual void ReadSections(TStrings& sections) = 0;
    virtual void ReadSectionValues(const String& section, TStrings& lines) = 0;
    virtual void EraseSection(const String& section) = 0;
    virtual void DeleteKey(const String& section, const String& ident) = 0;
    virtual void UpdateFile() = 0;
    virtual bool SectionExists(const String& section);
    virtual bool ValueExists(const String& section, const String& ident);

    // Typed values stored as text. Integers accept decimal and "$"/"0x" hexadecimal; Booleans
    // are integers (0 false, anything else true); floats use "." as decimal separator; dates
    // and times are stored as yyyy-mm-dd and hh:nn:ss. Text that does not convert gives def.
    virtual int ReadInteger(const String& section, const String& ident, int def);
    virtual void WriteInteger(const String& section, const String& ident, int value);
    virtual bool ReadBool(const String& section, const String& ident, bool def);
    virtual void WriteBool(const String& section, const String& ident, bool value);
    virtual double ReadFloat(const String& section, const String& ident, double def);
    virtual void WriteFloat(const String& section, const String& ident, double value);
    virtual TDateTime ReadDate(const String& section, const String& ident, TDateTime def);
    virtual void WriteDate(const String& section, const String& ident, TDateTime value);
    virtual TDateTime ReadDateTime(const String& section, const String& ident, TDateTime def);
    virtual void WriteDateTime(const String& section, const String& ident, TDateTime value);
    virtual TDateTime ReadTime(const String& section, const String& ident, TDateTime def);
    virtual void WriteTime(const String& section, const String& ident, TDateTime value);
    // Binary data as hexadecimal text; answers the number of bytes written to the stream.
    virtual int ReadBinaryStream(const String& section, const String& ident, TStream& value);
    virtual void WriteBinaryStream(const String& section, const String& ident, TStream& value);

protected:
    String FFileName;
};

// Parsed INI text: sections in file order, keys in order within each, both compared without
// regard to case (as the platform's INI functions do).
class TIniText {
public:
    struct Section {
        String name;
        std::vector<std::pair<String, String>> values;
    };

    void Parse(const String& text);
    String Compose() const;   // CRLF line ends, a blank line between sections

    Section* Find(const String& name);
    Section& FindOrAdd(const String& name);
    void Erase(const String& name);
    const std::vector<Section>& Sections() const { return FSections; }
    void Clear() { FSections.clear(); }

    static String* FindValue(Section& s, const String& ident);

private:
    std::vector<Section> FSections;
};

class TMemIniFile : public TCustomIniFile {
public:
    // Reads the file at once (a missing or unreadable file gives an empty INI).
    explicit TMemIniFile(const String& fileName, TTextEncoding encoding = TTextEncoding::Default);

    String ReadString(const String& section, const String& ident, const String& def) override;
    void WriteString(const String& section, const String& ident, const String& value) override;
    void ReadSection(const String& section, TStrings& idents) override;
    void ReadSections(TStrings& sections) override;
    void ReadSectionValues(const String& section, TStrings& lines) override;
    void EraseSection(const String& section) override;
    void DeleteKey(const String& section, const String& ident) override;
    // Writes the whole file in Encoding (with a byte-order mark for UTF-8 and UTF-16).
    void UpdateFile() override;

    TTextEncoding Encoding() const { return FEncoding; }
    void SetEncoding(TTextEncoding e) { FEncoding = e; }
    void Rename(const String& fileName, bool reload);
    void Clear() { FText.Clear(); }
    String GetText() const { return FText.Compose(); }
    void SetText(const String& text) { FText.Parse(text); }

protected:
    void LoadValues();
    TIniText FText;
    TTextEncoding FEncoding;
};

// The plain INI file: every change goes to the disk at once.
class TIniFile : public TMemIniFile {
public:
    using TMemIniFile::TMemIniFile;
    void WriteString(const String& section, const String& ident, const String& value) override;
    void EraseSection(const String& section) override;
    void DeleteKey(const String& section, const String& ident) override;
};
