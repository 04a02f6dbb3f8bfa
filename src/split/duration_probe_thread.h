#pragma once

#include <QString>
#include <QThread>
#include <functional>

// Measures a source's playing time off the UI thread. The result travels back
// as a queued signal, so the UI thread is the only one that ever touches the
// duration it keeps.
class TGetFileDuration : public QThread {
    Q_OBJECT
public:
    using Probe = std::function<double(const QString& file)>;
    TGetFileDuration(Probe probe, QString file, int generation, QObject* parent = nullptr);

signals:
    void measured(int generation, double seconds);
    void failed(int generation, const QString& message);

protected:
    void run() override;

private:
    Probe probe;
    QString file;
    int generation;
};
