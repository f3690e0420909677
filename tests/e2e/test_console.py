"""The script console as a player uses it in the real program: Page Up opens it over the game,
keys tapped faster than the frames all arrive in order with their shift state, Return runs the
line in the script namespace with its output in the console, "quit" ends the program."""
from harness import HOOK, Game

# Frames of about 100 ms, slower than a fast typist's keys.
SLOW_HOOK = "import time\ndef step(frame):\n    time.sleep(0.1)\n"


def test_the_console_runs_tapped_lines_and_quits_the_program():
    with Game(files={HOOK: SLOW_HOOK}) as game:
        game.advance(3)
        game.press("Prior")
        for line in ("y = (6 * 7, 'tap')", "y", "print(y[0])"):
            game.tap_text(line)
            game.press("Return")
        game.advance(3)
        assert "(42, 'tap')\n42\n" in game.console(), game.console()

        game.tap_text("quit")
        game.key_down("Return")
        assert game.wait_exit() == 0
        assert game.config_closed()
