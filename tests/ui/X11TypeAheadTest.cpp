// Keys typed through the X server ahead of a modal prompt that the first of them opens: the
// keys after that one land in the prompt, in order and with their Shift state, however late
// the prompt shows, and none of them reaches the window behind it. The keys after the
// prompt's Return reach that window once the prompt has returned its answer.
#include "tests/ui/X11Keys.h"
#include "tests/ui/XvfbTestMain.h"

#include "platform/ui/CDataExchange.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/EventPump.h"
#include "platform/ui/ModalLoops.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const char* kPromptTemplate = R"(
dialog 5400
  caption "Prompt"
  size 150 50
  control edit 1401 "" 10 10 100 14
  control button 1 "OK" 10 30 50 14 default
  control button 2 "Cancel" 70 30 50 14
end
)";

// Typed on a US keyboard: capitals, "$" and ";" with Shift, the others without.
constexpr const char* kTyped = "qX$7;Zb";

// Opens holding the character that opened it; beforeShow runs once it is built.
class Prompt : public CDialog {
public:
    Prompt(char first, std::function<void()> beforeShow, CWnd* parent)
        : CDialog(5400, parent), text(CString(first, 1)), m_beforeShow(std::move(beforeShow))
    {
    }
    CString text;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (auto* edit = dynamic_cast<CEdit*>(GetDlgItem(1401))) {
            GotoDlgCtrl(edit);
            edit->SetSel(text.GetLength(), text.GetLength());
        }
        if (m_beforeShow)
            m_beforeShow();
        return FALSE;
    }
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, 1401, text); }
    // Left open and cancelled: what it held, for the failure's message.
    void OnCancel() override
    {
        UpdateData(TRUE);
        text += " (left open)";
        CDialog::OnCancel();
    }

private:
    std::function<void()> m_beforeShow;
};

// A window whose typed character opens the prompt with it; it records the keys and
// characters that reach it and what its prompts held when they closed.
class TypingWindow : public CWnd {
public:
    bool Make() { return Create(nullptr, "", WS_VISIBLE, CRect(20, 20, 320, 220), nullptr, 1) != FALSE; }
    std::function<void()> beforeShow;
    char asksByMessageBox = 0;  // the character that opens a message box instead
    std::vector<UINT> keysDown;
    std::string chars;
    std::vector<std::string> answers;

protected:
    void OnKeyDown(UINT key, UINT, UINT) override { keysDown.push_back(key); }
    void OnChar(UINT ch, UINT, UINT) override
    {
        chars += static_cast<char>(ch);
        if (ch <= 0x20 || ch >= 0x7F)
            return;
        if (ch == static_cast<UINT>(asksByMessageBox)) {
            answers.emplace_back(MessageBox("Go on?", "Question", MB_YESNO) == IDYES ? "yes" : "no");
            return;
        }
        Prompt prompt(static_cast<char>(ch), beforeShow, this);
        prompt.DoModal();
        answers.emplace_back(prompt.text.GetString());
    }
};

bool LoadPrompt()
{
    static const bool loaded = CResourceStore::Instance().LoadText("type-ahead-test", kPromptTemplate, nullptr);
    return loaded;
}

class X11TypeAheadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XServerUp())
            GTEST_SKIP() << "no Xvfb";
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            GTEST_SKIP() << "no xdotool";
        ASSERT_TRUE(LoadPrompt());
        ASSERT_TRUE(m_window.Make());
        QWidget* widget = m_window.GetWidget();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget->window()));
        widget->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget->window()));
        widget->setFocus();
    }

    // The text typed (by default kTyped and Return), 10 ms a key unless told, by xdotool
    // running on its own.
    void StartTyping(const QString& text = QString::fromLatin1(kTyped) + '\n', int delay = 10)
    {
        m_typist.start(QStringLiteral("xdotool"),
                       QStringList{"key", "--delay", QString::number(delay)} + KeysOf(text));
        ASSERT_TRUE(m_typist.waitForStarted(5000));
    }
    bool TypistDone()
    {
        return (m_typist.state() == QProcess::NotRunning || m_typist.waitForFinished(10000)) &&
               m_typist.exitCode() == 0;
    }
    // The prompt's answer, once Return has ended it.
    void ExpectOneWholeAnswer()
    {
        // A prompt whose Return was lost is cancelled, so that the test goes on.
        QTimer::singleShot(8000, &EndModalLoops);
        EXPECT_TRUE(PumpEventsUntil([&] { return !m_window.answers.empty(); }, 10000)) << "the prompt still open";
        EXPECT_EQ(m_window.answers, std::vector<std::string>{kTyped});
        // The window had the first key only: no other key, character or prompt.
        EXPECT_EQ(m_window.chars, std::string(kTyped, 1));
        EXPECT_EQ(m_window.keysDown, std::vector<UINT>{'Q'});
    }

    // The answers of two windows, in their order: two prompts "qX" then "ab" by default.
    void ExpectAnswers(const std::vector<std::string>& answers = {"qX", "ab"})
    {
        QTimer::singleShot(8000, &EndModalLoops);
        EXPECT_TRUE(PumpEventsUntil([&] { return m_window.answers.size() == 2; }, 10000)) << "a window still open";
        EXPECT_EQ(m_window.answers, answers);
    }

    TypingWindow m_window;
    QProcess m_typist;
};

// Every key was queued while the program was busy: those behind the first one wait in the
// program's own queue, addressed to the window, while the prompt opens.
TEST_F(X11TypeAheadTest, KeysQueuedBehindTheOneThatOpensThePromptLandInIt)
{
    StartTyping();
    ASSERT_TRUE(TypistDone());
    ExpectOneWholeAnswer();
}

// The prompt is slow to show: the keys typed meanwhile come from the X server addressed to
// the window, which has the focus until the prompt takes it.
TEST_F(X11TypeAheadTest, KeysTypedWhileThePromptIsSlowToShowLandInIt)
{
    m_window.beforeShow = [&] { EXPECT_TRUE(TypistDone()); };
    StartTyping();
    ExpectOneWholeAnswer();
}

// Two answers typed one after the other: the keys behind the first Return wait until that
// prompt has returned its answer, then open the second prompt and land in it.
TEST_F(X11TypeAheadTest, TwoAnswersTypedOneAfterTheOtherComeInTheirOrder)
{
    StartTyping("qX\nab\n", 2);
    ASSERT_TRUE(TypistDone());
    ExpectAnswers();
}

// A message box answered with its default button: the keys behind the Return open the next
// prompt once the box has returned its answer, not inside its loop.
TEST_F(X11TypeAheadTest, KeysBehindTheReturnThatAnswersAMessageBoxComeAfterItsAnswer)
{
    m_window.asksByMessageBox = 'm';
    StartTyping("m\nab\n", 2);
    ASSERT_TRUE(TypistDone());
    ExpectAnswers({"yes", "ab"});
}

// The prompt has the keyboard when its Return is typed, and the keys after it come while it
// closes: they reach the window behind it, whose typing opens the next prompt.
TEST_F(X11TypeAheadTest, KeysTypedWhileThePromptClosesReachTheWindowBehindIt)
{
    StartTyping("qX");
    QTimer prompted;
    QObject::connect(&prompted, &QTimer::timeout, [&] {
        QWidget* prompt = QApplication::activeModalWidget();
        auto* edit = prompt ? prompt->findChild<QLineEdit*>() : nullptr;
        if (!edit || edit->text() != "qX" || QGuiApplication::focusWindow() != prompt->windowHandle())
            return;
        prompted.stop();
        EXPECT_TRUE(TypistDone());
        StartTyping("\nab\n");
    });
    prompted.start(10);
    ExpectAnswers();
    EXPECT_TRUE(TypistDone());
}

// The same under a window manager, which moves the focus to the prompt in its own time.
class X11ManagedTypeAhead : public X11TypeAheadTest {};

TEST_F(X11ManagedTypeAhead, KeysTypedWhileThePromptIsSlowToShowLandInIt)
{
    m_window.beforeShow = [&] { EXPECT_TRUE(TypistDone()); };
    StartTyping();
    ExpectOneWholeAnswer();
}

}  // namespace
