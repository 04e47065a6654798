// An alert host for tests: records every delivery and names account choices plainly.
#pragma once

#include "alerts/CAlert.h"
#include "alerts/IAlertHost.h"

#include <mutex>
#include <vector>

class CRecordingAlertHost : public IAlertHost {
public:
    struct Delivery {
        bool hasEvent = false;
        CAlertEvent event;
        CAlert* alert = nullptr;
    };

    CRecordingAlertHost() { SetAlertHost(this); }
    ~CRecordingAlertHost() override { SetAlertHost(nullptr); }
    CRecordingAlertHost(const CRecordingAlertHost&) = delete;
    CRecordingAlertHost& operator=(const CRecordingAlertHost&) = delete;

    void DeliverAlert(std::unique_ptr<CAlertEvent> event, CAlert* alert) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        Delivery delivery;
        delivery.hasEvent = event != nullptr;
        if (event)
            delivery.event = *event;
        delivery.alert = alert;
        m_deliveries.push_back(delivery);
    }

    CString GetAccountListText(int mode, const std::vector<CString>& names, int flag) const override
    {
        CString text;
        text.Format("mode %d flag %d:", mode, flag);
        for (const CString& name : names)
            text += " " + name;
        return text;
    }

    std::vector<Delivery> Deliveries() const
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_deliveries;
    }
    size_t Count() const { return Deliveries().size(); }

private:
    mutable std::mutex m_lock;
    std::vector<Delivery> m_deliveries;
};
