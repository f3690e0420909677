"""A small test package: counts frames and records what the engine asked of it.

End-to-end tests add a module `system.hook` with a function `step(frame)` run on every frame,
and set BW_FRAME_FILE (the frame count is written there every frame) and BW_CLOSE_MARKER
(written when the engine closes the configuration).
"""
import os

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
        marker = os.environ.get("BW_CLOSE_MARKER")
        if marker:
            with open(marker, "w") as f:
                f.write("closed\n")


config = Config()
_frame_file = os.environ.get("BW_FRAME_FILE")


class Frames:
    """An iterator rather than a generator: an exception raised in one frame must not end the
    frames that follow, as it would end a generator."""

    def __iter__(self):
        return self

    def __next__(self):
        global frames
        frames += 1
        if _frame_file:
            with open(_frame_file + ".tmp", "w") as f:
                f.write(str(frames))
            os.replace(_frame_file + ".tmp", _frame_file)
        if step is not None:
            step()
        if hook is not None:
            hook.step(frames)
        return frames


def setup():
    calls.append("setup")
    return Frames()
