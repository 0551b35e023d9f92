"""Drives the running demo window through the accessibility bus and the X
pointer and keyboard, as tools/look describes; prints what it saw."""
import subprocess
import sys
import time

import pyatspi

shots = sys.argv[1]
failures = []


def check(what, ok):
    print(("ok    " if ok else "WRONG ") + what)
    if not ok:
        failures.append(what)


def walk(node, out):
    try:
        out.append(node)
        for child in node:
            walk(child, out)
    except Exception:  # a node may go while it is walked
        pass
    return out


def find_app(seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        for a in pyatspi.Registry.getDesktop(0):
            if a and a.name == "morvane" and any(n.getRoleName() == "table cell" for n in walk(a, [])):
                return a
        time.sleep(0.5)
    sys.exit("the window did not show its site list")


def texts(node):
    found = []
    for n in walk(node, []):
        for read in (lambda: n.queryText().getText(0, -1), lambda: n.name):
            try:  # not every node has text, and a page's nodes go with its document
                found.append(read())
            except Exception:
                pass
    return [t for t in found if t]


def role(node):
    try:
        return node.getRoleName()
    except Exception:  # gone with its document
        return ""


def page_texts():
    """The browser tab's page as it is now (a new document has new nodes)."""
    return [t for n in walk(app, []) if role(n) == "document web" for t in texts(n)]


app = find_app()
status_bar = next(n for n in walk(app, []) if n.getRoleName() == "status bar")


def status():
    shown = texts(status_bar)
    return shown[0] if shown else ""


def wait_for(test, seconds=10):
    end = time.time() + seconds
    while time.time() < end and not test():
        time.sleep(0.1)
    return test()


def cell(name):
    return next(n for n in walk(app, []) if n.getRoleName() == "table cell" and n.name == name)


def double_click(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(e.x + e.width // 2), str(e.y + e.height // 2),
                    "click", "--repeat", "2", "--delay", "80", "1"], check=True)


def shoot(name):
    subprocess.run(["import", "-window", "root", f"{shots}/{name}.png"], check=True)


done = "管理画面ログイン完了しました"
start = time.time()
double_click(cell("山田の日記"))
logged_in = wait_for(lambda: status() == done)
check("a double-click on 山田の日記 logs in (%.1f s): %s" % (time.time() - start, status() or "(empty)"), logged_in)
check("the browser shows the site logged in", wait_for(lambda: any("ログイン中: demo" in t for t in page_texts())))
time.sleep(2)
check("two seconds later the status bar still says so: " + (status() or "(empty)"), status() == done)
shoot("login")

subprocess.run(["xdotool", "key", "ctrl+f"], check=True)
time.sleep(0.5)
subprocess.run(["xdotool", "type", "--delay", "50", "gourmet"], check=True)
filtered = wait_for(lambda: status() == "1 / 12")
check("typing 'gourmet' after Ctrl+F leaves one of twelve sites: " + status(), filtered)
shoot("filter")
subprocess.run(["xdotool", "key", "Escape"], check=True)
cleared = wait_for(lambda: status() == "12 / 12")
check("Escape shows all twelve again: " + status(), cleared)

# The login check of a category from the tree's context menu.


def click(node, button="1"):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(e.x + e.width // 2), str(e.y + e.height // 2), "click", button],
                   check=True)


click(cell("ブログ"), "3")
item = None
if wait_for(lambda: any(n.getRoleName() == "menu item" and n.name == "ログインを確認する" and
                        n.getState().contains(pyatspi.STATE_SHOWING) for n in walk(app, [])), 5):
    item = next(n for n in walk(app, []) if n.getRoleName() == "menu item" and n.name == "ログインを確認する"
                and n.getState().contains(pyatspi.STATE_SHOWING))
    click(item)
reported = wait_for(lambda: any("サイトを確認しました" in t for t in page_texts()), 60)
check("the tree's 'ログインを確認する' on ブログ shows a report: " +
      next((t for t in page_texts() if "サイトを確認しました" in t), "(none)"), item is not None and reported)
shoot("login-check")

print(f"screenshots in {shots}")
sys.exit(1 if failures else 0)
