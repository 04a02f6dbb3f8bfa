#include "split/split_point_panel.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
QToolButton* transport(QToolBar* bar, QStyle::StandardPixmap icon, const QString& hint, const QKeySequence& key) {
    auto* b = new QToolButton;
    b->setIcon(bar->style()->standardIcon(icon));
    b->setToolTip(hint);
    b->setShortcut(key);
    b->setAutoRaise(true);
    b->setEnabled(false);
    bar->addWidget(b);
    return b;
}

QPushButton* listButton(const QString& text, const QString& hint) {
    auto* b = new QPushButton(text);
    b->setToolTip(hint);
    b->setEnabled(false);
    return b;
}
}  // namespace

SplitPointPanel::SplitPointPanel(QWidget* parent) : QGroupBox("Split Point Settings", parent) {
    TrackBar1 = new QSlider(Qt::Horizontal);
    TrackBar1->setRange(0, 100);
    TrackBar1->setEnabled(false);

    TBToolbar1 = new QToolBar;
    TBToolbar1->setIconSize(QSize(16, 16));
    // Icons only, so their accelerators are plain Alt keys: Play, paUse, stOp.
    SpeedBtnPlay = transport(TBToolbar1, QStyle::SP_MediaPlay, "Play", QKeySequence(Qt::ALT | Qt::Key_P));
    SpeedBtnPause = transport(TBToolbar1, QStyle::SP_MediaPause, "Pause", QKeySequence(Qt::ALT | Qt::Key_U));
    SpeedBtnStop = transport(TBToolbar1, QStyle::SP_MediaStop, "Stop", QKeySequence(Qt::ALT | Qt::Key_O));
    lbElapsedTime = new QLabel("00:00:00");
    lbTotalTime = new QLabel("00:00:00");
    lbExactPosition = new QLabel;
    lbExactPosition->setToolTip("Position of the frame shown");
    // Room for the longest text it shows, so the controls beside it keep still.
    lbExactPosition->setMinimumWidth(lbExactPosition->fontMetrics().horizontalAdvance("(00:00:00.000, frame 0000)"));
    SpeedBtnSet = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), "&Set");
    SpeedBtnSet->setToolTip("Set as split time point");
    SpeedBtnSet->setEnabled(false);
    CheckTip = new QCheckBox("&Enable Tooltips");
    CheckTip->setEnabled(false);

    // All three buttons stay in sight; a narrow window must not fold them away.
    TBToolbar1->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* controls = new QHBoxLayout;
    controls->addWidget(TBToolbar1);
    controls->addWidget(lbElapsedTime);
    controls->addWidget(new QLabel("/"));
    controls->addWidget(lbTotalTime);
    controls->addSpacing(6);
    controls->addWidget(lbExactPosition);
    controls->addStretch();
    controls->addWidget(SpeedBtnSet);

    ListView1 = new QTreeWidget;
    ListView1->setHeaderLabels({"Part", "Start time", "End time", "Length", "File name"});
    // The widths of the window layout, widened where a heading or a clock would
    // not fit in the desktop's font.
    const int widths[] = {40, 60, 60, 60, 60};
    const int clock = ListView1->fontMetrics().horizontalAdvance("00:00:00") +
                      2 * (ListView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView1) + 1) + 4;
    for (int i = 0; i < 5; ++i) {
        int width = std::max(widths[i], ListView1->header()->sectionSizeHint(i));
        if (i >= 1 && i <= 3) width = std::max(width, clock);
        ListView1->setColumnWidth(i, width);
    }
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->setEnabled(false);
    PopupMenu1 = new QMenu(this);
    Edit1 = PopupMenu1->addAction("E&dit Selection");
    Remove1 = PopupMenu1->addAction("&Remove Selection");

    BitBtnEdit = listButton("E&dit Selection", "Edit Selecttion");
    BitBtnRemove = listButton("&Remove", "Remove selected item");
    BitBtnRemoveAll = listButton("Remove A&ll", "Remove all items");
    BtnSegments = listButton("Se&gments", "Export or import the list of parts");
    SegmentsMenu = new QMenu(this);
    ExportList = SegmentsMenu->addAction("&Export List...");
    ImportList = SegmentsMenu->addAction("&Import List...");
    ExportChapters = SegmentsMenu->addAction("Export &Chapters...");
    BtnSegments->setMenu(SegmentsMenu);
    BtnDetect = listButton("Dete&ct", "Find split points at scene changes, black frames or silences");
    DetectMenu = new QMenu(this);
    DetectScenes = DetectMenu->addAction("&Scene Changes...");
    DetectBlack = DetectMenu->addAction("&Black Frames...");
    DetectSilence = DetectMenu->addAction("S&ilences...");
    BtnDetect->setMenu(DetectMenu);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(BitBtnEdit);
    buttons->addWidget(BitBtnRemove);
    buttons->addWidget(BitBtnRemoveAll);
    buttons->addWidget(BtnSegments);
    buttons->addWidget(BtnDetect);
    buttons->addStretch();
    // Beside the list it governs, which leaves the clock row room for the exact time.
    buttons->addWidget(CheckTip);
    auto* list = new QHBoxLayout;
    list->addWidget(ListView1, 1);
    list->addLayout(buttons);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    layout->addWidget(TrackBar1);
    layout->addLayout(controls);
    layout->addLayout(list, 1);
}
