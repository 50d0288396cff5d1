#include "app/main_form.h"

#include <shellapi.h>

#include <algorithm>
#include <random>

#include "app/app_resources.h"
#include "app/settings_form.h"
#include "app/shifter_page.h"
#include "skin/engine/command_delivery.h"
#include "skin/graphics/pnggraphic.h"
#include "skins/stored_skins.h"

TMainForm* MainForm = nullptr;

namespace {

// Our own message: devices given back while unplugged are checked in from the message loop.
constexpr UINT WM_QW_CHECKIN = WM_APP + 0x51;

const wchar_t* const kTips[] = {
    L"Those grid lines are draggable. Make use of  the feature.",
    L"You can only display one debug stat at a time.",
    L"Factory reset will clear all saved data from the ROM.",
    L"After you disable LED, re-plug your device.",
};

bool IsOurs(THidDevice* dev, uint16_t product)
{
    return dev && dev->Attributes().VendorID == VendorIdDevices && dev->Attributes().ProductID == product;
}

}  // namespace

TMainForm::TMainForm(TComponent* owner, const String& settingsFile) : TForm(owner), FSettingsFile(settingsFile)
{
    BeginLoading();
    OpenLink = [this](const String& url) {
        // A failure to open (no browser) is left alone: nothing depends on it.
        ShellExecuteW(HandleAllocated() ? Handle() : nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    };
    SetName(L"MainForm");
    SetCaption(WindowCaption);
    SetPosition(poScreenCenter);
    SetClientSize(1040, 620);

    // The skin manager comes first: it loads the stored skin while the window is built.
    sSkinManager1 = new TsSkinManager(this);
    sSkinManager1->SetName(L"sSkinManager1");
    sSkinManager1->AnimEffects()->BlendOnMoving.Active = true;
    sSkinManager1->AnimEffects()->FormHide.Mode = atFading;
    sSkinManager1->ButtonsOptions()->SetOldGlyphsMode(true);
    sSkinManager1->SetSkinDirectory(StoredSkinDirectory);
    // The skins built into the program: Neutral (never chosen by name; the fallback), Dark, Light.
    for (int i = 0; i < ProgramStoredSkinCount; ++i) {
        const TStoredSkinBytes& stored = ProgramStoredSkins()[i];
        TsStoredSkin& item = sSkinManager1->InternalSkins()->Add();
        item.Name = stored.Name;
        item.PackedData.WriteBuffer(stored.Data, static_cast<int64_t>(stored.Size));
    }
    sSkinManager1->SetSkinName(L"Dark");

    HIDCtl = new THidDeviceController(this);
    HIDCtl->BeginLoading();
    HIDCtl->OnArrival = Bind<&TMainForm::HIDCtlArrival>(this);
    HIDCtl->OnEnumerate = Bind<&TMainForm::HIDCtlEnumerate>(this);
    HIDCtl->SetOnDeviceChange(Bind<&TMainForm::HIDCtlDeviceChange>(this));
    HIDCtl->SetOnDeviceData(Bind<&TMainForm::HIDCtlDeviceData>(this));
    HIDCtl->SetOnDeviceUnplug(Bind<&TMainForm::HIDCtlDeviceUnplug>(this));

    SoupConfig1 = new TSoupConfig(this);
    if (!FSettingsFile.empty()) SoupConfig1->SetPath(FSettingsFile);

    auto makeTimer = [this](unsigned interval, bool enabled, bool keepAlive, TNotifyEvent handler) {
        auto* t = new TThreadTimer(this);
        t->SetInterval(interval);
        t->SetKeepAlive(keepAlive);
        t->SetOnTimer(handler);
        t->SetEnabled(enabled);
        return t;
    };
    DevMon = makeTimer(1000, true, false, Bind<&TMainForm::DevMonTimer>(this));
    WidthController = makeTimer(1000, true, false, Bind<&TMainForm::WidthControllerTimer>(this));
    timerTips = makeTimer(3000, true, true, Bind<&TMainForm::timerTipsTimer>(this));
    IncAngle = makeTimer(100, false, false, Bind<&TMainForm::IncAngleTimer>(this));
    DecAngle = makeTimer(100, false, false, Bind<&TMainForm::DecAngleTimer>(this));

    Images = new TsAlphaImageList(this);
    Images->SetSize(16, 16);
    LoadStatusImages();

    BuildMenu();
    BuildWindow();

    OnCreate = Bind<&TMainForm::FormCreate>(this);
    OnShow = Bind<&TMainForm::FormShow>(this);
    OnCloseQuery = Bind<&TMainForm::FormCloseQuery>(this);
    OnClose = Bind<&TMainForm::FormClose>(this);
    OnDestroy = Bind<&TMainForm::FormDestroy>(this);
    HIDCtl->EndLoading();
    EndLoading();
}

TMainForm::~TMainForm()
{
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::LoadStatusImages()
{
    // Entry 0: connected, 1: disconnected, 2: the idle dot, 3: the state dot.
    try {
        Images->AddPng(AppResources::ConnectedPng, AppResources::ConnectedPngSize);
        Images->AddPng(AppResources::DisconnectedPng, AppResources::DisconnectedPngSize);
        Images->AddPng(AppResources::IdleDotPng, AppResources::IdleDotPngSize);
        Images->AddPng(AppResources::StateDotPng, AppResources::StateDotPngSize);
    } catch (...) {
        // The status panels and the dots then show no icon; nothing else depends on them.
        OutputDebugStringW((L"Status icons: " + CurrentExceptionMessage()).c_str());
    }
}

// ---- Building ----------------------------------------------------------------------------

void TMainForm::BuildMenu()
{
    MainMenu1 = new TMainMenu(this);
    auto item = [this](TMenuItem* parent, const wchar_t* caption, TNotifyEvent onClick) {
        auto* mi = new TMenuItem(this);
        mi->SetCaption(caption);
        mi->OnClick = onClick;
        parent->Add(mi);
        return mi;
    };
    F1 = item(MainMenu1->Items(), L"&File", nullptr);
    E1 = item(F1, L"E&xit", Bind<&TMainForm::E1Click>(this));
    S1 = item(MainMenu1->Items(), L"Setup", nullptr);
    P1 = item(S1, L"&Preferences", Bind<&TMainForm::P1Click>(this));
    T1 = item(MainMenu1->Items(), L"Themes", nullptr);
    D1 = item(T1, L"Dark", Bind<&TMainForm::D1Click>(this));
    L1 = item(T1, L"Light", Bind<&TMainForm::L1Click>(this));
    D1->SetRadioItem(true);
    L1->SetRadioItem(true);
    H1 = item(MainMenu1->Items(), L"&Help", nullptr);
    H2 = item(H1, L"Hel&p", Bind<&TMainForm::H2Click>(this));
    N1 = item(H1, L"&About", Bind<&TMainForm::N1Click>(this));
    SetMenu(MainMenu1);
}

void TMainForm::BuildWindow()
{
    // Information panel across the top: product title and maker over the theme's picture.
    InfoPanel = new TsPanel(this);
    InfoPanel->SetParent(this);
    InfoPanel->SetAlign(alTop);
    InfoPanel->SetHeight(40);
    InfoPanel->SetBevelOuter(bvNone);
    InfoPanel->SetShowCaption(false);
    // What the text leaves free (behind the dots and the banner) shows the skin's window
    // background.
    InfoPanel->SkinData()->SetSkinSection(L"FORM");
    // The banner at the right end; a click on it opens the support page.
    donateMe = new TsImage(this);
    donateMe->SetName(L"donateMe");
    donateMe->SetParent(InfoPanel);
    donateMe->SetAlign(alRight);
    // Its picture is made at the panel's height: stretched, it keeps its shape at any PPI.
    donateMe->SetWidth(132);
    donateMe->SetStretch(true);
    donateMe->SetTransparent(true);
    donateMe->SetCursor(crHandPoint);
    donateMe->SetHint(L"Support the project");
    donateMe->SetShowHint(true);
    try {
        TPNGGraphic png;
        TMemoryStream data;
        data.WriteBuffer(AppResources::BannerPng, static_cast<int64_t>(AppResources::BannerPngSize));
        data.SetPosition(0);
        png.LoadFromStream(data);
        donateMe->Picture()->SetGraphic(&png);
    } catch (...) {
        // Without its picture the banner is an empty spot that still takes the click.
        OutputDebugStringW((L"Banner: " + CurrentExceptionMessage()).c_str());
    }
    donateMe->OnClick = Bind<&TMainForm::donateMeClick>(this);
    // Three state dots left of the banner, each the list's dot stretched into its strip and
    // centred in it.
    int dotLeft = InfoPanel->Width() - donateMe->Width() - 14;
    for (TsImage** dot : {&StateDot3, &StateDot2, &StateDot1}) {
        auto* d = new TsImage(this);
        d->SetParent(InfoPanel);
        d->SetBounds(dotLeft, 0, 14, InfoPanel->Height());
        dotLeft -= 14;
        d->SetAlign(alRight);
        d->SetImages(Images);
        d->SetImageIndex(ImageStateDot);
        d->SetStretch(true);
        d->SetProportional(true);
        d->SetCenter(true);
        *dot = d;
    }
    StateDot1->SetName(L"StateDot1");
    StateDot2->SetName(L"StateDot2");
    StateDot3->SetName(L"StateDot3");
    InfoText = new TAAScrollText(this);
    InfoText->SetParent(InfoPanel);
    SetupInfoText(InfoText);
    InfoText->SetAlign(alClient);

    // The status bar shows the last status message on every page; the log is on the Debug tab.
    StatusBar = new TsStatusBar(this);
    StatusBar->SetParent(this);
    StatusBar->SetAlign(alBottom);
    StatusBar->SetSizeGrip(false);
    struct TPanelDef {
        int width;
        const wchar_t* text;
        bool ownerDraw;
    };
    static const TPanelDef kPanels[] = {
        {620, L"", false},  {50, L"Sel", false},          {100, L"", false},      {20, TextDisconnected, true},
        {50, L"Wheel", false}, {20, TextDisconnected, true}, {50, L"Shifter", false}, {20, TextDisconnected, true},
        {50, L"Pedal", false}, {50, L"0.0.0.0", false},
    };
    for (const auto& def : kPanels) {
        TStatusPanel* p = StatusBar->Panels()->Add();
        p->SetWidth(def.width);
        p->SetText(def.text);
        if (def.ownerDraw) p->SetStyle(psOwnerDraw);
    }
    StatusBar->OnDrawPanel = Bind<&TMainForm::StatusBarDrawPanel>(this);

    PageControl = new TsPageControl(this);
    PageControl->SetParent(this);
    PageControl->SetAlign(alClient);
    auto sheet = [this](const wchar_t* caption) {
        auto* s = new TsTabSheet(this);
        s->SetPageControl(PageControl);
        s->SetCaption(caption);
        return s;
    };
    TabBase = sheet(L"Base");
    TabHardware = sheet(L"Hardware");
    TabShifter = sheet(L"Shifter");
    TabPedal = sheet(L"Pedal");
    TabPedal->SetEnabled(false);
    TabDebug = sheet(L"Debug");
    TabBase->OnShow = Bind<&TMainForm::TabBaseShow>(this);
    TabHardware->OnShow = Bind<&TMainForm::TabHardwareShow>(this);
    TabDebug->OnShow = Bind<&TMainForm::TabDebugShow>(this);

    BuildBasePage();
    BuildHardwarePage();
    BuildShifterPage();
    BuildDebugPage();
}

TsLabel* TMainForm::AddLabel(TWinControl* parent, const String& caption, int x, int y)
{
    auto* l = new TsLabel(this);
    l->SetParent(parent);
    l->SetCaption(caption);
    l->SetLeft(x);
    l->SetTop(y);
    return l;
}

TsButton* TMainForm::AddButton(TWinControl* parent, const String& caption, int x, int y, int width,
                               TNotifyEvent onClick)
{
    auto* b = new TsButton(this);
    b->SetParent(parent);
    b->SetCaption(caption);
    b->SetBounds(x, y, width, 25);
    b->OnClick = onClick;
    return b;
}

TsComboBox* TMainForm::AddCombo(TWinControl* parent, int x, int y, int width,
                                std::initializer_list<const wchar_t*> items, int index)
{
    auto* c = new TsComboBox(this);
    c->SetParent(parent);
    c->SetStyle(csDropDownList);
    c->SetBounds(x, y, width, 24);
    for (const wchar_t* item : items) c->Items()->Add(item);
    c->SetItemIndex(index);
    return c;
}

TsGroupBox* TMainForm::AddGroup(TWinControl* parent, const String& caption, int x, int y, int width, int height)
{
    auto* g = new TsGroupBox(this);
    g->SetParent(parent);
    g->SetCaption(caption);
    g->SetBounds(x, y, width, height);
    return g;
}

TsTrackBar* TMainForm::AddSlider(TWinControl* parent, const String& caption, int x, int y, int barWidth, int min,
                                 int max, int position, int captionWidth)
{
    TsLabel* name = AddLabel(parent, caption, x, y + 5);
    name->SetAutoSize(false);
    name->SetWidth(captionWidth);
    auto* bar = new TsTrackBar(this);
    bar->SetParent(parent);
    bar->SetBounds(x + captionWidth, y, barWidth, 26);
    bar->SetTickStyle(tsNone);
    bar->SetShowProgress(true);
    bar->SetPositionToolTip(ptTop);
    bar->SetRange(min, max);
    bar->SetPosition(position);
    TsLabel* value = AddLabel(parent, IntToStr(position), x + captionWidth + barWidth + 4, y + 5);
    value->SetAutoSize(false);
    value->SetWidth(44);
    FSliderValues[bar] = value;
    bar->OnChange = Bind<&TMainForm::SliderChange>(this);
    return bar;
}

void TMainForm::SliderChange(TObject* Sender)
{
    auto* bar = static_cast<TsTrackBar*>(Sender);
    auto it = FSliderValues.find(bar);
    if (it != FSliderValues.end()) it->second->SetCaption(IntToStr(bar->Position()));
}

TsDecimalSpinEdit* TMainForm::AddSpinEdit(TWinControl* parent, const String& caption, int x, int y,
                                          int captionWidth, int editWidth, double value, int decimals,
                                          double increment)
{
    if (!caption.empty()) {
        TsLabel* l = AddLabel(parent, caption, x, y + 3);
        l->SetAutoSize(false);
        l->SetWidth(captionWidth - 4);
    }
    auto* e = new TsDecimalSpinEdit(this);
    e->SetParent(parent);
    e->SetBounds(x + captionWidth, y, editWidth, 22);
    e->SetDecimalPlaces(decimals);
    e->SetIncrement(increment);
    e->SetValue(value);
    return e;
}

// ---- Life cycle ---------------------------------------------------------------------------

void TMainForm::FormCreate(TObject*)
{
    // 1.
    InfoText->SetActive(true);
    // 2.
    if (Application) Application->SetTitle(AppTitle);
    // 3. The two lists live in the protocol.
    FLock = new TCriticalSection();
    // 4.
    totalEffects = 0;
    Startup = true;
    // 5.
    try {
        enableLogTofile->SetChecked(SoupConfig1->ReadBool(L"Debug", L"LogToFile", false));
    } catch (...) {
        SetSysLog(L"Settings: " + CurrentExceptionMessage());
    }
    // 6.
    try {
        FThreadFileLog = new TThreadFileLog();
        FLog.SetFileLog(FThreadFileLog);
    } catch (...) {
        FThreadFileLog = nullptr;
        SetSysLog(L"The log file cannot be written: " + CurrentExceptionMessage());
    }
    // 7.
    PageControl->SetActivePage(TabBase);
    // 8. Normally nothing yet: the controller's first scan runs from the message loop.
    HIDCtl->Enumerate();
    // 10.
    ShifterCurPosOnGrid = TPoint(0, 0);
    FCreated = true;
}

void TMainForm::FormShow(TObject*)
{
    int theme = 0;
    try {
        theme = SoupConfig1->ReadInteger(L"Themes", L"Active", 0);
    } catch (...) {
        SetSysLog(L"Settings: " + CurrentExceptionMessage());
    }
    ApplyTheme(theme, false);
}

void TMainForm::FormCloseQuery(TObject*, bool& CanClose)
{
    FProto.Closing = true;
    CanClose = true;
}

void TMainForm::FormClose(TObject*, TCloseAction&)
{
    Guarded(this, [&] { StoreActiveProfile(); });
}

void TMainForm::FormDestroy(TObject*)
{
    FProto.Closing = true;
    delete FLock;
    FLock = nullptr;
    FLog.SetFileLog(nullptr);
    delete FThreadFileLog;   // the worker finishes the queued lines first
    FThreadFileLog = nullptr;
    for (THidDevice** dev : {&CurrentWheelBase, &CurrentShifter}) {
        THidDevice* d = *dev;
        if (d) FGiveBack.push_back(d);
    }
    SetWheelBase(nullptr);
    SetShifter(nullptr);
    CheckInGivenBack();
}

// ---- Log sink -----------------------------------------------------------------------------

void TMainForm::ShowStatusText(const String& line)
{
    if (StatusBar && StatusBar->Panels()->Count() > 0) StatusBar->Panels()->Items(PanelStatus)->SetText(line);
}

void TMainForm::AddLogLine(const String& line)
{
    if (!sysLog) return;
    if (!sysLog->HandleAllocated()) {
        sysLog->Lines()->Add(line);
        return;
    }
    // Appending at the end keeps long logs cheap (no rewrite of the whole text).
    HWND h = sysLog->Handle();
    const int len = GetWindowTextLengthW(h);
    SendMessageW(h, EM_SETSEL, len, len);
    const String text = (len > 0 ? L"\r\n" : L"") + line;
    SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

// ---- Devices ------------------------------------------------------------------------------

void TMainForm::SetPanelText(int index, const String& text)
{
    if (StatusBar && index < StatusBar->Panels()->Count()) StatusBar->Panels()->Items(index)->SetText(text);
}

void TMainForm::SetWheelBase(THidDevice* dev)
{
    CurrentWheelBase = dev;
    FWheelWriter = dev ? std::make_unique<THidReportWriter>(dev) : nullptr;
    FProto.CurrentWheelBase = FWheelWriter.get();
}

void TMainForm::SetShifter(THidDevice* dev)
{
    CurrentShifter = dev;
    FShifterWriter = dev ? std::make_unique<THidReportWriter>(dev) : nullptr;
    FProto.CurrentShifter = FShifterWriter.get();
}

void TMainForm::GiveBack(THidDevice* dev)
{
    if (!dev) return;
    if (dev->IsPluggedIn()) {
        HIDCtl->CheckIn(dev);
        return;
    }
    FGiveBack.push_back(dev);
    if (HandleAllocated()) PostMessageW(Handle(), WM_QW_CHECKIN, 0, 0);
}

void TMainForm::CheckInGivenBack()
{
    std::vector<THidDevice*> devices;
    devices.swap(FGiveBack);
    for (THidDevice* dev : devices) {
        if (dev == CurrentWheelBase || dev == CurrentShifter) continue;   // taken into use again
        HIDCtl->CheckIn(dev);
    }
}

THidDevice* TMainForm::TakeInUse(THidDevice* HidDev, int Idx, THidDevice* current, void (TMainForm::*set)(THidDevice*))
{
    if (HidDev == current) return current;
    (this->*set)(nullptr);
    GiveBack(current);
    THidDevice* dev = nullptr;
    if (!HIDCtl->CheckOutByIndex(dev, Idx) || !dev) return nullptr;
    (this->*set)(dev);
    return dev;
}

bool TMainForm::HIDCtlEnumerate(THidDevice* HidDev, int Idx)
{
    Enumerating = true;
    Guarded(this, [&] {
        OutputDebugStringW((IntToStr(HidDev->Attributes().VendorID) + HidDev->ProductName()).c_str());
        if (IsOurs(HidDev, ProductIdWheelBase)) {
            // The wheel base in use stays checked out: checking it in and out again would stop
            // its read thread and lose the replies it is waiting for (those of the start-up
            // load among them). It is read again all the same.
            if (!TakeInUse(HidDev, Idx, CurrentWheelBase, &TMainForm::SetWheelBase)) return;
            SetSysLog(L"Wheel found and connected.");
            RequestFirmware();
            if (Startup) {
                cProfiles->SetItemIndex(ReadActiveProfile());
                SetSysLog(L"Applying profile configuration");
                btnLoadProfile->Click();
                Startup = false;
            } else {
                if (!FProto.IsProfileLoading()) RequestProfileConfig();
                RequestJoystickConfig();
                RequestMotorConfig();
            }
            SetPanelText(PanelWheel, TextConnected);
        } else if (IsOurs(HidDev, ProductIdShifter)) {
            if (!TakeInUse(HidDev, Idx, CurrentShifter, &TMainForm::SetShifter)) return;
            SetSysLog(L"Shifter found and connected.");
            SetPanelText(PanelShifter, TextConnected);
        }
    });
    Enumerating = false;
    return true;
}

void TMainForm::HIDCtlArrival(THidDevice*)
{
    Guarded(this, [&] { HIDCtl->Enumerate(); });
}

void TMainForm::HIDCtlDeviceChange(TObject*)
{
    Guarded(this, [&] { HIDCtl->Enumerate(); });
}

void TMainForm::HIDCtlDeviceUnplug(THidDevice* HidDev)
{
    if (Closing() || !HidDev) return;
    Guarded(this, [&] {
        SetSysLog(L"Removal of " + HidDev->ProductName());
        if (HidDev->Attributes().VendorID != VendorIdDevices) return;
        // Any wheel base or shifter going away drops the one in use, also one given back
        // on a suspend (whose panel still says "Connected"); a unit that is still plugged
        // in is given back and found again by the next enumeration.
        if (HidDev->Attributes().ProductID == ProductIdWheelBase) {
            THidDevice* dev = CurrentWheelBase;
            SetWheelBase(nullptr);
            GiveBack(dev);
            SetPanelText(PanelWheel, TextDisconnected);
        } else if (HidDev->Attributes().ProductID == ProductIdShifter) {
            THidDevice* dev = CurrentShifter;
            SetShifter(nullptr);
            GiveBack(dev);
            SetPanelText(PanelShifter, TextDisconnected);
        }
    });
}

void TMainForm::HIDCtlDeviceData(THidDevice* HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size)
{
    if (Closing() || !HidDev) return;
    THidReportWriter sender(HidDev);
    FProto.HandleDeviceData(&sender, ReportID, Data, Size);
}

void TMainForm::DevMonTimer(TObject*)
{
    Guarded(this, [&] {
        auto dropShifterIfGone = [this] {
            if (CurrentShifter && !CurrentShifter->IsPluggedIn()) {
                SetPanelText(PanelShifter, TextDisconnected);
                THidDevice* dev = CurrentShifter;
                SetShifter(nullptr);
                GiveBack(dev);
            }
        };
        dropShifterIfGone();
        if (CurrentShifter) SetPanelText(PanelShifter, TextConnected);
        if (ShifterPage) ShifterPage->SyncLineVisibility();
        if (CurrentWheelBase && !CurrentWheelBase->IsPluggedIn()) {
            SetPanelText(PanelWheel, TextDisconnected);
            THidDevice* dev = CurrentWheelBase;
            SetWheelBase(nullptr);
            GiveBack(dev);
        }
        dropShifterIfGone();
        ExpireStaleProfileLoad(TickSource());
    });
}

void TMainForm::ExpireStaleProfileLoad(uint64_t now)
{
    // Requests are never expired: the profile commands and the shifter's stream are by design
    // never answered, and a late reply is still shown and acknowledged. Only a load whose
    // blocks did not all come back must not hold back the Base tab's reads for ever.
    if (!FProto.IsProfileLoading() || now < FLoadStartedAt + ProfileLoadTimeoutMs) return;
    for (const wchar_t* flag : {L"Loading", L"WheelBase", L"UserEffect", L"Telemetry"})
        FProto.ProfileLoading.SetValues(flag, L"0");
    SetSysLog(L"Profile load timed out: not every block was answered");
}

void TMainForm::timerTipsTimer(TObject*)
{
    static std::mt19937 rng{std::random_device{}()};
    std::uniform_int_distribution<int> pick(1, 4);
    if (lblTips) lblTips->SetCaption(kTips[pick(rng) - 1]);
}

void TMainForm::WidthControllerTimer(TObject*) {}

void TMainForm::StatusBarDrawPanel(TStatusBar* Bar, TStatusPanel* Panel, const TRect& Rect)
{
    if (Closing() || !Bar || !Panel) return;
    Guarded(this, [&] {
        DrawImageListItemToDC(Images, Bar->Canvas()->Handle(), Rect.left, Rect.top,
                              Panel->Text() == TextConnected ? 0 : 1, 0, clNone, 0, 0, false, ControlPpi(Bar));
    });
}

// ---- Power and session --------------------------------------------------------------------

void TMainForm::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_POWERBROADCAST: WMPOWERBROADCAST(m); return;
    case WM_ENDSESSION: WMENDSESSION(m); return;
    case WM_QW_CHECKIN:
        Guarded(this, [&] { CheckInGivenBack(); });
        m.Result = 0;
        return;
    default: TForm::Dispatch(m);
    }
}

void TMainForm::WMPOWERBROADCAST(TMessage& m)
{
    const unsigned code = static_cast<unsigned>(m.WParam);
    Guarded(this, [&] {
        SetSysLog(L" Received WMPOWERBROADCAST Id: " + UIntToStr(code));
        FLock->Enter();
        struct TLeave {
            TCriticalSection* lock;
            ~TLeave() { lock->Leave(); }
        } leave{FLock};
        switch (code) {
        case 0: SetSysLog(L"Windows is asking for hibernate Mode"); break;
        case 1: SetSysLog(L"Windows is asking for standby Mode"); break;
        case 2: SetSysLog(L"Windows is denied to go to hibernate mode"); break;
        case 3: SetSysLog(L" Windows is denied to go to standby mode"); break;
        case 4: SetSysLog(L"Windows is going to hibernate"); OnSuspend(); break;
        case 5: SetSysLog(L"Windows is going to standby"); OnSuspend(); break;
        case 6: SetSysLog(L"Windows has resumed from critical hibernate mode"); OnResume(); break;
        case 7: SetSysLog(L"Windows has resumed from hibernate mode"); OnResume(); break;
        case 8: SetSysLog(L"Windows has resumed from standby mode"); OnResume(); break;
        case 18: SetSysLog(L"Windows has resumed to handle an automatic event"); OnResume(); break;
        default: SetSysLog(L"### !!! This event is not handled! !!! ### ID: " + UIntToStr(code)); break;
        }
    });
    m.Result = TRUE;
}

void TMainForm::OnSuspend()
{
    SetSysLog(L"Disconnecting from device.");
    // Given back, so the resume finds it again; the status bar shows that it is not in use
    // until then.
    THidDevice* dev = CurrentWheelBase;
    SetWheelBase(nullptr);
    GiveBack(dev);
    SetPanelText(PanelWheel, TextDisconnected);
    DevMon->SetEnabled(false);
}

void TMainForm::OnResume()
{
    SetSysLog(L"Re-connecting with device.");
    CheckInGivenBack();
    if (!Enumerating) HIDCtl->Enumerate();
    DevMon->SetEnabled(true);
}

void TMainForm::WMQueryEndSession(TMessage& m)
{
    const bool wasClosing = Closing();
    Guarded(this, [&] { TForm::WMQueryEndSession(m); });
    FClosingForSession = !wasClosing && Closing();
    Guarded(this, [&] { SetSysLog(L" Windows is requesting shutdown mode"); });
    m.Result = 1;
}

void TMainForm::WMENDSESSION(TMessage& m)
{
    DefaultHandler(m);
    if (m.WParam == FALSE) {
        // Someone vetoed the session end: the window goes on working with its devices.
        if (FClosingForSession) {
            FProto.Closing = false;
            FClosingForSession = false;
            if (StatusBar) StatusBar->Invalidate();
        }
        Guarded(this, [&] { SetSysLog(L" Windows shutdown was cancelled"); });
        m.Result = 0;
        return;
    }
    Guarded(this, [&] { SetSysLog(L" Windows shutdown mode executed"); });
    m.Result = 0;
    if (Application) Application->Terminate();
}

// ---- Themes and menu ------------------------------------------------------------------------

void TMainForm::SetSkinName(const String& name)
{
    FSkinName = name;
    sSkinManager1->SetSkinName(name);
}

void TMainForm::LoadBackground(const String& fileName)
{
    // Relative to the current folder; a program started from elsewhere finds the pictures
    // beside itself.
    String path = fileName;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && Application)
        path = ExtractFilePath(Application->ExeName()) + fileName;
    const String error = LoadInfoTextBackground(InfoText, path);
    if (!error.empty()) SetSysLog(L"Background picture " + fileName + L" cannot be shown: " + error);
}

void TMainForm::ApplyTheme(int theme, bool store)
{
    if (theme != 0 && theme != 1) return;
    const bool dark = theme == 0;
    SetSkinName(dark ? L"Dark" : L"Light");
    D1->SetChecked(dark);
    L1->SetChecked(!dark);
    if (store) {
        try {
            SoupConfig1->WriteInteger(L"Themes", L"Active", theme);
        } catch (...) {
            SetSysLog(L"Settings: " + CurrentExceptionMessage());
        }
    }
    LoadBackground(dark ? L"themes\\bg_dark.png" : L"themes\\bg_light.png");
}

void TMainForm::D1Click(TObject*) { ApplyTheme(0, true); }

void TMainForm::L1Click(TObject*) { ApplyTheme(1, true); }

void TMainForm::E1Click(TObject*)
{
    // Closing the main form ends the program, after the same close steps as the caption's
    // close button (the active profile is stored).
    Close();
}

void TMainForm::P1Click(TObject*)
{
    if (FormSettings) FormSettings->ShowModal();
}

void TMainForm::H2Click(TObject*)
{
    if (Application) Application->MessageBox(L"Not implemented", AppTitle, MB_OK | MB_ICONINFORMATION);
}

void TMainForm::N1Click(TObject*)
{
    if (Application)
        Application->MessageBox(String(AppTitle) + L"\r\nVersion 1.0\r\n\r\nSettings tool of the Qwelta direct-drive "
                                L"wheel base and gear shifter.",
                                L"About", MB_OK | MB_ICONINFORMATION);
}

void TMainForm::donateMeClick(TObject*)
{
    if (OpenLink) OpenLink(SupportPage);
}

void TMainForm::TabDebugShow(TObject*)
{
    // The file name edit would otherwise take the focus and swallow the arrow keys.
    if (LogfileSelector && LogfileSelector->Focused()) SetActiveControl(nullptr);
}

// ---- Profiles -----------------------------------------------------------------------------

int TMainForm::SelectedProfileIndex() const
{
    const int index = cProfiles ? cProfiles->ItemIndex() : 0;
    return index >= 0 && index < ProfileCount ? index : 0;
}

void TMainForm::StoreActiveProfile()
{
    SoupConfig1->WriteInteger(L"Profiles", L"ActiveProfile", SelectedProfileIndex());
}

int TMainForm::ReadActiveProfile()
{
    const int index = SoupConfig1->ReadInteger(L"Profiles", L"ActiveProfile", 0);
    if (index >= 0 && index < ProfileCount) return index;
    // Any other number would address a slot that is no profile.
    SetSysLog(L"Stored profile " + IntToStr(index) + L" does not exist; Profile 1 is used");
    return 0;
}

void TMainForm::ShowFirmwareVersion(const String& text)
{
    SetPanelText(PanelFirmware, text);
}
