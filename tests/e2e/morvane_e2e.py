#!/usr/bin/env python3
"""End-to-end runs of the player on the current X display (Xvfb under ctest).

Each case builds a small encrypted data archive in a fresh directory, starts
`morvane 720p` there and checks how the program ends:

  plays_to_end          a 2 s demo timeline plays and the program exits 0 by itself
  escape_ends_early     a synthetic Escape (xdotool key Escape) ends a long timeline with 0
  close_during_loading  a close request while the loading bar is shown ends it with -1; during a
                        pass of slow effect Inits that read no file (the test hook's "slowload")
                        a close request ends it with -1 and Escape with 0, soon after
  signal_ends_cleanly   SIGINT and SIGTERM, during the loading pass and during play, end it within
                        2 s through its own shutdown, with 128 + the signal's number
  quiet_good_run        the first seconds of the real demo write no error on stderr
  another_folder        started from a folder without data, the player plays the archive of its
                        repository; a copy of it far from any archive says so in one line
  unreadable_demo       a missing or cut archive, or a demo timeline that does not parse, ends
                        it at once with a message on stderr and a non-zero exit code
  broken_parts_play_on  a nested timeline that does not parse and an item of an unknown class
                        are each named once on stderr; the rest plays to the end and exits 0
  music_keeps_step      the first seconds of the real demo (the repository's archive and music),
                        every frame made slower than the longest clamped step by the test hook
                        MORVANE_TEST_HOOK: the timeline ends within one frame of the music

Every run also fails when a sanitizer reports anything: a memory error, a leak at exit or
undefined behaviour (build with -DMORVANE_ASAN=ON; tools/test-sanitize.sh).

usage: morvane_e2e.py <path to morvane> <case>
"""
import ctypes
import re
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

PASSWORD = "Nine grey herons wait beside the river."
TITLE = "Convoxa - Morvane - ZQ4"
DEMO = "Data/seq/_DemoFull_.seq"
TABLE = "Data/csv/zq4out.csv"
MUSIC = "Data/Audio/e2e.mp3"  # read from the disk, not from the archive


# ------------------------------------------------------------------------------ fixtures

def effect(cls, start, end, **props):
    """One effect object as a timeline file stores it."""
    properties = {"Start": start, "End": end}
    properties.update(props)
    return {"Class": cls, "Properties": properties}


def timeline(*items):
    return json.dumps({"Items": list(items)}, indent=1)


def demo_lasting(seconds):
    """A demo timeline whose length is `seconds`: one plain effect spans it, music plays
    through it, and a nested timeline plays through its first half (so shutdown leaves
    effects of both levels alive)."""
    frames = int(seconds * 60)
    return {
        DEMO: timeline(effect("fxBase", 0, frames),
                       effect("fxMusic", 0, frames, **{"MP3 File": MUSIC}),
                       effect("fxSequence", 0, frames // 2, **{"Sequence File": "Data/seq/part.seq"})),
        "Data/seq/part.seq": timeline(effect("fxBase", 0, frames // 4)),
    }


def slow_loading_demo(reads):
    """A short demo whose loading pass reads `reads` files, one loading-bar frame each."""
    files = {"Data/seq/empty.seq": timeline()}
    items = [effect("fxSequence", 0, 60, **{"Sequence File": "Data/seq/empty.seq"}) for _ in range(reads)]
    files[DEMO] = timeline(*items)
    return files


def with_progress_table(files):
    """Adds the loading bar's table, its total the bytes the loading pass reads."""
    total = len(files[DEMO].encode())
    for item in json.loads(files[DEMO])["Items"]:
        nested = item["Properties"].get("Sequence File")
        if nested:
            total += len(files[nested].encode())
    files = dict(files)
    files[TABLE] = "demo;%d;\n" % total
    return files


def write_music(path, seconds=3):
    """A short tone as MP3 (sox and lame)."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    wav = path + ".wav"
    subprocess.run(["sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", str(seconds),
                    "sine", "440"], check=True)
    subprocess.run(["lame", "--silent", wav, path], check=True)
    os.remove(wav)


def build_archive(workdir, files):
    stage = os.path.join(workdir, "stage")
    for rel, content in files.items():
        path = os.path.join(stage, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(content)
    os.makedirs(os.path.join(workdir, "Data"), exist_ok=True)
    write_music(os.path.join(workdir, MUSIC))
    archive = os.path.join(workdir, "Data", "Morvane-ZQ4.sts")
    subprocess.run(["zip", "-q", "-X", "-D", "-r", "-P", PASSWORD, archive, "Data"], cwd=stage, check=True)
    shutil.rmtree(stage)


# ------------------------------------------------------------------------------ X11

def find_window(proc, timeout=30.0):
    """The program's window id, once it is mapped."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        if proc.poll() is not None:
            raise AssertionError("the program ended (%d) before its window was found" % proc.returncode)
        r = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(proc.pid), "--name", TITLE],
                           capture_output=True, text=True)
        ids = r.stdout.split()
        if ids:
            return int(ids[0])
        time.sleep(0.05)
    raise AssertionError("the window %r never appeared" % TITLE)


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def request_close(window):
    """Sends WM_DELETE_WINDOW, as a window manager's close button does."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(None)
    assert dpy, "no X display"
    ev = XEvent()
    ev.xclient.type = 33  # ClientMessage
    ev.xclient.window = window
    ev.xclient.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
    ev.xclient.format = 32
    ev.xclient.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
    ev.xclient.data[1] = 0  # CurrentTime
    x11.XSendEvent(dpy, window, 0, 0, ctypes.byref(ev))
    x11.XFlush(dpy)
    x11.XCloseDisplay(dpy)


def window_size(window):
    r = subprocess.run(["xdotool", "getwindowgeometry", "--shell", str(window)], capture_output=True, text=True)
    geo = dict(line.split("=", 1) for line in r.stdout.split())
    return int(geo["WIDTH"]), int(geo["HEIGHT"])


def display_size():
    w, h = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True).stdout.split()
    return int(w), int(h)


# ------------------------------------------------------------------------------ runs

class Run:
    def __init__(self, morvane, files, args=("720p",), prepare=None, hook=None):
        self.dir = tempfile.mkdtemp(prefix="morvane-e2e-")
        build_archive(self.dir, files)
        if prepare:
            prepare(os.path.join(self.dir, "Data", "Morvane-ZQ4.sts"))
        env = dict(os.environ)
        if hook:
            env["MORVANE_TEST_HOOK"] = hook
        self.start = time.time()
        self.proc = subprocess.Popen([morvane, *args], cwd=self.dir, env=env,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def finish(self, timeout):
        try:
            out, err = self.proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            out, err = self.proc.communicate()
            raise AssertionError("still running after %.0f s\n%s" % (timeout, err))
        self.elapsed = time.time() - self.start
        shutil.rmtree(self.dir, ignore_errors=True)
        sys.stderr.write(err)
        self.err = err
        assert "Sanitizer" not in err and "runtime error:" not in err, "a sanitizer reported an error"
        return self.proc.returncode


def plays_to_end(morvane):
    log_fd, log = tempfile.mkstemp(prefix="morvane-e2e-", suffix=".frames")
    os.close(log_fd)
    # The player's frame log too (MORVANE_FRAME_LOG, inherited from this process).
    os.environ["MORVANE_FRAME_LOG"] = log
    try:
        run = Run(morvane, with_progress_table(demo_lasting(2.0)))
    finally:
        del os.environ["MORVANE_FRAME_LOG"]
    window = find_window(run.proc)
    # Full screen on the primary monitor: the video mode nearest 1280 x 720 (Xvfb has one).
    size, screen = window_size(window), display_size()
    assert size == screen, "the window (%r) does not cover the screen (%r)" % (size, screen)
    rc = run.finish(timeout=90)
    assert rc == 0, "exit code %d" % rc
    # Time steps are clamped, never stretched: the timeline cannot end before 2 s of wall time.
    assert run.elapsed >= 2.0, "ended after %.2f s" % run.elapsed
    # The frame log: one "TIME MS" line per frame, the timeline moving on to its end, and the
    # frames' durations adding up to the time the frames took (no more than the whole run).
    with open(log) as f:
        frames = [tuple(float(x) for x in line.split()) for line in f]
    os.unlink(log)
    assert len(frames) >= 10, "%d frames in the frame log" % len(frames)
    times = [t for t, _ in frames]
    assert times == sorted(times) and times[-1] >= 1.9, "timeline times %r" % times[-5:]
    total = sum(ms for _, ms in frames) / 1000.0
    assert all(ms > 0.0 for _, ms in frames) and 1.5 <= total <= run.elapsed, \
        "frames last %.3f s in all, the run %.3f s" % (total, run.elapsed)


def escape_ends_early(morvane):
    run = Run(morvane, with_progress_table(demo_lasting(600.0)))
    find_window(run.proc)
    time.sleep(1.0)
    assert run.proc.poll() is None, "ended (%d) before Escape was pressed" % run.proc.returncode
    subprocess.run(["xdotool", "key", "Escape"], check=True)
    rc = run.finish(timeout=30)
    assert rc == 0, "exit code %d" % rc


def slow_inits_demo(inits):
    """A short demo of plain effects and no progress table: its loading pass reads nothing after
    the timeline, so only the checks between effect Inits can see a stop."""
    return {DEMO: timeline(*[effect("fxBase", 0, 60) for _ in range(inits)])}


def press_escape(window):
    subprocess.run(["xdotool", "key", "Escape"], check=True)


def close_during_loading(morvane):
    # Each read of the loading pass draws one frame of the bar; a few thousand keep it on screen for seconds.
    run = Run(morvane, with_progress_table(slow_loading_demo(2000)))
    window = find_window(run.proc)
    request_close(window)
    rc = run.finish(timeout=90)
    assert rc == 255, "exit code %d, expected -1 (255)" % rc
    # 400 Inits of at least 0.1 s each: 40 s of loading in which no file is read. The bound leaves
    # room for a busy machine; without the checks between Inits the pass runs to its end.
    for what, ask, expected in (("close request", request_close, 255), ("Escape", press_escape, 0)):
        run = Run(morvane, slow_inits_demo(400), hook="slowload=0.1")
        window = find_window(run.proc)
        time.sleep(0.5)
        asked = time.time()
        ask(window)
        rc = run.finish(timeout=90)
        took = time.time() - asked
        assert rc == expected, "%s: exit code %d, expected %d" % (what, rc, expected)
        assert took < 10.0, "%s: ended %.1f s after it" % (what, took)


def signal_ends_cleanly(morvane):
    import signal
    cases = [
        # phase, fixture, test hook, signal
        ("loading", with_progress_table(slow_loading_demo(400)), "slowload=0.05", signal.SIGINT),
        ("loading", slow_inits_demo(400), "slowload=0.05", signal.SIGTERM),
        ("play", with_progress_table(demo_lasting(600.0)), None, signal.SIGINT),
        ("play", with_progress_table(demo_lasting(600.0)), None, signal.SIGTERM),
    ]
    for phase, files, hook, sig in cases:
        what = "%s during %s" % (sig.name, phase)
        run = Run(morvane, files, hook=hook)
        find_window(run.proc)
        time.sleep(1.0)
        assert run.proc.poll() is None, "%s: ended (%d) before the signal" % (what, run.proc.returncode)
        sent = time.time()
        run.proc.send_signal(sig)
        rc = run.finish(timeout=60)
        took = time.time() - sent
        # Returned from main (not killed by the signal): the timeline was driven down on the way.
        assert rc == 128 + sig, "%s: exit code %d, expected %d" % (what, rc, 128 + sig)
        assert took < 2.0, "%s: ended %.1f s after the signal" % (what, took)


def unreadable_demo(morvane):
    def cut(archive):
        with open(archive, "r+b") as f:
            f.truncate(os.path.getsize(archive) // 2)
    runs = [
        ("missing archive", demo_lasting(2.0), os.remove, "Morvane-ZQ4.sts"),
        ("cut archive", demo_lasting(2.0), cut, "_DemoFull_.seq"),
        ("demo timeline not JSON", {DEMO: '{"Items": [', "Data/seq/part.seq": timeline()}, None, "_DemoFull_.seq"),
    ]
    for what, files, prepare, named in runs:
        run = Run(morvane, files, prepare=prepare)
        rc = run.finish(timeout=60)
        assert rc != 0, "%s: exit code 0" % what
        assert "morvane: error: " in run.err and named in run.err, "%s: no message naming %s" % (what, named)
        assert run.elapsed < 30, "%s: ended after %.1f s" % (what, run.elapsed)


def broken_parts_play_on(morvane):
    files = demo_lasting(2.0)
    demo = json.loads(files[DEMO])
    demo["Items"].append(effect("fxNoSuchEffect", 0, 60))
    files[DEMO] = json.dumps(demo)
    files["Data/seq/part.seq"] = '{"Items": [ {"Class": '
    run = Run(morvane, files)
    rc = run.finish(timeout=90)
    assert rc == 0, "exit code %d" % rc
    assert run.elapsed >= 2.0, "ended after %.2f s" % run.elapsed
    lines = run.err.splitlines()
    for named in ("Data/seq/part.seq", "fxNoSuchEffect"):
        count = sum(named in line for line in lines)
        assert count == 1, "%s named %d times on stderr" % (named, count)


def music_keeps_step(morvane):
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    for needed in ("Data/Morvane-ZQ4.sts", "Data/Audio/Morvane.mp3"):
        assert os.path.exists(os.path.join(root, needed)), "%s is missing: build and pack the data first" % needed
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = "detect_leaks=0:" + env.get("ASAN_OPTIONS", "")
    env["SDL_AUDIODRIVER"] = "dummy"  # the music's clock runs without a sound card too
    # Frames of 0.25 s: a clamped timeline would lose 0.15 s of every one.
    env["MORVANE_TEST_HOOK"] = "slow=0.25 end=5"
    proc = subprocess.run([morvane, "720p"], cwd=root, env=env, capture_output=True, text=True, timeout=170)
    sys.stderr.write(proc.stderr)
    assert "AddressSanitizer" not in proc.stderr, "AddressSanitizer reported an error"
    assert proc.returncode == 0, "exit code %d" % proc.returncode
    m = re.search(r"sync: first frame at ([\d.]+) s; frames (\d+) followed (\d+); last followed frame: timeline "
                  r"([\d.]+) s, music ([\d.]+) s, gap (-?[\d.]+) s, frame ([\d.]+) s", proc.stderr)
    assert m, "no sync report on stderr"
    first = float(m.group(1))
    frames, followed = int(m.group(2)), int(m.group(3))
    timeline, music, gap, frame = (float(m.group(i)) for i in range(4, 8))
    # The clock starts after the loading pass: the music starts from 0 with the timeline at 0,
    # not a clamped loading time (0.1 s) ahead of it.
    assert first < 0.01, "the first frame is at %.4f s" % first
    assert frame >= 0.25, "frames were not slowed (%.3f s)" % frame
    assert followed >= 10 and followed >= frames - 3, "the music was followed in %d of %d frames" % (followed, frames)
    assert timeline >= 5.0, "ended at %.3f s" % timeline
    assert abs(gap) <= frame, "timeline %.4f s, music %.4f s: more than a frame (%.4f s) apart" % (timeline, music, frame)


def quiet_good_run(morvane):
    """Four seconds of the real demo (the repository's archive and music): stderr holds no error,
    and every line on it is one of the program's own (rvReport's form)."""
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    assert os.path.exists(os.path.join(root, "Data/Morvane-ZQ4.sts")), "build and pack the data first"
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = "detect_leaks=0:" + env.get("ASAN_OPTIONS", "")  # as music_keeps_step
    env["MORVANE_TEST_HOOK"] = "end=4"
    proc = subprocess.run([morvane, "720p"], cwd=root, env=env, capture_output=True, text=True, timeout=170)
    sys.stderr.write(proc.stderr)
    assert proc.returncode == 0, "exit code %d" % proc.returncode
    lines = proc.stderr.splitlines()
    errors = [line for line in lines if "error" in line.lower()]  # a sanitizer's report too
    assert not errors, "error lines on stderr: %r" % errors
    # The live spectrum's own line has its owner elsewhere; every other line is the program's.
    foreign = [line for line in lines if not line.startswith("morvane: ") and not line.startswith("fxLiveSpec: ")]
    assert not foreign, "lines not written by the program: %r" % foreign


def another_folder(morvane):
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    assert os.path.exists(os.path.join(root, "Data/Morvane-ZQ4.sts")), "build and pack the data first"
    elsewhere = tempfile.mkdtemp(prefix="morvane-e2e-")
    try:
        env = dict(os.environ)
        env["ASAN_OPTIONS"] = "detect_leaks=0:" + env.get("ASAN_OPTIONS", "")  # the real demo, as music_keeps_step
        env["MORVANE_TEST_HOOK"] = "end=0.5"
        proc = subprocess.run([morvane, "720p"], cwd=elsewhere, env=env, capture_output=True, text=True, timeout=170)
        sys.stderr.write(proc.stderr)
        assert proc.returncode == 0, "from another folder: exit code %d" % proc.returncode
        assert "error" not in proc.stderr, "from another folder: an error on stderr"
        # A copy of the program with no archive in any folder above it.
        copy = os.path.join(elsewhere, "morvane")
        shutil.copy(morvane, copy)
        proc = subprocess.run([copy, "720p"], cwd=elsewhere, capture_output=True, text=True, timeout=60)
        sys.stderr.write(proc.stderr)
        lines = proc.stderr.splitlines()
        assert proc.returncode == 1, "no data: exit code %d" % proc.returncode
        assert len(lines) == 1 and lines[0].startswith("morvane: error: "), "no data: %r" % lines
        for named in ("Data/Morvane-ZQ4.sts", elsewhere, "./run.sh"):
            assert named in lines[0], "no data: %r not named" % named
    finally:
        shutil.rmtree(elsewhere, ignore_errors=True)


CASES = {f.__name__: f for f in (plays_to_end, escape_ends_early, close_during_loading, signal_ends_cleanly,
                                  unreadable_demo, broken_parts_play_on, music_keeps_step, quiet_good_run,
                                  another_folder)}

if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in CASES:
        sys.exit(__doc__)
    try:
        CASES[sys.argv[2]](os.path.abspath(sys.argv[1]))
    except AssertionError as e:
        print("FAIL %s: %s" % (sys.argv[2], e), file=sys.stderr)
        sys.exit(1)
    print("PASS %s" % sys.argv[2])
