#include "join/tracks_form.h"

#include "common/track_list.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

TTracksForm::TTracksForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Tracks");
    auto* label = new QLabel("Sound and subtitle &tracks that go into the joined file:");
    TrackList1 = new TrackList;
    label->setBuddy(TrackList1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(TrackList1, 1);
    layout->addWidget(buttons);
    resize(480, 300);
}
