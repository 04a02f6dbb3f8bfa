#include "app/tips.h"
#include "engine/quillmark_error.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {
QString show(const std::optional<QString>& tip) { return tip ? *tip : QString("<none>"); }
}  // namespace

TEST(Tips, StartsAtTheTipAfterTheStoredNumberAndWraps) {
    TempFolder dir;
    const QString path = dir.write("tips.txt", "A\n\nB\nC\n");
    Tips tips;
    EXPECT_EQ(show(tips.Load(path, 1)), "B");
    EXPECT_EQ(tips.Count(), 3);
    EXPECT_EQ(show(tips.Next()), "C");
    EXPECT_EQ(show(tips.Next()), "A");
    EXPECT_EQ(show(tips.Next()), "B");
}

TEST(Tips, StoredNumbersBeyondTheCountWrapByModulo) {
    TempFolder dir;
    const QString path = dir.write("tips.txt", "one\ntwo\nthree\n");
    Tips a;
    EXPECT_EQ(show(a.Load(path, 3)), "one");
    Tips b;
    EXPECT_EQ(show(b.Load(path, 7)), "two");
    EXPECT_EQ(b.Number(), 2);
}

TEST(Tips, BlankLinesAreTipsButEmptyOnesAreNot) {
    TempFolder dir;
    const QString path = dir.write("tips.txt", "first\r\n\r\n   \r\nlast");
    Tips tips;
    EXPECT_EQ(show(tips.Load(path, 0)), "first");
    EXPECT_EQ(tips.Count(), 3);
    EXPECT_EQ(show(tips.Next()), "   ");
    EXPECT_EQ(show(tips.Next()), "last");
}

TEST(Tips, AFileWithoutTipsShowsNothingAndNextDoesNotFail) {
    TempFolder dir;
    const QString path = dir.write("tips.txt", "\n\n");
    Tips tips;
    EXPECT_EQ(show(tips.Load(path, 1)), "<none>");
    EXPECT_EQ(show(tips.Next()), "<none>");
}

TEST(Tips, AMissingFileRaisesFileNotFoundAtLoadAndAtEveryNext) {
    TempFolder dir;
    Tips tips;
    try {
        tips.Load(dir.path("tips.txt"), 1);
        FAIL();
    } catch (const QuillmarkError& e) {
        EXPECT_EQ(e.message(), "File not found");
    }
    for (int i = 0; i < 2; ++i) {
        try {
            tips.Next();
            FAIL();
        } catch (const QuillmarkError& e) {
            EXPECT_EQ(e.message(), "File not found");
        }
    }
}
