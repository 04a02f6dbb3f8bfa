#pragma once

#include <QDialog>

class TrackList;

// "Tracks": the sound and subtitle tracks of the join list's videos, grouped by
// file, each with a tick. Ticks take effect at once; the join page owns the choice
// and fills the list.
class TTracksForm : public QDialog {
    Q_OBJECT
public:
    explicit TTracksForm(QWidget* parent);

    TrackList* TrackList1;
};
