// The configurator's entry point.
//
//   QweltaWheel.exe [--simulator]
//
// --simulator puts the built-in simulated wheel base and shifter in place of real devices,
// so the tool can be tried without hardware.
#include "vcl/win.h"

#include <shellapi.h>

#include "app/main_form.h"
#include "app/settings_form.h"
#include "skin/controls/sshellfolder.h"
#include "skin/graphics/pnggraphic.h"
#include "hid/sim/devsim.h"
#include "vcl/application.h"

namespace {

bool HasSwitch(const wchar_t* name)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return false;
    bool found = false;
    for (int i = 1; i < argc && !found; ++i) found = _wcsicmp(argv[i], name) == 0;
    LocalFree(argv);
    return found;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Before any window or PPI query: the forms scale themselves to their screen's PPI.
    DeclarePerMonitorPpiAware();
    try {
        // The simulator must stand in before the HID controller binds the libraries.
        if (HasSwitch(L"--simulator")) devsim::InstallDeviceSimulator();
        RegisterPngGraphic();
        // The shell layer's start-up: OLE on this thread, the desktop folder, the system's
        // small icons. Its shut-down runs after the application, also when it fails.
        InitShellFolders();
        struct ShellFoldersDone {
            ~ShellFoldersDone() { DoneShellFolders(); }
        } shellFoldersDone;
        TApplication app(nullptr);
        app.Initialize();
        app.SetMainFormOnTaskBar(true);
        app.CreateForm(MainForm);
        app.CreateForm(FormSettings);
        MainForm->Show();
        app.Run();
        // The forms go with the application, main form last.
    } catch (...) {
        MessageBoxW(nullptr, CurrentExceptionMessage().c_str(), TMainForm::AppTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    return 0;
}
