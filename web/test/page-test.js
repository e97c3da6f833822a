// End-to-end tests of the web page in Debian's Chromium (headless) and Firefox (which needs a
// display for WebGL: run it under the tests' Xvfb), driven by puppeteer-core.
//
// Usage: node page-test.js CASE PAGE --facts FILE [OPTIONS]
// FILE is the show's facts as the build writes them from the program's script (the music, its
// start and fade, the scenes' times, the pictures, the statistics lines).
// PAGE is the page's folder, served on 127.0.0.1, or the one-file page (zokk.html), copied
// alone into an empty folder and opened by file://; then no request may go anywhere but to
// the file itself and to data: and blob: URLs.
//   show     the whole show: console lines, timing, the music's graph, no errors; with
//            --refuse fullscreen the browser refuses full-screen and the show plays in the page
//   keys     the click that starts the show goes full-screen and f toggles it; Escape in the
//            second scene, in full-screen, ends the show with the first scene's line only;
//            then "Play it again" and the show once more, full-screen, where the browser
//            leaving full-screen for another tab in the second scene ends it the same way
//   touch    on a phone (Chromium's Pixel 5): "Tap to start", the tap goes full-screen and asks
//            for landscape, double taps toggle full-screen, the picture keeps 4:3 in either
//            orientation, and the show plays to its end
//   missing  a picture left out of the packed data: the loader's line and the page's message
//            (needs --packager FILE_PACKAGER and --data DATA-DIR)
//   bench    plays the show in real time and prints each scene's frame rate and how much of
//            a frame's time the page's own work takes (no checks)
//   frames   the scenes at every moment of tests/references/ before its scene's end, against
//            those golden frames (needs --references DIR and --out DIR, where failing
//            comparisons leave actual, expected and difference);
//            with --lose 1,3 the WebGL context is lost in those scenes and given back 300 ms
//            later, and the frames after it are compared as well; the page plays on WebGL 2,
//            or on WebGL 1 when --webgl 1 takes WebGL 2 from the browser
//   messages what the page says when its WebGL context is lost for good, when the browser has
//            no WebGL, when its own code throws (and that its "Play it again" plays the first
//            scene again), and when its data do not load (served folder only)
// --browser firefox plays in Firefox; Chromium is the default.
// Exits 0 when every check of the case passes; says what failed otherwise.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const url = require('url');
const { execFileSync } = require('child_process');
const puppeteer = require('puppeteer-core');
const { PNG } = require('pngjs');

const chromiumFlags = [
  '--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
  '--disable-gpu-sandbox', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync',
];
// Mesa's software renderer is on Firefox's list of drivers it will not use for WebGL unless
// told to; full-screen changes at once, without its animation and notice.
const firefoxPrefs = {
  'webgl.force-enabled': true,
  'full-screen-api.transition-duration.enter': '0 0',
  'full-screen-api.transition-duration.leave': '0 0',
  'full-screen-api.warning.timeout': 0,
};

const failures = [];
function check(ok, what) {
  if (!ok) failures.push(what);
  return ok;
}

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function options(args) {
  const named = {};
  for (let i = 0; i < args.length; i += 2) named[args[i].replace(/^--/, '')] = args[i + 1];
  return named;
}

// A static server for one folder, on 127.0.0.1 and a free port; a file named in withheld is
// not found.
function serve(root, withheld) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(request.url.split('?')[0]);
    const file = path.join(root, name === '/' ? 'index.html' : path.normalize(name));
    fs.readFile(path.basename(file) === withheld ? '/nonexistent' : file, (error, body) => {
      if (error) {
        response.writeHead(404);
        response.end();
        return;
      }
      response.writeHead(200, {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
      });
      response.end(body);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// The browser of this run (--browser), and whether it offers WebGL 2 (--webgl).
let browserName = 'chromium';
let webgl2 = true;

async function launch(profile, webgl) {
  if (browserName === 'firefox') {
    return puppeteer.launch({
      browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: false,
      userDataDir: profile,
      extraPrefsFirefox: Object.assign({}, firefoxPrefs, webgl ? {} : { 'webgl.disabled': true },
                                       webgl2 ? {} : { 'webgl.enable-webgl2': false }),
    });
  }
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true, userDataDir: profile,
    args: chromiumFlags.concat(webgl ? [] : ['--disable-webgl'],
                               webgl2 ? [] : ['--disable-webgl2']),
  });
}

// Opens the page (a served folder, or the one file by file://) in a fresh browser profile and
// collects what the console shows and every request. With ready false it does not wait for
// "Click to start" (or "Tap to start"). device names one of puppeteer's emulated devices.
async function open(root, beforeLoad, { webgl = true, ready = true, withheld, device } = {}) {
  let server = null;
  let address;
  let folder = null;
  if (fs.statSync(root).isDirectory()) {
    server = await serve(root, withheld);
    address = `http://127.0.0.1:${server.address().port}/`;
  } else {
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'zokk-file-'));
    fs.copyFileSync(root, path.join(folder, path.basename(root)));
    address = url.pathToFileURL(path.join(folder, path.basename(root))).href;
  }
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), `zokk-${browserName}-`));
  const browser = await launch(profile, webgl);
  const page = await browser.newPage();
  const consoleLines = [];
  const requests = [];
  page.on('console', (message) => consoleLines.push({ type: message.type(), text: message.text() }));
  page.on('pageerror', (error) => consoleLines.push({ type: 'exception', text: error.message }));
  page.on('request', (request) => requests.push(request.url()));
  if (device) await page.emulate(puppeteer.KnownDevices[device]);
  await page.evaluateOnNewDocument(timeClicks);
  if (beforeLoad) await page.evaluateOnNewDocument(beforeLoad);
  const opened = Date.now();
  await page.goto(address);
  if (ready) await startOffered(page);
  const readySeconds = (Date.now() - opened) / 1000;
  const close = async () => {
    if (folder) {
      const others = requests.filter((request) => request !== address &&
                                                  !/^(data|blob):/.test(request));
      check(others.length === 0, `requests other than the file: ${JSON.stringify(others)}`);
    }
    await browser.close();
    if (server) server.close();
    for (const made of [profile, folder]) {
      if (made) fs.rmSync(made, { recursive: true, force: true });
    }
  };
  return { page, consoleLines, close, readySeconds };
}

// Waits for the card to offer the start: "Click to start", or "Tap to start" on a phone.
function startOffered(page) {
  return page.waitForFunction(
    () => /^(Click|Tap) to start$/.test(document.getElementById('message').textContent),
    { timeout: 60000, polling: 20 });
}

// Presses the "Play it again" button of the message the page shows and waits for the page,
// loaded afresh, to offer the start again. Says where on the console the new page's lines
// begin.
async function playAgain(page, consoleLines) {
  const label = await page.evaluate(() => {
    const button = document.querySelector('#message button');
    return !document.getElementById('card').hidden && button ? button.textContent : null;
  });
  if (label !== 'Play it again') {
    throw new Error(`the page's message has no "Play it again" button (${label})`);
  }
  const from = consoleLines.length;
  await Promise.all([page.waitForNavigation(), page.click('#message button')]);
  await startOffered(page);
  return from;
}

// Notes in the page when the card is clicked and when the show has ended.
function timeClicks() {
  document.addEventListener('click', () => { window.clickedAt = performance.now(); }, true);
  new MutationObserver(() => {
    if (document.body.dataset.finished !== undefined && !window.finishedAt) {
      window.finishedAt = performance.now();
    }
  }).observe(document, { attributes: true, subtree: true });
}

// Waits for the show to end; says how it ended, and when after the click that started it.
async function waitForEnd(page, timeout) {
  await page.waitForFunction(() => document.body.dataset.finished !== undefined,
                             { timeout, polling: 50 });
  return {
    seconds: await page.evaluate(() => (window.finishedAt - window.clickedAt) / 1000),
    status: await page.evaluate(() => document.body.dataset.finished),
    message: await page.evaluate(() => document.getElementById('message').textContent),
  };
}

async function startAndWait(page, timeout) {
  await page.click('#card');
  return waitForEnd(page, timeout);
}

// Waits up to 5 s for the page to be full-screen (on) or not, and says whether it came to be.
function fullScreenComes(page, on) {
  return page.waitForFunction((on) => !!document.fullscreenElement === on,
                              { timeout: 5000, polling: 20 }, on)
    .then(() => true, () => false);
}

// Waits up to 60 s for the first scene to end, when its statistics line comes (among the
// console lines from index from on).
async function firstSceneEnds(consoleLines, from = 0) {
  const deadline = Date.now() + 60000;
  while (!logLines(consoleLines.slice(from)).length && Date.now() < deadline) {
    await pause(50);
  }
}

// A statistics line's printf format as a pattern: the frame count (%u) a whole number, the
// rate (%g) a number as a stream prints it, captured.
function statisticsPattern(format) {
  const source = format.replace(/\\t/g, '\t').split(/(%[ug])/).map((part) => {
    if (part === '%u') return '\\d+';
    if (part === '%g') return '(\\d+(?:\\.\\d+)?(?:e[+-]\\d+)?)';
    return part.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
  }).join('');
  return new RegExp(`^${source}$`);
}

// The show's facts: one "name value" line each, as tools/showfacts writes them.
function readFacts(file) {
  const lines = fs.readFileSync(file, 'utf8').split('\n');
  const values = (name) => lines.filter((line) => line.startsWith(`${name} `))
    .map((line) => line.slice(name.length + 1));
  return {
    frameSize: values('frame_size')[0].split(' ').map(Number),
    music: values('music')[0],
    start: Number(values('start')[0]),
    fadeMs: Number(values('fade_ms')[0]),
    durationsMs: values('durations_ms')[0].split(' ').map(Number),
    lengthMs: Number(values('length_ms')[0]),
    pictures: values('pictures')[0].split(' '),
    statistics: values('statistics').map(statisticsPattern),
  };
}

let facts;

function logLines(consoleLines) {
  return consoleLines.filter((line) => line.type === 'log').map((line) => line.text);
}

// Nothing on the console but the show's own lines, and the one allowed line if given.
function noErrors(consoleLines, allowed) {
  for (const line of consoleLines) {
    if (line.type === 'log' || line.text === allowed) continue;
    check(false, `unexpected ${line.type} on the console: ${line.text}`);
  }
}

// The show's whole output: each scene's statistics line, and "Initing..." as scenes 3 and 4
// begin.
function checkSixLines(consoleLines) {
  const lines = logLines(consoleLines);
  const [stats1, stats2, stats3, stats4] = facts.statistics;
  const shapes = [stats1, stats2, /^Initing\.\.\.$/, stats3, /^Initing\.\.\.$/, stats4];
  check(lines.length === shapes.length && shapes.every((shape, i) => shape.test(lines[i])),
        `console lines: ${JSON.stringify(lines)}`);
}

// The length of an Ogg Vorbis file in seconds: the last page's granule position (its sample
// count) over the rate in the identification header.
function oggSeconds(file) {
  const bytes = fs.readFileSync(file);
  const rate = bytes.readUInt32LE(bytes.indexOf('vorbis') + 11);
  const last = bytes.lastIndexOf('OggS');
  return Number(bytes.readBigUInt64LE(last + 6)) / rate;
}

async function caseShow(root, named) {
  // What the page hands the audio graph: sources started, and the gain's ramps.
  const record = () => {
    window.audioLog = { starts: [], levels: [] };
    const start = AudioBufferSourceNode.prototype.start;
    AudioBufferSourceNode.prototype.start = function (when, offset) {
      window.audioLog.starts.push({ offset, seconds: this.buffer.duration,
                                    channels: this.buffer.numberOfChannels });
      return start.apply(this, arguments);
    };
    const set = AudioParam.prototype.setValueAtTime;
    AudioParam.prototype.setValueAtTime = function (value, time) {
      window.audioLog.levels.push({ how: 'set', value, time });
      return set.apply(this, arguments);
    };
    const ramp = AudioParam.prototype.linearRampToValueAtTime;
    AudioParam.prototype.linearRampToValueAtTime = function (value, time) {
      window.audioLog.levels.push({ how: 'ramp', value, time });
      return ramp.apply(this, arguments);
    };
  };
  // A browser may refuse full-screen (a setting, an embedding frame): the show plays anyway.
  const refuse = () => {
    Element.prototype.requestFullscreen = () => Promise.reject(new TypeError('refused'));
  };
  const refused = named.refuse === 'fullscreen';
  const { page, consoleLines, close } = await open(root, refused ? `(${record})();(${refuse})()`
                                                                 : record);
  try {
    check(await page.title() === 'ZOKK!!!~~', `page title is "${await page.title()}"`);
    const cursor = await page.evaluate(() => getComputedStyle(document.getElementById('canvas')).cursor);
    check(cursor === 'none', `cursor over the canvas is ${cursor}`);
    const end = await startAndWait(page, 120000);
    checkSixLines(consoleLines);
    noErrors(consoleLines);
    check(end.status === '0', `the show ended with status ${end.status}`);
    check(/over/.test(end.message), `the page says "${end.message}" at the end`);
    if (refused) {
      check(await page.evaluate(() => !document.fullscreenElement), 'full-screen was not refused');
    }
    // The show's length of scenes; start-up and the wait for the page's promise take the rest.
    const length = facts.lengthMs / 1000;
    console.log(`the show took ${end.seconds.toFixed(3)} s from the click`);
    check(end.seconds >= length && end.seconds <= length + 10, `the show took ${end.seconds} s`);

    const audio = await page.evaluate(() => ({ log: window.audioLog, music: Module.music }));
    check(audio.music && audio.music.file === `/${facts.music}`,
          `music played: ${JSON.stringify(audio.music)}`);
    const last = audio.log.starts[audio.log.starts.length - 1];
    const expected = oggSeconds(facts.music);
    check(last && Math.abs(last.offset - facts.start) < 1e-9,
          `the music's last source starts at ${last && last.offset} s`);
    check(last && Math.abs(last.seconds - expected) < 0.01 && last.channels === 2,
          `the buffer holds ${last && last.seconds} s in ${last && last.channels} channels, ` +
          `the file ${expected} s in 2`);
    // Silence when the music starts, full volume once it has faded in.
    const [from, to] = audio.log.levels;
    check(audio.log.levels.length === 2 && from.how === 'set' && from.value === 0 &&
          to.how === 'ramp' && to.value === 1 &&
          Math.abs(to.time - from.time - facts.fadeMs / 1000) < 1e-6,
          `the gain's levels: ${JSON.stringify(audio.log.levels)}`);
  } finally {
    await close();
  }
}

// Records what the page asks of the browser's keyboard lock, where there is one.
function spyKeyboardLock() {
  window.keyboardLocks = [];
  if (!navigator.keyboard || !navigator.keyboard.lock) return;
  const lock = navigator.keyboard.lock.bind(navigator.keyboard);
  navigator.keyboard.lock = (keys) => lock(keys).then(
    () => { window.keyboardLocks.push(keys.join()); },
    (error) => { window.keyboardLocks.push(`refused: ${error}`); throw error; });
}

// Checks that the show ends as Escape in scene 2 ends it (how says what was done): with the
// first scene's line alone among the console lines from index from on, nothing else there,
// status 0, out of full-screen, and its closing words shown.
async function endedInScene2(page, consoleLines, from, how) {
  const end = await waitForEnd(page, 10000).catch(() => null);
  if (!check(end, `${how} did not end the show`)) return;
  const { status, message } = end;
  const lines = logLines(consoleLines.slice(from));
  check(lines.length === 1 && facts.statistics[0].test(lines[0]),
        `after ${how}, console lines: ${JSON.stringify(lines)}`);
  noErrors(consoleLines.slice(from));
  check(status === '0', `${how} ended the show with status ${status}`);
  check(await fullScreenComes(page, false), `the page is still full-screen after ${how}`);
  check(/over/.test(message), `after ${how} the page says "${message}"`);
}

// Leaves full-screen the browser's own way, which the page does not ask for: another tab comes
// to the front, and the browser takes full-screen from the page's tab, as when one switches
// tabs; then the page's tab comes back. Says whether the
// page has left full-screen. (Chromium also leaves it when its window leaves the full-screen
// state, but Firefox on the tests' Xvfb, with no window manager, never changes its window's
// state; a tab is a way both browsers take.)
async function otherTabInFront(page) {
  const other = await page.browser().newPage();
  const left = await fullScreenComes(page, false);
  await page.bringToFront();
  await other.close();
  return left;
}

async function caseKeys(root) {
  const { page, consoleLines, close } = await open(root, spyKeyboardLock);
  try {
    // The click that starts the show puts the canvas's frame full-screen, as the program
    // opens full-screen, and f in scene 1 takes it back.
    await page.click('#card');
    const fullScreen = () => document.fullscreenElement && document.fullscreenElement.id;
    await fullScreenComes(page, true);
    check(await page.evaluate(fullScreen) === 'frame', 'the click did not put the page full-screen');
    await page.keyboard.press('f');
    check(await fullScreenComes(page, false), 'f did not leave full-screen');
    // Scene 1 has ended once its line is on the console; scene 2 runs for 3 s after it.
    await firstSceneEnds(consoleLines);
    // Escape in full-screen: the browser keeps it for leaving full-screen, unless the page
    // holds the keyboard lock.
    const lockable = await page.evaluate(() => !!(navigator.keyboard && navigator.keyboard.lock));
    const locked = await page.evaluate(() => window.keyboardLocks.length);
    await page.keyboard.press('f');
    await fullScreenComes(page, true);
    check(await page.evaluate(fullScreen) === 'frame', 'f in scene 2 did not go full-screen');
    if (lockable) {
      await page.waitForFunction(`window.keyboardLocks.length > ${locked}`,
                                 { timeout: 5000, polling: 20 }).catch(() => {});
      const locks = await page.evaluate(() => window.keyboardLocks);
      check(locks.length > locked && locks.every((keys) => keys === 'Escape'),
            `keyboard locks: ${JSON.stringify(locks)}`);
    }
    await page.keyboard.press('Escape');
    await endedInScene2(page, consoleLines, 0, 'Escape');
    console.log(`Escape in full-screen ended the show (${lockable ? 'keyboard lock' : 'no lock'})`);
    // The closing words offer to play it again; in scene 2 of the show played again the
    // browser takes full-screen away, and the show ends as Escape ended it.
    const from = await playAgain(page, consoleLines);
    await page.click('#card');
    check(await fullScreenComes(page, true),
          'the click after "Play it again" did not put the page full-screen');
    await firstSceneEnds(consoleLines, from);
    check(await otherTabInFront(page), 'the page stayed full-screen behind another tab');
    await endedInScene2(page, consoleLines, from, 'leaving full-screen for another tab');
    console.log('leaving full-screen for another tab ended the show played again');
  } finally {
    await close();
  }
}

// The canvas's box in the window: 4:3, as large as fits, in the middle.
async function checkPicture(page, what) {
  const [width, height, windowWidth, windowHeight, left, top] = await page.evaluate(() => {
    const box = document.getElementById('canvas').getBoundingClientRect();
    return [box.width, box.height, innerWidth, innerHeight, box.left, box.top];
  });
  check(Math.abs(width * 3 - height * 4) < 4 &&
        (Math.abs(width - windowWidth) < 1 || Math.abs(height - windowHeight) < 1) &&
        Math.abs(2 * left + width - windowWidth) < 2 && Math.abs(2 * top + height - windowHeight) < 2,
        `${what}: the picture is ${width} x ${height} at ${left}, ${top} in ${windowWidth} x ` +
        `${windowHeight}`);
}

async function caseTouch(root) {
  const spyOrientation = () => {
    window.orientationLocks = [];
    const lock = screen.orientation.lock.bind(screen.orientation);
    screen.orientation.lock = (how) => {
      window.orientationLocks.push(how);
      return lock(how);
    };
  };
  const device = 'Pixel 5';
  const { page, consoleLines, close } = await open(root, spyOrientation, { device });
  try {
    const words = await page.evaluate(() => document.getElementById('message').textContent);
    check(words === 'Tap to start', `on a phone the card says "${words}"`);
    await page.tap('#card');
    check(await fullScreenComes(page, true), 'the tap that started the show did not go full-screen');
    // The page asks for landscape when the browser reports full-screen, which may come after.
    const locks = await page.waitForFunction(() => window.orientationLocks.length > 0 &&
                                                   window.orientationLocks.join(),
                                             { timeout: 5000, polling: 20 })
      .then((handle) => handle.jsonValue(), () => '');
    check(locks === 'landscape', `orientation locks asked: "${locks}"`);
    const { width, height } = puppeteer.KnownDevices[device].viewport;
    const doubleTap = async () => {
      await page.touchscreen.tap(width / 2, height / 2);
      await page.touchscreen.tap(width / 2, height / 2);
    };
    await doubleTap();
    check(await fullScreenComes(page, false), 'a double tap did not leave full-screen');
    await checkPicture(page, 'portrait');
    await doubleTap();
    check(await fullScreenComes(page, true), 'a second double tap did not go full-screen again');
    await page.setViewport({ ...puppeteer.KnownDevices[device].viewport, width: height, height: width,
                             isLandscape: true });
    await checkPicture(page, 'landscape');
    const { status } = await waitForEnd(page, 60000);
    checkSixLines(consoleLines);
    noErrors(consoleLines);
    check(status === '0', `the show ended with status ${status}`);
    check(await fullScreenComes(page, false), 'the page is still full-screen after the show');
  } finally {
    await close();
  }
}

async function caseMissing(root, named) {
  // The same page with the third picture (the second scene's last title) left out of the
  // packed data.
  const missing = facts.pictures[2];
  const copy = fs.mkdtempSync(path.join(os.tmpdir(), 'zokk-page-'));
  const data = path.join(copy, 'tree', 'data');
  fs.mkdirSync(data, { recursive: true });
  for (const name of fs.readdirSync(named.data)) {
    if (`data/${name}` !== missing) {
      fs.copyFileSync(path.join(named.data, name), path.join(data, name));
    }
  }
  for (const name of ['index.html', 'zokk.js', 'zokk.wasm']) {
    fs.copyFileSync(path.join(root, name), path.join(copy, name));
  }
  execFileSync(named.packager, [path.join(copy, 'data.data'), '--preload', 'data',
                                `--js-output=${path.join(copy, 'data.js')}`, '--no-node'],
               { cwd: path.join(copy, 'tree'), stdio: 'ignore' });
  const { page, consoleLines, close } = await open(copy);
  try {
    const end = await startAndWait(page, 60000);
    const line = `PNG: Failed to open ${missing} for reading`;
    check(consoleLines.some((l) => l.type === 'error' && l.text === line),
          `no "${line}" on the console: ${JSON.stringify(consoleLines)}`);
    check(logLines(consoleLines).length === 0,
          `the show printed ${JSON.stringify(logLines(consoleLines))}`);
    noErrors(consoleLines, line);
    check(end.status === '1', `status ${end.status}`);
    check(/cannot start/.test(end.message) && end.message.includes(missing),
          `the page says "${end.message}"`);
    const shown = await page.evaluate(() => !document.getElementById('card').hidden);
    check(shown, 'the message is not shown');
  } finally {
    await close();
    fs.rmSync(copy, { recursive: true, force: true });
  }
}

// The moments compared, the golden frames' (scene<N>-<ms>.png), as the native ones were drawn:
// the scene initialised with the clock at 100000 ms, rand() seeded with 1 before each frame,
// the second frame at the moment read back. The show itself decides when a scene ends, so
// each later scene starts where the clock has jumped to: the strobe (sin of ms / 10) and the
// distortions (sines of s) repeat, to far below a level of colour, every 7100 ms and every
// 710000 ms (113 periods of 20 pi ms and of 2 pi s), which puts scenes 2 and 3 in the same
// phase as at 100000. A moment at a scene's end cannot be drawn here: the show moves on.
const sceneStarts = [100000, 107100, 810000, 900000];

const planFrom = (references) => sceneStarts.map((start, i) => ({
  scene: i + 1, start,
  times: fs.readdirSync(references).map((file) => /^scene(\d+)-(\d+)\.png$/.exec(file))
    .filter((m) => m && Number(m[1]) === i + 1 && Number(m[2]) < facts.durationsMs[i])
    .map((m) => Number(m[2])).sort((a, b) => a - b),
}));

function driveClock(plan, losses, end, [width, height]) {
  // Runs in the page. Every scene draws its first frame at its start; then two frames at each
  // moment, the second one read back. In a scene named in losses the context is lost after
  // its first frame read back and given back 300 ms later; the clock holds still until two
  // frames have been drawn in the new context. After the last frame the clock moves to end,
  // where the last scene ends the show.
  const frames = [];
  for (const scene of plan) {
    frames.push({ ticks: scene.start });
    scene.times.forEach((time, i) => {
      frames.push({ ticks: scene.start + time });
      frames.push({ ticks: scene.start + time, capture: `scene${scene.scene}-${time}`,
                    lose: i === 0 && losses.includes(scene.scene) });
    });
  }
  frames.push({ ticks: end });
  window.frames = {};
  window.restored = [];
  let drawn = 0;
  let holding = 0;
  globalThis.zokkClock = {
    ticks: frames[0].ticks,
    seed: 1,
    onFrame(gl) {
      if (holding) {
        if (gl.isContextLost() || --holding) return;
        window.restored.push(this.ticks);
      }
      const frame = frames[drawn];
      if (frame && frame.capture) {
        const pixels = new Uint8Array(width * height * 4);
        gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
        let text = '';
        for (let i = 0; i < pixels.length; i += 0x8000) {
          text += String.fromCharCode.apply(null, pixels.subarray(i, i + 0x8000));
        }
        window.frames[frame.capture] = btoa(text);
      }
      if (frame && frame.lose) {
        const lose = gl.getExtension('WEBGL_lose_context');
        lose.loseContext();
        setTimeout(() => lose.restoreContext(), 300);
        holding = 2;
      }
      drawn += 1;
      if (frames[drawn]) this.ticks = frames[drawn].ticks;
    },
  };
}

function readPNG(file) {
  const png = PNG.sync.read(fs.readFileSync(file));
  return { width: png.width, height: png.height, rgba: png.data };
}

function writePNG(file, width, height, rgba) {
  const png = new PNG({ width, height });
  rgba.copy(png.data);
  fs.writeFileSync(file, PNG.sync.write(png));
}

// A pixel differs when a channel is off by more than 16 levels, as in the native golden
// tests; a frame passes with at most 2 % of its pixels differing and a mean difference of at
// most 3 levels. WebGL (SwiftShader here) puts some edges a pixel aside of where the software
// renderer of the references puts them, and picks a neighbouring texel where a nearest-texel
// lookup falls right between two.
const pixelTolerance = 16;
const maxDiffering = 0.02;
const maxMean = 3;

function compare(name, frameRGBA, referenceFile, outDir) {
  const expected = readPNG(referenceFile);
  const [width, height] = facts.frameSize;
  const row = width * 4;
  // The frame came bottom row first.
  const actual = Buffer.alloc(height * row);
  for (let y = 0; y < height; ++y) {
    frameRGBA.copy(actual, y * row, (height - 1 - y) * row, (height - y) * row);
  }
  const difference = Buffer.alloc(actual.length);
  let sum = 0;
  let differingPixels = 0;
  for (let i = 0; i < actual.length; i += 4) {
    let worst = 0;
    for (let c = 0; c < 3; ++c) {
      const d = Math.abs(actual[i + c] - expected.rgba[i + c]);
      difference[i + c] = d;
      sum += d;
      worst = Math.max(worst, d);
    }
    if (worst > pixelTolerance) differingPixels += 1;
    difference[i + 3] = 255;
    actual[i + 3] = 255;
  }
  const fraction = differingPixels / (width * height);
  const mean = sum / (width * height * 3);
  const ok = expected.width === width && expected.height === height &&
             fraction <= maxDiffering && mean <= maxMean;
  console.log(`${name}: ${(fraction * 100).toFixed(2)} % of pixels differ, ` +
              `mean difference ${mean.toFixed(2)} levels`);
  if (!check(ok, `${name} differs from its reference: ${(fraction * 100).toFixed(2)} % of ` +
                 `pixels, mean ${mean.toFixed(2)} levels`)) {
    fs.mkdirSync(outDir, { recursive: true });
    writePNG(path.join(outDir, `web-${name}-actual.png`), width, height, actual);
    writePNG(path.join(outDir, `web-${name}-expected.png`), width, height, expected.rgba);
    writePNG(path.join(outDir, `web-${name}-difference.png`), width, height, difference);
  }
}

async function caseFrames(root, named) {
  const losses = named.lose ? named.lose.split(',').map(Number) : [];
  const plan = planFrom(named.references);
  const end = plan[plan.length - 1].start + facts.durationsMs[plan.length - 1];
  const { page, consoleLines, close } = await open(
    root, `(${driveClock})(${JSON.stringify(plan)}, ${JSON.stringify(losses)}, ${end}, ` +
          `${JSON.stringify(facts.frameSize)})`);
  try {
    const end = await startAndWait(page, 120000);
    check(end.status === '0', `the show ended with status ${end.status}`);
    checkSixLines(consoleLines);
    noErrors(consoleLines);
    // The page draws with WebGL 1 only where the browser offers no WebGL 2.
    const { version, offered } = await page.evaluate(() => ({
      version: Module.ctx.getParameter(Module.ctx.VERSION),
      offered: !!document.createElement('canvas').getContext('webgl2'),
    }));
    check(offered === webgl2, `the browser ${offered ? 'offers' : 'offers no'} WebGL 2`);
    check(version.startsWith(`WebGL ${webgl2 ? 2 : 1}.0`), `the page drew with ${version}`);
    console.log(`the page drew with ${version}`);
    const restored = await page.evaluate(() => window.restored);
    check(restored.length === losses.length,
          `${losses.length} contexts lost, ${restored.length} drawn again`);
    const frames = await page.evaluate(() => window.frames);
    for (const scene of plan) {
      for (const time of scene.times) {
        const name = `scene${scene.scene}-${time}`;
        if (!check(frames[name], `no frame ${name} was drawn`)) continue;
        compare(name, Buffer.from(frames[name], 'base64'),
                path.join(named.references, `${name}.png`), named.out);
      }
    }
  } finally {
    await close();
  }
}

// Opens the page, does act, and checks that the page's card comes to say pattern; then after.
async function expectWords(root, what, pattern, { act, after, beforeLoad, ...how } = {}) {
  const run = await open(root, beforeLoad, how);
  try {
    if (act) await act(run.page);
    await run.page.waitForFunction((source) => !document.getElementById('card').hidden &&
      new RegExp(source).test(document.getElementById('message').textContent),
    { timeout: 15000, polling: 50 }, pattern.source).catch(() => {});
    const words = await run.page.evaluate(() => document.getElementById('message').textContent);
    check(pattern.test(words), `${what}: the page says "${words}"`);
    if (after) await after(run.page, run.consoleLines);
  } finally {
    await run.close();
  }
}

async function caseMessages(root) {
  const inScene1 = (action) => async (page) => {
    await page.click('#card');
    await pause(1000);
    await action(page);
  };
  await expectWords(root, 'context lost for good', /^The browser has taken the graphics away/, {
    act: inScene1((page) => page.evaluate(
      () => Module.ctx.getExtension('WEBGL_lose_context').loseContext())),
  });
  await expectWords(root, 'no WebGL', /^This browser cannot show zokk: it offers no WebGL\.$/, {
    webgl: false, ready: false,
    after: async (page) => {
      await page.click('#card');
      check(await page.evaluate(() => document.body.dataset.started) === undefined,
            'a click started the show without WebGL');
    },
  });
  // The browser's frame callback fails under the page's swap, in a script of the page's own
  // (Chromium keeps the errors of code the driver evaluates from the page's error events).
  // The music stops with the show: the first audio context is the music's (SDL makes one too).
  await expectWords(root, 'an exception in the page', /^The show stopped: .*no more frames/, {
    beforeLoad: () => {
      const Context = window.AudioContext;
      window.AudioContext = function () {
        const context = new Context();
        window.music = window.music || context;
        return context;
      };
    },
    act: inScene1((page) => page.addScriptTag({
      content: 'window.requestAnimationFrame = () => { throw new Error("no more frames"); };',
    })),
    after: async (page, consoleLines) => {
      await page.waitForFunction(() => window.music.state === 'closed', { timeout: 5000 })
        .catch(() => {});
      const audio = await page.evaluate(() => window.music.state);
      check(audio === 'closed', `after an exception the music is ${audio}`);
      // Its button loads the page afresh, and the show plays again from its click: its first
      // scene to the end, with nothing on the console but that scene's line.
      const from = await playAgain(page, consoleLines);
      await page.click('#card');
      await firstSceneEnds(consoleLines, from);
      const lines = logLines(consoleLines.slice(from));
      check(lines.length > 0 && facts.statistics[0].test(lines[0]),
            `after "Play it again", console lines: ${JSON.stringify(lines)}`);
      noErrors(consoleLines.slice(from));
      const playing = await page.evaluate(() => document.getElementById('card').hidden &&
                                                document.body.dataset.finished === undefined);
      check(playing, 'after "Play it again" the show is not playing on');
    },
  });
  if (fs.statSync(root).isDirectory()) {
    await expectWords(root, 'no data on the server', /^The show cannot load: .*data\.data/, {
      ready: false, withheld: 'data.data',
    });
  }
}

// Times, in the page, each animation frame's callback: the page's own work for a frame (the
// scene in WebAssembly and its WebGL calls, up to the swap), against the time from one frame
// to the next, of which the rest is the browser's (its rasteriser, compositing, waiting for
// the display). The show's lines are timed too: each statistics line ends a scene.
function timeFrames() {
  window.frameTimes = [];
  window.lineTimes = [];
  const request = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => request((time) => {
    const start = performance.now();
    callback(time);
    window.frameTimes.push([start, performance.now() - start]);
  });
  const log = console.log;
  console.log = function () {
    window.lineTimes.push(performance.now());
    return log.apply(console, arguments);
  };
}

async function caseBench(root) {
  const { page, consoleLines, close, readySeconds } = await open(root, timeFrames);
  try {
    const end = await startAndWait(page, 120000);
    const { frameTimes, lineTimes, clickedAt } = await page.evaluate(
      () => ({ frameTimes: window.frameTimes, lineTimes: window.lineTimes,
               clickedAt: window.clickedAt }));
    let from = clickedAt;
    let scene = 0;
    logLines(consoleLines).forEach((line, i) => {
      const match = facts.statistics.map((stats) => line.match(stats)).find((m) => m);
      if (!match) return;
      const frames = frameTimes.filter(([start]) => start >= from && start < lineTimes[i]);
      const work = frames.reduce((sum, [, ms]) => sum + ms, 0) / frames.length;
      const interval = (frames[frames.length - 1][0] - frames[0][0]) / (frames.length - 1);
      scene += 1;
      console.log(`scene ${scene}: ${Number(match[1]).toFixed(1)} fps, a frame every ` +
                  `${interval.toFixed(1)} ms, the page's work ${work.toFixed(1)} ms of it`);
      from = lineTimes[i];
    });
    console.log(`opening to click-to-start: ${readySeconds.toFixed(2)} s`);
    console.log(`click to end of show: ${end.seconds.toFixed(2)} s`);
  } finally {
    await close();
  }
}

async function main() {
  const [which, root, ...rest] = process.argv.slice(2);
  const named = options(rest);
  const cases = { show: caseShow, keys: caseKeys, touch: caseTouch, missing: caseMissing,
                  frames: caseFrames, messages: caseMessages, bench: caseBench };
  if (!cases[which] || !root || !named.facts) {
    console.error('usage: node page-test.js show|keys|touch|missing|frames|messages|bench PAGE ' +
                  '--facts FILE [--browser chromium|firefox] [--webgl 1] [OPTIONS]');
    process.exit(2);
  }
  browserName = named.browser || 'chromium';
  webgl2 = named.webgl !== '1';
  facts = readFacts(named.facts);
  await cases[which](path.resolve(root), named);
  if (failures.length) {
    for (const failure of failures) console.error(`FAILED: ${failure}`);
    process.exit(1);
  }
  if (which !== 'bench') console.log(`${which} in ${browserName}: passed`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
