#include "CScreenshotWorkstation.h"

#include "app/shell/CMainFrame.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CView.h"
#include "platform/ui/EventPump.h"

#include <QCoreApplication>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

qx::testbroker::TestBrokerOptions BrokerOptions()
{
    qx::testbroker::TestBrokerOptions options;
    options.httpsPort = 0;
    options.streamPort = 0;
    return options;
}

// Message boxes answered without a screen.
class QuietResponder : public CUiResponder {
public:
    explicit QuietResponder(std::string program) : m_program(std::move(program)) {}
    int MessageBox(CWnd*, const CString& text, const CString&, UINT) override
    {
        std::fprintf(stderr, "%s: %s\n", m_program.c_str(), text.GetString());
        return IDOK;
    }

private:
    std::string m_program;
};

} // namespace

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    return PumpEventsUntil(done, timeoutMs);
}

void MaximizeWindowOf(CView& view)
{
    if (auto* child = dynamic_cast<CChildFrame*>(view.GetParentFrame()))
        child->MDIMaximize();
}

CScreenshotWorkstation::CScreenshotWorkstation(std::string program)
    : m_program(std::move(program)), m_broker(BrokerOptions())
{
}

CScreenshotWorkstation::~CScreenshotWorkstation()
{
    if (m_started) {
        Frame()->SendMessage(WM_CLOSE);
        PumpUntil([] { return false; }, 50);
        m_app->ExitInstance();
    }
    m_app.reset();
    m_responder.reset();
    m_broker.Stop();
    if (!m_home.empty())
        std::filesystem::remove_all(m_home);
}

bool CScreenshotWorkstation::Start(const std::vector<CString>& arguments)
{
    std::string error;
    if (!m_broker.Start(error)) {
        std::fprintf(stderr, "%s: the test broker did not start: %s\n", m_program.c_str(), error.c_str());
        return false;
    }
    // qx_chart_screenshot keeps its home in qx-chart-screenshot.
    std::string folder = m_program;
    for (char& c : folder)
        if (c == '_')
            c = '-';
    m_home = std::filesystem::temp_directory_path() / folder;
    std::filesystem::remove_all(m_home);
    std::filesystem::create_directories(m_home);
    const std::string base = m_broker.BaseUrl();
    std::ofstream(m_home / "config.ini") << "LoginServer=" << base << "\nApiServer=" << base
                                         << "\nHistoryServer=" << base << "\nUpdateFile=" << base
                                         << "/update/QxUpdate.xml\nCaFile=" << m_broker.CaFile() << "\n";
    std::ofstream(m_home / "profile.ini") << "[Settings]\nNotifyUpdates=0\n";
    const char* root = std::getenv("QX_SOURCE_DIR");
    std::filesystem::copy_file(std::string(root ? root : ".") + "/broker/session/Sessions.dat",
                               m_home / "Sessions.dat", std::filesystem::copy_options::overwrite_existing);

    m_responder = std::make_unique<CScopedUiResponder>(std::make_unique<QuietResponder>(m_program));
    m_app = std::make_unique<CWorkstationApp>();
    m_app->m_arguments = {"--home", CString(m_home.string()), "--user", "demo", "--password", "demo"};
    m_app->m_arguments.insert(m_app->m_arguments.end(), arguments.begin(), arguments.end());
    if (!m_app->InitInstance()) {
        std::fprintf(stderr, "%s: the workstation did not start\n", m_program.c_str());
        return false;
    }
    m_started = true;
    Frame()->GetOuterWidget()->resize(1280, 800);
    return true;
}

CMainFrame* CScreenshotWorkstation::Frame() const
{
    return m_app->MainFrame();
}
