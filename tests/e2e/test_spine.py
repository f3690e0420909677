"""The program entry as a player meets it: frames advance, the quit chords, the close button,
SystemExit from the scripts, and script errors that do not stop the game."""
import pytest

from harness import Game

HOOK = "system/hook.py"


def test_frames_advance_and_alt_f4_quits_after_closing_the_config():
    with Game() as game:
        game.advance(5)
        game.key_down("alt")
        game.advance(2)
        game.key_down("F4")
        assert game.wait_exit() == 0
        game.key_up("F4", "alt")
        assert game.config_closed()


def test_f4_held_before_alt_does_not_quit():
    with Game() as game:
        game.key_down("F4")
        game.advance(3)
        game.key_down("alt")
        game.advance(5)
        game.key_up("alt", "F4")
        game.advance(3)
        assert game.running()


def test_left_meta_q_quits_and_right_meta_q_does_not():
    # Keycode 134 is the right Super key of the X server's keymap. Its keysym name would not do:
    # xdotool then presses the left key (133) first, and the game rightly sees Left Meta.
    with Game() as game:
        game.key_down("134")
        game.advance(2)
        game.press("q")
        game.key_up("134")
        game.advance(3)
        assert game.running()

        game.key_down("Super_L")
        game.advance(2)
        game.key_down("q")
        assert game.wait_exit() == 0
        game.key_up("q", "Super_L")


def test_closing_the_window_quits():
    with Game() as game:
        game.advance(3)
        game.close_window()
        assert game.wait_exit() == 0
        assert game.config_closed()


def test_system_exit_in_the_frame_step_ends_with_its_status_after_cleanup():
    hook = "def step(frame):\n    if frame == 10:\n        raise SystemExit(3)\n"
    with Game(files={HOOK: hook}) as game:
        assert game.wait_exit() == 3
        assert game.config_closed()


def test_an_exception_in_the_frame_step_does_not_stop_the_frames():
    hook = (
        "from system import console\n"
        "def step(frame):\n"
        "    if frame == 5:\n"
        "        raise ValueError('broken step')\n"
        "    if frame == 8:\n"
        "        open('console.txt', 'w').write(''.join(console._dump))\n")
    with Game(files={HOOK: hook}) as game:
        game.wait_for_frame(20)
        assert game.running()
        with open(game.path("console.txt")) as f:
            assert "ValueError: broken step" in f.read()
