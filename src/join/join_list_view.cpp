#include "join/join_list_view.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

namespace {
// A row dragged inside the list; no other program understands it.
const QString RowFormat = QStringLiteral("application/x-quillmark-join-row");
}  // namespace

JoinListView::JoinListView(QWidget* parent) : QTreeWidget(parent) {
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
}

QStringList JoinListView::LocalFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files << url.toLocalFile();
    }
    return files;
}

int JoinListView::dropRow(QPoint point) const {
    const QModelIndex index = indexAt(point);
    if (!index.isValid()) return topLevelItemCount();
    const QRect rect = visualRect(index);
    return index.row() + (point.y() > rect.center().y() ? 1 : 0);
}

QStringList JoinListView::mimeTypes() const {
    // What the view's drop line is drawn for.
    return {RowFormat, QStringLiteral("text/uri-list")};
}

QByteArray JoinListView::origin() const {
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(this), 16);
}

QMimeData* JoinListView::rowDragData(int row) const {
    auto* data = new QMimeData;
    data->setData(RowFormat, origin() + ':' + QByteArray::number(row));
    return data;
}

int JoinListView::draggedRow(const QMimeData* data) const {
    const QList<QByteArray> parts = data->data(RowFormat).split(':');
    if (parts.size() != 3 || parts[0] + ':' + parts[1] != origin()) return -1;
    bool ok = false;
    const int row = parts[2].toInt(&ok);
    return ok && row >= 0 && row < topLevelItemCount() ? row : -1;
}

void JoinListView::startDrag(Qt::DropActions) {
    // The rows are rebuilt from the list after a move, so the view's own drag,
    // which takes the dragged row out itself, is not used.
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(rowDragData(current.row()));
    drag->exec(Qt::MoveAction);
}

bool JoinListView::takes(const QDropEvent* event) const {
    if (!isEnabled()) return false;
    if (event->mimeData()->hasFormat(RowFormat)) return draggedRow(event->mimeData()) >= 0;
    return !LocalFiles(event->mimeData()).isEmpty();
}

void JoinListView::dragEnterEvent(QDragEnterEvent* event) {
    if (!takes(event)) {
        event->ignore();
        return;
    }
    QTreeWidget::dragEnterEvent(event);
    event->acceptProposedAction();
}

void JoinListView::dragMoveEvent(QDragMoveEvent* event) {
    if (!takes(event)) {
        event->ignore();
        return;
    }
    // The view draws the line where the drop would land.
    QTreeWidget::dragMoveEvent(event);
    if (event->mimeData()->hasFormat(RowFormat)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
}

void JoinListView::dropEvent(QDropEvent* event) {
    if (!takes(event)) {
        event->ignore();
        return;
    }
    const int row = dropRow(event->position().toPoint());
    // Ends the view's drag state so the drop line goes away.
    setState(NoState);
    viewport()->update();
    if (event->mimeData()->hasFormat(RowFormat)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        emit rowDragged(draggedRow(event->mimeData()), row);
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(LocalFiles(event->mimeData()), row);
}
