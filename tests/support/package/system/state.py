objects = {}


def findobjectbyname(name):
    return objects.get(name)
