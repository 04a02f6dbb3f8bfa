#include "common/up_down_edit.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

UpDownEdit::UpDownEdit(int minimum, int maximum, int increment, int position, QWidget* parent)
    : QWidget(parent), min(minimum), max(maximum), step(increment), pos(std::clamp(position, minimum, maximum)) {
    box = new QLineEdit(QString::number(pos));
    up = new QToolButton;
    up->setArrowType(Qt::UpArrow);
    down = new QToolButton;
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
        b->setFixedSize(16, 11);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up, &QToolButton::clicked, this, &UpDownEdit::stepUp);
    connect(down, &QToolButton::clicked, this, &UpDownEdit::stepDown);
    connect(box, &QLineEdit::textChanged, this, &UpDownEdit::textChanged);

    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up);
    arrows->addWidget(down);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(box, 1);
    layout->addLayout(arrows);
}

QString UpDownEdit::text() const { return box->text(); }

void UpDownEdit::setText(const QString& text) {
    box->setText(text);
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok) pos = std::clamp(value, min, max);
}

void UpDownEdit::stepUp() { stepBy(step); }

void UpDownEdit::stepDown() { stepBy(-step); }

void UpDownEdit::stepBy(int delta) {
    bool ok = false;
    const int typed = box->text().trimmed().toInt(&ok);
    const int from = ok ? std::clamp(typed, min, max) : pos;
    pos = std::clamp(from + delta, min, max);
    box->setText(QString::number(pos));
}
