"""The shipped game: a real run of it through the menus into play and back."""
import json
import os
import subprocess
import sys
import time

from harness import SOURCE_DIR, Game


def test_the_shipped_game_goes_through_the_menus_into_play_and_back():
    game_dir = os.path.join(SOURCE_DIR, "game")
    game = Game(package=game_dir)
    subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "tools", "make_game_data.py"),
                    game.dir], check=True)
    # The shipped game writes no frame count: its waits go by the clock instead.
    game.frame = _ticker()
    with game:
        def settle(name, previous=None):
            """The screen once it shows something new: the game keeps its own pace, and a slow
            start or a slow frame must not make the test read the screen before it changed."""
            path = os.path.join(game.dir, name + ".png")
            deadline = time.monotonic() + 30
            while True:
                game.screenshot(path)
                if _brightness(path) > 0.01 if previous is None else _difference(previous, path) > 0.005:
                    return path
                assert time.monotonic() < deadline, "%s never showed" % name
                time.sleep(0.2)

        splash = settle("splash")           # night blue
        game.press("Return", frames=10)
        team = settle("team", splash)       # pale paper
        game.press("Return", frames=10)
        main = settle("main", team)
        screen = main
        for step in ("select", "first", "confirm", "playing"):   # New Game, Joss, Orla, Yes
            game.press("Return", frames=10)
            screen = settle(step, screen)
        game.press("Up", frames=20)
        playing = settle("walking", screen)   # the lit quay
        game.press("Escape", frames=10)
        in_game = screen = settle("in-game", playing)   # the main menu's picture again
        for step, key in (("load", "Down"), ("options", "Down"), ("exit", "Down"), ("back", "Return")):
            game.press(key, frames=10)
            screen = settle(step, screen)
        back = screen
        brightness = [_brightness(shot) for shot in (splash, main, team)]
        assert brightness[0] < 0.2 < brightness[1] < 0.5 < brightness[2], brightness
        # Play draws a scene of its own; the in-game menu and the main menu share their picture
        # and differ only in the entries' words.
        differences = [_difference(main, shot) for shot in (playing, in_game, back)]
        assert differences[0] > 0.15 and max(differences[1:]) < 0.1, differences
        game.key_down("alt")
        game.advance(2)
        game.key_down("F4")
        assert game.wait_exit() == 0, game.stderr
        with open(game.path("config.cfg")) as f:
            json.load(f)


def _brightness(png):
    """The mean brightness of an image, 0 to 1."""
    mean = subprocess.run(["convert", png, "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"],
                          check=True, capture_output=True, text=True).stdout
    return float(mean)


def _difference(a, b):
    """The root mean square difference of two images of one size, 0 (the same) to 1."""
    out = subprocess.run(["compare", "-metric", "RMSE", a, b, "null:"], capture_output=True, text=True)
    return float(out.stderr.split("(")[1].rstrip(")\n"))


def _ticker():
    """A frame count for a package that writes none: the time since start, in 50 ms steps."""
    start = time.monotonic()
    return lambda: int((time.monotonic() - start) * 20)
