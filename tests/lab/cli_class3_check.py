"""quaystone-cli against the class 3 routers of class3_lab.ini, as a user runs it: discovery,
credentials from the command line, an environment variable and standard input, then the
commands. Runs on the lab's PC host; the cli's path is the only argument."""
import json
import os
import subprocess
import sys
import unittest

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "quaystone-cli"
LOCKED = "10.77.3.2"


def cli(*args, stdin=None, env=None):
    """Runs the cli with --json; returns (exit status, the parsed last line of its output)."""
    done = subprocess.run([CLI, "--json", *args], input=stdin, capture_output=True, text=True,
                          env={**os.environ, **(env or {})}, timeout=240, check=False)
    lines = done.stdout.strip().splitlines()
    if not lines:
        raise AssertionError(f"no output from {args}: {done.stderr}")
    return done.returncode, json.loads(lines[-1])


class CliClass3(unittest.TestCase):
    def test_find_lists_class_2_first_then_class_3(self):
        status, out = cli("find")
        self.assertEqual(status, 0)
        routers = out["routers"]
        self.assertEqual([r["address"] for r in routers], ["10.77.1.1", "10.77.3.1", LOCKED])
        self.assertEqual(routers[1]["name"], "open-three")
        self.assertEqual(routers[1]["model_code"], 0x305000)
        self.assertEqual(routers[1]["from_challenge"], 0)
        self.assertEqual(routers[2]["name"], "")
        self.assertEqual(routers[2]["key_id"], 0xFFFE)
        self.assertEqual((routers[2]["auth_flag"], routers[2]["from_challenge"]), (1, 1))

    def test_without_credentials_the_router_refuses(self):
        status, out = cli("status", LOCKED)
        self.assertEqual(status, 1)
        self.assertEqual((out["ok"], out["step"], out["code"]), (False, "status", -111))

    def test_wrong_or_oversized_credentials_are_refused(self):
        status, out = cli("--user", "admin", "--password-env", "QS_TEST_PASSWORD", "status",
                          LOCKED, env={"QS_TEST_PASSWORD": "secret"})
        self.assertEqual(status, 1)
        self.assertEqual((out["step"], out["code"]), ("password", -111))
        status, out = cli("--user", "admin", "--password", "x" * 21, "status", LOCKED)
        self.assertEqual(status, 1)
        self.assertEqual((out["step"], out["code"]), ("password", -102))

    def test_credentials_from_stdin_read_the_condition(self):
        status, out = cli("--user", "admin", "--password-stdin", "--ex", "status", LOCKED, "0",
                          stdin="s3cret\n")
        self.assertEqual(status, 0, out)
        condition = out["condition"]
        self.assertEqual(condition["line_state"], 3)
        self.assertEqual(condition["global_address"], "203.0.113.5")

    def test_dial_change_destination_clear_and_hang_up(self):
        credentials = ("--user", "admin", "--password-env", "QS_TEST_PASSWORD")
        env = {"QS_TEST_PASSWORD": "s3cret"}
        for command, expected in (
                (("site", LOCKED, "0", "2"), {"ok": True, "port": 0, "site": 2, "answer": 0}),
                (("connect", LOCKED), {"ok": True, "step": "connect", "line_state": 5}),
                (("clear", LOCKED), {"ok": True, "port": 0}),
                (("disconnect", LOCKED), {"ok": True, "step": "disconnect", "line_state": 3})):
            with self.subTest(command=command[0]):
                status, out = cli(*credentials, *command, env=env)
                self.assertEqual((status, out), (0, expected))
        status, out = cli(*credentials, "status", LOCKED, env=env)
        self.assertEqual(out["condition"]["selected_site"], 2)


if __name__ == "__main__":
    unittest.main(verbosity=2)
