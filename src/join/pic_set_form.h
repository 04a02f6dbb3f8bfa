#pragma once

#include "common/file_filters.h"
#include "join/picture_options.h"

#include <QDialog>
#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class TMediaPlayer;
class TVideoEdit;
class UpDown;

// "Picture Options": how long pictures show, which transition comes in front of
// them (or a random one), how long it lasts, and the music under them, with a
// preview of the music. Made once and kept, so its boxes keep their text between
// openings; every showing loads the current options and every closing (OK, Cancel,
// close box, Escape) saves them.
class TPicSetForm : public QDialog {
    Q_OBJECT
public:
    // `transitionList` offers the transition names; `player` plays the music preview.
    TPicSetForm(QWidget* parent, PictureOptions& options, const QString& settingsFile,
                const TVideoEdit& transitionList, std::unique_ptr<TMediaPlayer> player);
    ~TPicSetForm() override;

    QLineEdit* EdDuration;
    UpDown* UpDown1;
    QLineEdit* EdTransDuration;
    UpDown* UpDown2;
    QComboBox* CBTransition;
    QLineEdit* EdMusicFile;
    QPushButton* BitBtnOpen;
    QWidget* TBToolbar2;
    QToolButton* TBPlay;
    QToolButton* TBPause;
    QToolButton* TBStop;
    QPushButton* BitBtnOK;
    QPushButton* BitBtnCancel;
    OpenDialogSetup OpenDialog1;
    // Frames per second of the output the durations are for; a duration shorter
    // than one of its frames is refused.
    std::function<double()> outputFrameRate = [] { return 25.0; };

    TMediaPlayer& MP1() { return *player; }

    void FormShow();
    void CBTransitionChange();
    void BitBtnOpenClick();
    void BitBtnOKClick();
    void BitBtnCancelClick();
    void TBPlayClick();
    void TBPauseClick();
    void TBStopClick();
    void FormClose();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    // A music file dropped on its box is taken as if chosen with "Open".
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void setPreviewButtons(bool play, bool pause, bool stop);

    PictureOptions& options;
    QString settingsFile;
    const TVideoEdit& transitionList;
    std::unique_ptr<TMediaPlayer> player;
};

// A duration as typed: a decimal number with the user's decimal separator.
// Raises QuillmarkError "'<text>' is not a valid floating point value" otherwise.
double ReadDuration(const QString& text);
