#include "formats/setting_form.h"

#include "common/icons.h"
#include "common/ini_file.h"
#include "common/messages.h"
#include "engine/video_edit.h"
#include "formats/format_value_lists.h"
#include "common/radio_group.h"
#include "common/up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace {

// A tool bar button whose down state only its page handler changes, so a click on
// the button already down leaves it down instead of toggling it up.
class PageButton : public QToolButton {
public:
    explicit PageButton(const QString& caption) {
        setText(caption);
        setIcon(Icons::formatPage());
        setCheckable(true);
        setAutoRaise(true);
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        setIconSize(QSize(16, 16));
        setMinimumWidth(79);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void nextCheckState() override {}
};

QComboBox* makeList(const QStringList& items = {}) {
    auto* combo = new QComboBox;
    combo->addItems(items);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return combo;
}

// Selects a position, or nothing when the position lies outside the list.
void selectIndex(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// Compressor and profile names are long ("General purpose: 640x480, 25 fps, ...");
// the list grows to show the longest whole, and each name is also its own tooltip.
void fillList(QComboBox* combo, const QStringList& names, int selected) {
    combo->clear();
    combo->addItems(names);
    for (int i = 0; i < names.size(); ++i) combo->setItemData(i, names[i], Qt::ToolTipRole);
    selectIndex(combo, selected);
    combo->setToolTip(combo->currentText());
    QObject::connect(combo, &QComboBox::currentTextChanged, combo, &QComboBox::setToolTip, Qt::UniqueConnection);
}

// A number field with its arrows beside it, as one row item.
QWidget* sizeField(QLineEdit*& edit, UpDown*& spin) { return UpDown::Field(edit, spin, 56, 0, 1000); }

// The MP4 page offers only the upper end of the bit rate list, from 128 kbit/s.
int mp4BitrateOffset() { return IndexOfBitrate(128); }

QGroupBox* group(const QString& caption, QLayout* content) {
    auto* box = new QGroupBox(caption);
    box->setLayout(content);
    return box;
}

QVBoxLayout* pageLayout(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    return layout;
}

}  // namespace

TSettingForm::TSettingForm(QWidget* parent, FormatSettings& formatSettings, const QString& settingsPath,
                           const TVideoEdit& lists)
    : QDialog(parent), settings(formatSettings), settingsFile(settingsPath), VideoEdit1(lists) {
    setWindowTitle("Settings");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    GroupBox1 = new QGroupBox;
    auto* left = new QVBoxLayout(GroupBox1);
    left->setContentsMargins(2, 2, 2, 2);
    left->addWidget(buildToolBar());
    left->addStretch();

    PageControl2 = new QTabWidget;
    PageControl2->setDocumentMode(true);
    TabGeneral = buildGeneralPage();
    TabVCD = buildDiscPage("vcd", RGVCDMode, EdVCDWidth, UpDownVCDWidth, EdVCDHeight, UpDownVCDHeight,
                           cbVCDFrameRate);
    TabSVCD = buildDiscPage("svcd", RGSVCDMode, EdSVCDWidth, UpDownSVCDWidth, EdSVCDHeight, UpDownSVCDHeight,
                            cbSVCDFrameRate);
    TabDVD = buildDiscPage("dvd", RGDVDMode, EdDVDWidth, UpDownDVDWidth, EdDVDHeight, UpDownDVDHeight,
                           cbDVDFrameRate);
    TabMPEG = buildMpegPage();
    TabAVI = buildAviPage();
    TabWMV = buildWmvPage();
    TabMP4 = buildMp4Page();
    TabSource = buildSourcePage();
    PageControl2->addTab(TabGeneral, "General");
    PageControl2->addTab(TabVCD, "vcd");
    PageControl2->addTab(TabSVCD, "svcd");
    PageControl2->addTab(TabDVD, "dvd");
    PageControl2->addTab(TabMPEG, "mpeg");
    PageControl2->addTab(TabAVI, "avi");
    PageControl2->addTab(TabWMV, "wmv");
    PageControl2->addTab(TabMP4, "mp4");
    PageControl2->addTab(TabSource, "source");
    GBSettings = new QGroupBox("Settings");
    auto* right = new QVBoxLayout(GBSettings);
    right->setContentsMargins(4, 4, 4, 4);
    right->addWidget(PageControl2);

    BtnOK = new QPushButton("&OK");
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton("Ca&ncel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);

    auto* top = new QHBoxLayout;
    top->addWidget(GroupBox1);
    top->addWidget(GBSettings, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(RGVCDMode, &RadioGroup::itemIndexChanged, this, &TSettingForm::RGVCDModeClick);
    connect(RGSVCDMode, &RadioGroup::itemIndexChanged, this, &TSettingForm::RGSVCDModeClick);
    connect(RGDVDMode, &RadioGroup::itemIndexChanged, this, &TSettingForm::RGDVDModeClick);
    connect(CheckOrigSize, &QCheckBox::toggled, this, &TSettingForm::CheckOrigSizeClick);
    connect(CheckMP4OrigSize, &QCheckBox::toggled, this, &TSettingForm::CheckMP4OrigSizeClick);
    connect(CheckVideoOnly, &QCheckBox::toggled, this, &TSettingForm::CheckVideoOnlyChange);
    connect(BtnOK, &QPushButton::clicked, this, &TSettingForm::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TSettingForm::BtnCancelClick);

    FormCreate();
}

QWidget* TSettingForm::buildToolBar() {
    ToolBar1 = new QToolBar;
    ToolBar1->setOrientation(Qt::Vertical);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    const QList<std::pair<QToolButton**, QString>> captions{
        {&ToolBtnGeneral, "     &General"}, {&ToolBtnVCD, "     &VCD        "}, {&ToolBtnSVCD, "     &SVCD"},
        {&ToolBtnDVD, "     &DVD"},         {&ToolBtnMPEG, "&Custom MPEG"},      {&ToolBtnAVI, "&AVI/DivX/Xvid"},
        {&ToolBtnWMV, "   &WMV/ASF"},     {&ToolBtnMP4, "     &MP4"},          {&ToolBtnSource, "Sam&e as Source"}};
    for (const auto& [button, caption] : captions) {
        *button = new PageButton(caption);
        ToolBar1->addWidget(*button);
        toolButtons << *button;
    }
    connect(ToolBtnGeneral, &QToolButton::clicked, this, &TSettingForm::ToolBtnGeneralClick);
    connect(ToolBtnVCD, &QToolButton::clicked, this, &TSettingForm::ToolBtnVCDClick);
    connect(ToolBtnSVCD, &QToolButton::clicked, this, &TSettingForm::ToolBtnSVCDClick);
    connect(ToolBtnDVD, &QToolButton::clicked, this, &TSettingForm::ToolBtnDVDClick);
    connect(ToolBtnMPEG, &QToolButton::clicked, this, &TSettingForm::ToolBtnMPEGClick);
    connect(ToolBtnAVI, &QToolButton::clicked, this, &TSettingForm::ToolBtnAVIClick);
    connect(ToolBtnWMV, &QToolButton::clicked, this, &TSettingForm::ToolBtnWMVClick);
    connect(ToolBtnMP4, &QToolButton::clicked, this, &TSettingForm::ToolBtnMP4Click);
    connect(ToolBtnSource, &QToolButton::clicked, this, &TSettingForm::ToolBtnSourceClick);
    return ToolBar1;
}

QWidget* TSettingForm::buildGeneralPage() {
    auto* page = new QWidget;
    CheckVideoOnly = new QCheckBox("Video only");
    CheckSmartRender = new QCheckBox("Copy compatible video without re-encoding");
    CheckSmartRender->setToolTip("When a source is already in the output's format, its pictures are copied and only "
                                 "the frames around each cut are encoded again: faster, and no loss of quality");
    RGResize = new RadioGroup(
        "Resize", {"Resize to fit output size", "No resize", "Resize preserving aspect ratio", "Resize crop"});
    auto* layout = pageLayout(page);
    layout->addWidget(CheckVideoOnly);
    layout->addWidget(CheckSmartRender);
    layout->addWidget(RGResize);
    layout->addStretch();
    return page;
}

// The VCD, SVCD and DVD pages: fixed standards whose size the user may only step
// with the arrows and whose frame rate is shown for information.
QWidget* TSettingForm::buildDiscPage(const QString& name, RadioGroup*& mode, QLineEdit*& width, UpDown*& widthSpin,
                                     QLineEdit*& height, UpDown*& heightSpin, QComboBox*& frameRate) {
    auto* page = new QWidget;
    page->setObjectName(name);
    mode = new RadioGroup("Mode", {"PAL", "NTSC"}, 2);
    mode->setItemIndex(0);
    auto* video = new QGridLayout;
    video->addWidget(new QLabel("Width"), 0, 0);
    video->addWidget(sizeField(width, widthSpin), 0, 1);
    video->addWidget(new QLabel("Height"), 1, 0);
    video->addWidget(sizeField(height, heightSpin), 1, 1);
    frameRate = makeList(FrameRateItems());
    frameRate->setEnabled(false);
    video->addWidget(new QLabel("Frame rate"), 2, 0);
    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(frameRate);
    rateRow->addWidget(new QLabel("(fps)"));
    rateRow->addStretch();
    video->addLayout(rateRow, 2, 1);
    video->setColumnStretch(1, 1);
    for (QLineEdit* field : {width, height}) {
        field->setReadOnly(true);
        field->setEnabled(false);
    }
    auto* layout = pageLayout(page);
    layout->addWidget(mode);
    layout->addWidget(group("Video", video));
    layout->addStretch();
    return page;
}

QWidget* TSettingForm::buildMpegPage() {
    auto* page = new QWidget;
    RadioGroup1 = new RadioGroup("Mode", {"PAL", "NTSC"}, 2);
    RadioGroup1->setItemIndex(0);
    RadioGroup1->setEnabled(false);

    auto* video = new QGridLayout;
    video->addWidget(new QLabel("Width"), 0, 0);
    video->addWidget(sizeField(EdMPEGWidth, UpDownMPEGWidth), 0, 1);
    video->addWidget(new QLabel("Height"), 1, 0);
    video->addWidget(sizeField(EdMPEGHeight, UpDownMPEGHeight), 1, 1);
    cbMPEGFrameRate = makeList(FrameRateItems());
    video->addWidget(new QLabel("Frame rate"), 2, 0);
    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(cbMPEGFrameRate);
    rateRow->addWidget(new QLabel("(fps)"));
    rateRow->addStretch();
    video->addLayout(rateRow, 2, 1);
    video->setColumnStretch(1, 1);

    cbMPEGBitrate = makeList(BitrateItems());
    cbMPEGBitrate->setCurrentIndex(IndexOfBitrate(128));
    cbMPEGSamplerate = makeList(SampleRateItems());
    cbMPEGSamplerate->setCurrentIndex(IndexOfSampleRate(44100));
    auto* audio = new QGridLayout;
    audio->addWidget(new QLabel("Bitrate(kbps)"), 0, 0);
    audio->addWidget(cbMPEGBitrate, 0, 1);
    audio->addWidget(new QLabel("Frequency(Hz)"), 1, 0);
    audio->addWidget(cbMPEGSamplerate, 1, 1);
    audio->setColumnStretch(2, 1);

    auto* layout = pageLayout(page);
    layout->addWidget(RadioGroup1);
    layout->addWidget(group("Video", video));
    layout->addWidget(group("Audio", audio));
    layout->addStretch();
    return page;
}

QWidget* TSettingForm::buildAviPage() {
    auto* page = new QWidget;
    auto* video = new QGridLayout;
    video->addWidget(new QLabel("Width"), 0, 0);
    video->addWidget(sizeField(EdAVIWidth, UpDownAVIWidth), 0, 1);
    video->addWidget(new QLabel("Height"), 1, 0);
    video->addWidget(sizeField(EdAVIHeight, UpDownAVIHeight), 1, 1);
    CheckOrigSize = new QCheckBox("Original Size");
    video->addWidget(CheckOrigSize, 0, 2);
    cbAVIFrameRate = makeList(FrameRateItems());
    video->addWidget(new QLabel("Frame rate (fps)"), 2, 0);
    video->addWidget(cbAVIFrameRate, 2, 1);
    video->setColumnStretch(3, 1);

    cbAVIAudCompr = makeList();
    cbAVIVidCompr = makeList();
    auto* compressor = new QGridLayout;
    compressor->addWidget(new QLabel("Audio"), 0, 0);
    compressor->addWidget(cbAVIAudCompr, 0, 1);
    compressor->addWidget(new QLabel("Video"), 1, 0);
    compressor->addWidget(cbAVIVidCompr, 1, 1);
    compressor->setColumnStretch(1, 1);

    auto* layout = pageLayout(page);
    layout->addWidget(group("Video", video));
    layout->addWidget(group("Compressor", compressor));
    layout->addStretch();
    return page;
}

QWidget* TSettingForm::buildWmvPage() {
    auto* page = new QWidget;
    cbWMVProfile = makeList();
    auto* layout = pageLayout(page);
    layout->addWidget(new QLabel("WMV Profile"));
    layout->addWidget(cbWMVProfile);
    layout->addStretch();
    return page;
}

QWidget* TSettingForm::buildMp4Page() {
    auto* page = new QWidget;
    auto* video = new QGridLayout;
    video->addWidget(new QLabel("Width"), 0, 0);
    video->addWidget(UpDown::Field(EdMP4Width, UpDownMP4Width, 56, 16, 4096), 0, 1);
    video->addWidget(new QLabel("Height"), 1, 0);
    video->addWidget(UpDown::Field(EdMP4Height, UpDownMP4Height, 56, 16, 4096), 1, 1);
    CheckMP4OrigSize = new QCheckBox("Original Size");
    video->addWidget(CheckMP4OrigSize, 0, 2);
    cbMP4FrameRate = makeList(Mp4FrameRateItems());
    video->addWidget(new QLabel("Frame rate (fps)"), 2, 0);
    video->addWidget(cbMP4FrameRate, 2, 1);
    SpinMP4Quality = new QSpinBox;
    SpinMP4Quality->setRange(18, 28);
    SpinMP4Quality->setToolTip("Lower numbers give a better picture and a larger file");
    video->addWidget(new QLabel("Quality (18 best ... 28 smallest)"), 3, 0, 1, 2);
    video->addWidget(SpinMP4Quality, 3, 2);
    cbMP4Preset = makeList(TVideoEdit::MP4Presets());
    cbMP4Preset->setToolTip("Slower presets give a smaller file at the same quality");
    video->addWidget(new QLabel("Preset"), 4, 0);
    video->addWidget(cbMP4Preset, 4, 1);
    video->setColumnStretch(3, 1);

    cbMP4Bitrate = makeList(BitrateItems().mid(mp4BitrateOffset()));
    auto* audio = new QGridLayout;
    audio->addWidget(new QLabel("Bitrate(kbps)"), 0, 0);
    audio->addWidget(cbMP4Bitrate, 0, 1);
    audio->setColumnStretch(2, 1);

    auto* layout = pageLayout(page);
    layout->addWidget(group("Video", video));
    layout->addWidget(group("Audio", audio));
    layout->addStretch();
    return page;
}

// Nothing to choose but how closely the few re-encoded frames match: the rest is the source's.
QWidget* TSettingForm::buildSourcePage() {
    auto* page = new QWidget;
    auto* kept = new QLabel("The parts keep the source's container, codecs and every sound, subtitle and chapter "
                            "track. Only the frames between a cut and the next keyframe are encoded; everything "
                            "else is copied unchanged.");
    kept->setWordWrap(true);
    SpinSourceQuality = new QSpinBox;
    SpinSourceQuality->setRange(0, 51);
    SpinSourceQuality->setSpecialValueText("As good as the source");
    SpinSourceQuality->setToolTip("A rate factor as H.264 counts it: lower numbers give a better picture and a "
                                  "larger file");
    auto* label = new QLabel("&Quality of re-encoded frames (lower is better):");
    label->setBuddy(SpinSourceQuality);
    auto* video = new QGridLayout;
    video->addWidget(label, 0, 0);
    video->addWidget(SpinSourceQuality, 1, 0);
    video->setColumnStretch(1, 1);

    auto* layout = pageLayout(page);
    layout->addWidget(kept);
    layout->addWidget(group("Video", video));
    layout->addStretch();
    return page;
}

void TSettingForm::FormCreate() {
    for (int i = 0; i < PageControl2->count(); ++i) PageControl2->setTabVisible(i, false);
    showPage(ToolBtnGeneral, TabGeneral);
    LoadDialogValues();
}

void TSettingForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TSettingForm::FormShow() {
    FillWmvProfileList();
    FillCompressorLists();
    // The page tabs are hidden, so the tab widget asks for no room of its own: it
    // is given that of its largest page, now that the lists hold their long names.
    QSize largest;
    for (int i = 0; i < PageControl2->count(); ++i) largest = largest.expandedTo(PageControl2->widget(i)->sizeHint());
    PageControl2->setMinimumSize(largest);
}

void TSettingForm::LoadDialogValues() {
    RGResize->setItemIndex(settings.ResizeMode);
    CheckVideoOnly->setChecked(settings.VideoOnly);
    CheckSmartRender->setChecked(settings.SmartRender);
    // Each mode goes in before its height, so the stored height wins over the preset the mode runs.
    RGVCDMode->setItemIndex(settings.VcdMode);
    UpDownVCDWidth->setPosition(settings.VcdWidth);
    UpDownVCDHeight->setPosition(settings.VcdHeight);
    RGSVCDMode->setItemIndex(settings.SvcdMode);
    UpDownSVCDWidth->setPosition(settings.SvcdWidth);
    UpDownSVCDHeight->setPosition(settings.SvcdHeight);
    RGDVDMode->setItemIndex(settings.DvdMode);
    UpDownDVDWidth->setPosition(settings.DvdWidth);
    UpDownDVDHeight->setPosition(settings.DvdHeight);
    cbMPEGBitrate->setCurrentIndex(IndexOfBitrate(settings.MpegAudioBitrate));
    cbMPEGSamplerate->setCurrentIndex(IndexOfSampleRate(settings.MpegAudioSampleRate));
    cbMPEGFrameRate->setCurrentIndex(IndexOfFrameRate(settings.MpegFrameRate));
    UpDownMPEGWidth->setPosition(settings.MpegWidth);
    UpDownMPEGHeight->setPosition(settings.MpegHeight);
    cbAVIFrameRate->setCurrentIndex(IndexOfFrameRate(settings.AviFrameRate));
    UpDownAVIWidth->setPosition(settings.AviWidth);
    UpDownAVIHeight->setPosition(settings.AviHeight);
    // The engine lists are still empty here; FormShow selects these again once they are filled.
    selectIndex(cbAVIAudCompr, settings.AviAudioCompressor);
    selectIndex(cbAVIVidCompr, settings.AviVideoCompressor);
    CheckOrigSize->setChecked(settings.AviOriginalSize);
    selectIndex(cbWMVProfile, settings.WmvProfile);
    UpDownMP4Width->setPosition(settings.Mp4Width);
    UpDownMP4Height->setPosition(settings.Mp4Height);
    CheckMP4OrigSize->setChecked(settings.Mp4OriginalSize);
    CheckMP4OrigSizeClick();
    cbMP4FrameRate->setCurrentIndex(IndexOfMp4FrameRate(settings.Mp4FrameRate));
    SpinMP4Quality->setValue(settings.Mp4Quality);
    selectIndex(cbMP4Preset, settings.Mp4Preset);
    cbMP4Bitrate->setCurrentIndex(std::max(0, IndexOfBitrate(settings.Mp4AudioBitrate) - mp4BitrateOffset()));
    SpinSourceQuality->setValue(settings.SourceQuality);
}

void TSettingForm::TakeDialogValues() {
    settings.ResizeMode = RGResize->itemIndex();
    settings.VideoOnly = CheckVideoOnly->isChecked();
    settings.SmartRender = CheckSmartRender->isChecked();
    settings.VcdMode = RGVCDMode->itemIndex();
    settings.VcdWidth = UpDownVCDWidth->position();
    settings.VcdHeight = UpDownVCDHeight->position();
    settings.SvcdMode = RGSVCDMode->itemIndex();
    settings.SvcdWidth = UpDownSVCDWidth->position();
    settings.SvcdHeight = UpDownSVCDHeight->position();
    settings.DvdMode = RGDVDMode->itemIndex();
    settings.DvdWidth = UpDownDVDWidth->position();
    settings.DvdHeight = UpDownDVDHeight->position();
    settings.MpegAudioBitrate = BitrateFromIndex(cbMPEGBitrate->currentIndex());
    settings.MpegAudioSampleRate = SampleRateFromIndex(cbMPEGSamplerate->currentIndex());
    settings.MpegWidth = UpDownMPEGWidth->position();
    settings.MpegHeight = UpDownMPEGHeight->position();
    settings.MpegFrameRate = FrameRateFromIndex(cbMPEGFrameRate->currentIndex());
    settings.AviWidth = UpDownAVIWidth->position();
    settings.AviHeight = UpDownAVIHeight->position();
    settings.AviFrameRate = FrameRateFromIndex(cbAVIFrameRate->currentIndex());
    settings.AviAudioCompressor = cbAVIAudCompr->currentIndex();
    settings.AviVideoCompressor = cbAVIVidCompr->currentIndex();
    settings.WmvProfile = cbWMVProfile->currentIndex();
    settings.Mp4Width = UpDownMP4Width->position();
    settings.Mp4Height = UpDownMP4Height->position();
    settings.Mp4FrameRate = Mp4FrameRateFromIndex(cbMP4FrameRate->currentIndex());
    settings.Mp4Quality = SpinMP4Quality->value();
    settings.Mp4Preset = std::max(0, cbMP4Preset->currentIndex());
    settings.Mp4AudioBitrate = BitrateFromIndex(cbMP4Bitrate->currentIndex() + mp4BitrateOffset());
    settings.SourceQuality = SpinSourceQuality->value();
}

void TSettingForm::FillWmvProfileList() { fillList(cbWMVProfile, VideoEdit1.WMVProfiles(), settings.WmvProfile); }

void TSettingForm::FillCompressorLists() {
    fillList(cbAVIVidCompr, VideoEdit1.VideoCompressors(), settings.AviVideoCompressor);
    fillList(cbAVIAudCompr, VideoEdit1.AudioCompressors(), settings.AviAudioCompressor);
}

void TSettingForm::showPage(QToolButton* button, QWidget* page) {
    if (button->isChecked()) return;
    for (QToolButton* b : toolButtons) b->setChecked(b == button);
    PageControl2->setCurrentWidget(page);
}

void TSettingForm::ToolBtnGeneralClick() { showPage(ToolBtnGeneral, TabGeneral); }
void TSettingForm::ToolBtnVCDClick() { showPage(ToolBtnVCD, TabVCD); }
void TSettingForm::ToolBtnSVCDClick() { showPage(ToolBtnSVCD, TabSVCD); }
void TSettingForm::ToolBtnDVDClick() { showPage(ToolBtnDVD, TabDVD); }
void TSettingForm::ToolBtnMPEGClick() { showPage(ToolBtnMPEG, TabMPEG); }
void TSettingForm::ToolBtnAVIClick() { showPage(ToolBtnAVI, TabAVI); }
void TSettingForm::ToolBtnWMVClick() { showPage(ToolBtnWMV, TabWMV); }
void TSettingForm::ToolBtnMP4Click() { showPage(ToolBtnMP4, TabMP4); }
void TSettingForm::ToolBtnSourceClick() { showPage(ToolBtnSource, TabSource); }

void TSettingForm::RGVCDModeClick() {
    if (auto h = ModePresetHeight(DiscFamily::Vcd, RGVCDMode->itemIndex())) UpDownVCDHeight->setPosition(*h);
}

void TSettingForm::RGSVCDModeClick() {
    if (auto h = ModePresetHeight(DiscFamily::Svcd, RGSVCDMode->itemIndex())) UpDownSVCDHeight->setPosition(*h);
}

void TSettingForm::RGDVDModeClick() {
    if (auto h = ModePresetHeight(DiscFamily::Dvd, RGDVDMode->itemIndex())) UpDownDVDHeight->setPosition(*h);
}

// Locks the AVI size while the source's own size applies. The arrows are locked
// with the fields: a size that will not be used should not change unseen.
void TSettingForm::CheckOrigSizeClick() {
    const bool original = CheckOrigSize->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{EdAVIWidth, EdAVIHeight, UpDownAVIWidth, UpDownAVIHeight}) {
        w->setEnabled(!original);
    }
    settings.AviOriginalSize = original;
}

void TSettingForm::CheckMP4OrigSizeClick() {
    const bool original = CheckMP4OrigSize->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{EdMP4Width, EdMP4Height, UpDownMP4Width, UpDownMP4Height}) {
        w->setEnabled(!original);
    }
    settings.Mp4OriginalSize = original;
}

void TSettingForm::CheckVideoOnlyChange() { settings.VideoOnly = CheckVideoOnly->isChecked(); }

void TSettingForm::BtnOKClick() {
    // A failed write ends the handler before the dialog closes, so the user can
    // retry or cancel; the values taken are in memory either way.
    Messages::guarded(this, [this] {
        TakeDialogValues();
        IniFile ini(settingsFile);
        SaveFormatSettings(ini, settings);
        accept();
    });
}

void TSettingForm::BtnCancelClick() { reject(); }
