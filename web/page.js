// The page side of the web backend (platform/web/): the canvas that shows
// the program's windows, the queue of mouse and keyboard events that the
// backend takes from, the pointer lock, the title, the font engine that
// draws glyphs, and the yield that lets the browser paint between frames.
// The wasm module calls these through EM_JS functions; nothing here knows
// the game.
'use strict';

(function () {
  const canvas = document.getElementById('screen');
  const ctx = canvas.getContext('2d', { alpha: false });

  // Event kinds, as platform/web/web_page.h numbers them.
  const MOVE = 1, DOWN = 2, UP = 3, KEYDOWN = 4, KEYUP = 5, LOCK = 6, LOCKERROR = 7, BLUR = 8;
  const queue = [];
  let waker = null;   // wakes a sleeping module early when input arrives
  let ended = false;

  function push(e) {
    if (ended) return;
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
    if (!vk) return;
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
  function countPaint() { paints++; requestAnimationFrame(countPaint); }
  requestAnimationFrame(countPaint);

  // A zero-delay yield: setTimeout(0) is clamped to 4 ms once nested, a
  // message to ourselves is not.
  const channel = new MessageChannel();
  let pendingWake = null;
  channel.port1.onmessage = () => { const w = pendingWake; pendingWake = null; if (w) w(); };

  const help = document.getElementById('help');

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
      let done = false;
      const once = () => { if (done) return; done = true; waker = null; wake(); };
      if (ms <= 0) {
        pendingWake = once;
        channel.port2.postMessage(0);
      } else {
        waker = () => setTimeout(once, 0);
        setTimeout(once, ms);
      }
    },
    setScreenSize(w, h) {
      if (canvas.width !== w || canvas.height !== h) { canvas.width = w; canvas.height = h; }
    },
    blit(heap, ptr, w, h) {
      const pixels = new Uint8ClampedArray(heap.buffer, ptr, w * h * 4);
      ctx.putImageData(new ImageData(pixels, w, h), 0, 0);
    },
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
    // The query parameters as the program's command line: ?pace=60 is
    // "--pace 60", ?flag is "--flag"; a name that is no option name is left out.
    commandLine() {
      const words = [];
      for (const [key, value] of new URLSearchParams(location.search)) {
        if (!/^[A-Za-z][A-Za-z0-9-]*$/.test(key)) continue;
        words.push('--' + key);
        if (value !== '') words.push('"' + value.replace(/["\\]/g, '') + '"');
      }
      return words.join(' ');
    },
    ended(text = 'Kelvara has ended. Reload the page to play again.') {
      ended = true;
      queue.length = 0;
      this.exitLock();
      canvas.style.display = 'none';
      help.textContent = text;
      help.id = 'ended';
    },
  };

  // The module stopped by itself (a fault, or the browser out of memory):
  // the page says so rather than showing a frozen picture.
  window.Module = {
    onAbort(what) {
      window.kvPage.ended('Kelvara stopped because of an internal error (' + what +
                          '). Reload the page to play again.');
    },
  };
})();
