"""The menus on the real executable, driven by real key events. The menu pictures are plain
colours, so a screenshot tells the screens apart; a hook records what the scripts observe."""
import json

from harness import HOOK, Game, colour_box, image_size, pixels, solid_png

RECORDER = """
import json, os
import game
from system import main

def step(frame):
    if os.path.exists("enter-menu"):
        os.remove("enter-menu")
        game.entergamemenu()
    with open("state.tmp", "w") as f:
        json.dump({"menu": game.getmenu(), "calls": main.calls, "config": dict(main.config)}, f)
    os.replace("state.tmp", "state.json")
"""
RED, GREEN, BLUE, GRAY, BLACK = (160, 0, 0), (0, 160, 0), (0, 0, 160), (90, 90, 90), (0, 0, 0)
HIGHLIGHT = (204, 51, 0)   # (0.8, 0.2, 0.0)


def test_splash_options_credits_load_new_game_in_game_menu_resolution_and_exit():
    game = Game(files={HOOK: RECORDER, "system/Credits.txt": "<s 20>\nThe End\n"})
    for name, colour in (("Copyright", RED), ("quillbrook", GREEN), ("MainScreen", BLUE),
                         ("GrayBackground", GRAY)):
        solid_png(game.path("Images/%s.png" % name), colour)

    def state():
        with open(game.path("state.json")) as f:
            return json.load(f)

    def shows(colour):
        """The picture on show, by the colour at (5, 5)."""
        return all(abs(a - b) <= 12 for a, b in zip(pixels(game.screenshot())[5][5], colour))

    def open_in_game_menu():
        game.write("enter-menu", "")
        game.advance(5)

    with game:
        assert shows(RED)
        game.press("Return")
        assert shows(GREEN)
        game.press("Return")
        assert shows(BLUE)

        game.press("Down", "Down", "Return", "Down", "Return", "Return", "Right", "Right", "Right", "Return")
        assert shows(GRAY) and state()["config"]["music volume"] == 53   # 50 by default, +3

        game.press("BackSpace", "Down", "Return", *["Down"] * 5, "Return", "F5")   # Action
        assert state()["config"]["SC_BUTTON_ACTION"] == 286
        game.press("Down", "Return", "Escape")                                     # Cancel
        assert state()["config"].get("SC_BUTTON_CANCEL", 8) == 8
        game.press(*["Up"] * 6, "Return")                                          # Defaults
        assert state()["config"]["SC_BUTTON_ACTION"] == 13

        game.press("BackSpace", "BackSpace", "Down", "Return")                     # Credits
        assert shows(BLACK)
        game.press("BackSpace")
        assert shows(BLUE)

        game.press("Up", "Up", "Return", "Down", "Down", "Return")                 # slot 3
        seen = state()
        assert seen["calls"][-1] == ["loadgame", "save3"] and not seen["menu"] and shows(BLACK)

        open_in_game_menu()
        assert state()["menu"] and shows(BLUE)
        game.press("Escape")
        assert not state()["menu"]

        open_in_game_menu()
        game.press("Down", "Down", "Down", "Return")                               # Exit to Main Menu
        seen = state()
        assert seen["calls"][-2:] == ["close", "setup"] and seen["menu"]
        assert colour_box(game.screenshot(), HIGHLIGHT)[:2] >= (100, 330)          # New Game

        game.press("Return", "Right", "Right", "Right", "Return", "Right", "Return", "Return")
        seen = state()
        assert seen["calls"][-1] == ["initgame", "DovKestrel", "JossHartle"] and not seen["menu"]

        # A full-screen mode change does not resize the window under Xvfb: into a window first.
        open_in_game_menu()
        game.press("Down", "Down", "Down", "Return", "Down", "Down", "Return", "Return")
        game.press("Down", "Return", "Up", "Return", "Right", "Return")            # 1024 x 768
        game.press("BackSpace", "BackSpace", "BackSpace", "Up", "Up")
        shot = game.screenshot()
        x, y, _, _ = colour_box(shot, HIGHLIGHT)
        assert image_size(shot) == (1024, 768) and 128 <= x <= 135 and 422 <= y <= 432, (x, y)

        game.press("Down", "Down", "Down", "Down")
        game.key_down("Return")                                                    # Exit
        assert game.wait_exit() == 0, game.stderr
        assert game.config_closed()
