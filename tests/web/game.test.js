// Kelvara in a real browser: Debian's chromium, headless, playing the page
// that `make web` builds. Run by tests/web/run.sh (CTest: web_browser).
//   BUILD_WEB       the folder with index.html, kelvara.js, kelvara.wasm
//   NATIVE_OPENING  the native headless opening frame (tools/screenshots)
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
// The two score lines: drawn by the browser's font engine here and by
// FreeType natively, so only they may differ.
const SCORE_TEXT = [[40, 0, 260, 50], [750, 0, 1000, 50]];  // client x0, y0, x1, y1

// The client area (below the menu bar) of a canvas picture.
function client(shot) {
  const bar = shot.height - CLIENT_H;
  return { bar, at: (x, y) => shot.pixels[(y + bar) * shot.width + x] };
}

function inScoreText(x, y) {
  return SCORE_TEXT.some(([x0, y0, x1, y1]) => x >= x0 && x < x1 && y >= y0 && y < y1);
}

// Pixels of the rectangle that differ between two canvas pictures.
function differing(a, b, x0, y0, x1, y1) {
  let n = 0;
  for (let y = y0; y < y1; y++)
    for (let x = x0; x < x1; x++) if (a.pixels[y * a.width + x] !== b.pixels[y * b.width + x]) n++;
  return n;
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

  before(async () => {
    server = await serve(process.env.BUILD_WEB);
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

  it('opens on the same frame as the native build, but for the score text', async () => {
    assert.strictEqual(await page.title(), 'Kelvara');
    const native = readPng(process.env.NATIVE_OPENING);
    assert.deepStrictEqual([native.width, native.height], [CLIENT_W, CLIENT_H]);
    assert.strictEqual(opening.width, CLIENT_W);
    const web = client(opening);
    let mismatches = 0, first = null;
    for (let y = 0; y < CLIENT_H; y++)
      for (let x = 0; x < CLIENT_W; x++) {
        if (inScoreText(x, y)) continue;
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

  it('opens the About box from the menu and closes it with OK', async () => {
    await click(140, 9);  // "Help"
    await waitCanvas((shot) => differing(shot, opening, 120, 20, 210, 45) > 200, 'the Help drop-down');
    await click(150, 31);  // "About"
    // The box: the rows and columns that changed.
    let box = null;
    await waitCanvas((shot) => {
      let x0 = Infinity, y0 = Infinity, x1 = -1, y1 = -1;
      for (let y = 0; y < shot.height; y++)
        for (let x = 0; x < shot.width; x++)
          if (shot.pixels[y * shot.width + x] !== opening.pixels[y * shot.width + x]) {
            x0 = Math.min(x0, x); y0 = Math.min(y0, y); x1 = Math.max(x1, x); y1 = Math.max(y1, y);
          }
      box = [x0, y0, x1, y1];
      return x1 - x0 > 300 && y1 - y0 > 200;
    }, 'the About box');
    // OK sits centred near the bottom of the box.
    await click(Math.round((box[0] + box[2]) / 2), box[3] - 36);
    await waitCanvas((shot) => differing(shot, opening, 0, 0, shot.width, shot.height) === 0,
      'the About box to close');
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

  it('plays a whole 45-second match to its verdict', async () => {
    const deadline = Date.now() + 90000;
    let shot = await canvasPixels(page);
    while (verdictPixels(shot) < 300) {
      assert.ok(Date.now() < deadline, `no verdict; title ${await page.title()}`);
      // A goal stops play: click again to go on.
      if (!(await locked())) await click(500, 320);
      await sleep(1000);
      shot = await canvasPixels(page);
    }
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
