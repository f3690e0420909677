"""The shipped game: its settings file and a real run of it."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

import pytest

from harness import SOURCE_DIR, Game

sys.path.insert(0, os.path.join(SOURCE_DIR, "game"))
from system.config import Config  # noqa: E402


@pytest.fixture
def folder():
    path = tempfile.mkdtemp(prefix="brackwater-config-")
    yield path
    shutil.rmtree(path, ignore_errors=True)


def test_settings_survive_a_restart_and_every_change_is_on_disk_at_once(folder):
    path = os.path.join(folder, "config.cfg")
    config = Config(path)
    with pytest.raises(KeyError):
        config["music volume"]
    config["music volume"] = 80
    config["save1"] = "At the quay"
    with open(path) as f:
        assert json.load(f) == {"music volume": 80, "save1": "At the quay"}
    assert not os.path.exists(path + ".tmp")
    reopened = Config(path)
    assert reopened["music volume"] == 80 and reopened["save1"] == "At the quay"


def test_an_unreadable_settings_file_is_set_aside_and_defaults_are_used(folder, capsys):
    path = os.path.join(folder, "config.cfg")
    with open(path, "w") as f:
        f.write('{"music volume": 8')          # cut short, as by a crash of some other writer
    config = Config(path)
    assert "unreadable" in capsys.readouterr().err
    with pytest.raises(KeyError):
        config["music volume"]
    with open(path + ".bad") as f:
        assert f.read() == '{"music volume": 8'
    config["music volume"] = 20
    with open(path) as f:
        assert json.load(f) == {"music volume": 20}


def test_a_failed_save_keeps_the_previous_file(folder):
    path = os.path.join(folder, "config.cfg")
    config = Config(path)
    config["music volume"] = 30
    os.mkdir(path + ".tmp")                      # the temporary file cannot be written
    config["music volume"] = 99
    with open(path) as f:
        assert json.load(f) == {"music volume": 30}


def test_a_save_is_synced_after_its_rename_and_so_is_the_directory_that_holds_it(folder, monkeypatch):
    synced = []
    real_fsync, real_replace = os.fsync, os.replace
    monkeypatch.setattr(os, "fsync", lambda fd: synced.append(
        ("directory" if os.path.isdir("/proc/self/fd/%d" % fd) else "file", os.listdir(folder))) or real_fsync(fd))
    monkeypatch.setattr(os, "replace", lambda a, b: synced.append(("rename",)) or real_replace(a, b))
    Config(os.path.join(folder, "config.cfg"))["music volume"] = 5
    assert synced == [("file", ["config.cfg.tmp"]), ("rename",), ("directory", ["config.cfg"])]


def test_the_shipped_game_starts_plays_and_saves_its_settings_on_quit():
    game_dir = os.path.join(SOURCE_DIR, "game")
    game = Game(package=game_dir)
    subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "tools", "make_game_data.py"),
                    game.dir], check=True)
    # The shipped game writes no frame count: its waits go by the clock instead.
    game.frame = _ticker()
    with game:
        title = _brightness(game.screenshot(os.path.join(game.dir, "title.png")))
        game.press("Return", frames=20)
        game.press("Up", frames=20)
        playing = _brightness(game.screenshot(os.path.join(game.dir, "playing.png")))
        # The title is text on black; the quay fills most of the screen with lit stone.
        assert title < 0.05 and playing > 0.15, (title, playing)
        game.key_down("alt")
        game.advance(2)
        game.key_down("F4")
        assert game.wait_exit() == 0, game.stderr
        with open(game.path("config.cfg")) as f:
            json.load(f)


def _brightness(png):
    """The mean brightness of an image, 0 to 1."""
    mean = subprocess.run(["convert", png, "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"],
                          check=True, capture_output=True, text=True).stdout
    return float(mean)


def _ticker():
    """A frame count for a package that writes none: the time since start, in 50 ms steps."""
    import time
    start = time.monotonic()
    return lambda: int((time.monotonic() - start) * 20)
