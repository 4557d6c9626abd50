// Plays the browser build of Snowquill in headless Chromium.
//
//   node tests/web/web_test.mjs --site build-web/site --data build/game [--desktop build/game/snowquill]
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
//      replayed as a timedemo beside the desktop's;
//   6. the site holds its files alone; a touch screen plays with the page's
//      touch controls; the picture fills a wide page sharply, or takes whole
//      multiples when asked; and after one visit the game starts with no
//      network and finds its table (web_app.mjs).
// Nothing waits on a guess of time: each key is sent once the game's trace
// (written to the console with ?trace) shows the screen it is meant for.
// Exit status 77 when Chromium or the build is missing.
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { fail, readTable, serve, Tab } from './page.mjs';
import { decodePng, meanDifference, matchShare, colours } from './pictures.mjs';
import { checkSite, offline, scaling, touch } from './web_app.mjs';

const SKIP = 77;
const DEMOS = new URL('../demos/', import.meta.url).pathname;
const NAME = 'WEB';
// The title menu: Start, High scores, Instructions, Credits, Options, Quit.
const MENU_ITEMS = 6;

function parseArgs() {
  const args = { site: 'build-web/site', data: 'build/game', desktop: '', chromium: '/usr/bin/chromium', timeout: 180, bench: false, shots: '' };
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
  if (Number(line.split(' ')[1]) !== (item + 1) % MENU_ITEMS) fail(`Down moved the menu from ${item} to ${line}`);
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
  await tab.page.keyboard.press('F11');
  await tab.page.waitForFunction(() => document.fullscreenElement === document.getElementById('stage'), null,
    { timeout: args.timeout * 1000 }).catch(() => fail('F11 did not ask for the full screen'));
  // The page fits the picture when the full screen's change is announced,
  // before the next animation frame.
  await tab.page.evaluate(() => new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r))));
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
  // The name entry kept the name in the settings, beside the table.
  const settings = await second.page.evaluate(() => new TextDecoder().decode(FS.readFile('/save/settings.ini')));
  if (!settings.includes(`last_name = ${NAME}`)) fail(`a new tab does not see the saved settings: ${settings}`);
  console.log('settings: a new tab reads the settings with the last name in them');
  await second.page.close();

  // Quit from the menu ends the game cleanly.
  while (item !== MENU_ITEMS - 1) {  // Quit, the last
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
  checkSite(args);

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
    if (!args.bench) {
      await touch(browser, base, args);
      await scaling(browser, base, args);
      // Last: it takes the server away.
      await offline(context, base, server, args, NAME);
    }
    console.log('PASS');
  } finally {
    await browser.close();
    if (server.listening) server.close();
  }
}

main().catch(err => fail(err.stack || String(err)));
