#pragma once

#include "formats/format_settings.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolBar;
class QToolButton;
class RadioGroup;
class TVideoEdit;
class UpDown;

// The modal "Settings" dialog that edits the encoding parameters of every output
// format family, one page per family chosen on the left tool bar.
//
// It edits the caller's FormatSettings in place: "Video only" and "Original Size"
// take effect the moment they change, everything else when OK is pressed, which
// also writes every format key to the settings file. A failed write is shown in
// the error box and keeps the dialog open; the values are already in memory.
// `lists` only supplies the compressor and profile names and must outlive the dialog.
class TSettingForm : public QDialog {
    Q_OBJECT
public:
    TSettingForm(QWidget* parent, FormatSettings& settings, const QString& settingsFile, const TVideoEdit& lists);

    QGroupBox* GroupBox1;  // left frame around the tool bar
    QToolBar* ToolBar1;
    QToolButton* ToolBtnGeneral;
    QToolButton* ToolBtnVCD;
    QToolButton* ToolBtnSVCD;
    QToolButton* ToolBtnDVD;
    QToolButton* ToolBtnMPEG;
    QToolButton* ToolBtnAVI;
    QToolButton* ToolBtnWMV;
    QToolButton* ToolBtnMP4;
    QToolButton* ToolBtnSource;
    QGroupBox* GBSettings;
    QTabWidget* PageControl2;
    QWidget* TabGeneral;
    QWidget* TabVCD;
    QWidget* TabSVCD;
    QWidget* TabDVD;
    QWidget* TabMPEG;
    QWidget* TabAVI;
    QWidget* TabWMV;
    QWidget* TabMP4;
    QWidget* TabSource;

    QCheckBox* CheckVideoOnly;
    QCheckBox* CheckSmartRender;
    RadioGroup* RGResize;

    RadioGroup* RGVCDMode;
    QLineEdit* EdVCDWidth;
    UpDown* UpDownVCDWidth;
    QLineEdit* EdVCDHeight;
    UpDown* UpDownVCDHeight;
    QComboBox* cbVCDFrameRate;

    RadioGroup* RGSVCDMode;
    QLineEdit* EdSVCDWidth;
    UpDown* UpDownSVCDWidth;
    QLineEdit* EdSVCDHeight;
    UpDown* UpDownSVCDHeight;
    QComboBox* cbSVCDFrameRate;

    RadioGroup* RGDVDMode;
    QLineEdit* EdDVDWidth;
    UpDown* UpDownDVDWidth;
    QLineEdit* EdDVDHeight;
    UpDown* UpDownDVDHeight;
    QComboBox* cbDVDFrameRate;

    RadioGroup* RadioGroup1;  // the custom MPEG page's mode, shown but never used
    QLineEdit* EdMPEGWidth;
    UpDown* UpDownMPEGWidth;
    QLineEdit* EdMPEGHeight;
    UpDown* UpDownMPEGHeight;
    QComboBox* cbMPEGFrameRate;
    QComboBox* cbMPEGBitrate;
    QComboBox* cbMPEGSamplerate;

    QLineEdit* EdAVIWidth;
    UpDown* UpDownAVIWidth;
    QLineEdit* EdAVIHeight;
    UpDown* UpDownAVIHeight;
    QCheckBox* CheckOrigSize;
    QComboBox* cbAVIFrameRate;
    QComboBox* cbAVIAudCompr;
    QComboBox* cbAVIVidCompr;

    QComboBox* cbWMVProfile;

    QLineEdit* EdMP4Width;
    UpDown* UpDownMP4Width;
    QLineEdit* EdMP4Height;
    UpDown* UpDownMP4Height;
    QCheckBox* CheckMP4OrigSize;
    QComboBox* cbMP4FrameRate;
    QSpinBox* SpinMP4Quality;
    QComboBox* cbMP4Preset;
    QComboBox* cbMP4Bitrate;  // the 128..320 end of the bit rate list

    QSpinBox* SpinSourceQuality;  // 0 shows as "As good as the source"

    QPushButton* BtnOK;
    QPushButton* BtnCancel;

    void ToolBtnGeneralClick();
    void ToolBtnVCDClick();
    void ToolBtnSVCDClick();
    void ToolBtnDVDClick();
    void ToolBtnMPEGClick();
    void ToolBtnAVIClick();
    void ToolBtnWMVClick();
    void ToolBtnMP4Click();
    void ToolBtnSourceClick();
    void RGVCDModeClick();
    void RGSVCDModeClick();
    void RGDVDModeClick();
    void CheckOrigSizeClick();
    void CheckMP4OrigSizeClick();
    void CheckVideoOnlyChange();
    void BtnOKClick();
    void BtnCancelClick();

    void LoadDialogValues();
    void TakeDialogValues();
    void FillWmvProfileList();
    void FillCompressorLists();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    QWidget* buildToolBar();
    QWidget* buildGeneralPage();
    QWidget* buildDiscPage(const QString& name, RadioGroup*& mode, QLineEdit*& width, UpDown*& widthSpin,
                           QLineEdit*& height, UpDown*& heightSpin, QComboBox*& frameRate);
    QWidget* buildMpegPage();
    QWidget* buildAviPage();
    QWidget* buildWmvPage();
    QWidget* buildMp4Page();
    QWidget* buildSourcePage();
    void showPage(QToolButton* button, QWidget* page);

    FormatSettings& settings;
    const QString settingsFile;
    const TVideoEdit& VideoEdit1;
    QList<QToolButton*> toolButtons;
};
