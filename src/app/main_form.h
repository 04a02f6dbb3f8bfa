#pragma once

#include "app/settings.h"
#include "app/tips.h"
#include "common/file_filters.h"

#include <QPointer>
#include <QWidget>

class GettingStartedPage;
class JoinPage;
class QLabel;
class QTabWidget;
class QToolButton;
class SplitPage;
class TAboutForm;

// The main window: three pages (Getting Started, Split, Join) of which exactly one
// shows its tab, and a bottom bar with Help, Homepage and About.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    struct Environment {
        QString programFolder;  // with a trailing separator; tips, about texts and manual lie there
        QString settingsFile;   // full path of setup.ini
    };

    explicit TMainForm(const Environment& environment, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Stored state, loaded at start.
    QString OutputPath;
    int SelectedFormat = 8;
    QString OutputExt;
    QString JoinOutputPath;
    FormatSettings formatSettings;
    PictureOptions pictureOptions;

    OpenDialogSetup OpenDialog1;  // split source
    OpenDialogSetup OpenDialog2;  // join files

    QTabWidget* PageControl1;
    GettingStartedPage* TabSheet6;
    SplitPage* TabSheet1;
    JoinPage* TabSheet2;
    QToolButton* TBXHelp;
    QToolButton* TBXHomepage;
    QToolButton* TBXAbout;

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
    void SetupOpenDialogs();
    bool LoadTips();
    void showPage(QWidget* page);
    QWidget* buildBottomBar();
    void setNote(const QString& text);

    Environment env;
    Tips tips;
    QPointer<TAboutForm> aboutForm;
    bool shown = false;
    bool closed = false;
};
