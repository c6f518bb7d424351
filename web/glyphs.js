// The browser's font engine as the glyph source of the web build: the faces
// the desktop uses are shipped beside the page (fonts/) and loaded before
// the program starts, other names get what the native build would give them
// (a metric-compatible face for the Windows core fonts, else the
// sans-serif), and glyphs are drawn into an offscreen canvas and read back
// as coverage. Called from platform/gdi/browser/glyph_source_browser.cpp,
// which sizes the faces by the interface's rule from the numbers given here.
'use strict';

(function () {
  // The files the page ships, under the family names the page gives them.
  const SHIPPED = [
    { family: 'Tahoma', weight: 400, file: 'fonts/tahoma.ttf' },
    { family: 'Tahoma', weight: 700, file: 'fonts/tahomabd.ttf' },
    { family: 'Liberation Sans', weight: 400, file: 'fonts/LiberationSans-Regular.ttf' },
    { family: 'Liberation Sans', weight: 700, file: 'fonts/LiberationSans-Bold.ttf' },
  ];
  // The names the interface's programs ask for, and the face that stands for
  // each (natively: Wine's Tahoma for the dialog face, fontconfig's strong
  // aliases for the core fonts); the first one the page has is taken.
  const STAND_INS = {
    'ms shell dlg': ['Tahoma'],
    'ms shell dlg 2': ['Tahoma'],
    'tahoma': ['Tahoma'],
    'arial': ['Liberation Sans', 'Arial'],
    'helvetica': ['Liberation Sans', 'Helvetica'],
    'times new roman': ['Liberation Serif', 'Times New Roman'],
    'times': ['Liberation Serif', 'Times'],
    'courier new': ['Liberation Mono', 'Courier New'],
    'courier': ['Liberation Mono', 'Courier'],
  };
  const GENERIC = ['sans-serif', 'sans', 'serif', 'monospace', 'mono', 'system-ui', 'cursive', 'fantasy'];

  const scratch = new OffscreenCanvas(64, 64);
  const sctx = scratch.getContext('2d', { willReadFrequently: true });

  const quote = (name) => '"' + name.replace(/["\\]/g, '') + '"';
  // Family name -> { weight -> index in SHIPPED } of the files loaded, and
  // each file's numbers ([unitsPerEm, ascent, descent]) and bytes.
  const loaded = new Map();
  const files = [];

  // The em square and the Windows ascent and descent of a TrueType file:
  // the OS/2 table's, else the horizontal header's. Null when the file's
  // tables are not where they claim to be.
  function faceUnits(buffer) {
    const view = new DataView(buffer);
    if (view.byteLength < 12) return null;
    const tables = {};
    const count = view.getUint16(4);
    for (let i = 0; i < count; i++) {
      const at = 12 + i * 16;
      if (at + 16 > view.byteLength) return null;
      const tag = String.fromCharCode(view.getUint8(at), view.getUint8(at + 1), view.getUint8(at + 2), view.getUint8(at + 3));
      tables[tag] = { offset: view.getUint32(at + 8), length: view.getUint32(at + 12) };
    }
    const within = (t, end) => t && t.offset + end <= view.byteLength && end <= t.length;
    if (!within(tables.head, 20) || !within(tables.hhea, 8)) return null;
    const em = view.getUint16(tables.head.offset + 18);
    let ascent = view.getInt16(tables.hhea.offset + 4), descent = -view.getInt16(tables.hhea.offset + 6);
    if (within(tables['OS/2'], 78)) {
      const winAscent = view.getUint16(tables['OS/2'].offset + 74);
      const winDescent = view.getUint16(tables['OS/2'].offset + 76);
      if (winAscent + winDescent > 0) { ascent = winAscent; descent = winDescent; }
    }
    return em > 0 ? [em, ascent, descent] : null;
  }

  // A family is there when text in it differs from every generic fallback.
  function installed(name) {
    if (loaded.has(name)) return true;
    const sample = 'mmmmmmmmmmlli WQ@#0';
    for (const base of ['monospace', 'serif', 'sans-serif']) {
      sctx.font = '72px ' + base;
      const plain = sctx.measureText(sample).width;
      sctx.font = '72px ' + quote(name) + ', ' + base;
      if (sctx.measureText(sample).width !== plain) return true;
    }
    return false;
  }

  // The family a face name resolves to here.
  function resolve(name) {
    const key = name.trim().toLowerCase();
    if (key && !GENERIC.includes(key)) {
      for (const candidate of STAND_INS[key] || [name.trim()]) {
        if (installed(candidate)) return candidate;
      }
    }
    return 'sans-serif';
  }

  const faces = [null];  // id 0 is no face

  window.kvGlyphs = {
    // Fetches and installs the shipped faces. Resolves with the problems
    // met (empty when every face is there); a face that is missing is
    // drawn in the browser's sans-serif instead.
    async load() {
      const problems = [];
      await Promise.all(SHIPPED.map(async (s) => {
        try {
          const response = await fetch(s.file);
          if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
          const buffer = await response.arrayBuffer();
          const units = faceUnits(buffer);
          if (!units) throw new Error('not a TrueType font');
          const face = new FontFace(s.family, buffer, { weight: String(s.weight) });
          await face.load();
          document.fonts.add(face);
          const index = SHIPPED.indexOf(s);
          files[index] = { units, bytes: new Uint8Array(buffer) };
          if (!loaded.has(s.family)) loaded.set(s.family, new Map());
          loaded.get(s.family).set(s.weight, index);
        } catch (e) {
          problems.push(s.file + ': ' + (e && e.message ? e.message : e));
        }
      }));
      return problems;
    },
    // A face for a name and weight: its id, the family it resolved to, its
    // em square, ascent and descent in font units, and the shipped file it
    // is drawn from (-1 for none).
    open(name, weight) {
      const family = resolve(name);
      const css = family === 'sans-serif' ? 'sans-serif' : quote(family) + ', sans-serif';
      let units = null, file = -1;
      const weights = loaded.get(family);
      if (weights) {
        file = weights.has(weight >= 600 ? 700 : 400) ? weights.get(weight >= 600 ? 700 : 400)
                                                      : weights.values().next().value;
        units = files[file].units;
      }
      if (!units) {
        // A face the page did not ship: its box as the browser measures it.
        sctx.font = weight + ' 1000px ' + css;
        const m = sctx.measureText('Hg');
        units = [1000, m.fontBoundingBoxAscent || 0, m.fontBoundingBoxDescent || 0];
      }
      faces.push({ css, weight, font: '' });
      return { id: faces.length - 1, family, units, file };
    },
    // The bytes of a shipped file (its embedded strikes are drawn from them).
    fileBytes(index) { return files[index] ? files[index].bytes : null; },
    // Sets the face's em size in pixels.
    size(id, em) {
      const face = faces[id];
      if (face) face.font = face.weight + ' ' + em + 'px ' + face.css;
    },
    // Draws one code point; out gets left, top, width, rows, advance, and
    // the coverage is kept for take().
    render(id, codePoint, antialias, out) {
      const face = faces[id];
      if (!face) return null;
      const text = String.fromCodePoint(codePoint);
      sctx.font = face.font;
      const m = sctx.measureText(text);
      const left = Math.floor(-m.actualBoundingBoxLeft) - 1;
      const right = Math.ceil(m.actualBoundingBoxRight) + 1;
      const top = Math.ceil(m.actualBoundingBoxAscent) + 1;
      const bottom = Math.ceil(m.actualBoundingBoxDescent) + 1;
      const width = Math.max(0, right - left), rows = Math.max(0, top + bottom);
      out[0] = left; out[1] = top; out[2] = width; out[3] = rows; out[4] = Math.round(m.width);
      const coverage = new Uint8Array(width * rows);
      if (width > 0 && rows > 0 && text.trim() !== '') {
        if (scratch.width < width) scratch.width = width;
        if (scratch.height < rows) scratch.height = rows;
        sctx.clearRect(0, 0, scratch.width, scratch.height);
        sctx.font = face.font;  // resizing the canvas resets the context
        sctx.fillStyle = '#000';
        sctx.textBaseline = 'alphabetic';
        sctx.fillText(text, -left, top);
        const data = sctx.getImageData(0, 0, width, rows).data;
        for (let i = 0; i < coverage.length; i++) {
          const a = data[i * 4 + 3];
          coverage[i] = antialias ? a : (a >= 128 ? 255 : 0);
        }
      }
      return coverage;
    },
  };
})();
