// The browser pages end to end in headless Chromium, driven over the
// DevTools protocol by puppeteer-core (pinned in package-lock.json):
//   node e2e.mjs BUILD_DIR GOLDEN_DIR [OUT_DIR]
// The game's six screens, reached by held arrow keys, equal the golden
// frames; the red square follows the mouse; Esc ends the game with 0. The
// message window and the effects gallery run and are screenshot into
// OUT_DIR; the pack example's sound reaches the speakers. Prints the page
// load to first frame, the main-thread time a frame and the sizes.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

const [buildArg, goldenDir, outArg] = process.argv.slice(2);
if (!buildArg || !goldenDir) {
  console.error('usage: node e2e.mjs BUILD_DIR GOLDEN_DIR [OUT_DIR]');
  process.exit(2);
}
const buildDir = path.resolve(buildArg);
const outDir = path.resolve(outArg || path.join(buildDir, 'e2e'));
fs.mkdirSync(outDir, { recursive: true });
let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// ---- A static server for the build folder on 127.0.0.1 ----------------------
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png' };
const server = http.createServer((req, res) => {
  const file = path.join(buildDir, decodeURIComponent(new URL(req.url, 'http://x').pathname));
  if (!file.startsWith(buildDir + path.sep) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
    res.writeHead(404).end();
    return;
  }
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  fs.createReadStream(file).pipe(res);
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const base = `http://127.0.0.1:${server.address().port}`;

// ---- PNG pictures (8-bit RGB or RGBA, not interlaced) ------------------------
function readPng(buffer) {
  let pos = 8;
  let width = 0, height = 0, channels = 0;
  const idat = [];
  while (pos < buffer.length) {
    const length = buffer.readUInt32BE(pos);
    const type = buffer.toString('ascii', pos + 4, pos + 8);
    const data = buffer.subarray(pos + 8, pos + 8 + length);
    if (type === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      if (data[8] !== 8 || data[12] !== 0) throw new Error('unsupported PNG');
      channels = { 2: 3, 6: 4 }[data[9]];
      if (!channels) throw new Error('unsupported PNG colour type');
    } else if (type === 'IDAT') {
      idat.push(data);
    }
    pos += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const out = Buffer.alloc(width * height * 3);
  let prev = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; i++) {
      const a = i >= channels ? line[i - channels] : 0;
      const b = prev[i];
      const c = i >= channels ? prev[i - channels] : 0;
      let p = 0;
      if (filter === 1) p = a;
      else if (filter === 2) p = b;
      else if (filter === 3) p = (a + b) >> 1;
      else if (filter === 4) {
        const pa = Math.abs(b - c), pb = Math.abs(a - c), pc = Math.abs(a + b - 2 * c);
        p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      line[i] = (line[i] + p) & 255;
    }
    for (let x = 0; x < width; x++)
      for (let k = 0; k < 3; k++) out[(y * width + x) * 3 + k] = line[x * channels + k];
    prev = line;
  }
  return { width, height, rgb: out };
}
// Pixels that differ once both pictures are reduced to 5:6:5.
function differences565(a, b) {
  if (a.width !== b.width || a.height !== b.height) return -1;
  let differ = 0;
  for (let i = 0; i < a.rgb.length; i += 3)
    if (a.rgb[i] >> 3 !== b.rgb[i] >> 3 || a.rgb[i + 1] >> 2 !== b.rgb[i + 1] >> 2 ||
        a.rgb[i + 2] >> 3 !== b.rgb[i + 2] >> 3) differ++;
  return differ;
}

// ---- The browser --------------------------------------------------------------
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required', '--mute-audio'],
});

// Counts the frames a page puts on its canvas, with the time of the first
// one, and taps every sound sent to the speakers.
const pageProbe = () => {
  window.elFrames = 0;
  window.elFirstFrame = null;
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    if (window.elFirstFrame === null) window.elFirstFrame = performance.now();
    window.elFrames++;
    return put.apply(this, args);
  };
  window.elLoudest = 0;
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    if (target instanceof AudioDestinationNode && !(this instanceof AnalyserNode)) {
      const analyser = this.context.createAnalyser();
      connect.call(this, analyser);
      const samples = new Float32Array(analyser.fftSize);
      setInterval(() => {
        analyser.getFloatTimeDomainData(samples);
        for (const s of samples) window.elLoudest = Math.max(window.elLoudest, Math.abs(s));
      }, 20);
    }
    return connect.call(this, target, ...rest);
  };
};

async function openPage(url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 640 });
  await page.evaluateOnNewDocument(pageProbe);
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  // A box (alert or confirm) would wait for a player: answer it, and note it.
  page.on('dialog', async (d) => { errors.push(`box: ${d.message()}`); await d.accept(); });
  await page.goto(`${base}/${url}`, { waitUntil: 'load' });
  await page.waitForFunction(() => window.elFrames > 0, { timeout: 30000 });
  return { page, errors };
}

async function canvasPicture(page) {
  const url = await page.evaluate(() => document.getElementById('canvas').toDataURL('image/png'));
  return readPng(Buffer.from(url.split(',')[1], 'base64'));
}

// Waits until two pictures a moment apart are the same, then compares it
// with the golden frame.
async function checkScreen(page, name) {
  const golden = readPng(fs.readFileSync(path.join(goldenDir, `${name}.png`)));
  let previous = null;
  for (let i = 0; i < 40; i++) {
    await sleep(250);
    const shot = await canvasPicture(page);
    if (previous && differences565(previous, shot) === 0) {
      const differ = differences565(golden, shot);
      if (differ !== 0) fs.writeFileSync(path.join(outDir, `${name}.actual.png`),
        Buffer.from((await page.evaluate(() => document.getElementById('canvas').toDataURL())).split(',')[1], 'base64'));
      check(differ === 0, `${name}: ${differ} pixels differ from the golden frame`);
      return;
    }
    previous = shot;
  }
  check(false, `${name}: the picture never came to rest`);
}

async function holdKey(page, key) {
  await page.keyboard.down(key);
  await sleep(150);
  await page.keyboard.up(key);
}

try {
  // The game.
  {
    const { page, errors } = await openPage('game/tiles.html');
    const firstFrame = await page.evaluate(() => window.elFirstFrame);
    console.log(`page load to first frame: ${firstFrame.toFixed(0)} ms`);
    // The marker hides behind the frame picture at the corner.
    await page.mouse.move(0, 0);
    await checkScreen(page, 'screen_0_0');
    for (const [key, name] of [['ArrowRight', 'screen_1_0'], ['ArrowRight', 'screen_2_0'],
      ['ArrowDown', 'screen_2_1'], ['ArrowLeft', 'screen_1_1'], ['ArrowLeft', 'screen_0_1']]) {
      await holdKey(page, key);
      await checkScreen(page, name);
    }
    // Main-thread time a frame, over two seconds at rest.
    const before = await page.metrics();
    const framesBefore = await page.evaluate(() => window.elFrames);
    await sleep(2000);
    const after = await page.metrics();
    const frames = (await page.evaluate(() => window.elFrames)) - framesBefore;
    const perFrame = ((after.TaskDuration - before.TaskDuration) * 1000) / Math.max(frames, 1);
    console.log(`frames a second: ${(frames / ((after.Timestamp - before.Timestamp))).toFixed(1)}; ` +
      `main-thread time a frame: ${perFrame.toFixed(2)} ms`);
    // The marker: black outline, red inside, at the mouse.
    await page.mouse.move(400, 300);
    await sleep(500);
    const shot = await canvasPicture(page);
    const at = (x, y) => [...shot.rgb.subarray((y * shot.width + x) * 3, (y * shot.width + x) * 3 + 3)];
    check(String(at(405, 305)) === '255,0,0', `marker inside is ${at(405, 305)}`);
    check(String(at(400, 300)) === '0,0,0', `marker outline is ${at(400, 300)}`);
    await holdKey(page, 'Escape');
    const code = await page.waitForFunction(() => window.elExited !== undefined, { timeout: 20000 })
      .then(() => page.evaluate(() => window.elExited)).catch(() => null);
    check(code === 0, `the game ended after Escape with ${code}`);
    check(errors.length === 0, `the game's page reported no errors ${errors.join('; ')}`);
    await page.close();
  }
  // The message window and the effects gallery run and are screenshot.
  for (const [url, name] of [['examples/message_window.html', 'message_window'],
    ['examples/effects_gallery.html?--cycle+20', 'effects_gallery']]) {
    const { page, errors } = await openPage(url);
    await sleep(2000);
    const frames = await page.evaluate(() => window.elFrames);
    await page.screenshot({ path: path.join(outDir, `${name}.png`) });
    const shot = await canvasPicture(page);
    let ink = 0;
    for (let i = 0; i < shot.rgb.length; i++) if (shot.rgb[i] !== 0) ink++;
    check(frames > 30 && ink > 0 && errors.length === 0,
      `${name}: ${frames} frames in 2 s, screenshot in ${outDir}/${name}.png ${errors.join('; ')}`);
    await page.close();
  }
  // Sound: the pack example's looping tune reaches the speakers.
  {
    const { page, errors } = await openPage('examples/pack_demo.html');
    await page.waitForFunction(() => window.elLoudest > 0.001, { timeout: 10000 }).catch(() => {});
    const loudest = await page.evaluate(() => window.elLoudest);
    check(loudest > 0.001 && errors.length === 0, `pack_demo's sound is not silent (peak ${loudest.toFixed(3)}) ${errors.join('; ')}`);
    await page.close();
  }
} catch (e) {
  check(false, `the browser test stopped: ${e.stack || e}`);
} finally {
  await browser.close();
  server.close();
}

// Sizes of what a page loads, gzipped as a server would send them.
for (const file of ['game/tiles.wasm', 'game/tiles.js', 'game/tiles.data', 'fonts/gothic.data']) {
  const bytes = fs.readFileSync(path.join(buildDir, file));
  console.log(`${file}: ${(bytes.length / 1e6).toFixed(2)} MB, ${(zlib.gzipSync(bytes).length / 1e6).toFixed(2)} MB gzipped`);
}
console.log(failures ? `browser tests: ${failures} FAILED` : 'browser tests: passed');
process.exit(failures ? 1 : 0);
