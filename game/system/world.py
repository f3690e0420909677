"""The playable scene: the pair walking the harbour's three places, the things in them, the
dialogue, the inventory and the ending. What happens at each thing is decided by system.story
over the plain state in system.adventure; this module draws it and plays it."""
import json
import math
import os

import _gtime
import font
import game as engine
import graphics
import input
import physics
import sound

from system import state, story
from system.words import key_name, wrap
from system.adventure import AREAS, Adventure

CHARACTERS = {   # id: file prefix, as tools/make_game_data.py writes them
    "JossHartle": "joss", "OrlaVance": "orla", "MinaSorrel": "mina", "DovKestrel": "dov",
    "PellArden": "pell",
}
MENU_MUSIC = "Music/menu.wav"
STEPS = {"stone": "Sounds/step.wav", "wood": "Sounds/step_wood.wav"}
CREDITS_FILE = "system/Credits.txt"

WALK_SPEED = 3.0      # units per second
TURN_SPEED = 120.0    # degrees per second
FALL_SPEED = 4.0
FOLLOW_GAP = 1.5      # how far behind the leader the other one walks
NOTICE_SECONDS = 4.0

# Where a prop's model stands when that differs from where it is used: (x, y, z, heading).
PLACES = {"tower gate": (4.0, 0.0, -4.3, 0.0), "oil": (-4.9, 0.0, -3.8, 90.0), "lantern": (-2.0, 0.0, -6.3, 0.0),
          "fuse box": (2.6, 0.0, -6.9, 0.0), "terminal": (-6.2, 0.0, -3.0, 90.0), "bell": (-7.0, 0.0, -3.0, 0.0),
          "foghorn": (-4.0, 0.0, -1.0, 150.0), "board": (2.0, 0.0, 9.4, 180.0), "cat": (5.5, 3.45, 5.5, 200.0)}
SOLID = {"keeper", "dog", "board", "tower gate"}

# Light 0 in each place: ambient and diffuse colours.
LIGHTS = {"quay": ((0.38, 0.36, 0.4), (1.0, 0.82, 0.66)), "warehouse": ((0.32, 0.28, 0.24), (0.9, 0.78, 0.6)),
          "dark warehouse": ((0.06, 0.06, 0.08), (0.12, 0.12, 0.16)),
          "lighthouse": ((0.3, 0.32, 0.38), (0.78, 0.84, 1.0))}
# Sounds the places make now and then: (file, x, z, every so many seconds).
AMBIENCE = {"quay": [("Sounds/gulls.wav", -9.0, -9.5, 9.0), ("Sounds/water.wav", 0.0, -14.0, 4.0)],
            "warehouse": [],
            "lighthouse": [("Sounds/water.wav", 0.0, -12.0, 5.0), ("Sounds/gulls.wav", 8.0, 8.0, 13.0),
                           ("Sounds/foghorn.wav", -4.0, -1.0, 24.0)]}


def _say(text):
    print(text)


class Actor:
    """What the physics module reads of a moving thing: model, position, rotation."""

    def __init__(self, name, model, x=0.0, y=0.0, z=0.0, heading=0.0):
        self.name = name
        self.model = model
        self.x, self.y, self.z = x, y, z
        self.xraxis, self.yraxis, self.zraxis = 0.0, 1.0, 0.0
        self.rotangle = heading
        self.heading = heading
        self.frame = 0.0
        self.nudges = 0


class Game:
    AREAS = AREAS

    def __init__(self, config):
        self.config = config
        self.playing = False
        self.last_ticks = _gtime.ticks()
        self.adventure = None
        self.room = None
        self.props = {}           # thing id -> Actor
        self.pair = []            # one Actor per character, in the adventure's order
        self.trail = []
        self.menu_open = True
        self.music = None
        self.dialogue = None      # lines shown in the box until Return
        self.after_dialogue = None
        self.inventory_open = False
        self.notice, self.notice_left = None, 0.0
        self.credits_left = None
        self.step_timer = 0.0
        self.ambience_timers = {}
        self.flag = None
        self.models = _load_model_support()
        self.cache = {}
        self.clock = 0.0
        self.frame_seconds = 0.0

    # Starting, restoring and moving between places.

    def start(self, first="JossHartle", second="MinaSorrel"):
        self._begin(Adventure(first, second))
        self.enter_area("quay", "start")
        self.notify("Wren the keeper is waiting on the quay. %s: talk." % self._key("SC_BUTTON_ACTION", 13))

    def restore(self, adventure):
        """Plays on from a restored adventure, everyone exactly where they were saved."""
        self._begin(adventure)
        self._load_area(adventure.area)
        self._place_from_adventure()

    def _begin(self, adventure):
        self.adventure = adventure
        self.dialogue = self.after_dialogue = None
        self.inventory_open = False
        self.credits_left = None
        self.pair = [state.register(name, Actor(c.ident, self._load_character(c.ident)))
                     for name, c in zip(("player", "companion"), adventure.characters)]
        engine.setmenu(False)
        # Started from a menu, whose Return is still down in this frame: it must not act on
        # whatever the pair stands in front of.
        self.menu_open = True
        self.playing = True

    def enter_area(self, name, came_from=None):
        """Puts the pair at the area's entrance (the follower behind) and plays its music."""
        if self.adventure is None:
            self._begin(Adventure("JossHartle", "MinaSorrel"))
        a = self.adventure
        if came_from is None:
            came_from = a.area if a.area != name else None
        a.area = name
        x, z, heading = story.entrance(name, came_from)
        radians = math.radians(heading)
        a.leader.x, a.leader.y, a.leader.z, a.leader.heading = x, 0.05, z, heading
        a.follower.x, a.follower.y, a.follower.z = (x - math.sin(radians) * FOLLOW_GAP, 0.05,
                                                    z - math.cos(radians) * FOLLOW_GAP)
        a.follower.heading = heading
        self._load_area(name)
        self._place_from_adventure()

    def _place_from_adventure(self):
        for actor, c in zip(self.pair, self.adventure.characters):
            actor.x, actor.y, actor.z, actor.heading = c.x, c.y, c.z, c.heading
            actor.rotangle = c.heading
        leader, follower = self._leader(), self._follower()
        self.trail = [(follower.x, follower.y, follower.z), (leader.x, leader.y, leader.z)]

    def _load_area(self, name):
        area = story.AREAS[name]
        title = name.capitalize()
        self.room = state.register("room", Actor("room", self._load_model(
            "Models/%s/%s.obj" % (title, name), "Images/%sTexture.png" % title)))
        self.props = {}
        for thing in story.things_in(name):
            if thing.model:
                x, y, z, heading = PLACES.get(thing.ident, (thing.x, thing.y, thing.z, None))
                if heading is None:
                    ex, ez, _ = next(iter(area["entrances"].values()))
                    heading = math.degrees(math.atan2(ex - x, ez - z))
                self.props[thing.ident] = Actor(thing.ident, self._prop_model(thing.model), x, y, z, heading)
        self.ambience_timers = {file: 1.0 + 1.5 * k for k, (file, _, _, _) in enumerate(AMBIENCE[name])}
        self.flag = self._make_flag() if name == "quay" else None
        self._play_music(area["music"])

    def _load_model(self, path, texture=None, library=None):
        if self.models is None:
            return None
        key = (path, texture)
        if key not in self.cache:
            try:
                self.cache[key] = self.models.load(path, texture, library)
            except Exception as error:   # a missing or broken asset must not stop the game
                _say("could not load %s: %s" % (path, error))
                self.cache[key] = None
        return self.cache[key]

    def _prop_model(self, name):
        if name != "keeper":
            return self._load_model("Models/Props/%s.obj" % name, None, "Models/Props/props.mtl")
        if self.models is None:
            return None
        if "keeper" not in self.cache:
            try:
                self.cache["keeper"] = self.models.load_frames(
                    "Models/Props/keeper.mtl", ["Models/Props/keeper_%d.obj" % f for f in range(4)],
                    "Images/KeeperTexture.png")
            except Exception as error:   # a missing or broken asset must not stop the game
                _say("could not load the keeper: %s" % error)
                self.cache["keeper"] = None
        return self.cache["keeper"]

    def _load_character(self, name):
        prefix = CHARACTERS.get(name)
        if prefix is None or self.models is None:
            return None
        if name not in self.cache:
            try:
                self.cache[name] = self.models.load_character(name, prefix)
            except Exception as error:   # a missing or broken asset must not stop the game
                _say("could not load %s: %s" % (name, error))
                self.cache[name] = None
        return self.cache[name]

    def _make_flag(self):
        cloth = getattr(physics, "cloth", None)
        if cloth is None:
            return None
        try:
            flag = cloth(1.6, 1.0, 12, 8, "Images/FlagTexture.png")
            flag.pin(0, 0)
            flag.pin(0, 7)
            flag.setposition(8.08, 4.9, -9.0)
            flag.setrotation(0.0)
            return flag
        except Exception as error:   # the flag is decoration: the game goes on without it
            _say("no flag: %s" % error)
            return None

    def _play_music(self, path):
        if path != self.music:
            self.music = path
            sound.playmusic(path)

    def notify(self, text):
        """A message at the top of the screen for a few seconds."""
        self.notice, self.notice_left = text, NOTICE_SECONDS

    def open_save_menu(self):
        savemenu = _savemenu()
        if savemenu is None:
            self.notify("Saving is not available.")
        else:
            savemenu.SaveMenu.open(self)

    # Every frame.

    def frame(self):
        now = _gtime.ticks()
        dt = max(0.0, min((now - self.last_ticks) / 1000.0, 0.25))
        self.last_ticks = now
        self.frame_seconds = dt
        # The menus own the frame until a game starts, and again while the in-game menu is open:
        # whatever the scene drew now would cover them.
        if engine.getmenu():
            self.menu_open = True
            self._play_music(MENU_MUSIC)
            return
        if not self.playing:
            return
        # The key that closed the menu is still "just pressed" in this frame: it neither reopens
        # the menu nor acts in the scene.
        keys_fresh = not self.menu_open
        if self.menu_open:
            self.menu_open = False
            self._play_music(story.AREAS[self.adventure.area]["music"])
        self.clock += dt
        savemenu = _savemenu()
        if savemenu is not None and savemenu.is_open():
            self._draw_world()
            savemenu.frame()
            return
        if self.credits_left is not None:
            self._credits(dt, keys_fresh)
            return
        if keys_fresh and input.iskeytriggered("SC_BUTTON_MENU"):
            engine.entergamemenu()
            self.menu_open = True
            return
        self.adventure.seconds += dt
        if keys_fresh:
            self._controls(dt)
        self._follow(dt)
        self._store_positions()
        self._ambience(dt)
        self._draw_world()
        self._hud(dt)
        self._report()

    def _leader(self):
        return self.pair[self.adventure.controlled]

    def _follower(self):
        return self.pair[1 - self.adventure.controlled]

    def _controls(self, dt):
        if self.dialogue is not None:
            if input.action() or input.cancel():
                self._close_dialogue()
            return
        if self.inventory_open:
            if input.inventory() or input.action() or input.cancel():
                self.inventory_open = False
            return
        self._walk(dt)
        if input.switch():
            self.adventure.switch()
            self.trail = [(a.x, a.y, a.z) for a in (self._follower(), self._leader())]
            self.notify("You are %s now." % self.adventure.leader.name)
        elif input.inventory():
            self.inventory_open = True
        elif input.iskeytriggered("SDLK_F5"):
            self.open_save_menu()
        elif input.action():
            thing = self._target()
            if thing is not None:
                _, run = story.action(self.adventure, thing)
                self._show(run(), thing)

    def _target(self):
        p = self._leader()
        return story.nearest(self.adventure, p.x, p.z, p.heading)

    def _show(self, outcome, thing):
        if outcome.sound:
            self._sound_at(outcome.sound, thing.x, thing.z)
        self.dialogue = outcome.lines

        def then():
            if outcome.goto:
                self.enter_area(outcome.goto)
            if outcome.save:
                self.open_save_menu()
            if outcome.ending:
                self._start_credits()
        self.after_dialogue = then

    def _close_dialogue(self):
        then, self.dialogue, self.after_dialogue = self.after_dialogue, None, None
        if then:
            then()

    def _walk(self, dt):
        p = self._leader()
        turn = (input.iskeydown("SC_AXIS_LEFT") - input.iskeydown("SC_AXIS_RIGHT")) * TURN_SPEED * dt
        p.heading = (p.heading + turn) % 360.0
        p.rotangle = p.heading
        forward = (input.iskeydown("SC_AXIS_UP") - input.iskeydown("SC_AXIS_DOWN")) * WALK_SPEED * dt
        radians = math.radians(p.heading)
        self._move(p, p.x + math.sin(radians) * forward, p.z + math.cos(radians) * forward, dt)
        if forward:
            p.frame = (p.frame + dt * 1.6) % 1.0
            self.step_timer -= dt
            if self.step_timer <= 0:
                sound.playsound(STEPS[story.surface(self.adventure.area, p.x, p.z, p.y)], 50)
                self.step_timer = 0.42
        else:
            p.frame = 0.0
        last = self.trail[-1]
        if math.dist(last, (p.x, p.y, p.z)) > 0.25:
            self.trail = (self.trail + [(p.x, p.y, p.z)])[-60:]

    def _move(self, mover, x, z, dt):
        target = (x, mover.y - FALL_SPEED * dt, z)
        if self.room is not None and self.room.model is not None and mover.model is not None:
            # The follower keeps out of the leader's way, but the leader walks through the
            # follower: a partner standing in a doorway must never block the way back.
            movers = [mover] if mover is self._leader() else self.pair
            others = [a for a in movers if a.model is not None] + [
                prop for ident, prop in self.props.items()
                if ident in SOLID and prop.model is not None and story.visible(self.adventure, story.BY_ID[ident])]
            try:
                target = physics.handlecollisions(mover, target, self.room, others, len(others))
            except (TypeError, ValueError) as error:
                _say("collision: %s" % error)
                target = (x, mover.y, z)
        else:
            target = (x, max(0.0, target[1]), z)
        wanted = math.hypot(x - mover.x, z - mover.z)
        stuck = wanted > 0.01 and math.hypot(target[0] - mover.x, target[2] - mover.z) < 0.1 * wanted
        mover.x, mover.y, mover.z = target
        # Crossing a step's edge at a slant, the sweep can leave the figure a little inside the
        # step, after which every move is refused; a lift of a few centimetres frees it. A few
        # lifts in a row at most, so that nobody climbs a wall by walking into it.
        if stuck and mover.nudges < 3:
            mover.nudges += 1
            mover.y += 0.12
        elif not stuck:
            mover.nudges = 0
        if mover.y < -3.0:     # fell through a gap: back where the area is entered
            mover.y = 0.05

    def _follow(self, dt):
        leader, follower = self._leader(), self._follower()
        if math.hypot(leader.x - follower.x, leader.z - follower.z) <= FOLLOW_GAP + 0.2:
            follower.frame = 0.0
            self._move(follower, follower.x, follower.z, dt)
            return
        # Walk the leader's trail: through a doorway or up the stairs, never across a wall.
        goal, walked = self.trail[0], 0.0
        previous = (leader.x, leader.y, leader.z)
        for point in reversed(self.trail):
            walked += math.dist(previous, point)
            previous = point
            if walked >= FOLLOW_GAP:
                goal = point
                break
        dx, dz = goal[0] - follower.x, goal[2] - follower.z
        distance = math.hypot(dx, dz)
        if distance < 0.05:
            return
        step = min(distance, WALK_SPEED * 1.15 * dt)
        follower.heading = follower.rotangle = math.degrees(math.atan2(dx, dz)) % 360.0
        self._move(follower, follower.x + dx / distance * step, follower.z + dz / distance * step, dt)
        follower.frame = (follower.frame + dt * 1.6) % 1.0

    def _store_positions(self):
        for actor, c in zip(self.pair, self.adventure.characters):
            c.x, c.y, c.z, c.heading = actor.x, actor.y, actor.z, actor.heading

    def _sound_at(self, path, x, z):
        """An effect from a place in the world, heard from where the leader stands and faces."""
        p = self._leader()
        angle = int(story.bearing(p.heading, x - p.x, z - p.z)) % 360
        distance = min(255, int(math.hypot(x - p.x, z - p.z) * 12))
        sound.playsoundpos(path, angle, distance)

    def _ambience(self, dt):
        for path, x, z, every in AMBIENCE[self.adventure.area]:
            self.ambience_timers[path] = self.ambience_timers.get(path, every) - dt
            if self.ambience_timers[path] <= 0:
                self.ambience_timers[path] = every
                self._sound_at(path, x, z)

    def _report(self):
        """For the play-through tests: the state each frame, in the file $BW_GAME_STATE names."""
        path = os.environ.get("BW_GAME_STATE")
        if not path:
            return
        d = self.adventure.to_dict()
        thing = self._target()
        d.update(frame_seconds=self.frame_seconds, dialogue=self.dialogue, inventory_open=self.inventory_open, credits=self.credits_left is not None,
                 target=thing.ident if thing else None)
        try:
            with open(path + ".tmp", "w", encoding="utf-8") as f:
                json.dump(d, f)
            os.replace(path + ".tmp", path)
        except OSError as error:
            _say("state report: %s" % error)
            os.environ.pop("BW_GAME_STATE", None)

    # Drawing.

    def _draw_world(self):
        self._light()
        self._camera()
        if self.models is None:
            return
        for actor in [self.room] + list(self.props.values()):
            if actor is not None and actor.model is not None and \
                    (actor is self.room or story.visible(self.adventure, story.BY_ID[actor.name])):
                if actor.name == "keeper":
                    actor.frame = (self.clock / 3.0) % 1.0
                self.models.draw(actor)
        for actor in self.pair:
            if actor.model is not None:
                self.models.draw(actor)
        self._draw_flag()
        if "lamp lit" in self.adventure.flags and self.adventure.area == "lighthouse":
            self._glow()

    def _light(self):
        area = self.adventure.area
        if area == "warehouse" and "warehouse lit" not in self.adventure.flags:
            area = "dark warehouse"
        ambient, diffuse = LIGHTS[area]
        graphics.setlight(0, "AMBIENT", *ambient, 1.0)
        graphics.setlight(0, "DIFFUSE", *diffuse, 1.0)
        graphics.setlight(0, "POSITION", -5.0, 7.0, 10.0, 0.0)

    def _camera(self):
        p = self._leader()
        radians = math.radians(p.heading)
        x0, z0, x1, z1 = story.AREAS[self.adventure.area]["inside"]
        x = min(x1, max(x0, p.x - math.sin(radians) * 5.5))
        z = min(z1, max(z0, p.z - math.cos(radians) * 5.5))
        graphics.setcampos(x, p.y + 4.6, z)
        graphics.setlookat(p.x + math.sin(radians) * 1.5, p.y + 0.6, p.z + math.cos(radians) * 1.5)
        graphics.setupvector(0.0, 1.0, 0.0)

    def _draw_flag(self):
        if self.flag is None:
            return
        try:
            sway = math.sin(self.clock * 0.7)
            self.flag.wind(1.4 + 0.6 * sway, 0.0, 0.5 * sway)
            self.flag.step(min(self.frame_seconds, 0.05))
            self.flag.draw()
        except Exception as error:   # the flag is decoration: the game goes on without it
            _say("flag: %s" % error)
            self.flag = None

    def _glow(self):
        x, y = graphics.projcoord(0.0, 8.8, 7.5)
        width, height = graphics.getwindowsize()
        graphics.push2d()
        pulse = 0.5 + 0.5 * math.sin(self.clock * 2.0)
        for r, a in ((60, 0.15), (36, 0.3), (18, 0.6)):
            size = r * (1.0 + 0.2 * pulse)
            graphics.drawrect(x - size, height - y - size, 2 * size, 2 * size, 1.0, 0.92, 0.6, a)
        graphics.pop2d()

    def _key(self, button, default):
        try:
            number = self.config[button]
        except (KeyError, TypeError):
            number = default
        return key_name(number)

    def _hud(self, dt):
        width, height = graphics.getwindowsize()
        a = self.adventure
        title = story.AREAS[a.area]["title"]
        font.drawstring("%s  -  %s (%s)" % (title, a.leader.name, a.leader.ability), 12, 10, 18, 1.0, 0.95, 0.8)
        if self.notice_left > 0:
            self.notice_left -= dt
            _box(width / 2 - 300, 44, 600, 34)
            font.drawstring(self.notice, width / 2 - 290, 50, 17, 1.0, 1.0, 0.85)
        act, inv, switch = (self._key("SC_BUTTON_ACTION", 13), self._key("SC_BUTTON_INVENTORY", 305),
                            self._key("SC_BUTTON_SWITCH", 9))
        menu = self._key("SC_BUTTON_MENU", 27)
        if self.dialogue is not None:
            self._text_box(self.dialogue + ["(%s)" % act])
        elif self.inventory_open:
            self._text_box(story.inventory_lines(a) + ["(%s closes)" % inv])
        else:
            thing = self._target()
            if thing is not None:
                verb, _ = story.action(a, thing)
                _box(12, height - 76, min(width - 24, 40 + 11 * len(verb)), 30)
                font.drawstring("%s: %s" % (act, verb), 20, height - 71, 18, 1.0, 1.0, 0.6)
        font.drawstring("Arrows walk  %s act  %s switch  %s carry  F5 save  %s menu" % (act, switch, inv, menu),
                        12, height - 32, 15, 0.85, 0.88, 0.95)

    def _text_box(self, lines):
        width, height = graphics.getwindowsize()
        wrapped = []
        for line in lines:
            wrapped += wrap(line, int((width - 100) / 10.5))
        top = height - 60 - 26 * len(wrapped) - 24
        _box(30, top, width - 60, 26 * len(wrapped) + 20)
        for k, line in enumerate(wrapped):
            font.drawstring(line, 46, top + 10 + 26 * k, 19, 1.0, 1.0, 0.92)

    # The ending.

    def _start_credits(self):
        width, height = graphics.getwindowsize()
        try:
            with open(CREDITS_FILE, encoding="utf-8") as f:
                seconds = story.credits_seconds(f.read(), height)
        except OSError:
            seconds = 30.0
        engine.startcredits(height)
        self.credits_left = seconds
        self.credits_shown = 0.0

    def _credits(self, dt, keys_fresh):
        width, height = graphics.getwindowsize()
        graphics.push2d()
        graphics.drawrect(0, 0, width, height, 0.02, 0.03, 0.07, 1.0)
        graphics.pop2d()
        done = engine.updatecredits()
        self.credits_left -= dt
        self.credits_shown += dt
        skipped = keys_fresh and self.credits_shown > 1.0 and (input.action() or input.cancel() or input.menu())
        if done is True or self.credits_left <= 0 or skipped:
            self.credits_left = None
            engine.entergamemenu()
            self.menu_open = True


def _box(x, y, w, h):
    graphics.push2d()
    graphics.drawrect(x, y, w, h, 0.04, 0.06, 0.1, 0.78)
    graphics.drawrect(x, y, w, 2, 0.9, 0.8, 0.5, 0.9)
    graphics.pop2d()


_SAVEMENU = []


def _savemenu():
    """The save menu's module, or None where this game has none; looked up once."""
    if not _SAVEMENU:
        try:
            from system import savemenu
        except ImportError:
            savemenu = None
        _SAVEMENU.append(savemenu)
    return _SAVEMENU[0]


def _load_model_support():
    """The model wrapper, when the engine has the model module; else the scene draws no models."""
    try:
        from system import scene_models
        return scene_models
    except ImportError as error:
        _say("models unavailable: %s" % error)
        return None
