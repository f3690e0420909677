"""The graphics module as the game's scripts meet it in the real executable: 2D drawing that
reaches the screen, the camera and window as the scripts see them, and mode changes of the real
window."""
import json
import re
import subprocess

from harness import Game

HOOK = "system/hook.py"

DRAWING_HOOK = """
import json
import game
import graphics

def step(frame):
    game.setmenu(False)
    if frame == 2:
        with open("seen.json", "w") as f:
            json.dump({"size": graphics.getwindowsize(), "campos": graphics.getcampos(),
                       "centre": graphics.projcoord(0, 0, 1)}, f)
    graphics.push2d()
    graphics.drawrect(100, 50, 40, 30, 1, 0, 0)
    graphics.drawtriangle(300, 300, 300, 400, 400, 400, 0, 0, 1)
    graphics.pop2d()
"""


def pixel(path, x, y):
    """The (r, g, b) of one pixel of a PNG, through ImageMagick."""
    text = subprocess.run(["convert", path, "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-"],
                          check=True, capture_output=True, text=True).stdout
    found = re.search(r"\((\d+),(\d+),(\d+)", text.splitlines()[-1])
    return tuple(int(v) for v in found.groups())


def test_scripts_draw_in_2d_and_see_the_camera_and_the_window():
    with Game(files={HOOK: DRAWING_HOOK}) as game:
        game.advance(5)
        shot = game.screenshot()
        with open(game.path("seen.json")) as f:
            seen = json.load(f)
        assert seen["size"] == [800, 600]
        assert seen["campos"] == [0.0, 0.0, -10.0]
        assert [round(v) for v in seen["centre"]] == [400, 300]
        assert pixel(shot, 110, 60) == (255, 0, 0)
        assert pixel(shot, 139, 79) == (255, 0, 0)
        assert pixel(shot, 141, 60) == (0, 0, 0)
        assert pixel(shot, 310, 390) == (0, 0, 255)
        assert pixel(shot, 390, 310) == (0, 0, 0)
        assert game.running()


MODE_HOOK = """
import os
import graphics

results = []

def step(frame):
    if os.path.exists("quit"):
        raise SystemExit(0)
    if frame == 3:
        results.append(graphics.setupwindow(640, 480))
        results.append(graphics.getwindowsize())
        results.append(graphics.setupwindow(-1, 480))
        results.append(graphics.getwindowsize())
        with open("modes.txt", "w") as f:
            f.write(repr(results))
"""


def test_a_script_changes_the_real_window_and_survives_a_refused_mode():
    with Game(files={HOOK: MODE_HOOK}) as game:
        game.advance(5)
        with open(game.path("modes.txt")) as f:
            assert f.read() == "[True, (640, 480), False, (640, 480)]"
        geometry = subprocess.run(["xdotool", "getwindowgeometry", game.window], capture_output=True,
                                  text=True, env=game.env).stdout
        assert "Geometry: 640x480" in geometry, geometry
        game.advance(3)
        game.write("quit", "")
        assert game.wait_exit() == 0
        assert "Couldn't set -1x480x0 video mode: " in game.stderr
