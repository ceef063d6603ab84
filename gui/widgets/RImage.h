#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <QTimer>
#include <QWidget>

// A picture frame that keeps itself at 1.33 : 1 and shows a picture file as large as fits without
// distortion, centred on a light grey ground inside a thin frame. Geometry is kept in twips.
//
// Pictures given faster than the eye follows (a run on a fast line gives hundreds a second) are
// loaded at most every 40 ms, the latest winning; whatever asks what is shown, and every paint,
// gets the latest picture given that loads. One that does not load never empties the frame: the
// latest one before it that loads is shown, or the one shown before.
class RImage : public QWidget {
    Q_OBJECT

public:
    static constexpr double Aspect = 1.33;

    explicit RImage(QWidget* parent = nullptr);

    QString Picture() const { return m_path; }
    void setPicture(const QString& path);

    // The control's size in twips; the height follows the width.
    void setSizeTwips(float width, float height);
    float widthTwips() const { return m_width; }
    float heightTwips() const { return m_height; }

    // Where the picture is shown, in twips, and what it is.
    QRectF imageRect() const;
    const QImage& shownPicture() const;
    // The file of the picture shown, empty while the frame shows none.
    QString shownPath() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void loadPending() const;
    void load();
    void loadLatest();
    void FitPicture();
    const QImage& scaledFor(const QSize& size);
    void applyAspect();

    QString m_path;
    QString m_shownPath;
    QStringList m_given; // pictures given since the last load, the latest last
    QImage m_picture;    // the loaded picture at its natural size
    QImage m_shown;      // the picture given to the frame at the last fit
    QImage m_scaled;     // m_shown as painted
    float m_width = 0;
    float m_height = 0;
    QRectF m_imageRect;
    bool m_resizing = false;
    QTimer m_loadTimer;
};
