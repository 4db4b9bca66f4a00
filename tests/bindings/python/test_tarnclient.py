"""The Python binding's own mapping: records, errors, callbacks, lifetimes,
cancelling from another thread, the trace and finding the library. What the
library does with a call is the C host's and the library's tests' business.

Runs with the system Python against a tarn-devserver whose HOST:PORT is in
TARN_TEST_SERVER (tests/support/with_devserver.sh), the library named by
TARNCLIENT_LIBRARY and the package on PYTHONPATH.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest
from pathlib import Path

import tarnclient
from tarnclient import FailureKind, Login, Server, TarnError

SERVER = os.environ.get("TARN_TEST_SERVER", "")
PACKAGE_SOURCE = Path(__file__).resolve().parents[3] / "bindings" / "python"


def python(code, **environment):
    """Runs code in a new interpreter (a process with no server location
    yet); its completed process."""
    env = dict(os.environ, PYTHONDONTWRITEBYTECODE="1", **environment)
    return subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True, timeout=120)


class Answers:
    """A prompt that answers from a list, recording what it was offered."""

    def __init__(self, *answers):
        self.answers = list(answers)
        self.offered = []

    def __call__(self, login):
        self.offered.append(login.public_name)
        answer = self.answers.pop(0)
        if isinstance(answer, BaseException):
            raise answer
        return answer


class BindingTest(unittest.TestCase):
    def setUp(self):
        self.client = tarnclient.Client(SERVER)
        self.addCleanup(self.client.close)

    def test_servers_are_records_in_the_servers_order(self):
        servers = self.client.servers("TARNQUEST", "game", att1="eu")
        self.assertEqual(servers, [Server("alpha", "127.0.0.1:7001", "127.0.0.1", 7001, 12),
                                   Server("gamma", "127.0.0.1:7003", "127.0.0.1", 7003, 7)])
        self.assertEqual(servers[0].uc, 12)
        self.assertEqual(self.client.servers("NOSUCH", "game"), [])

    def test_a_failed_call_raises_its_code_kind_and_cause(self):
        with self.assertRaises(TarnError) as refused:
            self.client.ticket("TARNQUEST", "launch", context_id="ctx-expired")
        self.assertEqual(refused.exception.code, -1)
        self.assertIs(refused.exception.kind, FailureKind.REFUSED)
        self.assertTrue(refused.exception.cause.startswith("server status 2009: "), refused.exception.cause)

        with self.assertRaises(TarnError) as bad:
            self.client.servers("TARNQUEST", "")
        self.assertEqual((bad.exception.code, bad.exception.kind), (-5, FailureKind.BAD_ARGUMENT))
        self.assertIn("Service Category", bad.exception.cause)
        self.assertIn("(code -5)", str(bad.exception))

    def test_texts_with_a_nul_are_refused_before_the_library(self):
        with self.assertRaises(ValueError):
            self.client.servers("TARN\0QUEST", "game")

    def test_prompt_answers_and_reports_reach_the_library(self):
        prompt = Answers(Login("alice", "wrongpass1"), Login("alice", "wonderland1"))
        reported = []
        ticket = self.client.ticket("TARNQUEST", "launch", prompt, report=reported.append)
        self.assertRegex(ticket, r"^[0-9A-F]{32}$")
        self.assertEqual(reported, [2006])
        self.assertEqual(prompt.offered[1], "alice")  # the name entered, proposed again

    def test_a_context_id_answered_at_the_prompt_is_used(self):
        ticket = self.client.ticket("TARNQUEST", "launch", Answers(Login(context_id="ctx-alice-1")))
        self.assertRegex(ticket, r"^[0-9A-F]{32}$")

    def test_a_prompt_gives_up_with_none(self):
        self.assertIsNone(self.client.ticket("TARNQUEST", "launch", Answers(None)))

    def test_what_a_callback_raises_comes_out_of_ticket(self):
        stop = KeyboardInterrupt()
        with self.assertRaises(KeyboardInterrupt) as raised:
            self.client.ticket("TARNQUEST", "launch", Answers(stop))
        self.assertIs(raised.exception, stop)

        class Refused(Exception):
            pass

        def report(code):
            raise Refused(code)

        with self.assertRaises(Refused):
            self.client.ticket("TARNQUEST", "launch", Answers(Login("alice", "wrongpass1")), report=report)

        with self.assertRaisesRegex(ValueError, "password is longer than 39 bytes"):
            self.client.ticket("TARNQUEST", "launch", Answers(Login("alice", "p" * 40)))

    def test_a_login_without_a_prompt_is_a_bad_argument(self):
        with self.assertRaises(TarnError) as raised:
            self.client.ticket("TARNQUEST", "launch")
        self.assertEqual((raised.exception.code, raised.exception.kind), (-5, FailureKind.BAD_ARGUMENT))

    def test_stored_tickets(self):
        self.client.put_ticket("TARNQUEST", "finals", "T-1")
        self.assertEqual(self.client.ticket("TARNQUEST", "finals", use_stored=True), "T-1")
        self.assertIsNone(self.client.ticket("TARNQUEST", "finals", use_stored=True))
        self.client.put_ticket("TARNQUEST", "finals", "T-2")
        self.assertTrue(self.client.remove_ticket("TARNQUEST", "finals"))
        self.assertFalse(self.client.remove_ticket("TARNQUEST", "finals"))
        with self.assertRaises(TarnError):
            self.client.put_ticket("TARNQUEST", "finals", "")

    def test_cancel_from_another_thread(self):
        self.assertFalse(self.client.cancel())
        cancelled = []

        def prompt(login):
            # Another thread stops the call while this prompt is shown.
            worker = threading.Thread(target=lambda: cancelled.append(self.client.cancel()))
            worker.start()
            worker.join()
            return Login("alice", "wonderland1")

        with self.assertRaises(TarnError) as raised:
            self.client.ticket("TARNQUEST", "launch", prompt)
        self.assertEqual(cancelled, [True])
        self.assertEqual((raised.exception.code, raised.exception.kind), (-7, FailureKind.CANCELLED))
        self.assertEqual(len(self.client.servers("TARNQUEST", "game")), 3)

    def test_close_waits_for_the_call_in_flight(self):
        def prompt(login):
            # Closed by another thread while the call runs: the call ends normally.
            closing = threading.Thread(target=self.client.close)
            closing.start()
            closing.join()
            return Login(context_id="ctx-alice-1")

        self.assertRegex(self.client.ticket("TARNQUEST", "launch", prompt), r"^[0-9A-F]{32}$")
        with self.assertRaisesRegex(ValueError, "closed"):
            self.client.servers("TARNQUEST", "game")
        self.client.close()  # again: nothing

    def test_with_closes(self):
        with tarnclient.Client(SERVER) as client:
            self.assertEqual(len(client.servers("TARNQUEST", "chat")), 1)
        with self.assertRaises(ValueError):
            client.cancel()

    def test_deadline_property(self):
        self.assertIsNone(self.client.deadline)
        self.client.deadline = 1.5
        self.assertEqual(self.client.deadline, 1.5)
        self.client.deadline = 0
        self.assertIsNone(self.client.deadline)
        with self.assertRaises(ValueError):
            self.client.deadline = -1

    def test_trace_lines_from_any_thread_until_stopped(self):
        lines = []
        tarnclient.set_trace(lines.append)
        try:
            worker = threading.Thread(target=self.client.servers, args=("TARNQUEST", "game"))
            worker.start()
            worker.join()
        finally:
            tarnclient.set_trace(None)
        self.assertTrue(any("Enter Function: AddressManager::GetServerAddressEnum" in line for line in lines), lines)
        seen = len(lines)
        self.client.servers("TARNQUEST", "game")
        self.assertEqual(len(lines), seen)

    def test_machine_id_and_version(self):
        self.assertEqual(tarnclient.machine_id(), tarnclient.machine_id())
        self.assertGreater(len(tarnclient.machine_id()), 0)
        self.assertEqual(tarnclient.version(), tarnclient.__version__)


class ProcessTest(unittest.TestCase):
    """What needs a process of its own: no server location yet, or another
    way to the library."""

    def test_no_location_raises_with_kind_none(self):
        with tempfile.TemporaryDirectory() as folder:
            done = python("import tarnclient\n"
                          "try:\n    tarnclient.Client()\n"
                          "except tarnclient.TarnError as e:\n    print(e.code, e.kind.name)",
                          TARN_REGISTRY=os.path.join(folder, "empty.db"))
        self.assertEqual(done.stdout.strip(), "-1 NONE", done.stderr)

    def test_the_library_is_found_beside_the_package_or_named(self):
        library = os.environ["TARNCLIENT_LIBRARY"]
        with tempfile.TemporaryDirectory() as folder:
            package = Path(folder) / "tarnclient"
            shutil.copytree(PACKAGE_SOURCE / "tarnclient", package)
            os.symlink(library, package / "libTarnClient.so.1")
            # The library finds its XML parser beside itself, as a package ships them.
            os.symlink(Path(library).parent / "libXMLParser.so.1", package / "libXMLParser.so.1")
            environment = {key: value for key, value in os.environ.items() if key != "TARNCLIENT_LIBRARY"}
            environment["PYTHONPATH"] = folder
            done = subprocess.run([sys.executable, "-c", "import tarnclient._native as n; print(n.library()._name)"],
                                  env=environment, capture_output=True, text=True, timeout=120)
            self.assertEqual(done.stdout.strip(), str(package / "libTarnClient.so.1"), done.stderr)

        missing = python("import tarnclient; tarnclient.version()",
                         TARNCLIENT_LIBRARY="/nonexistent/libTarnClient.so.1")
        self.assertIn("cannot load the TarnClient library", missing.stderr)
        self.assertIn("/nonexistent/libTarnClient.so.1", missing.stderr)

    def test_pip_installs_offline(self):
        with tempfile.TemporaryDirectory() as folder:
            target = os.path.join(folder, "site")
            installed = subprocess.run([sys.executable, "-m", "pip", "install", "--no-index", "--quiet",
                                        "--target", target, str(PACKAGE_SOURCE)],
                                       env=dict(os.environ, PYTHONDONTWRITEBYTECODE="1"),
                                       capture_output=True, text=True, timeout=300)
            self.assertEqual(installed.returncode, 0, installed.stderr)
            done = python("import tarnclient; print(tarnclient.__file__, tarnclient.version())", PYTHONPATH=target)
        self.assertTrue(done.stdout.startswith(target), done.stdout + done.stderr)
        self.assertTrue(done.stdout.strip().endswith(tarnclient.__version__))


if __name__ == "__main__":
    unittest.main()
