"""The program entry as a player meets it: frames advance, the quit chords, the close button,
SystemExit from the scripts, and script errors that do not stop the game."""
import pytest

from harness import HOOK, Game


# Keycode 134 is the right Super key of the X server's keymap. Its keysym name would not do:
# xdotool then presses the left key (133) first, and the game rightly sees Left Meta.
@pytest.mark.parametrize("keys,quits", [
    (("alt", "F4"), True),
    (("F4", "alt"), False),
    (("ctrl", "F4"), False),
    (("Super_L", "q"), True),
    (("134", "q"), False),
], ids=["alt then F4", "F4 then alt", "ctrl then F4", "left meta Q", "right meta Q"])
def test_only_alt_then_f4_and_left_meta_then_q_quit_and_they_close_the_config_first(keys, quits):
    with Game() as game:
        game.advance(5)
        for key in keys[:-1]:
            game.key_down(key)
            game.advance(2)
        game.key_down(keys[-1])
        if quits:
            assert game.wait_exit() == 0 and game.config_closed()
        else:
            game.advance(5)
            assert game.process.poll() is None
        game.key_up(*reversed(keys))


def test_closing_the_window_quits():
    with Game() as game:
        game.advance(3)
        game.close_window()
        assert game.wait_exit() == 0 and game.config_closed()


def test_an_error_in_the_frame_step_is_printed_and_system_exit_later_ends_with_its_status():
    hook = ("def step(frame):\n"
            "    if frame == 5:\n"
            "        raise ValueError('broken step')\n"
            "    if frame == 20:\n"
            "        raise SystemExit(3)\n")
    with Game(files={HOOK: hook}) as game:
        assert game.wait_exit() == 3 and game.config_closed()
        assert "ValueError: broken step" in game.console()
