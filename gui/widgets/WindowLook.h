#pragma once

#include <QFont>
#include <QString>

class QImage;
class QLabel;
class QWidget;
class TamskXpButton;

// The fonts and furniture the program's windows share.
namespace WindowLook {

// Faces asked for by name, with similar installed faces as fallbacks.
QFont msSansSerif(bool bold = false, bool underline = false);
QFont verdana(qreal pointSize, bool bold);
QFont courierNew(qreal pointSize, bool bold);

// The stretched gradient behind everything else; named "BG", sized to the client area.
QLabel* addBackground(QWidget& window);

// A transparent label at a position in twips. Without a size it takes the size of its text.
QLabel* addLabel(QWidget& window, const QString& name, const QString& text, const QFont& font,
                 int left, int top, int width = 0, int height = 0);

// A picture shown at its natural size, from the top left of a place given in twips.
QLabel* addPicture(QWidget& window, const QString& name, const QImage& picture, int left, int top,
                   int width, int height);

// An XP push button placed as the window's saved design describes it: caption, the button font,
// caption and hover colours (0x00BBGGRR or a system colour) and whether it starts enabled.
struct ButtonDesign {
    QString name;
    QString caption;
    int left, top, width, height; // twips
    quint32 foreColor;
    quint32 foreHover;
    bool enabled = true;
};
TamskXpButton* addButton(QWidget& window, const ButtonDesign& design);

// Fixed client size, centred on the screen the window opens on.
void fixClientSize(QWidget& window, int widthTwips, int heightTwips);
void centreOnScreen(QWidget& window);

} // namespace WindowLook
