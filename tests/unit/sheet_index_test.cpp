#include <gtest/gtest.h>

#include <string>

#include "byte_writer.h"
#include "sheet_fixture.h"

namespace {

using imagery::sheetCount;
using imagery::sheetTable;

class SheetIndex : public SheetTest {
protected:
    int32_t read(const std::string& text) {
        EXPECT_TRUE(writers::makeDirectories(maps() + "1//"));
        EXPECT_TRUE(writers::writeFileText(maps() + "1//index.dat", text));
        InitialiseMaps(maps().c_str());
        return sheetCount;
    }
    static std::string name(int index) { return sheetTable[index].name.utf8_string(); }
};

TEST_F(SheetIndex, LineEndsBlanksAndEmptyFields) {
    const std::string lf = "alpha  ,0.1,500000,6250000,7,1000,800\nbeta,2.5,10.9,-20.9,0,3,4\n";
    ASSERT_EQ(read(lf), 2);
    const imagery::MapSheet alpha = sheetTable[0];
    const imagery::MapSheet beta = sheetTable[1];
    EXPECT_EQ(name(0), "alpha");
    EXPECT_EQ(alpha.scale, 0.1f);
    EXPECT_EQ(alpha.right, 500100);   // 1000 x the single-precision 0.1 is just above 100
    EXPECT_EQ(alpha.bottom, 6249919);  // and 800 x it just above 80, truncated
    EXPECT_EQ(alpha.reserved, 7);
    EXPECT_EQ(beta.left, 10);
    EXPECT_EQ(beta.top, -20);
    EXPECT_EQ(beta.right, 17);   // 3 x 2.5 + 10: from the truncated left
    EXPECT_EQ(beta.bottom, -30);  // -20 - 10, toward zero

    // CR LF, runs of separators, a blank line and trailing blanks read alike;
    // the blank line stays at the start of the next name.
    ASSERT_EQ(read("\r\n,alpha ,,0.1,500000,6250000,7,1000,800\r\n\nbeta,,2.5,10.9,,-20.9,0,3,4 px\r\n \r\n  "), 2);
    EXPECT_EQ(name(0), "alpha");
    EXPECT_EQ(name(1), "\nbeta");
    for (int i = 0; i < 2; ++i) {
        const imagery::MapSheet& s = sheetTable[i];
        const imagery::MapSheet& e = i == 0 ? alpha : beta;
        EXPECT_EQ(std::make_tuple(s.scale, s.left, s.right, s.bottom, s.top, s.width, s.height),
                  std::make_tuple(e.scale, e.left, e.right, e.bottom, e.top, e.width, e.height));
    }
    // The height runs to the line end: a record split over lines takes the
    // next line as its height, and the file may end without a line end.
    ASSERT_EQ(read("a,0.1,1,2,3,4,\n5\nb,0.1,1,2,3,4,6"), 2);
    EXPECT_EQ(sheetTable[0].height, 5);
    EXPECT_EQ(sheetTable[1].height, 6);
}

TEST_F(SheetIndex, EndsAtEmptyFilesShortRecordsAndAFullTable) {
    EXPECT_EQ(read(""), 0);
    EXPECT_EQ(read("\n\n  \n"), 0);
    EXPECT_EQ(read("a,0.1,1,2,3,4,5\nb,0.1,1,2"), 1);
    std::string many;
    for (int i = 0; i < 5001; ++i) many += "s" + std::to_string(i) + ",0.1,1,2,3,4,5\n";
    EXPECT_EQ(read(many), 5000);
    EXPECT_EQ(name(4999), "s4999");
    // A folder without an index, or none at all, empties the table.
    InitialiseMaps((maps() + "none/").c_str());
    EXPECT_EQ(sheetCount, 0);
    read("a,0.1,1,2,3,4,5\n");
    InitialiseMaps(nullptr);
    EXPECT_EQ(sheetCount, 0);
}

TEST_F(SheetIndex, RecordsThatCannotBeDrawnAreLeftOut) {
    // Out of range, not a number, an empty sheet, a right edge past 32 bits.
    const std::string bad[] = {"0.1,1e20,2,3,4,5", "0.1,nan,2,3,4,5", "0.1,1,inf,3,4,5", "0.1,1,2,3,0,5",
                               "0.1,1,2,3,4,-5", "1000,1,2,3,2000000000,5"};
    for (const std::string& fields : bad) {
        EXPECT_EQ(read("x," + fields + "\nok,0.1,1,2,3,4,5\n"), 1) << fields;
        EXPECT_EQ(name(0), "ok");
    }
    for (const char* scale : {"0", "-0.1", "1e-50", "nan", "1e40"}) {
        EXPECT_EQ(read(std::string("x,") + scale + ",1,2,3,4,5\n"), 0) << scale;
    }
    // The reserved field is never used, so its range does not matter.
    EXPECT_EQ(read("x,0.1,1,2,1e30,4,5\n"), 1);
}

}  // namespace
