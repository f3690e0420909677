"""Sends the scripts' standard output and standard error to the engine's console."""
import os
import sys

import _console

# BRACKWATER_CONSOLE_ECHO=1 copies the console to the terminal from the first line on.
_echo = os.environ.get("BRACKWATER_CONSOLE_ECHO") == "1"


class _ConsoleStream:
    def __init__(self, put, terminal):
        self._put = put
        self._terminal = terminal

    def write(self, text):
        self._put(text)
        if _echo and self._terminal is not None:
            self._terminal.write(text)
            self._terminal.flush()
        return len(text)

    def flush(self):
        if _echo and self._terminal is not None:
            self._terminal.flush()


def setupconsole():
    sys.stdout = _ConsoleStream(_console.putstdout, sys.__stdout__)
    sys.stderr = _ConsoleStream(_console.putstderr, sys.__stderr__)


def setdump(flag=True):
    """setdump(True) also copies everything the console shows to the terminal."""
    global _echo
    _echo = bool(flag)
