#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/<target>/.

The seeds are committed; run this again after changing an input layout (see the
comment at the top of each target). Existing seeds of the listed targets are
replaced; other files in the corpus folders are left alone.
"""
import math
import os
import random
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes(data))


# ---- fuzz_reply_stack --------------------------------------------------------

def live(direction, speed):
    return b"R000:" + struct.pack("<ff", direction, speed)


def block(hour, minute, size=1209, seed=0):
    rnd = random.Random(seed * 100 + hour * 12 + minute)
    body = b"R002:" + bytes([0, 0, hour, minute])
    for _ in range(300):
        if rnd.random() < 0.02:
            body += b"\xff\xff\xff\xff"
        else:
            body += struct.pack(">HH", rnd.randrange(3600), rnd.randrange(400))
    return body[:size]


def receive(data):
    assert len(data) <= 0x3FFF
    return bytes([len(data) >> 8, len(data) & 0xFF]) + data


def flood(data):
    extra = len(data) - 16 * 1024 - 1
    assert 0 <= extra <= 0x3FFF
    return bytes([0x40 | (extra >> 8), extra & 0xFF]) + data


def wait(steps):  # steps of 100 ms, 1..64
    return bytes([0x80 | (steps - 1)])


POLL = b"\xc0"


def reply_stack(setup=0, image_steps=0, *events):
    return bytes([setup, image_steps]) + b"".join(events)


def reply_stack_seeds():
    t = "fuzz_reply_stack"
    write(t, "live", reply_stack(0, 0, receive(live(90.0, 10.0)), wait(5), POLL,
                                 receive(live(91.5, 12.25)), wait(5), POLL))
    write(t, "live_selected_test_mode", reply_stack(4 | (2 << 3), 0, receive(live(180.0, 3.0)),
                                                    wait(5), POLL, receive(live(181.0, 4.0))))
    r = live(45.0, 31.0)
    write(t, "split", reply_stack(0, 0, receive(r[:7]), receive(r[7:]), wait(5),
                                  receive(r[:3]), wait(1), receive(r[3:])))
    write(t, "joined", reply_stack(0, 0, receive(live(1, 2) + live(3, 4) + b"R001:"),
                                   receive(live(5, 6) + b"xyz"), receive(b"R001:" + live(7, 8))))
    write(t, "short_flushed", reply_stack(0, 0, receive(live(10, 20)[:12]), wait(2),
                                          receive(live(10, 20)[:4]), wait(2)))
    nan = struct.pack("<f", math.nan)
    inf = struct.pack("<f", math.inf)
    write(t, "non_finite", reply_stack(0, 0, receive(live(100, 5)), receive(b"R000:" + nan + inf),
                                       receive(b"R000:" + struct.pack("<f", 7.0) + nan)))
    write(t, "silent_reconnect", reply_stack(0, 0, receive(live(1, 1)), wait(40), POLL, wait(40)))
    rnd = random.Random(7)
    junk = bytes(rnd.randrange(256) for _ in range(300))
    write(t, "garbage", reply_stack(0, 0, receive(junk), receive(b"R0" + junk[:40]),
                                    receive(b"AP" + junk[40:90]), wait(3)))
    write(t, "flood", reply_stack(0, 0, flood(live(12, 13) * 1261), receive(live(1, 2)), wait(5)))
    # A dump of yesterday: the first blocks in order, a duplicate, a broken hour,
    # a block split over two receives, a short one, live replies in between.
    dump = [receive(block(0, 0)), receive(block(0, 0)), receive(block(0, 5)),
            receive(live(3, 4)), receive(block(30, 10)), receive(block(0, 10)[:600]),
            receive(block(0, 10)[600:]), receive(block(0, 15, 1000)), wait(2),
            receive(block(0, 15)), wait(3)]
    write(t, "dump_blocks", reply_stack(1, 0, *dump))
    write(t, "dump_timeout", reply_stack(1, 0, receive(block(0, 0)), wait(64), wait(64), wait(64),
                                         wait(64), wait(64), receive(block(0, 5))))
    write(t, "dump_joined_blocks", reply_stack(1, 0, receive(block(0, 0) + block(0, 5) + live(1, 1)),
                                               receive(block(0, 10) + block(0, 15)[:200])))
    # A firmware image of 1110 bytes: pages 0 and 1, then "APP>:".
    fw = [receive(b"APPE:"), receive(b"APPW:"), POLL, receive(b"APPW:"), receive(b"APPW:"),
          receive(b"APP>:"), wait(12), POLL, receive(live(1, 1))]
    write(t, "firmware", reply_stack(2, 29, *fw))
    write(t, "firmware_no_image", reply_stack(0, 0, receive(b"APPE:"), receive(b"APPW:"),
                                              receive(b"APP>:")))
    write(t, "firmware_timeout", reply_stack(2, 255, receive(b"APPE:"), wait(64), wait(64),
                                             wait(64), wait(64), wait(64), receive(b"APPW:")))
    write(t, "firmware_during_dump", reply_stack(3, 60, receive(block(0, 0)), receive(b"APPE:"),
                                                 receive(b"APPW:"), receive(block(0, 5)),
                                                 receive(b"APPE:"), wait(3)))


# ---- fuzz_settings_load ------------------------------------------------------

SETTINGS_SIZE = 428528
STACK0 = 1216
STACK_SIZE = 4168
STACK_COUNT = 418016
GRID = 424440


def patched(size, *patches):
    out = b"\xffPT\x01" + struct.pack("<I", size)[:3]
    for offset, data in patches:
        while data:
            chunk, data = data[:255], data[255:]
            out += struct.pack("<I", offset)[:3] + bytes([len(chunk)]) + chunk
            offset += len(chunk)
    return out


def settings_seeds():
    t = "fuzz_settings_load"
    write(t, "empty", b"")
    write(t, "tiny", b"1.0\0")
    write(t, "default_full", patched(SETTINGS_SIZE))
    write(t, "default_long", patched(SETTINGS_SIZE + 100))
    write(t, "short_two_stacks", patched(STACK0 + 2 * STACK_SIZE))
    write(t, "short_mid_field", patched(STACK_COUNT + 2))
    write(t, "stack_count_0", patched(SETTINGS_SIZE, (STACK_COUNT, struct.pack("<i", 0))))
    write(t, "stack_count_101", patched(SETTINGS_SIZE, (STACK_COUNT, struct.pack("<i", 101))))
    write(t, "grid_negative", patched(SETTINGS_SIZE, (STACK_COUNT, struct.pack("<i", 10)),
                                      (GRID, bytes([0xFF, 40]))))
    write(t, "stack_count_60", patched(SETTINGS_SIZE, (STACK_COUNT, struct.pack("<i", 60)),
                                       (GRID, bytes([99, 0x80]))))
    nan = struct.pack("<d", math.nan)
    inf = struct.pack("<d", -math.inf)
    write(t, "non_finite", patched(SETTINGS_SIZE, (STACK0 + 88, nan + inf + nan + inf),
                                   (264, nan), (STACK0 + STACK_SIZE + 96, nan)))
    # Texts without a terminator, ending inside a double-byte character, and Korean.
    write(t, "texts", patched(SETTINGS_SIZE, (40, b"\xb0" * 80), (120, b"km/h" + b"\xc7" * 36),
                              (STACK0 + 4, "바람 측정".encode("cp949") + b"\xb0" * 75),
                              (400, b"/x/" + b"a" * 257), (STACK_COUNT, struct.pack("<i", 3)),
                              (STACK0 + STACK_SIZE + 4, b"\x81" * 84)))
    write(t, "lamp", patched(SETTINGS_SIZE, (424432, b"\x01\0\0\0\x7f\0\0\x01")))


def main():
    reply_stack_seeds()
    settings_seeds()
    for extra in sys.argv[1:]:
        print("unknown argument", extra, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
