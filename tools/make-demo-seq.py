#!/usr/bin/env python3
"""Writes the demo timeline Data/seq/_DemoFull_.seq and its nested part Data/seq/tunnel.seq.

Run by hand after editing the direction below; the .seq files it writes are committed and are
the source of truth (the timeline editor saves the same format, so later edits may be made
there instead of here).

The music ("Night Vector", Data/Audio/Morvane.mp3) runs at 125 BPM: one beat is 0.48 s
(28.8 frames at 60 per second) and one bar 1.92 s (115.2 frames). Cuts fall on bars, rounded
to the nearest frame. The demo covers all 110 bars of the music (211.2 s) and ends with it; from bar
32 on, each section is written on bars of its own and placed by demo() (PLACEMENT) on the music's
sections, a section placed longer than written holding its last scene:

  bars  0- 8  Ignition  pad and arpeggio, kick and hats from bar 4: a core ring lights up on
                        a green grid, two sparks orbit it leaving phosphor trails, a ring of
                        eight circles chases the kick.
  bars  8-16  Tunnel    (nested part tunnel.seq) the bass enters: rings rush towards the
                        camera, one per beat, through a bending, rolling tunnel.
  bars 16-24  Scope     a radar scope drawn into an off-screen buffer, composited back twice
                        (and tiled as a wall) over an amber grid, pulsing with the kick.
  bars 24-32  Sphere    the chorus: a sphere of latitude rings builds up beat by beat, the
                        camera orbits it, shock rings on the snare, then everything fades.
  bars 32-42  Chorus    its second half: a sea with a jellyfish riding a swimmer's trail, a
                        cardioid and a growing fractal, a hall with spinning arrows, the
                        music's spectrum under a glowing caption.
  bars 42-52  Break     pad, bells and hats, a build from bar 50: the title written letter by letter
                        over a clockwork, a neon caption, an eye whose iris is a clockwork
                        turning behind the lids, a manta ray rising through orbiting layers, a
                        head turning into the ZQ4 logo, rays gathering into the logo.
  bars 52-64  Console   the drop: the console boots over a circuit board, its text types on the screen of
                        the turning 3D console, the cartridge spins in, then the tunnel of rings.
  bars 64-74.5 Tape     the second verse's second half: a dusk sea flown over towards a low sun, as
                        if played from a worn video tape: a glowing grid on the water ahead,
                        spray drifting past, a wire cube half sunk in the waves; the picture
                        swells on every snare, the storm rises, and in the last bar's fill the
                        tape rolls over a turning test spiral.
  bars 74.5-86 Archive  the second chorus: a star field rushes in,
                        flaring on the kick; an aurora wavers over the horizon, the dots of a
                        Lorenz attractor drifting before it; waveform lines bulge with the
                        kick as if played from a worn tape; a heart trace sweeps a green
                        monitor, its spike on every snare.
  bars 86-96  Verse 2   (the driving third verse; written on bars 48-56) the title returns and dissolves into sparks
                        as a recorded game of asteroids starts, a flock swims behind it,
                        sparklers burst on the kick, metaballs flash on the snare.
  bars 96-106 Runner    the last chorus: a runner traced in green lines over
                        a scan-lined relief where his giant shadow lies; he idles, walks, runs and
                        jumps on the beats (one round of his cycles is six bars) while a scanned
                        bust turns on the left and his wire model on the right; four bars in, the
                        relief gives way to a street corner in lines, the camera swinging round it.
  bars 106-110 Finale   the last chord rings out under the closing picture (finale(), written
                        on bars 108-112): the ZQ4 logo in glowing lines, the title written under it,
                        fading to black; the timeline ends with the music.

Usage: tools/make-demo-seq.py [--out DIR]   (default: Data/seq of the repository)
"""
import argparse
import json
import math
import os

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FPS = 60
BEAT_S = 0.48        # seconds per beat at 125 BPM
BAR_F = 115.2        # frames per bar
MUSIC = "Data/Audio/Morvane.mp3"
DEMO = "Data/seq/_DemoFull_.seq"
TUNNEL = "Data/seq/tunnel.seq"


def bar(n):
    """First frame of bar n."""
    return int(round(n * BAR_F))


def beat(n):
    """First frame of beat n."""
    return int(round(n * BAR_F / 4))


def snap(t):
    """A key time in seconds on a whole frame, as the key-frame driver stores it."""
    return round(t * FPS) / FPS


# ------------------------------------------------------------------------------ drivers
# Each returns the driver object as the effect JSON stores it ("_apAttribDrivers" element).

def _driver(kind, attr, mn=0.0, mx=1.0, period=2.0, phase=0.0, **own):
    d = {"_eType": kind, "_attribName": attr, "_fMin": float(mn), "_fMax": float(mx),
         "_fPeriod": float(period), "_fPhase": float(phase)}
    d.update(own)
    return d


LINEAR, SPLINE, SMOOTH, EASEIN, EASEOUT, EASEINOUT = 1, 2, 3, 5, 6, 7


def keys(attr, points, interp=SMOOTH, power=0.0):
    """Key frames: points are (seconds from the effect's Start, value)."""
    return _driver(1, attr, _eInterpolation=interp, _fParams=[float(power), 0.0],
                   _aKeys=[{"x": snap(t), "y": float(v), "z": float(i + 1)} for i, (t, v) in enumerate(points)])


def sine(attr, mn, mx, period, phase=0.0):
    """One sine between mn and mx."""
    return _driver(2, attr, mn, mx, _Count=1, _Period=[float(period), 2.0, 2.0, 2.0],
                   _Phase=[float(phase), 0.0, 0.0, 0.0], _AmplitudeFactor=[1.0, 1.0, 1.0, 1.0])


def noise(attr, mn, mx, period, offset=0.0, octaves=3, persistence=0.5):
    return _driver(4, attr, mn, mx, period, offset, _nOctaves=octaves, _fPersistence=float(persistence))


def expr(attr, text, **variables):
    """A formula of x (the local time); other names are the driver's own variables."""
    return _driver(5, attr, _sExpression=text, nVarCount=len(variables),
                   Vars=[{"name": k, "value": float(v)} for k, v in variables.items()])


def level(attr, mn, mx):
    """The music's level (both channels)."""
    return _driver(6, attr, mn, mx, _bLeftChan=True, _bRightChan=True)


def variable(attr, name):
    """A value published by another effect under name (the attribute keeps its own until then)."""
    return _driver(7, attr, _sVarName=name)


# Music time of an effect's local time x, for an effect starting at frame `start` of the demo
# (or of a part placed on a bar: the beats keep their phase).
def music_time(start):
    return "(x + %g)" % (start / FPS) if start else "x"


# A decaying pulse on every kick (every beat), `shift` beats late.
def kick(start, base, amount, sharp=8.0, shift=0.0):
    phase = "%s/%g" % (music_time(start), BEAT_S) + (" - %g" % shift if shift else "")
    return "%g + %g*exp(-%g*fract(%s))" % (base, amount, sharp, phase)


# Phase (0 to 1) of the snare's half-bar cycle: it hits on beats 2 and 4 of each bar.
def snare_phase(start):
    return "fract((%s - %g)/%g)" % (music_time(start), BEAT_S, 2 * BEAT_S)


def snare(start, base, amount, sharp=8.0):
    return "%g + %g*exp(-%g*%s)" % (base, amount, sharp, snare_phase(start))


# ------------------------------------------------------------------------------ effects

def effect(cls, name, start, end, fade_in=0.0, fade_out=0.0, drivers=(), **props):
    p = {"Name": name, "Start": int(start), "End": int(end), "FadeIn": float(fade_in),
         "FadeOut": float(fade_out), "TimeScale": 1.0, "Debug": False}
    p.update(props)
    drivers = list(drivers)
    driven = {d["_attribName"] for d in drivers}
    for k in list(p):
        if k in driven:
            del p[k]  # a driver with data stands for the value
    if drivers:
        p["_apAttribDrivers"] = drivers
    return {"Class": cls, "Properties": p}


def vec(name, values, comps="xyzw"):
    return {"%s.%s" % (name, c): float(v) for c, v in zip(comps, values)}


def rgba(name, values):
    return vec(name, values, "rgba")


def circle(name, start, end, pos, radius, color, fade_in=0.5, fade_out=0.5, drivers=()):
    props = {}
    props.update(vec("Pos", pos))
    props.update(rgba("Color", list(color) + [1.0][: 4 - len(color)]))
    props["Radius"] = float(radius)
    props["Array.size"] = 0
    return effect("fxCircle", name, start, end, fade_in, fade_out, drivers, **props)


def grid(name, start, end, back, line, alphas=(0.1, 0.1, 0.4), scale=(1.0, 1.0), size=(1.0, 1.0),
         widths=(2.0, 2.0, 2.0), drivers=()):
    props = {}
    props.update(vec("UvPos", (0.0, 0.0)))
    props.update(vec("UvScale", scale))
    props.update(rgba("ColorBack", list(back) + [1.0]))
    for i, a in enumerate(alphas):
        props.update(rgba("ColorGrid%d" % (i + 1), list(line) + [a]))
        props.update(vec("GridWidth%d" % (i + 1), (widths[i], widths[i])))
    props.update(vec("GridSize", size))
    return effect("fxBackGrid", name, start, end, drivers=drivers, **props)


def camera(name, start, end, pos=(0.0, 0.0, -100.0), quat=(0.0, 0.0, 0.0, 1.0), fov=60.0, drivers=()):
    props = {}
    props.update(vec("CamPosition", pos))
    props.update(vec("CamQuaternion", quat))
    props.update({"CamFov": float(fov), "CamFar": 1000.0, "Speed": 0.5, "ControlMode": 0})
    return effect("fxCamera", name, start, end, drivers=drivers, **props)


def look(name, start, end, fade_in=0.0, steps=10.0, initial=0.2, final=0.2, thick=(0.1, 2.0), factor=1.0,
         intensity=1.0, brightness=1.0, fog=(500.0, 1000.0), fog_power=3.0, culling=True, drivers=()):
    """Vector-display settings; the fade-in is the transition from the look before."""
    props = {"Decay Camera": False, "Decay Steps": float(steps), "Decay Initial": float(initial),
             "Decay Final": float(final), "Thickness Factor": float(factor), "Color Intensity": float(intensity),
             "Color Brightness": float(brightness), "Fog Power": float(fog_power), "Triangle Culling": culling,
             "Import Color": 0, "Import Depth": 0, "Export Color": 1, "Export Depth": 0,
             "Debug Color": 0, "Debug Alpha": 0, "Debug Glow": 0, "Debug Depth": 0}
    props.update(vec("Thickness Min|Max", thick))
    props.update(vec("Fog Zmin|Zmax", fog))
    return effect("fxVectorDisplay", name, start, end, fade_in, 0.0, drivers, **props)


def image_of(name, start, end, buffer, pos=(0.0, 0.0), size=0.5, mul=(1.0, 1.0, 1.0), blend=2, glow=False,
             fullscreen=False, repeat=False, fade_in=1.0, fade_out=1.0, keep_ratio=True, drivers=()):
    """`keep_ratio`: the picture keeps its shape (a full-screen one wider than the screen loses its
    sides); False stretches it to the quad."""
    props = {"PNG File": "Data/img/", "FX Buffer": buffer, "ScreenSize": float(size), "KeepRatioX": False,
             "KeepRatioY": keep_ratio, "Fullscreen": fullscreen, "RepeatUV": repeat, "ColorBlend": blend, "Glow": glow}
    props.update(vec("ScreenPos", pos))
    props.update(rgba("ColorMul", list(mul) + [1.0]))
    props.update(rgba("ColorAdd", (0.0, 0.0, 0.0, 1.0)))
    return effect("fxImage", name, start, end, fade_in, fade_out, drivers, **props)


# ------------------------------------------------------------------------------ palette

GREEN = (0.35, 1.0, 0.45)
CYAN = (0.2, 0.85, 1.0)
MAGENTA = (1.0, 0.3, 0.85)
AMBER = (1.0, 0.62, 0.15)
WHITE = (1.0, 1.0, 1.0)
YELLOW = (1.0, 1.0, 0.2)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


# ------------------------------------------------------------------------------ sections

def ignition():
    """Bars 0-8 (pad and arpeggio; kick and hats from bar 4)."""
    s, e = bar(0), bar(8)
    d = (e - s) / FPS
    items = [
        look("LookIgnition", s, e, steps=16.0, initial=0.55, final=0.05, factor=1.0, intensity=1.2),
        grid("GridIgnition", s, e, back=(0.0, 0.03, 0.02), line=GREEN, alphas=(0.06, 0.08, 0.3), drivers=[
            keys("ColorGrid1.a", [(0.0, 0.0), (3.84, 0.0), (7.68, 0.06)]),
            keys("ColorGrid2.a", [(0.0, 0.0), (1.92, 0.0), (7.68, 0.08)]),
            keys("ColorGrid3.a", [(0.0, 0.0), (3.84, 0.3), (7.68, 0.25), (d, 0.45)]),
            keys("UvScale.x", [(0.0, 0.55), (d, 1.25)], EASEINOUT, 0.2),
            keys("UvScale.y", [(0.0, 0.55), (d, 1.25)], EASEINOUT, 0.2),
            sine("UvPos.y", -0.08, 0.08, 7.68),
        ]),
        camera("CamIgnition", s, e, drivers=[
            keys("CamPosition.z", [(0.0, -150.0), (7.68, -100.0), (d, -85.0)], SPLINE),
            sine("CamQuaternion.z", -0.06, 0.06, 15.36, 0.25),
        ]),
        # The core: grows with the pad, then beats with the kick.
        circle("Core", s, e, (0.0, 0.0, 0.0), 12.0, YELLOW, fade_in=1.5, fade_out=0.3, drivers=[
            expr("Radius", "12*smoothstep(0, 3.84, x) + step(7.68, x)*a*exp(-k*fract(x/0.48))", a=4.0, k=7.0),
            keys("Color.b", [(0.0, 0.2), (7.68, 0.2), (d, 1.0)], LINEAR),
        ]),
        # A halo that breathes with the pad.
        circle("Halo", bar(2), e, (0.0, 0.0, 0.0), 18.0, GREEN, fade_in=2.0, fade_out=0.3, drivers=[
            sine("Radius", 16.0, 20.0, 3.84),
        ]),
    ]
    # Two sparks orbit the core (sines a quarter period apart) and draw trails.
    for i, (col, phase, period) in enumerate(((CYAN, 0.0, 3.84), (MAGENTA, 0.5, 3.84))):
        st = bar(1 + i)
        items.append(circle("Spark%d" % i, st, e, (0.0, 0.0, 0.0), 2.5, col, fade_in=1.0, fade_out=0.3, drivers=[
            sine("Pos.x", -34.0, 34.0, period, phase),
            sine("Pos.y", -34.0, 34.0, period, phase + 0.25),
            noise("Pos.z", -8.0, 8.0, 1.5, 3.7 * i),
        ]))
    # From bar 4 the kick: a ring of eight circles, a pulse running round it once a beat.
    for k in range(8):
        a = 2 * math.pi * k / 8
        st = bar(4) + int(round(k * BAR_F / 8))  # one more every half beat
        items.append(circle("Beat%d" % k, st, e, (26.0 * math.cos(a), 26.0 * math.sin(a), 0.0), 3.0,
                            mix(GREEN, CYAN, k / 7), fade_in=0.4, fade_out=0.3, drivers=[
                                expr("Radius", kick(st, 2.5, 4.0, 6.0, k / 8)),
                            ]))
    return items


def tunnel_part():
    """The nested part (local frames; placed at bars 8-16): rings rush at the camera, one per beat."""
    at = bar(8)  # where the demo places the part: its local time is music time minus this
    e = bar(16) - at
    d = e / FPS
    items = [
        # Plays the full demo's music from this part's place when the part is edited alone.
        effect("fxMusicReference", "MusicRef", 0, e, **{
            "MP3 File": MUSIC, "Sequence File": DEMO, "Volume": 1.0, "Radius Left": 1.0, "Radius Right": 0.0,
            "TempoBpm": 125.0, "TempoShift": 0.0, "TempoMesures": 4, "TempoMarkers": True}),
        look("LookTunnel", 0, e, fade_in=1.0, steps=5.0, initial=0.3, final=0.1, factor=1.5, intensity=1.4,
             brightness=1.2, fog=(30.0, 135.0), fog_power=1.6),
        grid("GridTunnel", 0, e, back=(0.0, 0.015, 0.05), line=CYAN, alphas=(0.05, 0.08, 0.25), scale=(2.0, 2.0),
             drivers=[
                 expr("UvPos.y", "x*0.35"),
                 expr("ColorGrid3.a", kick(at, 0.12, 0.35, 5.0)),
                 keys("ColorBack.b", [(0.0, 0.0), (1.0, 0.05), (d - 1.0, 0.05), (d, 0.0)]),
             ]),
        camera("CamTunnel", 0, e, pos=(0.0, 0.0, -70.0), fov=70.0, drivers=[
            sine("CamQuaternion.z", -0.22, 0.22, 7.68),
            noise("CamPosition.x", -6.0, 6.0, 2.0, 1.3),
            noise("CamPosition.y", -4.0, 4.0, 2.5, 7.1),
        ]),
        # The light at the end of the tunnel answers the music's level.
        circle("EndLight", 0, e, (0.0, 0.0, -60.0), 4.0, WHITE, fade_in=1.0, fade_out=0.5, drivers=[
            level("Radius", 2.0, 18.0),
            variable("Pos.y", "JellyFish.y"),
        ]),
    ]
    n = 12
    for k in range(n):
        col = CYAN if k % 2 == 0 else MAGENTA
        items.append(circle("Ring%02d" % k, 0, e, (0.0, 0.0, 0.0), 20.0, col, fade_in=0.6, fade_out=0.5, drivers=[
            # Twelve slots ten units apart; every ring moves one slot per beat and wraps to the far end.
            expr("Pos.z", "fmod(%s/%g + %d, %d)*10 - 60" % (music_time(at), BEAT_S, k, n)),
            noise("Pos.x", -14.0, 14.0, 3.0, 0.35 * k),
            noise("Pos.y", -10.0, 10.0, 3.5, 5.0 + 0.35 * k),
        ]))
    return items


def scope():
    """Bars 16-24: a radar scope in an off-screen buffer, composited back into "Default"."""
    s, e = bar(16), bar(24)
    buffer_props = {"KeepRatio": False, "RepeatUV": True, "Clear": True, "Debug Color": 0, "Debug Alpha": 0,
                    "Debug Depth": 0}
    buffer_props.update(vec("SizePixel", (0.0, 0.0)))
    # Square, three quarters of the screen's height: the size at which the screens show it.
    buffer_props.update(vec("SizeUnit", (0.75, 0.75)))
    # Black: the screens are added over the amber grid, so only the round scope shows, never the
    # buffer's square.
    buffer_props.update(rgba("BackColor", (0.0, 0.0, 0.0, 1.0)))
    items = [
        # Everything up to "BackToDefault" draws into the buffer "Scope".
        effect("fxBufferDisplay", "Scope", s, e, **buffer_props),
        look("LookScope", s, e, steps=16.0, initial=0.6, final=0.1, factor=1.3, intensity=1.3, brightness=0.75),
        camera("CamScope", s, e, pos=(0.0, 0.0, -100.0)),
    ]
    ping = "fract(%s/%g)" % (music_time(s), 2 * BEAT_S)
    for i, r in enumerate((14.0, 28.0, 42.0)):
        items.append(circle("Range%d" % i, s + beat(i), e, (0.0, 0.0, 0.0), r, mix(GREEN, WHITE, 0.2), 0.5, 0.5))
    # The sweep: a beam of dots turning once a bar, brightest at its rim, its trail left by the
    # display's decay.
    for k in range(8):
        r = 6.0 + 5.0 * k
        items.append(circle("Sweep%d" % k, s, e, (0.0, 0.0, 0.0), 0.8 + 0.15 * k, mix(GREEN, WHITE, k / 10), 0.5, 0.5,
                            drivers=[expr("Pos.x", "%g*sin(%s*pi/0.96)" % (r, music_time(s))),
                                     expr("Pos.y", "%g*cos(%s*pi/0.96)" % (r, music_time(s)))]))
    # Contacts drifting across the scope, lit as the beam passes them.
    for k, (x0, y0, vx, vy) in enumerate(((-30.0, 12.0, 2.2, -0.6), (18.0, -26.0, -1.1, 1.8), (8.0, 30.0, 0.7, -2.4))):
        angle = "atan2(%g + %g*x, %g + %g*x)" % (x0, vx, y0, vy)
        beam = "fract((%s*pi/0.96 - %s)/(2*pi))" % (music_time(s), angle)
        items.append(circle("Contact%d" % k, s + bar(1 + k), e, (x0, y0, 0.0), 1.6, AMBER, 0.5, 0.5, drivers=[
            expr("Pos.x", "%g + %g*x" % (x0, vx)), expr("Pos.y", "%g + %g*x" % (y0, vy)),
            expr("Color.r", "0.2 + 0.8*exp(-4*%s)" % beam), expr("Color.g", "0.12 + 0.5*exp(-4*%s)" % beam),
            expr("Color.b", "0.05 + 0.1*exp(-4*%s)" % beam)]))
    items += [
        # The sweep: a blip round the 28 ring, once a bar, leaving its long trail.
        circle("Blip", s, e, (0.0, 0.0, 0.0), 3.0, WHITE, 0.5, 0.5, drivers=[
            sine("Pos.x", -28.0, 28.0, 1.92), sine("Pos.y", -28.0, 28.0, 1.92, 0.25)]),
        # A ping every half bar, growing out of the centre and dying away.
        circle("Ping", s, e, (0.0, 0.0, 0.0), 0.0, GREEN, 0.5, 0.5, drivers=[
            expr("Radius", "%s*50" % ping),
            expr("Color.g", "1 - %s" % ping),
            expr("Color.r", "0.35*(1 - %s)" % ping),
            expr("Color.b", "0.45*(1 - %s)" % ping),
        ]),
        effect("fxBufferDefault", "BackToDefault", s, e, **{"Debug Color": 0, "Debug Alpha": 0, "Debug Depth": 0}),
        # "Default": an amber grid drifting sideways, the scope tiled faintly, then twice as screens.
        grid("GridAmber", s, e, back=(0.05, 0.025, 0.0), line=AMBER, alphas=(0.05, 0.08, 0.3), scale=(1.5, 1.5),
             drivers=[expr("UvPos.x", "x*0.12"), noise("UvPos.y", -0.3, 0.3, 4.0)]),
        image_of("ScopeWall", bar(20), e, "Scope", size=0.5, mul=(0.25, 0.16, 0.05), fullscreen=True, repeat=True,
                 fade_in=1.92, fade_out=1.0),
        image_of("ScopeLeft", s, e, "Scope", pos=(-0.48, 0.0), size=0.75, mul=(0.7, 1.0, 0.75),
                 fade_in=1.0, fade_out=1.0, drivers=[expr("ScreenSize", kick(s, 0.74, 0.06, 6.0)),
                                                      sine("ScreenPos.y", -0.03, 0.03, 7.68)]),
        image_of("ScopeRight", bar(18), e, "Scope", pos=(0.48, 0.0), size=0.75, mul=AMBER,
                 fade_in=1.0, fade_out=1.0, drivers=[expr("ScreenSize", kick(bar(18), 0.74, 0.06, 6.0, 0.5)),
                                                      keys("ScreenPos.y", [(0.0, 0.6), (1.92, 0.0)], EASEOUT)]),
        look("LookComposite", s, e, fade_in=0.5, steps=8.0, initial=0.3, final=0.1, factor=1.2, intensity=1.2),
        camera("CamComposite", s, e, pos=(0.0, 0.0, -100.0)),
    ]
    # Frames round the two screens, drawn on "Default"'s own display.
    for i, x in enumerate((-49.0, 49.0)):
        st = (s, bar(18))[i]
        items.append(circle("Bezel%d" % i, st, e, (x, 0.0, 0.0), 41.0, AMBER, 1.0, 1.0, drivers=[
            expr("Radius", kick(st, 41.0, 1.5, 6.0, 0.5 * i))]))
    return items


def sphere():
    """Bars 24-32, the chorus: a sphere of latitude rings, the camera orbiting it."""
    s, e = bar(24), bar(32)
    d = (e - s) / FPS
    items = [
        look("LookChorus", s, e, fade_in=0.5, steps=12.0, initial=0.35, final=0.05, factor=1.3, intensity=1.0,
             brightness=0.8, fog=(120.0, 260.0), fog_power=2.0),
        grid("GridChorus", s, e, back=(0.04, 0.0, 0.06), line=MAGENTA, alphas=(0.05, 0.08, 0.2), drivers=[
            keys("UvScale.x", [(0.0, 1.0), (d, 3.0)], EASEIN, 0.1),
            keys("UvScale.y", [(0.0, 1.0), (d, 3.0)], EASEIN, 0.1),
            expr("ColorGrid3.a", "(%s)*(1 - smoothstep(%g, %g, x))" % (snare(s, 0.15, 0.5), d - 1.92, d)),
            keys("ColorBack.r", [(0.0, 0.04), (d - 1.92, 0.04), (d, 0.0)], LINEAR),
            keys("ColorBack.b", [(0.0, 0.06), (d - 1.92, 0.06), (d, 0.0)], LINEAR),
            keys("ColorGrid1.a", [(0.0, 0.05), (d - 1.92, 0.05), (d, 0.0)], LINEAR),
            keys("ColorGrid2.a", [(0.0, 0.08), (d - 1.92, 0.08), (d, 0.0)], LINEAR),
        ]),
        # Orbit: the view turns about the vertical axis by w*x while the eye circles at distance R.
        camera("CamChorus", s, e, drivers=[
            expr("CamPosition.x", "R*sin(w*x)", R=95.0, w=0.4),
            expr("CamPosition.z", "-R*cos(w*x)", R=95.0, w=0.4),
            expr("CamQuaternion.y", "sin(w*x/2)", w=0.4),
            expr("CamQuaternion.w", "cos(w*x/2)", w=0.4),
            sine("CamPosition.y", -12.0, 12.0, 7.68),
        ]),
    ]
    # Nine latitude rings of a sphere of radius 30 appear one per beat, from the south pole up.
    for k in range(9):
        phi = math.radians(-80 + 20 * k)
        z, r = 30.0 * math.sin(phi), 30.0 * math.cos(phi)
        st = s + beat(k)
        items.append(circle("Lat%d" % k, st, e, (0.0, 0.0, z), r, mix(CYAN, MAGENTA, k / 8), 0.3, 1.5,
                            drivers=[expr("Radius", "r*(%s)" % kick(st, 1.0, 0.1, 7.0), r=r)]))
    # Two moons on tilted orbits with trails; one listens for a position published by another effect.
    for i in range(2):
        items.append(circle("Moon%d" % i, s + bar(2 + 2 * i), e, (0.0, 0.0, 0.0), 3.0, (YELLOW, WHITE)[i], 1.0, 1.5,
                            drivers=[sine("Pos.x", -48.0, 48.0, 3.84, 0.5 * i),
                                     sine("Pos.z", -48.0, 48.0, 3.84, 0.5 * i + 0.25),
                                     noise("Pos.y", -10.0, 10.0, 2.0, 11.0 * i) if i == 0
                                     else variable("Pos.y", "JellyFish.y")]))
    # Shock rings on the snare.
    st = s + bar(1)
    hit = snare_phase(st)
    items.append(circle("Shock", st, e, (0.0, 0.0, 0.0), 30.0, WHITE, 0.5, 1.5, drivers=[
        expr("Radius", "32 + 40*%s" % hit),
        expr("Color.r", "exp(-3*%s)" % hit),
        expr("Color.g", "exp(-3*%s)" % hit),
        expr("Color.b", "exp(-2*%s)" % hit),
    ]))
    return items


def vec3(name, values):
    return vec(name, values, "xyz")


def rgb(name, values):
    return vec(name, values, "rgb")


def transform3(name, pos=(0.0, 0.0, 0.0), rot=(0.0, 0.0, 0.0), scale=(1.0, 1.0, 1.0)):
    p = {}
    p.update(vec3(name + ".Pos", pos))
    p.update(vec3(name + ".Pivot", (0.0, 0.0, 0.0)))
    p.update(vec3(name + ".Rot", rot))
    p.update(vec3(name + ".Scale", scale))
    return p


def chorus_tail():
    """Bars 32-40, the second half of the chorus: four scenes of two bars, cut on the bars.

      32-34  Sea       a swimmer's trail over a sea of waves; the jellyfish rides its head
                       (variable drivers StartX/Y/Z), the trail's colour pulses on the kick.
      34-36  Growth    the cardioid turns the view on the snare; a branch fractal grows one
                       level per beat beside it.
      36-38  Corridor  the basic scene's hall with four arrows spinning round it on the beat.
      38-40  Spectrum  the music's spectrum in an off-screen buffer, composited full screen,
                       under a glowing atlas-text caption.
    """
    s, e = bar(32), bar(40)
    items = [
        look("LookChorusTail", s, e, fade_in=0.3, steps=10.0, initial=0.4, final=0.08, factor=1.3, intensity=1.2,
             brightness=0.9, fog=(150.0, 420.0), fog_power=2.0),
    ]

    # -- 32-34 Sea: a trail swims over the waves, the jellyfish rides its head.
    a, b = s, bar(34)
    items += [
        camera("CamSea", a, b, pos=(0.0, 8.0, -110.0), quat=(0.09, 0.0, 0.0, 0.996), drivers=[
            sine("CamPosition.x", -10.0, 10.0, 7.68, 0.25)]),
        effect("fxSea", "Sea", a, b, 0.5, 0.4, drivers=[
            expr("Thickness", kick(a, 0.9, 0.8, 6.0)),
        ], **{"Thickness": 1.0, "SeaLevel": -28.0, "WaveCount": 140, "WaveResolution": 48,
              "WaveLifeMin": 0.96, "WaveLifeMax": 2.88,
              **rgba("Color", (0.15, 0.55, 0.75, 1.0)), **vec3("SeaDimensions", (140.0, 2.0, 90.0)),
              **vec("WaveDimensionMin", (8.0, 3.0)), **vec("WaveDimensionMax", (26.0, 10.0))}),
        # The swimmer: a figure of eight over two bars; its trail is the last 1.2 s of it.
        effect("fxLinePath", "Swimmer", a, b, 0.4, 0.4, drivers=[
            expr("Pos.x", "48*sin(x*pi/1.92)"),
            expr("Pos.y", "6 + 14*sin(x*2*pi/1.92)"),
            expr("Pos.z", "20*cos(x*pi/1.92)"),
            expr("Color.g", "0.45 + 0.5*exp(-6*fract(%s/%g))" % (music_time(a), BEAT_S)),
            expr("Thickness", "0.6 + 1.4*exp(-6*fract(%s/%g))" % (music_time(a), BEAT_S)),
        ], **{"LineLenght": 1.2, "StepCount": 96, "Thickness": 1.0, **rgba("Color", (0.3, 0.9, 1.0, 1.0)),
              **transform3("Transform")}),
        effect("fxJellyFish", "JellyFish", a, b, 0.5, 0.4, drivers=[
            variable("Pos.x", "StartX"), variable("Pos.y", "StartY"), variable("Pos.z", "StartZ"),
            expr("Angle Base", "90 + 30*sin(x*pi/0.96)"),
        ], **{"Tentacles": 9, "Segments": 14, "Length Base": 3.2, "Length Attenuation": 0.86,
              "Angle Freedom": 35.0, "Angle Force": 0.25, **vec3("Pos", (0.0, 0.0, 0.0)),
              **rgba("Color 0 Start", (1.0, 0.45, 0.9, 1.0)), **rgba("Color 1 Start", (0.6, 0.9, 1.0, 1.0)),
              **rgba("Color 0 End", (0.25, 0.0, 0.45, 1.0)), **rgba("Color 1 End", (0.0, 0.2, 0.4, 1.0))}),
    ]

    # -- 34-36 Growth: the cardioid turns the view (no camera effect here: it writes the rotation
    # itself and hands it back at 0); the fractal grows a level per beat.
    a, b = bar(34), bar(36)
    d = (b - a) / FPS
    fade = "(1 - smoothstep(%g, %g, x))" % (d - 0.48, d)
    items += [
        effect("rvCardoid", "Cardioid", a, b, 0.0, 0.0, drivers=[
            expr("Cam.y", "0.5*sin(x*pi/1.92)*%s" % fade),
            expr("Cam.x", "(0.25 + 0.1*exp(-5*%s))*%s" % (snare_phase(a), fade)),
            expr("A", "22 + 3*exp(-6*fract(%s/%g))" % (music_time(a), BEAT_S)),
        ], **{"Total": 10.0, "Factor": 10.0, "Radius": 50.0, "A": 22.0, "B": 7.0, "Step": 0.02,
              **vec3("Cam", (0.0, 0.0, 0.0))}),
        effect("fxFractal", "Tree", a, b, 0.3, 0.96, drivers=[
            keys("DepthMax", [(i * BEAT_S, min(i, 5)) for i in range(8)], interp=0),
            expr("Transform.Rot.y", "x*18"),
        ], **{"DepthMin": 0, "DepthMax": 0, "ShowModel": False, "ShowFractal": True, "BaseSize": 1.0,
              "BaseThickness": 1.0, "LeafThickness": 0.15, "BrancheCount": 3,
              **rgb("BaseColor", (0.8, 0.42, 0.08)), **rgb("LeafColor", (0.08, 0.45, 0.25)),
              **transform3("Transform", pos=(34.0, -46.0, 0.0), scale=(19.0, 19.0, 19.0)),
              **vec3("Branche[0].v0", (0.0, 1.0, 0.0)), **vec3("Branche[0].v1", (-0.5, 1.55, 0.15)),
              **vec3("Branche[1].v0", (0.0, 1.0, 0.0)), **vec3("Branche[1].v1", (0.55, 1.5, -0.1)),
              **vec3("Branche[2].v0", (0.0, 0.7, 0.0)), **vec3("Branche[2].v1", (0.05, 1.2, 0.5)),
              **vec3("Branche[3].v0", (0.0, 0.0, 0.0)), **vec3("Branche[3].v1", (0.0, 0.0, 0.0))}),
    ]

    # -- 36-38 Corridor: the basic scene, four arrows circling it, a quarter turn per beat.
    a, b = bar(36), bar(38)
    items += [
        camera("CamCorridor", a, b, pos=(0.0, 0.0, -100.0), drivers=[
            expr("CamPosition.z", "-135 + 4*x"), expr("CamPosition.y", "-14")]),
        effect("fxBasicScene", "Hall", a, b, 0.0, 0.0, **{
            "ThicknessBlue": 0.4, "ThicknessGreen": 0.35, "ThicknessOrange": 1.2, "ThicknessPurple": 1.0,
            "ThicknessYellow": 0.8, "ThicknessWhite": 0.5, **vec("Transform.Pos", (0.0, 47.0)),
            **vec("Transform.Pivot", (0.0, 0.0)), "Transform.Rot": 0.0, **vec("Transform.Scale", (0.7, 0.7))}),
    ]
    for k, col in enumerate((YELLOW, CYAN, MAGENTA, WHITE)):
        ph = k / 4.0
        step = "floor(%s/%g)" % (music_time(a), BEAT_S)
        items.append(effect("fxObjArrow", "Arrow%d" % k, a + beat(k) // 2, b, 0.3, 0.3, drivers=[
            expr("Transform.Pos.x", "38*cos(2*pi*(x/3.84 + %g))" % ph),
            expr("Transform.Pos.y", "22*sin(2*pi*(x/3.84 + %g))" % ph),
            expr("Transform.Rot.z", "90*%s + %g" % (step, 90 * k)),
            expr("Thickness", kick(a, 0.5, 1.0, 6.0)),
        ], **{"Thickness": 0.8, **rgb("Color", col), "lengthX": 1.0, "lengthY": 2.0, "ratioBaseX": 0.45,
              "ratioHeadY": 0.4, **transform3("Transform", scale=(6.0, 6.0, 6.0))}))

    # -- 38-40 Spectrum: the music's spectrum drawn in an off-screen buffer 512 pixels high (the
    # fans' geometry follows the buffer's height), with a camera that frames them, stretched over
    # the whole screen; the caption glows over it.
    a, b = bar(38), bar(40)
    buffer_props = {"KeepRatio": False, "RepeatUV": False, "Clear": True, "Debug Color": 0, "Debug Alpha": 0,
                    "Debug Depth": 0}
    buffer_props.update(vec("SizePixel", (2048.0, 512.0)))
    buffer_props.update(vec("SizeUnit", (0.0, 0.0)))
    buffer_props.update(rgba("BackColor", (0.0, 0.0, 0.02, 1.0)))
    items += [
        effect("fxBufferDisplay", "Spectrum", a, b, **buffer_props),
        look("LookSpectrum", a, b, steps=8.0, initial=0.6, final=0.15, factor=2.4, intensity=2.0, brightness=0.7),
        # The fans' roots run from x = -512 to 1536 (the loudest, lowest bars at the ends) and from
        # y = 0 to 512: a 4:1 picture. The buffer has that shape, so the camera frames the whole of
        # it with a small margin (half-height 256 / tan 30 = 443 is the exact fit) and closes in
        # on it; the composite stretches it to the screen (kept to its shape, it would lose its
        # sides, the loudest bars with them).
        camera("CamSpectrum", a, b, pos=(-512.0, -256.0, -500.0), fov=60.0, drivers=[
            expr("CamPosition.z", "-500 + 35*smoothstep(0, %g, x)" % ((b - a) / FPS))]),
        effect("fxLiveSpec", "LiveSpectrum", a, b, 0.0, 0.0),
        effect("fxBufferDefault", "SpectrumBack", a, b, **{"Debug Color": 0, "Debug Alpha": 0, "Debug Depth": 0}),
        # Behind the fans a violet grid drifting down, ticking with the kick.
        grid("GridSpectrum", a, b, back=(0.015, 0.0, 0.035), line=MAGENTA, alphas=(0.03, 0.05, 0.14),
             scale=(2.0, 2.0), drivers=[expr("UvPos.y", "-x*0.08"), expr("ColorGrid3.a", kick(a, 0.08, 0.16, 6.0))]),
        image_of("SpectrumScreen", a, b, "Spectrum", fullscreen=True, mul=(1.45, 1.1, 1.5), fade_in=0.3,
                 fade_out=0.6, keep_ratio=False, drivers=[expr("ColorMul.g", kick(a, 0.95, 0.4, 5.0))]),
        # The caption: the atlas text's alpha is its coverage, so the kick brightens its colour.
        effect("fxTextStash", "Caption", a + beat(2), b, 0.5, 0.6, drivers=[
            expr("Color.r", kick(a, 0.8, 0.2, 4.0)),
            expr("Color.g", kick(a, 0.6, 0.3, 4.0)),
            expr("Color.b", kick(a, 0.35, 0.25, 4.0)),
        ], **{"Size": 0.035, "Glow": True, "Text": "MORVANE ZQ4  -  NIGHT VECTOR", **vec("Pos", (0.23, 0.47)),
              **rgba("Color", (1.0, 0.85, 0.55, 1.0))}),
    ]
    return items

def console_boot():
    """Bars 72-84, the end of the second chorus into the bridge: the console boots, then the rings.

      72-74  Boot      the console picture switches on over the circuit board: the screen lights,
                       the buttons are pressed, the boot text starts typing on its screen.
      74-78  Console   the 3D console turns over the board, the boot text typing on its screen;
                       the cartridge card spins in beside it and slots in on the last bar.
      78-84  Rings     the tunnel of rings: circle rings morphing to squares and back, patterns
                       on the kick, the rings blown apart on the bridge's last bar.
    """
    s, e = bar(72), bar(84)
    boot, model, rings = bar(72), bar(74), bar(78)
    buffer_props = {"KeepRatio": False, "RepeatUV": False, "Clear": True, "Debug Color": 0, "Debug Alpha": 0,
                    "Debug Depth": 0}
    buffer_props.update(vec("SizePixel", (800.0, 600.0)))
    buffer_props.update(vec("SizeUnit", (0.0, 0.0)))
    buffer_props.update(rgba("BackColor", (0.02, 0.06, 0.1, 1.0)))
    text_props = {"Font": "Data/Font/DroidSerif-Regular.ttf", "Text": "Data/txt/BootSequenceScreen.txt",
                  "Spacey": 0.5, "Glow": False, "NbLineMax": 19, "Local TimeScale": 1.0, "Show Cursor": True,
                  "Blink Cursor": 0.24, "Cursor Quad": True, "Render Pass": 1}
    text_props.update(vec("Pos", (0.04, 0.02)))
    text_props.update(vec("Size", (1.0, 2.3)))
    text_props.update(rgba("Color", (0.55, 1.0, 0.7, 1.0)))
    circuit_props = {"Electron/Count": 320, "Electron/DrawMode": 1, "zoom": 1.0, "calage": 0.2255}
    circuit_props.update(rgb("Electron/Color0", (0.1, 0.45, 0.65)))
    circuit_props.update(rgb("Electron/Color1", (0.35, 0.7, 0.6)))
    circuit_props.update(vec("Electron/Thickness01", (0.5, 1.3)))
    circuit_props.update(vec("Electron/Speed01", (30.0, 110.0)))
    circuit_props.update(rgb("BackColorMul", (0.8, 0.8, 0.8)))
    circuit_props.update(vec("motion", (-24.0, 0.0)))
    # The console's screen shows its stages (off, grey) until "UnitTime" (2 s), then the buffer.
    lit = boot + 2 * FPS
    items = [
        look("LookConsole", s, rings, fade_in=0.3, steps=6.0, initial=0.3, final=0.05, factor=1.0, intensity=1.0,
             brightness=0.5),
        camera("CamConsole", s, rings, pos=(0.0, 0.0, -100.0)),
        effect("fxBackCircuit", "Circuit", s, rings, 0.6, 0.5, drivers=[
            expr("BackColorMul.r", kick(s, 0.55, 0.3, 6.0)),
            expr("BackColorMul.g", kick(s, 0.6, 0.3, 6.0)),
            expr("BackColorMul.b", kick(s, 0.65, 0.3, 6.0)),
        ], **circuit_props),
        # A switch of buffer draws the lines added so far where they belong: the board's electrons
        # land under the console drawn after them, not over it at the end of the frame. The screen's
        # buffer switches from the console's lighting on; before that a tiny buffer does it.
        off_screen("BoardFlush", boot, lit, (0.01, 0.01)),
        effect("fxBufferDefault", "FlushBack", boot, lit, **{"Debug Color": 0, "Debug Alpha": 0, "Debug Depth": 0}),
        # The boot screen: the text types into its own buffer from the second bar on.
        effect("fxBufferDisplay", "BootScreen", lit, rings, **buffer_props),
        effect("fxBootText", "BootText", boot + beat(6), rings, 0.0, 0.3, **text_props),
        effect("fxBufferDefault", "BootBack", lit, rings, **{"Debug Color": 0, "Debug Alpha": 0, "Debug Depth": 0}),
        effect("fxBootSequence", "ConsoleBoot", boot, model, 0.3, 0.4, **{
            "UnitTime": 2.0, "ScreenTime": 1.0, "ScreenFxBuffer": "BootScreen", "ScreenGlow": 0.0,
            **vec("UnitPos", (0.0, 0.0)), **vec("UnitScl", (0.375, 0.92)),
            **rgba("ScreenBack0", (0.0, 0.0, 0.0, 1.0)), **rgba("ScreenBack1", (35 / 255.0, 35 / 255.0, 35 / 255.0, 1.0)),
            **rgba("ScreenBack2", (49 / 255.0, 86 / 255.0, 165 / 255.0, 1.0)),
            **vec("ScreenTextPos", (-0.68, -0.73)), **vec("ScreenTextScl", (1.0, 1.0)),
            **rgba("LoadingBack0", (23 / 255.0, 23 / 255.0, 23 / 255.0, 1.0)),
            **rgba("LoadingBack1", (102 / 255.0, 186 / 255.0, 186 / 255.0, 1.0))}),
        # The console model turns slowly over the board, swaying with the beat.
        effect("fxObjVectrex", "Console", model, rings, 0.5, 0.4, drivers=[
            expr("Transform.Rot.y", "180 - 28*cos(x*pi/7.68)"),
            expr("Transform.Rot.x", "6 + 2*exp(-6*fract(%s/%g))" % (music_time(model), BEAT_S)),
        ], **{"Thickness": 0.35, **rgb("Color", (0.6, 0.9, 1.0)), "Textured": True, "ScreenFxBuffer": "BootScreen",
              **vec("ScreenUVi", (0.0, 0.0)), **vec("ScreenUVf", (1.0, 1.0)), "MirrorU": False, "MirrorV": False,
              **transform3("Transform", pos=(10.0, -30.0, 0.0), rot=(6.0, 180.0, 0.0), scale=(0.05, 0.05, 0.05))}),
        # The cartridge spins in from the left of the picture and comes to rest beside the console.
        effect("fxObjVectrexCard", "Cartridge", model + bar(1), rings, 0.5, 0.4, drivers=[
            keys("Transform.Pos.x", [(0.0, -120.0), (3.84, -50.0)], EASEOUT, 0.3),
            expr("Transform.Rot.y", "180*max(0, 1 - x/3.84)^2 + 12*sin(x*pi/1.92)"),
            expr("Transform.Pos.y", "2*sin(x*pi/0.96)"),
        ], **{"Thickness": 0.3, **rgb("Color", (1.0, 0.8, 0.5)), "Textured": True,
              **transform3("Transform", pos=(-50.0, 0.0, 25.0), scale=(0.04, 0.04, 0.04))}),
    ]
    # -- 78-84 Rings: the tunnel, its own look and camera.
    d = (e - rings) / FPS
    tunnel_props = {"Design/CircleCount": 48, "Design/PointPerCircle": 48, "Design/Stepz": 8.0,
                    "Design/Radius": 22.0, "Main/Speed": 40.0, "Main/Form": 1.0, "Main/Pattern0": 0.0,
                    "Main/Pattern1": 0.0, "Main/Spectrer": 0.0, "Main/Explosion": 0.0, "Next/Form": 1.0,
                    "Next/Pattern0": 0.5, "Next/Pattern1": 0.0, "Next/DecalX": 0.0, "Next/DecalY": 0.0,
                    "Next/Explosion": 0.0, "Shader/LINE_BOLD": 0.75, "Shader/LINE_SMOTHNESS": 2.0,
                    "Shader/LINE_THRESHOLD": 0.25, "Shader/FOG_POWER": 2.2, "Shader/FOG_DECAL": 0.0,
                    "Shader/EXPLOSION_NORMAL": 0.5, "Shader/ClearDepth": True}
    tunnel_props.update(vec3("Main/Position", (0.0, 0.0, 0.0)))
    tunnel_props.update(vec3("Main/Rotation", (0.0, 0.0, 0.0)))
    tunnel_props.update(vec("Next/Offset", (0.0, 0.0)))
    tunnel_props.update(vec3("Next/Variation", (0.0, 0.3, 0.0)))
    tunnel_props.update(rgba("Shader/LINE_INTENSITY", (0.6, 1.0, 1.0, 1.0)))
    tunnel_props.update(rgba("Shader/LINE_COLOR", (0.3, 0.95, 1.0, 1.0)))
    tunnel_props.update(rgba("Shader/VARIATION_COLOR", (1.0, -0.6, 0.4, 0.8)))
    tunnel_props.update(vec("Shader/VARIATION_COLOR_SCALE", (24.0, 30.0)))
    tunnel_props.update(rgba("Shader/FILL_COLOR", (0.0, 0.02, 0.06, 1.0)))
    tunnel_props.update(rgba("Shader/FOG_COLOR", (0.0, 0.0, 0.02, 1.0)))
    items += [
        look("LookRings", rings, e, fade_in=0.2, steps=4.0, initial=0.3, final=0.05, factor=1.2, intensity=1.2),
        camera("CamRings", rings, e, pos=(0.0, 0.0, -100.0), fov=75.0, drivers=[
            sine("CamQuaternion.z", -0.18, 0.18, 7.68)]),
        effect("fxTunnelPattern3d", "Rings", rings, e, 0.5, 0.25, drivers=[
            # Circle to square and back over two bars; the rings' own form follows a bar later.
            expr("Main/Form", "1 + 0.5*(1 - cos(x*pi/1.92))"),
            expr("Next/Form", "1 + 0.5*(1 - cos((x - 1.92)*pi/1.92))*step(1.92, x)"),
            expr("Main/Pattern1", "0.6*exp(-5*fract(%s/%g))" % (music_time(rings), BEAT_S)),
            expr("Main/Speed", "40 + 30*exp(-4*fract(%s/%g))" % (music_time(rings), BEAT_S)),
            keys("Main/Explosion", [(0.0, 0.0), (d - 1.92, 0.0), (d, 6.0)], EASEIN, 0.2),
        ], **tunnel_props),
    ]
    return items


def worn_tape(changes=None):
    """The VHS effect's values for a worn tape, with some of them changed."""
    vhs = {">>ScreenDistortion": 0.15, ">>Vignette": 0.35, "  VignetteAperture": 3.0, "  VignetteOscillation": 0.3,
           ">>Noise": 0.25, "  NoiseScale": 4.0, ">>HblLines": 0.18, "  HblLinesHeight": 0.5, "  HblLinesSpeed": 1.0,
           ">>JumpsV": 0.0, "  JumpsFreqV": 1.0, ">>JumpsH": 0.05, "  JumpsFreqH": 1.0, ">>WhiteLines": 0.12,
           "  WhiteLinesStart": 0.2, "  WhiteLinesEnd": 0.3, "  WhiteLinesHeight": 1.0, ">>NoiseLines": 0.4,
           "  NoiseLinesFreq": 0.6, ">>Wobble": 0.25, "  WobbleBand": 0.3, ">>Monochrome": 0.0}
    vhs.update(changes or {})
    return vhs


def tape():
    """Bars 56-66.5 (written so; placed after the console), the sea through a video tape."""
    s, e = bar(56), bar(66.5)
    d = (e - s) / FPS
    fill = bar(65.5) - s  # the last bar, with the snare fill
    # The sea is marched in a small buffer (a quarter of the screen's height) and scaled up: the
    # ray march is the costly part, and the tape hides the softness.
    sea_props = {"KeepRatio": True, "RepeatUV": False, "Clear": True, "Debug Color": 0, "Debug Alpha": 0,
                 "Debug Depth": 0}
    sea_props.update(vec("SizePixel", (0.0, 0.0)))
    sea_props.update(vec("SizeUnit", (0.0, 0.25)))
    sea_props.update(rgba("BackColor", (0.0, 0.0, 0.0, 1.0)))
    # Flying towards the sun (+z), pitched down by 0.1 rad, 14 units above the mean level, 12 units
    # a second: over the wire cube at the origin a little after bar 61.
    pitch = 0.1
    ocean = {"TimeSeek": 0.0, "TimeSpeed": 1.0, "Weather": 0.55, "Height": 0.0, "Scale": 25.0, "Waves": 1.0,
             "FarClip": 900.0, "MaxSteps": 64.0, "ColorRadius": 0.0, "VectorRadius": 70.0, "VectorWidth": 6.0,
             "VectorThickness": 0.12, "VectorAlpha": 1.6}
    ocean.update(vec("WindXZ", (0.02, 0.01)))
    ocean.update({"ColorSky.r": 0.32, "ColorSky.g": 0.2, "ColorSky.b": 0.55})
    ocean.update({"ColorSun.r": 1.0, "ColorSun.g": 0.6, "ColorSun.b": 0.75})
    ocean.update({"ColorFog.r": 0.85, "ColorFog.g": 0.45, "ColorFog.b": 0.6})
    ocean.update({"ColorDeep.r": 0.0, "ColorDeep.g": 0.06, "ColorDeep.b": 0.12})
    ocean.update({"ColorValue.r": 1.0, "ColorValue.g": 1.0, "ColorValue.b": 1.0})
    ocean.update(vec("SpotPosition", (0.0, 0.0, 0.0)))
    spray = {"Enabled": True, "BlendMode": 2, "Shape": 0, "Seed": 3, "NoiseMotion": 0.6, "LightRotZ": 0.7,
             "LightAperture": 0.15, "LightFallback": 0.15, "LightDistance": 0.25, "Scale": 0.45, "Size": 0.12,
             "Blur": 0.85, "Density": 5, "zScale": 0.8, "zAlpha": 0.75, "Spotlight": 0.0, "DebugGrid": False,
             "DebugLight": False}
    spray.update(vec("GlobalMotion", (0.25, 0.35, 0.3)))
    spray.update(vec("CameraMotionScale", (1.0, 1.0, 0.1, 1.0)))
    spray.update(vec("LightPosXY", (1.5, 0.8)))
    spray.update(rgba("Color0", (0.35, 0.6, 0.9, 1.0)))
    spray.update(rgba("Color1", (1.0, 0.7, 0.85, 1.0)))
    vhs = worn_tape()
    last = snap(fill / FPS)
    return [
        # Everything up to "BackFromSea" draws into the small buffer "TapeSea".
        effect("fxBufferDisplay", "TapeSea", s, e, **sea_props),
        # Turned half round (towards +z), then pitched down.
        camera("CamTape", s, e, quat=(0.0, math.cos(pitch / 2), math.sin(pitch / 2), 0.0), fov=70.0, drivers=[
            expr("CamPosition.z", "-(z0 + v*x)", z0=-120.0, v=12.0),
            # 14 units over the waves, swaying on the bar, climbing 40 units higher while it
            # passes over the wire cube (at the origin, a little after bar 61): seen from closer
            # the cube's faces would fill the picture.
            expr("CamPosition.y", "-14 + 1.5*sin(x*pi/1.92) - 40*exp(-((x - 10)/2.6)^2)"),
        ]),
        effect("fxOcean", "Ocean", s, e, drivers=[
            # Calm dusk, the storm rising over the last bars: rougher, greyer, the waves quicker.
            keys("Weather", [(0.0, 0.55), (7.68, 0.55), (last, 0.85), (d, 0.9)], SMOOTH),
            keys("TimeSpeed", [(0.0, 1.0), (7.68, 1.0), (d, 2.2)], SMOOTH),
            # The glowing grid runs ahead of the camera and pulses with the kick.
            expr("SpotPosition.z", "z0 + v*x + 50", z0=-120.0, v=12.0),
            expr("VectorAlpha", kick(s, 1.1, 0.9, 6.0)),
        ], **ocean),
        # Half sunk in the waves: the sea's depth hides what lies under the water.
        effect("fxBasicShader3d", "WireCube", s + bar(3), e),
        # Spray in the small buffer too (soft when scaled up, and a sixteenth of the cost): the
        # flight carries it towards the viewer, a tenth as fast as the camera moves.
        effect("fxAmbientParticles", "Spray", s + beat(2), e, fade_in=1.92, fade_out=0.96, **spray),
        effect("fxBufferDefault", "BackFromSea", s, e, **{"Debug Color": 0, "Debug Alpha": 0, "Debug Depth": 0}),
        image_of("SeaOnScreen", s, e, "TapeSea", size=1.0, blend=0, fullscreen=True, fade_in=0.25, fade_out=1.92),
        # The test spiral flashes through the tape on the fill's last two sixteenths.
        effect("fxBasicShader2d", "TestSpiral", s + fill + int(round(14 * BAR_F / 16)), e),
        # On every snare the picture swells and rings.
        effect("fxPostDistortion", "SnareBump", s, e, drivers=[
            expr("  BumpStart", "x - %s*%g" % (snare_phase(s), 2 * BEAT_S)),
        ], **{">.BumpHeight": 0.05, "  BumpSpeed": 38.0, "  BumpDuration": 0.45, "  BumpAttenuation": 2.0}),
        effect("fxPostVHS", "Tape", s, e, drivers=[
            expr(">>JumpsH", snare(s, 0.03, 0.5, 10.0)),
            keys(">>JumpsV", [(0.0, 0.0), (last + 2 * BEAT_S, 0.0), (last + 2 * BEAT_S + 0.05, 0.7)], LINEAR),
            keys(">>Monochrome", [(0.0, 0.0), (7.68, 0.0), (d, 0.45)], LINEAR),
            keys(">>Noise", [(0.0, 0.25), (last, 0.25), (d, 0.6)], LINEAR),
        ], **vhs),
    ]


def phosphor_archive():
    """Bars 75.5-87, the end of the second chorus into the bridge (kick, hats, snare, bass): the
    archive of old phosphor pictures, cut on the bars.

      75.5-77.5  Stars    a star field rushes at the viewer, flaring on every kick, turning slowly.
      77.5-80    Aurora   an aurora wavers over a dark horizon; the dots of a Lorenz attractor
                          drift in front of it, the camera swaying on the beat.
      80-84      Lines    the stacked waveform lines as if played from a worn tape: the lines bulge
                          with the kick, the tape jumps on every snare.
      84-87      Heart    a heart trace sweeps a green monitor grid, its spike on every snare; the
                          last bar fades to black.
    Both shaders of the first five bars are drawn in buffers smaller than the screen and scaled up:
    they are the costly part. The stars take 480x270; the aurora 960x540, so that its horizon is not
    stair-stepped (its horizon is placed in the buffer's pixels).
    """
    s, e = bar(75.5), bar(87)
    stars, aurora, lines, heart = s, bar(77.5), bar(80), bar(84)
    small = {"KeepRatio": False, "RepeatUV": False, "Clear": True, "Debug Color": 0, "Debug Alpha": 0,
             "Debug Depth": 0}
    small.update(vec("SizePixel", (480.0, 270.0)))
    small.update(vec("SizeUnit", (0.0, 0.0)))
    small.update(rgba("BackColor", (0.0, 0.0, 0.0, 1.0)))
    sky = dict(small, **vec("SizePixel", (960.0, 540.0)))
    back = {"Debug Color": 0, "Debug Alpha": 0, "Debug Depth": 0}
    star_props = {"Main/Speed": 60.0, "Main/Density": 0.9, "Main/Spiral": 0.0, "Main/Rotation": 0.0,
                  "Main/Roll": 0.0, "Hole/Size": 0.0, "Hole/Opacity": 0.0, "Hole/Debug": False,
                  "Fractal/Iter1": 100, "Fractal/Iter2": 7, "Fractal/Mod": 2.0, "Fractal/Mul": 2.04,
                  "Fractal/Add": -0.75, "Color/Luminosity": 0.2, "Spiral/Spiral": 0.0}
    star_props.update(vec("Main/Position", (0.0, 0.0)))
    star_props.update(vec3("Color/Mul", (0.8, -0.4, 0.5)))
    star_props.update(vec3("Color/Add", (0.0, 1.0, 0.7)))
    joy = {"Waves/Width": 0.2, "Waves/Height": 0.5, "Waves/Power": 4.0, "Waves/Attenuation": 0.5,
           "Waves/Occlusion": 1.0, "Waves/Spectrer": 0.0, "Line/Width": 1.0, "Line/Height": 0.8,
           "Line/Persp": 0.3, "Line/Count": 48.0, "Line/Bold": 1.0, "Line/Offsety": 0.0,
           "Color/LineVariation": 0.3, "Polar/Enable": 0.0, "Polar/ScaleX": 0.5, "Polar/ScaleY": 0.2}
    joy.update(vec("Waves/Motion", (0.0, 0.05)))
    joy.update(rgba("Color/Back", (0.01, 0.01, 0.03, 1.0)))
    joy.update(rgba("Color/Line", (0.45, 1.0, 0.85, 1.0)))
    # Every line lit, every fifth brighter, every tenth at full strength.
    joy.update(rgba("Color/Linealphas", (0.8, 0.9, 1.0, 1.0)))
    vhs = worn_tape({">>ScreenDistortion": 0.2, ">>Vignette": 0.4, "  VignetteOscillation": 0.2, ">>Noise": 0.2,
                     ">>HblLines": 0.2, ">>WhiteLines": 0.15, ">>NoiseLines": 0.3, ">>Wobble": 0.2})
    lorenz = {"Dot/CountStart": 300, "Dot/CountMax": 12000, "Dot/SpawnPerSec": 2500, "Dot/SpawnRange": 120.0,
              "Dot/Thickness": 0.9, "Lorentz/Speed": 40.0, "Lorentz/Sigma": 10.0, "Lorentz/Rho": 28.0,
              "Lorentz/Beta": 8.0 / 3.0, "Lorentz/DefaultZ": -200.0}
    lorenz.update(rgba("Dot/Color", (0.7, 1.0, 0.9, 1.0)))
    lorenz.update(vec("Lorentz/Pos", (0.0, -12.0)))
    lorenz.update(vec("Lorentz/Size", (3.0, 3.0)))
    items = [
        # -- 75.5-77.5 Stars, in the small buffer "ArchiveStars".
        effect("fxBufferDisplay", "ArchiveStars", stars, aurora, **small),
        effect("fxStarField", "StarField", stars, aurora, drivers=[
            expr("Color/Luminosity", kick(stars, 0.2, 0.25, 6.0)),
            expr("Main/Roll", "12*x"),
        ], **star_props),
        effect("fxBufferDefault", "StarsBack", stars, aurora, **back),
        image_of("StarsOnScreen", stars, aurora, "ArchiveStars", size=1.0, blend=0, fullscreen=True,
                 fade_in=0.96, fade_out=0.1),
        # -- 77.5-80 Aurora, in the small buffer "ArchiveSky", the attractor drawn full size over it.
        effect("fxBufferDisplay", "ArchiveSky", aurora, lines, **sky),
        effect("fxHorizonBorealis", "Aurora", aurora, lines, drivers=[
            # The band's centre line rises from about 0.53 to 0.7 of the height (black below it).
            keys("Horizon/Offset", [(0.0, 680.0), (4.8, 580.0)], EASEINOUT, 0.2),
        ], **{"Horizon/Offset": 680.0, "Horizon/Scale": 0.6}),
        effect("fxBufferDefault", "SkyBack", aurora, lines, **back),
        image_of("SkyOnScreen", aurora, lines, "ArchiveSky", size=1.0, blend=0, fullscreen=True,
                 fade_in=0.1, fade_out=0.2),
        look("LookAurora", aurora, lines, steps=6.0, initial=0.3, final=0.05, factor=1.0, intensity=1.2),
        camera("CamAurora", aurora, lines, pos=(0.0, 0.0, -100.0), drivers=[
            sine("CamQuaternion.y", -0.06, 0.06, 4 * 1.92),
            expr("CamPosition.y", kick(aurora, 0.0, -2.0, 6.0)),
        ]),
        effect("fxLorenz", "Attractor", aurora + beat(2), lines, 0.96, 0.48, **lorenz),
        # -- 80-84 Lines, the tape over them.
        effect("fxJoyDivision", "WaveLines", lines, heart, 0.2, 0.3, drivers=[
            expr("Waves/Height", kick(lines, 0.35, 0.35, 5.0)),
            expr("Line/Offsety", "0.02*sin(x*pi/1.92)"),
        ], **joy),
        effect("fxPostVHS", "ArchiveTape", lines, heart, drivers=[
            expr(">>JumpsH", snare(lines, 0.03, 0.45, 10.0)),
            keys(">>Noise", [(0.0, 0.45), (0.96, 0.2), (6.72, 0.2), (7.68, 0.5)], LINEAR),
        ], **vhs),
        # -- 84-87 Heart: the trace on a green monitor grid, its spike on the snare: a heart every
        # half bar (0.52 s of beat, 0.44 s of pause), the first spike 1.23 s after the effect's
        # start, so the trace starts 13 frames late to put it on the second snare.
        # The heart is drawn in a buffer of its own: its picture fades out over the last bar.
        off_screen("HeartScreen", heart, e, (16 / 9, 1.0)),
        look("LookHeart", heart, e, fade_in=0.2, steps=10.0, initial=0.5, final=0.05, factor=1.2, intensity=1.3),
        grid("GridHeart", heart, e, back=(0.0, 0.025, 0.01), line=GREEN, alphas=(0.05, 0.08, 0.25),
             scale=(2.0, 2.0), drivers=[expr("ColorGrid3.a", kick(heart, 0.15, 0.2, 6.0)),
                                        keys("ColorBack.g", [(0.0, 0.025), (3.84, 0.025), (5.76, 0.0)], LINEAR)]),
        camera("CamHeart", heart, e, pos=(0.0, 0.0, -100.0), drivers=[sine("CamQuaternion.z", -0.02, 0.02, 7.68)]),
        # The trace alone for a bar, then the heart's outline lights and the trace bends over it;
        # in the last bar the heart alone.
        effect("fxECG", "HeartTrace", heart + 13, e, 0.3, 0.0, drivers=[
            keys("Alpha", [(0.0, 0.0), (1.7, 0.0), (2.9, 1.3), (3.6, 1.3), (3.62, 2.0)], LINEAR)],
            **{"Alpha": 0.0, "InterBeat": 0.44, "DrawLine": False}),
        effect("fxBufferDefault", "HeartBack", heart, e, **back),
        image_of("HeartOnScreen", heart, e, "HeartScreen", size=1.0, blend=0, fullscreen=True, fade_in=0.2,
                 fade_out=1.92),
    ]
    return items


def gear_props(speeds, colors):
    """The "Gears" array of the SVG machine: one element per part, by position."""
    props = {"Gears.size": len(speeds)}
    for i, (w, col) in enumerate(zip(speeds, colors)):
        props.update({"Gears[%d].Name" % i: "", "Gears[%d].Highlight" % i: False, "Gears[%d].Speed" % i: float(w)})
        props.update({"Gears[%d].%s" % (i, c): float(v) for c, v in zip("rgb", col)})
    return props


def machine_break():
    """Bars 40-48, the break (pad, arpeggio, hats and a soft lead, no kick): the title is written
    letter by letter on the beat over a clockwork plate, a neon caption flickers on, an eye opens
    whose iris is a clockwork turning behind the lids, a manta ray rises through orbiting layers,
    a head turns into the ZQ4 logo, and rings of rays gather into the logo again."""
    s, e = bar(40), bar(48)
    d = (e - s) / FPS
    b = 1.92  # one bar in seconds
    VIOLET = (0.55, 0.35, 1.0)
    items = [
        look("LookBreak", s, e, fade_in=0.5, steps=14.0, initial=0.45, final=0.05, factor=1.2, intensity=1.2,
             brightness=0.9),
        grid("GridBreak", s, e, back=(0.02, 0.0, 0.05), line=VIOLET, alphas=(0.03, 0.05, 0.16), scale=(1.2, 1.2),
             drivers=[expr("UvPos.y", "x*0.05"),
                      # the hats: a faint tick on every eighth note
                      expr("ColorGrid3.a", "0.12 + 0.06*exp(-10*fract(%s/%g))" % (music_time(s), BEAT_S / 2))]),
        camera("CamBreak", s, e, pos=(0.0, 0.0, -100.0), drivers=[
            sine("CamPosition.x", -4.0, 4.0, 4 * b), sine("CamQuaternion.z", -0.02, 0.02, 8 * b, 0.25)]),
    ]
    # Bars 42-45: the eye machine. First in the list of its frames: it flushes the lines before it
    # under its stencil. Nine gears turn as meshed wheels (speeds against their tooth counts).
    w = 0.012
    speeds = (w, -1.5 * w, -w * 24 / 18, 2 * w, -1.2 * w, 2 * w, -w * 24 / 14, 2.4 * w, 2 * w)
    colors = [mix(CYAN, MAGENTA, i / 8) for i in range(9)]
    machine = {"Auto Transform": True, "Rendering Mode": 0, "SVG File": "Data/svg/EyesUniverse/Eyes_Universe_PRW4C.svg"}
    machine.update(rgba("Color", (0.8, 0.9, 1.0, 1.0)))
    machine.update(vec("Transform.Rot", (180.0, 0.0, 0.0)))
    machine.update(vec("Transform.Pos", (0.0, -4.0, 0.0)))
    machine.update(gear_props(speeds, colors))
    # Init sets the scale to 0.06; the drivers then push in slowly over the three bars.
    zoom = [(0.0, 0.065), (3 * b, 0.09)]
    items.append(effect("nanoSVGScene", "EyeMachine", bar(42), bar(45), 0.96, 0.96, drivers=[
        keys("Transform.Scale.x", zoom, EASEINOUT), keys("Transform.Scale.y", zoom, EASEINOUT)], **machine))
    # Bars 40-43: the clockwork plate behind the title.
    plate = {"SVG": "Data/svg/EyesUniverse/Machinery_Of_Time.svg", "Auto Transform": True, "LOD Enabled": True,
             "LOD Epsilon": 0.3, "Thickness": 0.35}
    plate.update(rgba("Color", (0.25, 0.2, 0.6, 1.0)))
    plate.update(vec("Transform.Rot", (180.0, 0.0, 0.0)))
    plate.update(vec("Transform.Pos", (0.0, -6.0, 10.0)))
    items.append(effect("fxSVG", "Clockwork", s, bar(43), 1.5, 0.96, drivers=[
        expr("Transform.Rot.z", "2*sin(x*0.4)")], **plate))
    # The title, one letter per beat from the first beat, then the neon caption.
    title = {"Font": "Data/Font/Rudovadov.ttf", "Text": "MORVANE", "TextFile": "", "StartChar": 0.0,
             "LOD Epsilon": 0.05, "Size": 16.0, "Scale": 1.0, "Dot Size": 0.1, "Thickness": 0.6,
             "Render Dot": False, "Render Outline": True, "Render Lines": False, "Render Simplex": False}
    title.update(rgba("Color", (1.0, 0.85, 0.5, 1.0)))
    title.update(vec("Transform.Pos", (-42.0, 14.0, 0.0)))
    items.append(effect("fxText", "Title", s, bar(42) + beat(2), 0.0, 0.96, drivers=[
        keys("EndChar", [(0.0, 0.0), (7 * BEAT_S, 7.0)], LINEAR)], **title))
    caption = {"Font": "Data/Font/Rudovadov.ttf", "Text": "ZQ4  NIGHT VECTOR", "TextFile": "", "StartChar": 0.0,
               "EndChar": -1.0, "LOD Epsilon": 0.1, "Size": 4.0, "Scale": 1.0, "Dot Size": 0.1, "Thickness": 0.45,
               "Render Dot": False, "Render Outline": True, "Render Lines": False, "Render Simplex": True,
               "EvalSteps": 60, "EvalVariation": 0.35, "EvalThreshold": 0.7, "SeedInitial": 40, "SeedPerPath": True,
               "ThicknessOff": 0.2, "ThicknessMid": 0.3}
    caption.update(rgba("Color", (1.0, 0.3, 0.85, 1.0)))
    caption.update(rgba("ColorOff", (0.05, 0.0, 0.2, 1.0)))
    caption.update(rgba("ColorMid", (0.4, 0.1, 0.5, 1.0)))
    caption.update(vec("Transform.Pos", (-30.0, 2.0, 0.0)))
    items.append(effect("fxTextNeon", "Caption", bar(41), bar(42) + beat(2), 0.0, 0.96, drivers=[
        keys("Neon", [(0.0, 0.0), (b, 1.0)], LINEAR)], **caption))
    # Bars 45-48: the eye universe behind the logo: orbits turning and the rays of an iris coming
    # closer.
    layers = {"Global Offset.x": 0.0, "Global Offset.y": 0.0, "Speed0": 0.0, "Speed1": 0.0,
              "Draw 0": False, "Draw 1": True, "Draw 2": False, "Draw 3": False, "Draw 4": True}
    layers.update(vec("Base Color", (1.0, 1.0, 1.0, 1.0)))
    layers.update(vec("Transform 1.Scale", (1.6, 1.6, 1.6)))
    layers.update(vec("Transform 1.Pos", (0.0, 0.0, -40.0)))  # negative z: away from the camera
    layers.update(vec("Transform 4.Scale", (2.0, 2.0, 2.0)))
    layers.update(vec("Transform 4.Pos", (0.0, 0.0, -160.0)))
    dim = [(0.0, 1.0), (1.5 * b, 1.0), (2.0 * b, 0.4)]
    items.append(effect("rvEyesUniverse", "EyeUniverse", bar(45), e, drivers=[
        keys("Base Color.x", dim), keys("Base Color.y", dim), keys("Base Color.z", dim),
        expr("Transform 1.Rot.z", "x*12"), expr("Transform 1.Rot.x", "25*sin(x*0.6)"),
        expr("Transform 4.Rot.z", "-x*8"), keys("Transform 4.Pos.z", [(0.0, -160.0), (3 * b, -70.0)], EASEINOUT)],
        **layers))
    # Bars 43-48: a manta ray rises from below, a wave running along its body.
    manta = {"SplineScale": 2.6, "Thickness": 0.6, "WindHeight": 1.5, "WindPeriod": 3.0, "DebugSpine": False}
    manta.update(rgba("Color", (0.3, 1.0, 0.85, 1.0)))
    manta.update(vec("Transform.Scale", (4.0, 1.0, 1.0)))
    manta.update(vec("Transform.Rot", (0.0, 0.0, 0.0)))
    manta.update(vec("Transform.Pos", (0.0, -80.0, -10.0)))
    items.append(effect("fxMantaRay", "Manta", bar(43), e, 1.0, 1.0, drivers=[
        keys("Transform.Pos.y", [(0.0, -85.0), (5 * b, 85.0)], LINEAR),
        sine("Transform.Pos.x", 45.0, 60.0, 4 * b)], **manta))
    # Bars 45-47: a head turns into the logo as the morph fades in; it fades out as the logo.
    morph = {"FadeInMorph": True, "FadeInColor": False, "FadeOutMorph": False, "FadeOutColor": True,
             "UserMorph": 1.0, "Source/FX": "", "Source/SVG": "Data/svg/custom/head.svg",
             "Destination/FX": "", "Destination/SVG": "Data/svg/ZQ4_logo_v1.svg",
             "Source/Size": 0.85, "Destination/Size": 0.8, "Style/Thickness": 0.45}
    morph.update(vec("Source/Pos", (-8.0, 0.0)))
    morph.update(vec("Destination/Pos", (0.0, 0.0)))
    morph.update(rgba("Style/Color", (0.9, 0.95, 1.0, 1.0)))
    items.append(effect("fxMorph", "HeadToLogo", bar(45), bar(47), 1.92, 0.96, **morph))
    # Bars 46.5-48: rings of rays grow, retract and gather into the logo.
    rays = {"Item Count": 8, "Item Radius": 2.5, "Radius Init": 24.0, "Radius Target": 34.0, "Radius Speed": 0.05,
            "Lenght Speed": 20.0, "RadBySec": 1.0}
    rays.update(vec("Center", (0.0, 0.0, 0.0)))
    rays.update(vec("Transform.Scale", (1.0, 1.0, 1.0)))
    rays.update(vec("Transform.Rot", (180.0, 0.0, 0.0)))
    items.append(effect("fxBBC", "LogoRays", bar(46) + beat(2), e, 0.5, 1.0, **rays))
    # The logo stays where the morph left it, through the break's last bar and a half.
    logo = {"SVG": "Data/svg/ZQ4_logo_v1.svg", "Auto Transform": True, "LOD Enabled": True, "LOD Epsilon": 0.1,
            "Thickness": 0.5}
    logo.update(rgba("Color", (0.8, 0.9, 1.0, 1.0)))
    logo.update(vec("Transform.Rot", (180.0, 0.0, 0.0)))
    logo.update(vec("Transform.Pos", (0.0, 0.0, 0.0)))
    size = [(0.0, 0.07)]  # the loaded scale fits the drawing in 100 units: 42 here
    items.append(effect("fxSVG", "BreakLogo", bar(46) + beat(2), e, 0.96, 0.5, drivers=[
        keys("Transform.Scale.x", size), keys("Transform.Scale.y", size)], **logo))
    return items


def verse_two():
    """Bars 48-56, the second verse (kick, hats, snare, driving bass): the break's title dissolves
    into sparks as a recorded game of asteroids starts in the middle, a flock swims behind it,
    sparks fly on every kick and, from bar 52, metaballs melt together, flashing on the snare."""
    s, e = bar(48), bar(56)
    d = (e - s) / FPS
    half = bar(52)
    items = [
        # Drawn in a buffer of its own: the picture fades in and out (the game applies no fade).
        off_screen("VerseScreen", s, e, (16 / 9, 1.0)),
        look("LookVerse2", s, e, fade_in=0.5, steps=10.0, initial=0.45, final=0.08, factor=1.2, intensity=1.25,
             brightness=0.9, fog=(200.0, 420.0), fog_power=2.0),
        grid("GridVerse2", s, e, back=(0.0, 0.012, 0.03), line=CYAN, alphas=(0.03, 0.05, 0.16), scale=(1.5, 1.5),
             drivers=[expr("UvPos.y", "x*0.05"),
                      expr("ColorGrid3.a", "(%s)*(1 - smoothstep(%g, %g, x))" % (kick(s, 0.08, 0.2, 7.0), d - 1.0, d))]),
        camera("CamVerse2", s, e, pos=(0.0, 0.0, -105.0), drivers=[
            sine("CamQuaternion.z", -0.02, 0.02, 7.68),
            noise("CamPosition.x", -3.0, 3.0, 3.0, 2.2),
        ]),
        # The flock, far behind the play field, dim teal to deep blue; its trails thicken on the kick.
        effect("fxSwarm", "Swarm", s, e, 1.92, 1.0, drivers=[expr("Thickness", kick(s, 0.12, 0.12, 6.0))], **dict(
            {"RandomSeed": 7, "SkipFrames": 120, "BoidCount": 90, "SpawnCount": 8, "Thickness": 0.15,
             "DrawLength": 14, "WallForce": 0.1, "PerceptionRadius": 20.0, "SeparationWeight": 3.0,
             "AlignmentWeight": 0.2, "CohesionWeight": 1.0, "SteeringWeight": 1.0, "BlindspotAngleDeg": 40.0,
             "MaxAcceleration": 30.0, "MaxVelocity": 24.0},
            **vec("AquariumSize", (110.0, 55.0, 30.0)), **vec("AquariumCenter", (0.0, 0.0, 60.0)),
            **rgba("ColorMin", (0.04, 0.25, 0.22, 1.0)), **rgba("ColorMax", (0.05, 0.1, 0.32, 1.0)))),
        # The game replays "Data/input/Asteroid.input" (recorded by tools/record-asteroid.cpp with the
        # game's default attributes: only the look may differ here, or the replay would not match).
        effect("fxAsteroid", "Asteroids", s, e, 0.48, 0.96, **dict(
            {"RecordInputs": False, "RecordFile": "Data/input/Asteroid.input", "Draw/Thickness": 0.35},
            **rgba("Draw/Ship Color", (0.35, 0.55, 1.0, 1.0)), **rgba("Score/Color", (0.35, 0.55, 1.0, 1.0)))),
        # From bar 52 the metaballs, in magenta; their inner outlines swell on the snare.
        effect("fxMetaBallSystem", "MetaBalls", half, e, 0.96, 0.96, drivers=[
            expr("Outline Distance", snare(half, 1.5, 1.5, 6.0)),
            expr("Union Distance", kick(half, 8.0, 4.0, 5.0)),
        ], **dict({"Subdiv": 96, "RandomSeed": 3, "TimeSeek": 0.0}, **rgba("Color", (0.9, 0.25, 0.8, 1.0)))),
    ]
    # The title comes back and dissolves into sparks rising from its letters while the game
    # begins, a burst on every kick.
    title = {"Font": "Data/Font/Rudovadov.ttf", "Text": "MORVANE", "TextFile": "", "StartChar": 0.0, "EndChar": -1.0,
             "LOD Epsilon": 0.05, "Size": 16.0, "Scale": 1.0, "Dot Size": 0.1, "Thickness": 0.6,
             "Render Dot": False, "Render Outline": True, "Render Lines": False, "Render Simplex": False}
    title.update(rgba("Color", (1.0, 0.85, 0.5, 1.0)))
    title.update(vec("Transform.Pos", (-42.0, 14.0, 0.0)))
    items.append(effect("fxText", "VerseTitle", s, s + bar(1) + beat(2), 0.2, 1.92, **title))
    items.append(effect("fxParticleEmitter", "TitleSparks", s, s + bar(2) + beat(2), 0.0, 1.44, drivers=[
        expr("Emission", "floor(%s)" % kick(s, 60.0, 900.0, 7.0)),
    ], **dict({"Source": "VerseTitle", "Radius": 0.3, "InitialCount": 400, "Emission": 60, "Particle Max": 3000,
               "LifeTime Min": 0.5, "LifeTime Max": 1.4, "RadialEmission": False, "Segment Length": 0.8,
               "Direction": 90.0, "Spread": 120.0, "Speed Min": 2.0, "Speed Max": 9.0,
               "Gravity Min": 2.0, "Gravity Max": 8.0, "Radial Accel Min": 0.0, "Radial Accel Max": 0.0,
               "Tangential Accel Min": -2.0, "Tangential Accel Max": 2.0, "Friction": 0.3},
              **vec("Pos", (0.0, 14.0, 0.0)), **rgba("ColorStart", (1.0, 0.85, 0.5, 1.0)),
              **rgba("ColorEnd", (1.0, 0.3, 0.85, 0.0)))))
    # Two sparklers circling the field, bursting on every kick.
    for i, col in enumerate(((YELLOW, AMBER), (WHITE, CYAN))):
        st = s + bar(2 * i + 1)
        items.append(effect("fxParticleEmitter", "Sparkler%d" % i, st, e, 0.5, 1.0, drivers=[
            expr("Emission", "floor(%s)" % kick(st, 10.0, 500.0, 9.0)),
            sine("Pos.x", -70.0, 70.0, 7.68, 0.5 * i),
            sine("Pos.y", -38.0, 38.0, 3.84, 0.5 * i + 0.25),
        ], **dict({"Source": "", "Radius": 1.0, "InitialCount": 0, "Emission": 10, "Particle Max": 1500,
                   "LifeTime Min": 0.3, "LifeTime Max": 0.9, "RadialEmission": False, "Segment Length": 1.2,
                   "Direction": 90.0, "Spread": 360.0, "Speed Min": 10.0, "Speed Max": 28.0,
                   "Gravity Min": -5.0, "Gravity Max": -20.0, "Radial Accel Min": 0.0, "Radial Accel Max": 0.0,
                   "Tangential Accel Min": -6.0, "Tangential Accel Max": 6.0, "Friction": 0.6},
                  **vec("Pos", (0.0, 0.0, 0.0)), **rgba("ColorStart", list(col[0]) + [1.0]),
                  **rgba("ColorEnd", list(col[1]) + [0.0]))))
    items += [effect("fxBufferDefault", "VerseBack", s, e, **{"Debug Color": 0, "Debug Alpha": 0, "Debug Depth": 0}),
              image_of("VerseOnScreen", s, e, "VerseScreen", size=1.0, blend=0, fullscreen=True, fade_in=0.48,
                       fade_out=0.96)]
    return items


def orbit(radius, angle, aside=0.0):
    """Drivers of an fxCamera turning the scene about the vertical axis through the origin by
    `angle` (a formula of x, radians), seen from `radius` units away; the view turned `aside`
    radians more than the eye, to put the origin off the middle of the picture."""
    return [
        expr("CamPosition.x", "R*sin(%s)" % angle, R=radius),
        expr("CamPosition.z", "-R*cos(%s)" % angle, R=radius),
        expr("CamQuaternion.y", "sin((%s + %g)/2)" % (angle, aside)),
        expr("CamQuaternion.w", "cos((%s + %g)/2)" % (angle, aside)),
    ]


def off_screen(name, start, end, size, back=(0.0, 0.0, 0.0)):
    props = {"KeepRatio": False, "RepeatUV": False, "Clear": True, "Debug Color": 0, "Debug Alpha": 0,
             "Debug Depth": 0}
    props.update(vec("SizePixel", (0.0, 0.0)))
    props.update(vec("SizeUnit", size))
    props.update(rgba("BackColor", list(back) + [1.0]))
    return effect("fxBufferDisplay", name, start, end, **props)


def runner():
    """Bars 64-72, the chorus again: the traced runner, his shadow on a relief, the scanned bust,
    his wire model, then the street corner."""
    s, e = bar(64), bar(72)
    half = bar(68)
    d = (e - s) / FPS
    back_to_default = {"Debug Color": 0, "Debug Alpha": 0, "Debug Depth": 0}
    items = [
        # The relief and the runner's giant shadow lying on it, drawn off screen at half size.
        off_screen("Relief", s, e, (0.5 * 16 / 9, 0.5)),
        effect("fxDepthLine", "DepthLines", s, e),
        # Seen from his side (a quarter turn) and rolled a quarter turn, 300 units away: upright and
        # the runner's size, the figure read as a second dark man beside him.
        camera("CamShadow", s, e, pos=(300.0, -90.0, 0.0), quat=(0.5, 0.5, 0.5, 0.5)),
        effect("fxStencilTest", "Shadow", s, e, **{"Scale": 1.0, "Color.r": 0.0, "Color.g": 0.0, "Color.b": 0.0},
               drivers=[expr("Scale", kick(s, 1.0, 0.04, 6.0))]),
        # His wire model turning, in a square buffer.
        off_screen("Hologram", s, e, (0.5, 0.5)),
        camera("CamHologram", s, e, pos=(0.0, -95.0, -330.0), drivers=orbit(330.0, "x*0.8")),
        effect("fxGLTFLoader", "WireRunner", s, e, **{"GLTF": "./Data/meshes/RunningMan.glb"}),
        # The street corner seen from the crossing, the camera swinging round the corner (the
        # origin); faces of both windings are drawn (the scene's polygons face either way).
        off_screen("Street", half, e, (0.75 * 16 / 9, 0.75)),
        # The view turned away from the corner by 0.5 rad: the corner stands beside the runner.
        camera("CamStreet", half, e, pos=(0.0, -16.0, -100.0), drivers=orbit(
            100.0, "2.54 + 1.1*smoothstep(0, %g, x)" % ((e - half) / FPS), 0.5)),
        look("LookStreet", half, e, steps=4.0, initial=0.4, final=0.1, factor=1.2, intensity=1.2, culling=False),
        effect("fxObjLoader", "StreetCorner", half, e, **{
            "OBJ": "./Data/meshes/3vEdizScene.obj", "Thickness": 0.8, "Color.r": 0.3, "Color.g": 0.75,
            "Color.b": 1.0}),
        effect("fxBufferDefault", "RunnerToDefault", s, e, **back_to_default),
        # The rest in a buffer of its own: the picture fades in and out (the runner applies no fade).
        off_screen("RunnerScreen", s, e, (16 / 9, 1.0)),
        # "Default": the relief as a dim teal scan picture pulsing with the kick, the street over it.
        image_of("ReliefBack", s, e, "Relief", size=1.0, mul=(0.25, 0.9, 0.75), blend=0, fullscreen=True,
                 fade_in=1.0, fade_out=0.0, drivers=[
                     expr("ColorMul.g", "(%s)*(1 - 0.7*smoothstep(%g, %g, x))" % (
                         kick(s, 0.75, 0.3, 6.0), (half - s) / FPS, (half - s) / FPS + 1.92)),
                     expr("ColorMul.b", "0.7*(1 - 0.7*smoothstep(%g, %g, x))" % (
                         (half - s) / FPS, (half - s) / FPS + 1.92))]),
        image_of("StreetBack", half, e, "Street", size=1.0, mul=(1.0, 1.0, 1.0), blend=2, fullscreen=True,
                 fade_in=1.92, fade_out=1.0),
        look("LookRunner", s, e, fade_in=0.5, steps=6.0, initial=0.5, final=0.1, factor=1.3, intensity=1.3),
        camera("CamRunner", s, e, pos=(0.0, -16.0, -100.0)),
        # The runner: idle, walk x5, run x5, jump (six bars: he runs from bar 67 to 69.5 and lands
        # his jump on bar 70), seen from his side, head up.
        effect("fxAnimation", "Runner", s, e, 0.5, 1.0, drivers=[keys("Camera.Yaw", [(0.0, 1.5707964)], 0)],
               **{"Animation": 0, "Camera.Pitch": 0.0, "Camera.Roll": 0.0, "Camera.Dist": 360.0,
                  "Camera.Pan.x": 0.0, "Camera.Pan.y": 0.0, "Scale": 0.1}),
        # The scanned bust turning once a bar on the left, breathing with the snare, until the
        # street corner takes its place.
        effect("fxExtruder", "Bust", s, half + bar(1), 1.0, 1.92, drivers=[
            expr("Scale", snare(s, 0.17, 0.02, 6.0))], **{
            "Data": "./Data/filtered.data", "Speed": 1.0, "Loop": True, "PingPong": False, "TimeStart": 0.0,
            "Scale": 0.17, "Thickness": 0.2, "Color.r": 0.1, "Color.g": 0.5, "Color.b": 0.42,
            **vec("Position", (-66.0, 16.0, 10.0)), **vec("Rotations", (0.0, 0.0, 0.0)),
            **vec("ClipGeneration/TimeRange", (0.0, 0.0)), **vec("ClipGeneration/ZoneRangeX", (-100.0, 100.0)),
            **vec("ClipGeneration/ZoneRangeY", (-100.0, 100.0)), **vec("ClipGeneration/ZoneRangeZ", (-100.0, 100.0)),
            "ClipGeneration/ZoneDraw": False, "ClipGeneration/CompressionError": 0.03}),
        image_of("WireRight", s + beat(2), e, "Hologram", pos=(0.62, 0.05), size=0.62, mul=(1.0, 0.45, 0.95), blend=2,
                 fade_in=1.0, fade_out=1.0, drivers=[expr("ScreenSize", kick(s, 0.6, 0.04, 6.0))]),
    ]
    # A ring on the ground under the runner on every kick.
    items.append(circle("Footfall", s, e, (0.0, 0.0, 0.0), 10.0, GREEN, 0.5, 1.0, drivers=[
        expr("Radius", "6 + 10*fract(%s/%g)" % (music_time(s), BEAT_S)),
        expr("Color.g", "1 - fract(%s/%g)" % (music_time(s), BEAT_S)),
        expr("Color.r", "0.35*(1 - fract(%s/%g))" % (music_time(s), BEAT_S)),
        expr("Color.b", "0.45*(1 - fract(%s/%g))" % (music_time(s), BEAT_S)),
    ]))
    items += [effect("fxBufferDefault", "RunnerBack", s, e, **back_to_default),
              image_of("RunnerOnScreen", s, e, "RunnerScreen", size=1.0, blend=0, fullscreen=True, fade_in=0.48,
                       fade_out=1.92)]
    return items


def finale():
    """Bars 108-112, the closing picture while the last chord rings: the ZQ4 logo drawn in glowing
    lines on a dark violet grid, the title written under it letter by letter; the camera drifts
    in, and the picture holds, then fades to black with the chord."""
    s, e = bar(108), bar(112)
    d = (e - s) / FPS
    fade = 2.88  # the last bar and a half
    logo = {"SVG": "Data/svg/ZQ4_logo_v1.svg", "Auto Transform": True, "LOD Enabled": True, "LOD Epsilon": 0.1,
            "Thickness": 0.7}
    logo.update(rgba("Color", (0.75, 0.9, 1.0, 1.0)))
    logo.update(vec("Transform.Rot", (180.0, 0.0, 0.0)))
    logo.update(vec("Transform.Pos", (0.0, 10.0, 0.0)))
    title = {"Font": "Data/Font/Rudovadov.ttf", "Text": "MORVANE", "TextFile": "", "StartChar": 0.0,
             "LOD Epsilon": 0.05, "Size": 9.0, "Scale": 1.0, "Dot Size": 0.1, "Thickness": 0.5,
             "Render Dot": False, "Render Outline": True, "Render Lines": False, "Render Simplex": False}
    title.update(rgba("Color", (1.0, 0.85, 0.5, 1.0)))
    title.update(vec("Transform.Pos", (-24.0, -50.0, 0.0)))
    return [
        look("LookFinale", s, e, fade_in=0.3, steps=12.0, initial=0.45, final=0.05, factor=1.3, intensity=1.3,
             brightness=0.9),
        grid("GridFinale", s, e, back=(0.015, 0.0, 0.035), line=(0.55, 0.35, 1.0), alphas=(0.03, 0.05, 0.14),
             scale=(1.2, 1.2), drivers=[
                 expr("UvPos.y", "x*0.03"),
                 keys("ColorGrid3.a", [(0.0, 0.0), (1.0, 0.14), (d - fade, 0.14), (d, 0.0)], LINEAR),
                 keys("ColorGrid2.a", [(0.0, 0.0), (1.0, 0.05), (d - fade, 0.05), (d, 0.0)], LINEAR),
                 keys("ColorGrid1.a", [(0.0, 0.0), (1.0, 0.03), (d - fade, 0.03), (d, 0.0)], LINEAR),
                 keys("ColorBack.b", [(0.0, 0.0), (1.0, 0.035), (d - fade, 0.035), (d, 0.0)], LINEAR),
                 keys("ColorBack.r", [(0.0, 0.0), (1.0, 0.015), (d - fade, 0.015), (d, 0.0)], LINEAR)]),
        camera("CamFinale", s, e, pos=(0.0, 0.0, -120.0), drivers=[
            keys("CamPosition.z", [(0.0, -150.0), (d, -128.0)], EASEOUT, 0.3),
            sine("CamQuaternion.z", -0.01, 0.01, 7.68)]),
        effect("fxSVG", "FinaleLogo", s, e, 1.44, fade, **logo),
        effect("fxText", "FinaleTitle", s + bar(1), e, 0.0, fade, drivers=[
            keys("EndChar", [(0.0, 0.0), (7 * BEAT_S / 2, 7.0)], LINEAR)], **title),
    ]


def place(items, written_at, written_bars, at, bars):
    """Moves a section written for bars written_at.. (written_bars long) to begin at bar `at` and
    last `bars`: every item moves by the same number of frames, and what ends with the section
    ends with it at its new length. `at - written_at` is a multiple of half a bar, so the beat
    phase that the drivers compute from their start stays on the music (within the frame
    rounding that every cut has)."""
    shift = int(round((at - written_at) * BAR_F))
    end = bar(written_at + written_bars)
    for item in items:
        props = item["Properties"]
        if props["End"] == end:
            props["End"] = bar(at + bars) - shift
        props["Start"] += shift
        props["End"] += shift
    return items


# The placed sections: (section, written at bar, written bars, placed at bar, placed bars). The
# cuts are the music's: 32 chorus's second half, 42 break (its build from bar 50), 52 second verse,
# 64 its second half with the storm and the fill on bar 73, 74 second chorus (the archive from
# 74.5), 86 third verse, 96 last chorus, 106 the last chord, 110 the end of the music.
PLACEMENT = (
    (chorus_tail, 32, 8, 32, 10),
    (machine_break, 40, 8, 42, 10),
    (console_boot, 72, 12, 52, 12),
    (tape, 56, 10.5, 64, 10.5),
    (phosphor_archive, 75.5, 11.5, 74.5, 11.5),
    (verse_two, 48, 8, 86, 10),
    (runner, 64, 8, 96, 10),
)
# The closing picture, written on bars 108-112 (its function, finale(), lives with the other
# sections), placed on the last chord: the music ends with it at bar 110 (211.2 s).
FINALE_WRITTEN_AT, FINALE_AT, FINALE_BARS = 108, 106, 4
END_BAR = FINALE_AT + FINALE_BARS


def demo():
    end = bar(END_BAR)
    items = [
        effect("fxMusic", "Music", 0, end, **{
            "MP3 File": MUSIC, "Volume": 1.0, "Radius Left": 1.0, "Radius Right": 0.0, "TempoBpm": 125.0,
            "TempoShift": 0.0, "TempoMesures": 4, "TempoMarkers": True}),
        # The demo's tint (read by the post effects): green, cyan, amber, then white for the chorus.
        effect("fxDemoGlobalParams", "GlobalParams", 0, end, **rgba("MonochromeColor", (1.0, 1.0, 1.0, 1.0)),
               drivers=[keys("MonochromeColor.%s" % c, [(bar(b) / FPS, col[j]) for b, col in
                                                         ((0, GREEN), (8, CYAN), (16, AMBER), (24, WHITE))],
                             0) for j, c in enumerate("rgb")]),
    ]
    items += ignition()
    items.append(effect("fxSequence", "Tunnel", bar(8), bar(16), **{"Sequence File": TUNNEL, "Time Seek": 0.0}))
    items += scope()
    items += sphere()
    # From bar 32 on, each section was written on bars of its own and is placed here on the
    # music's sections (tools/gen-music): where a section is placed longer than written, its
    # last scene is held. The chorus's second half and the break are held two bars (the break's
    # last two are the music's build); the tape's last bar (its storm and test spiral) runs over
    # the music's fill into the second chorus, which the archive plays from its second beat
    # pair on; the game plays over the driving third verse, the runner over the last chorus.
    for section, written_at, written_bars, at, bars in PLACEMENT:
        items += place(section(), written_at, written_bars, at, bars)
    # The closing picture while the last chord rings out (bars 106-110): finale(), when the
    # file has it (until then these bars stay black under the ringing chord).
    finale = globals().get("finale")
    if finale is not None:
        items += place(finale(), FINALE_WRITTEN_AT, FINALE_BARS, FINALE_AT, FINALE_BARS)
    # The music and the tint run to the end of the music, on which the timeline ends: nothing
    # may run past it (the player would hold a silent picture).
    last = max(item["Properties"]["End"] for item in items)
    assert last <= end, "an item ends at frame %d, after the music (frame %d)" % (last, end)
    return items


def write(path, items):
    with open(path, "w") as f:
        json.dump({"Items": items}, f, indent="\t", sort_keys=True)
        f.write("\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.join(ROOT, "Data", "seq"))
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    write(os.path.join(args.out, "_DemoFull_.seq"), demo())
    write(os.path.join(args.out, "tunnel.seq"), tunnel_part())


if __name__ == "__main__":
    main()
