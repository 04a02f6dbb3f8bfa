#pragma once

#include "engine/split_point_detection.h"

#include <QDialog>
#include <QPointer>

class DetectionJob;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

// Finds split points of one kind in the source: a sensitivity slider, a
// progress bar, Start and Stop. The search runs on its own thread; Stop and
// closing return at once and drop whatever it was about to find.
class DetectDialog : public QDialog {
    Q_OBJECT
public:
    DetectDialog(const QString& source, DetectionKind kind, QWidget* parent = nullptr);
    ~DetectDialog() override;

    // The settings the slider stands for.
    DetectionSettings settings() const;
    bool running() const;

    void start();
    void stop();

    QSlider* Sensitivity;
    QProgressBar* Progress;
    QPushButton* BtnStart;
    QPushButton* BtnStop;
    QLabel* Status;

    void reject() override; // Escape, Close and the title bar stop a search first

signals:
    void found(const QList<double>& points);

private:
    void ended(const QString& status);

    QString source;
    DetectionKind kind;
    QPointer<DetectionJob> job;
};
