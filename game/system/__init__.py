"""Brackwater's shipped game: the `system` package the engine imports from its working folder."""
