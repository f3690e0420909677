"""A small test package: counts frames and records what the engine asked of it. End-to-end
tests add a module `system.hook` with a function `step(frame)` run on every frame, and name files
in BW_FRAME_FILE and BW_CONSOLE_FILE (the frame count and the console's text, written every
frame) and BW_CLOSE_MARKER (written when the engine closes the configuration)."""
import os

from system import console

calls = []
frames = 0
step = None   # a test may set a callable run on every frame

try:
    from system import hook
except ImportError:
    hook = None


class Config(dict):
    def close(self):
        calls.append("close")
        _publish("BW_CLOSE_MARKER", "closed\n")


config = Config()


def _publish(variable, text):
    """Writes the file the variable names, if any; replaced whole, so never seen half written."""
    path = os.environ.get(variable)
    if path:
        with open(path + ".tmp", "w") as f:
            f.write(text)
        os.replace(path + ".tmp", path)


class Frames:
    """An iterator rather than a generator: an exception raised in one frame must not end the
    frames that follow, as it would end a generator."""

    def __iter__(self):
        return self

    def __next__(self):
        global frames
        frames += 1
        _publish("BW_FRAME_FILE", str(frames))
        if step is not None:
            step()
        if hook is not None:
            hook.step(frames)
        _publish("BW_CONSOLE_FILE", "".join(console._dump))
        return frames


def setup():
    calls.append("setup")
    return Frames()
