// The global alert array (owning, in the user's order) and the checking hours, with the
// alerts.xml file and the one-time conversion of alerts.dat. Installed in the settings
// object, whose user data folder and notifier it uses.
#pragma once

#include "alerts/CAlert.h"
#include "alerts/CAlertHours.h"
#include "common/services/IAlertBook.h"
#include "platform/core/WinTypes.h"

#include <memory>
#include <mutex>
#include <vector>

class CAppSettings;
class CArchive;

class CAlertBook : public IAlertBook {
public:
    explicit CAlertBook(CAppSettings& settings);
    ~CAlertBook() override;

    // The book installed in the installed settings object, or null.
    static CAlertBook* Instance();

    // alerts.dat, when there is one, becomes alerts.xml and is renamed alerts.dat.old. One
    // that cannot be read (too new, damaged) is reported and both files stay as they were.
    bool ConvertOldAlerts() override;
    // Appends the alerts of alerts.xml (none and true when it is missing). A file that
    // cannot be read is reported and from then on never written over.
    bool LoadAlerts() override;
    // Writes alerts.xml through a temporary file, so a failed write keeps the old one.
    // Writes nothing (and succeeds) after a failed load.
    bool SaveAlerts() override;
    void FreeAlerts() override;
    bool LoadFailed() const { return m_bLoadFailed; }

    // The file's whole text, and the alerts and hours read from a text (false with the
    // message in *error on a parse error; alerts read so far are appended).
    CString ToXmlText() const;
    bool FromXmlText(const char* text, CString* error);

    // The array. Alerts are added and removed on the interface thread; every reader takes
    // the book's lock, so an alert found by its id stays alive while it is used. Alerts
    // taken out are deleted by their taker, outside the lock.

    // Appends the alert; returns its id.
    AlertId Add(std::unique_ptr<CAlert> alert);
    // Takes the alert of the array with that id out (null when it is not there).
    std::unique_ptr<CAlert> Remove(AlertId id);
    // Takes every alert out, in array order.
    std::vector<std::unique_ptr<CAlert>> RemoveAll();
    // Index in the array of the alert with that id, or of the strategy alert whose entry
    // or exit alert it is; -1 when not there.
    int FindAlertIndex(AlertId id) const;
    size_t Count() const;
    // The ids of the array's alerts, in order.
    std::vector<AlertId> Ids() const;
    // Runs f(alert) under the lock on the alert with that id (an array alert or the entry
    // or exit alert of one); false when there is none. f must not run a modal loop.
    template <class F>
    bool WithAlert(AlertId id, F&& f) const
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        CAlert* alert = FindLocked(id);
        if (!alert)
            return false;
        f(*alert);
        return true;
    }
    // Runs f(alert) under the lock on every array alert, in order.
    template <class F>
    void ForEach(F&& f) const
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        for (const std::unique_ptr<CAlert>& alert : m_alerts)
            f(*alert);
    }
    // The alert at an index, for the interface thread (which alone changes the array) and
    // tests; null outside the array.
    CAlert* At(size_t index) const;

    CAlertHours m_alertHours;

private:
    void Tell(const CString& text) const;
    bool WriteFile(const CString& path, const CString& text) const;
    // Marks the load failed and tells the user; false.
    bool Fail(const CString& message);

    CAlert* FindLocked(AlertId id) const;

    CAppSettings& m_settings;
    bool m_bLoadFailed = false;
    mutable std::recursive_mutex m_lock;
    std::vector<std::unique_ptr<CAlert>> m_alerts;
};

// The alert of a type read from a file: 0 price, 5 strategy, any other a formula alert
// carrying that type number.
std::unique_ptr<CAlert> CreateAlertOfType(int type);

// The text of alerts.xml for the records of an alerts.dat archive (version first). A
// version of 20 or more gives false with *version set; a damaged archive throws.
bool OldAlertsToXml(CArchive& ar, CString& xml, DWORD& version);
