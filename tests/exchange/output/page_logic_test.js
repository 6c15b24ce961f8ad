// The page's logic (exchange/output/page_logic.js) in Node, without a browser: the report's
// editing of numbers, the page's address, readings, critical MERs, label placement and XML
// text on their own; then against real runs: every number a page shows at its run's MER is
// the report's text, the page's F and P at other MERs are the report's of a run with that
// MER line, and the page's findings at the run's MER are those morvit prints.
//
//   node page_logic_test.js MORVIT SOURCE_DIR
//
// Exits 0 when everything agrees, 1 otherwise.
'use strict';
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const [morvit, source] = process.argv.slice(2).map((arg) => path.resolve(arg));
const L = require(path.join(source, 'exchange', 'output', 'page_logic.js'));
const failures = [];
let checked = 0;
function expect(what, actual, expected) {
  ++checked;
  if (!Object.is(actual, expected) && JSON.stringify(actual) !== JSON.stringify(expected)) {
    failures.push(`${what}: ${JSON.stringify(actual)}, expected ${JSON.stringify(expected)}`);
  }
}

// ---- On their own ---------------------------------------------------------------------------

// [value, decimals, width, text]: the report's fixed-point editing (exact, ties to even).
for (const [value, decimals, width, text] of [
  [81.42863383553616, 4, 10, '81.4286'], [9.817829392117588e-13, 4, 10, '0.0000'], [0.03125, 4, 10, '0.0312'],
  [0.09375, 4, 10, '0.0938'], [2.5, 0, 10, '2.'], [3.5, 0, 10, '4.'], [-0.00001, 4, 10, '0.0000'],
  [-1.23456, 4, 10, '-1.2346'], [Infinity, 4, 10, 'inf'], [-Infinity, 4, 10, '-inf'], [NaN, 4, 10, 'nan'],
  [123456.7, 4, 10, '**********'], [0.12344, 4, 5, '.1234'], [0.12345, 4, 5, '.1235'], [1e300, 4, 10, '**********'],
  [5e-324, 4, 10, '0.0000'], [0.05000000074505806, 6, undefined, '0.050000'], [123456789.125, 2, undefined, '123456789.12'],
]) {
  expect(`editFixed(${value}, ${decimals}, ${width})`, L.editFixed(value, decimals, width), text);
}
for (const [value, text] of [[0.28788533841087977, '0.2879'], [0.1313, '0.1313'], [0.13130000000000001, '0.1313'],
                             [0.12340000001, '0.1235'], [0, '0.0000'], [NaN, 'none']]) {
  expect(`criticalMerText(${value})`, L.criticalMerText(value), text);
}
// [address, settings, words]: a word that does not decode is left out, nothing throws.
for (const [hash, settings, words] of [
  ['#mer=0.35', {mer: '0.35'}, {}], ['#alpha=0.01,mer=0.2', {alpha: '0.01', mer: '0.2'}, {}],
  ['#mer=5%', {}, {}], ['#p-AB,mer=0.3', {mer: '0.3'}, {'p-AB': true}], ['#%E0%A4%A,alpha=0.1', {alpha: '0.1'}, {}],
  ['', {}, {}], ['#=x,,', {}, {'=x': true}],
]) {
  const read = L.readAddress(hash);
  expect(`readAddress(${hash})`, [read.settings, read.words], [settings, words]);
}
for (const [text, value] of [['0.35', 0.35], [' 0.2 ', 0.2], ['5%', null], ['-1', null], ['abc', null], ['', null],
                             ['1e-3', 0.001], ['.5', 0.5], ['1e400', null], [undefined, null]]) {
  expect(`merValue(${text})`, L.merValue(text), value);
}
expect('xmlText', L.xmlText('a\u0001b\u0008\t\n\r\uFFFEc\uD800d\uDC00\uD83D\uDE00'), 'a\uFFFDb\uFFFD\t\n\r\uFFFDc\uFFFDd\uFFFD\uD83D\uDE00');
// Two plots side by side at a laptop's width, one over the whole width of a phone.
expect('plotWidth(1290)', L.plotWidth(1290, 400, 520, 24), 520);
expect('plotWidth(940)', L.plotWidth(940, 400, 520, 24), 458);
expect('plotWidth(330)', L.plotWidth(330, 400, 520, 24), 330);

// Labels: none overlaps another label or a point, all stay in the frame, and where there
// is room each is placed.
function placedBoxes(points, sizes, frame, order) {
  return L.placeLabels(points, sizes, frame, order).map((at, i) => at && [
    at[2] === 'end' ? at[0] - sizes[i][0] : at[0], at[1] - sizes[i][1] * 0.8,
    at[2] === 'end' ? at[0] : at[0] + sizes[i][0], at[1] + sizes[i][1] * 0.2]);
}
function overlaps(a, b) { return a[0] < b[2] - 1e-9 && b[0] < a[2] - 1e-9 && a[1] < b[3] - 1e-9 && b[1] < a[3] - 1e-9; }
let seed = 61;
const random = () => (seed = (seed * 16807) % 2147483647) / 2147483647;
for (const [count, spread] of [[61, 400], [2000, 400], [5, 400]]) {
  const points = Array.from({length: count}, () => [60 + random() * spread, 30 + random() * spread, 3 + random() * 4]);
  const sizes = points.map(() => [20 + random() * 80, 14.4]);
  const frame = [58, 30, 58 + 420, 30 + 420];
  const boxes = placedBoxes(points, sizes, frame);
  const placed = boxes.filter(Boolean);
  let bad = 0;
  boxes.forEach((box, i) => {
    if (!box) return;
    if (box[0] < frame[0] || box[1] < frame[1] - 1e-9 || box[2] > frame[2] || box[3] > frame[3] + 1e-9) ++bad;
    for (let j = 0; j < i; ++j) if (boxes[j] && overlaps(box, boxes[j])) ++bad;
    points.forEach((p) => { if (overlaps(box, [p[0] - p[2], p[1] - p[2], p[0] + p[2], p[1] + p[2]])) ++bad; });
  });
  expect(`labels of ${count} points: overlaps or outside the frame`, bad, 0);
  if (count <= 61) expect(`labels of ${count} points: most placed`, placed.length >= count * 0.6, true);
}

// Readings of hand-made rows at hand-made settings, with a stand-in for the numbers module
// (its P is 1 - F / 100, to tell it from the run's).
const stand = {
  morvit_expected_msd: (mer) => (mer * 4) * mer,
  morvit_hypothesis_f: (ssd, dfn, e) => (ssd / dfn) / e,
  morvit_upper_tail: (f) => Math.max(0, 1 - f / 100),
  morvit_critical_mer: () => 0.5,
};
const data = {
  run: {mer: 0.05, expected_msd: 0.01, dfd: 10, level: 0.05}, levels: [0.01, 0.05, 0.1], factors: ['W', ''],
  findings: {holding: 10, closest: 5},
  blocks: [{block: 'A', fit: {cons_nec: 0.95, cons_suf: 0.5, cov_nec: 0.4, cov_suf: 0.6}, rows: [
    {kind: 'necessary', ssd: 0.04, df: 2, msd: 0.02, f: 2, p: 0.2, critical: [0.03, 0.04, 0.06], against: 2},
    {kind: 'sufficient', ssd: 0.4, df: 4, msd: 0.1, f: 10, p: 0.001, critical: [0.1, 0.12, 0.15], against: 4},
    {kind: 'nec_and_suff', ssd: 0.44, df: 6, msd: 0.0733, f: 7.33, p: 0.01, critical: ['NaN', 'NaN', 'NaN'], against: 6},
  ]}, {block: 'B', fit: {cons_nec: 'NaN', cons_suf: 1}, rows: [
    {kind: 'necessary', omitted: true, against: 0},
    {kind: 'sufficient', ssd: 0, df: 1, msd: 0, f: 0, p: 1, critical: [0, 0, 0], against: 1, ties: true},
    {kind: 'nec_and_suff', omitted: true, against: 3},
  ]}, {block: 'AB', contradictory: true, fit: {}, rows: [
    {kind: 'necessary', ssd: 0, df: 1, msd: 0, f: 0, p: 1, critical: [0, 0, 0], against: 1},
    {kind: 'comparison', hypothesis: 'A v AB', f: 3, p: 0.04},
  ]}],
};
// [MER text, level, module?, block, row, reading words, F, P, P the run's?, critical MER shown]
for (const [mer, level, module, bi, ri, words, f, p, runsP, critical] of [
  ['0.05', 0.05, null, 0, 0, 'compatible', '2.0000', '0.2000', false, '0.0400'],
  ['0.05', 0.05, null, 0, 1, 'rejected', '10.0000', '0.0010', false, '0.1200'],
  ['0.05', 0.05, null, 0, 2, 'rejected', '7.3300', '0.0100', false, 'none'],
  ['0.05', 0.01, null, 0, 2, 'compatible', '7.3300', '0.0100', false, 'none'],
  ['0.13', 0.05, null, 0, 1, 'compatible', '1.4793', '0.0010', true, '0.1200'],
  ['0.11', 0.05, null, 0, 1, 'rejected', '2.0661', '0.0010', true, '0.1200'],
  ['0.11', 0.05, stand, 0, 1, 'compatible', '2.0661', '0.9793', false, '0.1200'],
  ['0.11', 0.02, stand, 0, 1, 'compatible', '2.0661', '0.9793', false, '0.5000'],
  ['0.05', 0.05, null, 1, 0, 'no case against', undefined, undefined, undefined, undefined],
  ['0.2', 0.05, stand, 1, 1, 'decided by ties', '0.0000', '1.0000', false, ''],
  ['0.05', 0.05, null, 2, 1, 'combination closer', '3.0000', '0.0400', false, ''],
  ['0.05', 0.01, null, 2, 1, 'not markedly', '3.0000', '0.0400', false, ''],
]) {
  const at = L.settings(data, mer, level, module);
  const row = data.blocks[bi].rows[ri];
  const cells = L.cells(row, at);
  expect(`row ${bi}:${ri} at MER ${mer}, level ${level}${module ? ' with the module' : ''}`,
         [L.reading(row, at).words, cells.f, cells.p, cells.pRuns, cells.critical], [words, f, p, runsP, critical]);
}
{
  const at = L.settings(data, '0.05', 0.05, null);
  expect('block header', L.blockBrief(data.blocks[1], at).map((part) => part.text),
         ['NECESSARY no case against', 'SUFFICIENT decided by ties', 'NEC AND SUFF left out']);
  const found = L.findings(data, L.settings(data, '0.05', 0.05, null), {necessity: 0.9, sufficiency: 0.8});
  const name = (f) => `${f.block.block} ${f.row.kind}${f.disagrees ? ' *' : ''}`;
  expect('findings: holding', found.holding.map(name), ['B necessary', 'A necessary']);
  expect('findings: closest', found.closest.map(name), ['A sufficient']);
  const strict = L.findings(data, L.settings(data, '0.05', 0.05, null), {necessity: 0.99, sufficiency: 0.8});
  expect('findings: a stricter necessity threshold marks A', strict.holding.map(name), ['B necessary', 'A necessary *']);
}

// ---- Against real runs --------------------------------------------------------------------

// The table rows of a report: [block label or '', hypothesis, SSD, DF, MSD, F, P] as printed.
function reportRows(report) {
  const lines = report.split('\r\n');
  const start = lines.findIndex((line) => line.includes('FACTOR(S)     HYPOTHESIS'));
  const rows = [];
  for (const line of lines.slice(start + 2)) {
    if (line.length < 78 || !/^(-----|[\d.*]+|inf|nan)$/.test(line.slice(68, 78).trim())) continue;
    const edges = [1, 11, 26, 38, 48, 58, 68, 78];
    rows.push(edges.slice(0, -1).map((at, k) => line.slice(at, edges[k + 1]).trim()));
  }
  return rows;
}

function pageParts(page) {
  const json = /<script type="application\/json" id="morvit-data">([\s\S]*?)<\/script>/.exec(page)[1];
  const wasm = /<script type="application\/wasm\+base64" id="morvit-numbers">([\s\S]*?)<\/script>/.exec(page);
  return [JSON.parse(json), wasm ? Buffer.from(wasm[1], 'base64') : null];
}

// The printed rows of the page's data, in the report's order, with their blocks.
function printedRows(pageData) {
  const rows = [];
  pageData.blocks.forEach((block) => block.rows.forEach((row) => { if (!row.omitted) rows.push([block, row]); }));
  return rows;
}

function run(work, args) {
  return execFileSync(morvit, args, {cwd: work, stdio: ['ignore', 'pipe', 'pipe']}).toString();
}

// The findings morvit prints: each listed hypothesis as "BLOCK HYPOTHESIS", with " *" where
// it is marked.
function printedFindings(out) {
  return out.split('\n').filter((line) => /^ {4}[A-J]+ (NECESSARY|SUFFICIENT|NEC AND SUFF)\b/.test(line))
    .map((line) => line.trim().split(/ \(|:/)[0] + (line.endsWith(' *') ? ' *' : ''));
}

const MERS = ['0.03', '0.1', '0.2', '0.35', '0.5'];
async function againstRuns() {
  let module = null;
  for (const example of ['lipset_democracy.cmd', 'weighted_survey.cmd', 'paykani_health.cmd', 'lipset_breakdown.cmd']) {
    const work = fs.mkdtempSync(path.join(os.tmpdir(), 'morvit-page-logic-'));
    try {
      for (const file of [example, example + '.cases']) {
        if (fs.existsSync(path.join(source, 'examples', file))) fs.copyFileSync(path.join(source, 'examples', file), path.join(work, file));
      }
      const out = run(work, ['--html', 'page.html', example]);
      const [pageData, wasm] = pageParts(fs.readFileSync(path.join(work, 'page.html'), 'utf8'));
      if (wasm && !module) module = (await WebAssembly.instantiate(wasm, {})).instance.exports;
      const numbers = wasm ? module : null;
      const rows = printedRows(pageData);
      // At the run's MER every number shown is the report's text.
      const atRun = L.settings(pageData, undefined, pageData.run.level, numbers);
      const report = reportRows(fs.readFileSync(path.join(work, 'morvit.out'), 'latin1'));
      expect(`${example}: printed rows`, rows.length, report.length);
      rows.forEach(([block, row], i) => {
        const cells = L.cells(row, atRun);
        const printed = report[i] || [];
        expect(`${example} ${block.block} ${L.hypothesisLabel(row)}`, [L.hypothesisLabel(row), cells.ssd, cells.df, cells.msd, cells.f, cells.p],
               printed.slice(1));
      });
      // The findings at the run's MER are those morvit printed.
      const found = L.findings(pageData, atRun, pageData.conventional);
      const name = (f) => `${f.block.block} ${L.hypothesisLabel(f.row)}${f.disagrees ? ' *' : ''}`;
      expect(`${example}: findings`, found.holding.concat(found.closest).map(name), printedFindings(out));
      // At other MERs F and P are those of a run with that MER line (P only with the module).
      for (const mer of MERS) {
        const text = fs.readFileSync(path.join(work, example), 'latin1').replace(/^FIN/m, 'MER    ' + mer + '\nFIN');
        fs.writeFileSync(path.join(work, 'at.cmd'), text, 'latin1');
        run(work, ['-q', 'at.cmd']);
        const other = reportRows(fs.readFileSync(path.join(work, 'morvit.out'), 'latin1'));
        const at = L.settings(pageData, mer, pageData.run.level, numbers);
        let differing = [];
        rows.forEach(([block, row], i) => {
          if (!L.isHypothesis(row)) return;
          const cells = L.cells(row, at);
          const shown = numbers ? [cells.f, cells.p] : [cells.f];
          const printed = numbers ? [other[i][5], other[i][6]] : [other[i][5]];
          ++checked;
          if (JSON.stringify(shown) !== JSON.stringify(printed)) differing.push(`${block.block} ${L.hypothesisLabel(row)} ${shown} against ${printed}`);
        });
        if (differing.length) failures.push(`${example} at MER ${mer}: ${differing.length} rows differ: ${differing.slice(0, 5).join('; ')}`);
      }
      if (!numbers) console.log(`${example}: the page has no numbers module; P at other MERs not compared`);
    } finally {
      fs.rmSync(work, {recursive: true, force: true});
    }
  }
}

againstRuns().then(() => {
  if (failures.length) {
    console.log(`${failures.length} of ${checked} checks failed:\n  ` + failures.slice(0, 40).join('\n  '));
    process.exit(1);
  }
  console.log(`page logic: ${checked} checks passed`);
}, (error) => {
  console.log(String(error.stack || error));
  process.exit(1);
});
