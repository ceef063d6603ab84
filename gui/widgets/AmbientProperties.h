#pragma once

#include "gui/widgets/SystemColors.h"

#include <QFont>
#include <QString>

// What the host window suggests to a control it holds: used as defaults when the control is placed
// and when its saved design is read or written.
struct AmbientProperties {
    QFont Font;
    quint32 ForeColor = SystemColors::WindowText;
    QString DisplayName; // the name the host gives the control instance
};
