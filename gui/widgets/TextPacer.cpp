#include "gui/widgets/TextPacer.h"

#include <QLabel>

TextPacer::TextPacer(QLabel* label, QObject* parent, Show show)
    : QObject(parent), m_label(label), m_show(std::move(show)), m_given(label->text())
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TextPacer::showPending);
}

void TextPacer::setText(const QString& text)
{
    m_given = text;
    if (m_paced && m_timer.isActive()) {
        m_hasPending = true;
        return;
    }
    m_hasPending = false;
    show(text);
    if (m_paced)
        m_timer.start();
}

QString TextPacer::text() const
{
    return m_given;
}

void TextPacer::show(const QString& text)
{
    if (m_show)
        m_show(m_label, text);
    else
        m_label->setText(text);
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
    show(m_given);
}

// Changes that came in the meantime show now, and the pace goes on while they keep coming.
void TextPacer::showPending()
{
    if (!m_hasPending)
        return;
    showNow();
    m_timer.start();
}
