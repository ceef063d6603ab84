#include "widgets/RImage.h"

#include "widgets/AccessibleControls.h"
#include "widgets/SystemColors.h"
#include "widgets/Twips.h"

#include <QImageReader>
#include <QPainter>
#include <QResizeEvent>

namespace {

const QColor Ground(0xE0, 0xE0, 0xE0);

} // namespace

RImage::RImage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    AccessibleControls::install();
}

void RImage::setPicture(const QString& path)
{
    m_path = path;
    QImageReader reader(path);
    reader.setAutoTransform(false);
    QImage loaded = reader.read();
    if (!loaded.isNull())
        m_picture = std::move(loaded);
    FitPicture();
}

// Scales the picture to touch the left and right or the top and bottom edges, centred the other
// way. The control's own ratio is the threshold.
void RImage::FitPicture()
{
    if (m_picture.isNull() || m_picture.height() == 0)
        return;
    const double ratio = double(m_picture.width()) / double(m_picture.height());
    float left, top, width, height;
    if (ratio > Aspect) {
        width = m_width;
        height = float(width / ratio);
        top = (m_height - height) / 2;
        left = 0;
    } else {
        height = m_height;
        width = float(height * ratio);
        left = (m_width - width) / 2;
        top = 0;
    }
    m_imageRect = QRectF(left, top, width, height);
    m_shown = m_picture;
    update();
}

void RImage::setSizeTwips(float width, float height)
{
    m_width = width;
    m_height = height;
    applyAspect();
}

// The height follows the width; the shown picture fills its new size until the next fit.
void RImage::applyAspect()
{
    m_height = float(m_width / Aspect);
    m_imageRect.setSize(QSizeF(m_width, m_height));
    const QSize pixels(Twips::toPixels(m_width), Twips::toPixels(m_height));
    if (size() != pixels) {
        m_resizing = true;
        resize(pixels);
        m_resizing = false;
    }
    update();
}

void RImage::resizeEvent(QResizeEvent* event)
{
    if (m_resizing)
        return;
    const QSize pixels = event->size();
    if (pixels == QSize(Twips::toPixels(m_width), Twips::toPixels(m_height)))
        return;
    m_width = float(Twips::toTwips(pixels.width()));
    m_height = float(Twips::toTwips(pixels.height()));
    applyAspect();
}

void RImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Ground);
    painter.setPen(SystemColors::toColor(SystemColors::WindowText, palette()));
    painter.drawRect(QRect(0, 0, Twips::toPixels(m_width) - 1, Twips::toPixels(m_height) - 1));
    if (m_shown.isNull())
        return;
    const QRect target(Twips::toPixels(m_imageRect.left()), Twips::toPixels(m_imageRect.top()),
                       Twips::toPixels(m_imageRect.width()), Twips::toPixels(m_imageRect.height()));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_shown);
}
