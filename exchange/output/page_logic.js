// MORVIT's HTML page: what the page reads from the run's data, without the document. The
// numbers as the report edits them, the page's address, F and P at the reader's MER (through
// the numbers module when the page carries one), the reading of each row, critical MERs, the
// findings, where the labels of a plot go and how large a plot is. Embedded byte for byte
// in every page before the scripts that draw (see embed_page_assets.cmake); Node loads it
// as it is for the tests (module.exports at the end). Keep this file free of the sequence
// "</" + "script".
var MorvitLogic = (function () {
  'use strict';

  var HYPOTHESES = { necessary: 'NECESSARY', sufficient: 'SUFFICIENT', nec_and_suff: 'NEC AND SUFF' };

  // A number of the run's data: JSON numbers as they are, the texts "Infinity",
  // "-Infinity" and "NaN" as those values, anything else (absent, null) as NaN.
  function num(value) {
    return typeof value === 'number' ? value : typeof value === 'string' ? Number(value) : NaN;
  }

  // ---- Numbers as the report edits them ---------------------------------------------------

  var bits = new DataView(new ArrayBuffer(8));

  // The value rounded to `decimals` decimals as the report's fixed-point fields do it: the
  // exact binary value times 10^decimals, rounded to the nearest integer with ties to even
  // ("%#.*f" of the C library), "inf" and "nan" for the values without digits, no minus
  // sign before a value that rounds to zero. With a `width`, a text longer than the field
  // loses its leading zero when that makes it fit, and becomes asterisks otherwise, as in
  // the report; the text itself carries no padding.
  function editFixed(value, decimals, width) {
    var negative = value < 0;
    var magnitude = Math.abs(value);
    var text;
    if (isNaN(value)) {
      text = 'nan';
    } else if (!isFinite(value)) {
      text = 'inf';
    } else {
      bits.setFloat64(0, magnitude);
      var high = bits.getUint32(0), low = bits.getUint32(4);
      var biased = high >>> 20;
      var fraction = (BigInt(high & 0xfffff) << BigInt(32)) | BigInt(low);
      var mantissa = biased === 0 ? fraction : fraction | (BigInt(1) << BigInt(52));
      var exponent = (biased === 0 ? 1 : biased) - 1075 + decimals;
      var scaled = mantissa * BigInt(5) ** BigInt(decimals);
      var rounded;
      if (exponent >= 0) {
        rounded = scaled << BigInt(exponent);
      } else {
        var shift = BigInt(-exponent);
        rounded = scaled >> shift;
        var remainder = scaled - (rounded << shift);
        var half = BigInt(1) << (shift - BigInt(1));
        if (remainder > half || (remainder === half && (rounded & BigInt(1)) === BigInt(1))) rounded += BigInt(1);
      }
      var unit = BigInt(10) ** BigInt(decimals);
      var digits = decimals > 0 ? (rounded % unit).toString() : '';
      while (digits.length < decimals) digits = '0' + digits;
      text = (rounded / unit).toString() + '.' + digits;
      if (negative && /^[0.]*$/.test(text)) negative = false;
    }
    var needed = text.length + (negative ? 1 : 0);
    if (width !== undefined && needed > width) {
      if (text[0] === '0' && needed - 1 === width) {
        text = text.slice(1);
      } else {
        return new Array(width + 1).join('*');
      }
    }
    return (negative ? '-' : '') + text;
  }

  // A critical MER as the page shows it: four decimals, rounded up, so that the row is
  // compatible at the MER shown; "none" where no MER makes it compatible (NaN).
  function criticalMerText(value) {
    if (isNaN(value)) return 'none';
    var text = editFixed(value, 4);
    if (isFinite(value) && Number(text) < value) text = editFixed(Number(text) + 0.0001, 4);
    return text;
  }

  // A fit measure: three decimals, "n/a" where it has no value.
  function measureText(value) { return isNaN(value) ? 'n/a' : editFixed(value, 3); }

  // A value for the reader: at most `digits` decimals, no trailing zeros.
  function shortNumber(value, digits) {
    if (!isFinite(value)) return isNaN(value) ? '?' : editFixed(value, 0);
    var text = editFixed(value, digits);
    if (text.indexOf('.') >= 0) text = text.replace(/0+$/, '').replace(/\.$/, '');
    return text === '-0' ? '0' : text;
  }

  // ---- The page's address -----------------------------------------------------------------

  // The words after '#', separated by commas: "NAME=VALUE" settings and plain words ("p-AB",
  // the anchor of a block). A word that does not decode (a stray '%') is left out: no
  // address stops the page.
  function readAddress(hash) {
    var words = {}, settings = {};
    String(hash || '').replace(/^#/, '').split(',').forEach(function (word) {
      try {
        word = decodeURIComponent(word);
      } catch (error) {
        return;
      }
      var equals = word.indexOf('=');
      if (equals > 0) settings[word.slice(0, equals)] = word.slice(equals + 1);
      else if (word) words[word] = true;
    });
    return { words: words, settings: settings };
  }

  // A MER the page can read rows at: a finite number of 0 or more, else null.
  function merValue(text) {
    if (typeof text !== 'string' || !/^\s*[+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?\s*$/.test(text)) return null;
    var value = Number(text);
    return isFinite(value) && value >= 0 ? value : null;
  }

  // ---- The settings the rows are read at --------------------------------------------------

  // What the rows are read at: the MER (the run's own double while the reader keeps the
  // run's value), the level, and the numbers module (null without one). `merText` is the
  // MER field's text; `runMerText` the run's MER as the field shows it at first.
  function settings(data, merText, level, numbers) {
    var mer = merText === undefined || merText === runMerText(data) ? num(data.run.mer) : merValue(merText);
    if (mer === null) mer = num(data.run.mer);
    var atRun = mer === num(data.run.mer);
    return {
      data: data,
      mer: mer,
      level: level,
      levelIndex: data.levels.indexOf(level),
      numbers: numbers || null,
      atRun: atRun,
      expectedMsd: atRun ? num(data.run.expected_msd) : numbers ? numbers.morvit_expected_msd(mer) : (mer * 4) * mer,
      cache: new Map()
    };
  }

  // The run's MER as the page's field shows it: at most six decimals, as the report prints it.
  function runMerText(data) { return shortNumber(num(data.run.mer), 6); }

  // The numerator degrees of freedom of a hypothesis row's P.
  function dfn(row) { return row.dfn !== undefined ? num(row.dfn) : row.df; }

  // The SSD as the table summed it, which F at another MER is formed from: a combination
  // row prints its SSD recomputed from F and carries the summed one beside it.
  function summedSsd(row) { return row.sum !== undefined ? num(row.sum) : num(row.ssd); }

  function isHypothesis(row) { return Object.prototype.hasOwnProperty.call(HYPOTHESES, row.kind); }

  // F and P of a row at the settings: the run's at the run's MER and on rows that do not
  // depend on it; else F is MSD / (4 MER^2) as the run forms it, and P the module's upper
  // tail of the F distribution, or the run's P (runsP) on a page without the module.
  function numbers(row, at) {
    var known = at.cache.get(row);
    if (known) return known;
    var found;
    if (at.atRun || !isHypothesis(row) || row.omitted) {
      found = { f: num(row.f), p: num(row.p), runsP: false };
    } else if (at.numbers) {
      var f = at.numbers.morvit_hypothesis_f(summedSsd(row), dfn(row), at.expectedMsd);
      found = { f: f, p: at.numbers.morvit_upper_tail(f, dfn(row), at.data.run.dfd), runsP: false };
    } else {
      found = { f: (summedSsd(row) / dfn(row)) / at.expectedMsd, p: num(row.p), runsP: true };
    }
    at.cache.set(row, found);
    return found;
  }

  // No case against: a NECESSARY or SUFFICIENT row that the report leaves out for want of one.
  function isPerfect(row) {
    return row.omitted === true && row.against === 0 && (row.kind === 'necessary' || row.kind === 'sufficient');
  }

  // The critical MER of a hypothesis row at the settings' level: a number (NaN: none makes
  // the row compatible), or undefined where it is not known.
  function criticalMer(row, at) {
    if (!isHypothesis(row) || row.omitted) return undefined;
    if (row.critical && at.levelIndex >= 0 && row.critical.length === at.data.levels.length) {
      return num(row.critical[at.levelIndex]);
    }
    if (at.numbers) return at.numbers.morvit_critical_mer(num(row.msd), dfn(row), at.data.run.dfd, at.level);
    return undefined;
  }

  // Whether a hypothesis row shown in the report is compatible at the settings: its P at
  // or above the level where the page knows P at the MER; on a page without the module, at
  // another MER than the run's, its critical MER at most the MER (by its P when it has none).
  function compatible(row, at) {
    var p = numbers(row, at).p;
    if (at.atRun || at.numbers) return p >= at.level;
    var critical = criticalMer(row, at);
    if (critical === undefined) return p >= at.level;
    return !isNaN(critical) && at.mer >= critical;
  }

  function omission(kind) {
    switch (kind) {
      case 'necessary': return 'left out of the report: no case has its outcome above the membership';
      case 'sufficient': return 'left out of the report: no case has its outcome below the membership';
      case 'nec_and_suff': return 'left out of the report: the total weight is not above 0';
      case 'comparison': return 'left out of the report: the combination lies at distance 0';
    }
    return 'left out of the report';
  }

  // A row's reading at the settings: its class (for the colours) and its words.
  function reading(row, at) {
    if (row.kind === 'baseline') return { cls: 'base', words: '' };
    if (row.omitted) return isPerfect(row) ? { cls: 'perfect', words: 'no case against' } : { cls: 'om', words: '' };
    if (row.kind === 'comparison') {
      return num(row.p) < at.level ? { cls: 'cmp closer', words: 'combination closer' }
                                   : { cls: 'cmp', words: 'not markedly' };
    }
    if (row.ties) return { cls: 'tie', words: 'decided by ties' };
    return compatible(row, at) ? { cls: 'fit', words: 'compatible' } : { cls: 'rej', words: 'rejected' };
  }

  // The label of a row as the report writes it.
  function hypothesisLabel(row) {
    return row.kind === 'comparison' ? row.hypothesis : row.kind === 'baseline' ? 'NULL ASSOC' : HYPOTHESES[row.kind];
  }

  // The texts of a row's cells at the settings, as the report edits them: SSD, DF, MSD, F,
  // P, the critical MER and the cases against; "-----" where the report prints hyphens,
  // empty where a row has no such value. pRuns: P is the run's, at another MER than the one
  // shown (a page without the module).
  function cells(row, at) {
    var hyphens = '-----';
    if (row.omitted) return { omitted: omission(row.kind), against: row.against !== undefined ? String(row.against) : '' };
    var comparison = row.kind === 'comparison', baseline = row.kind === 'baseline';
    var shown = numbers(row, at);
    var critical = criticalMer(row, at);
    return {
      ssd: comparison ? hyphens : editFixed(num(row.ssd), 4, 12),
      df: comparison ? hyphens : String(row.df),
      msd: comparison ? hyphens : editFixed(num(row.msd), 4, 10),
      f: baseline ? hyphens : editFixed(shown.f, 4, 10),
      p: baseline ? hyphens : editFixed(shown.p, 4, 10),
      pRuns: shown.runsP,
      critical: row.ties || critical === undefined ? '' : criticalMerText(critical),
      against: row.against !== undefined ? row.against.toLocaleString('en') : ''
    };
  }

  // The words of a block's header: each hypothesis row's label with its P and reading, or
  // what stands in its place.
  function blockBrief(block, at) {
    var parts = [];
    block.rows.forEach(function (row) {
      if (!isHypothesis(row)) return;
      var read = reading(row, at);
      var label = HYPOTHESES[row.kind];
      if (read.cls === 'perfect' || read.cls === 'tie') parts.push({ cls: read.cls, text: label + ' ' + read.words });
      else if (row.omitted) parts.push({ cls: 'om', text: label + ' left out' });
      else parts.push({ cls: read.cls, text: label + ' P ' + editFixed(numbers(row, at).p, 4, 10) + ' ' + read.words });
    });
    return parts;
  }

  // The names behind a block's letters joined by '*' (a letter for a factor without one);
  // empty when no factor has a name.
  function blockNames(data, block) {
    if (block === 'NONE' || !data.factors.some(function (name) { return name; })) return '';
    var names = [];
    for (var k = 0; k < block.length; k++) names.push(data.factors[block.charCodeAt(k) - 65] || block[k]);
    return names.join('*');
  }

  // ---- Findings ---------------------------------------------------------------------------

  // 1 when a row's consistency reaches the conventional threshold of its hypothesis, 0
  // when it does not, -1 when a consistency it needs has no value.
  function conventionalReading(row, fit, thresholds) {
    var nec = fit ? num(fit.cons_nec) : NaN, suf = fit ? num(fit.cons_suf) : NaN;
    if (row.kind === 'necessary') return isNaN(nec) ? -1 : nec >= thresholds.necessity ? 1 : 0;
    if (row.kind === 'sufficient') return isNaN(suf) ? -1 : suf >= thresholds.sufficiency ? 1 : 0;
    return isNaN(nec) || isNaN(suf) ? -1 : nec >= thresholds.necessity && suf >= thresholds.sufficiency ? 1 : 0;
  }

  // The findings at the settings, as `morvit` prints them at the run's: the NECESSARY,
  // SUFFICIENT and NEC AND SUFF rows that hold (compatible, or no case against) and the
  // closest of the others that some MER makes compatible, each list ranked by critical MER
  // (perfect rows first, then the table's order); rows decided by ties and the rows of
  // contradictory blocks stand out. Each finding: its block and row, whether it holds, its
  // critical MER, the conventional reading of its consistency and whether the two part.
  function findings(data, at, thresholds) {
    var all = [];
    data.blocks.forEach(function (block, bi) {
      if (block.contradictory) return;
      block.rows.forEach(function (row, ri) {
        if (!isHypothesis(row) || row.ties) return;
        var perfect = isPerfect(row);
        if (row.omitted && !perfect) return;
        var holds = perfect || compatible(row, at);
        var critical = perfect ? 0 : criticalMer(row, at);
        var conventional = conventionalReading(row, block.fit, thresholds);
        all.push({ block: block, row: row, bi: bi, ri: ri, holds: holds, perfect: perfect,
                   critical: critical === undefined ? NaN : critical, criticalKnown: critical !== undefined,
                   conventional: conventional,
                   disagrees: conventional >= 0 && holds !== (conventional === 1), order: all.length });
      });
    });
    all.sort(function (a, b) {
      var aKnown = !isNaN(a.critical), bKnown = !isNaN(b.critical);
      if (aKnown !== bKnown) return aKnown ? -1 : 1;
      if (aKnown && a.critical !== b.critical) return a.critical < b.critical ? -1 : 1;
      return a.order - b.order;
    });
    var found = { holding: [], holdingCount: 0, closest: [] };
    all.forEach(function (finding) {
      if (finding.holds) {
        found.holdingCount++;
        if (found.holding.length < data.findings.holding) found.holding.push(finding);
      } else if (!isNaN(finding.critical) && found.closest.length < data.findings.closest) {
        found.closest.push(finding);
      }
    });
    return found;
  }

  // Why MORVIT's verdict and the conventional reading can part, in one sentence each way.
  var WHY = {
    rejected: 'MORVIT rejects what consistency reads as holding: the F test measures each case\'s distance from ' +
              'the diagonal in z-scores, which stretch the ends of the scale, so a few cases near 0 or 1 weigh ' +
              'more than in consistency.',
    accepted: 'MORVIT finds compatible what consistency does not read as holding: the F test asks whether the ' +
              'cases against lie farther from the diagonal, on average, than the measurement error explains, ' +
              'while consistency adds up every case\'s miss.'
  };

  // The consistency and coverage of a finding's hypothesis.
  function findingMeasures(finding) {
    var fit = finding.block.fit || {};
    switch (finding.row.kind) {
      case 'necessary':
        return 'consistency ' + measureText(num(fit.cons_nec)) + ', coverage ' + measureText(num(fit.cov_nec));
      case 'sufficient':
        return 'consistency ' + measureText(num(fit.cons_suf)) + ', coverage ' + measureText(num(fit.cov_suf));
    }
    return 'consistency ' + measureText(num(fit.cons_nec)) + ' as necessary, ' + measureText(num(fit.cons_suf)) +
           ' as sufficient';
  }

  // ---- Plots ------------------------------------------------------------------------------

  // The side of a plot (its SVG's width) in a space `available` pixels wide: two side by
  // side where two of at least `least` fit with the gap between them, each as wide as half
  // the space allows up to `most`; one over the whole space otherwise (a narrow screen),
  // up to `most` as well.
  function plotWidth(available, least, most, gap) {
    var half = Math.floor((available - gap) / 2);
    var width = half >= least ? half : Math.floor(available);
    return Math.max(160, Math.min(most, width));
  }

  // Where the labels of a plot go: `points` [x, y, radius] in the plot's pixels, `sizes`
  // [width, height] of each label's text, `bounds` [left, top, right, bottom] that a label
  // must stay within. The labels are placed one after the other in `order` (indexes of the
  // points; the most important first), each at the first of eight places around its point
  // (right, left, above, below, then the corners) where it overlaps no label already
  // placed and no point; a label that finds no such place is dropped (its case's name
  // still shows on pointing). Returns for each point [x, y, anchor] of its text (anchor
  // "start" or "end", y the baseline) or null.
  function placeLabels(points, sizes, bounds, order) {
    var cell = 24, grid = new Map();
    function key(gx, gy) { return gx + ',' + gy; }
    function cells(box, visit) {
      for (var gx = Math.floor(box[0] / cell); gx <= Math.floor(box[2] / cell); gx++) {
        for (var gy = Math.floor(box[1] / cell); gy <= Math.floor(box[3] / cell); gy++) {
          if (visit(key(gx, gy)) === false) return false;
        }
      }
      return true;
    }
    function add(box) {
      cells(box, function (k) {
        if (!grid.has(k)) grid.set(k, []);
        grid.get(k).push(box);
      });
    }
    function free(box) {
      return cells(box, function (k) {
        var boxes = grid.get(k);
        if (!boxes) return true;
        for (var i = 0; i < boxes.length; i++) {
          var other = boxes[i];
          if (box[0] < other[2] && other[0] < box[2] && box[1] < other[3] && other[1] < box[3]) return false;
        }
        return true;
      });
    }
    points.forEach(function (point) {
      add([point[0] - point[2], point[1] - point[2], point[0] + point[2], point[1] + point[2]]);
    });
    var placed = new Array(points.length).fill(null);
    var indexes = order || points.map(function (point, i) { return i; });
    indexes.forEach(function (i) {
      var x = points[i][0], y = points[i][1], r = points[i][2] + 2;
      var w = sizes[i][0], h = sizes[i][1];
      // [left, top] of the text's box at each place, with its anchor.
      var places = [[x + r, y - h / 2, 'start'], [x - r - w, y - h / 2, 'end'], [x - w / 2, y - r - h, 'start'],
                    [x - w / 2, y + r, 'start'], [x + r * 0.7, y - r * 0.7 - h, 'start'],
                    [x - r * 0.7 - w, y - r * 0.7 - h, 'end'], [x + r * 0.7, y + r * 0.7, 'start'],
                    [x - r * 0.7 - w, y + r * 0.7, 'end']];
      for (var k = 0; k < places.length; k++) {
        var box = [places[k][0], places[k][1], places[k][0] + w, places[k][1] + h];
        if (box[0] < bounds[0] || box[1] < bounds[1] || box[2] > bounds[2] || box[3] > bounds[3] || !free(box)) continue;
        add(box);
        // The baseline sits a fifth of the height above the box's bottom.
        placed[i] = [places[k][2] === 'end' ? box[2] : box[0], box[3] - h * 0.2, places[k][2]];
        break;
      }
    });
    return placed;
  }

  // Text that an XML file may hold: the characters XML 1.0 does not allow (controls other
  // than tab, line feed and carriage return, lone surrogates, U+FFFE and U+FFFF) become
  // U+FFFD, the replacement character.
  function xmlText(text) {
    var forbidden = new RegExp('[\\u0000-\\u0008\\u000B\\u000C\\u000E-\\u001F\\uFFFE\\uFFFF]' +  // controls, non-characters
                               '|[\\uD800-\\uDBFF](?![\\uDC00-\\uDFFF])' +                 // a high surrogate alone
                               '|(^|[^\\uD800-\\uDBFF])[\\uDC00-\\uDFFF]', 'g');            // a low surrogate alone
    return String(text).replace(forbidden, function (match, before) {
      return before !== undefined && match.length === 2 ? before + '\uFFFD' : '\uFFFD';
    });
  }

  return {
    num: num,
    editFixed: editFixed,
    criticalMerText: criticalMerText,
    measureText: measureText,
    shortNumber: shortNumber,
    readAddress: readAddress,
    merValue: merValue,
    settings: settings,
    runMerText: runMerText,
    numbers: numbers,
    isHypothesis: isHypothesis,
    isPerfect: isPerfect,
    criticalMer: criticalMer,
    reading: reading,
    hypothesisLabel: hypothesisLabel,
    cells: cells,
    blockBrief: blockBrief,
    blockNames: blockNames,
    conventionalReading: conventionalReading,
    findings: findings,
    findingMeasures: findingMeasures,
    WHY: WHY,
    plotWidth: plotWidth,
    placeLabels: placeLabels,
    xmlText: xmlText
  };
})();
if (typeof module === 'object' && module.exports) module.exports = MorvitLogic;
