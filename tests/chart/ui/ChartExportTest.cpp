// A real chart (the test broker's bars) exported and printed: the BMP and PNG files
// decode with ImageMagick to the pixels of the captured picture, whose top is the chart
// window's own picture and whose caption line lies below it; the PNG passes pngcheck;
// printing into a PDF gives one page that is not blank (poppler's pdfinfo and pdftoppm);
// failed and unsupported exports say so and leave no file.
#include "ChartBrokerFixture.h"

#include "studies/StudyFactory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Runs a command; its standard output, and its exit status in status.
std::string RunCommand(const std::string& command, int& status)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return out;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    status = ::pclose(pipe);
    return out;
}

// The 8-bit red, green, blue rows of a packed 24-bit bitmap, top row first.
std::string RowsOf(const std::vector<uint8_t>& dib, int& width, int& height)
{
    auto le32 = [&](size_t at) {
        return static_cast<int>(dib[at] | (dib[at + 1] << 8) | (dib[at + 2] << 16) | (dib[at + 3] << 24));
    };
    width = le32(4);
    height = le32(8);
    const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    std::string rgb;
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x) {
            const size_t at = 40 + static_cast<size_t>(y) * row + static_cast<size_t>(x) * 3;
            rgb.push_back(static_cast<char>(dib[at + 2]));
            rgb.push_back(static_cast<char>(dib[at + 1]));
            rgb.push_back(static_cast<char>(dib[at]));
        }
    return rgb;
}

class ChartExportTest : public ChartBrokerFixture {
protected:
    void SetUp() override
    {
        ChartBrokerFixture::SetUp();
        folder = fs::temp_directory_path() / ("qx_chart_export_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        fs::remove_all(folder);
        ChartBrokerFixture::TearDown();
    }
    fs::path folder;
};

} // namespace

TEST_F(ChartExportTest, BmpAndPngDecodeToTheCapturedPixelsAndThePdfHasOnePage)
{
    CGraphsDoc* doc = m_shell->OpenChart("IBM", "D");
    CChartController* chart = ChartTestShell::Controller(doc);
    CGraphsView* price = chart->GetPricePane();
    ASSERT_TRUE(PumpUntil([&] { return Loaded(price->GetPricePlot()); }, 60000));
    chart->OnCmdMsg(ID_STYLE_CANDLE, CN_COMMAND, nullptr);
    chart->AddStudy(CreateStudyById(kStudyVolume, CString()));
    ASSERT_TRUE(PumpUntil([&] { return Loaded(chart->GetPane(1)->GetPlot(0)); }, 60000));
    PumpFor(50);

    const std::vector<uint8_t> image = price->CaptureChartImage();
    ASSERT_GT(image.size(), 40u);
    int width = 0, height = 0;
    const std::string captured = RowsOf(image, width, height);
    // The top of the picture is the chart window's own; the caption line lies below it.
    CBitmap window;
    ASSERT_TRUE(price->GetParentFrame()->CaptureToBitmap(window));
    const QImage own = window.Image()->convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(own.width(), width);
    ASSERT_GT(height, own.height());
    int differing = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x) {
            const QRgb p = own.pixel(x, y);
            const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
            if (static_cast<uint8_t>(captured[at]) != qRed(p) || static_cast<uint8_t>(captured[at + 1]) != qGreen(p) ||
                static_cast<uint8_t>(captured[at + 2]) != qBlue(p))
                ++differing;
        }
    EXPECT_EQ(0, differing);

    const fs::path bmp = folder / "chart.bmp";
    const fs::path png = folder / "chart.png";
    ASSERT_TRUE(price->ExportChartImageTo(bmp.string().c_str(), image));
    ASSERT_TRUE(price->ExportChartImageTo(png.string().c_str(), image));
    EXPECT_TRUE(m_shell->Responder().boxes.empty());
    for (const fs::path& file : {bmp, png}) {
        int status = 0;
        const std::string size = RunCommand("identify -format '%w %h' '" + file.string() + "'", status);
        ASSERT_EQ(0, status) << file;
        EXPECT_EQ(std::to_string(width) + " " + std::to_string(height), size);
        const std::string decoded = RunCommand("convert '" + file.string() + "' -depth 8 rgb:-", status);
        ASSERT_EQ(0, status) << file;
        EXPECT_TRUE(decoded == captured) << file << " decodes to other pixels";
    }
    int status = 0;
    const std::string check = RunCommand("pngcheck '" + png.string() + "'", status);
    EXPECT_EQ(0, status) << check;
    EXPECT_NE(std::string::npos, check.find("OK")) << check;
    // The picture holds the chart: many colours, not one.
    const int colours = std::atoi(RunCommand("convert '" + bmp.string() + "' -format %k info:", status).c_str());
    EXPECT_GT(colours, 8);

    // Printing into a PDF: one page, and not blank.
    const fs::path pdf = folder / "chart.pdf";
    ASSERT_TRUE(price->PrintChart(pdf.string().c_str()));
    const std::string info = RunCommand("pdfinfo '" + pdf.string() + "'", status);
    ASSERT_EQ(0, status) << info;
    const size_t pages = info.find("Pages:");
    ASSERT_NE(std::string::npos, pages) << info;
    EXPECT_EQ(1, std::atoi(info.c_str() + pages + 6)) << info;
    const std::string gray = RunCommand("pdftoppm -r 40 -gray '" + pdf.string() + "' | convert - -format '%[fx:minima]' info:",
                                 status);
    ASSERT_EQ(0, status);
    EXPECT_LT(std::atof(gray.c_str()), 0.5) << "the page is blank";
}

TEST_F(ChartExportTest, FailedAndUnsupportedExportsSaySoAndLeaveNoFile)
{
    CGraphsDoc* doc = m_shell->OpenChart("IBM", "D");
    CGraphsView* price = ChartTestShell::Controller(doc)->GetPricePane();
    ASSERT_TRUE(PumpUntil([&] { return Loaded(price->GetPricePlot()); }, 60000));
    const std::vector<uint8_t> image = price->CaptureChartImage();
    ASSERT_FALSE(image.empty());
    auto& boxes = m_shell->Responder().boxes;

    const fs::path missing = folder / "no-such-folder" / "chart.png";
    EXPECT_FALSE(price->ExportChartImageTo(missing.string().c_str(), image));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(CString("Error saving to PNG file"), boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), boxes[0].type);
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_FALSE(fs::exists(missing.parent_path()));

    boxes.clear();
    const fs::path bmpMissing = folder / "no-such-folder" / "chart.bmp";
    EXPECT_FALSE(price->ExportChartImageTo(bmpMissing.string().c_str(), image));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(CString("Error saving to BMP file"), boxes[0].text);

    boxes.clear();
    const fs::path jpg = folder / "chart.jpg";
    EXPECT_FALSE(price->ExportChartImageTo(jpg.string().c_str(), image));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(CString("Exporting images as type 'jpg' is not supported"), boxes[0].text);
    EXPECT_FALSE(fs::exists(jpg));
    // Nothing is left in the folder, temporary files included.
    EXPECT_TRUE(fs::is_empty(folder));
}
