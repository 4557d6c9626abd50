// Pictures as the browser test compares them: {width, height, data} with
// three bytes a pixel.
import zlib from 'node:zlib';

// Decodes an 8-bit RGB or RGBA PNG without interlacing (the screenshots and
// the game's own pictures).
export function decodePng(buf) {
  if (buf.readUInt32BE(0) !== 0x89504e47) throw new Error('not a PNG picture');
  let pos = 8, width = 0, height = 0, channels = 0;
  const idat = [];
  while (pos + 8 <= buf.length) {
    const len = buf.readUInt32BE(pos), type = buf.toString('latin1', pos + 4, pos + 8);
    const body = buf.subarray(pos + 8, pos + 8 + len);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const depth = body[8], colour = body[9], interlace = body[12];
      channels = { 2: 3, 6: 4 }[colour];
      if (depth !== 8 || !channels || interlace) throw new Error(`unsupported PNG (depth ${depth}, colour ${colour})`);
    } else if (type === 'IDAT') {
      idat.push(body);
    } else if (type === 'IEND') {
      break;
    }
    pos += 12 + len;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? rows[y * stride + i - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + i] : 0;
      const c = i >= channels && y > 0 ? rows[(y - 1) * stride + i - channels] : 0;
      let v = line[i];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      rows[y * stride + i] = v & 255;
    }
  }
  const data = new Uint8Array(width * height * 3);
  for (let i = 0, o = 0; i < rows.length; i += channels, o += 3) {
    data[o] = rows[i];
    data[o + 1] = rows[i + 1];
    data[o + 2] = rows[i + 2];
  }
  return { width, height, data };
}

export function resample(pic, w, h) {
  const data = new Uint8Array(w * h * 3);
  for (let y = 0; y < h; ++y) {
    const sy = Math.min(pic.height - 1, Math.floor((y + 0.5) * pic.height / h));
    for (let x = 0; x < w; ++x) {
      const sx = Math.min(pic.width - 1, Math.floor((x + 0.5) * pic.width / w));
      const i = (sy * pic.width + sx) * 3, o = (y * w + x) * 3;
      data[o] = pic.data[i];
      data[o + 1] = pic.data[i + 1];
      data[o + 2] = pic.data[i + 2];
    }
  }
  return { width: w, height: h, data };
}

export function brightness(pic) {
  let sum = 0;
  for (let i = 0; i < pic.data.length; ++i) sum += pic.data[i];
  return sum / pic.data.length;
}

export function meanDifference(a, b) {
  let sum = 0;
  for (let i = 0; i < a.data.length; ++i) sum += Math.abs(a.data[i] - b.data[i]);
  return sum / a.data.length;
}

// The share of the picture's pixels (magenta is see-through) found at (x, y)
// of the screen within a small tolerance.
export function matchShare(screen, pic, x, y) {
  let opaque = 0, same = 0;
  for (let py = 0; py < pic.height; ++py) {
    for (let px = 0; px < pic.width; ++px) {
      const p = (py * pic.width + px) * 3;
      const r = pic.data[p], g = pic.data[p + 1], b = pic.data[p + 2];
      if (r > 250 && g < 5 && b > 250) continue;
      const sx = x + px, sy = y + py;
      if (sx < 0 || sy < 0 || sx >= screen.width || sy >= screen.height) continue;
      ++opaque;
      const s = (sy * screen.width + sx) * 3;
      if (Math.abs(screen.data[s] - r) + Math.abs(screen.data[s + 1] - g) + Math.abs(screen.data[s + 2] - b) <= 60) ++same;
    }
  }
  return opaque ? same / opaque : 0;
}

export function colours(screen) {
  const set = new Set();
  for (let i = 0; i < screen.data.length; i += 3) set.add((screen.data[i] << 16) | (screen.data[i + 1] << 8) | screen.data[i + 2]);
  return set.size;
}

