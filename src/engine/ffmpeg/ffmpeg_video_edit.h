#pragma once

#include "engine/ffmpeg/timeline.h"
#include "engine/video_edit.h"

class RenderJob;

// TVideoEdit on the FFmpeg libraries. Each render is a job of its own; stopping
// or replacing one lets it wind down in the background, heard from no more.
class FfmpegVideoEdit : public TVideoEdit {
    Q_OBJECT
public:
    explicit FfmpegVideoEdit(QObject* parent = nullptr);
    ~FfmpegVideoEdit() override;

    void ClearClips() override;
    bool AddVideoClip(const QString& file, double start, double stop, int16_t resizeMode) override;
    bool AddAudioClip(const QString& file, double start, double stop) override;
    bool AddTransition(int16_t index, double start, double stop) override;

    bool StartRender(const QString& outputFile) override;
    void StopRender() override;

    QStringList Transitions() const override;
    QStringList AudioCompressors() const override;
    QStringList VideoCompressors() const override;
    QStringList WMVProfiles() const override;

private:
    Timeline timeline;
    RenderJob* job = nullptr; // the render whose reports are wanted; a child of this object
};
