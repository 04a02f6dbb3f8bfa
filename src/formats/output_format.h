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
inline const int Count = FormatCount();
}  // namespace OutputFormat

// Item texts of the split wizard's format list, in index order.
const QStringList& SplitFormatNames();
// Item texts of the join page's format list; two items are spelled differently.
const QStringList& JoinFormatNames();

// The format's file extension without the dot; "mpg" for a number without a format.
QString FormatExtension(int index);
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
};
