// The browser's font engine as the glyph source of the web build: faces
// chosen as the native build chooses them (a metric-compatible face for the
// Windows core fonts, else the sans-serif), glyphs drawn into an offscreen
// canvas and read back as coverage. Called from platform/gdi/browser/glyph_source_browser.cpp.
'use strict';

(function () {
  // The stand-ins that fontconfig binds strongly to the Windows names.
  const STAND_INS = {
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

  // A family is there when text in it differs from every generic fallback.
  function installed(name) {
    const sample = 'mmmmmmmmmmlli WQ@#0';
    for (const base of ['monospace', 'serif', 'sans-serif']) {
      sctx.font = '72px ' + base;
      const plain = sctx.measureText(sample).width;
      sctx.font = '72px ' + quote(name) + ', ' + base;
      if (sctx.measureText(sample).width !== plain) return true;
    }
    return false;
  }

  // The CSS family list for a face name, and the family it resolves to.
  function resolve(name) {
    const key = name.trim().toLowerCase();
    if (key && !GENERIC.includes(key)) {
      for (const candidate of STAND_INS[key] || [name.trim()]) {
        if (installed(candidate)) return { css: quote(candidate) + ', sans-serif', family: candidate };
      }
    }
    return { css: 'sans-serif', family: 'sans-serif' };
  }

  const faces = [null];  // id 0 is no face

  window.kvGlyphs = {
    // Returns a face id, with ascent and descent in out[0], out[1]; the
    // height rule is the interface's (positive: cell, negative: em).
    open(name, height, weight, out) {
      const r = resolve(name);
      sctx.font = weight + ' 1000px ' + r.css;
      const m = sctx.measureText('Hg');
      let asc = m.fontBoundingBoxAscent / 1000, desc = m.fontBoundingBoxDescent / 1000;
      if (!(asc + desc > 0)) { asc = 0.8; desc = 0.2; }
      let em, ascent, descent;
      if (height > 0) {
        em = height / (asc + desc);
        ascent = Math.round(height * asc / (asc + desc));
        descent = height - ascent;
      } else {
        em = -height;
        ascent = Math.round(asc * em);
        descent = Math.round(desc * em);
      }
      faces.push({ font: weight + ' ' + em + 'px ' + r.css });
      out[0] = ascent; out[1] = descent;
      return { id: faces.length - 1, family: r.family };
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
