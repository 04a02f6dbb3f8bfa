#pragma once

#include <QWidget>

// A small window that says the program is busy reading a file. The user cannot
// close it; the work that showed it closes it with finish().
class TWaitingForm : public QWidget {
    Q_OBJECT
public:
    explicit TWaitingForm(QWidget* parent = nullptr);

    // Shows the window centred on `over` (or where it is) without blocking anything.
    void showOver(QWidget* over);
    void finish();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool closing = false;
};
