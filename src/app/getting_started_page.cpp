#include "app/getting_started_page.h"

#include "common/icons.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QToolButton* bigButton(QToolBar* bar, const QIcon& icon, const QString& text, const QString& hint) {
    auto* button = new QToolButton;
    button->setIcon(icon);
    button->setText(text);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(48, 48));
    button->setAutoRaise(true);
    button->setMinimumWidth(110);
    bar->addWidget(button);
    return button;
}
}  // namespace

GettingStartedPage::GettingStartedPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildTips());
    layout->addWidget(buildStart(), 1);
}

QWidget* GettingStartedPage::buildTips() {
    auto* group = new QGroupBox("Tips");
    auto* bulb = new QLabel;
    bulb->setPixmap(Icons::bulb().pixmap(32, 32));

    // The tip sits in a disabled panel so it reads like a note, not a text field.
    auto* panel = new QWidget;
    panel->setEnabled(false);
    RichEdit3 = new QTextEdit(panel);
    RichEdit3->setReadOnly(true);
    RichEdit3->setFrameShape(QFrame::NoFrame);
    RichEdit3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette tipLook = RichEdit3->palette();
    tipLook.setColor(QPalette::Disabled, QPalette::Text, tipLook.color(QPalette::Active, QPalette::Text));
    tipLook.setColor(QPalette::Disabled, QPalette::Base, tipLook.color(QPalette::Active, QPalette::Window));
    RichEdit3->setPalette(tipLook);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(RichEdit3);
    panel->setFixedHeight(64);

    BitBtnNextTip = new QPushButton("&Next Tip");
    BitBtnNextTip->setToolTip("Next tip");

    auto* text = new QVBoxLayout;
    text->addWidget(new QLabel("Did you know?"));
    text->addWidget(panel);
    auto* row = new QHBoxLayout;
    row->addWidget(bulb, 0, Qt::AlignTop);
    row->addLayout(text, 1);
    auto* layout = new QVBoxLayout(group);
    layout->addLayout(row);
    layout->addWidget(BitBtnNextTip, 0, Qt::AlignRight);
    return group;
}

QWidget* GettingStartedPage::buildStart() {
    GroupBox5 = new QGroupBox("Getting Started");
    // The note follows the mouse over the group's background.
    GroupBox5->setMouseTracking(true);
    ToolBar = new QToolBar;
    ToolBar->setIconSize(QSize(48, 48));
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    TBXSplit = bigButton(ToolBar, Icons::split(), "&Split", "Go to split wizard");
    TBXJoin = bigButton(ToolBar, Icons::join(), "&Join", "Join video files or pictures");
    TBXSettings = bigButton(ToolBar, Icons::settings(), "Se&ttings", "Setup output video formats ");
    lbNote = new QLabel;
    lbNote->setWordWrap(true);

    auto* layout = new QVBoxLayout(GroupBox5);
    layout->addWidget(ToolBar, 0, Qt::AlignHCenter);
    layout->addWidget(lbNote);
    layout->addStretch();
    return GroupBox5;
}
