"""The game's asset generator: the same bytes on every run, and models the engine can animate."""
import filecmp
import glob
import os
import re
import subprocess
import sys
import tempfile

from harness import SOURCE_DIR

GENERATOR = os.path.join(SOURCE_DIR, "tools", "make_game_data.py")


def _generate(folder):
    subprocess.run([sys.executable, GENERATOR, folder], check=True, timeout=240)


def _counts(path):
    with open(path) as f:
        text = f.read()
    return len(re.findall(r"^v ", text, re.M)), len(re.findall(r"^vn ", text, re.M))


def test_two_runs_write_identical_files_and_every_keyframe_matches_its_first():
    with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
        _generate(first)
        _generate(second)
        files = sorted(os.path.relpath(p, first) for p in glob.glob(first + "/**/*", recursive=True)
                       if os.path.isfile(p))
        assert files and files == sorted(os.path.relpath(p, second) for p in
                                         glob.glob(second + "/**/*", recursive=True) if os.path.isfile(p))
        _, mismatch, errors = filecmp.cmpfiles(first, second, files, shallow=False)
        assert not mismatch and not errors, mismatch + errors

        animations = {}
        for path in glob.glob(first + "/Models/Characters/*/*_*_*.obj"):
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
