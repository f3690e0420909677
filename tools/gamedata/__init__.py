"""The generators of the shipped game's assets, run through tools/make_game_data.py."""
