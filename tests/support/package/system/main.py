"""A small test package: counts frames, records what the engine asked of it."""
import os

calls = []
frames = 0
step = None   # a test may set a callable run on every frame


class Config(dict):
    def close(self):
        calls.append("close")
        marker = os.environ.get("BW_CLOSE_MARKER")
        if marker:
            with open(marker, "w") as f:
                f.write("closed\n")


config = Config()


def _frames():
    global frames
    while True:
        frames += 1
        if step is not None:
            step()
        yield frames


def setup():
    calls.append("setup")
    return _frames()
