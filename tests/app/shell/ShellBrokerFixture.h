// A test broker on loopback and a user data folder whose config.ini points at it, for
// tests that start the whole workstation.
#pragma once

#include "ShellTestSupport.h"

#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

class ShellBrokerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        qx::testbroker::TestBrokerOptions options;
        options.httpsPort = 0;
        options.streamPort = 0;
        options.startPaused = true;
        Configure(options);
        m_broker = std::make_unique<qx::testbroker::CTestBroker>(options);
        std::string error;
        ASSERT_TRUE(m_broker->Start(error)) << error;
        const std::string base = m_broker->BaseUrl();
        m_home.Write("config.ini", "LoginServer=" + base + "\nApiServer=" + base + "\nHistoryServer=" + base +
                                       "\nUpdateFile=" + base + "/update/QxUpdate.xml\nCaFile=" +
                                       std::string(m_broker->CaFile()) + "\n");
        const char* root = std::getenv("QX_SOURCE_DIR");
        std::filesystem::copy_file(std::string(root ? root : ".") + "/broker/session/Sessions.dat",
                                   m_home.File("Sessions.dat"), std::filesystem::copy_options::overwrite_existing);
    }
    // Changes the broker's options before it starts.
    virtual void Configure(qx::testbroker::TestBrokerOptions&) {}
    void TearDown() override
    {
        if (m_broker)
            m_broker->Stop();
    }

    std::unique_ptr<qx::testbroker::CTestBroker> m_broker;
    ScratchFolder m_home{"home"};
    std::vector<RecordedBox> m_boxes;
};

// Closes the main frame as the user would and runs the exit.
inline void CloseAndExit(CWorkstationApp& app)
{
    if (CMainFrame* frame = app.MainFrame())
        frame->SendMessage(WM_CLOSE);
    PumpFor(20);
    app.ExitInstance();
}
