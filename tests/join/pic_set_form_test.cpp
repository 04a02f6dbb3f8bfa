// The picture options dialog: loading, OK, Cancel, closing, the music preview.
#include "common/ini_file.h"
#include "join_test_fixture.h"
#include "join/pic_set_form.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

namespace {
class PicSetFormTest : public ::testing::Test {
protected:
    PicSetFormTest() {
        Messages::setBoxHandler([this](Messages::Kind, const QString& caption, const QString& text) {
            boxes << caption + ": " + text;
        });
        auto p = std::make_unique<RecordingMediaPlayer>();
        player = p.get();
        form = std::make_unique<TPicSetForm>(nullptr, options, dir.path("setup.ini"), transitions, std::move(p));
    }
    ~PicSetFormTest() override { Messages::setBoxHandler({}); }

    void choose(int entry) {
        form->CBTransition->setCurrentIndex(entry);
        emit form->CBTransition->activated(entry);
    }
    QString stored(const QString& key) const { return IniFile(dir.path("setup.ini")).readString("join", key, "-"); }

    TempFolder dir;
    PictureOptions options;
    RecordingVideoEdit transitions;
    RecordingMediaPlayer* player = nullptr;
    std::unique_ptr<TPicSetForm> form;
    QStringList boxes;
};
}  // namespace

TEST_F(PicSetFormTest, DefaultsShowAndOkStoresThem) {
    form->show();
    EXPECT_EQ(form->windowTitle(), "Picture Options");
    EXPECT_EQ(form->EdDuration->text(), "4");
    EXPECT_EQ(form->EdTransDuration->text(), "2");
    ASSERT_EQ(form->CBTransition->count(), 11);
    EXPECT_EQ(form->CBTransition->currentText(), "Random transition");
    EXPECT_EQ(form->CBTransition->itemText(1), "Transition 0");
    form->BitBtnOK->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(stored("joinpicduration"), "4");
    EXPECT_EQ(stored("jointransduration"), "2");
    EXPECT_EQ(stored("jointransition"), "-1");
    EXPECT_EQ(stored("randomtrans"), "1");
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(PicSetFormTest, AFractionIsUsedButStoredAndShownWhole) {
    form->show();
    form->EdDuration->setText("2.5");
    form->EdMusicFile->setText("/m/song.mp3");
    form->BitBtnOK->click();
    EXPECT_DOUBLE_EQ(options.PictureDuration, 2.5);
    EXPECT_EQ(options.MusicFile, "/m/song.mp3");
    EXPECT_EQ(stored("joinpicduration"), "2");
    form->show();
    EXPECT_EQ(form->EdDuration->text(), "2");
}

TEST_F(PicSetFormTest, AChosenTransitionCountsEvenAfterCancel) {
    form->show();
    choose(3);
    EXPECT_FALSE(options.RandomTransition);
    EXPECT_EQ(options.TransitionIndex, 2);
    form->BitBtnCancel->click();
    EXPECT_EQ(stored("jointransition"), "2");
    EXPECT_EQ(stored("randomtrans"), "0");
    form->show();
    EXPECT_EQ(form->CBTransition->currentIndex(), 3);
    choose(0);
    EXPECT_TRUE(options.RandomTransition);
}

TEST_F(PicSetFormTest, TheCloseBoxSavesToo) {
    options.PictureDuration = 7;
    form->show();
    form->close();
    EXPECT_EQ(stored("joinpicduration"), "7");
}

TEST_F(PicSetFormTest, AnIndexOutsideTheListShowsRandomAndOkStoresMinusOne) {
    options.RandomTransition = false;
    options.TransitionIndex = 40;
    form->show();
    EXPECT_EQ(form->CBTransition->currentIndex(), 0);
    EXPECT_FALSE(options.RandomTransition);  // showing is not choosing
    form->BitBtnOK->click();
    EXPECT_EQ(stored("jointransition"), "-1");
    EXPECT_EQ(stored("randomtrans"), "0");
}

TEST_F(PicSetFormTest, ANonNumberKeepsTheDialogOpenAndEarlierStepsDone) {
    form->show();
    form->EdMusicFile->setText("/m/a.wav");
    form->EdDuration->setText("6");
    form->EdTransDuration->setText("1,x");
    form->BitBtnOK->click();
    EXPECT_EQ(boxes, QStringList{"Quillmark: '1,x' is not a valid floating point value."});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(options.MusicFile, "/m/a.wav");
    EXPECT_DOUBLE_EQ(options.PictureDuration, 6);
    EXPECT_DOUBLE_EQ(options.TransitionDuration, 2);
    form->EdTransDuration->setText("inf");
    form->BitBtnOK->click();
    EXPECT_EQ(boxes.size(), 2);
}

TEST_F(PicSetFormTest, TheMusicPreviewPlaysPausesAndEndsWithTheDialog) {
    form->show();
    form->TBPlay->click();
    EXPECT_EQ(boxes, QStringList{"Information: Please open a file."});
    form->EdMusicFile->setText("/m/broken.mp3");
    form->TBPlay->click();
    EXPECT_EQ(boxes.size(), 2);  // the player's error; the buttons stay
    EXPECT_TRUE(form->TBPlay->isEnabled());
    EXPECT_FALSE(form->TBStop->isEnabled());

    player->lengths["/m/song.mp3"] = 60000;
    form->EdMusicFile->setText("/m/song.mp3");
    player->calls.clear();
    form->TBPlay->click();
    EXPECT_EQ(player->calls, (QStringList{"Open(/m/song.mp3)", "Play"}));
    EXPECT_TRUE(!form->TBPlay->isEnabled() && form->TBPause->isEnabled() && form->TBStop->isEnabled());
    form->TBPause->click();
    EXPECT_TRUE(form->TBPlay->isEnabled() && !form->TBPause->isEnabled() && form->TBStop->isEnabled());
    player->calls.clear();
    form->TBPlay->click();  // plays on from the pause
    EXPECT_EQ(player->calls, QStringList{"Play"});
    form->TBStop->click();
    EXPECT_TRUE(player->IsOpen());  // Stop does not close
    form->TBPlay->click();
    player->calls.clear();
    form->BitBtnCancel->click();
    EXPECT_EQ(player->calls, (QStringList{"Stop", "Close"}));
    form->show();
    EXPECT_TRUE(form->TBPlay->isEnabled() && !form->TBPause->isEnabled() && !form->TBStop->isEnabled());
}

TEST_F(PicSetFormTest, TheMusicDialogOffersMp3AndWav) {
    EXPECT_EQ(form->OpenDialog1.title, "Open a music file:");
    EXPECT_FALSE(form->OpenDialog1.multiSelect);
    ASSERT_EQ(form->OpenDialog1.filters.size(), 6);
    EXPECT_EQ(form->OpenDialog1.filters[1].description, "MP3 (*.mp3)");
    for (const char* music : {"a.MP3", "b.wav", "c.m4a", "d.aac", "e.flac", "f.ogg", "g.opus"})
        EXPECT_TRUE(MatchesFilter(form->OpenDialog1.filters[0], music)) << music;
    SetOpenDialogHandler([](const OpenDialogSetup&) { return QStringList{"/m/x.wav"}; });
    form->BitBtnOpen->click();
    SetOpenDialogHandler({});
    EXPECT_EQ(form->EdMusicFile->text(), "/m/x.wav");
    EXPECT_TRUE(options.MusicFile.isEmpty());  // only OK takes it
}

using JoinOptionsPage = JoinFixture;

TEST_F(JoinOptionsPage, TheDialogIsMadeOnceAndKeepsItsText) {
    QTimer::singleShot(0, [this] {
        ASSERT_TRUE(controller.PicSetForm());
        controller.PicSetForm()->EdMusicFile->setText("/m/kept.mp3");
        controller.PicSetForm()->BitBtnCancel->click();
    });
    page.ToolBtnPicSet->trigger();
    TPicSetForm* first = controller.PicSetForm();
    QTimer::singleShot(0, [this] { controller.PicSetForm()->close(); });
    page.ToolBtnPicSet->trigger();
    EXPECT_EQ(controller.PicSetForm(), first);
    EXPECT_EQ(first->EdMusicFile->text(), "/m/kept.mp3");
    EXPECT_TRUE(pictures.MusicFile.isEmpty());
    ASSERT_TRUE(musicPlayer);
}

TEST_F(PicSetFormTest, DurationsNoFrameCanShowAreRefusedNamingTheValue) {
    form->outputFrameRate = [] { return 25.0; };
    form->show();
    form->EdDuration->setText("1e-9");
    form->BitBtnOK->click();
    form->EdDuration->setText("0.03");
    form->BitBtnOK->click();
    EXPECT_EQ(boxes, (QStringList{"Quillmark: The picture duration 1e-09 seconds is shorter than one frame of the "
                                  "output, 0.04 seconds.",
                                  "Quillmark: The picture duration 0.03 seconds is shorter than one frame of the "
                                  "output, 0.04 seconds."}));
    EXPECT_TRUE(form->isVisible());
    EXPECT_DOUBLE_EQ(options.PictureDuration, 4);

    boxes.clear();
    form->EdDuration->setText("0.04");
    form->EdTransDuration->setText("0.01");
    form->BitBtnOK->click();
    EXPECT_EQ(boxes, QStringList{"Quillmark: The transition duration 0.01 seconds is shorter than one frame of the "
                                 "output, 0.04 seconds."});
    EXPECT_DOUBLE_EQ(options.PictureDuration, 0.04);
    EXPECT_DOUBLE_EQ(options.TransitionDuration, 2);
    form->EdTransDuration->setText("0");  // no transition at all
    form->BitBtnOK->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_DOUBLE_EQ(options.TransitionDuration, 0);
}
