// A trader's news session: a news window from the Quotes menu, a symbol typed into the
// toolbar's Symbol box, a headline clicked and its story read in the story pane, the
// story page's log-out link clicked (nothing happens), the next story by the arrow key,
// the window closed, File -> Exit.
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "broker/session/CSessionManager.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CFrameWnd.h"
#include "views/NewsColumns.h"
#include "views/ui/BrowserView.h"
#include "views/ui/CBrowserView.h"
#include "views/ui/HeadlinesView.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEngineView>

#include <memory>
#include <mutex>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;
using qx::protocol::Headline;

constexpr int kSymbolsEdit = 1070; // Symbols: the list of symbols

class NewsSessionTest : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        int64_t time = 1765000000;
        for (const auto& [symbol, text, hot] :
             {std::tuple{"MSFT", "MSFT names new chief financial officer", false},
              std::tuple{"IBM", "IBM wins large government contract", false},
              std::tuple{"MSFT", "MSFT declares quarterly dividend", true},
              std::tuple{"MSFT", "MSFT beats revenue estimates", false}}) {
            Headline h;
            h.symbol = symbol;
            h.text = text;
            h.note = hot ? "H" : "";
            h.source = "Newswire";
            h.time = time += 60;
            m_headlines.push_back(Broker().InjectHeadline(h));
        }
    }

    // The text of the story pane's page, as last read (reading is asynchronous).
    QString StoryText(CSession& s, BrowserView* story)
    {
        s.OnUi([&] {
            story->GetPageText([text = m_storyText](const CString& t) {
                std::lock_guard<std::mutex> lock(text->lock);
                text->text = QString::fromUtf8(t.GetString());
            });
            return 0;
        });
        std::lock_guard<std::mutex> lock(m_storyText->lock);
        return m_storyText->text;
    }

    bool WaitForStory(CSession& s, BrowserView* story, const Headline& h)
    {
        return s.WaitFor(
            "the story of \"" + h.text + "\"",
            [&] {
                return s.OnUi([&] { return story->GetLocationURL().str(); }) == h.storyUrl &&
                       StoryText(s, story).contains(QString::fromStdString(h.text));
            },
            30s);
    }

    // A click on the row's time, which shows however narrow the window is.
    void ClickHeadline(CSession& s, HeadlinesView* news, const Headline& h)
    {
        s.Step("click the headline " + h.text);
        QWidget* tree = nullptr;
        const QPoint at = s.OnUi([&] {
            CHeadlinesCtrl& list = news->List();
            CRect cell;
            list.GetSubItemRect(list.FindStory(h.storyId.c_str()), list.FindFieldColumn(kNewsTime), LVIR_BOUNDS, cell);
            tree = list.GetWidget();
            return QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
        });
        s.Click(tree, at);
    }

    struct PageText {
        std::mutex lock;
        QString text;
    };
    std::shared_ptr<PageText> m_storyText = std::make_shared<PageText>();
    std::vector<Headline> m_headlines;
};

TEST_F(NewsSessionTest, NewsForATypedSymbolAStoryReadItsLogOutLinkIgnoredCloseAndExit)
{
    const int status = RunWorkstation([&](CSession& s) {
        s.ChooseMenu("&Quotes|&News");
        HeadlinesView* news = nullptr;
        ASSERT_TRUE(s.WaitFor("a news window", [&] {
            const auto views = s.Views<HeadlinesView>();
            news = views.empty() ? nullptr : views.front();
            return news != nullptr;
        }));
        CListCtrl* list = &news->List();
        BrowserView* story = s.OnUi([&] { return news->GetStoryPane(); });
        ASSERT_NE(story, nullptr);
        QWidget* frame = s.OnUi([&] { return news->GetParentFrame()->GetOuterWidget(); });

        // The symbol typed into the toolbar's Symbol box reaches the window.
        QWidget* symbolBox = s.OnUi([&]() -> QWidget* {
            for (QComboBox* combo : s.App().MainFrame()->GetOuterWidget()->findChildren<QComboBox*>())
                if (CWnd* wnd = CWnd::FromWidget(combo); wnd && wnd->GetDlgCtrlID() == static_cast<int>(IDC_SYMBOL_BOX))
                    return combo;
            return nullptr;
        });
        ASSERT_NE(symbolBox, nullptr);
        s.Click(symbolBox);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("msft\n");
        ASSERT_TRUE(s.WaitFor("the window's symbol", [&] { return s.OnUi([&] { return news->GetSymbols().str(); }) == "MSFT"; }));
        EXPECT_TRUE(s.WaitFor("MSFT's three headlines", [&] { return s.RowCount(list) == 3; }));
        EXPECT_EQ(s.RowOf(list, "IBM", "Symbol"), -1);
        EXPECT_EQ(s.OnUi([&] { return news->GetDocument()->GetTitle().str(); }), "News - MSFT (Alert Off)");
        // Newest first.
        EXPECT_EQ(s.CellText(list, 0, "Headline").toStdString(), m_headlines[3].text);
        EXPECT_EQ(s.CellText(list, 1, "Note"), "H");

        // A headline clicked: its story in the pane below, and the row read.
        const Headline& dividend = m_headlines[2];
        ClickHeadline(s, news, dividend);
        ASSERT_TRUE(WaitForStory(s, story, dividend)) << s.OnUi([&] { return story->GetLocationURL().str(); });
        EXPECT_TRUE(s.OnUi([&] { return news->List().GetHeadline(news->List().FindStory(dividend.storyId.c_str()))->read; }));

        // The page's log-out link, clicked with the mouse, does nothing.
        std::shared_ptr<QString> rect = std::make_shared<QString>();
        s.OnUi([&] {
            story->RunScript("JSON.stringify(document.getElementById('logout').getBoundingClientRect())",
                             [rect](const CString& r) { *rect = QString::fromUtf8(r.GetString()); });
            return 0;
        });
        ASSERT_TRUE(s.WaitFor("the link's place", [&] { return s.OnUi([&] { return !rect->isEmpty(); }); }));
        const QJsonObject box = s.OnUi([&] { return QJsonDocument::fromJson(rect->toUtf8()).object(); });
        QWidget* page = s.OnUi([&]() -> QWidget* {
            auto* web = story->GetWidget()->findChild<QWebEngineView*>();
            return web ? (web->focusProxy() ? web->focusProxy() : web) : nullptr;
        });
        ASSERT_NE(page, nullptr);
        const QPoint link(static_cast<int>(box["x"].toDouble() + box["width"].toDouble() / 2),
                          static_cast<int>(box["y"].toDouble() + box["height"].toDouble() / 2));
        // The page takes clicks once its renderer has laid it out: clicked again as a
        // trader would when the first click comes too early.
        bool refused = false;
        for (int attempt = 0; attempt < 5 && !refused; ++attempt) {
            s.Click(page, link);
            for (int wait = 0; wait < 40 && !refused; ++wait) {
                s.Pause(50ms);
                refused = s.OnUi([&] { return story->GetRefusedCount(); }) >= 1;
            }
        }
        EXPECT_TRUE(refused);
        s.Pause(1s);
        EXPECT_EQ(s.OnUi([&] { return story->GetLocationURL().str(); }), dividend.storyUrl);
        EXPECT_EQ(s.Broker().SessionCount(), 1u);
        EXPECT_TRUE(s.OnUi([&] { return s.App().Session()->IsLoggedIn(); }));

        // Two symbols from the window's Set Symbols dialog, and hot news from its menu.
        s.ChooseMenu("&News|&Set Symbols...");
        QWidget* symbols = s.WaitModal("Symbols");
        ASSERT_NE(symbols, nullptr);
        EXPECT_EQ(s.ControlText(symbols, kSymbolsEdit), "MSFT");
        s.FillControl(symbols, kSymbolsEdit, "msft, ibm");
        s.PressButton(symbols, "OK");
        EXPECT_TRUE(s.WaitFor("MSFT's and IBM's headlines", [&] { return s.RowCount(list) == 4; }));
        s.ChooseMenu("&News|&Hot News");
        EXPECT_TRUE(s.WaitFor("hot news in the title", [&] {
            return s.OnUi([&] { return news->GetDocument()->GetTitle().str(); }) == "News - MSFT, IBM HOT (Alert Off)";
        }));
        EXPECT_TRUE(s.MenuItemEnabled("&News|&Hot News"));

        // The next story with the arrow key.
        ClickHeadline(s, news, dividend);
        s.Key(Qt::Key_Down);
        EXPECT_TRUE(WaitForStory(s, story, m_headlines[1])); // IBM's, the next older one

        s.RaiseFrame(frame);
        s.CloseFrame(frame);
        EXPECT_TRUE(s.WaitFor("the window closed", [&] { return s.Views<HeadlinesView>().empty(); }));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TemporaryFiles().empty());
}

}  // namespace
// The web view of the first News and Browser windows needs no other kind of surface from
// the main window: its native window stays the same one, open or closed.
TEST_F(NewsSessionTest, TheMainWindowKeepsItsNativeWindowWhileNewsAndBrowserWindowsOpenAndClose)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "on X only (x11_sessions.NativeWindows)";
    const int status = RunWorkstation([&](CSession& s) {
        QWidget* main = s.OnUi([&] { return s.App().MainFrame()->GetOuterWidget(); });
        const WId before = s.OnUi([&] { return main->winId(); });
        struct Kind {
            const char* item;
            std::function<CView*()> view;
        };
        const Kind kinds[] = {
            {"&Quotes|&News",
             [&]() -> CView* { return s.Views<HeadlinesView>().empty() ? nullptr : s.Views<HeadlinesView>().front(); }},
            {"&Quotes|B&rowser",
             [&]() -> CView* { return s.Views<CBrowserView>().empty() ? nullptr : s.Views<CBrowserView>().front(); }},
        };
        for (const Kind& kind : kinds) {
            s.ChooseMenu(kind.item);
            CView* view = nullptr;
            ASSERT_TRUE(s.WaitFor(std::string("the window of ") + kind.item, [&] { return (view = kind.view()) != nullptr; }));
            QWidget* web = s.OnUi([&]() -> QWidget* { return view->GetParentFrame()->GetOuterWidget()->findChild<QWebEngineView*>(); });
            ASSERT_NE(web, nullptr);
            ASSERT_TRUE(s.WaitFor("the web view shown", [&] { return s.OnUi([&] { return web->isVisible(); }); }));
            s.Pause(500ms);
            EXPECT_EQ(s.OnUi([&] { return main->winId(); }), before) << "opened " << kind.item;
            QWidget* frame = s.OnUi([&] { return view->GetParentFrame()->GetOuterWidget(); });
            s.RaiseFrame(frame);
            s.CloseFrame(frame);
            ASSERT_TRUE(s.WaitFor("the window closed", [&] { return kind.view() == nullptr; }));
            s.Pause(500ms);
            EXPECT_EQ(s.OnUi([&] { return main->winId(); }), before) << "closed " << kind.item;
        }
        // A floating News window: its own native window from the start, kept while its
        // story page draws.
        s.ChooseMenu("F&loating|&News");
        HeadlinesView* floating = nullptr;
        ASSERT_TRUE(s.WaitFor("a floating news window", [&] {
            floating = s.Views<HeadlinesView>().empty() ? nullptr : s.Views<HeadlinesView>().front();
            return floating != nullptr;
        }));
        QWidget* frame = s.OnUi([&] { return floating->GetParentFrame()->GetOuterWidget(); });
        ASSERT_TRUE(s.WaitFor("the floating window shown", [&] { return s.OnUi([&] { return frame->isVisible(); }); }));
        const WId shown = s.OnUi([&] { return frame->winId(); });
        s.Pause(1s);
        EXPECT_EQ(s.OnUi([&] { return frame->winId(); }), shown);
        EXPECT_EQ(s.OnUi([&] { return main->winId(); }), before);
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace qx::sessions
