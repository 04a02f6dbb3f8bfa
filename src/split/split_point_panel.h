#pragma once

#include <QGroupBox>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;

// The "Split Point Settings" group: a preview read-out with its transport, the
// button that turns the time shown into a split point, and the list of parts.
class SplitPointPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit SplitPointPanel(QWidget* parent = nullptr);

    QSlider* TrackBar1;
    QToolBar* TBToolbar1;
    QToolButton* SpeedBtnPlay;
    QToolButton* SpeedBtnPause;
    QToolButton* SpeedBtnStop;
    QLabel* lbElapsedTime;
    QLabel* lbTotalTime;
    // The frame on show to the millisecond, with its number.
    QLabel* lbExactPosition;
    QPushButton* SpeedBtnSet;
    QCheckBox* CheckTip;
    QTreeWidget* ListView1;
    QPushButton* BitBtnEdit;
    QPushButton* BitBtnRemove;
    QPushButton* BitBtnRemoveAll;
    // The list kept outside the program: export, import, chapters.
    QPushButton* BtnSegments;
    QMenu* SegmentsMenu;
    QAction* ExportList;
    QAction* ImportList;
    QAction* ExportChapters;
    // Split points found from the content.
    QPushButton* BtnDetect;
    QMenu* DetectMenu;
    QAction* DetectScenes;
    QAction* DetectBlack;
    QAction* DetectSilence;
    QMenu* PopupMenu1;
    QAction* Edit1;
    QAction* Remove1;
    QTimer* Timer1;
};
