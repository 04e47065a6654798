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

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
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
    // Clicks through the main window's menus: the menu bar's title, then each item.
    static void ClickMenu(CSession& s, const QStringList& path)
    {
        s.Step("click " + path.join(" | ").toStdString());
        QWidget* from = s.OnUi([&]() -> QWidget* {
            return qobject_cast<QMainWindow*>(s.App().MainFrame()->GetOuterWidget())->menuBar();
        });
        for (const QString& item : path) {
            QPoint at;
            ASSERT_TRUE(s.WaitFor("\"" + item.toStdString() + "\" on the screen", [&] {
                if (!from) {
                    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    if (!menu || !x11::Viewable(static_cast<xcb_window_t>(menu->winId())))
                        return false;
                    at = MenuEntryPoint(menu, item);
                } else {
                    at = MenuEntryPoint(from, item);
                }
                return !at.isNull();
            }));
            from = nullptr;
            ASSERT_EQ(QProcess::execute("xdotool", x11::ClickCommands(at)), 0);
        }
    }
    static QString FrameTitle(CSession& s, CView* view)
    {
        return s.OnUi([&] { return view->GetParentFrame()->GetOuterWidget()->windowTitle(); });
    }

    // Every path, typed a key every delay.
    void TypeOverFields(int delayMs);
};

// Whether each pixel of the text's ink is ink in the picture too, somewhere.
bool Covers(const CInkMask& picture, const CInkMask& text)
{
    for (int top = 0; top + text.Height() <= picture.Height(); ++top)
        for (int left = 0; left + text.Width() <= picture.Width(); ++left) {
            bool covered = true;
            for (int y = 0; covered && y < text.Height(); ++y)
                for (int x = 0; covered && x < text.Width(); ++x)
                    covered = !text.At(x, y) || picture.At(left + x, top + y);
            if (covered)
                return true;
        }
    return false;
}

// The ink of a text as the chart draws its title: in its text colour on its ground.
CInkMask TitleInk(const QImage& picture)
{
    const COLORREF ground = CAppSettings::Instance()->m_chartColors[kChartColorBackground];
    const QRgb g = qRgb(GetRValue(ground), GetGValue(ground), GetBValue(ground));
    return CInkMask(picture, [g](int) { return g; });
}
QImage TitlePicture(CGraphsDoc& doc, const CString& text)
{
    const CAppSettings& settings = *CAppSettings::Instance();
    return ChartTextPicture(doc, text, settings.m_chartColors[kChartColorText],
                            settings.m_chartColors[kChartColorBackground]);
}

// Whether the pane shows the text at its top left, where the chart draws its title; the
// grid's dotted line at the top may cross it.
bool ShowsTitle(CGraphsView* pane, const CString& text)
{
    CGraphsDoc& doc = *pane->GetGraphsDoc();
    const QImage shown = pane->GetWidget()->grab().toImage();
    return Covers(TitleInk(shown.copy(0, 0, shown.width() / 2, shown.height() / 4)),
                  TitleInk(TitlePicture(doc, text)).Cut());
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
        ClickMenu(s, {"Chart", "Add Study", "RSI"});
        ASSERT_NE(s.WaitModal("RSI"), nullptr);
        Keys(s, KeysOf("9\n"), delayMs);
        EXPECT_TRUE(s.WaitFor("an RSI pane", [&] { return chart->GetPaneCount() == 2 && !s.ActiveModal(); }));
        CloseModals(s);
        if (s.OnUi([&] { return chart->GetPaneCount(); }) == 2) {
            CGraphsView* rsi = s.OnUi([&] { return chart->GetPane(1); });
            EXPECT_FALSE(s.OnUi([&] {
                CGraphsDoc& doc = *rsi->GetGraphsDoc();
                return Covers(TitleInk(TitlePicture(doc, "RSI (914)")),
                              TitleInk(TitlePicture(doc, "RSI (9)")).Cut());
            })) << "\"RSI (914)\" is told from \"RSI (9)\"";
            EXPECT_TRUE(s.WaitFor("\"RSI (9)\" over the RSI pane", [&] { return ShowsTitle(rsi, "RSI (9)"); }, 60s))
                << "the pane's title: \"" << s.OnUi([&] {
                       CStudyPlot* plot = rsi->GetDataPlot();
                       return plot ? plot->GetTitle() : CString();
                   }).GetString() << "\"";
        }

        // A floating News: a symbol typed into its list opens its Symbols prompt, Tab goes on
        // to OK and Return presses it.
        ClickMenu(s, {"Floating", "News"});
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
        ClickMenu(s, {"Quotes", "Level I"});
        Level1View* level1 = s.WaitView<Level1View>("a Level I");
        ASSERT_NE(level1, nullptr);
        CloseModals(s);
        for (const char* title : {"My List", "Z"}) {
            ClickMenu(s, {"Level I", "Edit Title..."});
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
