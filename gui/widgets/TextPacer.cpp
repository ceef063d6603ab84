#include "gui/widgets/TextPacer.h"

#include <QLabel>

TextPacer::TextPacer(QLabel* label, QObject* parent) : QObject(parent), m_label(label)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TextPacer::showPending);
}

void TextPacer::setText(const QString& text)
{
    if (m_paced && m_timer.isActive()) {
        m_pending = text;
        m_hasPending = true;
        return;
    }
    m_hasPending = false;
    m_label->setText(text);
    if (m_paced)
        m_timer.start();
}

QString TextPacer::text() const
{
    return m_hasPending ? m_pending : m_label->text();
}

void TextPacer::setPaced(bool paced)
{
    m_paced = paced;
    if (!paced) {
        m_timer.stop();
        showNow();
    }
}

void TextPacer::showNow()
{
    if (!m_hasPending)
        return;
    m_hasPending = false;
    m_label->setText(m_pending);
}

// Changes that came in the meantime show now, and the pace goes on while they keep coming.
void TextPacer::showPending()
{
    if (!m_hasPending)
        return;
    showNow();
    m_timer.start();
}
