// Renders each look of the XP button, the check box and the picture frame into PNG files, one
// file per look, plus a sheet of all of them magnified four times. The pictures are what the
// screen shows: run with QT_SCALE_FACTOR=2 they have twice as many pixels each way.

#include "gui/widgets/Check.h"
#include "gui/widgets/RImage.h"
#include "gui/widgets/TamskXpButton.h"
#include "gui/widgets/WindowLook.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int Zoom = 4;

struct Shot {
    QString name;
    QImage image;
};

// The image as the screen shows it: the cut-away corners of a masked control become transparent.
// The mask is in logical pixels, the image in device pixels.
QImage withMask(const QImage& image, const QRegion& mask)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    if (mask.isEmpty())
        return result;
    const qreal ratio = result.devicePixelRatio();
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            if (!mask.contains(QPoint(int(x / ratio), int(y / ratio))))
                result.setPixel(x, y, qRgba(0, 0, 0, 0));
    return result;
}

class Gallery {
public:
    explicit Gallery(const QString& folder) : m_folder(folder)
    {
        m_host.resize(420, 260);
        m_host.move(40, 40);
        m_sink->setFocusPolicy(Qt::StrongFocus);
        m_sink->setGeometry(0, 0, 2, 2);
        m_host.show();
        if (!QTest::qWaitForWindowExposed(&m_host))
            std::fprintf(stderr, "the gallery window was not exposed\n");
        m_host.activateWindow();
    }

    void buttons()
    {
        buttonLook(u"button-normal"_s, u"OK"_s, [](TamskXpButton*) {});
        buttonLook(u"button-hover"_s, u"OK"_s, [this](TamskXpButton* b) { pointAt(b); });
        buttonLook(u"button-focus"_s, u"OK"_s, [](TamskXpButton* b) { b->setFocus(); });
        buttonLook(u"button-hover-focused"_s, u"OK"_s, [this](TamskXpButton* b) {
            b->setFocus();
            pointAt(b);
        });
        buttonLook(u"button-pressed"_s, u"OK"_s, [this](TamskXpButton* b) {
            pointAt(b);
            QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
        });
        buttonLook(u"button-disabled"_s, u"OK"_s, [](TamskXpButton* b) { b->setEnabled(false); });
        buttonLook(u"button-access-key"_s, u"&Выход"_s, [](TamskXpButton*) {});
        buttonLook(u"button-doubled-ampersand"_s, u"Tom && Jerry"_s, [](TamskXpButton*) {});
        buttonLook(
            u"button-wrapped"_s, u"Очистить кэш сейчас"_s, [](TamskXpButton*) {}, QSize(75, 40));
        buttonLook(
            u"button-tall-gradient"_s, u"Tall"_s, [](TamskXpButton*) {}, QSize(75, 45));
        buttonLook(
            u"button-tall-pressed"_s, u"Tall"_s,
            [](TamskXpButton* b) { QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10)); },
            QSize(75, 70));
        buttonLook(
            u"button-5px"_s, QString(), [](TamskXpButton*) {}, QSize(40, 5));
    }

    void checkBoxes()
    {
        for (int i = 0; i < CheckPictures::PictureCount; ++i) {
            const auto picture = CheckPictures::Picture(i);
            save(u"check-picture-"_s + QString::fromLatin1(CheckPictures::name(picture)),
                 CheckPictures::image(picture).convertToFormat(QImage::Format_ARGB32));
        }
        auto box = std::make_unique<Check>(&m_host);
        box->move(300, 200);
        box->InitProperties();
        box->show();
        save(u"check-box-unchecked"_s, box->grab().toImage());
        box->setValue(true);
        save(u"check-box-checked"_s, box->grab().toImage());
        box->setEnabledProperty(false);
        save(u"check-box-disabled-checked"_s, box->grab().toImage());

        // With its caption, as the Main window places them: without and with the keyboard focus.
        box->setEnabledProperty(true);
        auto* caption = new QLabel(u"через прокси"_s, &m_host);
        caption->setFont(WindowLook::msSansSerif());
        caption->setGeometry(box->x() + 16, box->y() - 1, 68, 13);
        caption->show();
        box->setCaption(caption);
        const QRect pair(box->x() - 2, box->y() - 3, 110, 19);
        save(u"check-box-caption"_s, m_host.grab(pair).toImage());
        QApplication::setActiveWindow(&m_host);
        box->setFocus();
        save(u"check-box-caption-focused"_s, m_host.grab(pair).toImage());
        delete caption;
    }

    void pictures()
    {
        QTemporaryDir dir;
        const std::pair<QString, QSize> shapes[] = {{u"400x300"_s, QSize(400, 300)},
                                                    {u"133x100"_s, QSize(133, 100)},
                                                    {u"100x300"_s, QSize(100, 300)}};
        for (const auto& [name, size] : shapes) {
            const QString path = dir.filePath(name + u".png"_s);
            samplePicture(size).save(path);
            RImage frame;
            frame.setSizeTwips(2400, 0);
            frame.setPicture(path);
            save(u"rimage-"_s + name, frame.grab().toImage(), 1);
        }
        RImage empty;
        empty.setSizeTwips(2400, 0);
        empty.setPicture(dir.filePath(u"missing.jpg"_s));
        save(u"rimage-missing"_s, empty.grab().toImage(), 1);
    }

    void sheet()
    {
        int width = 0;
        int height = 0;
        for (const Shot& shot : m_shots) {
            const QSize size = shot.image.deviceIndependentSize().toSize() * Zoom;
            width = std::max(width, size.width());
            height += size.height() + 8;
        }
        QImage sheet(width + 16, height + 8, QImage::Format_ARGB32);
        sheet.fill(QColor(96, 128, 96));
        QPainter painter(&sheet);
        int y = 8;
        for (const Shot& shot : m_shots) {
            const QSize size = shot.image.deviceIndependentSize().toSize() * Zoom;
            painter.drawImage(QRect(QPoint(8, y), size), shot.image);
            y += size.height() + 8;
        }
        painter.end();
        sheet.save(QDir(m_folder).filePath(u"sheet-buttons-and-checks.png"_s));
    }

private:
    template <typename Setup>
    void buttonLook(const QString& name, const QString& caption, Setup setup,
                    QSize size = QSize(75, 23))
    {
        QCursor::setPos(0, 0);
        m_sink->setFocus();
        auto button = std::make_unique<TamskXpButton>(&m_host);
        AmbientProperties ambient;
        ambient.Font = QFont(u"MS Sans Serif"_s, 8);
        button->InitProperties(ambient);
        button->setForeColor(SystemColors::WindowFrame);
        button->setForeHover(SystemColors::WindowFrame);
        button->setCaption(caption);
        button->setGeometry(QRect(QPoint(100, 100), size));
        button->show();
        setup(button.get());
        save(name, withMask(button->screenImage(button->devicePixelRatioF()), button->mask()));
        if (QApplication::mouseButtons() != Qt::NoButton || button->state().LastButton)
            QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(10, 10));
    }

    void pointAt(QWidget* widget) { QTest::mouseMove(widget, QPoint(10, 10)); }

    static QImage samplePicture(QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb(255 * x / size.width(), 255 * y / size.height(), 160));
        QPainter painter(&image);
        painter.setPen(QPen(Qt::white, 3));
        painter.drawEllipse(QRect(QPoint(0, 0), size).adjusted(4, 4, -4, -4));
        return image;
    }

    void save(const QString& name, const QImage& image, int sheetZoom = Zoom)
    {
        const QString path = QDir(m_folder).filePath(name + u".png"_s);
        if (!image.save(path))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        if (sheetZoom == Zoom)
            m_shots.append({name, image});
        std::printf("%s\n", qPrintable(path));
    }

    QString m_folder;
    QWidget m_host;
    QWidget* m_sink = new QWidget(&m_host);
    QList<Shot> m_shots;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"gallery"_s;
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    Gallery gallery(folder);
    gallery.buttons();
    gallery.checkBoxes();
    gallery.pictures();
    gallery.sheet();
    return 0;
}
