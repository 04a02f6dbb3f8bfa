#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An edit box with a pair of arrow buttons attached. The box stays free text, so
// the page that reads it decides what a wrong entry means; the arrows step the
// number within their range, starting from what the box holds.
class UpDownEdit : public QWidget {
    Q_OBJECT
public:
    UpDownEdit(int minimum, int maximum, int increment, int position, QWidget* parent = nullptr);

    QLineEdit* edit() const { return box; }
    QString text() const;
    void setText(const QString& text);
    int position() const { return pos; }

    void stepUp();
    void stepDown();

signals:
    // The box's text changed, by typing or by the arrows.
    void textChanged(const QString& text);

private:
    void stepBy(int delta);

    QLineEdit* box;
    QToolButton* up;
    QToolButton* down;
    int min;
    int max;
    int step;
    int pos;
};
