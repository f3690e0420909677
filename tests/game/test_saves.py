"""Saving into the ten slots and loading from them, in plain Python."""
import json
import os

import pytest

from system import saves
from system.adventure import Adventure
from system.config import Config


SAVED = dict(Adventure("OrlaVance", "DovKestrel", "warehouse").to_dict(), controlled=1,
             inventory=["matches", "oil"], flags=["warehouse lit", "warehouse open"], seconds=425.5)


class Game(list):
    """Records what the saves module asks of the game: (request, arguments...)."""

    def __getattr__(self, request):
        return lambda *args: self.append((request, *args))


@pytest.fixture
def config(tmp_path):
    return Config(str(tmp_path / "config.cfg"))


def test_a_save_loads_back_exactly_and_names_its_slot_for_the_load_screen(config):
    assert saves.write(config, 3, SAVED) == "Warehouse - 7 min"
    assert saves.slot_names(config) == ["Empty"] * 2 + ["Warehouse - 7 min"] + ["Empty"] * 7
    saves.name_empty_slots(config)
    assert [Config(config.path)["save%d" % n] for n in (1, 3, 10)] == ["Empty", "Warehouse - 7 min", "Empty"]
    game = Game()
    assert saves.load_into(game, config, "save3", Adventure)
    assert [(request, adventure.to_dict()) for request, adventure in game] == [("restore", SAVED)]


@pytest.mark.parametrize("slot, content, message", [
    ("save4", None, "Slot 4 holds no saved game."),
    ("save4", json.dumps(SAVED)[:40].encode(), "The save in slot 4 is damaged."),
    ("save4", b"[1, 2]", "The save in slot 4 is damaged."),
    ("save4", b'{"version": 2, "area": "quay"}', "The save in slot 4 is from another version of the game."),
    ("save4", b'{"version": 1, "area": "quay"}', "The save in slot 4 is damaged: saved game lacks "
     "characters, controlled, inventory, flags, seconds."),
    ("save4", "directory", "The save in slot 4 cannot be read: Is a directory."),
    ("save11", None, "There is no save slot 'save11'."),
])
def test_a_slot_that_cannot_be_loaded_says_why_and_starts_a_new_game(config, capsys, slot, content, message):
    path = saves.slot_path(saves.directory(config), 4)
    os.makedirs(os.path.dirname(path))
    if content == "directory":
        os.mkdir(path)
    elif content is not None:
        with open(path, "wb") as f:
            f.write(content)
    game = Game()
    assert not saves.load_into(game, config, slot, Adventure)
    expected = message + " Starting a new game."
    assert game == [("start", "JossHartle", "MinaSorrel"), ("notify", expected)]
    assert capsys.readouterr().out == expected + "\n"


@pytest.mark.parametrize("failing, reason", [
    ("fsync", "No space left on device"), (None, "Out of range float values are not JSON compliant: nan"),
])
def test_a_save_that_fails_midway_keeps_the_previous_one_and_its_name(config, monkeypatch, failing, reason):
    saves.write(config, 2, SAVED)
    def fail(*args, **kwargs):
        raise OSError(28, "No space left on device")
    if failing:
        monkeypatch.setattr(os, failing, fail)
    with pytest.raises(saves.SaveError) as raised:
        saves.write(config, 2, dict(SAVED, area="lighthouse", seconds=1.0 if failing else float("nan")))
    monkeypatch.undo()
    assert str(raised.value) == "Could not save in slot 2: %s. The previous save is kept." % reason
    assert saves.read(config, 2) == SAVED
    assert config["save2"] == "Warehouse - 7 min"
    assert os.listdir(saves.directory(config)) == ["slot2.json"]


@pytest.mark.parametrize("data, titles, name", [
    ({"area": "quay", "seconds": 59}, None, "Quay - under 1 min"),
    ({"area": "lighthouse_top", "seconds": 3600}, None, "Lighthouse Top - 60 min"),
    ({"area": "quay", "seconds": 130}, {"quay": "The Old Quay"}, "The Old Quay - 2 min"),
    ({"area": "quay", "seconds": "x"}, None, "Quay - under 1 min"),
])
def test_slot_names_give_the_area_and_the_minutes_played(data, titles, name):
    assert saves.describe(data, titles) == name
