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


# ---- fuzz_report_search -----------------------------------------------------

MISSING, SHORT, ENDS_AT, FULL, OVERRUN, DIRECTORY, PARTIAL = range(7)


def month(kind, place=0, content=b""):
    return bytes([kind]) + struct.pack("<i", place)[:3] + struct.pack("<H", len(content)) + content


def records(n, seed):
    rnd = random.Random(seed)
    out = b""
    for _ in range(n):
        out += struct.pack("<ff", rnd.randrange(3600) / 10, rnd.randrange(400) / 10)
    return out


def search(month_byte, day, hour, minute, second, span, magnitude, *months, before=False):
    head = bytes([month_byte, day - 1, hour, minute, second, magnitude | (0x80 if before else 0)])
    head += struct.pack("<I", span)[:3]
    while len(months) < 4:
        months += (month(MISSING),)
    return head + b"".join(months)


def report_search_seeds():
    t = "fuzz_report_search"
    # Month byte m: month m % 12 + 1, bit 7 the year 2025.
    write(t, "minute_full_file", search(2, 10, 12, 0, 0, 60, 8, month(FULL, 0, records(80, 1))))
    write(t, "file_ends_inside_span", search(2, 10, 12, 0, 0, 300, 10, month(ENDS_AT, 100, records(150, 2))))
    write(t, "partial_record", search(2, 10, 12, 0, 0, 120, 8, month(PARTIAL, -3, records(20, 3))))
    write(t, "short_from_day_one", search(5, 1, 0, 0, 0, 200, 8, month(SHORT, 0, records(100, 4))))
    write(t, "into_next_month", search(0, 31, 23, 59, 0, 180, 8, month(FULL, 0, records(60, 5)),
                                      month(SHORT, 0, records(120, 6))))
    write(t, "next_month_missing", search(0, 31, 23, 58, 0, 300, 9, month(FULL, 0, records(120, 7))))
    write(t, "next_month_directory", search(0, 31, 23, 58, 0, 300, 9, month(FULL, 0, records(120, 7)),
                                           month(DIRECTORY)))
    write(t, "first_month_directory", search(3, 3, 3, 3, 3, 100, 8, month(DIRECTORY)))
    write(t, "first_month_missing", search(3, 3, 3, 3, 3, 100, 8))
    write(t, "negative", search(3, 3, 3, 3, 3, 100, 8, month(FULL), before=True))
    write(t, "overrun_last_second", search(0, 31, 23, 59, 50, 30, 6,
                                          month(OVERRUN, 0, records(20, 8)), month(FULL)))
    write(t, "two_days_step", search(6, 14, 6, 0, 0, 2 * 86400 + 5, 23,
                                     month(FULL, -10, records(500, 9)), month(FULL)))
    write(t, "sixty_days_from_jan31", search(0x80 | 0, 31, 0, 0, 0, 60 * 86400, 23,
                                             month(FULL, 0, records(400, 10)), month(ENDS_AT, 0, records(10, 11)),
                                             month(FULL), month(SHORT, 0, records(30, 12))))
    write(t, "beyond_sixty_days", search(9, 20, 0, 0, 0, 0x7FFFFF, 23, month(FULL, 5, records(50, 13)),
                                         month(FULL), month(FULL)))
    nan = struct.pack("<f", math.nan)
    write(t, "nan_and_negative", search(2, 10, 12, 0, 0, 2 * 86400, 23,
                                        month(FULL, 0, (nan * 2 + struct.pack("<ff", -5, -1)) * 50)))


# ---- fuzz_wind_rose ---------------------------------------------------------

def rose(alarm, classes, base, rows):
    out = struct.pack("<d", alarm) + struct.pack("<b", classes) + bytes([base])
    for d, v in rows:
        out += struct.pack("<ff", d, v)
    return out


def wind_rose_seeds():
    t = "fuzz_wind_rose"
    rnd = random.Random(3)
    normal = [(rnd.randrange(3600) / 10, rnd.randrange(400) / 10) for _ in range(200)]
    write(t, "normal", rose(30.0, 6, 10, normal))
    write(t, "empty", rose(30.0, 6, 10, []))
    write(t, "one_row", rose(30.0, 6, 0, [(90.0, 12.0)]))
    write(t, "calm_edges", rose(30.0, 6, 5, [(0, 0.55), (0, 0.549), (0, 0.6), (0, 0.65), (11.25, 1),
                                             (11.26, 1), (348.75, 2), (348.76, 2), (359.5, 3)]))
    write(t, "class_edges", rose(30.0, 6, 5, [(45, 5.94), (45, 6.0), (45, 29.95), (45, 30.0), (45, 300)]))
    inf = math.inf
    write(t, "non_finite", rose(30.0, 6, 5, [(math.nan, 5), (inf, 5), (-inf, 5), (5, math.nan),
                                             (5, inf), (5, -inf), (-90, 5), (720, 5), (3e38, 3e38)]))
    write(t, "odd_levels", rose(0.0, 1, 5, normal[:20]))
    write(t, "negative_level", rose(-30.0, 12, 5, normal[:20]))
    write(t, "huge_level", rose(1e20, 6, 5, normal[:20]))
    write(t, "nan_level", rose(math.nan, 6, 5, normal[:20]))


def main():
    reply_stack_seeds()
    settings_seeds()
    report_search_seeds()
    wind_rose_seeds()
    for extra in sys.argv[1:]:
        print("unknown argument", extra, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
