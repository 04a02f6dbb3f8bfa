#include "formats/output_format.h"

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
