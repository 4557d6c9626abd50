// Plays the browser build of Snowquill in headless Chromium.
//
//   node tests/web/web_test.mjs --site build-web --data build/game [--desktop build/game/snowquill]
//   node tests/web/web_test.mjs ... --bench     only the replays, and level 6 drawn
//                                               as fast as it goes, beside the desktop
//
// The page is served from --site on a local port and driven with real key
// events, the way a player's browser would deliver them:
//   1. the splash is drawn as its picture (compared with gfx/splash.png);
//   2. a key press moves the title menu, and the page does not scroll;
//   3. a game starts and level 1's HUD shows (the lives icons, compared with
//      gfx/lives.png); Escape ends it, a name is typed into the table;
//   4. a new tab finds that table in the browser's storage;
//   5. the level 1 demo replays in the page to the digest it was recorded
//      with (and the desktop build's, with --desktop), and level 6's demo is
//      replayed as a timedemo beside the desktop's.
// Nothing waits on a guess of time: each key is sent once the game's trace
// (written to the console with ?trace) shows the screen it is meant for.
// Exit status 77 when Chromium or the build is missing.
import { chromium } from 'playwright-core';
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import zlib from 'node:zlib';

const SKIP = 77;
const DEMOS = new URL('../demos/', import.meta.url).pathname;
const NAME = 'WEB';

function parseArgs() {
  const args = { site: 'build-web', data: 'build/game', desktop: '', chromium: '/usr/bin/chromium', timeout: 180, bench: false, shots: '' };
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; i += 2) {
    const key = argv[i].replace(/^--/, '');
    if (!(key in args)) throw new Error(`unknown option ${argv[i]}`);
    if (key === 'bench') {
      args.bench = true;
      --i;
      continue;
    }
    args[key] = key === 'timeout' ? Number(argv[i + 1]) : argv[i + 1];
  }
  return args;
}

function fail(message) {
  console.error('FAIL: ' + message);
  process.exit(1);
}

// A static server for the page.
function serve(site) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png' };
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
class Tab {
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

// Pictures are {width, height, data} with three bytes a pixel.

// Decodes an 8-bit RGB or RGBA PNG without interlacing (the screenshots and
// the game's own pictures).
function decodePng(buf) {
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

function resample(pic, w, h) {
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

function brightness(pic) {
  let sum = 0;
  for (let i = 0; i < pic.data.length; ++i) sum += pic.data[i];
  return sum / pic.data.length;
}

function meanDifference(a, b) {
  let sum = 0;
  for (let i = 0; i < a.data.length; ++i) sum += Math.abs(a.data[i] - b.data[i]);
  return sum / a.data.length;
}

// The share of the picture's pixels (magenta is see-through) found at (x, y)
// of the screen within a small tolerance.
function matchShare(screen, pic, x, y) {
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

function colours(screen) {
  const set = new Set();
  for (let i = 0; i < screen.data.length; i += 3) set.add((screen.data[i] << 16) | (screen.data[i + 1] << 8) | screen.data[i + 2]);
  return set.size;
}

function readTable(bytes) {
  if (bytes.length !== 640) fail(`the table in the browser's storage holds ${bytes.length} bytes, not 640`);
  const names = [];
  for (let i = 0; i < 20; ++i) {
    const raw = bytes.slice(i * 32 + 20, i * 32 + 32);
    names.push(String.fromCharCode(...raw.filter(c => c >= 32 && c < 127)).trim());
  }
  return names;
}

async function playGame(context, base, args) {
  // ---- A whole short game in one tab.
  const tab = new Tab(await context.newPage(), 'play');
  const opened = Date.now();
  await tab.open(base, '?trace', args.timeout);
  await tab.waitTrace('splash');
  const firstFrame = await tab.page.evaluate(() => Module.sqFirstFrame);
  console.log(`first frame: ${Math.round(firstFrame)} ms after the page was opened (${Date.now() - opened} ms to the splash)`);

  const splashRef = decodePng(fs.readFileSync(path.join(args.data, 'gfx/splash.png')));
  const splash = await tab.steadyScreen(640, 480, 'splash');
  tab.keep('1-splash', args);
  const splashDiff = meanDifference(splash, splashRef);
  console.log(`splash: mean difference ${splashDiff.toFixed(2)} from gfx/splash.png`);
  if (splashDiff > 6) fail(`the splash does not show gfx/splash.png (mean difference ${splashDiff.toFixed(2)})`);

  let line = await tab.waitTrace('menu');
  let item = Number(line.split(' ')[1]);
  const menu = await tab.steadyScreen(320, 240, 'menu');
  tab.keep('2-menu', args);
  if (colours(menu) < 64) fail(`the title menu looks blank (${colours(menu)} colours)`);
  // Before any key the browser may hold the sound back: the page says so.
  const soundBefore = await tab.page.evaluate(() => (Module.SDL2 && Module.SDL2.audioContext ? Module.SDL2.audioContext.state : 'none'));
  if (soundBefore === 'none') fail('the game opened no sound device');
  if (soundBefore !== 'running') {
    await tab.page.waitForFunction(() => !document.getElementById('sound').classList.contains('hidden'), null,
      { timeout: args.timeout * 1000 }).catch(() => fail('sound is held back but the page does not say so'));
  }
  // A key reaches the menu, and the arrow keys do not scroll the page.
  await tab.page.evaluate(() => {
    window.sqKeys = [];
    document.addEventListener('keydown', e => window.sqKeys.push(e.code + (e.defaultPrevented ? ':kept' : ':passed')));
  });
  line = await tab.waitTrace('menu', 'ArrowDown');
  if (Number(line.split(' ')[1]) !== (item + 1) % 5) fail(`Down moved the menu from ${item} to ${line}`);
  line = await tab.waitTrace('menu', 'ArrowUp');
  item = Number(line.split(' ')[1]);
  const keys = await tab.page.evaluate(() => window.sqKeys);
  if (keys.some(k => k.endsWith(':passed'))) fail(`the page let the browser act on game keys: ${keys}`);
  if (await tab.page.evaluate(() => window.scrollY !== 0)) fail('the page scrolled');
  console.log(`menu: Down and Up reach the game (${keys.join(', ')})`);

  // The key started the sound, the note is gone, and the menu's tune plays:
  // the mixer's output, measured as the browser takes it.
  await tab.page.waitForFunction(() => Module.SDL2.audioContext.state === 'running' &&
    document.getElementById('sound').classList.contains('hidden'), null, { timeout: args.timeout * 1000 })
    .catch(() => fail('the sound did not start with the first key (or the page still says it waits)'));
  await tab.page.evaluate(() => {
    const node = Module.SDL2.audio.scriptProcessorNode;
    const mix = node.onaudioprocess;
    window.sqLevels = [];
    node.onaudioprocess = e => {
      mix(e);
      const d = e.outputBuffer.getChannelData(0);
      let sum = 0;
      for (let i = 0; i < d.length; ++i) sum += d[i] * d[i];
      window.sqLevels.push(Math.sqrt(sum / d.length));
    };
  });
  await tab.page.waitForFunction(() => window.sqLevels.length >= 40, null, { timeout: args.timeout * 1000 })
    .catch(() => fail('the browser took no sound from the game'));
  const levels = await tab.page.evaluate(() => window.sqLevels);
  const loud = levels.filter(v => v > 0.01).length / levels.length;
  console.log(`sound: ${soundBefore} before the first key, then running; ${(100 * loud).toFixed(0)} % of ${levels.length} buffers carry the tune`);
  if (loud < 0.5) fail('the menu is silent in the browser');

  // F11 gives the game the whole screen, the picture still whole multiples
  // of its size, and F11 again gives it back.
  const smallWidth = await tab.page.evaluate(() => document.getElementById('canvas').getBoundingClientRect().width);
  await tab.page.keyboard.press('F11');
  await tab.page.waitForFunction(() => document.fullscreenElement === document.getElementById('stage'), null,
    { timeout: args.timeout * 1000 }).catch(() => fail('F11 did not ask for the full screen'));
  await tab.page.waitForFunction(w => document.getElementById('canvas').getBoundingClientRect().width !== w,
    smallWidth, { timeout: args.timeout * 1000 }).catch(() => {});
  const full = await tab.page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { w: r.width, h: r.height, sw: window.innerWidth, sh: window.innerHeight };
  });
  if (full.w * 3 !== full.h * 4 || full.w > full.sw || full.h > full.sh) fail(`the full-screen picture is ${JSON.stringify(full)}`);
  await tab.page.keyboard.press('F11');
  await tab.page.waitForFunction(() => !document.fullscreenElement, null, { timeout: args.timeout * 1000 })
    .catch(() => fail('F11 did not leave the full screen'));
  console.log(`F11: the full screen (${full.w} x ${full.h} in ${full.sw} x ${full.sh}) and back`);

  while (item !== 0) {
    line = await tab.waitTrace('menu', 'ArrowUp');
    item = Number(line.split(' ')[1]);
  }
  await tab.waitTrace('level 1', 'Space');
  const level = await tab.steadyScreen(320, 240, 'level 1');
  const lives = decodePng(fs.readFileSync(path.join(args.data, 'gfx/lives.png')));
  tab.keep('3-level-1', args);
  const livesShare = matchShare(level, lives, 300, 4);
  console.log(`level 1: the last lives icon matches gfx/lives.png at ${(100 * livesShare).toFixed(0)} %`);
  if (livesShare < 0.8) fail('level 1 shows no lives icons where the HUD has them');
  await tab.page.keyboard.press('ControlLeft');
  await tab.page.keyboard.down('ArrowRight');
  await tab.page.waitForTimeout(500);
  await tab.page.keyboard.up('ArrowRight');
  const later = await tab.screen(320, 240);
  if (meanDifference(level, later) < 0.5) fail('level 1 did not move');

  await tab.waitTrace('tally', 'Escape');
  await tab.waitTrace('name-entry', 'Space');
  for (let i = 0; i < NAME.length; ++i) await tab.waitTrace('name ' + NAME.slice(0, i + 1), 'Key' + NAME[i]);
  await tab.waitTrace('menu', 'Enter');
  // The table reaches the browser's storage once the copy is over.
  await tab.page.waitForFunction(() => Module.sqPersist && !Module.sqPersist.busy, null, { timeout: args.timeout * 1000 });
  const saved = readTable(await tab.page.evaluate(() => Array.from(FS.readFile('/save/HISCORES.DAT'))));
  if (!saved.includes(NAME)) fail(`the typed name is not in the table: ${saved}`);

  // ---- A new tab finds the table.
  const second = new Tab(await context.newPage(), 'new tab');
  await second.open(base, '?trace', args.timeout);
  await second.waitTrace('splash');
  const names = readTable(await second.page.evaluate(() => Array.from(FS.readFile('/save/HISCORES.DAT'))));
  if (!names.includes(NAME)) fail(`a new tab does not see the saved table: ${names}`);
  console.log(`scores: a new tab reads the table with ${NAME} in it`);
  await second.page.close();

  // Quit from the menu ends the game cleanly.
  while (item !== 4) {
    line = await tab.waitTrace('menu', 'ArrowUp');
    item = Number(line.split(' ')[1]);
  }
  await tab.waitTrace('quit', 'Space');
  const status = await tab.waitExit();
  if (status !== 0) fail(`the game ended with status ${status} after Quit`);
  await tab.page.close();
}

async function replays(context, base, args) {
  // ---- Replays: the same game as on the desktop, and level 6's frame rate.
  // Replays a demo in a new tab (`mode` is more of the game's options).
  const replay = async (demo, mode) => {
    const t = new Tab(await context.newPage(), `replay ${demo}`);
    await t.open(base, `?args=${encodeURIComponent(`--nosound --replay /demos/${demo} ${mode}`)}`, args.timeout);
    const code = await t.waitExit();
    await t.page.close();
    if (code !== 0) fail(`${demo} did not replay to its recorded end in the browser (status ${code}): ${t.output.slice(-4)}`);
    return report(t.output);
  };
  const desktop = (demo, mode) => {
    if (!args.desktop) return null;
    const options = ['--nosound', '--replay', path.join(DEMOS, demo), ...mode.split(' ')];
    const out = execFileSync(path.resolve(args.desktop), options,
      { cwd: path.dirname(args.desktop), encoding: 'utf8', env: { ...process.env, SDL_AUDIODRIVER: 'dummy' },
        maxBuffer: 64 << 20 });
    return report(out.split('\n'));
  };
  // A file that is no replay is refused by name (the error travels as a C++
  // exception, as on the desktop), and the page says the game stopped.
  const bad = new Tab(await context.newPage(), 'bad replay');
  await bad.open(base, `?args=${encodeURIComponent('--nosound --replay /game/gfx/splash.png --headless')}`, args.timeout);
  const badCode = await bad.waitExit();
  const said = await bad.page.evaluate(() => document.getElementById('status').textContent);
  await bad.page.close();
  if (badCode === 0 || !bad.output.some(l => l.includes('/game/gfx/splash.png: not a replay file')))
    fail(`a picture was taken for a replay (status ${badCode}): ${bad.output.slice(-3)}`);
  if (!said.startsWith('Snowquill stopped')) fail(`the page does not say the game stopped: '${said}'`);

  const web1 = await replay('level_1.sqr', '--headless');
  console.log(`replay level 1 in the browser: ${web1.digest}`);
  const desk1 = desktop('level_1.sqr', '--headless');
  if (desk1) {
    console.log(`replay level 1 on the desktop: ${desk1.digest}`);
    if (desk1.digest !== web1.digest) fail('the browser and the desktop replay level 1 to different states');
  }
  if (!args.bench) return;
  // Level 6 drawn as fast as each can, then played at its own pace (frames
  // follow the browser's animation frames, or the desktop's frame clock),
  // one after the other in the same run.
  const web6 = await replay('level_6.sqr', '--timedemo');
  console.log(`level 6 timedemo, headless Chromium: ${web6.report.join(' | ')}`);
  const desk6 = desktop('level_6.sqr', '--timedemo');
  if (desk6) console.log(`level 6 timedemo, desktop:          ${desk6.report.join(' | ')}`);
  // At its own pace the browser shows a frame per animation frame (the desktop
  // under Xvfb has no vertical blank to keep, so it is not compared here).
  const web6paced = await replay('level_6.sqr', '--frame-stats /dev/stdout');
  console.log(`level 6 paced by animation frames, headless Chromium: ${web6paced.frames.join(' | ')}`);
}

// The digest, the replay's report and the frame-time summary in a replay's output.
function report(lines) {
  return {
    digest: lines.find(l => l.startsWith('digest ')) || '',
    report: lines.filter(l => /^(replayed|timedemo)/.test(l)),
    frames: lines.filter(l => l.startsWith('# summary')).map(l => l.slice(10)),
  };
}

async function main() {
  const args = parseArgs();
  for (const f of ['index.html', 'snowquill.js', 'snowquill.wasm', 'snowquill.data']) {
    if (!fs.existsSync(path.join(args.site, f))) {
      console.log(`SKIPPED: ${args.site} lacks ${f} (build it with scripts/web.sh)`);
      process.exit(SKIP);
    }
  }
  if (!fs.existsSync(path.join(args.data, 'gfx/splash.png'))) {
    console.log(`SKIPPED: ${args.data} lacks the game's data`);
    process.exit(SKIP);
  }
  if (!fs.existsSync(args.chromium)) {
    console.log(`SKIPPED: no Chromium at ${args.chromium}`);
    process.exit(SKIP);
  }
  const size = ['index.html', 'snowquill.js', 'snowquill.wasm', 'snowquill.data']
    .reduce((sum, f) => sum + fs.statSync(path.join(args.site, f)).size, 0);
  console.log(`download: ${(size / 1048576).toFixed(2)} MiB`);
  if (size > 15 * 1048576) fail('the page and its files come to more than 15 MB');

  const server = await serve(args.site);
  const base = `http://127.0.0.1:${server.address().port}`;
  const browser = await chromium.launch({
    executablePath: args.chromium,
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox', '--disable-background-timer-throttling', '--disable-renderer-backgrounding'],
  });
  // One profile for every tab, so the browser's storage is shared as in a
  // player's browser. The viewport leaves room for the game at twice its size.
  const context = await browser.newContext({ viewport: { width: 720, height: 620 } });
  // Headless Chromium lets sound start without a gesture whatever its flags
  // say; a player's browser does not. Every sound context starts held here,
  // as there, until the page's key handlers resume it.
  await context.addInitScript(() => {
    const Real = window.AudioContext;
    window.AudioContext = window.webkitAudioContext = class extends Real {
      constructor(...options) {
        super(...options);
        this.suspend();
      }
    };
  });
  try {
    if (!args.bench) await playGame(context, base, args);
    await replays(context, base, args);
    console.log('PASS');
  } finally {
    await browser.close();
    server.close();
  }
}

main().catch(err => fail(err.stack || String(err)));
