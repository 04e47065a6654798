#include "alerts/CAlertBook.h"

#include "alerts/CFormulaAlert.h"
#include "alerts/CPriceAlert.h"
#include "alerts/CStrategyAlert.h"
#include "common/services/CAppSettings.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CFile.h"
#include "platform/core/CFileException.h"
#include "platform/core/CSafeFile.h"
#include "platform/core/FileVersion.h"
#include "platform/core/XmlHelpers.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <sys/stat.h>

namespace {
constexpr int kAlertsFileVersion = 19;

// The kind given to the first alert element that has no Type: a formula alert, which
// without a formula never fires, so an element of unknown kind cannot fire by accident.
constexpr int kFirstAlertDefaultType = kAlertFormula;

// The smallest alerts.dat record: empty symbol, type, the smaller kind part (empty formula,
// trigger count, entry price), triggered, history and trade flags, empty sound file.
constexpr UINT kMinOldRecordBytes = 1 + 4 + (1 + 4 + 8) + 4 + 4 + 4 + 1;

CString intText(int value)
{
    CString text;
    text.Format("%d", value);
    return text;
}

CString doubleText(double value)
{
    CString text;
    text.Format("%.17g", value);
    return text;
}

void addChild(TiXmlElement& parent, const char* name, const char* text)
{
    TiXmlElement child(name);
    child.InsertEndChild(TiXmlText(text));
    parent.InsertEndChild(child);
}

// A formula alert that carries any type number (the old file knew only price alerts and
// formula alerts).
std::unique_ptr<CAlert> makeOldAlert(int type)
{
    if (type == kAlertPrice)
        return CreateAlertOfType(kAlertPrice);
    auto alert = std::make_unique<CFormulaAlert>();
    alert->m_nType = type;
    return alert;
}

// Leg 0 of an old record's order, as the <TradeInfo> element the alert reads.
void readOldTrade(CArchive& ar, DWORD version, TiXmlElement& alert)
{
    TiXmlElement leg("Leg");
    int action = 0;
    int quantity = 0;
    ar >> action >> quantity;
    addChild(leg, "Action", intText(action));
    addChild(leg, "QtyAmt", doubleText(quantity));
    if (version < 5) {
        int limit = 0;
        ar >> limit;
        addChild(leg, "OrderType", limit == 0 ? "Market" : "Limit");
    } else {
        CString orderType;
        ar >> orderType;
        addChild(leg, "OrderType", orderType);
    }
    double price = 0;
    ar >> price;
    addChild(leg, "Price", doubleText(price));
    if (version >= 5) {
        CString route;
        CString instructions;
        CString expire;
        double activationPrice = 0;
        ar >> route >> instructions >> expire >> activationPrice;
        addChild(leg, "Route", route);
        addChild(leg, "Instr", instructions);
        addChild(leg, "Expire", expire);
        addChild(leg, "ActPrice", doubleText(activationPrice));
    }
    if (version >= 8) {
        int selection = 0;
        int quantityType = 0;
        ar >> selection >> quantityType;
        addChild(leg, "PriceSelection", intText(selection));
        addChild(leg, "QuantityType", intText(quantityType));
    }
    TiXmlElement trade("TradeInfo");
    addChild(trade, "SymbolType", "0");
    trade.InsertEndChild(leg);
    alert.InsertEndChild(trade);
}

// One alerts.dat record as the alert element that alerts.xml holds for it.
CString readOldRecord(CArchive& ar, DWORD version)
{
    CString symbol;
    int type = 0;
    ar >> symbol >> type;
    TiXmlElement element("Alert");
    addChild(element, "Type", intText(type));
    addChild(element, "Symbol", symbol);
    if (type == kAlertPrice) {
        int column = 0;
        int direction = 0;
        double target = 0;
        ar >> column >> direction >> target;
        addChild(element, "Column", intText(column));
        addChild(element, "Direction", intText(direction));
        addChild(element, "Target", doubleText(target));
    } else {
        CString formula;
        int numTriggered = 0;
        double entryPrice = 0;
        ar >> formula >> numTriggered >> entryPrice;
        addChild(element, "FormulaExp", formula);
        addChild(element, "NumTriggered", intText(numTriggered));
        addChild(element, "EntryPrice", doubleText(entryPrice));
    }
    int triggered = 0;
    ar >> triggered;
    addChild(element, "IsTriggered", intText(triggered));
    int hasHistory = 0;
    ar >> hasHistory;
    if (hasHistory != 0) {
        CString date;
        ar >> date;
        TiXmlElement entry("Date");
        entry.SetAttribute("price", "0");
        entry.InsertEndChild(TiXmlText(date));
        TiXmlElement history("History");
        history.InsertEndChild(entry);
        element.InsertEndChild(history);
    }
    int hasTrade = 0;
    ar >> hasTrade;
    if (hasTrade != 0)
        readOldTrade(ar, version, element);
    CString sound;
    ar >> sound;
    addChild(element, "File", sound);

    std::unique_ptr<CAlert> alert = makeOldAlert(type);
    alert->FromXml(&element);
    CString xml;
    alert->ToXml(xml);
    return xml;
}

bool fileExists(const CString& path)
{
    struct stat info {};
    return ::stat(path, &info) == 0;
}
}  // namespace

std::unique_ptr<CAlert> CreateAlertOfType(int type)
{
    std::unique_ptr<CAlert> alert;
    if (type == kAlertPrice)
        alert = std::make_unique<CPriceAlert>();
    else if (type == kAlertStrategy)
        alert = std::make_unique<CStrategyAlert>();
    else
        alert = std::make_unique<CFormulaAlert>();
    alert->m_nType = type;
    return alert;
}

bool OldAlertsToXml(CArchive& ar, CString& xml, DWORD& version)
{
    ar >> version;
    if (!IsSupportedFileVersion(version))
        return false;
    const DWORD count = ar.ReadBoundedCount(kMinOldRecordBytes);
    CString text;
    text.Format("<Alerts>\r\n<Version>%d</Version>\r\n", kAlertsFileVersion);
    for (DWORD i = 0; i < count; ++i)
        text += readOldRecord(ar, version);
    text += "</Alerts>";
    xml = std::move(text);
    return true;
}

CAlertBook::CAlertBook(CAppSettings& settings) : m_settings(settings) {}

CAlertBook::~CAlertBook() = default;

CAlertBook* CAlertBook::Instance()
{
    CAppSettings* settings = CAppSettings::Instance();
    return settings ? dynamic_cast<CAlertBook*>(settings->GetAlertBook()) : nullptr;
}

void CAlertBook::Tell(const CString& text) const
{
    if (IUserNotifier* notifier = m_settings.GetNotifier())
        notifier->Notify(text);
}

bool CAlertBook::WriteFile(const CString& path, const CString& text) const
{
    CSafeFile file;
    CFileException error;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite, &error)) {
        CString message;
        message.Format("Error writing file \"%s\" (%d)", path.GetString(), error.m_cause);
        Tell(message);
        return false;
    }
    try {
        file.Write(text.GetString(), static_cast<UINT>(text.GetLength()));
        file.Commit();
    } catch (CException&) {
        Tell("Error writing Alert settings");
        return false;
    }
    return true;
}

bool CAlertBook::ConvertOldAlerts()
{
    const CString datPath = m_settings.GetFilePath("alerts.dat");
    const CString xmlPath = m_settings.GetFilePath("alerts.xml");
    const CString oldPath = datPath + ".old";
    if (fileExists(datPath) && fileExists(xmlPath)) {
        // The alerts of alerts.xml are newer than those of alerts.dat: both stay, and
        // alerts.dat is set aside so that it is not offered again at the next start.
        if (std::rename(datPath, oldPath) != 0) {
            CString message;
            message.Format("Error writing file \"%s\" (%d)", oldPath.GetString(), errno);
            Tell(message);
            return false;
        }
        Tell("alerts.dat was not converted because alerts.xml already exists; it is kept as alerts.dat.old.");
        return true;
    }
    CString xml;
    {
        CFile file;
        if (!file.Open(datPath, CFile::modeRead))
            return true;  // nothing to convert
        DWORD version = 0;
        try {
            CArchive ar(&file, CArchive::load);
            if (!OldAlertsToXml(ar, xml, version)) {
                Tell(IncompatibleVersionMessage(datPath, version));
                return false;
            }
        } catch (CException&) {
            Tell("Error reading alert settings");
            return false;
        }
    }
    if (!WriteFile(xmlPath, xml))
        return false;
    if (std::rename(datPath, oldPath) != 0) {
        // alerts.xml is written; alerts.dat left in place would be converted over it again.
        CString message;
        message.Format("Error writing file \"%s\" (%d)", oldPath.GetString(), errno);
        Tell(message);
        return false;
    }
    return true;
}

bool CAlertBook::LoadAlerts()
{
    m_bLoadFailed = false;
    const CString path = m_settings.GetFilePath("alerts.xml");
    if (!fileExists(path))
        return true;  // no alerts yet

    // The size is checked first: a file too long for the reader is damaged, and not read.
    std::string text;
    CString error;
    bool tooLarge = false;
    if (!ReadXmlFile(path, text, &error, &tooLarge) && !tooLarge) {
        CString message;
        message.Format("Error reading file \"%s\"", path.GetString());
        return Fail(message);
    }
    if (tooLarge || !FromXmlText(text.c_str(), &error)) {
        // Set aside, the damaged file no longer keeps new alerts from being saved.
        const CString keptAs = SetAsideDamagedFile(path);
        if (keptAs.IsEmpty())
            return Fail("Error reading file alerts.xml: the file is damaged (" + error +
                        "). It is kept unchanged; the program starts with no alerts and does not save them.");
        RemoveAll();
        Tell("Error reading file alerts.xml: the file is damaged (" + error + "). It is kept as " + keptAs +
             "; the program starts with no alerts and saves a new alerts.xml.");
        return false;
    }
    return true;
}

bool CAlertBook::Fail(const CString& message)
{
    m_bLoadFailed = true;
    Tell(message);
    return false;
}

bool CAlertBook::SaveAlerts()
{
    if (m_bLoadFailed)
        return true;  // the unreadable file is kept as the user has it
    return WriteFile(m_settings.GetFilePath("alerts.xml"), ToXmlText());
}

void CAlertBook::FreeAlerts()
{
    // Deleted outside the lock: an alert's destructor waits for its quote and formula
    // callbacks to end.
    std::vector<std::unique_ptr<CAlert>> alerts = RemoveAll();
    alerts.clear();
}

CString CAlertBook::ToXmlText() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    CString text;
    text.Format("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<Alerts>\r\n<Version>%d</Version>\r\n"
                "<AlertHours>%s</AlertHours>\r\n",
                kAlertsFileVersion, m_alertHours.ToXml().GetString());
    for (const auto& alert : m_alerts) {
        CString element;
        alert->ToXml(element);
        text += element;
    }
    text += "</Alerts>";
    return text;
}

bool CAlertBook::FromXmlText(const char* text, CString* error)
{
    // The file is ISO-8859-1 whatever its declaration says: its bytes are read as they are,
    // never as UTF-8 sequences, which the parser would follow past the end of a damaged text.
    TiXmlDocument doc;
    XmlReadOptions options;
    options.latin1 = true;
    if (!ParseXml(doc, text ? text : "", error, options))
        return false;
    const TiXmlElement* root = FindChildNoCase(&doc, "Alerts", true);
    if (!root) {
        if (error)
            *error = "no Alerts element";
        return false;
    }
    m_alertHours.FromXml(FindChildNoCase(root, "AlertHours"));

    // Only Alert elements are alerts; anything else beside them is not read as one.
    int type = kFirstAlertDefaultType;
    for (const TiXmlElement* element = FindChildNoCase(root, "Alert"); element;
         element = NextSiblingNoCase(element, "Alert")) {
        ReadAlertInt(element, "Type", type);  // without one, the type of the element before
        std::unique_ptr<CAlert> alert = CreateAlertOfType(type);
        alert->FromXml(element);
        Add(std::move(alert));
    }
    return true;
}

AlertId CAlertBook::Add(std::unique_ptr<CAlert> alert)
{
    if (!alert)
        return 0;
    const AlertId id = alert->GetId();
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_alerts.push_back(std::move(alert));
    return id;
}

std::unique_ptr<CAlert> CAlertBook::Remove(AlertId id)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (auto it = m_alerts.begin(); it != m_alerts.end(); ++it) {
        if ((*it)->GetId() == id) {
            std::unique_ptr<CAlert> taken = std::move(*it);
            m_alerts.erase(it);
            return taken;
        }
    }
    return nullptr;
}

std::vector<std::unique_ptr<CAlert>> CAlertBook::RemoveAll()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    std::vector<std::unique_ptr<CAlert>> taken = std::move(m_alerts);
    m_alerts.clear();
    return taken;
}

int CAlertBook::FindAlertIndex(AlertId id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (id == 0)
        return -1;
    for (size_t i = 0; i < m_alerts.size(); ++i) {
        const CAlert& candidate = *m_alerts[i];
        if (candidate.GetId() == id)
            return static_cast<int>(i);
        if (const auto* strategy = dynamic_cast<const CStrategyAlert*>(&candidate)) {
            const CAlert* entry = strategy->GetEntryAlert();
            const CAlert* exit = strategy->GetExitAlert();
            if ((entry && entry->GetId() == id) || (exit && exit->GetId() == id))
                return static_cast<int>(i);
        }
    }
    return -1;
}

CAlert* CAlertBook::FindLocked(AlertId id) const
{
    const int index = FindAlertIndex(id);
    if (index < 0)
        return nullptr;
    CAlert* alert = m_alerts[static_cast<size_t>(index)].get();
    if (alert->GetId() == id)
        return alert;
    const auto* strategy = static_cast<const CStrategyAlert*>(alert);
    CAlert* entry = strategy->GetEntryAlert();
    return entry && entry->GetId() == id ? entry : strategy->GetExitAlert();
}

size_t CAlertBook::Count() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_alerts.size();
}

std::vector<AlertId> CAlertBook::Ids() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    std::vector<AlertId> ids;
    ids.reserve(m_alerts.size());
    for (const std::unique_ptr<CAlert>& alert : m_alerts)
        ids.push_back(alert->GetId());
    return ids;
}

CAlert* CAlertBook::At(size_t index) const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return index < m_alerts.size() ? m_alerts[index].get() : nullptr;
}
