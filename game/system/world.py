"""The playable scene: a walled quay at dusk, a character to walk around it, a bell to ring."""
import math

import _gtime
import font
import game as engine
import graphics
import input
import physics
import sound

from system import state

ROOM = "Models/Quay/quay.obj"
ROOM_TEXTURE = "Images/QuayTexture.png"
CHARACTERS = {   # id: file prefix, as tools/make_game_data.py writes them
    "JossHartle": "joss", "OrlaVance": "orla", "MinaSorrel": "mina", "DovKestrel": "dov",
    "PellArden": "pell",
}
BELL = "Sounds/bell.wav"
STEP = "Sounds/step.wav"
MUSIC = "Music/harbour.wav"

WALK_SPEED = 3.0      # units per second
TURN_SPEED = 120.0    # degrees per second
GRAVITY = 9.0


def _say(text):
    print(text)


class Actor:
    """What the physics module reads of a moving thing: model, position, rotation."""

    def __init__(self, name, model, x=0.0, y=0.0, z=0.0):
        self.name = name
        self.model = model
        self.x, self.y, self.z = x, y, z
        self.xraxis, self.yraxis, self.zraxis = 0.0, 1.0, 0.0
        self.rotangle = 0.0
        self.heading = 0.0
        self.frame = 0.0


class Game:
    def __init__(self, config):
        self.config = config
        self.playing = False
        self.last_ticks = _gtime.ticks()
        self.fps = 0.0
        self.room = None
        self.player = None
        self.actors = []
        self.step_timer = 0.0
        self.menu_open = True
        self.models = _load_model_support()

    # -- start --------------------------------------------------------------------------------

    def start(self, first="JossHartle", second="MinaSorrel"):
        self.room = Actor("room", self._load_model(ROOM, ROOM_TEXTURE))
        self.player = state.register("player", Actor(first, self._load_character(first), 0.0, 0.1, 0.0))
        companion = state.register("companion",
                                   Actor(second, self._load_character(second), 2.0, 0.1, 2.0))
        state.register("room", self.room)
        self.actors = [self.player, companion]
        sound.playmusic(MUSIC)
        engine.setmenu(False)
        self.playing = True
        _say("Arrows walk, Return rings the bell, Escape opens the menu, Page Up this console.")

    def _load_model(self, path, texture=None):
        if self.models is None:
            return None
        try:
            return self.models.load(path, texture)
        except Exception as error:   # a missing or broken asset must not stop the game
            _say("could not load %s: %s" % (path, error))
            return None

    def _load_character(self, name):
        prefix = CHARACTERS.get(name)
        if prefix is None or self.models is None:
            return None
        try:
            return self.models.load_character(name, prefix)
        except Exception as error:   # a missing or broken asset must not stop the game
            _say("could not load %s: %s" % (name, error))
            return None

    # -- every frame --------------------------------------------------------------------------

    def frame(self):
        now = _gtime.ticks()
        dt = max(0.0, min((now - self.last_ticks) / 1000.0, 0.1))
        self.last_ticks = now
        if dt > 0:
            self.fps = 0.9 * self.fps + 0.1 / dt
        # The menus own the frame until a game starts, and again while the in-game menu is open:
        # whatever the scene drew now would cover them.
        if engine.getmenu():
            self.menu_open = True
            return
        if not self.playing:
            return
        # The key that closed the menu is still "just pressed" in this frame: it neither reopens
        # the menu nor rings the bell.
        keys_fresh = not self.menu_open
        self.menu_open = False
        if keys_fresh and input.iskeytriggered("SC_BUTTON_MENU"):
            engine.entergamemenu()
            self.menu_open = True
            return
        self._walk(dt, keys_fresh)
        self._follow_camera()
        self._draw_scene()
        self._hud()

    def _walk(self, dt, keys_fresh=True):
        p = self.player
        turn = (input.iskeydown("SC_AXIS_LEFT") - input.iskeydown("SC_AXIS_RIGHT")) * TURN_SPEED * dt
        p.heading = (p.heading + turn) % 360.0
        p.rotangle = p.heading
        forward = (input.iskeydown("SC_AXIS_UP") - input.iskeydown("SC_AXIS_DOWN")) * WALK_SPEED * dt
        radians = math.radians(p.heading)
        target = (p.x + math.sin(radians) * forward, p.y - GRAVITY * dt * 0.1,
                  p.z + math.cos(radians) * forward)
        if self.room is not None and self.room.model is not None and p.model is not None:
            try:
                target = physics.handlecollisions(p, target, self.room, self.actors, len(self.actors))
            except (TypeError, ValueError) as error:
                _say("collision: %s" % error)
        p.x, p.y, p.z = target
        p.y = max(p.y, 0.0) if self.room is None or self.room.model is None else p.y
        if forward:
            p.frame = (p.frame + dt * 2.0) % 1.0
            self.step_timer -= dt
            if self.step_timer <= 0:
                sound.playsound(STEP, 60)
                self.step_timer = 0.45
        if keys_fresh and input.action():
            angle = int(math.degrees(math.atan2(-p.x, -p.z))) % 360
            sound.playsoundpos(BELL, angle, min(255, int(math.hypot(p.x, p.z) * 20)))

    def _follow_camera(self):
        p = self.player
        radians = math.radians(p.heading)
        graphics.setcampos(p.x - math.sin(radians) * 6.0, p.y + 3.0, p.z - math.cos(radians) * 6.0)
        graphics.setlookat(p.x, p.y + 1.0, p.z)
        graphics.setupvector(0.0, 1.0, 0.0)

    def _draw_scene(self):
        if self.models is None:
            return
        for actor in [self.room] + self.actors:
            if actor is not None and actor.model is not None:
                self.models.draw(actor)

    def _hud(self):
        width, height = graphics.getwindowsize()
        font.drawstring("%s  %.0f fps" % (self.player.name, self.fps), 10, 10, 16, 1.0, 1.0, 0.8)
        font.drawstring("Arrows walk   Return rings the bell   Escape menu   Page Up console", 10,
                        height - 30, 14,
                        0.8, 0.85, 0.9)


def _load_model_support():
    """The model wrapper, when the engine has the model module; else the scene draws no models."""
    try:
        from system import scene_models
        return scene_models
    except ImportError as error:
        _say("models unavailable: %s" % error)
        return None
