#!/usr/bin/env python3
"""Writes the sample sprite bytes behind docs/contact-sheet.png: four little animations of
12 frames each, drawn here in code, every frame 24 x 24 pixels (3 bytes wide), stored row
after row, frame after frame, with no header.

    python3 docs/sample_sprites.py sample.bin
    pelorin-convert -a '$45' --sheet docs/contact-sheet.png sample.bin

With --masked-columns the same frames are stored as masked sprites often are (the bytes
behind docs/layouts.png, which docs/layouts.sh draws): each 8-pixel column top to bottom,
then the next, every graphic byte followed by its mask byte, whose clear bits cover the
figure and a pixel around it.

    python3 docs/sample_sprites.py --masked-columns masked.bin
"""
import math
import sys

SIZE = 24
FRAMES = 12


def star(frame, x, y):
    """A five-pointed star turning."""
    dx, dy = x - 11.5, y - 11.5
    angle = math.atan2(dy, dx) + frame * 2 * math.pi / FRAMES / 5
    radius = 6 + 5 * abs(math.cos(angle * 5 / 2))
    return math.hypot(dx, dy) <= radius


def ball(frame, x, y):
    """A ball bouncing on the floor, squashed as it lands."""
    height = abs(math.sin(frame * math.pi / FRAMES))
    squash = 1 + 0.35 * (1 - height) ** 4
    centre = 17 - 10 * height
    dx, dy = (x - 11.5) / squash, (y - centre) * squash
    inside = dx * dx + dy * dy <= 36
    shine = (x - 9) ** 2 + (y - centre + 2) ** 2 <= 2
    return (inside and not shine) or y == 23


def square(frame, x, y):
    """The outline of a square, turning."""
    angle = frame * math.pi / 2 / FRAMES
    dx, dy = x - 11.5, y - 11.5
    u = abs(dx * math.cos(angle) + dy * math.sin(angle))
    v = abs(-dx * math.sin(angle) + dy * math.cos(angle))
    edge = max(u, v)
    return 6.5 <= edge <= 8.5


def ripple(frame, x, y):
    """Rings spreading from the middle."""
    distance = math.hypot(x - 11.5, y - 11.5)
    return distance < 12 and int(distance - frame * 0.75) % 4 == 0


def walker(frame, x, y):
    """A stick figure walking."""
    swing = math.sin(frame * 2 * math.pi / FRAMES)
    if math.hypot(x - 12, y - 4) <= 3:  # head
        return True
    if x == 12 and 7 <= y <= 14:  # body
        return True
    for side in (-1, 1):
        arm = 12 + side * swing * (y - 8) * 0.8
        if 8 <= y <= 13 and abs(x - arm) < 0.8:
            return True
        leg = 12 + side * swing * (y - 14) * 0.9
        if 15 <= y <= 23 and abs(x - leg) < 0.8:
            return True
    return False


def frame_bytes(shape, frame):
    out = bytearray()
    for y in range(SIZE):
        for column in range(SIZE // 8):
            byte = 0
            for bit in range(8):
                if shape(frame, column * 8 + bit, y):
                    byte |= 0x80 >> bit
            out.append(byte)
    return out


def mask_bytes(shape, frame):
    """The frame's mask, row after row: a bit is clear where the figure or a neighbour of
    its pixel is set."""
    def covered(x, y):
        return any(0 <= x + dx < SIZE and 0 <= y + dy < SIZE and shape(frame, x + dx, y + dy)
                   for dx in (-1, 0, 1) for dy in (-1, 0, 1))

    out = bytearray()
    for y in range(SIZE):
        for column in range(SIZE // 8):
            byte = 0xFF
            for bit in range(8):
                if covered(column * 8 + bit, y):
                    byte &= ~(0x80 >> bit)
            out.append(byte)
    return out


def masked_by_columns(graphic, mask):
    """The graphic and mask bytes of one frame, column by column, graphic byte first."""
    out = bytearray()
    width = SIZE // 8
    for column in range(width):
        for y in range(SIZE):
            out += bytes((graphic[y * width + column], mask[y * width + column]))
    return out


def main():
    masked = sys.argv[1] == "--masked-columns"
    data = bytearray()
    for shape in (star, ball, square, walker):
        for frame in range(FRAMES):
            graphic = frame_bytes(shape, frame)
            data += masked_by_columns(graphic, mask_bytes(shape, frame)) if masked else graphic
    with open(sys.argv[-1], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
