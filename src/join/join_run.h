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
    // What the engine said of how it renders the latest clip; empty before it has
    // said anything and once the render has ended.
    const QString& note() const { return currentNote; }

signals:
    // Rounded to the nearest percent, halves to even, within 0..100.
    void progressChanged(int percent);
    // The output file is complete.
    void finished();
    // The render failed or could not start; the message names the output file.
    void failed(const QString& message);
    void noteChanged(const QString& note);

private:
    void VE2Processing(double curPos, double duration);
    void VE2Complete();
    void VE2Error(const QString& message);
    void setNote(const QString& note);

    TVideoEdit& engine;
    QString outputFile;
    QString currentNote;
    bool active = false;
};
