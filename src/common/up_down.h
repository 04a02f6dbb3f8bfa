#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// The pair of arrows beside a number field. The field shows the position, the
// arrows (and the Up and Down keys in the field) step it, and the position follows
// whatever whole number is typed, kept within the range. Unlike a spin box the
// field can be locked on its own while the arrows stay usable.
class UpDown : public QWidget {
    Q_OBJECT
public:
    // `freeText` leaves the field open to any text, for pages that check what was
    // typed themselves and say what is wrong with it.
    UpDown(QLineEdit* buddy, int minimum, int maximum, int increment = 1, bool freeText = false,
           QWidget* parent = nullptr);

    int position() const { return pos; }
    // Clamps to the range and shows the position in the field.
    void setPosition(int value);
    void stepBy(int steps);

    QToolButton* upButton() const { return up; }

    // A number field of `width` pixels with its arrows beside it, in one widget
    // that switches both on and off together.
    static QWidget* Field(QLineEdit*& edit, UpDown*& arrows, int width, int minimum, int maximum, int increment = 1,
                          bool freeText = false);
    QToolButton* downButton() const { return down; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followText(const QString& text);

    QLineEdit* buddy;
    QToolButton* up;
    QToolButton* down;
    int minimum;
    int maximum;
    int increment;
    int pos;
};
