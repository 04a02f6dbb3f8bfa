#include "app/waiting_form.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

TWaitingForm::TWaitingForm(QWidget* parent) : QWidget(parent) {
    setWindowTitle("Waiting...");
    // A title bar with no buttons at all.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(295, 67);
    auto* label = new QLabel("Reading...Please wait...");
    label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
}

void TWaitingForm::showOver(QWidget* over) {
    if (over) move(over->geometry().center() - rect().center());
    show();
    raise();
}

void TWaitingForm::finish() {
    closing = true;
    close();
    closing = false;
}

void TWaitingForm::closeEvent(QCloseEvent* event) {
    if (closing) {
        event->accept();
    } else {
        event->ignore();
    }
}
