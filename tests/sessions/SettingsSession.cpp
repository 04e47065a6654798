// A trader's session with the program's own files: Preferences changed and found on disk
// while the program runs, a Level I export written as the file type chosen in the save
// dialog, a screener over a symbol the broker does not know, and the log in the user
// data folder without the session's secrets.
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "platform/core/CProfile.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CStatusBar.h"
#include "views/ui/Level1View.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeView>

#include <fstream>
#include <sstream>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

constexpr int kStockShares = 1102;  // Preferences, Trading Options: "Stock Shares:"
constexpr int kNameEdit = 1503;     // formula wizard: the symbols
constexpr int kFormulaEdit = 1571;  // formula wizard: the formula

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(SessionTest, PreferencesAnExportAScreenerAndTheLogGoToTheirFilesAtOnce)
{
    const int status = RunWorkstation([&](CSession& s) {
        // Preferences: on disk as the sheet closes, long before any exit.
        s.ChooseMenu("&File|&Preferences...");
        QWidget* prefs = s.WaitModal("Preferences");
        ASSERT_NE(prefs, nullptr);
        s.FillControl(prefs, kStockShares, "250");
        s.PressButton(prefs, "OK");
        EXPECT_TRUE(s.WaitFor("Stock Shares in profile.ini", [&] {
            return CProfile((Home() / "profile.ini").c_str()).GetProfileInt("Settings", "StockShares", 0) == 250;
        }));

        // A Level I window with MSFT typed into it.
        s.ChooseMenu("&Quotes|&Level I");
        Level1View* view = nullptr;
        ASSERT_TRUE(s.WaitFor("a Level I window", [&] {
            const auto views = s.Views<Level1View>();
            view = views.empty() ? nullptr : views.front();
            return view != nullptr;
        }));
        QWidget* tree = s.OnUi([&] { return view->Grid().GetWidget(); });
        s.Click(tree, s.OnUi([&] { return QPoint(30, tree->height() - 20); }));
        s.TypeText("MSFT");
        ASSERT_NE(s.WaitModal("Enter Symbol"), nullptr);
        s.TypeText("\n");
        ASSERT_TRUE(s.WaitFor("MSFT listed", [&] { return view->Grid().GetItemCount() == 1; }));

        // Export Data: "quotes" typed with "Space Delimited Files" chosen in the dialog.
        s.ChooseMenu("Level &I|Export &Data...");
        ASSERT_TRUE(s.WaitFor("the save dialog", [&] {
            QWidget* modal = s.ActiveModal();
            return modal && modal->findChild<QLineEdit*>("fileNameEdit");
        }));
        QWidget* dialog = s.ActiveModal();
        QComboBox* types = s.OnUi([&] { return dialog->findChild<QComboBox*>("fileTypeCombo"); });
        ASSERT_NE(types, nullptr);
        s.OnUi([&] { types->setFocus(); });
        s.Key(Qt::Key_Down);
        s.Key(Qt::Key_Down);
        EXPECT_EQ(s.OnUi([&] { return types->currentText(); }).toStdString(), "Space Delimited Files (*.prn)");
        QLineEdit* name = s.OnUi([&] { return dialog->findChild<QLineEdit*>("fileNameEdit"); });
        s.Click(name);
        s.TypeText("quotes\n");
        const std::filesystem::path exported = Home() / "SpreadSheets" / "quotes.prn";
        ASSERT_TRUE(s.WaitFor("quotes.prn written", [&] { return std::filesystem::exists(exported); }));
        const std::string text = ReadFile(exported);
        EXPECT_FALSE(std::filesystem::exists(Home() / "SpreadSheets" / "quotes"));
        EXPECT_EQ(text.find('\t'), std::string::npos) << text;
        EXPECT_EQ(text.substr(0, text.find('\n')).find(','), std::string::npos) << text;
        EXPECT_NE(text.find("\nMSFT "), std::string::npos) << text;

        // A screener over MSFT and a symbol the broker does not know: the scan ends and
        // the status bar names the unknown one.
        s.ChooseMenu("&Screener|&Add Screener...");
        QWidget* screener = s.WaitModal("Screener Settings");
        ASSERT_NE(screener, nullptr);
        s.FillControl(screener, kNameEdit, "MSFT QQZZX");
        s.FillControl(screener, kFormulaEdit, "Last>0");
        s.PressButton(screener, "OK");
        EXPECT_TRUE(s.WaitFor(
            "the screener's pass", [&] { return view->ComposeTitle().Find("Scan as of") >= 0; }, 60s))
            << s.OnUi([&] { return std::string(view->ComposeTitle().GetString()); });
        EXPECT_TRUE(s.WaitFor("the unknown symbol named", [&] {
            CStatusBar* bar = s.App().MainFrame()->GetStatusBar();
            return bar && bar->GetPaneText(0) == "Screener: no data for QQZZX (Unknown symbol: QQZZX)";
        }));

        // The log: requests and replies, without what the broker handed out.
        const std::string log = ReadFile(Home() / "Quorvantelix.log");
        EXPECT_NE(log.find("request LogIn"), std::string::npos);
        EXPECT_NE(log.find("<Token>***</Token>"), std::string::npos);
        for (const std::string& secret : Broker().IssuedSecrets())
            EXPECT_EQ(log.find(secret), std::string::npos) << secret;
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TemporaryFiles().empty());
}

} // namespace
} // namespace qx::sessions
