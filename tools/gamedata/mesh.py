"""Meshes for the engine's OBJ reader: every vertex carries its own normal at the same index, so
each keyframe has as many "vn" lines as "v" lines, which is what the engine's frame blending
needs. Shapes are lofts (rings of points swept along a path) with normals taken from the surface
itself, so round things shade smoothly, and boxes with flat faces."""
import math


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def scale(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def length(a):
    return math.sqrt(dot(a, a))


def unit(a, fallback=(0.0, 1.0, 0.0)):
    n = length(a)
    return scale(a, 1.0 / n) if n > 1e-9 else fallback


def lerp(a, b, t):
    return add(a, scale(sub(b, a), t))


def rotate_x(v, angle):
    """Turns a vector about the x axis; a positive angle swings "down" (0, -1, 0) forward to +z,
    as a leg or an arm swings forward, and tips "up" backward."""
    c, s = math.cos(angle), math.sin(angle)
    return (v[0], v[1] * c + v[2] * s, -v[1] * s + v[2] * c)


def rotate_y(v, angle):
    c, s = math.cos(angle), math.sin(angle)
    return (v[0] * c + v[2] * s, v[1], -v[0] * s + v[2] * c)


def rotate_z(v, angle):
    c, s = math.cos(angle), math.sin(angle)
    return (v[0] * c - v[1] * s, v[0] * s + v[1] * c, v[2])


class Mesh:
    def __init__(self):
        self.v, self.vn, self.vt = [], [], []
        self.groups = {}     # material -> triangles of (vertex, texcoord) index pairs, 0-based

    def _triangle(self, material, corners):
        """Keeps every triangle counter-clockwise seen from the side its normals point to."""
        (a, _), (b, _), (c, _) = corners
        face = cross(sub(self.v[b], self.v[a]), sub(self.v[c], self.v[a]))
        if length(face) < 1e-12:
            return
        smooth = add(add(self.vn[a], self.vn[b]), self.vn[c])
        if dot(face, smooth) < 0:
            corners = (corners[0], corners[2], corners[1])
        self.groups.setdefault(material, []).append(corners)

    def loft(self, material, rings, uv, segments=12, frame=None):
        """A surface through `rings`: each is (centre, axis, rx, rz), a ring of `segments` points
        around `axis` with radii rx (along the frame's first direction) and rz. A ring with zero
        radii closes the surface there. `uv` is the (u0, v0, u1, v1) patch of the texture the
        surface is wrapped in, u running round, v along the rings; u = middle faces +z."""
        grid = []
        for centre, axis, rx, rz in rings:
            axis = unit(axis)
            side = unit(sub((1.0, 0.0, 0.0), scale(axis, axis[0])), (0.0, 0.0, 1.0)) \
                if frame is None else frame
            front = cross(side, axis)
            if front[2] < 0 and abs(front[2]) > 1e-6:
                front = scale(front, -1)
            row = []
            for j in range(segments + 1):
                a = 2 * math.pi * (j / segments - 0.5)
                row.append(add(centre, add(scale(side, math.sin(a) * rx), scale(front, math.cos(a) * rz))))
            grid.append(row)
        rows = len(grid)
        base_v, base_t = len(self.v), len(self.vt)
        u0, v0, u1, v1 = uv
        for i, row in enumerate(grid):
            centre, axis = rings[i][0], unit(rings[i][1])
            for j, p in enumerate(row):
                jp, jm = (j + 1) % segments, (j - 1) % segments
                around = sub(row[jp], row[jm])
                along = sub(grid[min(i + 1, rows - 1)][j], grid[max(i - 1, 0)][j])
                n = cross(around, along)
                if length(n) < 1e-9 or rings[i][2] < 1e-6 and rings[i][3] < 1e-6:
                    n = scale(axis, -1.0 if i == 0 else 1.0)
                n = unit(n)
                outward = sub(p, centre)
                if length(outward) > 1e-9 and dot(n, outward) < 0:
                    n = scale(n, -1)
                self.v.append(p)
                self.vn.append(n)
                self.vt.append((u0 + (u1 - u0) * j / segments, v0 + (v1 - v0) * i / (rows - 1)))
        stride = segments + 1
        for i in range(rows - 1):
            for j in range(segments):
                a = base_v + i * stride + j
                ta = base_t + i * stride + j
                quad = [(a, ta), (a + 1, ta + 1), (a + stride + 1, ta + stride + 1), (a + stride, ta + stride)]
                self._triangle(material, (quad[0], quad[1], quad[2]))
                self._triangle(material, (quad[0], quad[2], quad[3]))

    def ellipsoid(self, material, centre, radii, uv, segments=12, rings=8, turn=None):
        """`turn` (a function of a vector) orients the ellipsoid, applied before moving it."""
        turn = turn or (lambda v: v)
        rx, ry, rz = radii
        axis = turn((0.0, 1.0, 0.0))
        side = turn((1.0, 0.0, 0.0))
        steps = []
        for i in range(rings + 1):
            b = math.pi * i / rings
            steps.append((add(centre, scale(axis, -math.cos(b) * ry)), axis,
                          math.sin(b) * rx, math.sin(b) * rz))
        self.loft(material, steps, (uv[0], uv[3], uv[2], uv[1]), segments, frame=side)

    def limb(self, material, joints, uv, segments=10):
        """A tube through `joints` [(point, radius)], rounded shut at both ends."""
        rings = []
        points = [p for p, _ in joints]
        for k, (p, r) in enumerate(joints):
            before = points[max(k - 1, 0)]
            after = points[min(k + 1, len(points) - 1)]
            rings.append((p, sub(after, before), r, r))
        first_axis, last_axis = unit(rings[0][1]), unit(rings[-1][1])
        r0, r1 = joints[0][1], joints[-1][1]
        rings.insert(0, (sub(points[0], scale(first_axis, r0 * 0.6)), first_axis, 0.0, 0.0))
        rings.insert(1, (sub(points[0], scale(first_axis, r0 * 0.35)), first_axis, r0 * 0.8, r0 * 0.8))
        rings.append((add(points[-1], scale(last_axis, r1 * 0.35)), last_axis, r1 * 0.8, r1 * 0.8))
        rings.append((add(points[-1], scale(last_axis, r1 * 0.6)), last_axis, 0.0, 0.0))
        self.loft(material, rings, uv, segments)

    def box(self, material, centre, size, uv, turn=None):
        """A box with flat faces; `turn` orients it about its centre."""
        turn = turn or (lambda v: v)
        hx, hy, hz = (s / 2 for s in size)
        faces = [((1, 0, 0), (0, 0, -1), (0, 1, 0)), ((-1, 0, 0), (0, 0, 1), (0, 1, 0)),
                 ((0, 1, 0), (1, 0, 0), (0, 0, -1)), ((0, -1, 0), (1, 0, 0), (0, 0, 1)),
                 ((0, 0, 1), (1, 0, 0), (0, 1, 0)), ((0, 0, -1), (-1, 0, 0), (0, 1, 0))]
        u0, v0, u1, v1 = uv
        for n, du, dv in faces:
            half = (hx, hy, hz)
            c = tuple(n[k] * half[k] for k in range(3))
            eu = tuple(du[k] * half[k] for k in range(3))
            ev = tuple(dv[k] * half[k] for k in range(3))
            base_v, base_t = len(self.v), len(self.vt)
            for su, sv, tu, tv in ((-1, -1, u0, v1), (1, -1, u1, v1), (1, 1, u1, v0), (-1, 1, u0, v0)):
                p = add(c, add(scale(eu, su), scale(ev, sv)))
                self.v.append(add(centre, turn(p)))
                self.vn.append(unit(turn(n)))
                self.vt.append((tu, tv))
            quad = [(base_v + k, base_t + k) for k in range(4)]
            self._triangle(material, (quad[0], quad[1], quad[2]))
            self._triangle(material, (quad[0], quad[2], quad[3]))

    def transform(self, point_map, normal_map):
        self.v = [point_map(p) for p in self.v]
        self.vn = [unit(normal_map(n)) for n in self.vn]

    def obj(self, mtllib):
        lines = ["# Made by tools/make_game_data.py", "mtllib %s" % mtllib]
        lines += ["v %.4f %.4f %.4f" % p for p in self.v]
        # Texture patches are laid out as in the image, top row first; OBJ counts v from the bottom.
        lines += ["vt %.4f %.4f" % (u, 1.0 - v) for u, v in self.vt]
        lines += ["vn %.4f %.4f %.4f" % n for n in self.vn]
        for material, tris in self.groups.items():
            lines.append("usemtl %s" % material)
            for tri in tris:
                lines.append("f " + " ".join("%d/%d/%d" % (v + 1, t + 1, v + 1) for v, t in tri))
        return "\n".join(lines) + "\n"


def mtl(materials):
    lines = ["# Made by tools/make_game_data.py"]
    for name, colour, texture in materials:
        # The engine reads exactly these four lines, in this order, after "newmtl".
        lines += ["newmtl %s" % name, "Ns 10.0", "Ka %.3f %.3f %.3f" % tuple(c * 0.4 for c in colour),
                  "Kd %.3f %.3f %.3f" % colour, "Ks 0.100 0.100 0.100", "d 1.0"]
        if texture:
            lines.append("map_Kd %s" % texture)
        lines.append("")
    return "\n".join(lines)
