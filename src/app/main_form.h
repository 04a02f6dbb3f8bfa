#pragma once

#include "app/settings.h"
#include "app/tips.h"
#include "common/file_filters.h"
#include "engine/source_tracks.h"
#include "formats/output_format.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class GettingStartedPage;
class JoinPage;
class QLabel;
class QTabWidget;
class QToolButton;
class SplitPage;
class JoinController;
class SplitWizard;
class TAboutForm;
class TMediaPlayer;
class TVideoEdit;
class TWaitingForm;

// The main window: three pages (Getting Started, Split, Join) of which exactly one
// shows its tab, and a bottom bar with Help, Homepage and About.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    struct Environment {
        QString programFolder;  // with a trailing separator; tips, about texts and manual lie there
        QString settingsFile;   // full path of setup.ini
    };
    // Where the engines, players and the duration probe come from, so tests can
    // hand in recording ones.
    struct Services {
        std::function<std::unique_ptr<TVideoEdit>()> makeEngine;
        std::function<std::unique_ptr<TMediaPlayer>()> makePlayer;
        std::function<double(const QString& file)> measureDuration;
        std::function<QImage(const QString& file, QSize box)> firstFrame;  // a video's thumbnail
        std::function<std::vector<SourceTrack>(const QString& file)> readTracks;  // a source's streams
    };

    TMainForm(const Environment& environment, const Services& services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Stored state, loaded at start.
    QString OutputPath;
    OutputSelection output;  // SelectedFormat and OutputExt, shared by split and join
    QString JoinOutputPath;
    FormatSettings formatSettings;
    PictureOptions pictureOptions;


    QTabWidget* PageControl1;
    GettingStartedPage* TabSheet6;
    SplitPage* TabSheet1;
    JoinPage* TabSheet2;
    QToolButton* TBXHelp;
    QToolButton* TBXHomepage;
    QToolButton* TBXAbout;

    std::unique_ptr<TVideoEdit> VE1;  // split engine
    std::unique_ptr<TVideoEdit> VE2;  // join engine
    std::unique_ptr<TMediaPlayer> MP1;  // split preview
    std::unique_ptr<TMediaPlayer> MP2;  // join preview and durations
    std::unique_ptr<TWaitingForm> waitingForm;
    SplitWizard* splitWizard;
    JoinController* joinController;

    const Environment& environment() const { return env; }

public slots:
    void BtnGoSplitClick();
    void BtnGoJoinClick();
    void BitBtnExitJoinClick();
    void BitBtnCancelSplitClick();
    void TBXSplitSelect();
    void TBXJoinSelect();
    void TBXSettingsSelect();
    void GroupBox5MouseMove();
    void BitBtnNextTipClick();
    void cbFormatChange(int index);
    void cbFormat2Change(int index);
    void TBXHelpClick();
    void TBXHomepageClick();
    void TBXAboutClick();
    void SpeedBtnSettingsClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void LoadSettingsIntoFields();
    void InitFormatCombos();
    bool LoadTips();
    void showPage(QWidget* page);
    QWidget* buildBottomBar();
    void setNote(const QString& text);

    Environment env;
    Services services;
    Tips tips;
    QPointer<TAboutForm> aboutForm;
    bool shown = false;
    bool closed = false;
};
