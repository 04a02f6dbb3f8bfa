#include "common/ini_file.h"
#include "common/messages.h"
#include "fakes/recording_video_edit.h"
#include "common/radio_group.h"
#include "formats/setting_form.h"
#include "common/up_down.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QFile>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The dialog over a scratch settings file, loaded the way the program loads it at
// start, with an engine whose lists the test chooses and the boxes recorded.
class SettingFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        Messages::setBoxHandler([this](Messages::Kind, const QString& caption, const QString& text) {
            boxes << caption + ": " + text;
        });
        engine.audioCompressors = {"pcm", "adpcm", "alaw", "mp2", "mp3", "ac3"};
        engine.videoCompressors = {"raw", "huffyuv", "ffv1", "mjpeg", "msmpeg4", "mpeg4", "h264"};
        engine.wmvProfiles = {"general", "low", "high"};
    }
    void TearDown() override {
        form.reset();
        Messages::setBoxHandler({});
    }
    TSettingForm& open() {
        settings = LoadFormatSettings(IniFile(file()));
        form = std::make_unique<TSettingForm>(nullptr, settings, file(), engine);
        form->show();
        return *form;
    }
    QString file() const { return dir.path("setup.ini"); }

    TempFolder dir;
    RecordingVideoEdit engine;
    FormatSettings settings;
    std::unique_ptr<TSettingForm> form;
    QStringList boxes;
};

void typeInto(QLineEdit* field, const QString& text) {
    field->setText(text);
    emit field->editingFinished();
}

// Every format key in the order the dialog writes them, as a fresh file holds them.
const QByteArray defaultsFile =
    "[general]\nresizemode=2\nvideoonly=0\nsmartrender=1\n\n"
    "[vcd]\nvcdmode=0\nvcdwidth=352\nvcdheight=288\nvcdFrameRate=23.976\n\n"
    "[svcd]\nsvcdmode=0\nsvcdwidth=480\nsvcdheight=576\nsvcdFrameRate=23.976\n\n"
    "[dvd]\ndvdmode=0\ndvdwidth=720\ndvdheight=576\ndvdFrameRate=29.97\n\n"
    "[mpeg]\ndvdwidth=480\ndvdheight=576\ndvdFrameRate=23.976\ndvdbitrate=128\ndvdSampleRate=44100\n\n"
    "[avi]\naviwidth=352\naviheight=240\naviFrameRate=23.976\naviaudcompr=4\navividcompr=5\nfaviorigsize=0\n\n"
    "[wmv]\nwmvprofile=0\n\n"
    "[mp4]\nwidth=1280\nheight=720\noriginalsize=1\nframerate=0\nquality=23\npreset=2\naudiobitrate=160\n\n"
    "[source]\nquality=0\n";

}  // namespace

TEST_F(SettingFormTest, OkOnAFreshStartWritesEveryFormatKeyWithItsDefault) {
    TSettingForm& f = open();
    f.BtnOK->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(dir.read("setup.ini"), defaultsFile);
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(SettingFormTest, OkUntouchedKeepsEveryValueButReplacesThoseOutsideTheLists) {
    QByteArray stored =
        "[general]\nvideoonly=1\nresizemode=2\n"
        "[vcd]\nvcdmode=1\nvcdwidth=360\nvcdheight=250\nvcdFrameRate=25\n"
        "[svcd]\nsvcdmode=1\nsvcdwidth=480\nsvcdheight=480\nsvcdFrameRate=12.5\n"
        "[dvd]\ndvdmode=1\ndvdwidth=704\ndvdheight=480\ndvdFrameRate=59.94\n"
        "[mpeg]\ndvdwidth=640\ndvdheight=360\ndvdFrameRate=12.5\ndvdbitrate=100\ndvdSampleRate=22050\n"
        "[avi]\naviwidth=320\naviheight=200\naviFrameRate=12.5\naviaudcompr=1\navividcompr=6\nfaviorigsize=1\n"
        "[wmv]\nwmvprofile=2\n"
        "[mp4]\nwidth=640\nheight=360\noriginalsize=0\nframerate=30\nquality=21\npreset=1\naudiobitrate=224\n"
        "[source]\nquality=7\n";
    dir.write("setup.ini", stored);
    TSettingForm& f = open();
    EXPECT_EQ(f.EdVCDHeight->text(), "250");  // the stored height wins over the NTSC preset
    EXPECT_EQ(f.cbMPEGBitrate->currentText(), "128");
    EXPECT_EQ(f.cbMPEGSamplerate->currentText(), "44100");
    EXPECT_EQ(f.cbMPEGFrameRate->currentText(), "23.976");
    EXPECT_EQ(f.cbAVIFrameRate->currentText(), "23.976");
    EXPECT_EQ(f.cbAVIVidCompr->currentText(), "h264");
    EXPECT_EQ(f.cbWMVProfile->currentText(), "high");
    f.BtnOK->click();

    // Only the four values outside the lists change; the disc frame rates travel unchanged.
    stored.replace("dvdFrameRate=12.5\ndvdbitrate=100\ndvdSampleRate=22050",
                   "dvdFrameRate=23.976\ndvdbitrate=128\ndvdSampleRate=44100");
    stored.replace("aviFrameRate=12.5", "aviFrameRate=23.976");
    stored.replace("resizemode=2\n", "resizemode=2\nsmartrender=1\n");  // a file from before the box
    EXPECT_EQ(dir.read("setup.ini"), stored);
    EXPECT_EQ(settings.MpegAudioBitrate, 128);
    EXPECT_EQ(settings.SvcdFrameRate, 12.5);
}

TEST_F(SettingFormTest, NtscFrameRatesSurviveTheRoundTrip) {
    for (const auto& [mpeg, avi] : {std::pair{"29.97", "59.94"}, std::pair{"59.94", "29.97"}}) {
        dir.write("setup.ini", QByteArray("[mpeg]\ndvdFrameRate=") + mpeg + "\n[avi]\naviFrameRate=" + avi + "\n");
        TSettingForm& f = open();
        EXPECT_EQ(f.cbMPEGFrameRate->currentText(), mpeg);
        EXPECT_EQ(f.cbAVIFrameRate->currentText(), avi);
        f.BtnOK->click();
        const IniFile saved(file());
        EXPECT_EQ(saved.readString("mpeg", "dvdFrameRate", ""), mpeg);
        EXPECT_EQ(saved.readString("avi", "aviFrameRate", ""), avi);
    }
}

TEST_F(SettingFormTest, ModesSetOnlyTheHeightOfTheirPage) {
    TSettingForm& f = open();
    f.ToolBtnVCD->click();
    f.RGVCDMode->button(1)->click();
    EXPECT_EQ(f.EdVCDWidth->text(), "352");
    EXPECT_EQ(f.EdVCDHeight->text(), "240");
    EXPECT_EQ(f.cbVCDFrameRate->currentText(), "23.976");
    f.RGVCDMode->button(0)->click();
    EXPECT_EQ(f.EdVCDHeight->text(), "288");

    f.ToolBtnDVD->click();
    f.RGDVDMode->button(1)->click();
    EXPECT_EQ(f.EdDVDWidth->text() + "x" + f.EdDVDHeight->text(), "720x480");
    f.ToolBtnSVCD->click();
    f.RGSVCDMode->button(1)->click();
    EXPECT_EQ(f.EdSVCDWidth->text() + "x" + f.EdSVCDHeight->text(), "480x480");
    EXPECT_EQ(f.EdVCDHeight->text(), "288");  // other pages untouched
    f.BtnOK->click();
    EXPECT_EQ(settings.DvdMode, 1);
    EXPECT_EQ(settings.DvdHeight, 480);
    EXPECT_EQ(settings.DvdFrameRate, 29.97);
    f.RGDVDMode->button(0)->click();
    EXPECT_EQ(f.EdDVDWidth->text() + "x" + f.EdDVDHeight->text(), "720x576");
}

TEST_F(SettingFormTest, VideoOnlyActsAtOnceButReachesTheFileOnlyWithOk) {
    const QByteArray stored = "[general]\nvideoonly=0\n[mpeg]\ndvdbitrate=192\n";
    dir.write("setup.ini", stored);
    TSettingForm& f = open();
    f.CheckVideoOnly->click();
    EXPECT_TRUE(settings.VideoOnly);
    f.cbMPEGBitrate->setCurrentIndex(0);
    f.BtnCancel->click();
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_TRUE(settings.VideoOnly);              // every later render is silent
    EXPECT_EQ(settings.MpegAudioBitrate, 192);    // the rest waits for OK
    EXPECT_EQ(dir.read("setup.ini"), stored);

    // Escape cancels the same way.
    TSettingForm& again = open();
    EXPECT_FALSE(settings.VideoOnly);
    again.CheckVideoOnly->click();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&again, &escape);
    EXPECT_FALSE(again.isVisible());
    EXPECT_TRUE(settings.VideoOnly);
    EXPECT_EQ(dir.read("setup.ini"), stored);
}

TEST_F(SettingFormTest, CopyingCompatibleVideoIsOnUntilUntickedAndThenReachesFileAndEngine) {
    dir.write("setup.ini", "[general]\nvideoonly=0\n");
    TSettingForm& f = open();
    EXPECT_TRUE(f.CheckSmartRender->isChecked());  // a file from before the box means on
    f.CheckSmartRender->click();
    EXPECT_TRUE(settings.SmartRender);  // waits for OK like the other encoding values
    f.BtnOK->click();
    EXPECT_FALSE(settings.SmartRender);
    EXPECT_TRUE(dir.read("setup.ini").startsWith("[general]\nvideoonly=0\nresizemode=2\nsmartrender=0\n"))
        << dir.read("setup.ini").toStdString();

    TSettingForm& again = open();
    EXPECT_FALSE(again.CheckSmartRender->isChecked());
    RecordingVideoEdit split;
    ApplyFormatSettings(split, 4, settings);
    EXPECT_TRUE(split.calls.contains("SmartRender=false")) << split.calls.join(' ').toStdString();
    again.CheckSmartRender->click();
    again.BtnOK->click();
    EXPECT_TRUE(LoadFormatSettings(IniFile(file())).SmartRender);
}

TEST_F(SettingFormTest, OriginalSizeLocksTheAviSizeAndKeepsIt) {
    TSettingForm& f = open();
    f.ToolBtnAVI->click();
    typeInto(f.EdAVIWidth, "640");
    f.CheckOrigSize->click();
    EXPECT_TRUE(settings.AviOriginalSize);
    for (QWidget* w : std::initializer_list<QWidget*>{f.EdAVIWidth, f.EdAVIHeight, f.UpDownAVIWidth,
                                                      f.UpDownAVIHeight}) {
        EXPECT_FALSE(w->isEnabled());
    }
    f.CheckOrigSize->click();
    EXPECT_FALSE(settings.AviOriginalSize);
    EXPECT_TRUE(f.EdAVIWidth->isEnabled());
    EXPECT_TRUE(f.UpDownAVIHeight->isEnabled());
    EXPECT_EQ(f.EdAVIWidth->text(), "640");
    EXPECT_EQ(f.EdAVIHeight->text(), "240");
    f.CheckOrigSize->click();
    f.BtnOK->click();
    const IniFile saved(file());
    EXPECT_EQ(saved.readInteger("avi", "aviwidth", 0), 640);
    EXPECT_TRUE(saved.readBool("avi", "faviorigsize", false));

    TSettingForm& reopened = open();
    EXPECT_TRUE(reopened.CheckOrigSize->isChecked());
    EXPECT_FALSE(reopened.EdAVIWidth->isEnabled());
}

TEST_F(SettingFormTest, EngineListsWithoutASelectionStoreMinusOne) {
    dir.write("setup.ini", "[avi]\naviaudcompr=1\navividcompr=2\n[wmv]\nwmvprofile=5\n");
    engine.audioCompressors.clear();
    engine.videoCompressors = {"raw", "huffyuv", "ffv1"};
    TSettingForm& f = open();
    EXPECT_EQ(f.cbAVIAudCompr->count(), 0);
    EXPECT_EQ(f.cbAVIVidCompr->currentText(), "ffv1");
    EXPECT_EQ(f.cbWMVProfile->count(), 3);
    EXPECT_EQ(f.cbWMVProfile->currentIndex(), -1);  // stored position beyond the list
    f.BtnOK->click();
    EXPECT_EQ(settings.AviAudioCompressor, -1);
    EXPECT_EQ(settings.AviVideoCompressor, 2);
    EXPECT_EQ(settings.WmvProfile, -1);
    const IniFile saved(file());
    EXPECT_EQ(saved.readString("avi", "aviaudcompr", ""), "-1");
    EXPECT_EQ(saved.readString("wmv", "wmvprofile", ""), "-1");
}

TEST_F(SettingFormTest, TheToolBarShowsExactlyOnePageAndOpensOnGeneral) {
    TSettingForm& f = open();
    for (int i = 0; i < f.PageControl2->count(); ++i) EXPECT_FALSE(f.PageControl2->isTabVisible(i)) << i;
    const QList<std::pair<QToolButton*, QWidget*>> pages{
        {f.ToolBtnGeneral, f.TabGeneral}, {f.ToolBtnVCD, f.TabVCD}, {f.ToolBtnSVCD, f.TabSVCD},
        {f.ToolBtnDVD, f.TabDVD},         {f.ToolBtnMPEG, f.TabMPEG}, {f.ToolBtnAVI, f.TabAVI},
        {f.ToolBtnWMV, f.TabWMV}};
    auto expectShown = [&](QToolButton* button, QWidget* page) {
        for (const auto& [b, p] : pages) {
            EXPECT_EQ(b->isChecked(), b == button) << b->text().toStdString();
            EXPECT_EQ(p->isVisible(), p == page) << b->text().toStdString();
        }
    };
    expectShown(f.ToolBtnGeneral, f.TabGeneral);
    f.ToolBtnGeneral->click();  // the shown page's own button
    expectShown(f.ToolBtnGeneral, f.TabGeneral);
    for (const auto& [button, page] : pages) {
        button->click();
        expectShown(button, page);
        button->click();
        expectShown(button, page);
    }
    f.BtnCancel->click();
    TSettingForm& reopened = open();
    EXPECT_TRUE(reopened.ToolBtnGeneral->isChecked());
    EXPECT_TRUE(reopened.TabGeneral->isVisible());
}

TEST_F(SettingFormTest, SizesComeFromTheSpinnersIncludingOnLockedFields) {
    TSettingForm& f = open();
    f.ToolBtnVCD->click();
    EXPECT_FALSE(f.EdVCDWidth->isEnabled());
    EXPECT_TRUE(f.EdVCDWidth->isReadOnly());
    f.UpDownVCDWidth->upButton()->click();
    EXPECT_EQ(f.EdVCDWidth->text(), "353");
    typeInto(f.EdMPEGHeight, "360");
    f.BtnOK->click();
    EXPECT_EQ(settings.VcdWidth, 353);
    EXPECT_EQ(settings.MpegHeight, 360);
}

TEST_F(SettingFormTest, AFailedWriteIsShownAndKeepsTheDialogAndTheValues) {
    dir.write("blocker", "a file where the settings folder should be");
    const QString unwritable = dir.path("blocker/setup.ini");
    settings = FormatSettings();
    form = std::make_unique<TSettingForm>(nullptr, settings, unwritable, engine);
    form->show();
    form->cbMPEGBitrate->setCurrentText("256");
    form->BtnOK->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0], "Quillmark: Unable to write to " + QDir::toNativeSeparators(unwritable) + ".");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(settings.MpegAudioBitrate, 256);
}

TEST_F(SettingFormTest, LongCompressorAndProfileNamesAreShownWholeAndAsTooltips) {
    const QString profile = "General purpose: 640x480, 25 fps, video 1000 kbps, audio 128 kbps stereo";
    const QString compressor = "MPEG-4 Part 2 (DivX/Xvid compatible), with a long name";
    engine.wmvProfiles = {"low", profile};
    engine.videoCompressors = {"raw", compressor};
    settings.WmvProfile = 1;
    TSettingForm& f = open();
    f.cbWMVProfile->setCurrentIndex(1);
    f.cbAVIVidCompr->setCurrentIndex(1);
    for (auto [button, list] : {std::pair{f.ToolBtnWMV, f.cbWMVProfile}, std::pair{f.ToolBtnAVI, f.cbAVIVidCompr}}) {
        button->click();
        QApplication::processEvents();
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.frame = true;
        const QRect text = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
        const QString name = list->currentText();
        EXPECT_GE(text.width(), list->fontMetrics().horizontalAdvance(name)) << name.toStdString();
        EXPECT_EQ(list->toolTip(), name);
        EXPECT_EQ(list->itemData(1, Qt::ToolTipRole).toString(), name);
    }
}

TEST_F(SettingFormTest, Mp4PageLoadsAndStoresItsValuesAndOriginalSizeLocksTheSize) {
    dir.write("setup.ini", "[mp4]\nwidth=640\nheight=360\noriginalsize=0\nframerate=29.97\nquality=19\npreset=4\n"
                           "audiobitrate=256\n");
    TSettingForm& f = open();
    f.ToolBtnMP4->click();
    EXPECT_EQ(f.PageControl2->currentWidget(), f.TabMP4);
    EXPECT_EQ(f.EdMP4Width->text(), "640");
    EXPECT_EQ(f.EdMP4Height->text(), "360");
    EXPECT_TRUE(f.EdMP4Width->isEnabled());
    EXPECT_EQ(f.cbMP4FrameRate->currentText(), "29.97");
    EXPECT_EQ(f.SpinMP4Quality->value(), 19);
    EXPECT_EQ(f.cbMP4Preset->currentText(), "slow");
    EXPECT_EQ(f.cbMP4Bitrate->currentText(), "256");
    // Nothing below 128 kbit/s is offered.
    EXPECT_EQ(f.cbMP4Bitrate->itemText(0), "128");
    EXPECT_EQ(f.cbMP4Bitrate->itemText(f.cbMP4Bitrate->count() - 1), "320");

    f.CheckMP4OrigSize->setChecked(true);
    for (QWidget* w : std::initializer_list<QWidget*>{f.EdMP4Width, f.EdMP4Height, f.UpDownMP4Width, f.UpDownMP4Height})
        EXPECT_FALSE(w->isEnabled());
    f.SpinMP4Quality->setValue(27);
    f.cbMP4Preset->setCurrentIndex(0);
    f.cbMP4Bitrate->setCurrentText("192");
    f.cbMP4FrameRate->setCurrentText("50");
    f.BtnOK->click();
    const FormatSettings back = LoadFormatSettings(IniFile(file()));
    EXPECT_TRUE(back.Mp4OriginalSize);
    EXPECT_EQ(back.Mp4Width, 640);
    EXPECT_EQ(back.Mp4Quality, 27);
    EXPECT_EQ(back.Mp4Preset, 0);
    EXPECT_EQ(back.Mp4AudioBitrate, 192);
    EXPECT_DOUBLE_EQ(back.Mp4FrameRate, 50);
}

TEST_F(SettingFormTest, SameAsSourcePageShowsZeroAsTheSourcesQualityAndStoresItsChoice) {
    dir.write("setup.ini", "[source]\nquality=30\n");
    TSettingForm& f = open();
    f.ToolBtnSource->click();
    EXPECT_EQ(f.PageControl2->currentWidget(), f.TabSource);
    EXPECT_TRUE(f.ToolBtnSource->isChecked());
    EXPECT_FALSE(f.ToolBtnMP4->isChecked());
    EXPECT_EQ(f.SpinSourceQuality->value(), 30);
    f.SpinSourceQuality->setValue(0);
    EXPECT_EQ(f.SpinSourceQuality->text(), "As good as the source");
    f.BtnOK->click();
    EXPECT_EQ(LoadFormatSettings(IniFile(file())).SourceQuality, 0);

    TSettingForm& again = open();
    again.SpinSourceQuality->setValue(51);
    again.BtnOK->click();
    EXPECT_EQ(LoadFormatSettings(IniFile(file())).SourceQuality, 51);
    TSettingForm& cancelled = open();
    cancelled.SpinSourceQuality->setValue(10);
    cancelled.BtnCancel->click();
    EXPECT_EQ(settings.SourceQuality, 51);
}

TEST_F(SettingFormTest, CancelLeavesTheMp4ValuesAlone) {
    TSettingForm& f = open();
    f.SpinMP4Quality->setValue(18);
    f.BtnCancel->click();
    EXPECT_EQ(settings.Mp4Quality, 23);
    EXPECT_FALSE(QFile::exists(file()));
}

TEST_F(SettingFormTest, EveryPageButtonAndOkCancelHasItsOwnAltKey) {
    TSettingForm& f = open();
    QStringList keys;
    for (QToolButton* b : f.findChildren<QToolButton*>()) {
        if (!b->text().contains('&')) continue;
        keys << b->text().mid(b->text().indexOf('&') + 1, 1).toUpper();
    }
    EXPECT_EQ(keys.size(), 9) << keys.join(' ').toStdString();
    for (QPushButton* b : {f.BtnOK, f.BtnCancel}) keys << b->text().mid(b->text().indexOf('&') + 1, 1).toUpper();
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size()) << keys.join(' ').toStdString();
}
