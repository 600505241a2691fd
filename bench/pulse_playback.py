#!/usr/bin/env python3
"""What one minute of playback costs the sound server.

Plays the same minute N times (default 10). Every run gets its own private
PulseAudio daemon whose only sink is a null sink, and its own player started
by the resume setting (as a user who reopens the player would), then measures
over a window of the minute:

  daemon CPU   utime+stime of the PulseAudio process, as seconds per minute
  player CPU   the same for the player's process tree
  wake-ups     the daemon's context switches per second (all its threads)
  contract     what the stream got: sample spec, rate of the sink, buffer and
               sink latency (`pactl list sink-inputs` / `sinks`)

and prints one line per run, then the median and maximum, with the load
average of the machine beside every run (a busy machine changes the figures).

  bench/pulse_playback.py --player build/velmora            # 10 runs
  bench/pulse_playback.py --player build/velmora -n 3 --sink-rate 48000
  bench/pulse_playback.py --player build/velmora --json out.jsonl
  bench/pulse_playback.py --player build/velmora --tracks 6   # an album of 10 s tracks

With --tracks N the minute is cut into N tracks of one continuous tone, played
in the Normal mode, so the window holds joints between tracks. The player's
resident memory (VmRSS) is read at the end of the window, its peak (VmHWM)
over the run.

Needs pulseaudio, pulseaudio-utils (pactl) and ffmpeg; Xvfb when present
(otherwise Qt's offscreen platform draws the window).
"""

import argparse
import json
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

TICK = os.sysconf("SC_CLK_TCK")


def cpu_of(pids):
    """utime+stime (+ reaped children) of the given processes, in seconds."""
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        total += sum(int(x) for x in fields[11:15])
    return total / TICK


def tree(root):
    """root and all its descendants."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                ppid = int(f.read().rsplit(")", 1)[1].split()[1])
        except OSError:
            continue
        children.setdefault(ppid, []).append(int(entry))
    out, todo = [], [root]
    while todo:
        pid = todo.pop()
        out.append(pid)
        todo.extend(children.get(pid, []))
    return out


def switches(pid):
    """Voluntary + involuntary context switches over all threads of pid."""
    total = 0
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return 0
    for tid in tasks:
        try:
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def loadavg():
    with open("/proc/loadavg") as f:
        return float(f.read().split()[0])


def stop(proc):
    if proc and proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def pactl(env, *args):
    res = subprocess.run(["pactl", *args], env=env, capture_output=True, text=True)
    return res.stdout if res.returncode == 0 else ""


def field(block, name):
    """The value of the first line of `block` whose label starts with `name`."""
    m = re.search(rf"^\s*{re.escape(name)}[^:\n]*: (.*)$", block, re.M)
    return m.group(1).strip() if m else ""


def stream_of(env, pids):
    """The sink input of one of pids, as a dict, or None."""
    for block in pactl(env, "list", "sink-inputs").split("\n\n"):
        m = re.search(r'application\.process\.id = "(\d+)"', block)
        if m and int(m.group(1)) in pids:
            return {
                "corked": field(block, "Corked") == "yes",
                "format": field(block, "Sample Spec"),
                "buffer_latency": field(block, "Buffer Latency"),
                "sink_latency": field(block, "Sink Latency"),
                "resample": field(block, "Resample method"),
            }
    return None


def sink_spec(env):
    for block in pactl(env, "list", "sinks").split("\n\n"):
        if "bench_null" in block:
            return field(block, "Sample Spec")
    return ""


def make_minute(path):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=440:sample_rate=44100:duration=60", "-ac", "2",
                    "-b:a", "128k", path], check=True)


def make_album(work, tracks):
    """The minute's tone cut into `tracks` MP3 files of equal length."""
    paths = []
    length = 60.0 / tracks
    for i in range(tracks):
        path = os.path.join(work, f"track{i + 1:02d}.mp3")
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                        f"aevalsrc=0.5*sin(2*PI*440*(t+{i * length})):s=44100:d={length}", "-ac", "2",
                        "-b:a", "128k", path], check=True)
        paths.append(path)
    return paths


def memory_of(pid):
    """VmRSS and VmHWM of the process, in MiB."""
    values = {}
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                key, _, rest = line.partition(":")
                if key in ("VmRSS", "VmHWM"):
                    values[key] = int(rest.split()[0]) / 1024
    except OSError:
        pass
    return values.get("VmRSS", 0.0), values.get("VmHWM", 0.0)


def one_run(args, work, index, files):
    run = os.path.join(work, f"run{index}")
    rt = os.path.join(run, "rt")
    home = os.path.join(run, "home")
    vhome = os.path.join(home, "velmora")
    os.makedirs(rt, mode=0o700)
    os.makedirs(os.path.join(vhome, "Playlist"))
    with open(os.path.join(vhome, "Velmora.ini"), "w", newline="") as f:
        # A stored PlayMode is one step behind the mode (start-up steps it
        # once, as the label does): -1 plays the album in the Normal mode.
        f.write("[Option]\r\nResumePlay=1\r\n[State]\r\nPlayMode=-1\r\n"
                "[Resume]\r\nNo=1\r\nPosition=0\r\n")
    with open(os.path.join(vhome, "Playlist", "AutoPlaylist.m3u"), "w", newline="") as f:
        f.write("#M3UX\r\n" + "".join(f"{path}\r\n#;;;\r\n" for path in files))

    base = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LANG": "C.UTF-8",
            "HOME": home, "XDG_RUNTIME_DIR": rt}
    sock = os.path.join(rt, "native")
    rate = [f"rate={args.sink_rate}"] if args.sink_rate else []
    daemon_args = ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                   "--use-pid-file=no", "--log-target=stderr",
                   "-L", f"module-native-protocol-unix auth-anonymous=1 socket={sock}",
                   "-L", " ".join(["module-null-sink", "sink_name=bench_null", *rate]),
                   *args.daemon_arg]
    log = open(os.path.join(run, "pulse.log"), "wb")
    if args.realtime:
        daemon_args = ["chrt", "-f", "10", *daemon_args]
    daemon = subprocess.Popen(daemon_args, env=base, stdout=log, stderr=subprocess.STDOUT)
    env = dict(base, PULSE_SERVER=f"unix:{sock}")
    player = xvfb = None
    try:
        for _ in range(100):
            if pactl(env, "info"):
                break
            time.sleep(0.1)
        else:
            raise RuntimeError(f"PulseAudio did not come up (see {run}/pulse.log)")
        penv = dict(env, VELMORA_HOME=vhome, SDL_AUDIODRIVER="pulseaudio",
                    DBUS_SESSION_BUS_ADDRESS="disabled:")
        if args.display == "xvfb":
            # Xvfb picks a free display itself and names it on the pipe once it listens
            rfd, wfd = os.pipe()
            xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(wfd), "-screen", "0", "1280x1024x24",
                                     "-nolisten", "tcp"], env=base, pass_fds=(wfd,),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(wfd)
            with os.fdopen(rfd) as f:
                number = f.readline().strip()
            if not number:
                raise RuntimeError("Xvfb did not start")
            penv["DISPLAY"] = f":{number}"
        else:
            penv["QT_QPA_PLATFORM"] = "offscreen"
        penv.update(dict(kv.split("=", 1) for kv in args.player_env))
        argv = ["chrt", "-f", "10", args.player] if args.realtime else [args.player]
        player = subprocess.Popen(argv, env=penv, stdout=subprocess.DEVNULL,
                                  stderr=open(os.path.join(run, "player.log"), "wb"))
        deadline = time.monotonic() + 30
        info = None
        while time.monotonic() < deadline:
            info = stream_of(env, tree(player.pid))
            if info and not info["corked"]:
                break
            time.sleep(0.1)
        else:
            raise RuntimeError("no uncorked stream of the player appeared")
        time.sleep(args.settle)
        load0 = loadavg()
        pids = tree(player.pid)
        d0, p0, s0, t0 = cpu_of([daemon.pid]), cpu_of(pids), switches(daemon.pid), time.monotonic()
        time.sleep(args.window)
        d1, p1, s1, t1 = cpu_of([daemon.pid]), cpu_of(pids), switches(daemon.pid), time.monotonic()
        rss, peak = memory_of(player.pid)
        info = stream_of(env, tree(player.pid)) or info
        per_min = 60.0 / (t1 - t0)
        return {
            "run": index, "load": round((load0 + loadavg()) / 2, 2),
            "daemon_s_per_min": round((d1 - d0) * per_min, 3),
            "player_s_per_min": round((p1 - p0) * per_min, 3),
            "daemon_wakeups_per_s": round((s1 - s0) / (t1 - t0), 1),
            "stream": info["format"], "sink": sink_spec(env),
            "buffer_latency": info["buffer_latency"], "sink_latency": info["sink_latency"],
            "resample": info["resample"],
            "player_rss_mib": round(rss, 1), "player_peak_mib": round(peak, 1),
        }
    finally:
        stop(player)
        stop(xvfb)
        stop(daemon)
        log.close()


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--player", required=True, help="the velmora executable")
    ap.add_argument("-n", "--runs", type=int, default=10)
    ap.add_argument("--window", type=float, default=30.0, help="measured part of the minute [s]")
    ap.add_argument("--settle", type=float, default=2.0, help="wait after the stream starts [s]")
    ap.add_argument("--sink-rate", type=int, help="run the null sink at this rate (default: the daemon's)")
    ap.add_argument("--daemon-arg", action="append", default=[], help="extra pulseaudio argument")
    ap.add_argument("--player-env", action="append", default=[], help="NAME=VALUE for the player")
    ap.add_argument("--display", choices=["xvfb", "offscreen"],
                    default="xvfb" if shutil.which("Xvfb") else "offscreen")
    ap.add_argument("--realtime", action="store_true",
                    help="run daemon and player under SCHED_FIFO: every wake-up is served at once, "
                         "as on an idle machine, however busy this one is")
    ap.add_argument("--mp3", help="the minute to play (default: a generated 440 Hz tone, 128 kbit/s)")
    ap.add_argument("--tracks", type=int, default=1, help="cut the minute into this many tracks")
    ap.add_argument("--json", help="append every run as a JSON line to this file")
    args = ap.parse_args()
    args.player = os.path.abspath(args.player)
    for tool in ("pulseaudio", "pactl", "ffmpeg"):
        if not shutil.which(tool):
            sys.exit(f"missing {tool}: apt-get install pulseaudio pulseaudio-utils ffmpeg")

    work = tempfile.mkdtemp(prefix="pulse-playback-")
    try:
        if args.tracks > 1:
            files = make_album(work, args.tracks)
        else:
            mp3 = os.path.abspath(args.mp3) if args.mp3 else os.path.join(work, "minute.mp3")
            if not args.mp3:
                make_minute(mp3)
            files = [mp3]
        rows = []
        print(f"{'run':>3} {'load':>5} {'daemon s/min':>12} {'player s/min':>12} {'wake/s':>7} {'RSS MiB':>7}"
              "  stream -> sink, buffer / sink latency")
        for i in range(1, args.runs + 1):
            r = one_run(args, work, i, files)
            rows.append(r)
            print(f"{i:>3} {r['load']:>5.2f} {r['daemon_s_per_min']:>12.3f} {r['player_s_per_min']:>12.3f}"
                  f" {r['daemon_wakeups_per_s']:>7.1f} {r['player_rss_mib']:>7.1f}  {r['stream']} -> {r['sink']},"
                  f" {r['buffer_latency']} / {r['sink_latency']}"
                  + (f", resampler {r['resample']}" if r["resample"] not in ("", "n/a") else ""),
                  flush=True)
            if args.json:
                with open(args.json, "a") as f:
                    f.write(json.dumps(r) + "\n")
        for key, name in (("daemon_s_per_min", "daemon"), ("player_s_per_min", "player")):
            vals = [r[key] for r in rows]
            print(f"{name}: median {statistics.median(vals):.3f} s/min, max {max(vals):.3f} s/min")
        for key, name in (("player_rss_mib", "player RSS"), ("player_peak_mib", "player peak RSS")):
            vals = [r[key] for r in rows]
            print(f"{name}: median {statistics.median(vals):.1f} MiB, max {max(vals):.1f} MiB")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
