// CTabFile: the dialect (line ends, trimming, quoting, comments), header mapping, the cursor, and
// files that are empty, missing or malformed.
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_TempDir.h"

#include "KX_Kernal/fileandpath/KXKernal_TableFile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

class TableFileTest : public ::testing::Test {
protected:
    // Loads the bytes as t.csv and returns every row's cells.
    Rows Parse(const std::string& bytes) {
        WriteTestFile("t.csv", bytes);
        EXPECT_TRUE(m_table.Load("t.csv", ',', false));
        Rows rows;
        for (uint32_t r = 0; r < m_table.GetRowCount(); ++r) {
            rows.emplace_back();
            for (uint32_t c = 0; c < m_table.GetColumnCount(r); ++c) rows.back().push_back(m_table.GetString(r, c));
        }
        return rows;
    }

    ScopedTempDir m_dir{true};
    ScopedMessageBoxRecorder m_boxes;
    CTabFile m_table;
};

TEST_F(TableFileTest, LineEndsAndBlankLinesGiveTheSameRows) {
    const Rows expected = {{"a", "b"}, {"c", "d"}};
    EXPECT_EQ(Parse("a,b\r\nc,d\r\n"), expected);
    EXPECT_EQ(Parse("a,b\nc,d"), expected);
    EXPECT_EQ(Parse("a,b\rc,d\r"), expected);
    EXPECT_EQ(Parse("\r\n\na,b\n\r\n\r\r\nc,d\n\n\n"), expected);
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(TableFileTest, SpacesAroundCellsAreTrimmedButTabsAreNot) {
    EXPECT_EQ(Parse("a, b ,c\n"), (Rows{{"a", "b", "c"}}));
    EXPECT_EQ(Parse("\ta ,  x y  \n"), (Rows{{"\ta", "x y"}}));
}

TEST_F(TableFileTest, QuotedCells) {
    const Rows rows = Parse(
        "\"x,y\",\"say \"\"hi\"\"\",\" x \",\" \",\"\",\"\"\"x\"\"\",\"//not\"\"a\"\"comment\"\n"
        "\"two\r\nlines\",z\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"x,y", "say \"hi\"", "x", " ", "", "x", ""}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"two\r\nlines", "z"}));
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(TableFileTest, CommentsAndEmptyCells) {
    // A quoted comment is unquoted first and then read as a comment.
    const Rows rows = Parse("h1,h2\n//note,abc\n//note alone\n,,,\n\"//q\",x\n\"\",\n");
    EXPECT_EQ(rows, (Rows{{"h1", "h2"}, {"", "abc"}, {"", "x"}}));
    // A row of only a quoted space counts: the space is a value.
    EXPECT_EQ(Parse("\" \"\n"), (Rows{{" "}}));
}

TEST_F(TableFileTest, HeaderMapsNamesToColumnsAndMissingCellsAreEmpty) {
    Parse("Name,,Value,Name2,Name2\n1,2,3\n4\n");
    EXPECT_EQ(m_table.GetColumnCount(), 5u);
    EXPECT_STREQ(m_table.GetString(1, "Name"), "1");
    EXPECT_STREQ(m_table.GetString(1, "Value"), "3");
    EXPECT_STREQ(m_table.GetString(2, "Value"), "");
    EXPECT_STREQ(m_table.GetString(2, "Absent"), "");
    EXPECT_STREQ(m_table.GetString(3, "Name"), "");
    EXPECT_STREQ(m_table.GetString(m_table.GetRowCount(), 0u), "");
    // A repeated header name maps to its later column.
    Parse("Name2,Name2\na,b\n");
    EXPECT_STREQ(m_table.GetString(1, "Name2"), "b");
    // The first line with content is the header, even after blank and comment-only lines.
    Parse("\n//c\nKey,Msg\nk,m\n");
    EXPECT_STREQ(m_table.GetString(1, "Msg"), "m");
    EXPECT_EQ(m_table.GetColumnCount(7), 0u);
}

TEST_F(TableFileTest, CursorFollowsReadsAndReportsDamage) {
    Parse("a,b\nc,d\n");
    EXPECT_STREQ(m_table.GetString(1, 0u), "c");
    EXPECT_STREQ(m_table.ReadNextCell(), "d");
    EXPECT_EQ(m_boxes.Count(), 0u);
    EXPECT_STREQ(m_table.ReadNextCell(), "");
    const auto texts = m_boxes.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "t.csv已经损坏，请重启动客户端。如果一直出现，请重新安装客户端。");
    EXPECT_EQ(texts[1].find("KXKernal_Assert(m_uRow < pData->vecvecOffsetByIndex.size() && "), 0u);
    // A miss leaves the cursor where it was.
    EXPECT_STREQ(m_table.GetString(5, 0u), "");
    EXPECT_STREQ(m_table.GetString(0, 0u), "a");
    EXPECT_STREQ(m_table.ReadNextCell(), "b");
}

TEST_F(TableFileTest, EmptyAndMissingFiles) {
    Parse("x,y\n");
    // Missing: false, silently, and the previous table stays.
    EXPECT_FALSE(m_table.Load("missing.csv", ',', true));
    EXPECT_EQ(m_boxes.Count(), 0u);
    EXPECT_STREQ(m_table.GetString(0, 1u), "y");

    WriteTestFile("empty.csv", "");
    EXPECT_TRUE(m_table.Load("empty.csv", ',', true));
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Texts()[0], "CTabFile::Load empty.csv 文件失败");
    EXPECT_EQ(m_boxes.Shown()[0].strCaption, "KXKernal MessageBox");
    EXPECT_EQ(m_table.GetRowCount(), 0u);
    EXPECT_EQ(m_table.GetColumnCount(), 0u);
    EXPECT_STREQ(m_table.GetString(0, "x"), "");
}

TEST_F(TableFileTest, NamesMustEndInCsv) {
    WriteTestFile("t.txt", "a\n");
    EXPECT_TRUE(m_table.Load("t.txt", ',', false));
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Texts()[0].find("KXKernal_Assert(stricmp( \".csv\", szFileName + strlen(szFileName) - 4 ) == 0);\nFile: "), 0u);
    m_boxes.Clear();
    WriteTestFile("T.CSV", "a\n");
    EXPECT_TRUE(m_table.Load("T.CSV", ',', false));
    EXPECT_EQ(m_boxes.Count(), 0u);
    EXPECT_FALSE(m_table.Load("ab", ',', false));
    EXPECT_EQ(m_boxes.Count(), 2u);  // too short, and so not ending in ".csv"
}

TEST_F(TableFileTest, MalformedContentIsReportedAndSurvived) {
    // A NUL byte inside the file ends a cell like a separator, after the assertion.
    EXPECT_EQ(Parse(std::string("a\0b,c\n", 6)), (Rows{{"a", "b", "c"}}));
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Texts()[0].find("i == vecBuf.size() - 1"), std::string::npos);

    // An unterminated quote swallows the rest of the file into its cell, whose last byte is taken
    // for the closing quote.
    m_boxes.Clear();
    EXPECT_EQ(Parse("a,\"b\nc,d\n"), (Rows{{"a", "b\nc,d"}}));
    m_boxes.Clear();
    EXPECT_EQ(Parse("h\n\"abc"), (Rows{{"h"}, {"ab"}}));
    EXPECT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Texts().at(0).find("pszString[uLen-1] == '\"'"), std::string::npos);

    // A lone quote inside a quoted cell stays in the text. (The third quote opens a stretch that runs
    // to the end of the file, so the cell has to be the file's last bytes.)
    m_boxes.Clear();
    EXPECT_EQ(Parse("\"a\"b\""), (Rows{{"a\"b"}}));
    EXPECT_NE(m_boxes.Texts().at(0).find("pszString[i+1] == '\"'"), std::string::npos);

    // A quoted cell of length one.
    m_boxes.Clear();
    EXPECT_EQ(Parse("x,\""), (Rows{{"x", ""}}));
    EXPECT_GE(m_boxes.Count(), 1u);
}

TEST_F(TableFileTest, RandomBytesNeverBreakTheParser) {
    std::mt19937 rng(1234);
    const char alphabet[] = {',', '"', '\r', '\n', ' ', '/', '\0', 'a', 'b', '\xB0', '\t'};
    for (int round = 0; round < 300; ++round) {
        std::string bytes(rng() % 200, 'a');
        for (char& c : bytes) c = alphabet[rng() % sizeof(alphabet)];
        const Rows rows = Parse(bytes);
        for (const auto& row : rows) {
            bool nonEmpty = false;
            for (const auto& cell : row) nonEmpty |= !cell.empty();
            ASSERT_TRUE(nonEmpty) << "a row without content survived, round " << round;
        }
    }
    // Pathological quoting stays fast: a million quotes in one cell.
    const std::string quotes(1000000, '"');
    Parse(quotes);
}

}  // namespace
