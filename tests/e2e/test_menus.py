"""The menus on the real executable, driven by real key events: the splash screens, the options
stored in the configuration, credits, load game, a new game with two chosen characters, the
in-game menu, a resolution change and "Exit". The menu pictures are plain colours so that a
screenshot tells the screens apart; a hook records what the scripts observe on every frame."""
import json

from harness import Game, extent, read_rgb, solid_png

HOOK = """
import json, os
import game
from system import main

def step(frame):
    if os.path.exists("enter-menu"):
        os.remove("enter-menu")
        game.entergamemenu()
    state = {"menu": game.getmenu(), "calls": main.calls, "config": dict(main.config)}
    with open("state.tmp", "w") as f:
        json.dump(state, f)
    os.replace("state.tmp", "state.json")
"""

RED, GREEN, BLUE, GRAY = (160, 0, 0), (0, 160, 0), (0, 0, 160), (90, 90, 90)
HIGHLIGHT = (204, 51, 0)   # (0.8, 0.2, 0.0)
FILES = {
    "system/hook.py": HOOK,
    "system/Credits.txt": "<s 20>\nThe End\n",
    "Images/Copyright.png": solid_png(64, 64, RED),
    "Images/quillbrook.png": solid_png(64, 64, GREEN),
    "Images/MainScreen.png": solid_png(64, 64, BLUE),
    "Images/GrayBackground.png": solid_png(64, 64, GRAY),
}


def state(game):
    with open(game.path("state.json")) as f:
        return json.load(f)


def corner(game):
    """The colour at the window's top-left corner: which picture is on show."""
    width, _, rgb = read_rgb(game.screenshot())
    return tuple(rgb[width * 15 + 5 * 3:width * 15 + 5 * 3 + 3])   # pixel (5, 5)


def keys(game, *names):
    for name in names:
        game.press(name)


def near(colour, expected, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def test_splash_options_credits_load_new_game_in_game_menu_and_exit():
    with Game(files=FILES) as game:
        assert near(corner(game), RED)
        keys(game, "Return")
        assert near(corner(game), GREEN)
        keys(game, "Return")
        assert near(corner(game), BLUE)

        # Options -> Sound: the music volume goes from the default 50 to 53 on Confirm.
        keys(game, "Down", "Down", "Return", "Down", "Return")
        assert near(corner(game), GRAY)
        keys(game, "Return", "Right", "Right", "Right", "Return")
        assert state(game)["config"]["music volume"] == 53

        # Controls: Action to F5; a bound key (escape) only ends the wait; Defaults.
        keys(game, "BackSpace", "Down", "Return", "Down", "Down", "Down", "Down", "Down", "Return", "F5")
        assert state(game)["config"]["SC_BUTTON_ACTION"] == 286
        keys(game, "Down", "Return", "Escape")
        assert state(game)["config"].get("SC_BUTTON_CANCEL", 8) == 8
        keys(game, *["Up"] * 6, "Return")
        assert state(game)["config"]["SC_BUTTON_ACTION"] == 13

        # Credits and back.
        keys(game, "BackSpace", "BackSpace", "Down", "Return")
        assert near(corner(game), (0, 0, 0))
        keys(game, "BackSpace")
        assert near(corner(game), BLUE)

        # Load Game -> slot 3: the scripts own the frame.
        keys(game, "Up", "Up", "Return", "Down", "Down", "Return")
        seen = state(game)
        assert seen["calls"][-1] == ["loadgame", "save3"] and not seen["menu"]
        assert near(corner(game), (0, 0, 0))

        # In play the scripts open the in-game menu; escape resumes.
        game.write("enter-menu", "")
        game.advance(5)
        assert state(game)["menu"] and near(corner(game), BLUE)
        keys(game, "Escape")
        assert not state(game)["menu"]

        # Exit to Main Menu resets the scripts and shows the main menu with New Game highlighted.
        game.write("enter-menu", "")
        game.advance(5)
        keys(game, "Down", "Down", "Down", "Return")
        seen = state(game)
        assert seen["calls"][-2:] == ["close", "setup"] and seen["menu"]
        box = extent(game.screenshot(), HIGHLIGHT)
        assert box and 100 <= box[0] <= 106 and 330 <= box[1] <= 340, box

        # New Game: characters 3 then 0, Yes.
        keys(game, "Return", "Right", "Right", "Right", "Return", "Right", "Return", "Return")
        seen = state(game)
        assert seen["calls"][-1] == ["initgame", "DovKestrel", "JossHartle"] and not seen["menu"]

        # Back to the main menu, Video Options: into a window (a full-screen mode change does not
        # resize the window under Xvfb), then the next mode, 1024 x 768, which moves New Game.
        game.write("enter-menu", "")
        game.advance(5)
        keys(game, "Down", "Down", "Down", "Return", "Down", "Down", "Return", "Return")
        keys(game, "Down", "Return", "Up", "Return", "Right", "Return")
        game.advance(10)
        keys(game, "BackSpace", "BackSpace", "BackSpace", "Up", "Up")
        shot = game.screenshot()
        assert read_rgb(shot)[:2] == (1024, 768)
        box = extent(shot, HIGHLIGHT)
        assert box and 128 <= box[0] <= 135 and 422 <= box[1] <= 432, box

        # Exit ends the process with status 0, the configuration closed.
        keys(game, "Down", "Down", "Down", "Down")
        game.key_down("Return")
        assert game.wait_exit() == 0, game.stderr
        assert game.config_closed()
