#pragma once

#include "engine/formats/format_registry.h"

#include <QString>
#include <QStringList>

// Names of the output formats' numbers. The number is also the engine's output
// type, the item index of both format lists and the stored [general] outputformat;
// what each format is comes from the engine's format registry.
namespace OutputFormat {
constexpr int VcdPal = 0;
constexpr int VcdNtsc = 1;
constexpr int SvcdPal = 2;
constexpr int SvcdNtsc = 3;
constexpr int DvdPal = 4;
constexpr int DvdNtsc = 5;
constexpr int StandardMpeg1 = 6;
constexpr int StandardMpeg2 = 7;
constexpr int Avi = 8;
constexpr int Wmv = 9;
constexpr int Mp4 = 10;
constexpr int SameAsSource = 11;
inline const int Count = FormatCount();
}  // namespace OutputFormat

// Item texts of the split wizard's format list, in index order.
const QStringList& SplitFormatNames();
// Item texts of the join page's format list; two items are spelled differently.
const QStringList& JoinFormatNames();

// The format's own file extension without the dot; "mpg" for a number without a
// format. Empty for a format that writes the container of its first video clip:
// name files with OutputExtensionFor, never with this alone.
QString FormatExtension(int index);
// The extension the output files of `format` get: the format's own, or, for a
// format that keeps its source's container, the text after the last dot of
// `firstVideoFile`'s name in lower case ("MOV" gives "mov"), as every output
// extension is, so a split names its parts alike in every mode. A picture's
// extension is never right here: pass the first file that is a video. Empty when
// there is nothing to take it from; OutputExtensionProblem says why.
QString OutputExtensionFor(int format, const QString& firstVideoFile);
// Why files of `format` cannot be named after `firstVideoFile` (empty when there
// is no video at all); an empty text when they can.
QString OutputExtensionProblem(int format, const QString& firstVideoFile);
// The format's summary name; a number without a format leaves `name` as it was.
void FormatShortName(int index, QString& name);

// The format chosen last in either format list; split and join share it.
struct OutputSelection {
    int SelectedFormat = OutputFormat::Avi;
    QString OutputExt = QStringLiteral("avi");

    void Select(int index) {
        SelectedFormat = index;
        OutputExt = FormatExtension(index);
    }
    // The extension of the files the next render writes, whose first video is `firstVideoFile`.
    QString ExtensionFor(const QString& firstVideoFile) const {
        return OutputExtensionFor(SelectedFormat, firstVideoFile);
    }
};
