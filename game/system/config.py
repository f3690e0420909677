"""The game's settings: volumes, key bindings and save-slot names, kept in one JSON file.

Every change is written at once, and always atomically: the new contents go to a temporary file
which then replaces the old one, so a crash or a full disk never leaves a half-written file behind.
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
        temporary = self.path + ".tmp"
        try:
            with open(temporary, "w", encoding="utf-8") as f:
                json.dump(self._values, f, indent=1, sort_keys=True)
                f.flush()
                os.fsync(f.fileno())
            os.replace(temporary, self.path)
        except OSError as error:
            print("config: could not save %s: %s" % (self.path, error), file=sys.stderr)
            try:
                os.remove(temporary)
            except OSError:
                pass

    def close(self):
        self.save()


_MISSING = object()
