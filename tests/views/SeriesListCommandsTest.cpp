// The commands the time and sales and bar windows share, offscreen and without a broker:
// grid lines, column toggles and their check marks, the default layout file of each
// window, and an export that asks for nothing while no symbol is shown.
#include "ListWindowsHarness.h"

#include "broker/session/CSessionManager.h"
#include "broker/session/SessionConfig.h"
#include "platform/ui/CCmdUI.h"
#include "views/ui/CTimeSalesList.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QScrollBar>

#include <memory>

namespace {

struct WindowIds {
    UINT grid, defaultLayout, columnFirst, exportData;
    const char* layoutFile;
};

class SeriesListCommands : public ::testing::Test {
protected:
    SeriesListCommands() : m_manager(QX_BROKER_SESSION_DIR, CSessionConfig{}, nullptr, nullptr)
    {
        CSessionManager::Install(&m_manager);
    }
    ~SeriesListCommands() override
    {
        m_harness.reset();
        CSessionManager::Install(nullptr);
    }

    static int Checked(CSeriesListView& view, UINT id)
    {
        CCmdUI ui(id);
        ui.DoUpdate(&view, false);
        return ui.m_check;
    }

    // Runs the shared commands through the window's own ids.
    void ExpectSharedCommands(CSeriesListView& view, const WindowIds& ids)
    {
        ASSERT_TRUE(view.HasGridLines());
        EXPECT_EQ(1, Checked(view, ids.grid));
        view.SendMessage(WM_COMMAND, ids.grid);
        EXPECT_FALSE(view.HasGridLines());
        EXPECT_EQ(0, Checked(view, ids.grid));

        // Column kind 1 goes and comes back with its check mark.
        const bool shown = view.List().IsColumnShown(1);
        EXPECT_EQ(shown ? 1 : 0, Checked(view, ids.columnFirst + 1));
        view.SendMessage(WM_COMMAND, ids.columnFirst + 1);
        EXPECT_EQ(!shown, view.List().IsColumnShown(1));
        EXPECT_EQ(shown ? 0 : 1, Checked(view, ids.columnFirst + 1));

        const std::string file = std::string("Layouts/") + ids.layoutFile;
        EXPECT_FALSE(std::filesystem::exists(m_harness->Path(file.c_str())));
        view.SendMessage(WM_COMMAND, ids.defaultLayout);
        EXPECT_TRUE(std::filesystem::exists(m_harness->Path(file.c_str())));

        ASSERT_TRUE(view.GetSymbolText().IsEmpty());
        const size_t asked = m_harness->answers->requests.size();
        view.SendMessage(WM_COMMAND, ids.exportData);
        EXPECT_EQ(asked, m_harness->answers->requests.size());
    }

    CSessionManager m_manager;
    std::unique_ptr<CListWindowsHarness> m_harness = std::make_unique<CListWindowsHarness>();
};

} // namespace

TEST_F(SeriesListCommands, TimeAndSalesAndBarWindowsRunTheSharedCommands)
{
    CTimeSalesView* ticks = m_harness->OpenTimeSales();
    ASSERT_NE(ticks, nullptr);
    ExpectSharedCommands(*ticks, {ID_TS_GRID, ID_TS_DEFAULT_LAYOUT, ID_TS_COLUMN_FIRST, ID_TS_EXPORT, "default.tsl"});
    CBarView* bars = m_harness->OpenBars();
    ASSERT_NE(bars, nullptr);
    ExpectSharedCommands(*bars, {ID_BAR_GRID, ID_BAR_DEFAULT_LAYOUT, ID_BAR_COLUMN_FIRST, ID_BAR_EXPORT, "default.bl"});
}

namespace {

// A list that counts the scroll actions it is given.
class CCountingTicksList : public CTimeSalesList {
public:
    explicit CCountingTicksList(int& scrolls) : m_scrolls(scrolls) {}
    void OnVScroll(UINT code, UINT pos, CWnd* bar) override
    {
        ++m_scrolls;
        CTimeSalesList::OnVScroll(code, pos, bar);
    }

private:
    int& m_scrolls;
};

// A window that lets its list go from inside one of its own message handlers, where the
// list's widget outlives the list until the event loop deletes it.
class CListOwner : public CWnd {
public:
    static constexpr UINT kDropList = WM_APP + 1;
    LRESULT WindowProc(CWndMessage& message) override
    {
        if (message.message == kDropList) {
            list.reset();
            return 0;
        }
        return CWnd::WindowProc(message);
    }
    std::unique_ptr<CCountingTicksList> list;
};

} // namespace

// A click on the scroll bar's arrow at the end asks the list for a line further once the
// click is done; a list gone by then is not asked.
TEST(TimeSalesListArrows, ALineAskedForAtTheEndIsDroppedWithTheList)
{
    CListOwner owner;
    ASSERT_TRUE(owner.Create(nullptr, "ticks", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
    int scrolls = 0;
    owner.list = std::make_unique<CCountingTicksList>(scrolls);
    ASSERT_TRUE(owner.list->CreateList(&owner, 100, {}));
    auto* area = qobject_cast<QAbstractScrollArea*>(owner.list->GetWidget());
    ASSERT_NE(area, nullptr);
    // An empty list is at its end: the arrow asks for the next line, once.
    area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(scrolls, 0);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(scrolls, 1);
    area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    owner.SendMessage(CListOwner::kDropList);
    ASSERT_EQ(owner.list, nullptr);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(scrolls, 1);
}
