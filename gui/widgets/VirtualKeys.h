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

enum class ScanCodes {
    Unknown, // no use is made of them
    PcSet1,  // Windows
    Xkb,     // X11 and Wayland: the evdev code plus 8
};

// What the running platform's nativeScanCode() holds.
ScanCodes platformScanCodes();

qint16 fromKeyEvent(const QKeyEvent& event, ScanCodes scanCodes = platformScanCodes());

} // namespace VirtualKeys
