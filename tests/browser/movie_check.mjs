// Plays a movie page in Debian's chromium through Ruffle and reports, as JSON
// on standard output, what an independent player makes of the movie: its
// metadata, the console errors, the page's title, the movies it fetched
// ("STATUS URL"), and a coarse grey grid of the player after
// loading, after a click in the middle and, reloaded, after the Right key.
//   node movie_check.mjs URL GRID_COLUMNS GRID_ROWS
import { chromium } from "playwright-core";

const [url, columns, rows] = [process.argv[2], Number(process.argv[3]), Number(process.argv[4])];
const flags = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
  "--disable-component-update", "--disable-sync", "--no-first-run"];

const report = { metadata: null, title: null, movies: [], errors: [], grids: {} };
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: flags });
try {
  const page = await browser.newPage({ viewport: { width: 1400, height: 1400 } });
  page.on("console", (message) => {
    const text = message.text();
    // Ruffle reports failures through console lines.
    if (message.type() === "error" || /error|panic|failed|unsupported/i.test(text))
      report.errors.push(`${message.type()}: ${text}`);
  });
  page.on("pageerror", (error) => report.errors.push(`pageerror: ${error.message}`));
  page.on("response", (response) => {
    if (response.status() >= 400) report.errors.push(`${response.status()}: ${response.url()}`);
    if (new URL(response.url()).pathname.endsWith(".swf"))
      report.movies.push(`${response.status()} ${response.url()}`);
  });
  // A script that got into the page through a name would show itself here.
  page.on("dialog", (dialog) => {
    report.errors.push(`dialog: ${dialog.message()}`);
    dialog.dismiss();
  });

  const load = async () => {
    await page.goto(url);
    const player = page.locator("ruffle-embed, ruffle-object, ruffle-player").first();
    await player.waitFor({ timeout: 30000 });
    await page.waitForFunction(() => {
      const element = document.querySelector("ruffle-embed, ruffle-object, ruffle-player");
      return element && element.ruffle && element.ruffle().metadata;
    }, null, { timeout: 30000 });
    report.metadata = await page.evaluate(() =>
      document.querySelector("ruffle-embed, ruffle-object, ruffle-player").ruffle().metadata);
    // Focus two animation frames after the metadata, once the player listens.
    await page.evaluate(() => new Promise((done) => requestAnimationFrame(() =>
      requestAnimationFrame(() => {
        document.querySelector("ruffle-embed, ruffle-object, ruffle-player").focus();
        done();
      }))));
    await page.waitForTimeout(500);
    return player;
  };

  // The mean grey of each grid cell of the player's picture.
  const grid = async (player) => {
    const png = (await player.screenshot()).toString("base64");
    return page.evaluate(async ({ png, columns, rows }) => {
      const image = new Image();
      image.src = `data:image/png;base64,${png}`;
      await image.decode();
      const canvas = document.createElement("canvas");
      canvas.width = image.width;
      canvas.height = image.height;
      const context = canvas.getContext("2d");
      context.drawImage(image, 0, 0);
      const pixels = context.getImageData(0, 0, image.width, image.height).data;
      const cells = [];
      for (let r = 0; r < rows; ++r) {
        for (let c = 0; c < columns; ++c) {
          const x0 = Math.floor(c * image.width / columns), x1 = Math.floor((c + 1) * image.width / columns);
          const y0 = Math.floor(r * image.height / rows), y1 = Math.floor((r + 1) * image.height / rows);
          let sum = 0;
          for (let y = y0; y < y1; ++y)
            for (let x = x0; x < x1; ++x) {
              const i = (y * image.width + x) * 4;
              sum += (pixels[i] + pixels[i + 1] + pixels[i + 2]) / 3;
            }
          cells.push(Math.round(sum / Math.max(1, (x1 - x0) * (y1 - y0))));
        }
      }
      return { width: image.width, height: image.height, cells };
    }, { png, columns, rows });
  };

  let player = await load();
  report.title = await page.title();
  report.grids.initial = await grid(player);
  const box = await player.boundingBox();
  await page.mouse.click(box.x + box.width * 0.75, box.y + box.height / 2);
  await page.waitForTimeout(500);
  report.grids.afterClick = await grid(player);

  player = await load();
  await page.keyboard.press("ArrowRight");
  await page.waitForTimeout(500);
  report.grids.afterRight = await grid(player);
} catch (error) {
  report.errors.push(`check: ${error.message}`);
} finally {
  await browser.close();
}
console.log(JSON.stringify(report));
