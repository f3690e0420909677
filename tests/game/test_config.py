"""The game's settings file: written at once on every change, atomically and durably."""
import json
import os

import pytest

from system.config import Config


@pytest.fixture
def path(tmp_path):
    return str(tmp_path / "config.cfg")


def _on_disk(path):
    with open(path) as f:
        return json.load(f)


def test_settings_survive_a_restart_and_every_change_is_on_disk_at_once_or_not_at_all(path):
    config = Config(path)
    config["music volume"] = 80
    config["save1"] = "At the quay"
    assert _on_disk(path) == {"music volume": 80, "save1": "At the quay"}
    reopened = Config(path)
    assert reopened["music volume"] == 80 and reopened["save1"] == "At the quay"
    os.mkdir(path + ".tmp")                      # the temporary file cannot be written
    config["music volume"] = 99
    assert _on_disk(path) == {"music volume": 80, "save1": "At the quay"}


def test_an_unreadable_settings_file_is_set_aside_and_defaults_are_used(path, capsys):
    with open(path, "w") as f:
        f.write('{"music volume": 8')          # cut short, as by a crash of some other writer
    config = Config(path)
    assert "unreadable" in capsys.readouterr().err
    with pytest.raises(KeyError):
        config["music volume"]
    with open(path + ".bad") as f:
        assert f.read() == '{"music volume": 8'
    config["music volume"] = 20
    assert _on_disk(path) == {"music volume": 20}


def test_a_save_is_synced_after_its_rename_and_so_is_the_directory_that_holds_it(path, monkeypatch):
    synced = []
    real_fsync, real_replace = os.fsync, os.replace
    monkeypatch.setattr(os, "fsync", lambda fd: synced.append(
        ("directory" if os.path.isdir("/proc/self/fd/%d" % fd) else "file",
         os.listdir(os.path.dirname(path)))) or real_fsync(fd))
    monkeypatch.setattr(os, "replace", lambda a, b: synced.append(("rename",)) or real_replace(a, b))
    Config(path)["music volume"] = 5
    assert synced == [("file", ["config.cfg.tmp"]), ("rename",), ("directory", ["config.cfg"])]
