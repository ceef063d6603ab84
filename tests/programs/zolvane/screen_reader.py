"""The program's windows as a screen reader finds them on the accessibility bus.

Run by tests/programs/zolvane/on-desktop inside a private D-Bus session. Starts a display server,
the accessibility bus and the program (a copy in a fresh folder, so the first-run window shows),
then works the program through the bus alone.

x11: under Xvfb, reads every window, presses keys the way a person without a mouse does and
activates the controls' actions the way a screen reader does; checks the windows' class and that
the cache options dialog is transient for the Main window.

wayland: under Weston's headless backend, opens and closes every window and reads from the
protocol what the compositor was told: each window's app_id, and the Main window as the parent of
the two dialogs it opens.

Usage: screen_reader.py x11|wayland PROGRAM WORK_FOLDER
"""
import re

import os
import random
import re
import shutil
import subprocess
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

# The bindings mark their older spellings deprecated; Debian 12's have no others for some.
warnings.simplefilter("ignore", DeprecationWarning)

APP_NAME = "com.zolvane.verezozavidozoz"
WAIT_S = 20

failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text, flush=True)


def check(condition, text):
    if not condition:
        fail(text)
    return condition


def wait_for(what, probe, seconds=WAIT_S):
    deadline = time.monotonic() + seconds
    while True:
        try:
            found = probe()
        except GLib.Error:
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            raise TimeoutError("waited %d s for %s" % (seconds, what))
        time.sleep(0.05)


# --- the desktop around the program -------------------------------------------------------------


def start_x_server():
    """An Xvfb on a display number of its own. Clients try the display's abstract socket first,
    which is shared by every Xvfb on the machine whatever its /tmp: a number picked at random from
    a high range keeps clear of other servers, where the lowest free one (-displayfd's) may not."""
    for _ in range(20):
        number = random.randrange(1000, 30000)
        if os.path.exists("/tmp/.X%d-lock" % number):
            continue
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            # -noreset: a server resetting as its last client leaves refuses the next one.
            ["Xvfb", ":%d" % number, "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            ready = pipe.readline().strip()
        if ready == str(number):
            return server, ":%d" % number
        server.wait()
    raise RuntimeError("Xvfb did not start")


def session_bus():
    return Gio.bus_get_sync(Gio.BusType.SESSION, None)


def name_has_owner(name):
    reply = session_bus().call_sync(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
        GLib.Variant("(s)", (name,)), None, Gio.DBusCallFlags.NONE, -1, None)
    return reply.unpack()[0]


def start_compositor(work):
    socket = "wayland-zolvane"
    compositor = subprocess.Popen(
        ["weston", "--backend=headless-backend.so", "--socket=" + socket, "--idle-time=0"],
        env=dict(os.environ, XDG_RUNTIME_DIR=work), stdout=subprocess.DEVNULL,
        stderr=open(os.path.join(work, "weston.log"), "w"))
    wait_for("Weston", lambda: os.path.exists(os.path.join(work, socket + ".lock")))
    return compositor, socket


def start_accessibility_bus():
    # With a display the launcher also posts the bus address on the X root window.
    launcher = subprocess.Popen(
        ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], stdout=subprocess.DEVNULL)
    wait_for("the accessibility bus", lambda: name_has_owner("org.a11y.Bus"))
    # What a screen reader says when it starts: applications then talk to the bus.
    session_bus().call_sync(
        "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
        GLib.Variant("(ssv)", ("org.a11y.Status", "ScreenReaderEnabled",
                               GLib.Variant("b", True))),
        None, Gio.DBusCallFlags.NONE, -1, None)
    return launcher


def start_program(program, work, platform):
    folder = os.path.join(work, "program")
    os.makedirs(folder)
    copy = os.path.join(folder, "zolvane")
    shutil.copy2(program, copy)
    browser = os.path.join(work, "browse")
    with open(browser, "w") as script:
        script.write("#!/bin/sh\nprintf '%%s\\n' \"$1\" >> '%s/started.txt'\n" % work)
    os.chmod(browser, 0o755)
    env = dict(os.environ, HOME=work, XDG_RUNTIME_DIR=work, BROWSER=browser, **platform)
    # libxkbcommon-x11 gives strndup a name that ends at the length it passes, not at a NUL:
    # ASan's strict string checks read past it. They stay on for our code in every other test.
    if "ASAN_OPTIONS" in env:
        env["ASAN_OPTIONS"] += ":strict_string_checks=0"
    env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)  # it hears of the reader from the bus
    log = open(os.path.join(work, "program.log"), "w")
    return subprocess.Popen([copy], cwd=folder, env=env, stdout=log, stderr=log), folder


# --- reading the tree ---------------------------------------------------------------------------


def application():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == APP_NAME:
            app.set_cache_mask(Atspi.Cache.NONE)
            return app
    return None


def window(role, name):
    def probe():
        app = application()
        if app is None:
            return None
        for i in range(app.get_child_count()):
            candidate = app.get_child_at_index(i)
            if (candidate is not None and candidate.get_role_name() == role
                    and candidate.get_name() == name
                    and candidate.get_state_set().contains(Atspi.StateType.SHOWING)):
                return candidate
        return None
    return wait_for("the %s %r" % (role, name), probe)


def gone(role, name):
    def probe():
        app = application()
        for i in range(app.get_child_count() if app else 0):
            candidate = app.get_child_at_index(i)
            if (candidate is not None and candidate.get_role_name() == role
                    and candidate.get_name() == name
                    and candidate.get_state_set().contains(Atspi.StateType.SHOWING)):
                return False
        return True
    wait_for("the %s %r to close" % (role, name), probe)


def children(node):
    return [node.get_child_at_index(i) for i in range(node.get_child_count())]


def tree(node, depth=0):
    """Role and name of every object under node, depth first, as lines."""
    lines = []
    for child in children(node):
        lines.append("%s%s %r" % ("  " * depth, child.get_role_name(), child.get_name()))
        lines += tree(child, depth + 1)
    return lines


def find(node, role, name):
    for child in children(node):
        if child.get_role_name() == role and child.get_name() == name:
            return child
        found = find(child, role, name)
        if found:
            return found
    return None


def named(node, role, name):
    found = find(node, role, name)
    if found is None:
        raise LookupError("no %s %r" % (role, name))
    return found


STATES = {
    "focusable": Atspi.StateType.FOCUSABLE,
    "focused": Atspi.StateType.FOCUSED,
    "checked": Atspi.StateType.CHECKED,
    "enabled": Atspi.StateType.ENABLED,
}


def has_state(node, state):
    return node.get_state_set().contains(STATES[state])


def expect_states(node, label, **wanted):
    for state, value in wanted.items():
        check(has_state(node, state) == value,
              "%s: %s is %s, expected %s" % (label, state, not value, value))


def wait_state(node, label, state, value):
    try:
        wait_for("%s %s=%s" % (label, state, value),
                 lambda: has_state(node, state) == value, seconds=5)
    except TimeoutError as error:
        fail(str(error))


def actions(node):
    action = node.get_action_iface()
    if action is None:
        return []
    return [action.get_action_name(i) for i in range(action.get_n_actions())]


def act(node, name):
    action = node.get_action_iface()
    names = actions(node)
    if not check(name in names, "%r has no action %s (it has %s)" % (node.get_name(), name,
                                                                      names)):
        return
    action.do_action(names.index(name))


def labelled_by(node):
    names = []
    for relation in node.get_relation_set():
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            names += [relation.get_target(i).get_name()
                      for i in range(relation.get_n_targets())]
    return names


def value(node):
    return node.get_value_iface().get_current_value()


def press_key(keysym):
    Atspi.generate_keyboard_event(keysym, None, Atspi.KeySynthType.SYM)


# --- the X server's view: window class, parent, focus -------------------------------------------


def x_window(title):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                           capture_output=True, text=True).stdout.split()
    return found[0] if len(found) == 1 else None


def x_property(window_id, name):
    return subprocess.run(["xprop", "-id", window_id, name], capture_output=True,
                          text=True).stdout.strip()


def focus_as_window_manager(title):
    """What a window manager does with a new window: gives it the keyboard focus. Xvfb has none,
    and Qt activates only modal windows by itself."""
    window_id = wait_for("the X window %r" % title, lambda: x_window(title))
    check(x_property(window_id, "WM_CLASS") == 'WM_CLASS(STRING) = "zolvane", "%s"' % APP_NAME,
          "the window class is %s" % x_property(window_id, "WM_CLASS"))
    subprocess.run(["xdotool", "windowfocus", "--sync", window_id], check=True)
    return window_id


def expect_transient_for(title, parent_id):
    window_id = wait_for("the X window %r" % title, lambda: x_window(title))
    parent = x_property(window_id, "WM_TRANSIENT_FOR")
    check(parent.endswith("window id # 0x%x" % int(parent_id)),
          "%s is not transient for the Main window: %s" % (title, parent))


TAB = 0xFF09
SPACE = 0x20


def expect_tree(window_node, expected, title):
    got = tree(window_node)
    if not check(got == expected, "%s reads differently" % title):
        print("  expected:\n    " + "\n    ".join(expected))
        print("  got:\n    " + "\n    ".join(got))


# --- the windows --------------------------------------------------------------------------------


def first_run_window(keyboard=True):
    first = window("dialog", "Первыйнах!")
    expect_tree(first, [
        "label 'Нравяццо забавныйе картинки?'",
        "label 'Любиш фтыкать веселыйе картинки на Zolvane, но не любиш грузить каменты к ним "
        "на два метра? Эта прога скачивает только картинки, и экономит твой трафек в несколько "
        "раз.'",
        "push button 'Зачот'",
    ], "the first-run window")
    ok = named(first, "push button", "Зачот")
    if keyboard:
        wait_state(ok, "Зачот", "focused", True)
    expect_states(ok, "Зачот", focusable=True, enabled=True)
    act(ok, "Press")
    gone("dialog", "Первыйнах!")


MAIN_TREE = [
    "push button 'Качать'",
    "image 'empty'",
    "spin button 'штук'",
    "label 'через прокси'",
    "check box 'через прокси'",
    "panel 'Обмен данными:'",
    "  label 'Ready'",
    "label 'Гатоф'",
    "label 'Трафек: 0 Кб'",
    "push button 'Аффтар'",
    "label 'Порт'",
    "text 'Порт'",
    "label 'Адрес'",
    "text 'Адрес'",
    "push button 'Фтыкать'",
    "push button 'Свалить'",
    "push button 'Кэш'",
]


def main_window():
    main = window("frame", "Zolvane VerezOzavidozoz")
    expect_tree(main, MAIN_TREE, "the Main window")
    print("The Main window as the bus shows it:\n  frame 'Zolvane VerezOzavidozoz'\n    "
          + "\n    ".join(tree(main)), flush=True)

    main_id = focus_as_window_manager("Zolvane VerezOzavidozoz")
    down = named(main, "push button", "Качать")
    wait_state(down, "Качать", "focused", True)
    for name in ("Качать", "Аффтар", "Свалить", "Кэш"):
        button = named(main, "push button", name)
        expect_states(button, name, focusable=True, enabled=True)
        check("Press" in actions(button), "%s cannot be pressed" % name)
    expect_states(named(main, "push button", "Фтыкать"), "Фтыкать", enabled=False)

    spin = named(main, "spin button", "штук")
    expect_states(spin, "штук", focusable=False, enabled=True)
    check(value(spin) == 10, "the page count reads %s, not 10" % value(spin))
    check({"Increase", "Decrease"} <= set(actions(spin)), "штук: actions %s" % actions(spin))

    box = named(main, "check box", "через прокси")
    expect_states(box, "через прокси", focusable=True, focused=False, checked=False, enabled=True)
    address = named(main, "text", "Адрес")
    port = named(main, "text", "Порт")
    for field, label in ((address, "Адрес"), (port, "Порт")):
        expect_states(field, label, focusable=True, enabled=False)
        check(labelled_by(field) == [label], "%s is labelled by %s" % (label,
                                                                      labelled_by(field)))

    # Without a mouse: Tab from the download button reaches the check box, Space switches it.
    press_key(TAB)
    wait_state(box, "через прокси", "focused", True)
    press_key(SPACE)
    wait_state(box, "через прокси", "checked", True)
    wait_state(address, "Адрес", "enabled", True)
    wait_state(port, "Порт", "enabled", True)
    press_key(TAB)
    wait_state(named(main, "push button", "Аффтар"), "Аффтар", "focused", True)

    # A screen reader's actions do what a click does.
    act(spin, "Increase")
    wait_for("the page count 11", lambda: value(spin) == 11, seconds=5)
    act(spin, "Decrease")
    act(spin, "Decrease")
    wait_for("the page count 9", lambda: value(spin) == 9, seconds=5)
    act(box, "Toggle")
    wait_state(box, "через прокси", "checked", False)
    wait_state(address, "Адрес", "enabled", False)
    act(box, "Press")
    wait_state(box, "через прокси", "checked", True)
    wait_state(address, "Адрес", "enabled", True)
    return main, main_id


def cache_dialog(main, main_id):
    act(named(main, "push button", "Кэш"), "Press")
    options = window("dialog", "Настройки кэширования")
    expect_transient_for("Настройки кэширования", main_id)
    expect_tree(options, [
        "push button 'Зачот'",
        "label 'Размер кэша:'",
        "spin button 'Размер кэша:'",
        "label 'файлов'",
        "label 'Текущий размер:'",
        "label '0'",
        "label 'файлов'",
        "push button 'Фтопку кэш!'",
        "push button 'Нафек'",
    ], "the cache options dialog")
    ok = named(options, "push button", "Зачот")
    wait_state(ok, "Зачот", "focused", True)
    spin = named(options, "spin button", "Размер кэша:")
    expect_states(spin, "Размер кэша:", focusable=True, enabled=True)
    check(labelled_by(spin) == ["Размер кэша:"], "the limit is labelled by %s"
          % labelled_by(spin))
    check(value(spin) == 300, "the limit reads %s, not 300" % value(spin))
    act(spin, "Increase")
    wait_for("the limit 301", lambda: value(spin) == 301, seconds=5)
    act(ok, "Press")
    gone("dialog", "Настройки кэширования")


def about_window(main, work):
    act(named(main, "push button", "Аффтар"), "Press")
    about = window("dialog", "About")
    lines = tree(about)
    expected = ["label 'Сайт аффтара'", None, "label 'V 1.1'",
                "label 'Zolvane VerezOzavidozoz'", "push button 'Жжош сцуко!'"]
    check(len(lines) == len(expected)
          and all(e is None or e == line for e, line in zip(expected, lines)),
          "the About window reads %s" % lines)
    link = children(about)[1]
    check(link.get_role_name() == "label" and link.get_name().startswith("http"),
          "the link reads %s %r" % (link.get_role_name(), link.get_name()))
    act(link, "Press")
    started = os.path.join(work, "started.txt")
    def recorded():
        if not os.path.exists(started):
            return None
        with open(started) as record:
            text = record.read()
        return text if text.endswith("\n") else None  # the browser may still be writing

    try:
        address = wait_for("the browser", recorded, seconds=5)
        check(address == link.get_name() + "\n", "the browser got %r" % address)
    except TimeoutError as error:
        fail(str(error))
    ok = named(about, "push button", "Жжош сцуко!")
    wait_state(ok, "Жжош сцуко!", "focused", True)
    act(ok, "Press")
    gone("dialog", "About")


def wayland_windows(log):
    """Title, app_id and the parent's title of every toplevel the program made, in order."""
    windows, current = [], {}
    for line in log.splitlines():
        made = re.search(r"-> xdg_surface@\d+\.get_toplevel\(new id xdg_toplevel@(\d+)\)", line)
        if made:
            current[made[1]] = {"title": None, "app_id": None, "parent": None}
            windows.append(current[made[1]])
            continue
        request = re.search(r"-> xdg_toplevel@(\d+)\.(set_title|set_app_id|set_parent)\((.*)\)$",
                            line)
        if not request or request[1] not in current:
            continue
        window_ = current[request[1]]
        if request[2] == "set_title":
            window_["title"] = request[3].strip('"')
        elif request[2] == "set_app_id":
            window_["app_id"] = request[3].strip('"')
        else:
            parent = re.fullmatch(r"xdg_toplevel@(\d+)", request[3])
            window_["parent"] = current[parent[1]]["title"] if parent else None
    return windows


def open_and_close(main, button, title, close):
    act(named(main, "push button", button), "Press")
    dialog = window("dialog", title)
    act(named(dialog, "push button", close), "Press")
    gone("dialog", title)


def on_x11(program, work, started):
    process, folder = start_program(program, work, {"QT_QPA_PLATFORM": "xcb"})
    started.append(process)
    first_run_window()
    main_node, main_id = main_window()
    cache_dialog(main_node, main_id)
    about_window(main_node, work)
    act(named(main_node, "push button", "Свалить"), "Press")
    status = process.wait(timeout=WAIT_S)
    check(status == 0, "the program ended with %s" % status)
    with open(os.path.join(folder, "options.ini"), "rb") as settings:
        check(settings.read() == b"[Main]\r\nDownloadImages=10\r\nUseProxy=True\r\n"
              b"ProxyName=127.0.0.1\r\nProxyPort=8080\r\nCasheSize=301\r\n",
              "options.ini does not hold what was chosen")


def on_wayland(program, work, started, socket):
    process, _ = start_program(program, work, {
        "QT_QPA_PLATFORM": "wayland", "WAYLAND_DISPLAY": socket, "WAYLAND_DEBUG": "client"})
    started.append(process)
    first_run_window(keyboard=False)  # the headless compositor has no keyboard to give
    main_node = window("frame", "Zolvane VerezOzavidozoz")
    open_and_close(main_node, "Кэш", "Настройки кэширования", "Нафек")
    open_and_close(main_node, "Аффтар", "About", "Жжош сцуко!")
    act(named(main_node, "push button", "Свалить"), "Press")
    status = process.wait(timeout=WAIT_S)
    check(status == 0, "the program ended with %s" % status)
    check(started[0].poll() is None, "Weston did not survive the program")
    with open(os.path.join(work, "program.log")) as log:
        text = log.read()
    check("wl_display@1.error" not in text, "the compositor reported a protocol error")
    main_title = "Zolvane VerezOzavidozoz"
    expected = [
        {"title": "Первыйнах!", "app_id": APP_NAME, "parent": None},
        {"title": main_title, "app_id": APP_NAME, "parent": None},
        {"title": "Настройки кэширования", "app_id": APP_NAME, "parent": main_title},
        {"title": "About", "app_id": APP_NAME, "parent": main_title},
    ]
    got = wayland_windows(text)
    check(got == expected, "the compositor was told %s" % got)


def main():
    mode, program, work = sys.argv[1:4]
    started = []
    try:
        if mode == "x11":
            x_server, display = start_x_server()
            started.append(x_server)
            os.environ["DISPLAY"] = display
            started.append(start_accessibility_bus())
            on_x11(program, work, started)
        else:
            os.environ.pop("DISPLAY", None)
            compositor, socket = start_compositor(work)
            started.append(compositor)
            started.append(start_accessibility_bus())
            on_wayland(program, work, started, socket)
    except (TimeoutError, LookupError, GLib.Error) as error:
        fail(str(error))
    finally:
        for process in reversed(started):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
        log = os.path.join(work, "program.log")
        if failures and os.path.exists(log):
            with open(log) as text:
                print("program output:\n" + text.read()[-20000:])
    print("%d failed" % len(failures) if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
