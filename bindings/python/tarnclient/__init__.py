"""TarnClient for Python: where the Tarn platform's servers live, and login
tickets, through the TarnClient library (ctypes over its C interface).

    import tarnclient

    with tarnclient.Client("127.0.0.1:8600") as client:
        for server in client.servers("TARNQUEST", "game"):
            print(server.name, server.address, server.uc)

Failures raise TarnError (code, kind, cause). Calls block; another thread may
stop one with Client.cancel(). The first server location a process uses
successfully stays its location: later clients talk to the same server.
Texts cross the library as UTF-8.
"""
from __future__ import annotations

import ctypes
import enum
import math
import threading
from ctypes import byref, c_int32, c_void_p
from dataclasses import dataclass
from typing import Callable, List, NamedTuple, Optional

from . import _native
from ._native import library

__all__ = ["Client", "FailureKind", "Login", "Server", "TarnError", "machine_id", "set_trace", "version"]
__version__ = "1.0.0"


class FailureKind(enum.IntEnum):
    """Why a call failed (tarn_failure_kind)."""

    NONE = 0  # no call failed: the failure is not one of a call (opening a client)
    NOT_REACHED = 1  # the server was not reached (name, connection)
    NO_REPLY = 2  # no reply, or not all of it: time-out, closed, cut
    UNREADABLE_REPLY = 3  # a reply that is not what the service sends
    REFUSED = 4  # the server answered no: an HTTP or application status
    CANCELLED = 5  # Client.cancel() stopped it
    PAST_DEADLINE = 6  # Client.deadline passed
    BAD_ARGUMENT = 7  # refused before anything was sent


class TarnError(Exception):
    """A failed call: the library's code (negative), the kind of failure and
    its one-line cause."""

    def __init__(self, code: int, kind: FailureKind, cause: str) -> None:
        super().__init__(f"{cause} (code {code})")
        self.code = code
        self.kind = kind
        self.cause = cause


class Server(NamedTuple):
    """One server of a product, as the address server reported it."""

    name: str
    address: str  # "<IP Address>:<Port>"
    host: str
    port: int
    uc: int


@dataclass
class Login:
    """What a prompt is offered (the public name and password used last) and
    answers. A context_id answers instead of a name and password."""

    public_name: str = ""
    password: str = ""
    context_id: str = ""

    def __repr__(self) -> str:  # never shows the password
        return f"Login(public_name={self.public_name!r}, context_id={self.context_id!r})"


# A prompt answers a Login, or None to give up. report is told each
# application error of a login (2006: wrong password, ...); the prompt then
# comes again when the error can be corrected. Either may raise to stop the
# call: ticket() raises the same exception.
Prompt = Callable[[Login], Optional[Login]]
Report = Callable[[int], None]

_GAVE_UP = 1  # what the prompt returns to the library for None


def version() -> str:
    """The library's version, "MAJOR.MINOR.PATCH"."""
    return library().tarn_version().decode("ascii")


def machine_id() -> str:
    """This computer's identifier, generated once and kept by the library."""
    text = _copied(library().tarn_machine_id)
    if isinstance(text, int):
        raise TarnError(text, FailureKind.NONE, "cannot read or create the machine identifier")
    return text


_trace_lock = threading.Lock()
_trace_function = None  # kept alive while the library may call it


def set_trace(sink: Optional[Callable[[str], None]]) -> None:
    """Sends every line of the library's trace to sink, on the thread that
    traced (also threads other than the caller's); None stops it. The sink
    must not call the library; what it raises is reported as unraisable."""
    global _trace_function
    with _trace_lock:
        function = _native.TRACE() if sink is None else _native.TRACE(lambda _context, line: sink(_text_out(line)))
        library().tarn_set_trace(function, None)
        # The library calls the previous function no more once set_trace returns.
        _trace_function = function


class Client:
    """An address manager and a customer manager of the library, on one
    server: server (HOST:PORT), or None for the configured one. Close it with
    close() or a with block. Any thread may use it, several at once."""

    def __init__(self, server: Optional[str] = None) -> None:
        pointer = c_void_p()
        code = library().tarn_client_open(_text_in(server), byref(pointer))
        if code != _native.SUCCESS:
            where = server or "the configured server"
            raise TarnError(code, FailureKind.NONE,
                            f"cannot open a client on {where} (the trace says why: TARN_TRACE or set_trace)")
        self._handle = _Handle(pointer, library().tarn_client_close)
        self._deadline: Optional[float] = None

    def __enter__(self) -> "Client":
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def __del__(self) -> None:
        handle = getattr(self, "_handle", None)
        if handle is not None:
            handle.close()

    def close(self) -> None:
        """Closes the client; a call still running on another thread ends
        first. Closing again does nothing; other calls raise ValueError."""
        self._handle.close()

    def servers(self, product: str, category: str, name: str = "any", att1: Optional[str] = None) -> List[Server]:
        """The servers of product in category, named name ("any": all of
        them), with attribute att1 when given; an empty list when none
        matches."""
        lib = library()
        found = c_void_p()
        with self._handle.use() as handle:
            code = lib.tarn_servers_find(handle, _text_in(product), _text_in(category), _text_in(name),
                                         _text_in(att1), byref(found))
            if code != _native.SUCCESS:
                raise _call_error(handle, code)
        try:
            return [Server(_text_out(lib.tarn_servers_name(found, i)), _text_out(lib.tarn_servers_address(found, i)),
                           _text_out(lib.tarn_servers_host(found, i)), lib.tarn_servers_port(found, i),
                           lib.tarn_servers_uc(found, i))
                    for i in range(lib.tarn_servers_count(found))]
        finally:
            lib.tarn_servers_free(found)

    def ticket(self, product: str, event: str, prompt: Optional[Prompt] = None, *, report: Optional[Report] = None,
               context_id: Optional[str] = None, language: Optional[str] = None,
               use_stored: bool = False) -> Optional[str]:
        """A login ticket for product and event: the one put_ticket stored
        (use_stored), one for context_id, or one for the public name and
        password that prompt answers. None when no ticket was stored or the
        prompt gave up. A login without context_id or use_stored needs a
        prompt."""
        raised: List[BaseException] = []
        c_prompt = _native.PROMPT(lambda _context, login: _answer_prompt(prompt, login.contents, raised))
        # REPORT(): the null function; the library goes on after every error.
        c_report = _native.REPORT() if report is None else _native.REPORT(
            lambda _context, code: _answer_report(report, code, raised))
        ticket = c_void_p()
        lib = library()
        with self._handle.use() as handle:
            code = lib.tarn_ticket_get(handle, _text_in(product), _text_in(event), _text_in(context_id),
                                       _text_in(language), int(use_stored), c_prompt, c_report, None, byref(ticket))
            if code < 0 and not raised:
                raise _call_error(handle, code)
        if raised:
            lib.tarn_free(ticket)
            raise raised[0]
        if code != _native.SUCCESS:
            return None
        try:
            return _text_out(ctypes.string_at(ticket.value))
        finally:
            lib.tarn_free(ticket)

    def put_ticket(self, product: str, event: str, ticket: str) -> None:
        """Stores ticket for product and event in the process's ticket store,
        for a later ticket(..., use_stored=True)."""
        with self._handle.use() as handle:
            code = library().tarn_ticket_put(handle, _text_in(product), _text_in(event), _text_in(ticket))
            if code < 0:
                raise _call_error(handle, code)

    def remove_ticket(self, product: str, event: str) -> bool:
        """Removes the stored ticket of product and event; False when there
        was none."""
        with self._handle.use() as handle:
            code = library().tarn_ticket_remove(handle, _text_in(product), _text_in(event))
            if code < 0:
                raise _call_error(handle, code)
        return code == _native.SUCCESS

    def cancel(self) -> bool:
        """From any thread: stops the call running on this client, which then
        raises TarnError with kind CANCELLED. False when none was running."""
        with self._handle.use() as handle:
            return library().tarn_client_cancel(handle) == 0

    @property
    def deadline(self) -> Optional[float]:
        """Seconds each later call may take at most, waiting for other
        calls' exchanges included; None (or 0): the library's own bounds. A
        call past it raises TarnError with kind PAST_DEADLINE."""
        return self._deadline

    @deadline.setter
    def deadline(self, seconds: Optional[float]) -> None:
        milliseconds = math.ceil(seconds * 1000) if seconds else 0
        if not 0 <= milliseconds < 2 ** 31:
            raise ValueError(f"a deadline is from 0 to 2147483.647 seconds, not {seconds}")
        with self._handle.use() as handle:
            library().tarn_client_set_deadline(handle, milliseconds)
        self._deadline = seconds or None


class _Handle:
    """The library's client, freed once closed and no call uses it: a call
    may still run on another thread when close() comes."""

    def __init__(self, pointer: c_void_p, free: Callable[[c_void_p], None]) -> None:
        self._pointer = pointer
        self._free = free  # held here, so that a client freed at exit needs no module global
        self._lock = threading.Lock()
        self._users = 0
        self._closed = False

    def use(self) -> "_InUse":
        with self._lock:
            if self._closed:
                raise ValueError("the client is closed")
            self._users += 1
        return _InUse(self)

    def done(self) -> None:
        with self._lock:
            self._users -= 1
            free = self._closed and self._users == 0
        if free:
            self._free(self._pointer)

    def close(self) -> None:
        with self._lock:
            if self._closed:
                return
            self._closed = True
            free = self._users == 0
        if free:
            self._free(self._pointer)


class _InUse:
    def __init__(self, handle: _Handle) -> None:
        self._handle = handle

    def __enter__(self) -> c_void_p:
        return self._handle._pointer

    def __exit__(self, *exception: object) -> None:
        self._handle.done()


def _text_in(text: Optional[str]) -> Optional[bytes]:
    if text is None:
        return None
    data = text.encode("utf-8")
    if b"\0" in data:
        raise ValueError(f"a text for the library holds a NUL character: {text!r}")
    return data


def _text_out(data: Optional[bytes]) -> str:
    return "" if data is None else data.decode("utf-8", "replace")


def _copied(fill: Callable[..., int], *before: object) -> "str | int":
    """A text the library copies into a buffer: its full length comes back,
    so one more call gets a text longer than the first buffer. A negative
    code is returned as it is."""
    size = 256
    while True:
        buffer = ctypes.create_string_buffer(size)
        length = fill(*before, buffer, size)
        if length < 0:
            return length
        if length < size:
            return _text_out(buffer.value)
        size = length + 1


def _call_error(handle: c_void_p, code: int) -> TarnError:
    """The error of the client's call that just failed with code."""
    kind = c_int32(0)
    cause = _copied(lambda buffer, size: library().tarn_client_last_failure(handle, buffer, size, byref(kind)))
    known = kind.value in FailureKind._value2member_map_
    return TarnError(code, FailureKind(kind.value) if known else FailureKind.NONE,
                     cause if isinstance(cause, str) and cause else f"the call failed with code {code}")


def _field(text: str, what: str) -> bytes:
    data = _text_in(text) or b""
    if len(data) > 39:
        raise ValueError(f"the {what} is longer than 39 bytes")
    return data


def _answer_prompt(prompt: Optional[Prompt], login: _native.Login, raised: List[BaseException]) -> int:
    # Nothing may cross into the library: what the prompt raises is kept for
    # ticket() to raise, and the library is told to stop.
    try:
        if prompt is None:
            raise TarnError(_native.INVALID_ARGUMENT, FailureKind.BAD_ARGUMENT,
                            "a login needs a prompt: pass prompt= to ticket()")
        answer = prompt(Login(_text_out(login.public_name), _text_out(login.password)))
        if answer is None:
            return _GAVE_UP
        login.public_name = _field(answer.public_name, "public name")
        login.password = _field(answer.password, "password")
        login.context_id = _field(answer.context_id, "context id")
        login.action = 1 if answer.context_id else 0
        return _native.SUCCESS
    except BaseException as error:  # KeyboardInterrupt at the prompt too
        raised.append(error)
        return _native.FAILURE


def _answer_report(report: Report, code: int, raised: List[BaseException]) -> int:
    try:
        report(code)
        return _native.SUCCESS
    except BaseException as error:
        raised.append(error)
        return _native.FAILURE
