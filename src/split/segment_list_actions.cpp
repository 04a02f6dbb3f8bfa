#include "split/segment_list_actions.h"

#include "common/file_filters.h"
#include "common/guarded_handler.h"
#include "split/segment_list.h"
#include "split/split_list.h"
#include "split/split_plan.h"
#include "split/split_point_editor.h"
#include "split/split_point_panel.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

namespace {
const FileFilter kCsv{"Segment lists (*.csv)", "*.csv"};
const FileFilter kChapters{"Chapter text (*.txt)", "*.txt"};
}  // namespace

SegmentListActions::SegmentListActions(SplitPointPanel& panel, SplitList& l, SplitPointEditor& e, QWidget* owner)
    : QObject(&e), list(l), editor(e), window(owner) {
    const auto guard = GuardedHandlers(window, this);
    connect(panel.ExportList, &QAction::triggered, this, guard(&SegmentListActions::ExportListClick));
    connect(panel.ImportList, &QAction::triggered, this, guard(&SegmentListActions::ImportListClick));
    connect(panel.ExportChapters, &QAction::triggered, this, guard(&SegmentListActions::ExportChaptersClick));
}

QString SegmentListActions::proposedFile(const QString& extension) const {
    const QFileInfo source(editor.SourceFileName);
    return source.absoluteDir().filePath(SourceBaseName(editor.SourceFileName) + "." + extension);
}

void SegmentListActions::ExportListClick() {
    const QString path = RunSaveDialog(window, {"Export Segment List", kCsv, proposedFile("csv"), "csv"});
    if (!path.isEmpty()) WriteTextFile(path, SegmentsCsv(list.rows()));
}

void SegmentListActions::ExportChaptersClick() {
    const QString path = RunSaveDialog(window, {"Export Chapters", kChapters, proposedFile("txt"), "txt"});
    if (!path.isEmpty()) WriteTextFile(path, ChapterText(list.rows()));
}

void SegmentListActions::ImportListClick() {
    const QStringList chosen = RunOpenDialog(window, {"Import Segment List", {kCsv}, false});
    if (chosen.isEmpty()) return;
    // Parsed whole before the list changes, so a bad line leaves the list as it was.
    const QList<SplitRow> rows =
        ParseSegmentsCsv(ReadTextFile(chosen.first()), chosen.first(), editor.SourceDuration, editor.OutputExt);
    list.Assign(rows, editor.SourceDuration, editor.SourceFileName, editor.OutputExt);
    editor.ListReplaced();
}
