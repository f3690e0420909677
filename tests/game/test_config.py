"""The game's settings file: written at once on every change, atomically and durably."""
import json
import os

import pytest

from system.config import Config


@pytest.fixture
def folder(tmp_path):
    return str(tmp_path)


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
