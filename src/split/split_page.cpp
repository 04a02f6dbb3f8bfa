#include "split/split_page.h"

#include "common/note_label.h"
#include "common/track_list.h"
#include "common/up_down.h"
#include "split/pie_chart.h"
#include "split/split_point_panel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The width a line edit needs to show `text` without scrolling: the text, the
// edit's own margins and its frame.
int FieldWidthFor(const QLineEdit* edit, const QString& text) {
    const QMargins margins = edit->textMargins() + edit->contentsMargins();
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    constexpr int kInnerMargin = 2;  // QLineEdit's fixed gap on each side of the text
    constexpr int kCursor = 1;
    return edit->fontMetrics().horizontalAdvance(text) + margins.left() + margins.right() + 2 * frame +
           2 * kInnerMargin + kCursor;
}

}  // namespace

SplitPage::SplitPage(QWidget* parent) : QWidget(parent) {
    PageControl2 = new QTabWidget(this);
    TabSheet3 = buildStep1();
    TabSheet4 = buildStep2();
    TabSheet5 = buildStep3();
    PageControl2->addTab(TabSheet3, "Step &1 of 3: Source and Destination");
    PageControl2->addTab(TabSheet4, "Step &2 of 3: Select Split Mode");
    PageControl2->addTab(TabSheet5, "Step &3 of 3: Start Splitting");

    BitBtnBack = new QPushButton(style()->standardIcon(QStyle::SP_ArrowBack), " &Back");
    BitBtnBack->setToolTip("Previous step");
    BitBtnBack->setEnabled(false);
    BitBtnNext = new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward), "&Next");
    BitBtnNext->setToolTip("Next step");
    BitBtnCancelSplit = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "E&xit");
    BitBtnCancelSplit->setToolTip("Cancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnBack);
    buttons->addWidget(BitBtnNext);
    buttons->addWidget(BitBtnCancelSplit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl2, 1);
    layout->addLayout(buttons);
    showStep(1);
    // Files are dropped on step 1 as a whole; no text field takes one as text.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->setAcceptDrops(false);
    Memo1->setAcceptDrops(false);
    RichEdit1->setAcceptDrops(false);
}

QWidget* SplitPage::buildStep1() {
    auto* page = new QWidget;

    EdFilePathName = new QLineEdit;
    EdFilePathName->setReadOnly(true);
    SpeedBtnOpen = new QToolButton;
    SpeedBtnOpen->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    SpeedBtnOpen->setToolTip("Open file");
    SpeedBtnOpen->setShortcut(QKeySequence(Qt::ALT | Qt::Key_O));
    auto* source = new QHBoxLayout;
    source->addWidget(EdFilePathName, 1);
    source->addWidget(SpeedBtnOpen);
    TrackList1 = new TrackList;
    TrackList1->setMinimumHeight(60);

    auto* formatGroup = new QGroupBox("Save Format");
    cbFormat = new QComboBox;
    SpeedBtnSettings = new QPushButton("S&ettings...");
    SpeedBtnSettings->setToolTip("Output video formats settings");
    auto* formatRow = new QHBoxLayout(formatGroup);
    auto* formatLabel = new QLabel("Sa&ve Format:");
    formatLabel->setBuddy(cbFormat);
    formatRow->addWidget(formatLabel);
    formatRow->addWidget(cbFormat, 1);
    formatRow->addWidget(SpeedBtnSettings);

    auto* pathGroup = new QGroupBox("Save Path");
    RBSame = new QRadioButton("Sa&me as the source file");
    RBSame->setChecked(true);
    RBSavePath = new QRadioButton("&Path");
    EdSavePath = new QLineEdit;
    EdSavePath->setEnabled(false);
    SpeedBtnSavePath = new QPushButton("Se&lect");
    SpeedBtnSavePath->setToolTip("Select path");
    SpeedBtnSavePath->setEnabled(false);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(RBSavePath);
    pathRow->addWidget(EdSavePath, 1);
    pathRow->addWidget(SpeedBtnSavePath);
    auto* pathLayout = new QVBoxLayout(pathGroup);
    pathLayout->addWidget(RBSame);
    pathLayout->addLayout(pathRow);

    auto* layout = new QVBoxLayout(page);
    auto* sourceLabel = new QLabel("Source &File");
    sourceLabel->setBuddy(EdFilePathName);
    layout->addWidget(sourceLabel);
    layout->addLayout(source);
    auto* tracksLabel = new QLabel("Sound and subtitle &tracks");
    tracksLabel->setBuddy(TrackList1);
    layout->addWidget(tracksLabel);
    layout->addWidget(TrackList1, 1);
    layout->addWidget(formatGroup);
    layout->addWidget(pathGroup);
    return page;
}

QWidget* SplitPage::buildStep2() {
    auto* page = new QWidget;
    auto* modes = new QGroupBox("Split Mode");
    RBAmount = new QRadioButton("By A&mount");
    RBAmount->setChecked(true);
    // Free text: the wizard itself says what is wrong with a typed number. Each box
    // and its arrows share a parent, so they are switched on and off together.
    auto numberBox = [](QLineEdit*& edit, UpDown*& arrows, int max, int step, int position) {
        QWidget* box = UpDown::Field(edit, arrows, 40, 0, max, step, true);
        arrows->setPosition(position);
        return box;
    };
    QWidget* amountBox = numberBox(EdAmount, UpDown1, 100, 1, 2);
    // Five digits show whole in the desktop's font.
    EdAmount->setFixedWidth(std::max(40, FieldWidthFor(EdAmount, "99999")));
    RBTime = new QRadioButton("By T&ime");
    QWidget* minBox = numberBox(EdMin, UpDown2, 100, 1, 2);
    QWidget* secBox = numberBox(EdSec, UpDown3, 60, 5, 0);
    minBox->setEnabled(false);
    secBox->setEnabled(false);
    RBSize = new QRadioButton("By Si&ze");
    EdSize = new QLineEdit("700");
    EdSize->setFixedWidth(std::max(40, FieldWidthFor(EdSize, "99999")));
    CbSizeUnit = new QComboBox;
    CbSizeUnit->addItems({"MB", "GB"});
    auto* sizeBox = new QWidget;
    auto* sizeRow = new QHBoxLayout(sizeBox);
    sizeRow->setContentsMargins(0, 0, 0, 0);
    sizeRow->addWidget(EdSize);
    sizeRow->addWidget(CbSizeUnit);
    sizeBox->setEnabled(false);
    RBManual = new QRadioButton("By Se&ttings");
    Chart1 = new PieChart;

    auto* grid = new QGridLayout(modes);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(0);
    grid->addWidget(RBAmount, 0, 0);
    grid->addWidget(new QLabel("Split In"), 0, 1);
    grid->addWidget(amountBox, 0, 2);
    grid->addWidget(new QLabel("Same Size Parts"), 0, 3, 1, 3);
    grid->addWidget(RBTime, 1, 0);
    grid->addWidget(new QLabel("Split Every"), 1, 1);
    grid->addWidget(minBox, 1, 2);
    grid->addWidget(new QLabel("Min"), 1, 3);
    grid->addWidget(secBox, 1, 4);
    grid->addWidget(new QLabel("Sec"), 1, 5);
    grid->addWidget(RBSize, 2, 0);
    grid->addWidget(new QLabel("At Most"), 2, 1);
    grid->addWidget(sizeBox, 2, 2, 1, 2);
    grid->addWidget(new QLabel("Per Part"), 2, 4, 1, 2);
    grid->addWidget(RBManual, 3, 0);
    grid->setColumnStretch(6, 1);
    grid->addWidget(Chart1, 0, 7, 4, 1, Qt::AlignRight | Qt::AlignTop);

    GroupBoxManual = new SplitPointPanel;

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(modes);
    layout->addWidget(GroupBoxManual, 1);
    return page;
}

QWidget* SplitPage::buildStep3() {
    auto* page = new QWidget;
    auto* ready = new QGroupBox("Ready to Split");
    Label14 = new QLabel(" Wizard is now ready to split  file.");
    RichEdit1 = new QTextEdit;
    RichEdit1->setReadOnly(true);
    RichEdit1->setPlainText(
        "Click Split to  start splitting, or click Back to review if you want to review or change \n"
        "any settings.");
    // Reads as a note, not as a field.
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setStyleSheet("background: transparent");
    RichEdit1->setFixedHeight(3 * RichEdit1->fontMetrics().lineSpacing() + 8);
    Memo1 = new QPlainTextEdit;
    Memo1->setReadOnly(true);
    auto* readyLayout = new QVBoxLayout(ready);
    readyLayout->addWidget(Label14);
    readyLayout->addWidget(RichEdit1);
    readyLayout->addWidget(Memo1, 1);

    lbPart = new QLabel("Current Part");
    Gauge1 = new QProgressBar;
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge2 = new QProgressBar;
    Gauge2->setRange(0, 100);
    Gauge2->setValue(0);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(ready, 1);
    layout->addWidget(lbPart);
    layout->addWidget(Gauge1);
    layout->addWidget(new QLabel("Total Progress"));
    layout->addWidget(Gauge2);
    lbTimes = new QLabel;
    layout->addWidget(lbTimes);
    lbNote = new NoteLabel;
    layout->addWidget(lbNote);
    return page;
}

void SplitPage::showStep(int step) {
    for (int i = 0; i < PageControl2->count(); ++i) PageControl2->setTabVisible(i, i == step - 1);
    PageControl2->setCurrentIndex(step - 1);
}

int SplitPage::currentStep() const { return PageControl2->currentIndex() + 1; }
