// page_numbers.wasm against the run: for every hypothesis row of the table CSV of a few
// examples, the module's F, P and critical measurement error are the run's, bit for bit.
//
//   node check_page_numbers.js MORVIT PAGE_NUMBERS_WASM EXAMPLES_DIR
//
// The module is instantiated as the page does it, WebAssembly.instantiate(bytes, {}): no
// imports. From each row of the table CSV (written by MORVIT itself, every number in the
// shortest text that reads back as the same double):
//   F   = morvit_hypothesis_f(SSD, DF, morvit_expected_msd(MER)) on the single factors' rows
//         (a combination's SSD column is recomputed from its F, so it is not the SSD behind F);
//   P   = morvit_upper_tail(F, DF, dfd);
//   critical_mer = morvit_critical_mer(MSD, DF, dfd, level), empty where the module gives NaN.
// DF is the numerator degrees of freedom where every weight is 1; with weights, a single
// factor's is its partition weight, which the CSV does not hold, so only combinations count.
'use strict';
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

// Each run: the example, its measurement error factor as the run holds it (the default is
// the single-precision 0.05), the level of critical_mer, and whether it has weights.
const RUNS = [
  {example: 'lipset_democracy.cmd', mer: Math.fround(0.05), level: 0.05, weighted: false},
  {example: 'lipset_democracy.cmd', mer: Math.fround(0.05), level: 0.01, weighted: false},
  {example: 'lipset_democracy_mer20.cmd', mer: 0.2, level: 0.1, weighted: false},
  {example: 'lipset_breakdown.cmd', mer: Math.fround(0.05), level: 0.05, weighted: false},
  {example: 'schneider_exports.cmd', mer: Math.fround(0.05), level: 0.05, weighted: false},
  {example: 'paykani_health.cmd', mer: Math.fround(0.05), level: 0.2, weighted: false},
  {example: 'weighted_survey.cmd', mer: 0.08, level: 0.05, weighted: true},
];
const HYPOTHESES = new Set(['NECESSARY', 'SUFFICIENT', 'NEC AND SUFF']);

function parseCsv(text) {
  const lines = text.trimEnd().split('\n');
  const header = lines[0].split(',');
  return lines.slice(1).map((line) => {
    // Names may be quoted and hold commas; the numbers never are.
    const fields = [];
    for (let at = 0; at <= line.length;) {
      if (line[at] === '"') {
        let end = at + 1;
        for (; end < line.length; ++end) {
          if (line[end] === '"' && line[end + 1] === '"') ++end;
          else if (line[end] === '"') break;
        }
        fields.push(line.slice(at + 1, end).replace(/""/g, '"'));
        at = end + 2;
      } else {
        const end = line.indexOf(',', at) < 0 ? line.length : line.indexOf(',', at);
        fields.push(line.slice(at, end));
        at = end + 1;
      }
    }
    return Object.fromEntries(header.map((name, i) => [name, fields[i]]));
  });
}

const number = (text) => (text === '' ? NaN : text === 'Inf' ? Infinity : text === '-Inf' ? -Infinity : Number(text));

async function main([morvit, wasm, examples]) {
  const {instance} = await WebAssembly.instantiate(fs.readFileSync(wasm), {});
  const m = instance.exports;
  const failures = [];
  let compared = 0;
  const check = (what, actual, expected) => {
    ++compared;
    if (!Object.is(actual, expected)) failures.push(`${what}: module ${actual}, run ${expected}`);
  };
  for (const run of RUNS) {
    const work = fs.mkdtempSync(path.join(os.tmpdir(), 'morvit-page-numbers-'));
    try {
      fs.copyFileSync(path.join(examples, run.example), path.join(work, run.example));
      execFileSync(morvit, ['-q', '--level', String(run.level), '--table-csv', 'table.csv', run.example],
                   {cwd: work, stdio: ['ignore', 'ignore', 'inherit']});
      const report = fs.readFileSync(path.join(work, 'morvit.out'), 'latin1');
      const dfd = Number(/DENOMINATOR DEGREES OF FREEDOM: +(-?\d+)/.exec(report)[1]);
      const expectedMsd = m.morvit_expected_msd(run.mer);
      for (const row of parseCsv(fs.readFileSync(path.join(work, 'table.csv'), 'utf8'))) {
        if (!HYPOTHESES.has(row.hypothesis) || row.omitted === 'TRUE') continue;
        const single = row.block.length === 1;
        if (run.weighted && single) continue;
        const where = `${run.example} --level ${run.level} ${row.block} ${row.hypothesis}`;
        const df = number(row.DF);
        if (single) check(`${where} F`, m.morvit_hypothesis_f(number(row.SSD), df, expectedMsd), number(row.F));
        check(`${where} P`, m.morvit_upper_tail(number(row.F), df, dfd), number(row.P));
        check(`${where} critical_mer`, m.morvit_critical_mer(number(row.MSD), df, dfd, run.level),
              number(row.critical_mer));
      }
    } finally {
      fs.rmSync(work, {recursive: true, force: true});
    }
  }
  if (failures.length > 0 || compared === 0) {
    console.log(`${failures.length} of ${compared} numbers differ:\n  ` + failures.slice(0, 20).join('\n  '));
    process.exit(1);
  }
  console.log(`page_numbers.wasm: ${compared} numbers of ${RUNS.length} runs equal the run's, bit for bit`);
}

main(process.argv.slice(2)).catch((error) => {
  console.log(String(error.stack || error));
  process.exit(1);
});
