"""The objects of the running game, by name, for the console and the scripts."""

objects = {}


def register(name, obj):
    objects[name] = obj
    return obj


def findobjectbyname(name):
    return objects.get(name)
