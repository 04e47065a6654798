// The news and Browser windows of the running workstation against the in-process test
// broker, offscreen: headlines of two symbols and hot news arriving live, a message
// that replaces one story and adds another, news alerts, stories in the story pane,
// the log-out guard, pop-ups, the session cookie, and workspaces with both kinds.
#include "tests/app/shell/ShellBrokerFixture.h"

#include "broker/session/CSessionManager.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/CPaneSplitterWnd.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CSdiChildFrame.h"
#include "platform/ui/CStatusBar.h"
#include "views/NewsColumns.h"
#include "views/ui/BrowserView.h"
#include "views/ui/CBrowserView.h"
#include "views/ui/HeadlinesView.h"
#include "views/ui/NewsFrames.h"
#include "views/ui/NewsIds.h"

#include <QKeyEvent>
#include <QNetworkCookie>
#include <QTimer>
#include <QTreeView>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <algorithm>
#include <map>

namespace {

using qx::protocol::Headline;

// Records message boxes and what would go to the desktop.
class NewsResponder : public RecordingResponder {
public:
    NewsResponder(std::vector<RecordedBox>* boxes, std::vector<CString>* opened)
        : RecordingResponder(boxes), m_opened(opened)
    {
    }
    bool OpenExternal(const CString& target) override
    {
        m_opened->push_back(target);
        return true;
    }

private:
    std::vector<CString>* m_opened;
};

// Each headline a second after the one made before it.
Headline Make(const char* symbol, const char* id, const char* text, bool hot = false)
{
    static int64_t time = 1765000000;
    Headline h;
    h.time = ++time;
    h.symbol = symbol;
    h.storyId = id;
    h.text = text;
    h.note = hot ? "H" : "";
    h.source = "Newswire";
    h.symbols = {symbol};
    return h;
}

void Command(CWnd& view, UINT id)
{
    view.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
}

CString PageText(CHtmlView& view)
{
    bool done = false;
    CString text;
    view.GetPageText([&](const CString& t) {
        text = t;
        done = true;
    });
    PumpUntil([&] { return done; }, 10000);
    return text;
}

bool WaitForPage(CHtmlView& view, const CString& url, const char* containing, int timeoutMs = 30000)
{
    return PumpUntil(
        [&] {
            if ((!url.IsEmpty() && view.GetLocationURL() != url) || view.GetBusy())
                return false;
            return PageText(view).Find(containing) >= 0;
        },
        timeoutMs);
}

bool IsFloating(CView* view)
{
    return dynamic_cast<CSdiChildFrame*>(view->GetParentFrame()) != nullptr;
}

// Story ids of the rows, top to bottom.
std::vector<std::string> RowIds(CHeadlinesCtrl& list)
{
    std::vector<std::string> ids;
    for (int i = 0; i < list.GetItemCount(); ++i)
        ids.push_back(list.GetHeadline(i)->storyId.str());
    return ids;
}

std::vector<std::string> Strings(const std::vector<CString>& texts)
{
    std::vector<std::string> out;
    for (const CString& t : texts)
        out.push_back(t.str());
    return out;
}

// A real click (press and release) on a row of the list.
void ClickRow(CHeadlinesCtrl& list, int item)
{
    auto* tree = qobject_cast<QTreeView*>(list.GetWidget());
    ASSERT_NE(tree, nullptr);
    QWidget* viewport = tree->viewport();
    const QPointF at = tree->visualRect(tree->model()->index(item, 0)).center();
    for (auto [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::MouseButtons(Qt::LeftButton)},
                                 std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons(Qt::NoButton)}}) {
        QMouseEvent e(type, at, viewport->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &e);
    }
}

class NewsWindows : public ShellBrokerFixture {
protected:
    void SetUp() override
    {
        ShellBrokerFixture::SetUp();
        m_responder = std::make_unique<CScopedUiResponder>(std::make_unique<NewsResponder>(&m_boxes, &m_opened));
    }
    void TearDown() override
    {
        m_responder.reset();
        ShellBrokerFixture::TearDown();
    }
    void Start(CWorkstationApp& app)
    {
        app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
        ASSERT_TRUE(app.InitInstance());
    }
    static HeadlinesView* OpenNews(CWorkstationApp& app, bool floating)
    {
        CDocument* doc = app.OpenWindowOfKind(kKindNews, floating);
        return doc ? dynamic_cast<HeadlinesView*>(doc->GetFirstView()) : nullptr;
    }
    static CBrowserView* OpenBrowser(CWorkstationApp& app, bool floating)
    {
        CDocument* doc = app.OpenWindowOfKind(kKindBrowser, floating);
        return doc ? dynamic_cast<CBrowserView*>(doc->GetFirstView()) : nullptr;
    }
    int Boxes(const char* text) const
    {
        return static_cast<int>(
            std::count_if(m_boxes.begin(), m_boxes.end(), [&](const RecordedBox& b) { return b.text == text; }));
    }

    std::unique_ptr<CScopedUiResponder> m_responder;
    std::vector<CString> m_opened;
};

} // namespace

TEST_F(NewsWindows, HeadlinesOfTwoSymbolsAndHotNewsArriveLiveAndOpenInTheStoryPane)
{
    m_broker->InjectHeadline(Make("MSFT", "M1", "MSFT names new chief financial officer"));
    m_broker->InjectHeadline(Make("MSFT", "M2", "MSFT declares quarterly dividend", true));
    m_broker->InjectHeadline(Make("IBM", "I1", "IBM wins large government contract"));
    m_broker->InjectHeadline(Make("AAPL", "A1", "AAPL beats revenue estimates", true));
    m_broker->InjectHeadline(Make("GE", "G1", "GE cuts jobs in restructuring"));
    CWorkstationApp app;
    Start(app);
    HeadlinesView* news = OpenNews(app, false);
    ASSERT_NE(news, nullptr);
    BrowserView* story = news->GetStoryPane();
    ASSERT_NE(story, nullptr);
    CHeadlinesCtrl& list = news->List();

    // Two symbols as typed, and hot news from the window's menu.
    news->SetSymbols("msft, ibm");
    Command(*news, ID_NEWS_HOT);
    EXPECT_EQ(Strings(news->GetSubscribedKeys()), (std::vector<std::string>{"*HOT*", "IBM", "MSFT"}));
    EXPECT_EQ(news->GetDocument()->GetTitle(), "News - MSFT, IBM HOT (Alert Off)");
    // Each story once, whatever key brought it; GE's is not asked for.
    ASSERT_TRUE(PumpUntil([&] { return list.GetItemCount() == 4; }, 10000)) << list.GetItemCount();
    PumpFor(300);
    std::vector<std::string> ids = RowIds(list);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"A1", "I1", "M1", "M2"}));
    const int aapl = list.FindStory("A1");
    ASSERT_GE(aapl, 0);
    EXPECT_EQ(list.GetCellText(aapl, list.FindFieldColumn(kNewsNote)), "H");
    EXPECT_EQ(list.GetCellText(aapl, list.FindFieldColumn(kNewsSymbol)), "AAPL");
    EXPECT_EQ(list.GetCellText(aapl, list.FindFieldColumn(kNewsHeadline)), "AAPL beats revenue estimates");
    EXPECT_EQ(list.GetCellText(aapl, list.FindFieldColumn(kNewsSource)), "Newswire");

    // A live headline goes on top.
    m_broker->InjectHeadline(Make("IBM", "I2", "IBM to buy back shares"));
    ASSERT_TRUE(PumpUntil([&] { return list.GetItemCount() == 5; }, 10000));
    EXPECT_EQ(RowIds(list).front(), "I2");

    // Alerts on: one message that rewrites I1 and brings M3 changes those two rows only:
    // no row comes twice, the others keep their order, and only M3 alerts.
    Command(*news, ID_NEWS_ALERT);
    EXPECT_EQ(news->GetDocument()->GetTitle(), "News - MSFT, IBM HOT (Alert On)");
    news->SetAlertQuietPeriod(std::chrono::milliseconds(0));
    const std::vector<std::string> before = RowIds(list);
    Headline corrected = Make("IBM", "I1", "IBM wins larger government contract");
    corrected.time = list.GetHeadline(list.FindStory("I1"))->time;
    m_broker->InjectHeadlines({corrected, Make("MSFT", "M3", "MSFT falls as guidance disappoints")});
    ASSERT_TRUE(PumpUntil([&] { return list.GetItemCount() == 6; }, 10000));
    PumpFor(300);
    std::vector<std::string> expected = before;
    expected.insert(expected.begin(), "M3");
    EXPECT_EQ(RowIds(list), expected);
    EXPECT_EQ(list.GetCellText(list.FindStory("I1"), list.FindFieldColumn(kNewsHeadline)),
              "IBM wins larger government contract");
    ASSERT_TRUE(PumpUntil([&] { return Boxes("New headline(s) for MSFT") == 1; }));
    PumpFor(200);
    EXPECT_EQ(Boxes("New headline(s) for MSFT"), 1);
    EXPECT_EQ(Boxes("New headline(s) for IBM"), 0);
    EXPECT_EQ(news->GetAlertsRaised(), 1);

    // Within 15 seconds after the symbols change nothing alerts.
    news->SetAlertQuietPeriod(std::chrono::seconds(15));
    news->SetSymbols("MSFT IBM");
    m_broker->InjectHeadline(Make("MSFT", "M4", "Options traders bet on MSFT move"));
    ASSERT_TRUE(PumpUntil([&] { return list.FindStory("M4") >= 0; }, 10000));
    PumpFor(200);
    EXPECT_EQ(news->GetAlertsRaised(), 1);
    EXPECT_EQ(Boxes("New headline(s) for MSFT"), 1);

    // A click opens the story in the pane below (over the broker's HTTPS, with the
    // session's cookie) and the row is read.
    const int m2 = list.FindStory("M2");
    ASSERT_GE(m2, 0);
    const CNewsHeadline* record = list.GetHeadline(m2);
    EXPECT_EQ(record->read, 0);
    ClickRow(list, m2);
    EXPECT_EQ(record->read, 1);
    ASSERT_TRUE(WaitForPage(*story, record->storyUrl, "MSFT declares quarterly dividend")) << story->GetLocationURL();
    EXPECT_NE(PageText(*story).Find("Newswire"), -1);

    // The page's log-out link does nothing, nor does a request for it from the page.
    const size_t sessions = m_broker->SessionCount();
    ASSERT_EQ(sessions, 1u);
    story->RunScript("document.getElementById('logout').click()");
    story->RunScript("fetch('/cgi-bin/apps/LOGOUT')");
    ASSERT_TRUE(PumpUntil([&] { return story->GetRefusedCount() >= 1; }, 10000));
    PumpFor(1000);
    EXPECT_EQ(story->GetLocationURL(), record->storyUrl);
    EXPECT_EQ(m_broker->SessionCount(), 1u);
    EXPECT_TRUE(app.Session()->IsLoggedIn());

    // A move with the keys opens the next story; a double click also hands it to the
    // desktop's browser.
    list.SetFocus();
    const int next = m2 + 1 < list.GetItemCount() ? m2 + 1 : m2 - 1;
    list.SetItemState(next, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    const CString nextUrl = list.GetHeadline(next)->storyUrl;
    ASSERT_TRUE(WaitForPage(*story, nextUrl, list.GetHeadline(next)->headline));
    EXPECT_TRUE(m_opened.empty());
    NMITEMACTIVATE a;
    a.iItem = m2;
    list.SendListNotify(NM_DBLCLK, &a.hdr);
    EXPECT_EQ(Strings(m_opened), (std::vector<std::string>{record->storyUrl.str()}));
    ASSERT_TRUE(WaitForPage(*story, record->storyUrl, "MSFT declares quarterly dividend"));
    CloseAndExit(app);
}

TEST_F(NewsWindows, AStoryAddressThatIsNoWebPageOpensNowhereAndIsTold)
{
    // A story file of the user's that the feed points at.
    m_home.Write("story.html", "<html><body>local</body></html>");
    const std::string local = m_home.File("story.html");
    const std::vector<std::string> addresses = {"file://" + local, local, "FILE:" + local,
                                                "smb://host/share/story.html", "javascript:alert(1)"};
    for (size_t i = 0; i < addresses.size(); ++i) {
        Headline h = Make("MSFT", ("F" + std::to_string(i)).c_str(), ("Local story " + std::to_string(i)).c_str());
        h.storyUrl = addresses[i];
        m_broker->InjectHeadline(h);
    }
    const Headline web = m_broker->InjectHeadline(Make("MSFT", "W1", "MSFT opens a new campus"));
    CWorkstationApp app;
    Start(app);
    HeadlinesView* news = OpenNews(app, false);
    ASSERT_NE(news, nullptr);
    BrowserView* story = news->GetStoryPane();
    ASSERT_NE(story, nullptr);
    CHeadlinesCtrl& list = news->List();
    news->SetSymbols("MSFT");
    ASSERT_TRUE(PumpUntil([&] { return list.GetItemCount() == 6; }, 10000)) << list.GetItemCount();
    CStatusBar* bar = app.MainFrame()->GetStatusBar();
    ASSERT_NE(bar, nullptr);

    for (size_t i = 0; i < addresses.size(); ++i) {
        const int row = list.FindStory(("F" + std::to_string(i)).c_str());
        ASSERT_GE(row, 0);
        bar->SetPaneText(0, "");
        NMITEMACTIVATE a;
        a.iItem = row;
        list.SendListNotify(NM_DBLCLK, &a.hdr);
        EXPECT_TRUE(m_opened.empty()) << addresses[i];
        const CString told = bar->GetPaneText(0);
        EXPECT_NE(told.Find("was not opened"), -1) << addresses[i] << ": " << told.str();
        EXPECT_NE(told.Find(addresses[i].substr(0, 20).c_str()), -1) << told.str();
        EXPECT_EQ(list.GetHeadline(row)->read, 1);
    }
    PumpFor(500);
    EXPECT_EQ(story->GetLocationURL().Find("story.html"), -1) << story->GetLocationURL();

    // A web story still goes to the pane and the desktop.
    NMITEMACTIVATE a;
    a.iItem = list.FindStory("W1");
    list.SendListNotify(NM_DBLCLK, &a.hdr);
    EXPECT_EQ(Strings(m_opened), (std::vector<std::string>{web.storyUrl}));
    ASSERT_TRUE(WaitForPage(*story, CString(web.storyUrl), "MSFT opens a new campus"));
    CloseAndExit(app);
}

TEST_F(NewsWindows, TheBrowserLoadsOnlyWebPagesKeepsTheSessionAndOpensPopUps)
{
    const Headline kept = m_broker->InjectHeadline(Make("MSFT", "B1", "MSFT announces new product line"));
    CWorkstationApp app;
    Start(app);
    CBrowserView* browser = OpenBrowser(app, false);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->GetDocument()->GetTitle(), "Browser");
    // No start page is set: the broker's news page.
    const CString home = m_broker->BaseUrl().c_str() + CString("/");
    ASSERT_TRUE(WaitForPage(*browser, home, "MSFT announces new product line")) << browser->GetLocationURL();

    // A story link: the story page needs the session's cookie.
    browser->RunScript("document.querySelector('a[href*=\"storyid=B1\"]').click()");
    ASSERT_TRUE(WaitForPage(*browser, CString(kept.storyUrl), "MSFT announces new product line"));
    EXPECT_EQ(PageText(*browser).Find("expired"), -1);

    // Log-out links, other schemes and files stay where they are; nothing goes to the desktop.
    for (const char* script : {"document.getElementById('logout').click()",
                               "location.href='HTTPS://127.0.0.1:1/CGI-BIN/APPS/logout'",
                               "location.href='mailto:someone@example.com'", "location.href='file:///etc/passwd'"})
        browser->RunScript(script);
    PumpFor(1500);
    EXPECT_EQ(browser->GetLocationURL(), CString(kept.storyUrl));
    EXPECT_EQ(browser->GetRefusedCount(), 2);
    EXPECT_TRUE(m_opened.empty());
    EXPECT_EQ(m_broker->SessionCount(), 1u);
    EXPECT_FALSE(browser->Navigate2("ftp://127.0.0.1/"));

    // A pop-up opens a Browser window of its own with the page. The session's cookie never
    // leaves the pages' cookie jar meanwhile: the program's requests would go without it.
    int cookieRemovals = 0;
    const QMetaObject::Connection removals =
        QObject::connect(QWebEngineProfile::defaultProfile()->cookieStore(), &QWebEngineCookieStore::cookieRemoved,
                         [&](const QNetworkCookie& c) { cookieRemovals += c.name() == "KELVTRADING"; });
    browser->RunScript(("window.open('" + home.str() + "')").c_str());
    CBrowserView* popup = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (CView* v : app.GetWindowViews())
                if (auto* b = dynamic_cast<CBrowserView*>(v); b && b != browser)
                    popup = b;
            return popup != nullptr;
        },
        10000));
    ASSERT_TRUE(WaitForPage(*popup, home, "Latest news"));
    EXPECT_FALSE(IsFloating(popup));
    QObject::disconnect(removals);
    EXPECT_EQ(cookieRemovals, 0);

    // A page that clears the session cookie clears it for the program; closing the
    // window gives it back while the session is logged in.
    CBrokerSession& session = app.Session()->GetSession();
    CString cookie;
    ASSERT_TRUE(session.GetSessionCookie(cookie));
    CHtmlView::DeleteCookie(m_broker->BaseUrl().c_str(), "KELVTRADING");
    CString now;
    ASSERT_TRUE(PumpUntil([&] { return !session.GetSessionCookie(now); }, 10000));
    popup->GetParentFrame()->SendMessage(WM_CLOSE);
    PumpFor(200);
    ASSERT_TRUE(session.GetSessionCookie(now));
    EXPECT_EQ(now, cookie);
    // The program's own requests go on with it.
    m_broker->InjectHeadline(Make("IBM", "B2", "IBM names new chief financial officer"));
    browser->Navigate2(home);
    ASSERT_TRUE(WaitForPage(*browser, home, "IBM names new chief financial officer"));
    browser->RunScript("document.querySelector('a[href*=\"storyid=B2\"]').click()");
    ASSERT_TRUE(PumpUntil([&] { return browser->GetLocationURL().Find("storyid=B2") >= 0; }, 10000))
        << browser->GetLocationURL();
    ASSERT_TRUE(WaitForPage(*browser, browser->GetLocationURL(), "IBM names new chief financial officer"))
        << PageText(*browser);

    // Once the session has logged out, nothing comes back.
    CHtmlView::DeleteCookie(m_broker->BaseUrl().c_str(), "KELVTRADING");
    ASSERT_TRUE(PumpUntil([&] { return !session.GetSessionCookie(now); }, 10000));
    app.Session()->LogOut();
    browser->GetParentFrame()->SendMessage(WM_CLOSE);
    PumpFor(200);
    EXPECT_FALSE(session.GetSessionCookie(now));
    CloseAndExit(app);
}

TEST_F(NewsWindows, AWorkspaceKeepsNewsAndBrowserWindowsMdiAndFloating)
{
    m_broker->InjectHeadline(Make("MSFT", "W1", "MSFT declares quarterly dividend", true));
    const Headline story = m_broker->InjectHeadline(Make("AAPL", "W2", "AAPL beats revenue estimates"));
    CWorkstationApp app;
    Start(app);
    HeadlinesView* mdi = OpenNews(app, false);
    HeadlinesView* floating = OpenNews(app, true);
    CBrowserView* browserMdi = OpenBrowser(app, false);
    CBrowserView* browserFloating = OpenBrowser(app, true);
    ASSERT_TRUE(mdi && floating && browserMdi && browserFloating);
    mdi->SetSymbols("MSFT IBM");
    Command(*mdi, ID_NEWS_HOT);
    Command(*mdi, ID_NEWS_ALERT);
    Command(*mdi, ID_NEWS_COLUMN_FIRST + kNewsSource); // hidden
    mdi->List().SetColumnWidth(mdi->List().FindFieldColumn(kNewsHeadline), 333);
    mdi->List().SetSort(mdi->List().FindFieldColumn(kNewsSymbol), true);
    floating->SetSymbols("AAPL");
    Command(*floating, ID_NEWS_ALL);
    dynamic_cast<CCommonDoc*>(floating->GetDocument())->GetLinkState().SetSymbolGroup(4);
    browserMdi->Navigate2(story.storyUrl.c_str());
    ASSERT_TRUE(WaitForPage(*browserMdi, CString(story.storyUrl), "AAPL beats revenue estimates"));

    struct Seen {
        bool floating;
        std::string symbols, title, keys;
        bool alert, hot, all;
        CNewsLayout layout;
        int group;
        bool operator==(const Seen&) const = default;
    };
    auto news = [&] {
        std::vector<Seen> out;
        for (CView* v : app.GetWindowViews()) {
            auto* h = dynamic_cast<HeadlinesView*>(v);
            if (!h)
                if (auto* pane = dynamic_cast<BrowserView*>(v))
                    h = pane->GetHeadlinesPane();
            if (!h)
                continue;
            std::string keys;
            for (const CString& k : h->GetSubscribedKeys())
                keys += k.str() + " ";
            out.push_back({IsFloating(h), h->GetSymbols().str(), h->GetDocument()->GetTitle().str(), keys,
                           h->IsAlertOnNews(), h->IsHotNews(), h->IsAllNews(), h->List().GetNewsLayout(),
                           dynamic_cast<CCommonDoc*>(h->GetDocument())->GetLinkState().GetSymbolGroup()});
        }
        std::sort(out.begin(), out.end(), [](const Seen& a, const Seen& b) { return a.floating < b.floating; });
        return out;
    };
    auto browsers = [&] {
        std::vector<std::pair<bool, std::string>> out;
        for (CView* v : app.GetWindowViews())
            if (auto* b = dynamic_cast<CBrowserView*>(v))
                out.push_back({IsFloating(b), b->GetLocationURL().str()});
        std::sort(out.begin(), out.end());
        return out;
    };
    ASSERT_TRUE(PumpUntil([&] { return mdi->List().GetItemCount() == 1 && floating->List().GetItemCount() == 2; }, 10000));
    const CString home = m_broker->BaseUrl().c_str() + CString("/");
    ASSERT_TRUE(WaitForPage(*browserFloating, home, "Latest news"));
    const std::vector<Seen> newsBefore = news();
    ASSERT_EQ(newsBefore.size(), 2u);
    EXPECT_EQ(newsBefore[0].keys, "*HOT* IBM MSFT ");
    EXPECT_EQ(newsBefore[0].layout.columns.size(), 4u);
    EXPECT_EQ(newsBefore[0].layout.sortPosition, 2);
    EXPECT_EQ(newsBefore[0].layout.sortDirection, 1);
    EXPECT_EQ(newsBefore[1].keys, "*ALL* AAPL ");
    const auto browsersBefore = browsers();
    ASSERT_EQ(browsersBefore.size(), 2u);
    const std::vector<double> proportions = mdi->GetSplitter()->GetProportions();

    const CString path = app.GetWorkspaceFolder() + "/news.swp";
    ASSERT_TRUE(app.SaveWorkspace(path));
    app.CloseAllWindows();
    PumpFor(50);
    ASSERT_TRUE(app.GetWindowViews().empty());
    ASSERT_TRUE(app.LoadWorkspace(path));
    PumpFor(50);
    EXPECT_EQ(news(), newsBefore);
    ASSERT_TRUE(PumpUntil([&] { return browsers() == browsersBefore; }, 30000)) << browsers()[0].second;
    EXPECT_TRUE(m_boxes.empty()) << m_boxes.front().text.GetString();
    // The same rows come back, and the panes keep their share of the window.
    for (CView* v : app.GetWindowViews())
        if (auto* h = dynamic_cast<HeadlinesView*>(v); h && !IsFloating(h)) {
            EXPECT_TRUE(PumpUntil([&] { return h->List().GetItemCount() == 1; }, 10000));
            const std::vector<double> now = h->GetSplitter()->GetProportions();
            ASSERT_EQ(now.size(), 2u);
            EXPECT_NEAR(now[0], proportions[0], 0.02);
        }
    CloseAndExit(app);
}

TEST_F(NewsWindows, DetachingAndAttachingKeepsBothPanesAndTheSubscriptions)
{
    const Headline h = m_broker->InjectHeadline(Make("MSFT", "D1", "MSFT wins large government contract"));
    CWorkstationApp app;
    Start(app);
    HeadlinesView* news = OpenNews(app, false);
    ASSERT_NE(news, nullptr);
    news->SetSymbols("MSFT");
    ASSERT_TRUE(PumpUntil([&] { return news->List().GetItemCount() == 1; }, 10000));
    ClickRow(news->List(), 0);
    BrowserView* story = news->GetStoryPane();
    ASSERT_TRUE(WaitForPage(*story, CString(h.storyUrl), "MSFT wins large government contract"));

    for (bool toFloating : {true, false}) {
        ASSERT_TRUE(app.ToggleDetach(news));
        PumpFor(100);
        EXPECT_EQ(IsFloating(news), toFloating);
        EXPECT_EQ(dynamic_cast<CCommonDoc*>(news->GetDocument())->IsDetached(), toFloating);
        EXPECT_EQ(news->GetStoryPane(), story);
        EXPECT_EQ(story->GetParentFrame(), news->GetParentFrame());
        EXPECT_EQ(news->List().GetItemCount(), toFloating ? 1 : 2);
        EXPECT_EQ(story->GetLocationURL(), CString(h.storyUrl));
        // Still subscribed: a new headline arrives in the moved window.
        const std::string id = toFloating ? "D2" : "D3";
        m_broker->InjectHeadline(Make("MSFT", id.c_str(), "MSFT to buy back shares"));
        EXPECT_TRUE(PumpUntil([&] { return news->List().FindStory(id.c_str()) >= 0; }, 10000)) << id;
        // The window's commands reach the list from the frame.
        Command(*news->GetParentFrame(), ID_NEWS_HOT);
        EXPECT_EQ(news->IsHotNews(), toFloating);
    }
    CloseAndExit(app);
}

TEST_F(NewsWindows, TheDefaultLayoutIsSavedAndADamagedOneIsToldAndReplaced)
{
    CWorkstationApp app;
    Start(app);
    HeadlinesView* first = OpenNews(app, false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->List().GetNewsLayout(), DefaultNewsLayout());
    Command(*first, ID_NEWS_COLUMN_FIRST + kNewsNote);
    first->List().SetSort(first->List().FindFieldColumn(kNewsSymbol), true);
    Command(*first, ID_NEWS_DEFAULT_LAYOUT);
    EXPECT_TRUE(std::filesystem::exists(HeadlinesView::DefaultLayoutPath().GetString()));
    HeadlinesView* second = OpenNews(app, true);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->List().GetNewsLayout(), first->List().GetNewsLayout());
    EXPECT_EQ(second->List().GetNewsLayout().columns.size(), 4u);
    EXPECT_TRUE(m_boxes.empty());

    // A newer version is told and the window starts with the five columns.
    m_home.Write("Layouts/default.nwl", std::string("\x14\0\0\0\0\0\0\0", 8));
    HeadlinesView* third = OpenNews(app, false);
    ASSERT_NE(third, nullptr);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Error reading layout " + HeadlinesView::DefaultLayoutPath() +
                                   ": incompatible version (v20).\nPlease upgrade to the latest version of Quorvantelix.");
    EXPECT_EQ(third->List().GetNewsLayout(), DefaultNewsLayout());
    CloseAndExit(app);
}

TEST_F(NewsWindows, LinkedSymbolsTypedKeysAndTheListLooksReachTheNewsWindow)
{
    m_broker->InjectHeadline(Make("INTC", "L1", "INTC declares quarterly dividend"));
    CWorkstationApp app;
    Start(app);
    CMainFrame* frame = app.MainFrame();
    HeadlinesView* news = OpenNews(app, false);
    ASSERT_TRUE(frame && news);
    BrowserView* story = news->GetStoryPane();
    ASSERT_NE(story, nullptr);

    // A symbol broadcast to the linked windows becomes the window's symbols.
    frame->SetSymbolBox("intc", FALSE);
    EXPECT_GE(frame->ApplySymbolInterval(news, TRUE), 1);
    EXPECT_EQ(news->GetSymbols(), "INTC");
    EXPECT_EQ(Strings(news->GetSubscribedKeys()), (std::vector<std::string>{"INTC"}));
    ASSERT_TRUE(PumpUntil([&] { return news->List().FindStory("L1") >= 0; }, 10000));
    // The story pane hands a broadcast to the list; the same symbol again changes nothing.
    CSymbolIntervalMsg msg{"MSFT", "", false};
    frame->SetSymbolBox("MSFT", FALSE);
    story->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(kLinkGroupAll), reinterpret_cast<LPARAM>(&msg));
    EXPECT_EQ(news->GetSymbols(), "MSFT");
    EXPECT_EQ(news->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&msg)), 0);
    // A window whose link is disabled does not follow.
    dynamic_cast<CCommonDoc*>(news->GetDocument())->GetLinkState().SetSymbolGroup(kLinkGroupDisabled);
    frame->SetSymbolBox("IBM", FALSE);
    frame->ApplySymbolInterval(nullptr, TRUE);
    EXPECT_EQ(news->GetSymbols(), "MSFT");

    // Keys typed into the list or the panes go to the main window's Symbol box, a symbol
    // typed into a pane the trader clicked replacing the last.
    frame->GetOuterWidget()->activateWindow();
    ASSERT_TRUE(PumpUntil([&] { return frame->GetOuterWidget()->isActiveWindow(); }));
    const auto type = [](CWnd* pane, char c) {
        QKeyEvent press(QEvent::KeyPress, QChar(c).toUpper().unicode(),
                        QChar(c).isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(pane->GetWidget(), &press);
    };
    const auto focused = [](CWnd* pane) {
        QWidget* focus = QApplication::focusWidget();
        return focus && (focus == pane->GetWidget() || pane->GetWidget()->isAncestorOf(focus));
    };
    for (auto [pane, c] : {std::pair<CWnd*, char>{&news->List(), 'Q'}, std::pair<CWnd*, char>{story, 'z'},
                           std::pair<CWnd*, char>{news, 'y'}}) {
        pane->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return focused(pane); }));
        type(pane, c);
        EXPECT_EQ(frame->GetSymbolBox(), CString(std::string(1, c)));
    }
    // The story page hands back the keys it does not take a while after they were typed:
    // those behind the first character follow it, though the box has the keyboard by then.
    story->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return focused(story); }));
    type(story, 'G');
    type(story, 'E');
    EXPECT_EQ(frame->GetSymbolBox(), "GE");

    // The main window's Fonts and Colors reach the list through either pane.
    app.Settings().m_quoteFont.face = "DejaVu Sans";
    app.Settings().m_quoteFont.height = 17;
    app.Settings().m_quoteTextColor = RGB(10, 20, 30);
    app.Settings().m_quoteColors[0] = RGB(240, 240, 200);
    news->GetParentFrame()->SetActiveView(story, FALSE);
    EXPECT_GE(app.ApplyListFont(), 1);
    EXPECT_GE(app.ApplyListColors(), 1);
    EXPECT_EQ(news->List().GetListFont(), app.Settings().m_quoteFont);
    EXPECT_EQ(news->List().GetTextColor(), RGB(10, 20, 30));
    EXPECT_EQ(news->List().GetBackground(), RGB(240, 240, 200));
    // The workspace record comes from the list whichever pane is active.
    const CString path = app.GetWorkspaceFolder() + "/panes.swp";
    ASSERT_TRUE(app.SaveWorkspace(path));
    app.CloseAllWindows();
    PumpFor(50);
    ASSERT_TRUE(app.LoadWorkspace(path));
    PumpFor(50);
    std::vector<CView*> views = app.GetWindowViews();
    ASSERT_EQ(views.size(), 1u);
    auto* reopened = dynamic_cast<HeadlinesView*>(views[0]);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetSymbols(), "MSFT");
    EXPECT_EQ(dynamic_cast<CCommonDoc*>(reopened->GetDocument())->GetLinkState().GetSymbolGroup(), kLinkGroupDisabled);
    // In a floating News window they go into the Symbols prompt that the first one opened.
    HeadlinesView* floating = OpenNews(app, true);
    ASSERT_NE(floating, nullptr);
    CString prompted;
    int nested = 0;
    QTimer::singleShot(0, [&] {
        QWidget* prompt = QApplication::activeModalWidget();
        QTimer::singleShot(0, [&nested, prompt] {
            if (auto* other = dynamic_cast<CDialog*>(CWnd::FromWidget(QApplication::activeModalWidget()));
                other && other->GetWidget() != prompt) {
                ++nested;
                other->EndDialog(IDCANCEL);
            }
        });
        type(floating->GetStoryPane(), 'E');
        auto* dialog = dynamic_cast<CDialog*>(CWnd::FromWidget(prompt));
        ASSERT_NE(dialog, nullptr);
        prompted = dialog->GetDlgItem(1070)->GetWindowText();
        dialog->OnOK();
    });
    type(floating->GetStoryPane(), 'K');
    EXPECT_EQ(prompted, "KE");
    EXPECT_EQ(nested, 0) << "a second prompt opened";
    EXPECT_EQ(floating->GetSymbols(), "KE");
    CloseAndExit(app);
}
