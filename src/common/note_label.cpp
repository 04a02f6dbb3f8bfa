#include "common/note_label.h"

NoteLabel::NoteLabel(QWidget* parent) : QLabel(parent) {
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setMinimumHeight(2 * fontMetrics().lineSpacing());
}

void NoteLabel::setNote(const QString& note) {
    setText(note);
    setToolTip(note);
}
