// The manager's stored skins: their stored form read back to the same bytes, damaged or cut
// input refused with the items kept, copies of items and collections, and the manager hearing
// of every change to its collection.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "skin/engine/skin_list.h"
#include "skin/engine/skin_manager.h"
#include "skins/stored_skins.h"
#include "vcl/stored_form.h"

namespace {

struct ManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};
using ManagerPtr = std::unique_ptr<TsSkinManager, ManagerDeleter>;

std::vector<uint8_t> Written(const TsStoredSkins& skins)
{
    TMemoryStream s;
    skins.WriteToStream(s);
    return s.Bytes();
}

void SetBytes(TMemoryStream& stream, const std::vector<uint8_t>& bytes)
{
    stream.Clear();
    stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
}

// A 3 x 2 32-bit picture, every pixel different.
void PaintMaster(TBitmap& b)
{
    b.SetPixelFormat(pf32bit);
    b.SetSize(3, 2);
    for (int y = 0; y < 2; ++y) {
        auto* row = static_cast<uint32_t*>(b.ScanLine(y));
        for (int x = 0; x < 3; ++x) row[x] = 0x80102030u + uint32_t(y * 3 + x) * 0x01010101u;
    }
    b.PixelsChanged();
}

std::vector<uint32_t> PixelsOf(TBitmap& b)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < b.Height(); ++y) {
        auto* row = static_cast<uint32_t*>(b.ScanLine(y));
        out.insert(out.end(), row, row + b.Width());
    }
    return out;
}

// Every property set away from its default, a container and a picture.
void FillFull(TsStoredSkin& s, const std::vector<uint8_t>& container)
{
    s.Name = L"Dark";
    PaintMaster(s.MasterBitmap);
    s.Shadow1Color = 0x123456;
    s.Shadow1Offset = 3;
    s.Shadow1Blur = 7;
    s.Shadow1Transparency = 40;
    s.BorderColor = 0x00FF00;
    s.Version = 8.5;
    s.Author = L"Qwelta \u00e9";
    s.Description = L"A dark skin";
    s.OrigName = L"Dark.asz";
    SetBytes(s.PackedData, container);
}

std::vector<uint8_t> DarkBytes()
{
    const TStoredSkinBytes& s = ProgramStoredSkins()[1];
    return std::vector<uint8_t>(s.Data, s.Data + s.Size);
}

}  // namespace

// Written, read into another collection and written again: the same bytes, and every value back.
// An item left at its defaults still writes its container and origin (both empty) and nothing else.
TEST(StoredSkins, StoredFormReadsBackToTheSameBytes)
{
    TsStoredSkins skins(nullptr);
    FillFull(skins.Add(), DarkBytes());
    skins.Add();   // all defaults
    const std::vector<uint8_t> first = Written(skins);

    TsStoredSkins back(nullptr);
    back.Add().Name = L"Old";
    TBytesStream in(first);
    back.ReadFromStream(in);
    EXPECT_EQ(in.Position(), in.Size());
    EXPECT_EQ(Written(back), first);

    ASSERT_EQ(back.Count(), 2);
    TsStoredSkin& full = back.Items(0);
    EXPECT_EQ(full.Name, L"Dark");
    EXPECT_EQ(full.PackedData.Bytes(), DarkBytes());
    EXPECT_EQ(full.OrigName, L"Dark.asz");
    EXPECT_EQ(full.Author, L"Qwelta \u00e9");
    EXPECT_EQ(full.Description, L"A dark skin");
    EXPECT_EQ(full.Version, 8.5);
    EXPECT_EQ(full.Shadow1Color, TColor(0x123456));
    EXPECT_EQ(full.Shadow1Offset, 3);
    EXPECT_EQ(full.Shadow1Blur, 7);
    EXPECT_EQ(full.Shadow1Transparency, 40);
    EXPECT_EQ(full.BorderColor, TColor(0x00FF00));
    EXPECT_EQ(PixelsOf(full.MasterBitmap), PixelsOf(skins.Items(0).MasterBitmap));
    const TsStoredSkin& empty = back.Items(1);
    EXPECT_TRUE(empty.Name.empty());
    EXPECT_EQ(empty.Shadow1Blur, -1);
    EXPECT_EQ(empty.BorderColor, TColor(0xFF00FF));
    EXPECT_TRUE(empty.MasterBitmap.Empty());
    EXPECT_TRUE(empty.PackedData.Bytes().empty());

    // The default item's property list: "Data" and "OriginName", both empty.
    TMemoryStream one;
    skins.Items(1).WriteToStream(one);
    one.SetPosition(0);
    EXPECT_EQ(StoredForm::ReadName(one), "Data");
    EXPECT_EQ(StoredForm::ReadValue(one).Kind, StoredForm::vaBinary);
    EXPECT_EQ(StoredForm::ReadName(one), "OriginName");
    EXPECT_EQ(StoredForm::ReadValue(one).Text, L"");
    EXPECT_EQ(StoredForm::ReadName(one), "");
    EXPECT_EQ(one.Position(), one.Size());
}

// Every cut of the stored form and every damaged value is refused with a clear error, and the
// collection keeps the items it had.
TEST(StoredSkins, DamagedStoredFormKeepsTheItems)
{
    TsStoredSkins source(nullptr);
    FillFull(source.Add(), {'P', 'K', 1, 2, 3});
    source.Add().Name = L"Light";
    const std::vector<uint8_t> good = Written(source);

    std::vector<std::pair<std::string, std::vector<uint8_t>>> bad;
    for (size_t n = 0; n < good.size(); ++n)
        bad.push_back({"cut at " + std::to_string(n), std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(n))});
    const auto replaced = [&](const char* what, const std::vector<uint8_t>& from, const std::vector<uint8_t>& to) {
        std::vector<uint8_t> b = good;
        const auto at = std::search(b.begin(), b.end(), from.begin(), from.end());
        ASSERT_NE(at, b.end()) << what;
        std::copy(to.begin(), to.end(), at);
        bad.push_back({what, b});
    };
    replaced("not a collection", {StoredForm::vaCollection}, {StoredForm::vaList});
    // "Name" given as an integer, the picture's bytes no picture, an unknown value kind.
    replaced("name of the wrong kind", {4, 'N', 'a', 'm', 'e', StoredForm::vaWString}, {4, 'N', 'a', 'm', 'e', StoredForm::vaInt32});
    replaced("no picture", {'B', 'M'}, {'X', 'X'});
    replaced("unknown kind", {7, 'V', 'e', 'r', 's', 'i', 'o', 'n', StoredForm::vaDouble},
             {7, 'V', 'e', 'r', 's', 'i', 'o', 'n', 0xEE});
    {
        // An item marker that is neither an item nor the end.
        std::vector<uint8_t> b = good;
        b[1] = 0x33;
        bad.push_back({"bad item marker", b});
    }

    ManagerPtr m(new TsSkinManager(nullptr));
    TsStoredSkins& skins = *m->InternalSkins();
    skins.Add().Name = L"Kept";
    SetBytes(skins.Items(0).PackedData, {9, 8, 7});
    int heard = 0;
    struct TCount {
        int* n;
        void Changed(TObject*) { ++*n; }
    } count{&heard};
    m->OnSkinListChanged = Bind<&TCount::Changed>(&count);
    for (const auto& [what, bytes] : bad) {
        SCOPED_TRACE(what);
        TBytesStream in(bytes);
        try {
            skins.ReadFromStream(in);
            ADD_FAILURE() << "read damaged input";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message().rfind(L"Cannot read the stored skins: ", 0), 0u) << e.what();
        }
        ASSERT_EQ(skins.Count(), 1);
        EXPECT_EQ(skins.Items(0).Name, L"Kept");
        EXPECT_EQ(skins.Items(0).PackedData.Bytes(), (std::vector<uint8_t>{9, 8, 7}));
    }
    EXPECT_EQ(heard, 0);
    // The whole input is taken.
    TBytesStream in(good);
    skins.ReadFromStream(in);
    ASSERT_EQ(skins.Count(), 2);
    EXPECT_EQ(skins.Items(1).Name, L"Light");
    EXPECT_EQ(heard, 1);
}

// A copy takes the container, the picture and the descriptive values but not the origin; the
// collection copies its items; anything else cannot be assigned.
TEST(StoredSkins, Copies)
{
    TsStoredSkins a(nullptr);
    FillFull(a.Add(), {1, 2, 3});
    TsStoredSkins b(nullptr);
    TsStoredSkin& copy = b.Add();
    copy.OrigName = L"Mine.asz";
    copy.Assign(&a.Items(0));
    a.Items(0).OrigName = copy.OrigName;
    EXPECT_EQ(Written(b), Written(a));
    EXPECT_EQ(copy.OrigName, L"Mine.asz");

    a.Add().Name = L"Second";
    ManagerPtr m(new TsSkinManager(nullptr));
    m->SetInternalSkins(&a);
    ASSERT_EQ(m->InternalSkins()->Count(), 2);
    EXPECT_EQ(m->InternalSkins()->Items(0).PackedData.Bytes(), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(m->InternalSkins()->IndexOf(L"Second"), 1);

    TBitmap other;
    EXPECT_THROW(copy.Assign(&other), EConvertError);
    EXPECT_THROW(b.Assign(&other), EConvertError);
    EXPECT_EQ(copy.Name, L"Dark");
}

// The collection answers the manager as its owner; adding, removing and reading items tell the
// manager's listeners once each, after the item is whole, and a stored skin added after the list
// was built makes the next query build it again.
TEST(StoredSkins, TheManagerHearsOfChanges)
{
    ManagerPtr m(new TsSkinManager(nullptr));
    TsStoredSkins& skins = *m->InternalSkins();
    EXPECT_EQ(skins.GetOwner(), m.get());
    struct TSeen {
        TsStoredSkins* Skins;
        std::vector<int> Counts;
        std::vector<int> LastBlur;
        void Changed(TObject*)
        {
            Counts.push_back(Skins->Count());
            LastBlur.push_back(Skins->Count() ? Skins->Items(Skins->Count() - 1).Shadow1Blur : 0);
        }
    } seen{&skins, {}, {}};
    m->OnSkinListChanged = Bind<&TSeen::Changed>(&seen);

    TStringList names;
    m->GetSkinNames(names);
    TacSkinListController* c = m->SkinListController();
    ASSERT_FALSE(c->UpdateNeeded());
    TsStoredSkin& dark = skins.Add();
    EXPECT_TRUE(c->UpdateNeeded());
    dark.Name = L"Dark";
    const std::vector<uint8_t> bytes = DarkBytes();
    SetBytes(dark.PackedData, bytes);
    m->GetSkinNames(names);
    EXPECT_GE(names.IndexOf(L"Dark"), 0);

    skins.Add();
    skins.Delete(1);
    EXPECT_EQ(seen.Counts, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(seen.LastBlur, (std::vector<int>{-1, -1, -1}));   // the new item already whole
}
