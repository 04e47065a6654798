// The stored forms of the Level I window: layout files, the workspace record, the
// portfolios and custom columns kept by the settings. Expected bytes are written out by
// hand from the record layouts.
#include "ArchiveBytes.h"
#include "tests/support/ArchiveBytes.h"

#include "common/services/CAppSettings.h"
#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"
#include "views/CCustomColumn.h"
#include "views/CPortfolio.h"
#include "views/Level1Layout.h"
#include "views/Level1Workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace {

class ScratchFile {
public:
    explicit ScratchFile(const char* name)
        : m_path(std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + "-" + name))
    {
    }
    ~ScratchFile() { std::filesystem::remove(m_path); }
    CString Path() const { return CString(m_path.string()); }
    void Write(const std::string& bytes) const { std::ofstream(m_path, std::ios::binary) << bytes; }
    std::string Read() const
    {
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::filesystem::path m_path;
};

// A catalogue column with alerts and a rule, and a colour field of three boxes.
std::vector<CLayoutColumn> SampleColumns()
{
    CGridColumn last = MakeCatalogueColumn(3);
    last.alignment = kAlignRight;
    last.fixedDecimals = 1;
    last.decimals = 3;
    last.alerts[1] = {1, "UP", "up.wav"};
    last.rules = {{kRuleGreater, 100.0, RGB(0, 128, 0), RGB(255, 255, 255)}};
    CGridColumn trend = MakeColorFieldColumn("Trend", "Last", 3, {{kRuleLess, 0.5, RGB(255, 0, 0), 0}});
    return {{last, 60}, {trend, 90}};
}

std::string SampleBlock()
{
    CBytes b;
    b.Dword(2);
    b.Int(3).Int(60).Int(-1);                          // Last, 60 pixels, a number column
    b.Int(2).Int(1).Int(3);                            // right, fixed, 3 decimals
    b.Int(0).Str("").Str("").Int(1).Str("UP").Str("up.wav");
    b.Dword(1).Dword(kRuleGreater).Double(100.0).Dword(RGB(0, 128, 0)).Dword(RGB(255, 255, 255));
    b.Int(-1).Int(90).Int(3).Str("Trend").Str("Last"); // a colour field of three boxes
    b.Dword(1).Dword(kRuleLess).Double(0.5).Dword(RGB(255, 0, 0));
    return b.str();
}

} // namespace

TEST(LayoutFile, ColumnBlockHasTheStoredForm)
{
    EXPECT_EQ(StoreToString([](CArchive& ar) { WriteColumnBlock(ar, SampleColumns()); }), SampleBlock());
    std::vector<CLayoutColumn> read;
    LoadFromString(SampleBlock(), [&](CArchive& ar) { ReadColumnBlock(ar, 19, read); });
    auto expected = SampleColumns();
    expected[1].column.alignment = kAlignLeft; // a colour field stores no appearance
    EXPECT_EQ(read, expected);
}

TEST(LayoutFile, FilesRoundTripAndRefuseNewerVersions)
{
    ScratchFile file("round.lil");
    CString message;
    ASSERT_TRUE(WriteLayoutFile(file.Path(), SampleColumns(), message));
    EXPECT_EQ(file.Read(), CBytes().Dword(19).str() + SampleBlock());
    std::vector<CLayoutColumn> read;
    EXPECT_EQ(ReadLayoutFile(file.Path(), read, message), ELayoutRead::kLoaded);
    EXPECT_EQ(read.size(), 2u);

    file.Write(CBytes().Dword(20).str() + SampleBlock());
    EXPECT_EQ(ReadLayoutFile(file.Path(), read, message), ELayoutRead::kIncompatible);
    EXPECT_EQ(message, "Error reading layout " + file.Path() +
                           ": incompatible version (v20).\nPlease upgrade to the latest version of Quorvantelix.");
    EXPECT_TRUE(read.empty());

    EXPECT_EQ(ReadLayoutFile(file.Path() + ".missing", read, message), ELayoutRead::kCannotOpen);
    EXPECT_EQ(message, "Error reading layout " + file.Path() + ".missing");
    EXPECT_FALSE(WriteLayoutFile("/nonexistent-folder/x.lil", SampleColumns(), message));
    EXPECT_EQ(message, "Error saving layout to /nonexistent-folder/x.lil");
}

TEST(LayoutFile, OldVersionsCarryNoAlertsAndDamageKeepsTheColumnsBefore)
{
    // Version 3: alignment, fixed flag and decimals, no alert states.
    CBytes old;
    old.Dword(3).Dword(1).Int(10).Int(70).Int(-1).Int(2).Int(0).Int(2).Dword(0);
    ScratchFile file("old.lil");
    file.Write(old.str());
    std::vector<CLayoutColumn> read;
    CString message;
    ASSERT_EQ(ReadLayoutFile(file.Path(), read, message), ELayoutRead::kLoaded);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].column.fieldId, 10);
    EXPECT_EQ(read[0].width, 70);
    EXPECT_EQ(read[0].column.alignment, kAlignRight);
    EXPECT_EQ(read[0].column.alerts[1], CColumnAlertState{});

    // Cut inside the second column: the first stays.
    const std::string whole = CBytes().Dword(19).str() + SampleBlock();
    file.Write(whole.substr(0, whole.size() - 10));
    EXPECT_EQ(ReadLayoutFile(file.Path(), read, message), ELayoutRead::kDamaged);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].column.fieldId, 3);

    // A field id beyond the catalogue, a count beyond the data, an unknown comparison.
    const std::string bad[] = {
        CBytes().Dword(19).Dword(1).Int(115).Int(50).Int(-1).Int(0).Int(0).Int(2).str(),
        CBytes().Dword(19).Dword(0x7FFFFFFF).str(),
        CBytes().Dword(19).Dword(1).Int(3).Int(50).Int(-1).Int(0).Int(0).Int(2).Int(0).Str("").Str("").Int(0)
            .Str("").Str("").Dword(1).Dword(6).Double(1).Dword(0).Dword(0).str(),
    };
    for (const std::string& bytes : bad) {
        file.Write(bytes);
        EXPECT_EQ(ReadLayoutFile(file.Path(), read, message), ELayoutRead::kDamaged);
        EXPECT_TRUE(read.empty());
    }

    // A colour field stored with 0 boxes draws one; alignment and decimals are kept in range.
    file.Write(CBytes().Dword(19).Dword(2).Int(-1).Int(40).Int(0).Str("Z").Str("1").Dword(0)
                   .Int(4).Int(40).Int(-1).Int(7).Int(1).Int(99).Int(0).Str("").Str("").Int(0).Str("").Str("")
                   .Dword(0).str());
    ASSERT_EQ(ReadLayoutFile(file.Path(), read, message), ELayoutRead::kLoaded);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].column.barCount, 1);
    EXPECT_EQ(read[1].column.alignment, kAlignLeft);
    EXPECT_EQ(read[1].column.decimals, kMaxColumnDecimals);
}

TEST(WorkspaceRecord, RoundTripsAndReadsOlderVersions)
{
    CLevel1Record record;
    record.columns = SampleColumns();
    record.sortColumn = 1;
    record.ascending = 0;
    record.userTitle = "Tech";
    record.gridLines = 0;
    record.mode = kModePortfolio;
    record.parameter = "Growth";
    record.userRows = {"IBM", "MSFT"};
    CLinkState links;
    links.SetButtons(true, false);
    links.SetSymbolGroup(4);
    const std::string bytes = StoreToString([&](CArchive& ar) { ASSERT_TRUE(WriteLevel1Record(ar, record, links)); });
    // The portfolio by name after a marker where older records hold its menu command.
    const std::string tail = CBytes().Int(0).Int(1).Dword(0xFFFFFFFF).Str("Growth").Dword(0).Dword(2).Str("IBM")
                                 .Str("MSFT").str();
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);

    CLevel1Record read;
    CLinkState readLinks;
    readLinks.SetButtons(true, false);
    LoadFromString(bytes, [&](CArchive& ar) { ASSERT_TRUE(ReadLevel1Record(ar, 19, read, readLinks)); });
    EXPECT_EQ(read.columns.size(), 2u);
    EXPECT_EQ(read.sortColumn, 1);
    EXPECT_EQ(read.ascending, 0);
    EXPECT_EQ(read.userTitle, "Tech");
    EXPECT_EQ(read.gridLines, 0);
    EXPECT_EQ(read.mode, kModePortfolio);
    EXPECT_EQ(read.parameter, "Growth");
    EXPECT_EQ(read.legacyCommandId, 0u);
    EXPECT_EQ(read.userRows, record.userRows);
    EXPECT_EQ(readLinks.GetSymbolGroup(), 4);

    // Version 3: no link state, title or grid lines; a portfolio by its menu command.
    CBytes v3;
    v3.Dword(0).Int(-1).Int(1).Int(kModePortfolio).Dword(40002).Dword(0).Dword(1).Str("GE");
    CLevel1Record old;
    CLinkState oldLinks;
    LoadFromString(v3.str(), [&](CArchive& ar) { ASSERT_TRUE(ReadLevel1Record(ar, 3, old, oldLinks)); });
    EXPECT_EQ(old.legacyCommandId, 40002u);
    EXPECT_EQ(old.gridLines, 1);
    EXPECT_EQ(old.userRows, std::vector<CString>{"GE"});

    // Version 9: link state and title, no grid lines; an option chain and a screener.
    CBytes v9;
    v9.Dword(0).Int(-1).Int(1).Dword(2).Str("").Int(kModeOptionChain).Str("OptionChain,IBM,C,N,A,0").Dword(1)
        .Str("IBM GE").Str("Last>1").Dword(0);
    CLevel1Record chain;
    CLinkState chainLinks;
    chainLinks.SetButtons(true, false);
    LoadFromString(v9.str(), [&](CArchive& ar) { ASSERT_TRUE(ReadLevel1Record(ar, 9, chain, chainLinks)); });
    EXPECT_EQ(chain.parameter, "OptionChain,IBM,C,N,A,0");
    EXPECT_TRUE(chain.screener);
    EXPECT_EQ(chain.screenerFormula, "Last>1");
    EXPECT_EQ(chainLinks.GetSymbolGroup(), 2);

    // A row count beyond the data throws.
    CBytes bad;
    bad.Dword(0).Int(-1).Int(1).Int(0).Dword(0).Dword(1000000);
    EXPECT_THROW(LoadFromString(bad.str(), [&](CArchive& ar) { ReadLevel1Record(ar, 3, old, oldLinks); }), CException);
}

TEST(Portfolios, RoundTripThroughTheSettingsAndRefuseDamage)
{
    CAppSettings settings;
    CPortfolioPosition p;
    p.symbol = "IBM";
    p.shares = 100;
    p.basePrice = 50.25;
    p.fee = 9.99;
    p.side = kSideShort;
    p.date = "03-04-2025";
    p.comments = "hedge";
    p.multiplier = 1;
    const CPortfolioList portfolios = {{"Growth", {p}}, {"Empty", {}}};
    StorePortfolios(settings, portfolios);
    const std::string body(settings.m_portfolios.body.begin(), settings.m_portfolios.body.end());
    EXPECT_EQ(body, CBytes().Dword(2).Str("Growth").Dword(1).Str("IBM").Int(100).Double(50.25).Double(9.99).Int(1)
                        .Str("03-04-2025").Str("hedge").Int(1).Str("Empty").Dword(0).str());
    CPortfolioList read;
    ASSERT_TRUE(LoadPortfolios(settings, read));
    EXPECT_EQ(read, portfolios);

    const std::string damaged = CBytes().Dword(3).Str("A").Dword(50).str();
    settings.m_portfolios.body.assign(damaged.begin(), damaged.end());
    CString error;
    EXPECT_FALSE(LoadPortfolios(settings, read, &error));
    EXPECT_TRUE(read.empty());
    EXPECT_NE(error.Find("portfolios.dat"), -1);
}

TEST(CustomColumns, ListsRoundTripAndOlderFilesEndEarly)
{
    CAppSettings settings;
    CCustomColumnLists lists;
    CCustomColumn field;
    field.m_name = "Big";
    field.m_text = "Last>100";
    CCustomColumn colors;
    colors.m_name = "Trend";
    colors.m_text = "Last";
    colors.m_value = 5;
    colors.m_rules = {{kRuleGreater, 1.5, RGB(0, 255, 0), 0}};
    lists[kCustomFields] = {field};
    lists[kColorFields] = {colors};
    StoreCustomColumns(settings, lists);
    const std::string body(settings.m_columns.body.begin(), settings.m_columns.body.end());
    EXPECT_EQ(body, CBytes().Dword(1).Str("Big").Str("Last>100").Dword(0).Dword(0).Dword(1).Str("Trend").Str("Last")
                        .Dword(5).Dword(1).Dword(kRuleGreater).Double(1.5).Dword(RGB(0, 255, 0)).Dword(0).str());
    CCustomColumnLists read;
    ASSERT_TRUE(LoadCustomColumns(settings, read));
    EXPECT_EQ(read[kCustomFields], lists[kCustomFields]);
    EXPECT_EQ(read[kColorFields], lists[kColorFields]);
    EXPECT_TRUE(read[kCustomStudies].empty());

    // An older file without the custom studies reads; a damaged one is refused.
    const std::string older = body.substr(0, body.size() - 4);
    settings.m_columns.body.assign(older.begin(), older.end());
    ASSERT_TRUE(LoadCustomColumns(settings, read));
    EXPECT_EQ(read[kColorFields].size(), 1u);
    const std::string damaged = CBytes().Dword(1).Str("X").Str("Y").Dword(0).Dword(99).str();
    settings.m_columns.body.assign(damaged.begin(), damaged.end());
    CString error;
    EXPECT_FALSE(LoadCustomColumns(settings, read, &error));
    EXPECT_NE(error.Find("columns.dat"), -1);
}
