// other_fillers.cpp: the data the second maker lays between its graphics.
#include "other_fillers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>

namespace pelorin::other {

namespace {

void PutWord(Bytes& bytes, int value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutText(Bytes& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
}

}  // namespace

Bytes Z80Code(const std::vector<Bytes>& code, Dice& dice) {
  std::int64_t total = 0;
  for (const Bytes& piece : code) total += std::ssize(piece);
  // A piece as likely as its length: a byte of code is as likely as another to be taken.
  std::int64_t at = dice.Below(static_cast<int>(total));
  std::size_t which = 0;
  while (at >= std::ssize(code[which])) at -= std::ssize(code[which++]);
  const Bytes& piece = code[which];
  const int wanted = dice.Range(256, 2048);
  const int length = std::min(wanted, static_cast<int>(piece.size()));
  const int from = dice.Range(0, static_cast<int>(piece.size()) - length);
  return Bytes(piece.begin() + from, piece.begin() + from + length);
}

Bytes PackRuns(const Bytes& plain, std::uint8_t marker) {
  Bytes packed;
  for (std::size_t i = 0; i < plain.size();) {
    std::size_t run = 1;
    while (i + run < plain.size() && run < 255 && plain[i + run] == plain[i]) ++run;
    if (run >= 4 || plain[i] == marker) {
      packed.push_back(marker);
      packed.push_back(static_cast<std::uint8_t>(run));
      packed.push_back(plain[i]);
      i += run;
    } else {
      packed.push_back(plain[i++]);
    }
  }
  return packed;
}

Bytes PackRepeats(const Bytes& plain) {
  constexpr std::size_t kWindow = 1024, kShortest = 3, kLongest = 66;
  Bytes packed;
  std::size_t flags = 0;  // where the flag byte of the current eight lies
  int item = 8;
  for (std::size_t i = 0; i < plain.size();) {
    if (item == 8) {
      flags = packed.size();
      packed.push_back(0);
      item = 0;
    }
    std::size_t best = 0, distance = 0;
    for (std::size_t back = 1; back <= std::min(kWindow, i); ++back) {
      std::size_t length = 0;
      while (length < kLongest && i + length < plain.size() &&
             plain[i + length] == plain[i - back + length])
        ++length;
      if (length > best) {
        best = length;
        distance = back;
      }
    }
    if (best >= kShortest) {
      packed[flags] = static_cast<std::uint8_t>(packed[flags] | (0x80 >> item));
      const auto word = static_cast<int>((distance - 1) << 6 | (best - kShortest));
      packed.push_back(static_cast<std::uint8_t>(word >> 8));
      packed.push_back(static_cast<std::uint8_t>(word & 0xFF));
      i += best;
    } else {
      packed.push_back(plain[i++]);
    }
    ++item;
  }
  return packed;
}

Bytes LevelMap(Dice& dice) {
  const int rooms = dice.Range(1, 12);
  constexpr int kWidths[] = {15, 16, 16, 20, 32};
  const int wide = kWidths[dice.Below(static_cast<int>(std::size(kWidths)))];
  const int tall = dice.Range(8, 12);
  const int tiles = dice.Range(8, 48);
  const bool nibbles = tiles <= 16 && wide % 2 == 0 && dice.Odds(50);
  const int wall = dice.Range(1, tiles - 1);
  const int floor = dice.Range(1, tiles - 1);
  const int ladder = dice.Range(1, tiles - 1);
  Bytes bytes;
  for (int room = 0; room < rooms; ++room) {
    std::vector<int> map(static_cast<std::size_t>(wide * tall), 0);
    const auto at = [&](int x, int y) -> int& {
      return map[static_cast<std::size_t>(y * wide + x)];
    };
    const int door = dice.Range(1, tall - 3);
    for (int y = 0; y < tall; ++y) {
      const bool gap = y >= door && y < door + 2;
      if (!gap) at(0, y) = wall;
      if (!gap) at(wide - 1, y) = wall;
    }
    for (int x = 0; x < wide; ++x) at(x, tall - 1) = floor;
    for (int platforms = dice.Range(2, 6); platforms > 0; --platforms) {
      const int y = dice.Range(2, tall - 2);
      const int length = dice.Range(3, std::max(3, wide / 2));
      const int x0 = dice.Range(1, std::max(1, wide - length - 1));
      for (int x = x0; x < x0 + length && x < wide - 1; ++x) at(x, y) = floor;
      if (dice.Odds(40)) {
        const int x = dice.Range(x0, std::min(wide - 2, x0 + length - 1));
        for (int down = y; down < tall - 1; ++down) at(x, down) = ladder;
      }
    }
    for (int things = dice.Range(0, 5); things > 0; --things) {
      const int x = dice.Range(1, wide - 2);
      const int y = dice.Range(1, tall - 2);
      const int thing = dice.Range(1, tiles - 1);
      if (at(x, y) == 0) at(x, y) = thing;
    }
    for (std::size_t i = 0; i < map.size(); i += nibbles ? 2 : 1)
      bytes.push_back(static_cast<std::uint8_t>(nibbles ? map[i] << 4 | map[i + 1] : map[i]));
  }
  return bytes;
}

Bytes MusicTables(Dice& dice) {
  Bytes bytes;
  for (int parts = dice.Range(1, 2); parts > 0; --parts) {
    switch (dice.Below(4)) {
      case 0: {  // the sound chip's period for each note of eight octaves
        constexpr double kClocks[] = {1773400, 1750000, 2000000};
        const double clock = kClocks[dice.Below(3)];
        for (int note = 0; note < 96; ++note) {
          const double frequency = 32.703 * std::pow(2.0, note / 12.0);
          PutWord(bytes, static_cast<int>(std::lround(clock / (16 * frequency))));
        }
        break;
      }
      case 1: {  // a tune: a walk over a scale, each note with its length and instrument
        constexpr int kScale[] = {0, 2, 4, 5, 7, 9, 11};
        const int rows = dice.Range(16, 128);
        const bool instruments = dice.Odds(50);
        const int base = 12 * dice.Range(2, 4);
        int step = dice.Range(0, 13);
        for (int row = 0; row < rows; ++row) {
          const int move = dice.Range(-2, 2);
          step = std::clamp(step + move, 0, 20);
          const bool rest = dice.Odds(10);
          const int length = 1 << dice.Below(4);
          bytes.push_back(
              static_cast<std::uint8_t>(rest ? 0x80 : base + 12 * (step / 7) + kScale[step % 7]));
          bytes.push_back(static_cast<std::uint8_t>(length));
          if (instruments) bytes.push_back(static_cast<std::uint8_t>(dice.Below(8)));
        }
        bytes.push_back(0xFF);
        break;
      }
      case 2: {  // volume envelopes: a rise, a fall to a held level, an end mark
        for (int envelopes = dice.Range(4, 16); envelopes > 0; --envelopes) {
          const int peak = dice.Range(10, 15);
          const int hold = dice.Range(0, peak);
          const int attack = dice.Range(0, 4);
          for (int i = 0; i < attack; ++i)
            bytes.push_back(static_cast<std::uint8_t>(peak * (i + 1) / (attack + 1)));
          for (int level = peak; level > hold; level -= dice.Range(1, 2))
            bytes.push_back(static_cast<std::uint8_t>(level));
          bytes.push_back(static_cast<std::uint8_t>(hold));
          bytes.push_back(0x80);
        }
        break;
      }
      default: {  // the beeper: a delay count for the pitch and a length, for each note
        const int notes = dice.Range(24, 160);
        for (int i = 0; i < notes; ++i) {
          const int note = dice.Range(24, 72);
          const double frequency = 32.703 * std::pow(2.0, note / 12.0);
          PutWord(bytes, static_cast<int>(std::lround(437500 / frequency - 30.125)));
          bytes.push_back(static_cast<std::uint8_t>(dice.Range(1, 4) * 8));
        }
        PutWord(bytes, 0);
        break;
      }
    }
  }
  return bytes;
}

Bytes AttributeRuns(Dice& dice) {
  const int cells = 32 * dice.Range(4, 24);
  std::vector<std::uint8_t> pairs;
  for (int count = dice.Range(2, 5); count > 0; --count) {
    const int paper = dice.Below(8);
    const int offset = dice.Range(1, 7);
    const int bright = dice.Odds(30) ? 0x40 : 0;
    pairs.push_back(static_cast<std::uint8_t>(bright | paper << 3 | (paper + offset) % 8));
  }
  Bytes bytes;
  while (std::ssize(bytes) < cells) {
    const std::uint8_t colour =
        pairs[static_cast<std::size_t>(dice.Below(static_cast<int>(pairs.size())))];
    // Whole rows of cells as often as not; otherwise a few cells.
    const int run = dice.Odds(50) ? 32 * dice.Range(1, 3) : dice.Range(1, 12);
    bytes.insert(bytes.end(), static_cast<std::size_t>(run), colour);
  }
  bytes.resize(static_cast<std::size_t>(cells));
  return bytes;
}

Bytes PointerTable(Dice& dice) {
  const int entries = dice.Range(8, 128);
  Bytes bytes;
  switch (dice.Below(3)) {
    case 0: {  // records or frames of one size, one after another
      constexpr int kSizes[] = {8, 16, 24, 32, 48, 64, 96, 144, 288};
      const int size = kSizes[dice.Below(static_cast<int>(std::size(kSizes)))];
      const int base = dice.Range(0x6000, 0xE000);
      for (int i = 0; i < entries; ++i) PutWord(bytes, base + i * size);
      break;
    }
    case 1: {  // pieces of different lengths, one after another
      int address = dice.Range(0x6000, 0xE000);
      for (int i = 0; i < entries; ++i) {
        PutWord(bytes, address);
        address += dice.Range(3, 400);
      }
      break;
    }
    default:  // routines anywhere in the upper memory, with a byte of flags each
      for (int i = 0; i < entries; ++i) {
        PutWord(bytes, dice.Range(0x8000, 0xFFFF));
        bytes.push_back(static_cast<std::uint8_t>(dice.Below(4)));
      }
      break;
  }
  return bytes;
}

Bytes BlankRun(Dice& dice) {
  const int length = dice.Range(24, 3000);
  const int roll = dice.Below(100);
  const std::uint8_t fill = roll < 80 ? 0 : roll < 90 ? 0xFF : roll < 95 ? 0x20 : 0xC9;
  return Bytes(static_cast<std::size_t>(length), fill);
}

Bytes Messages(Dice& dice) {
  constexpr const char* kWords[] = {
      "You",    "are",      "in",       "a",       "dark",     "cave",     "forest",   "There",
      "is",     "lamp",     "rope",     "here",    "Exits",    "north",    "south",    "east",
      "west",   "I",        "see",      "nothing", "special",  "Can't",    "do",       "that",
      "yet",    "OK",       "take",     "drop",    "open",     "the",      "door",     "guard",
      "sleeps", "bridge",   "river",    "wizard",  "tower",    "GAME",     "OVER",     "PRESS",
      "ANY",    "KEY",      "REDEFINE", "KEYS",    "KEMPSTON", "JOYSTICK", "SINCLAIR", "START",
      "LEVEL",  "COMPLETE", "BONUS",    "TIME",    "UP"};
  const int ending = dice.Below(4);  // top bit, 0xFF, a return, or a length before it
  Bytes bytes;
  if (dice.Odds(25)) {  // a high-score table: names and six-digit scores
    for (int entry = dice.Range(5, 10); entry > 0; --entry) {
      const int letters = dice.Range(3, 8);
      for (int letter = 0; letter < letters; ++letter)
        bytes.push_back(static_cast<std::uint8_t>('A' + dice.Below(26)));
      bytes.push_back(' ');
      const int score = dice.Below(1000) * 50;
      char digits[8];
      std::snprintf(digits, sizeof digits, "%06d", score);
      PutText(bytes, digits);
    }
  }
  const int messages = dice.Range(4, 40);
  for (int m = 0; m < messages; ++m) {
    std::string text;
    for (int words = dice.Range(1, 9); words > 0; --words) {
      if (!text.empty()) text += ' ';
      text += kWords[dice.Below(static_cast<int>(std::size(kWords)))];
    }
    text += dice.Odds(50) ? "." : "";
    if (ending == 3) bytes.push_back(static_cast<std::uint8_t>(text.size()));
    PutText(bytes, text);
    if (ending == 0) bytes.back() |= 0x80;
    if (ending == 1) bytes.push_back(0xFF);
    if (ending == 2) bytes.push_back(0x0D);
  }
  return bytes;
}

namespace {

// A number as the machine's BASIC keeps it in a line: its digits, then a marker and its
// five-byte form, here the small-integer one.
void PutNumber(Bytes& line, int value) {
  PutText(line, std::to_string(value));
  line.push_back(0x0E);
  line.push_back(0);
  line.push_back(0);
  PutWord(line, value);
  line.push_back(0);
}

}  // namespace

Bytes BasicLoader(Dice& dice) {
  enum : std::uint8_t {
    kScreenWord = 0xAA,
    kCode = 0xAF,
    kUsr = 0xC0,
    kInk = 0xD9,
    kPaper = 0xDA,
    kBorder = 0xE7,
    kLoad = 0xEF,
    kPoke = 0xF4,
    kRandomize = 0xF9,
    kCls = 0xFB,
    kClear = 0xFD
  };
  const int start = dice.Range(24000, 32767);
  std::vector<Bytes> lines;
  Bytes line{kBorder};
  PutNumber(line, dice.Below(8));
  line.push_back(':');
  line.push_back(kPaper);
  PutNumber(line, dice.Below(8));
  line.push_back(':');
  line.push_back(kInk);
  PutNumber(line, dice.Below(8));
  line.push_back(':');
  line.push_back(kCls);
  lines.push_back(line);
  line = {kClear};
  PutNumber(line, start - 1);
  lines.push_back(line);
  lines.push_back({kLoad, '"', '"', kScreenWord});
  if (dice.Odds(50)) {
    line = {kPoke};
    PutNumber(line, 23739);
    line.push_back(',');
    PutNumber(line, 111);
    lines.push_back(line);
  }
  lines.push_back({kLoad, '"', '"', kCode});
  line = {kRandomize, kUsr};
  PutNumber(line, start);
  lines.push_back(line);
  Bytes bytes;
  int number = dice.Odds(50) ? 10 : 1;
  for (Bytes& body : lines) {
    body.push_back(0x0D);
    bytes.push_back(static_cast<std::uint8_t>(number >> 8));
    bytes.push_back(static_cast<std::uint8_t>(number & 0xFF));
    PutWord(bytes, static_cast<int>(body.size()));
    bytes.insert(bytes.end(), body.begin(), body.end());
    number += number == 1 ? 1 : 10;
  }
  return bytes;
}

}  // namespace pelorin::other
