"""The script console as a player uses it in the real program: Page Up opens it over the game,
a typed line and Return run in the script namespace with its output in the console, "quit" ends
the program."""
import subprocess

from harness import Game

HOOK = "system/hook.py"
# Every frame the hook copies what the scripts wrote to their output streams (which the package
# routes into the console) to a file the test can read; replaced whole, never seen half written.
DUMP_HOOK = (
    "import os\n"
    "from system import console\n"
    "def step(frame):\n"
    "    with open('console.tmp', 'w') as f:\n"
    "        f.write(''.join(console._dump))\n"
    "    os.replace('console.tmp', 'console.txt')\n")


def _pixels(game):
    """The window's pixels as rows of (r, g, b), top row first."""
    shot = game.screenshot()
    raw = subprocess.run(["convert", shot, "-depth", "8", "rgb:-"], check=True, capture_output=True,
                         timeout=30).stdout
    width = 800
    return [[tuple(raw[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(len(raw) // (width * 3))]


def _band_shown(pixels):
    # The band shades from blue 0.3 at its top edge; black below its 240 rows.
    r, g, b = pixels[2][700]
    return r < 10 and g < 10 and 60 <= b <= 90 and pixels[300][700] == (0, 0, 0)


def _dump(game):
    try:
        with open(game.path("console.txt")) as f:
            return f.read()
    except OSError:
        return ""


def test_page_up_opens_the_console_and_a_typed_line_runs_in_the_script_namespace():
    with Game(files={HOOK: DUMP_HOOK}) as game:
        game.advance(3)
        assert not _band_shown(_pixels(game))

        game.press("Prior")
        game.advance(2)
        assert _band_shown(_pixels(game))

        # Unshifted keys only: a shifted symbol sent by xdotool is sometimes lost under the
        # sanitizer's slower frames. The bare name is echoed through the display hook.
        game.type_text("x = 67 - 25")
        game.press("Return")
        game.type_text("x")
        game.press("Return")
        game.advance(3)
        assert "42\n" in _dump(game)

        # The newest log line sits just above the prompt at y = 210, in white.
        pixels = _pixels(game)
        assert any(pixels[y][x] == (255, 255, 255) for y in range(189, 210) for x in range(5, 200))

        game.press("Prior")
        game.advance(2)
        assert not _band_shown(_pixels(game))
        assert game.running()


def test_quit_in_the_console_ends_the_program_after_closing_the_config():
    with Game() as game:
        game.press("Prior")
        game.type_text("quit")
        game.key_down("Return")
        assert game.wait_exit() == 0
        game.key_up("Return")
        assert game.config_closed()
