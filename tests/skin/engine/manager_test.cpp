// The skin manager: the default manager, loading a skin handed over as text, the change
// sequence without publishing, per-PPI data objects, queries, options and the window-creation
// hook's life, in a real process under Wine.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "skin/engine/glow.h"
#include "skin/engine/skin_commands.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"
#include "tests/common/test_support.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"

namespace {

const wchar_t* const SkinText =
    L"[GLOBALINFO]\nVERSION=8\nCOLOR=12632256\nFONTCOLOR=65\nAUTHOR=Us\n"
    L"[GRAND]\nCOLOR=1\n[PARENT]\nPARENTCLASS=GRAND\n[CHILD]\nPARENTCLASS=PARENT\n"
    L"[BUTTON]\nCOLOR=2\nHOTCOLOR=3\n[EDIT]\nCOLOR=16777215\nFONTCOLOR=0\n";

struct ManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};
using ManagerPtr = std::unique_ptr<TsSkinManager, ManagerDeleter>;

ManagerPtr NewManager() { return ManagerPtr(new TsSkinManager(nullptr)); }

struct TEvents {
    int before = 0, after = 0, activate = 0, deactivate = 0, loading = 0;
    void Before(TObject*) { ++before; }
    void After(TObject*) { ++after; }
    void Activate(TObject*) { ++activate; }
    void Deactivate(TObject*) { ++deactivate; }
    void Loading(TObject*) { ++loading; }
    void Attach(TsSkinManager& m)
    {
        m.OnBeforeChange = Bind<&TEvents::Before>(this);
        m.OnAfterChange = Bind<&TEvents::After>(this);
        m.OnActivate = Bind<&TEvents::Activate>(this);
        m.OnDeactivate = Bind<&TEvents::Deactivate>(this);
        m.OnSkinLoading = Bind<&TEvents::Loading>(this);
    }
};

// A window on a form that remembers the skin commands reaching it.
class TCommandListener : public TCustomControl {
public:
    explicit TCommandListener(TWinControl* parent) : TCustomControl(parent)
    {
        SetBounds(0, 0, 20, 20);
        SetParent(parent);
    }
    std::vector<unsigned> Commands;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND) Commands.push_back(SkinCommandOf(m.WParam));
        TCustomControl::Dispatch(m);
    }
};

}  // namespace

TEST(SkinManager, TheFirstManagerIsTheDefault)
{
    ASSERT_EQ(DefaultManager, nullptr);
    ManagerPtr first = NewManager();
    ManagerPtr second = NewManager();
    EXPECT_EQ(DefaultManager, first.get());
    EXPECT_FALSE(second->IsDefault());
    second->SetIsDefault(false);   // ignored while a default manager exists
    EXPECT_EQ(DefaultManager, first.get());
    second->Options()->SetScaleMode(sm150);
    second->SetIsDefault(true);
    EXPECT_EQ(DefaultManager, second.get());
    EXPECT_EQ(DefaultScaleMode, sm150);
    second.reset();
    EXPECT_EQ(DefaultManager, nullptr);   // the default manager's end clears it
    DefaultScaleMode = smVCL;
}

TEST(SkinManager, TheHookGoesWithTheManagerThatInstalledIt)
{
    TRecordingFormServices services;
    ManagerPtr first = NewManager();
    ManagerPtr second = NewManager();
    second->InstallHook();   // not the default manager: never
    EXPECT_FALSE(second->GlobalHookInstalled);
    first->InstallHook();
    ASSERT_TRUE(first->GlobalHookInstalled);
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(w);
    EXPECT_GT(services.CBTNotifications, 0);

    first.reset();   // the hook reads the default manager: it must not outlive it
    EXPECT_EQ(DefaultManager, nullptr);
    const int seen = services.CBTNotifications;
    w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(w);
    EXPECT_EQ(services.CBTNotifications, seen);
    EXPECT_EQ(services.Calls, (std::vector<String>{L"CreateHookedWindowList", L"FreeMenuWrappers", L"FreeHookedWindows"}));
}

// A manager that installed the hook and is no longer the default one still takes it away with
// it (the hook reads whichever manager is the default).
TEST(SkinManager, AnEarlierDefaultManagerTakesItsHookWithIt)
{
    TRecordingFormServices services;
    ManagerPtr first = NewManager();
    ManagerPtr second = NewManager();
    first->InstallHook();
    ASSERT_TRUE(first->GlobalHookInstalled);
    second->SetIsDefault(true);
    ASSERT_EQ(DefaultManager, second.get());
    first.reset();
    const int seen = services.CBTNotifications;
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(w);
    EXPECT_EQ(services.CBTNotifications, seen);
    EXPECT_FALSE(second->GlobalHookInstalled);
}

// The glows are made of the skin's images: they go whenever the skin data is dropped, also for a
// manager that is not the default one (whose publishing leaves them alone).
TEST(SkinManager, DroppingTheSkinDataFreesTheGlows)
{
    ManagerPtr first = NewManager();
    ManagerPtr second = NewManager();
    second->ApplySkinEditorText(L"Test", String(), SkinText);
    ASSERT_TRUE(second->IsActive());
    GlowList().push_back(new TacGlowEffect());
    second->UpdateSkin(true);
    EXPECT_EQ(GlowList().size(), 1u);
    second->SetHueOffset(30);
    EXPECT_TRUE(GlowList().empty());
    EXPECT_TRUE(second->IsActive());
}

TEST(SkinManager, LoadsASkinHandedOverAsText)
{
    ManagerPtr m = NewManager();
    TEvents ev;
    ev.Attach(*m);
    EXPECT_EQ(m->SkinInfo(), L"N/A");
    m->ApplySkinEditorText(L"Test", String(), SkinText);
    ASSERT_TRUE(m->IsActive());
    EXPECT_EQ(m->SkinName(), L"Test");
    EXPECT_EQ(m->SkinInfo(), L"8");
    EXPECT_EQ(m->SkinCommonInfo.Author, L"Us");
    EXPECT_EQ(m->GetGlobalColor(), 12632256);
    EXPECT_EQ(m->GetGlobalFontColor(), 65);
    EXPECT_EQ(m->GetActiveEditColor(), 0xFFFFFF);
    EXPECT_EQ(ev.before, 1);
    EXPECT_EQ(ev.after, 1);   // between BeginUpdate and EndUpdate only EndUpdate tells
    EXPECT_EQ(ev.activate, 1);
    EXPECT_GE(ev.loading, 1);
    EXPECT_FALSE(DialogsUnskinned);

    EXPECT_GE(m->GetSkinIndex(L"BUTTON"), 0);
    EXPECT_EQ(m->GetSkinIndex(L"button"), -1);
    EXPECT_EQ(m->GetSkinIndex(L""), -1);
    TStringList sections;
    m->GetSkinSections(sections);
    EXPECT_EQ(sections.Get(0), L"GLOBALINFO");
    EXPECT_EQ(sections.Count(), m->LengthOfGD());
    EXPECT_TRUE(m->IsValidSkinIndex(0));
    EXPECT_FALSE(m->IsValidSkinIndex(m->LengthOfGD()));
    // No image definitions: only the two generated window effects.
    ASSERT_EQ(m->ma().size(), 2u);
    EXPECT_TRUE(m->IsValidImgIndex(1));
    EXPECT_FALSE(m->IsValidImgIndex(2));
    // The window effects are those of the 96-PPI data object, and their images are the two above.
    EXPECT_EQ(&m->oe(), &m->CommonSkinData(96)->oe);
    EXPECT_NE(m->oe()[0].Mask, m->oe()[1].Mask);
    for (const TacOutEffData& e : m->oe()) EXPECT_TRUE(m->IsValidImgIndex(e.Mask));

    // An image defined only in a grandparent is found through PARENTCLASS.
    TacSkinData* d = m->CommonSkinData(96);
    TsMaskData border;
    border.SkinIndex = m->GetSkinIndex(L"GRAND");
    border.PropertyName = L"BORDERSMASK";
    d->ma.push_back(border);
    EXPECT_EQ(m->GetMaskIndex(m->GetSkinIndex(L"CHILD"), L"BORDERSMASK"), 2);
    EXPECT_EQ(m->GetMaskIndex(String(L"CHILD"), String(L"BORDERSMASK")), -1);

    // Writing the same name reloads: a fresh data object (without the image put in above).
    m->SetSkinName(L"Test.ASZ");
    EXPECT_EQ(m->SkinName(), L"Test");
    EXPECT_EQ(m->CommonSkinData(96)->ma.size(), 2u);
    EXPECT_EQ(ev.after, 2);
    m.reset();
    EXPECT_EQ(ev.deactivate, 1);
}

TEST(SkinManager, ANameWithoutSourceSwitchesTheManagerOff)
{
    ManagerPtr m = NewManager();
    m->ApplySkinEditorText(L"Test", String(), SkinText);
    m->SetSkinName(L"Unknown");
    EXPECT_FALSE(m->Active());
    EXPECT_FALSE(m->IsActive());
    EXPECT_EQ(m->SkinInfo(), L"N/A");
    EXPECT_TRUE(DialogsUnskinned);
    // Without a skin the fallback objects answer, told the PPI asked for.
    TacSkinData* f = m->CommonSkinData(144);
    EXPECT_EQ(f, FallbackSkinData(2));
    EXPECT_EQ(f->PPI(), 144);
    EXPECT_EQ(f->ScalePercent, 150);
    EXPECT_TRUE(f->gd.empty());
    // Switching it on again runs the change for the stored name.
    m->SetSkinName(L"Test");
    EXPECT_FALSE(m->IsActive());   // still off: writing a name does nothing while inactive
    m->SetActive(true);
    EXPECT_TRUE(m->IsActive());
}

TEST(SkinManager, AForbiddenChangeKeepsTheLoadedSkin)
{
    ManagerPtr m = NewManager();
    m->ApplySkinEditorText(L"Test", String(), SkinText);
    TacSkinData* loaded = m->CommonSkinData(96);
    TEvents ev;
    ev.Attach(*m);
    struct TForbid {
        void Changing(TObject*, const String&, bool& allow) { allow = false; }
    } forbid;
    m->OnSkinChanging = Bind<&TForbid::Changing>(&forbid);
    m->SetSkinName(L"Other");
    EXPECT_EQ(m->SkinName(), L"Other");
    EXPECT_EQ(m->CommonSkinData(96), loaded);
    EXPECT_TRUE(m->IsActive());
    EXPECT_EQ(ev.before, 1);
    EXPECT_EQ(ev.after, 0);
}

TEST(SkinManager, AFailedLoadShowsTheErrorAndKeepsTheOldName)
{
    TBoxRecorder boxes;
    ManagerPtr m = NewManager();
    m->ApplySkinEditorText(L"Good", String(), SkinText);
    m->ApplySkinEditorText(L"Bad", String(), L"[GLOBALINFO]\nBTNCOLOR2NORMAL=blue\n[A]\n");
    EXPECT_EQ(m->SkinName(), L"Good");
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Caption, L"Error");
    EXPECT_EQ(boxes.Boxes[0].Style, UINT(MB_ICONERROR | MB_OK));
    EXPECT_NE(boxes.Boxes[0].Text.find(L"BTNCOLOR2NORMAL"), String::npos);
}

TEST(SkinManager, VersionChecks)
{
    TBoxRecorder boxes;
    ManagerPtr m = NewManager();
    m->ApplySkinEditorText(L"Old", String(), L"[GLOBALINFO]\nVERSION=7.5\n[A]\n");
    EXPECT_TRUE(boxes.Boxes.empty());   // an old skin says nothing at run time
    m->ApplySkinEditorText(L"New", String(), L"[GLOBALINFO]\nVERSION=15\n[A]\n");
    ASSERT_EQ(boxes.Boxes.size(), 1u);   // once for the one data object loaded
    EXPECT_EQ(boxes.Boxes[0].Style, UINT(MB_ICONWARNING | MB_OK));
    EXPECT_NE(boxes.Boxes[0].Text.find(L"New"), String::npos);
    EXPECT_TRUE(m->IsActive());   // it still loads
    EXPECT_TRUE(m->SkinningRules() & srStdDialogs);   // taken out for the box only
}

TEST(SkinManager, DataObjectsPerPpi)
{
    ManagerPtr m = NewManager();
    m->ApplySkinEditorText(L"Test", String(), SkinText);
    const int sections = m->LengthOfGD();
    // The first request at 120 PPI on an empty array makes the 96-PPI object first.
    m->ManagerState |= msSkinChanging;
    m->ResetSkinData();
    TacSkinData* d120 = m->CommonSkinData(120);
    m->ManagerState &= ~msSkinChanging;
    ASSERT_EQ(m->SkinDataArray.size(), 2u);
    EXPECT_EQ(m->SkinDataArray[0]->PPI(), 96);
    EXPECT_EQ(m->SkinDataArray[1].get(), d120);
    EXPECT_EQ(d120->PPI(), 120);
    EXPECT_EQ(d120->ScaleValue, 1);
    EXPECT_EQ(static_cast<int>(d120->gd.size()), sections);
    m->SkinCommonInfo.Active = true;
    EXPECT_EQ(m->CommonSkinData(144)->PPI(), 144);   // made on demand and loaded
    EXPECT_EQ(static_cast<int>(m->CommonSkinData(144)->gd.size()), sections);
    EXPECT_TRUE(m->IsValidSkinIndex(1));
    d120->AddSection(L"EXTRA", -1, 0, 0, 0, 1);
    EXPECT_FALSE(m->IsValidSkinIndex(1));   // the objects disagree: nothing is valid
}

TEST(SkinManager, ScalingAndColourOptions)
{
    ManagerPtr m = NewManager();
    struct Case { TacScaleMode mode; int ppi; int value; int scaled; } cases[] = {
        {sm150, 96, 10, 15}, {smCustomPPI, 168, 10, 17}, {smOldMode, 96, 10, 10}, {smVCL, 96, 10, 10}, {sm200, 96, 7, 14},
    };
    for (auto c : cases) {
        m->Options()->SetScaleMode(c.mode);
        m->Options()->SetPixelsPerInch(c.ppi);
        EXPECT_EQ(m->ScaleInt(c.value), c.scaled) << int(c.mode);
    }
    m->Options()->SetScaleMode(smVCL);
    m->ApplySkinEditorText(L"Test", String(), SkinText);
    // A section added by hand marks the data object: a rebuild drops it.
    const int marked = m->CommonSkinData(96)->AddSection(L"MARK", -1, 0, 0, 0, 1);
    m->SetBrightness(150);
    EXPECT_EQ(m->Brightness(), 100);
    EXPECT_EQ(m->GetSkinIndex(L"MARK"), -1);   // rebuilt
    EXPECT_TRUE(m->IsActive());
    EXPECT_EQ(m->CommonSkinData(96)->AddSection(L"MARK", -1, 0, 0, 0, 1), marked);
    m->SetBrightness(100);
    EXPECT_EQ(m->GetSkinIndex(L"MARK"), marked);   // unchanged value: nothing
    m->SetBrightness(-500);
    EXPECT_EQ(m->Brightness(), -100);
}

TEST(SkinManager, CommonSectionsLoseTheirBlanksAndReload)
{
    ManagerPtr m = NewManager();
    m->ApplySkinEditorText(L"Test", String(), SkinText);
    TStringList common;
    common.SetText(L"[ NEW ]\nCOLOR = 0x10\n; keep me\n");
    m->SetCommonSections(common);
    EXPECT_EQ(m->CommonSections()->Get(0), L"[NEW]");
    EXPECT_EQ(m->CommonSections()->Get(2), L"; keep me");
    const int i = m->GetSkinIndex(L"NEW");
    ASSERT_GE(i, 0);
    EXPECT_EQ(m->gd()[static_cast<size_t>(i)].Props[0].Color, 16);
}

TEST(SkinManager, PreviewRecordFromAnEditor)
{
    ManagerPtr m = NewManager();
    std::string payload(sizeof(uint32_t), '\0');
    const uint32_t magic = acSkinEditorMagic;
    memcpy(payload.data(), &magic, 4);
    std::string name = "Edited";
    payload += name + std::string(128 - name.size(), '\0');
    payload += std::string(512, '\0');
    payload += "[GLOBALINFO]\r\nVERSION=9\r\n[X]\r\nCOLOR=5\r\n";   // shorter than the record: the rest stays zero
    ReadSkinEditorData(payload.data(), payload.size(), m->PreviewBuffer);
    m->LoadPreviewSkin();
    EXPECT_EQ(m->SkinName(), L"Edited");
    EXPECT_EQ(m->SkinInfo(), L"9");
    EXPECT_GE(m->GetSkinIndex(L"X"), 0);

    ManagerPtr other = NewManager();
    ReadSkinEditorData("\x01\x02", 2, other->PreviewBuffer);   // not the editor's record
    other->LoadPreviewSkin();
    EXPECT_TRUE(other->SkinName().empty());
}

TEST(SkinManager, LoadedFillsTheForeignClassLists)
{
    TComponent owner(nullptr);
    owner.BeginLoading();
    auto* m = new TsSkinManager(&owner);
    m->ThirdParty()->SetString(tpButton, String());
    m->ThirdParty()->SetString(tpEdit, L"TForeignEdit");
    owner.EndLoading();
    EXPECT_EQ(m->ThirdParty()->GetString(tpButton), L"TButton");
    EXPECT_EQ(m->ThirdLists[tpEdit]->Get(0), L"TForeignEdit");
    EXPECT_EQ(m->MenuSupport()->IcoLineSkin(), L"ICOLINE");
    EXPECT_EQ(m->SkinDirectory(), L"c:\\Skins");
    EXPECT_EQ(m->Version(), L"14.24");
}

TEST(SkinManager, OptionWritesThatStayQuiet)
{
    TRecordingFormServices services;
    FormPtr form(new TForm(nullptr));
    auto* listener = new TCommandListener(form.get());
    form->Show();

    // While the manager is being streamed a new scroll-bar size is only stored.
    {
        TComponent owner(nullptr);
        owner.BeginLoading();
        auto* m = new TsSkinManager(&owner);
        listener->Commands.clear();
        m->ScrollsOptions()->SetScrollSize(20);
        EXPECT_EQ(m->ScrollsOptions()->ScrollSize(), 20);
        EXPECT_TRUE(listener->Commands.empty());
        owner.EndLoading();
        EXPECT_EQ(m->ScrollsOptions()->ScrollSize(), 20);
        for (unsigned c : listener->Commands) EXPECT_NE(c, unsigned(scmScrollOptionsChanged));
    }

    // Only the default manager may take over the system colours.
    ManagerPtr first = NewManager();
    ManagerPtr second = NewManager();
    ASSERT_FALSE(second->IsDefault());
    second->ApplySkinEditorText(L"Test", String(), SkinText);
    ASSERT_TRUE(second->IsActive());
    const int indexes[] = {COLOR_BTNFACE, COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_BTNTEXT};
    std::vector<DWORD> before;
    for (int i : indexes) before.push_back(GetSysColor(i));
    listener->Commands.clear();
    services.Calls.clear();
    second->Options()->SetChangeSysColors(true);
    EXPECT_TRUE(second->Options()->ChangeSysColors());
    for (size_t k = 0; k < before.size(); ++k) EXPECT_EQ(GetSysColor(indexes[k]), before[k]) << indexes[k];
    EXPECT_TRUE(services.Calls.empty());
    EXPECT_TRUE(listener->Commands.empty());
}

TEST(SkinManager, SideColorMask)
{
    ManagerPtr m = NewManager();
    TBitmap bmp(8, 6, pf32bit);
    m->FillSideColorMask(&bmp, TRect(0, 0, 8, 6), 0x112233, 0xFF00FF, 0, 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(ReadPixel32(&bmp, x, y), 0xFF332211u) << x << "," << y;
    TBitmap sides(20, 20, pf32bit);
    m->FillSideColorMask(&sides, TRect(0, 0, 20, 20), 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF);
    EXPECT_EQ(ReadPixel32(&sides, 10, 2) & 0xFFFFFF, 0x00FF00u);    // upper half: ColorB
    EXPECT_EQ(ReadPixel32(&sides, 10, 17) & 0xFFFFFF, 0xFFFFFFu);   // lower half: ColorT
    EXPECT_EQ(ReadPixel32(&sides, 1, 10) & 0xFFFFFF, 0xFF0000u);    // left triangle: ColorL (pixel order)
    EXPECT_EQ(ReadPixel32(&sides, 18, 10) & 0xFFFFFF, 0x0000FFu);   // right triangle: ColorR
}

TEST(SkinManager, PaintersReachItsSkinThroughTheSeam)
{
    const wchar_t* text = L"[GLOBALINFO]\nVERSION=8\nCOLOR=12632256\n"
                          L"[LABEL]\nSTATES=2\nFONTCOLOR=255\nHOTFONTCOLOR=65280\nFONTCOLOR2=16711680\n";
    ManagerPtr m = NewManager();
    m->ApplySkinEditorText(L"Test", String(), text);
    ASSERT_TRUE(m->IsActive());
    const TacSkinPaintSource* skin = SkinPaintSourceOf(m.get());
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin, m->CommonSkinData(96));
    EXPECT_EQ(skin->UnscaledData(), skin);
    EXPECT_TRUE(skin->IsActive());
    EXPECT_EQ(skin->GlobalColor(), 12632256);
    ASSERT_EQ(DefaultManager, m.get()) << "the only manager is the default one";
    EXPECT_EQ(SkinPaintSourceOf(nullptr), skin) << "nil: the default manager";

    // Section text colours by state, a state past the section's two taking its last.
    const int label = m->GetSkinIndex(L"LABEL");
    ASSERT_GE(label, 0);
    struct Case { int state; uint32_t pixel; } cases[] = {{0, 0xFF0000}, {1, 0x00FF00}, {7, 0x00FF00}};
    for (auto c : cases) {
        TBitmap b;
        b.SetPixelFormat(pf32bit);
        b.SetSize(60, 40);
        FillRectAlpha32(&b, TRect(0, 0, 60, 40), clWhite, 255);
        b.Canvas()->Font()->SetName(L"Tahoma");
        b.Canvas()->Font()->SetHeight(-24);
        b.Canvas()->Font()->SetQuality(TFontQuality::fqNonAntialiased);
        WriteSectionText(b.Canvas(), L"IH", true, TRect(5, 5, 60, 40), DT_SINGLELINE, label, c.state, m.get());
        GdiFlush();
        std::set<uint32_t> colours;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x) colours.insert(ReadPixel32(&b, x, y) & 0xFFFFFFu);
        EXPECT_EQ(colours, (std::set<uint32_t>{0xFFFFFF, c.pixel})) << "state " << c.state;
    }

    // An image of the skin lies in its manager's master bitmap.
    m->MasterBitmap.Resize(4, 3, 0xFF3366CCu);
    TsMaskData image;
    image.Manager = m.get();
    image.R = TRect(0, 0, 4, 3);
    image.Width = 4;
    image.Height = 3;
    image.WL = image.WT = image.WR = image.WB = 1;
    image.DrawMode = dmFillCenter;
    TPixelImage dest(10, 8, 0);
    DrawSkinMask32(dest.View(), TRect(1, 1, 9, 7), EmptyCacheInfo, image, 0, false);
    EXPECT_EQ(dest.At(1, 1), 0xFF3366CCu);
    EXPECT_EQ(dest.At(5, 4), 0xFF3366CCu);
    EXPECT_EQ(dest.At(0, 0), 0u);
}
