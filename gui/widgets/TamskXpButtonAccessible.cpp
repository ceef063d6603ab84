#include "gui/widgets/TamskXpButtonAccessible.h"

#include "gui/widgets/TamskXpButton.h"

#include <QKeySequence>
#include <QPointer>

namespace {

// What the caption shows: "&x" is x, "&&" is one "&".
QString shownCaption(const QString& caption)
{
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && ++i >= caption.size())
            break;
        shown.append(caption[i]);
    }
    return shown;
}

} // namespace

TamskXpButtonAccessible::TamskXpButtonAccessible(TamskXpButton* button)
    : QAccessibleWidget(button, QAccessible::Button)
{}

TamskXpButton* TamskXpButtonAccessible::button() const
{
    return static_cast<TamskXpButton*>(widget());
}

QString TamskXpButtonAccessible::shortcut() const
{
    const QString key = button()->AccessKeys();
    if (key.isEmpty())
        return {};
    const QKeyCombination combination(Qt::AltModifier, Qt::Key(key.at(0).toUpper().unicode()));
    return QKeySequence(combination).toString(QKeySequence::NativeText);
}

QString TamskXpButtonAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && button()->accessibleName().isEmpty())
        return shownCaption(button()->Caption());
    if (t == QAccessible::Accelerator)
        return shortcut();
    return QAccessibleWidget::text(t);
}

QAccessible::State TamskXpButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.disabled = !button()->Enabled() || !button()->isEnabled();
    state.pressed = button()->isPressedLook();
    return state;
}

QStringList TamskXpButtonAccessible::actionNames() const
{
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void TamskXpButtonAccessible::doAction(const QString& actionName)
{
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (!button()->Enabled() || !button()->isEnabled())
        return;
    // Clicked from the event loop, as by a person: the screen reader's call returns at once
    // rather than after the window the click opens has closed again.
    QMetaObject::invokeMethod(
        button(),
        [pressed = QPointer<TamskXpButton>(button())] {
            if (pressed && pressed->Enabled() && pressed->isEnabled())
                pressed->AccessKeyPress();
        },
        Qt::QueuedConnection);
}

QStringList TamskXpButtonAccessible::keyBindingsForAction(const QString& actionName) const
{
    if (actionName != pressAction())
        return QAccessibleWidget::keyBindingsForAction(actionName);
    const QString keys = shortcut();
    return keys.isEmpty() ? QStringList{} : QStringList{keys};
}
