"""The game's settings: volumes, key bindings and save-slot names, kept in one JSON file.

Every change is written at once, atomically and durably (write_durably): a crash, a full disk or a
power loss never leaves a half-written file behind nor undoes a change once it was made.
"""
import json
import os
import sys


class Config:
    def __init__(self, path="config.cfg"):
        self.path = path
        self._values = {}
        self._load()

    def _load(self):
        try:
            with open(self.path, encoding="utf-8") as f:
                values = json.load(f)
        except FileNotFoundError:
            return
        except (OSError, ValueError) as error:
            # Keep the unreadable file for a look instead of overwriting it with defaults.
            print("config: %s is unreadable (%s); starting from defaults" % (self.path, error),
                  file=sys.stderr)
            try:
                os.replace(self.path, self.path + ".bad")
            except OSError:
                pass
            return
        if isinstance(values, dict):
            self._values = values

    def __getitem__(self, key):
        return self._values[key]

    def __setitem__(self, key, value):
        if self._values.get(key, _MISSING) == value and type(self._values.get(key)) is type(value):
            return
        self._values[key] = value
        self.save()

    def __contains__(self, key):
        return key in self._values

    def get(self, key, default=None):
        return self._values.get(key, default)

    def save(self):
        try:
            write_durably(self.path, json.dumps(self._values, indent=1, sort_keys=True))
        except OSError as error:
            print("config: could not save %s: %s" % (self.path, error), file=sys.stderr)

    def close(self):
        self.save()


_MISSING = object()


def write_durably(path, text):
    """Replace the file at path with text, atomically and durably; for settings and saved games.

    The text goes to path + ".tmp", is synced, and replaces the old file; then the directory is
    synced, since until the rename itself is on disk a power loss can bring the old file back
    after the player was told the save had happened. Raises OSError, leaving the old file as it was
    and no temporary file behind.
    """
    temporary = path + ".tmp"
    try:
        with open(temporary, "w", encoding="utf-8") as f:
            f.write(text)
            f.flush()
            os.fsync(f.fileno())
        os.replace(temporary, path)
    except OSError:
        try:
            os.remove(temporary)
        except OSError:
            pass
        raise
    directory = os.open(os.path.dirname(os.path.abspath(path)), os.O_RDONLY | os.O_DIRECTORY)
    try:
        os.fsync(directory)
    finally:
        os.close(directory)
