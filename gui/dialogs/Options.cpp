#include "gui/dialogs/Options.h"

#include "core/net/ResponseCache.h"
#include "core/platform/Logging.h"
#include "gui/widgets/ShapeOutline.h"
#include "gui/widgets/SpinArrows.h"
#include "gui/widgets/SystemColors.h"
#include "gui/widgets/TamskXpButton.h"
#include "gui/widgets/Twips.h"
#include "gui/widgets/WindowLook.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

const QString CaptionClear = u"Фтопку кэш!"_s;
const QString CaptionBusy = u"Низя, щас качают!"_s;

QLabel* addFigure(QWidget& window, const QString& name, const QString& placeholder, int left,
                  int top, int width, int height)
{
    QLabel* figure =
        WindowLook::addLabel(window, name, placeholder, window.font(), left, top, width, height);
    figure->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    figure->setLineWidth(1);
    figure->setAlignment(Qt::AlignCenter);
    return figure;
}

} // namespace

Options::Options(ResponseCache& cache, qint16 CasheSizeSetting, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_cache(cache), m_CasheSizeSetting(CasheSizeSetting)
{
    setObjectName(u"Options"_s);
    setWindowTitle(u"Настройки кэширования"_s);
    setFont(WindowLook::msSansSerif());
    WindowLook::fixClientSize(*this, 2910, 1830);

    auto* frame = new ShapeOutline(Qt::white, this);
    frame->setObjectName(u"Shape1"_s);
    frame->setGeometry(Twips::toPixels(60, 60, 2775, 1215));

    m_Label2 = WindowLook::addLabel(*this, u"Label2"_s, u"Размер кэша:"_s, font(), 180, 180);
    m_KS = addFigure(*this, u"KS"_s, u"500"_s, 1260, 180, 570, 255);
    m_KSV = new SpinArrows(this);
    m_KSV->setObjectName(u"KSV"_s);
    m_KSV->setGeometry(Twips::toPixels(1860, 180, 195, 255));
    m_KSV->setRange(LimitMin, LimitMax);
    m_KSV->setValue(LimitMax);
    m_KSV->setFocusPolicy(Qt::StrongFocus);
    connect(m_KSV, &SpinArrows::valueChanged, this, &Options::KSV_Change);
    m_Label2->setBuddy(m_KSV);
    m_Label1 = WindowLook::addLabel(*this, u"Label1"_s, u"файлов"_s, font(), 2100, 180);

    m_Label3 = WindowLook::addLabel(*this, u"Label3"_s, u"Текущий размер:"_s, font(), 180, 540);
    m_TRC = addFigure(*this, u"TRC"_s, u"100"_s, 1560, 540, 510, 255);
    m_Label5 = WindowLook::addLabel(*this, u"Label5"_s, u"файлов"_s, font(), 2100, 540);

    const quint32 caption = SystemColors::WindowFrame;
    const quint32 hover = SystemColors::WindowText;
    m_CLCashe = WindowLook::addButton(
        *this, {u"CLCashe"_s, CaptionClear, 240, 840, 2415, 315, caption, hover});
    m_OK =
        WindowLook::addButton(*this, {u"OK"_s, u"Зачот"_s, 720, 1380, 1035, 375, caption, hover});
    m_Cancel = WindowLook::addButton(
        *this, {u"Cancel"_s, u"Нафек"_s, 1800, 1380, 1035, 375, caption, hover});
    connect(m_CLCashe, &TamskXpButton::Click, this, &Options::CLCashe_Click);
    connect(m_OK, &TamskXpButton::Click, this, &Options::OK_Click);
    connect(m_Cancel, &TamskXpButton::Click, this, &Options::Cancel_Click);

    ReadingOrder::chainTabOrder(readingOrder());
    m_OK->setFocus();

    Form_Load();
    WindowLook::centreOnScreen(*this);
}

// The tab indices; KS is left out, as the spin itself reads out the limit it shows.
QList<QWidget*> Options::readingOrder() const
{
    return {m_OK, m_Label2, m_KSV, m_Label1, m_Label3, m_TRC, m_Label5, m_CLCashe, m_Cancel};
}

void Options::Form_Load()
{
    WindowLook::addBackground(*this);
    // A hand-edited limit outside the spin's range is shown at the nearest bound.
    m_KSV->setValue(m_CasheSizeSetting);
    m_KS->setText(QString::number(m_KSV->value()));
    showCacheSize();
}

void Options::KSV_Change(int value)
{
    m_KS->setText(QString::number(value));
}

void Options::OK_Click()
{
    m_CasheSizeSetting = qint16(m_KSV->value());
    accept();
}

void Options::CLCashe_Click()
{
    // What is left is shown below; a run elsewhere keeps its cache, and the button says why.
    const FileIo::Error error = m_clear ? m_clear() : m_cache.clear();
    const bool busy = error.reason() == FileIo::Reason::Busy;
    m_CLCashe->setCaption(busy ? CaptionBusy : CaptionClear);
    if (error && !busy)
        qCWarning(lcCache).noquote() << "not cleared:" << error.message();
    showCacheSize();
}

void Options::Cancel_Click()
{
    reject();
}

void Options::showCacheSize()
{
    m_TRC->setText(QString::number(m_cache.size()));
}
