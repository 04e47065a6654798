// Message boxes, common dialogs, shell opening, the clipboard and the tray icon.
#include "UiTestSupport.h"

#include "platform/ui/CTrayIcon.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/ShellServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QUrl>

namespace {

struct Answers {
    std::vector<RecordingResponder::Box> boxes;
    std::vector<CString> opened;
    RecordingResponder* responder;
    std::unique_ptr<CScopedUiResponder> scope;
    Answers()
    {
        auto r = std::make_unique<RecordingResponder>(&boxes, &opened);
        responder = r.get();
        scope = std::make_unique<CScopedUiResponder>(std::move(r));
    }
};

}  // namespace

TEST(Services, MessageBoxesGoThroughTheResponder)
{
    Answers a;
    a.responder->boxAnswer = IDYES;
    EXPECT_EQ(AfxMessageBox("Error saving workspace", MB_YESNO | MB_ICONQUESTION), IDYES);
    CWnd w;
    ASSERT_TRUE(w.Create(nullptr, "", 0, CRect(0, 0, 10, 10), nullptr, 1));
    a.responder->boxAnswer = IDOK;
    EXPECT_EQ(w.MessageBox("Select Offset Type", "Price Offset", MB_OK | MB_ICONEXCLAMATION), IDOK);
    ASSERT_EQ(a.boxes.size(), 2u);
    EXPECT_EQ(a.boxes[0].text, "Error saving workspace");
    EXPECT_EQ(a.boxes[0].type & MB_TYPEMASK, MB_YESNO);
    EXPECT_EQ(a.boxes[0].type & MB_ICONMASK, MB_ICONQUESTION);
    EXPECT_EQ(a.boxes[1].caption, "Price Offset");
}

TEST(Services, LinksOpenOnlyWebAddressesAndFilesOnlyByPath)
{
    Answers a;
    const QString path = QDir::temp().filePath(QStringLiteral("qx-ui-open-%1.csv").arg(QCoreApplication::applicationPid()));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("a,b\n");
    }
    const CString file(path.toUtf8().constData());
    const CString fileUrl(QUrl::fromLocalFile(path).toString().toUtf8().constData());

    EXPECT_TRUE(ShellOpenLink("https://www.example.com/update"));
    EXPECT_TRUE(ShellOpenLink("HTTP://example.com"));
    for (const CString& refused : {CString("ftp://example.com/file"), CString("javascript:alert(1)"),
                                   CString("https://"), CString("mailto:a@example.com"), file, fileUrl,
                                   CString("FILE:") + file, CString("/no/such/file.csv"), CString("")})
        EXPECT_FALSE(ShellOpenLink(refused)) << refused.str();

    // A file the program wrote opens by its path only.
    EXPECT_TRUE(ShellOpenFile(file));
    EXPECT_FALSE(ShellOpenFile(fileUrl));
    EXPECT_FALSE(ShellOpenFile("https://www.example.com/update"));
    EXPECT_FALSE(ShellOpenFile("/no/such/file.csv"));
    EXPECT_FALSE(ShellOpenFile(CString(QDir::tempPath().toUtf8().constData())));  // a folder
    QFile::remove(path);
    ASSERT_EQ(a.opened.size(), 3u);
    EXPECT_EQ(a.opened[0], "https://www.example.com/update");
    EXPECT_EQ(a.opened[2], file);
}

TEST(Services, SaveDialogAddsTheDefaultExtension)
{
    Answers a;
    a.responder->files = {"/tmp/export", "/tmp/other.txt"};
    CFileDialog save(FALSE, "csv", "export", OFN_OVERWRITEPROMPT, "Comma Delimited (*.csv)|*.csv|All Files (*.*)|*.*||");
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(save.GetPathName(), "/tmp/export.csv");
    EXPECT_EQ(save.GetFileName(), "export.csv");
    EXPECT_EQ(save.GetFileExt(), "csv");
    EXPECT_EQ(save.GetFileTitle(), "export");
    EXPECT_EQ(save.GetPathNames()[1], "/tmp/other.txt");
    a.responder->files.clear();
    CFileDialog open(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, "Symbol Lists (*.sym)|*.sym||");
    EXPECT_EQ(open.DoModal(), IDCANCEL);

    a.responder->color = RGB(1, 2, 3);
    CColorDialog color(RGB(9, 9, 9));
    ASSERT_EQ(color.DoModal(), IDOK);
    EXPECT_EQ(color.GetColor(), RGB(1, 2, 3));
}

// A dialog accepted with no file named (Qt's file dialog gives an empty path when Save is
// pressed at the top of the folders) chooses nothing: no ".csv" in the working folder.
TEST(Services, AFileDialogPathThatNamesNoFileIsNoChoice)
{
    Answers a;
    const char* filter = "Comma Delimited (*.csv)|*.csv||";
    for (const char* path : {"", "/tmp/", "/tmp", "/tmp/.", "/tmp/.."}) {
        a.responder->files = {path};
        CFileDialog save(FALSE, "csv", nullptr, OFN_OVERWRITEPROMPT, filter);
        EXPECT_EQ(save.DoModal(), IDCANCEL) << "'" << path << "'";
        EXPECT_TRUE(save.GetPathName().IsEmpty()) << save.GetPathName().GetString();
    }
    a.responder->files = {"", "/tmp/orders"};
    CFileDialog save(FALSE, "csv", nullptr, OFN_OVERWRITEPROMPT, filter);
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(save.GetPathName(), "/tmp/orders.csv");
}

TEST(Services, ClipboardAndTrayIcon)
{
    ASSERT_TRUE(SetClipboardText("IBM\t123.45"));
    EXPECT_EQ(GetClipboardText(), "IBM\t123.45");

    CWnd w;
    ASSERT_TRUE(w.Create(nullptr, "", 0, CRect(0, 0, 10, 10), nullptr, 1));
    CTrayIcon tray;
    ASSERT_TRUE(tray.Create(&w, WM_APP + 4, "Quorvantelix"));
    EXPECT_TRUE(tray.IsCreated());
    EXPECT_EQ(tray.GetToolTip(), "Quorvantelix");
    EXPECT_TRUE(tray.ShowBalloon("Price Alert", "IBM above 150", NIIF_INFO, 5000));
    EXPECT_EQ(tray.GetLastBalloonText(), "IBM above 150");
    tray.Remove();
    EXPECT_FALSE(tray.IsCreated());
    EXPECT_FALSE(tray.ShowBalloon("x", "y"));
}
