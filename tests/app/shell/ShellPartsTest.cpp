// Parts of the shell on their own: the Symbol box's recent list, alert delivery's queue,
// the command line and the web-update download.
#include "ShellTestSupport.h"

#include "app/shell/CMainFrame.h"
#include "app/shell/CWebUpdate.h"
#include "app/shell/CWebUpdateFileName.h"
#include "app/shell/CWorkstationApp.h"
#include "common/services/CAppSettings.h"
#include "common/windows/ShellIds.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

namespace {

class RecordingAlerts : public IAlertDeliveryHandler {
public:
    std::vector<std::string> log;
    bool OwnsAlert(WPARAM, LPARAM alert) override { return alert >= 100; }
    void Present(WPARAM event, LPARAM alert) override
    {
        log.push_back("show " + std::to_string(event) + "/" + std::to_string(alert));
    }
    void Free(WPARAM event, LPARAM alert, bool owns) override
    {
        log.push_back("free " + std::to_string(event) + "/" + std::to_string(alert) + (owns ? " owned" : ""));
    }
};

struct FrameHost {
    CAppSettings settings;
    CMainFrame* frame = new CMainFrame;  // owns itself with its window
    FrameHost()
    {
        CAppSettings::Install(&settings);
        settings.m_nRecentListSize = 3;
        EXPECT_TRUE(frame->CreateMainFrame());
    }
    ~FrameHost()
    {
        frame->DestroyWindow();
        PumpFor(5);
        CAppSettings::Install(nullptr);
    }
};

}  // namespace

TEST(MainFrame, SymbolBoxKeepsARecentListOfTheSetSize)
{
    FrameHost host;
    CMainFrame& f = *host.frame;
    f.SetSymbolBox(" ibm ", TRUE);
    f.SetSymbolBox("msft", TRUE);
    f.SetSymbolBox("ge", TRUE);
    EXPECT_EQ(f.GetRecentSymbols(), (std::vector<CString>{"GE", "MSFT", "IBM"}));
    f.SetSymbolBox("IBM", TRUE);  // already there: moves to the top, no duplicate
    EXPECT_EQ(f.GetRecentSymbols(), (std::vector<CString>{"IBM", "GE", "MSFT"}));
    f.SetSymbolBox("spy", TRUE);  // the oldest falls off
    EXPECT_EQ(f.GetRecentSymbols(), (std::vector<CString>{"SPY", "IBM", "GE"}));
    EXPECT_EQ(f.GetSymbolBox(), "SPY");
    f.SetSymbolBox("aapl", FALSE);  // text only
    EXPECT_EQ(f.GetSymbolBox(), "aapl");
    EXPECT_EQ(f.GetRecentSymbols().size(), 3u);
    f.ClearSymbolBox();
    EXPECT_EQ(f.GetSymbolBox(), "");
    f.SetIntervalBox("5 minutes", TRUE);
    EXPECT_EQ(f.GetIntervalBox(), "5 minutes");
    EXPECT_FALSE(f.IsExtSession());
    f.SetExtSession(TRUE);
    EXPECT_TRUE(f.IsExtSession());
    // Without windows nothing is told, and a symbol with blanks inside is refused.
    f.SetSymbolBox("IB M", FALSE);
    EXPECT_EQ(f.ApplySymbolInterval(nullptr, TRUE), 0);
}

TEST(MainFrame, AlertDeliveriesAreShownInOrderAndFreedOnce)
{
    FrameHost host;
    RecordingAlerts alerts;
    host.frame->SetAlertHandler(&alerts);
    host.frame->SendMessage(WM_ALERT_DELIVERY, 1, 10);
    host.frame->SendMessage(WM_ALERT_DELIVERY, 2, 100);
    EXPECT_EQ(alerts.log, (std::vector<std::string>{"show 1/10", "free 1/10", "show 2/100", "free 2/100 owned"}));
    EXPECT_EQ(host.frame->GetAlertQueueSize(), 0u);
    // Posted deliveries not yet worked are freed by ClearAlertQueue... and only once.
    alerts.log.clear();
    host.frame->ClearAlertQueue();
    EXPECT_TRUE(alerts.log.empty());
    host.frame->SetAlertHandler(nullptr);
}

TEST(CommandLine, OptionsWithAndWithoutEqualsAndTheirErrors)
{
    CStartOptions options;
    CString error;
    ASSERT_TRUE(options.Parse({"--home", "/tmp/x", "--user=alice", "--password", "pw", "--open-kinds", "0,2f",
                               "--symbol=ibm", "--server", "https://127.0.0.1:1"},
                              &error));
    EXPECT_EQ(options.home, "/tmp/x");
    EXPECT_EQ(options.user, "alice");
    EXPECT_EQ(options.password, "pw");
    EXPECT_EQ(options.openKinds, "0,2f");
    EXPECT_EQ(options.symbol, "ibm");
    EXPECT_EQ(options.server, "https://127.0.0.1:1");
    CStartOptions bad;
    EXPECT_FALSE(bad.Parse({"--colour", "red"}, &error));
    EXPECT_EQ(error, "Unknown option --colour.");
    EXPECT_FALSE(bad.Parse({"--home"}, &error));
    EXPECT_EQ(error, "The option --home needs a value.");
}

TEST(WebUpdate, FileNamesOfHostileUrlsStayInTheirFolder)
{
    const std::pair<const char*, const char*> cases[] = {
        {"https://h/update/QuorvantelixSetup.bin?v=2#x", "QuorvantelixSetup.bin"},
        {"https://h/update/..", "QxUpdate.bin"},
        {"https://h/update/../../.bashrc", "bashrc"},
        {"https://h/a\\..\\..\\evil.sh", "evil.sh"},
        {"https://h/a/..%2F..%2Fetc%2Fpasswd", "2F..2Fetc2Fpasswd"},
        {"https://h/ok\x7f\x01\x1bname", "okname"},
        {"https://h/C:evil.exe", "Cevil.exe"},
        {"https://h/\xc3\xa9t\xc3\xa9 setup.bin", "tsetup.bin"},
        {"https://h/", "QxUpdate.bin"},
        {"", "QxUpdate.bin"},
    };
    for (const auto& [url, name] : cases)
        EXPECT_EQ(FileNameOfUrl(url), name) << url;
    EXPECT_EQ(FileNameOfUrl("https://h/" + CString(std::string(300, 'a').c_str())), CString(std::string(128, 'a').c_str()));
}

TEST(WebUpdate, DownloadsIntoTempUnderASafeNameAndRefusesOtherSchemes)
{
    qx::testbroker::TestBrokerOptions options;
    options.httpsPort = 0;
    options.streamPort = 0;
    options.startPaused = true;
    qx::testbroker::CTestBroker broker(options);
    std::string startError;
    ASSERT_TRUE(broker.Start(startError)) << startError;
    ScratchFolder temp("temp");

    const CWebUpdateResult ok =
        DownloadWebUpdate(CString(broker.BaseUrl()) + "/update/QxUpdate.xml?x=1", temp.Path(), broker.CaFile().c_str());
    ASSERT_TRUE(ok.ok) << ok.error.GetString();
    EXPECT_EQ(ok.path, temp.Path() + "/QxUpdate.xml");
    EXPECT_NE(temp.Read("QxUpdate.xml").find("Update"), std::string::npos);

    const CWebUpdateResult missing =
        DownloadWebUpdate(CString(broker.BaseUrl()) + "/update/none.exe", temp.Path(), broker.CaFile().c_str());
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.Find("HTTP 404"), -1) << missing.error.GetString();

    const CWebUpdateResult file = DownloadWebUpdate("file:///etc/passwd", temp.Path(), "");
    EXPECT_FALSE(file.ok);
    EXPECT_FALSE(std::filesystem::exists(temp.File("passwd")));
    broker.Stop();
}
