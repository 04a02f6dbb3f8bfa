#pragma once

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTextEdit;
class QToolButton;
class NoteLabel;
class PieChart;
class SplitPointPanel;
class TrackList;
class UpDown;

// The split wizard's page: three steps shown one at a time, and the buttons below
// them. Only the controls live here; the wizard's behaviour drives them.
class SplitPage : public QWidget {
    Q_OBJECT
public:
    explicit SplitPage(QWidget* parent = nullptr);

    // Shows step 1, 2 or 3: only that step's tab is visible.
    void showStep(int step);
    int currentStep() const;

    QTabWidget* PageControl2;
    QWidget* TabSheet3;
    QWidget* TabSheet4;
    QWidget* TabSheet5;

    // Step 1: source and destination.
    QLineEdit* EdFilePathName;
    QToolButton* SpeedBtnOpen;
    TrackList* TrackList1;  // the source's sound and subtitle tracks, each with a tick
    QComboBox* cbFormat;
    QPushButton* SpeedBtnSettings;
    QRadioButton* RBSame;
    QRadioButton* RBSavePath;
    QLineEdit* EdSavePath;
    QPushButton* SpeedBtnSavePath;

    // Step 2: split mode.
    QRadioButton* RBAmount;
    QLineEdit* EdAmount;
    UpDown* UpDown1;
    QRadioButton* RBTime;
    QLineEdit* EdMin;
    UpDown* UpDown2;
    QLineEdit* EdSec;
    UpDown* UpDown3;
    QRadioButton* RBSize;
    QLineEdit* EdSize;
    QComboBox* CbSizeUnit;  // "MB", "GB"
    QRadioButton* RBManual;
    SplitPointPanel* GroupBoxManual;
    PieChart* Chart1;

    // Step 3: ready to split.
    QLabel* Label14;
    QTextEdit* RichEdit1;
    QPlainTextEdit* Memo1;
    QLabel* lbPart;
    QProgressBar* Gauge1;
    QProgressBar* Gauge2;
    QLabel* lbTimes;    // elapsed and left, or how the run ended
    NoteLabel* lbNote;  // how the engine renders the current part

    QPushButton* BitBtnBack;
    QPushButton* BitBtnNext;
    QPushButton* BitBtnCancelSplit;

private:
    QWidget* buildStep1();
    QWidget* buildStep2();
    QWidget* buildStep3();
};
