#!/usr/bin/env python3
"""Writes the small skinned glTF models the model-runtime tests load.

Output (deterministic, committed): tests/data/gltf/
  skinned.gltf + skinned.bin   JSON model with an external buffer
  skinned.glb                  the same model as one binary file
  truncated.glb                the binary file cut short (a failed load)

The model: a root node given by a matrix (translate (0,0,5) x scale 2) holding a
two-bone chain Hip -> Knee (each translated (0,1,0)) and a skinned mesh node Body.
A node "Stray" lies outside the scene. Animation 0 "Bend" (0..2 s) moves the hip
and turns the knee about Z; animation 1 (unnamed, 0..1 s) moves the hip sideways
scales the knee by a STEP sampler and moves the knee up.
"""
import json
import math
import os
import struct
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "gltf")


class Blob:
    def __init__(self):
        self.data = bytearray()
        self.views = []
        self.accessors = []

    def add(self, fmt, values, comp, typ, count, target=None, minmax=False):
        while len(self.data) % 4:
            self.data += b"\0"
        raw = struct.pack("<" + fmt * len(values), *values)
        view = {"buffer": 0, "byteOffset": len(self.data), "byteLength": len(raw)}
        if target:
            view["target"] = target
        self.views.append(view)
        self.data += raw
        acc = {"bufferView": len(self.views) - 1, "componentType": comp, "count": count, "type": typ}
        if minmax:
            acc["min"] = [min(values)]
            acc["max"] = [max(values)]
        self.accessors.append(acc)
        return len(self.accessors) - 1


def quat_z(deg):
    h = math.radians(deg) / 2
    return [0.0, 0.0, math.sin(h), math.cos(h)]


def build():
    FLOAT, USHORT = 5126, 5123
    b = Blob()
    # A quad of four vertices along the bones; vertex 2 at (0,2,0) is shared half/half.
    pos = [-0.5, 0, 0, 0.5, 0, 0, 0, 2, 0, 0, 3, 0]
    p_pos = b.add("f", pos, FLOAT, "VEC3", 4, 34962)
    b.accessors[p_pos]["min"] = [-0.5, 0, 0]
    b.accessors[p_pos]["max"] = [0.5, 3, 0]
    p_joints = b.add("H", [0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0], USHORT, "VEC4", 4, 34962)
    p_weights = b.add("f", [1, 0, 0, 0, 1, 0, 0, 0, 0.5, 0.5, 0, 0, 1, 0, 0, 0], FLOAT, "VEC4", 4, 34962)
    p_uv0 = b.add("f", [0, 0, 1, 0, 0, 1, 1, 1], FLOAT, "VEC2", 4, 34962)
    p_uv1 = b.add("f", [9, 9, 8, 8, 7, 7, 6, 6], FLOAT, "VEC2", 4, 34962)
    p_idx = b.add("H", [0, 1, 2, 1, 3, 2], USHORT, "SCALAR", 6, 34963)
    ibm = []
    for y in (-1.0, -2.0):  # inverse of the joints' bind translations in mesh space
        ibm += [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, y, 0, 1]
    p_ibm = b.add("f", ibm, FLOAT, "MAT4", 2)

    t3 = b.add("f", [0, 1, 2], FLOAT, "SCALAR", 3, minmax=True)
    hip_t = b.add("f", [0, 1, 0, 0, 2, 0, 0, 4, 0], FLOAT, "VEC3", 3)
    knee_r = b.add("f", quat_z(0) + quat_z(90) + quat_z(180), FLOAT, "VEC4", 3)
    t2 = b.add("f", [0, 1], FLOAT, "SCALAR", 2, minmax=True)
    hip_t2 = b.add("f", [0, 1, 0, 1, 1, 0], FLOAT, "VEC3", 2)
    knee_s = b.add("f", [1, 1, 1, 2, 2, 2], FLOAT, "VEC3", 2)
    knee_t = b.add("f", [0, 1, 0, 0, 2, 0], FLOAT, "VEC3", 2)

    m = 2.0
    gltf = {
        "asset": {"version": "2.0", "generator": "make-gltf-fixtures"},
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [
            {"name": "Root", "matrix": [m, 0, 0, 0, 0, m, 0, 0, 0, 0, m, 0, 0, 0, 5, 1], "children": [1, 3]},
            {"name": "Hip", "translation": [0, 1, 0], "children": [2]},
            {"name": "Knee", "translation": [0, 1, 0]},
            {"name": "Body", "mesh": 0, "skin": 0},
            {"name": "Stray", "translation": [9, 9, 9]},
        ],
        "meshes": [{"primitives": [{
            "attributes": {"POSITION": p_pos, "JOINTS_0": p_joints, "WEIGHTS_0": p_weights,
                           "TEXCOORD_0": p_uv0, "TEXCOORD_1": p_uv1},
            "indices": p_idx}]}],
        "skins": [{"joints": [1, 2], "inverseBindMatrices": p_ibm}],
        "animations": [
            {"name": "Bend",
             "samplers": [{"input": t3, "output": hip_t, "interpolation": "LINEAR"},
                          {"input": t3, "output": knee_r, "interpolation": "LINEAR"}],
             "channels": [{"sampler": 0, "target": {"node": 1, "path": "translation"}},
                          {"sampler": 1, "target": {"node": 2, "path": "rotation"}},
                          {"sampler": 0, "target": {"node": 4, "path": "translation"}}]},
            {"samplers": [{"input": t2, "output": hip_t2, "interpolation": "LINEAR"},
                          {"input": t2, "output": knee_s, "interpolation": "STEP"},
                          {"input": t2, "output": knee_t}],
             "channels": [{"sampler": 0, "target": {"node": 1, "path": "translation"}},
                          {"sampler": 1, "target": {"node": 2, "path": "scale"}},
                          {"sampler": 2, "target": {"node": 2, "path": "translation"}}]},
        ],
        "accessors": b.accessors,
        "bufferViews": b.views,
        "buffers": [{"byteLength": len(b.data)}],
    }
    while len(b.data) % 4:
        b.data += b"\0"
    return gltf, bytes(b.data)


def main():
    os.makedirs(OUT, exist_ok=True)
    gltf, data = build()
    gltf["buffers"][0]["uri"] = "skinned.bin"
    with open(os.path.join(OUT, "skinned.gltf"), "w") as f:
        json.dump(gltf, f, indent=1, sort_keys=True)
        f.write("\n")
    with open(os.path.join(OUT, "skinned.bin"), "wb") as f:
        f.write(data)
    del gltf["buffers"][0]["uri"]
    js = json.dumps(gltf, sort_keys=True, separators=(",", ":")).encode()
    js += b" " * ((4 - len(js) % 4) % 4)
    body = struct.pack("<II", len(js), 0x4E4F534A) + js + struct.pack("<II", len(data), 0x004E4942) + data
    glb = struct.pack("<III", 0x46546C67, 2, 12 + len(body)) + body
    with open(os.path.join(OUT, "skinned.glb"), "wb") as f:
        f.write(glb)
    with open(os.path.join(OUT, "truncated.glb"), "wb") as f:
        f.write(glb[: len(glb) - 40])
    return 0


if __name__ == "__main__":
    sys.exit(main())
