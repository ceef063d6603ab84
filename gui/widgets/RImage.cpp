#include "gui/widgets/RImage.h"

#include "gui/widgets/AccessibleControls.h"
#include "gui/widgets/SystemColors.h"
#include "gui/widgets/Twips.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QResizeEvent>

namespace {

const QColor Ground(0xE0, 0xE0, 0xE0);

// The format a file's first bytes name, for the formats the site uses; empty for any other.
// Told the format, Qt reads with its one handler: asked to find it, it loads every image plugin
// it has (and their libraries) to ask each, which costs more than a picture takes to read.
QByteArray formatBySignature(QByteArrayView head)
{
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (head.startsWith("\xff\xd8\xff"))
        return "jpeg";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return "gif";
    if (head.startsWith("BM"))
        return "bmp";
    return {};
}

QImage readPicture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&file, formatBySignature(file.peek(8)));
    reader.setAutoDetectImageFormat(reader.format().isEmpty());
    reader.setAutoTransform(false);
    return reader.read();
}

} // namespace

RImage::RImage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    AccessibleControls::install();
    m_loadTimer.setSingleShot(true);
    m_loadTimer.setInterval(40);
    connect(&m_loadTimer, &QTimer::timeout, this, &RImage::load);
}

void RImage::setPicture(const QString& path)
{
    m_path = path;
    m_given.append(path);
    if (!m_loadTimer.isActive())
        m_loadTimer.start();
}

QRectF RImage::imageRect() const
{
    loadPending();
    return m_imageRect;
}

const QImage& RImage::shownPicture() const
{
    loadPending();
    return m_shown;
}

QString RImage::shownPath() const
{
    loadPending();
    return m_shownPath;
}

// What is shown must be what was given, whoever asks.
void RImage::loadPending() const
{
    if (!m_given.isEmpty())
        const_cast<RImage*>(this)->load();
}

void RImage::load()
{
    if (m_given.isEmpty())
        return;
    const QString shownBefore = m_shownPath;
    loadLatest();
    m_given.clear();
    FitPicture();
    if (m_shownPath != shownBefore)
        AccessibleControls::announceNameChange(this);
}

// The latest picture given that loads; the pictures before it are read only when it fails, so a
// fast run still loads one picture per interval. When none loads the picture shown before stays.
void RImage::loadLatest()
{
    for (auto given = m_given.crbegin(); given != m_given.crend(); ++given) {
        QImage loaded = readPicture(*given);
        if (!loaded.isNull()) {
            m_picture = std::move(loaded);
            m_shownPath = *given;
            return;
        }
    }
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
    m_scaled = {};
    update();
}

void RImage::setSizeTwips(float width, float height)
{
    loadPending();
    m_width = width;
    m_height = height;
    applyAspect();
}

// The height follows the width; the shown picture fills its new size until the next fit.
void RImage::applyAspect()
{
    m_height = float(m_width / Aspect);
    m_imageRect.setSize(QSizeF(m_width, m_height));
    m_scaled = {};
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
    loadPending();
    const QSize pixels = event->size();
    if (pixels == QSize(Twips::toPixels(m_width), Twips::toPixels(m_height)))
        return;
    m_width = float(Twips::toTwips(pixels.width()));
    m_height = float(Twips::toTwips(pixels.height()));
    applyAspect();
}

void RImage::paintEvent(QPaintEvent*)
{
    loadPending();
    QPainter painter(this);
    painter.fillRect(rect(), Ground);
    painter.setPen(SystemColors::toColor(SystemColors::WindowText, palette()));
    painter.drawRect(QRect(0, 0, Twips::toPixels(m_width) - 1, Twips::toPixels(m_height) - 1));
    if (m_shown.isNull())
        return;
    const QRect target(Twips::toPixels(m_imageRect.left()), Twips::toPixels(m_imageRect.top()),
                       Twips::toPixels(m_imageRect.width()), Twips::toPixels(m_imageRect.height()));
    if (target.isEmpty())
        return;
    painter.drawImage(target.topLeft(), scaledFor(target.size()));
}

// The shown picture at the size it is painted, for the screen's pixel ratio, made once for every
// picture and size rather than on every repaint.
const QImage& RImage::scaledFor(const QSize& size)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size) * ratio).toSize();
    if (m_scaled.size() != pixels || m_scaled.devicePixelRatio() != ratio) {
        // Filtered as a stretched paint filters it: cheaper than an area-averaged scaling and
        // alike to the eye at these sizes.
        m_scaled = QImage(pixels, m_shown.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                            : QImage::Format_RGB32);
        m_scaled.fill(Qt::transparent);
        QPainter painter(&m_scaled);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), pixels), m_shown);
        painter.end();
        m_scaled.setDevicePixelRatio(ratio);
    }
    return m_scaled;
}
