// Workspace files as arbitrary bytes, loaded by the workstation as the user
// does: the window records and, for each window, its view's own reader (link
// groups, symbol, interval). The workstation runs offscreen without a broker
// (its login is taken as done); every file either opens its windows or ends
// in "Error loading workspace". Fuzz with ASAN_OPTIONS=detect_leaks=0 (fontconfig
// keeps what it allocates).
#include "app/shell/CWorkstationApp.h"
#include "platform/ui/CUiResponder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class FuzzApp : public CWorkstationApp {
protected:
    bool PromptLogin(CString& user, CString& password, bool&, const CString&) override
    {
        user = "fuzz";
        password = "fuzz";
        return true;
    }
    int RunLoginStatus(const CString&, const CString&, CString&) override { return IDOK; }
};

class SilentResponder : public CUiResponder {
public:
    int MessageBox(CWnd*, const CString& text, const CString&, UINT type) override
    {
        if (text != "Error loading workspace")
            std::abort();  // the only message a workspace may end in
        return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
};

struct Workstation {
    Workstation()
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "qx_workspace_fuzzer";
        static char* argv[] = {name, nullptr};
        qt = new QApplication(argc, argv);
        const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        home = base / ("qx-workspace-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(home);
        CUiResponder::Install(std::make_unique<SilentResponder>());
        app = new FuzzApp;
        app->m_arguments = {"--home", CString(home.string())};
        if (!app->InitInstance())
            std::abort();
        file = CString((home / "fuzz.swp").string());
        // At the end the workstation stops its threads and the folder goes.
        std::atexit([] {
            Instance().app->ExitInstance();
            std::error_code ignored;
            std::filesystem::remove_all(Instance().home, ignored);
        });
    }
    static Workstation& Instance();
    QApplication* qt;
    std::filesystem::path home;
    FuzzApp* app;
    CString file;
};

Workstation& Workstation::Instance()
{
    static Workstation* workstation = new Workstation;
    return *workstation;
}

// Delivers what the windows posted to themselves, but paints nothing: the
// readers are under test here, not the views' painting (which a window placed
// as large as a workspace allows makes slow enough to stop the fuzzer).
void Pump()
{
    QCoreApplication::removePostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Workstation* ws = &Workstation::Instance();
    {
        std::ofstream out(ws->file.GetString(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ws->app->LoadWorkspace(ws->file);
    Pump();
    ws->app->CloseAllWindows();
    Pump();
    return 0;
}
