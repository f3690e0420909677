"""The shipped adventure played through on the real executable with real key events: from the
first splash through the character select screen, every area and puzzle, to the credits and back
to the menus. The first route also saves, quits, starts again and loads that save; the other
proves another pair can finish too, with the terminal showing what the game's console shows."""
import json
import os
import shutil
import subprocess
import sys
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
REGIONS = {"dialogue": (32, 312, 736, 224), "ending": (32, 312, 736, 224),
           "inventory": (32, 416, 736, 120), "save-menu": (60, 40, 520, 488)}
# The credits roll by the frame, so their lines stand a little higher or lower at each run.
SLACK = {"credits": 0.06}


@pytest.fixture(scope="module")
def data(tmp_path_factory):
    folder = str(tmp_path_factory.mktemp("data"))
    subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "tools", "make_game_data.py"), folder],
                   check=True, stdout=subprocess.DEVNULL)
    return folder


class Player:
    """Drives one game through a route and checks it at every checkpoint."""

    def __init__(self, data, route):
        self.game = Game(package=os.path.join(SOURCE_DIR, "game"), env={"BRACKWATER_CONSOLE_ECHO": "1"})
        self.route = route
        self.state_file = self.game.env["BW_GAME_STATE"] = self.game.path("state.json")
        shutil.copytree(data, self.game.dir, dirs_exist_ok=True)
        start = time.monotonic()
        self.game.frame = lambda: int((time.monotonic() - start) * 20)   # the shipped game counts no frames

    def tap(self, *keys):
        for key in keys:
            self.game.key_down(key)
            self.frames_pass(2)
            self.game.key_up(key)
            self.frames_pass(2)

    def frames_pass(self, count):
        """Waits for `count` more writes of the state, so that a key pressed just before was in a
        whole frame's keyboard snapshot. The menus write nothing: there a fixed time has to do."""
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
        path = self.game.screenshot(self.game.path(name + ".png"))
        match_golden(path, os.path.join(GOLDEN, "%s-%s.png" % (self.route, name)), region=REGIONS.get(name),
                     most=SLACK.get(name, 0.03))

    def splash_shown(self, timeout=60):
        """Waits for the first frames: a key pressed while the engine still starts up is lost."""
        deadline = time.monotonic() + timeout
        while _brightness(self.game.screenshot(self.game.path("start.png"))) < 0.02:
            assert time.monotonic() < deadline, "the splash screen never showed"
            time.sleep(0.2)
        time.sleep(0.5)

    def play(self, steps):
        for kind, name, *rest in steps:
            if kind == "tap":
                self.tap(name)
            elif kind != "checkpoint":
                drive((kind, name, *rest), self.hold, self.state)
            else:
                self.reached(rest[0])
                if rest[1:]:
                    self.shot(rest[1])
                if name == "save point":
                    self.save_quit_and_load()

    def save_quit_and_load(self):
        """Slot 3 of the save menu, just opened; the same moment back after a restart and a load."""
        game = self.game
        self.tap("Down", "Down", "Return")
        game.wait_for_output("Saved in slot %d: " % SLOT)
        with open(game.path("saves/slot%d.json" % SLOT)) as f:
            self.saved = json.load(f)
        time.sleep(0.5)
        before = game.screenshot(game.path("before-quit.png"))
        game.key_down("alt")
        time.sleep(TAP_SECONDS)
        game.key_down("F4")
        time.sleep(TAP_SECONDS)
        game.key_up("F4", "alt")
        assert game.wait_exit() == 0, game.output("stderr")
        os.remove(self.state_file)
        game.start()
        self.splash_shown()
        self.tap(*SPLASHES, "Down", "Return", *["Down"] * (SLOT - 1))
        self.shot("load-screen")
        self.tap("Return")
        restored = self.reached({"area": self.saved["area"], "dialogue": None})
        assert {k: restored[k] for k in SAVED_FIELDS} == {k: self.saved[k] for k in SAVED_FIELDS}
        assert restored["seconds"] >= self.saved["seconds"]
        time.sleep(0.5)
        after = game.screenshot(game.path("after-load.png"))
        # The restored scene is the saved one, whatever the notices say above it.
        subprocess.run(["convert", before, "-resize", "25%", game.path("saved-scene.png")], check=True)
        match_golden(after, game.path("saved-scene.png"), most=0.08)

    def back_to_the_menus(self):
        """Return ends the credits (after their first second) and the in-game menu shows, on the
        main menu's bright picture; its last entry leads to the main menu, whose last ends the game."""
        time.sleep(1.2)
        self.tap("Return")
        deadline = time.monotonic() + 60
        while _brightness(self.game.screenshot(self.game.path("after-credits.png"))) < 0.12:
            assert time.monotonic() < deadline, "the credits never ended"
            time.sleep(0.5)
        self.tap("Down", "Down", "Down", "Return")
        time.sleep(1)
        self.shot("main-menu")
        self.tap("Up")
        self.game.key_down("Return")
        assert self.game.wait_exit() == 0, self.game.output("stderr")
        self.game.key_up("Return")


def _brightness(png):
    return float(subprocess.run(["convert", png, "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"],
                                check=True, capture_output=True, text=True).stdout)


@pytest.mark.parametrize("name", ROUTES)
def test_a_pair_plays_from_the_splash_through_every_area_and_the_credits_to_exit_from_the_menus(data, name):
    player = Player(data, name)
    with player.game:
        player.splash_shown()
        if name == "joss-orla":   # the same splash starts every route
            player.shot("splash")
        player.tap(*SPLASHES, *ROUTES[name]["select"])
        assert [c["id"] for c in player.reached({})["characters"]] == list(ROUTES[name]["pair"])
        player.play(ROUTES[name]["steps"])
        player.back_to_the_menus()
        player.no_errors()
