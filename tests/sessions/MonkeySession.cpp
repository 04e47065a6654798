// The monkey: random clicks, double clicks, keys, menu choices and window closes over
// every window kind, from a seed printed at the start, under the watchdog. It ends with
// File -> Exit, which must end the program with status 0.
//
//   QX_MONKEY_SEED=N      the seed (default: a fixed one, so ctest repeats itself)
//   QX_MONKEY_SECONDS=S   how long it plays (default 60)
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "platform/ui/CUiResponder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMainWindow>
#include <QTest>
#include <QWindow>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <random>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

// Nothing leaves the program: no browser, no printer, and no file outside a folder of its
// own. File dialogs are answered unseen (a real one lets random keys rename and delete
// folders anywhere): a save goes into the folder under the name the program proposed, an
// open takes a file saved there with the extension asked for, if there is one.
class CMonkeyResponder final : public CUiResponder {
public:
    explicit CMonkeyResponder(std::filesystem::path folder) : m_folder(std::move(folder))
    {
        std::filesystem::create_directories(m_folder);
    }

    bool SetupPrinter(CWnd*, QPrinter&, bool&, int&, int&) override { return false; }
    void ShowPrintPreview(CWnd*, QPrinter&, const std::function<void(QPrinter&)>&) override {}
    bool OpenExternal(const CString&) override { return false; }
    int FileDialogs() const { return m_fileDialogs; }

    bool ChooseFile(CWnd*, FileDialogRequest& request, std::vector<CString>& chosen) override
    {
        ++m_fileDialogs;
        const std::string ext = request.defaultExt.IsEmpty() ? "" : "." + std::string(request.defaultExt.GetString());
        if (!request.open) {
            // Asked again for the name just given, after declining to replace that file:
            // a user would now give up rather than give the same name forever.
            const std::filesystem::path path = m_folder / SavedName(request.fileName.GetString(), ext);
            if (path == m_lastSaved) {
                m_lastSaved.clear();
                return false;
            }
            m_lastSaved = path;
            chosen = {CString(path.string().c_str())};
            return true;
        }
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder, error))
            if (entry.is_regular_file() && (ext.empty() || entry.path().extension() == ext)) {
                chosen = {CString(entry.path().string().c_str())};
                return true;
            }
        return false;
    }

private:
    // The last part of the proposed name (either separator), never one that leaves the folder.
    static std::string SavedName(const std::string& proposed, const std::string& ext)
    {
        std::string name = proposed.substr(proposed.find_last_of("/\\") + 1);
        if (name.empty() || name == "." || name == "..")
            name = "saved";
        if (!ext.empty() && std::filesystem::path(name).extension().empty())
            name += ext;
        return name;
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_lastSaved;
    std::atomic<int> m_fileDialogs{0};
};

// Items the monkey leaves alone: they end the program or leave it.
bool Forbidden(const QString& text)
{
    const QString plain = PlainMenuText(text);
    return plain == "Exit" || plain.startsWith("Log In") || plain.startsWith("Print") || plain.contains("Update");
}

unsigned long EnvNumber(const char* name, unsigned long fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::strtoul(value, nullptr, 10) : fallback;
}

class CMonkey {
public:
    CMonkey(CSession& s, unsigned long seed) : m_s(s), m_random(seed) {}

    void Play(std::chrono::seconds time)
    {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end && !m_s.ProgramEnded()) {
            Step();
            ++m_steps;
        }
    }
    // Closes whatever asks something, so that File -> Exit can be chosen.
    void Calm()
    {
        for (int i = 0; i < 40; ++i) {
            const bool busy = m_s.OnUi([] {
                return QApplication::activePopupWidget() != nullptr || QApplication::activeModalWidget() != nullptr;
            });
            if (!busy)
                return;
            if (i % 3 == 2)
                PressCalmButton();
            else
                Key(Qt::Key_Escape, {});
        }
        std::printf("monkey: still busy after calming (%s)\n", m_s.OnUi([] { return DescribeFocus(); }).toStdString().c_str());
    }
    long Steps() const { return m_steps; }

private:
    int Roll(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    double Fraction() { return std::uniform_real_distribution<double>(0.0, 1.0)(m_random); }

    void Step()
    {
        const bool popup = m_s.OnUi([] { return QApplication::activePopupWidget() != nullptr; });
        if (popup) {
            if (Roll(4) == 0)
                Key(Qt::Key_Escape, {});
            else
                ChooseInPopup();
            return;
        }
        const int windows = m_s.OnUi([&] { return static_cast<int>(m_s.App().GetWindowViews().size()); });
        const int r = Roll(100);
        if (r < 8 && windows < 14)
            OpenWindow();
        else if (r < 14 && windows > 0)
            CloseWindow();
        else if (r < 24)
            ChooseMenu();
        else if (r < 52)
            Mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
        else if (r < 60)
            Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton);
        else if (r < 68)
            Mouse(QEvent::MouseButtonRelease, Qt::RightButton);
        else if (r < 72)
            PressCalmButton();
        else
            RandomKey();
        m_s.Pause(std::chrono::milliseconds(Roll(30)));
    }

    void Say(const std::string& what) { m_s.Step("monkey " + std::to_string(m_steps) + ": " + what); }

    void OpenWindow()
    {
        const bool floating = Roll(3) == 0;
        const QStringList& items = WindowKindMenuItems(floating);
        const QString item = items[Roll(static_cast<int>(items.size()))];
        Say("open " + item.toStdString());
        ChooseMenuPath(item.split(QChar('|')));
    }

    void CloseWindow()
    {
        const double pick = Fraction();
        Say("close a window");
        m_s.Post([pick] {
            if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
                return;
            QList<QWidget*> frames;
            for (QWidget* w : QApplication::allWidgets())
                if (w->isVisible() && (qobject_cast<QMdiSubWindow*>(w) || (w->isWindow() && w != QApplication::activeWindow() &&
                                                                          qobject_cast<QMainWindow*>(w) && w->parentWidget())))
                    frames << w;
            if (!frames.isEmpty())
                frames[static_cast<int>(pick * frames.size()) % frames.size()]->close();
        });
        m_s.Settle();
    }

    // A random enabled item of a random menu of the menu bar, through its sub-menus.
    void ChooseMenu()
    {
        const QStringList titles = m_s.OnUi([&] {
            QStringList out;
            if (CMainFrame* frame = m_s.App().MainFrame())
                if (auto* main = qobject_cast<QMainWindow*>(frame->GetOuterWidget()))
                    for (QAction* a : main->menuBar()->actions())
                        if (a->isVisible() && a->isEnabled() && a->menu())
                            out << a->text();
            return out;
        });
        if (titles.isEmpty() || m_s.OnUi([] { return QApplication::activeModalWidget() != nullptr; }))
            return;
        const QString title = titles[Roll(static_cast<int>(titles.size()))];
        Say("menu " + title.toStdString());
        ChooseMenuPath({title});
    }

    // Clicks the first item of the path in the menu bar, then the others in the menus
    // that open; a path of one item goes on at random.
    void ChooseMenuPath(const QStringList& path)
    {
        const QString first = path.front();
        m_s.Post([this, first] {
            CMainFrame* frame = m_s.App().MainFrame();
            auto* main = frame ? qobject_cast<QMainWindow*>(frame->GetOuterWidget()) : nullptr;
            if (!main || QApplication::activeModalWidget() || !main->windowHandle())
                return;
            QMenuBar* bar = main->menuBar();
            for (QAction* a : bar->actions())
                if (a->menu() && PlainMenuText(a->text()) == PlainMenuText(first)) {
                    QTest::mouseClick(main->windowHandle(), Qt::LeftButton, {},
                                      bar->mapTo(main, bar->actionGeometry(a).center()));
                    return;
                }
        });
        m_s.Settle();
        for (int i = 1; i < path.size() || (path.size() == 1 && i < 4); ++i) {
            const QString want = i < path.size() ? path[i] : QString();
            const double pick = Fraction();
            bool leaf = true;
            const bool found = m_s.OnUi([&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!menu)
                    return false;
                QList<QAction*> usable;
                for (QAction* a : menu->actions())
                    if (!a->isSeparator() && a->isVisible() && a->isEnabled() &&
                        !Forbidden(a->menu() ? a->menu()->title() : a->text()))
                        usable << a;
                QAction* chosen = nullptr;
                for (QAction* a : usable)
                    if (!want.isEmpty() && PlainMenuText(a->menu() ? a->menu()->title() : a->text()) == PlainMenuText(want))
                        chosen = a;
                if (want.isEmpty() && !usable.isEmpty())
                    chosen = usable[static_cast<int>(pick * usable.size()) % usable.size()];
                if (!chosen)
                    return false;
                leaf = chosen->menu() == nullptr;
                return true;
            });
            if (!found) {
                Key(Qt::Key_Escape, {});
                return;
            }
            // The click itself may open a dialog: it is posted, not waited for.
            m_s.Post([want, pick] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!menu || !menu->windowHandle())
                    return;
                QList<QAction*> usable;
                for (QAction* a : menu->actions())
                    if (!a->isSeparator() && a->isVisible() && a->isEnabled() &&
                        !Forbidden(a->menu() ? a->menu()->title() : a->text()))
                        usable << a;
                QAction* chosen = nullptr;
                for (QAction* a : usable)
                    if (!want.isEmpty() && PlainMenuText(a->menu() ? a->menu()->title() : a->text()) == PlainMenuText(want))
                        chosen = a;
                if (want.isEmpty() && !usable.isEmpty())
                    chosen = usable[static_cast<int>(pick * usable.size()) % usable.size()];
                if (chosen)
                    QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
            });
            m_s.Settle();
            if (leaf)
                return;
        }
        Key(Qt::Key_Escape, {});
    }

    void ChooseInPopup()
    {
        const double pick = Fraction();
        Say("choose in a popup");
        m_s.Post([pick] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            QList<QAction*> usable;
            for (QAction* a : menu->actions())
                if (!a->isSeparator() && a->isVisible() && a->isEnabled() && !Forbidden(a->text()))
                    usable << a;
            if (usable.isEmpty()) {
                menu->close();
                return;
            }
            QAction* a = usable[static_cast<int>(pick * usable.size()) % usable.size()];
            if (QWindow* window = menu->windowHandle())
                QTest::mouseClick(window, Qt::LeftButton, {}, menu->actionGeometry(a).center());
        });
        m_s.Settle();
    }

    // A click at a random point of the modal window, else of a random visible window.
    void Mouse(QEvent::Type what, Qt::MouseButton button)
    {
        const double pickWindow = Fraction(), x = Fraction(), y = Fraction();
        Say(what == QEvent::MouseButtonDblClick ? "double click"
            : button == Qt::RightButton         ? "right click"
                                                : "click");
        m_s.Post([=] {
            QWidget* top = QApplication::activeModalWidget();
            if (!top) {
                QList<QWidget*> windows;
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->isVisible() && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip &&
                        w->windowHandle())
                        windows << w;
                if (windows.isEmpty())
                    return;
                top = windows[static_cast<int>(pickWindow * windows.size()) % windows.size()];
            }
            QWindow* window = top->windowHandle();
            if (!window)
                return;
            const QPoint p(static_cast<int>(x * std::max(top->width() - 1, 1)),
                           static_cast<int>(y * std::max(top->height() - 1, 1)));
            QTest::mouseMove(window, p);
            if (what == QEvent::MouseButtonDblClick)
                QTest::mouseDClick(window, button, {}, p);
            else
                QTest::mouseClick(window, button, {}, p);
        });
        m_s.Settle();
    }

    void RandomKey()
    {
        static const int kKeys[] = {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab,   Qt::Key_Left,     Qt::Key_Right,
                                    Qt::Key_Up,     Qt::Key_Down,   Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Home,
                                    Qt::Key_End,    Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Space,  Qt::Key_F5};
        const int r = Roll(100);
        if (r < 55) {
            // A letter or digit, as a trader types symbols and numbers.
            static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,-";
            const char c = kChars[Roll(static_cast<int>(sizeof kChars - 1))];
            Say(std::string("type ") + c);
            m_s.Post([c] {
                QWindow* window = QGuiApplication::focusWindow();
                if (!window)
                    if (QWidget* active = QApplication::activeWindow())
                        window = active->windowHandle();
                if (window)
                    QTest::keyClick(window, c);
            });
            m_s.Settle();
            return;
        }
        const int key = kKeys[Roll(static_cast<int>(std::size(kKeys)))];
        Qt::KeyboardModifiers modifiers;
        const int m = Roll(10);
        if (m == 0)
            modifiers = Qt::ControlModifier;
        else if (m == 1)
            modifiers = Qt::ShiftModifier;
        Say("key " + std::to_string(key));
        Key(key, modifiers);
    }

    void Key(int key, Qt::KeyboardModifiers modifiers)
    {
        m_s.Post([key, modifiers] {
            QWindow* window = nullptr;
            if (QWidget* popup = QApplication::activePopupWidget())
                window = popup->windowHandle();
            if (!window)
                window = QGuiApplication::focusWindow();
            if (!window)
                if (QWidget* active = QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                                         : QApplication::activeWindow())
                    window = active->windowHandle();
            if (window)
                QTest::keyClick(window, static_cast<Qt::Key>(key), modifiers);
        });
        m_s.Settle();
    }

    // Cancel, Close, No or OK of the modal window, the way out of most dialogs.
    void PressCalmButton()
    {
        Say("answer a dialog");
        m_s.Post([] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            for (const char* text : {"Cancel", "Close", "No", "OK"})
                for (QAbstractButton* b : modal->findChildren<QAbstractButton*>())
                    if (b->isVisible() && b->isEnabled() && PlainMenuText(b->text()) == text) {
                        b->click();
                        return;
                    }
            modal->close();
        });
        m_s.Settle();
    }

    CSession& m_s;
    std::mt19937 m_random;
    long m_steps = 0;
};

class MonkeySessionTest : public SessionTest {};

TEST_F(MonkeySessionTest, RandomInputOverEveryWindowKindNeverHangsNorCrashes)
{
    const unsigned long seed = EnvNumber("QX_MONKEY_SEED", 20261207);
    const auto seconds = std::chrono::seconds(EnvNumber("QX_MONKEY_SECONDS", 60));
    std::printf("monkey: seed %lu for %lld s (QX_MONKEY_SEED=%lu repeats it)\n", seed,
                static_cast<long long>(seconds.count()), seed);
    std::fflush(stdout);
    auto answers = std::make_unique<CMonkeyResponder>(Home() / "monkey files");
    const CMonkeyResponder& files = *answers;
    CScopedUiResponder responder(std::move(answers));
    long steps = 0;
    const int status = RunWorkstation([&](CSession& s) {
        CMonkey monkey(s, seed);
        // Every window kind once, then at random.
        for (bool floating : {false, true})
            for (const QString& item : WindowKindMenuItems(floating))
                s.ChooseMenu(item);
        monkey.Play(seconds);
        monkey.Calm();
        steps = monkey.Steps();
        s.ExitByMenu();
    });
    std::printf("monkey: seed %lu, %ld steps, %d file dialogs answered\n", seed, steps, files.FileDialogs());
    EXPECT_EQ(status, 0) << "seed " << seed;
}

}  // namespace
}  // namespace qx::sessions
