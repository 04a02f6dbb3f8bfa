#pragma once

#include <QLabel>

// The engine's latest word on how it renders, under a progress bar: wrapped, the
// whole sentence also in its tooltip. It keeps the room of two lines while empty,
// so the window does not jump when the first note comes, and a long file name in
// a note never widens the window.
class NoteLabel : public QLabel {
    Q_OBJECT
public:
    explicit NoteLabel(QWidget* parent = nullptr);

    void setNote(const QString& note);
};
