// Reads the PNG files that tools/screenshots writes (8-bit RGB, no
// interlace) as 0x00RRGGBB numbers.
'use strict';

const fs = require('fs');
const zlib = require('zlib');

function readPng(file) {
  const data = fs.readFileSync(file);
  let at = 8, width = 0, height = 0;
  const idat = [];
  while (at < data.length) {
    const length = data.readUInt32BE(at);
    const type = data.toString('latin1', at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[9] !== 2 || body[12] !== 0) throw new Error(`${file}: not 8-bit RGB`);
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const pixels = new Array(width * height);
  const stride = width * 3 + 1;
  for (let y = 0; y < height; y++) {
    if (raw[y * stride] !== 0) throw new Error(`${file}: row filter ${raw[y * stride]} not read here`);
    for (let x = 0; x < width; x++) {
      const i = y * stride + 1 + x * 3;
      pixels[y * width + x] = (raw[i] << 16) | (raw[i + 1] << 8) | raw[i + 2];
    }
  }
  return { width, height, pixels };
}

module.exports = { readPng };
