#!/usr/bin/env python3
"""Plays the shipped game through its menus under a virtual X server and keeps screenshots of
every stage: the splash screens, the main menu, each character on the selection screen, and play.
For looking at the game's art, for the pictures in docs/, and as `./build.sh run`'s demo where
there is no display.

    python3 tools/take_screenshots.py OUTPUT_FOLDER [--keep-data]

The engine must be built in build/. The game data in game/ is generated first unless
--keep-data asks to show it as it is (after editing a model by hand, say).
"""
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))

from harness import Game  # noqa: E402


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    out = os.path.abspath(args[0] if args else "screenshots")
    os.makedirs(out, exist_ok=True)
    if "--keep-data" not in sys.argv:
        subprocess.run([sys.executable, os.path.join(ROOT, "tools", "make_game_data.py"),
                        os.path.join(ROOT, "game")], check=True)
    game = Game(package=os.path.join(ROOT, "game"))
    start = time.monotonic()
    # The shipped game writes no frame count: its waits go by the clock, in 50 ms steps, and keys
    # are held half a second, long enough for a slow software-rendered frame to see them.
    game.frame = lambda: int((time.monotonic() - start) * 20)

    def shot(name):
        path = os.path.join(out, name + ".png")
        shutil.copy(game.screenshot(), path)
        print("wrote %s" % os.path.relpath(path))
    with game:
        game.advance(20)
        shot("splash_copyright")
        game.press("Return", 10)
        shot("splash_team")
        game.press("Return", 10)
        game.advance(10)
        shot("main_menu")
        game.press("Return", 10)
        for index in range(5):
            game.advance(4)
            shot("character_%d" % index)
            game.press("Right", 10)
        game.press("Return", 10)          # first: the character after the last shown, Joss
        game.press("Return", 10)          # second: the one shown next
        shot("character_confirm")
        game.press("Return", 10)          # "Yes"
        game.advance(30)
        shot("play")
        game.key_down("Up")
        game.advance(20)
        game.key_down("Left")
        game.advance(12)
        shot("play_walking")
        game.key_up("Left", "Up")
        game.advance(4)


if __name__ == "__main__":
    main()
