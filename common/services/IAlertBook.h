// The user's alerts as the settings object sees them: the alert model installs its book,
// which owns the global alert array and the checking hours and reads and writes alerts.xml.
#pragma once

class IAlertBook {
public:
    virtual ~IAlertBook() = default;
    // alerts.dat of older versions becomes alerts.xml (once); false on a failure.
    virtual bool ConvertOldAlerts() = 0;
    virtual bool LoadAlerts() = 0;
    virtual bool SaveAlerts() = 0;
    // Deletes every alert (at exit, before the stop event is set).
    virtual void FreeAlerts() = 0;
};
