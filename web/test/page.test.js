// page.test.js: Pelorin's page, as scripts/build makes it, in Debian's chromium, headless,
// against the native converter: the canvas pixel for pixel, the title after each step,
// finding, locating, errors, Save, Export, and a page that keeps answering while it searches.
// PELORIN_PAGE_SCREENSHOT names a PNG to write of the page (README's picture).
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const puppeteer = require('puppeteer-core');

const root = path.resolve(__dirname, '../..');
const pageUrl = 'file://' + path.join(root, 'build/web/index.html');
const converter = path.join(root, 'build/native/pelorin-convert');
const real = (name) => path.join(root, '../shared/data/real-spectrum/files', name);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelorin-page-'));
let browser;

// The pixels of a PNG, 8-bit RGB or RGBA, as RGB rows top down.
function decodePng(bytes) {
  let width = 0, height = 0, channels = 3;
  const data = [];
  for (let at = 8; at < bytes.length; at += 12 + bytes.readUInt32BE(at)) {
    const body = bytes.subarray(at + 8, at + 8 + bytes.readUInt32BE(at));
    const kind = bytes.toString('latin1', at + 4, at + 8);
    if (kind === 'IHDR') [width, height, channels] = [body.readUInt32BE(0), body.readUInt32BE(4), body[9] === 6 ? 4 : 3];
    if (kind === 'IDAT') data.push(body);
  }
  const stride = width * channels;
  const raw = zlib.inflateSync(Buffer.concat(data));
  const rgb = Buffer.alloc(width * height * 3);
  let above = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; i++) {
      const a = i >= channels ? line[i - channels] : 0, b = above[i];
      const c = i >= channels ? above[i - channels] : 0, p = a + b - c;
      const paeth = Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c) ? a
        : Math.abs(p - b) <= Math.abs(p - c) ? b : c;
      line[i] = (line[i] + [0, a, b, (a + b) >> 1, paeth][filter]) & 255;
    }
    for (let x = 0; x < width; x++) line.copy(rgb, (y * width + x) * 3, x * channels, x * channels + 3);
    above = line;
  }
  return { width, height, rgb };
}

function convert(file, options) {
  return execFileSync(converter, [...options, file], { encoding: 'utf8', maxBuffer: 1 << 26 }).trim().split('\n');
}

// A line of --find: where the region starts, its width and layout, the converter's options
// that show it (the offset aside) and the words the window's title gives it.
function foundRegion(line) {
  const [, start, hex, width, kind, rest] =
    line.match(/at (\d+) \((\$[0-9A-F]+)\), \d+ bytes, width (\d+) \((\w+)(.*)\)$/);
  const masked = rest.match(/masked ([\w-]+)/)?.[1], columns = rest.match(/columns (\d+)/)?.[1] || '0';
  const screen = kind === 'screen', layout = screen ? 'screen' : masked || 'strips';
  const shows = ['-w', width, '--layout', screen ? 'screen' : 'strips', '--columns', columns,
    ...(masked ? ['--masked', masked] : [])];
  const title = (screen ? 'Pelorin screen' : `Pelorin,${width}${masked ? ' masked' : ''}`) +
    (columns === '0' ? '' : ` columns ${columns}`) + (start === '0' ? '' : ` @ ${start} (${hex})`);
  return { start, width, shows, title, layout, columns };
}

// The converter's picture of the file with these options.
function converted(file, options) {
  const folder = fs.mkdtempSync(path.join(work, 'png-'));
  convert(file, ['-q', '--png-only', '-o', folder, ...options]);
  return decodePng(fs.readFileSync(path.join(folder, path.basename(file) + '.png')));
}

async function canvas(page) {
  const url = await page.$eval('#screen', (screen) => screen.toDataURL('image/png'));
  return decodePng(Buffer.from(url.split(',')[1], 'base64'));
}

function samePicture(actual, expected, what) {
  assert.deepEqual([actual.width, actual.height], [expected.width, expected.height], what);
  assert.ok(actual.rgb.equals(expected.rgb), `${what}: the canvas differs from the converter's PNG`);
}

async function open() {
  const page = await browser.newPage();
  await page.goto(pageUrl);
  await idle(page);
  return page;
}

const idle = (page) => page.waitForFunction(() => !document.body.classList.contains('busy'));

// Loads the file by the file input, or by dropping it on the picture: either starts the load
// at once, and the page is busy until it is done.
async function load(page, file, how = 'input') {
  if (how === 'input') {
    await (await page.$('#file')).uploadFile(file);
  } else {
    await page.evaluate((name, base64) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], name));
      document.getElementById('screen').dispatchEvent(
        new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, path.basename(file), fs.readFileSync(file).toString('base64'));
  }
  await idle(page);
}

// One step as a user takes it: a key, a control set, or a text typed and entered.
async function act(page, [kind, value, more]) {
  if (kind === 'key') {
    const keys = value.split('+');  // modifiers first: Shift+F3
    for (const key of keys.slice(0, -1)) await page.keyboard.down(key);
    await page.keyboard.press(keys.at(-1));
    for (const key of keys.slice(0, -1)) await page.keyboard.up(key);
  } else if (kind === 'width' || kind === 'layout' || kind === 'zoom') {
    await page.$eval('#' + kind, (control, chosen) => {
      control.value = chosen;
      control.dispatchEvent(new Event('change', { bubbles: true }));
    }, String(value));
  } else if (kind === 'check') {
    await page.click('#' + value);
  } else if (kind === 'type') {
    await page.$eval('#' + value, (field) => { field.value = ''; });
    await page.type('#' + value, more);
    await page.keyboard.press('Enter');
  } else if (kind === 'click') {
    const box = await (await page.$('#screen')).boundingBox();
    const zoom = box.width / 256;
    if (more) await page.keyboard.down('Shift');
    await page.mouse.click(box.x + (value[0] + 0.5) * zoom, box.y + (value[1] + 0.5) * zoom);
    if (more) await page.keyboard.up('Shift');
  }
  await idle(page);
}

before(async () => {
  browser = await puppeteer.launch({
    executablePath: process.env.PELORIN_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      `--user-data-dir=${fs.mkdtempSync(path.join(work, 'profile-'))}`],
  });
});

after(async () => {
  if (browser) await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
});

// Sprite bytes with some order in them, for the layouts: pairs that alternate like masks
// and graphics.
function generated(name, length) {
  const bytes = Buffer.alloc(length);
  for (let i = 0, x = 7; i < length; i++, x = (x * 1103515245 + 12345) >>> 0)
    bytes[i] = i % 2 ? (x >>> 16) & 0x7E : 0xFF ^ ((i >> 3) & 0x3C);
  const file = path.join(work, name);
  fs.writeFileSync(file, bytes);
  return file;
}

// A 48K .szx made of a real .sna's RAM, each page a zlib stream, so that the page's inflate
// is what reads it.
function compressedSnapshot() {
  const ram = fs.readFileSync(real('gloaming.sna')).subarray(27);
  const chunks = [Buffer.from([0x5A, 0x58, 0x53, 0x54, 1, 4, 1, 0])];
  for (const [page, at] of [[5, 0], [2, 0x4000], [0, 0x8000]]) {
    const packed = zlib.deflateSync(ram.subarray(at, at + 0x4000));
    const header = Buffer.alloc(11);
    header.write('RAMP', 0, 'latin1');
    header.writeUInt32LE(packed.length + 3, 4);
    header.writeUInt16LE(1, 8);
    header[10] = page;
    chunks.push(header, packed);
  }
  const file = path.join(work, 'gloaming.szx');
  fs.writeFileSync(file, Buffer.concat(chunks));
  return file;
}

test('the canvas shows what the converter draws for the same file and options', async () => {
  const cases = [
    { what: 'sprites at width 3, three rows and a byte on, chosen',
      file: real('glazx_sprites.bin'),
      steps: [['width', 3], ['key', 'ArrowDown'], ['key', 'ArrowDown'], ['key', 'ArrowDown'],
        ['key', 'ArrowRight']],
      options: ['-w', '3', '--offset', '10'], title: 'Pelorin,3 @ 10 ($A)' },
    { what: 'a tape as memory, its screen at $4000 as a Spectrum screen',
      file: real('6666.tap'),
      steps: [['check', 'memory'], ['type', 'offset', '$4000'], ['layout', 'screen']],
      options: ['--memory', '--one-screen', '--offset', '16384', '--layout', 'screen'],
      title: 'Pelorin screen @ 16384 ($4000)' },
    { what: 'a snapshot dropped, as memory, a screen on from 0x8000 at width 4, zoomed',
      file: real('gloaming.sna'), how: 'drop',
      steps: [['check', 'memory'], ['width', 4], ['type', 'offset', '0x8000'],
        ['key', 'PageDown'], ['zoom', 2]],
      options: ['--memory', '--one-screen', '-w', '4', '--offset', '38912', '--scale', '2'],
      title: 'Pelorin,4 @ 38912 ($9800)' },
    { what: 'compressed snapshot pages, inflated, without one screen only',
      file: compressedSnapshot(),
      steps: [['check', 'memory'], ['check', 'one-screen'], ['width', 2],
        ['type', 'offset', '#C000']],
      options: ['--memory', '-w', '2', '--offset', '49152'], title: 'Pelorin,2 @ 49152 ($C000)' },
    { what: 'masked sprites by columns, masks shown, coloured, spilling over, dropped',
      file: generated('masked.bin', 40000), how: 'drop',
      steps: [['layout', 'graphic-first'], ['width', 3], ['type', 'columns', '24'],
        ['check', 'show-masks'], ['type', 'colour', '%1000101'], ['zoom', 3]],
      options: ['-w', '3', '--masked', 'graphic-first', '--columns', '24', '--show-masks',
        '-a', '$45', '--scale', '3'],
      title: 'Pelorin,3 masks columns 24' },
  ];
  for (const c of cases) {
    const page = await open();
    await load(page, c.file, c.how);
    for (const step of c.steps) await act(page, step);
    assert.equal(await page.title(), c.title, c.what);
    samePicture(await canvas(page), converted(c.file, c.options), c.what);
    await page.close();
  }
});

test('the title is the window\'s after the same steps', async () => {
  const file = real('glazx_sprites.bin');
  const byte = convert(file, ['-w', '2', '--offset', '3', '--locate', '8,1'])[0];
  const value = fs.readFileSync(file)[Number(byte)].toString(16).toUpperCase().padStart(2, '0');
  const found = convert(file, ['--find']).map(foundRegion);
  assert.ok(found.length >= 2 && found[1].layout !== 'screen', 'two regions of strips to step between');
  const at = (k) => `${found[k].title} graphics ${k + 1} of ${found.length}`;
  const wider = found[1].title.replace(`Pelorin,${found[1].width}`, `Pelorin,${Number(found[1].width) + 1}`);
  const page = await open();
  assert.equal(await page.title(), 'Pelorin');
  await load(page, file);
  const steps = [
    [['key', ']'], 'Pelorin,2'],
    [['key', 'PageDown'], 'Pelorin,2'],  // a screen on would pass the end: refused
    [['key', 'ArrowDown'], 'Pelorin,2 @ 2 ($2)'],
    [['key', 'ArrowRight'], 'Pelorin,2 @ 3 ($3)'],
    [['click', [8, 1]], `Pelorin,2 @ 3 ($3) byte ${byte} ($${Number(byte).toString(16).toUpperCase()}) = $${value}`],
    [['type', 'colour', '$45'], 'Pelorin,2 @ 3 ($3)'],  // the next command takes the byte out
    [['key', 'k'], 'Pelorin,2 @ 3 ($3)'],
    [['key', '2'], 'Pelorin,2 @ 3 ($3)'],
    [['key', 'Home'], 'Pelorin,2'],
    [['layout', 'mask-first'], 'Pelorin,2 masked'],
    [['key', 'Shift+Digit3'], 'Pelorin,2 masks'],
    [['type', 'columns', '24'], 'Pelorin,2 masks columns 24'],
    [['key', 'Shift+KeyS'], 'Pelorin,2 columns 24'],
    [['key', 'Shift+KeyD'], 'Pelorin screen'],
    // The finder's regions, each titled with its layout as the window titles it.
    [['key', 'f'], at(0)],
    [['key', 'F3'], at(1)],
    [['key', 'F3'], at(2 % found.length)],
    [['key', 'Shift+F3'], at(1)],
    [['key', ']'], wider],
    [['key', 'm'], wider.replace(/ @ .*/, '')],  // read again the other way: from the start
  ];
  for (const [step, title] of steps) {
    await act(page, step);
    assert.equal(await page.title(), title, `after ${step.join(' ')}`);
  }
  await page.close();
});

test('F3 goes through the regions --find lists, each shown through its layout as the converter shows it', async () => {
  const file = real('redplanet_en.tap');  // a screen, sprites by columns, masked ones too
  const found = convert(file, ['--memory', '--find']).map(foundRegion);
  const page = await open();
  await act(page, ['check', 'memory']);
  await load(page, file);
  for (let k = 0; k < found.length; k++) {
    const region = found[k];
    await act(page, ['key', 'F3']);
    assert.equal(await page.title(), `${region.title} graphics ${k + 1} of ${found.length}`);
    const controls = await page.evaluate(() => ['layout', 'columns', 'width', 'one-screen',
      'show-masks'].map((id) => document.getElementById(id)).map((c) => c.type === 'checkbox' ? c.checked : c.value));
    assert.deepEqual(controls, [region.layout, region.columns, region.width, true, false], `region ${k + 1}`);
    const options = ['--memory', '--one-screen', ...region.shows, '--offset', region.start];
    samePicture(await canvas(page), converted(file, options), `region ${k + 1}`);
  }
  await page.close();
});

test('a click names the byte --locate names; Shift+click starts there', async () => {
  const file = real('mk2_espadewr.bin');
  const options = ['-w', '3', '--masked', 'mask-first', '--offset', '7411'];
  const page = await open();
  await load(page, file);
  for (const step of [['width', 3], ['layout', 'mask-first'], ['type', 'offset', '7411'], ['zoom', 2]])
    await act(page, step);
  const bytes = fs.readFileSync(file);
  for (const [x, y] of [[0, 0], [23, 9], [100, 150], [255, 191]]) {
    await act(page, ['click', [x, y]]);
    const at = convert(file, [...options, '--locate', `${x},${y}`])[0];
    const named = at === 'none' ? 'none'
      : `${at} ($${Number(at).toString(16).toUpperCase()}) = $${bytes[at].toString(16).toUpperCase().padStart(2, '0')}`;
    assert.equal(await page.title(), `Pelorin,3 masked @ 7411 ($1CF3) byte ${named}`, `${x},${y}`);
  }
  const start = convert(file, [...options, '--locate', '40,60'])[0];
  await act(page, ['click', [40, 60], 'shift']);
  assert.equal(await page.title(), `Pelorin,3 masked @ ${start} ($${Number(start).toString(16).toUpperCase()})`);
  samePicture(await canvas(page), converted(file, ['-w', '3', '--masked', 'mask-first', '--offset', start, '--scale', '2']), 'Shift+click');
  await page.close();
});

test('errors show in the page in the window\'s words; a snapshot that is none shows as its bytes', async () => {
  const broken = path.join(work, 'broken.z80');
  fs.writeFileSync(broken, fs.readFileSync(path.join(root, 'fuzz/seeds/snapshot_z80_fuzz/v1.z80')).subarray(0, 200));
  const page = await open();
  await act(page, ['check', 'memory']);
  await load(page, real('tetris.sna'));
  await act(page, ['type', 'offset', '$D274']);
  await act(page, ['type', 'offset', '12g4']);
  assert.equal(await page.$eval('#message', (m) => m.textContent), 'Wrong character:G');
  assert.equal(await page.title(), 'Pelorin,1 @ 53876 ($D274)');  // nothing moved
  // As the window does: the reason under the path, then the file as its own bytes, the
  // memory switch off.
  await load(page, broken, 'drop');
  assert.equal(await page.$eval('#message', (m) => m.innerText),
    'error reading\nbroken.z80\nits memory does not decode to 48 KiB\n' +
    'shown as its own bytes: "Snapshots and tapes as memory" is off');
  assert.equal(await page.$eval('#memory', (m) => m.checked), false);
  samePicture(await canvas(page), converted(broken, ['--one-screen']), 'a broken snapshot as bytes');
  await page.close();
});

test('Save downloads the .scr the converter writes', async () => {
  const file = real('mk2_hobbit_ts.bin');
  const downloads = fs.mkdtempSync(path.join(work, 'downloads-'));
  const page = await open();
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await load(page, file);
  for (const step of [['width', 5], ['type', 'colour', '#0E'], ['key', 'ArrowDown'], ['key', 's']])
    await act(page, step);
  const saved = path.join(downloads, 'mk2_hobbit_ts.bin.scr');
  for (let i = 0; i < 100 && !fs.existsSync(saved); i++) await new Promise((r) => setTimeout(r, 50));
  convert(file, ['-q', '-w', '5', '-a', '14', '--offset', '5', '-o', work]);
  assert.ok(fs.readFileSync(saved).equals(fs.readFileSync(path.join(work, 'mk2_hobbit_ts.bin.scr'))));
  await page.close();
});

test('Export downloads the region as --export writes it, in each form', async () => {
  const tape = real('redplanet_en.tap'), sprites = real('mk2_espadewr.bin');
  const found = foundRegion(convert(tape, ['--memory', '--find']).find((line) => line.includes('masked')));
  const moved = String(Number(found.start) + 6);
  const landing = [['check', 'memory'], ['type', 'offset', found.start], ['key', 'f']];
  const cases = [  // the steps; the converter's options for the same region; its name's end
    [tape, landing, ['--memory', '--find'], `${found.start}-w${found.width}`],  // exactly its bytes
    [tape, [...landing, ['type', 'offset', moved]],  // moved off it: what one screen shows
      ['--memory', ...found.shows, '--offset', moved], `${moved}-w${found.width}`],
    [sprites, [['width', 3], ['layout', 'mask-first'], ['check', 'show-masks'],
      ['type', 'offset', '7411'], ['type', 'colour', '%1000101']],
    ['-w', '3', '--masked', 'mask-first', '--show-masks', '--offset', '7411', '-a', '$45'], '7411-w3'],
  ];
  for (const [file, steps, options, named] of cases) {
    const written = fs.mkdtempSync(path.join(work, 'export-'));
    convert(file, ['-q', '--export', written, ...options]);
    const downloads = fs.mkdtempSync(path.join(work, 'downloads-'));
    const page = await open();
    await (await page.createCDPSession()).send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await load(page, file);
    for (const step of steps) await act(page, step);
    for (const form of ['png', 'bin', 'asm']) {
      await page.select('#export-form', form);
      await act(page, ['key', 'e']);
      const name = `${path.basename(file)}-${named}.${form}`, saved = path.join(downloads, name);
      for (let i = 0; i < 100 && !fs.existsSync(saved); i++) await new Promise((r) => setTimeout(r, 50));
      assert.ok(fs.readFileSync(saved).equals(fs.readFileSync(path.join(written, name))), name);
    }
    await page.close();
  }
});

test('a long search answers between pieces, shows its progress, and can be cancelled', async () => {
  const pieces = ['mk2_espadewr.bin', 'glazx_sprites.bin', 'perseus.scr', 'jari_solargun_logo.bin']
    .map((name) => fs.readFileSync(real(name)));
  const file = path.join(work, 'large.bin');
  const one = Buffer.concat(pieces);
  fs.writeFileSync(file, Buffer.concat(Array(Math.ceil((24 << 20) / one.length)).fill(one)));
  const found = convert(file, ['--find']);
  const first = found[0].match(/at (\d+) \((\$[0-9A-F]+)\), \d+ bytes, width (\d+)/);

  const page = await open();
  await load(page, file);
  await page.evaluate(() => {
    window.longest = 0;
    window.progressShown = false;
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) window.longest = Math.max(window.longest, entry.duration);
    }).observe({ type: 'longtask' });
    new MutationObserver(() => { window.progressShown ||= !document.getElementById('search').hidden; })
      .observe(document.getElementById('search'), { attributes: true });
  });
  await act(page, ['key', 'f']);
  assert.equal(await page.title(), `Pelorin,${first[3]} @ ${first[1]} (${first[2]}) graphics 1 of ${found.length}`);
  assert.ok(await page.evaluate(() => window.progressShown), 'no progress shown');
  const longest = await page.evaluate(() => window.longest);
  assert.ok(longest <= 100, `the page stopped answering for ${longest} ms`);

  await page.keyboard.press('f');
  await page.waitForSelector('#search:not([hidden])');
  await page.click('#cancel');
  await idle(page);
  const cancelled = (await page.title()).match(/graphics (?:\d+ of (\d+)|none)$/);
  assert.ok(cancelled && Number(cancelled[1] || 0) < found.length, await page.title());
  await page.close();
});

test('the page as README shows it', { skip: !process.env.PELORIN_PAGE_SCREENSHOT }, async () => {
  const sample = path.join(work, 'masked.bin');
  execFileSync('python3', [path.join(root, 'docs/sample_sprites.py'), '--masked-columns', sample]);
  const page = await open();
  await page.setViewport({ width: 820, height: 660 });
  await load(page, sample);
  for (const step of [['type', 'colour', '$45'], ['zoom', 2], ['key', 'f']]) await act(page, step);
  await page.screenshot({ path: process.env.PELORIN_PAGE_SCREENSHOT });
  await page.close();
});
