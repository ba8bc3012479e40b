#!/usr/bin/env python3
"""Start-up time and peak memory of the game.

Measures, over several runs, the wall time from starting the process until a
solo game is logged in (the chat console prints "0+You are Connected." once
the client has handled its own seat announcement), and the peak resident
memory (VmHWM) at that moment. As a baseline in the same run it measures the
host alone ("--serve") up to its "listening" line.

usage: startup.py PATH/TO/zorble [RUNS]
"""
import os
import signal
import socket
import statistics
import subprocess
import sys
import time

GAME_PORT = 7772


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_port_free(port, timeout=20.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        with socket.socket() as s:
            s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            try:
                s.bind(("0.0.0.0", port))
                return
            except OSError:
                time.sleep(0.1)
    sys.exit(f"port {port} stays busy")


def peak_rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def run_once(argv, marker, env):
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            stdin=subprocess.PIPE, env=env, text=True)
    try:
        for line in proc.stdout:
            if line.rstrip("\n").startswith(marker):
                elapsed = time.perf_counter() - start
                rss = peak_rss_kib(proc.pid)
                break
        else:
            sys.exit(f"{argv} ended without printing {marker!r}")
    finally:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    return elapsed * 1000.0, rss


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    binary = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    # No system bus: the hosting programs publish nothing on the network.
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", ZORBLE_CHAT_CONSOLE="1",
               ZORBLE_NO_INSTANCE_GUARD="1",
               DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent/zorble-bench")

    base, game = [], []
    for _ in range(runs):
        base.append(run_once([binary, "--serve", "--port", str(free_port())],
                             "Zorble host listening", env))
        wait_port_free(GAME_PORT)
        game.append(run_once([binary], "0+You are Connected.", env))

    def report(name, samples):
        times = [t for t, _ in samples]
        rss = max(r for _, r in samples)
        print(f"{name:<34} median {statistics.median(times):7.1f} ms   "
              f"min {min(times):7.1f} ms   max {max(times):7.1f} ms   peak RSS {rss / 1024:6.1f} MiB")
        return statistics.median(times), rss

    print(f"{runs} runs each")
    bt, br = report("host alone, listening (baseline)", base)
    gt, gr = report("solo game, logged in", game)
    print(f"ratio solo/baseline: time {gt / bt:.2f}x, peak RSS {gr / br:.2f}x")
    print(f"target: logged in under 500 ms -> {'met' if gt < 500 else 'NOT met'}")


if __name__ == "__main__":
    main()
