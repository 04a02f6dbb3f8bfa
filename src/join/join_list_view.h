#pragma once

#include <QStringList>
#include <QTreeWidget>

// The join list's rows. Files dragged in from a file manager and rows dragged to a
// new place are only reported, with the row they land before; the list's owner
// changes the entries and rebuilds the rows, so the rows always show its list.
class JoinListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit JoinListView(QWidget* parent = nullptr);

    // The row a drop at `point` (viewport coordinates) lands before: the row
    // under it when in its upper half, the next one in its lower half, the end
    // below the last row.
    int dropRow(QPoint point) const;

    // Local files only: a drop of web links or text carries none.
    static QStringList LocalFiles(const QMimeData* data);
    // What a drag of `row` carries: the row and which list it came from, so a
    // row from another list, or another program, is never taken for one of ours.
    QMimeData* rowDragData(int row) const;

signals:
    void filesDropped(const QStringList& files, int row);
    // Row `from` is to stand before row `to` as counted before the move
    // (`to` may be the row count: to the end).
    void rowDragged(int from, int to);

protected:
    QStringList mimeTypes() const override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool takes(const QDropEvent* event) const;
    // The dragged row, -1 when the data holds none of this list's rows.
    int draggedRow(const QMimeData* data) const;
    QByteArray origin() const;
};
