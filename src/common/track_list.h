#pragma once

#include <QStringList>
#include <QTreeWidget>

class TrackChoices;

// Ticks for the sound and subtitle tracks of one source, or of several grouped
// under their file names. It shows what a TrackChoices holds and reports each
// tick the user changes; the choice itself lives there.
class TrackList : public QTreeWidget {
    Q_OBJECT
public:
    explicit TrackList(QWidget* parent = nullptr);

    // Shows the tracks of `files`, each under a row with its name when `grouped`.
    void showFiles(const TrackChoices& choices, const QStringList& files, bool grouped);
    // The row of one track; nullptr when it is not shown.
    QTreeWidgetItem* itemFor(const QString& file, int stream) const;

signals:
    void tickChanged(const QString& file, int stream, bool kept);

private:
    void addRows(QTreeWidgetItem* parent, const TrackChoices& choices, const QString& file);
    QList<QTreeWidgetItem*> rows;
};
