#include "join/pic_set_form.h"

#include "common/guarded_handler.h"
#include "common/media_filters.h"
#include "common/ini_file.h"
#include "common/messages.h"
#include "common/up_down.h"
#include "engine/media_player.h"
#include "engine/quillmark_error.h"
#include "engine/video_edit.h"
#include "join/join_list_view.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QMimeData>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

double ReadDuration(const QString& text) {
    // "1,5" must not read as fifteen where the comma groups thousands.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    // Infinity and not-a-number would give pictures that never end.
    if (!ok || !std::isfinite(value)) throw QuillmarkError("'" + text + "' is not a valid floating point value");
    return value;
}

namespace {
QToolButton* previewButton(QWidget* owner, QStyle::StandardPixmap icon, const QString& hint) {
    auto* b = new QToolButton;
    b->setIcon(owner->style()->standardIcon(icon));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}

// A number field with its arrows, as one widget for the layout.
QWidget* numberField(QLineEdit* edit, UpDown* arrows) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    edit->setFixedWidth(48);
    layout->addWidget(edit);
    layout->addWidget(arrows);
    return box;
}
}  // namespace

TPicSetForm::TPicSetForm(QWidget* parent, PictureOptions& pictureOptions, const QString& settings,
                         const TVideoEdit& transitions, std::unique_ptr<TMediaPlayer> musicPlayer)
    : QDialog(parent), options(pictureOptions), settingsFile(settings), transitionList(transitions),
      player(std::move(musicPlayer)) {
    setWindowTitle("Picture Options");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    EdDuration = new QLineEdit;
    UpDown1 = new UpDown(EdDuration, 0, 100, 1, true);
    UpDown1->setPosition(3);
    EdTransDuration = new QLineEdit;
    UpDown2 = new UpDown(EdTransDuration, 0, 100, 1, true);
    UpDown2->setPosition(1);
    CBTransition = new QComboBox;
    CBTransition->setEditable(false);
    EdMusicFile = new QLineEdit;
    BitBtnOpen = new QPushButton(style()->standardIcon(QStyle::SP_DialogOpenButton), "&Open");
    EdDuration->setAcceptDrops(false);
    EdTransDuration->setAcceptDrops(false);
    EdMusicFile->installEventFilter(this);

    TBToolbar2 = new QWidget;
    // Buttons without captions: their keys are Alt and a letter of the hint.
    TBPlay = previewButton(this, QStyle::SP_MediaPlay, "Play");
    TBPlay->setShortcut(QKeySequence(Qt::ALT | Qt::Key_L));
    TBPause = previewButton(this, QStyle::SP_MediaPause, "Pause");
    TBPause->setShortcut(QKeySequence(Qt::ALT | Qt::Key_E));
    TBStop = previewButton(this, QStyle::SP_MediaStop, "Stop");
    TBStop->setShortcut(QKeySequence(Qt::ALT | Qt::Key_S));
    auto* transport = new QHBoxLayout(TBToolbar2);
    transport->setContentsMargins(0, 0, 0, 0);
    transport->setSpacing(2);
    transport->addWidget(TBPlay);
    transport->addWidget(TBPause);
    transport->addWidget(TBStop);
    transport->addStretch();
    setPreviewButtons(true, false, false);

    auto* group = new QGroupBox("Options");
    auto* grid = new QGridLayout(group);
    const auto label = [](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label("Enter &duration of each picture:", EdDuration), 0, 0);
    grid->addWidget(numberField(EdDuration, UpDown1), 0, 1);
    grid->addWidget(new QLabel("seconds"), 0, 2);
    grid->addWidget(label("Enter duration of t&ransition", EdTransDuration), 1, 0);
    grid->addWidget(numberField(EdTransDuration, UpDown2), 1, 1);
    grid->addWidget(new QLabel("seconds"), 1, 2);
    grid->addWidget(label("Select a &transition", CBTransition), 2, 0, 1, 3);
    grid->addWidget(CBTransition, 3, 0, 1, 3);
    grid->addWidget(label("Select a background &music file", EdMusicFile), 4, 0, 1, 3);
    auto* music = new QHBoxLayout;
    music->addWidget(EdMusicFile, 1);
    music->addWidget(BitBtnOpen);
    grid->addLayout(music, 5, 0, 1, 3);
    grid->addWidget(TBToolbar2, 6, 0, 1, 3);
    grid->setColumnStretch(2, 1);

    BitBtnOK = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "O&K");
    BitBtnOK->setToolTip("OK");
    BitBtnOK->setDefault(true);
    BitBtnCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "&Cancel");
    BitBtnCancel->setToolTip("Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    // Fixed at the size its contents ask for, so no caption is ever cut.
    EdMusicFile->setMinimumWidth(220);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const auto guard = GuardedHandlers(this, this);
    connect(CBTransition, &QComboBox::activated, this, guard(&TPicSetForm::CBTransitionChange));
    connect(BitBtnOpen, &QPushButton::clicked, this, guard(&TPicSetForm::BitBtnOpenClick));
    connect(BitBtnOK, &QPushButton::clicked, this, guard(&TPicSetForm::BitBtnOKClick));
    connect(BitBtnCancel, &QPushButton::clicked, this, guard(&TPicSetForm::BitBtnCancelClick));
    connect(TBPlay, &QToolButton::clicked, this, guard(&TPicSetForm::TBPlayClick));
    connect(TBPause, &QToolButton::clicked, this, guard(&TPicSetForm::TBPauseClick));
    connect(TBStop, &QToolButton::clicked, this, guard(&TPicSetForm::TBStopClick));
    FormCreate();
}

TPicSetForm::~TPicSetForm() {
    if (player) player->Close();
}

void TPicSetForm::FormCreate() {
    OpenDialog1.title = "Open a music file:";
    OpenDialog1.multiSelect = false;
    OpenDialog1.filters = MusicFilters();
}

void TPicSetForm::showEvent(QShowEvent* event) {
    Messages::guarded(this, [this] { FormShow(); });
    QDialog::showEvent(event);
}

bool TPicSetForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched != EdMusicFile || (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop))
        return QDialog::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    // Text dragged from elsewhere is the box's own business.
    if (!drop->mimeData()->hasUrls()) return false;
    const QStringList files = JoinListView::LocalFiles(drop->mimeData());
    const bool music = files.size() == 1 && MatchesFilter(OpenDialog1.filters.first(), QFileInfo(files.first()).fileName());
    if (!music) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) EdMusicFile->setText(files.first());
    return true;
}

void TPicSetForm::FormShow() {
    // Whole seconds only; a typed 2.5 comes back as 2.
    UpDown1->setPosition(static_cast<int>(std::clamp(std::trunc(options.PictureDuration), -1.0, 101.0)));
    UpDown2->setPosition(static_cast<int>(std::clamp(std::trunc(options.TransitionDuration), -1.0, 101.0)));
    const QStringList names = transitionList.Transitions();
    CBTransition->clear();
    CBTransition->addItem("Random transition");
    CBTransition->addItems(names);
    // Setting the index here is not the user's choice, so the random flag stays.
    const int C = static_cast<int>(names.size());
    int entry = options.RandomTransition ? 0 : options.TransitionIndex + 1;
    if (entry < 0 || entry > C) entry = 0;
    CBTransition->setCurrentIndex(entry);
    setPreviewButtons(true, false, false);
}

void TPicSetForm::CBTransitionChange() {
    const int entry = CBTransition->currentIndex();
    if (entry == 0) {
        options.RandomTransition = true;
    } else if (entry > 0) {
        options.RandomTransition = false;
        options.TransitionIndex = entry - 1;
    }
}

void TPicSetForm::BitBtnOpenClick() {
    const QStringList files = RunOpenDialog(this, OpenDialog1);
    if (!files.isEmpty()) EdMusicFile->setText(files.first());
}

void TPicSetForm::BitBtnOKClick() {
    // Each step keeps its effect when a later one fails, so the order matters.
    options.MusicFile = EdMusicFile->text();
    // A duration no output could show is refused before it is taken.
    const double fps = outputFrameRate();
    const double picture = ReadDuration(EdDuration->text());
    if (const QString problem = PictureDurationProblem(picture, fps); !problem.isEmpty()) throw QuillmarkError(problem);
    options.PictureDuration = picture;
    const double transition = ReadDuration(EdTransDuration->text());
    if (const QString problem = TransitionDurationProblem(transition, fps); !problem.isEmpty())
        throw QuillmarkError(problem);
    options.TransitionDuration = transition;
    options.TransitionIndex = CBTransition->currentIndex() - 1;
    accept();
}

void TPicSetForm::BitBtnCancelClick() {
    if (player->IsOpen() && player->GetMode() == TMediaPlayer::Mode::Playing) TBStopClick();
    reject();
}

void TPicSetForm::done(int result) {
    // However the dialog closes, the preview ends and the options are saved; a
    // save that fails is reported, and the dialog closes all the same.
    Messages::guarded(this, [this] { FormClose(); });
    QDialog::done(result);
}

void TPicSetForm::FormClose() {
    if (player->IsOpen()) {
        const TMediaPlayer::Mode mode = player->GetMode();
        if (mode == TMediaPlayer::Mode::Playing || mode == TMediaPlayer::Mode::Paused) TBStopClick();
    }
    player->Close();
    IniFile ini(settingsFile);
    SavePictureOptions(ini, options);
}

void TPicSetForm::TBPlayClick() {
    if (EdMusicFile->text().isEmpty()) {
        Messages::information(this, "Please open a file.");
        return;
    }
    if (player->IsOpen() && player->GetMode() == TMediaPlayer::Mode::Paused) {
        player->Play();
    } else {
        player->SetFileName(EdMusicFile->text());
        player->Open();
        player->Play();
    }
    setPreviewButtons(false, true, true);
}

void TPicSetForm::TBPauseClick() {
    player->Pause();
    setPreviewButtons(true, false, true);
}

void TPicSetForm::TBStopClick() {
    player->Stop();
    setPreviewButtons(true, false, false);
}

void TPicSetForm::setPreviewButtons(bool play, bool pause, bool stop) {
    TBPlay->setEnabled(play);
    TBPause->setEnabled(pause);
    TBStop->setEnabled(stop);
}
