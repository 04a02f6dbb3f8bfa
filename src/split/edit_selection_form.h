#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;
class SplitList;
class UpDown;

// Edits one row of the split list: its start and stop, its output name, its
// tooltip, and whether it is written. The save flag takes effect at once; the
// rest only on OK, after the checks.
class TEditSelectionForm : public QDialog {
    Q_OBJECT
public:
    // `row` counts from 1; `rowItem` is the list's row whose tick mirrors the flag.
    TEditSelectionForm(QWidget* parent, SplitList& list, int row, const QString& outputExt, QTreeWidgetItem* rowItem);

    QGroupBox* GroupBox1;
    QLineEdit* EdStartHour;
    QLineEdit* EdStartMin;
    QLineEdit* EdStartSec;
    QLineEdit* EdStopHour;
    QLineEdit* EdStopMin;
    QLineEdit* EdStopSec;
    QLineEdit* EdRename;
    QLineEdit* EdTip;
    QCheckBox* CheckNoSave;
    QLabel* lbSave;
    QPushButton* BitBtnOK;
    QPushButton* BitBtnCancel;

    void CheckNoSaveClick();
    void BitBtnOKClick();

private:
    void FormShow();
    QLineEdit* timeField(UpDown*& arrows);
    int64_t fieldsToSeconds(QLineEdit* hours, QLineEdit* minutes, QLineEdit* seconds) const;

    SplitList& list;
    int row;
    QString outputExt;
    QTreeWidgetItem* rowItem;
    UpDown* arrows[6];
};
