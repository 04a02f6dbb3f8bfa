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

    // The box the picture goes in, in panel coordinates; an empty rectangle
    // means the whole panel.
    void setPictureRect(const QRect& rect);
    // Where the picture is drawn: the box, or with an aspect the largest part of
    // it of that shape, centred.
    QRect pictureRect() const;
    // Width / height of the picture as shown, which then keeps that shape inside
    // its box (black bars beside or above it); 0 stretches it over the box.
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
