#include "gui/widgets/VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <utility>

using namespace Qt::StringLiterals;

namespace VirtualKeys {

namespace {

template <typename Key, std::size_t N>
qint16 lookUp(Key key, const std::pair<Key, qint16> (&table)[N])
{
    for (const auto& [from, code] : table)
        if (from == key)
            return code;
    return 0;
}

constexpr std::pair<int, qint16> KeypadKeys[] = {
    {Qt::Key_Asterisk, Multiply}, {Qt::Key_Plus, Add},      {Qt::Key_Minus, Subtract},
    {Qt::Key_Period, Decimal},    {Qt::Key_Comma, Decimal}, {Qt::Key_Slash, Divide},
    {Qt::Key_Enter, Return},      {Qt::Key_Return, Return},
};

constexpr std::pair<int, qint16> NamedKeys[] = {
    {Qt::Key_Backspace, Back},
    {Qt::Key_Tab, Tab},
    {Qt::Key_Backtab, Tab},
    {Qt::Key_Clear, Clear},
    {Qt::Key_Return, Return},
    {Qt::Key_Enter, Return},
    {Qt::Key_Shift, Shift},
    {Qt::Key_Control, Control},
    {Qt::Key_Alt, Menu},
    {Qt::Key_AltGr, Menu},
    {Qt::Key_Pause, Pause},
    {Qt::Key_CapsLock, Capital},
    {Qt::Key_Escape, Escape},
    {Qt::Key_Space, Space},
    {Qt::Key_PageUp, Prior},
    {Qt::Key_PageDown, Next},
    {Qt::Key_End, End},
    {Qt::Key_Home, Home},
    {Qt::Key_Left, Left},
    {Qt::Key_Up, Up},
    {Qt::Key_Right, Right},
    {Qt::Key_Down, Down},
    {Qt::Key_Select, Select},
    {Qt::Key_Printer, Print},
    {Qt::Key_Execute, Execute},
    {Qt::Key_Print, Snapshot},
    {Qt::Key_SysReq, Snapshot},
    {Qt::Key_Insert, Insert},
    {Qt::Key_Delete, Delete},
    {Qt::Key_Help, Help},
    {Qt::Key_Meta, LWin},
    {Qt::Key_Super_L, LWin},
    {Qt::Key_Super_R, RWin},
    {Qt::Key_Menu, Apps},
    {Qt::Key_Sleep, Sleep},
    {Qt::Key_NumLock, NumLock},
    {Qt::Key_ScrollLock, ScrollLock},
    {Qt::Key_Back, BrowserBack},
    {Qt::Key_Forward, BrowserForward},
    {Qt::Key_Refresh, BrowserRefresh},
    {Qt::Key_Stop, BrowserStop},
    {Qt::Key_Search, BrowserSearch},
    {Qt::Key_Favorites, BrowserFavorites},
    {Qt::Key_HomePage, BrowserHome},
    {Qt::Key_VolumeMute, VolumeMute},
    {Qt::Key_VolumeDown, VolumeDown},
    {Qt::Key_VolumeUp, VolumeUp},
    {Qt::Key_MediaNext, MediaNext},
    {Qt::Key_MediaPrevious, MediaPrevious},
    {Qt::Key_MediaStop, MediaStop},
    {Qt::Key_MediaPlay, MediaPlayPause},
    {Qt::Key_MediaTogglePlayPause, MediaPlayPause},
    {Qt::Key_LaunchMail, LaunchMail},
    {Qt::Key_LaunchMedia, LaunchMedia},
    {Qt::Key_Launch0, LaunchApp1},
    {Qt::Key_Launch1, LaunchApp2},
    {Qt::Key_Play, Play},
    {Qt::Key_Zoom, Zoom},
};

// The character keys of a PC keyboard by their set-1 scan code, as the US layout names them.
constexpr std::pair<quint32, qint16> PositionKeys[] = {
    {0x02, '1'},       {0x03, '2'},     {0x04, '3'},    {0x05, '4'},  {0x06, '5'},
    {0x07, '6'},       {0x08, '7'},     {0x09, '8'},    {0x0A, '9'},  {0x0B, '0'},
    {0x0C, OemMinus},  {0x0D, OemPlus}, {0x10, 'Q'},    {0x11, 'W'},  {0x12, 'E'},
    {0x13, 'R'},       {0x14, 'T'},     {0x15, 'Y'},    {0x16, 'U'},  {0x17, 'I'},
    {0x18, 'O'},       {0x19, 'P'},     {0x1A, Oem4},   {0x1B, Oem6}, {0x1E, 'A'},
    {0x1F, 'S'},       {0x20, 'D'},     {0x21, 'F'},    {0x22, 'G'},  {0x23, 'H'},
    {0x24, 'J'},       {0x25, 'K'},     {0x26, 'L'},    {0x27, Oem1}, {0x28, Oem7},
    {0x29, Oem3},      {0x2B, Oem5},    {0x2C, 'Z'},    {0x2D, 'X'},  {0x2E, 'C'},
    {0x2F, 'V'},       {0x30, 'B'},     {0x31, 'N'},    {0x32, 'M'},  {0x33, OemComma},
    {0x34, OemPeriod}, {0x35, Oem2},    {0x56, Oem102},
};

// Characters by the key that types them: the US layout's punctuation and the Russian layout's
// letters (upper case, as Qt reports a character key).
constexpr std::pair<char16_t, qint16> CharacterKeys[] = {
    {u'`', Oem3},      {u'~', Oem3},     {u'!', '1'},      {u'@', '2'},       {u'#', '3'},
    {u'$', '4'},       {u'%', '5'},      {u'^', '6'},      {u'&', '7'},       {u'*', '8'},
    {u'(', '9'},       {u')', '0'},      {u'-', OemMinus}, {u'_', OemMinus},  {u'=', OemPlus},
    {u'+', OemPlus},   {u'[', Oem4},     {u'{', Oem4},     {u']', Oem6},      {u'}', Oem6},
    {u'\\', Oem5},     {u'|', Oem5},     {u';', Oem1},     {u':', Oem1},      {u'\'', Oem7},
    {u'"', Oem7},      {u',', OemComma}, {u'<', OemComma}, {u'.', OemPeriod}, {u'>', OemPeriod},
    {u'/', Oem2},      {u'?', Oem2},     {u'Ё', Oem3},     {u'№', '3'},       {u'Й', 'Q'},
    {u'Ц', 'W'},       {u'У', 'E'},      {u'К', 'R'},      {u'Е', 'T'},       {u'Н', 'Y'},
    {u'Г', 'U'},       {u'Ш', 'I'},      {u'Щ', 'O'},      {u'З', 'P'},       {u'Х', Oem4},
    {u'Ъ', Oem6},      {u'Ф', 'A'},      {u'Ы', 'S'},      {u'В', 'D'},       {u'А', 'F'},
    {u'П', 'G'},       {u'Р', 'H'},      {u'О', 'J'},      {u'Л', 'K'},       {u'Д', 'L'},
    {u'Ж', Oem1},      {u'Э', Oem7},     {u'Я', 'Z'},      {u'Ч', 'X'},       {u'С', 'C'},
    {u'М', 'V'},       {u'И', 'B'},      {u'Т', 'N'},      {u'Ь', 'M'},       {u'Б', OemComma},
    {u'Ю', OemPeriod}, {u'І', 'S'},      {u'Ї', Oem6},     {u'Є', Oem7},      {u'Ў', 'O'},
};

qint16 keypadCode(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return qint16(Numpad0 + (key - Qt::Key_0));
    return lookUp(key, KeypadKeys);
}

qint16 namedKeyCode(int key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return qint16(F1 + (key - Qt::Key_F1));
    return lookUp(key, NamedKeys);
}

qint16 positionCode(quint32 scanCode, ScanCodes scanCodes)
{
    switch (scanCodes) {
    case ScanCodes::PcSet1:
        return lookUp(scanCode, PositionKeys);
    case ScanCodes::Xkb:
        return scanCode > 8 ? lookUp(scanCode - 8, PositionKeys) : qint16(0);
    case ScanCodes::Unknown:
        break;
    }
    return 0;
}

qint16 characterCode(int key, const QString& text)
{
    char16_t character = 0;
    if (key > 0 && key <= 0xFFFF)
        character = char16_t(key);
    else if (text.size() == 1)
        character = text.front().toUpper().unicode();
    return lookUp(character, CharacterKeys);
}

} // namespace

ScanCodes platformScanCodes()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == u"windows"_s)
        return ScanCodes::PcSet1;
    if (platform == u"xcb"_s || platform.startsWith(u"wayland"_s))
        return ScanCodes::Xkb;
    return ScanCodes::Unknown;
}

qint16 fromKeyEvent(const QKeyEvent& event, ScanCodes scanCodes)
{
    const int key = event.key();
    if (event.modifiers() & Qt::KeypadModifier)
        if (const qint16 code = keypadCode(key))
            return code;
    if (const qint16 code = namedKeyCode(key))
        return code;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return qint16(key);
    if (const qint16 code = positionCode(event.nativeScanCode(), scanCodes))
        return code;
    return characterCode(key, event.text());
}

} // namespace VirtualKeys
