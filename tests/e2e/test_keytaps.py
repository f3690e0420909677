"""Keys pressed and released between two frames, as a fast typist's keys on a slow frame, still
reach the console: every character, in order, with its own shift state."""
from harness import Game

HOOK = "system/hook.py"
# Frames of about 100 ms, and what the scripts wrote to their output copied to a file.
SLOW_HOOK = (
    "import os, time\n"
    "from system import console\n"
    "def step(frame):\n"
    "    time.sleep(0.1)\n"
    "    with open('console.tmp', 'w') as f:\n"
    "        f.write(''.join(console._dump))\n"
    "    os.replace('console.tmp', 'console.txt')\n")


def test_keys_tapped_faster_than_the_frames_all_type_in_order():
    with Game(files={HOOK: SLOW_HOOK}) as game:
        game.advance(3)
        game.press("Prior")
        game.tap_text("y = (6 * 7, 'tap')")
        game.press("Return")
        game.tap_text("print(y)")
        game.press("Return")
        game.advance(3)
        with open(game.path("console.txt")) as f:
            assert "(42, 'tap')\n" in f.read()
