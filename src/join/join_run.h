#pragma once

#include <QObject>
#include <QString>

class TVideoEdit;

// Follows one join render on the join engine: progress in percent, completion,
// failure. The timeline is loaded before Start (BuildJoinTimeline).
class JoinRun : public QObject {
    Q_OBJECT
public:
    explicit JoinRun(TVideoEdit& engine, QObject* parent = nullptr);

    // Starts rendering the loaded timeline into `outputFile`.
    void Start(const QString& outputFile);
    // Ends the render; nothing more of it is reported. Safe when nothing renders.
    void Stop();

    bool running() const { return active; }
    const QString& JoinOutputFile() const { return outputFile; }

signals:
    // Rounded to the nearest percent, halves to even, within 0..100.
    void progressChanged(int percent);
    // The output file is complete.
    void finished();
    // The render failed or could not start; the message names the output file.
    void failed(const QString& message);

private:
    void VE2Processing(double curPos, double duration);
    void VE2Complete();
    void VE2Error(const QString& message);

    TVideoEdit& engine;
    QString outputFile;
    bool active = false;
};
