#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/CsvExport.h"
#include "app/StringGrid.h"
#include "rtl/RichText.h"
#include "tests/app/AppTestSupport.h"

namespace veskin {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(CsvCell, QuotesAsTheFormatRequires) {
    EXPECT_EQ(CsvCell("Win32_Process"), "Win32_Process");
    EXPECT_EQ(CsvCell(""), "\"\"");
    EXPECT_EQ(CsvCell("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvCell("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvCell("x \"y\", z"), "\"x \"\"y\"\", z\"");
    EXPECT_EQ(CsvCell("12"), "12");
    // With a comma, CR LF pairs become character 11; lone CR or LF stay.
    EXPECT_EQ(CsvCell("a,b\r\nc\rd\ne"),
              "\"a,b\x0b"
              "c\rd\ne\"");
    // Without a comma, line breaks are written unchanged and the text is not quoted.
    EXPECT_EQ(CsvCell("line1\r\nline2"), "line1\r\nline2");
    // Mark-up is written as it is; rich text as its plain text.
    EXPECT_EQ(CsvCell("<B>x</B>"), "<B>x</B>");
    EXPECT_EQ(CsvCell("{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0 a, \\b b\\b0\\par}"), "\"a, b\x0b\"");
}

TEST(RichTextToPlain, KeepsOnlyTheVisibleText) {
    EXPECT_EQ(RichTextToPlain("{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}Hello\\tab W\\'f6rld}"),
              "Hello\tW\xC3\xB6rld");
    EXPECT_EQ(RichTextToPlain("{\\rtf1{\\*\\generator Riched20;}\\uc1\\u8364?\\{x\\}\\\\}"), "\xE2\x82\xAC{x}\\");
    EXPECT_EQ(RichTextToPlain("{\\rtf1 a\\line b"), "a\r\nb");  // unterminated: read as far as it goes
}

class CsvFileTest : public ::testing::Test {
protected:
    std::string Path(const char* name) { return (Dir.path() + "/" + name).toStdString(); }

    veskin::testing::AppGuard App;
    QTemporaryDir Dir;
    TStringGrid Grid;
};

TEST_F(CsvFileTest, WritesEveryRowWithCrLf) {
    Grid.SetColCount(2);
    Grid.SetRowCount(2);
    Grid.SetFixedRows(1);
    Grid.SetCell(0, 0, "Name");
    Grid.SetCell(1, 0, "Handle");
    Grid.SetCell(0, 1, "System");
    const std::string path = Path("out.csv");
    Grid.SaveToCSV(path);
    EXPECT_EQ(ReadBytes(path), "Name,Handle\r\nSystem,\"\"\r\n");

    // Saving again replaces the file; a table without results is one empty cell.
    Grid.ClearCells();
    Grid.SetRowCount(1);
    Grid.SetColCount(1);
    Grid.SaveToCSV(path);
    EXPECT_EQ(ReadBytes(path), "\"\"\r\n");
}

TEST_F(CsvFileTest, AnErrorRowKeepsEveryColumn) {
    Grid.SetColCount(3);
    Grid.SetRowCount(3);
    Grid.SetFixedRows(1);
    Grid.SetCell(0, 0, "A");
    Grid.SetCell(1, 0, "B");
    Grid.SetCell(2, 0, "C");
    Grid.SetCell(0, 1, "1");
    Grid.SetCell(1, 1, "two\r\nlines");
    Grid.SetCell(2, 1, "x,\r\ny");
    Grid.SetCell(0, 2, "Error: 0x80041017: Invalid query");
    Grid.SaveToCSV(Path("err.csv"));
    EXPECT_EQ(ReadBytes(Path("err.csv")),
              "A,B,C\r\n1,two\r\nlines,\"x,\x0by\"\r\nError: 0x80041017: Invalid query,\"\",\"\"\r\n");
}

TEST_F(CsvFileTest, ReportsFilesThatCannotBeWritten) {
    const std::string missing = Path("no/such/folder/out.csv");
    try {
        Grid.SaveToCSV(missing);
        FAIL() << "no error for a missing folder";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot Create file " + missing);
    }
    // A full device: the system's reason.
    Grid.SetRowCount(20000);
    try {
        Grid.SaveToCSV("/dev/full");
        FAIL() << "no error for a full device";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, ENOSPC);
        EXPECT_EQ(e.Message(), std::strerror(ENOSPC));
    }
    EXPECT_EQ(Grid.RowCount(), 20000);
}

}  // namespace
}  // namespace veskin
