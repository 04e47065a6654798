// The workstation against the test broker with a responder that answers and records
// message boxes, file choices and menus, for tests that drive its windows end to end.
#pragma once

#include "tests/app/shell/ShellBrokerFixture.h"
#include "tests/trading/ui/UiDriving.h"

#include <memory>

class WorkstationFixture : public ShellBrokerFixture {
protected:
    void SetUp() override
    {
        ShellBrokerFixture::SetUp();
        auto responder = MakeResponder();
        m_responder = responder.get();
        m_scope = std::make_unique<CScopedUiResponder>(std::move(responder));
    }
    void TearDown() override
    {
        m_scope.reset();
        ShellBrokerFixture::TearDown();
    }
    // The responder installed for the test; a fixture may hand a subclass.
    virtual std::unique_ptr<uitest::AnsweringResponder> MakeResponder()
    {
        return std::make_unique<uitest::AnsweringResponder>();
    }
    // Starts the workstation logged in as demo, with the broker's order requests cleared.
    bool Start(CWorkstationApp& app)
    {
        app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
        if (!app.InitInstance())
            return false;
        m_broker->ClearOrderRequests();
        return true;
    }

    uitest::AnsweringResponder* m_responder = nullptr;
    std::unique_ptr<CScopedUiResponder> m_scope;
};
