// The snapshot and tracking panels offscreen: live quotes from the in-process test broker
// colour the value boxes, the window fits the fields, menu commands reach the panel,
// the stored form round trips and dragging moves the window.
#include "ArchiveBytes.h"
#include "Level1Harness.h"

#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "tests/support/CTestBrokerSession.h"
#include "tools/testbroker/CTestBroker.h"
#include "views/ui/CSnapshotFieldPanel.h"
#include "views/ui/CTrackingFieldPanel.h"
#include "views/ui/PanelIds.h"

#include <gtest/gtest.h>


namespace {

QImage Picture(CFloatingWnd& panel)
{
    CBitmap picture;
    if (!panel.GetWnd() || !panel.GetWnd()->CaptureToBitmap(picture) || !picture.Image())
        return {};
    return *picture.Image();
}

COLORREF PixelOf(const QImage& image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    return RGB(c.red(), c.green(), c.blue());
}

CSize ClientSize(CFloatingWnd& panel)
{
    CRect client;
    panel.GetWnd()->GetClientRect(&client);
    return client.Size();
}

CPoint ScreenTopLeft(CFloatingWnd& panel)
{
    CPoint p(0, 0);
    panel.GetWnd()->ClientToScreen(&p);
    return p;
}

std::vector<int> IdsOf(const CSnapshotFieldPanel& panel)
{
    std::vector<int> ids;
    for (const CSnapshotField& f : panel.Fields().fields)
        ids.push_back(f.fieldId);
    return ids;
}

std::string Stored(const CFloatingWnd& panel)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        panel.Save(ar);
        ar.Close();
    }
    const std::vector<BYTE> bytes = file.Detach();
    return std::string(bytes.begin(), bytes.end());
}

void LoadInto(CFloatingWnd& panel, const std::string& bytes, DWORD version)
{
    CMemFile file(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
    CArchive ar(&file, CArchive::load);
    panel.Load(ar, version);
}

// The sum of the boxes is the window's width in a row.
int RowWidth(const CSnapshotFieldSet& set)
{
    int width = 0;
    for (const CSnapshotField& f : set.fields)
        width += f.labelWidth + f.valueWidth;
    return width;
}

class SnapshotPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        m_session.Install();
        ASSERT_TRUE(m_session.LogIn());
    }
    void TearDown() override
    {
        m_harness.reset();
        m_session.Stop();
    }

    qx::testsupport::CTestBrokerSession m_session;
    std::unique_ptr<CLevel1Harness> m_harness = std::make_unique<CLevel1Harness>();
};

} // namespace

TEST_F(SnapshotPanelTest, LiveTradesTurnTheValueBoxUpOrDownAndTheWindowFitsTheFields)
{
    CSnapshotFieldPanel panel(CRect(30, 40, 90, 56));
    ASSERT_TRUE(panel.CreateWnd("Snapshot Window"));
    panel.SetSymbol("MSFT");
    const CSnapshotFieldSet& set = panel.Fields();
    ASSERT_TRUE(PumpUntil([&] { return set.fields[0].valueText != "n/a" && !set.fields[0].valueText.IsEmpty(); }, 10000));
    EXPECT_EQ(panel.GetWnd()->GetWindowText(), "Snapshot Window");

    const CFieldPanelLook& look = panel.GetLook();
    for (const double price : {987.5, 912.25}) {
        ASSERT_TRUE(m_session.Broker().InjectTrade("MSFT", price, 100));
        const CString text = price == 987.5 ? "987.50" : "912.25";
        const COLORREF colour = price == 987.5 ? look.up : look.down;
        ASSERT_TRUE(PumpUntil(
            [&] {
                if (set.fields[0].valueText != text)
                    return false;
                const CSnapshotBoxes boxes = SnapshotFieldBoxes(set, 0, panel.GetRowHeight());
                const QImage picture = Picture(panel);
                return !picture.isNull() && PixelOf(picture, boxes.value.right - 1, boxes.value.top) == colour;
            },
            3000))
            << set.fields[0].valueText.GetString();
        EXPECT_EQ(set.fields[0].tickDirection, price == 987.5 ? kTickUp : kTickDown);
    }

    // Label boxes in the darker face colour, then the value box; the window is one row of
    // exactly the boxes.
    const QImage picture = Picture(panel);
    const CSnapshotBoxes last = SnapshotFieldBoxes(set, 0, panel.GetRowHeight());
    EXPECT_EQ(last.label.left, 0);
    EXPECT_EQ(last.value.left, set.fields[0].labelWidth);
    EXPECT_EQ(PixelOf(picture, 0, 0), look.LabelBox());
    EXPECT_EQ(ClientSize(panel), CSize(RowWidth(set), panel.GetRowHeight()));
    EXPECT_EQ(panel.GetRect().TopLeft(), CPoint(30, 40));
    EXPECT_EQ(panel.GetRect().Size(), ClientSize(panel));

    // Abbreviated labels narrow the panel; vertical stacks one field per row.
    const int fullWidth = ClientSize(panel).cx;
    panel.ToggleAbbreviated();
    EXPECT_EQ(SnapshotLabel(set.fields[0].fieldId, set.abbreviated), "Lst:");
    EXPECT_LT(ClientSize(panel).cx, fullWidth);
    panel.ToggleVertical();
    EXPECT_EQ(ClientSize(panel).cy, 6 * panel.GetRowHeight());
    const CSnapshotBoxes low = SnapshotFieldBoxes(set, 4, panel.GetRowHeight());
    EXPECT_EQ(low.label.top, 4 * panel.GetRowHeight());
    EXPECT_EQ(low.value.right, ClientSize(panel).cx);
}

TEST_F(SnapshotPanelTest, MenuCommandsReachThePanelAndLastCannotBeInsertedTwice)
{
    CSnapshotFieldPanel panel;
    ASSERT_TRUE(panel.CreateWnd("Snapshot Window"));
    panel.SetSymbol("IBM");
    CAnsweringResponder& answers = *m_harness->answers;

    panel.InsertField(3);
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(answers.boxes[0], "Field \"Last\" already exists in the Snapshot Window");
    EXPECT_EQ(IdsOf(panel), (std::vector<int>{3, 6, 7, 1, 2, 10}));

    // Insert Field: item n is command 33000 + n, sent through the panel's window.
    answers.menuChoice = ID_SNAPSHOT_INSERT_FIELD_FIRST + 36;
    panel.OnContextMenu(ScreenTopLeft(panel));
    ASSERT_TRUE(PumpUntil([&] { return panel.Fields().fields.size() == 7; }));
    EXPECT_EQ(IdsOf(panel), (std::vector<int>{3, 6, 7, 1, 2, 10, 36}));
    EXPECT_EQ(ClientSize(panel).cx, RowWidth(panel.Fields()));

    // Delete Field removes the field under the menu's point: here Bid.
    const CSnapshotBoxes bid = SnapshotFieldBoxes(panel.Fields(), 1, panel.GetRowHeight());
    CPoint onBid = ScreenTopLeft(panel);
    onBid.Offset(bid.value.left + 1, 2);
    answers.menuChoice = ID_SNAPSHOT_DELETE_FIELD;
    panel.OnContextMenu(onBid);
    ASSERT_TRUE(PumpUntil([&] { return panel.Fields().fields.size() == 6; }));
    EXPECT_EQ(IdsOf(panel), (std::vector<int>{3, 7, 1, 2, 10, 36}));

    answers.menuChoice = ID_SNAPSHOT_VERTICAL;
    panel.OnContextMenu(ScreenTopLeft(panel));
    EXPECT_TRUE(PumpUntil([&] { return panel.Fields().vertical; }));
    answers.menuChoice = ID_SNAPSHOT_RESET_DEFAULTS;
    panel.OnContextMenu(ScreenTopLeft(panel));
    ASSERT_TRUE(PumpUntil([&] { return !panel.Fields().vertical; }));
    EXPECT_EQ(IdsOf(panel), (std::vector<int>{3, 6, 7, 1, 2, 10}));
    EXPECT_FALSE(panel.Fields().vertical);
    EXPECT_EQ(answers.boxes.size(), 1u);
}

TEST_F(SnapshotPanelTest, StoredFormRoundTripsAndOldLayoutsKeepThePlace)
{
    CSnapshotFieldPanel panel(CRect(12, 34, 50, 50));
    ASSERT_TRUE(panel.CreateWnd("Snapshot Window"));
    panel.ToggleAbbreviated();
    panel.InsertField(36);
    const std::string bytes = Stored(panel);

    CSnapshotFieldPanel copy(CRect(200, 300, 250, 320));
    ASSERT_TRUE(copy.CreateWnd("Snapshot Window"));
    LoadInto(copy, bytes, 19);
    EXPECT_EQ(IdsOf(copy), IdsOf(panel));
    EXPECT_TRUE(copy.Fields().abbreviated);
    EXPECT_EQ(copy.GetRect().TopLeft(), CPoint(12, 34));
    EXPECT_EQ(ScreenTopLeft(copy), CPoint(12, 34)); // no owner view: screen coordinates

    // Version 4 carries no position: the fields are read, the panel stays.
    CSnapshotFieldPanel old(CRect(200, 300, 250, 320));
    ASSERT_TRUE(old.CreateWnd("Snapshot Window"));
    LoadInto(old, bytes.substr(0, bytes.size() - 8), 4);
    EXPECT_EQ(IdsOf(old), IdsOf(panel));
    EXPECT_EQ(old.GetRect().TopLeft(), CPoint(200, 300));

    // No fields: "None", one row.
    CSnapshotFieldPanel none;
    ASSERT_TRUE(none.CreateWnd("Snapshot Window"));
    LoadInto(none, CBytes().Dword(0).Dword(0).Dword(0).Int(7).Int(9).str(), 19);
    EXPECT_TRUE(none.Fields().fields.empty());
    EXPECT_EQ(ClientSize(none).cy, none.GetRowHeight());
    EXPECT_LT(ClientSize(none).cx, ClientSize(panel).cx);
}

TEST_F(SnapshotPanelTest, DraggingMovesTheWindowAndAnOwnerViewPlacesIt)
{
    Level1View* view = m_harness->Open();
    ASSERT_NE(view, nullptr);
    CSnapshotFieldPanel panel(CRect(5, 5, 60, 20));
    ASSERT_TRUE(panel.CreateWnd("Snapshot Window"));
    panel.SetOwnerView(view);
    CPoint expected(5, 5);
    view->ClientToScreen(&expected);
    EXPECT_EQ(ScreenTopLeft(panel), expected);

    EXPECT_NE(LoadCursorResource(IDC_PANEL_DRAG), 0);
    panel.OnButtonDown(CPoint(4, 4));
    EXPECT_TRUE(panel.IsDragging());
    panel.OnMouseMove(CPoint(14, 9));
    panel.OnButtonUp(CPoint(24, 14));
    EXPECT_FALSE(panel.IsDragging());
    EXPECT_EQ(panel.GetRect().TopLeft(), CPoint(25, 15));
    expected.Offset(20, 10);
    EXPECT_EQ(ScreenTopLeft(panel), expected);

    // A click without a move leaves it where it is.
    panel.OnButtonDown(CPoint(4, 4));
    panel.OnButtonUp(CPoint(4, 4));
    EXPECT_EQ(panel.GetRect().TopLeft(), CPoint(25, 15));
    panel.Offset(-5, 5);
    EXPECT_EQ(panel.GetRect().TopLeft(), CPoint(20, 20));
}

TEST_F(SnapshotPanelTest, APanelWithoutContentShowsItsClassNameWhiteOnBlack)
{
    CFloatingWnd plain(CRect(0, 0, 10, 10));
    ASSERT_TRUE(plain.CreateWnd("Panel"));
    const QImage picture = Picture(plain);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(PixelOf(picture, 0, 0), RGB(0, 0, 0));
    int white = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            white += PixelOf(picture, x, y) == RGB(255, 255, 255);
    EXPECT_GT(white, 20);
    EXPECT_GT(ClientSize(plain).cx, 40); // "CFloatingWnd" + 4
}

TEST_F(SnapshotPanelTest, TrackingRowsNameOnTheLeftValueOnTheRight)
{
    CTrackingFieldPanel panel(CRect(0, 0, 10, 10));
    ASSERT_TRUE(panel.CreateWnd("Tracking Window"));
    const CSize empty = ClientSize(panel);
    EXPECT_EQ(empty.cy, panel.GetRowHeight());

    const COLORREF red = RGB(255, 0, 0);
    // A row wider than the title, which the panel is never narrower than.
    panel.SetRows({{"Close", "187.25", RGB(0, 0, 0)},
                   {"EMA Convergence Divergence (12, 26, 9)", "1.5", red},
                   {"# Bars", "12", RGB(0, 0, 0)}});
    const CSize size = ClientSize(panel);
    EXPECT_EQ(size.cy, 3 * panel.GetRowHeight());
    EXPECT_GT(size.cx, empty.cx);

    // In the red row the first drawn pixel is 2 in, the last just inside width - 2.
    const QImage picture = Picture(panel);
    const COLORREF face = panel.GetLook().face;
    int first = size.cx, lastX = -1;
    for (int y = panel.GetRowHeight(); y < 2 * panel.GetRowHeight(); ++y)
        for (int x = 0; x < size.cx; ++x)
            if (PixelOf(picture, x, y) != face) {
                first = std::min(first, x);
                lastX = std::max(lastX, x);
            }
    EXPECT_GE(first, 2);
    EXPECT_LE(first, 4);
    EXPECT_LT(lastX, size.cx - 2);
    EXPECT_GE(lastX, size.cx - 6);
}
