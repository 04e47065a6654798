// A trader's Level I sessions: symbols typed into the grid, rows clicked and sorted, a
// custom column, a screener over the broker's prices, the window closed, File -> Exit.
#include "tests/sessions/SessionHarness.h"
#include "tests/support/WeekdayShift.h"

#include "app/shell/CMainFrame.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CFrameWnd.h"
#include "views/CCustomColumn.h"
#include "views/ui/Level1View.h"

#include <QTreeView>

#include <algorithm>
#include <ctime>
#include <map>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

constexpr int kSymbolEdit = 1090;   // Enter Symbol: the symbol
constexpr int kNameEdit = 1503;     // formula wizard: symbols, or the field's name
constexpr int kFormulaEdit = 1571;  // formula wizard: the formula

double Number(const QString& text)
{
    QString t = text;
    t.remove(QChar(','));
    return t.toDouble();
}

class Level1SessionTest : public SessionTest {
protected:
    // The broker's clock at noon of a weekday: today's trades then make today's daily bar,
    // and the day before is the previous close, whenever the tests run.
    void Configure(qx::testbroker::TestBrokerOptions& options) override
    {
        const int64_t now = std::time(nullptr);
        options.clockShiftSeconds = qx::testsupport::SecondsToNoon(now);
        options.clockShiftDays = qx::testsupport::DaysBackToWeekday(now + options.clockShiftSeconds);
    }

    // Half of the symbols up on the day, half down, by trades at the broker.
    void SetUp() override
    {
        SessionTest::SetUp();
        for (size_t i = 0; i < m_symbols.size(); ++i) {
            const auto quote = Broker().Symbol(m_symbols[i]);
            ASSERT_TRUE(quote) << m_symbols[i];
            ASSERT_TRUE(Broker().InjectTrade(m_symbols[i], quote->prevClose * (i % 2 == 0 ? 1.03 : 0.97), 100));
            m_last[m_symbols[i]] = Broker().Symbol(m_symbols[i])->last;
        }
    }

    // A new Level I window from the Quotes menu, with the symbols typed into its grid.
    Level1View* OpenWithSymbols(CSession& s)
    {
        s.ChooseMenu("&Quotes|&Level I");
        Level1View* view = nullptr;
        if (!s.WaitFor("a Level I window", [&] {
                const auto views = s.Views<Level1View>();
                view = views.empty() ? nullptr : views.front();
                return view != nullptr;
            }))
            return nullptr;
        CListCtrl* grid = &view->Grid();
        QWidget* tree = s.OnUi([&] { return view->Grid().GetWidget(); });
        // The first key opens the symbol entry holding it; the others follow it there.
        s.Click(tree, s.OnUi([&] { return QPoint(30, tree->height() - 20); }));
        for (const std::string& symbol : m_symbols) {
            s.Step("type " + symbol);
            s.TypeText(QString::fromStdString(symbol));
            QWidget* entry = s.WaitModal("Enter Symbol");
            if (!entry)
                return nullptr;
            EXPECT_EQ(s.ControlText(entry, kSymbolEdit).toStdString(), symbol) << "the typed characters";
            s.TypeText("\n");
            s.WaitFor(symbol + " entered", [&] { return s.ActiveModal() == nullptr; });
        }
        if (!s.WaitFor("a row per symbol",
                       [&] { return grid->GetItemCount() == static_cast<int>(m_symbols.size()); }))
            return nullptr;
        for (const std::string& symbol : m_symbols)
            EXPECT_GE(s.RowOf(grid, QString::fromStdString(symbol), "Symbol"), 0) << symbol;
        return view;
    }

    QStringList SymbolsInOrder(CSession& s, CListCtrl* grid)
    {
        QStringList order;
        const int rows = s.RowCount(grid);
        for (int r = 0; r < rows; ++r)
            order << s.CellText(grid, r, "Symbol");
        return order;
    }

    // The window closes with its rows (no hang), and File -> Exit ends the program.
    void CloseAndExit(CSession& s, QWidget* frame)
    {
        s.RaiseFrame(frame);
        s.CloseFrame(frame);
        EXPECT_TRUE(s.WaitFor("the window closed", [&] { return s.Views<Level1View>().empty(); }));
        s.ExitByMenu();
    }

    const std::vector<std::string> m_symbols = {"MSFT", "IBM", "AAPL", "INTC", "CSCO", "GE"};
    std::map<std::string, double> m_last;
};

TEST_F(Level1SessionTest, TypedSymbolsClickedRowsSortCustomColumnCloseAndExit)
{
    const int status = RunWorkstation([&](CSession& s) {
        Level1View* view = OpenWithSymbols(s);
        ASSERT_NE(view, nullptr);
        CListCtrl* grid = &view->Grid();
        QWidget* frame = s.OnUi([&] { return view->GetParentFrame()->GetOuterWidget(); });

        // Prices as the broker has them.
        EXPECT_TRUE(s.WaitFor("the last prices", [&] {
            for (const std::string& symbol : m_symbols) {
                const int row = s.RowOf(grid, QString::fromStdString(symbol), "Symbol");
                if (row < 0 || std::abs(Number(s.CellText(grid, row, "Last")) - m_last[symbol]) > 0.005)
                    return false;
            }
            return true;
        }));

        // A click on a row puts its symbol into the toolbar box; the window keeps its rows.
        for (const char* symbol : {"IBM", "MSFT", "GE"}) {
            s.ClickRow(grid, symbol, "Symbol");
            EXPECT_TRUE(s.WaitFor(std::string("the symbol box to show ") + symbol,
                                  [&] { return s.App().MainFrame()->GetSymbolBox() == symbol; }));
            s.Pause(100ms);
            EXPECT_EQ(s.RowCount(grid), 6) << "after a click on " << symbol;
        }

        // Sorted by Last: ascending, descending, then unsorted.
        QStringList byLast;
        {
            std::vector<std::pair<double, std::string>> prices;
            for (const std::string& symbol : m_symbols)
                prices.emplace_back(m_last[symbol], symbol);
            std::sort(prices.begin(), prices.end());
            for (const auto& p : prices)
                byLast << QString::fromStdString(p.second);
        }
        s.ClickHeader(grid, "Last");
        EXPECT_TRUE(s.WaitFor("ascending order", [&] { return SymbolsInOrder(s, grid) == byLast; }))
            << SymbolsInOrder(s, grid).join(' ').toStdString();
        s.ClickHeader(grid, "Last");
        QStringList descending = byLast;
        std::reverse(descending.begin(), descending.end());
        EXPECT_TRUE(s.WaitFor("descending order", [&] { return SymbolsInOrder(s, grid) == descending; }))
            << SymbolsInOrder(s, grid).join(' ').toStdString();
        s.ClickHeader(grid, "Last");
        EXPECT_EQ(s.RowCount(grid), 6);

        // A custom field from its wizard, then added as a column.
        s.ChooseMenu("&Columns|Custom &Field Wizard...");
        QWidget* wizard = s.WaitModal("Custom Fields");
        ASSERT_NE(wizard, nullptr);
        s.PressButton(wizard, "New...");
        QWidget* settings = s.WaitModal("Custom Field Settings");
        ASSERT_NE(settings, nullptr);
        s.FillControl(settings, kNameEdit, "Double Last");
        s.FillControl(settings, kFormulaEdit, "Last*2");
        s.PressButton(settings, "OK");
        ASSERT_TRUE(s.WaitFor("back in the field list", [&] { return s.ActiveModal() == wizard; }));
        s.PressButton(wizard, "Close");
        s.WaitFor("the wizard closed", [&] { return s.ActiveModal() == nullptr; });
        s.ChooseMenu("&Columns|&Custom Fields|Double Last");
        ASSERT_TRUE(s.WaitFor("the Double Last column", [&] { return s.ColumnTitles(grid).contains("Double Last"); }));
        EXPECT_TRUE(s.WaitFor("Double Last cells", [&] {
            for (const std::string& symbol : m_symbols) {
                const int row = s.RowOf(grid, QString::fromStdString(symbol), "Symbol");
                if (row < 0 || std::abs(Number(s.CellText(grid, row, "Double Last")) - 2 * m_last[symbol]) > 0.01)
                    return false;
            }
            return true;
        })) << s.CellText(grid, 0, "Double Last").toStdString();

        CloseAndExit(s, frame);
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TemporaryFiles().empty());
    // The custom field was saved.
    CAppSettings saved;
    saved.SetWorkingDirectory(Home().string().c_str());
    saved.LoadAll();
    CCustomColumnLists lists;
    ASSERT_TRUE(LoadCustomColumns(saved, lists));
    ASSERT_EQ(lists[kCustomFields].size(), 1u);
    EXPECT_EQ(lists[kCustomFields][0].m_name, "Double Last");
    EXPECT_EQ(lists[kCustomFields][0].m_text, "Last*2");
}

TEST_F(Level1SessionTest, AScreenerKeepsTheSymbolsUpOnTheDayByTheBrokersPrices)
{
    const int status = RunWorkstation([&](CSession& s) {
        Level1View* view = OpenWithSymbols(s);
        ASSERT_NE(view, nullptr);
        CListCtrl* grid = &view->Grid();
        QWidget* frame = s.OnUi([&] { return view->GetParentFrame()->GetOuterWidget(); });

        s.ChooseMenu("&Screener|&Add Screener...");
        QWidget* screener = s.WaitModal("Screener Settings");
        ASSERT_NE(screener, nullptr);
        for (const std::string& symbol : m_symbols)
            EXPECT_TRUE(s.ControlText(screener, kNameEdit).contains(QString::fromStdString(symbol))) << symbol;
        s.FillControl(screener, kFormulaEdit, "Last>Bar[Close,D,1]");
        s.PressButton(screener, "OK");
        QStringList up;
        for (const std::string& symbol : m_symbols)
            if (m_last[symbol] > Broker().Symbol(symbol)->prevClose)
                up << QString::fromStdString(symbol);
        std::sort(up.begin(), up.end());
        EXPECT_TRUE(s.WaitFor(
            "the screener's pass", [&] { return s.OnUi([&] { return view->ComposeTitle(); }).Find("Scan as of") >= 0; },
            60s))
            << s.OnUi([&] { return std::string(view->ComposeTitle().GetString()); });
        EXPECT_TRUE(s.WaitFor(
            "the symbols up on the day",
            [&] {
                QStringList shown = SymbolsInOrder(s, grid);
                std::sort(shown.begin(), shown.end());
                return shown == up;
            },
            20s))
            << SymbolsInOrder(s, grid).join(' ').toStdString() << " instead of " << up.join(' ').toStdString();

        CloseAndExit(s, frame);
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TemporaryFiles().empty());
}

}  // namespace
}  // namespace qx::sessions
