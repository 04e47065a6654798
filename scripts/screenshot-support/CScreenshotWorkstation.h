// The start-up and shut-down the screenshot programs share: a workstation logged in as
// demo to a test broker in the same process, in a fresh home folder under the temporary
// folder, its main frame 1280x800, message boxes told on stderr.
#pragma once

#include "app/shell/CWorkstationApp.h"
#include "platform/core/CString.h"
#include "platform/ui/CUiResponder.h"
#include "tools/testbroker/CTestBroker.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CMainFrame;
class CView;

// Runs events until done() holds or timeoutMs pass; whether it holds.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

// Maximizes the MDI child that holds the view.
void MaximizeWindowOf(CView& view);

class CScreenshotWorkstation {
public:
    // The program's name starts its messages; the home folder is named after it.
    explicit CScreenshotWorkstation(std::string program);
    // Closes the main frame, runs the exit, stops the broker and removes the home folder.
    ~CScreenshotWorkstation();
    CScreenshotWorkstation(const CScreenshotWorkstation&) = delete;
    CScreenshotWorkstation& operator=(const CScreenshotWorkstation&) = delete;

    // Starts the broker and the workstation with these arguments after the login's;
    // false, told on stderr, when either does not start.
    bool Start(const std::vector<CString>& arguments);

    CWorkstationApp& App() { return *m_app; }
    CMainFrame* Frame() const;
    // The first open window's view of type V, null when there is none.
    template <class V>
    V* FindView() const
    {
        for (CView* view : m_app->GetWindowViews())
            if (auto* found = dynamic_cast<V*>(view))
                return found;
        return nullptr;
    }

private:
    std::string m_program;
    qx::testbroker::CTestBroker m_broker;
    std::filesystem::path m_home;
    std::unique_ptr<CScopedUiResponder> m_responder;
    std::unique_ptr<CWorkstationApp> m_app;
    bool m_started = false;
};
