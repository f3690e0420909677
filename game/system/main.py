"""The game's entry: the engine calls setup() once and then advances the returned frame object
once per frame."""
import sys
import traceback

from system import config as _config
from system import saves, world

config = _config.Config("config.cfg")
game = None


class Frames:
    """One call of __next__ is one frame. An iterator rather than a generator: an exception in
    one frame is printed by the engine and the next frame runs again, where a generator would be
    finished for good."""

    def __iter__(self):
        return self

    def __next__(self):
        game.frame()


def setup():
    global game
    saves.name_empty_slots(config)
    game = world.Game(config)
    return Frames()
