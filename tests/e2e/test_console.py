"""The script console as a player uses it in the real program: Page Up opens it over the game,
a typed line and Return run in the script namespace with its output in the console, keys tapped
faster than the frames all arrive, "quit" ends the program."""
from harness import HOOK, Game, pixels

# Frames of about 100 ms, slower than a fast typist's keys.
SLOW_HOOK = "import time\ndef step(frame):\n    time.sleep(0.1)\n"


def _band_shown(shown):
    # The band shades from blue 0.3 at its top edge; black below its 240 rows.
    r, g, b = shown[2][700]
    return r < 10 and g < 10 and 60 <= b <= 90 and shown[300][700] == (0, 0, 0)


def test_the_console_opens_runs_typed_and_tapped_lines_closes_and_quits_the_program():
    with Game(files={HOOK: SLOW_HOOK}) as game:
        game.advance(3)
        assert not _band_shown(pixels(game.screenshot()))
        game.press("Prior")
        game.advance(2)
        assert _band_shown(pixels(game.screenshot()))

        # Held keys, echoed through the display hook; then keys each down and up again between
        # two frames, still every character in order with its own shift state.
        game.type_text("x = 67 - 25")
        game.press("Return")
        game.type_text("x")
        game.press("Return")
        game.tap_text("y = (6 * 7, 'tap')")
        game.press("Return")
        game.tap_text("print(y)")
        game.press("Return")
        game.advance(3)
        assert "42\n" in game.console() and "(42, 'tap')\n" in game.console()

        # The newest log line sits just above the prompt at y = 210, in white.
        shown = pixels(game.screenshot())
        assert any(shown[y][x] == (255, 255, 255) for y in range(189, 210) for x in range(5, 200))

        game.press("Prior")
        game.advance(2)
        assert not _band_shown(pixels(game.screenshot()))
        game.press("Prior")
        game.type_text("quit")
        game.key_down("Return")
        assert game.wait_exit() == 0
        game.key_up("Return")
        assert game.config_closed()
