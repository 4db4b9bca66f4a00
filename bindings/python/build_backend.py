"""Builds the tarnclient wheel and source archive from the files beside this
one, with Python's standard library alone, so that `pip install` needs no
download (a pure-Python package has nothing for setuptools to do).

Implements the build hooks pip calls (PEP 517): build_wheel, build_sdist.
The version is the package's __version__, which the CMake build checks
against the library's.
"""
import base64
import hashlib
import io
import os
import re
import tarfile
import zipfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
NAME = "tarnclient"
VERSION = re.search(r'^__version__ = "([^"]+)"$', (HERE / NAME / "__init__.py").read_text(encoding="utf-8"),
                    re.M).group(1)
METADATA = f"""Metadata-Version: 2.1
Name: {NAME}
Version: {VERSION}
Summary: Tarn platform server lookups and login tickets, over the TarnClient library
License: MIT
Requires-Python: >=3.8
"""
WHEEL = f"""Wheel-Version: 1.0
Generator: {NAME} build_backend
Root-Is-Purelib: true
Tag: py3-none-any
"""


def _package_files():
    return sorted(path for path in (HERE / NAME).rglob("*")
                  if path.is_file() and "__pycache__" not in path.parts)


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    dist_info = f"{NAME}-{VERSION}.dist-info"
    wheel_name = f"{NAME}-{VERSION}-py3-none-any.whl"
    records = []
    with zipfile.ZipFile(os.path.join(wheel_directory, wheel_name), "w", zipfile.ZIP_DEFLATED) as wheel:
        def add(name, data):
            wheel.writestr(name, data)
            digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode("ascii")
            records.append(f"{name},sha256={digest},{len(data)}")

        for path in _package_files():
            add(path.relative_to(HERE).as_posix(), path.read_bytes())
        add(f"{dist_info}/METADATA", METADATA.encode("utf-8"))
        add(f"{dist_info}/WHEEL", WHEEL.encode("utf-8"))
        records.append(f"{dist_info}/RECORD,,")
        wheel.writestr(f"{dist_info}/RECORD", "\n".join(records) + "\n")
    return wheel_name


def build_sdist(sdist_directory, config_settings=None):
    base = f"{NAME}-{VERSION}"
    with tarfile.open(os.path.join(sdist_directory, f"{base}.tar.gz"), "w:gz") as sdist:
        for path in [HERE / "pyproject.toml", Path(__file__).resolve(), *_package_files()]:
            sdist.add(path, f"{base}/{path.relative_to(HERE).as_posix()}")
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        info.size = len(METADATA.encode("utf-8"))
        sdist.addfile(info, io.BytesIO(METADATA.encode("utf-8")))
    return f"{base}.tar.gz"
