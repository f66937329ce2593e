#!/usr/bin/env python3
"""Writes meshes/boss.dae: the boss spacecraft (hull, cockpit, swept wings, engine pods, tail fin) as COLLADA 1.4.1.

Every part is a closed surface. Parts are built in whatever orientation is convenient and then turned so that
each triangle runs clockwise seen from outside (in the file's right-handed frame). The importer's left-handed
conversion mirrors z and flips every triangle, which keeps them clockwise from outside, the game's front faces.
"""
import math
import os
import sys


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def normalize(a):
    n = math.sqrt(dot(a, a))
    return (a[0] / n, a[1] / n, a[2] / n) if n > 0 else (0.0, 1.0, 0.0)


class Part:
    """A closed surface: vertices with texture coordinates and triangles over them."""

    def __init__(self, smooth=True):
        self.positions = []
        self.uvs = []
        self.triangles = []
        self.smooth = smooth

    def vertex(self, p, uv):
        self.positions.append(p)
        self.uvs.append(uv)
        return len(self.positions) - 1

    def triangle(self, a, b, c):
        pa, pb, pc = self.positions[a], self.positions[b], self.positions[c]
        if dot(cross(sub(pb, pa), sub(pc, pa)), cross(sub(pb, pa), sub(pc, pa))) > 1e-14:
            self.triangles.append((a, b, c))

    def signed_volume(self):
        v = 0.0
        for a, b, c in self.triangles:
            v += dot(self.positions[a], cross(self.positions[b], self.positions[c])) / 6.0
        return v

    def make_clockwise_outside(self):
        # Counter-clockwise closed surfaces have positive signed volume in a right-handed frame.
        if self.signed_volume() > 0:
            self.triangles = [(a, c, b) for a, b, c in self.triangles]
        assert self.signed_volume() < 0

    def normals(self):
        """Outward unit normals: averaged over coincident vertices for smooth parts, per face for flat ones."""
        acc = {}
        for a, b, c in self.triangles:
            pa, pb, pc = self.positions[a], self.positions[b], self.positions[c]
            # Triangles are clockwise from outside here, so this cross product points outwards.
            n = cross(sub(pc, pa), sub(pb, pa))
            for i in (a, b, c):
                key = tuple(round(x, 5) for x in self.positions[i]) if self.smooth else i
                s = acc.get(key, (0.0, 0.0, 0.0))
                acc[key] = (s[0] + n[0], s[1] + n[1], s[2] + n[2])
        out = []
        for i, p in enumerate(self.positions):
            key = tuple(round(x, 5) for x in p) if self.smooth else i
            out.append(normalize(acc.get(key, (0.0, 1.0, 0.0))))
        return out


def loft(rings, segments):
    """Closed surface through rings of points around the z axis; rings[i](j) gives point j of ring i.
    The first and last rings should shrink to a point to close the ends."""
    part = Part()
    grid = []
    for i, ring in enumerate(rings):
        row = []
        for j in range(segments + 1):
            row.append(part.vertex(ring(j % segments), (j / segments, i / (len(rings) - 1))))
        grid.append(row)
    for i in range(len(rings) - 1):
        for j in range(segments):
            a, b = grid[i][j], grid[i][j + 1]
            c, d = grid[i + 1][j + 1], grid[i + 1][j]
            part.triangle(a, b, c)
            part.triangle(a, c, d)
    return part


def superellipse_ring(z, cx, cy, half_width, half_height, exponent, segments):
    def point(j):
        a = 2 * math.pi * j / segments
        c, s = math.cos(a), math.sin(a)
        x = math.copysign(abs(c) ** (2 / exponent), c) * half_width
        y = math.copysign(abs(s) ** (2 / exponent), s) * half_height
        return (cx + x, cy + y, z)

    return point


def hull():
    segments, stations = 32, 24
    z_tail, z_nose = -1.15, 1.25
    rings = []
    for i in range(stations + 1):
        t = i / stations
        z = z_tail + (z_nose - z_tail) * t
        # Blunt tail, widest just behind the middle, a long pointed nose.
        if t < 0.08:
            shape = math.sqrt(t / 0.08) * 0.75
        else:
            shape = 0.75 + 0.25 * math.sin(math.pi * min(1.0, (t - 0.08) / 0.5))
            if t > 0.45:
                shape *= math.cos((t - 0.45) / 0.55 * math.pi / 2) ** 0.8
        if i == stations:
            shape = 0.0
        rings.append(superellipse_ring(z, 0.0, 0.0, 0.42 * shape, 0.2 * shape, 2.6, segments))
    return loft(rings, segments)


def ellipsoid(centre, radii, segments=24, stacks=12):
    rings = []
    for i in range(stacks + 1):
        phi = math.pi * i / stacks
        s, c = math.sin(phi), -math.cos(phi)
        rings.append(superellipse_ring(centre[2] + radii[2] * c, centre[0], centre[1], radii[0] * s, radii[1] * s, 2.0,
                                       segments))
    return loft(rings, segments)


def engine_pod(x, y, z_back, z_front, radius, segments=20):
    profile = [  # (fraction along the pod, radius factor)
        (0.0, 0.0), (0.0, 0.7), (0.04, 0.85), (0.1, 1.0), (0.7, 1.0), (0.88, 0.8), (1.0, 0.3), (1.0, 0.0)
    ]
    rings = []
    for f, r in profile:
        z = z_back + (z_front - z_back) * f
        rings.append(superellipse_ring(z, x, y, radius * r, radius * r, 2.0, segments))
    part = loft(rings, segments)
    part.smooth = True
    return part


def slab(outline_top, outline_bottom):
    """Flat-shaded prism between two outlines of the same number of points (a wing or a fin)."""
    part = Part(smooth=False)
    n = len(outline_top)

    def face(points, uvs):
        idx = [part.vertex(p, uv) for p, uv in zip(points, uvs)]
        for k in range(1, len(idx) - 1):
            part.triangle(idx[0], idx[k], idx[k + 1])

    def planar_uv(p):
        return (p[0] * 0.5 + 0.5, p[2] * 0.5 + 0.5)

    face(outline_top, [planar_uv(p) for p in outline_top])
    face(list(reversed(outline_bottom)), [planar_uv(p) for p in reversed(outline_bottom)])
    for k in range(n):
        a, b = outline_top[k], outline_top[(k + 1) % n]
        c, d = outline_bottom[(k + 1) % n], outline_bottom[k]
        face([a, d, c, b], [(0, 0), (0, 1), (1, 1), (1, 0)])
    return part


def wing(side):
    # Swept, tapered wing from the hull's flank to the engine pod; outline in x, z, thick at the root.
    root_front, root_back = 0.55, -0.75
    tip_front, tip_back = -0.05, -0.75
    root_x, tip_x = 0.25, 1.1
    outline = [(root_x, root_back), (root_x, root_front), (tip_x, tip_front), (tip_x, tip_back)]
    if side < 0:
        outline = [(-x, z) for x, z in reversed(outline)]

    def thickness(x):
        return 0.06 - 0.035 * (abs(x) - root_x) / (tip_x - root_x)

    top = [(x, -0.02 + thickness(x), z) for x, z in outline]
    bottom = [(x, -0.02 - thickness(x), z) for x, z in outline]
    return slab(top, bottom)


def tail_fin():
    outline = [(-0.95, 0.12), (-0.35, 0.12), (-0.85, 0.55), (-1.1, 0.58)]  # (z, y)
    half = 0.025
    left = [(-half, y, z) for z, y in outline]
    right = [(half, y, z) for z, y in outline]
    return slab(left, right)


def canard(side):
    outline = [(0.15, 0.75), (0.15, 0.95), (0.55, 0.72), (0.55, 0.62)]
    if side < 0:
        outline = [(-x, z) for x, z in reversed(outline)]
    top = [(x, 0.015, z) for x, z in outline]
    bottom = [(x, -0.015, z) for x, z in outline]
    return slab(top, bottom)


def build():
    parts = [
        hull(),
        ellipsoid((0.0, 0.13, 0.45), (0.16, 0.13, 0.38)),  # cockpit canopy
        ellipsoid((0.0, 0.12, -0.55), (0.22, 0.12, 0.45)),  # dorsal spine
        wing(1),
        wing(-1),
        engine_pod(1.15, -0.02, -0.95, 0.15, 0.15),
        engine_pod(-1.15, -0.02, -0.95, 0.15, 0.15),
        engine_pod(0.22, -0.1, -1.3, -0.6, 0.1),
        engine_pod(-0.22, -0.1, -1.3, -0.6, 0.1),
        tail_fin(),
        canard(1),
        canard(-1),
    ]
    for part in parts:
        # The slabs are built face by face: make sure each is closed and turned the same way.
        part.make_clockwise_outside()
    return parts


def gather(parts):
    """All parts as one indexed mesh: positions, normals, texture coordinates and triangle indices."""
    positions, normals, uvs, indices = [], [], [], []
    for part in parts:
        base = len(positions)
        positions += part.positions
        normals += part.normals()
        uvs += part.uvs
        for tri in part.triangles:
            indices += [base + i for i in tri]
    return positions, normals, uvs, indices


def float_source(name, rows, params):
    """A COLLADA float source of rows, one accessor parameter per letter of params."""
    floats = " ".join("%.6g" % v for row in rows for v in row)
    fields = "".join(f'<param name="{p}" type="float"/>' for p in params)
    return f"""        <source id="boss-{name}">
          <float_array id="boss-{name}-array" count="{len(params) * len(rows)}">{floats}</float_array>
          <technique_common>
            <accessor source="#boss-{name}-array" count="{len(rows)}" stride="{len(params)}">
              {fields}
            </accessor>
          </technique_common>
        </source>
"""


# Everything before the geometry: the asset block and the one grey hull material.
COLLADA_HEAD = """<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset>
    <contributor><authoring_tool>tools/make_boss.py</authoring_tool></contributor>
    <created>2024-01-01T00:00:00</created>
    <modified>2024-01-01T00:00:00</modified>
    <unit name="meter" meter="1"/>
    <up_axis>Y_UP</up_axis>
  </asset>
  <library_effects>
    <effect id="hull-effect">
      <profile_COMMON>
        <technique sid="common">
          <phong>
            <diffuse><color sid="diffuse">0.62 0.64 0.7 1</color></diffuse>
            <specular><color sid="specular">0.5 0.5 0.5 1</color></specular>
            <shininess><float sid="shininess">32</float></shininess>
          </phong>
        </technique>
      </profile_COMMON>
    </effect>
  </library_effects>
  <library_materials>
    <material id="hull-material" name="hull">
      <instance_effect url="#hull-effect"/>
    </material>
  </library_materials>
"""

# Everything after the geometry: one node instancing the mesh with the hull material.
COLLADA_TAIL = """  <library_visual_scenes>
    <visual_scene id="scene" name="scene">
      <node id="boss" name="boss" type="NODE">
        <instance_geometry url="#boss-mesh">
          <bind_material>
            <technique_common>
              <instance_material symbol="hull" target="#hull-material"/>
            </technique_common>
          </bind_material>
        </instance_geometry>
      </node>
    </visual_scene>
  </library_visual_scenes>
  <scene>
    <instance_visual_scene url="#scene"/>
  </scene>
</COLLADA>
"""


def geometry(positions, normals, uvs, indices):
    """The library_geometries block: three float sources and one triangle list sharing its indices."""
    sources = float_source("positions", positions, "XYZ") + float_source("normals", normals, "XYZ")
    sources += float_source("uvs", uvs, "ST")
    return f"""  <library_geometries>
    <geometry id="boss-mesh" name="boss">
      <mesh>
{sources}        <vertices id="boss-vertices">
          <input semantic="POSITION" source="#boss-positions"/>
        </vertices>
        <triangles material="hull" count="{len(indices) // 3}">
          <input semantic="VERTEX" source="#boss-vertices" offset="0"/>
          <input semantic="NORMAL" source="#boss-normals" offset="0"/>
          <input semantic="TEXCOORD" source="#boss-uvs" offset="0" set="0"/>
          <p>{" ".join(str(i) for i in indices)}</p>
        </triangles>
      </mesh>
    </geometry>
  </library_geometries>
"""


def write_collada(path, parts):
    """Writes the parts as one mesh; returns its vertex and triangle counts."""
    positions, normals, uvs, indices = gather(parts)
    with open(path, "w") as f:
        f.write(COLLADA_HEAD + geometry(positions, normals, uvs, indices) + COLLADA_TAIL)
    return len(positions), len(indices) // 3


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "meshes", "boss.dae")
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    vertices, triangles = write_collada(out, build())
    print(f"{out}: {vertices} vertices, {triangles} triangles")


if __name__ == "__main__":
    main()
