#include "join/join_page.h"

#include "common/note_label.h"
#include "formats/output_format.h"
#include "join/join_list_view.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <iterator>

namespace {
QAction* addTool(QToolBar* bar, QStyle::StandardPixmap icon, const QString& text, const QString& hint) {
    QAction* action = bar->addAction(bar->style()->standardIcon(icon), text);
    action->setIconText(text);  // keep the "..." that tool buttons drop by default
    action->setToolTip(hint);
    return action;
}

QToolButton* transportButton(QWidget* owner, QStyle::StandardPixmap icon, const QString& hint) {
    auto* button = new QToolButton;
    button->setIcon(owner->style()->standardIcon(icon));
    button->setToolTip(hint);
    button->setEnabled(false);
    button->setAutoRaise(true);
    return button;
}
}  // namespace

JoinPage::JoinPage(QWidget* parent) : QWidget(parent) {
    ToolBar1 = new QToolBar;
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(16, 16));
    // The '&' marks each caption's Alt key; it is not shown.
    ToolBtnOpen = addTool(ToolBar1, QStyle::SP_FileDialogStart, "Add F&iles...", "Add files");
    ToolBar1->addSeparator();
    ToolBtnRemove = addTool(ToolBar1, QStyle::SP_DialogDiscardButton, "&Remove", "Remove selected item");
    ToolBtnRemoveAll = addTool(ToolBar1, QStyle::SP_TrashIcon, "Remo&ve All", "Remove all items");
    ToolBar1->addSeparator();
    ToolBtnMoveUp = addTool(ToolBar1, QStyle::SP_ArrowUp, "Move &Up", "Move up selected item");
    ToolBtnMoveDown = addTool(ToolBar1, QStyle::SP_ArrowDown, "Move &Down", "Move down selected item");
    ToolBar1->addSeparator();
    ToolBtnPicSet = addTool(ToolBar1, QStyle::SP_FileDialogDetailedView, "&Options...", "Picture options");
    ToolBtnTracks = addTool(ToolBar1, QStyle::SP_MediaVolume, "Tr&acks...", "Sound and subtitle tracks of the videos");
    ToolBar1->addSeparator();

    ListView2 = new JoinListView;
    ListView2->setHeaderLabels({"#", "File name", "Format", "Size"});
    ListView2->setColumnWidth(0, 40);
    ListView2->setColumnWidth(1, 120);
    ListView2->setColumnWidth(2, 60);
    ListView2->setColumnWidth(3, 80);
    ListView2->setRootIsDecorated(false);
    ListView2->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView2->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView2->setIconSize(QSize(32, 24));
    ListView2->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu2 = new QMenu(this);
    buildPopupMenu();
    connect(ListView2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu2->popup(ListView2->viewport()->mapToGlobal(at)); });

    lbTotalLength = new QLabel("Total length: 0:00:00");
    auto* list = new QVBoxLayout;
    list->addWidget(ListView2, 1);
    list->addWidget(lbTotalLength);
    auto* middle = new QHBoxLayout;
    middle->addLayout(list, 1);
    middle->addWidget(buildPreview());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ToolBar1);
    layout->addLayout(middle, 1);
    layout->addWidget(buildOutput());

    // Top to bottom, left to right, as the page is laid out.
    QWidget* order[] = {ListView2, TBPlay, TBPause, TBStop, TrackBar2, EdSaveFileName, EdSavePath2,
                        SpeedBtnSavePath2, cbFormat2, SpeedBtnSet2, BitBtnJoin, BitBtnStopJoin, BitBtnExitJoin};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void JoinPage::buildPopupMenu() {
    MenuAddFiles = PopupMenu2->addAction("Add Files...");
    MenuRemove = PopupMenu2->addAction("Remove");
    MenuRemoveAll = PopupMenu2->addAction("Remove All");
    MenuMoveUp = PopupMenu2->addAction("Move Up");
    MenuMoveDown = PopupMenu2->addAction("Move Down");
    PopupMenu2->addSeparator();
    MenuPlay = PopupMenu2->addAction("Play");
    MenuPause = PopupMenu2->addAction("Pause");
    MenuStop = PopupMenu2->addAction("Stop");
    PopupMenu2->addSeparator();
    MenuStartJoining = PopupMenu2->addAction("Start Joining");
    for (QAction* a : PopupMenu2->actions()) {
        if (a != MenuAddFiles) a->setEnabled(false);
    }
}

QWidget* JoinPage::buildPreview() {
    auto* box = new QWidget;
    Panel2 = new QFrame;
    Panel2->setFixedSize(209, 169);
    Panel2->setToolTip("Preview");
    Panel2->setAutoFillBackground(true);
    QPalette black = Panel2->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    Panel2->setPalette(black);
    Image2 = new QLabel("Video Display", Panel2);
    Image2->setAlignment(Qt::AlignCenter);
    Image2->setScaledContents(true);
    Image2->setGeometry(0, 0, 209, 169);

    // Buttons without captions: their keys are Alt and a letter of the hint.
    TBPlay = transportButton(this, QStyle::SP_MediaPlay, "Play");
    TBPlay->setShortcut(QKeySequence(Qt::ALT | Qt::Key_L));
    TBPause = transportButton(this, QStyle::SP_MediaPause, "Pause");
    TBPause->setShortcut(QKeySequence(Qt::ALT | Qt::Key_E));
    TBStop = transportButton(this, QStyle::SP_MediaStop, "Stop");
    TBStop->setShortcut(QKeySequence(Qt::ALT | Qt::Key_K));
    lbElapsedTime2 = new QLabel("00:00:00");
    lbTotalTime2 = new QLabel("00:00:00");
    TBToolbar2 = new QWidget;
    auto* buttons = new QHBoxLayout(TBToolbar2);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    buttons->addWidget(TBPlay);
    buttons->addWidget(TBPause);
    buttons->addWidget(TBStop);
    auto* transport = new QHBoxLayout;
    transport->addWidget(TBToolbar2);
    transport->addStretch();
    transport->addWidget(lbElapsedTime2);
    transport->addWidget(new QLabel("/"));
    transport->addWidget(lbTotalTime2);

    TrackBar2 = new QSlider(Qt::Horizontal);
    TrackBar2->setRange(0, 100);

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Panel2);
    layout->addLayout(transport);
    layout->addWidget(TrackBar2);
    return box;
}

QWidget* JoinPage::buildOutput() {
    auto* box = new QWidget;
    EdSaveFileName = new QLineEdit("Untitled");
    EdSavePath2 = new QLineEdit;
    // A file dropped just below the list must not land here as text.
    EdSaveFileName->setAcceptDrops(false);
    EdSavePath2->setAcceptDrops(false);
    SpeedBtnSavePath2 = new QPushButton("Sele&ct");
    SpeedBtnSavePath2->setToolTip("Select path");
    cbFormat2 = new QComboBox;
    cbFormat2->addItems(JoinFormatNames());
    SpeedBtnSet2 = new QPushButton("Se&ttings...");
    SpeedBtnSet2->setToolTip("Set video formats");

    Gauge3 = new QProgressBar;
    Gauge3->setRange(0, 100);
    Gauge3->setValue(0);
    BitBtnJoin = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), "&Join");
    BitBtnJoin->setToolTip("Start joining");
    BitBtnStopJoin = new QPushButton(style()->standardIcon(QStyle::SP_MediaStop), "Sto&p");
    BitBtnStopJoin->setToolTip("Stop");
    BitBtnStopJoin->setEnabled(false);
    BitBtnExitJoin = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "E&xit");
    BitBtnExitJoin->setToolTip("Go back to  main menu");

    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto label = [](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label("&File name", EdSaveFileName), 0, 0);
    grid->addWidget(EdSaveFileName, 0, 1);
    grid->addWidget(label("&Save path:", EdSavePath2), 1, 0);
    grid->addWidget(EdSavePath2, 1, 1);
    grid->addWidget(SpeedBtnSavePath2, 1, 2);
    grid->addWidget(label("Save for&mat:", cbFormat2), 2, 0);
    grid->addWidget(cbFormat2, 2, 1);
    grid->addWidget(SpeedBtnSet2, 2, 2);
    auto* run = new QHBoxLayout;
    run->addWidget(Gauge3, 1);
    run->addWidget(BitBtnJoin);
    run->addWidget(BitBtnStopJoin);
    run->addWidget(BitBtnExitJoin);
    grid->addLayout(run, 3, 0, 1, 3);
    lbTimes3 = new QLabel;
    grid->addWidget(lbTimes3, 4, 0, 1, 3);
    lbNote3 = new NoteLabel;
    grid->addWidget(lbNote3, 5, 0, 1, 3);
    return box;
}
