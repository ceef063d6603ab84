#pragma once

#include <QtGlobal>

class QKeyEvent;

// The Windows virtual-key code of a key, as the controls' KeyDown and KeyUp report it. A key gets
// the code it has on Windows, or 0 when it has none there; a code of the platform's own is never
// passed on (X11 keysyms, for one, collide with virtual keys: '%' is 37, the Left arrow's code).
//
// A key is found, in this order:
// 1. keypad keys by Qt's keypad flag: digits VK_NUMPAD0..9, the operators and the decimal key;
// 2. keys Qt names (function, editing, navigation, modifier, browser and media keys);
// 3. Latin letters and digits by Qt's key, which follows the layout as Windows does;
// 4. the other character keys (punctuation, the shifted digit row, Cyrillic letters) by their
//    position, from the scan code on platforms whose scan codes are known: PC set 1 on Windows,
//    evdev + 8 on X11 and Wayland; the positions are those of the US keyboard, which Windows
//    keeps for the Russian layout;
// 5. otherwise by the character: punctuation as the US keyboard types it, Cyrillic letters as the
//    Russian layout places them (with Ukrainian і, ї, є and Belarusian ў).
//
// Limits: without scan codes (macOS, synthetic events) a non-US layout's punctuation reports the
// US key of its character (the Russian '.' gives VK_OEM_PERIOD where Windows gives VK_OEM_2);
// with them, layouts whose Windows tables move punctuation keys (French, German) report the US
// keys. Letters of other scripts, and Ґ, report 0.
namespace VirtualKeys {

// Windows' names for the codes that are not letters or digits.
enum Vk : qint16 {
    Back = 0x08,
    Tab = 0x09,
    Clear = 0x0C,
    Return = 0x0D,
    Shift = 0x10,
    Control = 0x11,
    Menu = 0x12,
    Pause = 0x13,
    Capital = 0x14,
    Escape = 0x1B,
    Space = 0x20,
    Prior = 0x21,
    Next = 0x22,
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Select = 0x29,
    Print = 0x2A,
    Execute = 0x2B,
    Snapshot = 0x2C,
    Insert = 0x2D,
    Delete = 0x2E,
    Help = 0x2F,
    LWin = 0x5B,
    RWin = 0x5C,
    Apps = 0x5D,
    Sleep = 0x5F,
    Numpad0 = 0x60,
    Multiply = 0x6A,
    Add = 0x6B,
    Subtract = 0x6D,
    Decimal = 0x6E,
    Divide = 0x6F,
    F1 = 0x70,
    NumLock = 0x90,
    ScrollLock = 0x91,
    BrowserBack = 0xA6,
    BrowserForward = 0xA7,
    BrowserRefresh = 0xA8,
    BrowserStop = 0xA9,
    BrowserSearch = 0xAA,
    BrowserFavorites = 0xAB,
    BrowserHome = 0xAC,
    VolumeMute = 0xAD,
    VolumeDown = 0xAE,
    VolumeUp = 0xAF,
    MediaNext = 0xB0,
    MediaPrevious = 0xB1,
    MediaStop = 0xB2,
    MediaPlayPause = 0xB3,
    LaunchMail = 0xB4,
    LaunchMedia = 0xB5,
    LaunchApp1 = 0xB6,
    LaunchApp2 = 0xB7,
    Oem1 = 0xBA, // ;:
    OemPlus = 0xBB,
    OemComma = 0xBC,
    OemMinus = 0xBD,
    OemPeriod = 0xBE,
    Oem2 = 0xBF,   // /?
    Oem3 = 0xC0,   // `~
    Oem4 = 0xDB,   // [{
    Oem5 = 0xDC,   // \|
    Oem6 = 0xDD,   // ]}
    Oem7 = 0xDE,   // '"
    Oem102 = 0xE2, // the extra key beside the left Shift
    Play = 0xFA,
    Zoom = 0xFB,
};

enum class ScanCodes {
    Unknown, // no use is made of them
    PcSet1,  // Windows
    Xkb,     // X11 and Wayland: the evdev code plus 8
};

// What the running platform's nativeScanCode() holds.
ScanCodes platformScanCodes();

qint16 fromKeyEvent(const QKeyEvent& event, ScanCodes scanCodes = platformScanCodes());

} // namespace VirtualKeys
