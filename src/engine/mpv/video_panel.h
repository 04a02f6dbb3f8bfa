#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

// The surface a player draws video into: the latest frame inside the picture
// rectangle, black everywhere else. It knows nothing about the player, so it can
// sit inside any widget (or be a small window of its own).
class VideoPanel : public QWidget {
    Q_OBJECT
public:
    explicit VideoPanel(QWidget* parent = nullptr);

    // Where the picture goes, in panel coordinates; an empty rectangle means
    // the whole panel.
    void setPictureRect(const QRect& rect);
    QRect pictureRect() const;
    // Without a picture rectangle: width / height of the picture, which then
    // keeps that shape inside the panel (black bars beside or above it); 0
    // stretches it over the whole panel.
    void setPictureAspect(double aspect);

    void showFrame(const QImage& frame);
    void clearFrame();
    const QImage& frame() const { return current; }
    int framesShown() const { return shown; }

signals:
    // The picture rectangle changed size, so frames must be drawn anew.
    void pictureSizeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect requested;
    double aspect = 0;
    QImage current;
    int shown = 0;
};
