#include "common/track_list.h"

#include "common/track_choice.h"

#include <QFileInfo>
#include <QHeaderView>

namespace {
constexpr int kFileRole = Qt::UserRole;
constexpr int kStreamRole = Qt::UserRole + 1;
}  // namespace

TrackList::TrackList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderLabels({"Track", "Codec", "Language", "Title"});
    setColumnWidth(0, 110);
    setColumnWidth(1, 130);
    setColumnWidth(2, 70);
    setSelectionMode(QAbstractItemView::NoSelection);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column != 0 || !item->data(0, kStreamRole).isValid()) return;
        emit tickChanged(item->data(0, kFileRole).toString(), item->data(0, kStreamRole).toInt(),
                         item->checkState(0) == Qt::Checked);
    });
}

void TrackList::showFiles(const TrackChoices& choices, const QStringList& files, bool grouped) {
    const QSignalBlocker quiet(this);
    clear();
    rows.clear();
    setRootIsDecorated(grouped);
    for (const QString& file : files) {
        QTreeWidgetItem* parent = invisibleRootItem();
        if (grouped) {
            parent = new QTreeWidgetItem(invisibleRootItem(), {QFileInfo(file).fileName()});
            parent->setToolTip(0, file);
            parent->setFirstColumnSpanned(true);
            parent->setFlags(Qt::ItemIsEnabled);
        }
        addRows(parent, choices, file);
    }
    expandAll();
}

void TrackList::addRows(QTreeWidgetItem* parent, const TrackChoices& choices, const QString& file) {
    if (const QString note = choices.emptyNote(file); !note.isEmpty()) {
        auto* item = new QTreeWidgetItem(parent, {note});
        item->setFirstColumnSpanned(true);
        item->setFlags(Qt::NoItemFlags);
        return;
    }
    for (const SourceTrack& track : choices.tracks(file)) {
        auto* item = new QTreeWidgetItem(parent, TrackRowTexts(track));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setData(0, kFileRole, file);
        item->setData(0, kStreamRole, track.stream);
        item->setCheckState(0, choices.isKept(file, track.stream) ? Qt::Checked : Qt::Unchecked);
        rows << item;
    }
}

QTreeWidgetItem* TrackList::itemFor(const QString& file, int stream) const {
    for (QTreeWidgetItem* item : rows)
        if (item->data(0, kFileRole).toString() == file && item->data(0, kStreamRole).toInt() == stream) return item;
    return nullptr;
}
