// Settings and user files: round trips, damaged files set aside, too-new files kept, link groups.
#include "common/services/CAppSettings.h"
#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"
#include "platform/core/CFile.h"
#include "platform/core/CMemFile.h"
#include "platform/core/CProfile.h"
#include "tests/platform/TempFolder.h"
#include "tests/support/RecordingNotifier.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

std::string Dword(DWORD v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

}  // namespace

TEST(AppSettings, UserFilesRoundTripThroughTheFolder)
{
    TempFolder folder;
    {
        CAppSettings s;
        s.SetWorkingDirectory(CString(folder.path().string()));
        s.LoadAll();
        for (int f = 0; f < kUserFileCount; ++f)
            EXPECT_EQ(s.GetFileState(static_cast<EUserFile>(f)), EUserFileState::kMissing);
        s.m_quoteFont.face = "Courier New";
        s.m_quoteFont.height = 15;
        s.m_quoteFont.strikeOut = true;
        s.m_nStripeInterval = 3;
        s.m_quoteColors[7] = RGB(1, 2, 3);
        s.m_tsColors[10] = RGB(9, 9, 9);
        s.m_schemeColors[6] = RGB(200, 100, 50);
        s.m_drawingDefaults.note.text = "remember";
        s.m_drawingDefaults.line.thickness = 4;
        s.m_drawingDefaults.retracement.levels[7].percent = 300.5;
        s.m_drawingDefaults.regression.lowerStdDevs = -1.5;
        s.m_reportLooks[kReportAlerts].colors[1] = RGB(7, 7, 7);
        s.m_symbolSetGroups.push_back({"Tech", {"Chips", "Software"}});
        s.m_intervals = {"Daily", "5 minutes"};
        s.m_notes.SetAt("IBM", "earnings <soon> ]]> & more");
        s.m_portfolios.body = {1, 0, 0, 0, 'x'};
        ASSERT_TRUE(s.SaveAll());
    }
    // columns.dat without records: version 19 and three empty arrays.
    EXPECT_EQ(folder.read("columns.dat"), Dword(19) + Dword(0) + Dword(0) + Dword(0));

    CAppSettings t;
    CRecordingNotifier r;
    t.SetNotifier(&r);
    t.SetWorkingDirectory(CString(folder.path().string()));
    t.LoadAll();
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(t.GetFileState(kFileGui), EUserFileState::kLoaded);
    EXPECT_EQ(t.m_quoteFont.face, "Courier New");
    EXPECT_EQ(t.m_quoteFont.height, 15);
    EXPECT_TRUE(t.m_quoteFont.strikeOut);
    EXPECT_EQ(t.m_nStripeInterval, 3);
    EXPECT_EQ(t.m_quoteColors[7], RGB(1, 2, 3));
    EXPECT_EQ(t.m_tsColors[10], RGB(9, 9, 9));
    EXPECT_EQ(t.m_schemeColors[6], RGB(200, 100, 50));
    EXPECT_EQ(t.m_drawingDefaults.note.text, "remember");
    EXPECT_EQ(t.m_drawingDefaults.line.thickness, 4);
    EXPECT_EQ(t.m_drawingDefaults.retracement.levels[7].percent, 300.5);
    EXPECT_EQ(t.m_drawingDefaults.regression.lowerStdDevs, -1.5);
    EXPECT_EQ(t.m_reportLooks[kReportAlerts].colors[1], RGB(7, 7, 7));
    ASSERT_EQ(t.m_symbolSetGroups.size(), 1u);
    EXPECT_EQ(t.m_symbolSetGroups[0].names[1], "Software");
    ASSERT_EQ(t.m_intervals.size(), 2u);
    CString note;
    ASSERT_TRUE(t.m_notes.Lookup("IBM", note));
    EXPECT_EQ(note, "earnings <soon> ]]> & more");
    // Records of other owners come back byte for byte.
    EXPECT_EQ(t.m_portfolios.body, (std::vector<BYTE>{1, 0, 0, 0, 'x'}));
    EXPECT_EQ(t.GetFileState(kFileColumns), EUserFileState::kLoaded);
}

// The file of the folder whose name starts with prefix, or "".
std::string FileStartingWith(const TempFolder& folder, const std::string& prefix)
{
    for (const auto& entry : fs::directory_iterator(folder.path()))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            return entry.path().filename().string();
    return {};
}

TEST(AppSettings, ANotesFileLongerThanTheReaderTakesIsSetAsideWithoutBeingRead)
{
    auto peakKb = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    };
    TempFolder folder;
    folder.write("notes.xml", "<Notes>");
    fs::resize_file(folder.path() / "notes.xml", 300u << 20); // sparse: no disk, no time
    CAppSettings s;
    CRecordingNotifier r;
    s.SetNotifier(&r);
    s.SetWorkingDirectory(CString(folder.path().string()));
    const long before = peakKb();
    s.LoadAll();
    EXPECT_LT(peakKb() - before, 64 * 1024) << "kB more at the peak";
    ASSERT_EQ(r.messages.size(), 1u);
    const std::string kept = FileStartingWith(folder, "notes.xml.damaged-");
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(r.messages[0], ("Error reading file notes.xml: XML text of 314572800 bytes is longer than the limit of "
                              "16777216 bytes. It is kept as " +
                              kept + "; the program starts with no notes and saves a new notes.xml.")
                                 .c_str());
}

TEST(AppSettings, DamagedFilesAreSetAsideAndTooNewOnesNeverOverwritten)
{
    TempFolder folder;
    const std::string damagedGui = Dword(19) + "\x05" + "Ari";  // ends inside the first font
    const std::string newColumns = Dword(20) + Dword(0) + Dword(0) + Dword(0);
    const std::string badNotes = "<Notes><Note><Symbol>IBM";
    const std::string newerPortfolios = Dword(25) + "future";
    folder.write("gui.dat", damagedGui);
    folder.write("columns.dat", newColumns);
    folder.write("notes.xml", badNotes);
    folder.write("portfolios.dat", newerPortfolios);

    CAppSettings s;
    CRecordingNotifier r;
    s.SetNotifier(&r);
    s.SetWorkingDirectory(CString(folder.path().string()));
    const CFontInfo defaultFont = s.m_quoteFont;
    s.LoadAll();
    ASSERT_EQ(r.messages.size(), 4u);
    EXPECT_EQ(r.messages[0], "Error reading file portfolios.dat: incompatible version (v25).\nPlease upgrade to the "
                             "latest version of Quorvantelix.");
    // The damaged files are kept under a new name, and the message says which.
    const std::string guiKept = FileStartingWith(folder, "gui.dat.damaged-");
    ASSERT_EQ(guiKept.size(), std::string("gui.dat.damaged-YYYYMMDD-HHMMSS").size()) << guiKept;
    EXPECT_EQ(folder.read(guiKept), damagedGui);
    EXPECT_EQ(r.messages[1], ("Error reading file gui.dat: the file is damaged. It is kept as " + guiKept +
                              "; the program starts with default settings and saves a new gui.dat.")
                                 .c_str());
    EXPECT_EQ(r.messages[2], "Error reading file columns.dat: incompatible version (v20).\nPlease upgrade to the latest "
                             "version of Quorvantelix.");
    const std::string notesKept = FileStartingWith(folder, "notes.xml.damaged-");
    ASSERT_FALSE(notesKept.empty());
    EXPECT_EQ(folder.read(notesKept), badNotes);
    EXPECT_NE(r.messages[3].Find(("notes.xml: ")), -1) << r.messages[3].GetString();
    EXPECT_NE(r.messages[3].Find(("It is kept as " + notesKept).c_str()), -1) << r.messages[3].GetString();
    EXPECT_EQ(s.GetFileState(kFileGui), EUserFileState::kMissing);
    EXPECT_EQ(s.m_quoteFont, defaultFont);  // defaults, not half a file

    // The program goes on and saves at exit: fresh files for the damaged ones, the newer
    // ones stay as they were.
    s.m_quoteFont.height = 23;
    s.m_notes.SetAt("MSFT", "new note");
    s.m_columns.body = {9, 9};
    EXPECT_TRUE(s.SaveAll());
    EXPECT_EQ(folder.read(guiKept), damagedGui);
    EXPECT_EQ(folder.read("columns.dat"), newColumns);
    EXPECT_EQ(folder.read("portfolios.dat"), newerPortfolios);
    EXPECT_EQ(folder.read("trading.dat").substr(0, 4), Dword(19));

    // The next start loads them without a word.
    CAppSettings again;
    CRecordingNotifier r2;
    again.SetNotifier(&r2);
    again.SetWorkingDirectory(CString(folder.path().string()));
    again.LoadAll();
    EXPECT_EQ(again.GetFileState(kFileGui), EUserFileState::kLoaded);
    EXPECT_EQ(again.m_quoteFont.height, 23);
    EXPECT_EQ(again.GetFileState(kFileNotes), EUserFileState::kLoaded);
    EXPECT_EQ(r2.messages.size(), 2u);  // only the two newer files again
}

TEST(AppSettings, TemporaryFilesOfAnInterruptedSaveGoAtTheNextStart)
{
    TempFolder folder;
    fs::create_directories(folder.path() / "Workspaces");
    for (const char* name : {".portfolios.dat.a1B2c3", ".gui.dat.XyZ123", ".alerts.xml.000aaa",
                             "Workspaces/.backup.swp.Qq9Zz0"})
        folder.write(name, "");
    // Not ours: other hidden files, other names, a folder.
    for (const char* name : {".portfolios.dat.old", ".bashrc", "gui.dat.a1B2c3", ".notes.txt.a1B2c3"})
        folder.write(name, "keep");
    fs::create_directories(folder.path() / ".columns.dat.abcdef");
    CAppSettings s;
    s.SetWorkingDirectory(CString(folder.path().string()));
    s.LoadAll();
    for (const char* gone : {".portfolios.dat.a1B2c3", ".gui.dat.XyZ123", ".alerts.xml.000aaa",
                             "Workspaces/.backup.swp.Qq9Zz0"})
        EXPECT_FALSE(fs::exists(folder.file(gone))) << gone;
    for (const char* kept : {".portfolios.dat.old", ".bashrc", "gui.dat.a1B2c3", ".notes.txt.a1B2c3",
                             ".columns.dat.abcdef"})
        EXPECT_TRUE(fs::exists(folder.file(kept))) << kept;
}

TEST(AppSettings, KeptRecordsKeepTheirOwnVersion)
{
    TempFolder folder;
    folder.write("formulas.dat", Dword(17) + "abc");
    CAppSettings s;
    s.SetWorkingDirectory(CString(folder.path().string()));
    s.LoadAll();
    ASSERT_TRUE(s.SaveFormulas());
    EXPECT_EQ(folder.read("formulas.dat"), Dword(17) + "abc");
}

TEST(AppSettings, SaveFailuresShowTheirMessages)
{
    CAppSettings s;
    CRecordingNotifier r;
    s.SetNotifier(&r);
    s.SetWorkingDirectory("/nonexistent-qx-folder/sub");
    EXPECT_FALSE(s.SaveColumns());
    EXPECT_FALSE(s.SavePortfolios());
    EXPECT_FALSE(s.SaveTrading());
    ASSERT_EQ(r.messages.size(), 3u);
    EXPECT_EQ(r.messages[0], "Error saving custom columns");
    EXPECT_EQ(r.messages[1], "Error writing portfolio settings");
    EXPECT_EQ(r.messages[2], "Error saving trade settings");
}

TEST(AppSettings, ProfileKeepsValuesAndNeverThePasswordInClear)
{
    CProfile profile;
    profile.LoadFromText("[Settings]\nBroker=7\nStockShares=250\nRecentListSize=0\n");
    CAppSettings s;
    s.LoadProfile(profile);
    EXPECT_EQ(s.m_nBroker, 1);  // any non-zero value is 1
    EXPECT_EQ(s.m_nStockShares, 250);
    EXPECT_EQ(s.m_nOptionContracts, 1);
    EXPECT_EQ(s.m_nFuturesContracts, 100);
    EXPECT_EQ(s.m_nRecentListSize, 30);  // out of range: the default
    s.m_emailPassword = "hunter2";
    s.m_emailUser = "me";
    s.m_bViewExportData = true;
    s.m_bSaveUserName = false;
    s.m_userName = "trader";
    CProfile out;
    out.LoadFromText("");
    s.SaveProfile(out);
    const std::string text = out.ToText();
    EXPECT_EQ(text.find("hunter2"), std::string::npos);
    EXPECT_EQ(out.GetProfileString("Settings", "UserName"), "");  // "save user name" off
    CAppSettings t;
    t.LoadProfile(out);
    EXPECT_EQ(t.m_emailPassword, "hunter2");
    EXPECT_EQ(t.m_emailUser, "me");
    EXPECT_TRUE(t.m_bViewExportData);
}

TEST(AppSettings, TheProfileIsWrittenOnceAtOnceAndAFailureIsTold)
{
    TempFolder folder;
    const std::string path = folder.file("profile.ini");
    CProfile profile(path.c_str());
    CAppSettings s;
    CRecordingNotifier r;
    s.SetNotifier(&r);
    s.m_nStockShares = 300;
    // Without an application profile there is nothing to write to.
    SetAppProfile(nullptr);
    EXPECT_TRUE(s.SaveProfileNow());
    EXPECT_FALSE(std::filesystem::exists(path));
    SetAppProfile(&profile);
    EXPECT_TRUE(s.SaveProfileNow());
    CProfile reread(path.c_str());
    EXPECT_EQ(reread.GetProfileInt("Settings", "StockShares", 0), 300);
    EXPECT_TRUE(r.messages.empty());

    // Writes inside a batch wait for its end, and nested batches for the outermost.
    profile.BeginBatch();
    profile.BeginBatch();
    profile.WriteProfileInt("Settings", "StockShares", 400);
    EXPECT_TRUE(profile.EndBatch());
    EXPECT_EQ(CProfile(path.c_str()).GetProfileInt("Settings", "StockShares", 0), 300);
    EXPECT_TRUE(profile.EndBatch());
    EXPECT_EQ(CProfile(path.c_str()).GetProfileInt("Settings", "StockShares", 0), 400);

    // A folder that is gone: the user is told which file and why.
    CProfile lost("/nonexistent-qx-folder/sub/profile.ini");
    SetAppProfile(&lost);
    EXPECT_FALSE(s.SaveProfileNow());
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], "Error writing file \"profile.ini\" (2)");
    SetAppProfile(nullptr);
}

TEST(AppSettings, ScrambleIsReversibleAndRejectsForeignText)
{
    const char* key = CAppSettings::ProgramKey();
    for (const char* text : {"", "a", "10000001 Individual", "ÄÖÜ mixed \t text"}) {
        const CString s = CAppSettings::Scramble(key, text);
        EXPECT_EQ(CAppSettings::Unscramble(key, s), text);
        if (*text) {
            EXPECT_NE(s, text);
        }
    }
    EXPECT_EQ(CAppSettings::Unscramble(key, "XYZ"), "");
    EXPECT_EQ(CAppSettings::Unscramble(key, "zz"), "");
    EXPECT_NE(CAppSettings::Unscramble("other key", CAppSettings::Scramble(key, "abc")), "abc");
}

TEST(AppSettings, StrategiesConvertIntoLibraryFilesAndTheStoreIsMovedAside)
{
    TempFolder folder;
    folder.write("strategies.dat", Dword(19) + Dword(3));
    CAppSettings s;
    s.SetWorkingDirectory(CString(folder.path().string()));
    // Without a record reader the store stays where it is.
    EXPECT_EQ(s.ConvertStrategies(), 0);
    EXPECT_TRUE(fs::exists(folder.file("strategies.dat")));
    EXPECT_TRUE(fs::is_directory(folder.file("Strategies")));

    folder.write("Strategies/Cross.qxs", "taken");
    s.SetStrategyReader([](CArchive& ar, DWORD, std::vector<CAppSettings::CStrategyText>& out) {
        DWORD n = 0;
        ar >> n;
        for (DWORD i = 0; i < n; ++i)
            out.push_back({i == 2 ? "a/b" : "Cross", "text"});
    });
    EXPECT_EQ(s.ConvertStrategies(), 3);
    EXPECT_EQ(folder.read("Strategies/Cross.qxs"), "taken");
    EXPECT_EQ(folder.read("Strategies/Cross (1).qxs"), "text");
    EXPECT_EQ(folder.read("Strategies/Cross (2).qxs"), "text");
    EXPECT_EQ(folder.read("Strategies/a_b.qxs"), "text");
    EXPECT_FALSE(fs::exists(folder.file("strategies.dat")));
    EXPECT_TRUE(fs::exists(folder.file("strategies.dat.old")));

    // A too-new store converts nothing and says why.
    folder.write("strategies.dat", Dword(21));
    CRecordingNotifier r;
    s.SetNotifier(&r);
    EXPECT_EQ(s.ConvertStrategies(), 0);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].Find("incompatible version (v21)"), -1);
    EXPECT_TRUE(fs::exists(folder.file("strategies.dat")));
}

TEST(LinkState, AcceptRules)
{
    CLinkState none;
    EXPECT_FALSE(none.AcceptsSymbolGroup(-1));  // no button, no link

    CLinkState s;
    s.SetButtons(true, false);
    ASSERT_TRUE(s.SetSymbolGroup(3));
    EXPECT_TRUE(s.AcceptsSymbolGroup(3));
    EXPECT_FALSE(s.AcceptsSymbolGroup(4));
    EXPECT_TRUE(s.AcceptsSymbolGroup(-1));
    EXPECT_FALSE(s.AcceptsSymbolGroup(-2));
    EXPECT_TRUE(s.AcceptsSymbolGroup(kLinkGroupAll));
    EXPECT_FALSE(s.AcceptsSymbolGroup(kLinkGroupDisabled));
    EXPECT_FALSE(s.AcceptsIntervalGroup(3));  // no interval button
    ASSERT_TRUE(s.SetSymbolGroup(kLinkGroupAll));
    EXPECT_TRUE(s.AcceptsSymbolGroup(7));
    ASSERT_TRUE(s.SetSymbolGroup(kLinkGroupDisabled));
    EXPECT_FALSE(s.AcceptsSymbolGroup(kLinkGroupDisabled));
    EXPECT_FALSE(s.AcceptsSymbolGroup(-1));
    EXPECT_FALSE(s.SetSymbolGroup(10));
    EXPECT_FALSE(s.SetSymbolGroup(-1));
    EXPECT_EQ(LinkGroupName(0), "Disable Link");
    EXPECT_EQ(LinkGroupName(1), "Link to All");
    EXPECT_EQ(LinkGroupName(2), "Group 1");
    EXPECT_EQ(LinkGroupName(9), "Group 8");
    EXPECT_EQ(LinkGroupName(10), "");
}

TEST(LinkState, SaveWritesOneDwordPerButtonAndLoadRefusesBadRecords)
{
    CLinkState both;
    both.SetButtons(true, true);
    both.SetSymbolGroup(4);
    both.SetIntervalGroup(6);
    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        ASSERT_TRUE(both.Save(ar));
        ar.Close();
    }
    EXPECT_EQ(mem.GetLength(), 8u);

    mem.SeekToBegin();
    CLinkState back;
    back.SetButtons(true, true);
    {
        CArchive ar(&mem, CArchive::load);
        ASSERT_TRUE(back.Load(ar));
    }
    EXPECT_EQ(back.GetSymbolGroup(), 4);
    EXPECT_EQ(back.GetIntervalGroup(), 6);

    // Too short: the interval DWORD is missing.
    CMemFile shortFile;
    {
        CArchive ar(&shortFile, CArchive::store);
        ar << DWORD(5);
        ar.Close();
    }
    shortFile.SeekToBegin();
    CLinkState cut;
    cut.SetButtons(true, true);
    {
        CArchive ar(&shortFile, CArchive::load);
        EXPECT_FALSE(cut.Load(ar));
    }
    EXPECT_EQ(cut.GetSymbolGroup(), kLinkGroupAll);

    // Out of range.
    CMemFile bad;
    {
        CArchive ar(&bad, CArchive::store);
        ar << DWORD(77);
        ar.Close();
    }
    bad.SeekToBegin();
    CLinkState one;
    one.SetButtons(true, false);
    {
        CArchive ar(&bad, CArchive::load);
        EXPECT_FALSE(one.Load(ar));
    }
}

TEST(AppSettings, NotesOfANewerVersionAreRefusedAndKept)
{
    TempFolder folder;
    const std::string newer = "<Notes><Version>20</Version><Note><Symbol>IBM</Symbol><Text>x</Text></Note></Notes>";
    folder.write("notes.xml", newer);
    CAppSettings s;
    CRecordingNotifier r;
    s.SetNotifier(&r);
    s.SetWorkingDirectory(CString(folder.path().string()));
    s.LoadAll();
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], "Error reading file notes.xml: incompatible version (v20).\nPlease upgrade to the latest "
                             "version of Quorvantelix.");
    EXPECT_EQ(s.m_notes.GetCount(), 0u);
    s.m_notes.SetAt("MSFT", "mine");
    EXPECT_TRUE(s.SaveAll());
    EXPECT_EQ(folder.read("notes.xml"), newer);

    // An empty text removes a note.
    CNoteMap notes;
    notes.SetAt("IBM", "a");
    notes.SetAt("IBM", "");
    EXPECT_EQ(notes.GetCount(), 0u);
}

TEST(AppSettings, DrawingToolDefaultsAndOlderGuiFiles)
{
    // The values of a settings reset.
    CDrawingToolDefaults d;
    EXPECT_EQ(d.segment.color, 65280u);
    EXPECT_EQ(d.ray.color, 0xFF0000u);
    EXPECT_EQ(d.line.color, 255u);
    EXPECT_EQ(d.regression.displayBits, 3u);
    EXPECT_EQ(d.regression.sourceField, 3);
    EXPECT_EQ(d.retracement.anchorThickness, 3);
    EXPECT_EQ(d.retracement.levels[3].percent, 78.6);
    EXPECT_EQ(d.retracement.levels[7].color, 255u);
    EXPECT_EQ(d.retracement.displayBits, 4095u);
    EXPECT_EQ(d.retracement.alertBits, 255u);
    EXPECT_EQ(d.retracement.extension, 3.4);
    EXPECT_EQ(d.note.color, 0xFF0000u);

    // A gui.dat written before the whole drawing-tool record existed still loads, with
    // the line tools and note of its short record.
    TempFolder folder;
    CDrawingToolDefaults saved;
    saved.ray.thickness = 7;
    saved.note.text = "short";
    saved.retracement.extension = 9.5;
    {
        CAppSettings s;
        s.SetWorkingDirectory(CString(folder.path().string()));
        s.m_drawingDefaults = saved;
        ASSERT_TRUE(s.SaveAll());
    }
    CMemFile full;
    {
        CArchive ar(&full, CArchive::store);
        saved.SaveFull(ar);
        ar.Close();
    }
    const auto guiPath = folder.path() / "gui.dat";
    fs::resize_file(guiPath, fs::file_size(guiPath) - full.GetLength());
    CAppSettings t;
    CRecordingNotifier r;
    t.SetNotifier(&r);
    t.SetWorkingDirectory(CString(folder.path().string()));
    t.LoadAll();
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(t.GetFileState(kFileGui), EUserFileState::kLoaded);
    EXPECT_EQ(t.m_drawingDefaults.ray.thickness, 7);
    EXPECT_EQ(t.m_drawingDefaults.note.text, "short");
    EXPECT_EQ(t.m_drawingDefaults.retracement.extension, 3.4);
}
