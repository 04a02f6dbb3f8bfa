#include "app/getting_started_page.h"
#include "app/links.h"
#include "app/main_form.h"
#include "common/folders.h"
#include "common/messages.h"
#include "join/join_controller.h"
#include "join/join_page.h"
#include "split/duration_probe_thread.h"
#include "split/split_page.h"
#include "split/split_wizard.h"
#include "support/fake_services.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPointer>
#include <QSemaphore>
#include <QPushButton>
#include <QGroupBox>
#include <QMap>
#include <QImage>
#include <QSet>
#include <QTimer>
#include <QDialog>
#include <QApplication>
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QFile>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>
#include <atomic>
#include <sys/stat.h>
#include <memory>

namespace {

// A program folder of its own per test, with the seams recording what was shown.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        Messages::setBoxHandler([this](Messages::Kind, const QString& caption, const QString& text) {
            boxes << caption + ": " + text;
        });
        Messages::setUrlHandler([this](const QUrl& url) { urls << url; });
        dir.write("tips.txt", "First tip\n\nSecond tip\nThird tip\n");
    }
    void TearDown() override {
        form.reset();
        Messages::setBoxHandler({});
        Messages::setUrlHandler({});
    }
    TMainForm& open() {
        form = std::make_unique<TMainForm>(TMainForm::Environment{dir.path(), dir.path("setup.ini")}, FakeServices());
        form->show();
        return *form;
    }
    QStringList visibleTabs() const {
        QStringList names;
        for (int i = 0; i < form->PageControl1->count(); ++i) {
            if (form->PageControl1->isTabVisible(i)) names << form->PageControl1->tabText(i).trimmed();
        }
        return names;
    }

    TempFolder dir;
    std::unique_ptr<TMainForm> form;
    QStringList boxes;
    QList<QUrl> urls;
};

// What a user's choice in a drop-down list does.
void pick(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

}  // namespace

TEST_F(MainFormTest, FirstStartShowsTheDefaults) {
    TMainForm& f = open();
    EXPECT_EQ(f.windowTitle(), "Quillmark");
    EXPECT_EQ(f.TabSheet1->cbFormat->count(), 12);
    EXPECT_EQ(f.TabSheet1->cbFormat->currentText(), "AVI/Divx/Xvid");
    EXPECT_EQ(f.TabSheet2->cbFormat2->currentText(), "AVI/DivX");
    EXPECT_EQ(f.TabSheet1->EdSavePath->text(), DefaultOutputFolder());
    EXPECT_EQ(f.TabSheet2->EdSavePath2->text(), DefaultOutputFolder());
    EXPECT_EQ(f.output.OutputExt, "avi");
    EXPECT_EQ(visibleTabs(), QStringList{"Getting Started"});
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet6);
    EXPECT_EQ(f.TabSheet6->RichEdit3->toPlainText(), "Second tip");
    EXPECT_TRUE(f.TabSheet6->lbNote->text().isEmpty());
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.path("setup.ini")));
}

TEST_F(MainFormTest, AStoredFormatOutsideTheListSelectsNothingAndIsKept) {
    dir.write("setup.ini", "[general]\noutputformat=12\n[tips]\ntipno=3\n[avi]\naviwidth=640\n");
    TMainForm& f = open();
    EXPECT_EQ(f.TabSheet1->cbFormat->currentIndex(), -1);
    EXPECT_EQ(f.TabSheet2->cbFormat2->currentIndex(), -1);
    EXPECT_EQ(f.output.OutputExt, "mpg");
    EXPECT_EQ(f.TabSheet6->RichEdit3->toPlainText(), "First tip");
    f.close();
    EXPECT_EQ(dir.read("setup.ini"),
              "[general]\noutputformat=12\noutputpath=" + DefaultOutputFolder().toUtf8() +
                  "\n[tips]\ntipno=3\n[avi]\naviwidth=640\n\n[join]\njoinoutputpath=" +
                  DefaultOutputFolder().toUtf8() + "\n");
}

TEST_F(MainFormTest, ClosingWritesOnlyTheThreeKeys) {
    dir.write("setup.ini", "; kept\n[general]\noutputpath=C:\\\nresizemode=2\n[join]\njoinoutputpath=/a/\n");
    TMainForm& f = open();
    pick(f.TabSheet1->cbFormat, 4);
    f.OutputPath = "/out/parts/";
    f.formatSettings.ResizeMode = 3;  // not saved at close
    f.close();
    EXPECT_EQ(dir.read("setup.ini"),
              "; kept\n[general]\noutputpath=/out/parts/\nresizemode=2\noutputformat=4\n[join]\njoinoutputpath=/a/\n");
}

// A settings file that is a link to a FIFO: the window opens with the defaults
// instead of waiting for a writer, says at close that it cannot save, closes all
// the same, and the FIFO stays a FIFO.
TEST_F(MainFormTest, ASettingsLinkToAFifoNeitherHoldsTheWindowNorBecomesAFile) {
    const QString fifo = dir.path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(fifo, dir.path("setup.ini")));
    TMainForm& f = open();
    EXPECT_EQ(f.TabSheet1->cbFormat->currentText(), "AVI/Divx/Xvid");
    EXPECT_TRUE(f.close());
    EXPECT_FALSE(f.isVisible());
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].endsWith("Unable to write to " + dir.path("setup.ini") + ".")) << boxes[0].toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(QFileInfo(dir.path("setup.ini")).isSymLink());
}

TEST_F(MainFormTest, EitherFormatListSetsTheSharedFormat) {
    TMainForm& f = open();
    pick(f.TabSheet1->cbFormat, 6);
    pick(f.TabSheet2->cbFormat2, 9);
    EXPECT_EQ(f.output.SelectedFormat, 9);
    EXPECT_EQ(f.output.OutputExt, "wmv");
    EXPECT_EQ(f.TabSheet1->cbFormat->currentText(), "Standard MPEG1");  // lists do not follow each other
    pick(f.TabSheet1->cbFormat, 4);
    EXPECT_EQ(f.output.SelectedFormat, 4);
    EXPECT_EQ(f.output.OutputExt, "mpg");
    pick(f.TabSheet2->cbFormat2, 10);
    EXPECT_EQ(f.output.OutputExt, "mp4");
}

TEST_F(MainFormTest, NavigationShowsExactlyOnePage) {
    TMainForm& f = open();
    f.TabSheet6->TBXSplit->click();
    EXPECT_EQ(visibleTabs(), QStringList{"Split video file"});
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet1);
    f.TabSheet1->BitBtnCancelSplit->click();
    EXPECT_EQ(visibleTabs(), QStringList{"Getting Started"});
    f.TabSheet6->TBXJoin->click();
    EXPECT_EQ(visibleTabs(), QStringList{"Join video files or pictures"});
    f.TabSheet2->Gauge3->setValue(70);
    f.TabSheet2->BitBtnExitJoin->click();
    EXPECT_EQ(visibleTabs(), QStringList{"Getting Started"});
    EXPECT_EQ(f.TabSheet2->Gauge3->value(), 0);
}

TEST_F(MainFormTest, SplitExitResetsTheWizardToStepOne) {
    TMainForm& f = open();
    f.TabSheet6->TBXSplit->click();
    f.TabSheet1->showStep(3);
    f.TabSheet1->BitBtnCancelSplit->click();
    f.TabSheet6->TBXSplit->click();
    EXPECT_EQ(f.TabSheet1->currentStep(), 1);
    EXPECT_TRUE(f.TabSheet1->PageControl2->isTabVisible(0));
    EXPECT_FALSE(f.TabSheet1->PageControl2->isTabVisible(1));
    EXPECT_FALSE(f.TabSheet1->PageControl2->isTabVisible(2));
}

TEST_F(MainFormTest, HoverNotesFollowTheMouse) {
    TMainForm& f = open();
    QLabel* note = f.TabSheet6->lbNote;
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(f.TabSheet6->TBXSplit, &enter);
    EXPECT_EQ(note->text(), "Split large video file to small pieces. Cut parts from video file.");
    EXPECT_FALSE(note->isHidden());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.TabSheet6->TBXJoin, &leave);
    EXPECT_EQ(note->text(), "Join video files or convert pictures to AVI,WMV,MPEG ");
    QCoreApplication::sendEvent(f.TabSheet6->TBXSettings, &enter);
    EXPECT_EQ(note->text(), "Setup output video formats (VCD,SVCD,DVD,AVI,WMV,etc).");

    // Over a button the group's own move event keeps the note...
    QGroupBox* group = f.TabSheet6->GroupBox5;
    const QPoint overButton = f.TabSheet6->TBXSettings->mapTo(group, f.TabSheet6->TBXSettings->rect().center());
    QMouseEvent moveOver(QEvent::MouseMove, overButton, group->mapToGlobal(overButton), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
    QCoreApplication::sendEvent(group, &moveOver);
    EXPECT_FALSE(note->isHidden());
    // ...and on the background it clears it.
    const QPoint background(2, group->height() - 3);
    QMouseEvent moveAway(QEvent::MouseMove, background, group->mapToGlobal(background), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
    QCoreApplication::sendEvent(group, &moveAway);
    EXPECT_TRUE(note->text().isEmpty());
    EXPECT_TRUE(note->isHidden());
}

TEST_F(MainFormTest, HelpAndHomepageAskTheDesktop) {
    TMainForm& f = open();
    f.TBXHelp->click();
    f.TBXHomepage->click();
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(urls[0], QUrl::fromLocalFile(dir.path("quillmark.html")));
    EXPECT_EQ(urls[1], QUrl(HomePageAddress));
}

TEST_F(MainFormTest, NextTipCyclesThroughTheFile) {
    TMainForm& f = open();
    f.TabSheet6->BitBtnNextTip->click();
    EXPECT_EQ(f.TabSheet6->RichEdit3->toPlainText(), "Third tip");
    f.TabSheet6->BitBtnNextTip->click();
    EXPECT_EQ(f.TabSheet6->RichEdit3->toPlainText(), "First tip");
}

TEST_F(MainFormTest, AMissingTipsFileIsReportedAndStartUpGoesOn) {
    QFile::remove(dir.path("tips.txt"));
    TMainForm& f = open();
    EXPECT_EQ(boxes, QStringList{"Quillmark: File not found."});
    EXPECT_TRUE(f.TabSheet6->RichEdit3->toPlainText().isEmpty());
    f.TabSheet6->BitBtnNextTip->click();
    EXPECT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes.last(), "Quillmark: File not found.");
    f.close();
    EXPECT_TRUE(QFileInfo::exists(dir.path("setup.ini")));
}

TEST_F(MainFormTest, OpenDialogsOfferTheSupportedTypesInOrder) {
    TMainForm& f = open();
    EXPECT_EQ(f.splitWizard->OpenDialog1.title, "Open a video file to Split:");
    EXPECT_FALSE(f.splitWizard->OpenDialog1.multiSelect);
    ASSERT_EQ(f.splitWizard->OpenDialog1.filters.size(), 13);
    EXPECT_TRUE(f.splitWizard->OpenDialog1.filters[0].description.startsWith("All supported files (*.avi;*.mpg;*.wmv;*.asf;*.mpeg;*.mp4;"));
    EXPECT_EQ(f.splitWizard->OpenDialog1.filters[4].description, "ASF files (*.asf)");
    for (const char* today : {"clip.MP4", "game.mkv", "iphone.MOV", "tv.ts", "cam.M2TS", "disc.VOB", "web.webm"})
        EXPECT_TRUE(MatchesFilter(f.splitWizard->OpenDialog1.filters[0], today)) << today;
    EXPECT_TRUE(MatchesFilter(f.splitWizard->OpenDialog1.filters[0], "CLIP.AVI"));
    EXPECT_FALSE(MatchesFilter(f.splitWizard->OpenDialog1.filters[0], "photo.jpg"));

    EXPECT_EQ(f.joinController->OpenDialog2.title, "Open video files to Join:");
    EXPECT_TRUE(f.joinController->OpenDialog2.multiSelect);
    ASSERT_EQ(f.joinController->OpenDialog2.filters.size(), 16);
    EXPECT_TRUE(MatchesFilter(f.joinController->OpenDialog2.filters[0], "phone.mp4"));
    EXPECT_EQ(f.joinController->OpenDialog2.filters[6].description, "JPG files (*.jpg,jpeg)");
    EXPECT_EQ(f.joinController->OpenDialog2.filters[7].description, "PNG files (*.png)");
    EXPECT_TRUE(MatchesFilter(f.joinController->OpenDialog2.filters[0], "Photo.JPEG"));
    EXPECT_TRUE(MatchesFilter(f.joinController->OpenDialog2.filters[0], "Scan.PNG"));
    EXPECT_TRUE(MatchesFilter(f.joinController->OpenDialog2.filters[5], "scan.BMP"));
}

TEST_F(MainFormTest, TheWindowDeletesItsSplitWizard) {
    open();
    QPointer<SplitWizard> wizard(form->splitWizard);
    ASSERT_FALSE(wizard.isNull());
    form.reset();
    EXPECT_TRUE(wizard.isNull());
}

TEST_F(MainFormTest, ClosingDoesNotWaitForAProbeOnAStalledDrive) {
    TMainForm::Services services = FakeServices();
    auto stalled = std::make_shared<QSemaphore>();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    // Gives up after a while, so a window that waits shows as a probe that ended
    // before the window was gone rather than as a hung test.
    services.measureDuration = [stalled, ended](const QString&) {
        stalled->tryAcquire(1, 3000);
        *ended = true;
        return 10.0;
    };
    form = std::make_unique<TMainForm>(TMainForm::Environment{dir.path(), dir.path("setup.ini")}, services);
    form->show();
    form->BtnGoSplitClick();
    SetOpenDialogHandler([](const OpenDialogSetup&) { return QStringList{"/v/on the share.avi"}; });
    form->TabSheet1->SpeedBtnOpen->click();
    SetOpenDialogHandler({});
    ASSERT_EQ(TGetFileDuration::runningCount(), 1);
    form->close();
    form.reset();
    EXPECT_FALSE(*ended);

    stalled->release();
    ASSERT_TRUE(waitUntil([] { return TGetFileDuration::runningCount() == 0; }));
    keepRunningFor(50);  // its result, queued for the window that has gone, is dropped
    EXPECT_TRUE(*ended);
}

TEST_F(MainFormTest, ClosingDuringARenderAsksAndNoKeepsTheRenderGoing) {
    QStringList questions;
    bool answer = false;
    Messages::setAnswerHandler([&](const QString& text) {
        questions << text;
        return answer;
    });
    TMainForm& f = open();
    f.BtnGoJoinClick();
    QImage picture(32, 24, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(dir.path("slide.png")));
    SetOpenDialogHandler([this](const OpenDialogSetup&) { return QStringList{dir.path("slide.png")}; });
    f.TabSheet2->ToolBtnOpen->trigger();
    SetOpenDialogHandler({});
    f.TabSheet2->EdSavePath2->setText(dir.path("out"));
    f.TabSheet2->BitBtnJoin->click();
    ASSERT_TRUE(f.joinController->running()) << boxes.join('\n').toStdString();

    EXPECT_FALSE(f.close());
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.joinController->running());
    answer = true;
    EXPECT_TRUE(f.close());
    EXPECT_FALSE(f.joinController->running());
    Messages::setAnswerHandler({});
    EXPECT_EQ(questions, QStringList(2, "A render is running. Stop it and quit?"));
}

// The push buttons and the captioned or picture buttons a user sees together (not
// a field's arrows or a tool bar's overflow): each has a key, none taken twice.
void ExpectOwnKeys(const QList<QAbstractButton*>& all) {
    QStringList keys;
    int buttons = 0;
    for (QAbstractButton* button : all) {
        const bool pictureButton = !button->icon().isNull() && qobject_cast<QToolButton*>(button);
        if (!qobject_cast<QPushButton*>(button) && !pictureButton) continue;
        if (button->inherits("QToolBarExtension")) continue;
        ++buttons;
        keys << button->shortcut().toString();
    }
    EXPECT_GT(buttons, 2);
    EXPECT_FALSE(keys.contains("")) << keys.join(' ').toStdString();
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size()) << keys.join(' ').toStdString();
}

TEST_F(MainFormTest, EveryButtonOfTheStartPageAndTheSettingsHasItsOwnKey) {
    TMainForm& f = open();
    QList<QAbstractButton*> start = f.TabSheet6->findChildren<QAbstractButton*>();
    start << f.TBXHelp << f.TBXHomepage << f.TBXAbout;
    ExpectOwnKeys(start);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* settings = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(settings, nullptr);
        seen = true;
        ExpectOwnKeys(settings->findChildren<QAbstractButton*>(Qt::FindChildrenRecursively).toList());
        settings->reject();
    });
    f.TabSheet6->TBXSettings->click();
    EXPECT_TRUE(seen);
}

namespace {

// The Alt keys a user can press on what the window shows now: the letter after a
// lone '&' of every visible button, check box, radio button, and label that leads
// to a field, each with what it belongs to.
QStringList VisibleAltKeys(QWidget* window) {
    QStringList keys;
    const auto add = [&keys](const QString& text) {
        for (qsizetype i = text.indexOf('&'); i >= 0 && i + 1 < text.size(); i = text.indexOf('&', i + 2)) {
            if (text[i + 1] != '&') {
                keys << QString(text[i + 1].toUpper()) + " " + text;
                return;
            }
        }
    };
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(window) || b->inherits("QToolBarExtension")) continue;
        // A picture button's key is its shortcut: Alt and a letter.
        const QString shortcut = b->shortcut().toString();
        if (!b->text().contains('&') && shortcut.startsWith("Alt+") && shortcut.size() == 5)
            add("&" + shortcut.right(1) + " (" + b->text() + ")");
        else
            add(b->text());
    }
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->isVisibleTo(window) && l->buddy()) add(l->text());
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        if (g->isVisibleTo(window) && g->isCheckable()) add(g->title());
    return keys;
}

void ExpectUniqueAltKeys(QWidget* window, const std::string& where) {
    const QStringList keys = VisibleAltKeys(window);
    QMap<QChar, QStringList> byLetter;
    for (const QString& key : keys) byLetter[key[0]] << key.mid(2);
    for (auto it = byLetter.begin(); it != byLetter.end(); ++it)
        EXPECT_EQ(it.value().size(), 1) << where << ": Alt+" << QString(it.key()).toStdString() << " is "
                                        << it.value().join(" and ").toStdString();
}

} // namespace

TEST_F(MainFormTest, EveryAltKeyOnAPageIsUnique) {
    TMainForm& f = open();
    ExpectUniqueAltKeys(&f, "Getting Started");
    f.TabSheet6->TBXSplit->click();
    for (int step = 1; step <= 3; ++step) {
        f.TabSheet1->showStep(step);
        ExpectUniqueAltKeys(&f, "split step " + std::to_string(step));
    }
    f.TabSheet1->showStep(1);
    f.TabSheet1->BitBtnCancelSplit->click();
    f.TabSheet6->TBXJoin->click();
    ExpectUniqueAltKeys(&f, "join");
}

// However large the desktop's font, the window gives the join preview its whole
// panel: the buttons, times and bar lie below it, none on the picture.
TEST_F(MainFormTest, TheJoinPreviewsControlsLieBelowItsPanel) {
    TMainForm& f = open();
    f.TabSheet6->TBXJoin->click();
    QApplication::processEvents();
    JoinPage& page = *f.TabSheet2;
    const auto inWindow = [&](QWidget* w) { return QRect(w->mapTo(&f, QPoint(0, 0)), w->size()); };
    const QRect panel = inWindow(page.Panel2);
    EXPECT_EQ(panel.size(), QSize(209, 169));
    for (QWidget* control : {page.TBToolbar2, static_cast<QWidget*>(page.lbElapsedTime2),
                             static_cast<QWidget*>(page.lbTotalTime2), static_cast<QWidget*>(page.TrackBar2)}) {
        const QRect at = inWindow(control);
        EXPECT_FALSE(at.intersects(panel)) << control->metaObject()->className();
        EXPECT_TRUE(f.rect().contains(at)) << control->metaObject()->className();
    }
}
