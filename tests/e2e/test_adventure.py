"""The shipped adventure played through on the real executable with real key events: from the
first splash through the character select screen, every area and puzzle, to the credits and back
to the menus. The first route also saves, quits, starts again and loads that save; the other
routes prove their pairs can finish too. The game reports its state into a file every frame
(BW_GAME_STATE) and prints to the terminal what its console shows."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pytest

from adventure_routes import ROUTES, SPLASHES, drive, mismatches
from harness import SOURCE_DIR, Game, match_golden

GOLDEN = os.path.join(os.path.dirname(__file__), "golden")
SLOT = 3
TAP_SECONDS = 0.3    # a tap in the menus, held across frames: the engine samples keys once a frame
SAVED_FIELDS = ("version", "area", "characters", "controlled", "inventory", "flags")
# Where the pair stands when a box opens varies a little with the frame rate, and the scene
# with it: these screenshots are compared in their box alone.
REGIONS = {"dialogue": (32, 312, 736, 224), "inventory": (32, 416, 736, 120),
           "save-menu": (60, 40, 520, 488)}
# The credits roll by the frame, so their lines stand a little higher or lower at each run.
SLACK = {"credits": 0.06}


@pytest.fixture(scope="module")
def data():
    folder = tempfile.mkdtemp(prefix="brackwater-data-")
    subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "tools", "make_game_data.py"), folder],
                   check=True, stdout=subprocess.DEVNULL)
    yield folder
    shutil.rmtree(folder, ignore_errors=True)


class Player:
    """Drives one game through a route and checks it at every checkpoint."""

    def __init__(self, game, route):
        self.game, self.route = game, route
        self.state_file = game.env["BW_GAME_STATE"]
        self.shots = set()

    def tap(self, key):
        self.game.key_down(key)
        self.frames_pass(2)
        self.game.key_up(key)
        self.frames_pass(2)

    def frames_pass(self, count):
        """Waits until the game has written its state `count` more times, so that a key pressed
        just before was in the keyboard snapshot of a whole frame. The menus write nothing: there
        a fixed time has to do."""
        def stamp():
            try:
                info = os.stat(self.state_file)
                return info.st_ino, info.st_mtime_ns
            except OSError:
                return None
        last = stamp()
        for _ in range(count):
            deadline = time.monotonic() + (1.0 if last else TAP_SECONDS)
            while stamp() == last and time.monotonic() < deadline:
                time.sleep(0.005)
            last = stamp()

    def hold(self, key, seconds):
        self.game.key_down(key)
        time.sleep(seconds)
        self.game.key_up(key)
        time.sleep(0.05)

    def state(self):
        try:
            with open(self.state_file) as f:
                return json.load(f)
        except (OSError, ValueError):
            return None

    def reached(self, expected, timeout=30):
        """The game's state once it shows everything expected; fails with the last state seen."""
        deadline = time.monotonic() + timeout
        while True:
            state = self.state()
            if state is not None and not mismatches(state, expected):
                return state
            if time.monotonic() > deadline:
                seen = os.path.join(GOLDEN, "%s-failure.actual.png" % self.route)
                self.game.screenshot(seen)
                raise AssertionError("expected %s, the game shows %s (on screen: %s)" % (expected, state, seen))
            self.no_errors()
            time.sleep(0.05)

    def no_errors(self):
        text = self.game.output() + self.game.output("stderr")
        assert "Traceback" not in text, text[text.index("Traceback") - 200:][:3000]

    def shot(self, name):
        path = self.game.screenshot(os.path.join(self.game.dir, name + ".png"))
        match_golden(path, os.path.join(GOLDEN, "%s-%s.png" % (self.route, name)), region=REGIONS.get(name),
                     most=SLACK.get(name, 0.03))
        return path

    def splash_shown(self, timeout=60):
        """Waits for the first frames: a key pressed while the engine still starts up is lost."""
        deadline = time.monotonic() + timeout
        while _brightness(self.game.screenshot(self.game.path("start.png"))) < 0.02:
            assert time.monotonic() < deadline, "the splash screen never showed"
            time.sleep(0.2)
        time.sleep(0.5)

    def keys(self, steps):
        for kind, *args in steps:
            if kind == "tap":
                self.tap(*args)
            else:
                drive((kind, *args), self.tap, self.hold, self.state)

    def play(self, steps, on_save=None):
        for index, (kind, name, *rest) in enumerate(steps):
            if kind != "checkpoint":
                self.keys([(kind, name, *rest)])
                continue
            expected = rest[0]
            state = self.reached(expected)
            golden = self._golden_name(name, expected)
            if golden:
                self.shot(golden)
            if name == "save point":
                if on_save and on_save(state):
                    return steps[index + 1:]
                self.tap("Escape")
        return []

    def _golden_name(self, name, expected):
        """Screenshots at each area's arrival, the first dialogue, the inventory, the credits."""
        for key, golden in (("area", "area-" + str(expected.get("area"))), ("dialogue", "dialogue"),
                            ("inventory_open", "inventory"), ("credits", "credits")):
            if expected.get(key) and golden not in self.shots:
                self.shots.add(golden)
                return golden
        return None


def _brightness(png):
    return float(subprocess.run(["convert", png, "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"],
                                check=True, capture_output=True, text=True).stdout)


def _new_game(data, route):
    game = Game(package=os.path.join(SOURCE_DIR, "game"),
                env={"BRACKWATER_CONSOLE_ECHO": "1"})
    game.env["BW_GAME_STATE"] = game.path("state.json")
    shutil.copytree(data, game.dir, dirs_exist_ok=True)
    start = time.monotonic()
    game.frame = lambda: int((time.monotonic() - start) * 20)   # the shipped game counts no frames
    return game, Player(game, route)


def _quit(game):
    game.key_down("alt")
    time.sleep(TAP_SECONDS)
    game.key_down("F4")
    time.sleep(TAP_SECONDS)
    game.key_up("F4", "alt")
    assert game.wait_exit() == 0, game.stderr


def _back_to_the_menus(player):
    """Return ends the credits (after their first second) and the in-game menu shows, on the
    main menu's bright picture; its last entry leads to the main menu."""
    time.sleep(1.2)
    player.tap("Return")
    deadline = time.monotonic() + 60
    while _brightness(player.game.screenshot(player.game.path("after-credits.png"))) < 0.12:
        assert time.monotonic() < deadline, "the credits never ended"
        time.sleep(0.5)
    player.keys([("tap", "Down")] * 3 + [("tap", "Return")])
    time.sleep(1)
    player.shot("main-menu")


def test_the_first_route_saves_quits_loads_and_plays_to_the_credits(data):
    name = next(iter(ROUTES))
    route = ROUTES[name]
    game, player = _new_game(data, name)
    saved = {}

    def save_quit_and_load(state):
        """Slot 3 of the save menu; the same moment back after a restart and a load."""
        player.shot("save-menu")
        player.keys([("tap", "Down"), ("tap", "Down"), ("tap", "Return")])
        game.wait_for_output("Saved in slot %d: " % SLOT)
        with open(game.path("saves/slot%d.json" % SLOT)) as f:
            saved.update(json.load(f))
        time.sleep(0.5)
        before = game.screenshot(game.path("before-quit.png"))
        _quit(game)
        with open(game.path("config.cfg")) as f:
            assert json.load(f)["save%d" % SLOT].startswith("The quay - ")
        os.remove(player.state_file)
        game.start()
        player.splash_shown()
        player.keys(SPLASHES + [("tap", "Down"), ("tap", "Return")] + [("tap", "Down")] * (SLOT - 1))
        player.shot("load-screen")
        player.tap("Return")
        restored = player.reached({"area": saved["area"], "dialogue": None})
        assert {k: restored[k] for k in SAVED_FIELDS} == {k: saved[k] for k in SAVED_FIELDS}
        assert restored["seconds"] >= saved["seconds"]
        game.wait_for_output("Loaded slot %d: " % SLOT)
        time.sleep(0.5)
        after = game.screenshot(game.path("after-load.png"))
        # The restored scene is the saved one, whatever the notices say above it.
        subprocess.run(["convert", before, "-resize", "25%", game.path("saved-scene.png")], check=True)
        match_golden(after, game.path("saved-scene.png"), most=0.08)
        return True

    with game:
        player.splash_shown()
        player.shot("splash")
        player.keys(SPLASHES + route["select"])
        rest = player.play(route["steps"], on_save=save_quit_and_load)
        assert saved, "the route has no save point"
        player.play(rest)
        _back_to_the_menus(player)
        player.no_errors()


@pytest.mark.parametrize("name", list(ROUTES)[1:])
def test_another_pair_finishes_by_its_own_route(data, name):
    route = ROUTES[name]
    game, player = _new_game(data, name)
    with game:
        player.splash_shown()
        player.keys(SPLASHES + route["select"])
        player.play(route["steps"])
        _back_to_the_menus(player)
        player.no_errors()
