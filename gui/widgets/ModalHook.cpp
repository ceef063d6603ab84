#include "gui/widgets/ModalHook.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <utility>

namespace ModalHook {

namespace {

Hook& onShown()
{
    static Hook hook;
    return hook;
}

} // namespace

void setOnShown(Hook hook)
{
    onShown() = std::move(hook);
}

int exec(QDialog& dialog)
{
    if (onShown()) {
        QPointer<QDialog> guard(&dialog);
        QTimer::singleShot(0, &dialog, [guard] {
            if (guard && guard->isVisible() && onShown())
                onShown()(*guard);
        });
    }
    return dialog.exec();
}

} // namespace ModalHook
