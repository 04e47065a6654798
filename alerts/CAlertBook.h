// The global alert array (owning, in the user's order) and the checking hours, with the
// alerts.xml file and the one-time conversion of alerts.dat. Installed in the settings
// object, whose user data folder and notifier it uses.
#pragma once

#include "alerts/CAlert.h"
#include "alerts/CAlertHours.h"
#include "common/services/IAlertBook.h"
#include "platform/core/WinTypes.h"

#include <memory>
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

    // Index in the array of the alert, or of the strategy alert whose entry or exit alert
    // it is; -1 when not there.
    int FindAlertIndex(const CAlert* alert) const;

    std::vector<std::unique_ptr<CAlert>> m_alerts;
    CAlertHours m_alertHours;

private:
    void Tell(const CString& text) const;
    bool WriteFile(const CString& path, const CString& text) const;
    // Marks the load failed and tells the user; false.
    bool Fail(const CString& message);

    CAppSettings& m_settings;
    bool m_bLoadFailed = false;
};

// The alert of a type read from a file: 0 price, 5 strategy, any other a formula alert
// carrying that type number.
std::unique_ptr<CAlert> CreateAlertOfType(int type);

// The text of alerts.xml for the records of an alerts.dat archive (version first). A
// version of 20 or more gives false with *version set; a damaged archive throws.
bool OldAlertsToXml(CArchive& ar, CString& xml, DWORD& version);
