#include "common/services/CAppSettings.h"

#include "common/services/TextHelpers.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CFile.h"
#include "platform/core/CProfile.h"
#include "platform/core/CSafeFile.h"
#include "platform/core/FileVersion.h"
#include "platform/core/XmlHelpers.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::atomic<CAppSettings*> g_settings{nullptr};

constexpr const char* kSettings = "Settings";
constexpr DWORD kMaxListEntries = 10000;

void SaveColors(CArchive& ar, const COLORREF* colors, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        ar << static_cast<DWORD>(colors[i]);
}

void LoadColors(CArchive& ar, COLORREF* colors, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        DWORD c = 0;
        ar >> c;
        colors[i] = c & 0x00FFFFFFu;
    }
}

DWORD ReadCount(CArchive& ar)
{
    const DWORD count = ar.ReadBoundedCount(1);
    if (count > kMaxListEntries)
        throw CArchiveException(CArchiveException::badIndex);
    return count;
}

int ReadSmallInt(CArchive& ar, int low, int high)
{
    DWORD v = 0;
    ar >> v;
    const int value = static_cast<int>(v);
    if (value < low || value > high)
        throw CArchiveException(CArchiveException::badSchema);
    return value;
}

bool ReadBool(const CProfile& p, const char* key, bool def)
{
    return p.GetProfileInt(kSettings, key, def ? 1 : 0) != 0;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

BYTE KeyByte(const char* key, size_t keyLength, size_t i)
{
    const BYTE k = keyLength ? static_cast<BYTE>(key[i % keyLength]) : 0x5A;
    return static_cast<BYTE>(k ^ static_cast<BYTE>(i * 31 + 7));
}

// A name usable as a file name: path and reserved characters become "_".
CString SafeFileName(const CString& name)
{
    CString safe;
    for (char c : name.view())
        safe += (std::strchr("\\/:*?\"<>|", c) || static_cast<unsigned char>(c) < 32) ? '_' : c;
    safe.Trim();
    return safe.IsEmpty() ? CString("Strategy") : safe;
}

}  // namespace

void CDrawingToolDefaults::Save(CArchive& ar) const
{
    // The record older versions read: line tools, the regression and retracement
    // lines' first colour, and the note.
    CString levels;
    for (const CRetracementLevel& level : retracement.levels) {
        if (!levels.IsEmpty())
            levels += " ";
        levels += FormatTrimmedDouble(level.percent);
    }
    ar << static_cast<DWORD>(segment.color) << segment.thickness << static_cast<DWORD>(ray.color) << ray.thickness
       << static_cast<DWORD>(line.color) << line.thickness << static_cast<DWORD>(regression.lineColor)
       << regression.lineThickness << (regression.displayBits != 0) << regression.upperStdDevs
       << static_cast<DWORD>(retracement.anchorColor) << retracement.anchorThickness << levels
       << static_cast<DWORD>(note.color) << note.minimized << note.text;
}

void CDrawingToolDefaults::Load(CArchive& ar)
{
    CDrawingToolDefaults d = *this;
    DWORD c = 0;
    ar >> c;
    d.segment.color = c;
    d.segment.thickness = ReadSmallInt(ar, 0, 100);
    ar >> c;
    d.ray.color = c;
    d.ray.thickness = ReadSmallInt(ar, 0, 100);
    ar >> c;
    d.line.color = c;
    d.line.thickness = ReadSmallInt(ar, 0, 100);
    ar >> c;
    ReadSmallInt(ar, 0, 100);
    bool channel = false;
    double deviations = 0;
    CString levels;
    ar >> channel >> deviations >> c;
    ReadSmallInt(ar, 0, 100);
    ar >> levels >> c >> d.note.minimized >> d.note.text;
    d.note.color = c;
    *this = std::move(d);
}

void CDrawingToolDefaults::SaveFull(CArchive& ar) const
{
    for (const CLineToolSettings* s : {&segment, &ray, &line})
        ar << static_cast<DWORD>(s->color) << static_cast<DWORD>(s->thickness);
    const CRegressionSettings& r = regression;
    ar << static_cast<DWORD>(r.lineColor) << static_cast<DWORD>(r.lineThickness) << static_cast<DWORD>(r.upperColor)
       << static_cast<DWORD>(r.upperThickness) << static_cast<DWORD>(r.lowerColor)
       << static_cast<DWORD>(r.lowerThickness) << r.displayBits << static_cast<DWORD>(r.sourceField)
       << r.upperStdDevs << r.lowerStdDevs;
    const CRetracementSettings& t = retracement;
    ar << static_cast<DWORD>(t.anchorColor) << static_cast<DWORD>(t.anchorThickness)
       << static_cast<DWORD>(t.verticalColor) << static_cast<DWORD>(t.verticalThickness);
    for (const CRetracementLevel& level : t.levels)
        ar << static_cast<DWORD>(level.color) << static_cast<DWORD>(level.thickness) << level.percent;
    ar << t.displayBits << t.alertBits << static_cast<DWORD>(t.extendForever ? 1 : 0) << t.extension;
    ar << static_cast<DWORD>(note.color) << static_cast<DWORD>(note.minimized ? 1 : 0) << note.text;
}

void CDrawingToolDefaults::LoadFull(CArchive& ar)
{
    CDrawingToolDefaults d;
    DWORD v = 0;
    auto color = [&ar]() {
        DWORD c = 0;
        ar >> c;
        return static_cast<COLORREF>(c);
    };
    for (CLineToolSettings* s : {&d.segment, &d.ray, &d.line}) {
        s->color = color();
        s->thickness = ReadSmallInt(ar, 0, 100);
    }
    CRegressionSettings& r = d.regression;
    r.lineColor = color();
    r.lineThickness = ReadSmallInt(ar, 0, 100);
    r.upperColor = color();
    r.upperThickness = ReadSmallInt(ar, 0, 100);
    r.lowerColor = color();
    r.lowerThickness = ReadSmallInt(ar, 0, 100);
    ar >> r.displayBits;
    r.sourceField = ReadSmallInt(ar, 0, 3);
    ar >> r.upperStdDevs >> r.lowerStdDevs;
    CRetracementSettings& t = d.retracement;
    t.anchorColor = color();
    t.anchorThickness = ReadSmallInt(ar, 0, 100);
    t.verticalColor = color();
    t.verticalThickness = ReadSmallInt(ar, 0, 100);
    for (CRetracementLevel& level : t.levels) {
        level.color = color();
        level.thickness = ReadSmallInt(ar, 0, 100);
        ar >> level.percent;
    }
    ar >> t.displayBits >> t.alertBits >> v >> t.extension;
    t.extendForever = v != 0;
    d.note.color = color();
    d.note.minimized = ReadSmallInt(ar, 0, 1) != 0;
    ar >> d.note.text;
    if (!std::isfinite(r.upperStdDevs) || !std::isfinite(r.lowerStdDevs) || !std::isfinite(t.extension))
        throw CArchiveException(CArchiveException::badSchema);
    for (const CRetracementLevel& level : t.levels)
        if (!std::isfinite(level.percent))
            throw CArchiveException(CArchiveException::badSchema);
    *this = std::move(d);
}

CAppSettings::CAppSettings()
{
    m_quoteColors = {RGB(255, 255, 255), RGB(236, 244, 255), RGB(0, 0, 0),     RGB(240, 240, 240),
                     RGB(0, 192, 0),     RGB(224, 0, 0),     RGB(0, 0, 128),   RGB(255, 255, 255)};
    m_fileState.fill(EUserFileState::kMissing);
}

CAppSettings* CAppSettings::Instance()
{
    return g_settings.load();
}

void CAppSettings::Install(CAppSettings* settings)
{
    g_settings.store(settings);
}

CString CAppSettings::GetFilePath(const char* name) const
{
    CString path = m_workingDirectory;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != '/')
        path += '/';
    path += name;
    return path;
}

void CAppSettings::Tell(const CString& text) const
{
    if (m_pNotifier)
        m_pNotifier->Notify(text);
}

void CAppSettings::LoadProfile(const CProfile& p)
{
    m_userName = p.GetProfileString(kSettings, "UserName", m_userName);
    m_bSaveUserName = ReadBool(p, "SaveUsername", m_bSaveUserName);
    m_nBroker = p.GetProfileInt(kSettings, "Broker", 1) != 0 ? 1 : 0;
    m_nStockShares = p.GetProfileInt(kSettings, "StockShares", 100);
    m_nOptionContracts = p.GetProfileInt(kSettings, "OptionContracts", 1);
    m_nFuturesContracts = p.GetProfileInt(kSettings, "FuturesContracts", 100);
    m_bViewExportData = ReadBool(p, "ViewExportData", m_bViewExportData);
    m_bSaveAtOnce = ReadBool(p, "SaveAtOnce", m_bSaveAtOnce);
    m_bExtSessionFormulas = ReadBool(p, "ExtSessionFormulas", m_bExtSessionFormulas);
    m_formulaInterval = p.GetProfileString(kSettings, "FormulaInterval", m_formulaInterval);
    m_nScreenerInterval = p.GetProfileInt(kSettings, "ScreenerInterval", m_nScreenerInterval);
    m_nAcctDataInterval = p.GetProfileInt(kSettings, "AcctDataInterval", m_nAcctDataInterval);
    m_nWorkspaceInterval = p.GetProfileInt(kSettings, "WorkspaceInterval", m_nWorkspaceInterval);
    m_nRecentListSize = p.GetProfileInt(kSettings, "RecentListSize", 30);
    if (m_nRecentListSize < 1 || m_nRecentListSize > 1000)
        m_nRecentListSize = 30;
    m_startPage = p.GetProfileString(kSettings, "HomeUrl", m_startPage);
    m_bShowStartPage = ReadBool(p, "ShowStartPage", m_bShowStartPage);
    m_bNotifyUpdates = ReadBool(p, "NotifyUpdates", m_bNotifyUpdates);
    m_bSavePrompt = ReadBool(p, "SavePrompt", m_bSavePrompt);
    m_bEmptyTemp = ReadBool(p, "EmptyTemp", m_bEmptyTemp);
    m_bOpenLastWorkspace = ReadBool(p, "OpenLastWorkspace", m_bOpenLastWorkspace);
    m_lastWorkspace = p.GetProfileString(kProfileWorkSpace, "LastWorkspace", m_lastWorkspace);
    m_httpProxy = p.GetProfileString(kSettings, "HttpProxy", m_httpProxy);
    m_httpsProxy = p.GetProfileString(kSettings, "HttpsProxy", m_httpsProxy);
    m_bAutoProxy = ReadBool(p, "AutoProxy", m_bAutoProxy);
    m_alertFile = p.GetProfileString(kSettings, "AlertFile", m_alertFile);
    m_alertSound = p.GetProfileString(kSettings, "AlertSound", m_alertSound);
    m_bEditOrderBeforeSending = ReadBool(p, "EditOrderBeforeSending", m_bEditOrderBeforeSending);
    m_bSendPlotwyn = ReadBool(p, "SendPlotwyn", m_bSendPlotwyn);
    m_bListenPlotwyn = ReadBool(p, "ListenPlotwyn", m_bListenPlotwyn);
    m_smtpServer = p.GetProfileString(kSettings, "SmtpServer", m_smtpServer);
    m_nSmtpPort = p.GetProfileInt(kSettings, "SmtpPort", m_nSmtpPort);
    m_alertEmailAddr = p.GetProfileString(kSettings, "AlertEmailAddr", m_alertEmailAddr);
    m_bEmailLogin = ReadBool(p, "EmailLogin", m_bEmailLogin);
    m_bEmailAlerts = ReadBool(p, "EmailAlerts", m_bEmailAlerts);
    m_bEmailPlainLogin = ReadBool(p, "EmailPlainLogin", m_bEmailPlainLogin);
    m_emailUser = Unscramble(ProgramKey(), p.GetProfileString(kSettings, "EmailUsrBin"));
    m_emailPassword = Unscramble(ProgramKey(), p.GetProfileString(kSettings, "EmailBin"));
}

bool CAppSettings::SaveProfileNow()
{
    CProfile* profile = GetAppProfile();
    if (!profile || SaveProfile(*profile))
        return true;
    Tell(WriteErrorMessage(kProfileFileName, profile->GetLastError()));
    return false;
}

bool CAppSettings::SaveProfile(CProfile& p) const
{
    p.BeginBatch();
    auto putBool = [&](const char* key, bool v) { p.WriteProfileInt(kSettings, key, v ? 1 : 0); };
    p.WriteProfileString(kSettings, "UserName", m_bSaveUserName ? m_userName.GetString() : "");
    putBool("SaveUsername", m_bSaveUserName);
    p.WriteProfileInt(kSettings, "Broker", m_nBroker);
    p.WriteProfileInt(kSettings, "StockShares", m_nStockShares);
    p.WriteProfileInt(kSettings, "OptionContracts", m_nOptionContracts);
    p.WriteProfileInt(kSettings, "FuturesContracts", m_nFuturesContracts);
    putBool("ViewExportData", m_bViewExportData);
    putBool("SaveAtOnce", m_bSaveAtOnce);
    putBool("ExtSessionFormulas", m_bExtSessionFormulas);
    p.WriteProfileString(kSettings, "FormulaInterval", m_formulaInterval);
    p.WriteProfileInt(kSettings, "ScreenerInterval", m_nScreenerInterval);
    p.WriteProfileInt(kSettings, "AcctDataInterval", m_nAcctDataInterval);
    p.WriteProfileInt(kSettings, "WorkspaceInterval", m_nWorkspaceInterval);
    p.WriteProfileInt(kSettings, "RecentListSize", m_nRecentListSize);
    p.WriteProfileString(kSettings, "HomeUrl", m_startPage);
    putBool("ShowStartPage", m_bShowStartPage);
    putBool("NotifyUpdates", m_bNotifyUpdates);
    putBool("SavePrompt", m_bSavePrompt);
    putBool("EmptyTemp", m_bEmptyTemp);
    putBool("OpenLastWorkspace", m_bOpenLastWorkspace);
    p.WriteProfileString(kProfileWorkSpace, "LastWorkspace", m_lastWorkspace);
    p.WriteProfileString(kSettings, "HttpProxy", m_httpProxy);
    p.WriteProfileString(kSettings, "HttpsProxy", m_httpsProxy);
    putBool("AutoProxy", m_bAutoProxy);
    p.WriteProfileString(kSettings, "AlertFile", m_alertFile);
    p.WriteProfileString(kSettings, "AlertSound", m_alertSound);
    putBool("EditOrderBeforeSending", m_bEditOrderBeforeSending);
    putBool("SendPlotwyn", m_bSendPlotwyn);
    putBool("ListenPlotwyn", m_bListenPlotwyn);
    p.WriteProfileString(kSettings, "SmtpServer", m_smtpServer);
    p.WriteProfileInt(kSettings, "SmtpPort", m_nSmtpPort);
    p.WriteProfileString(kSettings, "AlertEmailAddr", m_alertEmailAddr);
    putBool("EmailLogin", m_bEmailLogin);
    putBool("EmailAlerts", m_bEmailAlerts);
    putBool("EmailPlainLogin", m_bEmailPlainLogin);
    p.WriteProfileString(kSettings, "EmailUsrBin", Scramble(ProgramKey(), m_emailUser));
    p.WriteProfileString(kSettings, "EmailBin", Scramble(ProgramKey(), m_emailPassword));
    return p.EndBatch();
}

void CAppSettings::WriteGui(CArchive& ar) const
{
    m_quoteFont.Save(ar);
    ar << static_cast<DWORD>(m_quoteTextColor) << m_nStripeInterval;
    SaveColors(ar, m_quoteColors.data(), m_quoteColors.size());
    m_level2Font.Save(ar);
    ar << static_cast<DWORD>(m_level2TextColor);
    SaveColors(ar, m_level2Colors.data(), m_level2Colors.size());
    m_tsFont.Save(ar);
    ar << static_cast<DWORD>(m_tsTextColor);
    SaveColors(ar, m_tsColors.data(), m_tsColors.size());
    m_barFont.Save(ar);
    ar << static_cast<DWORD>(m_barTextColor);
    m_newsFont.Save(ar);
    ar << static_cast<DWORD>(m_newsTextColor);
    SaveColors(ar, m_newsColors.data(), m_newsColors.size());
    m_chartFont.Save(ar);
    m_axisFont.Save(ar);
    SaveColors(ar, m_chartColors.data(), m_chartColors.size());
    SaveColors(ar, m_schemeColors.data(), m_schemeColors.size());
    m_drawingDefaults.Save(ar);
    for (const CReportListLook& look : m_reportLooks) {
        look.font.Save(ar);
        ar << static_cast<DWORD>(look.textColor);
        SaveColors(ar, look.colors.data(), look.colors.size());
    }
    ar << static_cast<DWORD>(m_symbolSetGroups.size());
    for (const CSymbolSetGroup& group : m_symbolSetGroups) {
        ar << group.name << static_cast<DWORD>(group.names.size());
        for (const CString& name : group.names)
            ar << name;
    }
    ar << static_cast<DWORD>(m_intervals.size());
    for (const CString& interval : m_intervals)
        ar << interval;
    m_drawingDefaults.SaveFull(ar);
}

void CAppSettings::ReadGui(CArchive& ar, DWORD)
{
    // Everything is read into a copy first: a damaged file changes nothing.
    CFontInfo quoteFont, level2Font, tsFont, barFont, newsFont, chartFont, axisFont;
    COLORREF quoteText = 0, level2Text = 0, tsText = 0, barText = 0, newsText = 0;
    auto quoteColors = m_quoteColors;
    auto level2Colors = m_level2Colors;
    auto tsColors = m_tsColors;
    auto newsColors = m_newsColors;
    auto chartColors = m_chartColors;
    auto schemeColors = m_schemeColors;
    CDrawingToolDefaults drawing;
    auto looks = m_reportLooks;

    quoteFont.Load(ar);
    LoadColors(ar, &quoteText, 1);
    const int stripe = ReadSmallInt(ar, 0, 1000);
    LoadColors(ar, quoteColors.data(), quoteColors.size());
    level2Font.Load(ar);
    LoadColors(ar, &level2Text, 1);
    LoadColors(ar, level2Colors.data(), level2Colors.size());
    tsFont.Load(ar);
    LoadColors(ar, &tsText, 1);
    LoadColors(ar, tsColors.data(), tsColors.size());
    barFont.Load(ar);
    LoadColors(ar, &barText, 1);
    newsFont.Load(ar);
    LoadColors(ar, &newsText, 1);
    LoadColors(ar, newsColors.data(), newsColors.size());
    chartFont.Load(ar);
    axisFont.Load(ar);
    LoadColors(ar, chartColors.data(), chartColors.size());
    LoadColors(ar, schemeColors.data(), schemeColors.size());
    drawing.Load(ar);
    for (CReportListLook& look : looks) {
        look.font.Load(ar);
        LoadColors(ar, &look.textColor, 1);
        LoadColors(ar, look.colors.data(), look.colors.size());
    }
    std::vector<CSymbolSetGroup> groups(ReadCount(ar));
    for (CSymbolSetGroup& group : groups) {
        ar >> group.name;
        group.names.resize(ReadCount(ar));
        for (CString& name : group.names)
            ar >> name;
    }
    std::vector<CString> intervals(ReadCount(ar));
    for (CString& interval : intervals)
        ar >> interval;
    // Files of older versions end here.
    if (ar.GetRemaining() > 0)
        drawing.LoadFull(ar);

    m_quoteFont = quoteFont;
    m_quoteTextColor = quoteText;
    m_nStripeInterval = stripe;
    m_quoteColors = quoteColors;
    m_level2Font = level2Font;
    m_level2TextColor = level2Text;
    m_level2Colors = level2Colors;
    m_tsFont = tsFont;
    m_tsTextColor = tsText;
    m_tsColors = tsColors;
    m_barFont = barFont;
    m_barTextColor = barText;
    m_newsFont = newsFont;
    m_newsTextColor = newsText;
    m_newsColors = newsColors;
    m_chartFont = chartFont;
    m_axisFont = axisFont;
    m_chartColors = chartColors;
    m_schemeColors = schemeColors;
    m_drawingDefaults = drawing;
    m_reportLooks = looks;
    m_symbolSetGroups = std::move(groups);
    if (!intervals.empty())
        m_intervals = std::move(intervals);
}

void CAppSettings::LoadOne(EUserFile file, const char* name, const std::function<void(CArchive&, DWORD)>& read,
                           const char* instead)
{
    CString error;
    const CString path = GetFilePath(name);
    m_fileState[file] = ReadUserFile(path, read, &error);
    if (m_fileState[file] == EUserFileState::kDamaged) {
        // Set aside, the damaged file no longer keeps this session's settings from being saved.
        const CString keptAs = SetAsideDamagedFile(path);
        if (!keptAs.IsEmpty()) {
            m_fileState[file] = EUserFileState::kMissing;
            Tell(DamagedFileMessage(name, keptAs, instead));
            return;
        }
        m_fileState[file] = EUserFileState::kFailed;
    }
    if (m_fileState[file] == EUserFileState::kFailed)
        Tell(error);
}

void CAppSettings::LoadAll()
{
    // What an interrupted save left behind goes first.
    RemoveLeftoverTempFiles(m_workingDirectory);
    RemoveLeftoverTempFiles(GetFilePath("Workspaces"));
    LoadOne(kFilePortfolios, "portfolios.dat", [this](CArchive& ar, DWORD v) { m_portfolios.ReadRest(ar, v); },
            "no portfolios");
    LoadOne(kFileGui, "gui.dat", [this](CArchive& ar, DWORD v) { ReadGui(ar, v); }, "default settings");
    LoadOne(kFileColumns, "columns.dat", [this](CArchive& ar, DWORD v) { m_columns.ReadRest(ar, v); },
            "no custom columns");
    LoadOne(kFileTrading, "trading.dat", [this](CArchive& ar, DWORD) { m_tradingDefaults.Read(ar); },
            "the default trade settings");
    LoadOne(kFileFormulas, "formulas.dat", [this](CArchive& ar, DWORD v) { m_formulas.ReadRest(ar, v); },
            "no formulas");
    ConvertStrategies();
    ConvertOldAlerts();
    LoadAlerts();

    const CString notesPath = GetFilePath("notes.xml");
    std::error_code missing;
    if (std::filesystem::exists(notesPath.GetString(), missing)) {
        // The size is checked first: a file too long for the reader is damaged, and not read.
        std::string text;
        CString error;
        bool tooLarge = false;
        const bool read = ReadXmlFile(notesPath, text, &error, &tooLarge);
        if (read && m_notes.FromXml(CString(text), &error)) {
            m_fileState[kFileNotes] = EUserFileState::kLoaded;
        } else {
            m_fileState[kFileNotes] = EUserFileState::kFailed;
            CString message;
            const bool setAside = error.Find("incompatible version") < 0 && (read || tooLarge);
            const CString keptAs = setAside ? SetAsideDamagedFile(notesPath) : CString();
            if (error.Find("incompatible version") >= 0) {
                message = error;
            } else if (!keptAs.IsEmpty()) {
                m_fileState[kFileNotes] = EUserFileState::kMissing;
                message.Format("Error reading file notes.xml: %s. It is kept as %s; the program starts with no notes "
                               "and saves a new notes.xml.",
                               error.GetString(), keptAs.GetString());
            } else {
                message.Format("Error reading file notes.xml: %s. It is kept unchanged; your notes are not loaded.",
                               error.GetString());
            }
            Tell(message);
        }
    } else {
        m_fileState[kFileNotes] = EUserFileState::kMissing;
    }
}

bool CAppSettings::SaveAll()
{
    bool ok = true;
    ok = SavePortfolios() && ok;
    ok = SaveGui() && ok;
    ok = SaveColumns() && ok;
    ok = SaveTrading() && ok;
    ok = SaveFormulas() && ok;
    ok = SaveNotes() && ok;
    ok = SaveAlerts() && ok;
    return ok;
}

bool CAppSettings::SaveGui()
{
    if (m_fileState[kFileGui] == EUserFileState::kFailed)
        return true;
    CString error;
    if (!WriteUserFile(GetFilePath("gui.dat"), [this](CArchive& ar) { WriteGui(ar); }, &error)) {
        Tell(error);
        return false;
    }
    return true;
}

bool CAppSettings::SaveKept(EUserFile file, const char* name, const CKeptRecords& records,
                            const std::vector<BYTE>& emptyBody, const char* failureText)
{
    if (m_fileState[file] == EUserFileState::kFailed)
        return true;
    CString error;
    const DWORD version = records.body.empty() ? kUserFileVersion : records.version;
    if (!WriteUserFile(
            GetFilePath(name), [&](CArchive& ar) { records.WriteBody(ar, emptyBody); }, &error, version)) {
        Tell(failureText ? CString(failureText) : error);
        return false;
    }
    return true;
}

bool CAppSettings::SaveColumns()
{
    // Three empty arrays when there are no records.
    return SaveKept(kFileColumns, "columns.dat", m_columns, std::vector<BYTE>(12, 0), "Error saving custom columns");
}

bool CAppSettings::SavePortfolios()
{
    return SaveKept(kFilePortfolios, "portfolios.dat", m_portfolios, std::vector<BYTE>(4, 0),
                    "Error writing portfolio settings");
}

bool CAppSettings::SaveTrading()
{
    if (m_fileState[kFileTrading] == EUserFileState::kFailed)
        return true;
    CString error;
    if (!WriteUserFile(GetFilePath("trading.dat"), [this](CArchive& ar) { m_tradingDefaults.Write(ar); }, &error)) {
        Tell("Error saving trade settings");
        return false;
    }
    return true;
}

bool CAppSettings::SaveFormulas()
{
    return SaveKept(kFileFormulas, "formulas.dat", m_formulas, std::vector<BYTE>(4, 0), nullptr);
}

bool CAppSettings::SaveNotes()
{
    if (m_fileState[kFileNotes] == EUserFileState::kFailed)
        return true;
    const CString path = GetFilePath("notes.xml");
    const CString xml = m_notes.ToXml();
    int osError = 0;
    const bool ok = SaveFileSafely(
        path, [&](CArchive& ar) { ar.Write(xml.GetString(), static_cast<UINT>(xml.GetLength())); }, &osError);
    if (!ok)
        Tell(WriteErrorMessage("notes.xml", osError));
    return ok;
}

int CAppSettings::ConvertStrategies()
{
    namespace fs = std::filesystem;
    const CString path = GetFilePath("strategies.dat");
    std::error_code ec;
    if (!fs::exists(path.GetString(), ec))
        return 0;
    const CString folder = GetFilePath("Strategies");
    fs::create_directories(folder.GetString(), ec);
    if (!m_strategyReader)
        return 0;  // converted once the strategy code can read the records

    std::vector<CStrategyText> records;
    CString error;
    const EUserFileState state =
        ReadUserFile(path, [&](CArchive& ar, DWORD version) { m_strategyReader(ar, version, records); }, &error);
    if (state != EUserFileState::kLoaded) {
        if (state == EUserFileState::kFailed || state == EUserFileState::kDamaged)
            Tell(error);
        return 0;
    }
    int written = 0;
    for (const CStrategyText& record : records) {
        const CString safe = SafeFileName(record.name);
        CString target = folder + "/" + safe + ".qxs";
        for (int n = 1; fs::exists(target.GetString(), ec) && n <= 9; ++n)
            target.Format("%s/%s (%d).qxs", folder.GetString(), safe.GetString(), n);
        if (fs::exists(target.GetString(), ec))
            continue;
        std::ofstream out(target.GetString(), std::ios::binary);
        out << record.text.str();
        out.close();
        if (out)
            ++written;
    }
    if (records.empty() || written > 0)
        fs::rename(path.GetString(), (path + ".old").GetString(), ec);
    return written;
}

CString CAppSettings::Scramble(const char* key, const char* text)
{
    static const char* const kHex = "0123456789ABCDEF";
    const size_t keyLength = key ? std::strlen(key) : 0;
    CString out;
    for (size_t i = 0; text && text[i]; ++i) {
        const BYTE b = static_cast<BYTE>(text[i]) ^ KeyByte(key, keyLength, i);
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    }
    return out;
}

CString CAppSettings::Unscramble(const char* key, const char* text)
{
    const size_t keyLength = key ? std::strlen(key) : 0;
    const size_t length = text ? std::strlen(text) : 0;
    if (length % 2 != 0)
        return CString();
    CString out;
    for (size_t i = 0; i < length / 2; ++i) {
        const int hi = HexValue(text[2 * i]);
        const int lo = HexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return CString();
        const BYTE b = static_cast<BYTE>((hi << 4) | lo) ^ KeyByte(key, keyLength, i);
        if (b == 0)
            return CString();
        out += static_cast<char>(b);
    }
    return out;
}

void CAppSettings::ApplyColorScheme(const std::array<COLORREF, kSchemeColorCount>& colors)
{
    m_schemeColors = colors;
    if (m_onSchemeApplied)
        m_onSchemeApplied();
}
