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
    QImage current;
    int shown = 0;
};
