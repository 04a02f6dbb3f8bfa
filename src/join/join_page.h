#pragma once

#include "join/join_list_view.h"

#include <QWidget>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class NoteLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QToolBar;
class QToolButton;

// The join page: the list of videos and pictures, the preview, the output choices
// and the run buttons. Only the controls live here; the join behaviour drives them.
class JoinPage : public QWidget {
    Q_OBJECT
public:
    explicit JoinPage(QWidget* parent = nullptr);

    QToolBar* ToolBar1;
    QAction* ToolBtnOpen;
    QAction* ToolBtnRemove;
    QAction* ToolBtnRemoveAll;
    QAction* ToolBtnMoveUp;
    QAction* ToolBtnMoveDown;
    QAction* ToolBtnPicSet;
    QAction* ToolBtnTracks;

    JoinListView* ListView2;
    QLabel* lbTotalLength;  // what the output will last
    QMenu* PopupMenu2;
    QAction* MenuAddFiles;
    QAction* MenuRemove;
    QAction* MenuRemoveAll;
    QAction* MenuMoveUp;
    QAction* MenuMoveDown;
    QAction* MenuPlay;
    QAction* MenuPause;
    QAction* MenuStop;
    QAction* MenuStartJoining;

    QFrame* Panel2;  // black preview surface
    QLabel* Image2;  // fills Panel2; a picture entry is stretched into it
    QWidget* TBToolbar2;  // holds the three preview buttons
    QToolButton* TBPlay;
    QToolButton* TBPause;
    QToolButton* TBStop;
    QLabel* lbElapsedTime2;
    QLabel* lbTotalTime2;
    QSlider* TrackBar2;

    QLineEdit* EdSaveFileName;
    QLineEdit* EdSavePath2;
    QPushButton* SpeedBtnSavePath2;
    QComboBox* cbFormat2;
    QPushButton* SpeedBtnSet2;
    QProgressBar* Gauge3;
    QLabel* lbTimes3;    // elapsed and left, or how the run ended
    NoteLabel* lbNote3;  // how the engine renders the clip it is at
    QPushButton* BitBtnJoin;
    QPushButton* BitBtnStopJoin;
    QPushButton* BitBtnExitJoin;

private:
    void buildPopupMenu();
    QWidget* buildPreview();
    QWidget* buildOutput();
};
