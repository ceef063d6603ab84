#include "gui/widgets/DownloadPanel.h"

#include "core/net/Download_Control.h"
#include "core/net/EngineTexts.h"
#include "core/platform/BrowserStart.h"
#include "core/platform/Constants.h"
#include "gui/resources/Artwork.h"
#include "gui/resources/BusyFrames.h"
#include "gui/widgets/LinkLabel.h"
#include "gui/widgets/SystemColors.h"
#include "gui/widgets/Twips.h"
#include "gui/widgets/WindowLook.h"

#include <QLabel>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 PanelBackColor = 0x00E0E0E0;
constexpr quint32 LinkColor = 0x00C00000;
// A screen shows a new picture about every 16 ms; paints in between are never seen.
constexpr int FrameMs = 16;

// The windows' face, a shade smaller.
QFont panelFont()
{
    QFont font = WindowLook::msSansSerif();
    font.setPointSize(8);
    return font;
}

} // namespace

DownloadPanel::DownloadPanel(QWidget* parent)
    : QWidget(parent), m_I1(new QLabel(this)), m_Label1(new QLabel(u"Обмен данными:"_s, this)),
      m_St(new LinkLabel(u"Ready"_s, this)), m_statusPacer(m_St, this)
{
    setObjectName(u"Picture1"_s);
    m_I1->setObjectName(u"I1"_s);
    m_Label1->setObjectName(u"Label1"_s);
    m_St->setObjectName(u"St"_s);
    setAccessibleName(m_Label1->text());

    QPalette panel = palette();
    panel.setColor(QPalette::Window, SystemColors::toColor(PanelBackColor));
    setPalette(panel);
    setAutoFillBackground(true);
    setFont(panelFont());
    setFixedSize(Twips::toPixels(0, 0, 3495, 585).size());

    m_I1->setGeometry(Twips::toPixels(60, 30, 480, 480));
    m_Label1->setGeometry(Twips::toPixels(1320, 30, 1290, 195));
    m_St->setGeometry(Twips::toPixels(540, 300, 2880, 195));
    m_St->setAutoFillBackground(true);
    connect(m_St, &LinkLabel::Click, this, &DownloadPanel::St_Click);
    m_frameEnd.setSingleShot(true);
    connect(&m_frameEnd, &QTimer::timeout, this, &DownloadPanel::paintStatus);
    m_timer1.setInterval(FrameIntervalMs);
    connect(&m_timer1, &QTimer::timeout, this, &DownloadPanel::Timer1_Timer);

    setFrame(0);
    setStatusLink(false);
}

QList<QWidget*> DownloadPanel::readingOrder() const
{
    return {m_St};
}

void DownloadPanel::follow(const Download_Control* engine)
{
    showStatus(engine->status());
    setBusy(engine->isBusy());
    connect(engine, &Download_Control::statusChanged, this, &DownloadPanel::showStatus);
    connect(engine, &Download_Control::busyChanged, this, &DownloadPanel::setBusy);
}

void DownloadPanel::showStatus(const TransferStatus& status)
{
    setStatusText(EngineTexts::status(status));
    setStatusLink(EngineTexts::isLink(status));
    if (status.kind == TransferStatus::Kind::Receiving)
        showStatusNow();
}

void DownloadPanel::setBusy(bool busy)
{
    if (busy) {
        m_timer1.start();
        return;
    }
    m_timer1.stop();
    if (m_frame != 0)
        setFrame(0);
}

void DownloadPanel::Timer1_Timer()
{
    setFrame((m_frame + 1) % BusyFrames::Count);
}

QString DownloadPanel::statusText() const
{
    return m_statusPacer.text();
}

void DownloadPanel::setPaced(bool paced)
{
    m_paced = paced;
    if (!paced && m_frameEnd.isActive()) {
        m_frameEnd.stop();
        paintStatus();
    }
    m_statusPacer.setPaced(paced);
}

void DownloadPanel::setStatusText(const QString& text)
{
    m_statusPacer.setText(text);
}

void DownloadPanel::showStatusNow()
{
    if (m_frameEnd.isActive())
        return;
    const qint64 sincePaint =
        m_sinceStatusPaint.isValid() ? m_sinceStatusPaint.elapsed() : qint64(FrameMs);
    if (m_paced && sincePaint < FrameMs)
        m_frameEnd.start(int(FrameMs - sincePaint));
    else
        paintStatus();
}

void DownloadPanel::paintStatus()
{
    m_statusPacer.showNow();
    if (m_St->isVisible())
        m_St->repaint();
    m_sinceStatusPaint.start();
}

void DownloadPanel::setStatusLink(bool isLink)
{
    // Every transfer resets the look: only a change costs a new palette, font and cursor.
    if (m_lookApplied && isLink == m_statusIsLink)
        return;
    m_lookApplied = true;
    m_statusIsLink = isLink;
    m_St->setLinked(isLink);
    QPalette look = m_St->palette();
    look.setColor(QPalette::Window, SystemColors::toColor(PanelBackColor));
    look.setColor(QPalette::WindowText,
                  SystemColors::toColor(isLink ? LinkColor : SystemColors::ButtonText, palette()));
    m_St->setPalette(look);
    QFont font = m_St->font();
    font.setUnderline(isLink);
    m_St->setFont(font);
    if (isLink)
        m_St->setCursor(Artwork::handCursor());
    else
        m_St->unsetCursor();
}

void DownloadPanel::setFrame(int index)
{
    if (index < 0 || index >= BusyFrames::Count)
        return;
    m_frame = index;
    m_I1->setPixmap(QPixmap::fromImage(BusyFrames::image(index)));
}

void DownloadPanel::St_Click()
{
    if (!m_statusIsLink)
        return;
    if (const BrowserStart::Error error =
            BrowserStart::StartBrowser(QString::fromLatin1(Constants::MakerPage)))
        setStatusText(u"Браузер не запустился"_s);
}
