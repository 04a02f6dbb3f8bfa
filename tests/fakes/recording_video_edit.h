#pragma once

#include "engine/video_edit.h"

#include <QStringList>

// An engine that renders nothing and logs every call with its arguments, in order,
// so tests can compare call sequences with the expected ones. Events are raised by
// the test through the emit* helpers.
class RecordingVideoEdit : public TVideoEdit {
    Q_OBJECT
public:
    explicit RecordingVideoEdit(QObject* parent = nullptr);

    void ClearClips() override;
    bool AddVideoClip(const QString& file, double start, double stop, int16_t resizeMode) override;
    bool AddAudioClip(const QString& file, double start, double stop) override;
    bool AddTransition(int16_t index, double start, double stop) override;
    bool StartRender(const QString& outputFile) override;
    void StopRender() override;

    QStringList Transitions() const override { return transitions; }
    QStringList AudioCompressors() const override { return audioCompressors; }
    QStringList VideoCompressors() const override { return videoCompressors; }
    QStringList WMVProfiles() const override { return wmvProfiles; }

    void emitProcessing(double pos, double duration) { emit OnProcessing(pos, duration); }
    void emitComplete() { emit OnComplete(); }
    void emitError(const QString& message) { emit OnError(message); }

    QStringList calls;
    QStringList transitions;
    QStringList audioCompressors;
    QStringList videoCompressors;
    QStringList wmvProfiles;

protected:
    void propertySet(const char* name, const QVariant& value) override;
};
