// The page as a test drives it: a static server for the site, and a tab of
// the game with its console, its trace and its exit.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { decodePng, resample, brightness } from './pictures.mjs';

export function fail(message) {
  console.error('FAIL: ' + message);
  process.exit(1);
}

// A static server for the site, on a free local port.
export function serve(site) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
                  '.png': 'image/png', '.webmanifest': 'application/manifest+json' };
  const server = http.createServer((req, res) => {
    const url = decodeURIComponent(new URL(req.url, 'http://localhost').pathname);
    const file = path.join(site, url === '/' ? 'index.html' : url);
    if (!path.resolve(file).startsWith(path.resolve(site) + path.sep)) {
      res.writeHead(403);
      res.end();
      return;
    }
    fs.readFile(file, (err, body) => {
      if (err) {
        res.writeHead(404);
        res.end();
        return;
      }
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      res.end(body);
    });
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// One tab of the game: its console, its trace and its exit.
export class Tab {
  constructor(page, name) {
    this.page = page;
    this.name = name;
    this.trace = [];
    this.seen = 0;
    this.output = [];
    this.errors = [];
    page.on('console', msg => {
      const text = msg.text();
      this.output.push(text);
      if (msg.type() === 'error') this.trace.push(text);
    });
    page.on('pageerror', err => this.errors.push(err.message));
    page.on('dialog', dialog => {
      this.errors.push('dialog: ' + dialog.message());
      dialog.dismiss().catch(() => {});
    });
  }

  async open(base, query, timeout) {
    this.timeout = timeout;
    await this.page.goto(`${base}/index.html${query}`);
  }

  // The game's exit status once the page has said it ended, else null. The
  // page says so on the console after everything the game wrote there, so
  // every trace line before the end has arrived by then.
  exited() {
    for (const line of this.output) {
      const m = /^Snowquill ended with status (-?\d+)$/.exec(line);
      if (m) return Number(m[1]);
      if (line.startsWith('Snowquill stopped: ')) return -1;
    }
    return null;
  }

  // Waits for the first new trace line that is `want` or starts with it.
  async waitTrace(want, tap) {
    if (tap) await this.page.keyboard.press(tap);
    const end = Date.now() + this.timeout * 1000;
    while (Date.now() < end) {
      while (this.seen < this.trace.length) {
        const line = this.trace[this.seen++];
        if (line === want || line.startsWith(want + ' ')) return line;
      }
      if (this.errors.length) fail(`${this.name}: the page failed: ${this.errors.join('; ')}`);
      const code = this.exited();
      if (code !== null) fail(`${this.name}: the game ended (status ${code}) while waiting for '${want}'`);
      await this.page.waitForTimeout(50);
    }
    fail(`${this.name}: the game did not reach '${want}'; its trace ends with ${JSON.stringify(this.trace.slice(-3))}`);
  }

  async waitExit() {
    const end = Date.now() + this.timeout * 1000;
    while (Date.now() < end) {
      const code = this.exited();
      if (code !== null) return code;
      await this.page.waitForTimeout(100);
    }
    fail(`${this.name}: the game did not end; its output ends with ${JSON.stringify(this.output.slice(-5))}`);
  }

  // The canvas as the player sees it, brought back to the game's own pixels
  // (one sample from the middle of each enlarged pixel).
  async screen(logicalWidth, logicalHeight) {
    const box = await this.page.locator('#canvas').boundingBox();
    this.lastPng = await this.page.screenshot({ clip: box });
    return resample(decodePng(this.lastPng), logicalWidth, logicalHeight);
  }

  // Keeps the last screenshot as `name`.png in --shots, when given.
  keep(name, args) {
    if (!args.shots) return;
    fs.mkdirSync(args.shots, { recursive: true });
    fs.writeFileSync(path.join(args.shots, name + '.png'), this.lastPng);
  }

  // Waits until the screen's brightness holds still across two screenshots
  // (a fade or zoom is over; snow and stars may still move).
  async steadyScreen(w, h, what) {
    let last = null;
    const end = Date.now() + this.timeout * 1000;
    while (Date.now() < end) {
      const now = await this.screen(w, h);
      if (last && Math.abs(brightness(last) - brightness(now)) < 0.5 && brightness(now) > 10) return now;
      last = now;
      await this.page.waitForTimeout(150);
    }
    fail(`${this.name}: ${what}: the screen did not settle`);
  }
}

// The names in the 640-byte high-score table.
export function readTable(bytes) {
  if (bytes.length !== 640) fail(`the table in the browser's storage holds ${bytes.length} bytes, not 640`);
  const names = [];
  for (let i = 0; i < 20; ++i) {
    const raw = bytes.slice(i * 32 + 20, i * 32 + 32);
    names.push(String.fromCharCode(...raw.filter(c => c >= 32 && c < 127)).trim());
  }
  return names;
}
