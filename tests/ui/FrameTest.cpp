// Documents, views and frames: MDI children, floating frames, moving a view between
// them, routing, z-order, placement and printing to a PDF file.
#include "UiTestSupport.h"

#include "platform/ui/CCmdUI.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CCreateContext.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CDocTemplate.h"
#include "platform/ui/CFormView.h"
#include "platform/ui/CMDIFrameWnd.h"
#include "platform/ui/CPrintJob.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CSdiChildFrame.h"
#include "platform/ui/CStatusBar.h"
#include "platform/ui/CTabCtrl.h"
#include "platform/ui/CToolBar.h"
#include "platform/ui/CView.h"
#include "platform/ui/CWinApp.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QAbstractButton>
#include <QComboBox>
#include <QLayout>
#include <QToolBar>
#include <QToolButton>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr UINT kTemplate = 9300;
constexpr UINT kLinkCommand = 34500;

class TestDoc : public CDocument {};

class TestView : public CView {
public:
    static inline int live = 0;
    TestView() { ++live; }
    ~TestView() override { --live; }
    int updates = 0;
    LPARAM lastHint = -1;
    int linkClicks = 0;
    std::vector<CString> printSteps;

    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map =
            MessageMapFor<TestView>(CView::GetMessageMap()).Command(kLinkCommand, &TestView::OnLink).Build();
        return map;
    }
    void OnUpdate(CView*, LPARAM hint, CUpdateHint*) override
    {
        ++updates;
        lastHint = hint;
    }
    BOOL OnPreparePrinting(CPrintInfo* info) override
    {
        printSteps.emplace_back("prepare");
        info->SetMaxPage(2);
        return DoPreparePrinting(info);
    }
    void OnBeginPrinting(CDC*, CPrintInfo*) override { printSteps.emplace_back("begin"); }
    void OnPrint(CDC* dc, CPrintInfo* info) override
    {
        CString s;
        s.Format("page %u", info->m_nCurPage);
        printSteps.push_back(s);
        CRect r = info->m_rectDraw;
        dc->DrawText(s, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    }
    void OnEndPrinting(CDC*, CPrintInfo*) override { printSteps.emplace_back("end"); }

private:
    void OnLink() { ++linkClicks; }
};

class OrderForm : public CFormView {
public:
    OrderForm() : CFormView(9310) {}
    CString symbol = "GE";
    int submits = 0;
    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map =
            MessageMapFor<OrderForm>(CFormView::GetMessageMap()).Command(1201, &OrderForm::OnSubmit).Build();
        return map;
    }
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, 1200, symbol); }

private:
    void OnSubmit()
    {
        UpdateData(TRUE);
        ++submits;
    }
};

struct Shell {
    CWinApp app{"FrameTest"};
    CDocTemplate* mdi = nullptr;
    CDocTemplate* sdi = nullptr;
    CMDIFrameWnd* main = nullptr;

    Shell()
    {
        static const bool loaded = CResourceStore::Instance().LoadText(
            "frame-test", "menu 9300\n popup \"&Window\"\n  item 34500 \"&Link\"\n end\nend\n"
                          "dialog 9310\n style child\n size 100 40\n"
                          " control edit 1200 \"\" 5 5 60 14\n control button 1201 \"Send\" 5 22 40 14\nend\n");
        EXPECT_TRUE(loaded);
        app.AddDocTemplate(std::make_unique<CDocTemplate>(kTemplate, RuntimeClassOf<TestDoc>(), RuntimeClassOf<CChildFrame>(),
                                                          RuntimeClassOf<TestView>()));
        app.AddDocTemplate(std::make_unique<CDocTemplate>(kTemplate, RuntimeClassOf<TestDoc>(),
                                                          RuntimeClassOf<CSdiChildFrame>(), RuntimeClassOf<TestView>()));
        mdi = app.GetDocTemplate(0);
        sdi = app.GetDocTemplate(1);
        auto frame = std::make_unique<CMDIFrameWnd>();
        EXPECT_TRUE(frame->LoadFrame(1, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        main = frame.release();  // owns itself now
        app.m_pMainWnd = main;
        main->CreateStatusBar(2);
    }
    ~Shell()
    {
        app.CloseAllDocuments(TRUE);
        app.m_pMainWnd = nullptr;
        main->DestroyWindow();
        PumpFor(5);
    }
};

}  // namespace

TEST(Frames, MdiChildDetachesToAFloatingFrameAndBackKeepingItsView)
{
    Shell s;
    CDocument* doc = s.mdi->OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    auto* view = dynamic_cast<TestView*>(doc->GetFirstView());
    ASSERT_NE(view, nullptr);
    const HWND viewHandle = view->m_hWnd;
    auto* child = dynamic_cast<CChildFrame*>(view->GetParentFrame());
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(s.main->GetMDIChildren().size(), 1u);
    EXPECT_EQ(view->updates, 1);  // the initial update

    doc->SetTitle("IBM");
    EXPECT_EQ(child->GetWindowText(), "IBM");
    doc->UpdateAllViews(nullptr, 5);
    EXPECT_EQ(view->lastHint, 5);

    // Detach: the same view object and window move into a floating frame.
    CFrameWnd* floating = s.sdi->CreateNewFrame(doc, nullptr, false);
    ASSERT_NE(floating, nullptr);
    child->MoveContentTo(floating);
    PumpFor(5);
    EXPECT_TRUE(s.main->GetMDIChildren().empty());
    EXPECT_TRUE(IsWindow(viewHandle));
    EXPECT_EQ(CWnd::FromHandle(viewHandle), view);
    EXPECT_EQ(view->GetParentFrame(), floating);
    EXPECT_NE(dynamic_cast<CSdiChildFrame*>(floating), nullptr);
    EXPECT_TRUE(floating->GetOuterWidget()->isWindow());
    EXPECT_EQ(floating->GetActiveView(), view);
    EXPECT_EQ(floating->GetWindowText(), "IBM");
    EXPECT_EQ(TestView::live, 1);
    EXPECT_EQ(doc->GetViews().size(), 1u);
    EXPECT_EQ(view->GetDocument(), doc);

    // Attach again.
    CFrameWnd* again = s.mdi->CreateNewFrame(doc, nullptr, false);
    ASSERT_NE(again, nullptr);
    floating->MoveContentTo(again);
    PumpFor(5);
    EXPECT_EQ(view->GetParentFrame(), again);
    EXPECT_EQ(CWnd::FromHandle(viewHandle), view);
    EXPECT_EQ(s.main->GetMDIChildren().size(), 1u);
    EXPECT_EQ(TestView::live, 1);
    // The view still fills its frame's client area.
    again->GetOuterWidget()->resize(400, 300);
    again->RecalcLayout();
    CRect client;
    view->GetClientRect(&client);
    EXPECT_GT(client.Width(), 300);

    // Closing the frame closes the view and the document.
    again->SendMessage(WM_CLOSE);
    PumpFor(5);
    EXPECT_EQ(TestView::live, 0);
    EXPECT_TRUE(s.mdi->GetDocuments().empty());
}

TEST(Frames, CommandsRouteFromCaptionButtonsThroughTheActiveView)
{
    Shell s;
    CDocument* doc = s.mdi->OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    auto* view = static_cast<TestView*>(doc->GetFirstView());
    CFrameWnd* frame = view->GetParentFrame();
    CCaptionButton* link = frame->AddCaptionButton(kLinkCommand, "Link", "Symbol link");
    ASSERT_NE(link, nullptr);
    link->Button()->click();
    EXPECT_EQ(view->linkClicks, 1);
    link->SetCheck(TRUE);
    link->SetValue(3);
    EXPECT_TRUE(frame->GetCaptionButton(kLinkCommand)->GetCheck());
    EXPECT_EQ(frame->GetCaptionButton(kLinkCommand)->GetValue(), 3);
    // The main frame hands commands to the active child first.
    s.main->SendMessage(WM_COMMAND, MAKEWPARAM(kLinkCommand, 0), 0);
    EXPECT_EQ(view->linkClicks, 2);
    CCmdUI ui(kLinkCommand);
    EXPECT_TRUE(ui.DoUpdate(s.main, true));
    EXPECT_TRUE(ui.m_enabled);
    frame->SetMessageText("Your saved order was placed.");
    EXPECT_EQ(s.main->GetStatusBar()->GetPaneText(0), "Your saved order was placed.");
    // The main frame shows the active child's menu.
    auto* window = qobject_cast<QMainWindow*>(s.main->GetOuterWidget());
    ASSERT_NE(window, nullptr);
    ASSERT_FALSE(window->menuBar()->actions().isEmpty());
    EXPECT_EQ(window->menuBar()->actions().first()->text(), "&Window");
}

// A pane closed while it is its frame's active view (a chart's study pane) leaves no
// active view behind: commands and the window list go on without it.
TEST(Frames, ClosingTheActiveViewLeavesTheFrameWithoutIt)
{
    Shell s;
    CDocument* doc = s.mdi->OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    auto* first = static_cast<TestView*>(doc->GetFirstView());
    CFrameWnd* frame = first->GetParentFrame();
    CCreateContext context;
    context.m_pNewViewClass = RuntimeClassOf<TestView>();
    context.m_pCurrentDoc = doc;
    auto* pane = dynamic_cast<TestView*>(frame->CreateView(&context, AFX_IDW_PANE_FIRST + 1));
    ASSERT_NE(pane, nullptr);
    frame->SetActiveView(pane);
    const int live = TestView::live;
    pane->DestroyWindow();
    ASSERT_EQ(TestView::live, live - 1);
    EXPECT_EQ(frame->GetActiveView(), nullptr);
    EXPECT_EQ(frame->GetActiveDocument(), doc);
    PumpFor(5);
    s.main->SendMessage(WM_COMMAND, MAKEWPARAM(kLinkCommand, 0), 0);
    frame->SetActiveView(first);
    s.main->SendMessage(WM_COMMAND, MAKEWPARAM(kLinkCommand, 0), 0);
    EXPECT_GE(first->linkClicks, 1);
}

TEST(Frames, ZOrderFollowsActivationAndPlacementRoundTrips)
{
    Shell s;
    std::vector<CFrameWnd*> frames;
    for (int i = 0; i < 3; ++i) {
        CDocument* doc = s.mdi->OpenDocumentFile(nullptr);
        ASSERT_NE(doc, nullptr);
        frames.push_back(doc->GetFirstView()->GetParentFrame());
    }
    s.main->MDIActivate(frames[1]);
    auto children = s.main->GetMDIChildren();
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children.front(), frames[1]);
    EXPECT_EQ(s.main->MDIGetActive(), frames[1]);
    EXPECT_EQ(CFrameWnd::GetFramesInActivationOrder().front(), frames[1]);

    WINDOWPLACEMENT wp;
    wp.showCmd = SW_SHOWNORMAL;
    wp.rcNormalPosition = CRect(10, 20, 310, 220);
    ASSERT_TRUE(frames[0]->SetWindowPlacement(&wp));
    WINDOWPLACEMENT back;
    ASSERT_TRUE(frames[0]->GetWindowPlacement(&back));
    EXPECT_EQ(CRect(back.rcNormalPosition), CRect(10, 20, 310, 220));
    EXPECT_EQ(back.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    static_cast<CChildFrame*>(frames[2])->MDIMaximize();
    BOOL maximized = FALSE;
    s.main->MDIActivate(frames[2]);
    s.main->MDIGetActive(&maximized);
    EXPECT_TRUE(maximized);
}

// Closing the maximised MDI window brings the one behind it forward still maximised, as an
// MDI frame keeps it, whether it is closed by its close box or by its frame's close
// command; the windows behind stay in their own places. A window restored before it is
// closed leaves the next one as it was.
TEST(Frames, ClosingTheMaximisedChildLeavesTheNextOneMaximised)
{
    Shell s;
    s.main->MoveWindow(0, 0, 1000, 700);
    std::vector<CChildFrame*> frames;
    for (int i = 0; i < 4; ++i) {
        CDocument* doc = s.mdi->OpenDocumentFile(nullptr);
        ASSERT_NE(doc, nullptr);
        frames.push_back(dynamic_cast<CChildFrame*>(doc->GetFirstView()->GetParentFrame()));
        ASSERT_NE(frames.back(), nullptr);
    }
    PumpFor(5);
    QMdiArea* area = s.main->GetMdiArea();
    ASSERT_NE(area, nullptr);
    auto subOf = [](CChildFrame* f) { return qobject_cast<QMdiSubWindow*>(f->GetOuterWidget()); };
    auto placeOf = [&](CChildFrame* f) {
        const QRect r = subOf(f)->geometry();
        return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
               std::to_string(r.height());
    };
    std::vector<std::string> placed;
    for (CChildFrame* f : frames)
        placed.push_back(placeOf(f));
    s.main->MDIActivate(frames[3]);
    frames[3]->MDIMaximize();
    PumpFor(5);
    ASSERT_TRUE(subOf(frames[3])->isMaximized());

    // What the trader sees: the active window maximised over the whole area, in front.
    auto expectMaximisedInFront = [&](CChildFrame* expected, const char* how) {
        BOOL maximized = FALSE;
        EXPECT_EQ(s.main->MDIGetActive(&maximized), expected) << how;
        EXPECT_TRUE(maximized) << how;
        QMdiSubWindow* sub = subOf(expected);
        EXPECT_TRUE(sub->isVisible()) << how;
        const QSize whole = area->viewport()->size();
        EXPECT_EQ(placeOf(expected), "0,0 " + std::to_string(whole.width()) + "x" + std::to_string(whole.height()))
            << how;
        EXPECT_EQ(area->subWindowList(QMdiArea::StackingOrder).back(), sub) << how;
    };

    subOf(frames[3])->close();  // its close box, or Ctrl+F4
    ASSERT_TRUE(PumpUntil([&] { return s.main->GetMDIChildren().size() == 3; }));
    expectMaximisedInFront(frames[2], "closed by its close box");
    for (int i : {0, 1}) {
        EXPECT_FALSE(subOf(frames[i])->isMaximized()) << i;
        EXPECT_EQ(placeOf(frames[i]), placed[i]) << i;
    }

    frames[2]->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntil([&] { return s.main->GetMDIChildren().size() == 2; }));
    expectMaximisedInFront(frames[1], "closed by its frame's close command");
    EXPECT_FALSE(subOf(frames[0])->isMaximized());
    EXPECT_EQ(placeOf(frames[0]), placed[0]);

    frames[1]->MDIRestore();
    PumpFor(5);
    frames[1]->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntil([&] { return s.main->GetMDIChildren().size() == 1; }));
    BOOL maximized = TRUE;
    EXPECT_EQ(s.main->MDIGetActive(&maximized), frames[0]);
    EXPECT_FALSE(maximized);
    EXPECT_EQ(placeOf(frames[0]), placed[0]);
}

// Past nine windows the Window menu's list keeps nine numbers; a later window that is
// active takes the ninth place, so the active window is always listed and checked.
TEST(Frames, TheWindowListKeepsNineNumbersAndAlwaysTheActiveWindow)
{
    Shell s;
    static const bool loaded = CResourceStore::Instance().LoadText(
        "frame-test-window-list", "menu 9320\n popup \"&Window\"\n  item 57650 \"&Cascade\"\n end\nend\n");
    ASSERT_TRUE(loaded);
    s.app.AddDocTemplate(std::make_unique<CDocTemplate>(9320, RuntimeClassOf<TestDoc>(), RuntimeClassOf<CChildFrame>(),
                                                        RuntimeClassOf<TestView>()));
    CDocTemplate* t = s.app.GetDocTemplate(2);
    std::vector<CFrameWnd*> frames;
    for (int i = 1; i <= 11; ++i) {
        CDocument* doc = t->OpenDocumentFile(nullptr);
        ASSERT_NE(doc, nullptr);
        doc->SetTitle(CString("Window ") + std::to_string(i).c_str());
        frames.push_back(doc->GetFirstView()->GetParentFrame());
    }
    auto* window = qobject_cast<QMainWindow*>(s.main->GetOuterWidget());
    auto windowMenu = [&] {
        QMenu* popup = window->menuBar()->actions().first()->menu();
        emit popup->aboutToShow();
        return popup;
    };
    // The item texts after the menu's own item and the separator, "*" marking the checked one.
    auto listed = [&] {
        std::vector<std::string> out;
        const auto actions = windowMenu()->actions();
        for (int i = 2; i < actions.size(); ++i)
            out.push_back(actions[i]->text().toStdString() + (actions[i]->isChecked() ? "*" : ""));
        return out;
    };
    const std::vector<std::string> firstNine = {"&1 Window 1", "&2 Window 2", "&3 Window 3", "&4 Window 4", "&5 Window 5",
                                                "&6 Window 6", "&7 Window 7", "&8 Window 8"};
    s.main->MDIActivate(frames[10]);
    std::vector<std::string> expected = firstNine;
    expected.push_back("&9 Window 11*");
    EXPECT_EQ(listed(), expected);
    s.main->MDIActivate(frames[3]);
    expected = firstNine;
    expected[3] += "*";
    expected.push_back("&9 Window 9");
    EXPECT_EQ(listed(), expected);
    // An item activates its window; the list is built afresh each time the menu opens.
    QAction* second = windowMenu()->actions()[3];
    second->trigger();
    EXPECT_EQ(s.main->MDIGetActive(), frames[1]);
    frames[0]->DestroyWindow();
    PumpFor(5);
    const std::vector<std::string> after = listed();
    ASSERT_EQ(after.size(), 9u);
    EXPECT_EQ(after.front(), "&1 Window 2*");
    EXPECT_EQ(after.back(), "&9 Window 10");
}

TEST(Frames, ViewsPrintThroughTheirHooksIntoAPdfFile)
{
    Shell s;
    CDocument* doc = s.mdi->OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    auto* view = static_cast<TestView*>(doc->GetFirstView());
    const QString path = QDir::temp().filePath(QStringLiteral("qx-ui-print-%1.pdf").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(view->Print(path.toUtf8().constData()));
    const std::vector<CString> expected = {"prepare", "begin", "page 1", "page 2", "end"};
    EXPECT_EQ(view->printSteps, expected);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));
    file.close();
    QFile::remove(path);
}

TEST(Frames, DocumentTemplatesCreateByClassName)
{
    RuntimeClassOf<TestView>();
    const CRuntimeClass* rc = CRuntimeClass::FromName(CRuntimeClass::DemangledName(typeid(TestView)).c_str());
    ASSERT_NE(rc, nullptr);
    EXPECT_EQ(rc, RuntimeClassOf<TestView>());
    std::unique_ptr<CView> v = rc->CreateAs<CView>();
    EXPECT_NE(dynamic_cast<TestView*>(v.get()), nullptr);
    EXPECT_EQ(rc->CreateAs<CDocument>(), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
}

TEST(Frames, FormViewsFillTheirControlsAndTakeTheirCommands)
{
    Shell s;
    s.app.AddDocTemplate(std::make_unique<CDocTemplate>(9310, RuntimeClassOf<TestDoc>(), RuntimeClassOf<CChildFrame>(),
                                                        RuntimeClassOf<OrderForm>()));
    CDocument* doc = s.app.GetDocTemplate(2)->OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    auto* form = dynamic_cast<OrderForm*>(doc->GetFirstView());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->GetDlgItemText(1200), "GE");
    form->SetDlgItemText(1200, "QQQ");
    auto* button = form->GetDlgItem(1201);
    ASSERT_NE(button, nullptr);
    static_cast<QAbstractButton*>(button->GetWidget())->click();
    EXPECT_EQ(form->submits, 1);
    EXPECT_EQ(form->symbol, "QQQ");
    EXPECT_GT(form->GetTemplateSize().cx, 0);
}

TEST(Frames, PrintJobsWritePagesToPdf)
{
    const QString path = QDir::temp().filePath(QStringLiteral("qx-ui-job-%1.pdf").arg(QCoreApplication::applicationPid()));
    {
        CPrintJob job;
        ASSERT_TRUE(job.BeginPdf(path.toUtf8().constData()));
        const CRect page = job.GetPageRect();
        EXPECT_GT(page.Width(), 1000);
        CRect r = page;
        job.GetDC().DrawText("Order Status", &r, DT_CENTER | DT_SINGLELINE);
        ASSERT_TRUE(job.NewPage());
        job.GetDC().TextOut(0, 0, "page 2");
        EXPECT_TRUE(job.End());
        EXPECT_FALSE(job.End());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_TRUE(pdf.contains("/Count 2"));
    file.close();
    QFile::remove(path);
}

TEST(Frames, PreviewRunsTheHooksThroughTheResponder)
{
    struct PreviewResponder : CUiResponder {
        int previews = 0;
        void ShowPrintPreview(CWnd*, QPrinter& printer, const std::function<void(QPrinter&)>& render) override
        {
            ++previews;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QDir::temp().filePath(QStringLiteral("qx-ui-preview.pdf")));
            render(printer);
        }
    };
    auto responder = std::make_unique<PreviewResponder>();
    PreviewResponder* r = responder.get();
    CScopedUiResponder scope(std::move(responder));
    Shell s;
    CDocument* doc = s.mdi->OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    auto* view = static_cast<TestView*>(doc->GetFirstView());
    view->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ID_FILE_PRINT_PREVIEW), 0), 0);
    EXPECT_EQ(r->previews, 1);
    const std::vector<CString> expected = {"prepare", "begin", "page 1", "page 2", "end"};
    EXPECT_EQ(view->printSteps, expected);
    QFile::remove(QDir::temp().filePath(QStringLiteral("qx-ui-preview.pdf")));
}

namespace {

class TrackingChild : public CChildFrame {
public:
    static inline std::vector<std::pair<CFrameWnd*, BOOL>> activations;
    static inline int childActivations = 0;
    void OnMDIActivate(BOOL activate, CWnd* activated, CWnd* deactivated) override
    {
        activations.emplace_back(this, activate);
        CChildFrame::OnMDIActivate(activate, activated, deactivated);
    }

protected:
    void OnChildActivate() override { ++childActivations; }
};

}  // namespace

TEST(Frames, ChildFramesHearActivationAndMenuCommandsReachTheActiveView)
{
    Shell s;
    s.app.AddDocTemplate(std::make_unique<CDocTemplate>(kTemplate, RuntimeClassOf<TestDoc>(), RuntimeClassOf<TrackingChild>(),
                                                        RuntimeClassOf<TestView>()));
    CDocTemplate* t = s.app.GetDocTemplate(2);
    TrackingChild::activations.clear();
    CDocument* first = t->OpenDocumentFile(nullptr);
    CDocument* second = t->OpenDocumentFile(nullptr);
    ASSERT_TRUE(first && second);
    CFrameWnd* f1 = first->GetFirstView()->GetParentFrame();
    CFrameWnd* f2 = second->GetFirstView()->GetParentFrame();
    TrackingChild::activations.clear();
    s.main->MDIActivate(f1);
    ASSERT_GE(TrackingChild::activations.size(), 2u);
    EXPECT_EQ(TrackingChild::activations[0], std::make_pair(f2, FALSE));
    EXPECT_EQ(TrackingChild::activations[1], std::make_pair(f1, TRUE));
    EXPECT_GT(TrackingChild::childActivations, 0);

    // A menu bar item sends its command through the main frame to the active view.
    auto* window = qobject_cast<QMainWindow*>(s.main->GetOuterWidget());
    QMenu* popup = window->menuBar()->actions().first()->menu();
    ASSERT_NE(popup, nullptr);
    auto* view = static_cast<TestView*>(first->GetFirstView());
    emit popup->aboutToShow();
    QAction* link = popup->actions().first();
    EXPECT_TRUE(link->isEnabled());
    link->trigger();
    EXPECT_EQ(view->linkClicks, 1);
    EXPECT_EQ(static_cast<TestView*>(second->GetFirstView())->linkClicks, 0);
}

TEST(Frames, ToolBarButtonsAndControlsTalkToTheFrame)
{
    struct MainFrame : CMDIFrameWnd {
        int refreshes = 0;
        int symbolChanges = 0;
        const CMessageMap& GetMessageMap() const override
        {
            static const CMessageMap map = MessageMapFor<MainFrame>(CMDIFrameWnd::GetMessageMap())
                                               .Command(34357, &MainFrame::OnRefresh)
                                               .Control(CBN_SELCHANGE, 1001, &MainFrame::OnSymbol)
                                               .Build();
            return map;
        }
        void OnRefresh() { ++refreshes; }
        void OnSymbol() { ++symbolChanges; }
    };
    CWinApp app("ToolBarTest");
    auto owned = std::make_unique<MainFrame>();
    ASSERT_TRUE(owned->LoadFrame(1, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    MainFrame* frame = owned.release();
    CToolBar* bar = frame->CreateToolBar(59392);
    ASSERT_NE(bar, nullptr);
    bar->AddButton(34357, "Refresh");
    bar->AddButton(34358, "Nobody handles this");
    CComboBox symbols;
    ASSERT_TRUE(symbols.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, CRect(0, 0, 100, 200), bar, 1001));
    bar->AddControl(&symbols);
    symbols.AddString("IBM");
    EXPECT_EQ(bar->GetParentFrame(), frame);
    EXPECT_EQ(symbols.GetParentFrame(), frame);

    frame->OnIdleUpdateCmdUI();
    EXPECT_TRUE(bar->IsButtonEnabled(34357));
    EXPECT_FALSE(bar->IsButtonEnabled(34358));
    auto* toolBar = qobject_cast<QToolBar*>(bar->GetWidget());
    ASSERT_NE(toolBar, nullptr);
    toolBar->actions().first()->trigger();
    EXPECT_EQ(frame->refreshes, 1);
    emit qobject_cast<QComboBox*>(symbols.GetWidget())->activated(0);
    EXPECT_EQ(frame->symbolChanges, 1);
    symbols.DestroyWindow();
    frame->DestroyWindow();
}

TEST(Frames, BarsDockAlongTheClientAndShrinkThePane)
{
    Shell s;
    CDocument* doc = s.mdi->OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    CView* view = doc->GetFirstView();
    CFrameWnd* frame = view->GetParentFrame();
    frame->GetOuterWidget()->resize(400, 300);
    frame->RecalcLayout();
    CRect before;
    view->GetClientRect(&before);
    CTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 24), frame, 59500));
    tabs.InsertItem(0, "Sheet 1");
    frame->DockBar(&tabs, true);
    frame->GetWidget()->layout()->activate();
    CRect after;
    view->GetClientRect(&after);
    EXPECT_LT(after.Height(), before.Height());
    CRect bar;
    tabs.GetWindowRect(&bar);
    CRect pane;
    view->GetWindowRect(&pane);
    EXPECT_GE(bar.top, pane.bottom);
    EXPECT_EQ(frame->GetViews().size(), 1u);  // a bar is not a view
    frame->UndockBar(&tabs);
    frame->GetWidget()->layout()->activate();
    view->GetClientRect(&after);
    EXPECT_EQ(after.Height(), before.Height());
    tabs.DestroyWindow();
}

TEST(Frames, ApplicationRunsUntilItsMainFrameCloses)
{
    struct App : CWinApp {
        App() : CWinApp("RunTest") {}
        bool exited = false;
        int idles = 0;
        BOOL InitInstance() override
        {
            AddDocTemplate(std::make_unique<CDocTemplate>(kTemplate, RuntimeClassOf<TestDoc>(), RuntimeClassOf<CChildFrame>(),
                                                          RuntimeClassOf<TestView>()));
            auto frame = std::make_unique<CMDIFrameWnd>();
            if (!frame->LoadFrame(1, WS_OVERLAPPEDWINDOW | WS_VISIBLE))
                return FALSE;
            m_pMainWnd = frame.release();
            if (!GetDocTemplate(0)->OpenDocumentFile(nullptr))
                return FALSE;
            return TRUE;
        }
        BOOL OnIdle(LONG count) override
        {
            ++idles;
            // The user closes the main window once the program is idle.
            if (idles == 1 && m_pMainWnd)
                m_pMainWnd->PostMessage(WM_CLOSE);
            return CWinApp::OnIdle(count);
        }
        int ExitInstance() override
        {
            exited = true;
            return 3;
        }
    };
    App app;
    EXPECT_EQ(app.Main(0, nullptr), 3);
    EXPECT_TRUE(app.exited);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(TestView::live, 0);
    EXPECT_TRUE(app.GetDocTemplate(0)->GetDocuments().empty());
}

TEST(WinApp, NumbersKeepTheirDecimalPointUnderALocaleWritingAComma)
{
    // A German locale built for the test, taken as Qt takes the user's at start.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.path().toStdString();
    const std::string build = "localedef -i de_DE -f UTF-8 '" + path + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0)
        GTEST_SKIP() << "no locale can be built here";
    const char* oldAll = std::getenv("LC_ALL");
    const std::string savedAll = oldAll ? oldAll : "";
    setenv("LOCPATH", path.c_str(), 1);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr);
    ASSERT_EQ(101.0, std::strtod("101.25", nullptr)); // what the C library reads under it

    struct App : CWinApp {
        double read = 0;
        char written[32] = {};
        BOOL InitInstance() override
        {
            read = std::strtod("101.25", nullptr);
            std::snprintf(written, sizeof written, "%.2f", 101.25);
            return FALSE;
        }
    };
    App app;
    app.Main(0, nullptr);
    EXPECT_EQ(101.25, app.read);
    EXPECT_STREQ("101.25", app.written);

    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    if (savedAll.empty())
        unsetenv("LC_ALL");
    else
        setenv("LC_ALL", savedAll.c_str(), 1);
}
