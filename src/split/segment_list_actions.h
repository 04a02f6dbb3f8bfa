#pragma once

#include <QObject>

class SplitList;
class SplitPointEditor;
class SplitPointPanel;
class QWidget;

// The "Segments" menu of the split-point group: the split list exported as a
// segment list or as chapter text, and a segment list imported in its place.
class SegmentListActions : public QObject {
    Q_OBJECT
public:
    SegmentListActions(SplitPointPanel& panel, SplitList& list, SplitPointEditor& editor, QWidget* window);

    void ExportListClick();
    void ImportListClick();
    void ExportChaptersClick();

private:
    // The file beside the source named after it with `extension`.
    QString proposedFile(const QString& extension) const;

    SplitList& list;
    SplitPointEditor& editor;
    QWidget* window;
};
