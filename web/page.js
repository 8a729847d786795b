// page.js: the page's controls, keys, drops and clicks, each running one of
// page_commands.cpp's commands on the core; after each, the title, the picture, the message
// line and the controls show the document again. Finding graphics runs in a worker made from
// a Blob, with a core of its own. Appended after the core's script (PelorinCore), so that the
// page is index.html and that one script.
(function () {
  'use strict';
  const $ = (id) => document.getElementById(id);
  let core = null;  // the core's instance, once it has started
  const text = (pointer) => core.UTF8ToString(pointer);
  const call = (name, value) => core.ccall(name, null, ['string'], [value]);

  // The View menu's steps, numbered as ViewStep is.
  const stepKeys = { PageDown: 0, PageUp: 1, ArrowDown: 2, ArrowUp: 3, ArrowRight: 4,
    ArrowLeft: 5, Home: 6 };
  // The layout select's values, numbered as page_layout takes them.
  const layouts = ['strips', 'screen', 'mask-first', 'graphic-first'];
  // The export select's values, numbered as page_export takes them.
  const exportForms = ['png', 'bin', 'asm'];
  const folder = '/files';  // the in-memory folder that holds the file loaded
  const progressDelay = 200;  // a search shows its progress once it has taken this long

  let zoom = 1;
  let busy = true;      // loading a file or searching: the commands wait for it
  let held = null;      // the file loaded, which is in the folder under its name
  let worker = null;    // the search worker, made at the first search
  let searchDone = null;  // takes the worker's answer to the search under way
  let wheelTurn = 0;    // wheel movement short of a whole notch

  function setBusy(on) {
    busy = on;
    document.body.classList.toggle('busy', on);
  }

  function paint() {
    const canvas = $('screen');
    const width = 256 * zoom, height = 192 * zoom;
    if (canvas.width !== width) {
      canvas.width = width;
      canvas.height = height;
    }
    const pointer = core._page_picture(zoom);
    const pixels = new Uint8ClampedArray(core.HEAPU8.buffer, pointer, width * height * 4);
    canvas.getContext('2d').putImageData(new ImageData(pixels, width, height), 0, 0);
  }

  function show() {
    document.title = $('title').textContent = text(core._page_title());
    $('source').textContent = text(core._page_source_name());
    $('message').textContent = text(core._page_message());
    $('width').value = $('width-shown').value = core._page_strip_width();
    $('offset').value = text(core._page_offset_text());
    $('colour').value = text(core._page_colour_text());
    $('columns').value = core._page_column_height();
    $('memory').checked = core._page_memory() !== 0;
    $('one-screen').checked = core._page_one_screen() !== 0;
    $('show-masks').checked = core._page_show_masks() !== 0;
    $('layout').value = layouts[core._page_layout_choice()];
    paint();
  }

  // Runs a command of the document and shows what it left. While a file loads or a search
  // runs, commands are not taken, and the controls go back to what the document holds.
  function run(command) {
    if (!busy) command();
    show();
  }

  // Hands the bytes to the browser as a download: the page's one way of writing a file.
  function download(name, bytes) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // The file's bytes go into the folder under its name, in place of the last file's, and the
  // core loads it from there. A file that cannot be read, or held, is not there: the core
  // then says "error reading" and keeps the last picture, as the window does.
  async function load(file) {
    if (busy) return;
    setBusy(true);
    if (held !== null) core.FS.unlink(held.name);
    held = null;
    try {
      core.FS.writeFile(file.name, new Uint8Array(await file.arrayBuffer()), { canOwn: true });
      held = file;
    } catch (failure) {
      console.warn(failure);
    }
    setBusy(false);
    run(() => call('page_load', file.name));
  }

  // Runs in the search worker, made from a Blob of the core's source and this function's: the
  // finder is fed there a piece at a time, the progress told after each, and a cancel taken
  // between them, so that the page never waits for it. A file that cannot be read, or a core
  // that fails (out of memory, say), makes the search a failed one.
  function searchWorker() {
    const piece = 1 << 20;
    const started = PelorinCore();
    let cancelled = false;
    onmessage = async ({ data }) => {
      if (data.cancel) {
        cancelled = true;
        return;
      }
      cancelled = false;
      const source = data.source;  // a memory image's bytes, or the file
      const file = source instanceof Blob;
      const total = file ? source.size : source.byteLength;
      // The piece from `at`. A file's next piece is read while the finder searches this one.
      const read = (at) => {
        const end = Math.min(total, at + piece);
        if (!file) return Promise.resolve(new Uint8Array(source, at, end - at));
        const reading = source.slice(at, end).arrayBuffer().then((b) => new Uint8Array(b));
        reading.catch(() => {});  // a read left behind by a cancel fails unheard
        return reading;
      };
      try {
        const core = await started;
        core._finder_start();
        let next = read(0);
        for (let at = 0; at < total && !cancelled; at += piece) {
          const end = Math.min(total, at + piece);
          const bytes = await next;
          if (end < total) next = read(end);
          const to = core._finder_piece(bytes.length);  // may grow the memory: HEAPU8 after it
          core.HEAPU8.set(bytes, to);
          core._finder_feed();
          postMessage({ progress: end / total });
          if (!file) await new Promise((resolve) => setTimeout(resolve));  // a cancel comes in
        }
        const length = core._finder_finish();
        const regions = core.HEAPU8.slice(core._finder_regions(), core._finder_regions() + length);
        postMessage({ regions }, [regions.buffer]);
      } catch (failure) {
        postMessage({ failed: true });
      }
    };
  }

  // The worker's answer to a search of the source: { regions } or { failed }.
  function searchInWorker(source) {
    if (worker === null) {
      const code = `var _scriptDir;\nvar PelorinCore = ${PelorinCore};\n(${searchWorker})();\n`;
      worker = new Worker(URL.createObjectURL(new Blob([code], { type: 'text/javascript' })));
      worker.onmessage = ({ data }) => {
        if ('progress' in data) $('progress').value = data.progress;
        else searchDone(data);
      };
      worker.onerror = (event) => {
        event.preventDefault();
        if (searchDone !== null) searchDone({ failed: true });
      };
    }
    return new Promise((resolve) => {
      searchDone = resolve;
      worker.postMessage({ source }, source instanceof ArrayBuffer ? [source] : []);
    });
  }

  function cancelSearch() {
    if (searchDone !== null) worker.postMessage({ cancel: true });
  }

  // "Find graphics" (0), "Next graphics" (1) or "Previous graphics" (2). A search shows its
  // progress once it takes a while, with Cancel, which keeps what was found so far.
  async function find(move) {
    const search = busy ? 0 : core._page_find(move);
    if (search === 0) return show();
    setBusy(true);
    const progress = setTimeout(() => { $('search').hidden = false; }, progressDelay);
    const image = core._page_image();
    const answer = await searchInWorker(search === 1
      ? core.HEAPU8.slice(image, image + core._page_image_length()).buffer : held);
    searchDone = null;
    // A core that failed is not trusted again: the next search makes another.
    if (answer.failed) {
      worker.terminate();
      worker = null;
    }
    clearTimeout(progress);
    $('search').hidden = true;
    $('progress').value = 0;
    const regions = answer.regions || new Uint8Array();
    const to = core._page_found(regions.length);  // may grow the memory: HEAPU8 after it
    core.HEAPU8.set(regions, to);
    core._page_find_end(answer.failed ? 1 : 0);
    setBusy(false);
    show();
  }

  function save() {
    run(() => {
      core._page_command();
      if (!core._page_loaded()) return;
      const screen = core._page_screen();
      download(text(core._page_screen_name()), core.HEAPU8.slice(screen, screen + 6912));
    });
  }

  // "Export.." in the form the select names: the region downloaded under the name the
  // window suggests.
  function exportRegion() {
    run(() => {
      const length = core._page_export(exportForms.indexOf($('export-form').value));
      if (length === 0) return;
      const bytes = core._page_exported();
      download(text(core._page_export_name()), core.HEAPU8.slice(bytes, bytes + length));
    });
  }

  function toggleHelp() {
    run(() => core._page_command());
    $('help').hidden = !$('help').hidden;
  }

  // A text field's answer, applied on Enter as the window's dialog applies it on OK.
  function answer(id, command) {
    const field = $(id);
    field.addEventListener('keydown', (event) => {
      if (event.key === 'Escape') field.blur();
      if (event.key !== 'Enter') return;
      event.preventDefault();
      run(() => call(command, field.value));
      field.blur();
    });
  }

  function edit(id) {
    $(id).focus();
    $(id).select();
  }

  function setLayout(value) {
    run(() => core._page_layout(layouts.indexOf(value)));
  }

  // The keys of the window's commands that the browser leaves to the page: letters without
  // Ctrl, which the browser keeps for its own.
  function command(event) {
    const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
    if (key in stepKeys) return () => run(() => core._page_step(stepKeys[key]));
    if (key === 'F3') return () => find(event.shiftKey ? 2 : 1);
    if (key === ']' || key === '[') return () => run(() => core._page_widen(key === ']' ? 1 : -1));
    if (key === '?') return toggleHelp;
    if (key === 'Escape') {
      return () => {
        cancelSearch();
        $('help').hidden = true;
      };
    }
    if (event.shiftKey) {
      const shifted = { KeyS: () => setLayout('strips'), KeyD: () => setLayout('screen'),
        Digit1: () => setLayout('mask-first'), Digit2: () => setLayout('graphic-first'),
        Digit3: () => run(() => core._page_toggle_show_masks()), KeyC: () => edit('columns') };
      return shifted[event.code];
    }
    const plain = {
      w: () => run(() => core._page_guess_width()),
      f: () => find(0),
      g: () => edit('offset'),
      c: () => edit('colour'),
      k: () => run(() => core._page_toggle_one_screen()),
      m: () => run(() => core._page_toggle_memory()),
      o: () => $('file').click(),
      s: save,
      e: exportRegion,
      1: () => setZoom(1),
      2: () => setZoom(2),
      3: () => setZoom(3),
    };
    return plain[key];
  }

  function setZoom(value) {
    if (!busy) zoom = Number(value);
    $('zoom').value = zoom;
    run(() => core._page_command());
  }

  function onKey(event) {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    const target = event.target;
    if (target.matches('input[type=text], input[type=number]')) return;
    // Arrows and the like move a focused slider or list themselves.
    if (target.matches('input[type=range], select') && event.key in stepKeys) return;
    const action = command(event);
    if (!action) return;
    event.preventDefault();
    action();
  }

  // A press of the left button alone locates the byte under it; with Shift it starts there.
  function onPress(event) {
    if (event.button !== 0 || event.buttons !== 1) return;
    event.preventDefault();
    const box = $('screen').getBoundingClientRect();
    const x = Math.floor(((event.clientX - box.left) * 256) / box.width);
    const y = Math.floor(((event.clientY - box.top) * 192) / box.height);
    run(() => core._page_locate(x, y, event.shiftKey ? 1 : 0));
  }

  // A notch is a hundred pixels of scrolling, three lines or a page: three rows, or with
  // Shift (which some browsers turn into sideways scrolling) a screen.
  function onWheel(event) {
    event.preventDefault();
    const unit = [100, 3, 1][event.deltaMode];
    wheelTurn += (event.deltaY || event.deltaX) / unit;
    const notches = Math.trunc(wheelTurn);
    wheelTurn -= notches;
    run(() => core._page_wheel(notches, event.shiftKey ? 1 : 0));
  }

  function wire() {
    const file = $('file');
    file.addEventListener('click', () => run(() => core._page_open()));
    file.addEventListener('change', () => {
      const chosen = file.files[0];
      file.value = '';  // choosing the same file again is a new load too
      if (chosen) load(chosen);
    });
    file.addEventListener('cancel', () => run(() => core._page_forget_file()));

    const screen = $('screen');
    screen.addEventListener('mousedown', onPress);
    screen.addEventListener('wheel', onWheel, { passive: false });
    screen.addEventListener('dragover', (event) => {
      event.preventDefault();
      event.dataTransfer.dropEffect = 'copy';
    });
    screen.addEventListener('drop', (event) => {
      event.preventDefault();
      if (event.dataTransfer.files.length > 0) load(event.dataTransfer.files[0]);
    });
    // A file dropped beside the picture is not opened by the browser in the page's place.
    for (const type of ['dragover', 'drop']) {
      document.addEventListener(type, (event) => event.preventDefault());
    }

    $('width').addEventListener('input', () => { $('width-shown').value = $('width').value; });
    $('width').addEventListener('change', () => run(() => core._page_width(Number($('width').value))));
    $('guess').addEventListener('click', () => run(() => core._page_guess_width()));
    $('find').addEventListener('click', () => find(0));
    $('next').addEventListener('click', () => find(1));
    $('previous').addEventListener('click', () => find(2));
    $('cancel').addEventListener('click', cancelSearch);
    $('save').addEventListener('click', save);
    $('export').addEventListener('click', exportRegion);
    $('help-button').addEventListener('click', toggleHelp);
    $('zoom').addEventListener('change', () => setZoom($('zoom').value));
    $('layout').addEventListener('change', () => setLayout($('layout').value));
    $('memory').addEventListener('change', () => run(() => core._page_toggle_memory()));
    $('one-screen').addEventListener('change', () => run(() => core._page_toggle_one_screen()));
    $('show-masks').addEventListener('change', () => run(() => core._page_toggle_show_masks()));
    answer('offset', 'page_go_to');
    answer('colour', 'page_colour');
    answer('columns', 'page_columns');
    document.addEventListener('keydown', onKey);
  }

  function start(instance) {
    core = instance;
    core.FS.mkdir(folder);
    core.FS.chdir(folder);
    core._page_start();
    wire();
    setBusy(false);
    show();
    // scripts/run --web FILE writes the file into its copy of the page.
    if (typeof pelorinStartFile === 'object') {
      const bytes = Uint8Array.from(atob(pelorinStartFile.bytes), (c) => c.charCodeAt(0));
      load(new File([bytes], pelorinStartFile.name));
    }
  }

  PelorinCore().then(start);
})();
