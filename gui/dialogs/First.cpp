#include "gui/dialogs/First.h"

#include "gui/resources/Artwork.h"
#include "gui/widgets/SystemColors.h"
#include "gui/widgets/TamskXpButton.h"
#include "gui/widgets/WindowLook.h"

#include <QLabel>

using namespace Qt::StringLiterals;

First::First(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(u"First"_s);
    setWindowTitle(u"Первыйнах!"_s);
    setWindowIcon(Artwork::windowIcon());
    setFont(WindowLook::msSansSerif());
    WindowLook::fixClientSize(*this, 3870, 2625);

    m_Label1 = WindowLook::addLabel(*this, u"Label1"_s, u"Нравяццо забавныйе картинки?"_s,
                                    WindowLook::verdana(9.75, true), 120, 120);

    WindowLook::addPicture(*this, u"Image1"_s, Artwork::handPictogram(), 120, 900, 525, 735);

    QLabel* text = m_Label2 = WindowLook::addLabel(
        *this, u"Label2"_s,
        u"Любиш фтыкать веселыйе картинки на Zolvane, но не любиш грузить каменты к ним на два "
        u"метра? Эта прога скачивает только картинки, и экономит твой трафек в несколько раз."_s,
        WindowLook::msSansSerif(true), 900, 600, 2835, 1395);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_OK = WindowLook::addButton(*this, {u"OK"_s, u"Зачот"_s, 2340, 2160, 1455, 375,
                                         SystemColors::WindowFrame, SystemColors::WindowText});
    connect(m_OK, &TamskXpButton::Click, this, &First::OK_Click);
    m_OK->setFocus();

    Form_Load();
    WindowLook::centreOnScreen(*this);
}

// The hand pictogram only decorates.
QList<QWidget*> First::readingOrder() const
{
    return {m_Label1, m_Label2, m_OK};
}

void First::Form_Load()
{
    WindowLook::addBackground(*this);
}

void First::OK_Click()
{
    accept();
}
