#include "split/split_list.h"

#include <gtest/gtest.h>

namespace {
// "start-stop name tick" per row, for compact comparisons.
QStringList describe(const SplitList& list) {
    QStringList out;
    for (const SplitRow& r : list.rows()) {
        out << QString("%1-%2 %3 %4").arg(r.start).arg(r.stop).arg(r.fileName).arg(r.save ? "x" : "-");
    }
    return out;
}

SplitList holiday() {
    SplitList list;
    list.Reset(300, "/clips/holiday.avi", "MPG");
    return list;
}
}  // namespace

TEST(SplitList, StartsAsOneTickedRowOverTheWholeSource) {
    const SplitList list = holiday();
    EXPECT_EQ(list.PartCount(), 1);
    EXPECT_EQ(describe(list), QStringList{"0-300 holiday-1.mpg x"});
    EXPECT_EQ(list.SelectionTips[1], "No tip");
}

TEST(SplitList, SetSplitsTheRowItFallsInAndNamesStayByPosition) {
    SplitList list = holiday();
    list.SetPoint(90);
    EXPECT_EQ(describe(list), (QStringList{"0-90 holiday-1.mpg x", "90-300 holiday-2.mpg x"}));
    list.SelectionNames[2] = "intro.mpg";
    list.SetPoint(40);
    EXPECT_EQ(describe(list),
              (QStringList{"0-40 holiday-1.mpg x", "40-90 intro.mpg x", "90-300 holiday-3.mpg x"}));
}

TEST(SplitList, SetOnAnExistingPointOrZeroOnlyRestoresTheLastRow) {
    SplitList list = holiday();
    list.SetPoint(90);
    list.SelectionNames[2] = "intro.mpg";
    list.SelectionTips[2] = "the end";
    list.SelectionSaved[2] = false;
    list.SetPoint(0);
    EXPECT_EQ(describe(list), (QStringList{"0-90 holiday-1.mpg x", "90-300 holiday-2.mpg x"}));
    EXPECT_EQ(list.SelectionTips[2], "No tip");
    list.SetPoint(90);
    EXPECT_EQ(list.PartCount(), 2);
}

TEST(SplitList, APointBeyondTheEndMakesAShortLastRow) {
    SplitList list;
    list.Reset(299.6, "/clips/holiday.avi", "mpg");
    list.SetPoint(300);
    EXPECT_EQ(describe(list), (QStringList{"0-299.6 holiday-1.mpg x", "299.6-300 holiday-2.mpg x"}));
}

TEST(SplitList, RemovingMergesRowsAndMovesOnlyTheTicks) {
    SplitList first = holiday();
    first.SetPoint(100);
    first.SetPoint(200);
    first.SelectionSaved[1] = false;
    first.SelectionSaved[2] = true;
    first.SelectionSaved[3] = false;
    first.Remove(1);
    EXPECT_EQ(describe(first), (QStringList{"0-200 holiday-1.mpg x", "200-300 holiday-2.mpg -"}));

    SplitList last = holiday();
    last.SetPoint(100);
    last.SetPoint(200);
    last.Remove(3);
    EXPECT_EQ(describe(last), (QStringList{"0-100 holiday-1.mpg x", "100-300 holiday-2.mpg x"}));
}

TEST(SplitList, RemoveDoesNothingWithOneRowOrNoSuchRow) {
    SplitList list = holiday();
    list.Remove(1);
    EXPECT_EQ(list.PartCount(), 1);
    list.SetPoint(60);
    list.Remove(0);
    list.Remove(3);
    EXPECT_EQ(list.PartCount(), 2);
}
