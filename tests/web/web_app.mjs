// The browser build as a web game, beyond playing it: the site folder holds
// the site alone; after one visit the game starts with no network and finds
// its table; a touch screen gets controls that play it; and the picture
// fills the window while staying sharp, or takes whole multiples when asked.
import fs from 'node:fs';
import path from 'node:path';
import { fail, readTable, Tab } from './page.mjs';
import { colours, decodePng, matchShare } from './pictures.mjs';

// What scripts/web.sh puts in the site, and nothing else.
const SITE_FILES = ['index.html', 'page.css', 'page.js', 'manifest.webmanifest', 'sw.js', 'snowquill.js',
                    'snowquill.wasm', 'snowquill.data', 'favicon.png', 'icon-192.png', 'icon-512.png'];

export function checkSite(args) {
  const found = fs.readdirSync(args.site, { recursive: true });
  const extra = found.filter(f => !SITE_FILES.includes(f));
  const missing = SITE_FILES.filter(f => !found.includes(f));
  if (extra.length || missing.length) fail(`the site holds ${extra} beyond its files and lacks ${missing}`);
  const size = SITE_FILES.reduce((sum, f) => sum + fs.statSync(path.join(args.site, f)).size, 0);
  console.log(`site: ${SITE_FILES.length} files, ${(size / 1048576).toFixed(2)} MiB`);
  if (size > 10 * 1048576) fail('the site comes to more than 10 MB');
  const manifest = JSON.parse(fs.readFileSync(path.join(args.site, 'manifest.webmanifest'), 'utf8'));
  const sizes = manifest.icons.map(i => i.sizes).join(' ');
  if (!manifest.name || !manifest.short_name || manifest.display !== 'fullscreen' || sizes !== '192x192 512x512')
    fail(`the manifest lacks what installing needs: ${JSON.stringify(manifest)}`);
  for (const icon of manifest.icons) {
    const pic = decodePng(fs.readFileSync(path.join(args.site, icon.src)));
    if (`${pic.width}x${pic.height}` !== icon.sizes) fail(`${icon.src} is ${pic.width} x ${pic.height}`);
  }
}

// After one visit (the tab that saved a score), the page loads again with no
// network at all: the server is gone and the browser is offline.
export async function offline(context, base, server, args, name) {
  const tab = new Tab(await context.newPage(), 'offline');
  await tab.open(base, '?trace', args.timeout);
  await tab.waitTrace('splash');
  await tab.page.waitForFunction(() => navigator.serviceWorker.controller !== null, null,
    { timeout: args.timeout * 1000 }).catch(() => fail('no service worker took the page over'));
  const cached = await tab.page.evaluate(async () => {
    const names = (await caches.keys()).filter(n => n.startsWith('snowquill-'));
    return names.length === 1 ? (await (await caches.open(names[0])).keys()).length : -names.length;
  });
  if (cached < 11) fail(`the offline copy holds ${cached} files`);
  server.closeAllConnections();
  await new Promise(resolve => server.close(resolve));
  await context.setOffline(true);
  const reached = await tab.page.evaluate(() => fetch('/not-in-the-cache').then(() => 'network', () => 'none'));
  if (reached !== 'none') fail('the network is still there');
  const start = Date.now();
  await tab.page.reload();
  await tab.waitTrace('splash');
  const ms = Date.now() - start;
  const names = readTable(await tab.page.evaluate(() => Array.from(FS.readFile('/save/HISCORES.DAT'))));
  if (!names.includes(name)) fail(`offline, the saved table is not there: ${names}`);
  await tab.waitTrace('menu');
  const title = await tab.steadyScreen(320, 240, 'the title offline');
  tab.keep('offline-title', args);
  if (colours(title) < 64) fail(`offline, the title looks blank (${colours(title)} colours)`);
  console.log(`offline: reloaded from the worker's ${cached} files to the splash in ${ms} ms, the title drawn, ` +
              `the table with ${name} in it`);
  await tab.page.close();
  await context.setOffline(false);
}

// A finger on a button, held for `ms` (a tap when short), as a touch screen
// delivers it.
async function press(page, cdp, selector, ms) {
  const box = await page.locator(selector).boundingBox();
  const point = { x: box.x + box.width / 2, y: box.y + box.height / 2 };
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [point] });
  await page.waitForTimeout(ms);
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
}

export async function touch(browser, base, args) {
  const context = await browser.newContext({ viewport: { width: 900, height: 560 }, hasTouch: true, isMobile: true });
  const tab = new Tab(await context.newPage(), 'touch');
  await tab.open(base, '?trace&args=--nosound', args.timeout);
  if (!(await tab.page.evaluate(() => matchMedia('(pointer: coarse)').matches))) fail('touch emulation is off');
  if (!(await tab.page.isVisible('#touch .throw'))) fail('a touch screen shows no controls');
  const cdp = await context.newCDPSession(tab.page);
  let line = await tab.waitTrace('menu');
  let item = Number(line.split(' ')[1]);
  await press(tab.page, cdp, '#touch .down', 30);
  line = await tab.waitTrace('menu');
  if (Number(line.split(' ')[1]) !== (item + 1) % 5) fail(`a tap on down moved the menu from ${item} to ${line}`);
  item = Number(line.split(' ')[1]);
  while (item !== 0) {
    await press(tab.page, cdp, '#touch .up', 30);
    item = Number((await tab.waitTrace('menu')).split(' ')[1]);
  }
  await tab.page.screenshot({ path: args.shots ? path.join(args.shots, 'touch-menu.png') : undefined });
  await press(tab.page, cdp, '#touch .ok', 30);
  await tab.waitTrace('level 1');
  const before = await tab.steadyScreen(320, 240, 'level 1');
  await press(tab.page, cdp, '#touch .right', 700);
  const after = await tab.screen(320, 240);
  tab.keep('touch-level-1', args);
  let moved = 0;
  for (let i = 0; i < before.data.length; ++i) moved += Math.abs(before.data[i] - after.data[i]) > 24 ? 1 : 0;
  if (moved < 2000) fail(`holding right in level 1 changed ${moved} samples only`);
  if (args.shots) await tab.page.screenshot({ path: path.join(args.shots, 'touch-controls.png') });
  await press(tab.page, cdp, '#touch .back', 30);
  await tab.waitTrace('tally');
  // The gifts picked up on the way make the table: the name is typed with
  // the phone's own keyboard, whose Enter keeps it.
  await press(tab.page, cdp, '#touch .ok', 30);
  await tab.waitTrace('name-entry');
  await press(tab.page, cdp, '#touch .type', 30);
  if (!(await tab.page.evaluate(() => document.activeElement.id === 'typed'))) fail('ABC did not open the keyboard');
  for (const typed of ['T', 'TA', 'TAP']) {
    await tab.page.keyboard.type(typed.slice(-1).toLowerCase());
    await tab.waitTrace('name ' + typed);
  }
  await tab.page.keyboard.press('Enter');
  await tab.waitTrace('menu');
  const names = readTable(await tab.page.evaluate(() => Array.from(FS.readFile('/save/HISCORES.DAT'))));
  if (!names.includes('TAP')) fail(`the name typed on the phone's keyboard is not in the table: ${names}`);
  console.log(`touch: controls shown, a tap on down moved the menu, holding right moved level 1 (${moved} samples ` +
              'changed), Back ended it, and TAP was typed into the table with the phone\'s keyboard');
  await context.close();
}

// The canvas's box on the page and its own pixels.
function canvasSize(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    const r = c.getBoundingClientRect();
    return { w: r.width, h: r.height, pw: c.width, ph: c.height, page: innerHeight, look: getComputedStyle(c).imageRendering };
  });
}

export async function scaling(browser, base, args) {
  const context = await browser.newContext({ viewport: { width: 1366, height: 650 } });
  const tab = new Tab(await context.newPage(), 'scaling');
  await tab.open(base, '?trace&args=--nosound', args.timeout);
  if (await tab.page.isVisible('#touch')) fail('a desktop with a mouse shows touch controls');
  let line = await tab.waitTrace('menu');
  let item = Number(line.split(' ')[1]);
  while (item !== 0) item = Number((await tab.waitTrace('menu', 'ArrowUp')).split(' ')[1]);
  await tab.waitTrace('level 1', 'Space');
  const fill = await canvasSize(tab.page);
  if (fill.h < 0.8 * fill.page || fill.w * 3 !== fill.h * 4) fail(`the picture does not fill the page: ${JSON.stringify(fill)}`);
  if (fill.pw % 320 !== 0 || fill.pw * 240 !== fill.ph * 320 || fill.pw < fill.w)
    fail(`the canvas is not drawn at a whole multiple above its size: ${JSON.stringify(fill)}`);
  // Sharp: the middle of every game pixel of the lives icon shows its colour.
  const level = await tab.steadyScreen(320, 240, 'level 1');
  tab.keep('fill-level-1', args);
  const lives = decodePng(fs.readFileSync(path.join(args.data, 'gfx/lives.png')));
  const sharp = matchShare(level, lives, 300, 4);
  console.log(`picture: ${fill.w} x ${fill.h} of a ${fill.page}-pixel page (${(100 * fill.h / fill.page).toFixed(0)} %), ` +
              `drawn at ${fill.pw} x ${fill.ph} and smoothed; the lives icon matches at ${(100 * sharp).toFixed(0)} %`);
  if (sharp < 0.8) fail('the filled picture is blurred');
  // The other way: whole multiples without smoothing, kept for the next visit.
  await tab.page.click('#scaling');
  await tab.page.reload();
  await tab.waitTrace('menu');
  const whole = await canvasSize(tab.page);
  if (whole.w % 320 !== 0 || whole.w * 3 !== whole.h * 4 || !['pixelated', 'crisp-edges'].includes(whole.look) || whole.pw !== whole.w)
    fail(`whole multiples were not kept: ${JSON.stringify(whole)}`);
  console.log(`picture: whole multiples kept after a reload (${whole.w} x ${whole.h})`);
  await context.close();
}
