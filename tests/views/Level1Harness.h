// Level I windows in an MDI main frame of their own, offscreen, with installed settings
// whose user folder is a scratch folder, and event pumping.
#pragma once

#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/IWorkstationFrame.h"
#include "platform/ui/CBitmap.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CDocTemplate.h"
#include "platform/ui/CMDIFrameWnd.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWinApp.h"
#include "tests/support/DocumentedMenus.h"
#include "tests/support/UiEvents.h"
#include "views/ui/Level1Ids.h"
#include "views/ui/Level1View.h"

#include <QCoreApplication>
#include <QImage>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    return PumpEventsUntil(done, timeoutMs);
}

// Answers message boxes, file dialogs and menus without a screen and records them.
class CAnsweringResponder : public CUiResponder {
public:
    int MessageBox(CWnd*, const CString& text, const CString&, UINT) override
    {
        boxes.push_back(text);
        return IDOK;
    }
    bool ChooseFile(CWnd*, FileDialogRequest& request, std::vector<CString>& chosen) override
    {
        requests.push_back(request);
        if (file.IsEmpty())
            return false;
        chosen = {file};
        if (fileType > 0)
            request.filterIndex = fileType;
        return true;
    }
    UINT TrackPopupMenu(CMenu& menu, CPoint, CWnd*) override
    {
        ++menusShown;
        if (menuRules)
            menuFaults += qx::testsupport::MenuTextFaults(menu, "popup", *menuRules);
        return menuChoice;
    }
    bool OpenExternal(const CString& target) override
    {
        opened.push_back(target);
        return true;
    }

    std::vector<CString> boxes;
    std::vector<FileDialogRequest> requests;
    std::vector<CString> opened;
    CString file;
    int fileType = 0; // the file type chosen with the file (filter index), when not 0
    UINT menuChoice = 0;
    // The popups shown; with menuRules set, the faults of their texts (MenuTextFaults).
    int menusShown = 0;
    std::optional<qx::testsupport::MenuTextRules> menuRules;
    std::string menuFaults;
};

// A main frame that records what the windows ask of it.
class CRecordingFrame : public CMDIFrameWnd, public IWorkstationFrame {
public:
    CString GetSymbolBox() const override { return symbol; }
    void SetSymbolBox(const char* text, BOOL) override
    {
        symbol = text;
        symbol.MakeUpper();
    }
    void ClearSymbolBox() override { symbol.Empty(); }
    void TypeIntoSymbolBox(char c) override { SetSymbolBox(CString(c, 1), FALSE); }
    CString GetIntervalBox() const override { return "Daily"; }
    void SetIntervalBox(const char*, BOOL) override {}
    BOOL IsExtSession() const override { return FALSE; }
    int ApplySymbolInterval(CView* source, BOOL) override
    {
        broadcasts.push_back({source, symbol});
        return 1;
    }
    void GetTargetAccounts(int, const std::vector<CString>&, std::vector<CAccountInfo>&) const override {}
    CString GetAccountListText(int, const std::vector<CString>&, int) const override { return {}; }
    int GetCurrentAccount() const override { return 0; }
    void OnRefreshAccountData() override {}
    void SetMessageText(const char* text) override { messages.emplace_back(text); }
    CDocument* OpenWindowOfKind(int, bool) override { return nullptr; }
    CView* OpenListWindow(UINT, BOOL) override { return nullptr; }
    bool SetupTradeAlert(int, CWnd*) override
    {
        ++alertSetups;
        return false;
    }
    int alertSetups = 0;

    CString symbol;
    std::vector<std::pair<CView*, CString>> broadcasts;
    std::vector<CString> messages; // status bar texts
};

// Windows of the views in an MDI main frame of type Frame, offscreen: settings installed over
// a scratch user folder (named after the prefix) with its Layouts folder, a responder that
// answers, and the doc templates addTemplates gives the application.
template <class Frame>
class CViewsHarness {
public:
    CViewsHarness(const char* prefix, const char* appName, const std::function<void(CWinApp&)>& addTemplates)
        : app(appName)
    {
        static int n = 0;
        m_home = std::filesystem::temp_directory_path() /
                 (prefix + std::to_string(::getpid()) + "-" + std::to_string(++n));
        std::filesystem::create_directories(m_home / "Layouts");
        settings.SetWorkingDirectory(CString(m_home.string()));
        CAppSettings::Install(&settings);
        auto responder = std::make_unique<CAnsweringResponder>();
        answers = responder.get();
        m_previous = CUiResponder::Install(std::move(responder));
        addTemplates(app);
        auto frame = std::make_unique<Frame>();
        frame->LoadFrame(1, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        main = frame.release(); // owns itself now
        app.m_pMainWnd = main;
        main->MoveWindow(0, 0, 1200, 800);
    }
    ~CViewsHarness()
    {
        app.CloseAllDocuments(TRUE);
        app.m_pMainWnd = nullptr;
        main->DestroyWindow();
        PumpFor(5);
        CUiResponder::Install(std::move(m_previous));
        CAppSettings::Install(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(m_home, ec);
    }
    CViewsHarness(const CViewsHarness&) = delete;
    CViewsHarness& operator=(const CViewsHarness&) = delete;

    std::string Path(const char* name) const { return (m_home / name).string(); }
    std::string Read(const char* name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const char* name, const std::string& text) const
    {
        std::ofstream out(Path(name), std::ios::binary);
        out << text;
    }

    CAppSettings settings;
    CWinApp app;
    Frame* main = nullptr;
    CAnsweringResponder* answers = nullptr;

private:
    std::filesystem::path m_home;
    std::unique_ptr<CUiResponder> m_previous;
};

class CLevel1Harness : public CViewsHarness<CRecordingFrame> {
public:
    CLevel1Harness()
        : CViewsHarness("qx-level1-", "Level1Test", [](CWinApp& app) {
              app.AddDocTemplate(std::make_unique<CDocTemplate>(IDR_LEVEL1, RuntimeClassOf<CCommonDoc>(),
                                                                RuntimeClassOf<CChildFrame>(),
                                                                RuntimeClassOf<Level1View>()));
          })
    {
    }

    Level1View* Open()
    {
        CDocument* doc = app.GetDocTemplate(0)->OpenDocumentFile(nullptr);
        auto* view = doc ? dynamic_cast<Level1View*>(doc->GetFirstView()) : nullptr;
        if (view)
            if (CFrameWnd* frame = view->GetParentFrame())
                frame->MoveWindow(0, 0, 1100, 700);
        PumpFor(20);
        return view;
    }
};

// The colour of a pixel of the grid as shown, in client coordinates of the grid.
inline COLORREF GridPixel(CListCtrlEx& grid, int x, int y)
{
    CBitmap picture;
    if (!grid.CaptureToBitmap(picture) || !picture.Image())
        return static_cast<COLORREF>(-1);
    const QColor c = picture.Image()->pixelColor(x, y);
    return RGB(c.red(), c.green(), c.blue());
}
