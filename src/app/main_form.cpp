#include "app/main_form.h"

#include "app/about_form.h"
#include "app/waiting_form.h"
#include "app/getting_started_page.h"
#include "app/links.h"
#include "common/folders.h"
#include "common/icons.h"
#include "common/ini_file.h"
#include "common/messages.h"
#include "engine/media_player.h"
#include "engine/quillmark_error.h"
#include "engine/video_edit.h"
#include "formats/output_format.h"
#include "formats/setting_form.h"
#include "join/join_controller.h"
#include "join/join_page.h"
#include "split/split_page.h"
#include "split/split_wizard.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QGuiApplication>
#include <QUrl>
#include <QVBoxLayout>

TMainForm::TMainForm(const Environment& environment, const Services& serviceSet, QWidget* parent)
    : QWidget(parent), env(environment), services(serviceSet) {
    setWindowTitle("Quillmark");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(568, 480);

    PageControl1 = new QTabWidget;
    PageControl1->setTabPosition(QTabWidget::South);
    PageControl1->setIconSize(QSize(24, 24));
    TabSheet6 = new GettingStartedPage;
    TabSheet1 = new SplitPage;
    TabSheet2 = new JoinPage;
    PageControl1->addTab(TabSheet6, Icons::start(), "  Getting Started   ");
    PageControl1->addTab(TabSheet1, Icons::split(), "  Split video file ");
    PageControl1->addTab(TabSheet2, Icons::join(), "  Join video files or pictures ");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(buildBottomBar());
    // Never smaller than its pages need in the desktop's font: squeezed below
    // that, the join preview's buttons and times would lie on its picture.
    setFixedSize(size().expandedTo(minimumSizeHint()));

    connect(TabSheet6->TBXSplit, &QToolButton::clicked, this, &TMainForm::BtnGoSplitClick);
    connect(TabSheet6->TBXJoin, &QToolButton::clicked, this, &TMainForm::BtnGoJoinClick);
    connect(TabSheet6->BitBtnNextTip, &QPushButton::clicked, this, &TMainForm::BitBtnNextTipClick);
    connect(TabSheet1->cbFormat, &QComboBox::activated, this, &TMainForm::cbFormatChange);
    connect(TabSheet2->cbFormat2, &QComboBox::activated, this, &TMainForm::cbFormat2Change);
    for (QWidget* w : {static_cast<QWidget*>(TabSheet6->TBXSplit), static_cast<QWidget*>(TabSheet6->TBXJoin),
                       static_cast<QWidget*>(TabSheet6->TBXSettings), static_cast<QWidget*>(TabSheet6->GroupBox5)}) {
        w->installEventFilter(this);
    }

    // The engines and players come with the window, before its creation steps run.
    VE1 = services.makeEngine();
    VE2 = services.makeEngine();
    MP1 = services.makePlayer();
    MP2 = services.makePlayer();
    waitingForm = std::make_unique<TWaitingForm>();
    splitWizard = new SplitWizard(*TabSheet1, *VE1, output, OutputPath, formatSettings, this);
    splitWizard->probe = services.measureDuration;
    splitWizard->readTracks = services.readTracks;
    splitWizard->setPreviewPlayer(MP1.get());
    connect(splitWizard, &SplitWizard::settingsRequested, this, &TMainForm::SpeedBtnSettingsClick);
    connect(TabSheet6->TBXSettings, &QToolButton::clicked, this, &TMainForm::SpeedBtnSettingsClick);
    joinController = new JoinController(*TabSheet2, *VE2, *MP2, output, JoinOutputPath, formatSettings,
                                        pictureOptions, env.settingsFile, *VE1, services.makePlayer, this);
    joinController->preview.measure = services.measureDuration;
    joinController->mediaInfo.firstFrame = services.firstFrame;
    joinController->mediaInfo.readTracks = services.readTracks;
    connect(joinController, &JoinController::exitRequested, this, &TMainForm::BitBtnExitJoinClick);
    connect(joinController, &JoinController::settingsRequested, this, &TMainForm::SpeedBtnSettingsClick);
    connect(splitWizard, &SplitWizard::exitRequested, this, &TMainForm::BitBtnCancelSplitClick);
    connect(splitWizard, &SplitWizard::probeStarted, this, [this] { waitingForm->showOver(this); });
    connect(splitWizard, &SplitWizard::probeFinished, this, [this] { waitingForm->finish(); });

    FormCreate();
}

TMainForm::~TMainForm() {
    // A render still running must end before the engines go; a probe is abandoned.
    // The wizard is a child of the window, but it drives the split engine and the
    // preview player, so it goes first, while they are still there.
    splitWizard->Shutdown();
    joinController->Shutdown();
    delete splitWizard;
    splitWizard = nullptr;
}

QWidget* TMainForm::buildBottomBar() {
    auto* panel = new QWidget;
    panel->setFixedHeight(40);

    // The banner: the program's name on a quiet gradient, drawn at the screen's
    // own density so a scaled desktop shows it sharp.
    const QRect bannerRect(0, 0, 220, 32);
    const qreal density = qApp->devicePixelRatio();
    QPixmap banner(bannerRect.size() * density);
    banner.setDevicePixelRatio(density);
    banner.fill(Qt::transparent);
    {
        QPainter p(&banner);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 220, 0);
        g.setColorAt(0, QColor(40, 70, 130));
        g.setColorAt(1, QColor(90, 140, 200));
        p.setBrush(g);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(bannerRect, 6, 6);
        QFont f = font();
        f.setBold(true);
        f.setPointSize(13);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(bannerRect.adjusted(10, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, "Quillmark");
    }
    auto* bannerLabel = new QLabel;
    bannerLabel->setPixmap(banner);

    // Picture-only buttons have no letter to underline: keys of their own instead.
    auto makeButton = [](const QIcon& icon, const QString& hint, const QKeySequence& key) {
        auto* b = new QToolButton;
        b->setIcon(icon);
        b->setToolTip(hint);
        b->setShortcut(key);
        b->setAutoRaise(true);
        b->setIconSize(QSize(22, 22));
        return b;
    };
    TBXHelp = makeButton(Icons::help(), "Help contents", QKeySequence::HelpContents);
    TBXHomepage = makeButton(Icons::homepage(), "Homepage", QKeySequence(Qt::ALT | Qt::Key_H));
    TBXAbout = makeButton(Icons::about(), "About", QKeySequence(Qt::ALT | Qt::Key_A));
    connect(TBXHelp, &QToolButton::clicked, this, &TMainForm::TBXHelpClick);
    connect(TBXHomepage, &QToolButton::clicked, this, &TMainForm::TBXHomepageClick);
    connect(TBXAbout, &QToolButton::clicked, this, &TMainForm::TBXAboutClick);

    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(bannerLabel);
    layout->addStretch();
    layout->addWidget(TBXHelp);
    layout->addWidget(TBXHomepage);
    layout->addWidget(TBXAbout);
    return panel;
}

void TMainForm::FormCreate() {
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet1), false);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet2), false);
    TabSheet1->showStep(1);
    PageControl1->setCurrentWidget(TabSheet6);
    LoadSettingsIntoFields();
    InitFormatCombos();
    TabSheet2->EdSavePath2->setText(JoinOutputPath);
    if (!LoadTips()) return;
    TabSheet6->RichEdit3->setFont(TabSheet6->RichEdit3->parentWidget()->font());
    TabSheet1->RichEdit1->setFont(TabSheet1->RichEdit1->parentWidget()->font());
}

void TMainForm::LoadSettingsIntoFields() {
    const LoadedSettings s = LoadSettings(env.settingsFile, DefaultOutputFolder());
    OutputPath = s.main.OutputPath;
    output.Select(s.main.SelectedFormat);
    JoinOutputPath = s.main.JoinOutputPath;
    formatSettings = s.formats;
    pictureOptions = s.pictures;
}

void TMainForm::InitFormatCombos() {
    QComboBox* cbFormat = TabSheet1->cbFormat;
    cbFormat->clear();
    cbFormat->addItems(SplitFormatNames());
    // An index outside the list leaves both lists without a selection.
    const int selected = output.SelectedFormat;
    cbFormat->setCurrentIndex(selected >= 0 && selected < cbFormat->count() ? selected : -1);
    QComboBox* cbFormat2 = TabSheet2->cbFormat2;
    cbFormat2->setCurrentIndex(selected >= 0 && selected < cbFormat2->count() ? selected : -1);
    TabSheet1->EdSavePath->setText(OutputPath);
}

bool TMainForm::LoadTips() {
    const int storedNumber = IniFile(env.settingsFile).readInteger("tips", "tipno", 1);
    try {
        const std::optional<QString> tip = tips.Load(env.programFolder + "tips.txt", storedNumber);
        if (tip) TabSheet6->RichEdit3->setPlainText(*tip);
        return true;
    } catch (const QuillmarkError& e) {
        Messages::error(this, e.message());
        return false;
    }
}

void TMainForm::BitBtnNextTipClick() {
    Messages::guarded(this, [this] {
        const std::optional<QString> tip = tips.Next();
        if (tip) TabSheet6->RichEdit3->setPlainText(*tip);
    });
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown) {
        shown = true;
        FormShow();
    }
}

void TMainForm::FormShow() {
    TabSheet6->lbNote->clear();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing would throw away the part or the join being written: ask first.
    const bool rendering = !closed && (splitWizard->running() || joinController->running());
    if (rendering && !Messages::question(this, QStringLiteral("A render is running. Stop it and quit?"))) {
        event->ignore();
        return;
    }
    if (!closed) {
        closed = true;
        FormClose();
    }
    event->accept();
}

void TMainForm::FormClose() {
    // Nothing may go on writing or playing once the window has gone.
    splitWizard->Shutdown();
    joinController->Shutdown();
    if (MP1) MP1->Close();
    if (MP2) MP2->Close();
    waitingForm->hide();
    tips.Close();
    // The window closes whatever happens; a failed save is said, not hidden.
    Messages::guarded(this, [this] {
        SaveMainSettings(env.settingsFile, MainSettings{OutputPath, output.SelectedFormat, JoinOutputPath});
    });
}

void TMainForm::showPage(QWidget* page) {
    for (QWidget* p : {static_cast<QWidget*>(TabSheet6), static_cast<QWidget*>(TabSheet1),
                       static_cast<QWidget*>(TabSheet2)}) {
        if (p != page) PageControl1->setTabVisible(PageControl1->indexOf(p), false);
    }
    PageControl1->setTabVisible(PageControl1->indexOf(page), true);
    PageControl1->setCurrentWidget(page);
}

void TMainForm::BtnGoSplitClick() { showPage(TabSheet1); }

void TMainForm::BtnGoJoinClick() { showPage(TabSheet2); }

// The join page has reset its gauge; only the page changes here.
void TMainForm::BitBtnExitJoinClick() { showPage(TabSheet6); }

// The wizard has set itself back to step 1; only the page changes here.
void TMainForm::BitBtnCancelSplitClick() { showPage(TabSheet6); }

void TMainForm::setNote(const QString& text) {
    TabSheet6->lbNote->setText(text);
    TabSheet6->lbNote->setVisible(!text.isEmpty());
}

void TMainForm::TBXSplitSelect() { setNote("Split large video file to small pieces. Cut parts from video file."); }

void TMainForm::TBXJoinSelect() { setNote("Join video files or convert pictures to AVI,WMV,MPEG "); }

void TMainForm::TBXSettingsSelect() { setNote("Setup output video formats (VCD,SVCD,DVD,AVI,WMV,etc)."); }

void TMainForm::GroupBox5MouseMove() { setNote(QString()); }

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    const bool crossing = event->type() == QEvent::Enter || event->type() == QEvent::Leave;
    if (crossing && watched == TabSheet6->TBXSplit) TBXSplitSelect();
    if (crossing && watched == TabSheet6->TBXJoin) TBXJoinSelect();
    if (crossing && watched == TabSheet6->TBXSettings) TBXSettingsSelect();
    if (event->type() == QEvent::MouseMove && watched == TabSheet6->GroupBox5) {
        // Moves over the large buttons reach the group too; only its background clears the note.
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        QWidget* under = TabSheet6->GroupBox5->childAt(at);
        const bool overButton = under == TabSheet6->TBXSplit || under == TabSheet6->TBXJoin ||
                                under == TabSheet6->TBXSettings;
        if (!overButton) GroupBox5MouseMove();
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::cbFormatChange(int index) { output.Select(index); }

void TMainForm::cbFormat2Change(int index) { output.Select(index); }

void TMainForm::TBXHelpClick() { Messages::openUrl(QUrl::fromLocalFile(env.programFolder + "quillmark.html")); }

void TMainForm::TBXHomepageClick() { Messages::openUrl(QUrl(HomePageAddress)); }

void TMainForm::TBXAboutClick() {
    if (!aboutForm) {
        aboutForm = new TAboutForm(this, env.programFolder);
        aboutForm->setAttribute(Qt::WA_DeleteOnClose);
    }
    aboutForm->hide();
    aboutForm->exec();
}

// Built anew at every opening, so it always shows the settings as they are now.
// Any engine serves for the compressor and profile lists; they are the same.
void TMainForm::SpeedBtnSettingsClick() {
    TSettingForm dialog(this, formatSettings, env.settingsFile, *VE1);
    dialog.exec();
}
