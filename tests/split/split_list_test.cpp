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

namespace {
SplitList threeRows() {
    SplitList list = holiday();
    list.SetPoint(100);
    list.SetPoint(200);
    return list;
}
}  // namespace

TEST(SplitListEdit, NeighboursMayBecomeEmptyButNeverOverlap) {
    SplitList list = threeRows();
    EXPECT_EQ(list.EditRow(2, 100, 200, "holiday-2", "", "mpg"), "");
    EXPECT_EQ(list.EditRow(3, 100, 300, "holiday-3", "", "mpg"), "");  // row 2 becomes 00:00:00 long
    EXPECT_EQ(list.RowTexts(2), (QStringList{"2", "00:01:40", "00:01:40", "00:00:00", "holiday-2.mpg"}));
    SplitList other = threeRows();
    EXPECT_EQ(other.EditRow(3, 99, 300, "x", "", "mpg"), "The Start Time is not appropriate!");
    EXPECT_EQ(other.EditRow(1, 0, 201, "x", "", "mpg"), "The Stop Time is not appropriate!");
    EXPECT_EQ(other.EditRow(2, 150, 150, "x", "", "mpg"), "The Start Time should be smaller than Stop Time!");
    EXPECT_EQ(other.EditRow(2, 120, 180, "", "", "mpg"), "File name can not be blank!");
    EXPECT_EQ(other.TimePoints, (QVector<double>{0, 100, 200, 300}));  // refusals change nothing
}

TEST(SplitListEdit, RenamesTakeTheOutputExtensionAndMoveNeighbouringEdges) {
    SplitList list = threeRows();
    EXPECT_EQ(list.EditRow(2, 90, 210, "clip.avi", "the middle", "mpg"), "");
    EXPECT_EQ(list.SelectionNames[2], "clip.mpg");
    EXPECT_EQ(list.SelectionTips[2], "the middle");
    EXPECT_EQ(describe(list), (QStringList{"0-90 holiday-1.mpg x", "90-210 clip.mpg x", "210-300 holiday-3.mpg x"}));
}

TEST(SplitListEdit, TheLastRowEndsOnTheWholeSecondShown) {
    SplitList list;
    list.Reset(299.6, "/clips/holiday.avi", "mpg");
    EXPECT_EQ(list.RowTexts(1)[2], "00:05:00");
    EXPECT_EQ(list.EditRow(1, 0, 300, "holiday-1", "", "mpg"), "");
    EXPECT_DOUBLE_EQ(list.TimePoints[1], 300);
}

TEST(SplitList, EditingARowKeepsTheFramesOfTimesLeftAsShown) {
    SplitList list = holiday();
    list.SetPoint(90.52);
    list.SetPoint(150.04);
    // Renamed only: the dialog shows 00:01:31 and 00:02:30 and gets them back.
    EXPECT_EQ(list.EditRow(2, 91, 150, "intro", "", "mpg"), "");
    EXPECT_DOUBLE_EQ(list.TimePoints[1], 90.52);
    EXPECT_DOUBLE_EQ(list.TimePoints[2], 150.04);
    // A time typed anew is taken as typed.
    EXPECT_EQ(list.EditRow(2, 95, 150, "intro", "", "mpg"), "");
    EXPECT_DOUBLE_EQ(list.TimePoints[1], 95);
    EXPECT_DOUBLE_EQ(list.TimePoints[2], 150.04);
}

TEST(SplitListFoundPoints, RowsMadeByFoundPointsAreNamedTickedAndTippedAsSetMakesThem) {
    SplitList list;
    list.Reset(60, "/v/holiday.avi", "mpg");
    list.SelectionNames[1] = "intro.mpg";  // renamed by the user before the search
    list.AddFoundPoints({40, 12.5, 30});
    EXPECT_EQ(list.TimePoints, (QVector<double>{0, 12.5, 30, 40, 60}));
    EXPECT_EQ(list.SelectionNames.mid(1), (QStringList{"intro.mpg", "holiday-2.mpg", "holiday-3.mpg", "holiday-4.mpg"}));
    EXPECT_EQ(list.SelectionTips.mid(2), (QStringList{"No tip", "No tip", "No tip"}));
    for (const SplitRow& row : list.rows()) EXPECT_TRUE(row.save);
}
