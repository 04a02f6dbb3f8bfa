// The join page's tracks: every video's sound and subtitles ticked, grouped by
// file; what the user unticks stays out of the join.
#include "join_test_fixture.h"

#include "common/track_list.h"
#include "join/tracks_form.h"
#include "support/wait_until.h"

#include <QAction>
#include <QPushButton>

namespace {

const SourceTrack kPicture{0, "video", "h264", "", "", 0, false};

std::vector<SourceTrack> Tracks(const QString& file) {
    if (!file.endsWith("film.mkv")) return {kPicture, {1, "audio", "aac", "", "", 2, false}};
    return {kPicture,
            {1, "audio", "aac", "eng", "Main", 2, false},
            {2, "audio", "ac3", "fra", "Commentaire", 6, false},
            {3, "subtitle", "subrip", "eng", "", 0, false}};
}

class JoinTracksPage : public JoinFixture {
protected:
    JoinTracksPage() {
        controller.mediaInfo.readTracks = Tracks;
        for (const QString& file : {"/v/phone1.mp4", "/v/phone2.mp4", "/v/film.mkv"}) player.lengths[file] = 2000;
        output.Select(8);
    }
    TrackList* list() const { return controller.TracksForm()->TrackList1; }
};

TEST_F(JoinTracksPage, EachVideosTracksAreTickedUnderItsNameAndAnUntickedOneStaysOut) {
    add({"/v/phone1.mp4", "/v/film.mkv", picture("A.jpg"), "/v/phone2.mp4", "/v/phone1.mp4"});
    page.ToolBtnTracks->trigger();
    ASSERT_NE(controller.TracksForm(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return list()->itemFor("/v/film.mkv", 3) && list()->itemFor("/v/phone2.mp4", 1); }));

    // Each video once, in list order; the picture has no tracks to choose.
    ASSERT_EQ(list()->topLevelItemCount(), 3);
    EXPECT_EQ(list()->topLevelItem(0)->text(0), "phone1.mp4");
    EXPECT_EQ(list()->topLevelItem(1)->text(0), "film.mkv");
    EXPECT_EQ(list()->topLevelItem(1)->childCount(), 3);
    QTreeWidgetItem* commentary = list()->itemFor("/v/film.mkv", 2);
    EXPECT_EQ(commentary->text(1), "ac3, 6 channels");
    EXPECT_EQ(commentary->text(3), "Commentaire");
    const std::vector<std::pair<QString, int>> all{
        {"/v/phone1.mp4", 1}, {"/v/film.mkv", 1}, {"/v/film.mkv", 2}, {"/v/film.mkv", 3}, {"/v/phone2.mp4", 1}};
    for (const auto& [file, stream] : all)
        EXPECT_EQ(list()->itemFor(file, stream)->checkState(0), Qt::Checked) << file.toStdString() << stream;

    commentary->setCheckState(0, Qt::Unchecked);
    controller.TracksForm()->close();
    page.EdSaveFileName->setText("holiday");
    page.BitBtnJoin->click();
    ASSERT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
    EXPECT_EQ(engine.properties().keptTracks, (KeptTracks{{"/v/film.mkv", {1, 3}}}));
    const qsizetype kept = engine.calls.indexOf("KeptTracks=/v/film.mkv, 2");
    ASSERT_GE(kept, 0);
    EXPECT_LT(kept, engine.calls.indexOf("StartRender(" + dir.path("out") + "/holiday.avi)"));
    engine.emitComplete();

    // Still unticked the next time, and ticked again it leaves the engine's choice.
    page.ToolBtnTracks->trigger();
    ASSERT_EQ(list()->itemFor("/v/film.mkv", 2)->checkState(0), Qt::Unchecked);
    list()->itemFor("/v/film.mkv", 2)->setCheckState(0, Qt::Checked);
    page.BitBtnJoin->click();
    EXPECT_TRUE(engine.properties().keptTracks.isEmpty());
}

}  // namespace
