// A trader reads the Level I windows at the default font: the Positions window of an
// account whose positions add up to five-digit totals, a Level I window switched to the
// positions with its own menu (quote columns with totals), holding an index of five digits
// and a column added from the menu, and an option chain show every title and cell whole;
// a Level I window of an index, a fund and a volume of nine digits shows its symbols,
// prices, changes and volumes whole as they grow, and cuts only a long description.
#include "tests/sessions/SessionHarness.h"

#include "platform/ui/CListCtrl.h"
#include "tests/support/ColumnFitting.h"
#include "views/ui/Level1View.h"

#include <QStringList>

#include <string>
#include <vector>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class QuoteTextsSessionTest : public SessionTest {
protected:
    // 100 IBM and 100 MSFT bought, 100 GE sold short: positions worth five digits.
    void SetUp() override
    {
        SessionTest::SetUp();
        const std::string account = FirstAccount(Broker());
        ASSERT_FALSE(account.empty());
        for (const auto& [action, symbol] : {std::pair{"buy", "IBM"}, {"buy", "MSFT"}, {"sellshort", "GE"}}) {
            std::string error;
            const std::string order = "accountid=" + account + "~action=" + action + "~quantity=100~symbol=" + symbol +
                                      "~ordtype=market~price=~actprice=~tsparam=~expire=day~spinstructions=none"
                                      "~routing=auto~exmonth=~exday=~exyear=";
            ASSERT_FALSE(Broker().PlaceOrder(order, false, false, error).empty()) << symbol << ": " << error;
        }
    }

    // The open Level I window other than the given one (null while there is none).
    static Level1View* OtherLevel1(CSession& s, const Level1View* besides)
    {
        for (Level1View* view : s.Views<Level1View>())
            if (view != besides)
                return view;
        return nullptr;
    }
};

class Level1TextsSessionTest : public SessionTest {
protected:
    // The lines of CutCells but those of the Description column, which may end in "...".
    static std::string CutBesidesDescriptions(CSession& s, CListCtrl* grid)
    {
        std::string cut;
        for (const QString& line : QString::fromStdString(s.CutCells(grid)).split('\n', Qt::SkipEmptyParts))
            if (!line.contains(", Description has "))
                cut += line.toStdString() + "\n";
        return cut;
    }
};

} // namespace

TEST_F(QuoteTextsSessionTest, PositionsTotalsIndexPricesAndOptionSymbolsShowWhole)
{
    const int status = RunWorkstation([&](CSession& s) {
        // The Positions window of the main menu, in its built-in layout.
        s.ChooseMenu("&Quotes|&Positions");
        Level1View* positions = nullptr;
        ASSERT_TRUE(s.WaitFor("the positions and their total", [&] {
            positions = OtherLevel1(s, nullptr);
            CListCtrl* grid = positions ? &positions->Grid() : nullptr;
            return grid && s.RowCount(grid) == 4 && s.RowOf(grid, "Total", "Symbol") == 3 &&
                   s.CellText(grid, 3, "Last").size() >= 8;
        }, 20s));
        CListCtrl* grid = &positions->Grid();
        EXPECT_GE(s.RowOf(grid, "GE", "Symbol"), 0);
        EXPECT_EQ(s.CellText(grid, s.RowOf(grid, "GE", "Symbol"), "# Shares"), "-100");
        EXPECT_EQ(s.CutCells(grid), "");

        // A Level I window of its own switched to the positions: the quote columns, with
        // their totals, and an index of five digits typed in.
        s.ChooseMenu("&Quotes|&Level I");
        Level1View* quotes = nullptr;
        ASSERT_TRUE(s.WaitFor("a Level I window", [&] { return (quotes = OtherLevel1(s, positions)) != nullptr; }));
        s.ChooseMenu("Level &I|&Positions");
        CListCtrl* quoteGrid = &quotes->Grid();
        ASSERT_TRUE(s.WaitFor("the positions with quote columns", [&] {
            return s.RowCount(quoteGrid) == 4 && s.CellText(quoteGrid, 3, "Ask").size() >= 8 &&
                   s.CellText(quoteGrid, 3, "Open").size() >= 8;
        }, 20s));
        s.ChooseMenu("Level &I|&Insert Symbols...");
        QWidget* entry = s.WaitModal("Enter Symbol");
        ASSERT_NE(entry, nullptr);
        s.TypeText("$DJI\n");
        ASSERT_TRUE(s.WaitFor("the index's prices", [&] {
            const int row = s.RowOf(quoteGrid, "$DJI", "Symbol");
            return row >= 0 && s.CellText(quoteGrid, row, "High").size() >= 8;
        }, 20s));
        // A column added from the menu starts as wide as its title and prices need.
        s.ChooseMenu("&Columns|&Quote|1-Year High");
        ASSERT_TRUE(s.WaitFor("the index's 1-year high", [&] {
            const int row = s.RowOf(quoteGrid, "$DJI", "Symbol");
            return s.ColumnTitles(quoteGrid).contains("1-Year High") && s.CellText(quoteGrid, row, "1-Year High").size() >= 8;
        }, 20s));
        EXPECT_EQ(s.CutCells(quoteGrid), "");

        // An option chain from the main menu, in its built-in layout: option symbols in the
        // Symbol column.
        s.ChooseMenu("&Quotes|&Option Chains");
        QWidget* chains = s.WaitModal("Option Chains");
        ASSERT_NE(chains, nullptr);
        s.FillControl(chains, 1103, "MSFT");
        s.PressButton(chains, "OK");
        CListCtrl* chainGrid = nullptr;
        ASSERT_TRUE(s.WaitFor("the chain's rows", [&] {
            for (Level1View* view : s.Views<Level1View>())
                if (s.RowCount(&view->Grid()) > 4 && s.CellText(&view->Grid(), 0, "Symbol").startsWith("+MSFT"))
                    chainGrid = &view->Grid();
            return chainGrid && s.CellText(chainGrid, 0, "Delta").size() > 0;
        }, 20s));
        EXPECT_EQ(s.CutCells(chainGrid), "");
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// $COMPX, QQQ after a trade of 250 million shares, DIA with its long name and MSFT; then
// MSFT trades 3 billion shares and the index jumps a hundredfold.
TEST_F(Level1TextsSessionTest, SymbolsPricesChangesAndVolumesShowWholeAsTheyGrow)
{
    const double qqq = Broker().Symbol("QQQ")->last;
    ASSERT_TRUE(Broker().InjectTrade("QQQ", qqq, 250'000'000u));
    const int status = RunWorkstation([&](CSession& s) {
        s.ChooseMenu("&Quotes|&Level I");
        Level1View* view = s.WaitView<Level1View>("a Level I window");
        ASSERT_NE(view, nullptr);
        CListCtrl* grid = &view->Grid();
        QWidget* tree = s.OnUi([&] { return grid->GetWidget(); });
        s.Click(tree, s.OnUi([&] { return QPoint(30, tree->height() - 20); }));
        const QStringList symbols{"$COMPX", "QQQ", "DIA", "MSFT"};
        for (const QString& symbol : symbols) {
            s.TypeText(symbol);
            ASSERT_NE(s.WaitModal("Enter Symbol"), nullptr);
            s.TypeText("\n");
            ASSERT_TRUE(s.WaitFor("the entry closed", [&] { return s.ActiveModal() == nullptr; }));
        }
        auto cell = [&](const QString& symbol, const QString& column) {
            return s.CellText(grid, s.RowOf(grid, symbol, "Symbol"), column);
        };
        ASSERT_TRUE(s.WaitFor("the quotes of the four", [&] {
            for (const QString& symbol : symbols)
                if (s.RowOf(grid, symbol, "Symbol") < 0 || cell(symbol, "Last").isEmpty() ||
                    cell(symbol, "Description").isEmpty())
                    return false;
            return cell("QQQ", "Volume").count(',') == 2;
        }, 20s));
        // Whole, but for descriptions longer than the column's first width.
        EXPECT_TRUE(s.WaitFor("every symbol, price, change and volume whole",
                              [&] { return CutBesidesDescriptions(s, grid).empty(); }))
            << CutBesidesDescriptions(s, grid);
        EXPECT_GE(s.OnUi([&] { return grid->GetColumnWidth(s.ColumnTitles(grid).indexOf("Description")); }),
                  s.OnUi([&] { return NeededColumnWidth(*grid, "International Business Machines"); }));

        const double msft = Broker().Symbol("MSFT")->last;
        ASSERT_TRUE(Broker().InjectTrade("MSFT", msft, 3'000'000'000u));
        ASSERT_TRUE(Broker().InjectTrade("$COMPX", 250'000.0, 100));
        ASSERT_TRUE(s.WaitFor("the grown values", [&] {
            return cell("MSFT", "Volume").count(',') == 3 && cell("$COMPX", "Last").remove(',').toDouble() == 250'000.0;
        }, 20s)) << cell("MSFT", "Volume").toStdString() << " " << cell("$COMPX", "Last").toStdString();
        EXPECT_TRUE(s.WaitFor("the grown values whole", [&] { return CutBesidesDescriptions(s, grid).empty(); }))
            << CutBesidesDescriptions(s, grid);
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

} // namespace qx::sessions
