#include "join/join_list.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {
QStringList paths(const JoinItems& list) {
    QStringList out;
    for (const JoinItem& i : list.all()) out << i.path + "@" + QString::number(i.duration);
    return out;
}
}  // namespace

TEST(JoinList, PicturesAreTheFourExtensionsInAnyCase) {
    EXPECT_TRUE(IsPictureFile("/p/PIC.Jpeg"));
    EXPECT_TRUE(IsPictureFile("/p/a.bmp"));
    EXPECT_TRUE(IsPictureFile("/p/a.JPG"));
    EXPECT_TRUE(IsPictureFile("/p/a.png"));
    EXPECT_TRUE(IsPictureFile("/p/A.PNG"));
    EXPECT_FALSE(IsPictureFile("/p/a.png.avi"));
    EXPECT_FALSE(IsPictureFile("/p/a.gif"));
    EXPECT_FALSE(IsPictureFile("/p/a.jpg.avi"));
    EXPECT_FALSE(IsPictureFile("/p/jpg"));
    EXPECT_FALSE(IsPictureFile("/p.jpg/movie"));
}

TEST(JoinList, RowTextsShowNameFormatAndSize) {
    TempFolder dir;
    const QString mb = dir.write("exact.avi", QByteArray(1048576, 'x'));
    const QString big = dir.write("movie.mpeg", QByteArray(12951552, 'x'));
    EXPECT_EQ(JoinSizeText(mb), "1.00  MB");
    EXPECT_EQ(JoinSizeText(big), "12.35  MB");
    EXPECT_EQ(JoinSizeText(dir.path("gone.avi")), "0.00  MB");
    EXPECT_EQ(JoinFormatText(big), "MPE");
    EXPECT_EQ(JoinFormatText("/p/photo.jpeg"), "JPE");
    EXPECT_EQ(JoinFormatText("/p/clip.avi"), "AVI");
    EXPECT_EQ(JoinFormatText("/p/noext"), "");
    EXPECT_EQ(JoinFileNameText(big), "movie.mpeg");
}

TEST(JoinList, DurationsTravelWithTheirPaths) {
    JoinItems list;
    list.Add({"a", "b", "c"});
    ASSERT_TRUE(list.SetDuration(3, 7.5));
    EXPECT_TRUE(list.MoveUp(3));
    EXPECT_EQ(paths(list), (QStringList{"a@0", "c@7.5", "b@0"}));
    EXPECT_TRUE(list.MoveDown(1));
    EXPECT_EQ(paths(list), (QStringList{"c@7.5", "a@0", "b@0"}));
    EXPECT_TRUE(list.Remove(2));
    EXPECT_EQ(paths(list), (QStringList{"c@7.5", "b@0"}));
}

TEST(JoinList, EdgesAndOutsideNumbersChangeNothing) {
    JoinItems list;
    list.Add({"a", "a"});  // duplicates are two entries
    EXPECT_EQ(list.count(), 2);
    EXPECT_FALSE(list.MoveUp(1));
    EXPECT_FALSE(list.MoveDown(2));
    EXPECT_FALSE(list.Remove(0));
    EXPECT_FALSE(list.Remove(3));
    EXPECT_FALSE(list.SetDuration(0, 1));
    EXPECT_FALSE(list.SetDuration(3, 1));
    EXPECT_EQ(paths(list), (QStringList{"a@0", "a@0"}));
}

TEST(JoinList, InsertAndMoveCarryDurationsAndKeepOrder) {
    JoinItems list;
    list.Add({"a", "b", "c"});
    list.SetDuration(1, 1.5);
    list.Insert(2, {"x", "y"});
    EXPECT_EQ(paths(list), (QStringList{"a@1.5", "x@0", "y@0", "b@0", "c@0"}));
    list.Insert(99, {"end"});
    list.Insert(-3, {"start"});
    EXPECT_EQ(paths(list).first(), "start@0");
    EXPECT_EQ(paths(list).last(), "end@0");

    JoinItems moving;
    moving.Add({"a", "b", "c", "d"});
    moving.SetDuration(1, 2);
    // Down: "a" before "d" lands third, after b and c.
    EXPECT_EQ(moving.Move(1, 4), 3);
    EXPECT_EQ(paths(moving), (QStringList{"b@0", "c@0", "a@2", "d@0"}));
    // Up, and to the very end.
    EXPECT_EQ(moving.Move(4, 1), 1);
    EXPECT_EQ(moving.Move(1, 5), 4);
    EXPECT_EQ(paths(moving), (QStringList{"b@0", "c@0", "a@2", "d@0"}));
    // Onto its own place, either edge of it, or outside the list: nothing moves.
    EXPECT_EQ(moving.Move(2, 2), 0);
    EXPECT_EQ(moving.Move(2, 3), 0);
    EXPECT_EQ(moving.Move(5, 1), 0);
    EXPECT_EQ(moving.Move(1, 6), 0);
    EXPECT_EQ(paths(moving), (QStringList{"b@0", "c@0", "a@2", "d@0"}));
}
