#include "engine/quillmark_error.h"
#include "split/segment_list.h"
#include "split/split_list.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QStringList describe(const QList<SplitRow>& rows) {
    QStringList out;
    for (const SplitRow& r : rows)
        out << QString("%1-%2 %3 %4").arg(r.start, 0, 'f', 3).arg(r.stop, 0, 'f', 3).arg(r.fileName).arg(r.save ? "x" : "-");
    return out;
}

// The message of the error that parsing `text` raises; empty when it parses.
QString refusal(const QString& text, double duration = 60) {
    try {
        ParseSegmentsCsv(text, "/lists/cuts.csv", duration, "mpg");
    } catch (const QuillmarkError& e) {
        return e.message();
    }
    return QString();
}
}  // namespace

TEST(SegmentList, ExportedListImportsAsTheSameRows) {
    SplitList list;
    list.Reset(95.52, "/clips/Fête d'été.mov", "mpg");
    list.SetPoint(12.48);
    list.SetPoint(40.04);
    list.SelectionNames[2] = "Intro, \"take 2\".mpg";
    list.SelectionSaved[3] = false;

    const QString csv = SegmentsCsv(list.rows());
    EXPECT_TRUE(csv.startsWith("start,end,name,save\n0.000,12.480,"));
    const QList<SplitRow> back = ParseSegmentsCsv(csv, "cuts.csv", 95.52, "mpg");
    EXPECT_EQ(describe(back), describe(list.rows()));

    SplitList again;
    again.Assign(back, 95.52, "/clips/Fête d'été.mov", "mpg");
    EXPECT_EQ(describe(again.rows()), describe(list.rows()));
    EXPECT_EQ(again.SelectionTips[3], "No tip");
}

TEST(SegmentList, GapsBecomeUntickedRowsAndNamesTakeTheOutputExtension) {
    const QString csv = "Start, End, Name, Save\r\n"
                        "00:00:05.500,20,opening.avi,yes\r\n"
                        "\r\n"
                        "30,59.98,finale,1\r\n";
    const QList<SplitRow> rows = ParseSegmentsCsv(csv, "cuts.csv", 60, "mpg");
    EXPECT_EQ(describe(rows), (QStringList{"5.500-20.000 opening.mpg x", "30.000-59.980 finale.mpg x"}));

    SplitList list;
    list.Assign(rows, 60, "/clips/show.ts", "mpg");
    // The last cut ends within a hair of the source: the same end, no gap row.
    EXPECT_EQ(describe(list.rows()), (QStringList{"0.000-5.500 show-1.mpg -", "5.500-20.000 opening.mpg x",
                                                  "20.000-30.000 show-3.mpg -", "30.000-60.000 finale.mpg x"}));
}

TEST(SegmentList, MalformedLinesAreRefusedWithTheirLineNumber) {
    const QString head = "start,end,name,save\n";
    EXPECT_EQ(refusal("begin,end,name,save\n0,1,a,1\n"),
              "Line 1 of \"/lists/cuts.csv\" is not the header start,end,name,save");
    EXPECT_EQ(refusal(head + "0,10,a,1\n10,abc,b,1\n"), "Line 3 of \"/lists/cuts.csv\" has an end \"abc\" that is not a time");
    EXPECT_EQ(refusal(head + "0,10,a\n"), "Line 2 of \"/lists/cuts.csv\" has 3 fields, not the 4 of start,end,name,save");
    EXPECT_EQ(refusal(head + "5,5,a,1\n"), "Line 2 of \"/lists/cuts.csv\" ends at 5.000, not after its start at 5.000");
    EXPECT_EQ(refusal(head + "0,10,a,1\n\n9.5,20,b,1\n"),
              "Line 4 of \"/lists/cuts.csv\" starts at 9.500, before line 2 ends at 10.000");
    EXPECT_EQ(refusal(head + "0,61,a,1\n"), "Line 2 of \"/lists/cuts.csv\" ends at 61.000, after the end of the source at 60.000");
    EXPECT_EQ(refusal(head + "0,10,a,maybe\n"), "Line 2 of \"/lists/cuts.csv\" has a save field \"maybe\" that is not 1 or 0");
    EXPECT_EQ(refusal(head + "0,10,\"a,1\n"), "Line 2 of \"/lists/cuts.csv\" has a quote that is not closed");
    EXPECT_EQ(refusal(head + "0,10, ,1\n"), "Line 2 of \"/lists/cuts.csv\" has no file name");
    EXPECT_EQ(refusal(head + "0,10,1:75,1\n"), QString());  // a name may look like anything else
    EXPECT_EQ(refusal(head + "0:75,10,a,1\n"), "Line 2 of \"/lists/cuts.csv\" has a start \"0:75\" that is not a time");
    EXPECT_EQ(refusal(head + "-1,10,a,1\n"), "Line 2 of \"/lists/cuts.csv\" has a start \"-1\" that is not a time");
    EXPECT_EQ(refusal(head), "\"/lists/cuts.csv\" holds no segments");
}

TEST(SegmentList, NamesThatWouldLeaveTheOutputFolderOrCollideAreRefused) {
    const QString head = "start,end,name,save\n";
    EXPECT_EQ(refusal(head + "0,10,../../.bashrc,1\n"),
              "Line 2 of \"/lists/cuts.csv\" has a file name \"../../.bashrc\" with a folder in it");
    EXPECT_EQ(refusal(head + "0,10,.mpg,1\n"), "Line 2 of \"/lists/cuts.csv\" has a file name \".mpg\" that is only an extension");
    EXPECT_EQ(refusal(head + "0,10,part.avi,1\n10,20,part.wmv,0\n"),
              "Line 3 of \"/lists/cuts.csv\" writes \"part.mpg\" as line 2 does");
}

TEST(SegmentList, ChaptersListEveryRowAtItsShownStart) {
    const QList<SplitRow> rows = {{0, 89.5, "Opening.mpg", true}, {89.5, 3725.6, "Main film.mpg", false},
                                  {3725.6, 3800, "Credits", true}};
    EXPECT_EQ(ChapterText(rows), "00:00:00 Opening\n00:01:30 Main film\n01:02:06 Credits\n");
}

TEST(SegmentList, FilesAreWrittenWholeOrNotAtAll) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cuts ü.csv");
    WriteTextFile(path, "start,end,name,save\n0.000,1.000,Fête.mpg,1\n");
    EXPECT_EQ(ReadTextFile(path), "start,end,name,save\n0.000,1.000,Fête.mpg,1\n");
    EXPECT_THROW(WriteTextFile(dir.filePath("missing/cuts.csv"), "x"), QuillmarkError);
    EXPECT_THROW(ReadTextFile(dir.filePath("missing.csv")), QuillmarkError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"cuts ü.csv"});
}
