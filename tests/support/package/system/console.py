"""Routes the scripts' output streams into the engine's console."""
import sys

import _console

_dump = []


class _Stream:
    def __init__(self, put):
        self._put = put

    def write(self, text):
        self._put(text)
        _dump.append(text)
        return len(text)

    def flush(self):
        pass


def setupconsole():
    sys.stdout = _Stream(_console.putstdout)
    sys.stderr = _Stream(_console.putstderr)


def setdump(flag=True):
    _dump.clear()
