#include "formats/output_format.h"

#include <QFileInfo>

namespace {

QStringList NamesOf(const char* FormatDescription::*name) {
    QStringList names;
    for (const FormatDescription& f : OutputFormats())
        names << QString::fromUtf8(f.*name);
    return names;
}

}  // namespace

const QStringList& SplitFormatNames() {
    static const QStringList names = NamesOf(&FormatDescription::splitName);
    return names;
}

const QStringList& JoinFormatNames() {
    static const QStringList names = NamesOf(&FormatDescription::joinName);
    return names;
}

QString FormatExtension(int index) {
    const FormatDescription* format = FindFormat(index);
    return QString::fromUtf8(format ? format->extension : "mpg");
}

void FormatShortName(int index, QString& name) {
    if (const FormatDescription* format = FindFormat(index)) name = QString::fromUtf8(format->shortName);
}

QString OutputExtensionFor(int format, const QString& firstVideoFile) {
    const QString own = FormatExtension(format);
    return own.isEmpty() ? QFileInfo(firstVideoFile).suffix().toLower() : own;
}

QString OutputExtensionProblem(int format, const QString& firstVideoFile) {
    if (!FormatExtension(format).isEmpty()) return {};
    if (firstVideoFile.isEmpty())
        return QStringLiteral("Same as source takes its format from the first video in the list, and the list "
                              "holds none.");
    if (QFileInfo(firstVideoFile).suffix().isEmpty())
        return QStringLiteral("Same as source names its files with the extension of \"%1\", and it has none. "
                              "Give the file an extension such as .mp4 or .mkv, or choose another format.")
            .arg(firstVideoFile);
    return {};
}
