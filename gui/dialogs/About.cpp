#include "gui/dialogs/About.h"

#include "core/platform/BrowserStart.h"
#include "core/platform/Constants.h"
#include "core/platform/Logging.h"
#include "gui/resources/Artwork.h"
#include "gui/widgets/LinkLabel.h"
#include "gui/widgets/ShapeOutline.h"
#include "gui/widgets/SystemColors.h"
#include "gui/widgets/TamskXpButton.h"
#include "gui/widgets/Twips.h"
#include "gui/widgets/WindowLook.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

QString makerPage()
{
    return QString::fromLatin1(Constants::MakerPage.data(), Constants::MakerPage.size());
}

// A long address is drawn narrower rather than cut off at the window's edge.
void fitWidth(QLabel& label, int available)
{
    label.adjustSize();
    if (label.width() <= available)
        return;
    QFont narrower = label.font();
    narrower.setStretch(qMax(50, available * 100 / label.width()));
    label.setFont(narrower);
    label.adjustSize();
    while (label.width() > available && narrower.stretch() > 50) {
        narrower.setStretch(narrower.stretch() - 2);
        label.setFont(narrower);
        label.adjustSize();
    }
}

} // namespace

About::About(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(u"About"_s);
    setWindowTitle(u"About"_s);
    setWindowIcon(Artwork::windowIcon());
    setFont(WindowLook::msSansSerif());
    WindowLook::fixClientSize(*this, 3120, 3705);

    m_Label4 = WindowLook::addLabel(*this, u"Label4"_s, u"Zolvane VerezOzavidozoz"_s,
                                    WindowLook::verdana(9, true), 105, 120, 2925, 210);
    m_Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    WindowLook::addPicture(*this, u"Image1"_s, Artwork::logo(), 60, 480, 3015, 1080);

    m_Label2 = WindowLook::addLabel(*this, u"Label2"_s, u"V 1.1"_s,
                                    WindowLook::courierNew(12, true), 2280, 1260);

    auto* frame = new ShapeOutline(Qt::white, this);
    frame->setObjectName(u"Shape1"_s);
    frame->setGeometry(Twips::toPixels(60, 1680, 3015, 615));

    m_Label1 = WindowLook::addLabel(*this, u"Label1"_s, u"Сайт аффтара"_s,
                                    WindowLook::msSansSerif(true), 960, 1740);

    auto* link = m_Label6 = new LinkLabel(makerPage(), this);
    link->setObjectName(u"Label6"_s);
    link->setFont(WindowLook::msSansSerif(true, true));
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, SystemColors::toColor(0x00C00000));
    link->setPalette(palette);
    link->setCursor(Artwork::handCursor());
    link->setToolTip(u"Посетить сайт программы"_s);
    link->move(Twips::toPixels(360), Twips::toPixels(1980));
    fitWidth(*link, width() - link->x() - Twips::toPixels(60));
    connect(link, &LinkLabel::Click, this, &About::Label6_Click);

    auto* line = new ShapeOutline(Qt::white, this);
    line->setObjectName(u"Line1"_s);
    line->setGeometry(Twips::toPixels(120), Twips::toPixels(3060), Twips::toPixels(2940 - 120), 1);

    m_OK = WindowLook::addButton(*this, {u"OK"_s, u"Жжош сцуко!"_s, 720, 3240, 1635, 375,
                                         SystemColors::WindowFrame, SystemColors::WindowText});
    connect(m_OK, &TamskXpButton::Click, this, &About::OK_Click);
    m_OK->setFocus();

    Form_Load();
    WindowLook::centreOnScreen(*this);
}

// The tab indices of the labels and the button; the logo, the frame and the line only decorate.
QList<QWidget*> About::readingOrder() const
{
    return {m_Label1, m_Label6, m_Label2, m_Label4, m_OK};
}

void About::Form_Load()
{
    WindowLook::addBackground(*this);
}

void About::OK_Click()
{
    accept();
}

void About::Label6_Click()
{
    // This window has no place for a message; the link simply does nothing.
    if (const BrowserStart::Error error = BrowserStart::StartBrowser(makerPage()))
        qCWarning(lcBrowser).noquote() << error.message();
}
