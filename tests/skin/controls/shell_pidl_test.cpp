// Item ID lists walked over sized buffers (whole, truncated and corrupt lists), joins, the text
// at an offset, and the name and attribute rules of the shell folder objects.
#include <gtest/gtest.h>

#include "skin/controls/core/shell_pidl.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One item of n bytes in all (size field included), its payload filled with fill.
Bytes Item(uint16_t n, uint8_t fill)
{
    Bytes b(n, fill);
    b[0] = static_cast<uint8_t>(n & 0xFF);
    b[1] = static_cast<uint8_t>(n >> 8);
    return b;
}

Bytes List(std::initializer_list<Bytes> items)
{
    Bytes out;
    for (const Bytes& i : items) out.insert(out.end(), i.begin(), i.end());
    out.push_back(0);
    out.push_back(0);
    return out;
}

}  // namespace

TEST(ShellPidl, SizesOfWholeTruncatedAndCorruptLists)
{
    const Bytes two = List({Item(5, 0xA1), Item(3, 0xB2)});   // 5 + 3 + 2
    Bytes cut = two;
    cut.resize(9);   // one byte of the terminator missing
    Bytes longItem = two;
    longItem[5] = 0x40;   // second item claims 64 bytes, past the buffer's end
    Bytes sizeOne = two;
    sizeOne[0] = 1;   // would never step past its own size field
    Bytes endsInItem = two;
    endsInItem.resize(6);   // the second item's size field split by the end
    Bytes hugeItem = two;
    hugeItem[0] = 0xFF;
    hugeItem[1] = 0xFF;
    struct Case {
        const char* Name;
        Bytes Data;
        size_t Size;   // bytes the walk may read (may be less than Data holds)
        std::optional<size_t> ListSize;
        std::optional<size_t> Items;
    };
    const Case cases[] = {
        {"only the terminator", Bytes{0, 0}, 2, 2, 0},
        {"two items", two, two.size(), 10, 2},
        {"two items, slack after the terminator", [&] { Bytes b = two; b.resize(16, 0xEE); return b; }(), 16, 10, 2},
        {"terminator missing a byte", cut, cut.size(), std::nullopt, std::nullopt},
        {"terminator beyond the readable part", two, 8, std::nullopt, std::nullopt},
        {"item longer than the buffer", longItem, longItem.size(), std::nullopt, std::nullopt},
        {"item of size 1", sizeOne, sizeOne.size(), std::nullopt, std::nullopt},
        {"size field cut by the end", endsInItem, endsInItem.size(), std::nullopt, std::nullopt},
        {"item of 65535 bytes", hugeItem, hugeItem.size(), std::nullopt, std::nullopt},
        {"empty buffer", Bytes{0xAA}, 0, std::nullopt, std::nullopt},
        {"one byte", Bytes{0}, 1, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(PidlListSize(c.Data.data(), c.Size), c.ListSize);
        EXPECT_EQ(PidlItemCount(c.Data.data(), c.Size), c.Items);
    }
    EXPECT_EQ(PidlListSize(nullptr, 0), size_t{0});
    EXPECT_EQ(PidlListSize(nullptr, 100), size_t{0});
}

TEST(ShellPidl, NextItemStaysInsideTheBuffer)
{
    const Bytes two = List({Item(5, 0xA1), Item(3, 0xB2)});
    struct Case {
        const char* Name;
        size_t Size, Offset;
        std::optional<size_t> Next;
    };
    const Case cases[] = {
        {"first to second", two.size(), 0, 5},
        {"second to the terminator", two.size(), 5, 8},
        {"the terminator has none", two.size(), 8, std::nullopt},
        {"second ends at the buffer's end: no size field after it", 8, 5, std::nullopt},
        {"first runs past a short buffer", 4, 0, std::nullopt},
        {"offset beyond the buffer", two.size(), 40, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(PidlNextOffset(two.data(), c.Size, c.Offset), c.Next);
    }
    EXPECT_EQ(PidlNextOffset(nullptr, 0, 0), std::nullopt);
}

TEST(ShellPidl, JoinPutsFirstsItemsBeforeTheWholeSecond)
{
    const Bytes a = List({Item(4, 0x11)});
    const Bytes b = List({Item(3, 0x22), Item(2, 0x33)});
    const Bytes empty = {0, 0};
    Bytes corrupt = b;
    corrupt[0] = 9;
    struct Case {
        const char* Name;
        const Bytes* First;
        const Bytes* Second;
        std::optional<Bytes> Joined;
    };
    const Case cases[] = {
        {"both", &a, &b, List({Item(4, 0x11), Item(3, 0x22), Item(2, 0x33)})},
        {"null first is a copy of second", nullptr, &b, b},
        {"empty first is a copy of second", &empty, &b, b},
        {"empty second", &a, &empty, a},
        {"null second", &a, nullptr, std::nullopt},
        {"corrupt second", &a, &corrupt, std::nullopt},
        {"corrupt first", &corrupt, &a, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(PidlJoinBytes(c.First ? c.First->data() : nullptr, c.First ? c.First->size() : 0,
                                c.Second ? c.Second->data() : nullptr, c.Second ? c.Second->size() : 0),
                  c.Joined);
    }
}

TEST(ShellPidl, TextAtAnOffsetEndsAtItsZeroOrTheBuffer)
{
    const uint8_t data[] = {6, 0, 'a', 'b', 0, 'x', 'c', 'd'};
    struct Case {
        const char* Name;
        size_t Size, Offset;
        std::string Text;
    };
    const Case cases[] = {
        {"zero-ended", sizeof data, 2, "ab"},
        {"zero missing: cut at the end", sizeof data, 5, "xcd"},
        {"cut by a shorter buffer", 4, 2, "ab"},
        {"at the end", sizeof data, sizeof data, ""},
        {"beyond the end", sizeof data, 300, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(PidlTextAt(data, c.Size, c.Offset), c.Text);
    }
}

TEST(ShellNames, NumberingMarksGoOnlyBeforeADigit)
{
    const std::pair<String, String> cases[] = {
        {L"?1?2", L"12"},
        {L"?1 copy?", L"1 copy"},
        {L"?a?2", L"?a?2"},
        {L"?", L"?"},
        {L"1?2", L"1?2"},
        {L"", L""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(StripNumberingMarks(in), out) << in;
}

TEST(ShellNames, ExtensionShownOrHiddenOnlyForFiles)
{
    struct Case {
        const char* Name;
        String DisplayName;
        TacShowExtension Mode;
        String Path;
        bool IsFile;
        String Result;
    };
    const Case cases[] = {
        {"system keeps", L"notes", seSystem, L"C:\\t\\notes.txt", true, L"notes"},
        {"show appends the path's", L"notes", seShow, L"C:\\t\\notes.txt", true, L"notes.txt"},
        {"show keeps one already there", L"notes.txt", seShow, L"C:\\t\\notes.txt", true, L"notes.txt"},
        {"show on a folder keeps", L"notes", seShow, L"C:\\t\\notes.d", false, L"notes"},
        {"hide cuts", L"notes.txt", seHide, L"C:\\t\\notes.txt", true, L"notes"},
        {"hide without extension keeps", L"notes", seHide, L"C:\\t\\notes.txt", true, L"notes"},
        {"hide on a folder keeps", L"a.b", seHide, L"C:\\t\\a.b", false, L"a.b"},
        {"dot in the folder only", L"x", seShow, L"C:\\t.d\\x", true, L"x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ApplyShowExtension(c.DisplayName, c.Mode, c.Path, c.IsFile), c.Result);
    }
}

TEST(ShellNames, ZipNamesAndClassIdNames)
{
    EXPECT_TRUE(IsZipFileName(L"ARCHIVE.ZIP"));
    EXPECT_TRUE(IsZipFileName(L"a.Zip"));
    EXPECT_FALSE(IsZipFileName(L"zip"));
    EXPECT_FALSE(IsZipFileName(L"a.zipx"));
    EXPECT_FALSE(IsZipFileName(L"c:\\x.zip\\inner"));
    EXPECT_FALSE(IsZipFileName(L""));
    EXPECT_TRUE(IsClassIdName(L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"));
    EXPECT_FALSE(IsClassIdName(L":{"));
}

TEST(ShellAttributes, CapabilitiesPropertiesAndFileSystemTests)
{
    using namespace ShellAttr;
    EXPECT_EQ(CapabilitiesOfAttributes(CapabilityMask),
              fcCanCopy | fcCanDelete | fcCanLink | fcCanMove | fcCanRename | fcDropTarget | fcHasPropSheet);
    EXPECT_EQ(CapabilitiesOfAttributes(CanRename | Folder), fcCanRename);
    // The first answer's file-system bits and the second answer's link bit do not count.
    EXPECT_EQ(PropertiesOfAttributes(Ghosted | Link | FileSystem, ReadOnly | Removable | Validate),
              fpCut | fpIsLink | fpRemovable | fpValidate);
    EXPECT_EQ(PropertiesOfAttributes(ReadOnly | Share, FileSystem | FileSysAncestor),
              fpReadOnly | fpShared | fpFileSystem | fpFileSystemAncestor);
    struct Case {
        const char* Name;
        uint32_t Attributes;
        bool Folder, File;
    };
    const Case cases[] = {
        {"file-system folder", FileSystem | Folder, true, false},
        {"file-system file", FileSystem, false, true},
        {"link to a folder", FileSystem | Folder | Link, false, false},
        {"link file", FileSystem | Link, false, false},
        {"virtual folder", Folder, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(IsFileSystemFolder(c.Attributes), c.Folder);
        EXPECT_EQ(IsFileSystemFile(c.Attributes), c.File);
    }
}
