"""The adventure's logic without the engine: every pair can finish, and saved state round-trips."""
import itertools
import json

import pytest

from system import story, words
from system.adventure import CHARACTERS, Adventure


def play_through(first, second):
    """Plays as a first-timer would: every thing in every reachable area, as either character,
    until nothing new happens, and every way out must arrive at an entrance kept for where it
    leaves from. Returns the adventure."""
    a = Adventure(first, second)
    seen_areas = {"quay"}
    for _ in range(40):
        before = (sorted(a.flags), list(a.inventory), sorted(seen_areas))
        for area in sorted(seen_areas):
            a.area = area
            for thing in story.things_in(area):
                for _ in range(2):
                    a.switch()
                    if not story.visible(a, thing):
                        continue
                    verb, run = story.action(a, thing)
                    outcome = run()
                    assert outcome.lines and all(outcome.lines), (thing.ident, verb)
                    if outcome.goto:
                        assert area in story.AREAS[outcome.goto]["entrances"], thing.ident
                        seen_areas.add(outcome.goto)
                    if outcome.ending:
                        return a
        if before == (sorted(a.flags), list(a.inventory), sorted(seen_areas)):
            return a
    return a


@pytest.mark.parametrize("first,second", list(itertools.permutations(CHARACTERS, 2)))
def test_every_ordered_pair_reaches_the_ending_and_its_adventure_round_trips_through_json(first, second):
    a = play_through(first, second)
    assert {"warehouse open", "warehouse lit", "cat moved", "tower open", "lamp lit", "finished"} <= a.flags
    assert Adventure.from_dict(json.loads(json.dumps(a.to_dict()))).to_dict() == a.to_dict()


def test_a_locked_door_names_the_partner_who_could_open_it():
    a = Adventure("OrlaVance", "DovKestrel")
    lines = story.perform(a, "warehouse door").lines
    assert lines[-1] == "Dov could open that keypad. (Tab switches to Dov.)"
    a.switch()
    assert story.perform(a, "warehouse door").lines[-1] == "The lock clicks. The warehouse is open."


@pytest.mark.parametrize("change,message", [
    (lambda d: d.update(area="moon"), "saved game: unknown area 'moon'"),
    (lambda d: d["characters"].pop(), "saved game must hold two characters"),
    (lambda d: d["characters"][1].update(id="Nobody"), "saved game: unknown character 'Nobody'"),
    (lambda d: d["characters"][1].update(id="JossHartle"),
     "saved game: the two characters must differ, both are 'JossHartle'"),
    (lambda d: d["characters"][0].update(x="1"), "saved game: character x must be a finite number, not '1'"),
    (lambda d: d["characters"][1].update(y=1e30), "saved game: character y 1e+30 is outside the world"),
    (lambda d: d.update(controlled=True), "saved game: controlled must be 0 or 1"),
    (lambda d: d.update(inventory=["cake"]), "saved game: unknown item 'cake'"),
    (lambda d: d.update(flags="lamp lit"), "saved game: the flags must be a list"),
    (lambda d: d.update(seconds=-1), "saved game: seconds played is negative"),
])
def test_malformed_saves_and_wrong_pairs_or_places_are_refused_with_a_clear_message(change, message):
    d = Adventure("JossHartle", "OrlaVance").to_dict()
    change(d)
    with pytest.raises(ValueError) as error:
        Adventure.from_dict(d)
    assert str(error.value).startswith(message)
    with pytest.raises(ValueError, match="mapping"):
        Adventure.from_dict([d])


def test_the_credits_last_until_the_last_line_is_half_way_up():
    # Size 12 lines advance 14 pixels, size 30 ones 35; the third line starts at 49.
    assert story.credits_seconds("<s 30>\nA\n<s 12>\nB\nC\n", 600) == pytest.approx((49 + 300) / 20 + 1)


def test_the_keeper_hints_at_the_next_step_as_the_story_goes_on():
    a = Adventure("JossHartle", "OrlaVance")
    hints = [story.hint(a)]
    for flags, items in ((["warehouse open"], []), (["cat moved"], ["lighthouse key"]), ([], ["oil"])):
        a.flags.update(flags)
        a.inventory += items
        hints.append(story.hint(a))
    assert [h.split()[0] for h in hints] == ["The", "Pepper", "The", "Take"] and len(set(hints)) == 4


@pytest.mark.parametrize("area,x,z,y,expected", [
    ("quay", 0.0, 0.0, 0.0, "stone"), ("quay", 0.0, -9.0, 0.0, "wood"), ("warehouse", 0.0, 0.0, 0.0, "wood"),
    ("lighthouse", 0.0, 0.0, 0.0, "stone"), ("lighthouse", 4.0, 0.0, 1.2, "wood"),
])
def test_footsteps_sound_of_what_is_underfoot(area, x, z, y, expected):
    assert story.surface(area, x, z, y) == expected


def test_bound_keys_are_named_as_a_player_knows_them_and_text_wraps_between_words():
    assert [words.key_name(k) for k in (13, 305, 284, 97, 999)] == ["Return", "Right Ctrl", "F3", "A", "key 999"]
    assert words.wrap("a bb ccc dddddd e", 6) == ["a bb", "ccc", "dddddd", "e"]


def test_the_inventory_lists_what_is_carried_in_the_order_it_was_found():
    a = Adventure("JossHartle", "OrlaVance")
    assert story.inventory_lines(a) == ["You carry nothing yet."]
    a.give("oil")
    a.give("matches")
    a.give("oil")
    assert story.inventory_lines(a) == ["You carry:", "- a can of lamp oil", "- a box of matches, from Wren"]
