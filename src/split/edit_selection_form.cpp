#include "split/edit_selection_form.h"

#include "common/messages.h"
#include "common/up_down.h"
#include "engine/quillmark_error.h"
#include "split/split_list.h"
#include "split/split_plan.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

TEditSelectionForm::TEditSelectionForm(QWidget* parent, SplitList& l, int r, const QString& ext,
                                       QTreeWidgetItem* item)
    : QDialog(parent), list(l), row(r), outputExt(ext), rowItem(item) {
    setWindowTitle("Edit Selection");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    GroupBox1 = new QGroupBox("Edit this selection");
    auto* grid = new QGridLayout(GroupBox1);
    grid->addWidget(new QLabel("Hours"), 0, 1);
    grid->addWidget(new QLabel("Minutes"), 0, 2);
    grid->addWidget(new QLabel("Seconds"), 0, 3);
    grid->addWidget(new QLabel("Start at"), 1, 0);
    grid->addWidget(new QLabel("Stop at"), 2, 0);
    QLineEdit** fields[] = {&EdStartHour, &EdStartMin, &EdStartSec, &EdStopHour, &EdStopMin, &EdStopSec};
    for (int i = 0; i < 6; ++i) {
        *fields[i] = timeField(arrows[i]);
        auto* box = new QHBoxLayout;
        box->setSpacing(1);
        box->addWidget(*fields[i]);
        box->addWidget(arrows[i]);
        grid->addLayout(box, 1 + i / 3, 1 + i % 3);
    }
    EdRename = new QLineEdit;
    EdTip = new QLineEdit;
    grid->addWidget(new QLabel("Rename:"), 3, 0);
    grid->addWidget(EdRename, 3, 1, 1, 3);
    grid->addWidget(new QLabel("Tooltip"), 4, 0);
    grid->addWidget(EdTip, 4, 1, 1, 3);
    CheckNoSave = new QCheckBox("Save this selection");
    CheckNoSave->setChecked(true);
    lbSave = new QLabel("This selection will be saved.");
    grid->addWidget(CheckNoSave, 5, 0, 1, 2);
    grid->addWidget(lbSave, 5, 2, 1, 2);

    BitBtnOK = new QPushButton("OK");
    BitBtnCancel = new QPushButton("Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(CheckNoSave, &QCheckBox::clicked, this, &TEditSelectionForm::CheckNoSaveClick);
    connect(BitBtnOK, &QPushButton::clicked, this, [this] { Messages::guarded(this, [this] { BitBtnOKClick(); }); });
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    FormShow();
}

QLineEdit* TEditSelectionForm::timeField(UpDown*& upDown) {
    auto* edit = new QLineEdit;
    edit->setFixedWidth(44);
    upDown = new UpDown(edit, 0, 100, 1, true);
    return edit;
}

void TEditSelectionForm::FormShow() {
    const int n = list.PartCount();
    GroupBox1->setTitle("Edit Selection " + QString::number(row));
    const int64_t start = RoundHalfEven(list.TimePoints[row - 1]);
    const int64_t stop = RoundHalfEven(list.TimePoints[row]);
    const int64_t parts[] = {start / 3600, (start % 3600) / 60, start % 60, stop / 3600, (stop % 3600) / 60, stop % 60};
    for (int i = 0; i < 6; ++i) arrows[i]->setPosition(static_cast<int>(parts[i]));
    // Beyond what the arrows reach the field still shows the real value.
    QLineEdit* fields[] = {EdStartHour, EdStartMin, EdStartSec, EdStopHour, EdStopMin, EdStopSec};
    for (int i = 0; i < 6; ++i) fields[i]->setText(QString::number(parts[i]));
    for (int i = 0; i < 3; ++i) {
        fields[i]->setEnabled(row != 1);
        arrows[i]->setEnabled(row != 1);
        fields[i + 3]->setEnabled(row != n);
        arrows[i + 3]->setEnabled(row != n);
    }
    EdRename->setText(WithoutExtension(list.SelectionNames.value(row)));
    EdTip->setText(list.SelectionTips.value(row));
    const bool saved = list.SelectionSaved.value(row, true);
    CheckNoSave->setChecked(saved);
    if (!saved) CheckNoSaveClick();
}

void TEditSelectionForm::CheckNoSaveClick() {
    const bool saved = CheckNoSave->isChecked();
    if (rowItem) rowItem->setCheckState(0, saved ? Qt::Checked : Qt::Unchecked);
    list.SelectionSaved[row] = saved;
    lbSave->setText(saved ? "This selection will be saved" : "This selection will be ignored");
}

int64_t TEditSelectionForm::fieldsToSeconds(QLineEdit* hours, QLineEdit* minutes, QLineEdit* seconds) const {
    int64_t values[3];
    QLineEdit* fields[] = {hours, minutes, seconds};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        values[i] = fields[i]->text().trimmed().toLongLong(&ok);
        if (!ok) throw QuillmarkError(QString("'%1' is not a valid integer value").arg(fields[i]->text()));
    }
    return values[0] * 3600 + values[1] * 60 + values[2];
}

void TEditSelectionForm::BitBtnOKClick() {
    const int64_t start = fieldsToSeconds(EdStartHour, EdStartMin, EdStartSec);
    const int64_t stop = fieldsToSeconds(EdStopHour, EdStopMin, EdStopSec);
    const QString refusal = list.EditRow(row, start, stop, EdRename->text(), EdTip->text(), outputExt);
    if (!refusal.isEmpty()) {
        Messages::information(this, refusal);
        return;
    }
    accept();
}
