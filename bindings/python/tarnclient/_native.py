"""The library's C interface (tarnclient/tarn.h) as ctypes sees it.

The library is looked for, in this order: the file the environment variable
TARNCLIENT_LIBRARY names; libTarnClient.so.1 (TarnClient.dll on Windows)
beside this package's files, or in the library folder of the installation
the package belongs to (PREFIX/lib for PREFIX/lib/python3/dist-packages);
the same name on the system's library path.
"""
from __future__ import annotations

import ctypes
import os
import sys
import threading
from ctypes import (CFUNCTYPE, POINTER, Structure, c_char, c_char_p, c_int32, c_uint32, c_void_p)
from typing import Optional

LIBRARY_NAME = "TarnClient.dll" if sys.platform == "win32" else "libTarnClient.so.1"

# Result codes and failure kinds of tarnclient/tarn.h that the binding acts on.
SUCCESS = 0
FAILURE = -1
INVALID_ARGUMENT = -5
CANCELLED = -7


class Login(Structure):
    """tarn_login: LoginPrompt's layout."""

    _fields_ = [
        ("public_name", c_char * 40),
        ("password", c_char * 40),
        ("context_id", c_char * 40),
        ("action", c_int32),
    ]


# The callbacks are __cdecl on every target, which CFUNCTYPE gives.
PROMPT = CFUNCTYPE(c_int32, c_void_p, POINTER(Login))
REPORT = CFUNCTYPE(c_int32, c_void_p, c_int32)
TRACE = CFUNCTYPE(None, c_void_p, c_char_p)

# name: (result, arguments)
_FUNCTIONS = {
    "tarn_version": (c_char_p, []),
    "tarn_client_open": (c_int32, [c_char_p, POINTER(c_void_p)]),
    "tarn_client_close": (None, [c_void_p]),
    "tarn_client_cancel": (c_int32, [c_void_p]),
    "tarn_client_set_deadline": (c_int32, [c_void_p, c_int32]),
    "tarn_client_last_failure": (c_int32, [c_void_p, c_void_p, c_uint32, POINTER(c_int32)]),
    "tarn_servers_find": (c_int32, [c_void_p, c_char_p, c_char_p, c_char_p, c_char_p, POINTER(c_void_p)]),
    "tarn_servers_count": (c_int32, [c_void_p]),
    "tarn_servers_name": (c_char_p, [c_void_p, c_int32]),
    "tarn_servers_address": (c_char_p, [c_void_p, c_int32]),
    "tarn_servers_host": (c_char_p, [c_void_p, c_int32]),
    "tarn_servers_port": (c_int32, [c_void_p, c_int32]),
    "tarn_servers_uc": (c_int32, [c_void_p, c_int32]),
    "tarn_servers_free": (None, [c_void_p]),
    "tarn_ticket_get": (c_int32, [c_void_p, c_char_p, c_char_p, c_char_p, c_char_p, c_int32, PROMPT, REPORT,
                                  c_void_p, POINTER(c_void_p)]),
    "tarn_ticket_put": (c_int32, [c_void_p, c_char_p, c_char_p, c_char_p]),
    "tarn_ticket_remove": (c_int32, [c_void_p, c_char_p, c_char_p]),
    "tarn_machine_id": (c_int32, [c_void_p, c_uint32]),
    "tarn_set_trace": (None, [TRACE, c_void_p]),
    "tarn_free": (None, [c_void_p]),
}

_loaded: Optional[ctypes.CDLL] = None
_loading = threading.Lock()


def _candidates() -> list:
    explicit = os.environ.get("TARNCLIENT_LIBRARY")
    if explicit:
        return [explicit]
    here = os.path.dirname(os.path.abspath(__file__))
    installed = [os.path.join(here, LIBRARY_NAME),
                 os.path.normpath(os.path.join(here, "..", "..", "..", LIBRARY_NAME))]
    return [path for path in installed if os.path.exists(path)] + [LIBRARY_NAME]


def library() -> ctypes.CDLL:
    """The library with every function's signature set; loaded on first use."""
    global _loaded
    with _loading:
        if _loaded is None:
            tried = []
            for candidate in _candidates():
                try:
                    found = ctypes.CDLL(candidate)
                    break
                except OSError as error:
                    tried.append(f"{candidate}: {error}")
            else:
                raise OSError("cannot load the TarnClient library (set TARNCLIENT_LIBRARY to its file); tried "
                              + "; ".join(tried))
            for name, (result, arguments) in _FUNCTIONS.items():
                function = getattr(found, name)
                function.restype = result
                function.argtypes = arguments
            _loaded = found
        return _loaded
