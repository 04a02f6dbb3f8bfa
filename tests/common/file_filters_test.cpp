#include "common/file_filters.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(FileFilters, MatchExtensionsInAnyCase) {
    const FileFilter all{"All supported files (*.avi;*.mpg)", "*.avi;*.mpg"};
    EXPECT_TRUE(MatchesFilter(all, "CLIP.AVI"));
    EXPECT_TRUE(MatchesFilter(all, "holiday.Mpg"));
    EXPECT_FALSE(MatchesFilter(all, "song.mp3"));
    EXPECT_FALSE(MatchesFilter(all, "clip.avi.txt"));
}

TEST(FileFilters, QtFiltersKeepTheDescriptionAndOrder) {
    const QStringList qt = QtNameFilters({{"MPEG files (*.mpg;*.mpeg)", "*.mpg;*.mpeg"}, {"AVI files (*.avi)", "*.avi"}});
    ASSERT_EQ(qt.size(), 2);
    EXPECT_EQ(qt[0], "MPEG files (*.mpg;*.mpeg) (*.[mM][pP][gG] *.[mM][pP][eE][gG])");
    EXPECT_EQ(qt[1], "AVI files (*.avi) (*.[aA][vV][iI])");
    // The globs Qt reads from the last parentheses match either case.
    const QRegularExpression glob(QRegularExpression::wildcardToRegularExpression("*.[aA][vV][iI]"));
    EXPECT_TRUE(glob.match("CLIP.AVI").hasMatch());
    EXPECT_TRUE(glob.match("clip.avi").hasMatch());
}
