// A trader types over what a dialog's field holds, on a real X server under openbox with
// xdotool, 150 ms and 10 ms a key: an RSI's Length "14" from the chart's menu becomes 9 and
// the pane's label reads "RSI (9)"; the Level I's Edit Title over "My List" gives "Z"; the
// floating News's Symbols prompt is left by Tab for its OK button, and the window takes the
// symbol. Runs as x11_sessions.DialogFields.*.
#include "tests/sessions/SessionHarness.h"
#include "tests/sessions/ChartTextInk.h"
#include "tests/support/X11Windows.h"
#include "tests/ui/X11Keys.h"

#include "app/shell/CMainFrame.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "chart/ui/ChartIds.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "platform/ui/CFrameWnd.h"
#include "studies/plots/CStudyPlot.h"
#include "views/ui/HeadlinesView.h"
#include "views/ui/Level1View.h"

#include <QGuiApplication>
#include <QProcess>
#include <QWindow>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;
using qx::testsupport::CInkMask;

class DialogFieldsSessionTest : public ManagedSessionTest {
protected:
    void SetUp() override
    {
        if (!x11::HaveXdotool())
            GTEST_SKIP() << "no xdotool";
        ManagedSessionTest::SetUp();
    }

    // Keys through the X server, one every delay.
    static void Keys(CSession& s, const QStringList& keys, int delayMs)
    {
        s.Step("xdotool key " + keys.join(' ').toStdString());
        ASSERT_EQ(QProcess::execute("xdotool", QStringList{"key", "--delay", QString::number(delayMs)} + keys), 0);
    }
    static void Click(QPoint at)
    {
        ASSERT_EQ(QProcess::execute("xdotool", x11::ClickCommands(at)), 0);
    }
    // A prompt left open is cancelled.
    static void CloseModals(CSession& s)
    {
        for (int i = 0; i < 3 && s.ActiveModal(); ++i) {
            Keys(s, {"Escape"}, 150);
            s.WaitFor("the prompt closed", [&] { return s.ActiveModal() == nullptr; }, 5s);
        }
    }
    static QString FrameTitle(CSession& s, CView* view)
    {
        return s.OnUi([&] { return view->GetParentFrame()->GetOuterWidget()->windowTitle(); });
    }

    // Every path, typed a key every delay.
    void TypeOverFields(int delayMs);
};

// The ink of a picture on the chart's ground.
CInkMask ChartInk(const QImage& picture)
{
    const COLORREF ground = CAppSettings::Instance()->m_chartColors[kChartColorBackground];
    const QRgb g = qRgb(GetRValue(ground), GetGValue(ground), GetBValue(ground));
    return CInkMask(picture, [g](int) { return g; });
}

// Whether the picture shows the text as a chart draws its title: each pixel of the text's
// ink is ink there too (the grid's dotted line may cross the title).
bool ShowsTitle(CGraphsDoc& doc, const QImage& picture, const CString& text)
{
    const CAppSettings& settings = *CAppSettings::Instance();
    const CInkMask ink = ChartTextInk(doc, text, settings.m_chartColors[kChartColorText],
                                      settings.m_chartColors[kChartColorBackground]);
    const CInkMask shown = ChartInk(picture);
    for (int top = 0; top + ink.Height() <= shown.Height(); ++top)
        for (int left = 0; left + ink.Width() <= shown.Width(); ++left) {
            bool covered = true;
            for (int y = 0; covered && y < ink.Height(); ++y)
                for (int x = 0; covered && x < ink.Width(); ++x)
                    covered = !ink.At(x, y) || shown.At(left + x, top + y);
            if (covered)
                return true;
        }
    return false;
}

void DialogFieldsSessionTest::TypeOverFields(int delayMs)
{
    const int status = RunWorkstation([&](CSession& s) {
        QWindow* main = s.OnUi([&] { return s.App().MainFrame()->GetOuterWidget()->windowHandle(); });
        ASSERT_TRUE(s.WaitFor("the main window focused", [&] { return QGuiApplication::focusWindow() == main; }));

        Keys(s, QStringList{"ctrl+4"} + KeysOf("IBM\n"), 150);
        CChartController* chart = nullptr;
        ASSERT_TRUE(s.WaitFor("a chart of IBM", [&] {
            for (CGraphsView* view : s.Views<CGraphsView>())
                if (view->GetChart() && view->GetGraphsDoc()->GetSymbol() == "IBM")
                    chart = view->GetChart();
            return chart != nullptr && !s.ActiveModal();
        }, 60s));

        // An RSI from the chart's menu: 9 typed over its Length of 14.
        s.ChooseMenu("Cha&rt|&Add Study|RSI");
        ASSERT_NE(s.WaitModal("RSI"), nullptr);
        Keys(s, KeysOf("9\n"), delayMs);
        EXPECT_TRUE(s.WaitFor("an RSI pane", [&] { return chart->GetPaneCount() == 2 && !s.ActiveModal(); }));
        CloseModals(s);
        if (s.OnUi([&] { return chart->GetPaneCount(); }) == 2) {
            CGraphsView* rsi = s.OnUi([&] { return chart->GetPane(1); });
            CGraphsDoc& doc = *s.OnUi([&] { return rsi->GetGraphsDoc(); });
            EXPECT_FALSE(s.OnUi([&] {
                const auto& colors = CAppSettings::Instance()->m_chartColors;
                const QImage longer =
                    ChartTextPicture(doc, "RSI (914)", colors[kChartColorText], colors[kChartColorBackground]);
                return ShowsTitle(doc, longer, "RSI (9)");
            }))
                << "the check tells \"RSI (914)\" from \"RSI (9)\"";
            EXPECT_TRUE(s.WaitFor("\"RSI (9)\" at the top of the RSI pane", [&] {
                const QImage shown = rsi->GetWidget()->grab().toImage();
                return ShowsTitle(doc, shown.copy(0, 0, shown.width() / 2, shown.height() / 4), "RSI (9)");
            }, 60s)) << "its title: \"" << s.OnUi([&] { return rsi->GetDataPlot()->GetTitle(); }).GetString() << "\"";
        }

        // A floating News: a symbol typed into its list opens its Symbols prompt, Tab goes on
        // to OK and Return presses it.
        s.ChooseMenu("F&loating|&News");
        HeadlinesView* news = nullptr;
        xcb_window_t newsWindow = 0;
        ASSERT_TRUE(s.WaitFor("a floating News active", [&] {
            for (HeadlinesView* view : s.Views<HeadlinesView>())
                if (auto* doc = dynamic_cast<CCommonDoc*>(view->GetDocument()); doc && doc->IsDetached())
                    news = view;
            if (news)
                newsWindow = static_cast<xcb_window_t>(news->GetParentFrame()->GetOuterWidget()->winId());
            return news && x11::ActiveWindow() == newsWindow;
        }));
        Click(s.OnUi([&] {
            QWidget* list = news->List().GetWidget();
            return list->mapToGlobal(list->rect().center());
        }));
        Keys(s, KeysOf("IBM\t\n"), delayMs);
        EXPECT_TRUE(s.WaitFor("the floating News of IBM",
                              [&] { return news->GetSymbols() == "IBM" && !s.ActiveModal(); }))
            << "the News's symbols: \"" << s.OnUi([&] { return news->GetSymbols(); }).GetString() << "\"";
        EXPECT_TRUE(FrameTitle(s, news).contains("IBM")) << FrameTitle(s, news).toStdString();
        CloseModals(s);

        // A Level I's title, given and then typed over.
        s.ChooseMenu("&Quotes|&Level I");
        Level1View* level1 = s.WaitView<Level1View>("a Level I");
        ASSERT_NE(level1, nullptr);
        for (const char* title : {"My List", "Z"}) {
            s.ChooseMenu("Level &I|&Edit Title...");
            ASSERT_NE(s.WaitModal("Edit Title"), nullptr);
            Keys(s, KeysOf(QString(title) + "\n"), delayMs);
            EXPECT_TRUE(s.WaitFor(std::string("the Level I titled ") + title,
                                  [&] { return FrameTitle(s, level1) == title && !s.ActiveModal(); }))
                << "the title: \"" << FrameTitle(s, level1).toStdString() << "\"";
            CloseModals(s);
        }

        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

TEST_F(DialogFieldsSessionTest, TypedTextReplacesAFieldsTextAndTabLeavesEveryFieldAt150msAKey)
{
    TypeOverFields(150);
}

TEST_F(DialogFieldsSessionTest, TypedTextReplacesAFieldsTextAndTabLeavesEveryFieldAt10msAKey)
{
    TypeOverFields(10);
}

}  // namespace
}  // namespace qx::sessions
