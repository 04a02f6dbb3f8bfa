#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;
class QTextEdit;
class QToolBar;
class QToolButton;

// The first page: a tip of the day and the three large buttons into the program.
class GettingStartedPage : public QWidget {
    Q_OBJECT
public:
    explicit GettingStartedPage(QWidget* parent = nullptr);

    QTextEdit* RichEdit3;  // tip text, read-only
    QPushButton* BitBtnNextTip;
    QGroupBox* GroupBox5;  // "Getting Started"
    QToolBar* ToolBar;
    QToolButton* TBXSplit;
    QToolButton* TBXJoin;
    QToolButton* TBXSettings;
    QLabel* lbNote;

private:
    QWidget* buildTips();
    QWidget* buildStart();
};
