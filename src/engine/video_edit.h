#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <memory>

// The video editing engine: a timeline of video clips, audio clips and transitions,
// output parameters, and a render that runs in the background.
//
// Contract the callers rely on:
// - StartRender returns at once; the render runs on a worker thread.
// - OnProcessing, OnComplete and OnError are delivered on the thread that owns the
//   engine object (the UI thread), never on the worker.
// - After StopRender returns, nothing more of that render arrives, not even an
//   event that was already queued.
// - The output is written to a temporary file beside the target and renamed only
//   when complete, so a failed or stopped render leaves nothing behind and never
//   clobbers an existing file with a partial one.
// - Results of the timeline calls are informative only; callers do not check them.
class TVideoEdit : public QObject {
    Q_OBJECT
public:
    explicit TVideoEdit(QObject* parent = nullptr) : QObject(parent) {}
    ~TVideoEdit() override = default;

    // Timeline. Times are seconds on the source (clips) or on the output (transitions).
    virtual void ClearClips() = 0;
    // A picture file is shown for stop - start seconds.
    virtual bool AddVideoClip(const QString& file, double start, double stop, int16_t resizeMode) = 0;
    virtual bool AddAudioClip(const QString& file, double start, double stop) = 0;
    // An index outside Transitions() means a plain cut.
    virtual bool AddTransition(int16_t index, double start, double stop) = 0;

    virtual bool StartRender(const QString& outputFile) = 0;
    virtual void StopRender() = 0;

    // Output parameters, read when a render starts.
    void SetOutputType(int value);
    void SetFrameRate(float value);
    void SetOutputFileWidth(int16_t value);
    void SetOutputFileHeight(int16_t value);
    void SetMPEGAudioBitrate(int value);
    void SetMPEGAudioSampleRate(int value);
    void SetUseAudioCompressor(bool value);
    void SetUseVideoCompressor(bool value);
    void SetAudioCompressor(int16_t value);
    void SetVideoCompressor(int16_t value);
    void SetWMVProfile(int16_t value);
    void SetOutputAudio(bool value);
    // A ceiling on the video's bit rate, so a part of a known length stays within a
    // size; 0 leaves the format's own rate alone.
    void SetMaxVideoBitrate(int64_t bitsPerSecond);
    // H.264 constant rate factor, 18 (best) to 28 (smallest); a preset index into
    // MP4Presets(); the AAC bit rate in kbit/s, 128 to 320. Clamped into range.
    void SetMP4Quality(int value);
    void SetMP4Preset(int16_t value);
    void SetMP4AudioBitrate(int value);
    // The quality of the frames "Same as source" encodes around its cuts: 0 makes
    // them at least as good as the copied frames, 1 to 51 is a rate factor
    // (lower is better) as x264 counts it. Clamped into range.
    void SetSourceQuality(int value);
    // Copies the stretches of a clip that are already in the output's format and
    // re-encodes only the frames around its cuts; off re-encodes every frame.
    void SetSmartRender(bool value);
    // The sound and subtitle streams of `file` that go into the output, by their
    // index among the file's streams (as SourceTrack::stream gives them); a file
    // never named here keeps all of them. Kept until ClearKeptTracks, so a run
    // sets it once per source.
    void SetKeptTracks(const QString& file, const QList<int>& streams);
    void ClearKeptTracks();

    int OutputType() const { return props.outputType; }
    float FrameRate() const { return props.frameRate; }
    int16_t OutputFileWidth() const { return props.outputFileWidth; }
    int16_t OutputFileHeight() const { return props.outputFileHeight; }
    int MPEGAudioBitrate() const { return props.mpegAudioBitrate; }
    int MPEGAudioSampleRate() const { return props.mpegAudioSampleRate; }
    bool UseAudioCompressor() const { return props.useAudioCompressor; }
    bool UseVideoCompressor() const { return props.useVideoCompressor; }
    int16_t AudioCompressor() const { return props.audioCompressor; }
    int16_t VideoCompressor() const { return props.videoCompressor; }
    int16_t WMVProfile() const { return props.wmvProfile; }
    bool OutputAudio() const { return props.outputAudio; }
    int64_t MaxVideoBitrate() const { return props.maxVideoBitrate; }
    int MP4Quality() const { return props.mp4Quality; }
    int16_t MP4Preset() const { return props.mp4Preset; }
    int MP4AudioBitrate() const { return props.mp4AudioBitrate; }
    int SourceQuality() const { return props.sourceQuality; }
    bool SmartRender() const { return props.smartRender; }

    // Read-only lists; the indexes above and of AddTransition are positions in them.
    virtual QStringList Transitions() const = 0;
    virtual QStringList AudioCompressors() const = 0;
    virtual QStringList VideoCompressors() const = 0;
    virtual QStringList WMVProfiles() const = 0;
    static QStringList MP4Presets();

    struct Properties {
        int outputType = 8;
        float frameRate = 25.0f;
        int16_t outputFileWidth = 352;
        int16_t outputFileHeight = 288;
        int mpegAudioBitrate = 128;
        int mpegAudioSampleRate = 44100;
        bool useAudioCompressor = true;
        bool useVideoCompressor = true;
        int16_t audioCompressor = 4;
        int16_t videoCompressor = 5;
        int16_t wmvProfile = 0;
        bool outputAudio = true;
        int64_t maxVideoBitrate = 0;
        int mp4Quality = 23;
        int16_t mp4Preset = 2; // "fast"
        int mp4AudioBitrate = 160;
        int sourceQuality = 0;
        bool smartRender = true;
        QMap<QString, QList<int>> keptTracks;
    };
    const Properties& properties() const { return props; }

signals:
    // Output seconds rendered so far and the output's total length.
    void OnProcessing(double curPos, double duration);
    // The render finished and the output file is complete under its final name.
    void OnComplete();
    // The render could not start or failed; the message names the file and the reason.
    void OnError(const QString& message);
    // How the render treats a clip, once per video clip before its frames are
    // written: copied, or re-encoded and why ("Re-encoding \"a.mp4\": ...").
    void OnRenderNote(const QString& note);

protected:
    // Lets a recording engine log every property write in call order.
    virtual void propertySet(const char* name, const QVariant& value) {
        Q_UNUSED(name);
        Q_UNUSED(value);
    }

private:
    template <typename T>
    void set(T& field, T value, const char* name) {
        field = value;
        propertySet(name, QVariant::fromValue(value));
    }
    Properties props;
};

// The FFmpeg engine. Defined by the engine implementation library.
std::unique_ptr<TVideoEdit> CreateVideoEdit(QObject* parent = nullptr);
