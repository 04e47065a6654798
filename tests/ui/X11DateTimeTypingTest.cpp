// Dates and times typed into the pickers through the X server, key by key as a keyboard
// sends them: the Shift of ":" and of capitals is a key press and release of its own.
#include "tests/ui/X11Keys.h"
#include "tests/ui/XvfbTestMain.h"

#include "platform/ui/CDateTimeCtrl.h"

#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

class Parent : public CWnd {
public:
    bool Make() { return Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 300, 120), nullptr, 1) != FALSE; }
};

// Counts the key releases a widget is sent.
class ReleaseCounter : public QObject {
public:
    int releases = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(e)->isAutoRepeat())
            ++releases;
        return false;
    }
};

// Each key of a chord is pressed and released.
int ReleasesOf(const QStringList& keys)
{
    int count = 0;
    for (const QString& k : keys)
        count += static_cast<int>(k.count(QChar('+'))) + 1;
    return count;
}

// Sets the picker to the start (2026-12-08 9:30 unless given), types the text through the X
// server from its first section on and returns what the picker shows.
std::string TypedThroughX(CDateTimeCtrl& picker, QDateTimeEdit::Section first, const char* text,
                          const CTime& start = CTime(2026, 12, 8, 9, 30, 0))
{
    EXPECT_TRUE(picker.SetTime(start));
    auto* edit = qobject_cast<QDateTimeEdit*>(picker.GetWidget());
    edit->setFocus();
    edit->setSelectedSection(first);
    ReleaseCounter counter;
    edit->installEventFilter(&counter);
    const QStringList keys = KeysOf(QString::fromLatin1(text));
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"),
                                                         QStringLiteral("15")} + keys);
    EXPECT_TRUE(xdotool.waitForFinished(10000)) << text;
    EXPECT_EQ(xdotool.exitCode(), 0) << text << ": " << xdotool.readAllStandardError().toStdString();
    const int expected = ReleasesOf(keys);
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.releases >= expected; }, 5000))
        << text << ": " << counter.releases << " of " << expected << " key releases came";
    edit->removeEventFilter(&counter);
    return picker.GetWindowText().str();
}

}  // namespace

TEST(X11DateTimeTyping, DatesAndTimesTypedOnTheKeyboardReadAsTyped)
{
    if (!XServerUp())
        GTEST_SKIP() << "no Xvfb";
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "no xdotool";
    Parent p;
    ASSERT_TRUE(p.Make());
    CDateTimeCtrl time;
    ASSERT_TRUE(time.Create(WS_CHILD | WS_VISIBLE | DTS_TIMEFORMAT, CRect(10, 10, 200, 34), &p, 70));
    CDateTimeCtrl date;
    ASSERT_TRUE(date.Create(WS_CHILD | WS_VISIBLE | DTS_SHORTDATEFORMAT, CRect(10, 50, 200, 74), &p, 71));
    QWidget* window = p.GetWidget()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));

    // Each field filled by its digits, one that waits for its separator, and a field left
    // short; AM and PM typed in capitals. What the picker shows and the time it holds.
    struct Case {
        const char* typed;
        const char* shown;
        int hour, minute, second;
    };
    for (const Case& c : {Case{"3:29:00 PM", "3:29:00 PM", 15, 29, 0}, Case{"11:05:47 AM", "11:05:47 AM", 11, 5, 47},
                          Case{"12:00:09 PM", "12:00:09 PM", 12, 0, 9}, Case{"1:7:5 PM", "1:07:05 PM", 13, 7, 5}}) {
        EXPECT_EQ(TypedThroughX(time, QDateTimeEdit::HourSection, c.typed), std::string(c.shown)) << c.typed;
        CTime read;
        ASSERT_EQ(time.GetTime(read), GDT_VALID);
        EXPECT_EQ(std::tuple(read.GetHour(), read.GetMinute(), read.GetSecond()),
                  std::tuple(c.hour, c.minute, c.second))
            << c.typed;
    }
    // AM or PM left at its first letter and Return typed: completed as typed, from a start
    // on the other side of noon.
    struct Unfinished {
        const char* typed;
        CTime start;
        const char* shown;
        int hour, minute, second;
    };
    for (const Unfinished& c : {Unfinished{"11:05:47 A\n", CTime(2026, 12, 8, 15, 55, 0), "11:05:47 AM", 11, 5, 47},
                                Unfinished{"1:07:05 p\n", CTime(2026, 12, 8, 9, 30, 0), "1:07:05 PM", 13, 7, 5}}) {
        EXPECT_EQ(TypedThroughX(time, QDateTimeEdit::HourSection, c.typed, c.start), std::string(c.shown)) << c.typed;
        CTime read;
        ASSERT_EQ(time.GetTime(read), GDT_VALID);
        EXPECT_EQ(std::tuple(read.GetHour(), read.GetMinute(), read.GetSecond()),
                  std::tuple(c.hour, c.minute, c.second))
            << c.typed;
    }
    for (const char* typed : {"12/7/2026", "1/15/2027", "3/31/2025", "10/1/2024"})
        EXPECT_EQ(TypedThroughX(date, QDateTimeEdit::MonthSection, typed), std::string(typed));
}
