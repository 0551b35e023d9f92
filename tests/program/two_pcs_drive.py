"""Drives two running programs, each on its own data folder, through the
accessibility bus, with the sync tool run between the steps; checks that no
edit is ever missing from the folder it was made in and that both folders
end up holding every edit. Usage: two_pcs_drive.py PID1 PID2 SCRATCH SYNC"""
import glob
import os
import signal
import subprocess
import sys
import time

import pyatspi

pid1, pid2, scratch, sync = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
folders = {pid1: os.path.join(scratch, "pc1"), pid2: os.path.join(scratch, "pc2")}
failures = []


def check(what, ok):
    print(("ok    " if ok else "WRONG ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def walk(node, out):
    try:
        out.append(node)
        for child in node:
            walk(child, out)
    except Exception:  # a node may go while it is walked
        pass
    return out


def wait_for(test, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        if test():
            return True
        time.sleep(0.2)
    return test()


def app_of(pid):
    for a in pyatspi.Registry.getDesktop(0):
        try:
            if a and a.get_process_id() == pid:
                return a
        except Exception:
            pass
    return None


def showing(node, role, name=None):
    try:
        return (node.getRoleName() == role and (name is None or node.name == name)
                and node.getState().contains(pyatspi.STATE_SHOWING))
    except Exception:
        return False


def find(pid, role, name=None):
    app = app_of(pid)
    return next((n for n in walk(app, []) if showing(n, role, name)), None) if app else None


def click(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(e.x + e.width // 2), str(e.y + e.height // 2), "click", "1"],
                   check=True)


def press(pid, name, seconds=20):
    wait_for(lambda: find(pid, "push button", name) is not None, seconds)
    button = find(pid, "push button", name)
    if not check(f"pc{1 if pid == pid1 else 2}: the button {name} is there", button is not None):
        return False
    click(button)
    return True


def typing_box(pid):
    """The entry of the input box (the window's own filter box is always there)."""
    app = app_of(pid)
    boxes = [n for n in walk(app, []) if showing(n, "dialog")] if app else []
    return next((n for b in boxes for n in walk(b, []) if showing(n, "text") or showing(n, "entry")), None)


def add_category(pid, name):
    press(pid, "新規カテゴリ作成")
    if not check("the input box opens", wait_for(lambda: typing_box(pid) is not None)):
        return
    typing_box(pid).queryEditableText().setTextContents(name)
    press(pid, "OK")
    wait_for(lambda: typing_box(pid) is None, 10)


def catalogue_files(folder):
    return [p for p in glob.glob(os.path.join(folder, "*"))
            if p.endswith(".dat") or (p.endswith(".bak") and "sync-conflict" in p)]


def holds(path, names):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return False
    return all(n.encode("cp932") in data for n in names)


def data_file(pid):
    return os.path.join(folders[pid], "VexaSiteData.dat")


def nothing_lost(pid, names, step):
    """Every edit made in this folder is in its data file or a conflict copy beside it."""
    for n in names:
        check(f"{step}: pc{1 if pid == pid1 else 2} keeps {n}",
              any(holds(p, [n]) for p in catalogue_files(folders[pid])))


def running(pid):
    try:  # a program that ended stays a zombie until the shell reaps it
        with open(f"/proc/{pid}/stat") as f:
            return f.read().split(") ")[1][0] != "Z"
    except OSError:
        return False


def run_sync():
    out = subprocess.run([sync, folders[pid1], folders[pid2], os.path.join(scratch, "sync")],
                         check=True, capture_output=True, text=True).stdout.strip()
    print("sync:", out, flush=True)
    return out


def settle(rounds=10):
    """Syncs until both folders hold the same file and the programs stop writing."""
    for _ in range(rounds):
        time.sleep(1.5)
        if run_sync() == "same":
            time.sleep(1.5)
            if run_sync() == "same":
                return True
    return False


def answer_conflict_question(pid):
    if wait_for(lambda: find(pid, "push button", "はい(Y)") is not None, 15):
        label = next((n.name for n in walk(app_of(pid), []) if showing(n, "label") and "取り込みますか" in n.name), "")
        check("the question is asked: " + label, label == "別のPCの変更が見つかりました。取り込みますか？")
        press(pid, "はい(Y)")
        return True
    return check("the program with the conflict copy asks to take it in", False)


def place_windows():
    """Side by side, so that a click lands on the window it is meant for."""
    for pid, x in ((pid1, 0), (pid2, 1300)):
        ids = subprocess.run(["xdotool", "search", "--all", "--pid", str(pid), "--name", "Morvane"],
                             capture_output=True, text=True).stdout.split()
        for wid in ids:
            subprocess.run(["xdotool", "windowmove", wid, str(x), "0"], check=False)
    time.sleep(1)
    for pid in (pid1, pid2):
        frame = find(pid, "frame")
        if frame:
            e = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            print(f"pc{1 if pid == pid1 else 2}'s window at {e.x},{e.y} {e.width}x{e.height}", flush=True)


check("both windows are up", wait_for(lambda: find(pid1, "push button", "新規カテゴリ作成") is not None
                                      and find(pid2, "push button", "新規カテゴリ作成") is not None, 60))

place_windows()

# 1. An edit on the first PC reaches the second.
add_category(pid1, "共有")
check("pc1 saves 共有", wait_for(lambda: holds(data_file(pid1), ["共有"])))
check("the folders settle", settle())
check("pc2 holds 共有", holds(data_file(pid2), ["共有"]))

# 2. Both PCs edit before the sync tool runs: it keeps the newer file and
#    leaves the other beside it as a conflict copy.
add_category(pid1, "PC1の変更")
check("pc1 saves its change", wait_for(lambda: holds(data_file(pid1), ["PC1の変更"])))
time.sleep(1.1)  # the second PC's save is the newer one
add_category(pid2, "PC2の変更")
check("pc2 saves its change", wait_for(lambda: holds(data_file(pid2), ["PC2の変更"])))
check("both changed: a conflict copy is left", run_sync() == "conflict")
nothing_lost(pid1, ["共有", "PC1の変更"], "after the conflict")
nothing_lost(pid2, ["共有", "PC2の変更"], "after the conflict")
answer_conflict_question(pid1)
check("pc1 takes its own edit back in", wait_for(lambda: holds(data_file(pid1), ["共有", "PC1の変更", "PC2の変更"])))
nothing_lost(pid1, ["共有", "PC1の変更", "PC2の変更"], "after taking the copy in")
check("the folders settle again", settle())

# 3. Both hold every edit, in the file and after the programs close.
every = ["共有", "PC1の変更", "PC2の変更"]
for pid in (pid1, pid2):
    check(f"pc{1 if pid == pid1 else 2} holds every edit", holds(data_file(pid), every))
for pid in (pid1, pid2):
    os.kill(pid, signal.SIGTERM)
for pid in (pid1, pid2):
    wait_for(lambda: not running(pid), 30)
check("after closing, pc1 and pc2 hold every edit", all(holds(data_file(p), every) for p in (pid1, pid2)))
check("no conflict copy is left to offer", not glob.glob(os.path.join(scratch, "pc*", "*sync-conflict*.dat")))

print(f"{len(failures)} failed")
sys.exit(1 if failures else 0)
