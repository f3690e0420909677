"""The menus on the real program, driven by real key events: the credits from the main menu, a
key bound in the control options and the defaults back, a resolution chosen in the video options
resizing the window, and Exit."""
from harness import Game, colour_box, image_size

HIGHLIGHT = (204, 51, 0)   # (0.8, 0.2, 0.0)


def test_the_credits_a_key_bound_and_reset_a_new_resolution_and_exit():
    with Game(files={"system/Credits.txt": "<s 20>\nThe End\n"}) as game:
        game.press("Return", "Return", "Down", "Down", "Down", "Return")           # Credits
        assert colour_box(game.screenshot(), HIGHLIGHT)[2:] == (0, 0)               # no menu on show
        game.press("BackSpace", "Up", "Return", "Down", "Down", "Return")          # Options, Controls
        game.press(*["Down"] * 5, "Return", "F5", "BackSpace", "Up", "Up", "F5")   # F5 acts: Video
        # A full-screen mode change does not resize the window under Xvfb: into a window first.
        game.press("Down", "Return", "Up", "Return", "Right", "Return")            # 1024 x 768
        game.press("BackSpace", "BackSpace", "Down", "Down", "Return", *["Up"] * 5, "Return")  # Defaults
        game.press("BackSpace", "BackSpace", "Up", "Up")
        shot = game.screenshot()
        x, y, _, _ = colour_box(shot, HIGHLIGHT)
        assert image_size(shot) == (1024, 768) and 128 <= x <= 135 and 422 <= y <= 432, (x, y)

        game.press("Down", "Down", "Down", "Down", "F5")            # Exit, and F5 no longer acts
        game.key_down("Return")
        assert game.wait_exit() == 0, game.output("stderr")
        assert game.config_closed()
