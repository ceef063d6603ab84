#include "gui/widgets/WindowLook.h"

#include "gui/resources/Artwork.h"
#include "gui/widgets/AmbientProperties.h"
#include "gui/widgets/PropertyBag.h"
#include "gui/widgets/TamskXpButton.h"
#include "gui/widgets/Twips.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace WindowLook {

namespace {

// The first family of the list that is installed, which is the one the font system picks for the
// list, looked up once per process: a font asked for by the whole list has the font system search
// the fallbacks of each missing name before it comes to that family. A list without an installed
// family is left to the font system.
QStringList firstInstalled(const QStringList& families)
{
    static QHash<QString, QStringList> picked; // fonts are made on the GUI thread only
    const QString key = families.join(u'\n');
    if (const auto found = picked.constFind(key); found != picked.cend())
        return *found;
    const QStringList installed = QFontDatabase::families();
    QStringList choice = families;
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            choice = {family};
            break;
        }
    }
    picked.insert(key, choice);
    return choice;
}

QFont named(const QStringList& families, qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies(firstInstalled(families));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

// The background gradient at the window's size: the label then has nothing to scale at its first
// paint. A gradient that runs downwards comes out the same when one column of it is scaled and
// repeated across, which costs a fraction of scaling the whole picture.
QPixmap backgroundFor(const QWidget& window)
{
    const qreal ratio = window.devicePixelRatioF();
    const QSize pixels = (QSizeF(window.size()) * ratio).toSize();
    const QImage gradient = Artwork::backgroundGradient();
    if (pixels.isEmpty())
        return QPixmap::fromImage(gradient);
    const QImage column =
        gradient.copy(0, 0, 1, gradient.height())
            .scaled(QSize(1, pixels.height()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    QImage image(pixels, QImage::Format_RGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(row, row + pixels.width(), column.pixel(0, y));
    }
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace

QFont msSansSerif(bool bold, bool underline)
{
    QFont font = named({u"MS Sans Serif"_s, u"Microsoft Sans Serif"_s, u"Tahoma"_s, u"Arial"_s,
                        u"Liberation Sans"_s, u"Nimbus Sans"_s, u"DejaVu Sans"_s},
                       8.25, bold);
    font.setStyleHint(QFont::SansSerif);
    font.setUnderline(underline);
    return font;
}

QFont verdana(qreal pointSize, bool bold)
{
    QFont font =
        named({u"Verdana"_s, u"DejaVu Sans"_s, u"Nimbus Sans"_s, u"Arial"_s}, pointSize, bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont courierNew(qreal pointSize, bool bold)
{
    QFont font =
        named({u"Courier New"_s, u"Liberation Mono"_s, u"Nimbus Mono PS"_s, u"DejaVu Sans Mono"_s},
              pointSize, bold);
    font.setStyleHint(QFont::Monospace);
    return font;
}

QLabel* addBackground(QWidget& window)
{
    auto* bg = new QLabel(&window);
    bg->setObjectName(u"BG"_s);
    bg->setPixmap(backgroundFor(window));
    bg->setScaledContents(true);
    bg->setGeometry(0, 0, window.width(), window.height());
    bg->lower();
    return bg;
}

QLabel* addLabel(QWidget& window, const QString& name, const QString& text, const QFont& font,
                 int left, int top, int width, int height)
{
    auto* label = new QLabel(text, &window);
    label->setObjectName(name);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::ButtonText));
    label->setPalette(palette);
    if (width > 0 && height > 0) {
        label->setGeometry(Twips::toPixels(left, top, width, height));
    } else {
        label->move(Twips::toPixels(left), Twips::toPixels(top));
        label->adjustSize();
    }
    return label;
}

QLabel* addPicture(QWidget& window, const QString& name, const QImage& picture, int left, int top,
                   int width, int height)
{
    auto* label = new QLabel(&window);
    label->setObjectName(name);
    label->setPixmap(QPixmap::fromImage(picture));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(Twips::toPixels(left, top, width, height));
    return label;
}

TamskXpButton* addButton(QWidget& window, const ButtonDesign& design)
{
    auto* button = new TamskXpButton(&window);
    button->setObjectName(design.name);
    button->setGeometry(Twips::toPixels(design.left, design.top, design.width, design.height));

    const AmbientProperties ambient{window.font(), SystemColors::WindowText, design.name};
    PropertyBag bag;
    bag.WriteProperty(u"Caption"_s, design.caption);
    bag.WriteProperty(u"Font"_s, msSansSerif());
    bag.WriteProperty(u"ForeColor"_s, design.foreColor);
    bag.WriteProperty(u"ForeHover"_s, design.foreHover);
    bag.WriteProperty(u"Enabled"_s, design.enabled);
    button->ReadProperties(bag, ambient);
    return button;
}

void fixClientSize(QWidget& window, int widthTwips, int heightTwips)
{
    window.setFixedSize(Twips::toPixels(widthTwips), Twips::toPixels(heightTwips));
}

void centreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

} // namespace WindowLook
