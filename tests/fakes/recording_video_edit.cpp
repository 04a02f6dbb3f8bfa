#include "recording_video_edit.h"

namespace {
// Shortest text of a number, so logs read "AddVideoClip(a.avi, 0, 30.5, 0)".
QString num(double v) { return QString::number(v, 'g', 15); }
}

RecordingVideoEdit::RecordingVideoEdit(QObject* parent) : TVideoEdit(parent) {
    for (int i = 0; i < 10; ++i) transitions << QString("Transition %1").arg(i);
    audioCompressors << "PCM" << "ADPCM" << "A-law" << "MP2" << "MP3" << "AC-3";
    videoCompressors << "Uncompressed" << "Motion JPEG" << "FFV1" << "MS-MPEG4 v2" << "MS-MPEG4 v3"
                     << "MPEG-4" << "H.264";
    wmvProfiles << "Profile 0" << "Profile 1" << "Profile 2";
}

void RecordingVideoEdit::ClearClips() { calls << "ClearClips"; }

bool RecordingVideoEdit::AddVideoClip(const QString& file, double start, double stop, int16_t resizeMode) {
    calls << QString("AddVideoClip(%1, %2, %3, %4)").arg(file, num(start), num(stop)).arg(resizeMode);
    return true;
}

bool RecordingVideoEdit::AddAudioClip(const QString& file, double start, double stop) {
    calls << QString("AddAudioClip(%1, %2, %3)").arg(file, num(start), num(stop));
    return true;
}

bool RecordingVideoEdit::AddTransition(int16_t index, double start, double stop) {
    calls << QString("AddTransition(%1, %2, %3)").arg(index).arg(num(start), num(stop));
    return true;
}

bool RecordingVideoEdit::StartRender(const QString& outputFile) {
    calls << QString("StartRender(%1)").arg(outputFile);
    return true;
}

void RecordingVideoEdit::StopRender() { calls << "StopRender"; }

void RecordingVideoEdit::propertySet(const char* name, const QVariant& value) {
    const QString text = value.typeId() == QMetaType::Float         ? QString::number(value.toFloat(), 'g', 7)
                         : value.typeId() == QMetaType::QStringList ? value.toStringList().join(", ")
                                                                    : value.toString();
    calls << QString("%1=%2").arg(QLatin1String(name), text);
}
