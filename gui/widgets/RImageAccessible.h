#pragma once

#include <QAccessibleWidget>

class RImage;

// The preview as a graphic named after the file of the picture it shows, or "empty".
class RImageAccessible : public QAccessibleWidget {
public:
    explicit RImageAccessible(RImage* frame);

    QString text(QAccessible::Text t) const override;

private:
    RImage* frame() const;
};
