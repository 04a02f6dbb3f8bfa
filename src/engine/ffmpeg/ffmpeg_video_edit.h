#pragma once

#include "engine/ffmpeg/timeline.h"
#include "engine/video_edit.h"

#include <atomic>
#include <memory>
#include <thread>

// TVideoEdit on the FFmpeg libraries. The render runs on a worker thread; what it
// reports is posted to this object's thread and dropped there when it belongs to
// a render that has since been stopped or replaced.
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
    void finishWorker();
    void renderFinished(quint64 render, bool complete, const QString& error);
    void refuse(const QString& message);

    Timeline timeline;

    quint64 generation = 0; // the render whose reports are still wanted (UI thread only)
    std::thread worker;
    std::shared_ptr<std::atomic<bool>> stopFlag;
    QString tempPath;
    QString targetPath;
};
