// The page side of the web backend (platform/web/): the canvas that shows
// the program's windows, the queue of mouse and keyboard events that the
// backend takes from, the pointer lock, the title, the yield that lets the
// browser paint between frames, and the runs of the program: the game as
// the address asks for it, or a recorded match dropped on the page. Each run
// is a fresh instance of the module (kelvara.js), started once the faces it
// draws with are loaded. The wasm module calls these through EM_JS
// functions; nothing here knows the game.
'use strict';

(function () {
  const canvas = document.getElementById('screen');
  const ctx = canvas.getContext('2d', { alpha: false });
  const help = document.getElementById('help');
  const output = document.getElementById('output');
  const status = document.getElementById('status');

  // The pace the page plays at unless the address names one: Easy then runs
  // in real time, as the desktop's menu entry has it.
  const DEFAULT_PACE = 500;
  // Lines of the program's output kept on the page.
  const OUTPUT_LINES = 30;

  // Event kinds, as platform/web/web_page.h numbers them.
  const MOVE = 1, DOWN = 2, UP = 3, KEYDOWN = 4, KEYUP = 5, LOCK = 6, LOCKERROR = 7, BLUR = 8;
  const queue = [];
  let waker = null;   // wakes a sleeping module early when input arrives
  let running = false;
  let mainStarted = false;
  // Each run's wake-ups carry its number: a run that was replaced never wakes.
  let generation = 0;

  function push(e) {
    if (!running) return;
    queue.push(e);
    if (queue.length > 4096) queue.splice(0, queue.length - 4096);  // a stalled module loses the oldest
    if (waker) waker();
  }

  // Canvas pixels from a mouse event; the canvas may be scaled by CSS.
  function place(e) {
    const r = canvas.getBoundingClientRect();
    const sx = r.width > 0 ? canvas.width / r.width : 1;
    const sy = r.height > 0 ? canvas.height / r.height : 1;
    return [Math.floor((e.clientX - r.left) * sx), Math.floor((e.clientY - r.top) * sy)];
  }
  function mods(e) { return (e.altKey ? 1 : 0) | (e.shiftKey ? 2 : 0) | (e.ctrlKey ? 4 : 0); }
  const buttonOf = (b) => (b === 0 ? 1 : b === 1 ? 2 : b === 2 ? 3 : 0);

  canvas.addEventListener('mousemove', (e) => {
    const [x, y] = place(e);
    push({ kind: MOVE, x, y, dx: e.movementX | 0, dy: e.movementY | 0, mods: mods(e) });
  });
  // While locked the pointer never leaves the canvas, but its moves are
  // reported to the document.
  document.addEventListener('mousemove', (e) => {
    if (document.pointerLockElement !== canvas || e.target === canvas) return;
    push({ kind: MOVE, x: 0, y: 0, dx: e.movementX | 0, dy: e.movementY | 0, mods: mods(e) });
  });
  canvas.addEventListener('mousedown', (e) => {
    const b = buttonOf(e.button);
    if (!b) return;
    e.preventDefault();
    canvas.focus();
    const [x, y] = place(e);
    push({ kind: DOWN, x, y, button: b, mods: mods(e) });
  });
  window.addEventListener('mouseup', (e) => {
    const b = buttonOf(e.button);
    if (!b) return;
    const [x, y] = place(e);
    push({ kind: UP, x, y, button: b, mods: mods(e) });
  });
  // A right click pauses the game; the browser's menu never opens over it.
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());

  const NAMED_KEYS = {
    Backspace: 0x08, Tab: 0x09, Enter: 0x0d, Shift: 0x10, Control: 0x11, Alt: 0x12,
    Pause: 0x13, CapsLock: 0x14, Escape: 0x1b, ' ': 0x20, PageUp: 0x21, PageDown: 0x22,
    End: 0x23, Home: 0x24, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
    Insert: 0x2d, Delete: 0x2e,
  };
  const KEY_CHARS = { Enter: 13, Escape: 27, Tab: 9, Backspace: 8 };
  function virtualKey(e) {
    const code = e.code || '';
    if (/^Key[A-Z]$/.test(code)) return code.charCodeAt(3);
    if (/^Digit[0-9]$/.test(code)) return code.charCodeAt(5);
    if (/^F([1-9]|1[0-2])$/.test(e.key)) return 0x6f + Number(e.key.slice(1));
    if (e.key in NAMED_KEYS) return NAMED_KEYS[e.key];
    return 0;
  }
  function keyEvent(kind, e) {
    const vk = virtualKey(e);
    if (!vk || !running) return;
    // Keys the game's menus use never reach the browser's own shortcuts.
    e.preventDefault();
    let ch = 0;
    if (kind === KEYDOWN) {
      if (e.key.length === 1) ch = e.key.charCodeAt(0);
      else if (e.key in KEY_CHARS) ch = KEY_CHARS[e.key];
    }
    push({ kind, key: vk, ch, mods: mods(e) });
  }
  window.addEventListener('keydown', (e) => keyEvent(KEYDOWN, e));
  window.addEventListener('keyup', (e) => keyEvent(KEYUP, e));
  window.addEventListener('blur', () => push({ kind: BLUR }));

  document.addEventListener('pointerlockchange', () => {
    push({ kind: LOCK, locked: document.pointerLockElement === canvas ? 1 : 0 });
  });
  document.addEventListener('pointerlockerror', () => push({ kind: LOCKERROR }));

  // Counts the pictures the browser actually painted (the tests and the
  // benchmark read it).
  let paints = 0;
  let painted = true;  // since the last blit
  function countPaint() { paints++; painted = true; requestAnimationFrame(countPaint); }
  requestAnimationFrame(countPaint);

  // A zero-delay yield: setTimeout(0) is clamped to 4 ms once nested, a
  // message to ourselves is not.
  const channel = new MessageChannel();
  let pendingWake = null;
  channel.port1.onmessage = () => { const w = pendingWake; pendingWake = null; if (w) w(); };

  function say(line) {
    const lines = (output.textContent ? output.textContent.split('\n') : []).concat(String(line));
    output.textContent = lines.slice(-OUTPUT_LINES).join('\n');
  }

  // The command line a query string asks for: ?pace=60 is "--pace 60",
  // ?flag is "--flag"; a name that is no option name is left out. Without
  // ?pace the game plays at the default pace, and ?pace=0 runs its frames
  // back to back; a replay keeps the pace its recording was made at.
  function wordsOf(search, replaying) {
    const words = [];
    let pace = replaying ? null : String(DEFAULT_PACE);
    for (const [key, value] of new URLSearchParams(search)) {
      if (!/^[A-Za-z][A-Za-z0-9-]*$/.test(key)) continue;
      if (key === 'pace') { pace = value; continue; }
      if (key === 'replay' || key === 'record') continue;
      words.push('--' + key);
      if (value !== '') words.push(value);
    }
    if (pace !== null && pace !== '0') words.push('--pace', pace);
    return words;
  }

  // Where a recording's bytes are put for the program to read, and the name
  // the program is given for it: the path as the address gave it, or the
  // dropped file's name.
  const RECORDINGS = '/recordings';
  function recordingName(name) {
    const parts = String(name).split('/').filter((p) => p !== '' && p !== '.' && p !== '..');
    return parts.length ? parts.join('/') : 'recording.kvr';
  }

  window.kvPage = {
    // Fills heap[at..at+9] with the next event; false when none is waiting.
    nextEvent(heap, at) {
      if (queue.length === 0) return false;
      const e = queue.shift();
      heap[at] = e.kind; heap[at + 1] = e.x | 0; heap[at + 2] = e.y | 0; heap[at + 3] = e.dx | 0;
      heap[at + 4] = e.dy | 0; heap[at + 5] = e.button | 0; heap[at + 6] = e.key | 0;
      heap[at + 7] = e.ch | 0; heap[at + 8] = e.mods | 0; heap[at + 9] = e.locked | 0;
      return true;
    },
    // Lets the browser run (paint, deliver input) and calls wake after at
    // most `ms` milliseconds, earlier when input arrives.
    sleep(ms, wake) {
      if (queue.length) ms = 0;  // input is already waiting
      const run = generation;
      let done = false;
      const once = () => {
        if (done || run !== generation) return;
        done = true;
        waker = null;
        wake();
      };
      if (ms <= 0) {
        pendingWake = once;
        channel.port2.postMessage(0);
      } else {
        // The timer is set from a message, not from the timer that woke the
        // module: nested timers are held to 4 ms, which a pace of 500
        // frames a second cannot live with.
        waker = () => setTimeout(once, 0);
        pendingWake = () => setTimeout(once, ms);
        channel.port2.postMessage(0);
      }
    },
    setScreenSize(w, h) {
      if (canvas.width !== w || canvas.height !== h) { canvas.width = w; canvas.height = h; }
    },
    blit(heap, ptr, w, h) {
      const pixels = new Uint8ClampedArray(heap.buffer, ptr, w * h * 4);
      ctx.putImageData(new ImageData(pixels, w, h), 0, 0);
      painted = false;
    },
    paintedSinceBlit() { return painted; },
    setTitle(title) { document.title = title; },
    setCursorHidden(hidden) { canvas.style.cursor = hidden ? 'none' : 'default'; },
    requestLock() {
      try {
        const p = canvas.requestPointerLock();
        if (p && p.catch) p.catch(() => {});  // refusal arrives as pointerlockerror
      } catch (err) {
        push({ kind: LOCKERROR });
      }
    },
    exitLock() { if (document.pointerLockElement === canvas) document.exitPointerLock(); },
    paints() { return paints; },
    say,
    // The program's main has begun: its static initialisation is over.
    mainStarted() { mainStarted = true; },
    // The program has ended (File, Exit, the end of a replay, or a command
    // line or recording it refused): the page says so.
    ended(text = 'Kelvara has ended. Reload the page to play again. Drop a recorded match (.kvr) on the page to watch it.') {
      if (!running) return;
      running = false;
      generation++;
      queue.length = 0;
      this.exitLock();
      canvas.style.display = 'none';
      status.textContent = text;
      status.className = 'ended';
    },

    // Starts the program with `words` as its command line, and `recording`
    // ({ name, bytes }) where the program will find it. Any run before is
    // dropped where it stands.
    async run(words, recording = null) {
      generation++;
      running = false;
      queue.length = 0;
      pendingWake = null;
      waker = null;
      this.exitLock();
      output.textContent = '';
      status.textContent = '';
      status.className = '';
      canvas.style.display = 'block';
      const problems = await window.kvGlyphs.loaded;
      if (problems.length) {
        say('Some typefaces could not be loaded, so the browser\'s sans-serif stands in: ' + problems.join('; '));
      }
      const paceAt = words.indexOf('--pace');
      help.textContent = recording
        ? 'Playing a recorded match as it was played. The browser draws some text in other pixels than the desktop, so its frames are not checked against the recording; the number of frames and the score are, at the end. Close the window or drop another recording to stop.'
        : (paceAt >= 0
          ? 'Pace: at most ' + words[paceAt + 1] + ' frames a second'
          : 'Pace: none, the frames run back to back') +
          ' (?pace=N in the address to change it, ?pace=0 for no limit; at 500 Easy runs in real time). ' +
          'Click the pitch to play; move the mouse to run, right click to pause, Esc to let the mouse go. ' +
          'Drop a recorded match (.kvr) on the page to watch it.';
      running = true;
      mainStarted = false;
      const page = this;
      window.createKelvara({
        arguments: words,
        print: say,
        printErr: say,
        preRun: [(module) => {
          module.FS.mkdirTree(RECORDINGS);
          module.FS.chdir(RECORDINGS);
          if (!recording) return;
          const file = RECORDINGS + '/' + recording.name;
          module.FS.mkdirTree(file.slice(0, file.lastIndexOf('/')));
          module.FS.writeFile(file, recording.bytes);
        }],
        // Emscripten comes here whenever main gives up the stack, which it
        // does at its first yield to the browser; only an exit before main
        // (a recording the program refused, which it said why) ends the run.
        quit(code, toThrow) {
          if (!mainStarted) {
            page.ended('Kelvara stopped before it started (status ' + code + '); the reason is below. ' +
                       'Drop another recording on the page, or reload it to play.');
          }
          throw toThrow;
        },
        // The module stopped by itself (a fault, or the browser out of
        // memory): the page says so rather than showing a frozen picture.
        onAbort(what) {
          page.ended('Kelvara stopped because of an internal error (' + what +
                     '). Reload the page to play again.');
        },
      }).catch((e) => {
        if (e && e.name === 'ExitStatus') return;  // said by quit()
        page.ended('Kelvara could not start (' + e + ').');
      });
    },

    // A recording the page was given, by a drop or the address.
    replay(name, bytes) {
      const path = recordingName(name);
      return this.run(['--replay', path].concat(wordsOf(location.search, true)), { name: path, bytes });
    },
  };

  // The faces are fetched at once; every run waits for them.
  window.kvGlyphs.loaded = window.kvGlyphs.load();

  function dropped(e) {
    const files = e.dataTransfer && e.dataTransfer.files;
    if (!files || !files.length) return;
    e.preventDefault();
    const file = files[0];
    file.arrayBuffer().then((buffer) => window.kvPage.replay(file.name, new Uint8Array(buffer)),
      (err) => say(file.name + ': could not be read (' + err + ')'));
  }
  document.addEventListener('dragover', (e) => {
    if (e.dataTransfer && Array.from(e.dataTransfer.types || []).includes('Files')) {
      e.preventDefault();
      e.dataTransfer.dropEffect = 'copy';
    }
  });
  document.addEventListener('drop', dropped);
  document.getElementById('open').addEventListener('change', (e) => {
    const file = e.target.files && e.target.files[0];
    if (file) dropped({ dataTransfer: { files: [file] }, preventDefault() {} });
    e.target.value = '';
  });

  // The first run: what the address asks for.
  window.addEventListener('load', () => {
    const params = new URLSearchParams(location.search);
    if (params.has('record')) {
      // The page has nowhere to keep the file; saying so beats a recording
      // that silently goes nowhere.
      say('?record is not offered here: a page has nowhere to keep the file. Record with the ' +
          'desktop program (kelvara --record FILE), then drop the file on this page to watch it.');
      status.textContent = 'Nothing was started. Reload the page without ?record to play.';
      status.className = 'ended';
      help.textContent = '';
      canvas.style.display = 'none';
      return;
    }
    const replay = params.get('replay');
    if (replay === null) {
      window.kvPage.run(wordsOf(location.search, false));
      return;
    }
    const name = recordingName(replay);
    fetch(name).then(async (response) => {
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      return new Uint8Array(await response.arrayBuffer());
    }).then((bytes) => window.kvPage.replay(name, bytes), (err) => {
      say(name + ': the recording could not be fetched (' + (err && err.message ? err.message : err) + ')');
      status.textContent = 'No recording to play. Drop one on the page, or reload it without ?replay to play.';
      help.textContent = '';
      status.className = 'ended';
      canvas.style.display = 'none';
    });
  });
})();
