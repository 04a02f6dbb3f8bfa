#include "engine/duration_probe.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/av_handles.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

double MeasureDuration(const QString& file) {
    const QString what = QStringLiteral("Cannot measure");
    const QFileInfo info(file);
    if (!info.exists())
        av::Fail(what, file, QStringLiteral("the file does not exist"));
    if (info.size() == 0)
        av::Fail(what, file, QStringLiteral("the file is empty"));

    AVFormatContext* raw = nullptr;
    av::Check(avformat_open_input(&raw, QFile::encodeName(file).constData(), nullptr, nullptr), what, file);
    av::InputPtr input(raw);
    av::Check(avformat_find_stream_info(input.get(), nullptr), what, file);

    if (input->duration != AV_NOPTS_VALUE && input->duration > 0)
        return input->duration / double(AV_TIME_BASE);
    // Some containers leave the total unset but know each stream's length.
    double longest = 0;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* st = input->streams[i];
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            longest = std::max(longest, st->duration * av_q2d(st->time_base));
    }
    if (longest <= 0)
        av::Fail(what, file, QStringLiteral("its playing time is unknown"));
    return longest;
}
