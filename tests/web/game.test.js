// Kelvara in a real browser: Debian's chromium, headless, playing the page
// that `make web` builds. Run by tests/web/run.sh (CTest: web_browser).
//   BUILD_WEB       the folder with index.html, kelvara.js, kelvara.wasm
//   NATIVE_OPENING  the native headless opening frame (tools/screenshots)
//   NATIVE_TEXT     what the native text probe printed (text_probe.cpp)
//   REPLAYS         the committed recordings
//   WORK            a folder for what the tests make
'use strict';

const assert = require('assert');
const fs = require('fs');
const path = require('path');
const { describe, it, before, after } = require('node:test');
const { serve, launch, openGame, canvasPixels, canvasPoint } = require('./harness');
const { readPng } = require('./png');

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const CLIENT_W = 1000, CLIENT_H = 600;
const STATS = /^Kelvara - Time Ellapsed: (\d+) - FPS: (\d+)$/;
const PITCH = 0x008000, WHITE = 0xffffff;
// The About box's client area (the desktop's size for it) and the frame
// the page draws around it, as a desktop would.
const ABOUT_W = 426, ABOUT_H = 309;
const FRAME = { left: 3, top: 25, right: 4, bottom: 4 };
const CAPTION = 0x0a246a;  // the active caption's colour at its left end
const FACE = 0xd4d0c8, DARK = 0x404040;

// The client area (below the menu bar) of a canvas picture.
function client(shot) {
  const bar = shot.height - CLIENT_H;
  return { bar, at: (x, y) => shot.pixels[(y + bar) * shot.width + x] };
}

// Pixels of the rectangle that differ between two canvas pictures.
function differing(a, b, x0, y0, x1, y1) {
  let n = 0;
  for (let y = y0; y < y1; y++)
    for (let x = x0; x < x1; x++) if (a.pixels[y * a.width + x] !== b.pixels[y * b.width + x]) n++;
  return n;
}

// The smallest box, [x0, y0, x1, y1] inclusive, of the pixels that differ
// between two canvas pictures.
function changedBox(a, b) {
  let x0 = Infinity, y0 = Infinity, x1 = -1, y1 = -1;
  for (let y = 0; y < a.height; y++)
    for (let x = 0; x < a.width; x++)
      if (a.pixels[y * a.width + x] !== b.pixels[y * b.width + x]) {
        x0 = Math.min(x0, x); y0 = Math.min(y0, y); x1 = Math.max(x1, x); y1 = Math.max(y1, y);
      }
  return [x0, y0, x1, y1];
}

// The verdict is written across the top of the pitch, in a colour of its own.
function verdictPixels(shot) {
  const c = client(shot);
  let n = 0;
  for (let y = 50; y < 100; y++)
    for (let x = 150; x < 850; x++) {
      const p = c.at(x, y);
      if (p !== PITCH && p !== WHITE) n++;
    }
  return n;
}

function writePpm(file, width, height, at) {
  const body = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++) {
      const p = at(x, y), i = (y * width + x) * 3;
      body[i] = p >> 16; body[i + 1] = (p >> 8) & 255; body[i + 2] = p & 255;
    }
  fs.writeFileSync(file, Buffer.concat([Buffer.from(`P6 ${width} ${height} 255\n`), body]));
}

describe('the game in a browser tab', () => {
  let server, browser, page, opening;
  const click = async (x, y, button = 'left') => {
    const p = await canvasPoint(page, x, y);
    await page.mouse.click(p.x, p.y, { button });
  };
  // Polls the canvas until `ok` holds for it; returns that picture.
  const waitCanvas = async (ok, what, ms = 10000) => {
    const deadline = Date.now() + ms;
    for (;;) {
      const shot = await canvasPixels(page);
      if (ok(shot)) return shot;
      assert.ok(Date.now() < deadline, `waited in vain for ${what}`);
      await sleep(100);
    }
  };
  const locked = () => page.evaluate(() => document.pointerLockElement === document.getElementById('screen'));
  // Whether the verdict is across the top of the pitch, read in the page
  // (as verdictPixels does with a whole picture).
  const verdictShown = () => page.evaluate((bar) => {
    const d = document.getElementById('screen').getContext('2d').getImageData(150, bar + 50, 700, 50).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) {
      const p = (d[i] << 16) | (d[i + 1] << 8) | d[i + 2];
      if (p !== 0x008000 && p !== 0xffffff) n++;
    }
    return n >= 300;
  }, opening.height - CLIENT_H);

  before(async () => {
    server = await serve(process.env.BUILD_WEB, { '/matches/': process.env.REPLAYS });
    browser = await launch();
    page = await openGame(browser, server.url);
    // Records whether the page kept the browser's menu from opening.
    await page.evaluate(() => {
      window.kvContextMenus = [];
      window.addEventListener('contextmenu', (e) => window.kvContextMenus.push(e.defaultPrevented));
    });
    await sleep(300);
    opening = await canvasPixels(page);
  });
  after(async () => {
    if (browser) await browser.close();
    if (server) server.close();
  });

  it('opens on exactly the native frame, the score lines in the System face included', async () => {
    assert.strictEqual(await page.title(), 'Kelvara');
    const native = readPng(process.env.NATIVE_OPENING);
    assert.deepStrictEqual([native.width, native.height], [CLIENT_W, CLIENT_H]);
    assert.strictEqual(opening.width, CLIENT_W);
    const web = client(opening);
    let mismatches = 0, first = null;
    for (let y = 0; y < CLIENT_H; y++)
      for (let x = 0; x < CLIENT_W; x++) {
        if (web.at(x, y) !== native.pixels[y * CLIENT_W + x]) {
          mismatches++;
          if (!first) first = [x, y, web.at(x, y).toString(16), native.pixels[y * CLIENT_W + x].toString(16)];
        }
      }
    if (mismatches) {
      const dir = path.dirname(process.env.NATIVE_OPENING);
      writePpm(path.join(dir, 'web_opening_actual.ppm'), CLIENT_W, CLIENT_H, web.at);
      writePpm(path.join(dir, 'web_opening_expected.ppm'), CLIENT_W, CLIENT_H, (x, y) => native.pixels[y * CLIENT_W + x]);
    }
    assert.strictEqual(mismatches, 0, `first mismatch (x, y, web, native): ${first}`);
    // The score lines are there, in white on the pitch.
    let white = 0;
    for (let y = 0; y < 40; y++) for (let x = 50; x < 250; x++) if (web.at(x, y) === WHITE) white++;
    assert.ok(white > 50, `only ${white} white pixels in the left score line`);
  });

  it('opens a drop-down by click and by keyboard, and checks the level chosen', async () => {
    const bar = opening.height - CLIENT_H;
    const changed = (shot) => differing(shot, opening, 28, bar, 240, bar + 110);
    const openByClick = async () => {
      await click(70, 9);  // "Difficulty Level"
      return waitCanvas((shot) => changed(shot) > 1000, 'the drop-down to open on a click');
    };
    const easyChecked = await openByClick();
    await click(80, 67);  // "Hard"
    await waitCanvas((shot) => changed(shot) === 0, 'the drop-down to close');

    // Alt+D opens it too, with Easy selected; two down and Enter choose Medium.
    await page.keyboard.down('Alt');
    await page.keyboard.press('KeyD');
    await page.keyboard.up('Alt');
    await waitCanvas((shot) => changed(shot) > 1000, 'the drop-down to open from the keyboard');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Enter');
    await waitCanvas((shot) => changed(shot) === 0, 'the drop-down to close');

    const mediumChecked = await openByClick();
    // Only the check marks' column, left of the items' text.
    const rowDiff = (y) => differing(easyChecked, mediumChecked, 30, bar + y - 8, 46, bar + y + 8);
    assert.ok(rowDiff(11) > 0, 'Easy kept its check mark');
    assert.ok(rowDiff(29) > 0, 'Medium got no check mark');
    assert.strictEqual(rowDiff(47), 0, 'Hard is checked');
    await click(80, 31);  // back to "Easy", the level the rest plays at
    await waitCanvas((shot) => changed(shot) === 0, 'the drop-down to close');
  });

  // Opens the About box from the Help menu; its outer box on the canvas,
  // [x0, y0, x1, y1] inclusive: the rows and columns that changed.
  const openAbout = async () => {
    await click(140, 9);  // "Help"
    await waitCanvas((shot) => differing(shot, opening, 120, 20, 210, 45) > 200, 'the Help drop-down');
    await click(150, 31);  // "About"
    let box = null;
    await waitCanvas((shot) => {
      box = changedBox(shot, opening);
      return box[2] - box[0] > 300 && box[3] - box[1] > 200;
    }, 'the About box');
    return box;
  };
  const aboutClosed = () => waitCanvas(
    (shot) => differing(shot, opening, 0, 0, shot.width, shot.height) === 0, 'the About box to close');

  it('shows the About box in the frame and caption a desktop gives it, and closes it with OK', async () => {
    const box = await openAbout();
    const shot = await canvasPixels(page);
    const at = (x, y) => shot.pixels[y * shot.width + x];
    // The desktop's size for the box, in a frame.
    assert.deepStrictEqual([box[2] - box[0] + 1, box[3] - box[1] + 1],
      [ABOUT_W + FRAME.left + FRAME.right, ABOUT_H + FRAME.top + FRAME.bottom]);
    // A raised border: light at the top left, dark at the bottom right.
    assert.strictEqual(at(box[0], box[1]), WHITE);
    assert.strictEqual(at(box[2], box[3]), DARK);
    // The caption bar, with the title in white on it...
    assert.strictEqual(at(box[0] + 3, box[1] + 4), CAPTION);
    let title = 0;
    for (let y = box[1] + 3; y < box[1] + 24; y++)
      for (let x = box[0] + 3; x < box[0] + 120; x++) title += at(x, y) === WHITE;
    assert.ok(title > 30, `only ${title} white pixels of a title in the caption`);
    // ...and the close box at its right: a button with a dark cross.
    let face = 0, cross = 0;
    for (let y = box[1] + 6; y < box[1] + 20; y++)
      for (let x = box[2] - 21; x < box[2] - 5; x++) { face += at(x, y) === FACE; cross += at(x, y) === 0; }
    assert.ok(face > 60 && cross >= 14, `close box: ${face} face and ${cross} cross pixels`);
    // OK sits centred near the bottom of the box.
    await click(Math.round((box[0] + box[2]) / 2), box[3] - FRAME.bottom - 36);
    await aboutClosed();
  });

  it('moves the About box by its caption; its close box presses, and only OK ends the box', async () => {
    const box = await openAbout();
    const from = await canvasPoint(page, box[0] + 200, box[1] + 12);
    await page.mouse.move(from.x, from.y);
    await page.mouse.down();
    for (let i = 1; i <= 10; i++) await page.mouse.move(from.x - i * 10, from.y - i * 5);
    await page.mouse.up();
    const moved = [box[0] - 100, box[1] - 50, box[2] - 100, box[3] - 50];
    let now = null;
    await waitCanvas((shot) => String(now = changedBox(shot, opening)) === String(moved),
      'the About box to move', 5000).catch(() => assert.deepStrictEqual(now, moved));

    // The close box goes down under the pointer (its cross a pixel lower)...
    const closeBox = await canvasPoint(page, moved[2] - 13, moved[1] + 13);
    const up = await canvasPixels(page);
    const crossRows = (shot) => {
      const rows = [];
      for (let y = moved[1] + 6; y < moved[1] + 20; y++)
        for (let x = moved[2] - 21; x < moved[2] - 5; x++)
          if (shot.pixels[y * shot.width + x] === 0 && !rows.includes(y)) rows.push(y);
      return rows;
    };
    await page.mouse.move(closeBox.x, closeBox.y);
    await page.mouse.down();
    const down = await waitCanvas((shot) => differing(shot, up, moved[2] - 21, moved[1] + 6, moved[2] - 5,
                                                       moved[1] + 20) > 0, 'the close box to go down');
    assert.strictEqual(Math.min(...crossRows(down)), Math.min(...crossRows(up)) + 1);
    await page.mouse.up();
    // ...and asks the box to close, which this one ignores, as on Windows:
    // only OK ends it.
    await waitCanvas((shot) => differing(shot, up, 0, 0, shot.width, shot.height) === 0, 'the close box to come up');
    await click(Math.round((moved[0] + moved[2]) / 2), moved[3] - FRAME.bottom - 36);
    await aboutClosed();
  });

  it('starts play on a click with the pointer locked, moves the left player, and pauses on a right click', async () => {
    await click(500, 320);
    await page.waitForFunction(() => document.pointerLockElement !== null, { timeout: 10000 });
    const start = await canvasPoint(page, 500, 320);
    for (let i = 1; i <= 30; i++) {
      await page.mouse.move(start.x + i * 5, start.y);
      await sleep(15);
    }
    await sleep(1500);
    const moved = await canvasPixels(page);
    // The left player stood at its spot at the left of the pitch; it is gone from there.
    const bar = opening.height - CLIENT_H;
    assert.ok(differing(moved, opening, 120, bar + 260, 210, bar + 400) > 500, 'the left player did not move');
    const title = await page.title();
    assert.match(title, STATS);
    assert.ok(Number(STATS.exec(title)[2]) > 0);

    await click(500, 320, 'right');
    await page.waitForFunction(() => document.pointerLockElement === null, { timeout: 10000 });
    // Once more, now that the pointer is free: the browser's menu stays shut.
    await click(500, 320, 'right');
    await sleep(200);
    const menus = await page.evaluate(() => window.kvContextMenus);
    assert.ok(menus.length > 0 && menus.every((prevented) => prevented), `context menus ${menus}`);
    // Paused: nothing moves.
    const a = await canvasPixels(page);
    await sleep(300);
    const b = await canvasPixels(page);
    assert.strictEqual(differing(a, b, 0, 0, a.width, a.height), 0);
  });

  it('gives up the capture when the browser takes the lock away, and takes it again on the next click', async () => {
    await click(500, 320);
    await page.waitForFunction(() => document.pointerLockElement !== null, { timeout: 10000 });
    // As Esc does: the browser ends the lock without the game asking.
    await page.evaluate(() => document.exitPointerLock());
    await page.waitForFunction(() => document.pointerLockElement === null, { timeout: 10000 });
    await sleep(300);
    // The game lost its capture, so starting play captures and locks anew.
    await click(500, 320);
    await page.waitForFunction(() => document.pointerLockElement !== null, { timeout: 10000 });
    await click(500, 320, 'right');
    await page.waitForFunction(() => document.pointerLockElement === null, { timeout: 10000 });
  });

  it('plays a whole 45-second match to its verdict, at the page\'s pace of 500 frames a second', async () => {
    const deadline = Date.now() + 90000;
    // The title's rate, once a second of play: from 20 seconds on, a reading
    // just before the next whole second is high by at most 500 / 20. Only
    // the title is read meanwhile: reading the whole canvas back holds the
    // page up, as any busy page would.
    const rates = new Map();
    for (;;) {
      assert.ok(Date.now() < deadline, `no verdict; title ${await page.title()}`);
      // A goal stops play: click again to go on.
      if (!(await locked())) await click(500, 320);
      await sleep(1000);
      const m = STATS.exec(await page.title());
      if (m && Number(m[1]) >= 20) rates.set(Number(m[1]), Number(m[2]));
      if (await verdictShown()) break;
    }
    // The last picture: the verdict over the last scene, unchanging.
    let shot = await canvasPixels(page);
    shot = await waitCanvas((next) => {
      const same = differing(next, shot, 0, 0, next.width, next.height) === 0;
      shot = next;
      return same;
    }, 'the last picture to settle');
    assert.ok(verdictPixels(shot) >= 300, 'the verdict is not on the pitch');
    const readings = [...rates.values()];
    assert.ok(readings.length >= 5, `only ${readings.length} titles from 20 seconds on`);
    const median = [...readings].sort((a, b) => a - b)[readings.length >> 1];
    assert.ok(median >= 450 && median <= 525, `frames a second ${readings.join(' ')}`);
    const elapsed = Number(STATS.exec(await page.title())[1]);
    // The title is refreshed once a second of play, and a goal skips a refresh.
    assert.ok(elapsed >= 40 && elapsed <= 45, `elapsed ${elapsed}`);
    assert.ok(!(await locked()), 'the pointer is still locked after the match');
    // Over: a click changes nothing.
    await click(500, 320);
    await sleep(500);
    const after = await canvasPixels(page);
    assert.strictEqual(differing(shot, after, 0, 0, shot.width, shot.height), 0);
  });

  it('ends with File, Exit and says so on the page', async () => {
    await click(14, 9);  // "File"
    await sleep(300);
    await page.keyboard.press('KeyX');  // "Exit"
    await page.waitForFunction(() => document.body.innerText.includes('Kelvara has ended.'), { timeout: 10000 });
    assert.match(await page.evaluate(() => document.body.innerText),
      /Kelvara has ended\. Reload the page to play again\./);
    assert.deepStrictEqual(page.errors, []);
  });
});

describe('the text the page draws', () => {
  it('draws the score lines at two digits to the native pixels, and lays text out to the native widths', async () => {
    const server = await serve(process.env.BUILD_WEB);
    const browser = await launch();
    try {
      const page = await browser.newPage();
      await page.goto(server.url + 'text_probe.html');
      await page.waitForFunction(() => window.probeDone || window.probeError, { timeout: 30000 });
      const probe = await page.evaluate(() => ({
        lines: window.probeLines, error: window.probeError, problems: window.probeProblems }));
      assert.strictEqual(probe.error, undefined);
      assert.deepStrictEqual(probe.problems, [], 'the page\'s typefaces did not all load');
      const native = fs.readFileSync(process.env.NATIVE_TEXT, 'utf8').split('\n').filter((l) => l);
      const rows = (lines) => lines.filter((l) => l.startsWith('score '));
      const [webRows, nativeRows] = [rows(probe.lines), rows(native)];
      assert.strictEqual(webRows.length, 25);
      if (webRows.join('\n') !== nativeRows.join('\n')) {
        const picture = (lines) => (x, y) => parseInt(lines[y].split(' ')[2].substr(x * 6, 6), 16);
        writePpm(path.join(process.env.WORK, 'score_lines_web.ppm'), 1000, 25, picture(webRows));
        writePpm(path.join(process.env.WORK, 'score_lines_native.ppm'), 1000, 25, picture(nativeRows));
        assert.fail('the score lines differ from the native ones; both pictures are in ' + process.env.WORK);
      }
      // Extents: the dialog face at 8 points comes from Tahoma's bitmap
      // strike in both builds, so it measures the same to the pixel; Arial's
      // outlines are the browser's, within a pixel of FreeType's.
      const extents = (lines) => new Map(lines.filter((l) => l.startsWith('extent\t')).map((l) => {
        const f = l.split('\t');
        return [f.slice(1, 5).join('|'), [Number(f[5]), Number(f[6])]];
      }));
      const [webExtents, nativeExtents] = [extents(probe.lines), extents(native)];
      assert.strictEqual(webExtents.size, nativeExtents.size);
      for (const [key, [cx, cy]] of nativeExtents) {
        const [webCx, webCy] = webExtents.get(key);
        assert.strictEqual(webCy, cy, key);
        if (key.startsWith('MS Shell Dlg|')) assert.strictEqual(webCx, cx, key);
        else assert.ok(Math.abs(webCx - cx) <= 1, `${key}: ${webCx} against ${cx}`);
      }
    } finally {
      await browser.close();
      server.close();
    }
  });
});

describe('recorded matches in the page', () => {
  const replays = process.env.REPLAYS;
  let server, browser, page;
  const output = () => page.evaluate(() => document.getElementById('output').textContent);
  const waitOutput = async (pattern, what, ms = 60000) => {
    await page.waitForFunction((source) => new RegExp(source, 'm').test(
      document.getElementById('output').textContent), { timeout: ms }, pattern.source)
      .catch(async () => assert.fail(`waited in vain for ${what}; the page says: ${await output()}`));
    return new RegExp(pattern.source, 'm').exec(await output());
  };
  // Drops a file on the page as a person drags one from a file manager.
  const drop = (name, bytes) => page.evaluate((name, data) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(data)], name));
    document.getElementById('screen').dispatchEvent(
      new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, name, Array.from(bytes));

  before(async () => {
    server = await serve(process.env.BUILD_WEB, { '/matches/': replays });
    browser = await launch();
    page = await openGame(browser, server.url);
  });
  after(async () => {
    if (browser) await browser.close();
    if (server) server.close();
  });

  it('plays a recording dropped on the page to its end, with the recorded frames and score', async () => {
    const name = 'made-by-sanitizer-build.kvr';
    await drop(name, fs.readFileSync(path.join(replays, name)));
    const intro = await waitOutput(/^replay: made-by-sanitizer-build\.kvr: (\d+) frames, recorded (score \S+)$/,
      'the replay to begin');
    const end = await waitOutput(/^replay: (\d+) frames, (score \S+), (.*)$/, 'the replay to end', 120000);
    assert.deepStrictEqual([end[1], end[2], end[3]],
      [intro[1], intro[2], 'matches (the frames\' pixels were not compared)']);
    assert.match(await page.evaluate(() => document.body.innerText), /frames are not checked/);
    await page.waitForFunction(() => document.body.innerText.includes('Kelvara has ended.'), { timeout: 10000 });
    assert.deepStrictEqual(page.errors, []);
  });

  it('fetches a recording named in the address and plays it as recorded, at the pace it was recorded at', async () => {
    // easy.kvr was recorded at --pace 500; the replay takes its pace from the
    // recording, not from the page.
    await page.goto(server.url + '?replay=matches/easy.kvr&pace=0');
    const intro = await waitOutput(/^replay: matches\/easy\.kvr: (\d+) frames, recorded (score \S+)$/,
      'the named replay to begin', 20000);
    const end = await waitOutput(/^replay: (\d+) frames, (score \S+), (.*)$/, 'the replay to end', 120000);
    assert.deepStrictEqual([end[1], end[2], end[3]],
      [intro[1], intro[2], 'matches (the frames\' pixels were not compared)']);
    assert.deepStrictEqual(page.errors, []);
  });

  it('says what is wrong with a file that is no sound recording, dropped or named in the address', async () => {
    // Not a recording at all: refused before the program starts.
    await drop('holiday.kvr', Buffer.from('these are not the bytes of a recorded match'));
    await waitOutput(/^kelvara: holiday\.kvr: not a recording$/, 'the refusal');
    await page.waitForFunction(() => document.body.innerText.includes('Kelvara stopped before it started'),
      { timeout: 10000 });
    // A recording damaged in its first block: the replay says where.
    const damaged = Buffer.from(fs.readFileSync(path.join(replays, 'easy.kvr')));
    damaged[100] ^= 0xFF;
    await drop('damaged.kvr', damaged);
    await waitOutput(/recording ends early: corrupted block at byte \d+ \(checksum\)$/, 'the damage');
    // A name in the address that the server does not have.
    await page.goto(server.url + '?replay=matches/no-such-match.kvr');
    await waitOutput(/^matches\/no-such-match\.kvr: the recording could not be fetched \(404 Not Found\)$/,
      'the missing file', 20000);
    assert.deepStrictEqual(page.errors, []);
  });
});
