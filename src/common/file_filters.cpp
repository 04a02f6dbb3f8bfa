#include "common/file_filters.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace {

// "*.avi" -> "*.[aA][vV][iI]": a glob that both Qt's and the desktop's dialogs read.
QString anyCase(const QString& pattern) {
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper()) {
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        } else {
            out += c;
        }
    }
    return out;
}

QStringList patternList(const FileFilter& filter) { return filter.patterns.split(';', Qt::SkipEmptyParts); }

}  // namespace

QStringList QtNameFilters(const QList<FileFilter>& filters) {
    QStringList out;
    for (const FileFilter& f : filters) {
        QStringList globs;
        for (const QString& p : patternList(f)) globs << anyCase(p.trimmed());
        out << f.description + QStringLiteral(" (") + globs.join(' ') + QLatin1Char(')');
    }
    return out;
}

bool MatchesFilter(const FileFilter& filter, const QString& fileName) {
    for (const QString& p : patternList(filter)) {
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p.trimmed()),
                                    QRegularExpression::CaseInsensitiveOption);
        if (re.match(fileName).hasMatch()) return true;
    }
    return false;
}

namespace {
std::function<QStringList(const OpenDialogSetup&)> openDialogHandler;
}

void SetOpenDialogHandler(std::function<QStringList(const OpenDialogSetup& setup)> handler) {
    openDialogHandler = std::move(handler);
}

std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* parent, const OpenDialogSetup& setup) {
    auto dialog = std::make_unique<QFileDialog>(parent, setup.title);
    dialog->setFileMode(setup.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // The descriptions already name their patterns; the any-case globs would only confuse.
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setNameFilters(QtNameFilters(setup.filters));
    return dialog;
}

QStringList RunOpenDialog(QWidget* parent, const OpenDialogSetup& setup) {
    if (openDialogHandler) return openDialogHandler(setup);
    const std::unique_ptr<QFileDialog> dialog = MakeOpenDialog(parent, setup);
    if (dialog->exec() != QDialog::Accepted) return {};
    return dialog->selectedFiles();
}

namespace {
std::function<QString(const SaveDialogSetup&)> saveDialogHandler;
}

void SetSaveDialogHandler(std::function<QString(const SaveDialogSetup& setup)> handler) {
    saveDialogHandler = std::move(handler);
}

std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* parent, const SaveDialogSetup& setup) {
    auto dialog = std::make_unique<QFileDialog>(parent, setup.title, setup.proposed);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    // Plain patterns: a save dialog puts the filter's extension on the name, and
    // an any-case glob would end up in it as "[cC][sS][vV]".
    dialog->setNameFilter(setup.filter.description + " (" + patternList(setup.filter).join(' ') + ")");
    dialog->setDefaultSuffix(setup.suffix);
    return dialog;
}

QString RunSaveDialog(QWidget* parent, const SaveDialogSetup& setup) {
    if (saveDialogHandler) return saveDialogHandler(setup);
    const std::unique_ptr<QFileDialog> dialog = MakeSaveDialog(parent, setup);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return dialog->selectedFiles().first();
}
