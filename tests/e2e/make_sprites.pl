#!/usr/bin/perl
# Writes a sprite file as games store them: four 8 x 16 figures, each pre-shifted by 0 to 7
# pixels inside a 16-pixel (2-byte) frame, the whole set six times: 6,144 bytes. At strip
# width 2 the screen shows them as a sheet of sprites; at any other width they scramble.
# With "padded", two sets with 8 blank rows below each figure; "masked-columns" stores those
# as masked games do: the left column of 24 rows, then the right, graphic byte, mask byte.
use strict;
use warnings;

my $mode = $ARGV[0] // '';
my @figures = (
  [0x00, 0x00, 0x00, 0x18, 0x3C, 0x18, 0x7E, 0xBD, 0xBD, 0x3C, 0x24, 0x24, 0x24, 0x66, 0x00, 0x00],
  [0x00, 0x00, 0x00, 0x00, 0x24, 0x18, 0x3C, 0x5A, 0xFF, 0xFF, 0xA5, 0x24, 0x00, 0x00, 0x00, 0x00],
  [0x00, 0x00, 0x00, 0x3C, 0x7E, 0xFF, 0xDF, 0xDF, 0xFF, 0xFF, 0x7E, 0x3C, 0x00, 0x00, 0x00, 0x00],
  [0x00, 0x00, 0x00, 0x18, 0x18, 0x3C, 0x3C, 0x7E, 0xFF, 0xFF, 0xDB, 0x81, 0x00, 0x00, 0x00, 0x00],
);
binmode STDOUT;
for my $set (0 .. ($mode ? 1 : 5)) {
  for my $figure (@figures) {
    for my $shift (0 .. 7) {
      my @rows = map { ($_ << 8) >> $shift } @$figure;
      push @rows, (0) x 8 if $mode;
      if ($mode ne 'masked-columns') { print pack('n', $_) for @rows; next }
      for my $column (1, 0) {
        for my $row (@rows) {
          my $graphic = $row >> 8 * $column & 0xFF;
          print pack('CC', $graphic, ~($graphic | $graphic << 1 | $graphic >> 1) & 0xFF);
        }
      }
    }
  }
}
