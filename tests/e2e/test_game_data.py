"""The game's asset generator makes character models the engine can animate, also for the
character no walkthrough plays."""
import glob
import os
import re
import subprocess
import sys
import tempfile

from harness import SOURCE_DIR

GENERATOR = os.path.join(SOURCE_DIR, "tools", "make_game_data.py")


def _counts(path):
    with open(path) as f:
        text = f.read()
    return len(re.findall(r"^v ", text, re.M)), len(re.findall(r"^vn ", text, re.M))


def test_every_keyframe_matches_its_first_and_uses_only_materials_of_its_library():
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([sys.executable, GENERATOR, folder], check=True, timeout=240)
        animations = {}
        for path in glob.glob(folder + "/Models/Characters/*/*_*_*.obj"):
            animations.setdefault(path.rsplit("_", 1)[0], []).append(path)
        assert len(animations) == 10, sorted(animations)      # five characters, idle and walk
        for name, frames in animations.items():
            counts = {_counts(path) for path in frames}
            # The engine blends frames by index: each frame as many normals as vertices, and
            # every frame as many of both as the first.
            assert len(counts) == 1 and all(v == vn for v, vn in counts), (name, counts)
            library = open(frames[0]).read().split("\n")[1].split(" ", 1)[1]
            used = set(re.findall(r"^usemtl (\S+)", open(frames[0]).read(), re.M))
            defined = set(re.findall(r"^newmtl (\S+)", open(os.path.join(os.path.dirname(name), library)).read(), re.M))
            assert used <= defined, (name, used - defined)
