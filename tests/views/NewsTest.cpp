// What the news window computes without a display: its subscription keys and title,
// the list's cells and sort order, layouts and workspace records, the rows a change
// becomes, the queue between the session's thread and the window, and the addresses
// the browser views refuse. Expected bytes and texts are written out by hand.
#include "ArchiveBytes.h"
#include "tests/support/ArchiveBytes.h"

#include "broker/session/IStreamSubscriber.h"
#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"
#include "views/BrowserAddress.h"
#include "views/CHeadlineRows.h"
#include "views/CNewsSubscriptions.h"
#include "views/NewsColumns.h"
#include "views/NewsKeys.h"
#include "views/NewsLayout.h"
#include "views/NewsWorkspace.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

namespace {

std::vector<std::string> Strings(const std::vector<CString>& texts)
{
    std::vector<std::string> out;
    for (const CString& t : texts)
        out.push_back(t.str());
    return out;
}

std::vector<std::string> Ids(const std::vector<CNewsHeadline>& headlines)
{
    std::vector<std::string> ids;
    for (const CNewsHeadline& h : headlines)
        ids.push_back(h.storyId.str());
    return ids;
}

CNewsHeadline Story(const char* id, const char* symbol = "MSFT", int64_t time = 1765000000)
{
    CNewsHeadline h;
    h.storyId = id;
    h.symbol = symbol;
    h.time = time;
    h.headline = CString("About ") + symbol;
    return h;
}

CNewsMessage Message(const char* key, std::vector<CNewsHeadline> headlines)
{
    CNewsMessage message;
    message.m_key = key;
    message.m_headlines = std::move(headlines);
    return message;
}

class Recorder : public IStreamSubscriber {
public:
    void Subscribe(const CString& s, int service) override { calls.push_back("+" + s.str() + "/" + std::to_string(service)); }
    void Unsubscribe(const CString& s, int service) override { calls.push_back("-" + s.str() + "/" + std::to_string(service)); }
    DWORD RequestOptionChain(const COptionChainRequest&) override { return 0; }
    void RequestNewsHistory(const CString& key) override { calls.push_back("history " + key.str()); }
    std::vector<std::string> calls;
};

class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/qx_news_XXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }
    CString File(const char* name) const { return CString((m_path + "/" + name).c_str()); }
    void Write(const char* name, const std::string& bytes) const
    {
        std::ofstream(m_path + "/" + name, std::ios::binary) << bytes;
    }
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_path))
            names.insert(e.path().filename().string());
        return names;
    }

private:
    std::string m_path;
};

} // namespace

TEST(NewsKeys, SymbolsBecomeUpperCaseKeysOnceEachWithAllAndHotNewsLast)
{
    EXPECT_EQ(Strings(NewsKeysOf("msft, ibm", false, true)), (std::vector<std::string>{"MSFT", "IBM", "*HOT*"}));
    EXPECT_EQ(Strings(NewsKeysOf("nasd:msft MSFT\r\nibm,,\nIBM", true, true)),
              (std::vector<std::string>{"MSFT", "IBM", "*ALL*", "*HOT*"}));
    EXPECT_TRUE(NewsKeysOf(" , \r\n", false, false).empty());
}

TEST(NewsKeys, TitleNamesSymbolsKeysAndAlertAndIsCutAfter128Characters)
{
    EXPECT_EQ(NewsWindowTitle("MSFT IBM", true, false, false), "News - MSFT IBM HOT (Alert Off)");
    EXPECT_EQ(NewsWindowTitle("MSFT\r\nIBM", true, true, true), "News - MSFT IBM HOT ALL (Alert On)");
    EXPECT_EQ(NewsWindowTitle("", false, false, false), "News (Alert Off)");
    EXPECT_EQ(NewsWindowTitle("", false, true, false), "News - ALL (Alert Off)");
    const CString title = NewsWindowTitle(CString(std::string(200, 'A')), false, false, false);
    EXPECT_EQ(title.GetLength(), 131);
    EXPECT_EQ(title.Left(14), "News - AAAAAAA");
    EXPECT_EQ(title.Right(4), "A...");
}

TEST(NewsColumns, CellsAndSortOrder)
{
    CNewsHeadline h = Story("N1", "MSFT", 1765000000); // 2025-12-06 05:46:40 UTC, 00:46 EST
    h.note = "H";
    h.source = "Newswire";
    EXPECT_EQ(NewsCellText(h, kNewsNote), "H");
    EXPECT_EQ(NewsCellText(h, kNewsTime), "00:46 12/06/2025");
    EXPECT_EQ(NewsCellText(Story("N2", "MSFT", 1751371200), kNewsTime), "08:00 07/01/2025"); // 12:00 UTC, EDT
    EXPECT_EQ(NewsCellText(h, kNewsSymbol), "MSFT");
    EXPECT_EQ(NewsCellText(h, kNewsSource), "Newswire");
    EXPECT_EQ(NewsCellText(h, kNewsHeadline), "About MSFT");
    EXPECT_TRUE(IsHotNews(h));

    // Time sorts by the stamp: 22:30 on Jan 1 is before 01:00 on Jan 2 although its
    // text sorts after it.
    const CNewsHeadline late = Story("A", "A", 1577935800);  // 2020-01-02 03:30 UTC
    const CNewsHeadline early = Story("B", "B", 1577944800); // 2020-01-02 06:00 UTC
    EXPECT_EQ(NewsCellText(late, kNewsTime), "22:30 01/01/2020");
    EXPECT_EQ(NewsCellText(early, kNewsTime), "01:00 01/02/2020");
    EXPECT_EQ(CompareNewsCells(late, early, kNewsTime), -1);
    EXPECT_EQ(CompareNewsCells(early, late, kNewsTime), 1);
    // Texts byte by byte: upper case before lower case.
    CNewsHeadline lower = Story("C", "apple"), upper = Story("D", "Banana");
    EXPECT_EQ(CompareNewsCells(lower, upper, kNewsSymbol), 1);
    EXPECT_EQ(CompareNewsCells(upper, upper, kNewsSymbol), 0);

    EXPECT_EQ(NewsColumns().size(), 5u);
    EXPECT_EQ(DefaultColumnWidth(NewsColumns(), kNewsNote), 40);
    EXPECT_EQ(DefaultColumnWidth(NewsColumns(), kNewsHeadline), 500);
    EXPECT_EQ(NewsColumns()[kNewsSource].command, 40709u);
}

TEST(NewsLayoutFile, RoundTripBytesAndRefusals)
{
    TempFolder folder;
    CNewsLayout layout;
    layout.columns = {{4, 320}, {1, 95}, {2, 60}};
    layout.sortPosition = 1;
    layout.sortDirection = -1;
    CString message;
    ASSERT_TRUE(WriteNewsLayoutFile(folder.File("mine.nwl"), layout, message)) << message.GetString();
    // Nothing but the file is left behind.
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"mine.nwl"}));
    std::ifstream in(folder.File("mine.nwl").GetString(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes,
              CBytes().Dword(19).Dword(3).Dword(4).Dword(320).Dword(1).Dword(95).Dword(2).Dword(60).Dword(1).Int(-1).str());
    CNewsLayout read;
    ASSERT_EQ(ReadNewsLayoutFile(folder.File("mine.nwl"), read, message), ENewsLayoutRead::kLoaded);
    EXPECT_EQ(read, layout);

    // A newer version is refused with the program's message and the layout stays.
    folder.Write("new.nwl", CBytes().Dword(20).Dword(1).Dword(0).Dword(40).Int(-1).Dword(1).str());
    EXPECT_EQ(ReadNewsLayoutFile(folder.File("new.nwl"), read, message), ENewsLayoutRead::kIncompatible);
    EXPECT_EQ(message, "Error reading layout " + folder.File("new.nwl") +
                           ": incompatible version (v20).\nPlease upgrade to the latest version of Quorvantelix.");
    EXPECT_EQ(read, layout);
    // An older one loads like the current.
    folder.Write("old.nwl", CBytes().Dword(18).Dword(2).Dword(4).Dword(300).Dword(0).Dword(40).Dword(1).Dword(1).str());
    CNewsLayout old;
    ASSERT_EQ(ReadNewsLayoutFile(folder.File("old.nwl"), old, message), ENewsLayoutRead::kLoaded) << message.GetString();
    EXPECT_EQ(old.columns, (CReportLayout{{4, 300}, {0, 40}}));
    EXPECT_EQ(old.sortPosition, 1);
    EXPECT_EQ(old.sortDirection, 1);
    // A count beyond the file, and a file cut short, are damage.
    folder.Write("huge.nwl", CBytes().Dword(19).Dword(0xFFFFFFFF).Dword(0).Dword(40).str());
    EXPECT_EQ(ReadNewsLayoutFile(folder.File("huge.nwl"), read, message), ENewsLayoutRead::kDamaged);
    folder.Write("short.nwl", bytes.substr(0, bytes.size() - 2));
    EXPECT_EQ(ReadNewsLayoutFile(folder.File("short.nwl"), read, message), ENewsLayoutRead::kDamaged);
    EXPECT_EQ(read, layout);
    EXPECT_EQ(ReadNewsLayoutFile(folder.File("missing.nwl"), read, message), ENewsLayoutRead::kCannotOpen);

    // Unknown and repeated ids are left out; a sort position past them means unsorted.
    folder.Write("odd.nwl", CBytes()
                                .Dword(19)
                                .Dword(4)
                                .Dword(9).Dword(100)
                                .Dword(2).Dword(70)
                                .Dword(2).Dword(80)
                                .Dword(0).Dword(100000)
                                .Dword(3).Dword(0)
                                .str());
    ASSERT_EQ(ReadNewsLayoutFile(folder.File("odd.nwl"), read, message), ENewsLayoutRead::kLoaded);
    EXPECT_EQ(read.columns, (CReportLayout{{2, 70}, {0, kMaxReportColumnWidth}}));
    EXPECT_EQ(read.sortPosition, -1);
    EXPECT_EQ(read.sortDirection, 1);

    // A file that cannot be written leaves the old one.
    EXPECT_FALSE(WriteNewsLayoutFile(folder.File("nofolder/x.nwl"), layout, message));
    EXPECT_EQ(message, "Error saving layout to " + folder.File("nofolder/x.nwl"));
    EXPECT_EQ(DefaultNewsLayout().sortPosition, kNewsTime);
    EXPECT_EQ(DefaultNewsLayout().sortDirection, -1);
    EXPECT_EQ(DefaultNewsLayout().columns,
              (CReportLayout{{0, 40}, {1, 125}, {2, 70}, {3, 105}, {4, 500}}));
}

TEST(NewsWorkspaceRecord, RoundTripAndOldRecords)
{
    CLinkState links;
    links.SetButtons(true, false);
    links.SetSymbolGroup(3);
    CNewsRecord record;
    record.symbols = "MSFT IBM";
    record.alertOnNews = true;
    record.hotNews = true;
    record.layout.columns = {{1, 95}, {4, 400}};
    record.layout.sortPosition = 0;
    const std::string bytes = StoreToString([&](CArchive& ar) { ASSERT_TRUE(WriteNewsRecord(ar, record, links)); });
    EXPECT_EQ(bytes, CBytes()
                         .Str("MSFT IBM")
                         .Dword(1)
                         .Dword(3)
                         .Dword(1)
                         .Dword(0)
                         .Dword(2).Dword(1).Dword(95).Dword(4).Dword(400)
                         .Dword(0).Dword(1)
                         .str());
    CNewsRecord read;
    CLinkState readLinks;
    readLinks.SetButtons(true, false);
    LoadFromString(bytes, [&](CArchive& ar) { ASSERT_TRUE(ReadNewsRecord(ar, 19, read, readLinks)); });
    EXPECT_EQ(read.symbols, "MSFT IBM");
    EXPECT_TRUE(read.alertOnNews);
    EXPECT_TRUE(read.hotNews);
    EXPECT_FALSE(read.allNews);
    EXPECT_TRUE(read.hasLayout);
    EXPECT_EQ(read.layout, record.layout);
    EXPECT_EQ(readLinks.GetSymbolGroup(), 3);

    // Version 10 and older: the record ends after the link state.
    CNewsRecord old;
    LoadFromString(CBytes().Str("IBM").Dword(0).Dword(2).str(), [&](CArchive& ar) { ASSERT_TRUE(ReadNewsRecord(ar, 10, old, readLinks)); });
    EXPECT_EQ(old.symbols, "IBM");
    EXPECT_FALSE(old.hasLayout);
    EXPECT_EQ(readLinks.GetSymbolGroup(), 2);

    // A link group outside 0..9 is refused; a short record throws.
    LoadFromString(CBytes().Str("IBM").Dword(0).Dword(12).str(), [&](CArchive& ar) { EXPECT_FALSE(ReadNewsRecord(ar, 19, old, readLinks)); });
    EXPECT_THROW(LoadFromString(bytes.substr(0, bytes.size() - 3), [&](CArchive& ar) { ReadNewsRecord(ar, 19, old, readLinks); }),
                 CArchiveException);
}

TEST(HeadlineRows, KnownStoriesUpdateInPlaceNewOnesAlertOncePerSymbol)
{
    CHeadlineRows rows;
    CNewsHeadline kept = Story("N3", "IBM");
    kept.keep = 1;
    CHeadlineRows::CMerge first = rows.Merge({Story("N1", "MSFT"), Story("N2", "MSFT"), kept, Story("N4", "AAPL")});
    ASSERT_EQ(first.inserted.size(), 4u);
    EXPECT_EQ(first.inserted[0]->storyId, "N1");
    EXPECT_TRUE(first.updated.empty());
    EXPECT_EQ(Strings(first.alertSymbols), (std::vector<std::string>{"MSFT", "AAPL"}));
    const CNewsHeadline* n2 = rows.Find("N2");
    ASSERT_NE(n2, nullptr);

    // Sent again unchanged, a read story stays read.
    CHeadlineRows::MarkRead(*const_cast<CNewsHeadline*>(n2));
    EXPECT_EQ(rows.Merge({Story("N2", "MSFT")}).updated.size(), 1u);
    EXPECT_EQ(n2->read, 1);
    // The same story again: the row's record is rewritten, no new row and no alert; a
    // read mark goes with the old text.
    CNewsHeadline again = Story("N2", "MSFT");
    again.headline = "Corrected";
    CHeadlineRows::CMerge second = rows.Merge({again, Story("N5", "MSFT"), again});
    EXPECT_EQ(second.updated, (std::vector<CNewsHeadline*>{const_cast<CNewsHeadline*>(n2)}));
    ASSERT_EQ(second.inserted.size(), 1u);
    EXPECT_EQ(second.inserted[0]->storyId, "N5");
    EXPECT_EQ(Strings(second.alertSymbols), (std::vector<std::string>{"MSFT"}));
    EXPECT_EQ(rows.Find("N2"), n2);
    EXPECT_EQ(n2->headline, "Corrected");
    EXPECT_EQ(n2->read, 0);
    EXPECT_EQ(rows.Count(), 5u);
}

TEST(HeadlineRows, BeyondTheBoundTheOldestByTimeGo)
{
    CHeadlineRows rows(3);
    rows.Merge({Story("N1", "A", 300), Story("N2", "B", 100), Story("N3", "C", 200)});
    CHeadlineRows::CMerge merge = rows.Merge({Story("N4", "D", 400), Story("N5", "E", 50)});
    // N5 is the oldest of all and goes at once; N2 (time 100) makes room for N4.
    std::vector<std::string> removed;
    for (const auto& r : merge.removed)
        removed.push_back(r->storyId.str());
    EXPECT_EQ(removed, (std::vector<std::string>{"N5", "N2"}));
    ASSERT_EQ(merge.inserted.size(), 1u);
    EXPECT_EQ(merge.inserted[0]->storyId, "N4");
    EXPECT_EQ(rows.Count(), 3u);
    EXPECT_EQ(rows.Find("N2"), nullptr);
    EXPECT_NE(rows.Find("N1"), nullptr);
}

TEST(NewsSubscriptions, KeysSubscribeOnceAndOnlyChangedHeadlinesAreTaken)
{
    Recorder broker;
    CNewsRegistry registry(&broker);
    int wakes = 0;
    CNewsSubscriptions window(registry, [&] { ++wakes; });
    window.Resubscribe(NewsKeysOf("msft, ibm msft", false, true));
    EXPECT_EQ(broker.calls, (std::vector<std::string>{"+MSFT/11", "history MSFT", "+IBM/11", "history IBM",
                                                      "+*HOT*/11", "history *HOT*"}));
    EXPECT_EQ(wakes, 0);

    registry.DispatchNews(Message("MSFT", {Story("N1"), Story("N2"), Story("N3")}));
    registry.DispatchNews(Message("IBM", {Story("N9", "IBM")}));
    EXPECT_EQ(wakes, 1); // the queue filled once
    EXPECT_EQ(Ids(window.TakeChanges()), (std::vector<std::string>{"N1", "N2", "N3", "N9"}));
    EXPECT_FALSE(window.HasWaitingChanges());

    // Replacing N1 and appending N4 brings those two only, not N2 and N3 between them.
    registry.DispatchNews(Message("MSFT", {Story("N1"), Story("N4")}));
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(Ids(window.TakeChanges()), (std::vector<std::string>{"N1", "N4"}));

    // A second window on a key the registry holds gets its headlines at once, without
    // a second subscription or history request.
    int otherWakes = 0;
    CNewsSubscriptions other(registry, [&] { ++otherWakes; });
    broker.calls.clear();
    other.Resubscribe({"MSFT"});
    EXPECT_TRUE(broker.calls.empty());
    EXPECT_EQ(otherWakes, 1);
    EXPECT_EQ(Ids(other.TakeChanges()), (std::vector<std::string>{"N1", "N2", "N3", "N4"}));

    // Changes waiting when the keys change are dropped with the old subscriptions.
    registry.DispatchNews(Message("IBM", {Story("N10", "IBM")}));
    EXPECT_TRUE(window.HasWaitingChanges());
    window.Resubscribe({"IBM"});
    EXPECT_EQ(broker.calls, (std::vector<std::string>{"-*HOT*/11"}));
    // IBM's two headlines come again as the new subscription's first change.
    EXPECT_EQ(Ids(window.TakeChanges()), (std::vector<std::string>{"N9", "N10"}));
    window.RemoveAll();
    other.RemoveAll();
    EXPECT_EQ(registry.Lookup("MSFT"), nullptr);
    EXPECT_EQ(registry.Lookup("IBM"), nullptr);
}

TEST(NewsSubscriptions, HeadlinesFromTheSessionThreadAllReachTheWindow)
{
    constexpr int kStories = 2000;
    CNewsRegistry registry(nullptr, kStories);
    std::atomic<int> wakes{0};
    CNewsSubscriptions window(registry, [&] { ++wakes; });
    window.Resubscribe({"MSFT", "*ALL*"});
    std::atomic<bool> done{false};
    std::thread session([&] {
        for (int i = 0; i < kStories; ++i) {
            const std::string id = "S" + std::to_string(i);
            registry.DispatchNews(Message("MSFT", {Story(id.c_str())}));
            registry.DispatchNews(Message("*ALL*", {Story(id.c_str())}));
        }
        done = true;
    });
    std::set<std::string> seen;
    size_t taken = 0;
    int takes = 0;
    for (;;) {
        const bool finished = done.load();
        const std::vector<CNewsHeadline> changes = window.TakeChanges();
        if (!changes.empty())
            ++takes;
        taken += changes.size();
        for (const CNewsHeadline& h : changes)
            seen.insert(h.storyId.str());
        if (finished && !window.HasWaitingChanges())
            break;
        std::this_thread::yield();
    }
    session.join();
    EXPECT_EQ(seen.size(), static_cast<size_t>(kStories));
    // Every headline came once per key, and the window was woken no more often than it
    // found the queue filled.
    EXPECT_EQ(taken, static_cast<size_t>(2 * kStories));
    EXPECT_LE(wakes.load(), takes);
    window.RemoveAll();
}

TEST(BrowserAddress, LogOutPagesAreKnownWhateverTheirSpelling)
{
    for (const char* url : {"https://127.0.0.1:8443/cgi-bin/apps/LogOut", "HTTPS://BROKER/CGI-BIN/APPS/LOGOUT?x=1",
                            "https://broker/cgi-bin/apps/logout", "https://broker/cgi-bin/apps/Log%4Fut",
                            "https://broker/cgi-bin/apps/Log%254Fut", "https://broker//cgi-bin//apps/LogOut",
                            "https://broker/cgi-bin\\apps\\LogOut", "https://broker/apps/100/LogOut?source=QX&version=1"})
        EXPECT_TRUE(IsLogOutAddress(url)) << url;
    for (const char* url : {"https://broker/cgi-bin/apps/KeepAlive", "https://broker/apps/100/NewsStory?storyid=N1",
                            "https://broker/", "", "https://broker/cgi-bin/apps/Log"})
        EXPECT_FALSE(IsLogOutAddress(url)) << url;
    EXPECT_FALSE(IsLogOutAddress(nullptr));
}
