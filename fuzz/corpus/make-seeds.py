#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (small files, kept in the
repository). Run from anywhere: python3 fuzz/corpus/make-seeds.py"""
import math
import os
import random
import struct

here = os.path.dirname(os.path.abspath(__file__))
names = ["outputLevel", "c1Cabinet", "c1Microphone", "c1MicPos", "c1MicDistance", "c1HPF", "c1LMF", "c1LMLevel",
         "c1HMF", "c1HMLevel", "c1LPF", "c1Level", "c2Cabinet", "c2Microphone", "c2MicPos", "c2MicDistance", "c2HPF",
         "c2LMF", "c2LMLevel", "c2HMF", "c2HMLevel", "c2LPF", "c2Level", "c1Mute", "c2Mute", "sampleRate",
         "c1HPFBypass", "c1LMFBypass", "c1HMFBypass", "c1LPFBypass", "c2HPFBypass", "c2LMFBypass", "c2HMFBypass",
         "c2LPFBypass"]
defaults = {"outputLevel": "0.5", "c1LMF": "0.400000006", "c1HMF": "0.368421048", "c1LPF": "1", "c1Level": "0.5",
            "c1LMLevel": "0.5", "c1HMLevel": "0.5", "c2LMF": "0.400000006", "c2HMF": "0.368421048", "c2LPF": "1",
            "c2Level": "0.5", "c2LMLevel": "0.5", "c2HMLevel": "0.5", "sampleRate": "44100"}
for n in names:
    if n.endswith(("Cabinet", "Microphone", "MicPos", "MicDistance")):
        defaults[n] = "0.00999999978"
    defaults.setdefault(n, "0")


def settings(values, with_rate=True, tag="MORVANESETTINGS"):
    attributes = " ".join('%s="%s"' % (n, values[n]) for n in names if n in values and (with_rate or n != "sampleRate"))
    return "<%s %s/>" % (tag, attributes)


def chunk(text, magic=b"VC2!", length_adjust=0):
    data = text.encode()
    return magic + struct.pack("<I", len(data) + length_adjust) + data + b"\0"


def write(target, name, data):
    folder = os.path.join(here, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# State chunks.
motown = dict(defaults, c2Cabinet="0.2", c1HPF="0.3", c2LPF="0.4", c1Mute="1", c2HMFBypass="1")
odd = dict(defaults, outputLevel="1e30", c1Cabinet="-3", c1HPF="nan", c2Level="inf", sampleRate="-5")
write("StateChunkFuzzer", "default", chunk(settings(defaults)))
write("StateChunkFuzzer", "motown", chunk(settings(motown)))
write("StateChunkFuzzer", "odd-values", chunk(settings(odd)))
write("StateChunkFuzzer", "lower-case-tag", chunk(settings(defaults, tag="morvanesettings")))
write("StateChunkFuzzer", "other-tag", chunk(settings(defaults, tag="SETTINGS")))
write("StateChunkFuzzer", "length-beyond-data", chunk(settings(motown), length_adjust=4000))
write("StateChunkFuzzer", "truncated", chunk(settings(motown))[:200])
write("StateChunkFuzzer", "wrong-magic", chunk(settings(defaults), magic=b"CcnK"))
write("StateChunkFuzzer", "nested", chunk("<MORVANESETTINGS c1HPF=\"0.5\"><CHILD x=\"1\"/></MORVANESETTINGS>"))

# Preset files: XML with a declaration, without the sample rate.
declaration = '<?xml version="1.0" encoding="UTF-8"?>\n\n'
write("PresetFileFuzzer", "default.mv3", (declaration + settings(defaults, with_rate=False) + "\n").encode())
write("PresetFileFuzzer", "motown.mv3", (declaration + settings(motown, with_rate=False) + "\n").encode())
write("PresetFileFuzzer", "odd-values.mv3", (declaration + settings(odd, with_rate=False) + "\n").encode())
write("PresetFileFuzzer", "partial.mv3", (declaration + '<MORVANESETTINGS c2Cabinet="0.13" c1HPF="0.9"/>').encode())
write("PresetFileFuzzer", "foreign.mv3", (declaration + '<PRESET name="x"><PARAM id="1" value="0.5"/></PRESET>').encode())
write("PresetFileFuzzer", "binary.mv3", bytes(range(256)))
write("PresetFileFuzzer", "empty.mv3", b"")


# Wave files: first byte picks the working rate, the rest is the file.
def wave(channels, rate, bits, frames, fmt_tag=1, riff=b"RIFF", declared_frames=None, samples=None):
    rng = random.Random(channels * 1000 + bits + frames)
    width = bits // 8
    body = bytearray()
    for i in range(frames * channels):
        x = samples[i] if samples is not None else math.exp(-i / 60.0) * (rng.random() * 2 - 1)
        if fmt_tag == 3:
            body += struct.pack("<f", x)
        elif bits == 8:
            body += struct.pack("<B", max(0, min(255, int(128 + 127 * x))))
        else:
            v = max(-(1 << (bits - 1)), min((1 << (bits - 1)) - 1, int(x * ((1 << (bits - 1)) - 1))))
            body += v.to_bytes(width, "little", signed=True)
    declared = (declared_frames if declared_frames is not None else frames) * channels * width
    fmt = struct.pack("<HHIIHH", fmt_tag, channels, rate, rate * channels * width, channels * width, bits)
    data = b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", declared) + bytes(body)
    return riff + struct.pack("<I", 4 + len(data)) + b"WAVE" + data


write("ImpulseResponseDecoderFuzzer", "catalogue-like-44k", b"\0" + wave(1, 44100, 24, 400))
write("ImpulseResponseDecoderFuzzer", "catalogue-like-192k", b"\4" + wave(1, 44100, 24, 400))
write("ImpulseResponseDecoderFuzzer", "stereo-16", b"\1" + wave(2, 48000, 16, 200))
write("ImpulseResponseDecoderFuzzer", "float-with-nan", b"\2" + wave(1, 44100, 32, 64, fmt_tag=3,
                                                                       samples=[float("nan")] * 3 + [0.5] * 61))
write("ImpulseResponseDecoderFuzzer", "eight-bit", b"\3" + wave(1, 22050, 8, 100))
write("ImpulseResponseDecoderFuzzer", "declared-longer", b"\0" + wave(1, 44100, 24, 100, declared_frames=100000))
write("ImpulseResponseDecoderFuzzer", "rf64-header", b"\0" + wave(1, 44100, 24, 50, riff=b"RF64"))
write("ImpulseResponseDecoderFuzzer", "header-only", b"\5" + wave(1, 44100, 24, 0))
write("ImpulseResponseDecoderFuzzer", "not-a-wave", b"\0" + b"\x89PNG\r\n\x1a\n" + bytes(64))

# Graph programs: a layout byte, a preparation, then operations (see GraphDriverFuzzer.cpp).
rng = random.Random(3)
write("GraphDriverFuzzer", "process-only", bytes([1, 0, 3]) + bytes([0, 0x00, 0x02, 1, 7] * 8))
write("GraphDriverFuzzer", "switch-and-play", bytes([1, 0, 3, 5, 1, 4, 2, 1, 0, 0]) + bytes([0, 0x40, 0x01, 1, 9] * 12))
write("GraphDriverFuzzer", "automate", bytes([1, 2, 5]) + b"".join(bytes([3, i, rng.randrange(256), rng.randrange(256), 0, 0x00, 0x01, 1, 3]) for i in range(34)))
write("GraphDriverFuzzer", "reprepare-mono", bytes([0, 4, 8, 0, 0x00, 0x10, 0, 1, 6, 0, 1, 0, 1, 0, 0x00, 0x02, 0, 5, 7, 0, 0x00, 0x01, 1, 2]))
write("GraphDriverFuzzer", "random", bytes(rng.randrange(256) for _ in range(300)))
