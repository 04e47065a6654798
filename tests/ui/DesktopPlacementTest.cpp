// Where windows are put: inside the desktop, inside the MDI area, cascaded at a usable size.
#include "UiTestSupport.h"

#include "platform/ui/DesktopPlacement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>

TEST(DesktopPlacement, ARectangleMovesAndShrinksIntoTheArea)
{
    const QRect area(0, 0, 800, 600);
    EXPECT_EQ(FitRect(QRect(10, 20, 300, 200), area), QRect(10, 20, 300, 200));
    EXPECT_EQ(FitRect(QRect(700, 500, 300, 200), area), QRect(500, 400, 300, 200));      // off the bottom right
    EXPECT_EQ(FitRect(QRect(-50, -30, 300, 200), area), QRect(0, 0, 300, 200));          // off the top left
    EXPECT_EQ(FitRect(QRect(100, 100, 1280, 800), area), QRect(0, 0, 800, 600));         // larger than the area
    EXPECT_EQ(FitRect(QRect(50, 50, 480, 320), QRect(100, 40, 800, 600)), QRect(100, 50, 480, 320));
    EXPECT_EQ(FitRect(QRect(5, 5, 10, 10), QRect()), QRect(5, 5, 10, 10));               // no area: unchanged
}

TEST(DesktopPlacement, CascadedWindowsKeepTwoThirdsOfTheAreaAndStayInside)
{
    QWidget top;
    top.resize(900, 700);
    auto* area = new QMdiArea(&top);
    area->setGeometry(0, 0, 900, 700);
    std::vector<QMdiSubWindow*> subs;
    for (int i = 0; i < 12; ++i) {
        auto* sub = area->addSubWindow(new QWidget);
        sub->resize(120, 40);  // as small as a bare title bar
        sub->show();
        subs.push_back(sub);
    }
    subs[3]->showMaximized();
    top.show();
    CascadeInside(area);
    const QRect space(QPoint(0, 0), area->contentsRect().size());
    for (QMdiSubWindow* sub : subs) {
        EXPECT_FALSE(sub->isMaximized());
        EXPECT_GE(sub->width(), space.width() * 2 / 3);
        EXPECT_GE(sub->height(), space.height() * 2 / 3);
        EXPECT_TRUE(space.contains(sub->geometry())) << sub->x() << "," << sub->y();
    }
    // Steps down and to the right from the top left corner.
    std::set<int> steps;
    for (QMdiSubWindow* sub : subs) {
        EXPECT_EQ(sub->x(), sub->y());
        steps.insert(sub->x());
    }
    EXPECT_TRUE(steps.count(0));
    EXPECT_GT(steps.size(), 1u);
}
