#include "common/up_down.h"

#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

UpDown::UpDown(QLineEdit* field, int min, int max, int step, bool freeText, QWidget* parent)
    : QWidget(parent), buddy(field), minimum(min), maximum(max), increment(step), pos(min) {
    auto makeArrow = [this](Qt::ArrowType arrow, int step) {
        auto* b = new QToolButton;
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->setFixedWidth(16);
        connect(b, &QToolButton::clicked, this, [this, step] { stepBy(step); });
        return b;
    };
    up = makeArrow(Qt::UpArrow, 1);
    down = makeArrow(Qt::DownArrow, -1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up);
    layout->addWidget(down);
    setFixedHeight(buddy->sizeHint().height());

    buddy->installEventFilter(this);
    connect(buddy, &QLineEdit::textChanged, this, &UpDown::followText);
    if (!freeText) {
        buddy->setValidator(new QIntValidator(minimum, maximum, buddy));
        // Once editing ends the field shows the number that will be used.
        connect(buddy, &QLineEdit::editingFinished, this, [this] { setPosition(pos); });
    }
    setPosition(minimum);
}

void UpDown::setPosition(int value) {
    pos = std::clamp(value, minimum, maximum);
    buddy->setText(QString::number(pos));
}

void UpDown::stepBy(int steps) { setPosition(pos + steps * increment); }

void UpDown::followText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    // A half-typed field (empty, a lone sign) keeps the last good position.
    if (ok) pos = std::clamp(value, minimum, maximum);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* UpDown::Field(QLineEdit*& edit, UpDown*& arrows, int width, int minimum, int maximum, int increment,
                       bool freeText) {
    edit = new QLineEdit;
    edit->setFixedWidth(width);
    arrows = new UpDown(edit, minimum, maximum, increment, freeText);
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(edit);
    row->addWidget(arrows);
    row->addStretch();
    return box;
}
