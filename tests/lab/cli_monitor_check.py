"""quaystone-cli monitor against the "branch" router of tools/tarvo/two_routers.ini, whose
counters grow by 5400 bytes received and 1200 sent per second while its line is up: the bytes
per interval, a counter reset in the middle, and Ctrl-C. Runs on the lab's PC host; the cli's
path is the only argument."""
import json
import signal
import subprocess
import sys
import time
import unittest

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "quaystone-cli"
ROUTER = "10.77.1.2"  # "Branch"


def run(*args):
    return subprocess.run([CLI, "--json", *args], capture_output=True, text=True, timeout=240,
                          check=False)


def start_monitor(*args):
    return subprocess.Popen([CLI, "--json", "monitor", ROUTER, *args], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)


def read_line(proc):
    line = proc.stdout.readline()
    if not line:
        raise AssertionError("monitor ended early: " + proc.stderr.read())
    return json.loads(line)


class CliMonitor(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        done = run("connect", ROUTER)
        assert done.returncode == 0, done.stdout + done.stderr

    @classmethod
    def tearDownClass(cls):
        run("disconnect", ROUTER)

    def assertAbout(self, value, expected, what):
        # Readings come from the library's round trip; allow for its timing.
        self.assertLess(abs(value - expected), expected * 0.2 + 50, f"{what}: {value}")

    def test_bytes_per_interval_and_a_reset(self):
        proc = start_monitor("--count", "6")
        try:
            lines = [read_line(proc)]
            cleared = run("clear", ROUTER)
            self.assertEqual(cleared.returncode, 0, cleared.stdout)
            while True:
                line = proc.stdout.readline()
                if not line:
                    break
                lines.append(json.loads(line))
            self.assertEqual(proc.wait(timeout=30), 0)
        finally:
            proc.kill()
        self.assertEqual(len(lines), 6, lines)
        resets = [i for i, line in enumerate(lines) if line["reset"]]
        self.assertEqual(len(resets), 1, lines)
        self.assertEqual((lines[resets[0]]["received"], lines[resets[0]]["sent"]), (0, 0))
        for line in lines[resets[0] + 1:]:
            self.assertAbout(line["received"], 5400 * line["seconds"], "received")
            self.assertAbout(line["sent"], 1200 * line["seconds"], "sent")
        self.assertAbout(lines[0]["received"], 5400 * lines[0]["seconds"], "first interval")

    def test_ctrl_c_ends_cleanly(self):
        proc = start_monitor("--interval", "0.5")
        try:
            read_line(proc)
            started = time.monotonic()
            proc.send_signal(signal.SIGINT)
            self.assertEqual(proc.wait(timeout=10), 0)
            self.assertLess(time.monotonic() - started, 2)
        finally:
            proc.kill()

    def test_human_output(self):
        done = subprocess.run([CLI, "monitor", ROUTER, "--count", "1"], capture_output=True,
                              text=True, timeout=240, check=False)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertRegex(done.stdout, r"received 5\.\d kB  5\.\d kB/s \(4\d\.\d kbit/s\)")


if __name__ == "__main__":
    unittest.main()
